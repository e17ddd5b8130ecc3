#include "fixture.h"
#include "support/step.h"
#include "ui/folder_lists.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/time.h>

using Fixture::writeFile;

class TestFolderLists : public QObject {
    Q_OBJECT
  private slots:
    void directoryListSortsSubFoldersByName() {
        QTemporaryDir dir;
        for (const char* name : {"Ukulele", "banjo", "Cello", ".hidden"})
            QDir(dir.path()).mkpath(name);
        writeFile(dir.path() + "/Zither.wav", "x"); // files are no entries
        DirectoryList list;
        list.setPath(dir.path());
        QCOMPARE(list.ListCount(), int16_t(3));
        const QString base = QDir(dir.path()).canonicalPath();
        QCOMPARE(list.entry(0), base + "/banjo");
        QCOMPARE(list.entry(1), base + "/Cello");
        QCOMPARE(list.entry(2), base + "/Ukulele");
        QCOMPARE(list.count(), 3); // shown, too
    }

    void directoryListRaisesChangeOnlyForAnotherFolder() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("A");
        DirectoryList list;
        QSignalSpy changed(&list, &DirectoryList::changed);
        list.setPath(dir.path());
        QCOMPARE(changed.count(), 1);
        list.setPath(dir.path() + "/");
        list.setPath(dir.path() + "/A/..");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.Path(), QDir::cleanPath(dir.path()));

        bool failed = !attempt([&] { list.setPath(dir.path() + "/missing"); });
        QVERIFY(failed);
        QCOMPARE(list.Path(), QDir::cleanPath(dir.path()));
        QCOMPARE(changed.count(), 1);
        failed = !attempt([&] { list.setPath(dir.path() + "/A/file"); });
        QVERIFY(failed);

        list.setPath(dir.path() + "/A");
        QCOMPARE(changed.count(), 2);
        QCOMPARE(list.ListCount(), int16_t(0));
        list.setPath("/");
        QCOMPARE(list.Path(), QStringLiteral("/"));
    }

    void fileListMatchesAndSortsWithoutRegardToCase() {
        QTemporaryDir dir;
        for (const char* name : {"e2.wav", "A.WAV", "b.wav", "notes.txt", ".hidden.wav", "wav"})
            writeFile(dir.path() + '/' + name, "x");
        QDir(dir.path()).mkpath("folder.wav");
        FileList list;
        QCOMPARE(list.Pattern(), QStringLiteral("*.wav"));
        list.setPath(dir.path() + "/"); // with or without the separator
        QCOMPARE(list.ListCount(), 3);
        QCOMPARE(list.entry(0), QStringLiteral("A.WAV"));
        QCOMPARE(list.entry(1), QStringLiteral("b.wav"));
        QCOMPARE(list.entry(2), QStringLiteral("e2.wav"));
        QCOMPARE(list.entry(3), QString()); // past the end
        QCOMPARE(list.entry(-1), QString());

        const QString before = list.Path();
        QVERIFY(!attempt([&] { list.setPath(dir.path() + "/missing"); }));
        QCOMPARE(list.Path(), before);
        QCOMPARE(list.ListCount(), 3);
    }

    void patternStandsForPrefixes() {
        QTemporaryDir dir;
        for (const char* name : {"plucked1.wav", "PLUCKED2.WAV", "plucked-soft3.wav", "bowed1.wav",
                                 "[x]1.wav", "x1.wav"})
            writeFile(dir.path() + '/' + name, "x");
        FileList list;
        list.setPath(dir.path());
        list.setPattern("plucked*.wav");
        QCOMPARE(list.ListCount(), 3);
        QCOMPARE(list.entry(0), QStringLiteral("plucked-soft3.wav"));
        list.setPattern("[x]*.wav"); // brackets are plain characters
        QCOMPARE(list.ListCount(), 1);
        QCOMPARE(list.entry(0), QStringLiteral("[x]1.wav"));
        QVERIFY(FileList::matches("abcabcabd.wav", "*abd*.wav"));
        QVERIFY(!FileList::matches("abc.wave", "*.wav"));
        QVERIFY(FileList::matches("x.wav", "**.wav"));
        QVERIFY(FileList::matches(QString(5000, u'a') + ".wav", "*a*a*a*.wav"));
    }

    void contentsChangeOnlyWhenRefreshed() {
        QTemporaryDir dir;
        writeFile(dir.path() + "/a.wav", "x");
        FileList list;
        list.setPath(dir.path());
        writeFile(dir.path() + "/b.wav", "x");
        QCOMPARE(list.ListCount(), 1);
        list.Refresh();
        QCOMPARE(list.ListCount(), 2);
    }

    void anUnchangedFolderIsNotReadAgainButAChangeIsSeen() {
        QTemporaryDir dir;
        writeFile(dir.path() + "/a.wav", "x");
        writeFile(dir.path() + "/b.txt", "x");
        // Settled an hour ago: its listing may be kept.
        const timeval past[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
        QCOMPARE(utimes(QFile::encodeName(dir.path()).constData(), past), 0);
        FileList list;
        list.setPath(dir.path());
        QCOMPARE(list.ListCount(), 1);
        list.setPattern("*.txt"); // filters the kept names anew
        QCOMPARE(list.entry(0), QStringLiteral("b.txt"));
        writeFile(dir.path() + "/c.txt", "x"); // the folder's time stamp moves on
        list.Refresh();
        QCOMPARE(list.ListCount(), 2);
        QFile::remove(dir.path() + "/b.txt");
        QCOMPARE(utimes(QFile::encodeName(dir.path()).constData(), past), 0);
        list.Refresh(); // an older stamp is still another stamp
        QCOMPARE(list.ListCount(), 1);
    }

    void aPickByTheUserIsReported() {
        QTemporaryDir dir;
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            writeFile(dir.path() + '/' + name, "x");
        FileList list;
        list.resize(120, 120);
        list.setPath(dir.path());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy picked(&list, &FileList::picked);
        list.Refresh();
        QCOMPARE(picked.count(), 0);
        const QRect second = list.visualItemRect(list.item(1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(picked.count(), 1);
        QCOMPARE(list.FileName(), QStringLiteral("b.wav"));
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(picked.count(), 2);
        QCOMPARE(list.FileName(), QStringLiteral("c.wav"));
    }
};

QTEST_MAIN(TestFolderLists)
#include "test_folder_lists.moc"
