#include "needle.h"

#include <cmath>

NeedleReading NeedleSmoother::take(double frequency) {
    if (!(frequency > 0)) {
        held_.clear(); // the sound stopped: what came just before was its end
        if (heard_ && ++quiet_ >= kQuietReadings)
            heard_ = false;
    } else {
        quiet_ = 0;
        held_.push_back(frequency);
        if (held_.size() > kEndReadings) {
            follow(held_.front());
            held_.pop_front();
        }
    }
    return {heard_, heard_ ? std::exp2(log2Frequency_) : 0};
}

void NeedleSmoother::follow(double frequency) {
    const double heard = std::log2(frequency);
    if (!heard_ || std::abs(1200 * (heard - log2Frequency_)) >= kJumpCents)
        log2Frequency_ = heard;
    else
        log2Frequency_ += kFollowShare * (heard - log2Frequency_);
    heard_ = true;
}
