#pragma once
// What reaches the private sound server's null sink, read from its monitor as it arrives; used
// by the sound tests and by bench/sound_bench. Sounds are found by where they begin in the
// capture, so that a slow start on a busy machine does not count against them.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <utility>
#include <vector>

namespace Capture {

inline constexpr int kRate = 48000;
inline qsizetype ms(int milliseconds) {
    return qsizetype(milliseconds) * kRate / 1000;
}

// Amplitude of the frequency's component (Goertzel).
double level(const std::vector<float>& samples, double frequency);
// The median of that amplitude over windows of 10 ms: a moment's dropout (a busy machine) does
// not move it, a sound that is too soft or mostly missing does.
double steadyLevel(const std::vector<float>& samples, double frequency);
double loudest(const std::vector<float>& samples);
// Where the sound breaks off: the first sample of every run of at least 8 near-silent samples.
std::vector<qsizetype> breaks(const std::vector<float>& samples);
// The breaks that recur one loop period later (within 2 samples): a fault at the loop's join,
// where a lone break is the machine's hiccup.
std::vector<qsizetype> breaksAtTheJoin(const std::vector<qsizetype>& breaks, qsizetype period);

class SoundCapture {
  public:
    explicit SoundCapture(const QString& monitor, int latencyMillis = 10);
    ~SoundCapture();
    // Reads what arrives during the next millis milliseconds, the application's events served.
    void pump(int millis);
    // The sample index the capture has reached now.
    qsizetype mark();
    // Nanoseconds since the capture started, and the sample index that arrived at such a moment.
    qint64 now() const { return clock_.nsecsElapsed(); }
    qsizetype indexAt(qint64 nanos) const;
    // The samples from..from+count, waiting at most three seconds for them.
    std::vector<float> samples(qsizetype from, qsizetype count);
    // Where, after from and within two seconds, the frequency begins to sound (-1: never).
    qsizetype begins(qsizetype from, double frequency);
    // Where, after from and within two seconds, a silence of 100 ms begins (-1: never).
    qsizetype silent(qsizetype from);

  private:
    template <class Test> qsizetype find(qsizetype from, Test test, qsizetype width);
    QProcess process_;
    QByteArray bytes_;
    QElapsedTimer clock_;
    std::vector<std::pair<qint64, qsizetype>> arrivals_;
};

} // namespace Capture
