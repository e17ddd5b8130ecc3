// Choosing an instrument: its folder, its sound options, its pictures and its peg layout.
#include "tuner.h"

#include "../app/globals.h"
#include "../support/file_test.h"
#include "../support/numeric_value.h"
#include "../support/picture_box.h"
#include "../support/picture_copy.h"
#include "../support/profile.h"
#include "../support/sound.h"
#include "../support/step.h"
#include "folder_lists.h"

#include <QComboBox>
#include <algorithm>
#include <cmath>

using namespace AppModul;

namespace {

const QString kIniName = QStringLiteral("tuner.ini");
const QString kAllWav = QStringLiteral("*.wav");

// The number k of an option key "Option" + k (plain decimal digits, no leading zero), or an
// empty text for any other key.
QString optionNumber(const QString& key) {
    static const QString prefix = QStringLiteral("Option");
    if (!key.startsWith(prefix, Qt::CaseInsensitive) || key.size() == prefix.size())
        return {};
    const QStringView digits = QStringView(key).sliced(prefix.size());
    if (digits.front() == u'0')
        return {};
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return {};
    return digits.toString();
}

} // namespace

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
        const QString number = optionNumber(entry.key);
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

void Tuner::cboInstrument_Click() {
    double optionCount = 0;
    attempt([&] { SwitchOn = 0; });
    attempt([&] { Sound::PlaySoundFile(ReleaseSoundFile); });
    attempt([&] { OptionPrefix.clear(); });
    attempt([&] { LoopActive = 0; });
    attempt([&] { picSwitch_MouseDown(0, 0, 0, 0); });
    attempt([&] { InstrumentPath = TunesPath + cboInstrument->currentText() + u'/'; });
    attempt([&] { TunersDir->setPath(InstrumentPath); }); // runs TunersDir_Change on a change
    attempt([&] { TunerFiles->setPath(InstrumentPath); });
    attempt([&] { TunerFiles->Refresh(); });
    attempt([&] { InstrumentIniFile = InstrumentPath + kIniName; });
    attempt([&] {
        optionCount = NumericValue(Commands::ReadProfileString(
            AppTitle, QStringLiteral("Options"), InstrumentIniFile, QStringLiteral("0")));
    });
    attempt([&] { cboOptions->setVisible(optionCount != 0); });
    attempt([&] { TunerFiles->setPattern(kAllWav); });
    if (!cboOptions->isHidden()) {
        attempt([&] { cboOptions->clear(); });
        attempt([&] { readOptionList(optionCount); });
        attempt([&] {
            if (cboOptions->count() == 0)
                throw StepFailed("no option to select");
            cboOptions->setCurrentIndex(0);
            cboOptions_Click();
        });
        attempt([&] {
            if (cboOptions->count() == 0)
                throw StepFailed("no option entry");
            OptionPrefix = cboOptions->itemText(0);
        });
        attempt([&] { TunerFiles->setPattern(OptionPrefix + kAllWav); });
        attempt([&] { TunerFiles->Refresh(); });
        attempt([&] {
            const QString plain = InstrumentPath + AllOnName;
            AllOnFile = Commands::FileExists(plain)
                            ? plain
                            : InstrumentPath + OptionPrefix + u'-' + AllOnName;
        });
        attempt([&] {
            const QString plain = InstrumentPath + AllOffName;
            AllOffFile = Commands::FileExists(plain)
                             ? plain
                             : InstrumentPath + OptionPrefix + u'-' + AllOffName;
        });
        attempt([&] {
            const QString own = InstrumentPath + OptionPrefix + u'-' + kIniName;
            if (Commands::FileExists(own))
                InstrumentIniFile = own;
        });
    } else {
        attempt([&] { AllOnFile = InstrumentPath + AllOnName; });
        attempt([&] { AllOffFile = InstrumentPath + AllOffName; });
    }
    attempt([&] { LoadPicture(*picAllOff, AllOffFile); });
    attempt([&] { LoadPicture(*picAllOn, AllOnFile); });
    attempt([&] { ReadPegLayout(InstrumentIniFile); });
    attempt([&] { useOffPictureAsBackground(); });
    darkenAllPegs();
    attempt([&] { CopyPicture(*picSwitch, *picAllOn); });
}
