#include "sound_server.h"

#include "support/sound/sound_libraries.h"

#include <algorithm>
#include <chrono>
#include <sys/time.h>

namespace {

// How soon a lost server is asked for again, and a stream that could not be opened tried again.
constexpr int kReconnectMillis = 500;
// While a stream asked for is not open, the devices are looked at again this often, besides
// every change the server tells of.
constexpr int kWatchMillis = 1000;
// A server that accepts the connection but does not answer is left after this long.
constexpr auto kAnswerWait = std::chrono::seconds(1);
// The input is taken in blocks of this many frames (21 ms): soon enough for a needle.
constexpr int kCaptureFrames = 1024;

bool inputFirst(const SoundServer::Input& a, const SoundServer::Input& b) {
    return a.monitor < b.monitor;
}

} // namespace

bool SoundServer::Devices::operator==(const Devices& o) const {
    const auto same = [](const Input& a, const Input& b) {
        return a.name == b.name && a.description == b.description && a.channels == b.channels &&
               a.monitor == b.monitor;
    };
    return connected == o.connected && haveOutput == o.haveOutput &&
           defaultInput == o.defaultInput &&
           std::equal(inputs.begin(), inputs.end(), o.inputs.begin(), o.inputs.end(), same);
}

struct SoundServer::Callbacks {
    static void context(pa_context*, void* self) {
        static_cast<SoundServer*>(self)->contextChanged();
    }
    static void event(pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
        static_cast<SoundServer*>(self)->refresh();
    }
    // A list asked of a connection since left is not taken.
    static void server(pa_context* c, const pa_server_info* info, void* user) {
        auto* self = static_cast<SoundServer*>(user);
        if (c != self->context_)
            return;
        if (info && info->default_source_name)
            self->next_.defaultInput = info->default_source_name;
        self->listed();
    }
    static void sink(pa_context* c, const pa_sink_info* info, int end, void* user) {
        auto* self = static_cast<SoundServer*>(user);
        if (c != self->context_)
            return;
        if (end)
            self->listed();
        else if (info)
            self->next_.haveOutput = true;
    }
    static void source(pa_context* c, const pa_source_info* info, int end, void* user) {
        auto* self = static_cast<SoundServer*>(user);
        if (c != self->context_)
            return;
        if (end) {
            self->listed();
        } else if (info && info->name) {
            self->next_.inputs.push_back(
                {info->name, QString::fromUtf8(info->description ? info->description : info->name),
                 std::max(1, int(info->sample_spec.channels)),
                 info->monitor_of_sink != PA_INVALID_INDEX});
        }
    }
    static void playbackState(pa_stream*, void* self) {
        auto* server = static_cast<SoundServer*>(self);
        server->streamChanged(server->playback_);
    }
    static void recordState(pa_stream*, void* self) {
        auto* server = static_cast<SoundServer*>(self);
        server->streamChanged(server->recording_);
    }
    static void write(pa_stream*, size_t bytes, void* self) {
        static_cast<SoundServer*>(self)->write(bytes);
    }
    static void read(pa_stream*, size_t, void* self) { static_cast<SoundServer*>(self)->read(); }
    static void timer(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        static_cast<SoundServer*>(self)->retry();
    }
};

SoundServer::SoundServer(const char* appName) : pa_(soundLibraries()), appName_(appName) {
    loop_ = pa_.pa_threaded_mainloop_new();
}

std::unique_ptr<SoundServer> SoundServer::connect(const char* appName) {
    if (!soundLibraries().havePulse)
        return nullptr;
    std::unique_ptr<SoundServer> server(new SoundServer(appName));
    const SoundLibraries& pa = server->pa_;
    if (!server->loop_)
        return nullptr;
    pa.pa_threaded_mainloop_lock(server->loop_);
    pa_mainloop_api* api = pa.pa_threaded_mainloop_get_api(server->loop_);
    server->timer_ = api->time_new(api, nullptr, &Callbacks::timer, server.get());
    server->connectContext();
    pa.pa_threaded_mainloop_unlock(server->loop_);
    if (pa.pa_threaded_mainloop_start(server->loop_) < 0)
        return nullptr;
    std::unique_lock lock(server->published_);
    server->answer_.wait_for(lock, kAnswerWait, [&] { return server->answered_; });
    if (!server->devices_.connected)
        return nullptr;
    return server;
}

SoundServer::~SoundServer() {
    if (!loop_)
        return;
    pa_.pa_threaded_mainloop_lock(loop_);
    close(playback_);
    close(recording_);
    if (timer_) {
        pa_mainloop_api* api = pa_.pa_threaded_mainloop_get_api(loop_);
        api->time_free(timer_);
    }
    if (context_) {
        pa_.pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_.pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_.pa_context_disconnect(context_);
        pa_.pa_context_unref(context_);
    }
    pa_.pa_threaded_mainloop_unlock(loop_);
    pa_.pa_threaded_mainloop_stop(loop_);
    pa_.pa_threaded_mainloop_free(loop_);
}

SoundServer::Devices SoundServer::devices() const {
    std::lock_guard lock(published_);
    return devices_;
}

void SoundServer::play(Render render, std::function<void()> resumed, int bufferFrames) {
    pa_.pa_threaded_mainloop_lock(loop_);
    render_ = std::move(render);
    resumed_ = std::move(resumed);
    bufferFrames_ = bufferFrames;
    playback_.wanted = true;
    reconcile();
    pa_.pa_threaded_mainloop_unlock(loop_);
}

void SoundServer::record(const QByteArray& input, Capture capture) {
    pa_.pa_threaded_mainloop_lock(loop_);
    close(recording_);
    recording_.lost = false;
    recording_.state = StreamState::Waiting;
    recording_.input = input;
    recording_.wanted = true;
    capture_ = std::move(capture);
    reconcile();
    pa_.pa_threaded_mainloop_unlock(loop_);
}

void SoundServer::connectContext() {
    pa_mainloop_api* api = pa_.pa_threaded_mainloop_get_api(loop_);
    context_ = pa_.pa_context_new(api, appName_.constData());
    if (!context_) {
        retryIn(kReconnectMillis);
        return;
    }
    pa_.pa_context_set_state_callback(context_, &Callbacks::context, this);
    pa_.pa_context_set_subscribe_callback(context_, &Callbacks::event, this);
    retryIn(kReconnectMillis * 4); // a server that never answers is left, and asked again
    // No server is started for the program: the user's session owns it.
    if (pa_.pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        contextChanged();
}

void SoundServer::contextChanged() {
    const pa_context_state_t state = pa_.pa_context_get_state(context_);
    if (state == PA_CONTEXT_READY) {
        const auto mask = pa_subscription_mask_t(
            PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* o = pa_.pa_context_subscribe(context_, mask, nullptr, nullptr))
            pa_.pa_operation_unref(o);
        retryIn(-1);
        refresh();
        return;
    }
    if (PA_CONTEXT_IS_GOOD(state))
        return; // still connecting
    // The server went away, or never answered: every stream went with it.
    close(playback_);
    close(recording_);
    pendingLists_ = 0;
    listAgain_ = false;
    listedOnce_ = false;
    current_ = {};
    publish();
    retryIn(kReconnectMillis);
}

// Lists the server's defaults, outputs and inputs anew; a change told while they are being
// listed lists them again once the lists have come.
void SoundServer::refresh() {
    if (pendingLists_ > 0) {
        listAgain_ = true;
        return;
    }
    next_ = {};
    next_.connected = true;
    pendingLists_ = 3;
    pa_operation* asked[] = {
        pa_.pa_context_get_server_info(context_, &Callbacks::server, this),
        pa_.pa_context_get_sink_info_list(context_, &Callbacks::sink, this),
        pa_.pa_context_get_source_info_list(context_, &Callbacks::source, this),
    };
    for (pa_operation* o : asked) {
        if (o)
            pa_.pa_operation_unref(o);
        else
            --pendingLists_; // the connection is failing: its state says so next
    }
}

void SoundServer::listed() {
    if (--pendingLists_ > 0)
        return;
    std::stable_sort(next_.inputs.begin(), next_.inputs.end(), inputFirst);
    current_ = next_;
    listedOnce_ = true;
    publish();
    if (std::exchange(listAgain_, false))
        refresh();
    reconcile();
}

void SoundServer::publish() {
    std::lock_guard lock(published_);
    if (!(devices_ == current_)) {
        devices_ = current_;
        ++changes_;
    }
    if (!answered_) {
        answered_ = true;
        answer_.notify_all();
    }
}

bool SoundServer::inputThere(const QByteArray& name) const {
    const QByteArray& wanted = name.isEmpty() ? current_.defaultInput : name;
    return !wanted.isEmpty() &&
           std::any_of(current_.inputs.begin(), current_.inputs.end(),
                       [&](const Input& input) { return input.name == wanted; });
}

// Opens what is asked for and not open, where its device is there.
void SoundServer::reconcile() {
    if (!context_ || pa_.pa_context_get_state(context_) != PA_CONTEXT_READY || !listedOnce_)
        return;
    if (playback_.wanted && !playback_.stream && current_.haveOutput)
        openPlayback();
    if (recording_.wanted && !recording_.stream && inputThere(recording_.input))
        openRecording();
    if ((playback_.wanted && !playback_.stream) || (recording_.wanted && !recording_.stream))
        retryIn(kWatchMillis);
}

void SoundServer::openPlayback() {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, kRate, 2};
    playback_.stream = pa_.pa_stream_new(context_, "Reference tone", &spec, nullptr);
    if (!playback_.stream)
        return;
    pa_.pa_stream_set_state_callback(playback_.stream, &Callbacks::playbackState, this);
    pa_.pa_stream_set_write_callback(playback_.stream, &Callbacks::write, this);
    const uint32_t bytes = uint32_t(bufferFrames_) * 2 * sizeof(float);
    // The server keeps one buffer ahead, as little as it can: a new sound is heard that soon.
    const pa_buffer_attr attr{uint32_t(-1), bytes, uint32_t(-1), uint32_t(-1), uint32_t(-1)};
    if (pa_.pa_stream_connect_playback(playback_.stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY,
                                       nullptr, nullptr) < 0)
        close(playback_);
}

void SoundServer::openRecording() {
    const QByteArray& name = recording_.input.isEmpty() ? current_.defaultInput : recording_.input;
    const auto input = std::find_if(current_.inputs.begin(), current_.inputs.end(),
                                    [&](const Input& i) { return i.name == name; });
    recordChannels_ = std::clamp(input->channels, 1, int(PA_CHANNELS_MAX));
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, kRate, uint8_t(recordChannels_)};
    pa_channel_map map;
    pa_.pa_channel_map_init_extend(&map, unsigned(recordChannels_), PA_CHANNEL_MAP_DEFAULT);
    recording_.stream = pa_.pa_stream_new(context_, "Listening", &spec, &map);
    if (!recording_.stream)
        return;
    recording_.fresh = true;
    pa_.pa_stream_set_state_callback(recording_.stream, &Callbacks::recordState, this);
    pa_.pa_stream_set_read_callback(recording_.stream, &Callbacks::read, this);
    const pa_buffer_attr attr{uint32_t(-1), uint32_t(-1), uint32_t(-1), uint32_t(-1),
                              uint32_t(kCaptureFrames * recordChannels_ * sizeof(float))};
    // The input's channels as they are, each by its place: a channel is chosen from them. A
    // chosen input is not exchanged for another when it goes away; the default follows the
    // server's default.
    auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_NO_REMAP_CHANNELS |
                                   PA_STREAM_NO_REMIX_CHANNELS);
    if (!recording_.input.isEmpty())
        flags = pa_stream_flags_t(flags | PA_STREAM_DONT_MOVE);
    if (pa_.pa_stream_connect_record(
            recording_.stream, recording_.input.isEmpty() ? nullptr : recording_.input.constData(),
            &attr, flags) < 0)
        close(recording_);
}

void SoundServer::streamChanged(Stream& slot) {
    switch (pa_.pa_stream_get_state(slot.stream)) {
    case PA_STREAM_READY:
        slot.state = StreamState::Open;
        return;
    case PA_STREAM_FAILED: {
        // A device that went away is waited for; one that refuses is said to.
        const int error = pa_.pa_context_errno(context_);
        const bool gone = slot.state == StreamState::Open || error == PA_ERR_KILLED ||
                          error == PA_ERR_NOENTITY || error == PA_ERR_CONNECTIONTERMINATED;
        close(slot);
        slot.state = error == PA_ERR_ACCESS ? StreamState::Refused
                     : gone                 ? StreamState::Waiting
                                            : StreamState::Failed;
        retryIn(kReconnectMillis);
        return;
    }
    default:
        return;
    }
}

void SoundServer::close(Stream& slot) {
    if (!slot.stream)
        return;
    pa_.pa_stream_set_state_callback(slot.stream, nullptr, nullptr);
    pa_.pa_stream_set_write_callback(slot.stream, nullptr, nullptr);
    pa_.pa_stream_set_read_callback(slot.stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_.pa_stream_get_state(slot.stream)))
        pa_.pa_stream_disconnect(slot.stream);
    pa_.pa_stream_unref(slot.stream);
    slot.stream = nullptr;
    if (slot.state == StreamState::Open) {
        slot.state = StreamState::Waiting;
        slot.lost = true;
    }
}

// Arms the one timer (milliseconds < 0: disarms it); it connects again or reopens streams.
void SoundServer::retryIn(int milliseconds) {
    pa_mainloop_api* api = pa_.pa_threaded_mainloop_get_api(loop_);
    if (milliseconds < 0) {
        api->time_restart(timer_, nullptr);
        return;
    }
    timeval when{};
    gettimeofday(&when, nullptr);
    const long long micros = when.tv_usec + 1000LL * milliseconds;
    when.tv_sec += time_t(micros / 1000000);
    when.tv_usec = suseconds_t(micros % 1000000);
    api->time_restart(timer_, &when);
}

void SoundServer::retry() {
    if (context_ && !PA_CONTEXT_IS_GOOD(pa_.pa_context_get_state(context_))) {
        pa_.pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_.pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_.pa_context_unref(context_);
        context_ = nullptr;
    }
    if (!context_) {
        connectContext();
        return;
    }
    if (pa_.pa_context_get_state(context_) != PA_CONTEXT_READY) {
        // Connecting for too long: the server does not answer. Left, and asked again.
        pa_.pa_context_disconnect(context_);
        return;
    }
    retryIn(-1);
    refresh();
}

void SoundServer::write(std::size_t bytes) {
    const int frames = int(bytes / (2 * sizeof(float)));
    if (frames <= 0 || !playback_.stream)
        return;
    if (playback_.lost) {
        playback_.lost = false;
        if (resumed_)
            resumed_();
    }
    buffer_.resize(std::size_t(2 * frames));
    render_(buffer_.data(), frames);
    pa_.pa_stream_write(playback_.stream, buffer_.data(), std::size_t(frames) * 2 * sizeof(float),
                        nullptr, 0, PA_SEEK_RELATIVE);
}

void SoundServer::read() {
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (recording_.stream && pa_.pa_stream_peek(recording_.stream, &data, &bytes) == 0 &&
           bytes > 0) {
        // No data with a size is a hole in the input (an overrun): nothing to hear there.
        if (!data)
            recording_.fresh = true;
        else if (capture_)
            capture_(static_cast<const float*>(data),
                     bytes / (std::size_t(recordChannels_) * sizeof(float)), recordChannels_,
                     std::exchange(recording_.fresh, false));
        pa_.pa_stream_drop(recording_.stream);
    }
}
