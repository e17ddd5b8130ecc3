#pragma once
// Reading folders for the folder and file lists.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace FolderReading {

// Identifies the state of a folder's entries, so that a folder that has not changed need not
// be read again; empty when it cannot be read or changed too recently for its time stamp to
// tell two changes apart (file-system clocks tick coarsely).
QByteArray stamp(const QString& folder);

// The names of the folder's regular files (or of its sub-folders), hidden (dot) entries left
// out; links count as what they point to.
QStringList entryNames(const QString& folder, bool subFolders);

} // namespace FolderReading
