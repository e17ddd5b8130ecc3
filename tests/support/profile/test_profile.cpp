// Profile reading and writing through real files, and the file test.
#include "support/files/file_access.h"
#include "support/profile/profile.h"
#include "tests/support/support_fixture.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace Commands;
using Fixture::readFile;
using Fixture::writeFile;

namespace {
const QString kSection = QStringLiteral("Veltrosan Tuner");
} // namespace

class TestProfile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + u'/' + name; }

  private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // the default is "d"
        const QByteArray plain = "[veltrosan tuner]\noptions = 2\n  Option1  =  plucked  \n";
        QTest::newRow("names without regard to case") << plain << kSection << "OPTIONS"
                                                      << "2";
        QTest::newRow("blanks around names and values") << plain << " VELTROSAN TUNER "
                                                        << "option1"
                                                        << "plucked";
        const QByteArray empty = "[Veltrosan Tuner]\nA=\nB=   \n[Other]\nC=x\n";
        QTest::newRow("empty value gives the default") << empty << kSection << "A"
                                                       << "d";
        QTest::newRow("key of another section") << empty << kSection << "C"
                                                << "d";
        const QByteArray twice = "[Veltrosan Tuner]\nA=1\nA=2\nB=\nB=3\n[Veltrosan Tuner]\nC=4\n";
        QTest::newRow("first of two keys") << twice << kSection << "A"
                                           << "1";
        QTest::newRow("an empty first key hides the second") << twice << kSection << "B"
                                                             << "d";
        QTest::newRow("only the first section counts") << twice << kSection << "C"
                                                       << "d";
        QTest::newRow("value cut at 2047 characters")
            << "[Veltrosan Tuner]\nK=" + QByteArray(2047, 'y') + "z\n"
            << kSection << "K" << QString(2047, u'y');
        QTest::newRow("Windows file: BOM, CRLF, Windows-1252")
            << QByteArray("\xEF\xBB\xBF[Veltrosan Tuner]\r\nO=gezupft \xE9\x80\r\n") << kSection
            << "O" << QStringLiteral("gezupft é€");
        QTest::newRow("value ends at a NUL byte")
            << QByteArray("[Veltrosan Tuner]\nA=1\0hidden\n", 29) << kSection << "A"
            << "1";
    }
    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeFile(path(u"read.ini"_s), file);
        QCOMPARE(ReadProfileString(section, key, path(u"read.ini"_s), u"d"_s), expected);
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file: section and entry")
            << QByteArray() << kSection << "Tuner1-width"
            << " 120" << QByteArray("[Veltrosan Tuner]\nTuner1-width= 120\n");
        QTest::newRow("replaced where it stands, every other byte kept")
            << QByteArray(
                   "; c\n[Veltrosan Tuner]\nA=1\nTUNER1-WIDTH = 5\nB=3\n\n[O]\nTuner1-width=9\n")
            << kSection << "Tuner1-width"
            << "120"
            << QByteArray(
                   "; c\n[Veltrosan Tuner]\nA=1\nTuner1-width=120\nB=3\n\n[O]\nTuner1-width=9\n");
        QTest::newRow("added after the section's last entry")
            << QByteArray("[Veltrosan Tuner]\nA=1\n\n[Other]\nX=1") << kSection << "B"
            << "2" << QByteArray("[Veltrosan Tuner]\nA=1\nB=2\n\n[Other]\nX=1");
        QTest::newRow("new section after a last line without newline")
            << QByteArray("[Other]\nX=1") << "Third"
            << "C"
            << "3" << QByteArray("[Other]\nX=1\n[Third]\nC=3\n");
        QTest::newRow("last line ending in CR alone gets only its LF")
            << QByteArray("[Veltrosan Tuner]\nA=1\r") << kSection << "B"
            << "2" << QByteArray("[Veltrosan Tuner]\nA=1\r\nB=2\n");
        QTest::newRow("CRLF file, section header as that last line")
            << QByteArray("\r\n[s\r") << " S "
            << "Options"
            << "3" << QByteArray("\r\n[s\r\nOptions=3\r\n");
        QTest::newRow("Windows-1252 file stays Windows-1252")
            << QByteArray("\xEF\xBB\xBF[Veltrosan Tuner]\r\nO=\xE9\r\n") << kSection << "P"
            << QStringLiteral("sanft é")
            << QByteArray("\xEF\xBB\xBF[Veltrosan Tuner]\r\nO=\xE9\r\nP=sanft \xE9\r\n");
        QTest::newRow("UTF-8 file stays UTF-8")
            << QByteArray("[Veltrosan Tuner]\r\nO=Kl\xC3\xA4ng\r\n") << kSection << "O"
            << QStringLiteral("Grüße")
            << QByteArray("[Veltrosan Tuner]\r\nO=Gr\xC3\xBC\xC3\x9F"
                          "e\r\n");
        const QByteArray safe = "[Veltrosan Tuner]\nA=1\n";
        QTest::newRow("refused: value with a line break") << safe << kSection << "A"
                                                          << "1\n[Injected]\nB=2" << safe;
        QTest::newRow("refused: key with =") << safe << kSection << "Key=With"
                                             << "1" << safe;
        QTest::newRow("refused: section with ]") << safe << "Sec]tion"
                                                 << "A"
                                                 << "1" << safe;
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFile::remove(path(u"write.ini"_s));
        if (!before.isEmpty())
            writeFile(path(u"write.ini"_s), before);
        WriteProfileString(section, key, value, path(u"write.ini"_s));
        QCOMPARE(readFile(path(u"write.ini"_s)), after);
        WriteProfileString(section, key, value, path(u"write.ini"_s)); // the same again: no change
        QCOMPARE(readFile(path(u"write.ini"_s)), after);
    }

    void writeKeepsPermissionsAndFollowsLinks() {
        const QString real = path(u"real.ini"_s), link = path(u"link.ini"_s);
        writeFile(real, "[Veltrosan Tuner]\nA=1\n");
        QCOMPARE(chmod(QFile::encodeName(real).constData(), 0640), 0);
        QVERIFY(QFile::link(u"real.ini"_s, link));
        WriteProfileString(kSection, u"A"_s, u"2"_s, link);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(real), QByteArray("[Veltrosan Tuner]\nA=2\n"));
        struct stat st {};
        QCOMPARE(stat(QFile::encodeName(real).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0640u);
    }

    void aReadOnlyProfileIsNotReplaced() {
        // Only the folder is writable for this user, as for a profile marked read-only.
        QTemporaryDir shared;
        chmod(QFile::encodeName(shared.path()).constData(), 0777);
        const QString f = shared.path() + u"/tuner.ini"_s;
        writeFile(f, "[Veltrosan Tuner]\nA=1\n");
        chmod(QFile::encodeName(f).constData(), 0444);
        const pid_t child = fork();
        if (child == 0) { // as a user who owns nothing here
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                _exit(2);
            WriteProfileString(kSection, u"A"_s, u"2"_s, f);
            _exit(0);
        }
        int status = -1;
        waitpid(child, &status, 0);
        QCOMPARE(status, 0);
        QCOMPARE(readFile(f), QByteArray("[Veltrosan Tuner]\nA=1\n"));
    }

    void aFailedWriteChangesNothing() {
        // The profile's path is a folder, or its folder is a file.
        QDir().mkpath(path(u"isafolder.ini"_s));
        WriteProfileString(kSection, u"A"_s, u"1"_s, path(u"isafolder.ini"_s));
        QVERIFY(QFileInfo(path(u"isafolder.ini"_s)).isDir());
        writeFile(path(u"plainfile"_s), "x");
        WriteProfileString(kSection, u"A"_s, u"1"_s, path(u"plainfile/tuner.ini"_s));
        QCOMPARE(readFile(path(u"plainfile"_s)), QByteArray("x"));

        // A full disk (the file-size limit) fails the write half-way: the old file stays whole
        // and no temporary file is left behind.
        QTemporaryDir full;
        const QString f = full.path() + u"/tuner.ini"_s;
        const QByteArray before = "[Veltrosan Tuner]\nA=" + QByteArray(3000, 'a') + "\n";
        writeFile(f, before);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 2048;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        WriteProfileString(kSection, u"B"_s, QString(4000, u'b'), f);
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(readFile(f), before);
        QCOMPARE(QDir(full.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void readingCreatesNothingAndNeverBlocks() {
        QCOMPARE(ReadProfileString(kSection, u"A"_s, path(u"none.ini"_s), u"7"_s),
                 QStringLiteral("7"));
        QVERIFY(!QFileInfo::exists(path(u"none.ini"_s)));
        const QString fifo = path(u"fifo.ini"_s);
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(ReadProfileString(kSection, u"A"_s, fifo, u"d"_s), QStringLiteral("d"));
        QCOMPARE(FileExists(fifo), int16_t(0));
        writeFile(path(u"exists.wav"_s), "RIFF");
        QCOMPARE(FileExists(path(u"exists.wav"_s)), int16_t(-1));
        for (const QString& none :
             {dir.path(), path(u"nothing.wav"_s), path(u"no/nothing"_s), QString()})
            QCOMPARE(FileExists(none), int16_t(0));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
