#include "fixture.h"
#include "support/file_test.h"
#include "support/profile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Commands;
using Fixture::readFile;
using Fixture::writeFile;

namespace {
const QString kSection = QStringLiteral("Veltrosan Tuner");

QString read(const QString& file, const QString& key, const QString& def = "0") {
    return ReadProfileString(kSection, key, file, def);
}
} // namespace

class TestProfile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + u'/' + name; }

  private slots:
    void readsWithoutRegardToCaseAndBlanks() {
        const QString f = path("case.ini");
        writeFile(f, "[veltrosan tuner]\noptions = 2\n  Option1  =  plucked  \n");
        QCOMPARE(read(f, "Options"), QStringLiteral("2"));
        QCOMPARE(read(f, "OPTION1", ""), QStringLiteral("plucked"));
        QCOMPARE(ReadProfileString(" VELTROSAN TUNER ", "option1", f), QStringLiteral("plucked"));
    }

    void emptyOrMissingValueGivesTheDefault() {
        const QString f = path("empty.ini");
        writeFile(f, "[Veltrosan Tuner]\nOption1=\nOption2=   \n[Other]\nOption3=x\n");
        QCOMPARE(read(f, "Option1", "0"), QStringLiteral("0"));
        QCOMPARE(read(f, "Option1", ""), QString());
        QCOMPARE(read(f, "Option2", "d"), QStringLiteral("d"));
        QCOMPARE(read(f, "Option3", "d"), QStringLiteral("d")); // other section
        QCOMPARE(ReadProfileString("Missing", "Option1", f, "m"), QStringLiteral("m"));
    }

    void firstSectionAndFirstKeyCount() {
        const QString f = path("repeat.ini");
        writeFile(f, "[Veltrosan Tuner]\nA=1\nA=2\nB=\nB=3\n[Veltrosan Tuner]\nC=4\n");
        QCOMPARE(read(f, "A"), QStringLiteral("1"));
        QCOMPARE(read(f, "B", "d"), QStringLiteral("d")); // the first B is empty
        QCOMPARE(read(f, "C", "d"), QStringLiteral("d"));
    }

    void readingAMissingFileCreatesNothing() {
        const QString f = path("missing/none.ini");
        QCOMPARE(read(f, "Options", "7"), QStringLiteral("7"));
        QVERIFY(!QFileInfo::exists(f));
        QVERIFY(!QFileInfo::exists(path("missing")));
    }

    void valueIsCutAt2047Characters() {
        const QString f = path("long.ini");
        writeFile(f, "[Veltrosan Tuner]\nK=" + QByteArray(3000, 'x') + "\n");
        QCOMPARE(read(f, "K").size(), 2047);
        writeFile(f, "[Veltrosan Tuner]\nK=" + QByteArray(2047, 'y') + "\n");
        QCOMPARE(read(f, "K"), QString(2047, u'y'));
    }

    void writeCreatesFileSectionAndEntry() {
        const QString f = path("new.ini");
        WriteProfileString(kSection, "Tuner1-width", " 120", f);
        QVERIFY(QFileInfo::exists(f));
        QCOMPARE(read(f, "Tuner1-Width"), QStringLiteral("120"));
        QCOMPARE(readFile(f), QByteArray("[Veltrosan Tuner]\nTuner1-width= 120\n"));
    }

    void writeReplacesInPlaceAndKeepsEveryOtherByte() {
        const QString f = path("replace.ini");
        const QByteArray before = "; comment\n[Veltrosan Tuner]\nTuner1-Top=1\nTUNER1-WIDTH = 5\n"
                                  "Tuner2-Top=3\n\n[Other]\nTuner1-width=9\n";
        writeFile(f, before);
        WriteProfileString(kSection, "Tuner1-width", "120", f);
        QCOMPARE(readFile(f), QByteArray("; comment\n[Veltrosan Tuner]\nTuner1-Top=1\n"
                                         "Tuner1-width=120\nTuner2-Top=3\n\n[Other]\n"
                                         "Tuner1-width=9\n"));
        WriteProfileString(kSection, "Tuner1-width", "120", f);
        QCOMPARE(readFile(f).count("Tuner1-width=120"), 1);
    }

    void writeAddsKeyAtEndOfItsSectionAndSectionAtEndOfFile() {
        const QString f = path("add.ini");
        writeFile(f, "[Veltrosan Tuner]\nA=1\n\n[Other]\nX=1");
        WriteProfileString(kSection, "B", "2", f);
        QCOMPARE(readFile(f), QByteArray("[Veltrosan Tuner]\nA=1\nB=2\n\n[Other]\nX=1"));
        WriteProfileString("Third", "C", "3", f);
        QCOMPARE(readFile(f),
                 QByteArray("[Veltrosan Tuner]\nA=1\nB=2\n\n[Other]\nX=1\n[Third]\nC=3\n"));
        WriteProfileString("Other", "Y", "4", f); // last line without newline before
        QCOMPARE(read(f, "B"), QStringLiteral("2"));
        QCOMPARE(ReadProfileString("Other", "Y", f), QStringLiteral("4"));
        QCOMPARE(ReadProfileString("Other", "X", f), QStringLiteral("1"));
    }

    void aLastLineEndingInCarriageReturnGetsItsLineFeed() {
        // Found by fuzzing: the new entry must not be glued to a last line ending in CR alone.
        const QString f = path("cr.ini");
        writeFile(f, "[Veltrosan Tuner]\nA=1\r");
        WriteProfileString(kSection, "B", "2", f);
        QCOMPARE(readFile(f), QByteArray("[Veltrosan Tuner]\nA=1\r\nB=2\n"));
        QCOMPARE(read(f, "B"), QStringLiteral("2"));
        QCOMPARE(read(f, "A"), QStringLiteral("1"));
        // The same in a CRLF file, and with the section header as that last line.
        writeFile(f, "\r\n[s\r");
        WriteProfileString(" S ", "Options", "3", f);
        QCOMPARE(readFile(f), QByteArray("\r\n[s\r\nOptions=3\r\n"));
        QCOMPARE(ReadProfileString("s", "Options", f), QStringLiteral("3"));
    }

    void windowsFilesWork() {
        const QString f = path("windows.ini");
        // Byte order mark, CRLF endings and a Windows-1252 "é" (0xE9) and "€" (0x80).
        writeFile(f, "\xEF\xBB\xBF[Veltrosan Tuner]\r\nOption1=gezupft \xE9\x80\r\nOptions=1\r\n");
        QCOMPARE(read(f, "Option1", ""), QStringLiteral("gezupft é€"));
        QCOMPARE(read(f, "Options"), QStringLiteral("1"));
        WriteProfileString(kSection, "Option2", "sanft é", f);
        QCOMPARE(readFile(f), QByteArray("\xEF\xBB\xBF[Veltrosan Tuner]\r\nOption1=gezupft "
                                         "\xE9\x80\r\nOptions=1\r\nOption2=sanft \xE9\r\n"));
        QCOMPARE(read(f, "Option2", ""), QStringLiteral("sanft é"));

        const QString u = path("utf8.ini");
        writeFile(u, "[Veltrosan Tuner]\r\nOption1=Kl\xC3\xA4ng\r\n");
        QCOMPARE(read(u, "Option1", ""), QStringLiteral("Kläng"));
        WriteProfileString(kSection, "Option1", "Grüße", u);
        QCOMPARE(readFile(u), QByteArray("[Veltrosan Tuner]\r\nOption1=Gr\xC3\xBC\xC3\x9F"
                                         "e\r\n"));
    }

    void unsafeTextsAreRefused() {
        const QString f = path("unsafe.ini");
        const QByteArray before = "[Veltrosan Tuner]\nA=1\n";
        writeFile(f, before);
        WriteProfileString(kSection, "A", "1\n[Injected]\nB=2", f);
        WriteProfileString(kSection, "Key=With", "1", f);
        WriteProfileString("Sec]tion", "A", "1", f);
        WriteProfileString(kSection, "", "1", f);
        QCOMPARE(readFile(f), before);
    }

    void failedWriteLeavesTheOldFile() {
        // The profile's path is a folder, or its folder is a file: nothing is written.
        QDir().mkpath(path("isafolder.ini"));
        WriteProfileString(kSection, "A", "1", path("isafolder.ini"));
        QVERIFY(QFileInfo(path("isafolder.ini")).isDir());
        writeFile(path("plainfile"), "x");
        WriteProfileString(kSection, "A", "1", path("plainfile/tuner.ini"));
        QCOMPARE(readFile(path("plainfile")), QByteArray("x"));

        // A full disk: the file-size limit makes the write fail half-way; the old file stays
        // whole and no temporary file is left behind.
        QTemporaryDir full;
        const QString f = full.path() + "/tuner.ini";
        const QByteArray before = "[Veltrosan Tuner]\nA=" + QByteArray(3000, 'a') + "\n";
        writeFile(f, before);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 2048;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        WriteProfileString(kSection, "B", QString(4000, u'b'), f);
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(readFile(f).size(), before.size());
        QCOMPARE(readFile(f), before);
        QCOMPARE(QDir(full.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        if (geteuid() != 0) {
            QTemporaryDir locked;
            const QString g = locked.path() + "/tuner.ini";
            writeFile(g, "[Veltrosan Tuner]\nA=1\n");
            chmod(QFile::encodeName(locked.path()).constData(), 0500);
            WriteProfileString(kSection, "A", "2", g);
            chmod(QFile::encodeName(locked.path()).constData(), 0700);
            QCOMPARE(read(g, "A"), QStringLiteral("1"));
        }
    }

    void fileExists() {
        const QString f = path("exists.wav");
        writeFile(f, "RIFF");
        QCOMPARE(FileExists(f), int16_t(-1));
        QCOMPARE(FileExists(dir.path()), int16_t(0));
        QCOMPARE(FileExists(path("nothing.wav")), int16_t(0));
        QCOMPARE(FileExists(path("nofolder/nothing.wav")), int16_t(0));
        QCOMPARE(FileExists(QString()), int16_t(0));
        // A FIFO would block an ordinary open: it counts as no file, at once.
        const QString fifo = path("fifo.ini");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(FileExists(fifo), int16_t(0));
        QCOMPARE(read(fifo, "A", "d"), QStringLiteral("d"));
        // Nothing is left open.
        const int before =
            QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
        for (int i = 0; i < 50; ++i)
            FileExists(f);
        QCOMPARE(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(),
                 before);
        if (geteuid() != 0) {
            chmod(QFile::encodeName(f).constData(), 0);
            QCOMPARE(FileExists(f), int16_t(0));
        }
    }

    void hostileContentIsReadSafely() {
        const QString f = path("hostile.ini");
        static const char head[] = "[Veltrosan Tuner]\nA=1\0hidden\nB=\x01\x02\xFF\xFE\n";
        QByteArray bytes(head, sizeof(head) - 1);
        bytes += "Long=" + QByteArray(8 * 1024 * 1024, 'z') + "\n";
        for (int i = 0; i < 100000; ++i)
            bytes += "[S" + QByteArray::number(i) + "]\nk=v\n";
        bytes += "[Veltrosan Tuner]\nLast=no newline";
        writeFile(f, bytes);
        QCOMPARE(read(f, "A"), QStringLiteral("1"));
        QCOMPARE(read(f, "Long").size(), 2047);
        QCOMPARE(ReadProfileString("S99999", "k", f), QStringLiteral("v"));
        QCOMPARE(read(f, "Missing", "d"), QStringLiteral("d"));
        WriteProfileString(kSection, "A", "2", f);
        QCOMPARE(read(f, "A"), QStringLiteral("2"));
        QCOMPARE(ReadProfileString("S99999", "k", f), QStringLiteral("v"));
    }

    // Random profiles and random writes: what is written reads back, other entries keep their
    // values, and at most one line of the old file differs.
    void randomWritesReadBackAndKeepTheRest() {
        QRandomGenerator rng(20261206);
        const QStringList sections = {"Veltrosan Tuner", "veltrosan TUNER", "Other", "x"};
        const QStringList keys = {"Options", "OPTION1", "Tuner1-width", "Tuner1-Width", "k", "é"};
        const QStringList junk = {"",         "   ",     "; note",   "no equals",
                                  "=novalue", "[broken", "\xE9\xE8", "a=\t b \t"};
        const QString f = path("random.ini");
        for (int round = 0; round < 400; ++round) {
            const bool crlf = rng.bounded(2);
            QByteArray old;
            const int lines = int(rng.bounded(12));
            for (int i = 0; i < lines; ++i) {
                QString line;
                switch (rng.bounded(3)) {
                case 0:
                    line = '[' + sections[rng.bounded(sections.size())] + ']';
                    break;
                case 1:
                    line = keys[rng.bounded(keys.size())] + (rng.bounded(2) ? " = " : "=") +
                           QString::number(rng.bounded(100));
                    break;
                default:
                    line = junk[rng.bounded(junk.size())];
                }
                old +=
                    line.toUtf8() + (i + 1 < lines || rng.bounded(2) ? (crlf ? "\r\n" : "\n") : "");
            }
            writeFile(f, old);
            const QString section = sections[rng.bounded(sections.size())];
            const QString key = keys[rng.bounded(keys.size())];
            const QString value = QString::number(rng.bounded(1000));
            QMap<QPair<QString, QString>, QString> others;
            for (const QString& s : sections)
                for (const QString& k : keys)
                    if (s.compare(section, Qt::CaseInsensitive) != 0 ||
                        k.compare(key, Qt::CaseInsensitive) != 0)
                        others[{s, k}] = ReadProfileString(s, k, f, "<none>");

            WriteProfileString(section, key, value, f);
            const QByteArray now = readFile(f);
            QCOMPARE(ReadProfileString(section, key, f), value);
            for (auto it = others.cbegin(); it != others.cend(); ++it)
                QCOMPARE(ReadProfileString(it.key().first, it.key().second, f, "<none>"),
                         it.value());
            qsizetype prefix = 0;
            while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix])
                ++prefix;
            qsizetype suffix = 0;
            while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
                   old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
                ++suffix;
            QVERIFY2(!old.mid(prefix, old.size() - prefix - suffix).contains('\n'),
                     old.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
