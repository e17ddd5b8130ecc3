// The pitch detector on exact signals: each steady reading within a small fraction of a cent,
// never an octave or a harmonic off, and no pitch at all in noise or silence. The strings'
// targets are the pitches measured in their own recordings.
#include "support/pitch/notes.h"
#include "support/pitch/pitch_detector.h"
#include "support/pitch/string_targets.h"
#include "tests/support/pitch/test_signals.h"
#include "tests/support/support_fixture.h"
#include "tools/instrument_folder.h"
#include "tools/instrument_presets.h"
#include "tools/string_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>
#include <random>

using namespace Qt::StringLiterals;

namespace {

using Signal = std::vector<float>;

// Harmonics 1 to 12 at 1/h, partial h with the weight given (all 1 by default), each fading
// faster the higher it is, after a 3 ms attack.
Signal tone(double f, int rate, double seconds, std::vector<double> weights = {},
            double phase = 0) {
    weights.resize(12, 1.0);
    Signal s(std::size_t(seconds * rate));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / rate;
        double v = 0;
        for (int h = 1; h <= 12 && h * f < rate / 2.0; ++h)
            v += weights[std::size_t(h - 1)] / h * std::exp(-t * (0.5 + 0.4 * h)) *
                 std::sin(2 * M_PI * h * f * t + h * phase);
        s[i] = float(0.3 * std::min(1.0, t / 0.003) * v);
    }
    return s;
}

Signal sine(double f, int rate) {
    return tone(f, rate, 1.5, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}

// D2 whose attack flutters at twice its period, as a bass's can: a D1 partial as strong as the
// fundamental, fading within 50 ms to a trace, and noise at -20 dB.
Signal flutteringD2() {
    Signal s = tone(73.42, 48000, 1.5);
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0, 0.1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = i / 48000.0;
        const double d1 = (std::exp(-t / 0.05) + 0.15) * std::sin(M_PI * 73.42 * t);
        s[i] += float(0.3 * std::exp(-0.9 * t) * (d1 + noise(random)));
    }
    return s;
}

// E2 whose fundamental fades within a second below its doubled second harmonic, in steady noise
// at -54 dBFS: at the end of the note its half period matches itself nearly as well as its period.
Signal fadingE2InNoise() {
    Signal s = tone(82.41, 48000, 2.5, {0, 2});
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.002);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = i / 48000.0;
        s[i] += float(0.3 * std::exp(-3 * t) * std::sin(2 * M_PI * 82.41 * t) + noise(random));
    }
    return s;
}

Signal fromPcm(const std::vector<int16_t>& pcm) {
    Signal s(pcm.size());
    std::transform(pcm.begin(), pcm.end(), s.begin(), [](int16_t x) { return x / 32768.0f; });
    return s;
}

std::vector<PitchReading> readings(const Signal& s, int rate) {
    PitchDetector detector(rate);
    std::vector<PitchReading> r;
    detector.feed(s.data(), s.size(), r);
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Signal)
Q_DECLARE_METATYPE(Signals::Samples)

class TestPitch : public QObject {
    Q_OBJECT
  private slots:
    void readsTheSteadyPitch_data() {
        QTest::addColumn<Signal>("signal");
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("frequency"); // 0: no pitch may be read at all
        QTest::addColumn<double>("cents"); // how far a reading from 0.5 s on may lie while heard
        const double sharp = std::exp2(3.7 / 1200);
        QTest::newRow("sine A4") << sine(440, 48000) << 48000 << 440.0 << 0.01;
        QTest::newRow("rich E2, 3.7 cents sharp")
            << tone(82.41 * sharp, 48000, 1.5) << 48000 << 82.41 * sharp << 0.02;
        QTest::newRow("B0 of a five-string bass")
            << tone(30.87, 48000, 1.5) << 48000 << 30.87 << 0.02;
        QTest::newRow("weak fundamental: A1 under a second harmonic ten times as strong")
            << tone(55, 48000, 1.5, {0.2, 4, 1}) << 48000 << 55.0 << 0.02;
        QTest::newRow("D2 after an attack fluttering at D1")
            << flutteringD2() << 48000 << 73.42 << 1.0;
        QTest::newRow("E2 fading to its second harmonic in noise")
            << fadingE2InNoise() << 48000 << 82.41 << 1.0;
        QTest::newRow("a plucked G3 from the maker's synthesis")
            << fromPcm(StringSynth::plucked(196, 1.5, 7)) << 48000 << 196.0 << 0.05;
        QTest::newRow("C8 at 192 kHz") << sine(4186.01, 192000) << 192000 << 4186.01 << 0.02;
        QTest::newRow("E4 at 8 kHz") << tone(329.63, 8000, 1.5) << 8000 << 329.63 << 0.05;
        std::mt19937 random(3);
        std::normal_distribution<float> noise(0, 0.2f);
        Signal hiss(48000);
        for (float& x : hiss)
            x = noise(random);
        QTest::newRow("noise") << hiss << 48000 << 0.0 << 0.0;
        QTest::newRow("silence") << Signal(48000, 0.0f) << 48000 << 0.0 << 0.0;
    }
    void readsTheSteadyPitch() {
        QFETCH(Signal, signal);
        QFETCH(int, rate);
        QFETCH(double, frequency);
        QFETCH(double, cents);
        const std::vector<PitchReading> heard = readings(signal, rate);
        QCOMPARE(qsizetype(heard.size()), qsizetype(signal.size() / std::size_t(rate / 200)));
        for (const PitchReading& r : heard) {
            // Heard: louder than -50 dBFS over the last 20 ms, about its mean.
            const auto end = signal.begin() + std::ptrdiff_t(r.seconds * rate);
            const std::vector<double> last(
                end - std::min<std::ptrdiff_t>(rate / 50, end - signal.begin()), end);
            const double mean =
                std::accumulate(last.begin(), last.end(), 0.0) / double(last.size());
            double power = 0;
            for (double x : last)
                power += (x - mean) * (x - mean) / double(last.size());
            if (frequency == 0)
                QCOMPARE(r.frequency, 0.0);
            else if (r.seconds >= 0.5 && power > 1e-5)
                QVERIFY2(
                    r.frequency > 0 && std::abs(Notes::centsFrom(r.frequency, frequency)) <= cents,
                    qPrintable(QStringLiteral("%1 Hz at %2 s").arg(r.frequency).arg(r.seconds)));
        }
    }

    // Strings as they sound in a room, each of exactly known first partial: the reading is that
    // partial from 100 ms after the onset until the note has faded by 40 dB, wherever it is
    // read; and mains hum alone is never a note.
    void readsAStringsFirstPartialInARoom_data() {
        QTest::addColumn<Signals::Samples>("sound");
        QTest::addColumn<double>("truth"); // Hz; 0: nothing may be read
        QTest::addColumn<double>("from");  // the first reading judged: 0.1 s after the onset, or
                                           // once a pitch that moves by design has settled
        QTest::addColumn<double>("cents"); // the furthest a reading may lie; their median 0.3
        QTest::addColumn<double>("heard"); // the least share of readings with a pitch
        const auto string = [](double f, double b, unsigned seed) {
            Signals::String s;
            s.firstPartial = f;
            s.inharmonicity = b;
            s.seed = seed;
            s.seconds = 3;
            return s;
        };
        const auto row = [&](const char* name, const Signals::String& s, double cents, double heard,
                             const std::function<void(Signals::Samples&)>& room,
                             double settled = 0.1) {
            Signals::Samples sound = Signals::pluckedString(s);
            room(sound);
            QTest::newRow(name) << sound << s.firstPartial << Signals::onsetOf(s) + settled << cents
                                << heard;
        };
        const auto asIs = [](Signals::Samples&) {};
        // A hard pluck: every partial 12 cents sharp at first, settling within a few tenths of a
        // second. Its loud first moments no longer weigh once it has settled.
        Signals::String plucked = string(82.41, 1e-4, 17);
        plucked.cents = [](double t) { return 12 * std::exp(-t / 0.1); };
        row("E2 gliding down 12 cents after a hard pluck", plucked, 0.3, 1, asIs, 0.8);
        // A bowed note wavers by 60 cents for a moment without a new attack: still the same note.
        Signals::String bowed = string(659.26, 0, 18);
        bowed.cents = [](double t) {
            return std::abs(t - 0.35) < 0.04 ? 60 * std::sin(M_PI * (t - 0.35) / 0.04) : 0.0;
        };
        row("E5 wavering by 60 cents for a moment", bowed, 0.5, 1, asIs, 0.45);
        row("stiff string, B 3e-4, random phases", string(146.83, 3e-4, 11), 0.5, 1, asIs);
        row("B0 50 cents flat", string(30.87 * std::exp2(-50 / 1200.0), 1e-4, 12), 0.5, 1, asIs);
        row("E2 through a 200 Hz high-pass", string(82.41, 1e-4, 13), 0.5, 1,
            [](Signals::Samples& x) { Signals::highPass(x, 48000, 200); });
        const Signals::String a2 = string(110, 2e-4, 14);
        const double level =
            Signals::noteLevel(Signals::pluckedString(a2), 48000, Signals::onsetOf(a2));
        row("A2 over 50 Hz hum 20 dB below", a2, 0.5, 0.95,
            [&](Signals::Samples& x) { Signals::addHum(x, 48000, 50, Signals::below(level, 20)); });
        // Hum that begins with the note is not yet learnt in its first second: the note and the
        // mains together repeat at three times the period of this D3, whose partials there are
        // the mains'. The note stays. Judged while it is louder than the hum.
        Signals::String d3 = string(146.83, 0, 9);
        d3.seconds = 1.5;
        const double d3Level =
            Signals::noteLevel(Signals::pluckedString(d3), 48000, Signals::onsetOf(d3));
        row("D3 over 50 Hz hum 14 dB below, begun with it", d3, 2, 0.9, [&](Signals::Samples& x) {
            Signals::addHum(x, 48000, 50, Signals::below(d3Level, 14));
        });
        // A slow rumble (wind, a knocked stand) is too slow for a note and too quick to be taken
        // away as an offset: over one window it stands off zero and leans, and as the note fades
        // it is the louder.
        row("A2 over a rumble of half a hertz", a2, 0.2, 1, [](Signals::Samples& x) {
            for (double& v : x)
                v *= 0.5;
            Signals::addRumble(x, 48000, 0.5, 0.2);
        });
        row("A2 in pink noise 10 dB below", a2, 10, 0.9,
            [&](Signals::Samples& x) { Signals::addPinkNoise(x, Signals::below(level, 10), 15); });
        // A second in, loud noise makes this D3's partials repeat for a moment at twice its
        // period, as a lower note's would, and may lay the phases of one partial of that note on a
        // line; but that note sounds no partials of its own, loud or steady.
        const Signals::String d3Noise = string(147, 1e-4, 30);
        row("D3 in pink noise 5 dB below", d3Noise, 5, 0.95, [&](Signals::Samples& x) {
            Signals::addPinkNoise(
                x, Signals::below(Signals::noteLevel(x, 48000, Signals::onsetOf(d3Noise)), 5), 30);
        });
        // An A2 whose odd partials are a fifth as loud as its even ones is read an octave high in
        // its attack; those partials are weak, but hold their own frequencies, so it is mended.
        Signals::String octave = string(220, 0, 10), a2Odd = string(110, 0, 110);
        octave.onset = a2Odd.onset = 0.3;
        row(
            "A2 whose odd partials are 14 dB down", a2Odd, 0.2, 1,
            [&](Signals::Samples& x) {
                const Signals::Samples even = Signals::pluckedString(octave);
                for (std::size_t i = 0; i < x.size(); ++i)
                    x[i] = 0.2 * x[i] + even[i];
            },
            0.3);
        // Low in noise, the period strays by cents from one reading to the next: the partials give
        // the reading as soon as they give it better.
        const Signals::String a1 = string(55, 1e-4, 21);
        const double a1Level =
            Signals::noteLevel(Signals::pluckedString(a1), 48000, Signals::onsetOf(a1));
        row("A1 in pink noise 20 dB below", a1, 1.5, 1, [&](Signals::Samples& x) {
            Signals::addPinkNoise(x, Signals::below(a1Level, 20), 16);
        });
        // An input standing off zero never falls silent: the note's history still starts at its
        // pluck, not in the offset before it.
        row("D2 played softly, the input standing off zero by 0.2", string(73.42, 1e-4, 22), 0.2, 1,
            [](Signals::Samples& x) {
                for (double& v : x)
                    v *= 0.15;
                Signals::addOffset(x, 0.2);
            });
        const double sharp = std::exp2(3.7 / 1200);
        QTest::newRow("A2 whose high harmonics fade first, 3.7 cents sharp")
            << Signals::fadingTone(110 * sharp, 48000) << 110 * sharp << 0.35 << 0.5 << 1.0;
        for (const double mains : {50.0, 60.0}) {
            Signals::Samples hum(3 * 48000, 0.0);
            Signals::addHum(hum, 48000, mains, 0.05);
            QTest::newRow(mains == 50 ? "50 Hz hum alone" : "60 Hz hum alone")
                << hum << 0.0 << 0.0 << 0.0 << 0.0;
        }
    }
    void readsAStringsFirstPartialInARoom() {
        QFETCH(Signals::Samples, sound);
        QFETCH(double, truth);
        QFETCH(double, from);
        QFETCH(double, cents);
        QFETCH(double, heard);
        const double faded = truth > 0 ? Signals::fadedBy40dB(sound, 48000) : 1e9;
        int counted = 0, pitched = 0;
        std::vector<double> errors;
        for (const PitchReading& r : readings(Signals::toFloat(sound), 48000)) {
            if (truth == 0)
                QCOMPARE(r.frequency, 0.0);
            if (truth == 0 || r.seconds < from || r.seconds > faded)
                continue;
            ++counted;
            pitched += r.frequency > 0;
            if (r.frequency > 0)
                errors.push_back(std::abs(Notes::centsFrom(r.frequency, truth)));
            QVERIFY2(r.frequency == 0 || std::abs(Notes::centsFrom(r.frequency, truth)) <= cents,
                     qPrintable(QStringLiteral("%1 Hz at %2 s").arg(r.frequency).arg(r.seconds)));
        }
        QVERIFY2(pitched >= heard * counted,
                 qPrintable(QStringLiteral("%1 of %2 readings").arg(pitched).arg(counted)));
        std::nth_element(errors.begin(), errors.begin() + std::ptrdiff_t(errors.size() / 2),
                         errors.end());
        QVERIFY(errors.empty() || errors[errors.size() / 2] <= std::min(cents, 0.3));
    }

    // An attack is left unread: a sound is named 20 ms after it rises out of silence, not before.
    void aSoundIsNamedOnceItHasLastedTwentyMilliseconds() {
        Signal signal(9600, 0.0f);
        const Signal a4 = sine(440, 48000);
        signal.insert(signal.end(), a4.begin(), a4.begin() + 4800);
        const std::vector<PitchReading> heard = readings(signal, 48000);
        const auto named = std::find_if(heard.begin(), heard.end(),
                                        [](const PitchReading& r) { return r.frequency > 0; });
        QVERIFY(named != heard.end());
        QCOMPARE(named->seconds, 0.22);
    }

    // A0, the lowest note: once named, named at every hop while it sounds, even where its first
    // periods are too few for its own history to confirm it.
    void aLowNoteOnceNamedStaysNamed() {
        Signal signal(9600, 0.0f);
        // Begun a radian into its period, the window misses it for a hop in its first periods.
        const Signal a0 = tone(27.5, 48000, 1.5, {}, 1);
        signal.insert(signal.end(), a0.begin(), a0.end());
        const std::vector<PitchReading> heard = readings(signal, 48000);
        const auto named = std::find_if(heard.begin(), heard.end(),
                                        [](const PitchReading& r) { return r.frequency > 0; });
        QVERIFY(named != heard.end());
        const auto lost = std::find_if(named, heard.begin() + 200,
                                       [](const PitchReading& r) { return r.frequency <= 0; });
        QVERIFY2(lost == heard.begin() + 200, qPrintable(QString::number(lost->seconds)));
    }

    void notesAreNamedAtTheReference() {
        const Notes::Note a = Notes::nearestNote(440 * std::exp2(4.5 / 1200));
        QCOMPARE(a.name, u"A4"_s);
        QVERIFY(std::abs(a.cents - 4.5) < 1e-9);
        QCOMPARE(Notes::nearestNote(30.87).name, u"B0"_s);
        QCOMPARE(Notes::nearestNote(277.18).name, u"C#4"_s);
        QCOMPARE(Notes::nearestNote(4186.01).name, u"C8"_s);
        QCOMPARE(Notes::nearestNote(442, 442).name, u"A4"_s);
        QCOMPARE(Notes::nearestNote(415, 440).name, u"G#4"_s);
    }

    void theTargetsAreTheRecordingsOwnPitches() {
        QTemporaryDir tunes;
        Maker::Instrument guitar = Maker::findPreset(u"guitar"_s)->instrument;
        guitar.a4 = 442;
        QCOMPARE(Maker::writeInstrument(guitar, tunes.path(), Maker::Existing::Keep).status,
                 Maker::Written::Made);
        const auto recording = [&](int k) {
            return QStringLiteral("%1/Guitar/%2-%3.wav")
                .arg(tunes.path())
                .arg(k + 1)
                .arg(guitar.notes[k]);
        };
        std::vector<double> targets;
        for (int k = 0; k < guitar.notes.size(); ++k) {
            const std::optional<double> pitch = recordingPitch(recording(k));
            QVERIFY2(pitch, qPrintable(recording(k)));
            const Notes::Note note = Notes::nearestNote(*pitch, 442);
            QCOMPARE(note.name, guitar.notes[k]);
            QVERIFY2(std::abs(note.cents) < 0.1, qPrintable(QString::number(note.cents)));
            targets.push_back(*pitch);
        }
        QVERIFY(!recordingPitch(tunes.path() + u"/Guitar/tuner.ini"_s));
        // A recording replaced in place is measured anew.
        QCOMPARE(std::rename(qPrintable(recording(1)), qPrintable(recording(0))), 0);
        QCOMPARE(recordingPitch(recording(0)).value_or(0), targets[1]);
        // D3 heard 4.5 cents flat: the third string, named at the reference.
        const StringMatch match = nearestString(targets, targets[2] * std::exp2(-4.5 / 1200), 442);
        QCOMPARE(match.string, 2);
        QCOMPARE(match.note, u"D3"_s);
        QVERIFY(std::abs(match.cents + 4.5) < 1e-9);
        QCOMPARE(nearestString({}, 440).string, -1);
    }
};

QTEST_MAIN(TestPitch)
#include "test_pitch.moc"
