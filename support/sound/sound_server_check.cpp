#include "sound_server_check.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <dlfcn.h>

namespace {

struct Pulse {
    decltype(&::pa_mainloop_new) mainloop_new = nullptr;
    decltype(&::pa_mainloop_get_api) mainloop_get_api = nullptr;
    decltype(&::pa_mainloop_prepare) mainloop_prepare = nullptr;
    decltype(&::pa_mainloop_poll) mainloop_poll = nullptr;
    decltype(&::pa_mainloop_dispatch) mainloop_dispatch = nullptr;
    decltype(&::pa_mainloop_free) mainloop_free = nullptr;
    decltype(&::pa_context_new) context_new = nullptr;
    decltype(&::pa_context_connect) context_connect = nullptr;
    decltype(&::pa_context_get_state) context_get_state = nullptr;
    decltype(&::pa_context_get_server_info) context_get_server_info = nullptr;
    decltype(&::pa_context_disconnect) context_disconnect = nullptr;
    decltype(&::pa_context_unref) context_unref = nullptr;
    decltype(&::pa_operation_unref) operation_unref = nullptr;
    bool loaded = false;
};

template <class Function> bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const Pulse& pulse() {
    static const Pulse loaded = [] {
        Pulse p;
        void* library = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
        p.loaded = library && bind(library, "pa_mainloop_new", p.mainloop_new) &&
                   bind(library, "pa_mainloop_get_api", p.mainloop_get_api) &&
                   bind(library, "pa_mainloop_prepare", p.mainloop_prepare) &&
                   bind(library, "pa_mainloop_poll", p.mainloop_poll) &&
                   bind(library, "pa_mainloop_dispatch", p.mainloop_dispatch) &&
                   bind(library, "pa_mainloop_free", p.mainloop_free) &&
                   bind(library, "pa_context_new", p.context_new) &&
                   bind(library, "pa_context_connect", p.context_connect) &&
                   bind(library, "pa_context_get_state", p.context_get_state) &&
                   bind(library, "pa_context_get_server_info", p.context_get_server_info) &&
                   bind(library, "pa_context_disconnect", p.context_disconnect) &&
                   bind(library, "pa_context_unref", p.context_unref) &&
                   bind(library, "pa_operation_unref", p.operation_unref);
        return p;
    }();
    return loaded;
}

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
    const Pulse& pa = pulse();
    if (!pa.loaded)
        return ServerDevices::NoServer;
    pa_mainloop* loop = pa.mainloop_new();
    pa_context* context = pa.context_new(pa.mainloop_get_api(loop), "device check");
    Answer answer;
    pa_operation* asking = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    if (context && pa.context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        // Each turn waits for the server at most 50 ms, so the deadline is kept.
        while (!answer.received && std::chrono::steady_clock::now() < deadline) {
            const pa_context_state_t state = pa.context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state))
                break;
            if (state == PA_CONTEXT_READY && !asking)
                asking = pa.context_get_server_info(context, &takeServerInfo, &answer);
            if (pa.mainloop_prepare(loop, 50000) < 0 || pa.mainloop_poll(loop) < 0 ||
                pa.mainloop_dispatch(loop) < 0)
                break;
        }
    }
    if (asking)
        pa.operation_unref(asking);
    if (context) {
        pa.context_disconnect(context);
        pa.context_unref(context);
    }
    pa.mainloop_free(loop);
    return answer.devices;
}
