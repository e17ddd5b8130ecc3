#pragma once
// Playing recordings: once or looping, one sound at a time. Every call ends what is playing
// and returns at once; a path that names no playable WAV just ends the current sound.

#include <QString>
#include <memory>

namespace Sound {

inline constexpr unsigned SND_SYNC = 0x0000;
inline constexpr unsigned SND_ASYNC = 0x0001;
inline constexpr unsigned SND_NODEFAULT = 0x0002;
inline constexpr unsigned SND_LOOP = 0x0008;
inline constexpr unsigned SND_NOSTOP = 0x0010;

// Where sound calls go: the real output, or a recorder in tests.
class Backend {
  public:
    virtual ~Backend() = default;
    virtual void play(const QString& path, unsigned flags) = 0;
};

// Replaces the back end (the default is the sound device); the old one is destroyed.
void setBackend(std::unique_ptr<Backend> backend);
// Ends all sound and releases the device; called when the program ends.
void shutdown();

// Starts the file with the flags; true when the call was handed on.
bool sndPlaySoundA(const QString& path, unsigned flags);

void PlaySoundFile(const QString& file);
void LoopSoundFile(const QString& file);

} // namespace Sound
