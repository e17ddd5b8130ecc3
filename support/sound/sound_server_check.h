#pragma once
// SDL 2.26 crashes (it copies a missing name) when its audio starts on a PulseAudio server that
// has no default sink or no default source: a server with no device at all, or one whose only
// device was just removed. Such a server is asked first, through libpulse, loaded at run time.

enum class ServerDevices {
    NoServer, // no PulseAudio server answers: SDL finds another way, or none
    Both,     // a default sink and a default source: SDL may start
    NoSink,
    NoSource,
};

// Asks the PulseAudio server the environment names (or the user's own); waits at most a second.
ServerDevices pulseServerDevices();
