#include "notes.h"

#include <QRegularExpression>
#include <cmath>
#include <complex>

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

std::optional<Note> namedNote(const QString& name, double a4) {
    static const QRegularExpression pattern(QStringLiteral("^([A-G])([#b]?)(-?[0-9])$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return std::nullopt;
    static const int semitoneOfLetter[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    const int accidental = m.captured(2) == u"#" ? 1 : m.captured(2) == u"b" ? -1 : 0;
    const int semitone = semitoneOfLetter[m.captured(1)[0].unicode() - 'A'] + accidental +
                         12 * m.captured(3).toInt();
    const double frequency = a4 * std::exp2(double(semitone - 57) / 12);
    return Note{name, frequency, 0};
}

double fittingA4(const std::vector<double>& frequencies) {
    // Each frequency's cents from its nearest note at 440 is an angle on the circle of a
    // semitone; their mean angle is how far the notes lie from 440, whichever notes they are.
    std::complex<double> sum;
    for (const double f : frequencies)
        if (f > 0)
            sum += std::polar(1.0, 2 * M_PI * nearestNote(f).cents / 100);
    if (std::abs(sum) < 1e-9)
        return kDefaultA4;
    return kDefaultA4 * std::exp2(std::arg(sum) / (2 * M_PI) * 100 / 1200);
}

} // namespace Notes
