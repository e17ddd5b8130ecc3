#include "profile.h"

#include "support/files/file_access.h"
#include "support/files/file_names.h"
#include "support/step.h"

#include <sys/stat.h>

namespace Commands {
namespace {

// A profile is rewritten in memory; a larger file is refused rather than risked.
constexpr qint64 kMaxWritableProfile = 256LL * 1024 * 1024;

// The private-profile read: copies the value (or the default) into a buffer of bufferSize
// characters and returns how many it copied, without the closing NUL.
int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                            QString& buffer, int bufferSize, const QString& file) {
    const MappedFile mapped(file);
    std::optional<QString> value;
    if (mapped.isOpen())
        value = ProfileFormat::findValue(mapped.bytes(), section, key);
    buffer = value.value_or(defaultValue).left(bufferSize - 1);
    return int(buffer.size());
}

void WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& file) {
    QByteArray old;
    struct stat st {};
    if (::lstat(FileNames::fileSystemName(file).constData(), &st) == 0) // a dangling link too
        old = readRegularFile(file, kMaxWritableProfile);
    const std::optional<QByteArray> updated = ProfileFormat::withValue(old, section, key, value);
    if (!updated)
        throw StepFailed("value cannot be stored in a profile");
    replaceFileAtomically(file, *updated);
}

} // namespace

QString ReadProfileString(const QString& section, const QString& key, const QString& file,
                          const QString& defaultValue) {
    QString buffer;
    const int copied =
        GetPrivateProfileString(section.toUpper(), key.toUpper(), QString(), buffer, 2048, file);
    const auto n = static_cast<int16_t>(copied);
    return n <= 0 ? defaultValue : buffer.left(n);
}

QString WriteProfileString(const QString& section, const QString& key, const QString& value,
                           const QString& file) {
    attempt([&] { WritePrivateProfileString(section, key, value, file); });
    return QString();
}

QList<ProfileFormat::Entry> ReadProfileEntries(const QString& section, const QString& file) {
    const MappedFile mapped(file);
    if (!mapped.isOpen())
        return {};
    return ProfileFormat::sectionEntries(mapped.bytes(), section);
}

} // namespace Commands
