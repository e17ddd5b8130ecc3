// The switch between loop mode (on) and single mode (off).
#include "tuner.h"

#include "../app/globals.h"
#include "../support/picture_box.h"
#include "../support/picture_copy.h"
#include "../support/sound.h"
#include "../support/step.h"

using namespace AppModul;

void Tuner::picSwitch_MouseDown(int16_t, int16_t, float, float) {
    if (SwitchOn != 0) {
        attempt([&] { CopyPicture(*picSwitch, *picAllOff); });
        attempt([&] { SwitchOn = 0; });
        attempt([&] { Sound::PlaySoundFile(ReleaseSoundFile); });
        attempt([&] { PegFile.clear(); });
        attempt([&] { LoopActive = 0; });
        attempt([&] { darkenAllPegs(); });
    } else {
        attempt([&] { CopyPicture(*picSwitch, *picAllOn); });
        attempt([&] { SwitchOn = 1; });
    }
}

void Tuner::picSwitch_DblClick() {
    picSwitch_MouseDown(0, 0, 0, 0);
}
