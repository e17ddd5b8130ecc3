#pragma once
// The one-voice mixer behind the sound routines. It renders interleaved stereo float frames at
// the output rate; the audio thread calls render(), any other thread start(). The two meet only
// for the swap of a pointer under a mutex, so the audio thread never waits for decoding.

#include <array>
#include <memory>
#include <mutex>
#include <vector>

struct Recording {
    std::vector<float> samples; // interleaved stereo
    int sampleRate = 48000;
    long long frameCount() const { return static_cast<long long>(samples.size() / 2); }
};

class Mixer {
  public:
    // A sound that is replaced or stopped fades out over 2 ms instead of being cut, so the
    // switch does not click; the new sound starts at full level at once.
    static constexpr int kRampMilliseconds = 2;

    explicit Mixer(int outputRate);

    // Replaces what plays; a null recording just ends it. A loop repeats sample-exactly until
    // the next call; a one-shot plays to its last sample, then silence.
    void start(std::shared_ptr<const Recording> recording, bool loop);
    void render(float* stereoOut, int frames);
    // Ends a sound that plays once, sounding or about to; a loop plays on. Called on the
    // rendering thread between two renders: a device that comes back after it was lost does not
    // play the rest of what was cut off, but a loop goes on.
    void endOnce();

  private:
    struct Voice {
        std::shared_ptr<const Recording> recording;
        bool loop = false;
        double position = 0; // in frames of the recording
        double step = 1;     // recording frames per output frame
    };
    void mix(Voice& voice, float* out, int frames, int fadeFrames);

    const int outputRate_;
    const int rampFrames_;
    std::mutex mutex_;
    Voice pending_;
    bool hasPending_ = false;
    // Recordings the audio thread let go of; freed by the next start() on the caller's thread.
    std::array<std::shared_ptr<const Recording>, 4> retired_;
    Voice current_;
    Voice fading_;
    int fadeLeft_ = 0;
};
