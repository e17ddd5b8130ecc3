#pragma once
// Starting SDL's audio for this program: the sound output and the microphone start it alike.

enum class SdlAudioStart {
    Started,
    NoSink,   // the PulseAudio server has no default sink: SDL would crash on it
    NoSource, // nor a default source
    Failed,   // SDL found no way to sound
};

// Starts SDL's audio subsystem, its streams named appName, where SDL is loaded. With a driver
// ("alsa") SDL uses that one unless the environment names another (SDL_AUDIODRIVER); without
// one SDL chooses, the PulseAudio server first, which is asked beforehand whether SDL would crash
// on it. Each Started is ended by SDL_QuitSubSystem(SDL_INIT_AUDIO) or SDL_Quit.
SdlAudioStart startSdlAudio(const char* appName, const char* driver);
