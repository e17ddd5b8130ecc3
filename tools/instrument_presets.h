#pragma once
// What an instrument folder is made from: a name, the notes of its pegs, the reference pitch and
// the sound. The presets, and the checks that every user's input passes before anything is
// written.

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace Maker {

enum class Voice { Plucked, Bowed, Both };

struct Instrument {
    QString name;      // the folder's name and the pictures' title
    QStringList notes; // in peg order, as written on the pegs ("G4", "F#3", "Bb1")
    double a4 = 440;   // Hz
    Voice voice = Voice::Plucked;
    QColor wood;
};

struct Preset {
    QString id; // as given on the command line
    Instrument instrument;
};

inline constexpr double kLowestA4 = 400;
inline constexpr double kHighestA4 = 480;
inline constexpr int kMaxNotes = 6;

const std::vector<Preset>& presets();
const Preset* findPreset(const QString& id);

// The frequency of a note in scientific pitch notation (a letter A to G, then "#" or "b", then
// the octave 0 to 7) in equal temperament from A4; none for anything else.
std::optional<double> noteFrequency(const QString& note, double a4);

// Why the input cannot make an instrument folder; empty when it can.
QString notesProblem(const QStringList& notes);
QString nameProblem(const QString& name);
QString a4Problem(double a4);

std::optional<Voice> voiceNamed(const QString& name);
QString voiceName(Voice voice);

} // namespace Maker
