#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

// Opens a regular file for reading without ever blocking (a FIFO or a device named like a
// recording must not hang the program). Returns a descriptor, or -1.
int openRegularFileForReading(const QString& path);

// A regular file's bytes, mapped read-only for as long as the object lives; empty when the
// file cannot be read. Memory use does not grow with the file's size.
class MappedFile {
  public:
    explicit MappedFile(const QString& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    bool isOpen() const { return open_; }
    QByteArrayView bytes() const { return {static_cast<const char*>(data_), size_}; }

  private:
    void* data_ = nullptr;
    qsizetype size_ = 0;
    bool open_ = false;
};

// Reads at most maxBytes of a regular file; throws StepFailed when it cannot be read or is
// larger than maxBytes.
QByteArray readRegularFile(const QString& path, qint64 maxBytes);

// Replaces the file's contents in one rename: the bytes go to a new file beside it, which takes
// the old file's place only once all of them are safely written. Throws StepFailed otherwise,
// and the old file stays as it was. A link is followed to the file it names.
void replaceFileAtomically(const QString& path, QByteArrayView bytes);

namespace Commands {
// -1 when the file at path can be opened for reading, 0 otherwise (folders included).
int16_t FileExists(const QString& path);
} // namespace Commands
