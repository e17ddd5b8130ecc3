#include "sound_output.h"

#include "generated/product.h"
#include "support/sound/sdl_audio_start.h"
#include "support/sound/sound_libraries.h"
#include "support/sound/sound_server.h"
#include "support/sound/sound_way.h"

SoundOutput::SoundOutput(int bufferFrames, std::chrono::milliseconds retryInterval)
    : bufferFrames_(bufferFrames), retryInterval_(retryInterval) {}

SoundOutput::~SoundOutput() {
    if (helper_.joinable())
        helper_.join();
    server_.reset(); // its stream ends with it
    if (!sdlStarted_)
        return; // SDL was never touched
    const SoundLibraries& lib = soundLibraries();
    if (const unsigned device = sdlDevice_.load())
        lib.SDL_CloseAudioDevice(device);
    lib.SDL_Quit(); // also frees SDL's hints
}

void SoundOutput::play(const QString& path, Sound::Playback playback) {
    {
        std::lock_guard lock(mutex_);
        if (!ready_) {
            // Only the latest call matters: each one ends the one before.
            waiting_ = {path, playback, true};
            startHelper();
            return;
        }
    }
    if (needsDevice())
        startHelper();
    mixer_.start(cache_.load(path), playback == Sound::Playback::Looping);
}

void SoundOutput::allowLoading() {
    held_ = false;
    std::lock_guard lock(mutex_);
    if (!ready_ && waiting_.waiting)
        startHelper();
}

// A server's stream looks after itself; SDL's device is opened again when it could not be
// opened or has stopped (unplugged).
bool SoundOutput::needsDevice() const {
    if (haveServer_.load() || helping_.load())
        return false;
    const unsigned device = sdlDevice_.load();
    return device == 0 || soundLibraries().SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED;
}

void SoundOutput::startHelper() {
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
        openDevice();
        playWaitingRequest();
        helping_ = false;
    });
}

void SoundOutput::openDevice() {
    if (soundWay() == SoundWay::Automatic) {
        if (std::unique_ptr<SoundServer> server = SoundServer::connect(TUNER_TITLE)) {
            server->play([this](float* out, int frames) { mixer_.render(out, frames); },
                         [this] { mixer_.endOnce(); }, bufferFrames_);
            server_ = std::move(server);
            haveServer_ = true;
            return;
        }
    }
    const SoundLibraries& lib = soundLibraries();
    if (!lib.haveSdl)
        return;
    openSdlDevice();
    lib.SDL_TLSCleanup(); // SDL's per-thread state (its error text) of this helper thread
}

void SoundOutput::openSdlDevice() {
    const SoundLibraries& lib = soundLibraries();
    if (const unsigned lost = sdlDevice_.exchange(0)) {
        // Closed and the audio subsystem ended, so that the next start finds devices anew.
        lib.SDL_CloseAudioDevice(lost);
        lib.SDL_QuitSubSystem(SDL_INIT_AUDIO);
        mixer_.endOnce();
    }
    // Without a sound server, SDL goes straight to ALSA (and so never starts on a server that
    // appeared meanwhile, which can crash it); as it chooses only where asked to.
    if (startSdlAudio(TUNER_TITLE, soundWay() == SoundWay::Automatic ? "alsa" : nullptr) !=
        SdlAudioStart::Started)
        return; // a later call tries again
    sdlStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = Uint16(bufferFrames_);
    want.callback = &SoundOutput::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // SDL converts to whatever the device really takes; the mixer always runs at 48 kHz.
    const SDL_AudioDeviceID device = lib.SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device != 0) {
        lib.SDL_PauseAudioDevice(device, 0);
        sdlDevice_ = device;
    } else {
        lib.SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

// Plays the call that came while the libraries were loading, unless a newer one came while it
// was being decoded; from then on calls play directly.
void SoundOutput::playWaitingRequest() {
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

void SoundOutput::callback(void* user, unsigned char* stream, int bytes) {
    auto* self = static_cast<SoundOutput*>(user);
    self->mixer_.render(reinterpret_cast<float*>(stream), bytes / int(2 * sizeof(float)));
}
