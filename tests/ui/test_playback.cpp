// Pressing pegs and the switch, and picking files, with real mouse events: which recording
// sounds, once or looping, and which pegs are lit.
#include "support/sound/wav_decoder.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

using Sound::Playback;

class TestPlayback : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;
    Tuner* tuner = nullptr;
    QString folder;

    void press(int peg, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
        click(tuner->picTuner[size_t(peg)], button, keys);
    }
    QString file(int peg) const { return folder + tuner->TunerFiles->entry(peg); }
    SoundCall last() const { return session->sound.calls().back(); }
    size_t calls() const { return session->sound.calls().size(); }
    void pick(int row) {
        tuner->TunerFiles->setCurrentRow(row);
        tuner->TunerFiles_Click();
    }

  private slots:
    void init() {
        session = std::make_unique<Session>();
        folder = session->app.complete(u"Ukulele"_s,
                                       {u"1-g.wav"_s, u"2-c.wav"_s, u"3-e.wav"_s, u"4-a.wav"_s,
                                        u"5-x.wav"_s, u"6-y.wav"_s, u"7-z.wav"_s, u"8-w.wav"_s});
        session->app.instrument(u"Ukulele/Low"_s, {u"1-low.wav"_s});
        session->start();
        tuner = session->tuner.get();
        QVERIFY(QTest::qWaitForWindowExposed(tuner));
        session->sound.clear();
    }
    void cleanup() { session.reset(); }

    void loopModeStartsStopsAndRestartsAPeg() {
        for (int round = 0; round < 2; ++round) {
            press(1);
            QCOMPARE(session->lit(), QList<int>{1});
            QCOMPARE(last().path, file(1));
            QCOMPARE(last().playback, Playback::Looping);
            QCOMPARE(tuner->LoopActive, int16_t(-1));
            press(1);
            QCOMPARE(session->lit(), QList<int>{});
            QCOMPARE(last().path, AppModul::ReleaseSoundFile);
            QCOMPARE(last().playback, Playback::Once);
            QCOMPARE(tuner->LoopActive, int16_t(0));
        }
        QCOMPARE(calls(), size_t(4));
    }

    void anotherPegOrOptionTakesOverWithoutARelease() {
        press(1);
        press(3, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier); // any button
        QCOMPARE(session->lit(), QList<int>{3});
        QCOMPARE(calls(), size_t(2));
        QCOMPARE(last().path, file(3));
        QCOMPARE(last().playback, Playback::Looping);
        press(3, Qt::MiddleButton);
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);

        const QString banjo =
            session->app.complete(u"Banjo"_s, {u"a1.wav"_s, u"a2.wav"_s, u"b1.wav"_s, u"b2.wav"_s},
                                  u"Options=2\nOption1=a\nOption2=b\n"_s);
        choose(*tuner, u"Banjo"_s);
        press(1);
        chooseOption(*tuner, 1);
        session->sound.clear();
        press(1);
        QCOMPARE(calls(), size_t(1));
        QCOMPARE(last().path, banjo + u"b2.wav"_s);
        QCOMPARE(last().playback, Playback::Looping);
    }

    void singleModePlaysOnceAndTheTickDarkensThePeg() {
        click(tuner->picSwitch);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        session->sound.clear();
        press(0);
        QCOMPARE(last().path, file(0));
        QCOMPARE(last().playback, Playback::Once);
        QCOMPARE(tuner->LoopActive, int16_t(0));
        QElapsedTimer sincePress;
        sincePress.start();
        QTRY_VERIFY(tuner->Timer1->remainingTime() < 900);
        press(2); // the running timer is not restarted: it ticks one second after the first press
        QVERIFY(tuner->Timer1->remainingTime() < 900);
        QTest::qWait(600); // the peg stays lit: a tick can come late on a busy machine, not early
        if (sincePress.elapsed() < 950)
            QCOMPARE(session->lit(), QList<int>{2});
        QTRY_COMPARE_WITH_TIMEOUT(session->lit(), QList<int>{}, 3000);
        QVERIFY(!tuner->Timer1->isActive());
        QCOMPARE(calls(), size_t(2)); // the tick leaves the sound alone
    }

    void aPendingTickStillComesAfterTheSwitchIsTurnedOn() {
        click(tuner->picSwitch);
        press(0);
        click(tuner->picSwitch);
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        press(4);
        QCOMPARE(session->lit(), QList<int>{4}); // lit, looping, until the tick
        session->sound.clear();
        QTRY_COMPARE_WITH_TIMEOUT(session->lit(), QList<int>{}, 3000);
        QVERIFY(session->sound.calls().empty());
        QCOMPARE(tuner->LoopActive, int16_t(-1)); // the loop sounds on
    }

    void switchingOffSilencesEverything() {
        press(2);
        click(tuner->picSwitch, Qt::RightButton, Qt::AltModifier);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(tuner->PegFile, QString());
        QCOMPARE(tuner->LoopActive, int16_t(0));
        QCOMPARE(session->lit(), QList<int>{});
        QVERIFY(shows(*tuner, *tuner->picSwitch, 40));
        session->sound.clear();
        click(tuner->picSwitch);
        QVERIFY(session->sound.calls().empty()); // turning on plays nothing
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        click(tuner->picSwitch); // with nothing sounding, turning off still plays the release
        QCOMPARE(calls(), size_t(1));
    }

    void aDoubleClickTogglesTheSwitchTwiceAndPressesAPegOnce() {
        QWindow* window = tuner->windowHandle();
        press(2);
        session->sound.clear();
        QTest::mouseDClick(window, Qt::LeftButton, {}, tuner->picSwitch->geometry().center());
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QCOMPARE(calls(), size_t(1)); // the release, once
        QCOMPARE(tuner->LoopActive, int16_t(0));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        QTest::mouseDClick(window, Qt::LeftButton, {}, tuner->picTuner[1]->geometry().center());
        QCOMPARE(calls(), size_t(2)); // the loop starts and is not ended by the second click
        QCOMPARE(last().path, file(1));
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        QCOMPARE(session->lit(), QList<int>{1});
    }

    void aFilePickPlaysInTheModeWithoutLightingAPeg() {
        press(2);
        pick(7);
        QCOMPARE(last().path, folder + u"8-w.wav"_s); // beyond the sixth, too
        QCOMPARE(last().playback, Playback::Looping);
        QCOMPARE(session->lit(), QList<int>{});
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        press(2); // the loop file still names peg 2: its press ends the picked file
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);

        click(tuner->picSwitch);
        press(1);
        session->sound.clear();
        QTest::mouseClick(tuner->TunerFiles->viewport(), Qt::LeftButton, {},
                          tuner->TunerFiles->visualItemRect(tuner->TunerFiles->item(0)).center());
        QCOMPARE(last().path, folder + u"1-g.wav"_s);
        QCOMPARE(last().playback, Playback::Once);
        QCOMPARE(session->lit(), QList<int>{1}); // pegs stay until the tick
        QVERIFY(tuner->Timer1->isActive());
    }

    void anInstrumentWithANonAsciiNameIsListedAndPlays() {
        session.reset(); // a fresh start that lists it
        session = std::make_unique<Session>();
        const QString name = QStringLiteral("Geige äöü");
        const QString geige = session->app.complete(name, {u"1-g3.wav"_s});
        session->start();
        QVERIFY(entries(*session->tuner->cboInstrument).contains(name));
        choose(*session->tuner, name);
        click(session->tuner->picTuner[0]);
        QCOMPARE(session->sound.calls().back().path, geige + u"1-g3.wav"_s);
        QVERIFY(decodeWavFile(geige + u"1-g3.wav"_s));
    }

    // A screen reader hears what each control does; Space and Enter on the focused peg or
    // switch act as a left-button press, keys reaching them as the window system sends them.
    void keysPressAndScreenReadersHearWhatEachControlDoes() {
        const auto name = [](QWidget* w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        };
        QCOMPARE(QAccessible::queryAccessibleInterface(tuner->picTuner[0])->role(),
                 QAccessible::Button);
        QCOMPARE(name(tuner->picTuner[1]), QStringLiteral("2-c"));
        QCOMPARE(name(tuner->picSwitch), QStringLiteral("Loop"));
        const auto labels =
            QAccessible::queryAccessibleInterface(tuner->cboOptions)->relations(QAccessible::Label);
        QVERIFY(!labels.isEmpty());
        QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("Sound option"));
        tuner->picTuner[0]->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tuner->picTuner[1]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(last().path, file(1));
        QCOMPARE(last().playback, Playback::Looping);
        for (int k = 2; k <= 6; ++k) // pegs 2 to 5, then the switch
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tuner->picSwitch);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(name(tuner->picSwitch), QStringLiteral("Single"));
        // A folder of two recordings: the other pegs play nothing, and say so.
        session->app.complete(u"Banjo"_s, {u"1-d.wav"_s, u"2-g.wav"_s});
        tuner->cboInstrument->addItem(u"Banjo"_s);
        tuner->cboInstrument->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Banjo"));
        QCOMPARE(name(tuner->picTuner[1]), QStringLiteral("2-g"));
        QCOMPARE(name(tuner->picTuner[2]), QStringLiteral("Peg 3 plays nothing"));
        QCOMPARE(name(tuner->picSwitch), QStringLiteral("Loop"));
        // Such a peg "plays" the folder itself (nothing is heard), as a loop all the same.
        press(2);
        QCOMPARE(tuner->PegFile, session->app.appPath() + u"Tunes/Banjo/"_s);
        QCOMPARE(last().path, tuner->PegFile);
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        press(2);
        QCOMPARE(last().path, session->app.appPath() + u"Tunes/release.wav"_s);
    }

    // Keys in the hidden lists: Enter in the folder list changes the folder every peg plays
    // from; the arrow keys in the file list play, looping or once as the switch says.
    void theHiddenListsAnswerTheirKeys() {
        for (const auto& [switchClicks, playback] :
             {std::pair{0, Playback::Looping}, {1, Playback::Once}}) {
            for (int c = 0; c < switchClicks; ++c)
                click(tuner->picSwitch);
            tuner->TunerFiles->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QCOMPARE(last().path, file(tuner->TunerFiles->currentRow()));
            QCOMPARE(last().playback, playback);
        }
        tuner->TunersDir->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(AppModul::InstrumentPath, folder + u"Low/"_s);
        press(0);
        QCOMPARE(last().path, folder + u"Low/1-low.wav"_s);
    }
};

QTEST_MAIN(TestPlayback)
#include "test_playback.moc"
