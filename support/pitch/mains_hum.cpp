#include "mains_hum.h"

#include <algorithm>
#include <cmath>

namespace {

// The mains frequencies, and the multiples the hum's period can be taken at: how near one (cents)
// a pitch is taken for hum. The mains stay within a few cents of their frequency; every note of
// the scale lies at least 35 cents from these.
constexpr double kMains[] = {50, 60};
constexpr double kHumMultiples[] = {1, 2, 3, 4};
constexpr double kHumCents = 6;
// Each period adds this share of itself to the averages: of about a second, and a quarter.
constexpr double kSlow = 1.0 / 50, kFast = 1.0 / 12;
// The harmonics followed (up to 600 Hz, where nearly all of a hum lies), how often the hum taken
// away is made anew (seconds),
// and how far the two averages of a harmonic may differ for it to be hum. A harmonic's share of
// what is taken away moves by a step at a time: no click where hum is found or lost.
constexpr int kHarmonics = 12;
constexpr double kUpdateSeconds = 0.1;
constexpr double kAgreement = 0.25;
constexpr double kShareStep = 0.25;
// Quieter harmonics (about -90 dBFS) are not worth taking away.
constexpr double kQuietest = 3e-5;

} // namespace

MainsHum::MainsHum(int rate) : updateEvery_(std::size_t(kUpdateSeconds * rate)) {
    for (double mains : kMains) {
        Mains m;
        while (m.periods < 10 &&
               std::abs(rate * m.periods / mains - std::round(rate * m.periods / mains)) > 1e-9)
            ++m.periods;
        m.length = std::size_t(std::lround(rate * m.periods / mains));
        m.slow.assign(m.length, 0.0);
        m.fast.assign(m.length, 0.0);
        m.hum.assign(m.length, 0.0);
        m.share.assign(std::size_t(kHarmonics), 0.0);
        mains_.push_back(std::move(m));
    }
}

float MainsHum::take(float sample) {
    double out = sample;
    for (Mains& m : mains_) {
        m.slow[m.at] += kSlow * (sample - m.slow[m.at]);
        m.fast[m.at] += kFast * (sample - m.fast[m.at]);
        out -= m.hum[m.at];
        if (++m.at == m.length)
            m.at = 0;
    }
    if (++sinceUpdate_ >= updateEvery_) {
        sinceUpdate_ = 0;
        for (Mains& m : mains_)
            update(m);
    }
    return float(out);
}

// Each harmonic of both averages; those that agree, and are loud enough, make the hum.
void MainsHum::update(Mains& m) {
    std::vector<std::complex<double>> keep;
    std::vector<int> orders;
    for (int k = 1; k <= kHarmonics; ++k) {
        const int order = k * m.periods; // in cycles over the stored length
        if (2 * order >= int(m.length))
            break;
        // A harmonic of both mains (300 Hz, 600 Hz) is the first mains' alone: not taken twice.
        if (&m != &mains_.front() && std::fmod(k * kMains[1], kMains[0]) == 0)
            continue;
        std::complex<double> slow, fast;
        const std::complex<double> turn = std::polar(1.0, -2 * M_PI * order / double(m.length));
        std::complex<double> rotor = 1;
        for (std::size_t n = 0; n < m.length; ++n) {
            slow += m.slow[n] * rotor;
            fast += m.fast[n] * rotor;
            rotor *= turn;
        }
        slow *= 2.0 / double(m.length);
        fast *= 2.0 / double(m.length);
        const bool hum =
            std::abs(slow) > kQuietest && std::abs(fast - slow) < kAgreement * std::abs(slow);
        double& share = m.share[std::size_t(k - 1)];
        share = std::clamp(share + (hum ? kShareStep : -kShareStep), 0.0, 1.0);
        if (share > 0) {
            keep.push_back(share * slow);
            orders.push_back(order);
        }
    }
    std::fill(m.hum.begin(), m.hum.end(), 0.0);
    for (std::size_t i = 0; i < keep.size(); ++i) {
        const std::complex<double> turn = std::polar(1.0, 2 * M_PI * orders[i] / double(m.length));
        std::complex<double> rotor = keep[i];
        for (std::size_t n = 0; n < m.length; ++n) {
            m.hum[n] += rotor.real();
            rotor *= turn;
        }
    }
}

bool MainsHum::isHum(double frequency) {
    for (double mains : kMains)
        for (double m : kHumMultiples)
            if (std::abs(1200 * std::log2(frequency / (mains * m))) <= kHumCents)
                return true;
    return false;
}
