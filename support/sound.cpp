#include "sound.h"

#include "sdl_sound_backend.h"
#include "step.h"

namespace Sound {
namespace {
std::unique_ptr<Backend>& current() {
    static std::unique_ptr<Backend> backend;
    return backend;
}
} // namespace

void setBackend(std::unique_ptr<Backend> backend) {
    current() = std::move(backend);
}

void shutdown() {
    current().reset();
}

bool sndPlaySoundA(const QString& path, unsigned flags) {
    if (!current())
        current() = std::make_unique<SdlSoundBackend>();
    current()->play(path, flags);
    return true;
}

void PlaySoundFile(const QString& file) {
    attempt([&] { sndPlaySoundA(file, SND_ASYNC); });
}

void LoopSoundFile(const QString& file) {
    attempt([&] { sndPlaySoundA(file, SND_ASYNC | SND_LOOP); });
}

} // namespace Sound
