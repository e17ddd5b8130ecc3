#include "app/globals.h"
#include "fixture.h"
#include "support/picture_box.h"
#include "ui/folder_lists.h"
#include "ui/tuner.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

using namespace Fixture;

class TestInstrumentSelection : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;

    QString instrument(const QString& name, const QString& profile,
                       const QStringList& recordings = {"1.wav", "2.wav"}) {
        const QString folder = session->app.instrument(name, recordings);
        if (!profile.isNull())
            session->app.profile(folder, "[Veltrosan Tuner]\n" + profile + designLayout());
        return folder;
    }
    void choose(const QString& name) { Fixture::choose(*session->tuner, name); }
    bool allPegsShow(int blue) {
        for (PictureBox* peg : session->tuner->picTuner)
            if (!shows(*session->tuner, *peg, blue))
                return false;
        return true;
    }

  private slots:
    void init() { session = std::make_unique<Session>(); }
    void cleanup() { session.reset(); }

    void selectionShowsTheInstrument() {
        session->app.pictures(instrument("Ukulele", ""), QString(), 40, 200);
        session->start();
        QVERIFY(session->tuner->cboOptions->isHidden());
        QVERIFY(allPegsShow(40));
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 200));
        QCOMPARE(session->tuner->backgroundPicture(), placePicture(40));
        QCOMPARE(session->tuner->grab(QRect(150, 20, 1, 1)).toImage().pixelColor(0, 0),
                 placePicture(40).pixelColor(150, 20));
        QCOMPARE(AppModul::AllOnFile, session->app.tunesPath() + "Ukulele/all-on.bmp");
        QCOMPARE(AppModul::InstrumentIniFile, session->app.tunesPath() + "Ukulele/tuner.ini");
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QCOMPARE(session->tuner->TunerFiles->Pattern(), QStringLiteral("*.wav"));
    }

    void optionList_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("expected");
        const QString three = "Option1=a\nOption2=b\nOption3=c\nOption4=d\n";
        QTest::newRow("two reads three")
            << "Options=2\n" + three << true << QStringList{"a", "b", "c"};
        QTest::newRow("empty skipped") << "Options=2\nOption1=\nOption2=plucked\n"
                                       << true << QStringList{"plucked"};
        QTest::newRow("half") << "Options=0.5\n" + three << true << QStringList{"a"};
        QTest::newRow("negative") << "Options=-1\n" + three << true << QStringList{};
        QTest::newRow("text") << "Options=many\n" + three << false << QStringList{};
        QTest::newRow("none") << three << false << QStringList{};
        const QString sparse = "Option1000000000=last\noption2=b\nOPTION1=a\nOption01=no\n"
                               "Option7=g\nOption1=dup\n";
        QTest::newRow("1e9") << "Options=1e9\n" + sparse << true
                             << QStringList{"a", "b", "g", "last"};
        QTest::newRow("1e300") << "Options=1e300\n" + sparse << true
                               << QStringList{"a", "b", "g", "last"};
        QTest::newRow("1e400") << "Options=1e400\n" + sparse << true
                               << QStringList{"a", "b", "g", "last"};
        QTest::newRow("six") << "Options=6\n" + sparse << true << QStringList{"a", "b", "g"};
    }
    void optionList() {
        QFETCH(QString, keys);
        QFETCH(bool, shown);
        QFETCH(QStringList, expected);
        session->app.pictures(instrument("Ukulele", keys));
        QElapsedTimer timer;
        timer.start();
        session->start();
        QVERIFY(timer.elapsed() < 5000); // never one profile read per number up to N
        QCOMPARE(!session->tuner->cboOptions->isHidden(), shown);
        if (!shown)
            return;
        QCOMPARE(entries(*session->tuner->cboOptions), expected);
        QCOMPARE(session->tuner->OptionPrefix, expected.value(0));
        QCOMPARE(session->tuner->TunerFiles->Pattern(), expected.value(0) + "*.wav");
    }

    void noOptionValuesUseTheEmptyPrefix() {
        const QString folder = instrument("Ukulele", "Options=3\n");
        writeBmp(folder + "-all-off.bmp", placePicture(40));
        writeBmp(folder + "-all-on.bmp", placePicture(200));
        session->start();
        QCOMPARE(session->tuner->cboOptions->count(), 0);
        QVERIFY(session->tuner->cboOptions->isVisible());
        QCOMPARE(session->tuner->OptionPrefix, QString());
        QCOMPARE(session->tuner->TunerFiles->Pattern(), QStringLiteral("*.wav"));
        QCOMPARE(AppModul::AllOffFile, folder + "-all-off.bmp");
        QVERIFY(allPegsShow(40));
    }

    void plainPicturesFirstThenTheOptionsOwn() {
        const QString folder = instrument("Ukulele", "Options=2\nOption1=plucked\nOption2=bowed\n",
                                          {"plucked1.wav", "plucked2.wav", "bowed1.wav"});
        session->app.pictures(folder, QString(), 40, 200);
        session->app.pictures(folder, "plucked", 60, 220);
        session->start();
        QVERIFY(allPegsShow(40)); // the plain picture wins in the selection
        QCOMPARE(session->tuner->TunerFiles->ListCount(), 2);

        // Picking the same option in the list: its own picture wins.
        QComboBox* options = session->tuner->cboOptions;
        options->showPopup();
        QAbstractItemView* view = options->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(0, 0)).center());
        QVERIFY(allPegsShow(60));
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 220));
        QCOMPARE(session->tuner->backgroundPicture(), placePicture(60));

        // With the keyboard: the next option, which has no pictures of its own.
        options->lineEdit()->setFocus();
        QTest::keyClick(options->lineEdit(), Qt::Key_Down);
        QCOMPARE(session->tuner->OptionPrefix, QStringLiteral("bowed"));
        QVERIFY(allPegsShow(40));
        QCOMPARE(session->tuner->TunerFiles->ListCount(), 1);
        QCOMPARE(session->tuner->TunerFiles->entry(0), QStringLiteral("bowed1.wav"));
    }

    void onlyTheOptionsPicturesAreUsed() {
        const QString folder = instrument("Ukulele", "Options=1\nOption1=plucked\n");
        session->app.pictures(folder, "plucked", 60, 220);
        session->start();
        QVERIFY(allPegsShow(60));
        QCOMPARE(AppModul::AllOnFile, folder + "plucked-all-on.bmp");
    }

    void optionProfileGivesTheLayout() {
        const QString folder = instrument("Ukulele", "Options=1\nOption1=plucked\n");
        session->app.pictures(folder);
        session->app.profile(folder, "[Veltrosan Tuner]\nOptions=0\nTuner1-Top=5\nTuner1-Left=6\n",
                             "plucked-tuner.ini");
        session->start();
        QCOMPARE(session->tuner->picTuner[0]->geometry(), QRect(6, 5, 0, 0));
        QCOMPARE(AppModul::InstrumentIniFile, folder + "plucked-tuner.ini");
        QCOMPARE(entries(*session->tuner->cboOptions), QStringList{"plucked"}); // from tuner.ini
    }

    void aShorterOptionListsTheLongersFiles() {
        const QString folder = instrument("Ukulele", "Options=2\nOption1=pluck\nOption2=plucked\n",
                                          {"pluck1.wav", "plucked1.wav", "plucked2.wav"});
        session->app.pictures(folder);
        session->start();
        QCOMPARE(session->tuner->TunerFiles->ListCount(), 3);
    }

    void missingPicturesKeepThePreviousOnes() {
        session->app.pictures(instrument("Banjo", ""), QString(), 40, 200);
        const QString bare = instrument("Guitar", "");
        const QString cut = instrument("Ukulele", "");
        writeBmp(cut + "all-off.bmp", placePicture(90));
        writeFile(cut + "all-off.bmp", readFile(cut + "all-off.bmp").chopped(700));
        session->start();
        choose("Banjo");
        QVERIFY(allPegsShow(40));
        choose("Guitar");
        QVERIFY(allPegsShow(40));
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 200));
        choose("Ukulele"); // a truncated picture is no picture
        QVERIFY(allPegsShow(40));
        QCOMPARE(AppModul::InstrumentPath, cut);
        QVERIFY(!bare.isEmpty());
    }

    void noProfileShrinksThePegs() {
        const QString folder = session->app.instrument("Ukulele", {"1.wav"});
        session->app.pictures(folder);
        session->start();
        QVERIFY(session->tuner->cboOptions->isHidden());
        for (PictureBox* peg : session->tuner->picTuner)
            QCOMPARE(peg->geometry(), QRect(0, 0, 0, 0));
    }

    void aMissingFolderKeepsTheLists() {
        session->app.pictures(instrument("Banjo", ""));
        session->start();
        choose("Banjo");
        choose("Cello");
        QCOMPARE(session->tuner->TunersDir->Path(), session->app.tunesPath() + "Banjo");
        QCOMPARE(session->tuner->TunerFiles->Path(), session->app.tunesPath() + "Banjo");
        QVERIFY(session->tuner->cboOptions->isHidden());
    }

    void selectionEndsTheLoopAndTurnsTheSwitchOn() {
        const QString withOptions =
            instrument("Banjo", "Options=1\nOption1=plucked\n", {"plucked1.wav"});
        session->app.pictures(withOptions, QString(), 40, 200);
        session->app.pictures(instrument("Ukulele", ""), QString(), 40, 200);
        session->start();
        choose("Banjo");
        session->tuner->picTuner_MouseDown(0, 1, 0, 1, 1);
        QCOMPARE(session->tuner->LoopActive, int16_t(-1));
        session->sound.clear();
        choose("Ukulele");
        QCOMPARE(session->sound.calls().size(), size_t(1));
        QCOMPARE(session->sound.calls()[0].path, AppModul::ReleaseSoundFile);
        QCOMPARE(session->tuner->LoopActive, int16_t(0));
        QVERIFY(allPegsShow(40));
        QVERIFY(shows(*session->tuner, *session->tuner->picSwitch, 200));
        QVERIFY(session->tuner->cboOptions->isHidden());
        QCOMPARE(session->tuner->OptionPrefix, QString());
        QCOMPARE(session->tuner->TunerFiles->Pattern(), QStringLiteral("*.wav"));

        session->tuner->picSwitch_MouseDown(0, 0, 0, 0);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        choose("Ukulele");
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
    }

    void optionChangeKeepsTheToneAndTheMode() {
        const QString folder =
            instrument("Ukulele", "Options=2\nOption1=a\nOption2=b\n", {"a1.wav", "b1.wav"});
        session->app.pictures(folder);
        session->start();
        session->tuner->picTuner_MouseDown(0, 1, 0, 1, 1);
        session->tuner->picSwitch_MouseDown(1, 0, 0, 0);
        session->tuner->picSwitch_MouseDown(1, 0, 0, 0);
        session->tuner->picTuner_MouseDown(0, 1, 0, 1, 1);
        session->sound.clear();
        session->tuner->cboOptions->setCurrentIndex(1);
        session->tuner->cboOptions_Click();
        QVERIFY(session->sound.calls().empty());
        QCOMPARE(session->tuner->LoopActive, int16_t(-1));
        QVERIFY(allPegsShow(40));
        session->tuner->picSwitch_MouseDown(1, 0, 0, 0); // off
        session->tuner->cboOptions->setCurrentIndex(0);
        session->tuner->cboOptions_Click();
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QVERIFY(
            shows(*session->tuner, *session->tuner->picSwitch, 200)); // looks on, stays single mode
    }

    void optionWithoutAnyPictureGoesOn() {
        const QString folder = instrument("Ukulele", "Options=2\nOption1=a\nOption2=b\n");
        session->app.pictures(folder, "a", 60, 220);
        session->app.profile(
            folder,
            "[Veltrosan Tuner]\nTuner1-Top=3\nTuner1-Left=4\nTuner1-Height=50\nTuner1-Width=50\n",
            "b-tuner.ini");
        session->start();
        QVERIFY(allPegsShow(60));
        session->tuner->cboOptions->setCurrentIndex(1);
        session->tuner->cboOptions_Click();
        // The pictures stay, and the option's layout is taken and painted from them.
        QCOMPARE(session->tuner->picTuner[0]->geometry(), QRect(4, 3, 50, 50));
        QVERIFY(shows(*session->tuner, *session->tuner->picTuner[0], 60));
    }
};

QTEST_MAIN(TestInstrumentSelection)
#include "test_instrument_selection.moc"
