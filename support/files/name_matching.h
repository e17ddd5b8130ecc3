#pragma once
// How the folder and file lists order and pick names: sorted without regard to letter case (ties
// in character order), and matched against a pattern in which * stands for any run of
// characters, also without regard to case.

#include <QLatin1String>
#include <QStringList>
#include <QStringView>

namespace FileNames {

void sortAsListed(QStringList& names);
bool matchesPattern(QStringView name, QStringView pattern);
// The same for a name stored in ASCII, matched without decoding it first.
bool matchesPattern(QLatin1String name, QStringView pattern);

} // namespace FileNames
