// Start-up: which folders become instruments, which one is chosen, and that closing the window
// ends the program.
#include "app/startup.h"
#include "support/files/file_access.h"
#include "support/files/file_names.h"
#include "tests/ui/window_fixture.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>

using namespace Qt::StringLiterals;

class TestStartup : public QObject {
    Q_OBJECT
    std::unique_ptr<Session> session;
    QString tunes;

    bool selectionRan() const { // its first step plays the release sound
        for (const SoundCall& call : session->sound.calls())
            if (call.path == AppModul::ReleaseSoundFile)
                return true;
        return false;
    }

  private slots:
    void init() {
        session = std::make_unique<Session>();
        tunes = session->app.tunesPath();
    }
    void cleanup() { session.reset(); }

    void instrumentsAreTheFoldersWithRecordings() {
        // Two names that are not UTF-8 (0xE9 is Latin-1's e-acute): each folder counts by its
        // own contents, whatever its neighbours hold.
        const QByteArray tunesBytes = QFile::encodeName(tunes);
        const auto inTunes = [&](const QByteArray& name) { return QByteArray(tunesBytes + name); };
        session->app.complete(u"Amati"_s, {u"a.wav"_s}, u""_s);
        session->app.instrument(u"Banjo"_s, {u"E.wav"_s});
        writeFile(session->app.instrument(u"Docs"_s) + u"readme.txt"_s, "x");
        QCOMPARE(::rename(inTunes("Amati"), inTunes("A\xE9")), 0);
        QCOMPARE(::rename(inTunes("Docs"), inTunes("Docs\xE9")), 0);
        session->app.instrument(u"Ukulele"_s, {u"1.wav"_s, u"2.wav"_s});
        session->app.instrument(u"Zither"_s, {u"A.WAV"_s}); // upper-case extension
        session->start(AppModul::LoadAndShow);
        Tuner& tuner = *session->tuner;
        QCOMPARE(entries(*tuner.cboInstrument),
                 QStringList({u"A\uFFFD"_s, u"Banjo"_s, u"Ukulele"_s, u"Zither"_s}));
        QCOMPARE(tuner.cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QCOMPARE(AppModul::InstrumentPath, tunes + u"Ukulele/"_s);
        QCOMPARE(tuner.TunerFiles->ListCount(), 2);
        QVERIFY(selectionRan());
        QVERIFY(tuner.isVisible());
        // Chosen, it shows its pictures and plays its recordings by the folder's own bytes.
        tuner.cboInstrument->setFocus();
        for (int up = 0; up < 2; ++up)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(tuner.cboInstrument->currentText(), u"A\uFFFD"_qs);
        QVERIFY(shows(tuner, *tuner.picTuner[0], 40));
        click(tuner.picTuner[0]);
        const QString played = session->sound.calls().back().path;
        QCOMPARE(FileNames::fileSystemName(played), inTunes("A\xE9/a.wav"));
        QCOMPARE(Commands::FileExists(played), int16_t(-1));
        QCOMPARE(tuner.picTuner[0]->accessibleName(), QStringLiteral("a"));
        for (const QByteArray name : {"A", "Docs"}) // named so that the temporary folder can go
            QCOMPARE(::rename(inTunes(name + "\xE9"), inTunes(name)), 0);
    }

    void aLargeTunesFolderListsEveryInstrument() {
        // Enough folders for their files to be counted on several threads. Every other folder
        // has no recording, so a folder counted wrongly or not at all changes the list.
        QStringList expected;
        for (int i = 0; i < 450; ++i) {
            const QString name = QStringLiteral("Instrument %1").arg(i, 3, 10, QChar(u'0'));
            const bool recorded = i % 2 == 0;
            writeFile(session->app.instrument(name) + (recorded ? u"E.WAV"_s : u"notes.txt"_s),
                      "x");
            if (recorded)
                expected.append(name);
        }
        session->start(AppModul::LoadAndShow);
        QCOMPARE(entries(*session->tuner->cboInstrument), expected);
        QCOMPARE(session->tuner->TunerFiles->Path(), tunes + u"Instrument 449"_s);
    }

    void noSubFolderLeavesTheListEmpty() {
        session->start(AppModul::LoadAndShow);
        QCOMPARE(session->tuner->cboInstrument->count(), 0);
        QCOMPARE(session->tuner->cboInstrument->currentText(), QStringLiteral("Mandoline"));
        QVERIFY(!selectionRan());
        QCOMPARE(AppModul::InstrumentPath, tunes); // the folder change ran
        QVERIFY(session->tuner->isVisible());
    }

    void foldersWithoutRecordingsStillSelectUkulele() {
        session->app.instrument(u"Ukulele"_s);
        session->app.instrument(u"Empty"_s);
        session->start(AppModul::LoadAndShow);
        QCOMPARE(session->tuner->cboInstrument->count(), 0);
        QCOMPARE(session->tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QVERIFY(selectionRan());
        QCOMPARE(session->tuner->TunersDir->Path(), tunes + u"Ukulele"_s);
    }

    void withoutUkuleleItIsStillNamed() {
        session->app.instrument(u"Guitar"_s, {u"e.wav"_s});
        session->start(AppModul::LoadAndShow);
        QCOMPARE(entries(*session->tuner->cboInstrument), QStringList({u"Guitar"_s}));
        QCOMPARE(session->tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QVERIFY(selectionRan());
        // The missing folder is refused: the lists keep the last folder they were shown.
        QCOMPARE(AppModul::InstrumentPath, tunes + u"Ukulele/"_s);
        QCOMPARE(session->tuner->TunersDir->Path(), tunes.chopped(1));
        QCOMPARE(session->tuner->TunerFiles->Path(), tunes + u"Guitar"_s);
        // No entry is chosen in its place: the first Down arrow chooses entry 0.
        QCOMPARE(session->tuner->cboInstrument->currentIndex(), -1);
        session->tuner->cboInstrument->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(AppModul::InstrumentPath, tunes + u"Guitar/"_s);
    }

    void withoutATunesFolderTheWorkingFolderIsScanned() {
        // The lists keep the folder they showed when the window was made, the working folder;
        // each of its sub-folders is entered because that folder, still the file list's, holds
        // a recording.
        const QString work = session->app.appPath() + u"work/"_s, before = QDir::currentPath();
        writeWav(work + u"a.wav"_s, tone(440, 0.05));
        QDir().mkpath(work + u"Sub"_s);
        QVERIFY(QDir(tunes).removeRecursively());
        QDir::setCurrent(work);
        session->start(AppModul::LoadAndShow);
        QDir::setCurrent(before);
        QCOMPARE(entries(*session->tuner->cboInstrument), QStringList{u"Sub"_s});
        QCOMPARE(session->tuner->cboInstrument->currentText(), QStringLiteral("Ukulele"));
        QVERIFY(selectionRan());
    }

    void closingTheWindowEndsTheProgram() {
        AppModul::Main();
        Tuner* tuner = AppModul::TunerWindow();
        QVERIFY(QTest::qWaitForWindowExposed(tuner));
        QTimer::singleShot(0, tuner, [tuner] { tuner->windowHandle()->close(); });
        QTimer::singleShot(5000, qApp, [] { QApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(AppModul::SwitchOn, int16_t(0));
        AppModul::DestroyTunerWindow();
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
