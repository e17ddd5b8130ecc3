#pragma once
// Whether a file or folder has changed since it was last read: its device, inode, size and
// modification time together. A file replaced by another of the same size and time still
// differs in its inode.

#include <QByteArray>
#include <QString>

enum class FileKind { Regular, Folder };

// The identity of what path names (links followed); empty when it is missing or not of kind.
QByteArray fileIdentity(const QString& path, FileKind kind);

// The seconds since what path names was last modified; a large number when it cannot be told.
long long secondsSinceModified(const QString& path);
