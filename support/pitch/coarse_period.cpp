#include "coarse_period.h"

#include <algorithm>
#include <cmath>
#include <kiss_fftr.h>

namespace {

// A lag at two or three times the period wins where the sound matches itself clearly better
// there: the period was a strong harmonic's. Where that lag is the period of the note already
// heard, a little better is enough: a string keeps its note while its fundamental fades below
// its second harmonic, and a new note is not taken an octave low in its attack.
constexpr double kMultipleMargin = 0.08;
constexpr double kSameNoteMargin = 0.01;
// That string still matches itself almost perfectly over its period, many times better than
// over half of it (what is missing there is its odd harmonics). A young note that matches itself
// only a few times better over the longer lag flutters at twice its period, as a bass's attack
// can: the note heard is the shorter period's, and holding the longer would show it an octave
// low. Past its attack the small margin holds alone: noise spoils the match at both lags alike,
// and must not cost a fading low string its note.
constexpr double kSameNoteMismatchRatio = 4;
constexpr double kYoungNoteSeconds = 0.25;
// A string may be tuned this far from its target (cents) and still be taken for it: a fifth.
constexpr double kStringReach = 700;
// A multiple or part of the period is taken for a string only where the sound repeats there
// nearly as clearly.
constexpr double kTargetClarityShare = 0.8;

// The vertex of the parabola through three equally spaced values, as an offset from the middle.
double vertexOffset(double before, double middle, double after) {
    const double curvature = before - 2 * middle + after;
    return curvature < 0 ? std::clamp(0.5 * (before - after) / curvature, -0.5, 0.5) : 0.0;
}

// The height of that vertex.
double vertexHeight(double before, double middle, double after) {
    return middle - 0.25 * (before - after) * vertexOffset(before, middle, after);
}

double centsBetween(double a, double b) {
    return 1200 * std::log2(a / b);
}

} // namespace

struct CoarsePeriod::Fft {
    explicit Fft(std::size_t size)
        : size(size), forward(kiss_fftr_alloc(int(size), 0, nullptr, nullptr)),
          inverse(kiss_fftr_alloc(int(size), 1, nullptr, nullptr)), time(size), frame(size),
          spectrum(size / 2 + 1) {}
    ~Fft() {
        kiss_fftr_free(forward);
        kiss_fftr_free(inverse);
    }
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;
    std::size_t size;
    kiss_fftr_cfg forward;
    kiss_fftr_cfg inverse;
    std::vector<kiss_fft_scalar> time;
    std::vector<float> frame; // the samples analysed, as they went in
    std::vector<kiss_fft_cpx> spectrum;
};

// The window is padded with zeros past the longest lag read (maxLag + 1), so its autocorrelation
// through the FFT does not wrap; to a size of factors 2, 3 and 5 alone, which the FFT takes fast,
// not to a power of two (5,760 samples, not 8,192, for A0 at 48 kHz).
CoarsePeriod::CoarsePeriod(int rate, int minLag, int maxLag)
    : rate_(rate), minLag_(minLag), maxLag_(maxLag), window_(2 * maxLag + maxLag / 10),
      fft_(
          std::make_unique<Fft>(std::size_t(kiss_fftr_next_fast_size_real(window_ + maxLag + 1)))) {
}

CoarsePeriod::~CoarsePeriod() = default;

double CoarsePeriod::find(const SampleHistory& history, const Note& note, double& clarity) {
    const int n = int(std::min<std::size_t>(history.available(), std::size_t(window_)));
    const int maxLag = std::min(maxLag_, n / 2);
    if (maxLag <= minLag_ + 2)
        return 0;
    // The newest n samples, oldest first, less the straight line that best fits them, zero-padded:
    // their autocorrelation through the FFT. A fading string, a slow rumble or the lowest part of
    // a noise stands off zero and leans over a window, though the input's own offset is already
    // gone; and a lean matches itself at every lag, so a rumble louder than a fading note would
    // hide the note's period.
    std::fill(fft_->time.begin(), fft_->time.end(), 0.0f);
    double mean = 0, tilt = 0;
    const double middle = 0.5 * (n - 1);
    for (int i = 0; i < n; ++i) {
        const double x = history.at(std::size_t(n - 1 - i));
        mean += x;
        tilt += (i - middle) * x;
    }
    mean /= n;
    tilt /= double(n) * (double(n) * n - 1) / 12;
    double power = 0;
    for (int i = 0; i < n; ++i) {
        const float x = float(history.at(std::size_t(n - 1 - i)) - mean - tilt * (i - middle));
        fft_->time[std::size_t(i)] = fft_->frame[std::size_t(i)] = x;
        power += double(x) * x;
    }
    if (power / n < kQuietestPower)
        return 0;
    kiss_fftr(fft_->forward, fft_->time.data(), fft_->spectrum.data());
    for (kiss_fft_cpx& c : fft_->spectrum) {
        c.r = c.r * c.r + c.i * c.i;
        c.i = 0;
    }
    kiss_fftri(fft_->inverse, fft_->spectrum.data(), fft_->time.data());

    // The normalised square difference: 2 r(t) / (sum of the squares of both parts).
    std::vector<double> nsdf(std::size_t(maxLag) + 2, 0.0);
    double squares = 2 * power;
    const double scale = 1.0 / double(fft_->size);
    for (int lag = 0; lag <= maxLag + 1; ++lag) {
        if (lag > 0) {
            const double first = fft_->frame[std::size_t(lag - 1)];
            const double last = fft_->frame[std::size_t(n - lag)];
            squares -= first * first + last * last;
        }
        nsdf[std::size_t(lag)] =
            squares > 0 ? 2 * fft_->time[std::size_t(lag)] * scale / squares : 0.0;
    }

    // The highest point of each positive lobe after the first descent below zero.
    std::vector<int> peaks;
    int lag = 1;
    while (lag <= maxLag && nsdf[std::size_t(lag)] > 0)
        ++lag;
    while (lag <= maxLag) {
        while (lag <= maxLag && nsdf[std::size_t(lag)] <= 0)
            ++lag;
        int best = -1;
        while (lag <= maxLag && nsdf[std::size_t(lag)] > 0) {
            if (best < 0 || nsdf[std::size_t(lag)] > nsdf[std::size_t(best)])
                best = lag;
            ++lag;
        }
        if (best >= minLag_ && best < maxLag)
            peaks.push_back(best);
    }
    if (peaks.empty())
        return 0;
    double highest = 0;
    for (int p : peaks)
        highest = std::max(highest, nsdf[std::size_t(p)]);
    int chosen = peaks.front();
    for (int p : peaks)
        if (nsdf[std::size_t(p)] >= 0.9 * highest) {
            chosen = p;
            break;
        }
    // A peak between two lags, with its height there: a short period lies far from whole lags.
    const auto refined = [&](int peak) {
        const double a = nsdf[std::size_t(peak - 1)], b = nsdf[std::size_t(peak)],
                     c = nsdf[std::size_t(peak + 1)];
        return std::pair{peak + vertexOffset(a, b, c), vertexHeight(a, b, c)};
    };
    auto [period, height] = refined(chosen);
    clarity = height;
    const double chosenValue = clarity;
    for (int multiple = 2; multiple <= 3; ++multiple) {
        const int centre = int(std::lround(multiple * period));
        int best = -1;
        for (int l = std::max(1, centre - multiple - 1);
             l <= std::min(maxLag, centre + multiple + 1); ++l)
            if (best < 0 || nsdf[std::size_t(l)] > nsdf[std::size_t(best)])
                best = l;
        if (best <= 0 || best >= maxLag)
            continue;
        const auto [lag, value] = refined(best);
        const bool sameNote = note.period > 0 &&
                              std::abs(centsBetween(lag, note.period)) < kNewNoteCents &&
                              (note.seconds > kYoungNoteSeconds ||
                               1 - chosenValue > kSameNoteMismatchRatio * (1 - value));
        if (value > chosenValue + (sameNote ? kSameNoteMargin : kMultipleMargin) &&
            value > clarity) {
            period = lag;
            clarity = value;
        }
    }
    if (clarity < kLeastClarity)
        return 0;
    return targets_.empty() ? period : nearATarget(nsdf, period, clarity);
}

double CoarsePeriod::nearATarget(const std::vector<double>& nsdf, double period,
                                 double clarity) const {
    // How far the frequency of a lag lies from the nearest string, in cents.
    const auto distance = [&](double lag) {
        double nearest = INFINITY;
        for (double target : targets_)
            nearest = std::min(nearest, std::abs(centsBetween(rate_ / lag, target)));
        return nearest;
    };
    if (distance(period) <= kStringReach)
        return period;
    double best = period, bestDistance = INFINITY;
    for (const double factor : {2.0, 3.0, 0.5, 1.0 / 3}) {
        const double lag = period * factor;
        const int centre = int(std::lround(lag));
        if (centre - 2 < std::max(1, minLag_) || centre + 2 >= int(nsdf.size()) - 1)
            continue;
        int peak = centre;
        for (int l = centre - 2; l <= centre + 2; ++l)
            if (nsdf[std::size_t(l)] > nsdf[std::size_t(peak)])
                peak = l;
        const double a = nsdf[std::size_t(peak - 1)], b = nsdf[std::size_t(peak)],
                     c = nsdf[std::size_t(peak + 1)];
        const double refinedLag = peak + vertexOffset(a, b, c);
        const double away = distance(refinedLag);
        if (vertexHeight(a, b, c) >= kTargetClarityShare * clarity && away <= kStringReach &&
            away < bestDistance) {
            best = refinedLag;
            bestDistance = away;
        }
    }
    return best;
}
