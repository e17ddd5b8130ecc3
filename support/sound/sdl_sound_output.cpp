#include "sdl_sound_output.h"

#include "generated/product.h"
#include "support/sound/sdl_audio_start.h"
#include "support/sound/sound_libraries.h"

SdlSoundOutput::SdlSoundOutput(int bufferFrames, std::chrono::milliseconds retryInterval)
    : bufferFrames_(bufferFrames), retryInterval_(retryInterval) {}

SdlSoundOutput::~SdlSoundOutput() {
    if (helper_.joinable())
        helper_.join();
    if (lastAttempt_.time_since_epoch().count() == 0)
        return; // SDL was never touched
    const SoundLibraries& lib = soundLibraries();
    if (!lib.haveSdl)
        return;
    if (const unsigned device = device_.load())
        lib.SDL_CloseAudioDevice(device);
    lib.SDL_Quit(); // also frees SDL's hints
}

void SdlSoundOutput::play(const QString& path, Sound::Playback playback) {
    {
        std::lock_guard lock(mutex_);
        if (!ready_) {
            // Only the latest call matters: each one ends the one before.
            waiting_ = {path, playback, true};
            startHelper();
            return;
        }
    }
    if (device_.load() == 0)
        startHelper();
    mixer_.start(cache_.load(path), playback == Sound::Playback::Looping);
}

void SdlSoundOutput::allowLoading() {
    held_ = false;
    std::lock_guard lock(mutex_);
    if (!ready_ && waiting_.waiting)
        startHelper();
}

void SdlSoundOutput::startHelper() {
    if (held_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (helping_.load() ||
        (lastAttempt_.time_since_epoch().count() != 0 && now - lastAttempt_ < retryInterval_))
        return;
    lastAttempt_ = now;
    if (helper_.joinable())
        helper_.join();
    helping_ = true;
    helper_ = std::thread([this] {
        if (soundLibraries().haveSdl)
            openDevice();
        playWaitingRequest();
        helping_ = false;
    });
}

void SdlSoundOutput::openDevice() {
    const SoundLibraries& lib = soundLibraries();
    if (startSdlAudio(TUNER_TITLE) == SdlAudioStart::Started) { // else a later call tries again
        SDL_AudioSpec want{};
        want.freq = kRate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = Uint16(bufferFrames_);
        want.callback = &SdlSoundOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // SDL converts to whatever the device really takes; the mixer always runs at 48 kHz.
        const SDL_AudioDeviceID device = lib.SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device != 0) {
            lib.SDL_PauseAudioDevice(device, 0);
            device_ = device;
        } else {
            lib.SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    lib.SDL_TLSCleanup(); // SDL's per-thread state (its error text) of this helper thread
}

// Plays the call that came while the libraries were loading, unless a newer one came while it
// was being decoded; from then on calls play directly.
void SdlSoundOutput::playWaitingRequest() {
    for (;;) {
        Request request;
        {
            std::lock_guard lock(mutex_);
            if (ready_)
                return;
            if (!waiting_.waiting) {
                ready_ = true;
                return;
            }
            request = waiting_;
            waiting_.waiting = false;
        }
        auto recording = cache_.load(request.path);
        std::lock_guard lock(mutex_);
        if (!waiting_.waiting) {
            mixer_.start(std::move(recording), request.playback == Sound::Playback::Looping);
            ready_ = true;
            return;
        }
    }
}

void SdlSoundOutput::callback(void* user, unsigned char* stream, int bytes) {
    auto* self = static_cast<SdlSoundOutput*>(user);
    self->mixer_.render(reinterpret_cast<float*>(stream), bytes / int(2 * sizeof(float)));
}
