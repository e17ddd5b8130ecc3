#pragma once
// Sounds of exactly known pitch for the pitch tests and the pitch benchmark: plucked strings as
// real strings sound (each partial with a random phase, level and decay, the stretch of a stiff
// string, a pluck's burst of noise, the onset at a random moment), and what a room does to them
// (noise, mains hum, reverberation, a small microphone, clipping, an offset). Seeded: the same
// seed gives the same sound.

#include <cstddef>
#include <functional>
#include <vector>

namespace Signals {

using Samples = std::vector<double>;

struct String {
    double firstPartial = 110; // Hz: the reading's truth
    double inharmonicity = 0;  // B: partial h at h f1 sqrt((1 + B h^2) / (1 + B))
    unsigned seed = 1;
    double onset = -1; // seconds; below 0: a random moment in the first half second
    double seconds = 6;
    int rate = 48000;
    // How far every partial lies from its own frequency, in cents, t seconds after the onset:
    // a pluck's glide, a moment's stray. None: the partials hold their frequencies.
    std::function<double(double t)> cents;
};

// The frequency of partial h of such a string.
double partialFrequency(const String& string, int h);
// Partials up to 8 kHz (and below the rate's half), a 4 ms burst of noise at the onset; the
// peak is 0.7. The note fades by 40 dB within its length.
Samples pluckedString(const String& string);
// Where the string's onset lies, in seconds, and where it has faded by 40 dB from its loudest
// (its level over 50 ms).
double onsetOf(const String& string);
double fadedBy40dB(const Samples& note, int rate);

// Harmonics 1 to 12, harmonic h at min(1, t / 3 ms) exp(-t / tau_h) / h with tau_h = 1.5 s /
// h^0.7, from an onset after 0.25 s of silence; the peak is 0.7.
Samples fadingTone(double frequency, int rate, double seconds = 4);

// The level (root mean square) of a sound over its first second from the onset, and that level
// lowered by some dB.
double noteLevel(const Samples& note, int rate, double onset);
double below(double level, double dB);
// Conditions, each in place; a level is a root mean square.
void addPinkNoise(Samples& s, double level, unsigned seed);
// Mains hum at 50 or 60 Hz with its harmonics, the third the strongest after the first.
void addHum(Samples& s, int rate, double mains, double level);
// A reverberant room: a decaying tail of echoes with the given reverberation time.
void reverberate(Samples& s, int rate, double seconds, unsigned seed);
// A small microphone: a fourth-order high-pass (Butterworth) at the cutoff.
void highPass(Samples& s, int rate, double cutoff);
// Driven into clipping: amplified by gain, then cut at full scale.
void clip(Samples& s, double gain);
void addOffset(Samples& s, double offset);
// A slow rumble (wind on the microphone, a knocked stand): a sine far below any note.
void addRumble(Samples& s, int rate, double hz, double level);

std::vector<float> toFloat(const Samples& s);

} // namespace Signals
