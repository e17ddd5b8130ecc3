#include "pitch_detector.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <kiss_fftr.h>

namespace {

// Below this level (about -70 dBFS) nothing is heard.
constexpr double kQuietestPower = 1e-7;
// How periodic the sound must be to be read as a pitch: noise stays well below. A plucked
// string's attack repeats itself poorly for its first tens of milliseconds while its period is
// already right (a guitar's E2 reaches 0.57 at 30 ms and 0.75 only at 55 ms).
constexpr double kLeastClarity = 0.5;
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
// A sound is named once it has lasted this long (seconds): before, its attack is mostly
// transient, and a period read there is as often an octave or a fifth off as right.
constexpr double kLeastSoundSeconds = 0.02;
// A coarse period this far (in cents) from the note's is a new note.
constexpr double kNewNoteCents = 35;
// The last refinement follows one harmonic's phase over windows of this many periods: far enough
// from its neighbours that they barely leak into it.
constexpr int kPhaseWindowPeriods = 6;
// While a note is followed by its history alone, the coarse analysis still runs every few hops,
// so that a jump by an octave (whose periods line up with the old ones) is seen.
constexpr int kCoarseEvery = 4;

std::size_t powerOfTwoAtLeast(std::size_t n) {
    std::size_t p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// The vertex of the parabola through three equally spaced values, as an offset from the middle.
double vertexOffset(double before, double middle, double after) {
    const double curvature = before - 2 * middle + after;
    return curvature < 0 ? std::clamp(0.5 * (before - after) / curvature, -0.5, 0.5) : 0.0;
}

// The height of that vertex.
double vertexHeight(double before, double middle, double after) {
    return middle - 0.25 * (before - after) * vertexOffset(before, middle, after);
}

} // namespace

struct PitchDetector::Fft {
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

PitchDetector::PitchDetector(int sampleRate, double lowestHz, double highestHz)
    : inputRate_(std::clamp(sampleRate, 8000, 192000)),
      decimation_(std::max(1, int(std::lround(inputRate_ / 48000.0)))),
      rate_(inputRate_ / decimation_), hop_(rate_ / 200) {
    maxLag_ = int(std::ceil(rate_ / lowestHz)) + 2;
    minLag_ = std::max(2, int(std::floor(rate_ / highestHz)));
    window_ = 2 * maxLag_ + maxLag_ / 10;
    longestLag_ = std::size_t(rate_ / 4);
    longestSpan_ = std::size_t(rate_);
    ring_.assign(
        powerOfTwoAtLeast(longestSpan_ + std::size_t(kPhaseWindowPeriods * maxLag_) + 4096), 0.0f);
    mask_ = ring_.size() - 1;
    fft_ = std::make_unique<Fft>(powerOfTwoAtLeast(std::size_t(window_ + maxLag_)));
}

PitchDetector::~PitchDetector() = default;

void PitchDetector::feed(const float* samples, std::size_t count,
                         std::vector<PitchReading>& readings) {
    for (std::size_t i = 0; i < count; ++i) {
        sum_ += samples[i];
        if (++summed_ < decimation_)
            continue;
        ring_[written_ & mask_] = float(sum_ / decimation_);
        sum_ = 0;
        summed_ = 0;
        ++written_;
        if (++sinceHop_ == std::size_t(hop_)) {
            sinceHop_ = 0;
            readings.push_back(analyse());
        }
    }
}

PitchReading PitchDetector::analyse() {
    PitchReading reading;
    reading.seconds = double(written_) / rate_;
    const std::size_t history = std::min(written_, ring_.size());
    const std::size_t noteLength = std::min(history, written_ - noteStart_);
    const bool coarseDue = (written_ / std::size_t(hop_)) % kCoarseEvery == 0;
    double hopPower = 0;
    for (std::size_t i = 0; i < std::size_t(hop_); ++i)
        hopPower += double(at(i)) * at(i);
    if (hopPower / hop_ < kQuietestPower) { // the sound begins after the hop's last quiet sample
        std::size_t loud = 0;
        while (loud < std::size_t(hop_) && double(at(loud)) * at(loud) >= kQuietestPower)
            ++loud;
        soundStart_ = written_ - loud;
    }
    if (notePeriod_ <= 0 && double(written_ - soundStart_) < kLeastSoundSeconds * rate_)
        return reading;

    // A note that goes on is followed on its history alone, which costs little.
    if (notePeriod_ > 0 && !coarseDue) {
        const double period = refinedPeriod(notePeriod_, noteLength, true);
        if (period > 0) {
            notePeriod_ = finalPeriod(period, noteLength, true);
            reading.frequency = rate_ / notePeriod_;
            reading.clarity = 1;
            return reading;
        }
    }
    double clarity = 0;
    const double coarse = coarsePeriod(history, clarity);
    if (coarse <= 0) {
        notePeriod_ = 0;
        return reading;
    }
    if (notePeriod_ <= 0 || std::abs(1200 * std::log2(coarse / notePeriod_)) > kNewNoteCents) {
        noteStart_ = written_ - std::min(history, std::size_t(window_));
        notePeriod_ = coarse;
    }
    const std::size_t length = std::min(history, written_ - noteStart_);
    const double period = refinedPeriod(notePeriod_, length, false);
    notePeriod_ = period > 0 ? finalPeriod(period, length, false) : coarse;
    reading.frequency = rate_ / notePeriod_;
    reading.clarity = clarity;
    return reading;
}

double PitchDetector::coarsePeriod(std::size_t available, double& clarity) {
    const int n = int(std::min<std::size_t>(available, std::size_t(window_)));
    const int maxLag = std::min(maxLag_, n / 2);
    if (maxLag <= minLag_ + 2)
        return 0;
    // The newest n samples, oldest first, their mean taken away (a fading string, or a
    // microphone, may stand off zero), zero-padded: their autocorrelation through the FFT.
    std::fill(fft_->time.begin(), fft_->time.end(), 0.0f);
    double mean = 0;
    for (int i = 0; i < n; ++i)
        mean += at(std::size_t(i));
    mean /= n;
    double power = 0;
    for (int i = 0; i < n; ++i) {
        const float x = float(at(std::size_t(n - 1 - i)) - mean);
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
        const bool sameNote = notePeriod_ > 0 &&
                              std::abs(1200 * std::log2(lag / notePeriod_)) < kNewNoteCents &&
                              (double(written_ - noteStart_) > kYoungNoteSeconds * rate_ ||
                               1 - chosenValue > kSameNoteMismatchRatio * (1 - value));
        if (value > chosenValue + (sameNote ? kSameNoteMargin : kMultipleMargin) &&
            value > clarity) {
            period = lag;
            clarity = value;
        }
    }
    return clarity >= kLeastClarity ? period : 0;
}

double PitchDetector::refinedPeriod(double period, std::size_t available, bool exact) const {
    // Whole periods, at least 512 samples: over whole periods the harmonics, each fading at its
    // own pace, do not pull the peak away from the period.
    const std::size_t frame = std::size_t(std::lround(std::ceil(512 / period) * period));
    // How well the newest frame matches the frame lag samples before it, each about its mean.
    const auto match = [&](std::size_t lag) {
        double both = 0, newer = 0, older = 0, sumA = 0, sumB = 0;
        for (std::size_t i = 0; i < frame; ++i) {
            const double a = at(i), b = at(i + lag);
            both += a * b;
            newer += a * a;
            older += b * b;
            sumA += a;
            sumB += b;
        }
        const double count = double(frame);
        both -= sumA * sumB / count;
        newer -= sumA * sumA / count;
        older -= sumB * sumB / count;
        return newer > 0 && older > 0 ? both / std::sqrt(newer * older) : 0.0;
    };
    double power = 0;
    for (std::size_t i = 0; i < frame && i < available; ++i)
        power += double(at(i)) * at(i);
    if (available < frame || power / double(frame) < kQuietestPower)
        return 0;
    // From the period itself, to as many periods back as the note has lasted: each step
    // doubles the lag, and each lag found to a fraction of a sample narrows the next search.
    const std::size_t reach = std::min(available - frame, longestLag_);
    // The furthest whole number of periods back is the last step: the further back, the less a
    // fraction of a sample weighs, and the less the harmonics' unequal fading pulls the peak.
    const double furthest = std::floor((double(reach) - 3) / period);
    if (furthest < 1)
        return 0;
    // A note that goes on needs no narrowing: its period is already that exact, and a peak at
    // the edge of the search means it has moved too far for that.
    double step = exact ? furthest : 1;
    bool found = false;
    for (; step <= furthest;
         step = step == furthest ? furthest + 1 : std::min(2 * step, furthest)) {
        const std::size_t centre = std::size_t(std::lround(step * period));
        if (centre < 3 || centre + 3 > reach)
            break;
        double values[7];
        for (int d = -3; d <= 3; ++d)
            values[d + 3] = match(centre + std::size_t(d + 3) - 3);
        const int best = int(std::max_element(values + 1, values + 6) - values);
        if (values[best] < kLeastClarity || (exact && (best == 1 || best == 5)))
            return found ? period : 0;
        const double lag = double(centre) + (best - 3) +
                           vertexOffset(values[best - 1], values[best], values[best + 1]);
        period = lag / step;
        found = true;
    }
    return found ? period : 0;
}

double PitchDetector::finalPeriod(double period, std::size_t available, bool exact) {
    // The harmonic heard best, and how far its phase turns between the newest window and one
    // as far back as the note allows: the amplitudes of the harmonics, each fading at its own
    // pace, do not move a phase.
    const std::size_t width = std::size_t(std::lround(kPhaseWindowPeriods * period));
    if (available < 2 * width)
        return period;
    const std::size_t span = std::min(available - width, longestSpan_);
    // The windowed component at frequency omega (radians a sample) of the width samples that
    // end back samples before the newest.
    const auto component = [&](double omega, std::size_t back) {
        std::complex<double> sum;
        const std::complex<double> turn = std::polar(1.0, -omega);
        const std::complex<double> windowTurn = std::polar(1.0, 2 * M_PI / double(width));
        std::complex<double> rotor = 1, window = 1;
        for (std::size_t n = 0; n < width; ++n) {
            sum += (0.5 - 0.5 * window.real()) * double(at(back + width - 1 - n)) * rotor;
            rotor *= turn;
            window *= windowTurn;
        }
        return sum;
    };
    double omega = 2 * M_PI / period;
    if (!exact) { // which harmonic is chosen anew only where the period is
        double strongest = 0;
        for (int h = 1; h <= 4 && h * omega < M_PI; ++h) {
            const double strength = std::abs(component(h * omega, 0));
            if (strength > strongest) {
                strongest = strength;
                harmonic_ = h;
            }
        }
    }
    // A note that goes on needs one step; a period found anew a short span first, whose turn
    // cannot pass half a cycle, then the longest.
    const std::size_t first = exact ? span : std::min(span, width);
    for (std::size_t distance = first;; distance = span) {
        const double w = harmonic_ * omega;
        const std::complex<double> newer = component(w, 0), older = component(w, distance);
        if (std::abs(newer) <= 0 || std::abs(older) <= 0)
            return period;
        const double turned = std::arg(newer / older);
        const double expected = std::remainder(w * double(distance), 2 * M_PI);
        omega += std::remainder(turned - expected, 2 * M_PI) / (harmonic_ * double(distance));
        if (distance == span)
            return 2 * M_PI / omega;
    }
}
