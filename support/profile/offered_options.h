#pragma once
// The sound options an instrument's profile offers, as the option drop-down lists them.

#include <QString>
#include <QStringList>

// The values of the option keys of the section, "Option1" up to "Option" + (the largest whole
// number not above optionCount, plus 1), by number, empty values left out; none for a negative
// count. Rather than asking the profile for every number up to the count (which never ends for
// 1e9), the keys the profile really holds are read in one pass and those in range are taken in
// order: the same entries for every count, in the same short time.
QStringList offeredOptions(const QString& section, const QString& profile, double optionCount);
