#include "listener.h"

#include "support/pitch/pitch_detector.h"

Listener::Listener(double lowestHz)
    : detector_(std::make_unique<PitchDetector>(Microphone::kRate, lowestHz)),
      microphone_([this](const float* samples, std::size_t count) { take(samples, count); }) {}

Listener::~Listener() = default;

void Listener::setLowestNote(double lowestHz) {
    auto detector = std::make_unique<PitchDetector>(Microphone::kRate, lowestHz);
    std::lock_guard lock(mutex_);
    detector_ = std::move(detector);
    smoother_ = {};
}

Listener::Latest Listener::latest() const {
    std::lock_guard lock(mutex_);
    Latest latest = latest_;
    latest.state = microphone_.state();
    return latest;
}

void Listener::take(const float* samples, std::size_t count) {
    std::lock_guard lock(mutex_);
    readings_.clear();
    detector_->feed(samples, count, readings_);
    for (const PitchReading& reading : readings_)
        latest_.needle = smoother_.take(reading.frequency);
}
