#pragma once
// Playing recordings: once or looping, one sound at a time. Every call ends what is playing
// and returns at once; a path that names no playable WAV just ends the current sound.

#include <QString>
#include <memory>

namespace Sound {

// The flag word of sndPlaySoundA: only these two are ever given.
inline constexpr unsigned SND_ASYNC = 0x0001;
inline constexpr unsigned SND_LOOP = 0x0008;

enum class Playback { Once, Looping };

// Where sound goes: the sound device, installed by main, or a recorder in tests.
class Output {
  public:
    virtual ~Output() = default;
    virtual void play(const QString& path, Playback playback) = 0;
};

// Installs the output (the old one is destroyed); without one, sound calls are silent.
void installOutput(std::unique_ptr<Output> output);
// Ends all sound and releases the device; called when the program ends.
void shutdown();

// Starts the file, looping for SND_ASYNC | SND_LOOP, else once; true when it was handed on.
bool sndPlaySoundA(const QString& path, unsigned flags);

void PlaySoundFile(const QString& file);
void LoopSoundFile(const QString& file);

} // namespace Sound
