#pragma once
#include <QString>

namespace Commands {

// The folder separator of every path the program builds.
inline constexpr QChar PathSeparator = u'/';

// Makes the caller's variable end in one separator (an empty path becomes "/") and returns it.
QString AddBackslash(QString& path);

// The last component of a folder path, ignoring one trailing separator.
QString LastPathComponent(const QString& path);

} // namespace Commands
