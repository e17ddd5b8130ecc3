#pragma once
#include <QString>

// The leading number of a text, read the way hand-written profile values are meant:
// blanks, tabs and line feeds anywhere are ignored; then an optional sign, decimal digits with
// at most one ".", and an optional exponent (E or D, optionally signed); "&H" and "&O" start
// hexadecimal and octal digits. Reading stops at the first character that cannot continue the
// number; a text without a leading number gives 0.
// A number beyond the range of a double gives +/-infinity, one too small to represent gives 0;
// callers treat infinity as "too large" (the peg layout refuses it, the option count takes
// every option the profile holds).
double NumericValue(const QString& text);
