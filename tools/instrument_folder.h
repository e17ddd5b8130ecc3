#pragma once
// Writes one complete instrument folder: the recordings, named so that they sort in peg order,
// the two pictures with the notes on the pegs, and tuner.ini with the peg areas over the drawn
// pegs. The folder is made beside its final place under a hidden name and renamed into place
// only once every file is written, so the tuner never sees half an instrument.

#include "instrument_presets.h"

#include <QByteArray>
#include <QString>

namespace Maker {

enum class Existing { Keep, Replace };

struct Written {
    enum Status { Made, Exists, Failed } status = Made;
    QString problem; // why it was not made
};

// Writes tunes/<name>; an existing folder of that name is replaced only when asked.
Written writeInstrument(const Instrument& instrument, const QString& tunes, Existing existing);

// The short sound that ends a looping tone (Tunes/release.wav).
QByteArray releaseRecording();

} // namespace Maker
