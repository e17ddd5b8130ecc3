#include "app/globals.h"
#include "app/startup.h"
#include "fixture.h"
#include "ui/folder_lists.h"
#include "ui/tuner.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace Fixture;

namespace {

bool releasePlayed(RecordedSound& sound) {
    for (const SoundCall& call : sound.calls())
        if (call.path == AppModul::ReleaseSoundFile && call.flags == Sound::SND_ASYNC)
            return true;
    return false;
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private slots:
    void foldersAndNamesFollowTheApplicationFolder() {
        AppModul::AppPath = "/opt/tuner/";
        AppModul::InitAppNames();
        QCOMPARE(AppModul::AppTitle, QStringLiteral("Veltrosan Tuner"));
        QCOMPARE(AppModul::TunesPath, QStringLiteral("/opt/tuner/Tunes/"));
        QCOMPARE(AppModul::ReleaseSoundFile, QStringLiteral("/opt/tuner/Tunes/release.wav"));
        QCOMPARE(AppModul::TunerIniFile, QStringLiteral("/opt/tuner/tuner.ini"));
        QCOMPARE(AppModul::AllOnName, QStringLiteral("all-on.bmp"));
        QCOMPARE(AppModul::AllOffName, QStringLiteral("all-off.bmp"));
        AppModul::AppPath = "/";
        AppModul::InitAppNames();
        QCOMPARE(AppModul::TunesPath, QStringLiteral("/Tunes/"));

        Commands::InitEnvironment();
        QCOMPARE(AppModul::AppPath,
                 QDir(QCoreApplication::applicationDirPath()).canonicalPath() + '/');
    }

    void instrumentsAreTheFoldersWithRecordings() {
        RecordedSound sound;
        AppFolder app;
        app.instrument("Banjo", {"E.wav"});
        QDir().mkpath(app.tunesPath() + "Docs");
        writeFile(app.tunesPath() + "Docs/readme.txt", "x");
        app.instrument("Ukulele", {"1.wav", "2.wav"});
        app.instrument("Zither", {"A.WAV"}); // upper-case extension
        auto tuner = startTuner(app);
        QCOMPARE(entries(*tuner->cboInstrument), QStringList({"Banjo", "Ukulele", "Zither"}));
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QCOMPARE(AppModul::InstrumentPath, app.tunesPath() + "Ukulele/");
        QCOMPARE(tuner->TunerFiles->Path(), app.tunesPath() + "Ukulele");
        QCOMPARE(tuner->TunerFiles->ListCount(), 2);
        QVERIFY(releasePlayed(sound));
        QVERIFY(tuner->isVisible());
    }

    void noSubFolderLeavesTheListEmpty() {
        RecordedSound sound;
        AppFolder app;
        auto tuner = startTuner(app);
        QCOMPARE(tuner->cboInstrument->count(), 0);
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Mandoline"));
        QVERIFY(!releasePlayed(sound));                      // no instrument selection ran
        QCOMPARE(AppModul::InstrumentPath, app.tunesPath()); // the folder change did
        QVERIFY(tuner->isVisible());
    }

    void foldersWithoutRecordingsStillSelectUkulele() {
        RecordedSound sound;
        AppFolder app;
        QDir().mkpath(app.tunesPath() + "Ukulele");
        QDir().mkpath(app.tunesPath() + "Empty");
        auto tuner = startTuner(app);
        QCOMPARE(tuner->cboInstrument->count(), 0);
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QVERIFY(releasePlayed(sound));
        // "Ukulele" has no recordings and is not listed, but it is made current.
        QCOMPARE(AppModul::InstrumentPath, app.tunesPath() + "Ukulele/");
        QCOMPARE(tuner->TunersDir->Path(), app.tunesPath() + "Ukulele");
    }

    void noUkuleleStillNamesIt() {
        RecordedSound sound;
        AppFolder app;
        app.instrument("Guitar", {"e.wav"});
        auto tuner = startTuner(app);
        QCOMPARE(entries(*tuner->cboInstrument), QStringList({"Guitar"}));
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QVERIFY(releasePlayed(sound));
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        // The missing folder is refused: the lists keep the last folder they were shown.
        QCOMPARE(AppModul::InstrumentPath, app.tunesPath() + "Ukulele/");
        QCOMPARE(tuner->TunersDir->Path(), app.tunesPath().chopped(1));
        QCOMPARE(tuner->TunerFiles->Path(), app.tunesPath() + "Guitar");
    }

    void missingTunesScansTheWorkingFolder() {
        RecordedSound sound;
        QTemporaryDir work;
        QDir(work.path()).mkpath("One");
        QDir(work.path()).mkpath("Two");
        writeFile(work.path() + "/tone.wav", wavBytes(tone(440, 0.01)));
        const QString before = QDir::currentPath();
        QDir::setCurrent(work.path());
        AppFolder app;
        QDir(app.tunesPath()).removeRecursively();
        auto tuner = startTuner(app);
        QDir::setCurrent(before);
        // Each sub-folder is entered because the file list keeps the working folder, which
        // holds a recording.
        QCOMPARE(entries(*tuner->cboInstrument), QStringList({"One", "Two"}));
        QCOMPARE(tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QVERIFY(tuner->isVisible());
    }

    void closingTheWindowEndsTheProgram() {
        RecordedSound sound;
        AppModul::Main();
        Tuner* tuner = AppModul::TunerWindow();
        QVERIFY(tuner);
        QVERIFY(QTest::qWaitForWindowExposed(tuner));
        QCOMPARE(AppModul::SwitchOn, int16_t(1));
        QTimer::singleShot(0, tuner, [tuner] { tuner->windowHandle()->close(); });
        bool timedOut = false;
        QTimer::singleShot(5000, qApp, [&] {
            timedOut = true;
            QApplication::exit(1);
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!timedOut);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        AppModul::DestroyTunerWindow();
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
