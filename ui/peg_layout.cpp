// The places and sizes of the six peg areas: read from a profile, written by "Make INI".
#include "ui/tuner.h"

#include "app/globals.h"
#include "support/numeric_value.h"
#include "support/picture/picture_box.h"
#include "support/profile/profile.h"
#include "support/step.h"

#include <cmath>

using namespace AppModul;

namespace {

enum class Property { Top, Left, Height, Width };

struct Key {
    Property property;
    const char* read;    // as read
    const char* written; // as written by "Make INI"
};

constexpr Key kKeys[] = {{Property::Top, "Top", "Top"},
                         {Property::Left, "Left", "Left"},
                         {Property::Height, "Height", "Height"},
                         {Property::Width, "Width", "width"}};

QString keyName(int peg, const char* property) {
    return QStringLiteral("Tuner%1-%2").arg(peg).arg(QLatin1String(property));
}

// A peg area holds whole pixels: a fractional value is rounded to the nearest pixel (halves
// away from zero) and is written back as that whole number. A value the area cannot take (not
// finite, a negative size, beyond a 16-bit window coordinate) fails.
int pixels(float value, bool isSize) {
    const double low = isSize ? 0 : -32768;
    if (!std::isfinite(value) || value <= low - 0.5 || value >= 32767.5)
        throw StepFailed("peg area cannot take this value");
    return int(std::lround(value));
}

void apply(PictureBox& peg, Property property, float value) {
    QRect g = peg.geometry();
    switch (property) {
    case Property::Top:
        g.moveTop(pixels(value, false));
        break;
    case Property::Left:
        g.moveLeft(pixels(value, false));
        break;
    case Property::Height:
        g.setHeight(pixels(value, true));
        break;
    case Property::Width:
        g.setWidth(pixels(value, true));
        break;
    }
    peg.setGeometry(g);
}

int current(const PictureBox& peg, Property property) {
    switch (property) {
    case Property::Top:
        return peg.y();
    case Property::Left:
        return peg.x();
    case Property::Height:
        return peg.height();
    case Property::Width:
        return peg.width();
    }
    return 0;
}

} // namespace

void Tuner::ReadPegLayout(const QString& path) {
    for (int n = 1; n <= 6; ++n) {
        for (const Key& key : kKeys) {
            const QString text = Commands::ReadProfileString(AppTitle, keyName(n, key.read), path,
                                                             QStringLiteral("0"));
            apply(*picTuner[size_t(n - 1)], key.property, float(NumericValue(text)));
        }
    }
}

void Tuner::Command1_Click() {
    for (int n = 1; n <= 6; ++n) {
        for (const Key& key : kKeys) {
            attempt([&] {
                Commands::WriteProfileString(
                    AppTitle, keyName(n, key.written),
                    QString::number(current(*picTuner[size_t(n - 1)], key.property)), TunerIniFile);
            });
        }
    }
}
