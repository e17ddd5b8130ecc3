// Real sound: the tuner's sound routines play through the sound server, and what reaches its
// null sink is captured from the sink's monitor and measured from the moment each sound is
// found to begin, so a slow start on a busy machine does not count against it.
#include "fixture.h"
#include "sound_capture.h"

#include <QElapsedTimer>

using namespace Capture;

namespace {

// Sanitized code need not keep up in real time: there only what plays counts, not its breaks.
#ifdef TUNER_SANITIZED
constexpr bool kInRealTime = false;
#else
constexpr bool kInRealTime = true;
#endif

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString monitor, a, b, release, none;

    // From its start on, the frequency sounds for millis, at its level, without a break, and the
    // other frequency does not.
    void soundsOnly(SoundCapture& capture, qsizetype start, int millis, double frequency,
                    double other, bool steady = true) {
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
        installSoundDevice();
    }
    void cleanup() {
        Sound::PlaySoundFile(none);
        QTest::qWait(100);
    }
    void cleanupTestCase() { Sound::shutdown(); }

    void theFirstCallsPlayOnlyTheLatest() {
        SoundCapture capture(monitor);
        const qsizetype start = capture.mark();
        Sound::LoopSoundFile(a); // both come while the device is still opening
        Sound::LoopSoundFile(b);
        // A stream just opened on the null sink may underrun once as it starts; whether loops
        // sound without a break is checked once the device runs.
        soundsOnly(capture, capture.begins(start, 880), 600, 880, 440, false);
    }

    void aLoopSoundsWithoutABreakUntilReplacedOrReleased() {
        SoundCapture capture(monitor);
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
        installSoundDevice(); // instead of the recorder
        const QString folder = session.app.complete("Ukulele", {});
        writeWav(folder + "1-g4.wav", tone(392, 0.25));
        writeWav(folder + "2-c4.wav", tone(264, 0.25));
        session.start();
        QVERIFY(QTest::qWaitForWindowExposed(session.tuner.get()));
        SoundCapture capture(monitor);
        qsizetype at = capture.mark();
        click(session.tuner->picTuner[1]);
        soundsOnly(capture, capture.begins(at, 264), 400, 264, 392);
        at = capture.mark();
        click(session.tuner->picTuner[1]); // stops it
        QVERIFY(capture.silent(at) >= 0);
    }

    void withoutAServerItRunsOnAndLaterFindsOne() {
        SoundCapture capture(monitor); // started while the server can still be found
        installSoundDevice();          // a new device, opened while no server can be found
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
