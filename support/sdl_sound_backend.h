#pragma once
#include "mixer.h"
#include "sound.h"
#include "wav_decoder.h"

#include <atomic>
#include <chrono>
#include <thread>

// Sound through SDL's audio device: one device, opened on a helper thread at the first call so
// that neither start-up nor a press waits for the sound server, and opened again on a later
// call when it could not be opened (no server yet). Without a device calls are silent.
class SdlSoundBackend : public Sound::Backend {
  public:
    // 256 frames at 48 kHz (5.3 ms) is the smallest buffer that ran without a dropout with
    // both cores busy; see bench/ for the measurement.
    static constexpr int kBufferFrames = 256;
    static constexpr int kRate = 48000;

    SdlSoundBackend();
    ~SdlSoundBackend() override;
    void play(const QString& path, unsigned flags) override;

  private:
    void openDeviceInBackground();
    static void callback(void* user, unsigned char* stream, int bytes);

    Mixer mixer_{kRate};
    RecordingCache cache_;
    std::thread opener_;
    std::atomic<bool> opening_{false};
    std::atomic<unsigned> device_{0};
    std::chrono::steady_clock::time_point lastAttempt_{};
};
