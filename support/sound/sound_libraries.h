#pragma once
// libSDL2 and libsndfile are loaded when sound is first needed, on the sound helper thread,
// so that starting the program does not wait for them and the dozens of libraries they bring.

#include <SDL2/SDL.h>
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
    decltype(&::SDL_GetError) SDL_GetError = nullptr;
};

// Loads both libraries the first time it is called, on any thread (later callers wait for the
// first); a library that cannot be loaded leaves its flag false, and sound stays silent.
const SoundLibraries& soundLibraries();
