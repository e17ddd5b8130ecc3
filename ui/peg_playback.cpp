// Pressing a peg sounds its string: looping in loop mode, once in single mode.
#include "tuner.h"

#include "../app/globals.h"
#include "../support/picture_box.h"
#include "../support/picture_copy.h"
#include "../support/sound.h"
#include "../support/step.h"
#include "folder_lists.h"

#include <QTimer>

using namespace AppModul;

void Tuner::darkenAllPegs() {
    for (PictureBox* peg : picTuner)
        attempt([&] { CopyPicture(*peg, *picAllOff); });
}

void Tuner::picTuner_MouseDown(int16_t Index, int16_t, int16_t, float, float) {
    // Every button and modifier acts alike; only the peg counts.
    PictureBox* pressed =
        Index >= 0 && Index < int16_t(picTuner.size()) ? picTuner[size_t(Index)] : nullptr;
    attempt([&] { darkenAllPegs(); });
    attempt([&] {
        if (pressed)
            CopyPicture(*pressed, *picAllOn);
    });
    // Past the end of the file list the entry is empty and PegFile names the folder itself,
    // which plays nothing.
    attempt([&] { PegFile = InstrumentPath + TunerFiles->entry(Index); });
    if (SwitchOn == 1) {
        if (LoopActive && LoopFile == PegFile) {
            attempt([&] { Sound::PlaySoundFile(ReleaseSoundFile); });
            attempt([&] { LoopActive = 0; });
            attempt([&] { darkenAllPegs(); });
        } else if (LoopActive) {
            attempt([&] { Sound::LoopSoundFile(PegFile); });
            attempt([&] { LoopFile = PegFile; });
        } else {
            attempt([&] { Sound::LoopSoundFile(PegFile); });
            attempt([&] { LoopActive = -1; });
            attempt([&] { LoopFile = PegFile; });
        }
    } else {
        attempt([&] { Sound::PlaySoundFile(PegFile); });
        attempt([&] {
            // Enabling a running timer does not restart its interval.
            if (!Timer1->isActive())
                Timer1->start();
        });
    }
}

void Tuner::Timer1_Timer() {
    darkenAllPegs();
    Timer1->stop();
}
