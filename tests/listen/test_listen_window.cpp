// The listening window as a user meets it, on real sound: a sound server without any capture
// device, on which devices then appear (null sinks, whose monitors are sources), tones of known
// pitch played into them, and devices taken away again. The choices are kept in a config folder
// of the test's own.
#include "listen/cents_gauge.h"
#include "listen/head_view.h"
#include "listen/listen_choices.h"
#include "listen/listen_window.h"
#include "support/picture/head_layout.h"
#include "tests/support/sound/private_server.h"
#include "tests/support/support_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The number of cents in a text such as "String 3, E4, 4.5 cents sharp" or "+4.5 cents", signed.
double centsIn(const QString& text) {
    const auto m = QRegularExpression(u"([-+]?[0-9]+\\.[0-9]) cents( flat)?"_s).match(text);
    return m.hasMatch() ? m.captured(1).toDouble() * (m.capturedLength(2) ? -1 : 1) : NAN;
}

QString spoken(ListenWindow& window) {
    return QAccessible::queryAccessibleInterface(window.gauge)->text(QAccessible::Name);
}

// Chooses the entry holding data in a drop-down as a user does with the keyboard.
void choose(QComboBox* box, const QVariant& data) {
    const int index = box->findData(data);
    QVERIFY2(index >= 0, qPrintable(data.toString()));
    box->window()->activateWindow();
    box->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(box->window()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(box->currentIndex(), index);
}

// Tones played into a sink, one frequency per channel (0: silence), until stopped.
class Tones {
  public:
    Tones(const PrivateServer& server, const QString& sink, const std::vector<double>& hz) {
        const int channels = int(hz.size());
        std::vector<int16_t> frames(std::size_t(30 * 48000 * channels));
        for (int c = 0; c < channels; ++c) {
            const std::vector<int16_t> t = tone(hz[std::size_t(c)], 30.0);
            for (std::size_t i = 0; hz[std::size_t(c)] > 0 && i < t.size(); ++i)
                frames[i * std::size_t(channels) + std::size_t(c)] = t[i];
        }
        player_.start(u"pacat"_s, {u"-s"_s, QFile::decodeName(server.address()), u"-d"_s, sink,
                                   u"--raw"_s, u"--format=s16le"_s, u"--rate=48000"_s,
                                   u"--channels="_s + QString::number(channels)});
        player_.write(reinterpret_cast<const char*>(frames.data()),
                      qint64(frames.size() * sizeof(int16_t)));
        started_ = player_.waitForStarted();
    }
    ~Tones() {
        player_.kill();
        player_.waitForFinished();
    }
    bool started() const { return started_; }

  private:
    QProcess player_;
    bool started_ = false;
};

} // namespace

class TestListenWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    PrivateServer server; // no device at all, until a test adds one
    const double kStrings[4] = {392.00, 261.63, 329.63, 440.00};
    std::unique_ptr<QTemporaryDir> config;

    QString tunes() const { return dir.path() + u"/Tunes/"_s; }

  private slots:
    void initTestCase() {
        if (!server.running())
            QSKIP("needs pulseaudio (scripts/deps installs it)");
        const QString ukulele = tunes() + u"Ukulele/"_s;
        const char* names[] = {"1-G4", "2-C4", "3-E4", "4-A4"};
        for (int k = 0; k < 4; ++k)
            writeWav(ukulele + QLatin1String(names[k]) + u".wav"_s, tone(kStrings[k], 1.0));
        writeBmp(ukulele + u"all-on.bmp"_s, placePicture(200));
        writeBmp(ukulele + u"all-off.bmp"_s, placePicture(100));
        writeFile(ukulele + u"tuner.ini"_s, (u"[Veltrosan Tuner]\n"_s + designLayout()).toUtf8());
        qputenv("PULSE_SERVER", server.address());
    }
    void init() { // each test starts as a new user would
        config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config->path()));
    }

    void hearsAStringOnceAMicrophoneAppears() {
        ListenWindow window(tunes());
        window.show();
        QCOMPARE(window.cboInstrument->currentText(), u"Any note"_s); // the very first start
        choose(window.cboInstrument, u"Ukulele"_s);
        // No device at all: the window says so and keeps trying.
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isVisible(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->text().startsWith(u"No input found"_s),
                                 20000);

        // An input without any output on the server is heard all the same.
        const QString source =
            server.pactl({u"load-module"_s, u"module-null-source"_s, u"source_name=only"_s});
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isHidden(), 20000);
        server.remove(source);
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isVisible(), 20000);

        QString module = server.addSink(u"late"_s);
        server.pactl({u"set-default-source"_s, u"late.monitor"_s});
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isHidden(), 20000);

        // String 3 (E4), 4.5 cents sharp, sounding until the window has read it.
        const double truth = 4.5;
        auto tones = std::make_unique<Tones>(
            server, u"late"_s, std::vector<double>{kStrings[2] * std::exp2(truth / 1200)});
        QVERIFY(tones->started());
        QTRY_VERIFY_WITH_TIMEOUT(spoken(window).startsWith(u"String 3, E4, "_s), 20000);
        // As drawn and as read: the string, its peg lit, and the cents within half a cent.
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - truth) <= 0.5, 5000);
        QVERIFY2(std::abs(centsIn(spoken(window)) - truth) <= 0.5, qPrintable(spoken(window)));
        QCOMPARE(window.lblString->text(), u"String 3"_s);
        QCOMPARE(window.lblNote->text(), u"E4"_s);
        // Read at arm's length: the note's letters stand an eighth of the window's height, at
        // its first size and maximised.
        for (const QSize size : {window.size(), window.size() * 2}) {
            window.resize(size);
            QTRY_COMPARE(window.size(), size);
            QVERIFY(QFontMetrics(window.lblNote->font()).capHeight() >= window.height() / 8);
            QVERIFY(window.gauge->width() >= window.width() / 2);
        }
        const QImage head = window.head->grab().toImage();
        const QPoint lit = HeadLayout::kPegAreas[2].center() / 2,
                     dark = HeadLayout::kPegAreas[1].center() / 2;
        QCOMPARE(qBlue(head.pixel(lit)), 200);
        QCOMPARE(qBlue(head.pixel(dark)), 100);
        // Any note: the nearest note at the reference A4, typed in as a user does.
        choose(window.cboInstrument, QVariant());
        QVERIFY(window.spinA4->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(window.lblNote->text(), u"E4"_s, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - truth) <= 0.5, 5000);
        window.spinA4->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), u"442"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const double at442 = truth - 1200 * std::log2(442.0 / 440);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - at442) <= 0.5, 5000);
        tones.reset();
        // The screen reader is told when nothing is heard any more, as the window shows it.
        QTRY_COMPARE_WITH_TIMEOUT(spoken(window), u"Nothing heard"_s, 5000);

        // The device goes away: said so, the needle rests, and the window goes on.
        server.remove(module);
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isVisible(), 20000);
        QVERIFY(!window.lblMicrophone->text().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(window.lblNote->text(), u"–"_s, 5000);
        // It comes back: heard again.
        module = server.addSink(u"late"_s);
        server.pactl({u"set-default-source"_s, u"late.monitor"_s});
        tones = std::make_unique<Tones>(server, u"late"_s,
                                        std::vector<double>{kStrings[2] * std::exp2(truth / 1200)});
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isHidden(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - at442) <= 0.5, 5000);
        tones.reset();
        server.remove(module);
    }

    // Two inputs, the second of two channels, each sounding its own note: the window hears the
    // input and channel chosen, and keeps the choice for the next start.
    void hearsTheInputAndChannelChosenAndKeepsThem() {
        const QString one = server.addSink(u"one"_s, 1), two = server.addSink(u"two"_s, 2);
        Tones e4(server, u"one"_s, {329.63}), a3a4(server, u"two"_s, {220.0, 440.0});
        QVERIFY(e4.started() && a3a4.started());
        struct Row {
            const char* input;
            int channel;
            const char* note;
        };
        const Row rows[] = {{"one.monitor", -1, "E4"},
                            {"two.monitor", 0, "A3"},
                            {"two.monitor", 1, "A4"},
                            {"two.monitor", -1, "A3"}};
        for (const Row& row : rows) {
            ListenWindow window(tunes());
            window.show();
            QTRY_VERIFY_WITH_TIMEOUT(window.cboInput->findData(QByteArray("one.monitor")) > 0 &&
                                         window.cboInput->count() == 3,
                                     20000);
            choose(window.cboInput, QByteArray(row.input));
            QVERIFY2(window.cboChannel->isVisible() == (row.input == "two.monitor"_ba), row.input);
            if (window.cboChannel->isVisible())
                choose(window.cboChannel, row.channel);
            QTRY_COMPARE_WITH_TIMEOUT(window.lblNote->text(), QLatin1String(row.note), 10000);
        }
        // The last choice, as the next start finds it; a choice whose input is gone, the default.
        {
            ListenWindow window(tunes());
            QCOMPARE(window.cboInput->currentData().toByteArray(), "two.monitor"_ba);
            QCOMPARE(window.cboChannel->currentData().toInt(), -1);
        }
        saveListenChoices({u"Gone"_s, "gone.monitor", 1, 445.0});
        ListenWindow window(tunes());
        window.show();
        QCOMPARE(window.cboInstrument->currentIndex(), 0);
        QCOMPARE(window.spinA4->value(), 445.0);
        QTRY_COMPARE_WITH_TIMEOUT(window.cboInput->currentData().toByteArray(), QByteArray(),
                                  20000);
        server.remove(one);
        server.remove(two);
    }

    // A note that is no string is still named; and in any note mode, A4 is set from it.
    void namesANoteThatIsNoStringAndSetsA4FromANote() {
        const QString module = server.addSink(u"notes"_s, 1);
        server.pactl({u"set-default-source"_s, u"notes.monitor"_s});
        saveListenChoices({u"Ukulele"_s, {}, -1, 440.0});
        ListenWindow window(tunes());
        window.show();
        QCOMPARE(window.cboInstrument->currentText(), u"Ukulele"_s);
        {
            Tones a2(server, u"notes"_s, {110.0});
            QTRY_COMPARE_WITH_TIMEOUT(window.lblNote->text(), u"A2"_s, 20000);
            QCOMPARE(window.lblWords->text(), u"not a string of Ukulele"_s);
            QTRY_VERIFY(spoken(window).startsWith(u"A2, "_s));
            QVERIFY(spoken(window).endsWith(u"not a string of Ukulele"_s));
            QVERIFY(!window.gauge->cents()); // greyed
            const QImage head = window.head->grab().toImage();
            for (const QRect& peg : HeadLayout::kPegAreas)
                QCOMPARE(qBlue(head.pixel(peg.center() / 2)), 100);
        }
        choose(window.cboInstrument, QVariant());
        Tones oboe(server, u"notes"_s, {442.0});
        QTRY_COMPARE_WITH_TIMEOUT(window.lblNote->text(), u"A4"_s, 20000); // the oboe's A heard
        QTRY_VERIFY_WITH_TIMEOUT(window.cmdSetA4->isEnabled(), 20000);
        QTest::mouseClick(window.cmdSetA4, Qt::LeftButton);
        QVERIFY2(std::abs(window.spinA4->value() - 442.0) <= 0.1,
                 qPrintable(QString::number(window.spinA4->value())));
        QTRY_COMPARE_WITH_TIMEOUT(window.lblCents->text(), u"0.0 cents"_s, 5000);
        QCOMPARE(window.lblWords->text(), u"In tune"_s);
        server.remove(module);
    }
};

QTEST_MAIN(TestListenWindow)
#include "test_listen_window.moc"
