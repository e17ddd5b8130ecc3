// The window as the keyboard meets it: the focus order, the hidden "Make INI" button, and the
// two drop-down lists, with every key sent to the widget that has the focus.
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <tuple>

using namespace Qt::StringLiterals;

class TestWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;
    Tuner* tuner = nullptr;

    static void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    static void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }

  private slots:
    // A window with four instruments (no pictures, no profiles) after start-up, active.
    void init() {
        session = std::make_unique<Session>();
        for (const char* name : {"Banjo", "Gamba", "Guitar", "Ukulele"})
            session->app.instrument(QString::fromLatin1(name), {u"1.wav"_s});
        session->start();
        tuner = session->tuner.get();
        session->sound.clear();
    }
    void cleanup() { session.reset(); }

    void tabWalksTheFocusOrderAndSpacePressesMakeIni() {
        tuner->picTuner[0]->setFocus();
        QList<QWidget*> visited;
        for (int i = 0; i < 13; ++i) {
            visited << QApplication::focusWidget();
            key(Qt::Key_Tab);
        }
        visited << QApplication::focusWidget();
        const QList<QWidget*> expected = {
            tuner->picTuner[0], tuner->picTuner[1],   tuner->picTuner[2], tuner->picTuner[3],
            tuner->picTuner[4], tuner->picTuner[5],   tuner->picSwitch,   tuner->picAllOn,
            tuner->picAllOff,   tuner->cboInstrument, tuner->TunerFiles,  tuner->TunersDir,
            tuner->Command1,    tuner->picTuner[0]};
        QCOMPARE(visited, expected);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        key(Qt::Key_Space);
        QVERIFY(QFileInfo::exists(session->app.appPath() + u"tuner.ini"_s));
        tuner->cboOptions->show();
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tuner->cboOptions);
    }

    void theWindowAndItsControlsStandWhereTheDesignPutsThem() {
        // The offscreen screen is 800 x 800 pixels (12000 twips): Left = 6000 - 2925 twips and
        // Top = 12000 x 0.85 / 2 - 8655 / 2 = 5100 - 4327 twips, in whole pixels.
        QCOMPARE(tuner->pos(), QPoint(205, 51));
        QCOMPARE(tuner->size(), QSize(384, 550));
        const Tuner design; // before a peg layout is read
        const QList<std::pair<QWidget*, QRect>> places = {
            {design.picTuner[0], {12, 238, 92, 84}},   {design.picTuner[1], {8, 152, 96, 77}},
            {design.picTuner[2], {6, 64, 92, 79}},     {design.picTuner[3], {276, 64, 98, 83}},
            {design.picTuner[4], {270, 156, 102, 80}}, {design.picTuner[5], {268, 242, 104, 85}},
            {design.picSwitch, {18, 478, 103, 54}},    {design.picAllOn, {790, 0, 384, 550}},
            {design.picAllOff, {400, 0, 384, 550}},    {design.cboInstrument, {256, 506, 113, 27}},
            {design.TunerFiles, {268, 556, 103, 126}}, {design.TunersDir, {148, 560, 115, 118}},
            {design.Command1, {54, 644, 83, 33}},      {design.cboOptions, {256, 454, 113, 27}}};
        for (const auto& [control, place] : places)
            QCOMPARE(control->geometry(), place);
    }

    void typingIntoTheInstrumentListIsDiscarded() {
        tuner->cboInstrument->setFocus();
        const int index = tuner->cboInstrument->currentIndex();
        type(u"G 7"_s);
        QApplication::clipboard()->setText(u"Cello"_s);
        for (const auto& [k, modifiers] :
             {std::pair<int, Qt::KeyboardModifiers>{Qt::Key_Backspace, {}},
              {Qt::Key_Delete, {}},
              {Qt::Key_V, Qt::ControlModifier},
              {Qt::Key_Insert, Qt::ShiftModifier},
              {Qt::Key_X, Qt::ControlModifier}})
            key(k, modifiers);
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QCOMPARE(tuner->cboInstrument->currentIndex(), index);
        QVERIFY(session->sound.calls().empty()); // no instrument selection ran
    }

    void arrowKeysAndPicksChooseAnInstrument() {
        tuner->cboInstrument->setFocus();
        key(Qt::Key_Up);
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Guitar"));
        QCOMPARE(AppModul::InstrumentPath, session->app.tunesPath() + u"Guitar/"_s);
        QCOMPARE(session->sound.calls().size(), size_t(1)); // the release sound of the selection
        // Picking the instrument that is already chosen runs the selection again.
        tuner->cboInstrument->showPopup();
        QAbstractItemView* view = tuner->cboInstrument->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(1, 0)).center());
        QCOMPARE(session->sound.calls().size(), size_t(2));
    }

    void theOpenListTakesNoTypingAndChoosesAtEveryMove() {
        QAbstractItemView* list = tuner->cboInstrument->view();
        const auto open = [&] {
            tuner->cboInstrument->setFocus();
            key(Qt::Key_F4);
            QTRY_VERIFY(list->isVisible());
            QCOMPARE(QApplication::focusWidget(), list);
        };
        open();
        type(u"G"_s); // would jump to Gamba
        key(Qt::Key_Return);
        QVERIFY(!list->isVisible());
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QVERIFY(session->sound.calls().empty());
        // Each move chooses once; closing the list on the entry chosen runs nothing more.
        open();
        const QString tunes = session->app.tunesPath();
        for (const auto& [k, name, selections] : {std::tuple{Qt::Key_Up, "Guitar", 1},
                                                  {Qt::Key_Up, "Gamba", 2},
                                                  {Qt::Key_Home, "Banjo", 3},
                                                  {Qt::Key_Home, "Banjo", 3},
                                                  {Qt::Key_End, "Ukulele", 4},
                                                  {Qt::Key_Down, "Ukulele", 4},
                                                  {Qt::Key_PageUp, "Banjo", 5},
                                                  {Qt::Key_Return, "Banjo", 5}}) {
            key(k);
            QCOMPARE(tuner->cboInstrument->currentText(), QString::fromLatin1(name));
            QCOMPARE(AppModul::InstrumentPath, tunes + QString::fromLatin1(name) + u"/"_s);
            QCOMPARE(session->sound.calls().size(), size_t(selections));
        }
        QVERIFY(!list->isVisible());
        open();
        key(Qt::Key_Down);
        key(Qt::Key_Escape); // closes the list on the entry chosen
        QVERIFY(!list->isVisible());
        QCOMPARE(AppModul::InstrumentPath, tunes + u"Gamba/"_s);
        QCOMPARE(session->sound.calls().size(), size_t(6));
    }

    void typingEnterOrLeavingTheListsRunsNoHandler() {
        const QString options =
            session->app.instrument(u"Cello"_s, {u"plucked1.wav"_s, u"pizzicato1.wav"_s});
        session->app.profile(
            options, u"[Veltrosan Tuner]\nOptions=2\nOption1=plucked\nOption2=pizzicato\n"_s);
        choose(*tuner, u"Cello"_s);
        session->sound.clear();
        tuner->cboOptions->setFocus();
        key(Qt::Key_A, Qt::ControlModifier);
        type(u"p"_s); // stays as typed: nothing completes it to an entry
        QCOMPARE(tuner->cboOptions->currentText(), QStringLiteral("p"));
        type(u"izzicato"_s); // an entry's text, but typed: Enter and Tab do not pick it
        key(Qt::Key_Return);
        key(Qt::Key_Tab);
        QCOMPARE(tuner->cboOptions->currentText(), QStringLiteral("pizzicato")); // shown only
        QCOMPARE(tuner->OptionPrefix, QStringLiteral("plucked"));
        QCOMPARE(tuner->TunerFiles->Pattern(), QStringLiteral("plucked*.wav"));

        tuner->cboInstrument->setEditText(u"Banjo"_s); // differs from the chosen entry
        tuner->cboInstrument->addItem(u"Viola"_s);
        tuner->cboInstrument->setFocus();
        key(Qt::Key_Return);
        key(Qt::Key_Tab);
        QVERIFY(session->sound.calls().empty());
        QCOMPARE(AppModul::InstrumentPath, session->app.tunesPath() + u"Cello/"_s);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
