// The folder and file lists: what they list, in which order, and when they read their folder.
#include "fixture.h"

#include <QSignalSpy>
#include <sys/time.h>

using Fixture::writeFile;

namespace {
void touchFolder(const QString& folder, time_t seconds) {
    const timeval times[2] = {{seconds, 0}, {seconds, 0}};
    QCOMPARE(utimes(QFile::encodeName(folder).constData(), times), 0);
}
} // namespace

class TestFolderLists : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString folder(const QString& name, const QStringList& files) {
        const QString path = dir.path() + '/' + name;
        QDir().mkpath(path);
        for (const QString& file : files)
            writeFile(path + '/' + file, "x");
        return QDir(path).canonicalPath();
    }

  private slots:
    void directoryListSortsSubFoldersWithoutRegardToCase() {
        const QString top = folder("top", {"Zither.wav"});
        for (const char* name : {"Ukulele", "banjo", "Cello", ".hidden", "Geige äöü"})
            QDir(top).mkpath(name);
        DirectoryList list;
        QSignalSpy changed(&list, &DirectoryList::changed);
        list.setPath(top + "/");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.ListCount(), int16_t(4));
        const QStringList sorted = {"banjo", "Cello", "Geige äöü", "Ukulele"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(list.entry(i), top + '/' + sorted[i]);
        list.setPath(top + "/Cello/.."); // the same folder: no change
        QVERIFY(!attempt([&] { list.setPath(top + "/missing"); }));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.Path(), top);
        list.setPath("/");
        QCOMPARE(list.Path(), QStringLiteral("/"));
    }

    void fileListMatchesItsPatternWithoutRegardToCase() {
        const QString path =
            folder("files", {"plucked1.wav", "PLUCKED2.WAV", "plucked-soft3.wav", "bowed1.wav",
                             "[x]1.wav", ".hidden.wav", "notes.txt"});
        QDir(path).mkpath("folder.wav");
        FileList list;
        list.setPath(path);
        QCOMPARE(list.ListCount(), 5);
        QCOMPARE(list.entry(0), QStringLiteral("[x]1.wav"));
        QCOMPARE(list.entry(5), QString()); // past the end
        list.setPattern("plucked*.wav");
        QCOMPARE(list.ListCount(), 3);
        QCOMPARE(list.entry(0), QStringLiteral("plucked-soft3.wav"));
        QCOMPARE(list.entry(1), QStringLiteral("plucked1.wav"));
        QCOMPARE(list.entry(2), QStringLiteral("PLUCKED2.WAV"));
        list.setPattern("[x]*.wav"); // brackets are plain characters
        QCOMPARE(list.ListCount(), 1);
        QVERIFY(!attempt([&] { list.setPath(path + "/missing"); }));
        QCOMPARE(list.Path(), path);
        QVERIFY(FileList::matches("abcabcabd.wav", "*abd*.wav"));
        QVERIFY(!FileList::matches("abc.wave", "*.wav"));
        QVERIFY(FileList::matches(QString(5000, u'a') + ".wav", "*a*a*a*.wav"));
    }

    void countingAFolderAgreesWithListingIt() {
        // Counting compares ASCII names as stored and decodes the others; the Kelvin sign folds
        // to an ASCII "k".
        const QString path = folder("counted", {"a.wav", "B.WAV", "Übung.wav", "ÜBUNG2.WAV",
                                                "\u212A.wav", "k.txt", ".h.wav"});
        QDir(path).mkpath("folder.wav");
        const struct {
            const char* pattern;
            int count;
        } cases[] = {{"*.wav", 5}, {"*.WAV", 5}, {"ü*", 2}, {"k*", 2},
                     {"b*", 1},    {"*", 6},     {"", 0}};
        FileList list;
        list.setPath(path);
        for (const auto& c : cases) {
            list.setPattern(QString::fromUtf8(c.pattern));
            QCOMPARE(list.ListCount(), c.count);
            QCOMPARE(list.countIn(path), c.count);
        }
        QCOMPARE(list.countIn(path + "/missing"), -1);
    }

    void aFolderIsReadAgainOnlyWhenItsStampMoves() {
        const QString path = folder("stamps", {"a.wav"});
        const time_t settled = time(nullptr) - 3600;
        touchFolder(path, settled);
        FileList list;
        list.setPath(path);
        // A name of the same length: the folder's size stays on every file system (on tmpfs,
        // btrfs and xfs a new entry would grow it, and the folder would rightly be read again).
        QVERIFY(QFile::rename(path + "/a.wav", path + "/b.txt"));
        touchFolder(path, settled); // the stamp the listing was read under: it is kept
        list.Refresh();
        QCOMPARE(list.ListCount(), 1);
        touchFolder(path, settled + 60); // a settled folder that changed is read again
        list.Refresh();
        QCOMPARE(list.ListCount(), 0);
        // A stamp younger than the file system's clock can tell apart is never trusted.
        const time_t now = time(nullptr);
        touchFolder(path, now);
        list.Refresh();
        writeFile(path + "/c.wav", "x");
        touchFolder(path, now);
        list.Refresh();
        QCOMPARE(list.ListCount(), 1);
    }
};

QTEST_MAIN(TestFolderLists)
#include "test_folder_lists.moc"
