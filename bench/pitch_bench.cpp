// Hearing a string, against the truth and against aubio's yin and yinfft on the same files:
// - tones: synthetic plucked tones of exactly known pitch, and notes of sampled instruments
//   rendered by fluidsynth, each unbent and bent down by 7 and by 13 cents with the pitch wheel
//   (so the detuning is known exactly, whatever the sample's own tuning);
// - strings: synthetic strings as strings sound (random phases, levels and decays, stiffness,
//   a pluck's noise, random onsets), E1 to A4, read against their first partial;
// - conditions: what a room does (noise, hum, reverberation, a small microphone, other rates,
//   clipping, an offset), applied to the sampled notes and to strings.
// Prints Markdown tables.
//   pitch_bench <work folder> <General MIDI sound font> [ours|aubio|all [tones,strings,conditions]]
//   (ours or aubio: that side alone; the tables named alone; PITCH_BENCH_DETAIL=1: each note)
#include "support/pitch/notes.h"
#include "support/pitch/pitch_detector.h"
#include "support/sound/wav_decoder.h"
#include "support/sound/wav_file.h"
#include "tests/support/pitch/test_signals.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

using namespace Qt::StringLiterals;
using Signals::Samples;

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

std::vector<int16_t> pcm16(const Samples& s) {
    std::vector<int16_t> out(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        out[i] = int16_t(std::lround(std::clamp(s[i], -1.0, 1.0) * 32767));
    return out;
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

// A file of this run's own: two benches may share a work folder, and its renders.
QString scratch(const QString& work, const QString& name) {
    return QStringLiteral("%1/%2-%3.wav").arg(work, name).arg(QCoreApplication::applicationPid());
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
    const std::size_t block = std::size_t(rec->sampleRate / 100); // 10 ms blocks, as captured
    for (std::size_t from = 0; from < mono.size(); from += block)
        detector.feed(mono.data() + from, std::min(block, mono.size() - from), r);
    g_ourSeconds += double(clock.nsecsElapsed()) * 1e-9;
    g_audioSeconds += double(mono.size()) / rec->sampleRate;
    Readings out;
    for (const PitchReading& x : r)
        out.push_back({x.seconds, x.frequency});
    return out;
}

Readings aubio(const QString& wav, const QString& method) {
    QProcess p;
    p.start(u"aubio"_s, {u"pitch"_s, u"-i"_s, wav, u"-B"_s, u"4096"_s, u"-H"_s, u"256"_s, u"-m"_s,
                         method, u"-u"_s, u"Hz"_s});
    p.waitForFinished(120000);
    // aubio stamps a reading with the start of the newest hop it read, ours with the end of the
    // samples read: aubio's move a hop on, so that both say when a reading could first be shown.
    const auto rec = decodeWavFile(wav);
    const double hop = rec && rec->sampleRate > 0 ? 256.0 / rec->sampleRate : 0;
    Readings out;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> v = line.simplified().split(' ');
        if (v.size() == 2)
            out.push_back({v[0].toDouble() + hop, std::max(0.0, v[1].toDouble())});
    }
    return out;
}

// PITCH_BENCH_DETAIL set: each note's figures on stderr, to find the notes behind a table's.
const bool g_detail = qEnvironmentVariableIsSet("PITCH_BENCH_DETAIL");
// PITCH_BENCH_KEEP=<part of a note's name>: those notes alone, their sound under each condition
// kept in the work folder, for `pitch_bench --readings <wav>`.
const QString g_keep = qEnvironmentVariable("PITCH_BENCH_KEEP");

QStringList g_detectors = {u"ours"_s, u"aubio yin"_s, u"aubio yinfft"_s};

Readings detect(const QString& detector, const QString& wav) {
    if (detector == u"ours"_s)
        return ours(wav);
    return aubio(wav, detector == u"aubio yin"_s ? u"yin"_s : u"yinfft"_s);
}

QString ms(double seconds) {
    return std::isfinite(seconds) ? QString::number(std::lround(seconds * 1000)) : u"never"_s;
}

QString pair(double a, double b, int decimals) {
    const auto one = [&](double v) {
        return std::isfinite(v) ? QString::number(v, 'f', decimals) : u"–"_s;
    };
    return one(a) + u" / "_s + one(b);
}

// The median and another quantile (0.95, or 1 for the largest), to three decimals.
QString medianAnd(const std::vector<double>& values, double quantile) {
    return pair(percentile(values, 0.5), percentile(values, quantile), 3);
}

QString percent(double part, double whole) {
    return QString::number(100 * part / std::max(1.0, whole), 'f', 2) + u" %"_s;
}

using Cell = std::function<QString(const QString& detector)>;

void table(const QString& title, const std::vector<std::pair<QString, Cell>>& rows) {
    std::printf("| %s |", title.toUtf8().constData());
    for (const QString& d : g_detectors)
        std::printf(" %s |", d.toUtf8().constData());
    std::printf("\n|---|");
    for (int i = 0; i < g_detectors.size(); ++i)
        std::printf("---|");
    std::printf("\n");
    for (const auto& [label, cell] : rows) {
        std::printf("| %s |", label.toUtf8().constData());
        for (const QString& d : g_detectors)
            std::printf(" %s |", cell(d).toUtf8().constData());
        std::printf("\n");
    }
    std::printf("\n");
}

// The tones: synthetic plucked tones and sampled notes, as before the strings came.
struct ToneFigures {
    std::vector<double> steadyError, settle; // synthetic
    std::vector<double> bendPlucked, bendAll, bendLate, firstShown;
    double off = 0, counted = 0;
    int silentNotes = 0;
};

struct Voice {
    const char* name;
    int program;
    bool plucked;
    std::vector<int> keys;
};
const std::vector<Voice> kVoices = {
    {"nylon guitar", 24, true, {40, 45, 50, 55, 59, 64}},
    {"steel guitar", 25, true, {40, 45, 50, 55, 59, 64}},
    {"electric bass", 33, true, {28, 33, 38, 43}},
    {"acoustic bass", 32, true, {23, 28, 33}},
    {"banjo", 105, true, {50, 55, 59, 62, 67}},
    {"violin", 40, false, {55, 62, 69, 76}},
    {"cello", 42, false, {36, 43, 50, 57}},
};
const int kBends[] = {8192, 8192 - 287, 8192 - 532}; // 0, -7.007 and -12.988 cents

double bendCents(int bend) {
    return (bend - 8192) / 8192.0 * 200;
}

// A sampled note rendered once into the work folder at the rate: its file.
QString rendered(const QString& work, const QString& font, int program, int key, int bend,
                 int rate) {
    const QString base =
        work + QStringLiteral("/%1-%2-%3-%4").arg(program).arg(key).arg(bend).arg(rate);
    if (!QFile::exists(base + u".wav"_s)) {
        writeFile(base + u".mid"_s, midiNote(program, key, bend));
        QProcess synth;
        synth.start(u"fluidsynth"_s,
                    {u"-ni"_s, u"-q"_s, u"-r"_s, QString::number(rate), u"-o"_s,
                     u"synth.reverb.active=0"_s, u"-o"_s, u"synth.chorus.active=0"_s, u"-F"_s,
                     base + u".wav"_s, font, base + u".mid"_s});
        synth.waitForFinished(120000);
    }
    return base + u".wav"_s;
}

Samples mono(const QString& wav, int& rate) {
    const auto rec = decodeWavFile(wav);
    Samples s;
    if (!rec)
        return s;
    rate = rec->sampleRate;
    for (long long i = 0; i < rec->frameCount(); ++i)
        s.push_back(0.5 *
                    (rec->samples[std::size_t(2 * i)] + rec->samples[std::size_t(2 * i + 1)]));
    return s;
}

void tones(const QString& work, const QString& font) {
    std::map<QString, ToneFigures> figures;
    const char* synthetic[] = {"B0", "E1", "A1", "E2", "A2", "D3", "G3", "B3", "E4", "A4", "E5"};
    const int syntheticKeys[] = {23, 28, 33, 40, 45, 50, 55, 59, 64, 69, 76};
    for (int n = 0; n < 11; ++n) {
        const double truth = 440 * std::exp2((syntheticKeys[n] - 69) / 12.0 + 3.7 / 1200);
        const QString wav = scratch(work, u"tone-"_s + QLatin1String(synthetic[n]));
        writeFile(wav, pcm16WavFile(pluckedTone(truth), kRate, 1));
        for (const QString& d : g_detectors) {
            const Readings r = detect(d, wav);
            ToneFigures& f = figures[d];
            f.steadyError.push_back(std::abs(cents(steady(r, 0.5, 2.0), truth)));
            double lastBad = 0;
            for (const Reading& x : r)
                if (x.seconds <= 2.0 &&
                    (x.frequency <= 0 || std::abs(cents(x.frequency, truth)) > 1))
                    lastBad = x.seconds;
            f.settle.push_back(lastBad >= 1.99 ? INFINITY : lastBad);
        }
    }
    int notes = 0;
    for (const Voice& v : kVoices) {
        for (int key : v.keys) {
            ++notes;
            std::map<QString, std::pair<double, double>> unbent; // from 0.3 s and from 0.5 s
            for (int bend : kBends) {
                const QString wav = rendered(work, font, v.program, key, bend, kRate);
                for (const QString& d : g_detectors) {
                    const Readings r = detect(d, wav);
                    ToneFigures& f = figures[d];
                    const double value = steady(r, 0.3, 2.0), late = steady(r, 0.5, 2.0);
                    if (g_detail)
                        std::fprintf(stderr, "%s %s key %d bend %d steady %.5f late %.5f\n",
                                     qPrintable(d), v.name, key, bend, value, late);
                    if (!std::isfinite(value)) {
                        ++f.silentNotes;
                        continue;
                    }
                    if (bend == kBends[0]) {
                        unbent[d] = {value, late};
                    } else if (unbent.count(d)) {
                        const double error =
                            std::abs(cents(value, unbent[d].first) - bendCents(bend));
                        f.bendAll.push_back(error);
                        f.bendLate.push_back(
                            std::abs(cents(late, unbent[d].second) - bendCents(bend)));
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
    table(
        QStringLiteral("%1 tones").arg(11 + notes * 3),
        {
            {u"synthetic: error of the steady reading, max (cents)"_s,
             [&](const QString& d) -> QString {
                 return QString::number(percentile(figures[d].steadyError, 1), 'f', 4);
             }},
            {u"synthetic: settled within 1 cent, median / max (ms)"_s,
             [&](const QString& d) -> QString {
                 return ms(percentile(figures[d].settle, 0.5)) + u" / "_s +
                        ms(percentile(figures[d].settle, 1));
             }},
            {u"sampled, plucked: bend read back, median / p95 (cents)"_s,
             [&](const QString& d) -> QString { return medianAnd(figures[d].bendPlucked, 0.95); }},
            {u"sampled, all: bend read back, median / p95 (cents)"_s,
             [&](const QString& d) -> QString { return medianAnd(figures[d].bendAll, 0.95); }},
            {u"sampled, all: bend read back from 0.5 s, median / p95 (cents)"_s,
             [&](const QString& d) -> QString { return medianAnd(figures[d].bendLate, 0.95); }},
            {u"sampled: right note first shown, median / p95 (ms)"_s,
             [&](const QString& d) -> QString {
                 return ms(percentile(figures[d].firstShown, 0.5)) + u" / "_s +
                        ms(percentile(figures[d].firstShown, 0.95));
             }},
            {u"sampled: readings more than 50 cents off in the first 2 s"_s,
             [&](const QString& d) -> QString {
                 return percent(figures[d].off, figures[d].counted);
             }},
            {u"notes with no reading"_s,
             [&](const QString& d) -> QString { return QString::number(figures[d].silentNotes); }},
        });
}

// The strings: E1 to A4, each exactly harmonic and with a stiffness up to 3e-4.
void strings(const QString& work) {
    struct Figures {
        std::vector<double> worstHarmonic, worstStiff, jump;
        double missing = 0, counted = 0;
    };
    std::map<QString, Figures> figures;
    int count = 0;
    for (int key = 28; key <= 69; ++key) {
        for (const bool stiff : {false, true}) {
            Signals::String string;
            string.seed = unsigned(1000 + 2 * key + stiff);
            string.firstPartial =
                440 * std::exp2((key - 69) / 12.0 + (double(string.seed % 41) - 20) / 1200);
            string.inharmonicity = stiff ? 3e-4 * double(1 + string.seed % 10) / 10 : 0;
            const Samples note = Signals::pluckedString(string);
            const double from = Signals::onsetOf(string) + 0.1;
            const double to = Signals::fadedBy40dB(note, kRate);
            const QString wav = scratch(work, QStringLiteral("string-%1-%2").arg(key).arg(stiff));
            writeFile(wav, pcm16WavFile(pcm16(note), kRate, 1));
            ++count;
            for (const QString& d : g_detectors) {
                const Readings r = detect(d, wav);
                Figures& f = figures[d];
                double worst = 0, jump = 0, last = 0;
                for (const Reading& x : r) {
                    if (x.seconds < from || x.seconds > to)
                        continue;
                    ++f.counted;
                    if (x.frequency <= 0) {
                        ++f.missing;
                        last = 0;
                        continue;
                    }
                    worst = std::max(worst, std::abs(cents(x.frequency, string.firstPartial)));
                    if (last > 0)
                        jump = std::max(jump, std::abs(cents(x.frequency, last)));
                    last = x.frequency;
                }
                (stiff ? f.worstStiff : f.worstHarmonic).push_back(worst);
                if (g_detail)
                    std::fprintf(stderr, "%s key %d stiff %d f1 %.3f worst %.4f jump %.4f\n",
                                 qPrintable(d), key, int(stiff), string.firstPartial, worst, jump);
                f.jump.push_back(jump);
            }
        }
    }
    table(QStringLiteral("%1 strings, from 100 ms after the onset to 40 dB down").arg(count),
          {
              {u"exactly harmonic: worst error, median / max (cents)"_s,
               [&](const QString& d) -> QString { return medianAnd(figures[d].worstHarmonic, 1); }},
              {u"stiff (B up to 3e-4): worst error, median / p95 (cents)"_s,
               [&](const QString& d) -> QString { return medianAnd(figures[d].worstStiff, 0.95); }},
              {u"largest jump between two readings, median / max (cents)"_s,
               [&](const QString& d) -> QString { return medianAnd(figures[d].jump, 1); }},
              {u"no reading"_s,
               [&](const QString& d) -> QString {
                   return percent(figures[d].missing, figures[d].counted);
               }},
          });
}

// A room's conditions: each applied alone to the sampled notes and to strings.
struct Condition {
    QString name;
    int rate = kRate;
    std::function<void(Samples&, int rate, double onset, unsigned seed)> apply;
};

void conditions(const QString& work, const QString& font) {
    std::vector<Condition> all = {
        {u"clean"_s, kRate, [](Samples&, int, double, unsigned) {}},
        {u"pink noise 20 dB below the note"_s, kRate,
         [](Samples& s, int rate, double onset, unsigned seed) {
             Signals::addPinkNoise(s, Signals::below(Signals::noteLevel(s, rate, onset), 20), seed);
         }},
        {u"pink noise 10 dB below the note"_s, kRate,
         [](Samples& s, int rate, double onset, unsigned seed) {
             Signals::addPinkNoise(s, Signals::below(Signals::noteLevel(s, rate, onset), 10), seed);
         }},
        {u"50 Hz hum, 20 dB below the note"_s, kRate,
         [](Samples& s, int rate, double onset, unsigned) {
             Signals::addHum(s, rate, 50, Signals::below(Signals::noteLevel(s, rate, onset), 20));
         }},
        {u"60 Hz hum, 20 dB below the note"_s, kRate,
         [](Samples& s, int rate, double onset, unsigned) {
             Signals::addHum(s, rate, 60, Signals::below(Signals::noteLevel(s, rate, onset), 20));
         }},
        {u"a reverberant room (0.8 s)"_s, kRate,
         [](Samples& s, int rate, double, unsigned seed) {
             Signals::reverberate(s, rate, 0.8, seed);
         }},
        {u"a small microphone (200 Hz high-pass)"_s, kRate,
         [](Samples& s, int rate, double, unsigned) { Signals::highPass(s, rate, 200); }},
        {u"a headset's 16 kHz"_s, 16000, [](Samples&, int, double, unsigned) {}},
        {u"44.1 kHz"_s, 44100, [](Samples&, int, double, unsigned) {}},
        {u"driven into clipping (12 dB)"_s, kRate,
         [](Samples& s, int, double, unsigned) { Signals::clip(s, 4 / 0.7); }},
        {u"an offset of 0.2"_s, kRate,
         [](Samples& s, int, double, unsigned) { Signals::addOffset(s, 0.2); }},
        {u"a rumble of 1 Hz, 6 dB below the note"_s, kRate,
         [](Samples& s, int rate, double onset, unsigned) {
             Signals::addRumble(s, rate, 1, Signals::below(Signals::noteLevel(s, rate, onset), 6));
         }},
    };
    // PITCH_BENCH_CONDITIONS="1,2": those conditions alone beside the clean one, to try a change.
    if (qEnvironmentVariableIsSet("PITCH_BENCH_CONDITIONS")) {
        std::vector<Condition> chosen = {all.front()};
        for (const QString& index : qEnvironmentVariable("PITCH_BENCH_CONDITIONS").split(u','))
            if (const int i = index.toInt(); i > 0 && std::size_t(i) < all.size())
                chosen.push_back(all[std::size_t(i)]);
        all = chosen;
    }
    struct Figures {
        double wrong = 0, missing = 0, counted = 0;
        std::vector<double> shift, bend;
    };
    std::map<std::pair<int, QString>, Figures> figures;        // condition, detector
    std::map<std::pair<QString, QString>, double> cleanSteady; // note, detector
    // Each note: a name, its sound at a rate, where it begins, its nominal frequency, its bend.
    struct Note {
        QString name;
        double onset, nominal, bend;
        QString unbent;
        std::function<Samples(int rate)> sound;
    };
    std::vector<Note> notes;
    for (const Voice& v : kVoices)
        for (int key : v.keys)
            for (int bend : kBends)
                notes.push_back(
                    {QStringLiteral("%1-%2-%3").arg(v.program).arg(key).arg(bend), 0.0,
                     440 * std::exp2((key - 69) / 12.0 + bendCents(bend) / 1200), bendCents(bend),
                     QStringLiteral("%1-%2-%3").arg(v.program).arg(key).arg(kBends[0]),
                     [=](int rate) {
                         int r = rate;
                         return mono(rendered(work, font, v.program, key, bend, rate), r);
                     }});
    for (int key = 28; key <= 69; key += 3)
        for (int bend : kBends) {
            Signals::String string;
            string.seed = unsigned(5000 + key);
            string.seconds = kSeconds;
            string.firstPartial = 440 * std::exp2((key - 69) / 12.0 + bendCents(bend) / 1200);
            string.inharmonicity = 3e-4 * double(key % 4) / 3;
            notes.push_back({QStringLiteral("string-%1-%2").arg(key).arg(bend),
                             Signals::onsetOf(string), string.firstPartial, bendCents(bend),
                             QStringLiteral("string-%1-%2").arg(key).arg(kBends[0]), [=](int rate) {
                                 Signals::String s = string;
                                 s.rate = rate;
                                 return Signals::pluckedString(s);
                             }});
        }
    std::map<std::pair<int, QString>, std::map<QString, double>> steadyOf; // cond, det: note
    for (std::size_t c = 0; c < all.size(); ++c) {
        for (const Note& n : notes) {
            if (g_keep.size() && !n.name.contains(g_keep))
                continue;
            Samples s = n.sound(all[c].rate);
            all[c].apply(s, all[c].rate, n.onset, unsigned(qHash(n.name)));
            const QString wav = scratch(work, u"condition"_s);
            writeFile(wav, pcm16WavFile(pcm16(s), all[c].rate, 1));
            if (g_keep.size()) {
                const QString kept = work + QStringLiteral("/kept-%1-%2.wav").arg(c).arg(n.name);
                QFile::remove(kept);
                QFile::copy(wav, kept);
            }
            for (const QString& d : g_detectors) {
                const Readings r = detect(d, wav);
                Figures& f = figures[{int(c), d}];
                int wrongHere = 0, missingHere = 0;
                for (const Reading& x : r) {
                    if (x.seconds < n.onset + 0.1 || x.seconds > n.onset + 2)
                        continue;
                    ++f.counted;
                    if (x.frequency <= 0) {
                        ++f.missing;
                        ++missingHere;
                    } else if (std::abs(cents(x.frequency, n.nominal)) > 50) {
                        ++f.wrong;
                        ++wrongHere;
                    }
                }
                if (g_detail && wrongHere + missingHere > 0)
                    std::fprintf(stderr, "%s | %s | %s | wrong %d missing %d\n", qPrintable(d),
                                 qPrintable(all[c].name), qPrintable(n.name), wrongHere,
                                 missingHere);
                steadyOf[{int(c), d}][n.name] = steady(r, n.onset + 0.3, n.onset + 2);
                if (g_detail)
                    std::fprintf(stderr, "%s | %s | %s | nominal %.3f steady %.7f\n", qPrintable(d),
                                 qPrintable(all[c].name), qPrintable(n.name), n.nominal,
                                 steadyOf[{int(c), d}][n.name]);
            }
        }
        for (const QString& d : g_detectors) {
            Figures& f = figures[{int(c), d}];
            const auto& mine = steadyOf[{int(c), d}];
            for (const Note& n : notes) {
                if (!mine.count(n.name) || !mine.count(n.unbent))
                    continue;
                const double value = mine.at(n.name), clean = steadyOf[{0, d}][n.name];
                if (std::isfinite(value) && std::isfinite(clean))
                    f.shift.push_back(std::abs(cents(value, clean)));
                if (n.bend != 0 && std::isfinite(value) && std::isfinite(mine.at(n.unbent)))
                    f.bend.push_back(std::abs(cents(value, mine.at(n.unbent)) - n.bend));
            }
        }
    }
    // Hum alone: readings there should be none.
    std::map<QString, double> humReadings;
    for (const double mains : {50.0, 60.0}) {
        Samples hum(std::size_t(kSeconds * kRate), 0.0);
        Signals::addHum(hum, kRate, mains, 0.05);
        const QString wav = scratch(work, u"hum"_s);
        writeFile(wav, pcm16WavFile(pcm16(hum), kRate, 1));
        for (const QString& d : g_detectors)
            for (const Reading& x : detect(d, wav))
                humReadings[d] += x.frequency > 0;
    }
    std::vector<std::pair<QString, Cell>> rows;
    for (std::size_t c = 0; c < all.size(); ++c)
        rows.push_back({all[c].name, [&, c](const QString& d) -> QString {
                            const Figures& f = figures[{int(c), d}];
                            return percent(f.wrong, f.counted) + u" / "_s +
                                   percent(f.missing, f.counted) + u" / "_s +
                                   medianAnd(f.shift, 0.95) + u" / "_s + medianAnd(f.bend, 0.95);
                        }});
    rows.push_back({u"hum alone, 50 and 60 Hz: readings"_s,
                    [&](const QString& d) -> QString { return QString::number(humReadings[d]); }});
    table(QStringLiteral("%1 notes under each condition: wrong / no reading / steady shift "
                         "median / p95 / bend read back median / p95")
              .arg(notes.size()),
          rows);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: pitch_bench <work folder> <sound font> [ours|aubio|all [tables]]\n"
                     "       pitch_bench --readings <wav>\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--readings") == 0) { // one file's readings, a line each
        for (const Reading& x : ours(QString::fromLocal8Bit(argv[2])))
            std::printf("%.3f %.5f\n", x.seconds, x.frequency);
        return 0;
    }
    const QString work = QString::fromLocal8Bit(argv[1]), font = QString::fromLocal8Bit(argv[2]);
    // One side alone: ours while it changes, aubio's once (the same files, the same figures).
    if (argc > 3 && std::strcmp(argv[3], "ours") == 0)
        g_detectors = {g_detectors[0]};
    else if (argc > 3 && std::strcmp(argv[3], "aubio") == 0)
        g_detectors = {g_detectors[1], g_detectors[2]};
    const QString only = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    QDir().mkpath(work);
    if (only.isEmpty() || only.contains(u"tones"_s))
        tones(work, font);
    if (only.isEmpty() || only.contains(u"strings"_s))
        strings(work);
    if (only.isEmpty() || only.contains(u"conditions"_s))
        conditions(work, font);
    if (g_audioSeconds > 0)
        std::printf(
            "Our analysis of %.0f s of audio took %.2f s of one core: %.2f %% of it in real "
            "time.\n",
            g_audioSeconds, g_ourSeconds, 100 * g_ourSeconds / g_audioSeconds);
    return 0;
}
