#include "file_identity.h"

#include "support/files/file_names.h"

#include <ctime>
#include <sys/stat.h>

QByteArray fileIdentity(const QString& path, FileKind kind, int settleSeconds) {
    struct stat st {};
    if (::stat(FileNames::fileSystemName(path).constData(), &st) != 0 ||
        !(kind == FileKind::Regular ? S_ISREG(st.st_mode) : S_ISDIR(st.st_mode)))
        return {};
    if (settleSeconds > 0) {
        // The clock is read after the file's time, so a change between the two never passes.
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        if (now.tv_sec - st.st_mtim.tv_sec < settleSeconds)
            return {};
    }
    return QByteArray::number(qulonglong(st.st_dev)) + ':' +
           QByteArray::number(qulonglong(st.st_ino)) + ':' +
           QByteArray::number(qlonglong(st.st_size)) + ':' +
           QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}
