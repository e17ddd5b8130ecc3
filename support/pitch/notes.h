#pragma once
// Equal-tempered notes: the nearest one to a frequency at a reference A4, and distances in cents.

#include <QString>
#include <optional>
#include <vector>

namespace Notes {

inline constexpr double kDefaultA4 = 440;
inline constexpr double kLowestA4 = 400;
inline constexpr double kHighestA4 = 480;

struct Note {
    QString name;     // "A4", "C#3" (sharps; octaves change at C)
    double frequency; // Hz, at the reference
    double cents;     // of the frequency asked about, from this note (+ sharp, - flat)
};

// How many cents frequency lies above reference.
double centsFrom(double frequency, double reference);
// The equal-tempered note nearest to frequency (> 0) at the reference A4.
Note nearestNote(double frequency, double a4 = kDefaultA4);
// The note a name such as "C2", "F#3" or "Bb1" names, at the reference A4 (its cents 0); none
// for anything else.
std::optional<Note> namedNote(const QString& name, double a4 = kDefaultA4);
// The reference A4 at which the frequencies lie nearest to equal-tempered notes (440 for none).
double fittingA4(const std::vector<double>& frequencies);

} // namespace Notes
