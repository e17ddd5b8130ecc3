// Real sound: the tuner's sound routines play through the sound server, and what reaches its
// null sink is captured from the sink's monitor and measured.
#include "fixture.h"
#include "support/picture_box.h"
#include "support/sound.h"
#include "ui/tuner.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace Fixture;

namespace {

constexpr int kRate = 48000;

class Capture {
  public:
    explicit Capture(const QString& monitor) {
        process_.start("parec", {"--device=" + monitor, "--format=s16le", "--rate=48000",
                                 "--channels=1", "--raw", "--latency-msec=10"});
        process_.waitForStarted(5000);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { bytes_ += process_.readAllStandardOutput(); });
        wait(400);
    }
    ~Capture() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    void wait(int ms) { QTest::qWait(ms); }
    // The sample index the capture has reached now.
    qsizetype mark() {
        bytes_ += process_.readAllStandardOutput();
        return bytes_.size() / 2;
    }
    // Waits (at most three seconds) until the capture holds the samples.
    std::vector<float> samples(qsizetype from, qsizetype count) {
        QElapsedTimer timer;
        timer.start();
        while (mark() < from + count && timer.elapsed() < 3000)
            wait(20);
        std::vector<float> s;
        for (qsizetype i = from; i < from + count && 2 * i + 1 < bytes_.size(); ++i)
            s.push_back(float(int16_t(quint16(uchar(bytes_[2 * i])) |
                                      quint16(uchar(bytes_[2 * i + 1]) << 8))) /
                        32768.0f);
        return s;
    }

  private:
    QProcess process_;
    QByteArray bytes_;
};

// Amplitude of the frequency's component (Goertzel).
double level(const std::vector<float>& s, double frequency) {
    const double w = 2 * M_PI * frequency / kRate;
    const double c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (float x : s) {
        const double s0 = x + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / double(std::max<size_t>(s.size(), 1));
}

double rms(const std::vector<float>& s) {
    double sum = 0;
    for (float x : s)
        sum += double(x) * x;
    return std::sqrt(sum / double(std::max<size_t>(s.size(), 1)));
}

// The longest run of samples close to zero: a break in a sounding tone.
int longestQuietRun(const std::vector<float>& s) {
    int run = 0, longest = 0;
    for (float x : s) {
        run = std::abs(x) < 0.01f ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

qsizetype ms(int milliseconds) {
    return qsizetype(milliseconds) * kRate / 1000;
}

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString monitor;
    QString a, b, release;

  private slots:
    void initTestCase() {
        monitor = qEnvironmentVariable("TUNER_TEST_SINK_MONITOR");
        if (monitor.isEmpty())
            QSKIP("no private sound server (scripts/test starts one)");
        // Whole periods, so each loop joins in phase: 440 Hz and 880 Hz in 0.25 s.
        a = dir.path() + "/a.wav";
        b = dir.path() + "/b.wav";
        release = dir.path() + "/release.wav";
        writeWav(a, tone(440, 0.25));
        writeWav(b, tone(880, 0.25));
        writeWav(release, tone(660, 0.2));
        Sound::shutdown();                              // the real device
        Sound::PlaySoundFile(dir.path() + "/none.wav"); // opens the device
        QTest::qWait(500);
    }
    void cleanupTestCase() { Sound::shutdown(); }

    void loopSoundsItsFrequencyWithoutABreak() {
        Capture capture(monitor);
        const qsizetype start = capture.mark();
        Sound::LoopSoundFile(a);
        capture.wait(1500);
        const std::vector<float> s = capture.samples(start + ms(200), ms(1100));
        QCOMPARE(qsizetype(s.size()), ms(1100));
        QVERIFY2(level(s, 440) > 0.3, qPrintable(QString::number(level(s, 440))));
        QVERIFY(level(s, 880) < 0.02);
        QVERIFY2(longestQuietRun(s) < 10, qPrintable(QString::number(longestQuietRun(s))));
        Sound::PlaySoundFile(dir.path() + "/none.wav");
    }

    void releaseEndsTheLoopAndPlaysOnce() {
        Capture capture(monitor);
        Sound::LoopSoundFile(a);
        capture.wait(400);
        const qsizetype stop = capture.mark();
        Sound::PlaySoundFile(release);
        capture.wait(900);
        const std::vector<float> during = capture.samples(stop + ms(80), ms(100));
        QVERIFY(level(during, 660) > 0.3);
        QVERIFY(level(during, 440) < 0.02);
        const std::vector<float> after = capture.samples(stop + ms(400), ms(300));
        QVERIFY2(rms(after) < 0.005, qPrintable(QString::number(rms(after))));
    }

    void aSecondLoopReplacesTheFirst() {
        Capture capture(monitor);
        Sound::LoopSoundFile(a);
        capture.wait(400);
        const qsizetype change = capture.mark();
        Sound::LoopSoundFile(b);
        capture.wait(700);
        const std::vector<float> s = capture.samples(change + ms(120), ms(400));
        QVERIFY(level(s, 880) > 0.3);
        QVERIFY(level(s, 440) < 0.02);
        QVERIFY(longestQuietRun(s) < 10);
        Sound::PlaySoundFile(dir.path() + "/none.wav");
    }

    void pressingAPegSoundsItsString() {
        AppFolder app;
        const QString folder = app.instrument("Ukulele");
        // Whole periods in each recording, so that its loop joins in phase.
        writeWav(folder + "1-g4.wav", tone(392, 0.25));
        writeWav(folder + "2-c4.wav", tone(264, 0.25));
        app.pictures(folder);
        app.profile(folder, "[Veltrosan Tuner]\n" + designLayout());
        auto tuner = startTuner(app);
        QVERIFY(QTest::qWaitForWindowExposed(tuner.get()));
        Capture capture(monitor);
        const qsizetype start = capture.mark();
        QTest::mousePress(tuner->picTuner[1], Qt::LeftButton, {}, QPoint(5, 5));
        capture.wait(600);
        const std::vector<float> s = capture.samples(start + ms(150), ms(400));
        QVERIFY2(level(s, 264) > 0.3, qPrintable(QStringLiteral("%1 %2 %3 %4")
                                                     .arg(level(s, 264))
                                                     .arg(level(s, 392))
                                                     .arg(rms(s))
                                                     .arg(s.size())));
        QVERIFY(level(s, 392) < 0.02);
        QTest::mousePress(tuner->picTuner[1], Qt::LeftButton, {}, QPoint(5, 5)); // stops it
        const qsizetype stop = capture.mark();
        capture.wait(500);
        QVERIFY(rms(capture.samples(stop + ms(150), ms(250))) < 0.005);
    }

    void withoutAServerItRunsOnAndLaterFindsOne() {
        Capture capture(monitor); // started while the server can still be found
        Sound::shutdown();
        qputenv("SDL_AUDIODRIVER", "pulseaudio");
        qputenv("PULSE_SERVER", "unix:/nonexistent/native");
        QElapsedTimer clock;
        clock.start();
        Sound::LoopSoundFile(a); // no server: silent, and the call still returns at once
        QVERIFY(clock.elapsed() < 500);
        capture.wait(1200);
        qunsetenv("PULSE_SERVER");
        const qsizetype start = capture.mark();
        Sound::LoopSoundFile(a); // a later call opens the device again
        capture.wait(1000);
        const std::vector<float> s = capture.samples(start + ms(500), ms(300));
        QVERIFY2(level(s, 440) > 0.3, qPrintable(QString::number(level(s, 440))));
        Sound::PlaySoundFile(dir.path() + "/none.wav");
        qunsetenv("SDL_AUDIODRIVER");
    }

    void aMissingFileEndsTheSound() {
        Capture capture(monitor);
        Sound::LoopSoundFile(a);
        capture.wait(400);
        const qsizetype change = capture.mark();
        Sound::PlaySoundFile(dir.path() + "/missing.wav");
        capture.wait(500);
        QVERIFY(rms(capture.samples(change + ms(150), ms(250))) < 0.005);
    }
};

QTEST_MAIN(TestSoundOutput)
#include "test_sound_output.moc"
