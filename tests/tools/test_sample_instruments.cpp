// Measures what the sample-instrument generator made, independently of the numbers it was
// given: pitch, loop joins, offsets, profiles against pictures, and that two runs agree.
#include "fixture.h"
#include "support/bitmap_file.h"
#include "support/numeric_value.h"
#include "support/profile.h"
#include "support/wav_decoder.h"
#include "ui/folder_lists.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <complex>

namespace {

const QString kTunes = QStringLiteral(TUNER_BUILD_DIR "/Tunes/");
constexpr double kRate = 48000;

double equalTemperament(const QString& note) {
    // Semitones above C in the octave; A4 = 440 Hz.
    const QMap<QChar, int> above = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                    {'G', 7}, {'A', 9}, {'B', 11}};
    const int octave = note.right(1).toInt();
    const int semitones = above.value(note.at(0).toUpper()) + 12 * octave - (9 + 12 * 4);
    return 440.0 * std::exp2(semitones / 12.0);
}

std::vector<double> mono(const Recording& r) {
    std::vector<double> s(size_t(r.frameCount()));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = r.samples[2 * i];
    return s;
}

// Coarse pitch from the autocorrelation, with a parabola through its peak.
double coarsePitch(const std::vector<double>& s) {
    const size_t from = size_t(0.05 * kRate), n = size_t(0.5 * kRate);
    auto r = [&](size_t lag) {
        double sum = 0;
        for (size_t i = from; i < from + n; ++i)
            sum += s[i] * s[i + lag];
        return sum;
    };
    const size_t minLag = size_t(kRate / 1500), maxLag = size_t(kRate / 30);
    std::vector<double> ac(maxLag + 2);
    for (size_t lag = minLag - 1; lag <= maxLag + 1; ++lag)
        ac[lag] = r(lag);
    const double top = *std::max_element(ac.begin() + long(minLag), ac.begin() + long(maxLag));
    // The first lag whose peak comes close to the highest: the period, not a multiple of it.
    for (size_t lag = minLag; lag <= maxLag; ++lag)
        if (ac[lag] > 0.9 * top && ac[lag] >= ac[lag - 1] && ac[lag] >= ac[lag + 1]) {
            const double a = ac[lag - 1], b = ac[lag], c = ac[lag + 1];
            const double shift = 0.5 * (a - c) / (a - 2 * b + c);
            return kRate / (double(lag) + shift);
        }
    return 0;
}

std::complex<double> phasor(const std::vector<double>& s, double f, size_t start, size_t width) {
    std::complex<double> z;
    for (size_t i = 0; i < width; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(width));
        z += w * s[start + i] * std::polar(1.0, -2 * M_PI * f * double(start + i) / kRate);
    }
    return z;
}

// Refines a pitch by how fast the phase of its component turns between two windows.
double refine(const std::vector<double>& s, double f, double apart) {
    const size_t width = size_t(0.25 * kRate), a = size_t(0.1 * kRate);
    const size_t b = a + size_t(apart * kRate);
    const double turn = std::arg(phasor(s, f, b, width) / phasor(s, f, a, width));
    return f + turn / (2 * M_PI * double(b - a) / kRate);
}

double measuredPitch(const std::vector<double>& s) {
    double f = coarsePitch(s);
    for (double apart : {0.02, 0.1, 0.5, 1.4})
        f = refine(s, f, apart);
    return f;
}

QMap<QString, QStringList> expectedNotes() {
    return {{"Ukulele", {"G4", "C4", "E4", "A4"}}, {"Guitar", {"E2", "A2", "D3", "G3", "B3", "E4"}},
            {"Bass", {"E1", "A1", "D2", "G2"}},    {"Mandolin", {"G3", "D4", "A4", "E5"}},
            {"Violin", {"G3", "D4", "A4", "E5"}},  {"Banjo", {"G4", "D3", "G3", "B3", "D4"}}};
}

} // namespace

class TestSampleInstruments : public QObject {
    Q_OBJECT
  private slots:
    void recordingsSoundTheirNotesInPegOrder() {
        const auto notes = expectedNotes();
        for (auto it = notes.cbegin(); it != notes.cend(); ++it) {
            const QString folder = kTunes + it.key() + '/';
            const QString options = Commands::ReadProfileString("Veltrosan Tuner", "Options",
                                                                folder + "tuner.ini", "0");
            QStringList prefixes{QString()};
            if (NumericValue(options) > 0) {
                prefixes.clear();
                for (int k = 1; k <= int(NumericValue(options)); ++k)
                    prefixes << Commands::ReadProfileString(
                        "Veltrosan Tuner", QStringLiteral("Option%1").arg(k), folder + "tuner.ini");
            }
            for (const QString& prefix : prefixes) {
                FileList files;
                files.setPath(folder);
                files.setPattern(prefix + "*.wav");
                QCOMPARE(files.ListCount(), int(it.value().size()));
                for (int k = 0; k < files.ListCount(); ++k) {
                    const QString path = folder + files.entry(k);
                    const auto rec = decodeWavFile(path);
                    QVERIFY(rec);
                    QCOMPARE(rec->sampleRate, 48000);
                    const std::vector<double> s = mono(*rec);
                    const double want = equalTemperament(it.value()[k]);
                    const double cents = 1200 * std::log2(measuredPitch(s) / want);
                    QVERIFY2(std::abs(cents) < 0.1,
                             qPrintable(QStringLiteral("%1: %2 cents").arg(path).arg(cents)));

                    // Loop join no steeper than the steps inside; no offset.
                    double steepest = 0, sum = 0;
                    for (size_t i = 0; i + 1 < s.size(); ++i)
                        steepest = std::max(steepest, std::abs(s[i + 1] - s[i]));
                    for (double x : s)
                        sum += x;
                    QVERIFY2(std::abs(s.front() - s.back()) <= steepest, qPrintable(path));
                    QVERIFY2(std::abs(sum / double(s.size())) < 1e-3, qPrintable(path));
                }
            }
        }
        const auto release = decodeWavFile(kTunes + "release.wav");
        QVERIFY(release && release->frameCount() < 48000); // short
        double loudest = 0;
        for (float x : release->samples)
            loudest = std::max(loudest, double(std::abs(x)));
        QVERIFY(loudest < 0.3); // gentle
    }

    void pegAreasLieOverThePegsOfThePictures() {
        QDirIterator it(kTunes, {"*all-on.bmp"}, QDir::Files, QDirIterator::Subdirectories);
        int pictures = 0;
        while (it.hasNext()) {
            const QString on = it.next();
            const QString folder = QFileInfo(on).absolutePath() + '/';
            const QString prefix =
                QFileInfo(on).fileName().chopped(QStringLiteral("all-on.bmp").size());
            const QString ini =
                folder + (prefix.isEmpty() ? QStringLiteral("tuner.ini") : prefix + "tuner.ini");
            const QImage lit = loadBitmapFile(on);
            const QImage dark = loadBitmapFile(folder + prefix + "all-off.bmp");
            QCOMPARE(lit.size(), QSize(384, 550));
            QCOMPARE(lit.depth(), 32);
            QImage differs(lit.size(), QImage::Format_Mono);
            differs.fill(0);
            QList<QRect> areas{QRect(18, 478, 103, 54)};
            for (int n = 1; n <= 6; ++n) {
                auto key = [&](const char* what) {
                    return int(NumericValue(Commands::ReadProfileString(
                        "Veltrosan Tuner", QStringLiteral("Tuner%1-%2").arg(n).arg(what), ini)));
                };
                const QRect area(key("Left"), key("Top"), key("Width"), key("Height"));
                if (area.isEmpty())
                    continue;
                QVERIFY2(QRect(0, 0, 384, 550).contains(area), qPrintable(ini));
                // Lit and dark differ at the middle of the area: a peg lies there.
                QVERIFY2(lit.pixel(area.center()) != dark.pixel(area.center()), qPrintable(ini));
                areas << area;
            }
            // Everywhere else the two pictures are the same.
            for (int y = 0; y < 550; ++y)
                for (int x = 0; x < 384; ++x)
                    if (lit.pixel(x, y) != dark.pixel(x, y)) {
                        bool inside = false;
                        for (const QRect& a : areas)
                            inside = inside || a.contains(x, y);
                        QVERIFY2(inside,
                                 qPrintable(QStringLiteral("%1 at %2,%3").arg(on).arg(x).arg(y)));
                    }
            ++pictures;
        }
        QCOMPARE(pictures, 7); // six instruments and one option of its own
    }

    void theGeneratorMakesTheSameBytesEveryRun() {
        QTemporaryDir a, b;
        for (QTemporaryDir* d : {&a, &b}) {
            QProcess p;
            p.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            p.start(TUNER_GENERATOR, {d->path()});
            QVERIFY(p.waitForFinished(120000));
            QCOMPARE(p.exitCode(), 0);
        }
        QDirIterator it(a.path() + "/Tunes", QDir::Files, QDirIterator::Subdirectories);
        int files = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            const QString twin = b.path() + path.mid(a.path().size());
            QVERIFY2(Fixture::readFile(path) == Fixture::readFile(twin), qPrintable(path));
            QVERIFY(Fixture::readFile(path) ==
                    Fixture::readFile(QStringLiteral(TUNER_BUILD_DIR) + path.mid(a.path().size())));
            ++files;
        }
        QVERIFY(files > 40);
    }
};

QTEST_MAIN(TestSampleInstruments)
#include "test_sample_instruments.moc"
