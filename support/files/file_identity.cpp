#include "file_identity.h"

#include <QFile>
#include <ctime>
#include <limits>
#include <sys/stat.h>

QByteArray fileIdentity(const QString& path, FileKind kind) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !(kind == FileKind::Regular ? S_ISREG(st.st_mode) : S_ISDIR(st.st_mode)))
        return {};
    return QByteArray::number(qulonglong(st.st_dev)) + ':' +
           QByteArray::number(qulonglong(st.st_ino)) + ':' +
           QByteArray::number(qlonglong(st.st_size)) + ':' +
           QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}

long long secondsSinceModified(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::numeric_limits<long long>::max();
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - st.st_mtim.tv_sec;
}
