#pragma once
// The sound server (PulseAudio, or PipeWire through its PulseAudio service), through libpulse on
// a thread of libpulse's own. The connection is kept: when the server goes away it is made again
// as soon as the server answers, and the streams asked for are opened again whenever a device
// for them is there. Whatever the server and its devices do, the caller sees only the devices
// there are and the state of its streams.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;
struct SoundLibraries;

class SoundServer {
  public:
    static constexpr int kRate = 48000;

    struct Input {
        QByteArray name;     // the server's own name for it
        QString description; // as the server describes it to people
        int channels = 1;
        bool monitor = false; // it hears what an output plays
    };
    struct Devices {
        bool connected = false;
        bool haveOutput = false;
        QByteArray defaultInput;
        std::vector<Input> inputs; // inputs of their own first, then the outputs' monitors
        bool operator==(const Devices& other) const;
    };
    enum class StreamState {
        Waiting, // for the server, or for a device to open it on
        Open,
        Refused, // the server refused access
        Failed,  // the device could not be opened
    };

    // Fills frames of interleaved stereo, on the server's thread.
    using Render = std::function<void(float* stereo, int frames)>;
    // Takes frames of interleaved samples in the input's own channels, on the server's thread;
    // fresh for the first after a stream was opened or samples were lost (nothing before them
    // goes on in them).
    using Capture =
        std::function<void(const float* samples, std::size_t frames, int channels, bool fresh)>;

    // Connects to the server the environment names, waiting at most a second for its answer.
    // Null where none answers: there is no server to wait for, and sound takes another way.
    static std::unique_ptr<SoundServer> connect(const char* appName);
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    Devices devices() const;
    // Counts the changes of devices(): a caller sees a change without comparing lists.
    unsigned changes() const { return changes_.load(); }

    // Keeps a stream of bufferFrames (at 48 kHz) open on the default output from now on, calling
    // render for its samples; resumed runs once before a stream that follows a lost one.
    void play(Render render, std::function<void()> resumed, int bufferFrames);
    // Keeps a stream open on the named input (empty: the default one, followed as it changes);
    // a new call replaces the stream before.
    void record(const QByteArray& input, Capture capture);
    StreamState playbackState() const { return playback_.state.load(); }
    StreamState recordState() const { return recording_.state.load(); }

  private:
    struct Stream {
        pa_stream* stream = nullptr;
        bool wanted = false;
        bool lost = false;  // a stream was open and went away
        bool fresh = false; // the next samples follow no others
        QByteArray input;
        std::atomic<StreamState> state{StreamState::Waiting};
    };
    explicit SoundServer(const char* appName);
    void connectContext();
    void contextChanged();
    void refresh();
    void listed();
    void publish();
    void reconcile();
    void openPlayback();
    void openRecording();
    void streamChanged(Stream& slot);
    void close(Stream& slot);
    void retryIn(int milliseconds);
    void retry();
    bool inputThere(const QByteArray& name) const;
    void write(std::size_t bytes);
    void read();
    // The callbacks of libpulse, which call the members above.
    struct Callbacks;

    const SoundLibraries& pa_;
    const QByteArray appName_;
    pa_threaded_mainloop* loop_ = nullptr;
    // From here on, used with the loop's lock held.
    pa_context* context_ = nullptr;
    pa_time_event* timer_ = nullptr;
    int pendingLists_ = 0;
    bool listAgain_ = false;
    Devices next_;    // being listed
    Devices current_; // as last listed
    bool listedOnce_ = false;
    Stream playback_, recording_;
    Render render_;
    std::function<void()> resumed_;
    int bufferFrames_ = 512;
    Capture capture_;
    int recordChannels_ = 1;
    std::vector<float> buffer_;

    mutable std::mutex published_; // guards devices_ and the first answer
    Devices devices_;
    std::atomic<unsigned> changes_{0};
    std::condition_variable answer_;
    bool answered_ = false;
};
