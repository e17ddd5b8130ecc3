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
    std::unique_ptr<RecordedSound> sound;
    std::unique_ptr<AppFolder> app;
    std::unique_ptr<Tuner> tuner;

    // A window with three instruments (no pictures, no profiles) after start-up.
    void start() {
        sound = std::make_unique<RecordedSound>();
        app = std::make_unique<AppFolder>();
        for (const char* name : {"Banjo", "Guitar", "Ukulele"})
            app->instrument(name, {"1.wav"});
        tuner = startTuner(*app);
        QVERIFY(QTest::qWaitForWindowExposed(tuner.get()));
    }

  private slots:
    void cleanup() {
        tuner.reset();
        app.reset();
        sound.reset();
    }

    void windowHasItsSizeTitleAndFrame() {
        start();
        QCOMPARE(tuner->windowTitle(), QStringLiteral("Veltrosan Tuner"));
        QCOMPARE(tuner->size(), QSize(384, 550));
        QCOMPARE(tuner->Width(), 5850);
        QCOMPARE(tuner->Height(), 8655);
        QCOMPARE(tuner->minimumSize(), tuner->maximumSize()); // fixed size
        const Qt::WindowFlags flags = tuner->windowFlags();
        QVERIFY(flags.testFlag(Qt::Tool));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(tuner->testAttribute(Qt::WA_QuitOnClose));
        // Placed by the centring rule on the offscreen screen.
        const QSize screen = tuner->screen()->size() * 15;
        const int top = std::max(0, int(std::nearbyint(screen.height() * 0.85)) / 2 - 8655 / 2);
        QCOMPARE(tuner->Top(), top);
        QCOMPARE(tuner->Left(), std::max(0, screen.width() / 2 - 5850 / 2));
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
            {tuner->picSwitch, {18, 478, 103, 54}},    {tuner->picAllOn, {790, 0, 384, 550}},
            {tuner->picAllOff, {400, 0, 384, 550}},    {tuner->cboInstrument, {256, 506, 113, 27}},
            {tuner->TunerFiles, {268, 556, 103, 126}}, {tuner->TunersDir, {148, 560, 115, 118}},
            {tuner->Command1, {54, 644, 83, 33}},      {tuner->cboOptions, {256, 454, 113, 27}},
        };
        for (const auto& row : table)
            QCOMPARE(row.widget->geometry(), row.place);
        QCOMPARE(tuner->Command1->text(), QStringLiteral("Make INI"));
        QVERIFY(tuner->cboOptions->isHidden());
        QCOMPARE(tuner->cboOptions->currentText(), QStringLiteral("plucked"));
        QVERIFY(tuner->cboInstrument->isEditable());
        QCOMPARE(tuner->TunerFiles->Pattern(), QStringLiteral("*.wav"));
        QVERIFY(!tuner->Timer1->isActive());
        QCOMPARE(tuner->Timer1->interval(), 1000);
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
        const QFont combo = tuner->cboInstrument->font();
        QCOMPARE(combo.family(), QStringLiteral("Arial"));
        QCOMPARE(combo.pointSizeF(), 12.0);
        QCOMPARE(combo.weight(), QFont::Bold);
        QVERIFY(!combo.italic() && !combo.underline() && !combo.strikeOut());
        QCOMPARE(tuner->TunerFiles->font().pointSizeF(), 9.0);
        QCOMPARE(tuner->TunersDir->font().pointSizeF(), 8.25);
        QCOMPARE(tuner->Command1->font().pointSizeF(), 9.0);
        QCOMPARE(tuner->cboInstrument->palette().color(QPalette::Base), QColor(64, 64, 64));
        QCOMPARE(tuner->cboInstrument->palette().color(QPalette::Text), QColor(192, 192, 255));
        QCOMPARE(tuner->cboOptions->palette().color(QPalette::Text), QColor(192, 255, 192));
        QCOMPARE(tuner->TunerFiles->palette().color(QPalette::Base), QColor(Qt::white));
        // Where no picture reaches, the window is light grey.
        QCOMPARE(tuner->grab(QRect(150, 300, 4, 4)).toImage().pixelColor(1, 1),
                 QColor(192, 192, 192));
    }

    void tabWalksThirteenStopsIncludingTheHiddenTools() {
        start();
        tuner->activateWindow();
        tuner->picTuner[0]->setFocus();
        QList<QWidget*> visited;
        for (int i = 0; i < 14; ++i) {
            visited << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QList<QWidget*> expected = {tuner->picTuner[0],   tuner->picTuner[1], tuner->picTuner[2],
                                    tuner->picTuner[3],   tuner->picTuner[4], tuner->picTuner[5],
                                    tuner->picSwitch,     tuner->picAllOn,    tuner->picAllOff,
                                    tuner->cboInstrument, tuner->TunerFiles,  tuner->TunersDir,
                                    tuner->Command1,      tuner->picTuner[0]};
        // An editable drop-down hands its focus to its edit field.
        for (QWidget*& w : visited)
            if (w == tuner->cboInstrument->lineEdit())
                w = tuner->cboInstrument;
        QCOMPARE(visited, expected);

        tuner->cboOptions->show();
        tuner->Command1->setFocus();
        QTest::keyClick(tuner->Command1, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        QVERIFY(next == tuner->cboOptions || next == tuner->cboOptions->lineEdit());
    }

    void spaceOnMakeIniPressesIt() {
        start();
        tuner->Command1->setFocus();
        QTest::keyClick(tuner->Command1, Qt::Key_Space);
        QVERIFY(QFileInfo::exists(app->appPath() + "tuner.ini"));
    }

    void typingIntoTheInstrumentListIsDiscarded() {
        start();
        QLineEdit* edit = tuner->cboInstrument->lineEdit();
        const QString text = tuner->cboInstrument->currentText();
        const int index = tuner->cboInstrument->currentIndex();
        sound->clear();
        edit->setFocus();
        QTest::keyClicks(edit, "G 7");
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Delete);
        QApplication::clipboard()->setText("Cello");
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(tuner->cboInstrument->currentText(), text);
        QCOMPARE(tuner->cboInstrument->currentIndex(), index);
        QVERIFY(sound->calls().empty()); // no instrument selection ran
    }

    void arrowKeysChooseTheNextInstrument() {
        start();
        tuner->cboInstrument->setCurrentIndex(0);
        tuner->cboInstrument->lineEdit()->setFocus();
        sound->clear();
        QTest::keyClick(tuner->cboInstrument->lineEdit(), Qt::Key_Down);
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Guitar"));
        QCOMPARE(AppModul::InstrumentPath, app->tunesPath() + "Guitar/");
        QCOMPARE(sound->calls().size(), size_t(1)); // the release sound of the selection
    }

    void leavingTheListsRunsNoHandler() {
        start();
        QCOMPARE(tuner->cboInstrument->currentIndex(), 2); // "Ukulele" is selected
        const QString options = app->instrument("Cello", {"a1.wav", "b1.wav"});
        app->profile(options, "[Veltrosan Tuner]\nOptions=2\nOption1=a\nOption2=b\n");
        tuner->cboInstrument->setEditText("Cello");
        tuner->cboInstrument_Click();
        sound->clear();
        QLineEdit* edit = tuner->cboOptions->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "b");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(tuner->cboOptions->currentText(), QStringLiteral("b")); // shown only
        QCOMPARE(tuner->OptionPrefix, QStringLiteral("a"));
        QCOMPARE(tuner->TunerFiles->Pattern(), QStringLiteral("a*.wav"));

        tuner->cboInstrument->setEditText("Banjo"); // differs from the selected entry
        tuner->cboInstrument->lineEdit()->setFocus();
        QTest::keyClick(tuner->cboInstrument->lineEdit(), Qt::Key_Return);
        QTest::keyClick(tuner->cboInstrument->lineEdit(), Qt::Key_Tab);
        QVERIFY(sound->calls().empty());
        QCOMPARE(AppModul::InstrumentPath, app->tunesPath() + "Cello/");
    }

    void settingTheTextRunsNoSelection() {
        start();
        sound->clear();
        tuner->cboInstrument->setEditText("Banjo");
        tuner->cboInstrument->addItem("Cello");
        QVERIFY(sound->calls().empty());
    }

    void closingSetsSingleMode() {
        start();
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        tuner->close();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
