// Pressing a peg sounds its string: looping in loop mode, once in single mode.
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/picture/picture_box.h"
#include "support/picture/picture_copy.h"
#include "support/sound/sound.h"
#include "ui/list_controls.h"

#include <QTimer>

using namespace AppModul;

// Copying between picture boxes and starting a sound cannot fail: no step here is skipped.
void Tuner::picTuner_MouseDown(int16_t Index, int16_t, int16_t, float, float) {
    // Every button and modifier acts alike; only the peg counts.
    PictureBox* pressed =
        Index >= 0 && Index < int16_t(picTuner.size()) ? picTuner[size_t(Index)] : nullptr;
    darkenAllPegs();
    if (pressed)
        CopyPicture(*pressed, *picAllOn);
    // Past the end of the file list the entry is empty and PegFile names the folder itself,
    // which plays nothing.
    PegFile = InstrumentPath + TunerFiles->entry(Index);
    if (SwitchOn == 1) {
        if (LoopActive && LoopFile == PegFile) {
            Sound::PlaySoundFile(ReleaseSoundFile);
            LoopActive = 0;
            darkenAllPegs();
        } else if (LoopActive) {
            Sound::LoopSoundFile(PegFile);
            LoopFile = PegFile;
        } else {
            Sound::LoopSoundFile(PegFile);
            LoopActive = -1;
            LoopFile = PegFile;
        }
    } else {
        Sound::PlaySoundFile(PegFile);
        // Enabling a running timer does not restart its interval.
        if (!Timer1->isActive())
            Timer1->start();
    }
}

void Tuner::Timer1_Timer() {
    darkenAllPegs();
    Timer1->stop();
}
