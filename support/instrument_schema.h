#pragma once
// How an instrument folder is laid out and named: the files it holds, the keys of its profile and
// the names of a sound option's own files. The window reads folders by it and the instrument
// maker writes them by it.

#include <QRect>
#include <QString>

namespace InstrumentFolder {

// The folder of instrument folders lies beside the program; it also holds the release sound.
inline constexpr char TunesFolderName[] = "Tunes";
inline constexpr char ReleaseFileName[] = "release.wav";
// The Tunes folder of the program's folder (given with or without a trailing "/"); ends in "/".
QString tunesFolder(const QString& programFolder);

// The files of an instrument folder. Its recordings are the files that match the pattern, one per
// peg in the file list's order.
inline constexpr char ProfileFileName[] = "tuner.ini";
inline constexpr char AllOnFileName[] = "all-on.bmp";
inline constexpr char AllOffFileName[] = "all-off.bmp";
inline constexpr char RecordingPattern[] = "*.wav";

// A sound option's own file beside the plain one: "<option>-<plain name>", as in
// "bowed-all-on.bmp", "bowed-tuner.ini" and "bowed-1-G3.wav".
QString optionFileName(const QString& option, const QString& plainName);
// An option's recordings are those whose names start with the option's text.
QString recordingPattern(const QString& option);

// The profile's one section is named after the program (the product title). Its keys: the number
// of sound options, the options "Option1", "Option2", ... and the six peg areas.
inline constexpr char OptionCountKey[] = "Options";
inline constexpr char OptionKeyPrefix[] = "Option";
QString optionKey(int number);
// The number k of an option key "Option" + k (plain decimal digits, no leading zero, the prefix
// in any case), or an empty text for any other key.
QString optionNumber(const QString& key);

enum class PegProperty { Top, Left, Height, Width };
inline constexpr PegProperty PegProperties[] = {PegProperty::Top, PegProperty::Left,
                                                PegProperty::Height, PegProperty::Width};
// "Tuner<peg>-Top", "-Left", "-Height", "-Width" for pegs 1 to 6, as read (without regard to
// case).
QString pegKey(int peg, PegProperty property);
// The same as "Make INI" writes it, which spells the width "width".
QString writtenPegKey(int peg, PegProperty property);
// Sets one property of a peg area. It holds whole pixels: a fractional value is rounded to the
// nearest pixel (halves away from zero). Throws StepFailed for a value the area cannot take (not
// finite, a negative size, beyond a 16-bit window coordinate); the area is then unchanged.
void setPegProperty(QRect& area, PegProperty property, float value);

} // namespace InstrumentFolder
