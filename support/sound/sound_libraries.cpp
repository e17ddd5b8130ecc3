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
#define TUNER_BIND(name) &&bind(library, #name, l.name)
    if (void* library = dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL))
        l.haveSndfile = true TUNER_SNDFILE_FUNCTIONS(TUNER_BIND);
    quietenAlsa();
    if (void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL))
        l.haveSdl = true TUNER_SDL_FUNCTIONS(TUNER_BIND);
    if (void* library = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL))
        l.havePulse = true TUNER_PULSE_FUNCTIONS(TUNER_BIND);
#undef TUNER_BIND
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
