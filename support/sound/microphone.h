#pragma once
// The capture device as mono samples at 48 kHz: through the sound server where one answers
// (its connection and stream kept, as the sound output keeps its own), else the default device
// through SDL over ALSA. A thread of its own opens it and watches it: while there is no device,
// access is refused or the device went away, it tries again every second, so a device that
// appears later is used; nothing the caller does waits for it.

#include "support/sound/sound_server.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class Microphone {
  public:
    static constexpr int kRate = 48000;
    // The channel that means all of an input's channels, mixed.
    static constexpr int kAllChannels = -1;
    enum class State { Opening, Listening, NoDevice, Refused, CannotOpen, Lost };
    // Takes the samples as they arrive, on the sound thread; fresh where they do not follow the
    // samples before (a device opened anew, samples lost).
    using Consumer = std::function<void(const float* samples, std::size_t count, bool fresh)>;

    explicit Microphone(Consumer consumer,
                        std::chrono::milliseconds retryInterval = std::chrono::seconds(1));
    ~Microphone();
    Microphone(const Microphone&) = delete;
    Microphone& operator=(const Microphone&) = delete;

    State state() const { return state_.load(); }
    // What the state means to the user, in plain words; empty while listening.
    static QString describe(State state);

    // Hears the named input (empty: the default, followed as it changes) and, of its channels,
    // the one counted from 0 or all of them mixed. An input that is not there is waited for.
    // Only the sound server offers a choice: without one, the default device is heard.
    void choose(const QByteArray& input, int channel);
    // The inputs the server lists: none where no server answers (yet).
    SoundServer::Devices devices() const;
    // Counts the changes of devices(), so that a caller sees one without comparing lists.
    unsigned deviceChanges() const;

  private:
    void run();
    // Where no server answers: the default device through SDL. Its id, or 0 with the state
    // saying why not.
    unsigned openSdl();
    void watchServer();
    // The input's frames, in its channels, to mono samples for the consumer.
    void take(const float* samples, std::size_t frames, int channels, bool fresh);
    static void callback(void* user, unsigned char* stream, int bytes);

    Consumer consumer_;
    const std::chrono::milliseconds retryInterval_;
    std::atomic<State> state_{State::Opening};
    std::vector<float> mono_;  // on the sound thread
    mutable std::mutex mutex_; // guards stopping_, the choice and server_ (set by the thread)
    std::condition_variable wake_;
    bool stopping_ = false;
    QByteArray input_;
    bool chosen_ = false; // the input chosen is not yet asked of the server
    std::atomic<int> channel_{kAllChannels};
    std::atomic<bool> freshChannel_{false};
    std::unique_ptr<SoundServer> server_;
    bool heard_ = false;                   // the thread's: the input was open once
    std::atomic<bool> freshDevice_{false}; // an SDL device was just opened
    std::thread thread_;
};
