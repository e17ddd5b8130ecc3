#include "sound_libraries.h"

#include <dlfcn.h>
#include <mutex>

namespace {

template <class Function> bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// ALSA's library writes its own diagnostics to standard error ("cannot find card '0'", "Unknown
// PCM default") when SDL falls back to it on a machine without a sound server. The program is
// silent by design, and to a user in a terminal those lines look like a crash. SDL opens the
// same library later and so shares this handler.
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void quietenAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    int (*setHandler)(Handler) = nullptr;
    if (alsa && bind(alsa, "snd_lib_error_set_handler", setHandler))
        setHandler(&ignoreAlsaMessage);
}

SoundLibraries load() {
    SoundLibraries l;
    if (void* sndfile = dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL)) {
        l.haveSndfile = bind(sndfile, "sf_open_virtual", l.sf_open_virtual) &&
                        bind(sndfile, "sf_readf_float", l.sf_readf_float) &&
                        bind(sndfile, "sf_close", l.sf_close);
    }
    quietenAlsa();
    if (void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL)) {
        l.haveSdl = bind(sdl, "SDL_SetHint", l.SDL_SetHint) &&
                    bind(sdl, "SDL_InitSubSystem", l.SDL_InitSubSystem) &&
                    bind(sdl, "SDL_QuitSubSystem", l.SDL_QuitSubSystem) &&
                    bind(sdl, "SDL_Quit", l.SDL_Quit) &&
                    bind(sdl, "SDL_OpenAudioDevice", l.SDL_OpenAudioDevice) &&
                    bind(sdl, "SDL_PauseAudioDevice", l.SDL_PauseAudioDevice) &&
                    bind(sdl, "SDL_CloseAudioDevice", l.SDL_CloseAudioDevice) &&
                    bind(sdl, "SDL_TLSCleanup", l.SDL_TLSCleanup) &&
                    bind(sdl, "SDL_GetNumAudioDevices", l.SDL_GetNumAudioDevices) &&
                    bind(sdl, "SDL_GetAudioDeviceStatus", l.SDL_GetAudioDeviceStatus);
    }
    if (void* pulse = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL)) {
        l.havePulse = bind(pulse, "pa_mainloop_new", l.pa_mainloop_new) &&
                      bind(pulse, "pa_mainloop_get_api", l.pa_mainloop_get_api) &&
                      bind(pulse, "pa_mainloop_prepare", l.pa_mainloop_prepare) &&
                      bind(pulse, "pa_mainloop_poll", l.pa_mainloop_poll) &&
                      bind(pulse, "pa_mainloop_dispatch", l.pa_mainloop_dispatch) &&
                      bind(pulse, "pa_mainloop_free", l.pa_mainloop_free) &&
                      bind(pulse, "pa_context_new", l.pa_context_new) &&
                      bind(pulse, "pa_context_connect", l.pa_context_connect) &&
                      bind(pulse, "pa_context_get_state", l.pa_context_get_state) &&
                      bind(pulse, "pa_context_get_server_info", l.pa_context_get_server_info) &&
                      bind(pulse, "pa_context_disconnect", l.pa_context_disconnect) &&
                      bind(pulse, "pa_context_unref", l.pa_context_unref) &&
                      bind(pulse, "pa_operation_unref", l.pa_operation_unref);
    }
    // The libraries stay loaded for the life of the process.
    return l;
}

} // namespace

const SoundLibraries& soundLibraries() {
    static std::once_flag once;
    static SoundLibraries libraries;
    std::call_once(once, [] { libraries = load(); });
    return libraries;
}
