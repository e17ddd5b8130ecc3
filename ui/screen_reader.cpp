// What a screen reader says for each control. The drop-downs and tools have fixed names; a peg
// is named after the recording it plays, and the switch after the mode it is in, so both are
// named again whenever a handler has run.
#include "ui/tuner.h"

#include "app/globals/globals.h"
#include "support/files/file_names.h"
#include "support/picture/picture_box.h"
#include "ui/list_controls.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>

void Tuner::nameControls() {
    const auto name = [](QWidget* control, const QString& text) {
        control->setAccessibleName(text);
    };
    // On Linux a screen reader names a drop-down by the label it is the buddy of (its own name
    // is its text). The labels lie beside the tools, outside the window's visible part.
    int labelTop = 560;
    for (const auto& [box, text] : {std::pair{cboInstrument, QStringLiteral("Instrument")},
                                    std::pair{cboOptions, QStringLiteral("Sound option")}}) {
        name(box, text);
        auto* label = new QLabel(text, this);
        label->setGeometry(400, labelTop += 30, 120, 24);
        label->setBuddy(box);
    }
    name(TunerFiles, QStringLiteral("Recordings"));
    name(TunersDir, QStringLiteral("Instrument folders"));
    name(picAllOn, QStringLiteral("Picture with every peg lit"));
    name(picAllOff, QStringLiteral("Picture with every peg dark"));
    describeControls();
}

void Tuner::describeControls() {
    // A name is set only when it changes: setting one tells every screen reader listening.
    const auto rename = [](QWidget* control, const QString& name) {
        if (control->accessibleName() != name)
            control->setAccessibleName(name);
    };
    for (size_t k = 0; k < picTuner.size(); ++k) {
        const QString recording = TunerFiles->entry(int(k));
        rename(picTuner[k], recording.isEmpty()
                                ? QStringLiteral("Peg %1 plays nothing").arg(k + 1)
                                : FileNames::readable(QFileInfo(recording).completeBaseName()));
    }
    rename(picSwitch, AppModul::SwitchOn == 1 ? QStringLiteral("Loop") : QStringLiteral("Single"));
}

void Tuner::showEvent(QShowEvent* event) {
    describeControls(); // the start-up selects its instrument before the window shows
    QWidget::showEvent(event);
}
