#include "string_synth.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>

namespace StringSynth {
namespace {

// A small deterministic generator, so the output is the same on every run and machine.
struct Noise {
    uint64_t state;
    double next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return double(state >> 11) / double(1ULL << 53) * 2.0 - 1.0;
    }
};

// Phase delay in samples of the all-pass (c + z^-1) / (1 + c z^-1) at angular frequency w.
double allpassDelay(double c, double w) {
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> h = (c + z1) / (1.0 + c * z1);
    return -std::arg(h) / w;
}

std::vector<int16_t> toPcm(std::vector<double> s, double peak) {
    double mean = 0;
    for (double x : s)
        mean += x;
    mean /= double(std::max<size_t>(s.size(), 1));
    double top = 1e-12;
    for (double& x : s) {
        x -= mean; // no offset
        top = std::max(top, std::abs(x));
    }
    std::vector<int16_t> out(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        out[i] = int16_t(std::lround(s[i] / top * peak * 32767.0));
    return out;
}

} // namespace

std::vector<int16_t> plucked(double frequency, double seconds, unsigned seed) {
    const double period = kRate / frequency;
    // Loop delay: whole samples, half a sample from the averaging filter, and the all-pass.
    int whole = int(std::floor(period - 0.5 - 0.1));
    double wanted = period - 0.5 - whole; // 0.1 .. 1.1 samples
    const double w = 2 * M_PI * frequency / kRate;
    double lo = -0.999, hi = 0.999;
    for (int i = 0; i < 200; ++i) { // the delay falls as c rises
        const double mid = (lo + hi) / 2;
        (allpassDelay(mid, w) > wanted ? lo : hi) = mid;
    }
    const double c = (lo + hi) / 2;

    const size_t n = size_t(seconds * kRate);
    // Decay: about 60 dB over the recording for low strings, faster for high ones.
    const double loss = std::pow(10.0, -3.0 / (seconds * frequency));
    std::vector<double> line(static_cast<size_t>(whole));
    Noise noise{0x9E3779B97F4A7C15ULL ^ seed};
    double smooth = 0;
    for (double& x : line) {
        smooth = 0.6 * smooth + 0.4 * noise.next(); // a softer pluck than white noise
        x = smooth;
    }
    std::vector<double> out(n);
    size_t pos = 0;
    double previous = 0, apIn = 0, apOut = 0;
    for (size_t i = 0; i < n; ++i) {
        const double current = line[pos];
        const double averaged = loss * 0.5 * (current + previous);
        previous = current;
        const double delayed = c * averaged + apIn - c * apOut;
        apIn = averaged;
        apOut = delayed;
        line[pos] = delayed;
        pos = (pos + 1) % line.size();
        out[i] = current;
    }
    // Fade in over 1 ms and out over the last 200 ms: the join of a loop is silence to silence.
    const size_t in = kRate / 1000, tail = kRate / 5;
    for (size_t i = 0; i < in && i < n; ++i)
        out[i] *= double(i) / double(in);
    for (size_t i = 0; i < tail && i < n; ++i)
        out[n - 1 - i] *= double(i) / double(tail);
    return toPcm(out, 0.7);
}

std::vector<int16_t> sustained(double frequency, double seconds) {
    const double cycles = std::round(frequency * seconds);
    const size_t n = size_t(std::lround(cycles * kRate / frequency));
    const double exact = cycles * kRate / double(n); // within 0.01 cent of frequency
    std::vector<double> out(n);
    for (size_t i = 0; i < n; ++i) {
        double x = 0;
        // A bowed string's spectrum, roughly: harmonics falling as 1/h, odd ones a little
        // stronger; every harmonic makes whole periods in the recording.
        for (int h = 1; h <= 10 && h * exact < kRate / 2.0; ++h)
            x += (h % 2 ? 1.0 : 0.6) / h * std::sin(2 * M_PI * h * exact * double(i) / kRate);
        out[i] = x;
    }
    return toPcm(out, 0.6);
}

std::vector<int16_t> release() {
    const size_t n = kRate / 4;
    std::vector<double> out(n);
    Noise noise{12345};
    double low = 0;
    for (size_t i = 0; i < n; ++i) {
        low = 0.97 * low + 0.03 * noise.next(); // a soft, dark brush
        const double t = double(i) / double(n);
        const double envelope =
            std::sin(M_PI / 2 * std::min(1.0, t * 16)) * std::exp(-6 * t) * (1 - t);
        out[i] = low * envelope;
    }
    out.front() = out.back() = 0;
    return toPcm(out, 0.15);
}

} // namespace StringSynth
