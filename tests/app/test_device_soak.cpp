// Sound devices come and go while the tuner plays a loop and the listening window listens. On a
// sound server of the test's own, the only output (a null sink, whose monitor is the only input)
// is removed and added again 300 times at random moments, and the server is restarted four
// times. Nothing may crash or hang, and after a device comes back both programs sound and hear
// again within 2 s: the listening window reads the tuner's loop at its pitch. The seed is printed
// (TUNER_SOAK_SEED repeats a run); TUNER_SOAK_CYCLES shortens it, and TUNER_SOAK_WAY=sdl runs
// it on SDL as it chooses, for comparison. Last, another device becomes the default, and both
// programs follow it.
#include "listen/listen_window.h"
#include "support/sound/sound_way.h"
#include "tests/support/sound/private_server.h"
#include "tests/ui/window_fixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

using namespace Qt::StringLiterals;
using namespace Fixture;

namespace {

constexpr int kCycles = 300;
constexpr int kComeBackMillis = 2000;

// Ends the test, saying where, when the window thread stops turning: a hang.
class Watchdog {
  public:
    explicit Watchdog(const int& cycle) : cycle_(cycle) {
        beat_.callOnTimeout([this] { ++beats_; });
        beat_.start(100);
        thread_ = std::thread([this] {
            unsigned seen = beats_;
            for (int still = 0; !done_; std::this_thread::sleep_for(std::chrono::seconds(1))) {
                still = beats_ == seen ? still + 1 : 0;
                seen = beats_;
                if (still >= 30) {
                    std::fprintf(stderr, "the window thread hangs in cycle %d\n", cycle_);
                    std::abort();
                }
            }
        });
    }
    ~Watchdog() {
        done_ = true;
        thread_.join();
    }

  private:
    const int& cycle_;
    QTimer beat_;
    std::atomic<unsigned> beats_{0};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

} // namespace

class TestDeviceSoak : public QObject {
    Q_OBJECT

  private slots:
    void bothProgramsComeBackAfterEveryChange() {
        if (qgetenv("TUNER_SOAK_WAY") == "sdl")
            setSoundWay(SoundWay::Sdl);
        const int cycles = qEnvironmentVariableIntValue("TUNER_SOAK_CYCLES") > 0
                               ? qEnvironmentVariableIntValue("TUNER_SOAK_CYCLES")
                               : kCycles;
        PrivateServer server;
        if (!server.running())
            QSKIP("needs pulseaudio (scripts/deps installs it)");
        qputenv("PULSE_SERVER", server.address());
        const QTemporaryDir config; // the listening window's choices, kept apart
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        QString sink = server.addSink(u"soak"_s);

        Session session;
        installSoundDevice(std::chrono::milliseconds(100));
        const QString folder = session.app.complete(u"Ukulele"_s, {});
        writeWav(folder + u"1-a4.wav"_s, tone(440, 0.25));
        session.start();
        click(session.tuner->picTuner[0]); // loops (the switch starts on)
        ListenWindow listening(session.app.tunesPath(), 440);
        listening.show();
        listening.cboInstrument->setCurrentIndex(0); // any note
        const auto heard = [&] { return listening.lblNote->text() == u"A4"_s; };
        QVERIFY(QTest::qWaitFor(heard, 30000)); // the first start loads the libraries

        const unsigned seed = qEnvironmentVariableIsSet("TUNER_SOAK_SEED")
                                  ? unsigned(qEnvironmentVariableIntValue("TUNER_SOAK_SEED"))
                                  : std::random_device()();
        std::printf("device soak: seed %u (TUNER_SOAK_SEED=%u repeats it)\n", seed, seed);
        std::mt19937 random(seed);
        const auto pause = [&] { QTest::qWait(int(random() % 301)); };
        int cycle = 0;
        Watchdog watchdog(cycle);
        qint64 slowest = 0;
        for (cycle = 1; cycle <= cycles; ++cycle) {
            server.remove(sink);
            // Four restarts of the server, and twelve checks that both come back.
            const bool restart = cycle % std::max(1, cycles / 4) == 0;
            if (restart) {
                server.stop();
                QVERIFY(server.start());
            }
            const bool check = restart || cycle % std::max(1, cycles / 12) == 0;
            if (check) // nothing heard while there is no device, so what comes is heard anew
                QVERIFY2(
                    QTest::qWaitFor([&] { return listening.lblNote->text() == u"–"_s; }, 20000),
                    qPrintable(listening.lblNote->text()));
            else
                pause();
            sink = server.addSink(u"soak"_s);
            QVERIFY2(!sink.isEmpty(), "the sink could not be added");
            if (!check) {
                pause();
                continue;
            }
            QElapsedTimer back;
            back.start();
            const bool both = QTest::qWaitFor(heard, kComeBackMillis);
            slowest = std::max(slowest, back.elapsed());
            if (!both)
                QFAIL(qPrintable(
                    u"cycle %1: not heard again within %2 ms (the window shows "
                    "'%3', '%4'); the server's streams:\n%5\n%6"_s.arg(cycle)
                        .arg(kComeBackMillis)
                        .arg(listening.lblNote->text(), listening.lblMicrophone->text(),
                             server.pactl({u"list"_s, u"short"_s, u"sink-inputs"_s}),
                             server.pactl({u"list"_s, u"short"_s, u"source-outputs"_s}))));
        }
        std::printf("device soak: heard again at most %lld ms after the device came back\n",
                    slowest);
        QCOMPARE(session.lit(), QList<int>{0}); // the peg still sounds

        // Another device becomes the default: both streams follow it, and it is heard there.
        server.addSink(u"other"_s);
        server.pactl({u"set-default-sink"_s, u"other"_s});
        server.pactl({u"set-default-source"_s, u"other.monitor"_s});
        const auto onOther = [&](const QString& streams, const QString& devices) {
            const QString other = server.pactl({u"list"_s, u"short"_s, devices})
                                      .split(u'\n')
                                      .filter(u"\tother"_s)
                                      .value(0)
                                      .section(u'\t', 0, 0);
            const QStringList lines = server.pactl({u"list"_s, u"short"_s, streams}).split(u'\n');
            return !other.isEmpty() && lines.size() == 1 && lines[0].section(u'\t', 1, 1) == other;
        };
        QVERIFY(QTest::qWaitFor(
            [&] {
                return onOther(u"sink-inputs"_s, u"sinks"_s) &&
                       onOther(u"source-outputs"_s, u"sources"_s) && heard();
            },
            kComeBackMillis));
    }
};

QTEST_MAIN(TestDeviceSoak)
#include "test_device_soak.moc"
