#include "string_names.h"

#include "support/pitch/notes.h"

#include <QFileInfo>

QString stringNote(const QString& path, double target, double a4) {
    const QString base = QFileInfo(path).completeBaseName();
    const qsizetype dash = base.indexOf(u'-');
    if (dash >= 0)
        if (const auto named = Notes::namedNote(base.mid(dash + 1), a4))
            return named->name;
    return Notes::nearestNote(target, a4).name;
}
