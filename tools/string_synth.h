#pragma once
// Synthesis of the recordings, 16-bit at 48 kHz, exact at the frequency they are given.

#include <QByteArray>
#include <vector>

namespace StringSynth {

inline constexpr int kRate = 48000;

// A plucked string (Karplus-Strong with a fractional-delay all-pass, so the loop delay is
// exact at the fundamental). It fades in over a few samples and decays to silence, so that
// looping it joins without a click.
std::vector<int16_t> plucked(double frequency, double seconds, unsigned seed);

// A steady bowed-like tone of whole periods, so that it loops seamlessly. The fundamental is
// made exact to within a hundredth of a cent by choosing the length.
std::vector<int16_t> sustained(double frequency, double seconds);

// A short, soft damping sound that ends a tone.
std::vector<int16_t> release();

} // namespace StringSynth
