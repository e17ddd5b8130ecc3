#include "string_targets.h"

#include "support/files/file_identity.h"
#include "support/pitch/notes.h"
#include "support/pitch/pitch_detector.h"
#include "support/sound/wav_decoder.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace {

struct Measured {
    QByteArray identity;
    std::optional<double> pitch;
};

std::optional<double> measure(const QString& path) {
    const auto recording = decodeWavFile(path);
    if (!recording)
        return std::nullopt;
    std::vector<double> steady;
    for (const PitchReading& r : recordingReadings(*recording))
        if (r.seconds >= 0.1 && r.frequency > 0)
            steady.push_back(r.frequency);
    if (steady.empty())
        return std::nullopt;
    const auto middle = steady.begin() + std::ptrdiff_t(steady.size() / 2);
    std::nth_element(steady.begin(), middle, steady.end());
    return *middle;
}

} // namespace

std::vector<PitchReading> recordingReadings(const Recording& recording) {
    PitchDetector detector(recording.sampleRate);
    std::vector<PitchReading> readings;
    std::vector<float> block;
    const long long frames = recording.frameCount();
    for (long long from = 0; from < frames; from += 4096) { // a little of it at a time
        const long long to = std::min(frames, from + 4096);
        block.resize(std::size_t(to - from));
        for (long long i = from; i < to; ++i)
            block[std::size_t(i - from)] = 0.5f * (recording.samples[std::size_t(2 * i)] +
                                                   recording.samples[std::size_t(2 * i + 1)]);
        detector.feed(block.data(), block.size(), readings);
    }
    return readings;
}

std::optional<double> recordingPitch(const QString& path) {
    static QHash<QString, Measured> measured;
    const QByteArray identity = fileIdentity(path, FileKind::Regular);
    if (identity.isEmpty())
        return std::nullopt;
    auto it = measured.find(path);
    if (it == measured.end() || it->identity != identity)
        it = measured.insert(path, {identity, measure(path)});
    return it->pitch;
}

StringMatch nearestString(const std::vector<double>& targets, double frequency, double a4) {
    StringMatch match;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const double cents = Notes::centsFrom(frequency, targets[k]);
        if (match.string < 0 || std::abs(cents) < std::abs(match.cents)) {
            match.string = int(k);
            match.cents = cents;
        }
    }
    if (match.string >= 0)
        match.note = Notes::nearestNote(targets[std::size_t(match.string)], a4).name;
    return match;
}
