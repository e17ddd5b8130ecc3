#include "microphone.h"

#include "generated/product.h"
#include "support/sound/sdl_audio_start.h"
#include "support/sound/sound_libraries.h"
#include "support/sound/sound_server.h"
#include "support/sound/sound_way.h"

namespace {
// How often an open device is looked at to see whether it went away.
constexpr std::chrono::milliseconds kWatchInterval(100);
// SDL's audio is started and ended by one thread at a time (a second microphone of the same
// program, as the benchmark has, would race it).
std::mutex g_sdlAudio;
} // namespace

Microphone::Microphone(Consumer consumer, std::chrono::milliseconds retryInterval)
    : consumer_(std::move(consumer)), retryInterval_(retryInterval) {
    thread_ = std::thread([this] { run(); });
}

Microphone::~Microphone() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

QString Microphone::describe(State state) {
    switch (state) {
    case State::Opening:
        return QStringLiteral("Opening the input…");
    case State::Listening:
        return {};
    case State::NoDevice:
        return QStringLiteral("No input found: no microphone or other input is there. Waiting "
                              "for one.");
    case State::Refused:
        return QStringLiteral("Access to the input was refused. Trying again every second.");
    case State::CannotOpen:
        return QStringLiteral("The input is there but cannot be opened: it may be in use. Trying "
                              "again every second.");
    case State::Lost:
        return QStringLiteral("The input went away. Waiting for it to come back.");
    }
    return {};
}

void Microphone::choose(const QByteArray& input, int channel) {
    {
        std::lock_guard lock(mutex_);
        if (channel_.exchange(channel) != channel)
            freshChannel_ = true; // the note before was heard in another channel
        if (input == input_)
            return;
        input_ = input;
        chosen_ = true;
    }
    wake_.notify_all();
}

SoundServer::Devices Microphone::devices() const {
    std::lock_guard lock(mutex_);
    return server_ ? server_->devices() : SoundServer::Devices{};
}

unsigned Microphone::deviceChanges() const {
    std::lock_guard lock(mutex_);
    return server_ ? server_->changes() + 1 : 0;
}

void Microphone::run() {
    const SoundLibraries& lib = soundLibraries();
    unsigned device = 0;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (server_ && chosen_) {
            chosen_ = false;
            server_->record(input_, [this](const float* samples, std::size_t frames, int channels,
                                           bool fresh) { take(samples, frames, channels, fresh); });
        }
        lock.unlock();
        if (server_) {
            watchServer();
        } else if (device == 0) {
            std::unique_ptr<SoundServer> server;
            if (soundWay() == SoundWay::Automatic &&
                (server = SoundServer::connect(TUNER_TITLE " Listen"))) {
                lock.lock();
                server_ = std::move(server);
                chosen_ = true; // its stream is opened at the top of the loop
                lock.unlock();
            } else if (!lib.haveSdl) {
                state_ = State::NoDevice;
            } else {
                std::lock_guard audio(g_sdlAudio);
                device = openSdl();
            }
        } else if (lib.SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED) {
            std::lock_guard audio(g_sdlAudio);
            // Closed and the audio subsystem ended, so that the next attempt finds devices anew.
            lib.SDL_CloseAudioDevice(device);
            lib.SDL_QuitSubSystem(SDL_INIT_AUDIO);
            device = 0;
            state_ = State::Lost;
        }
        lock.lock();
        wake_.wait_for(lock, device != 0 || server_ ? kWatchInterval : retryInterval_,
                       [this] { return stopping_ || (server_ && chosen_); });
    }
    std::unique_ptr<SoundServer> server = std::move(server_);
    lock.unlock();
    server.reset(); // no sample is taken after this
    if (device != 0) {
        std::lock_guard audio(g_sdlAudio);
        lib.SDL_CloseAudioDevice(device);
        lib.SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (lib.haveSdl)
        lib.SDL_TLSCleanup();
}

void Microphone::watchServer() {
    switch (server_->recordState()) {
    case SoundServer::StreamState::Open:
        state_ = State::Listening;
        heard_ = true;
        return;
    case SoundServer::StreamState::Refused:
        state_ = State::Refused;
        return;
    case SoundServer::StreamState::Failed:
        state_ = State::CannotOpen;
        return;
    case SoundServer::StreamState::Waiting:
        state_ = server_->devices().inputs.empty() ? State::NoDevice
                 : heard_                          ? State::Lost
                                                   : State::Opening;
        return;
    }
}

unsigned Microphone::openSdl() {
    // Without a sound server, SDL goes straight to ALSA; as it chooses only where asked to.
    switch (startSdlAudio(TUNER_TITLE " Listen",
                          soundWay() == SoundWay::Automatic ? "alsa" : nullptr)) {
    case SdlAudioStart::Started:
        break;
    case SdlAudioStart::NoSink: // a source may be there, but SDL cannot be started to open it
        state_ = State::CannotOpen;
        return 0;
    case SdlAudioStart::NoSource:
    case SdlAudioStart::Failed:
        state_ = State::NoDevice;
        return 0;
    }
    const SoundLibraries& lib = soundLibraries();
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 1;
    want.samples = 1024; // 21 ms: half the wake-ups of 512, and soon enough for the needle
    want.callback = &Microphone::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // SDL converts from whatever the device gives.
    const SDL_AudioDeviceID device = lib.SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (device == 0) {
        state_ = lib.SDL_GetNumAudioDevices(1) > 0 ? State::CannotOpen : State::NoDevice;
        lib.SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    state_ = State::Listening;
    freshDevice_ = true;
    lib.SDL_PauseAudioDevice(device, 0);
    return device;
}

void Microphone::take(const float* samples, std::size_t frames, int channels, bool fresh) {
    fresh = freshChannel_.exchange(false) || fresh;
    const int channel = channel_.load();
    if (channels == 1) {
        consumer_(samples, frames, fresh);
        return;
    }
    mono_.resize(frames);
    if (channel >= 0 && channel < channels) {
        for (std::size_t f = 0; f < frames; ++f)
            mono_[f] = samples[f * std::size_t(channels) + std::size_t(channel)];
    } else {
        for (std::size_t f = 0; f < frames; ++f) {
            float sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += samples[f * std::size_t(channels) + std::size_t(c)];
            mono_[f] = sum / float(channels);
        }
    }
    consumer_(mono_.data(), frames, fresh);
}

void Microphone::callback(void* user, unsigned char* stream, int bytes) {
    auto* self = static_cast<Microphone*>(user);
    self->consumer_(reinterpret_cast<const float*>(stream), std::size_t(bytes) / sizeof(float),
                    self->freshDevice_.exchange(false));
}
