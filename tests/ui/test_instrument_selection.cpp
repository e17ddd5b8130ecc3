// Choosing an instrument and a sound option: the option list, which pictures and profile are
// used, and the peg layout read from it and written by "Make INI".
#include "fixture.h"

#include <QAbstractItemView>
#include <QApplication>

class TestInstrumentSelection : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;
    Tuner* tuner = nullptr;

    void start() {
        session->start();
        tuner = session->tuner.get();
    }
    bool allPegsShow(int blue) {
        for (PictureBox* peg : tuner->picTuner)
            if (!shows(*tuner, *peg, blue))
                return false;
        return true;
    }
    QRect peg(int k) const { return tuner->picTuner[size_t(k)]->geometry(); }

  private slots:
    void init() { session = std::make_unique<Session>(); }
    void cleanup() { session.reset(); }

    void optionList_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("expected");
        const QString four = "Option1=a\nOption2=b\nOption3=c\nOption4=d\n";
        QTest::newRow("N reads N+1") << "Options=2\n" + four << true << QStringList{"a", "b", "c"};
        QTest::newRow("empty values left out") << "Options=2\nOption1=\nOption2=plucked\n"
                                               << true << QStringList{"plucked"};
        QTest::newRow("a fraction rounds down")
            << "Options=0.5\n" + four << true << QStringList{"a"};
        QTest::newRow("negative: shown and empty")
            << "Options=-1\n" + four << true << QStringList{};
        QTest::newRow("text is 0: hidden") << "Options=many\n" + four << false << QStringList{};
        QTest::newRow("missing: hidden") << four << false << QStringList{};
        const QString sparse = "Option1000000000=last\noption2=b\nOPTION1=a\nOption01=no\n"
                               "Option7=g\nOption1=dup\n";
        const QStringList all{"a", "b", "g", "last"};
        QTest::newRow("1e9: keys in number order") << "Options=1e9\n" + sparse << true << all;
        QTest::newRow("1e400 is infinite") << "Options=1e400\n" + sparse << true << all;
        QTest::newRow("6 stops before 1e9") << "Options=6\n" + sparse << true << all.mid(0, 3);
    }
    void optionList() {
        QFETCH(QString, keys);
        QFETCH(bool, shown);
        QFETCH(QStringList, expected);
        session->app.complete("Ukulele", {}, keys);
        start();
        QCOMPARE(!tuner->cboOptions->isHidden(), shown);
        QCOMPARE(entries(*tuner->cboOptions), shown ? expected : QStringList());
        QCOMPARE(tuner->OptionPrefix, expected.value(0));
        QCOMPARE(tuner->TunerFiles->Pattern(), expected.value(0) + "*.wav");
    }

    void picturesAndProfilesOfTheOptions() {
        const QString folder =
            session->app.complete("Ukulele", {"plucked1.wav", "plucked2.wav", "bowed1.wav"},
                                  "Options=2\nOption1=plucked\nOption2=bowed\n");
        session->app.pictures(folder, "plucked", 60, 220);
        session->app.profile(folder, "[Veltrosan Tuner]\nTuner1-Top=5\nTuner1-Left=6\n",
                             "bowed-tuner.ini");
        start();
        QVERIFY(allPegsShow(40)); // in the selection the plain pictures win
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        QCOMPARE(tuner->TunerFiles->ListCount(), 2);

        // Picked in the list: the option's own pictures win.
        tuner->cboOptions->showPopup();
        QAbstractItemView* view = tuner->cboOptions->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(0, 0)).center());
        QVERIFY(allPegsShow(60));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 220));
        QCOMPARE(tuner->backgroundPicture(), placePicture(60));

        // With the keyboard: the next option, without pictures of its own but with a profile.
        tuner->cboOptions->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(tuner->OptionPrefix, QStringLiteral("bowed"));
        QCOMPARE(tuner->TunerFiles->entry(0), QStringLiteral("bowed1.wav"));
        QCOMPARE(peg(0), QRect(6, 5, 0, 0));
        QCOMPARE(tuner->cboOptions->count(), 2); // the list still comes from tuner.ini
    }

    void missingOrBrokenPicturesKeepThePreviousOnes() {
        session->app.complete("Banjo", {"1.wav"});
        session->app.instrument("Guitar", {"1.wav"});
        const QString cut = session->app.instrument("Ukulele", {"1.wav"});
        writeBmp(cut + "all-off.bmp", placePicture(90));
        writeFile(cut + "all-off.bmp", readFile(cut + "all-off.bmp").chopped(700));
        start();
        choose(*tuner, "Banjo");
        for (const char* name : {"Guitar", "Ukulele", "Cello"}) {
            choose(*tuner, name);
            QCOMPARE(tuner->backgroundPicture(), placePicture(40));
            QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        }
        // A missing folder is refused by the lists; they keep the last one.
        QCOMPARE(tuner->TunersDir->Path(), session->app.tunesPath() + "Ukulele");
        QCOMPARE(peg(0), QRect()); // no profile: every peg shrinks to nothing
    }

    void selectionEndsTheLoopAndTurnsTheSwitchOn() {
        session->app.complete("Banjo", {"plucked1.wav"}, "Options=1\nOption1=plucked\n");
        session->app.complete("Ukulele", {"1.wav"});
        start();
        choose(*tuner, "Banjo");
        click(tuner->picTuner[0]);
        click(tuner->picSwitch);
        click(tuner->picSwitch);
        click(tuner->picTuner[0]);
        session->sound.clear();
        chooseOption(*tuner, 0); // an option change keeps the tone and the mode
        QVERIFY(session->sound.calls().empty());
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        choose(*tuner, "Ukulele");
        QCOMPARE(session->sound.calls().size(), size_t(1));
        QCOMPARE(session->sound.calls()[0].path, AppModul::ReleaseSoundFile);
        QCOMPARE(tuner->LoopActive, int16_t(0));
        QCOMPARE(session->lit(), QList<int>{});
        QVERIFY(tuner->cboOptions->isHidden());
        QCOMPARE(tuner->TunerFiles->Pattern(), QStringLiteral("*.wav"));
        click(tuner->picSwitch);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        choose(*tuner, "Banjo");
        click(tuner->picSwitch);
        chooseOption(*tuner, 0); // in single mode: the switch looks on and stays off
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        choose(*tuner, "Ukulele");
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
    }

    // Without plain pictures the selection takes the first option's own, and its own profile.
    void theFirstOptionsOwnFilesStandIn() {
        const QString folder = session->app.instrument("Ukulele", {"low1.wav"});
        session->app.profile(folder, "[Veltrosan Tuner]\nOptions=1\nOption1=low\n");
        session->app.pictures(folder, "low", 70, 230);
        session->app.profile(folder, "[Veltrosan Tuner]\nTuner1-Top=9\nTuner1-Left=8\n",
                             "low-tuner.ini");
        start();
        QCOMPARE(tuner->backgroundPicture(), placePicture(70));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 230));
        QCOMPARE(AppModul::InstrumentIniFile, folder + "low-tuner.ini");
        QCOMPARE(peg(0), QRect(8, 9, 0, 0));
    }

    void pegValuesFollowTheNumberRule() {
        const QString folder = session->app.complete("Ukulele", {"1.wav"});
        start();
        session->app.profile(folder,
                             "[Veltrosan Tuner]\nTuner3-width=98\nTuner1-Top= 238\n"
                             "Tuner1-Left=238px\nTuner1-Height=abc\nTuner2-Left=-20\n"
                             "Tuner4-Top=12.5\nTuner4-Left=-1.5\nTuner4-Width=2.4999\n",
                             "test.ini");
        tuner->ReadPegLayout(folder + "test.ini");
        QCOMPARE(peg(0), QRect(238, 238, 0, 0));
        QCOMPARE(peg(1).left(), -20);
        QCOMPARE(peg(2).width(), 98);
        QCOMPARE(peg(3), QRect(-2, 13, 2, 0)); // whole pixels, halves away from zero
    }

    void aValueThePegCannotTakeStopsTheReader() {
        const QString folder = session->app.complete("Ukulele", {"1.wav"});
        start();
        const QRect before = peg(4);
        for (const char* bad : {"Tuner4-Height=-0.5", "Tuner4-Top=1e400", "Tuner4-Top=99999"}) {
            session->app.profile(folder, QStringLiteral("[Veltrosan Tuner]\nTuner1-Top=7\n") + bad,
                                 "test.ini");
            QVERIFY(!attempt([&] { tuner->ReadPegLayout(folder + "test.ini"); }));
            QCOMPARE(peg(0).top(), 7);
            QCOMPARE(peg(4), before);
        }
    }

    void makeIniWritesTheLayoutIntoTheApplicationProfile() {
        const QString folder = session->app.complete("Ukulele", {"1.wav"});
        start();
        const QByteArray instrumentProfile = readFile(folder + "tuner.ini");
        tuner->picTuner[0]->move(-3, 238);
        tuner->Command1_Click();
        tuner->Command1_Click(); // one entry per key, replaced where it stands
        const QString written = QString::fromUtf8(readFile(session->app.appPath() + "tuner.ini"));
        QString expected = "[Veltrosan Tuner]\n" + designLayout().replace("-Width", "-width");
        QCOMPARE(written, expected.replace("Tuner1-Left=12", "Tuner1-Left=-3"));
        QCOMPARE(readFile(folder + "tuner.ini"), instrumentProfile);
    }
};

QTEST_MAIN(TestInstrumentSelection)
#include "test_instrument_selection.moc"
