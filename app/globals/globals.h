#pragma once
// The folders and names every part of the program uses, set once at start-up, and the globals
// of the current instrument, replaced by every instrument selection and option change.

#include <QString>
#include <cstdint>

namespace AppModul {

// Set once at start-up. Every folder path ends in "/".
extern QString AppPath;          // folder of the running executable
extern QString AppTitle;         // the section name of every profile
extern QString TunesPath;        // AppPath + "Tunes/"
extern QString ReleaseSoundFile; // TunesPath + "release.wav"
extern QString TunerIniFile;     // AppPath + "tuner.ini", written by "Make INI"
extern QString AllOnName;        // "all-on.bmp"
extern QString AllOffName;       // "all-off.bmp"

// The current instrument.
extern QString InstrumentPath;
extern QString InstrumentIniFile;
extern QString AllOnFile;
extern QString AllOffFile;

// 1 in loop mode, 0 in single mode.
extern int16_t SwitchOn;

// Sets AppTitle, TunesPath, ReleaseSoundFile, TunerIniFile, AllOnName, AllOffName from AppPath.
void InitAppNames();

} // namespace AppModul

namespace Commands {
// Sets AppPath to the folder of the running executable (links resolved), ending in "/".
void InitEnvironment();
} // namespace Commands
