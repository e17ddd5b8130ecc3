// The listening window as a user meets it, on real sound: a sound server without any capture
// device, on which a device then appears (a null sink, whose monitor is a source), a tone of
// known pitch played into it, and the device taken away again.
#include "listen/cents_gauge.h"
#include "listen/head_view.h"
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
#include <QRegularExpression>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The number of cents in a text such as "String 3, E4, 4.5 cents sharp" or "+4.5 cents", signed.
double centsIn(const QString& text) {
    const auto m = QRegularExpression(u"([-+]?[0-9]+\\.[0-9]) cents( flat)?"_s).match(text);
    return m.hasMatch() ? m.captured(1).toDouble() * (m.capturedLength(2) ? -1 : 1) : NAN;
}

} // namespace

class TestListenWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    PrivateServer server; // no device at all, until the test adds one
    const double kStrings[4] = {392.00, 261.63, 329.63, 440.00};

  private slots:
    void initTestCase() {
        if (!server.running())
            QSKIP("needs pulseaudio (scripts/deps installs it)");
        const QString ukulele = dir.path() + u"/Tunes/Ukulele/"_s;
        const char* names[] = {"1-G4", "2-C4", "3-E4", "4-A4"};
        for (int k = 0; k < 4; ++k)
            writeWav(ukulele + QLatin1String(names[k]) + u".wav"_s, tone(kStrings[k], 1.0));
        writeBmp(ukulele + u"all-on.bmp"_s, placePicture(200));
        writeBmp(ukulele + u"all-off.bmp"_s, placePicture(100));
        writeFile(ukulele + u"tuner.ini"_s, (u"[Veltrosan Tuner]\n"_s + designLayout()).toUtf8());
        qputenv("PULSE_SERVER", server.address());
    }

    void hearsAStringOnceAMicrophoneAppears() {
        ListenWindow window(dir.path() + u"/Tunes/"_s, 440);
        window.show();
        QCOMPARE(window.cboInstrument->currentText(), u"Ukulele"_s);
        QCOMPARE(window.cboInstrument->itemText(0), u"Any note"_s);
        // No device at all: the window says so and keeps trying.
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isVisible(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->text().startsWith(u"No microphone"_s),
                                 20000);

        QString module = server.addSink(u"late"_s);
        server.pactl({u"set-default-source"_s, u"late.monitor"_s});
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isHidden(), 20000);

        // String 3 (E4), 4.5 cents sharp, sounding until the window has read it.
        const double truth = 4.5;
        const std::vector<int16_t> samples = tone(kStrings[2] * std::exp2(truth / 1200), 30.0);
        QProcess player;
        const auto play = [&] {
            player.start(u"pacat"_s,
                         {u"-s"_s, QFile::decodeName(server.address()), u"-d"_s, u"late"_s,
                          u"--raw"_s, u"--format=s16le"_s, u"--rate=48000"_s, u"--channels=1"_s});
            player.write(reinterpret_cast<const char*>(samples.data()),
                         qint64(samples.size() * sizeof(int16_t)));
            return player.waitForStarted();
        };
        QVERIFY(play());
        const auto spoken = [&] {
            return QAccessible::queryAccessibleInterface(window.gauge)->text(QAccessible::Name);
        };
        QTRY_VERIFY_WITH_TIMEOUT(spoken().startsWith(u"String 3, E4, "_s), 20000);
        // As drawn and as read: the string, its peg lit, and the cents within half a cent.
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - truth) <= 0.5, 5000);
        QVERIFY2(std::abs(centsIn(spoken()) - truth) <= 0.5, qPrintable(spoken()));
        QVERIFY(window.lblNote->text().contains(u"String 3"_s));
        const QImage head = window.head->grab().toImage();
        const QPoint lit = HeadLayout::kPegAreas[2].center() / 2,
                     dark = HeadLayout::kPegAreas[1].center() / 2;
        QCOMPARE(qBlue(head.pixel(lit)), 200);
        QCOMPARE(qBlue(head.pixel(dark)), 100);
        // Any note: the nearest note at the reference A4, typed in as a user does.
        window.cboInstrument->setCurrentIndex(0);
        QVERIFY(window.spinA4->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(window.lblNote->text(), u"E4"_s, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - truth) <= 0.5, 5000);
        window.activateWindow();
        window.spinA4->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), u"442"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const double at442 = truth - 1200 * std::log2(442.0 / 440);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - at442) <= 0.5, 5000);
        player.kill();
        player.waitForFinished();

        // The device goes away: said so, the needle rests, and the window goes on.
        server.remove(module);
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isVisible(), 20000);
        QVERIFY(!window.lblMicrophone->text().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(window.lblNote->text(), u"–"_s, 5000);
        // It comes back: heard again.
        module = server.addSink(u"late"_s);
        server.pactl({u"set-default-source"_s, u"late.monitor"_s});
        QVERIFY(play());
        QTRY_VERIFY_WITH_TIMEOUT(window.lblMicrophone->isHidden(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(centsIn(window.lblCents->text()) - at442) <= 0.5, 5000);
        player.kill();
        player.waitForFinished();
        server.remove(module);
    }
};

QTEST_MAIN(TestListenWindow)
#include "test_listen_window.moc"
