// Choosing an instrument: its folder, its sound options, its pictures and its peg layout.
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/files/file_access.h"
#include "support/instrument_schema.h"
#include "support/numeric_value.h"
#include "support/profile/offered_options.h"
#include "support/profile/profile.h"
#include "support/sound/sound.h"
#include "support/step.h"
#include "ui/list_controls.h"

#include <QComboBox>
#include <cmath>

using namespace AppModul;

// The folder of the chosen instrument as the file system spells it: an entry whose name is not
// valid text shows the best text the name allows and keeps the name itself beside it.
QString Tuner::chosenInstrumentFolder() const {
    const QString text = cboInstrument->currentText();
    const int row = cboInstrument->currentIndex();
    if (row >= 0 && cboInstrument->itemText(row) == text) {
        const QVariant stored = cboInstrument->itemData(row);
        if (stored.isValid())
            return stored.toString();
    }
    return text;
}

void Tuner::cboInstrument_Click() {
    // Each step that can fail (a folder, picture or profile that cannot be read, an instrument
    // without options) is skipped and the selection goes on; the rest cannot fail.
    SwitchOn = 0;
    Sound::PlaySoundFile(ReleaseSoundFile);
    OptionPrefix.clear();
    LoopActive = 0;
    picSwitch_MouseDown(0, 0, 0, 0);
    InstrumentPath = TunesPath + chosenInstrumentFolder() + u'/';
    attempt([&] { TunersDir->setPath(InstrumentPath); }); // runs TunersDir_Change on a change
    attempt([&] { TunerFiles->setPath(InstrumentPath); });
    TunerFiles->Refresh();
    InstrumentIniFile = InstrumentPath + QLatin1String(InstrumentFolder::ProfileFileName);
    const double optionCount = NumericValue(
        Commands::ReadProfileString(AppTitle, QLatin1String(InstrumentFolder::OptionCountKey),
                                    InstrumentIniFile, QStringLiteral("0")));
    cboOptions->setVisible(optionCount != 0);
    TunerFiles->setPattern(QLatin1String(InstrumentFolder::RecordingPattern));
    if (!cboOptions->isHidden()) {
        cboOptions->clear();
        cboOptions->addItems(offeredOptions(AppTitle, InstrumentIniFile, optionCount));
        if (cboOptions->count() > 0) {
            cboOptions->setCurrentIndex(0);
            attempt([&] { cboOptions_Click(); });
            OptionPrefix = cboOptions->itemText(0);
        }
        TunerFiles->setPattern(InstrumentFolder::recordingPattern(OptionPrefix));
        TunerFiles->Refresh();
        // Here the plain pictures win over the option's own.
        chooseOptionFiles(OwnPictures::Second);
    } else {
        AllOnFile = InstrumentPath + AllOnName;
        AllOffFile = InstrumentPath + AllOffName;
    }
    showChosenFiles(LayoutFailure::Skip);
}
