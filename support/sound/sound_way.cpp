#include "sound_way.h"

#include <atomic>

namespace {
std::atomic<SoundWay> g_way{SoundWay::Automatic};
}

void setSoundWay(SoundWay way) {
    g_way = way;
}

SoundWay soundWay() {
    return g_way.load();
}
