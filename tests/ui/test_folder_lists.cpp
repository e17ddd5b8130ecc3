// The folder and file lists: what they list, in which order, and when they read their folder.
#include "window_fixture.h"

#include <QSignalSpy>
#include <sys/time.h>

using namespace Qt::StringLiterals;

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
        const QString path = dir.path() + u'/' + name;
        QDir().mkpath(path);
        for (const QString& file : files)
            writeFile(path + u'/' + file, "x");
        return QDir(path).canonicalPath();
    }

  private slots:
    void directoryListSortsSubFoldersWithoutRegardToCase() {
        const QString top = folder(u"top"_s, {u"Zither.wav"_s});
        for (const QString& name :
             {u"Ukulele"_s, u"banjo"_s, u"Cello"_s, u".hidden"_s, u"Geige äöü"_s})
            QDir(top).mkpath(name);
        DirectoryList list;
        QSignalSpy changed(&list, &DirectoryList::changed);
        list.setPath(top + u"/"_s);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.ListCount(), int16_t(4));
        const QStringList sorted = {u"banjo"_s, u"Cello"_s, u"Geige äöü"_s, u"Ukulele"_s};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(list.entry(i), top + u'/' + sorted[i]);
        list.setPath(top + u"/Cello/.."_s); // the same folder: no change
        QVERIFY(!attempt([&] { list.setPath(top + u"/missing"_s); }));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.Path(), top);
        list.setPath(u"/"_s);
        QCOMPARE(list.Path(), QStringLiteral("/"));
    }

    void fileListMatchesItsPatternWithoutRegardToCase() {
        const QString path =
            folder(u"files"_s, {u"plucked1.wav"_s, u"PLUCKED2.WAV"_s, u"plucked-soft3.wav"_s,
                                u"bowed1.wav"_s, u"[x]1.wav"_s, u".hidden.wav"_s, u"notes.txt"_s});
        QDir(path).mkpath(u"folder.wav"_s);
        FileList list;
        list.setPath(path);
        QCOMPARE(list.ListCount(), 5);
        QCOMPARE(list.entry(0), QStringLiteral("[x]1.wav"));
        QCOMPARE(list.entry(5), QString()); // past the end
        list.setPattern(u"plucked*.wav"_s);
        QCOMPARE(list.ListCount(), 3);
        QCOMPARE(list.entry(0), QStringLiteral("plucked-soft3.wav"));
        QCOMPARE(list.entry(1), QStringLiteral("plucked1.wav"));
        QCOMPARE(list.entry(2), QStringLiteral("PLUCKED2.WAV"));
        list.setPattern(u"[x]*.wav"_s); // brackets are plain characters
        QCOMPARE(list.ListCount(), 1);
        QVERIFY(!attempt([&] { list.setPath(path + u"/missing"_s); }));
        QCOMPARE(list.Path(), path);
        QVERIFY(FileList::matches(u"abcabcabd.wav"_s, u"*abd*.wav"_s));
        QVERIFY(!FileList::matches(u"abc.wave"_s, u"*.wav"_s));
        QVERIFY(FileList::matches(QString(5000, u'a') + u".wav"_s, u"*a*a*a*.wav"_s));
    }

    void countingAFolderAgreesWithListingIt() {
        // Counting compares ASCII names as stored and decodes the others; the Kelvin sign folds
        // to an ASCII "k".
        const QString path =
            folder(u"counted"_s, {u"a.wav"_s, u"B.WAV"_s, u"Übung.wav"_s, u"ÜBUNG2.WAV"_s,
                                  u"\u212A.wav"_s, u"k.txt"_s, u".h.wav"_s});
        QDir(path).mkpath(u"folder.wav"_s);
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
        QCOMPARE(list.countIn(path + u"/missing"_s), -1);
    }

    void aFolderIsReadAgainOnlyWhenItsStampMoves() {
        const QString path = folder(u"stamps"_s, {u"a.wav"_s});
        const time_t settled = time(nullptr) - 3600;
        touchFolder(path, settled);
        FileList list;
        list.setPath(path);
        // A name of the same length: the folder's size stays on every file system (on tmpfs,
        // btrfs and xfs a new entry would grow it, and the folder would rightly be read again).
        QVERIFY(QFile::rename(path + u"/a.wav"_s, path + u"/b.txt"_s));
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
        writeFile(path + u"/c.wav"_s, "x");
        touchFolder(path, now);
        list.Refresh();
        QCOMPARE(list.ListCount(), 1);
    }
};

QTEST_MAIN(TestFolderLists)
#include "test_folder_lists.moc"
