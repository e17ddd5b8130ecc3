#include "needle.h"

#include <cmath>

NeedleReading NeedleSmoother::take(double frequency) {
    if (!(frequency > 0)) {
        if (heard_ && ++quiet_ >= kQuietReadings)
            heard_ = false;
        return {heard_, heard_ ? std::exp2(log2Frequency_) : 0};
    }
    quiet_ = 0;
    const double heard = std::log2(frequency);
    if (!heard_ || std::abs(1200 * (heard - log2Frequency_)) >= kJumpCents)
        log2Frequency_ = heard;
    else
        log2Frequency_ += kFollowShare * (heard - log2Frequency_);
    heard_ = true;
    return {true, std::exp2(log2Frequency_)};
}
