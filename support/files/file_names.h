#pragma once
// File names as the file system stores them: bytes, which need not be valid UTF-8. A name is
// held in a QString that gives back exactly its bytes: valid UTF-8 is decoded as usual, and
// each byte that is not part of valid UTF-8 is kept as one lone surrogate U+DC80..U+DCFF (which
// valid UTF-8 never decodes to). Every path the program opens passes through fileSystemName.

#include <QByteArray>
#include <QString>

namespace FileNames {

QString fromFileSystem(const char* name, qsizetype length = -1);
QByteArray fileSystemName(const QString& path);
// The text to show a person: each kept byte becomes U+FFFD, the replacement character.
QString readable(const QString& name);

} // namespace FileNames
