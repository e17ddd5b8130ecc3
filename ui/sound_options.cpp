// Choosing a sound option: its recordings, its pictures and its peg layout.
#include "ui/tuner.h"

#include "app/globals.h"
#include "support/files/file_access.h"
#include "support/paths.h"
#include "support/picture/picture_box.h"
#include "support/picture/picture_copy.h"
#include "support/step.h"
#include "ui/list_controls.h"

#include <QComboBox>

using namespace AppModul;

void Tuner::cboOptions_Click() {
    OptionPrefix = cboOptions->currentText();
    TunerFiles->setPattern(OptionPrefix + QStringLiteral("*.wav"));
    TunerFiles->Refresh();

    // Here the option's own pictures win over the plain ones.
    const QString ownOn = InstrumentPath + Commands::OptionFileName(OptionPrefix, AllOnName);
    AllOnFile = Commands::FileExists(ownOn) ? ownOn : InstrumentPath + AllOnName;
    const QString ownOff = InstrumentPath + Commands::OptionFileName(OptionPrefix, AllOffName);
    AllOffFile = Commands::FileExists(ownOff) ? ownOff : InstrumentPath + AllOffName;
    const QString plainIni = QLatin1String(Commands::ProfileFileName);
    const QString ownIni = InstrumentPath + Commands::OptionFileName(OptionPrefix, plainIni);
    InstrumentIniFile = Commands::FileExists(ownIni) ? ownIni : InstrumentPath + plainIni;

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
