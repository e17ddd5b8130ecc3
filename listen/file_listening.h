#pragma once
// Listening to a recording instead of the microphone: every reading of the file, one line a
// hop, as "seconds frequency note cents" ("seconds 0 - -" where no pitch is heard), the note the
// nearest equal-tempered one at the reference A4.

#include <QString>
#include <cstdio>

// Writes the readings of the WAV file to out; returns false, with one line on err, for a file
// that is missing or cannot be decoded.
bool listenToFile(const QString& path, double a4, std::FILE* out, std::FILE* err);
