#include "listener.h"

#include "support/pitch/pitch_detector.h"

Listener::Listener(double lowestHz)
    : lowestHz_(lowestHz), detector_(std::make_unique<PitchDetector>(Microphone::kRate, lowestHz)),
      microphone_([this](const float* samples, std::size_t count, bool fresh) {
          take(samples, count, fresh);
      }) {}

Listener::~Listener() = default;

std::unique_ptr<PitchDetector> Listener::newDetector() const {
    auto detector = std::make_unique<PitchDetector>(Microphone::kRate, lowestHz_);
    detector->setTargets(targets_);
    return detector;
}

void Listener::setLowestNote(double lowestHz, std::vector<double> targets) {
    // Made before the lock is taken: the capture thread does not wait for it.
    auto detector = std::make_unique<PitchDetector>(Microphone::kRate, lowestHz);
    detector->setTargets(targets);
    std::lock_guard lock(mutex_);
    lowestHz_ = lowestHz;
    targets_ = std::move(targets);
    detector_ = std::move(detector);
    smoother_ = {};
}

Listener::Latest Listener::latest() const {
    std::lock_guard lock(mutex_);
    Latest latest = latest_;
    latest.state = microphone_.state();
    if (latest.state != Microphone::State::Listening)
        latest.needle = {}; // an input that went away leaves no note behind
    return latest;
}

void Listener::take(const float* samples, std::size_t count, bool fresh) {
    std::lock_guard lock(mutex_);
    if (fresh) {
        // The sound before a gap is no part of the note after it: heard anew.
        detector_ = newDetector();
        smoother_ = {};
    }
    readings_.clear();
    detector_->feed(samples, count, readings_);
    for (const PitchReading& reading : readings_)
        latest_.needle = smoother_.take(reading.frequency);
}
