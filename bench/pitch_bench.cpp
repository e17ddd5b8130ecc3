// Hearing a string, against the truth: synthetic plucked tones of exactly known pitch, and notes
// of sampled instruments rendered by fluidsynth, each unbent and bent down by 7 and by 13 cents
// with the pitch wheel (so the detuning is known exactly, whatever the sample's own tuning).
// Ours beside aubio's yin and yinfft on the same files. Prints Markdown tables.
//   pitch_bench <work folder> <General MIDI sound font>
#include "support/pitch/notes.h"
#include "support/pitch/pitch_detector.h"
#include "support/sound/wav_decoder.h"
#include "support/sound/wav_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRate = 48000;
constexpr double kSeconds = 2.5;

struct Reading {
    double seconds;
    double frequency; // 0: none
};
using Readings = std::vector<Reading>;

double cents(double f, double reference) {
    return 1200 * std::log2(f / reference);
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

// The median reading between from and to seconds (NAN: none there).
double steady(const Readings& r, double from, double to) {
    std::vector<double> f;
    for (const Reading& x : r)
        if (x.seconds >= from && x.seconds <= to && x.frequency > 0)
            f.push_back(x.frequency);
    return percentile(f, 0.5);
}

// Harmonics 1 to 12 at 1/h, each fading faster the higher it is, after a 3 ms attack.
std::vector<int16_t> pluckedTone(double f) {
    std::vector<int16_t> s(std::size_t(kSeconds * kRate));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (int h = 1; h <= 12 && h * f < kRate / 2.0; ++h)
            v += std::exp(-t * (0.6 + 0.5 * h)) * std::sin(2 * M_PI * h * f * t) / h;
        s[i] = int16_t(std::lround(9000 * std::min(1.0, t / 0.003) * v));
    }
    return s;
}

// A one-note Standard MIDI File: program, pitch-wheel value, the note held for kSeconds.
QByteArray midiNote(int program, int key, int bend) {
    const auto variable = [](QByteArray& out, unsigned v) {
        QByteArray bytes(1, char(v & 0x7F));
        while (v >>= 7)
            bytes.prepend(char(0x80 | (v & 0x7F)));
        out += bytes;
    };
    QByteArray track;
    track += QByteArray("\x00\xC0", 2) + char(program);
    track += QByteArray("\x00\xE0", 2) + char(bend & 0x7F) + char(bend >> 7);
    track += QByteArray("\x00\x90", 2) + char(key) + char(100);
    variable(track, unsigned(kSeconds * 960)); // 480 ticks a quarter note of half a second
    track += QByteArray("\x80", 1) + char(key) + char(0);
    track += QByteArray("\x00\xFF\x2F\x00", 4);
    QByteArray file("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0", 14);
    file += "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8)
        file += char((track.size() >> shift) & 0xFF);
    return file + track;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double g_ourSeconds = 0, g_audioSeconds = 0;

Readings ours(const QString& wav) {
    const auto rec = decodeWavFile(wav);
    if (!rec)
        return {};
    std::vector<float> mono(std::size_t(rec->frameCount()));
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = 0.5f * (rec->samples[2 * i] + rec->samples[2 * i + 1]);
    std::vector<PitchReading> r;
    QElapsedTimer clock;
    clock.start();
    PitchDetector detector(rec->sampleRate);
    for (std::size_t from = 0; from < mono.size(); from += 480) // 10 ms blocks, as captured
        detector.feed(mono.data() + from, std::min<std::size_t>(480, mono.size() - from), r);
    g_ourSeconds += double(clock.nsecsElapsed()) * 1e-9;
    g_audioSeconds += double(mono.size()) / rec->sampleRate;
    Readings out;
    for (const PitchReading& x : r)
        out.push_back({x.seconds, x.frequency});
    return out;
}

Readings aubio(const QString& wav, const QString& method) {
    QProcess p;
    p.start(u"aubio"_s, {u"pitch"_s, u"-i"_s, wav, u"-r"_s, u"48000"_s, u"-B"_s, u"4096"_s, u"-H"_s,
                         u"256"_s, u"-m"_s, method, u"-u"_s, u"Hz"_s});
    p.waitForFinished(120000);
    Readings out;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> v = line.simplified().split(' ');
        if (v.size() == 2)
            out.push_back({v[0].toDouble(), std::max(0.0, v[1].toDouble())});
    }
    return out;
}

const QStringList kDetectors = {u"ours"_s, u"aubio yin"_s, u"aubio yinfft"_s};

Readings detect(const QString& detector, const QString& wav) {
    if (detector == kDetectors[0])
        return ours(wav);
    return aubio(wav, detector == kDetectors[1] ? u"yin"_s : u"yinfft"_s);
}

struct Figures {
    std::vector<double> steadyError, settle; // synthetic
    std::vector<double> bendPlucked, bendAll, firstShown;
    double off = 0, counted = 0;
    int silentNotes = 0;
};

QString ms(double seconds) {
    return std::isfinite(seconds) ? QString::number(std::lround(seconds * 1000)) : u"never"_s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: pitch_bench <work folder> <sound font>\n");
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]), font = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(work);
    std::map<QString, Figures> figures;

    // Synthetic plucked tones, 3.7 cents sharp.
    const char* synthetic[] = {"B0", "E1", "A1", "E2", "A2", "D3", "G3", "B3", "E4", "A4", "E5"};
    const int syntheticKeys[] = {23, 28, 33, 40, 45, 50, 55, 59, 64, 69, 76};
    for (int n = 0; n < 11; ++n) {
        const double truth = 440 * std::exp2((syntheticKeys[n] - 69) / 12.0 + 3.7 / 1200);
        const QString wav = work + QStringLiteral("/tone-%1.wav").arg(QLatin1String(synthetic[n]));
        writeFile(wav, pcm16WavFile(pluckedTone(truth), kRate, 1));
        for (const QString& d : kDetectors) {
            const Readings r = detect(d, wav);
            Figures& f = figures[d];
            f.steadyError.push_back(std::abs(cents(steady(r, 0.5, 2.0), truth)));
            double lastBad = 0;
            for (const Reading& x : r)
                if (x.seconds <= 2.0 &&
                    (x.frequency <= 0 || std::abs(cents(x.frequency, truth)) > 1))
                    lastBad = x.seconds;
            f.settle.push_back(lastBad >= 1.99 ? INFINITY : lastBad);
        }
    }

    // Sampled instruments: General MIDI program, plucked or not, keys.
    struct Voice {
        const char* name;
        int program;
        bool plucked;
        std::vector<int> keys;
    };
    const std::vector<Voice> voices = {
        {"nylon guitar", 24, true, {40, 45, 50, 55, 59, 64}},
        {"steel guitar", 25, true, {40, 45, 50, 55, 59, 64}},
        {"electric bass", 33, true, {28, 33, 38, 43}},
        {"acoustic bass", 32, true, {23, 28, 33}},
        {"banjo", 105, true, {50, 55, 59, 62, 67}},
        {"violin", 40, false, {55, 62, 69, 76}},
        {"cello", 42, false, {36, 43, 50, 57}},
    };
    const int bends[] = {8192, 8192 - 287, 8192 - 532}; // 0, -7.007 and -12.988 cents
    int notes = 0;
    for (const Voice& v : voices) {
        for (int key : v.keys) {
            ++notes;
            std::map<QString, double> unbent;
            for (int bend : bends) {
                const QString base =
                    work + QStringLiteral("/%1-%2-%3").arg(v.program).arg(key).arg(bend);
                writeFile(base + u".mid"_s, midiNote(v.program, key, bend));
                QProcess synth; // each note rendered once into the work folder
                if (!QFile::exists(base + u".wav"_s))
                    synth.start(u"fluidsynth"_s,
                                {u"-ni"_s, u"-q"_s, u"-r"_s, u"48000"_s, u"-o"_s,
                                 u"synth.reverb.active=0"_s, u"-o"_s, u"synth.chorus.active=0"_s,
                                 u"-F"_s, base + u".wav"_s, font, base + u".mid"_s});
                synth.waitForFinished(120000);
                const double bendCents = (bend - 8192) / 8192.0 * 200;
                for (const QString& d : kDetectors) {
                    const Readings r = detect(d, base + u".wav"_s);
                    Figures& f = figures[d];
                    const double value = steady(r, 0.3, 2.0);
                    if (!std::isfinite(value)) {
                        ++f.silentNotes;
                        continue;
                    }
                    if (bend == 8192)
                        unbent[d] = value;
                    else if (unbent.count(d)) {
                        const double error = std::abs(cents(value, unbent[d]) - bendCents);
                        f.bendAll.push_back(error);
                        if (v.plucked)
                            f.bendPlucked.push_back(error);
                    }
                    double shown = INFINITY;
                    int run = 0;
                    for (const Reading& x : r) {
                        const bool right =
                            x.frequency > 0 && std::abs(cents(x.frequency, value)) <= 50;
                        run = right ? run + 1 : 0;
                        if (run == 1)
                            shown = x.seconds;
                        if (run == 5)
                            break;
                    }
                    f.firstShown.push_back(run == 5 ? shown : INFINITY);
                    for (const Reading& x : r)
                        if (x.seconds <= 2.0 && x.frequency > 0) {
                            ++f.counted;
                            f.off += std::abs(cents(x.frequency, value)) > 50;
                        }
                }
            }
        }
    }

    std::printf("| %d notes | ours | aubio yin | aubio yinfft |\n|---|---|---|---|\n", notes * 3);
    const auto row = [&](const char* label, const auto& cell) {
        std::printf("| %s |", label);
        for (const QString& d : kDetectors)
            std::printf(" %s |", cell(figures[d]).toUtf8().constData());
        std::printf("\n");
    };
    const auto pair = [](double a, double b, int decimals) -> QString {
        return QString::number(a, 'f', decimals) + u" / "_s + QString::number(b, 'f', decimals);
    };
    row("synthetic: error of the steady reading, max (cents)", [](const Figures& f) -> QString {
        return QString::number(percentile(f.steadyError, 1), 'f', 4);
    });
    row("synthetic: settled within 1 cent, median / max (ms)", [](const Figures& f) -> QString {
        return ms(percentile(f.settle, 0.5)) + u" / "_s + ms(percentile(f.settle, 1));
    });
    row("sampled, plucked: bend read back, median / p95 (cents)", [&](const Figures& f) -> QString {
        return pair(percentile(f.bendPlucked, 0.5), percentile(f.bendPlucked, 0.95), 3);
    });
    row("sampled, all: bend read back, median / p95 (cents)", [&](const Figures& f) -> QString {
        return pair(percentile(f.bendAll, 0.5), percentile(f.bendAll, 0.95), 3);
    });
    row("sampled: right note first shown, median / p95 (ms)", [](const Figures& f) -> QString {
        return ms(percentile(f.firstShown, 0.5)) + u" / "_s + ms(percentile(f.firstShown, 0.95));
    });
    row("sampled: readings more than 50 cents off in the first 2 s",
        [](const Figures& f) -> QString {
            return QString::number(100 * f.off / std::max(1.0, f.counted), 'f', 1) + u" %"_s;
        });
    row("notes with no reading",
        [](const Figures& f) -> QString { return QString::number(f.silentNotes); });
    std::printf("\nOur analysis of %.0f s of audio took %.2f s of one core: %.2f %% of it in real "
                "time (48 kHz).\n",
                g_audioSeconds, g_ourSeconds, 100 * g_ourSeconds / g_audioSeconds);
    return 0;
}
