// Measures what the sample-instrument generator made, independently of the numbers it was
// given: pitch, loop joins and offsets, and that two runs agree.
#include "fixture.h"
#include "support/numeric_value.h"
#include "support/profile/profile.h"
#include "support/sound/wav_decoder.h"

#include <QDirIterator>
#include <QProcess>
#include <cmath>
#include <complex>

namespace {

const QString kTunes = QStringLiteral(TUNER_BUILD_DIR "/Tunes/");
constexpr double kRate = 48000;

double equalTemperament(const QString& note) { // A4 = 440 Hz
    const int semitones = QString("C D EF G A B").indexOf(note.at(0)) + 12 * note.right(1).toInt();
    return 440.0 * std::exp2((semitones - 57) / 12.0);
}

// Coarse pitch: the first lag whose autocorrelation comes close to the highest (the period, not
// a multiple of it), with a parabola through its peak.
double coarsePitch(const std::vector<double>& s) {
    const size_t from = size_t(0.05 * kRate), minLag = size_t(kRate / 1500);
    std::vector<double> ac(size_t(kRate / 30) + 2);
    for (size_t lag = minLag - 1; lag < ac.size(); ++lag)
        for (size_t i = from; i < from + size_t(0.5 * kRate); ++i)
            ac[lag] += s[i] * s[i + lag];
    const double top = *std::max_element(ac.begin() + long(minLag), ac.end() - 1);
    for (size_t lag = minLag; lag + 1 < ac.size(); ++lag)
        if (ac[lag] > 0.9 * top && ac[lag] >= ac[lag - 1] && ac[lag] >= ac[lag + 1]) {
            const double a = ac[lag - 1], b = ac[lag], c = ac[lag + 1];
            return kRate / (double(lag) + 0.5 * (a - c) / (a - 2 * b + c));
        }
    return 0;
}

// Refines a pitch by how fast the phase of its component turns between windows further and
// further apart.
double measuredPitch(const std::vector<double>& s) {
    const size_t width = size_t(0.25 * kRate), a = size_t(0.1 * kRate);
    auto phasor = [&](double f, size_t start) {
        std::complex<double> z;
        for (size_t i = 0; i < width; ++i)
            z += (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(width))) * s[start + i] *
                 std::polar(1.0, -2 * M_PI * f * double(start + i) / kRate);
        return z;
    };
    double f = coarsePitch(s);
    for (double apart : {0.02, 0.1, 0.5, 1.4}) {
        const size_t b = a + size_t(apart * kRate);
        f += std::arg(phasor(f, b) / phasor(f, a)) / (2 * M_PI * double(b - a) / kRate);
    }
    return f;
}

int key(const QString& ini, const QString& name) {
    return int(NumericValue(Commands::ReadProfileString("Veltrosan Tuner", name, ini)));
}

} // namespace

class TestSampleInstruments : public QObject {
    Q_OBJECT
  private slots:
    void recordingsSoundTheirNotesInPegOrder() {
        const QMap<QString, QStringList> notes = {
            {"Ukulele", {"G4", "C4", "E4", "A4"}}, {"Guitar", {"E2", "A2", "D3", "G3", "B3", "E4"}},
            {"Bass", {"E1", "A1", "D2", "G2"}},    {"Mandolin", {"G3", "D4", "A4", "E5"}},
            {"Violin", {"G3", "D4", "A4", "E5"}},  {"Banjo", {"G4", "D3", "G3", "B3", "D4"}}};
        for (auto it = notes.cbegin(); it != notes.cend(); ++it) {
            const QString folder = kTunes + it.key() + '/';
            QStringList prefixes; // of the sound options, if any
            for (int k = 1; k <= key(folder + "tuner.ini", "Options"); ++k)
                prefixes << Commands::ReadProfileString(
                    "Veltrosan Tuner", QStringLiteral("Option%1").arg(k), folder + "tuner.ini");
            if (prefixes.isEmpty())
                prefixes << QString();
            for (const QString& prefix : prefixes) {
                FileList files;
                files.setPath(folder);
                files.setPattern(prefix + "*.wav");
                QCOMPARE(files.ListCount(), int(it.value().size()));
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
                        1200 * std::log2(measuredPitch(s) / equalTemperament(it.value()[k]));
                    QVERIFY2(std::abs(cents) < 0.1,
                             qPrintable(QStringLiteral("%1: %2 cents").arg(path).arg(cents)));
                    // The loop join no steeper than the steps inside; no offset.
                    QVERIFY2(std::abs(s.front() - s.back()) <= steepest, qPrintable(path));
                    QVERIFY2(std::abs(sum / double(s.size())) < 1e-3, qPrintable(path));
                }
            }
        }
        QVERIFY(decodeWavFile(kTunes + "release.wav"));
    }

    void theGeneratorMakesTheSameBytesEveryRun() {
        QTemporaryDir a;
        QProcess generator;
        generator.start(TUNER_GENERATOR, {a.path()});
        QVERIFY(generator.waitForFinished(120000) && generator.exitCode() == 0);
        QDirIterator it(a.path() + "/Tunes", QDir::Files, QDirIterator::Subdirectories);
        int files = 0;
        for (; it.hasNext(); ++files) {
            const QString path = it.next();
            QVERIFY2(Fixture::readFile(path) == Fixture::readFile(QStringLiteral(TUNER_BUILD_DIR) +
                                                                  path.mid(a.path().size())),
                     qPrintable(path));
        }
        QVERIFY(files > 40);
    }
};

QTEST_MAIN(TestSampleInstruments)
#include "test_sample_instruments.moc"
