#include "sdl_sound_backend.h"

#include <SDL2/SDL.h>

namespace {
constexpr auto kRetryInterval = std::chrono::seconds(1);
}

SdlSoundBackend::SdlSoundBackend(int bufferFrames) : bufferFrames_(bufferFrames) {}

SdlSoundBackend::~SdlSoundBackend() {
    if (opener_.joinable())
        opener_.join();
    if (const unsigned device = device_.load())
        SDL_CloseAudioDevice(device);
    if (lastAttempt_.time_since_epoch().count() != 0)
        SDL_Quit(); // also frees SDL's hints
}

void SdlSoundBackend::play(const QString& path, unsigned flags) {
    if (device_.load() == 0)
        openDeviceInBackground();
    const bool loop = (flags & Sound::SND_LOOP) && (flags & Sound::SND_ASYNC);
    mixer_.start(cache_.load(path), loop);
}

void SdlSoundBackend::openDeviceInBackground() {
    const auto now = std::chrono::steady_clock::now();
    if (opening_.load() ||
        (lastAttempt_.time_since_epoch().count() != 0 && now - lastAttempt_ < kRetryInterval))
        return;
    lastAttempt_ = now;
    if (opener_.joinable())
        opener_.join();
    opening_ = true;
    opener_ = std::thread([this] {
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Veltrosan Tuner");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            SDL_AudioSpec want{};
            want.freq = kRate;
            want.format = AUDIO_F32SYS;
            want.channels = 2;
            want.samples = Uint16(bufferFrames_);
            want.callback = &SdlSoundBackend::callback;
            want.userdata = this;
            SDL_AudioSpec have{};
            // SDL converts to whatever the device really takes; the mixer always runs at 48 kHz.
            const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (device != 0) {
                SDL_PauseAudioDevice(device, 0);
                device_ = device;
            } else {
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
            }
        }
        SDL_TLSCleanup(); // SDL's per-thread state (its error text) of this helper thread
        opening_ = false;
    });
}

void SdlSoundBackend::callback(void* user, unsigned char* stream, int bytes) {
    auto* self = static_cast<SdlSoundBackend*>(user);
    self->mixer_.render(reinterpret_cast<float*>(stream), bytes / int(2 * sizeof(float)));
}
