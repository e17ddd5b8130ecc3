#include "pitch_detector.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr double kQuietestPower = CoarsePeriod::kQuietestPower;
constexpr double kNewNoteCents = CoarsePeriod::kNewNoteCents;
constexpr double kLeastClarity = CoarsePeriod::kLeastClarity;
// A sound is named once it has lasted this long (seconds): before, its attack is mostly
// transient, and a period read there is as often an octave or a fifth off as right.
constexpr double kLeastSoundSeconds = 0.02;
// The last refinement follows one harmonic's phase over windows of this many periods: far enough
// from its neighbours that they barely leak into it.
constexpr int kPhaseWindowPeriods = 6;
// While a note is followed by its history alone, the coarse analysis still runs every few hops,
// so that a jump by an octave (whose periods line up with the old ones) is seen.
constexpr int kCoarseEvery = 4;
// A hop this many times as loud as the hops before it is a new pluck: the note's history starts
// there.
constexpr double kRise = 4;
constexpr double kRecentHops = 6;
// A new note comes with a sound that swells: its last 20 ms this many times as loud as the 200 ms
// before, at most half a second earlier. As a note fades into noise or hum, what is left of it is
// no new note, however it beats against them.
constexpr double kSwell = 4;
constexpr std::size_t kSwellHops = 40, kSwellingHops = 4;
constexpr double kSwellSeconds = 0.5;
// A note's own attack lets another note take its place only in its first moments, while the
// period may still be misled (a twelfth or an octave off): once its partials give it, another
// period needs a swell of its own. A bowed or beating note strays from its period now and then.
constexpr double kOwnAttackSeconds = 0.15;
// The partials are followed from this long after the note's start: past the pluck's own noise.
constexpr double kAttackSeconds = 0.01;
// A note is found to be an octave higher than the one followed only in its first moments, where an
// attack can mislead the period: later its partials have long been what they are.
constexpr double kOctaveCheckSeconds = 0.5;
// The partials' reading is taken once they give the first partial this well (cents, a standard
// error): already steadier than the period's, which in a low note or in noise strays by several
// cents from one reading to the next.
constexpr double kTrackedCents = 2.0;
// A microphone's or a converter's offset is no sound: the input is taken about its mean, followed
// over this long (seconds), far below any note. Learnt from the first sample on: the silence
// before a note stays silence, and the note's history starts at its pluck.
constexpr double kOffsetSeconds = 1.0;

bool hum(double frequency) {
    return MainsHum::isHum(frequency);
}

// The vertex of the parabola through three equally spaced values, as an offset from the middle.
double vertexOffset(double before, double middle, double after) {
    const double curvature = before - 2 * middle + after;
    return curvature < 0 ? std::clamp(0.5 * (before - after) / curvature, -0.5, 0.5) : 0.0;
}

// Whole periods, at least 512 samples: over whole periods the harmonics, each fading at its own
// pace, do not pull the match's peak away from the period.
std::size_t frameOf(double period) {
    return std::size_t(std::lround(std::ceil(512 / period) * period));
}

// The shortest history on which a period can be refined: a frame and a period before it.
double refinableLength(double period) {
    return double(frameOf(period)) + period + 3;
}

// One period two or three times the other: a note misread at a harmonic or below it.
bool harmonicOf(double period, double other) {
    for (double ratio : {2.0, 3.0, 0.5, 1 / 3.0})
        if (std::abs(1200 * std::log2(period / (ratio * other))) <= kNewNoteCents)
            return true;
    return false;
}

int decimationFor(int rate) {
    return std::max(1, int(std::lround(rate / 48000.0)));
}

} // namespace

PitchDetector::PitchDetector(int sampleRate, double lowestHz, double highestHz)
    : inputRate_(std::clamp(sampleRate, 8000, 192000)), decimation_(decimationFor(inputRate_)),
      rate_(inputRate_ / decimation_), hop_(rate_ / 200),
      maxLag_(int(std::ceil(rate_ / std::max(lowestHz, kLowestPossible))) + 2),
      longestLag_(std::size_t(rate_ / 4)), longestSpan_(std::size_t(rate_)),
      history_(longestSpan_ + std::size_t(kPhaseWindowPeriods * maxLag_) + 4096),
      coarse_(rate_, std::max(2, int(std::floor(rate_ / highestHz))), maxLag_),
      tracker_(rate_, hop_), hum_(rate_), hopPowers_(kSwellHops, 0.0) {}

void PitchDetector::feed(const float* samples, std::size_t count,
                         std::vector<PitchReading>& readings) {
    for (std::size_t i = 0; i < count; ++i) {
        sum_ += samples[i];
        if (++summed_ < decimation_)
            continue;
        const double sample = sum_ / decimation_;
        if (!offsetKnown_) {
            offset_ = sample;
            offsetKnown_ = true;
        }
        offset_ += (sample - offset_) / (kOffsetSeconds * rate_);
        history_.push(hum_.take(float(sample - offset_)));
        sum_ = 0;
        summed_ = 0;
        if (++sinceHop_ == std::size_t(hop_)) {
            sinceHop_ = 0;
            readings.push_back(analyse());
        }
    }
}

void PitchDetector::endNote() {
    notePeriod_ = 0;
    tracker_.stop();
    tracked_ = false;
}

PitchReading PitchDetector::analyse() {
    PitchReading reading;
    const std::size_t written = history_.written;
    reading.seconds = double(written) / rate_;
    const std::size_t available = history_.available();
    const std::size_t noteLength = std::min(available, written - noteStart_);
    const bool coarseDue = (written / std::size_t(hop_)) % kCoarseEvery == 0;
    double hopPower = 0;
    for (std::size_t i = 0; i < std::size_t(hop_); ++i)
        hopPower += double(at(i)) * at(i);
    hopPower /= hop_;
    if (hopPower < kQuietestPower) { // the sound begins after the hop's last quiet sample
        std::size_t loud = 0;
        while (loud < std::size_t(hop_) && double(at(loud)) * at(loud) >= kQuietestPower)
            ++loud;
        soundStart_ = written - loud;
    }
    if (written > std::size_t(kRecentHops * hop_) && hopPower > kRise * recentPower_)
        lastRise_ = written - std::size_t(hop_);
    recentPower_ += (hopPower - recentPower_) / kRecentHops;
    const std::size_t hopIndex = written / std::size_t(hop_);
    hopPowers_[hopIndex % hopPowers_.size()] = hopPower;
    double now = 0, before = 0;
    for (std::size_t i = 0; i < hopPowers_.size(); ++i)
        (i < kSwellingHops ? now : before) +=
            hopPowers_[(hopIndex + hopPowers_.size() - i) % hopPowers_.size()];
    if (now / kSwellingHops >= kSwell * before / double(hopPowers_.size() - kSwellingHops))
        lastSwell_ = written;
    const bool swelling = double(written - lastSwell_) <= kSwellSeconds * rate_;
    const bool onlyItsOwnSwell =
        double(lastSwell_) < double(noteStart_) + kOwnAttackSeconds * rate_ &&
        double(written - noteStart_) >= kOwnAttackSeconds * rate_;
    if (notePeriod_ <= 0 && double(written - soundStart_) < kLeastSoundSeconds * rate_)
        return reading;

    // A note that goes on is followed on its history alone, which costs little.
    if (notePeriod_ > 0 && !coarseDue) {
        const double period = refinedPeriod(notePeriod_, noteLength, true);
        if (period > 0) {
            notePeriod_ = finalPeriod(period, noteLength, true);
            reading.clarity = 1;
            return read(reading);
        }
    }
    double clarity = 0;
    const double coarse =
        coarse_.find(history_, {notePeriod_, double(noteLength) / rate_}, clarity);
    // A note its partials showed an octave higher is not taken an octave low again.
    const bool octaveLowAgain =
        coarse > 0 && octaveUp_ > lastSwell_ &&
        std::abs(1200 * std::log2(coarse / (2 * notePeriod_))) <= kNewNoteCents;
    const bool otherNote =
        !octaveLowAgain && (coarse <= 0 || hum(rate_ / coarse) || notePeriod_ <= 0 ||
                            std::abs(1200 * std::log2(coarse / notePeriod_)) > kNewNoteCents);
    // No period, the mains', or another note's without a sound that swells: the note heard goes
    // on while its partials are heard, else nothing is.
    if (otherNote &&
        (coarse <= 0 || hum(rate_ / coarse) || !swelling ||
         (tracked_ && onlyItsOwnSwell &&
          (!harmonicOf(coarse, notePeriod_) || (coarse > notePeriod_ && !lowerNoteHeard(coarse))))))
        return goOn(reading);
    if (otherNote) {
        noteStart_ = newNoteStart();
        notePeriod_ = coarse;
        tracker_.stop();
        tracked_ = false;
    }
    const std::size_t length = std::min(available, written - noteStart_);
    const double period = refinedPeriod(notePeriod_, length, false);
    notePeriod_ = period > 0 ? finalPeriod(period, length, false) : coarse;
    reading.clarity = clarity;
    return read(reading);
}

std::size_t PitchDetector::newNoteStart() const {
    const std::size_t window = std::min(history_.available(), std::size_t(coarse_.window()));
    return std::max({history_.written - window, soundStart_, lastRise_});
}

bool PitchDetector::lowerNoteHeard(double period) const {
    PartialTracker trial(rate_, hop_);
    trial.start(rate_ / period, newNoteStart() + std::size_t(kAttackSeconds * rate_), history_);
    const PartialTracker::Estimate e = trial.update(history_);
    return e.frequency > 0 && !hum(e.frequency) &&
           e.heardBesidesMultiplesOf(int(std::lround(period / notePeriod_)));
}

PitchReading PitchDetector::goOn(PitchReading reading) {
    if (notePeriod_ > 0 && tracked_) {
        const PartialTracker::Estimate e = tracker_.update(history_);
        if (e.frequency > 0 && !hum(e.frequency)) {
            reading.frequency = e.frequency;
            return reading;
        }
    }
    // A note its partials do not give yet goes on while its own history repeats, or is still too
    // short to tell: in a low note's first periods the newest samples alone may miss it for a hop.
    if (notePeriod_ > 0 && !tracked_) {
        const std::size_t length = std::min(history_.available(), history_.written - noteStart_);
        const double period = refinedPeriod(notePeriod_, length, false);
        if (period > 0 || double(length) < refinableLength(notePeriod_)) {
            if (period > 0)
                notePeriod_ = finalPeriod(period, length, false);
            return read(reading);
        }
    }
    endNote();
    return reading;
}

PitchReading PitchDetector::read(PitchReading reading) {
    reading.frequency = rate_ / notePeriod_;
    if (!tracker_.active())
        tracker_.start(reading.frequency, noteStart_ + std::size_t(kAttackSeconds * rate_),
                       history_);
    PartialTracker::Estimate e = tracker_.update(history_);
    if (e.octaveHigher && double(history_.written - noteStart_) < kOctaveCheckSeconds * rate_) {
        // Its first partial was an octave low: followed anew an octave up.
        octaveUp_ = history_.written;
        notePeriod_ /= 2;
        reading.frequency *= 2;
        tracker_.start(reading.frequency, noteStart_ + std::size_t(kAttackSeconds * rate_),
                       history_);
        tracked_ = false;
        e = tracker_.update(history_);
    }
    // Once the partials give the note, they give it to its end: two ways of reading it in turn
    // would make the reading jump.
    tracked_ = e.frequency > 0 && (tracked_ || e.spread <= kTrackedCents);
    if (tracked_)
        reading.frequency = e.frequency;
    if (hum(reading.frequency))
        reading.frequency = 0;
    return reading;
}

double PitchDetector::refinedPeriod(double period, std::size_t available, bool exact) const {
    const std::size_t frame = frameOf(period);
    if (available < frame)
        return 0;
    // The newest frame, and its sum and power about its mean, are the same at every lag.
    std::vector<double> newest(frame);
    double power = 0, sumA = 0;
    for (std::size_t i = 0; i < frame; ++i) {
        newest[i] = at(i);
        power += newest[i] * newest[i];
        sumA += newest[i];
    }
    if (power / double(frame) < kQuietestPower)
        return 0;
    const double count = double(frame);
    const double newer = power - sumA * sumA / count;
    // How well the newest frame matches the frame lag samples before it, each about its mean.
    const auto match = [&](std::size_t lag) {
        double both = 0, older = 0, sumB = 0;
        for (std::size_t i = 0; i < frame; ++i) {
            const double b = at(i + lag);
            both += newest[i] * b;
            older += b * b;
            sumB += b;
        }
        both -= sumA * sumB / count;
        older -= sumB * sumB / count;
        return newer > 0 && older > 0 ? both / std::sqrt(newer * older) : 0.0;
    };
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
