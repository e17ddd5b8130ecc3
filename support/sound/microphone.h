#pragma once
// The default capture device, through SDL as the sound output uses it, as mono samples at
// 48 kHz. A thread of its own opens it and watches it: while there is no device, access is
// refused or the device went away, it tries again every second, so a device that appears later
// is used; nothing the caller does waits for it.

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>

class Microphone {
  public:
    static constexpr int kRate = 48000;
    enum class State { Opening, Listening, NoDevice, Refused, Lost };
    // Takes the samples as they arrive, on SDL's audio thread.
    using Consumer = std::function<void(const float* samples, std::size_t count)>;

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
    // Opens the device; its id, or 0 with the state saying why not.
    unsigned open();
    static void callback(void* user, unsigned char* stream, int bytes);

    Consumer consumer_;
    const std::chrono::milliseconds retryInterval_;
    std::atomic<State> state_{State::Opening};
    std::mutex mutex_; // guards stopping_
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};
