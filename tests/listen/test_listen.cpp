// veltrosan-tuner-listen --file as a user runs it: a line every 5 ms naming the note and the
// cents at the reference asked for, and one line and status 2 for any bad input.
#include "tests/support/support_fixture.h"

#include <QProcess>
#include <filesystem>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int status;
    QStringList lines;
    QString error;
};

Run listen(const QStringList& args) {
    QProcess listener;
    listener.start(QStringLiteral(TUNER_LISTEN), args);
    listener.waitForFinished(60000);
    return {listener.exitCode(),
            QString::fromUtf8(listener.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
            QString::fromLocal8Bit(listener.readAllStandardError())};
}

} // namespace

class TestListen : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString a4;

  private slots:
    void initTestCase() {
        a4 = dir.path() + u"/a4.wav"_s;
        writeWav(a4, tone(440, 1.0, 44100), 44100);
    }

    void readsTheNoteAtTheReference_data() {
        QTest::addColumn<QStringList>("reference");
        QTest::addColumn<QString>("ending");
        QTest::newRow("440 Hz") << QStringList() << u" 440.0000 A4 +0.00"_s;
        QTest::newRow("442 Hz") << QStringList{u"--a4"_s, u"442"_s} << u" 440.0000 A4 -7.85"_s;
    }
    void readsTheNoteAtTheReference() {
        QFETCH(QStringList, reference);
        QFETCH(QString, ending);
        const Run run = listen(QStringList{u"--file"_s, a4} + reference);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.lines.size(), 200);
        QVERIFY2(run.lines.last().endsWith(ending), qPrintable(run.lines.last()));
        QVERIFY(run.lines.last().startsWith(u"0.998 "_s)); // 220 samples a hop at 44.1 kHz
    }

    // "été.wav" in Latin-1: bytes that are no UTF-8, passed on as the shell passes them.
    void opensAFileNamedInBytesThatAreNotUtf8() {
        const std::string latin1 = QFile::encodeName(dir.path()).toStdString() + "/\xe9t\xe9.wav";
        std::filesystem::copy_file(QFile::encodeName(a4).toStdString(), latin1);
        QProcess shell;
        shell.start(u"/bin/sh"_s,
                    {u"-c"_s, uR"sh(exec "$0" --file "$(printf '%s/\351t\351.wav' "$1")")sh"_s,
                     QStringLiteral(TUNER_LISTEN), dir.path()});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.readAllStandardError(), QByteArray());
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(shell.readAllStandardOutput().count('\n'), 200);
    }

    void badInputIsOneLineAndStatusTwo_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no such file") << QStringList{u"--file"_s, u"/nonexistent.wav"_s};
        QTest::newRow("not a WAV") << QStringList{u"--file"_s, QStringLiteral(TUNER_LISTEN)};
        QTest::newRow("reference too low") << QStringList{u"--a4"_s, u"399.9"_s, u"--file"_s, a4};
        QTest::newRow("reference too high") << QStringList{u"--file"_s, a4, u"--a4"_s, u"480.1"_s};
        QTest::newRow("reference not a number") << QStringList{u"--file"_s, a4, u"--a4"_s, u"A"_s};
        QTest::newRow("a value missing") << QStringList{u"--file"_s};
        QTest::newRow("unknown argument") << QStringList{u"--loud"_s};
    }
    void badInputIsOneLineAndStatusTwo() {
        QFETCH(QStringList, args);
        const Run run = listen(args);
        QCOMPARE(run.status, 2);
        QVERIFY(run.lines.isEmpty());
        QCOMPARE(run.error.count(u'\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestListen)
#include "test_listen.moc"
