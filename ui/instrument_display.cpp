// Showing the instrument or sound option now chosen: which pictures and profile apply, both
// pictures loaded, the peg layout, the background, the dark pegs and the lit switch.
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/files/file_access.h"
#include "support/instrument_schema.h"
#include "support/picture/picture_box.h"
#include "support/picture/picture_copy.h"
#include "support/step.h"

using namespace AppModul;

void Tuner::chooseOptionFiles(OwnPictures ownPictures) {
    const auto own = [this](const QString& plainName) -> QString {
        return InstrumentPath + InstrumentFolder::optionFileName(OptionPrefix, plainName);
    };
    const auto pick = [&](const QString& plainName) {
        const QString plain = InstrumentPath + plainName;
        if (ownPictures == OwnPictures::First)
            return Commands::FileExists(own(plainName)) ? own(plainName) : plain;
        return Commands::FileExists(plain) ? plain : own(plainName);
    };
    AllOnFile = pick(AllOnName);
    AllOffFile = pick(AllOffName);
    // For the profile the option's own always wins.
    const QString plainIni = QLatin1String(InstrumentFolder::ProfileFileName);
    InstrumentIniFile =
        Commands::FileExists(own(plainIni)) ? own(plainIni) : InstrumentPath + plainIni;
}

void Tuner::showChosenFiles(LayoutFailure layoutFailure) {
    // A picture that cannot be loaded leaves its box as it was, and the rest goes on.
    attempt([&] { LoadPicture(*picAllOff, AllOffFile); });
    attempt([&] { LoadPicture(*picAllOn, AllOnFile); });
    // The layout reading ends at a value a peg cannot take. The instrument selection skips that
    // step as it skips any; the option change has no failure handling of its own, so it ends
    // there, before the new background shows.
    if (layoutFailure == LayoutFailure::Skip)
        attempt([&] { ReadPegLayout(InstrumentIniFile); });
    else
        ReadPegLayout(InstrumentIniFile);
    useOffPictureAsBackground();
    darkenAllPegs();
    CopyPicture(*picSwitch, *picAllOn);
}

void Tuner::darkenAllPegs() {
    for (PictureBox* peg : picTuner)
        CopyPicture(*peg, *picAllOff);
}

void Tuner::useOffPictureAsBackground() {
    if (!picAllOff->hasPicture())
        return;
    background_ = picAllOff->image();
    update();
}
