#pragma once
// Profile files come from Linux and from Windows machines. A line is read as UTF-8 when it is
// valid UTF-8 and as Windows-1252 otherwise (the code page such files were written in); a
// write uses UTF-8 unless the file already holds text that is not valid UTF-8, in which case
// the new line is written in Windows-1252 so that the file keeps one encoding.
// File names are handed to the file system in UTF-8, the Linux convention.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace TextEncoding {

QString decodeLine(QByteArrayView bytes);
// Characters that Windows-1252 cannot hold become "?".
QByteArray toWindows1252(const QString& text);

} // namespace TextEncoding
