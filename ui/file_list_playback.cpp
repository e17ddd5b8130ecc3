// The folder list keeps the instrument folder and the file list in step; a pick in the file
// list plays that file in the current mode without lighting a peg.
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/paths.h"
#include "support/sound/sound.h"
#include "ui/list_controls.h"

#include <QTimer>

using namespace AppModul;

void Tuner::TunersDir_Change() {
    QString folder = TunersDir->Path();
    InstrumentPath = Commands::AddBackslash(folder);
    TunerFiles->setPath(TunersDir->Path());
    TunerFiles->Refresh();
}

void Tuner::TunerFiles_Click() {
    PegFile = InstrumentPath + TunerFiles->FileName();
    if (SwitchOn == 1) {
        darkenAllPegs();
        Sound::LoopSoundFile(PegFile);
    } else {
        Sound::PlaySoundFile(PegFile);
        if (!Timer1->isActive())
            Timer1->start();
    }
}
