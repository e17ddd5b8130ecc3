#include "app/globals.h"
#include "fixture.h"
#include "support/artwork.h"
#include "support/picture_box.h"
#include "ui/folder_lists.h"
#include "ui/tuner.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

using namespace Fixture;

class TestWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;

    // A window with three instruments (no pictures, no profiles) after start-up.
    void start() {
        session = std::make_unique<Session>();
        for (const char* name : {"Banjo", "Guitar", "Ukulele"})
            session->app.instrument(name, {"1.wav"});
        session->start();
        QVERIFY(QTest::qWaitForWindowExposed(session->tuner.get()));
    }

  private slots:
    void cleanup() { session.reset(); }

    void windowHasItsSizeTitleAndFrame() {
        start();
        QCOMPARE(session->tuner->windowTitle(), QStringLiteral("Veltrosan Tuner"));
        QCOMPARE(session->tuner->size(), QSize(384, 550));
        QCOMPARE(session->tuner->Width(), 5850);
        QCOMPARE(session->tuner->Height(), 8655);
        QCOMPARE(session->tuner->minimumSize(), session->tuner->maximumSize()); // fixed size
        const Qt::WindowFlags flags = session->tuner->windowFlags();
        QVERIFY(flags.testFlag(Qt::Tool));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(session->tuner->testAttribute(Qt::WA_QuitOnClose));
        // Placed by the centring rule on the offscreen screen.
        const QSize screen = session->tuner->screen()->size() * 15;
        const int top = std::max(0, int(std::nearbyint(screen.height() * 0.85)) / 2 - 8655 / 2);
        QCOMPARE(session->tuner->Top(), top);
        QCOMPARE(session->tuner->Left(), std::max(0, screen.width() / 2 - 5850 / 2));
    }

    void iconIsA16ColourDrawing() {
        const QImage icon = Artwork::iconImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QVERIFY(icon.colorCount() <= 16);
        QSet<QRgb> colours;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                colours.insert(icon.pixel(x, y));
        QVERIFY(colours.size() >= 4); // a drawing, not a blank
    }

    void controlsSitAtTheirPlaces() {
        start();
        const struct {
            QWidget* widget;
            QRect place;
        } table[] = {
            {session->tuner->picSwitch, {18, 478, 103, 54}},
            {session->tuner->picAllOn, {790, 0, 384, 550}},
            {session->tuner->picAllOff, {400, 0, 384, 550}},
            {session->tuner->cboInstrument, {256, 506, 113, 27}},
            {session->tuner->TunerFiles, {268, 556, 103, 126}},
            {session->tuner->TunersDir, {148, 560, 115, 118}},
            {session->tuner->Command1, {54, 644, 83, 33}},
            {session->tuner->cboOptions, {256, 454, 113, 27}},
        };
        for (const auto& row : table)
            QCOMPARE(row.widget->geometry(), row.place);
        QCOMPARE(session->tuner->Command1->text(), QStringLiteral("Make INI"));
        QVERIFY(session->tuner->cboOptions->isHidden());
        QCOMPARE(session->tuner->cboOptions->currentText(), QStringLiteral("plucked"));
        QVERIFY(session->tuner->cboInstrument->isEditable());
        QCOMPARE(session->tuner->TunerFiles->Pattern(), QStringLiteral("*.wav"));
        QVERIFY(!session->tuner->Timer1->isActive());
        QCOMPARE(session->tuner->Timer1->interval(), 1000);
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
    }

    void designPlacesBeforeAnyLayoutIsRead() {
        RecordedSound quiet;
        Tuner fresh;
        const QRect pegs[6] = {{12, 238, 92, 84}, {8, 152, 96, 77},    {6, 64, 92, 79},
                               {276, 64, 98, 83}, {270, 156, 102, 80}, {268, 242, 104, 85}};
        for (int k = 0; k < 6; ++k)
            QCOMPARE(fresh.picTuner[k]->geometry(), pegs[k]);
        QCOMPARE(fresh.size(), QSize(385, 687));
        QCOMPARE(fresh.cboInstrument->currentText(), QStringLiteral("Mandoline"));
        // Picture areas are grey until something is drawn into them.
        QCOMPARE(fresh.picTuner[0]->image().pixelColor(5, 5), QColor(128, 128, 128));
        QCOMPARE(fresh.picTuner[0]->grab().toImage().pixelColor(5, 5), QColor(128, 128, 128));
    }

    void fontsAndColours() {
        start();
        const QFont combo = session->tuner->cboInstrument->font();
        QCOMPARE(combo.family(), QStringLiteral("Arial"));
        QCOMPARE(combo.pointSizeF(), 12.0);
        QCOMPARE(combo.weight(), QFont::Bold);
        QVERIFY(!combo.italic() && !combo.underline() && !combo.strikeOut());
        QCOMPARE(session->tuner->TunerFiles->font().pointSizeF(), 9.0);
        QCOMPARE(session->tuner->TunersDir->font().pointSizeF(), 8.25);
        QCOMPARE(session->tuner->Command1->font().pointSizeF(), 9.0);
        QCOMPARE(session->tuner->cboInstrument->palette().color(QPalette::Base),
                 QColor(64, 64, 64));
        QCOMPARE(session->tuner->cboInstrument->palette().color(QPalette::Text),
                 QColor(192, 192, 255));
        QCOMPARE(session->tuner->cboOptions->palette().color(QPalette::Text),
                 QColor(192, 255, 192));
        QCOMPARE(session->tuner->TunerFiles->palette().color(QPalette::Base), QColor(Qt::white));
        // Where no picture reaches, the window is light grey.
        QCOMPARE(session->tuner->grab(QRect(150, 300, 4, 4)).toImage().pixelColor(1, 1),
                 QColor(192, 192, 192));
    }

    void tabWalksThirteenStopsIncludingTheHiddenTools() {
        start();
        session->tuner->activateWindow();
        session->tuner->picTuner[0]->setFocus();
        QList<QWidget*> visited;
        for (int i = 0; i < 14; ++i) {
            visited << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QList<QWidget*> expected = {
            session->tuner->picTuner[0],   session->tuner->picTuner[1], session->tuner->picTuner[2],
            session->tuner->picTuner[3],   session->tuner->picTuner[4], session->tuner->picTuner[5],
            session->tuner->picSwitch,     session->tuner->picAllOn,    session->tuner->picAllOff,
            session->tuner->cboInstrument, session->tuner->TunerFiles,  session->tuner->TunersDir,
            session->tuner->Command1,      session->tuner->picTuner[0]};
        // An editable drop-down hands its focus to its edit field.
        for (QWidget*& w : visited)
            if (w == session->tuner->cboInstrument->lineEdit())
                w = session->tuner->cboInstrument;
        QCOMPARE(visited, expected);

        session->tuner->cboOptions->show();
        session->tuner->Command1->setFocus();
        QTest::keyClick(session->tuner->Command1, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        QVERIFY(next == session->tuner->cboOptions ||
                next == session->tuner->cboOptions->lineEdit());
    }

    void spaceOnMakeIniPressesIt() {
        start();
        session->tuner->Command1->setFocus();
        QTest::keyClick(session->tuner->Command1, Qt::Key_Space);
        QVERIFY(QFileInfo::exists(session->app.appPath() + "tuner.ini"));
    }

    void typingIntoTheInstrumentListIsDiscarded() {
        start();
        QLineEdit* edit = session->tuner->cboInstrument->lineEdit();
        const QString text = session->tuner->cboInstrument->currentText();
        const int index = session->tuner->cboInstrument->currentIndex();
        session->sound.clear();
        edit->setFocus();
        QTest::keyClicks(edit, "G 7");
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Delete);
        QApplication::clipboard()->setText("Cello");
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(session->tuner->cboInstrument->currentText(), text);
        QCOMPARE(session->tuner->cboInstrument->currentIndex(), index);
        QVERIFY(session->sound.calls().empty()); // no instrument selection ran
    }

    void arrowKeysChooseTheNextInstrument() {
        start();
        session->tuner->cboInstrument->setCurrentIndex(0);
        session->tuner->cboInstrument->lineEdit()->setFocus();
        session->sound.clear();
        QTest::keyClick(session->tuner->cboInstrument->lineEdit(), Qt::Key_Down);
        QCOMPARE(session->tuner->cboInstrument->currentText(), QStringLiteral("Guitar"));
        QCOMPARE(AppModul::InstrumentPath, session->app.tunesPath() + "Guitar/");
        QCOMPARE(session->sound.calls().size(), size_t(1)); // the release sound of the selection
    }

    void leavingTheListsRunsNoHandler() {
        start();
        QCOMPARE(session->tuner->cboInstrument->currentIndex(), 2); // "Ukulele" is selected
        const QString options = session->app.instrument("Cello", {"a1.wav", "b1.wav"});
        session->app.profile(options, "[Veltrosan Tuner]\nOptions=2\nOption1=a\nOption2=b\n");
        choose(*session->tuner, "Cello");
        session->sound.clear();
        QLineEdit* edit = session->tuner->cboOptions->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "b");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(session->tuner->cboOptions->currentText(), QStringLiteral("b")); // shown only
        QCOMPARE(session->tuner->OptionPrefix, QStringLiteral("a"));
        QCOMPARE(session->tuner->TunerFiles->Pattern(), QStringLiteral("a*.wav"));

        session->tuner->cboInstrument->setEditText("Banjo"); // differs from the selected entry
        session->tuner->cboInstrument->lineEdit()->setFocus();
        QTest::keyClick(session->tuner->cboInstrument->lineEdit(), Qt::Key_Return);
        QTest::keyClick(session->tuner->cboInstrument->lineEdit(), Qt::Key_Tab);
        QVERIFY(session->sound.calls().empty());
        QCOMPARE(AppModul::InstrumentPath, session->app.tunesPath() + "Cello/");
    }

    void settingTheTextRunsNoSelection() {
        start();
        session->sound.clear();
        session->tuner->cboInstrument->setEditText("Banjo");
        session->tuner->cboInstrument->addItem("Cello");
        QVERIFY(session->sound.calls().empty());
    }

    void closingSetsSingleMode() {
        start();
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        session->tuner->close();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
