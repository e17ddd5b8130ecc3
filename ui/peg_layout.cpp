// The places and sizes of the six peg areas: read from a profile, written by "Make INI".
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/instrument_schema.h"
#include "support/numeric_value.h"
#include "support/picture/picture_box.h"
#include "support/profile/profile.h"
#include "support/step.h"

using namespace AppModul;

namespace {

using InstrumentFolder::PegProperty;

int current(const PictureBox& peg, PegProperty property) {
    switch (property) {
    case PegProperty::Top:
        return peg.y();
    case PegProperty::Left:
        return peg.x();
    case PegProperty::Height:
        return peg.height();
    case PegProperty::Width:
        return peg.width();
    }
    return 0;
}

} // namespace

void Tuner::ReadPegLayout(const QString& path) {
    for (int n = 1; n <= 6; ++n) {
        for (const PegProperty property : InstrumentFolder::PegProperties) {
            const QString text = Commands::ReadProfileString(
                AppTitle, InstrumentFolder::pegKey(n, property), path, QStringLiteral("0"));
            PictureBox& peg = *picTuner[size_t(n - 1)];
            QRect area = peg.geometry();
            InstrumentFolder::setPegProperty(area, property, float(NumericValue(text)));
            peg.setGeometry(area);
        }
    }
}

void Tuner::Command1_Click() {
    for (int n = 1; n <= 6; ++n) {
        for (const PegProperty property : InstrumentFolder::PegProperties) {
            attempt([&] {
                Commands::WriteProfileString(
                    AppTitle, InstrumentFolder::writtenPegKey(n, property),
                    QString::number(current(*picTuner[size_t(n - 1)], property)), TunerIniFile);
            });
        }
    }
}
