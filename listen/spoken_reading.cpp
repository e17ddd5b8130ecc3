#include "spoken_reading.h"

#include <cmath>

QString shownCents(double cents) {
    const double tenths = std::round(cents * 10) / 10;
    const QString number = QString::number(std::abs(tenths), 'f', 1);
    return tenths > 0 ? u'+' + number : tenths < 0 ? u'-' + number : number;
}

QString spokenReading(int stringNumber, const QString& note, double cents) {
    const double tenths = std::round(cents * 10) / 10;
    QString text = note + QStringLiteral(", ");
    if (stringNumber > 0)
        text.prepend(QStringLiteral("String %1, ").arg(stringNumber));
    if (std::abs(cents) <= kInTuneCents)
        return text + QStringLiteral("in tune");
    return text + QString::number(std::abs(tenths), 'f', 1) +
           (tenths < 0 ? QStringLiteral(" cents flat") : QStringLiteral(" cents sharp"));
}

bool Announcer::due(const QString& text, bool inTune, Clock::time_point now) {
    if (text == last_)
        return false;
    const bool cameIntoTune = inTune && !lastInTune_;
    if (announced_ && !cameIntoTune && now - lastTime_ < kInterval)
        return false;
    last_ = text;
    lastInTune_ = inTune;
    announced_ = true;
    lastTime_ = now;
    return true;
}
