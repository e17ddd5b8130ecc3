// Measures what the instrument maker makes, independently of the numbers it was given: pitch at
// several references, loop joins and offsets, that two runs agree, that the tuner reads and
// plays what it made, and that bad input writes nothing.
#include "support/numeric_value.h"
#include "support/pitch/string_targets.h"
#include "support/profile/profile.h"
#include "support/sound/wav_decoder.h"
#include "tests/ui/window_fixture.h"

#include <QDirIterator>
#include <QProcess>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kTunes = QStringLiteral(TUNER_BUILD_DIR "/Tunes/");

double equalTemperament(const QString& note, double a4) {
    const int accidental = note.contains(u'#') ? 1 : note.mid(1).contains(u'b') ? -1 : 0;
    const int semitones =
        u"C D EF G A B"_s.indexOf(note.at(0).toUpper()) + accidental + 12 * note.right(1).toInt();
    return a4 * std::exp2((semitones - 57) / 12.0);
}

// Runs the command; its exit status and what it wrote to standard error.
std::pair<int, QString> make(const QStringList& args) {
    QProcess maker;
    maker.start(QStringLiteral(TUNER_MAKER), args);
    maker.waitForFinished(120000);
    return {maker.exitCode(), QString::fromLocal8Bit(maker.readAllStandardError())};
}


int key(const QString& ini, const QString& name) {
    return int(NumericValue(Commands::ReadProfileString(u"Veltrosan Tuner"_s, name, ini)));
}

} // namespace

class TestSampleInstruments : public QObject {
    Q_OBJECT
    QTemporaryDir made; // instruments the command made at other references

  private slots:
    void initTestCase() {
        QCOMPARE(make({u"cello"_s, u"--a4"_s, u"415"_s, u"--into"_s, made.path()}).first, 0);
        QCOMPARE(make({u"--name"_s, u"Own"_s, u"--notes"_s, u"Bb1, F#3,E4"_s, u"--a4=442"_s,
                       u"--sound"_s, u"both"_s, u"--into"_s, made.path()})
                     .first,
                 0);
    }

    void recordingsSoundTheirNotesInPegOrder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<double>("a4");
        const QStringList violin = {u"G3"_s, u"D4"_s, u"A4"_s, u"E5"_s};
        for (const auto& [name, notes] : std::initializer_list<std::pair<QString, QStringList>>{
                 {u"Ukulele"_s, {u"G4"_s, u"C4"_s, u"E4"_s, u"A4"_s}},
                 {u"Guitar"_s, {u"E2"_s, u"A2"_s, u"D3"_s, u"G3"_s, u"B3"_s, u"E4"_s}},
                 {u"Bass"_s, {u"E1"_s, u"A1"_s, u"D2"_s, u"G2"_s}},
                 {u"Mandolin"_s, violin},
                 {u"Violin"_s, violin},
                 {u"Banjo"_s, {u"g4"_s, u"D3"_s, u"G3"_s, u"B3"_s, u"D4"_s}}})
            QTest::newRow(qPrintable(name)) << kTunes + name + u'/' << notes << 440.0;
        QTest::newRow("baroque cello, both sounds, 415 Hz")
            << made.path() + u"/Cello/"_s << QStringList{u"C2"_s, u"G2"_s, u"D3"_s, u"A3"_s}
            << 415.0;
        QTest::newRow("own notes with sharps and flats, 442 Hz")
            << made.path() + u"/Own/"_s << QStringList{u"Bb1"_s, u"F#3"_s, u"E4"_s} << 442.0;
    }

    void recordingsSoundTheirNotesInPegOrder() {
        QFETCH(QString, folder);
        QFETCH(QStringList, notes);
        QFETCH(double, a4);
        {
            QStringList prefixes; // of the sound options, if any
            for (int k = 1; k <= key(folder + u"tuner.ini"_s, u"Options"_s); ++k)
                prefixes << Commands::ReadProfileString(u"Veltrosan Tuner"_s,
                                                        QStringLiteral("Option%1").arg(k),
                                                        folder + u"tuner.ini"_s);
            if (prefixes.isEmpty())
                prefixes << QString();
            for (const QString& prefix : prefixes) {
                FileList files;
                files.setPath(folder);
                files.setPattern(prefix + u"*.wav"_s);
                QCOMPARE(files.ListCount(), int(notes.size()));
                for (int k = 0; k < files.ListCount(); ++k) {
                    const QString path = folder + files.entry(k);
                    const auto rec = decodeWavFile(path);
                    QVERIFY(rec && rec->sampleRate == 48000);
                    std::vector<double> s(size_t(rec->frameCount()));
                    double steepest = 0, sum = 0;
                    for (size_t i = 0; i < s.size(); ++i) {
                        s[i] = rec->samples[2 * i];
                        sum += s[i];
                        steepest = i > 0 ? std::max(steepest, std::abs(s[i] - s[i - 1])) : 0;
                    }
                    const double cents =
                        1200 * std::log2(*recordingPitch(path) / equalTemperament(notes[k], a4));
                    QVERIFY2(std::abs(cents) < 0.1,
                             qPrintable(QStringLiteral("%1: %2 cents").arg(path).arg(cents)));
                    // The loop join no steeper than the steps inside; no offset.
                    QVERIFY2(std::abs(s.front() - s.back()) <= steepest, qPrintable(path));
                    QVERIFY2(std::abs(sum / double(s.size())) < 1e-3, qPrintable(path));
                }
            }
        }
    }

    void theGeneratorMakesTheSameBytesEveryRun() {
        QTemporaryDir a;
        QProcess generator;
        generator.start(QStringLiteral(TUNER_GENERATOR), {a.path()});
        QVERIFY(generator.waitForFinished(120000) && generator.exitCode() == 0);
        QDirIterator it(a.path() + u"/Tunes"_s, QDir::Files, QDirIterator::Subdirectories);
        int files = 0;
        for (; it.hasNext(); ++files) {
            const QString path = it.next();
            QVERIFY2(Fixture::readFile(path) == Fixture::readFile(QStringLiteral(TUNER_BUILD_DIR) +
                                                                  path.mid(a.path().size())),
                     qPrintable(path));
        }
        QVERIFY(files > 40);
        QVERIFY(decodeWavFile(kTunes + u"release.wav"_s));
    }

    // The tuner lists what the command made, offers its sound options and plays each peg's
    // own recording.
    void theTunerPlaysWhatTheCommandMade() {
        Session session;
        QCOMPARE(make({u"cello"_s, u"--into"_s, session.app.tunesPath(), u"--name"_s, u"Ukulele"_s})
                     .first,
                 0);
        session.start();
        QCOMPARE(entries(*session.tuner->cboInstrument), QStringList{u"Ukulele"_s});
        QCOMPARE(entries(*session.tuner->cboOptions), (QStringList{u"bowed"_s, u"pizzicato"_s}));
        chooseOption(*session.tuner, 1);
        for (int k = 0; k < 4; ++k) {
            click(session.tuner->picTuner[size_t(k)]);
            QVERIFY(
                session.sound.calls().back().path.endsWith(QStringLiteral("/pizzicato-%1-%2.wav")
                                                               .arg(k + 1)
                                                               .arg(u"C2G2D3A3"_s.mid(2 * k, 2))));
        }
    }

    void badInputIsOneLineAndWritesNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown preset") << QStringList{u"lute"_s};
        QTest::newRow("unknown note") << QStringList{u"--name"_s, u"X"_s, u"--notes"_s, u"E2,H3"_s};
        QTest::newRow("seven notes")
            << QStringList{u"--name"_s, u"X"_s, u"--notes"_s, u"E2,A2,D3,G3,B3,E4,A4"_s};
        QTest::newRow("reference too low") << QStringList{u"guitar"_s, u"--a4"_s, u"399.9"_s};
        QTest::newRow("reference not a number") << QStringList{u"guitar"_s, u"--a4"_s, u"A"_s};
        QTest::newRow("hidden name") << QStringList{u"guitar"_s, u"--name"_s, u".Guitar"_s};
        QTest::newRow("name with a separator") << QStringList{u"guitar"_s, u"--name"_s, u"a/b"_s};
        QTest::newRow("unknown sound") << QStringList{u"guitar"_s, u"--sound"_s, u"struck"_s};
        QTest::newRow("unknown option") << QStringList{u"guitar"_s, u"--loud"_s};
        QTest::newRow("existing folder") << QStringList{u"ukulele"_s};
    }

    void badInputIsOneLineAndWritesNothing() {
        QFETCH(QStringList, args);
        QTemporaryDir tunes;
        writeFile(tunes.path() + u"/Ukulele/1-G4.wav"_s, "kept");
        const auto [status, message] = make(args << u"--into"_s << tunes.path());
        QCOMPARE(status, 2);
        QCOMPARE(message.count(u'\n'), 1);
        QCOMPARE(
            QDir(tunes.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{u"Ukulele"_s});
        QCOMPARE(readFile(tunes.path() + u"/Ukulele/1-G4.wav"_s), QByteArray("kept"));
        if (QByteArray(QTest::currentDataTag()) != "existing folder")
            return;
        // --replace puts a whole new folder in its place.
        QCOMPARE(make({u"ukulele"_s, u"--into"_s, tunes.path(), u"--replace"_s}).first, 0);
        QCOMPARE(QDir(tunes.path() + u"/Ukulele"_s).entryList(QDir::Files).size(), 7);
    }
};

QTEST_MAIN(TestSampleInstruments)
#include "test_sample_instruments.moc"
