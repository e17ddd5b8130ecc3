#include "sound_capture.h"

#include <QCoreApplication>
#include <QtEndian>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace Capture {

double level(const std::vector<float>& s, double frequency) {
    const double c = 2 * std::cos(2 * M_PI * frequency / kRate);
    double s1 = 0, s2 = 0;
    for (float x : s) {
        const double s0 = x + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2 * std::sqrt(std::max(s1 * s1 + s2 * s2 - c * s1 * s2, 0.0)) /
           double(std::max<size_t>(s.size(), 1));
}

double steadyLevel(const std::vector<float>& s, double frequency) {
    std::vector<double> levels;
    for (size_t at = 0; at + size_t(ms(10)) <= s.size(); at += size_t(ms(10)))
        levels.push_back(
            level({s.begin() + long(at), s.begin() + long(at + size_t(ms(10)))}, frequency));
    if (levels.empty())
        return 0;
    std::nth_element(levels.begin(), levels.begin() + long(levels.size() / 2), levels.end());
    return levels[levels.size() / 2];
}

std::vector<qsizetype> breaks(const std::vector<float>& s) {
    std::vector<qsizetype> found;
    int run = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if ((run = std::abs(s[i]) < 0.01f ? run + 1 : 0) == 8)
            found.push_back(qsizetype(i) - 7);
    return found;
}

std::vector<qsizetype> breaksAtTheJoin(const std::vector<qsizetype>& breaks, qsizetype period) {
    std::vector<qsizetype> recurring;
    for (const qsizetype at : breaks)
        if (std::any_of(breaks.begin(), breaks.end(),
                        [&](qsizetype later) { return std::abs(later - at - period) <= 2; }))
            recurring.push_back(at);
    return recurring;
}

double loudest(const std::vector<float>& s) {
    float top = 0;
    for (float x : s)
        top = std::max(top, std::abs(x));
    return top;
}

SoundCapture::SoundCapture(const QString& monitor, int latencyMillis) {
    clock_.start();
    process_.start(u"parec"_s, {u"--device="_s + monitor, u"--format=s16le"_s, u"--rate=48000"_s,
                                u"--channels=1"_s, u"--raw"_s,
                                u"--latency-msec="_s + QString::number(latencyMillis)});
    process_.waitForStarted(5000);
    pump(400); // the stream settles before anything is measured
}

SoundCapture::~SoundCapture() {
    process_.kill();
    process_.waitForFinished(2000);
}

void SoundCapture::pump(int millis) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents();
        process_.waitForReadyRead(5);
        mark();
    } while (timer.elapsed() < millis);
}

qsizetype SoundCapture::mark() {
    const QByteArray chunk = process_.readAllStandardOutput();
    if (!chunk.isEmpty()) {
        bytes_ += chunk;
        arrivals_.push_back({clock_.nsecsElapsed(), bytes_.size() / 2});
    }
    return bytes_.size() / 2;
}

qsizetype SoundCapture::indexAt(qint64 nanos) const {
    for (auto it = arrivals_.rbegin(); it != arrivals_.rend(); ++it)
        if (it->first <= nanos)
            return it->second + qsizetype(double(nanos - it->first) * kRate / 1e9);
    return 0;
}

std::vector<float> SoundCapture::samples(qsizetype from, qsizetype count) {
    QElapsedTimer timer;
    timer.start();
    while (mark() < from + count && timer.elapsed() < 3000)
        pump(10);
    std::vector<float> s;
    for (qsizetype i = std::max<qsizetype>(from, 0); i < from + count && 2 * i + 1 < bytes_.size();
         ++i)
        s.push_back(float(qFromLittleEndian<qint16>(bytes_.constData() + 2 * i)) / 32768.0f);
    return s;
}

template <class Test> qsizetype SoundCapture::find(qsizetype from, Test test, qsizetype width) {
    for (qsizetype at = from; at < from + ms(2000); at += ms(2))
        if (test(samples(at, width)))
            return at;
    return -1;
}

qsizetype SoundCapture::begins(qsizetype from, double frequency) {
    return find(
        from, [&](const std::vector<float>& s) { return level(s, frequency) > 0.2; }, ms(10));
}

qsizetype SoundCapture::silent(qsizetype from) {
    return find(
        from, [](const std::vector<float>& s) { return loudest(s) < 0.003; }, ms(100));
}

} // namespace Capture
