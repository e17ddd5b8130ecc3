// Choosing a sound option: its recordings, its pictures and its peg layout.
#include "tuner.h"

#include "../app/globals.h"
#include "../support/file_test.h"
#include "../support/picture_box.h"
#include "../support/picture_copy.h"
#include "../support/step.h"
#include "folder_lists.h"

#include <QComboBox>

using namespace AppModul;

void Tuner::cboOptions_Click() {
    OptionPrefix = cboOptions->currentText();
    TunerFiles->setPattern(OptionPrefix + QStringLiteral("*.wav"));
    TunerFiles->Refresh();

    // Here the option's own pictures win over the plain ones.
    const QString ownOn = InstrumentPath + OptionPrefix + u'-' + AllOnName;
    AllOnFile = Commands::FileExists(ownOn) ? ownOn : InstrumentPath + AllOnName;
    const QString ownOff = InstrumentPath + OptionPrefix + u'-' + AllOffName;
    AllOffFile = Commands::FileExists(ownOff) ? ownOff : InstrumentPath + AllOffName;
    const QString ownIni = InstrumentPath + OptionPrefix + QStringLiteral("-tuner.ini");
    InstrumentIniFile =
        Commands::FileExists(ownIni) ? ownIni : InstrumentPath + QStringLiteral("tuner.ini");

    // A picture that cannot be loaded leaves its box as it was and the option change goes on,
    // as the instrument selection does, rather than stopping half-way with a new layout over
    // the old pictures.
    attempt([&] { LoadPicture(*picAllOff, AllOffFile); });
    attempt([&] { LoadPicture(*picAllOn, AllOnFile); });
    ReadPegLayout(InstrumentIniFile);
    useOffPictureAsBackground();
    darkenAllPegs();
    CopyPicture(*picSwitch, *picAllOn);
}
