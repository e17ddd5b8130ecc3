#pragma once
// libSDL2, libsndfile and libpulse are loaded when sound is first needed, on the sound helper
// thread, so that starting the program does not wait for them and the dozens of libraries they
// bring.

#include <SDL2/SDL.h>
#include <pulse/pulseaudio.h>
#include <sndfile.h>

struct SoundLibraries {
    bool haveSndfile = false;
    bool haveSdl = false;

    decltype(&::sf_open_virtual) sf_open_virtual = nullptr;
    decltype(&::sf_readf_float) sf_readf_float = nullptr;
    decltype(&::sf_close) sf_close = nullptr;

    decltype(&::SDL_SetHint) SDL_SetHint = nullptr;
    decltype(&::SDL_InitSubSystem) SDL_InitSubSystem = nullptr;
    decltype(&::SDL_QuitSubSystem) SDL_QuitSubSystem = nullptr;
    decltype(&::SDL_Quit) SDL_Quit = nullptr;
    decltype(&::SDL_OpenAudioDevice) SDL_OpenAudioDevice = nullptr;
    decltype(&::SDL_PauseAudioDevice) SDL_PauseAudioDevice = nullptr;
    decltype(&::SDL_CloseAudioDevice) SDL_CloseAudioDevice = nullptr;
    decltype(&::SDL_TLSCleanup) SDL_TLSCleanup = nullptr;
    // For capture.
    decltype(&::SDL_GetNumAudioDevices) SDL_GetNumAudioDevices = nullptr;
    decltype(&::SDL_GetAudioDeviceStatus) SDL_GetAudioDeviceStatus = nullptr;

    // libpulse, to ask a PulseAudio server for its devices before SDL starts on it.
    bool havePulse = false;
    decltype(&::pa_mainloop_new) pa_mainloop_new = nullptr;
    decltype(&::pa_mainloop_get_api) pa_mainloop_get_api = nullptr;
    decltype(&::pa_mainloop_prepare) pa_mainloop_prepare = nullptr;
    decltype(&::pa_mainloop_poll) pa_mainloop_poll = nullptr;
    decltype(&::pa_mainloop_dispatch) pa_mainloop_dispatch = nullptr;
    decltype(&::pa_mainloop_free) pa_mainloop_free = nullptr;
    decltype(&::pa_context_new) pa_context_new = nullptr;
    decltype(&::pa_context_connect) pa_context_connect = nullptr;
    decltype(&::pa_context_get_state) pa_context_get_state = nullptr;
    decltype(&::pa_context_get_server_info) pa_context_get_server_info = nullptr;
    decltype(&::pa_context_disconnect) pa_context_disconnect = nullptr;
    decltype(&::pa_context_unref) pa_context_unref = nullptr;
    decltype(&::pa_operation_unref) pa_operation_unref = nullptr;
};

// Loads both libraries the first time it is called, on any thread (later callers wait for the
// first); a library that cannot be loaded leaves its flag false, and sound stays silent.
const SoundLibraries& soundLibraries();
