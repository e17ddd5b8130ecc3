#pragma once
// Whether a file or folder has changed since it was last read: its device, inode, size and
// modification time together. A file replaced by another of the same size and time still
// differs in its inode.

#include <QByteArray>
#include <QString>

enum class FileKind { Regular, Folder };

// The identity of what path names (links followed); empty when it is missing, not of kind, or
// modified less than settleSeconds ago (file-system clocks tick coarsely, so a change within
// the same tick as an earlier one could otherwise go unseen).
QByteArray fileIdentity(const QString& path, FileKind kind, int settleSeconds = 0);
