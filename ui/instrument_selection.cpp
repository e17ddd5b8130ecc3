// Choosing an instrument: its folder, its sound options, its pictures and its peg layout.
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/files/file_access.h"
#include "support/instrument_schema.h"
#include "support/numeric_value.h"
#include "support/profile/profile.h"
#include "support/sound/sound.h"
#include "support/step.h"
#include "ui/list_controls.h"

#include <QComboBox>
#include <algorithm>
#include <cmath>

using namespace AppModul;

// The option list holds the values of "Option1" up to "Option" + (the largest whole number not
// above N, plus 1), in key order, empty values left out; none for a negative N. Rather than
// asking the profile for every number up to N (which never ends for N = 1e9), the keys the
// profile really holds are read in one pass and those in range are taken in order: the same
// entries for every N, in the same short time.
void Tuner::readOptionList(double optionCount) {
    if (!(optionCount >= 0))
        return;
    struct Option {
        QString number;
        QString text;
    };
    QList<Option> options;
    for (const ProfileFormat::Entry& entry :
         Commands::ReadProfileEntries(AppTitle, InstrumentIniFile)) {
        const QString number = InstrumentFolder::optionNumber(entry.key);
        if (!number.isEmpty() && number.toDouble() - 1 <= optionCount)
            options.append({number, entry.value});
    }
    std::sort(options.begin(), options.end(), [](const Option& a, const Option& b) {
        return a.number.size() != b.number.size() ? a.number.size() < b.number.size()
                                                  : a.number < b.number;
    });
    for (const Option& option : options)
        cboOptions->addItem(option.text);
}

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
        readOptionList(optionCount);
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
