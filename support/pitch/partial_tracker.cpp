#include "partial_tracker.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCentsPerLog = 1200 / M_LN2;
// A partial counts where the line through its phases gives its frequency to within this many
// cents, and where it has at least this share of the strongest partial's power (-50 dB).
constexpr double kUsableCents = 3;
constexpr double kLeastPowerShare = 1e-5;
// The first partial counts only where it has at least this share of the strongest partial's
// power (-20 dB): weaker, its frequency is inferred from the others (a small microphone's, or an
// instrument whose body barely sounds its lowest partial).
constexpr double kLeastFirstShare = 0.01;
// The most the room adds, against a note's partials, in the bands between them (-10 dB).
constexpr double kRoomShare = 0.1;
// What the law of a stiff string may miss in a real one, in cents: the first partial's own line
// outweighs the law wherever it is known better than this.
constexpr double kLawCents = 0.02;
// Below this a spread means an exact signal, not a better one: no partial outweighs the rest
// without end.
constexpr double kLeastSpreadCents = 1e-6;
// A plucked string's partials glide and jolt in its first moments (the pluck's thump, the
// tension's swing), louder than ever after: weighed by their power, those phases would hold the
// line for its whole span. They count fully while the note is young and nothing later can give
// it, then fade out of the line between these ages of the note (seconds).
constexpr double kAttackPhaseSeconds = 0.25;
constexpr double kAttackFadeFrom = 0.3, kAttackFadeTo = 0.6;
// A line needs this many phases.
constexpr std::size_t kLeastPhases = 3;
// The running means' length: whole periods of the note within this share of a whole number of
// samples, so that their zeros lie on the partials.
constexpr double kLengthTolerance = 0.002;
constexpr int kShortestMean = 24;
// A running mean lasts whole periods, at least this long (seconds): each partial's band is then
// no wider than 50 Hz, and neighbours that are no partials (hum, noise) mostly stay out of it.
constexpr double kLeastMeanSeconds = 0.02;
// How many running means in a row: each more puts a zero of one order higher on every other
// partial, and makes the window a period longer.
constexpr int kMeans = 2;
// A note found to lie this far (cents) from the frequency its partials are followed at is
// followed anew at its own, in its first moments: the means' zeros then lie on its partials.
// Later only a note that moved far is: following anew gives another line through the phases, and
// a reading that jumps.
constexpr double kRetuneCents = 2;
constexpr double kRetuneSeconds = 0.15;
constexpr double kMovedCents = 15;

// Running means of length samples in a row: a window of kMeans (length - 1) + 1 samples,
// summing to 1.
std::vector<double> runningMeans(int length) {
    std::vector<double> w(std::size_t(length), 1.0);
    for (int pass = 1; pass < kMeans; ++pass) {
        std::vector<double> next(w.size() + std::size_t(length) - 1, 0.0);
        for (std::size_t i = 0; i < w.size(); ++i)
            for (int j = 0; j < length; ++j)
                next[i + std::size_t(j)] += w[i];
        w = std::move(next);
    }
    double sum = 0;
    for (double x : w)
        sum += x;
    for (double& x : w)
        x /= sum;
    return w;
}

} // namespace

void PartialTracker::start(double frequency, std::size_t clean, const SampleHistory& history) {
    active_ = true;
    frequency_ = frequency;
    clean_ = clean;
    const double period = rate_ / frequency;
    const int fewest = std::max(1, int(std::ceil(kLeastMeanSeconds * rate_ / period - 0.25)));
    int periods = fewest;
    double best = INFINITY;
    for (int k = fewest; k <= fewest + 7; ++k) {
        const double n = k * period;
        const double error = std::abs(n - std::round(n)) / n;
        if (n < kShortestMean || error >= best)
            continue;
        best = error;
        periods = k;
        if (error <= kLengthTolerance)
            break;
    }
    length_ = std::max(2, int(std::lround(periods * period)));
    const std::vector<double> window = runningMeans(length_);
    partials_.clear();
    for (int h = 1; h <= kPartials; ++h) {
        Partial p;
        p.omega = 2 * M_PI * h * frequency / rate_;
        if (p.omega > 0.9 * M_PI)
            break;
        p.kernel.resize(window.size());
        for (std::size_t n = 0; n < window.size(); ++n)
            p.kernel[n] = std::polar(window[n], -p.omega * double(n));
        partials_.push_back(std::move(p));
    }
    // The windows that already fit in the note, a hop apart, ending with the newest.
    lastEnd_ = 0;
    const std::size_t size = partials_.empty() ? 0 : partials_.front().kernel.size();
    const std::size_t now = history.written;
    if (partials_.empty() || now < clean + size)
        return;
    const std::size_t reach = std::min(now - clean - size, std::size_t(kSpan * rate_));
    for (std::size_t back = reach / hop_ * hop_;; back -= hop_) {
        take(history, now - back);
        if (back < hop_)
            break;
    }
}

PartialTracker::Estimate PartialTracker::update(const SampleHistory& history) {
    if (!active_ || partials_.empty())
        return {};
    const std::size_t now = history.written;
    if (now < clean_ + partials_.front().kernel.size())
        return {};
    if (lastEnd_ != now)
        take(history, now);
    Estimate e = combine();
    // Followed at a frequency far from its own, the note's partials lie off the means' zeros.
    const double away = std::abs(1200 * std::log2(e.frequency / frequency_));
    const bool young = double(now - clean_) < kRetuneSeconds * rate_;
    if (e.frequency > 0 && away > 3 * e.spread && away > (young ? kRetuneCents : kMovedCents)) {
        start(e.frequency, clean_, history);
        e = combine();
    }
    return e;
}

void PartialTracker::take(const SampleHistory& history, std::size_t end) {
    const std::size_t size = partials_.front().kernel.size();
    const std::size_t first = end - size; // the window's oldest sample
    const std::size_t centre = first + size / 2;
    lastEnd_ = end;
    for (Partial& p : partials_) {
        std::complex<double> z;
        for (std::size_t n = 0; n < size; ++n)
            z += p.kernel[n] * double(history.sample(first + n));
        // Turned back by the expected frequency from the note's start: a partial at exactly that
        // frequency keeps its phase.
        z *= std::polar(1.0, -std::fmod(p.omega * double(first - clean_), 2 * M_PI));
        const double arg = std::arg(z);
        const double unwrapped = p.phases.empty() ? arg
                                                  : p.phases.back().unwrapped +
                                                        std::remainder(arg - p.lastArg, 2 * M_PI);
        p.lastArg = arg;
        p.power = std::norm(z);
        p.phases.push_back({centre, unwrapped, p.power});
        const std::size_t span = std::size_t(kSpan * rate_);
        const auto stale = std::find_if(p.phases.begin(), p.phases.end(),
                                        [&](const Phase& x) { return x.time + span >= centre; });
        p.phases.erase(p.phases.begin(), stale);
        fit(p, centre);
    }
}

// A line through the partial's phases, each weighed by its power (its attack's less and less as
// the note settles).
void PartialTracker::fit(Partial& p, std::size_t now) {
    p.frequency = 0;
    if (p.phases.size() < kLeastPhases)
        return;
    const double age = double(now - clean_) / rate_;
    const double attackShare =
        std::clamp((kAttackFadeTo - age) / (kAttackFadeTo - kAttackFadeFrom), 0.0, 1.0);
    const std::size_t attackEnd = clean_ + std::size_t(kAttackPhaseSeconds * rate_);
    const auto weight = [&](const Phase& x) {
        return x.time < attackEnd ? attackShare * x.power : x.power;
    };
    double sw = 0, st = 0, sp = 0, sw2 = 0;
    for (const Phase& x : p.phases) {
        const double w = weight(x);
        sw += w;
        sw2 += w * w;
        st += w * -double(now - x.time);
        sp += w * x.unwrapped;
    }
    if (!(sw > 0))
        return;
    const double tMean = st / sw, pMean = sp / sw;
    double stt = 0, stp = 0;
    for (const Phase& x : p.phases) {
        const double t = -double(now - x.time) - tMean;
        stt += weight(x) * t * t;
        stp += weight(x) * t * (x.unwrapped - pMean);
    }
    if (!(stt > 0))
        return;
    const double slope = stp / stt;
    double residual = 0;
    for (const Phase& x : p.phases) {
        const double t = -double(now - x.time) - tMean;
        const double r = x.unwrapped - pMean - slope * t;
        residual += weight(x) * r * r;
    }
    // Phases a hop apart share most of their window: only as many count as fit side by side.
    const double spacing =
        double(p.phases.back().time - p.phases.front().time) / double(p.phases.size() - 1);
    const double independent =
        std::max(2.0, (sw * sw / sw2) * std::min(1.0, spacing / double(3 * length_)));
    const double slopeError = std::sqrt(residual / sw / (independent * stt / sw));
    const double omega = p.omega + slope;
    if (omega <= 0)
        return;
    p.frequency = omega * rate_ / (2 * M_PI);
    p.spread = std::max(kLeastSpreadCents, kCentsPerLog * slopeError / omega);
}

PartialTracker::Estimate PartialTracker::combine() const {
    double strongest = 0;
    for (const Partial& p : partials_)
        strongest = std::max(strongest, p.power);
    // The partials heard well enough, as g_h = (f_h / h)^2 relative to the expected first
    // partial's, each weighed by how well its own line gives it.
    struct Point {
        double u, g, w; // h^2, g_h, weight
    };
    std::vector<Point> points;
    const Partial* first = nullptr;
    const double scale = frequency_ * frequency_;
    for (std::size_t i = 0; i < partials_.size(); ++i) {
        const Partial& p = partials_[i];
        if (p.frequency <= 0 || p.spread > kUsableCents ||
            p.power < (i == 0 ? kLeastFirstShare : kLeastPowerShare) * strongest)
            continue;
        const double h = double(i + 1);
        const double g = (p.frequency / h) * (p.frequency / h) / scale;
        const double sigma = 2 * g * p.spread / kCentsPerLog;
        points.push_back({h * h, g, 1 / (sigma * sigma)});
        if (i == 0)
            first = &p;
    }
    if (points.empty())
        return {};
    // The law's line g_h = C + D h^2 (D = C B, B >= 0: a string is stiff, never the other way),
    // f1 = sqrt(C + D); its error grows where the partials stray from the law more than their
    // own lines allow.
    double s0 = 0, s1 = 0, s2 = 0, t0 = 0, t1 = 0;
    for (const Point& x : points) {
        s0 += x.w;
        s1 += x.w * x.u;
        s2 += x.w * x.u * x.u;
        t0 += x.w * x.g;
        t1 += x.w * x.u * x.g;
    }
    const double det = s0 * s2 - s1 * s1;
    double c = t0 / s0, d = 0, variance = 1 / s0;
    if (points.size() >= 3 && det > 1e-12 * s0 * s2) {
        const double slope = (s0 * t1 - s1 * t0) / det;
        if (slope > 0) {
            c = (t0 * s2 - t1 * s1) / det;
            d = slope;
            variance = std::max(0.0, (s2 + s0 - 2 * s1) / det);
        }
    }
    double misfit = 0;
    for (const Point& x : points)
        misfit += x.w * (x.g - c - d * x.u) * (x.g - c - d * x.u);
    const std::size_t freedom = points.size() - (d > 0 ? 2 : 1);
    if (freedom > 0)
        variance *= std::max(1.0, misfit / double(freedom));
    const double squared = c + d;
    if (squared <= 0)
        return {};
    const double law = std::sqrt(squared * scale);
    const double lawSpread =
        std::hypot(kCentsPerLog * std::sqrt(variance) / (2 * squared), kLawCents);
    Estimate e;
    e.partials = int(points.size());
    // Heard clearly: its line fits its phases. Of a note an octave higher than the one followed,
    // the even partials are heard clearly and the odd ones not at all: what lies in their bands
    // (the first partial's too) is the room's, off their frequencies and below the even ones.
    const auto clear = [&](const Partial& p) {
        return p.frequency > 0 && p.spread <= kUsableCents &&
               p.power >= kLeastPowerShare * strongest;
    };
    for (std::size_t i = 0; i < partials_.size(); ++i) {
        e.power[i] = partials_[i].power;
        e.clear[i] = clear(partials_[i]);
    }
    int even = 0, odd = 0;
    double loudestOdd = 0, loudestEven = 0;
    for (std::size_t i = 1; i < partials_.size(); ++i) {
        (i % 2 == 1 ? even : odd) += e.clear[i];
        (i % 2 == 0 ? loudestOdd : loudestEven) =
            std::max(i % 2 == 0 ? loudestOdd : loudestEven, e.power[i]);
    }
    e.octaveHigher = even >= 2 && odd == 0 && !e.clear.front() &&
                     partials_.front().power < loudestEven && loudestOdd < kRoomShare * loudestEven;
    if (first) {
        const double wFirst = 1 / (first->spread * first->spread);
        const double wLaw = 1 / (lawSpread * lawSpread);
        const double offset = 1200 * std::log2(law / first->frequency);
        e.frequency = first->frequency * std::exp2(wLaw * offset / (wFirst + wLaw) / 1200);
        e.spread = 1 / std::sqrt(wFirst + wLaw);
    } else {
        e.frequency = law;
        e.spread = lawSpread;
    }
    if (std::abs(1200 * std::log2(e.frequency / frequency_)) > 50)
        return {}; // not the note it followed
    return e;
}

bool PartialTracker::Estimate::heardBesidesMultiplesOf(int ratio) const {
    double own = 0, shared = 0;
    int ownPartials = 0, ownClear = 0;
    for (int h = 1; h <= kPartials; ++h) {
        const std::size_t i = std::size_t(h - 1);
        double& loudest = h % ratio ? own : shared;
        loudest = std::max(loudest, power[i]);
        if (h % ratio) {
            ++ownPartials;
            ownClear += clear[i];
        }
    }
    // Noise may lay one partial's phases on a line for a while, not most of them.
    return own >= kRoomShare * shared || 2 * ownClear > ownPartials;
}
