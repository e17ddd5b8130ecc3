#include "sound_libraries.h"

#include <dlfcn.h>
#include <mutex>

namespace {

template <class Function> bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

SoundLibraries load() {
    SoundLibraries l;
    if (void* sndfile = dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL)) {
        l.haveSndfile = bind(sndfile, "sf_open_virtual", l.sf_open_virtual) &&
                        bind(sndfile, "sf_readf_float", l.sf_readf_float) &&
                        bind(sndfile, "sf_close", l.sf_close);
    }
    if (void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL)) {
        l.haveSdl = bind(sdl, "SDL_SetHint", l.SDL_SetHint) &&
                    bind(sdl, "SDL_InitSubSystem", l.SDL_InitSubSystem) &&
                    bind(sdl, "SDL_QuitSubSystem", l.SDL_QuitSubSystem) &&
                    bind(sdl, "SDL_Quit", l.SDL_Quit) &&
                    bind(sdl, "SDL_OpenAudioDevice", l.SDL_OpenAudioDevice) &&
                    bind(sdl, "SDL_PauseAudioDevice", l.SDL_PauseAudioDevice) &&
                    bind(sdl, "SDL_CloseAudioDevice", l.SDL_CloseAudioDevice) &&
                    bind(sdl, "SDL_TLSCleanup", l.SDL_TLSCleanup);
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
