#include "instrument_schema.h"

#include "support/step.h"

#include <cmath>

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

QString optionNumber(const QString& key) {
    const QLatin1String prefix(OptionKeyPrefix);
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

QString pegKey(int peg, PegProperty property) {
    return pegKeyNamed(peg, propertyName(property));
}

QString writtenPegKey(int peg, PegProperty property) {
    return pegKeyNamed(peg, property == PegProperty::Width ? "width" : propertyName(property));
}

void setPegProperty(QRect& area, PegProperty property, float value) {
    const bool isSize = property == PegProperty::Height || property == PegProperty::Width;
    const double low = isSize ? 0 : -32768;
    if (!std::isfinite(value) || value <= low - 0.5 || value >= 32767.5)
        throw StepFailed("peg area cannot take this value");
    const int pixels = int(std::lround(value));
    switch (property) {
    case PegProperty::Top:
        area.moveTop(pixels);
        break;
    case PegProperty::Left:
        area.moveLeft(pixels);
        break;
    case PegProperty::Height:
        area.setHeight(pixels);
        break;
    case PegProperty::Width:
        area.setWidth(pixels);
        break;
    }
}

} // namespace InstrumentFolder
