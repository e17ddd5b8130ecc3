#pragma once
// Reading folders for the folder and file lists.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace FolderReading {

// Identifies the state of a folder's entries, so that a folder that has not changed need not
// be read again; empty when it cannot be read or changed too recently for its time stamp to
// tell two changes apart (file-system clocks tick coarsely).
QByteArray stamp(const QString& folder);

// The names of the folder's regular files (or of its sub-folders), hidden (dot) entries left
// out; links count as what they point to.
QStringList entryNames(const QString& folder, bool subFolders);

// Hands each of those names to take as the file system stores it (bytes, not decoded), for
// callers that only look at names and need no copy; false when the folder cannot be opened.
bool forEachEntry(const QString& folder, bool subFolders,
                  const std::function<void(const char* name)>& take);

} // namespace FolderReading
