// Real sound: the tuner's sound routines play through the sound server, and what reaches its
// null sink is captured from the sink's monitor and measured from the moment each sound is
// found to begin, so a slow start on a busy machine does not count against it.
#include "fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtEndian>
#include <cmath>

namespace {

constexpr int kRate = 48000;
// Sanitized code need not keep up in real time: there only what plays counts, not its breaks.
#ifdef TUNER_SANITIZED
constexpr bool kInRealTime = false;
#else
constexpr bool kInRealTime = true;
#endif
qsizetype ms(int milliseconds) {
    return qsizetype(milliseconds) * kRate / 1000;
}

// Amplitude of the frequency's component (Goertzel).
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

double loudest(const std::vector<float>& s) {
    float top = 0;
    for (float x : s)
        top = std::max(top, std::abs(x));
    return top;
}

class Capture {
  public:
    explicit Capture(const QString& monitor) {
        process_.start("parec", {"--device=" + monitor, "--format=s16le", "--rate=48000",
                                 "--channels=1", "--raw", "--latency-msec=10"});
        process_.waitForStarted(5000);
        QTest::qWait(400);
    }
    ~Capture() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    // The sample index the capture has reached now.
    qsizetype mark() {
        bytes_ += process_.readAllStandardOutput();
        return bytes_.size() / 2;
    }
    // The samples from..from+count, waiting at most three seconds for them.
    std::vector<float> samples(qsizetype from, qsizetype count) {
        QElapsedTimer timer;
        timer.start();
        while (mark() < from + count && timer.elapsed() < 3000)
            QTest::qWait(20);
        std::vector<float> s;
        for (qsizetype i = std::max<qsizetype>(from, 0);
             i < from + count && 2 * i + 1 < bytes_.size(); ++i)
            s.push_back(float(qFromLittleEndian<qint16>(bytes_.constData() + 2 * i)) / 32768.0f);
        return s;
    }
    // Where, after from and within two seconds, the frequency begins to sound (-1: never).
    qsizetype begins(qsizetype from, double frequency) {
        return find(from, [&](const std::vector<float>& s) { return level(s, frequency) > 0.2; });
    }
    // Where, after from and within two seconds, a silence of 100 ms begins (-1: never).
    qsizetype silent(qsizetype from) {
        return find(
            from, [](const std::vector<float>& s) { return loudest(s) < 0.003; }, ms(100));
    }

  private:
    template <class Test> qsizetype find(qsizetype from, Test test, qsizetype width = ms(10)) {
        for (qsizetype at = from; at < from + ms(2000); at += ms(2))
            if (test(samples(at, width)))
                return at;
        return -1;
    }
    QProcess process_;
    QByteArray bytes_;
};

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString monitor, a, b, release, none;

    // From its start on, the frequency sounds for millis, at its level, without a break, and the
    // other frequency does not.
    void soundsOnly(Capture& capture, qsizetype start, int millis, double frequency, double other,
                    bool steady = true) {
        QVERIFY2(start >= 0, "the sound never began");
        const std::vector<float> s = capture.samples(start + ms(20), ms(millis));
        QVERIFY2(level(s, frequency) > 0.3, qPrintable(QString::number(level(s, frequency))));
        QVERIFY(level(s, other) < 0.02);
        if (!steady || !kInRealTime)
            return;
        int run = 0, longest = 0;
        for (float x : s)
            longest = std::max(longest, run = std::abs(x) < 0.01f ? run + 1 : 0);
        QVERIFY2(longest < 10, qPrintable(QStringLiteral("a break of %1 samples").arg(longest)));
    }

  private slots:
    void initTestCase() {
        monitor = qEnvironmentVariable("TUNER_TEST_SINK_MONITOR");
        if (monitor.isEmpty())
            QSKIP("no private sound server (scripts/test starts one)");
        // Whole periods, so each loop joins in phase: 440 Hz and 880 Hz in 0.25 s.
        a = dir.path() + "/a.wav";
        b = dir.path() + "/b.wav";
        release = dir.path() + "/release.wav";
        none = dir.path() + "/none.wav";
        writeWav(a, tone(440, 0.25));
        writeWav(b, tone(880, 0.25));
        writeWav(release, tone(660, 0.2));
        Sound::shutdown(); // the real device
    }
    void cleanup() {
        Sound::PlaySoundFile(none);
        QTest::qWait(100);
    }
    void cleanupTestCase() { Sound::shutdown(); }

    void theFirstCallsPlayOnlyTheLatest() {
        Capture capture(monitor);
        const qsizetype start = capture.mark();
        Sound::LoopSoundFile(a); // both come while the device is still opening
        Sound::LoopSoundFile(b);
        // A stream just opened on the null sink may underrun once as it starts; whether loops
        // sound without a break is checked once the device runs.
        soundsOnly(capture, capture.begins(start, 880), 600, 880, 440, false);
    }

    void aLoopSoundsWithoutABreakUntilReplacedOrReleased() {
        Capture capture(monitor);
        qsizetype at = capture.mark();
        Sound::LoopSoundFile(a);
        soundsOnly(capture, capture.begins(at, 440), 1000, 440, 880);
        at = capture.mark();
        Sound::LoopSoundFile(b);
        soundsOnly(capture, capture.begins(at, 880), 400, 880, 440);
        at = capture.mark();
        Sound::PlaySoundFile(release); // ends the loop and plays once
        const qsizetype start = capture.begins(at, 660);
        soundsOnly(capture, start, 100, 660, 880);
        const qsizetype end = capture.silent(start);
        QVERIFY(end > start + ms(150) && end < start + ms(260)); // 0.2 s
        QVERIFY(loudest(capture.samples(end, ms(500))) < 0.003);
    }

    void pressingAPegSoundsItsString() {
        Session session;
        Sound::shutdown(); // the real device instead of the recorder
        const QString folder = session.app.complete("Ukulele", {});
        writeWav(folder + "1-g4.wav", tone(392, 0.25));
        writeWav(folder + "2-c4.wav", tone(264, 0.25));
        session.start();
        QVERIFY(QTest::qWaitForWindowExposed(session.tuner.get()));
        Capture capture(monitor);
        qsizetype at = capture.mark();
        click(session.tuner->picTuner[1]);
        soundsOnly(capture, capture.begins(at, 264), 400, 264, 392);
        at = capture.mark();
        click(session.tuner->picTuner[1]); // stops it
        QVERIFY(capture.silent(at) >= 0);
    }

    void withoutAServerItRunsOnAndLaterFindsOne() {
        Capture capture(monitor); // started while the server can still be found
        Sound::shutdown();
        qputenv("PULSE_SERVER", "unix:/nonexistent/native");
        qputenv("SDL_AUDIODRIVER", "pulseaudio");
        QElapsedTimer clock;
        clock.start();
        Sound::LoopSoundFile(a); // no server: silent, and the call still returns at once
        QVERIFY(clock.elapsed() < 500);
        QTest::qWait(1200);
        qunsetenv("PULSE_SERVER");
        const qsizetype at = capture.mark();
        Sound::LoopSoundFile(a); // a later call opens the device again
        soundsOnly(capture, capture.begins(at, 440), 300, 440, 880);
        qunsetenv("SDL_AUDIODRIVER");
    }
};

QTEST_MAIN(TestSoundOutput)
#include "test_sound_output.moc"
