#include "sound.h"

namespace Sound {
namespace {
std::unique_ptr<Output>& current() {
    static std::unique_ptr<Output> output;
    return output;
}
} // namespace

void installOutput(std::unique_ptr<Output> output) {
    current() = std::move(output);
}

void shutdown() {
    current().reset();
}

bool sndPlaySoundA(const QString& path, unsigned flags) {
    if (!current())
        return false;
    const bool loops = (flags & SND_LOOP) && (flags & SND_ASYNC);
    current()->play(path, loops ? Playback::Looping : Playback::Once);
    return true;
}

void PlaySoundFile(const QString& file) {
    sndPlaySoundA(file, SND_ASYNC);
}

void LoopSoundFile(const QString& file) {
    sndPlaySoundA(file, SND_ASYNC | SND_LOOP);
}

} // namespace Sound
