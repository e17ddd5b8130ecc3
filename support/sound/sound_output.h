#pragma once
#include "support/sound/mixer.h"
#include "support/sound/recording_cache.h"
#include "support/sound/sound.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

class SoundServer;

// Sound through the sound server (or, on a machine without one, SDL over ALSA): one stream,
// opened on a helper thread so that neither start-up nor a press waits for the sound libraries
// or the server. A stream on the server is kept: it follows the default output, and when its
// device or the server goes away and comes back a loop sounds again. Without a server, the device
// is opened again by a later call when it could not be opened or was lost. Until the helper has
// loaded the libraries, the latest call waits for it and then plays; without a device calls are
// silent.
class SoundOutput : public Sound::Output {
  public:
    // 512 frames at 48 kHz (10.7 ms): measured with bench/sound_bench on a null sink, 256
    // frames started sooner but dropped out about once a second with both cores busy; 512 never
    // dropped out, idle or busy.
    static constexpr int kBufferFrames = 512;
    static constexpr int kRate = 48000;

    // A device that could not be opened is tried again by the first call after retryInterval;
    // the sound tests shorten it.
    explicit SoundOutput(int bufferFrames = kBufferFrames,
                         std::chrono::milliseconds retryInterval = std::chrono::seconds(1));
    // Holds the loading of the sound libraries back until allowLoading(): calls made before
    // then wait as they wait for the libraries (the latest plays). A program starts the
    // loading once its window is painted, so that it does not compete with the first paint.
    void holdLoading() { held_ = true; }
    void allowLoading();
    ~SoundOutput() override;
    void play(const QString& path, Sound::Playback playback) override;

  private:
    struct Request {
        QString path;
        Sound::Playback playback = Sound::Playback::Once;
        bool waiting = false;
    };
    bool needsDevice() const;
    void startHelper();
    void openDevice();
    void openSdlDevice();
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
    // Set by the helper; once there is a server it is kept, and no helper runs again.
    std::unique_ptr<SoundServer> server_;
    std::atomic<bool> haveServer_{false};
    std::atomic<unsigned> sdlDevice_{0};
    bool sdlStarted_ = false; // by the helper, or once it has ended
    std::chrono::steady_clock::time_point lastAttempt_{};
    std::mutex mutex_;   // guards ready_ and waiting_
    bool ready_ = false; // the libraries are loaded and the first request handled
    Request waiting_;
};
