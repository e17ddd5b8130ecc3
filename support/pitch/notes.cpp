#include "notes.h"

#include <cmath>

namespace Notes {

double centsFrom(double frequency, double reference) {
    return 1200 * std::log2(frequency / reference);
}

Note nearestNote(double frequency, double a4) {
    static const char* const names[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};
    // Semitones from C0, which lies 57 semitones below A4.
    const long semitone = std::lround(12 * std::log2(frequency / a4)) + 57;
    const double noteFrequency = a4 * std::exp2(double(semitone - 57) / 12);
    const long octave = semitone >= 0 ? semitone / 12 : -((11 - semitone) / 12);
    const long index = semitone - 12 * octave;
    return {QLatin1String(names[index]) + QString::number(octave), noteFrequency,
            centsFrom(frequency, noteFrequency)};
}

} // namespace Notes
