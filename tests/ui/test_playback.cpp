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
    std::unique_ptr<RecordedSound> sound;
    std::unique_ptr<AppFolder> app;
    std::unique_ptr<Tuner> tuner;
    QString folder;

    void press(int peg, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(tuner->picTuner[size_t(peg)], button, keys, QPoint(3, 3));
        QTest::mouseRelease(tuner->picTuner[size_t(peg)], button, keys, QPoint(3, 3));
    }
    void pressSwitch() {
        QTest::mousePress(tuner->picSwitch, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(tuner->picSwitch, Qt::LeftButton, {}, QPoint(10, 10));
    }
    // The pegs that show their on look.
    QList<int> lit() {
        QList<int> result;
        for (int k = 0; k < 6; ++k) {
            if (shows(*tuner, *tuner->picTuner[size_t(k)], 200))
                result << k;
            else if (!shows(*tuner, *tuner->picTuner[size_t(k)], 40))
                result << -1; // neither look: a fault
        }
        return result;
    }
    QString file(int peg) const { return folder + tuner->TunerFiles->entry(peg); }
    SoundCall last() const { return sound->calls().back(); }

  private slots:
    void init() {
        sound = std::make_unique<RecordedSound>();
        app = std::make_unique<AppFolder>();
        folder = app->instrument("Ukulele", {"1-g.wav", "2-c.wav", "3-e.wav", "4-a.wav", "5-x.wav",
                                             "6-y.wav", "7-z.wav", "8-w.wav"});
        app->pictures(folder, QString(), 40, 200);
        app->profile(folder, "[Veltrosan Tuner]\n" + designLayout());
        tuner = startTuner(*app);
        QVERIFY(QTest::qWaitForWindowExposed(tuner.get()));
        sound->clear();
    }
    void cleanup() {
        tuner.reset();
        app.reset();
        sound.reset();
    }

    void loopModeStartsStopsAndRestartsAPeg() {
        press(1);
        QCOMPARE(lit(), QList<int>{1});
        QCOMPARE(sound->calls().size(), size_t(1));
        QCOMPARE(last().path, file(1));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        QCOMPARE(tuner->LoopFile, file(1));
        QCOMPARE(tuner->PegFile, file(1));

        press(1);
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(last().flags, SND_ASYNC);
        QCOMPARE(tuner->LoopActive, int16_t(0));
        QCOMPARE(tuner->LoopFile, file(1));

        press(1);
        QCOMPARE(lit(), QList<int>{1});
        QCOMPARE(last().path, file(1));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(sound->calls().size(), size_t(3));
    }

    void anotherPegTakesOverWithoutARelease() {
        press(1);
        press(3, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(lit(), QList<int>{3});
        QCOMPARE(sound->calls().size(), size_t(2));
        QCOMPARE(last().path, file(3));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(tuner->LoopFile, file(3));
        press(3, Qt::MiddleButton);
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(lit(), QList<int>{});
    }

    void anOptionChangeBetweenTwoPressesReplacesTheLoop() {
        const QString f = app->instrument("Banjo", {"a1.wav", "a2.wav", "b1.wav", "b2.wav"});
        app->pictures(f, QString(), 40, 200);
        app->profile(f, "[Veltrosan Tuner]\nOptions=2\nOption1=a\nOption2=b\n" + designLayout());
        tuner->cboInstrument->setEditText("Banjo");
        tuner->cboInstrument_Click();
        press(1);
        QCOMPARE(tuner->LoopFile, f + "a2.wav");
        tuner->cboOptions->setCurrentIndex(1);
        tuner->cboOptions_Click();
        sound->clear();
        press(1);
        QCOMPARE(sound->calls().size(), size_t(1));
        QCOMPARE(last().path, f + "b2.wav");
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(tuner->LoopActive, int16_t(-1));
    }

    void singleModePlaysOnceAndTheTimerDarkensThePeg() {
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        sound->clear();
        press(0);
        QCOMPARE(lit(), QList<int>{0});
        QCOMPARE(last().path, file(0));
        QCOMPARE(last().flags, SND_ASYNC);
        QVERIFY(tuner->Timer1->isActive());
        QCOMPARE(tuner->LoopActive, int16_t(0));
        press(2);
        QCOMPARE(lit(), QList<int>{2});
        QCOMPARE(last().path, file(2));
        QTRY_VERIFY_WITH_TIMEOUT(!tuner->Timer1->isActive(), 2500); // the real one-second tick
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(sound->calls().size(), size_t(2)); // the tick leaves the sound alone
    }

    void aPendingTickStillComesAfterTheSwitchIsTurnedOn() {
        pressSwitch();
        press(0);
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QCOMPARE(lit(), QList<int>{0}); // stays lit until the tick
        press(4);
        QCOMPARE(lit(), QList<int>{4});
        sound->clear();
        tuner->Timer1_Timer(); // the tick
        QCOMPARE(lit(), QList<int>{});
        QVERIFY(!tuner->Timer1->isActive());
        QVERIFY(sound->calls().empty());
        QCOMPARE(tuner->LoopActive, int16_t(-1)); // the loop sounds on
    }

    void switchingOffSilencesEverything() {
        press(2);
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(last().flags, SND_ASYNC);
        QCOMPARE(tuner->PegFile, QString());
        QCOMPARE(tuner->LoopActive, int16_t(0));
        QCOMPARE(lit(), QList<int>{});
        QVERIFY(shows(*tuner, *tuner->picSwitch, 40));
        sound->clear();
        pressSwitch();
        QVERIFY(sound->calls().empty()); // turning on plays nothing
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        press(2);
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP); // starts afresh
        // With nothing sounding, turning off still plays the release once.
        press(2);
        sound->clear();
        QTest::mousePress(tuner->picSwitch, Qt::RightButton, Qt::AltModifier, QPoint(1, 1));
        QCOMPARE(sound->calls().size(), size_t(1));
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
    }

    void aDoubleClickTogglesExactlyTwice() {
        QWindow* window = tuner->windowHandle();
        const QPoint centre = tuner->picSwitch->geometry().center();
        press(2);
        sound->clear();
        QTest::mouseDClick(window, Qt::LeftButton, {}, centre);
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QCOMPARE(sound->calls().size(), size_t(1)); // the release, once
        QCOMPARE(tuner->LoopActive, int16_t(0));    // the loop stays ended
        QCOMPARE(lit(), QList<int>{});
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));

        pressSwitch();
        sound->clear();
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        QTest::mouseDClick(window, Qt::LeftButton, {}, centre);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QCOMPARE(sound->calls().size(), size_t(1));
    }

    void anOptionChosenWhileOffShowsTheSwitchOn() {
        const QString f = app->instrument("Banjo", {"a1.wav", "b1.wav"});
        app->pictures(f, QString(), 40, 200);
        app->profile(f, "[Veltrosan Tuner]\nOptions=2\nOption1=a\nOption2=b\n" + designLayout());
        tuner->cboInstrument->setEditText("Banjo");
        tuner->cboInstrument_Click();
        pressSwitch();
        tuner->cboOptions->setCurrentIndex(1);
        tuner->cboOptions_Click();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        pressSwitch();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
    }

    void aFilePickLoopsWithoutLightingAPeg() {
        tuner->TunerFiles->setCurrentRow(7);
        tuner->TunerFiles_Click();
        QCOMPARE(last().path, folder + "8-w.wav"); // beyond the sixth, too
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(tuner->LoopActive, int16_t(0));
        press(0);
        QCOMPARE(last().path, file(0));
        QCOMPARE(last().flags, SND_ASYNC | SND_LOOP);
        QCOMPARE(tuner->LoopActive, int16_t(-1));
    }

    void aFilePickWhileAPegLoops() {
        press(2);
        tuner->TunerFiles->setCurrentRow(5);
        tuner->TunerFiles_Click();
        QCOMPARE(last().path, folder + "6-y.wav");
        QCOMPARE(lit(), QList<int>{});
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        QCOMPARE(tuner->LoopFile, file(2));
        press(2); // the loop file still names peg 2: its press ends the picked file
        QCOMPARE(last().path, AppModul::ReleaseSoundFile);
        QCOMPARE(tuner->LoopActive, int16_t(0));
    }

    void aFilePickInSingleMode() {
        pressSwitch();
        press(1);
        sound->clear();
        QTest::mouseClick(tuner->TunerFiles->viewport(), Qt::LeftButton, {},
                          tuner->TunerFiles->visualItemRect(tuner->TunerFiles->item(0)).center());
        QCOMPARE(sound->calls().size(), size_t(1));
        QCOMPARE(last().path, folder + "1-g.wav");
        QCOMPARE(last().flags, SND_ASYNC);
        QCOMPARE(lit(), QList<int>{1}); // pegs stay until the tick
        QVERIFY(tuner->Timer1->isActive());
        tuner->Timer1_Timer();
        QCOMPARE(lit(), QList<int>{});
    }

    void aPegPastTheEndOfTheListPlaysNothingButLoops() {
        const QString f = app->instrument("Bass", {"1.wav", "2.wav"});
        app->pictures(f, QString(), 40, 200);
        app->profile(f, "[Veltrosan Tuner]\n" + designLayout());
        tuner->cboInstrument->setEditText("Bass");
        tuner->cboInstrument_Click();
        sound->clear();
        press(5);
        QCOMPARE(last().path, f);
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        QCOMPARE(lit(), QList<int>{5});
        Sound::shutdown(); // the real device: a folder plays nothing and does not fail
        press(4);
        QCOMPARE(tuner->LoopFile, f);
        press(0);
        QCOMPARE(tuner->LoopFile, f + "1.wav");
    }

    void folderChangeKeepsOneSeparator() {
        tuner->TunersDir->setPath("/");
        QCOMPARE(AppModul::InstrumentPath, QStringLiteral("/"));
        QCOMPARE(tuner->TunerFiles->Path(), QStringLiteral("/"));
    }
};

QTEST_MAIN(TestPlayback)
#include "test_playback.moc"
