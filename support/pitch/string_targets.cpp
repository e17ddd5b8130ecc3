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
    std::vector<float> mono(std::size_t(recording->frameCount()));
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = 0.5f * (recording->samples[2 * i] + recording->samples[2 * i + 1]);
    PitchDetector detector(recording->sampleRate);
    std::vector<PitchReading> readings;
    detector.feed(mono.data(), mono.size(), readings);
    std::vector<double> steady;
    for (const PitchReading& r : readings)
        if (r.seconds >= 0.1 && r.frequency > 0)
            steady.push_back(r.frequency);
    if (steady.empty())
        return std::nullopt;
    const auto middle = steady.begin() + std::ptrdiff_t(steady.size() / 2);
    std::nth_element(steady.begin(), middle, steady.end());
    return *middle;
}

} // namespace

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
