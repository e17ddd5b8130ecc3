#pragma once
// The capture device as mono samples at 48 kHz: through the sound server where one answers
// (its connection and stream kept, as the sound output keeps its own), else the default device
// through SDL over ALSA. A thread of its own opens it and watches it: while there is no device,
// access is refused or the device went away, it tries again every second, so a device that
// appears later is used; nothing the caller does waits for it.

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

class SoundServer;

class Microphone {
  public:
    static constexpr int kRate = 48000;
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
    std::vector<float> mono_; // on the sound thread
    std::mutex mutex_;        // guards stopping_
    std::condition_variable wake_;
    bool stopping_ = false;
    std::unique_ptr<SoundServer> server_;  // the thread's
    bool heard_ = false;                   // the thread's: the input was open once
    std::atomic<bool> freshDevice_{false}; // an SDL device was just opened
    std::thread thread_;
};
