#pragma once
// Starting SDL's audio for this program: the sound output and the microphone start it alike.

enum class SdlAudioStart {
    Started,
    NoSink,   // the PulseAudio server has no default sink: SDL would crash on it
    NoSource, // nor a default source
    Failed,   // SDL found no way to sound
};

// Starts SDL's audio subsystem, its streams named appName, where SDL is loaded and the sound
// server will not crash it. Each Started is ended by SDL_QuitSubSystem(SDL_INIT_AUDIO) or SDL_Quit.
SdlAudioStart startSdlAudio(const char* appName);
