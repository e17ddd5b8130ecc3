#include "file_listening.h"

#include "support/files/file_access.h"
#include "support/files/file_names.h"
#include "support/pitch/notes.h"
#include "support/pitch/string_targets.h"
#include "support/sound/wav_decoder.h"

#include <cmath>

bool listenToFile(const QString& path, double a4, std::FILE* out, std::FILE* err) {
    const QByteArray shown = FileNames::fileSystemName(path);
    if (Commands::FileExists(path) == 0) {
        std::fprintf(err, "veltrosan-tuner-listen: %s: no such file\n", shown.constData());
        return false;
    }
    const auto recording = decodeWavFile(path);
    if (!recording) {
        std::fprintf(err, "veltrosan-tuner-listen: %s: not a WAV file that can be read\n",
                     shown.constData());
        return false;
    }
    for (const PitchReading& r : recordingReadings(*recording)) {
        if (r.frequency <= 0) {
            std::fprintf(out, "%.3f 0 - -\n", r.seconds);
            continue;
        }
        const Notes::Note note = Notes::nearestNote(r.frequency, a4);
        // As printed, to a hundredth: a reading a hair below its note is at +0.00 as well.
        const double cents = std::round(note.cents * 100) / 100;
        std::fprintf(out, "%.3f %.4f %s %+.2f\n", r.seconds, r.frequency,
                     note.name.toLatin1().constData(), cents == 0 ? 0.0 : cents);
    }
    return true;
}
