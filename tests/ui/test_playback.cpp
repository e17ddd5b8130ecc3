#include "app/globals.h"
#include "fixture.h"
#include "support/picture_box.h"
#include "ui/folder_lists.h"
#include "ui/tuner.h"

#include <QComboBox>
#include <QStyleHints>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace Fixture;
using Sound::SND_ASYNC;
using Sound::SND_LOOP;

class TestPlayback : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;
    QString folder;

    void press(int peg, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(session->tuner->picTuner[size_t(peg)], button, keys, QPoint(3, 3));
        QTest::mouseRelease(session->tuner->picTuner[size_t(peg)], button, keys, QPoint(3, 3));
    }
    void pressSwitch() {
        QTest::mousePress(session->tuner->picSwitch, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(session->tuner->picSwitch, Qt::LeftButton, {}, QPoint(10, 10));
    }
    // The pegs that show their on look.
    QList<int> lit() {
        QList<int> result;
        for (int k = 0; k < 6; ++k) {
            if (shows(*session->tuner, *session->tuner->picTuner[size_t(k)], 200))
                result << k;
            else if (!shows(*session->tuner, *session->tuner->picTuner[size_t(k)], 40))
                result << -1; // neither look: a fault
        }
        return result;
    }
    QString file(int peg) const { return folder + session->tuner->TunerFiles->entry(peg); }
    // An instrument with the test pictures, the design layout and these profile lines.
    QString instrument(const QString& name, const QStringList& recordings,
                       const QString& keys = {}) {
        const QString f = session->app.instrument(name, recordings);
        session->app.pictures(f, QString(), 40, 200);
        session->app.profile(f, "[Veltrosan Tuner]\n" + keys + designLayout());
        return f;
    }
    SoundCall last() const { return session->sound.calls().back(); }

  private slots:
    void init() {
        session = std::make_unique<Session>();
        folder = instrument("Ukulele", {"1-g.wav", "2-c.wav", "3-e.wav", "4-a.wav", "5-x.wav",
                                        "6-y.wav", "7-z.wav", "8-w.wav"});
        session->start();
        QVERIFY(QTest::qWaitForWindowExposed(session->tuner.get()));
        session->sound.clear();
    }
    void cleanup() { session.reset(); }

    void loopModeStartsStopsAndRestartsAPeg() {
        press(1);
        QCOMPARE(lit(), QList<int>{1});
        QCOMPARE(session->sound.calls().size(), size_t(1));
        QCOMPARE(last().path, file(1));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(session->tuner->LoopActive, int16_t(-1));
        QCOMPARE(session->tuner->LoopFile, file(1));
        QCOMPARE(session->tuner->PegFile, file(1));

        press(1);
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(last().flags, SND_ASYNC);
        QCOMPARE(session->tuner->LoopActive, int16_t(0));
        QCOMPARE(session->tuner->LoopFile, file(1));

        press(1);
        QCOMPARE(lit(), QList<int>{1});
        QCOMPARE(last().path, file(1));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(session->sound.calls().size(), size_t(3));
    }

    void anotherPegTakesOverWithoutARelease() {
        press(1);
        press(3, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(lit(), QList<int>{3});
        QCOMPARE(session->sound.calls().size(), size_t(2));
        QCOMPARE(last().path, file(3));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(session->tuner->LoopFile, file(3));
        press(3, Qt::MiddleButton);
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(lit(), QList<int>{});
    }

    void anOptionChangeBetweenTwoPressesReplacesTheLoop() {
        const QString f = instrument("Banjo", {"a1.wav", "a2.wav", "b1.wav", "b2.wav"},
                                     "Options=2\nOption1=a\nOption2=b\n");
        choose(*session->tuner, "Banjo");
        press(1);
        QCOMPARE(session->tuner->LoopFile, f + "a2.wav");
        session->tuner->cboOptions->setCurrentIndex(1);
        session->tuner->cboOptions_Click();
        session->sound.clear();
        press(1);
        QCOMPARE(session->sound.calls().size(), size_t(1));
        QCOMPARE(last().path, f + "b2.wav");
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(session->tuner->LoopActive, int16_t(-1));
    }

    void singleModePlaysOnceAndTheTimerDarkensThePeg() {
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        session->sound.clear();
        press(0);
        QCOMPARE(lit(), QList<int>{0});
        QCOMPARE(last().path, file(0));
        QCOMPARE(last().flags, SND_ASYNC);
        QVERIFY(session->tuner->Timer1->isActive());
        QCOMPARE(session->tuner->LoopActive, int16_t(0));
        press(2);
        QCOMPARE(lit(), QList<int>{2});
        QCOMPARE(last().path, file(2));
        QTRY_VERIFY_WITH_TIMEOUT(!session->tuner->Timer1->isActive(),
                                 2500); // the real one-second tick
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(session->sound.calls().size(), size_t(2)); // the tick leaves the sound alone
    }

    void aPendingTickStillComesAfterTheSwitchIsTurnedOn() {
        pressSwitch();
        press(0);
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QCOMPARE(lit(), QList<int>{0}); // stays lit until the tick
        press(4);
        QCOMPARE(lit(), QList<int>{4});
        session->sound.clear();
        session->tuner->Timer1_Timer(); // the tick
        QCOMPARE(lit(), QList<int>{});
        QVERIFY(!session->tuner->Timer1->isActive());
        QVERIFY(session->sound.calls().empty());
        QCOMPARE(session->tuner->LoopActive, int16_t(-1)); // the loop sounds on
    }

    void switchingOffSilencesEverything() {
        press(2);
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(last().flags, SND_ASYNC);
        QCOMPARE(session->tuner->PegFile, QString());
        QCOMPARE(session->tuner->LoopActive, int16_t(0));
        QCOMPARE(lit(), QList<int>{});
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 40));
        session->sound.clear();
        pressSwitch();
        QVERIFY(session->sound.calls().empty()); // turning on plays nothing
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 200));
        press(2);
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP); // starts afresh
        // With nothing sounding, turning off still plays the release once.
        press(2);
        session->sound.clear();
        QTest::mousePress(session->tuner->picSwitch, Qt::RightButton, Qt::AltModifier,
                          QPoint(1, 1));
        QCOMPARE(session->sound.calls().size(), size_t(1));
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
    }

    void aDoubleClickTogglesExactlyTwice() {
        QWindow* window = session->tuner->windowHandle();
        const QPoint centre = session->tuner->picSwitch->geometry().center();
        press(2);
        session->sound.clear();
        QTest::mouseDClick(window, Qt::LeftButton, {}, centre);
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QCOMPARE(session->sound.calls().size(), size_t(1)); // the release, once
        QCOMPARE(session->tuner->LoopActive, int16_t(0));   // the loop stays ended
        QCOMPARE(lit(), QList<int>{});
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 200));

        pressSwitch();
        session->sound.clear();
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        QTest::mouseDClick(window, Qt::LeftButton, {}, centre);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QCOMPARE(session->sound.calls().size(), size_t(1));
    }

    void anOptionChosenWhileOffShowsTheSwitchOn() {
        const QString f =
            instrument("Banjo", {"a1.wav", "b1.wav"}, "Options=2\nOption1=a\nOption2=b\n");
        choose(*session->tuner, "Banjo");
        pressSwitch();
        session->tuner->cboOptions->setCurrentIndex(1);
        session->tuner->cboOptions_Click();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 200));
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 200));
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
    }

    void aFilePickLoopsWithoutLightingAPeg() {
        session->tuner->TunerFiles->setCurrentRow(7);
        session->tuner->TunerFiles_Click();
        QCOMPARE(last().path, folder + "8-w.wav"); // beyond the sixth, too
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(session->tuner->LoopActive, int16_t(0));
        press(0);
        QCOMPARE(last().path, file(0));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(session->tuner->LoopActive, int16_t(-1));
    }

    void aFilePickWhileAPegLoops() {
        press(2);
        session->tuner->TunerFiles->setCurrentRow(5);
        session->tuner->TunerFiles_Click();
        QCOMPARE(last().path, folder + "6-y.wav");
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(session->tuner->LoopActive, int16_t(-1));
        QCOMPARE(session->tuner->LoopFile, file(2));
        press(2); // the loop file still names peg 2: its press ends the picked file
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(session->tuner->LoopActive, int16_t(0));
    }

    void aFilePickInSingleMode() {
        pressSwitch();
        press(1);
        session->sound.clear();
        QTest::mouseClick(
            session->tuner->TunerFiles->viewport(), Qt::LeftButton, {},
            session->tuner->TunerFiles->visualItemRect(session->tuner->TunerFiles->item(0))
                .center());
        QCOMPARE(session->sound.calls().size(), size_t(1));
        QCOMPARE(last().path, folder + "1-g.wav");
        QCOMPARE(last().flags, SND_ASYNC);
        QCOMPARE(lit(), QList<int>{1}); // pegs stay until the tick
        QVERIFY(session->tuner->Timer1->isActive());
        session->tuner->Timer1_Timer();
        QCOMPARE(lit(), QList<int>{});
    }

    void aPegPastTheEndOfTheListPlaysNothingButLoops() {
        const QString f = instrument("Bass", {"1.wav", "2.wav"});
        choose(*session->tuner, "Bass");
        session->sound.clear();
        press(5);
        QCOMPARE(last().path, f);
        QCOMPARE(session->tuner->LoopActive, int16_t(-1));
        QCOMPARE(lit(), QList<int>{5});
        Sound::shutdown(); // the real device: a folder plays nothing and does not fail
        press(4);
        QCOMPARE(session->tuner->LoopFile, f);
        press(0);
        QCOMPARE(session->tuner->LoopFile, f + "1.wav");
    }

    void folderChangeKeepsOneSeparator() {
        session->tuner->TunersDir->setPath("/");
        QCOMPARE(AppModul::InstrumentPath, QStringLiteral("/"));
        QCOMPARE(session->tuner->TunerFiles->Path(), QStringLiteral("/"));
    }
};

QTEST_MAIN(TestPlayback)
#include "test_playback.moc"
