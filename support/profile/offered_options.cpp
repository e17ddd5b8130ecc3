#include "offered_options.h"

#include "support/instrument_schema.h"
#include "support/profile/profile.h"

#include <QList>
#include <algorithm>

QStringList offeredOptions(const QString& section, const QString& profile, double optionCount) {
    if (!(optionCount >= 0))
        return {};
    struct Option {
        QString number;
        QString text;
    };
    QList<Option> options;
    for (const ProfileFormat::Entry& entry : Commands::ReadProfileEntries(section, profile)) {
        const QString number = InstrumentFolder::optionNumber(entry.key);
        if (!number.isEmpty() && number.toDouble() - 1 <= optionCount)
            options.append({number, entry.value});
    }
    std::sort(options.begin(), options.end(), [](const Option& a, const Option& b) {
        return a.number.size() != b.number.size() ? a.number.size() < b.number.size()
                                                  : a.number < b.number;
    });
    QStringList texts;
    for (const Option& option : options)
        texts.append(option.text);
    return texts;
}
