// The switch between loop mode (on) and single mode (off).
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/picture/picture_box.h"
#include "support/picture/picture_copy.h"
#include "support/sound/sound.h"

using namespace AppModul;

void Tuner::picSwitch_MouseDown(int16_t, int16_t, float, float) {
    // Copying between picture boxes and starting a sound cannot fail.
    if (SwitchOn != 0) {
        CopyPicture(*picSwitch, *picAllOff);
        SwitchOn = 0;
        Sound::PlaySoundFile(ReleaseSoundFile);
        PegFile.clear();
        LoopActive = 0;
        darkenAllPegs();
    } else {
        CopyPicture(*picSwitch, *picAllOn);
        SwitchOn = 1;
    }
}

void Tuner::picSwitch_DblClick() {
    picSwitch_MouseDown(0, 0, 0, 0);
}
