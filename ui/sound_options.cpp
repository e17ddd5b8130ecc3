// Choosing a sound option: its recordings, its pictures and its peg layout.
#include "ui/tuner.h"

#include "support/instrument_schema.h"
#include "ui/list_controls.h"

#include <QComboBox>

void Tuner::cboOptions_Click() {
    OptionPrefix = cboOptions->currentText();
    TunerFiles->setPattern(InstrumentFolder::recordingPattern(OptionPrefix));
    TunerFiles->Refresh();
    // Here the option's own pictures win over the plain ones.
    chooseOptionFiles(OwnPictures::First);
    showChosenFiles(LayoutFailure::Ends);
}
