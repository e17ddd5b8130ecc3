#include "sound_server_check.h"

#include "support/sound/sound_libraries.h"

#include <chrono>

namespace {

struct Answer {
    bool received = false;
    ServerDevices devices = ServerDevices::NoServer;
};

void takeServerInfo(pa_context*, const pa_server_info* info, void* user) {
    auto* answer = static_cast<Answer*>(user);
    answer->received = true;
    if (!info)
        return;
    const auto named = [](const char* name) { return name && *name; };
    answer->devices = !named(info->default_source_name) ? ServerDevices::NoSource
                      : !named(info->default_sink_name) ? ServerDevices::NoSink
                                                        : ServerDevices::Both;
}

} // namespace

ServerDevices pulseServerDevices() {
    const SoundLibraries& pa = soundLibraries();
    if (!pa.havePulse)
        return ServerDevices::NoServer;
    pa_mainloop* loop = pa.pa_mainloop_new();
    pa_context* context = pa.pa_context_new(pa.pa_mainloop_get_api(loop), "device check");
    Answer answer;
    pa_operation* asking = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    if (context && pa.pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        // Each turn waits for the server at most 50 ms, so the deadline is kept.
        while (!answer.received && std::chrono::steady_clock::now() < deadline) {
            const pa_context_state_t state = pa.pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state))
                break;
            if (state == PA_CONTEXT_READY && !asking)
                asking = pa.pa_context_get_server_info(context, &takeServerInfo, &answer);
            if (pa.pa_mainloop_prepare(loop, 50000) < 0 || pa.pa_mainloop_poll(loop) < 0 ||
                pa.pa_mainloop_dispatch(loop) < 0)
                break;
        }
    }
    if (asking)
        pa.pa_operation_unref(asking);
    if (context) {
        pa.pa_context_disconnect(context);
        pa.pa_context_unref(context);
    }
    pa.pa_mainloop_free(loop);
    return answer.devices;
}
