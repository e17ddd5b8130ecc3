#include "listen_instrument.h"

#include "generated/product.h"
#include "support/files/file_access.h"
#include "support/files/folder_reading.h"
#include "support/files/name_matching.h"
#include "support/instrument_schema.h"
#include "support/numeric_value.h"
#include "support/picture/bitmap_file.h"
#include "support/profile/offered_options.h"
#include "support/profile/profile.h"
#include "support/step.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral(TUNER_TITLE);

QStringList recordingsIn(const QString& folder, const QString& pattern) {
    QStringList names = FolderReading::entryNames(folder, false);
    names.erase(std::remove_if(
                    names.begin(), names.end(),
                    [&](const QString& name) { return !FileNames::matchesPattern(name, pattern); }),
                names.end());
    FileNames::sortAsListed(names);
    return names;
}

// The first sound option the tuner offers for the profile, or the empty text.
QString firstOption(const QString& profile) {
    const double count = NumericValue(Commands::ReadProfileString(
        kSection, QLatin1String(InstrumentFolder::OptionCountKey), profile, QStringLiteral("0")));
    return count == 0 ? QString() : offeredOptions(kSection, profile, count).value(0);
}

void readPegLayout(const QString& profile, std::array<QRect, 6>& pegs) {
    using namespace InstrumentFolder;
    attempt([&] { // as the tuner does, the reading ends at a value a peg cannot take
        for (int n = 1; n <= 6; ++n) {
            QRect& peg = pegs[std::size_t(n - 1)];
            for (const PegProperty property : PegProperties) {
                const float value = float(NumericValue(Commands::ReadProfileString(
                    kSection, pegKey(n, property), profile, QStringLiteral("0"))));
                setPegProperty(peg, property, value);
            }
        }
    });
}

} // namespace

QStringList listenInstruments(const QString& tunes) {
    QStringList folders = FolderReading::entryNames(tunes, true);
    FileNames::sortAsListed(folders);
    const QString pattern = QLatin1String(InstrumentFolder::RecordingPattern);
    folders.erase(std::remove_if(folders.begin(), folders.end(),
                                 [&](const QString& name) {
                                     return recordingsIn(tunes + name + u'/', pattern).isEmpty();
                                 }),
                  folders.end());
    return folders;
}

ListenInstrument readListenInstrument(const QString& folder) {
    using namespace InstrumentFolder;
    const QString plainProfile = folder + QLatin1String(ProfileFileName);
    const QString option = firstOption(plainProfile);
    const auto own = [&](const char* plainName) -> QString {
        return folder + optionFileName(option, QLatin1String(plainName));
    };
    // The plain pictures win over the option's own; the option's own profile wins.
    const auto picture = [&](const char* plainName) {
        const QString plain = folder + QLatin1String(plainName);
        QImage image;
        attempt([&] {
            image = loadBitmapFile(
                option.isEmpty() || Commands::FileExists(plain) ? plain : own(plainName));
        });
        return image;
    };
    ListenInstrument instrument;
    for (const QString& name : recordingsIn(folder, recordingPattern(option)))
        instrument.recordings.append(folder + name);
    instrument.lit = picture(AllOnFileName);
    instrument.dark = picture(AllOffFileName);
    const QString ownProfile = own(ProfileFileName);
    readPegLayout(!option.isEmpty() && Commands::FileExists(ownProfile) ? ownProfile : plainProfile,
                  instrument.pegs);
    return instrument;
}
