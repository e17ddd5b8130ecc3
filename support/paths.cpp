#include "paths.h"

namespace Commands {

QString AddBackslash(QString& path) {
    if (!path.endsWith(PathSeparator))
        path.append(PathSeparator);
    return path;
}

QString LastPathComponent(const QString& path) {
    QString s = path;
    if (s.endsWith(PathSeparator))
        s.chop(1);
    const qsizetype last = s.lastIndexOf(PathSeparator);
    return last < 0 ? s : s.mid(last + 1);
}

} // namespace Commands
