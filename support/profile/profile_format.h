#pragma once
// The profile-file format, on a file's bytes: sections "[name]", entries "key=value".
// Section names and keys match without regard to letter case; blanks (spaces and tabs) around
// names, keys and values do not belong to them; only the first section of a name counts, and
// in it only the first entry of a key. A value ends at a NUL byte and is cut to 2047
// characters; an empty value counts as missing. Lines end in LF or CRLF; a UTF-8 byte order
// mark is skipped. Every function here runs in time linear in the file's size.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

namespace ProfileFormat {

inline constexpr qsizetype MaxValueLength = 2047;

struct Entry {
    QString key;
    QString value; // never empty
};

std::optional<QString> findValue(QByteArrayView file, const QString& section, const QString& key);

// The entries of the first section of that name, in file order, first occurrence of each key.
QList<Entry> sectionEntries(QByteArrayView file, const QString& section);

// The file's bytes after writing key=value into the section: an existing entry is replaced
// where it stands, a missing one is added after the last line of its section, a missing section
// is added at the end. Every other byte stays as it was; the new text follows the file's line
// ending and encoding. Empty when the texts cannot be stored without damaging the file's
// structure (a line break or NUL anywhere, "=" in the key, "]" in the section, empty key).
std::optional<QByteArray> withValue(QByteArrayView file, const QString& section, const QString& key,
                                    const QString& value);

} // namespace ProfileFormat
