#pragma once
#include <QString>

namespace Commands {

// The folder separator of every path the program builds.
inline constexpr QChar PathSeparator = u'/';

// Makes the caller's variable end in one separator (an empty path becomes "/") and returns it.
QString AddBackslash(QString& path);

// The last component of a folder path, ignoring one trailing separator.
QString LastPathComponent(const QString& path);

// The files of an instrument folder and of the Tunes folder.
inline constexpr char ProfileFileName[] = "tuner.ini";
inline constexpr char AllOnFileName[] = "all-on.bmp";
inline constexpr char AllOffFileName[] = "all-off.bmp";
inline constexpr char ReleaseFileName[] = "release.wav";

// The name of a sound option's own file beside the plain one: "<option>-<plain name>", as in
// "bowed-all-on.bmp" and "bowed-tuner.ini". Its recordings start with "<option>".
QString OptionFileName(const QString& option, const QString& plainName);

} // namespace Commands
