#include "file_access.h"

#include "support/files/file_names.h"
#include "support/step.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int openRegularFileForReading(const QString& path) {
    if (path.isEmpty())
        return -1;
    const QByteArray name = FileNames::fileSystemName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

MappedFile::MappedFile(const QString& path) {
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        open_ = true;
        if (st.st_size > 0) {
            void* data = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (data != MAP_FAILED) {
                data_ = data;
                size_ = qsizetype(st.st_size);
            } else {
                open_ = false;
            }
        }
    }
    ::close(fd);
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(data_, size_t(size_));
}

QByteArray readRegularFile(const QString& path, qint64 maxBytes) {
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        throw StepFailed("cannot open " + path.toStdString());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size > maxBytes) {
        ::close(fd);
        throw StepFailed("cannot read " + path.toStdString());
    }
    // Exactly the file's size is allocated; a file that grew meanwhile is read only so far.
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
}

void replaceFileAtomically(const QString& path, QByteArrayView bytes) {
    QByteArray target = FileNames::fileSystemName(path);
    char linked[PATH_MAX];
    const ssize_t linkedLength = ::readlink(target.constData(), linked, sizeof linked);
    if (linkedLength > 0 && size_t(linkedLength) < sizeof linked) {
        const QByteArray named(linked, linkedLength);
        const qsizetype slash = target.lastIndexOf('/');
        target = named.startsWith('/') || slash < 0 ? named : target.left(slash + 1) + named;
    }
    // The rename needs only a writable folder; a file this user may not write to (marked
    // read-only, say) is refused as an ordinary write would refuse it.
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        throw StepFailed("not writable: " + path.toStdString());
    QByteArray temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw StepFailed("cannot create a file beside " + path.toStdString());
    struct stat old {};
    bool ok = true;
    if (::stat(target.constData(), &old) == 0)
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    else
        ok = ::fchmod(fd, 0644) == 0; // what a new file would get with the usual umask
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        data += n;
        left -= n;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        throw StepFailed("cannot write " + path.toStdString());
    }
}

namespace Commands {

int16_t FileExists(const QString& path) {
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        return 0;
    ::close(fd);
    return -1;
}

} // namespace Commands
