#pragma once
// Which string a pitch is, and the note each string is named by.

#include <QString>

// A string is heard from this far below or above its target (a fifth); a pitch further from
// every string is a note that is no string of the instrument.
inline constexpr double kStringSlackCents = 700;

// The note the string whose recording is at path is named by: the note the recording's name
// carries ("1-C2.wav", "2-F#3.wav", as the maker writes them), else the note nearest its target
// at the reference a4.
QString stringNote(const QString& path, double target, double a4);
