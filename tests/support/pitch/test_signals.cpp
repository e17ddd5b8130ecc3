#include "test_signals.h"

#include <algorithm>
#include <cmath>
#include <kiss_fftr.h>
#include <random>

namespace Signals {

namespace {

double uniform(std::mt19937& random, double from, double to) {
    return std::uniform_real_distribution<double>(from, to)(random);
}

void scalePeak(Samples& s, double peak) {
    double top = 0;
    for (double x : s)
        top = std::max(top, std::abs(x));
    if (top > 0)
        for (double& x : s)
            x *= peak / top;
}

double rms(const Samples& s) {
    double sum = 0;
    for (double x : s)
        sum += x * x;
    return s.empty() ? 0 : std::sqrt(sum / double(s.size()));
}

// Adds the extra sound scaled to the level.
void addAt(Samples& s, const Samples& extra, double level) {
    const double scale = level / std::max(rms(extra), 1e-30);
    for (std::size_t i = 0; i < s.size() && i < extra.size(); ++i)
        s[i] += scale * extra[i];
}

// One biquad section of the high-pass, in place.
void highPassSection(Samples& s, int rate, double cutoff, double q) {
    const double w = 2 * M_PI * cutoff / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
    const double a0 = 1 + alpha;
    const double b0 = (1 + c) / 2 / a0, b1 = -(1 + c) / a0, b2 = b0, a1 = -2 * c / a0,
                 a2 = (1 - alpha) / a0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double& x : s) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        x = y;
    }
}

} // namespace

double partialFrequency(const String& string, int h) {
    const double b = string.inharmonicity;
    return h * string.firstPartial * std::sqrt((1 + b * h * h) / (1 + b));
}

double onsetOf(const String& string) {
    std::mt19937 random(string.seed);
    const double drawn = uniform(random, 0.1, 0.5);
    return string.onset >= 0 ? string.onset : drawn;
}

Samples pluckedString(const String& string) {
    std::mt19937 random(string.seed);
    const double drawn = uniform(random, 0.1, 0.5);
    const double onset = string.onset >= 0 ? string.onset : drawn;
    const int rate = string.rate;
    Samples s(std::size_t(string.seconds * rate), 0.0);
    const double decay = uniform(random, 0.6, 1.3);      // of the first partial, seconds
    const double pluckedAt = uniform(random, 0.08, 0.3); // of the string's length
    const double slope = uniform(random, 0.7, 1.3);
    const std::size_t start = std::size_t(onset * rate);
    // Each sample's place on the partials' own time: their phases turn faster where they lie sharp.
    Samples place(s.size() - std::min(start, s.size()));
    for (std::size_t n = 0; n < place.size(); ++n)
        place[n] = !string.cents ? double(n)
                   : n ? place[n - 1] + std::exp2(string.cents(double(n - 1) / rate) / 1200)
                       : 0.0;
    for (int h = 1;; ++h) {
        const double f = partialFrequency(string, h);
        if (f > std::min(8000.0, 0.45 * rate))
            break;
        const double level = std::abs(std::sin(M_PI * h * pluckedAt)) / std::pow(h, slope) *
                             uniform(random, 0.4, 1.0);
        const double tau = decay / std::pow(h, 0.7) * uniform(random, 0.7, 1.3);
        const double phase = uniform(random, 0, 2 * M_PI);
        const double w = 2 * M_PI * f / rate;
        for (std::size_t i = start; i < s.size(); ++i) {
            const double t = double(i - start) / rate;
            s[i] += level * std::exp(-t / tau) * std::sin(w * place[i - start] + phase);
        }
    }
    // The first half millisecond rises; the pluck's own noise lasts 4 ms.
    const std::size_t rise = std::size_t(0.0005 * rate), burst = std::size_t(0.004 * rate);
    double loudest = 0;
    for (std::size_t i = start; i < std::min(s.size(), start + std::size_t(0.05 * rate)); ++i)
        loudest = std::max(loudest, std::abs(s[i]));
    std::normal_distribution<double> noise(0, 0.3 * loudest);
    for (std::size_t i = start; i < std::min(s.size(), start + burst); ++i) {
        s[i] *= std::min(1.0, double(i - start) / double(std::max<std::size_t>(rise, 1)));
        s[i] += noise(random) * (1 - double(i - start) / double(burst));
    }
    scalePeak(s, 0.7);
    return s;
}

double fadedBy40dB(const Samples& note, int rate) {
    const std::size_t width = std::size_t(0.05 * rate), hop = std::size_t(0.01 * rate);
    std::vector<double> levels;
    for (std::size_t at = 0; at + width <= note.size(); at += hop)
        levels.push_back(rms(Samples(note.begin() + long(at), note.begin() + long(at + width))));
    const auto loudest = std::max_element(levels.begin(), levels.end());
    for (auto it = loudest; it != levels.end(); ++it)
        if (*it < *loudest / 100)
            return double(std::size_t(it - levels.begin()) * hop + width) / rate;
    return double(note.size()) / rate;
}

Samples fadingTone(double frequency, int rate, double seconds) {
    Samples s(std::size_t(seconds * rate), 0.0);
    const std::size_t start = std::size_t(0.25 * rate);
    for (std::size_t i = start; i < s.size(); ++i) {
        const double t = double(i - start) / rate;
        double v = 0;
        for (int h = 1; h <= 12; ++h)
            v += std::exp(-t / (1.5 / std::pow(h, 0.7))) / h *
                 std::sin(2 * M_PI * h * frequency * t);
        s[i] = std::min(1.0, t / 0.003) * v;
    }
    scalePeak(s, 0.7);
    return s;
}

double noteLevel(const Samples& note, int rate, double onset) {
    const auto from = note.begin() + long(std::min(note.size(), std::size_t(onset * rate)));
    return rms(Samples(from, from + long(std::min<std::size_t>(std::size_t(note.end() - from),
                                                               std::size_t(rate)))));
}

double below(double level, double dB) {
    return level * std::pow(10, -dB / 20);
}

void addPinkNoise(Samples& s, double level, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> white(0, 1);
    Samples pink(s.size());
    double b0 = 0, b1 = 0, b2 = 0;
    for (double& x : pink) { // Paul Kellet's economy filter: -3 dB an octave
        const double w = white(random);
        b0 = 0.99765 * b0 + w * 0.0990460;
        b1 = 0.96300 * b1 + w * 0.2965164;
        b2 = 0.57000 * b2 + w * 1.0526913;
        x = b0 + b1 + b2 + w * 0.1848;
    }
    addAt(s, pink, level);
}

void addHum(Samples& s, int rate, double mains, double level) {
    const double amplitudes[] = {1, 0.4, 0.7, 0.15, 0.3, 0.08, 0.12, 0.05, 0.06, 0.03};
    Samples hum(s.size(), 0.0);
    for (int k = 1; k <= 10; ++k)
        for (std::size_t i = 0; i < hum.size(); ++i)
            hum[i] += amplitudes[k - 1] * std::sin(2 * M_PI * k * mains * double(i) / rate + k);
    addAt(s, hum, level);
}

void reverberate(Samples& s, int rate, double seconds, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> white(0, 1);
    Samples impulse(std::size_t(1.2 * seconds * rate), 0.0);
    impulse[0] = 1;
    for (int echo = 0; echo < 6; ++echo) // early reflections from the walls nearby
        impulse[std::size_t(uniform(random, 0.004, 0.03) * rate)] +=
            uniform(random, 0.25, 0.6) * (echo % 2 ? -1 : 1);
    double tail = 0;
    for (std::size_t i = std::size_t(0.01 * rate); i < impulse.size(); ++i) {
        const double t = double(i) / rate;
        const double v = white(random) * std::pow(10, -3 * t / seconds); // -60 dB at the end
        impulse[i] += v;
        tail += v * v;
    }
    // The tail carries as much as the direct sound: a player a few metres from the microphone.
    const double scale = 1 / std::sqrt(tail);
    for (std::size_t i = std::size_t(0.01 * rate); i < impulse.size(); ++i)
        impulse[i] *= scale;
    std::size_t n = 1;
    while (n < s.size() + impulse.size())
        n *= 2;
    std::vector<kiss_fft_scalar> a(n, 0), b(n, 0);
    std::copy(s.begin(), s.end(), a.begin());
    std::copy(impulse.begin(), impulse.end(), b.begin());
    std::vector<kiss_fft_cpx> fa(n / 2 + 1), fb(n / 2 + 1);
    kiss_fftr_cfg forward = kiss_fftr_alloc(int(n), 0, nullptr, nullptr);
    kiss_fftr_cfg inverse = kiss_fftr_alloc(int(n), 1, nullptr, nullptr);
    kiss_fftr(forward, a.data(), fa.data());
    kiss_fftr(forward, b.data(), fb.data());
    for (std::size_t k = 0; k < fa.size(); ++k)
        fa[k] = {fa[k].r * fb[k].r - fa[k].i * fb[k].i, fa[k].r * fb[k].i + fa[k].i * fb[k].r};
    kiss_fftri(inverse, fa.data(), a.data());
    kiss_fftr_free(forward);
    kiss_fftr_free(inverse);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = a[i] / double(n);
    scalePeak(s, 0.7);
}

void highPass(Samples& s, int rate, double cutoff) {
    highPassSection(s, rate, cutoff, 0.54119610);
    highPassSection(s, rate, cutoff, 1.3065630);
}

void clip(Samples& s, double gain) {
    for (double& x : s)
        x = std::clamp(gain * x, -1.0, 1.0);
}

void addOffset(Samples& s, double offset) {
    for (double& x : s)
        x += offset;
}

void addRumble(Samples& s, int rate, double hz, double level) {
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] += level * M_SQRT2 * std::sin(2 * M_PI * hz * double(i) / rate);
}

std::vector<float> toFloat(const Samples& s) {
    return std::vector<float>(s.begin(), s.end());
}

} // namespace Signals
