#pragma once
// libSDL2, libsndfile and libpulse are loaded when sound is first needed, on a sound thread, so
// that starting the program does not wait for them and the dozens of libraries they bring.

#include <SDL2/SDL.h>
#include <pulse/pulseaudio.h>
#include <sndfile.h>

// The functions taken from each library: X(name) for every one.
// clang-format off
#define TUNER_SNDFILE_FUNCTIONS(X) X(sf_open_virtual) X(sf_readf_float) X(sf_close)

#define TUNER_SDL_FUNCTIONS(X) \
    X(SDL_SetHint) X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_Quit) \
    X(SDL_OpenAudioDevice) X(SDL_PauseAudioDevice) X(SDL_CloseAudioDevice) X(SDL_TLSCleanup) \
    X(SDL_GetNumAudioDevices) X(SDL_GetAudioDeviceStatus)

#define TUNER_PULSE_FUNCTIONS(X) \
    X(pa_mainloop_new) X(pa_mainloop_get_api) X(pa_mainloop_prepare) X(pa_mainloop_poll) \
    X(pa_mainloop_dispatch) X(pa_mainloop_free) \
    X(pa_threaded_mainloop_new) X(pa_threaded_mainloop_free) X(pa_threaded_mainloop_start) \
    X(pa_threaded_mainloop_stop) X(pa_threaded_mainloop_lock) X(pa_threaded_mainloop_unlock) \
    X(pa_threaded_mainloop_get_api) \
    X(pa_context_new) X(pa_context_set_state_callback) X(pa_context_connect) \
    X(pa_context_get_state) X(pa_context_get_server_info) X(pa_context_get_sink_info_list) \
    X(pa_context_get_source_info_list) X(pa_context_set_subscribe_callback) \
    X(pa_context_subscribe) X(pa_context_errno) X(pa_context_disconnect) X(pa_context_unref) \
    X(pa_operation_unref) \
    X(pa_stream_new) X(pa_stream_set_state_callback) X(pa_stream_set_write_callback) \
    X(pa_stream_set_read_callback) X(pa_stream_connect_playback) X(pa_stream_connect_record) \
    X(pa_stream_get_state) X(pa_stream_write) X(pa_stream_peek) X(pa_stream_drop) \
    X(pa_stream_disconnect) X(pa_stream_unref) X(pa_channel_map_init_extend)
// clang-format on

#define TUNER_DECLARE_FUNCTION(name) decltype(&::name) name = nullptr;

struct SoundLibraries {
    bool haveSndfile = false;
    bool haveSdl = false;
    bool havePulse = false;
    TUNER_SNDFILE_FUNCTIONS(TUNER_DECLARE_FUNCTION)
    TUNER_SDL_FUNCTIONS(TUNER_DECLARE_FUNCTION)
    TUNER_PULSE_FUNCTIONS(TUNER_DECLARE_FUNCTION)
};

// Loads the libraries the first time it is called, on any thread (later callers wait for the
// first); a library that cannot be loaded leaves its flag false, and its sound stays silent.
const SoundLibraries& soundLibraries();
