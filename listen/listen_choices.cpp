#include "listen_choices.h"

#include "generated/product.h"
#include "support/files/file_names.h"
#include "support/pitch/notes.h"

#include <QSettings>
#include <memory>

namespace {

// $XDG_CONFIG_HOME/Veltrosan Tuner/Listen.conf
std::unique_ptr<QSettings> keptChoices() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral(TUNER_TITLE), QStringLiteral("Listen"));
}

} // namespace

ListenChoices loadListenChoices() {
    const std::unique_ptr<QSettings> kept = keptChoices();
    ListenChoices choices;
    // The folder's name as bytes: a name that is not UTF-8 comes back as the file system spells it.
    choices.instrument = FileNames::fromFileSystem(
        kept->value(QStringLiteral("instrument")).toByteArray().constData());
    choices.input = kept->value(QStringLiteral("input")).toByteArray();
    bool number = false;
    const int channel = kept->value(QStringLiteral("channel")).toInt(&number);
    choices.channel = number && channel >= -1 && channel < 64 ? channel : -1;
    const double a4 = kept->value(QStringLiteral("a4")).toDouble(&number);
    if (number && a4 >= Notes::kLowestA4 && a4 <= Notes::kHighestA4)
        choices.a4 = a4;
    return choices;
}

void saveListenChoices(const ListenChoices& choices) {
    const std::unique_ptr<QSettings> kept = keptChoices();
    kept->setValue(QStringLiteral("instrument"), FileNames::fileSystemName(choices.instrument));
    kept->setValue(QStringLiteral("input"), choices.input);
    kept->setValue(QStringLiteral("channel"), choices.channel);
    if (choices.a4)
        kept->setValue(QStringLiteral("a4"), *choices.a4);
}
