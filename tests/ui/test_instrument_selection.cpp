// Choosing an instrument and a sound option: the option list, which pictures and profile are
// used, and the peg layout read from it and written by "Make INI".
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>

using namespace Qt::StringLiterals;

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
        const QString four = u"Option1=a\nOption2=b\nOption3=c\nOption4=d\n"_s;
        QTest::newRow("N reads N+1")
            << u"Options=2\n"_s + four << true << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("empty values left out")
            << u"Options=2\nOption1=\nOption2=plucked\n"_s << true << QStringList{u"plucked"_s};
        QTest::newRow("a fraction rounds down")
            << u"Options=0.5\n"_s + four << true << QStringList{u"a"_s};
        QTest::newRow("negative: shown and empty")
            << u"Options=-1\n"_s + four << true << QStringList{};
        QTest::newRow("text is 0: hidden") << u"Options=many\n"_s + four << false << QStringList{};
        QTest::newRow("missing: hidden") << four << false << QStringList{};
        const QString sparse = "Option1000000000=last\noption2=b\nOPTION1=a\nOption01=no\n"
                               u"Option7=g\nOption1=dup\n"_s;
        const QStringList all{u"a"_s, u"b"_s, u"g"_s, u"last"_s};
        QTest::newRow("1e9: keys in number order") << u"Options=1e9\n"_s + sparse << true << all;
        QTest::newRow("1e400 is infinite") << u"Options=1e400\n"_s + sparse << true << all;
        QTest::newRow("6 stops before 1e9") << u"Options=6\n"_s + sparse << true << all.mid(0, 3);
    }
    void optionList() {
        QFETCH(QString, keys);
        QFETCH(bool, shown);
        QFETCH(QStringList, expected);
        session->app.complete(u"Ukulele"_s, {}, keys);
        start();
        QCOMPARE(!tuner->cboOptions->isHidden(), shown);
        QCOMPARE(entries(*tuner->cboOptions), shown ? expected : QStringList());
        QCOMPARE(tuner->OptionPrefix, expected.value(0));
        QCOMPARE(tuner->TunerFiles->Pattern(), expected.value(0) + u"*.wav"_s);
    }

    void picturesAndProfilesOfTheOptions() {
        const QString folder = session->app.complete(
            u"Ukulele"_s, {u"plucked1.wav"_s, u"plucked2.wav"_s, u"bowed1.wav"_s},
            u"Options=2\nOption1=plucked\nOption2=bowed\n"_s);
        session->app.pictures(folder, u"plucked"_s, 60, 220);
        session->app.profile(folder, u"[Veltrosan Tuner]\nTuner1-Top=5\nTuner1-Left=6\n"_s,
                             u"bowed-tuner.ini"_s);
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
        session->app.complete(u"Banjo"_s, {u"1.wav"_s});
        session->app.instrument(u"Guitar"_s, {u"1.wav"_s});
        const QString cut = session->app.instrument(u"Ukulele"_s, {u"1.wav"_s});
        writeBmp(cut + u"all-off.bmp"_s, placePicture(90));
        writeFile(cut + u"all-off.bmp"_s, readFile(cut + u"all-off.bmp"_s).chopped(700));
        start();
        choose(*tuner, u"Banjo"_s);
        for (const QString& name : {u"Guitar"_s, u"Ukulele"_s, u"Cello"_s}) {
            choose(*tuner, name);
            QCOMPARE(tuner->backgroundPicture(), placePicture(40));
            QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        }
        // A missing folder is refused by the lists; they keep the last one.
        QCOMPARE(tuner->TunersDir->Path(), session->app.tunesPath() + u"Ukulele"_s);
        QCOMPARE(peg(0), QRect()); // no profile: every peg shrinks to nothing
    }

    void selectionEndsTheLoopAndTurnsTheSwitchOn() {
        session->app.complete(u"Banjo"_s, {u"plucked1.wav"_s}, u"Options=1\nOption1=plucked\n"_s);
        session->app.complete(u"Ukulele"_s, {u"1.wav"_s});
        start();
        choose(*tuner, u"Banjo"_s);
        click(tuner->picTuner[0]);
        click(tuner->picSwitch);
        click(tuner->picSwitch);
        click(tuner->picTuner[0]);
        session->sound.clear();
        chooseOption(*tuner, 0); // an option change keeps the tone and the mode
        QVERIFY(session->sound.calls().empty());
        QCOMPARE(tuner->LoopActive, int16_t(-1));
        choose(*tuner, u"Ukulele"_s);
        QCOMPARE(session->sound.calls().size(), size_t(1));
        QCOMPARE(session->sound.calls()[0].path, AppModul::ReleaseSoundFile);
        QCOMPARE(tuner->LoopActive, int16_t(0));
        QCOMPARE(session->lit(), QList<int>{});
        QVERIFY(tuner->cboOptions->isHidden());
        QCOMPARE(tuner->TunerFiles->Pattern(), QStringLiteral("*.wav"));
        click(tuner->picSwitch);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        choose(*tuner, u"Banjo"_s);
        click(tuner->picSwitch);
        chooseOption(*tuner, 0); // in single mode: the switch looks on and stays off
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 200));
        choose(*tuner, u"Ukulele"_s);
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
    }

    // Without plain pictures the selection takes the first option's own, and its own profile.
    void theFirstOptionsOwnFilesStandIn() {
        const QString folder = session->app.instrument(u"Ukulele"_s, {u"low1.wav"_s});
        session->app.profile(folder, u"[Veltrosan Tuner]\nOptions=1\nOption1=low\n"_s);
        session->app.pictures(folder, u"low"_s, 70, 230);
        session->app.profile(folder, u"[Veltrosan Tuner]\nTuner1-Top=9\nTuner1-Left=8\n"_s,
                             u"low-tuner.ini"_s);
        start();
        QCOMPARE(tuner->backgroundPicture(), placePicture(70));
        QVERIFY(shows(*tuner, *tuner->picSwitch, 230));
        QCOMPARE(AppModul::InstrumentIniFile, folder + u"low-tuner.ini"_s);
        QCOMPARE(peg(0), QRect(8, 9, 0, 0));
    }

    void pegValuesFollowTheNumberRule() {
        const QString folder = session->app.complete(u"Ukulele"_s, {u"1.wav"_s});
        start();
        session->app.profile(folder,
                             u"[Veltrosan Tuner]\nTuner3-width=98\nTuner1-Top= 238\n"_s
                             u"Tuner1-Left=238px\nTuner1-Height=abc\nTuner2-Left=-20\n"_s
                             u"Tuner4-Top=12.5\nTuner4-Left=-1.5\nTuner4-Width=2.4999\n"_s,
                             u"test.ini"_s);
        tuner->ReadPegLayout(folder + u"test.ini"_s);
        QCOMPARE(peg(0), QRect(238, 238, 0, 0));
        QCOMPARE(peg(1).left(), -20);
        QCOMPARE(peg(2).width(), 98);
        QCOMPARE(peg(3), QRect(-2, 13, 2, 0)); // whole pixels, halves away from zero
    }

    void aValueThePegCannotTakeStopsTheReader() {
        const QString folder = session->app.complete(u"Ukulele"_s, {u"1.wav"_s});
        start();
        const QRect before = peg(4);
        for (const char* bad : {"Tuner4-Height=-0.5", "Tuner4-Top=1e400", "Tuner4-Top=99999"}) {
            session->app.profile(
                folder, QStringLiteral("[Veltrosan Tuner]\nTuner1-Top=7\n") + QLatin1String(bad),
                u"test.ini"_s);
            QVERIFY(!attempt([&] { tuner->ReadPegLayout(folder + u"test.ini"_s); }));
            QCOMPARE(peg(0).top(), 7);
            QCOMPARE(peg(4), before);
        }
    }

    void makeIniWritesTheLayoutIntoTheApplicationProfile() {
        const QString folder = session->app.complete(u"Ukulele"_s, {u"1.wav"_s});
        start();
        const QByteArray instrumentProfile = readFile(folder + u"tuner.ini"_s);
        tuner->picTuner[0]->move(-3, 238);
        tuner->Command1_Click();
        tuner->Command1_Click(); // one entry per key, replaced where it stands
        const QString written =
            QString::fromUtf8(readFile(session->app.appPath() + u"tuner.ini"_s));
        QString expected =
            u"[Veltrosan Tuner]\n"_s + designLayout().replace(u"-Width"_s, u"-width"_s);
        QCOMPARE(written, expected.replace(u"Tuner1-Left=12"_s, u"Tuner1-Left=-3"_s));
        QCOMPARE(readFile(folder + u"tuner.ini"_s), instrumentProfile);
    }
};

QTEST_MAIN(TestInstrumentSelection)
#include "test_instrument_selection.moc"
