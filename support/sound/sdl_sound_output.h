#pragma once
#include "support/sound/mixer.h"
#include "support/sound/recording_cache.h"
#include "support/sound/sound.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

// Sound through SDL's audio device: one device, opened on a helper thread so that neither
// start-up nor a press waits for the sound libraries or the sound server, and opened again on
// a later call when it could not be opened (no server yet). Until the helper has loaded the
// libraries, the latest call waits for it and then plays; without a device calls are silent.
class SdlSoundOutput : public Sound::Output {
  public:
    // 512 frames at 48 kHz (10.7 ms): measured with bench/sound_bench on a null sink, 256
    // frames started sooner (6.7 ms median) but dropped out about once a second with both
    // cores busy; 512 started in 13.4 ms median and never dropped out, idle or busy.
    static constexpr int kBufferFrames = 512;
    static constexpr int kRate = 48000;

    // A device that could not be opened (no sound server yet) is tried again by the first call
    // after retryInterval; the sound tests shorten it.
    explicit SdlSoundOutput(int bufferFrames = kBufferFrames,
                            std::chrono::milliseconds retryInterval = std::chrono::seconds(1));
    // Holds the loading of the sound libraries back until allowLoading(): calls made before
    // then wait as they wait for the libraries (the latest plays). A program starts the
    // loading once its window is painted, so that it does not compete with the first paint.
    void holdLoading() { held_ = true; }
    void allowLoading();
    ~SdlSoundOutput() override;
    void play(const QString& path, Sound::Playback playback) override;

  private:
    struct Request {
        QString path;
        Sound::Playback playback = Sound::Playback::Once;
        bool waiting = false;
    };
    void startHelper();
    void openDevice();
    void playWaitingRequest();
    static void callback(void* user, unsigned char* stream, int bytes);

    const int bufferFrames_;
    const std::chrono::milliseconds retryInterval_;
    Mixer mixer_{kRate};
    // Used by the helper until ready_ is set (under mutex_), then by the calling thread only.
    RecordingCache cache_;
    std::thread helper_;
    std::atomic<bool> helping_{false};
    bool held_ = false; // used on the calling thread only
    std::atomic<unsigned> device_{0};
    std::chrono::steady_clock::time_point lastAttempt_{};
    std::mutex mutex_;   // guards ready_ and waiting_
    bool ready_ = false; // the libraries are loaded and the first request handled
    Request waiting_;
};
