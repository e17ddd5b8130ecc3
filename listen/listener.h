#pragma once
// Hears the microphone: its samples, on the capture thread, go through the pitch detector and
// the needle's smoothing; the window takes the latest result whenever it draws.

#include "listen/needle.h"
#include "support/pitch/pitch_detector.h"
#include "support/sound/microphone.h"

#include <memory>
#include <mutex>
#include <vector>

class Listener {
  public:
    struct Latest {
        Microphone::State state = Microphone::State::Opening;
        NeedleReading needle;
    };

    explicit Listener(double lowestHz);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Listens down to lowestHz from now on (the window sized to it), judging a period against
    // the strings' targets (none: any note): a new instrument.
    void setLowestNote(double lowestHz, std::vector<double> targets = {});
    Latest latest() const;
    // The input heard and its channel, and the inputs there are (see Microphone).
    void chooseInput(const QByteArray& input, int channel) { microphone_.choose(input, channel); }
    SoundServer::Devices devices() const { return microphone_.devices(); }
    unsigned deviceChanges() const { return microphone_.deviceChanges(); }

  private:
    void take(const float* samples, std::size_t count, bool fresh);
    std::unique_ptr<PitchDetector> newDetector() const;

    mutable std::mutex mutex_; // guards everything below but the microphone
    double lowestHz_;
    std::vector<double> targets_;
    std::unique_ptr<PitchDetector> detector_;
    std::vector<PitchReading> readings_;
    NeedleSmoother smoother_;
    Latest latest_;
    // Last: it starts once the rest exists and stops before the rest goes.
    Microphone microphone_;
};
