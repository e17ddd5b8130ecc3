#include "file_listening.h"

#include "support/files/file_access.h"
#include "support/pitch/notes.h"
#include "support/pitch/pitch_detector.h"
#include "support/sound/wav_decoder.h"

#include <vector>

bool listenToFile(const QString& path, double a4, std::FILE* out, std::FILE* err) {
    const QByteArray shown = path.toLocal8Bit();
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
    PitchDetector detector(recording->sampleRate);
    std::vector<PitchReading> readings;
    std::vector<float> block;
    const long long frames = recording->frameCount();
    for (long long from = 0; from < frames; from += 4096) {
        const long long to = std::min(frames, from + 4096);
        block.resize(std::size_t(to - from));
        for (long long i = from; i < to; ++i)
            block[std::size_t(i - from)] = 0.5f * (recording->samples[std::size_t(2 * i)] +
                                                   recording->samples[std::size_t(2 * i + 1)]);
        readings.clear();
        detector.feed(block.data(), block.size(), readings);
        for (const PitchReading& r : readings) {
            if (r.frequency <= 0) {
                std::fprintf(out, "%.3f 0 - -\n", r.seconds);
                continue;
            }
            const Notes::Note note = Notes::nearestNote(r.frequency, a4);
            std::fprintf(out, "%.3f %.4f %s %+.2f\n", r.seconds, r.frequency,
                         note.name.toLatin1().constData(), note.cents);
        }
    }
    return true;
}
