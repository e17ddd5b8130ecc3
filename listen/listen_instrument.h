#pragma once
// An instrument as the listening window hears and shows it: the instruments are those the tuner
// lists, each string's recording in the tuner's peg order, and the head with its peg areas as the
// tuner shows it when the instrument is chosen (with its first sound option, where it has any).

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>

struct ListenInstrument {
    QStringList recordings; // full paths, string 1 first
    QImage lit, dark;       // null where the picture cannot be read
    std::array<QRect, 6> pegs{};
};

// The sub-folders of tunes (ending in "/") that hold a recording, in the tuner's order, as the
// file system spells their names.
QStringList listenInstruments(const QString& tunes);

// The instrument in folder (ending in "/"); whatever cannot be read is left empty.
ListenInstrument readListenInstrument(const QString& folder);
