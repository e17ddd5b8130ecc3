#include "sdl_sound_backend.h"

#include "sound_libraries.h"

namespace {
constexpr auto kRetryInterval = std::chrono::seconds(1);
}

SdlSoundBackend::SdlSoundBackend(int bufferFrames) : bufferFrames_(bufferFrames) {}

SdlSoundBackend::~SdlSoundBackend() {
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

bool SdlSoundBackend::loops(unsigned flags) {
    return (flags & Sound::SND_LOOP) && (flags & Sound::SND_ASYNC);
}

void SdlSoundBackend::play(const QString& path, unsigned flags) {
    {
        std::lock_guard lock(mutex_);
        if (!ready_) {
            // Only the latest call matters: each one ends the one before.
            waiting_ = {path, flags, true};
            startHelper();
            return;
        }
    }
    if (device_.load() == 0)
        startHelper();
    mixer_.start(cache_.load(path), loops(flags));
}

void SdlSoundBackend::startHelper() {
    const auto now = std::chrono::steady_clock::now();
    if (helping_.load() ||
        (lastAttempt_.time_since_epoch().count() != 0 && now - lastAttempt_ < kRetryInterval))
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

void SdlSoundBackend::openDevice() {
    const SoundLibraries& lib = soundLibraries();
    lib.SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Veltrosan Tuner");
    if (lib.SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        SDL_AudioSpec want{};
        want.freq = kRate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = Uint16(bufferFrames_);
        want.callback = &SdlSoundBackend::callback;
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
void SdlSoundBackend::playWaitingRequest() {
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
        auto recording = decodeWavFile(request.path);
        std::lock_guard lock(mutex_);
        if (!waiting_.waiting) {
            mixer_.start(std::move(recording), loops(request.flags));
            ready_ = true;
            return;
        }
    }
}

void SdlSoundBackend::callback(void* user, unsigned char* stream, int bytes) {
    auto* self = static_cast<SdlSoundBackend*>(user);
    self->mixer_.render(reinterpret_cast<float*>(stream), bytes / int(2 * sizeof(float)));
}
