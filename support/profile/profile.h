#pragma once
#include "support/profile/profile_format.h"

#include <QList>
#include <QString>

namespace Commands {

// The value of key in section of the profile file, or defaultValue when the file, the section
// or the key is missing or the value is empty. Reading never creates or changes a file.
QString ReadProfileString(const QString& section, const QString& key, const QString& file,
                          const QString& defaultValue = QString());

// Writes key=value into the profile file, creating it as needed. The file is replaced in one
// rename, so it is never left half-written; a write that cannot be done leaves it as it was.
// Always returns the empty text, as callers expect of it.
QString WriteProfileString(const QString& section, const QString& key, const QString& value,
                           const QString& file);

// Every entry of the section with a non-empty value, read in one pass.
QList<ProfileFormat::Entry> ReadProfileEntries(const QString& section, const QString& file);

} // namespace Commands
