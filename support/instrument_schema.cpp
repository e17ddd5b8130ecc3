#include "instrument_schema.h"

namespace InstrumentFolder {
namespace {

QString pegKeyNamed(int peg, const char* property) {
    return QStringLiteral("Tuner%1-%2").arg(peg).arg(QLatin1String(property));
}

const char* propertyName(PegProperty property) {
    switch (property) {
    case PegProperty::Top:
        return "Top";
    case PegProperty::Left:
        return "Left";
    case PegProperty::Height:
        return "Height";
    case PegProperty::Width:
        break;
    }
    return "Width";
}

} // namespace

QString tunesFolder(const QString& programFolder) {
    QString folder = programFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QLatin1String(TunesFolderName) + u'/';
}

QString optionFileName(const QString& option, const QString& plainName) {
    return option + u'-' + plainName;
}

QString recordingPattern(const QString& option) {
    return option + QLatin1String(RecordingPattern);
}

QString optionKey(int number) {
    return QLatin1String(OptionKeyPrefix) + QString::number(number);
}

QString pegKey(int peg, PegProperty property) {
    return pegKeyNamed(peg, propertyName(property));
}

QString writtenPegKey(int peg, PegProperty property) {
    return pegKeyNamed(peg, property == PegProperty::Width ? "width" : propertyName(property));
}

} // namespace InstrumentFolder
