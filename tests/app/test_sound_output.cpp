// Real sound: the tuner's sound routines play through the sound server, and what reaches its
// null sink is captured from the sink's monitor. Only what real sound alone can show is checked
// here (the exact samples are the mixer's and the output's own tests): each sound is measured
// from the moment it is found to begin, its level as the median of 10 ms windows, and a break
// counts only where it recurs at the loop's join, so that a busy machine cannot fail them.
#include "app/startup.h"
#include "tests/support/sound/sound_capture.h"
#include "tests/ui/window_fixture.h"

using namespace Qt::StringLiterals;

using namespace Capture;

namespace {

// Sanitized code need not keep up in real time: there only what plays counts, not its breaks.
#ifdef TUNER_SANITIZED
constexpr bool kInRealTime = false;
#else
constexpr bool kInRealTime = true;
#endif

// The recordings are whole periods long, so each loop joins in phase.
constexpr qsizetype kLoopFrames = kRate / 4;
// A device that has just opened is left alone for this long: its stream may still settle.
constexpr int kJustOpenedMillis = 100;

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString monitor, a, b, release, none;

    // From skipMillis after its start on, for millis, the frequency sounds at its level and the
    // other frequency does not; a loop never breaks at its join.
    void soundsOnly(SoundCapture& capture, qsizetype start, int millis, double frequency,
                    double other, bool loop = true, int skipMillis = 20) {
        QVERIFY2(start >= 0, "the sound never began");
        const std::vector<float> s = capture.samples(start + ms(skipMillis), ms(millis));
        QVERIFY2(steadyLevel(s, frequency) > 0.3,
                 qPrintable(QString::number(steadyLevel(s, frequency))));
        QVERIFY(level(s, other) < 0.02);
        if (!loop || !kInRealTime)
            return;
        const std::vector<qsizetype> joins = breaksAtTheJoin(breaks(s), kLoopFrames);
        QVERIFY2(joins.empty(), qPrintable(QStringLiteral("the loop breaks at sample %1 of every "
                                                          "pass")
                                               .arg(joins.empty() ? 0 : joins[0] % kLoopFrames)));
    }

  private slots:
    void initTestCase() {
        monitor = qEnvironmentVariable("TUNER_TEST_SINK_MONITOR");
        if (monitor.isEmpty())
            QSKIP("no private sound server (scripts/test starts one)");
        a = dir.path() + u"/a.wav"_s;
        b = dir.path() + u"/b.wav"_s;
        release = dir.path() + u"/release.wav"_s;
        none = dir.path() + u"/none.wav"_s;
        writeWav(a, tone(440, 0.25));
        writeWav(b, tone(880, 0.25));
        writeWav(release, tone(660, 0.2));
        installSoundDevice();
    }
    void cleanup() { Sound::PlaySoundFile(none); }
    void cleanupTestCase() { Sound::shutdown(); }

    void theFirstCallsPlayOnlyTheLatest() {
        SoundCapture capture(monitor);
        const qsizetype start = capture.mark();
        Sound::LoopSoundFile(a); // both come while the device is still opening
        Sound::LoopSoundFile(b);
        soundsOnly(capture, capture.begins(start, 880), 600, 880, 440, true, kJustOpenedMillis);
    }

    void aLoopSoundsUntilReplacedOrReleased() {
        SoundCapture capture(monitor);
        qsizetype at = capture.mark();
        Sound::LoopSoundFile(a);
        soundsOnly(capture, capture.begins(at, 440), 1000, 440, 880);
        at = capture.mark();
        Sound::LoopSoundFile(b);
        soundsOnly(capture, capture.begins(at, 880), 600, 880, 440);
        at = capture.mark();
        Sound::PlaySoundFile(release); // ends the loop and plays once
        const qsizetype start = capture.begins(at, 660);
        soundsOnly(capture, start, 100, 660, 880, false);
        const qsizetype end = capture.silent(start);
        QVERIFY(end > start + ms(150) && end < start + ms(260)); // 0.2 s
        QVERIFY(loudest(capture.samples(end, ms(500))) < 0.003);
    }

    void pressingAPegSoundsItsString() {
        Session session;
        installSoundDevice(); // instead of the recorder
        const QString folder = session.app.complete(u"Ukulele"_s, {});
        writeWav(folder + u"1-g4.wav"_s, tone(392, 0.25));
        writeWav(folder + u"2-c4.wav"_s, tone(264, 0.25));
        session.start(AppModul::LoadAndShow);
        QVERIFY(QTest::qWaitForWindowExposed(session.tuner.get()));
        SoundCapture capture(monitor);
        qsizetype at = capture.mark();
        click(session.tuner->picTuner[1]);
        soundsOnly(capture, capture.begins(at, 264), 600, 264, 392, true, kJustOpenedMillis);
        at = capture.mark();
        click(session.tuner->picTuner[1]); // stops it
        QVERIFY(capture.silent(at) >= 0);
    }

    void withoutAServerItRunsOnAndLaterFindsOne() {
        SoundCapture capture(monitor); // started while the server can still be found
        installSoundDevice(std::chrono::milliseconds(0)); // opened while no server can be found
        qputenv("PULSE_SERVER", "unix:/nonexistent/native");
        qputenv("SDL_AUDIODRIVER", "pulseaudio");
        Sound::LoopSoundFile(a); // no server: silent, and the program runs on
        qunsetenv("PULSE_SERVER");
        // Each later call tries the device again once the attempt before it has ended.
        qsizetype start = -1;
        for (int call = 0; call < 20 && start < 0; ++call) {
            const qsizetype at = capture.mark();
            Sound::LoopSoundFile(a);
            start = capture.begins(at, 440);
        }
        soundsOnly(capture, start, 600, 440, 880, true, kJustOpenedMillis);
        qunsetenv("SDL_AUDIODRIVER");
    }
};

QTEST_MAIN(TestSoundOutput)
#include "test_sound_output.moc"
