#include "globals.h"

#include "generated/product.h"
#include "support/instrument_schema.h"
#include "support/paths.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace AppModul {

QString AppPath;
QString AppTitle;
QString TunesPath;
QString ReleaseSoundFile;
QString TunerIniFile;
QString AllOnName;
QString AllOffName;
QString InstrumentPath;
QString InstrumentIniFile;
QString AllOnFile;
QString AllOffFile;
int16_t SwitchOn = 0;

void InitAppNames() {
    // Plain assignments: none of them can fail.
    AppTitle = QStringLiteral(TUNER_TITLE);
    TunesPath = InstrumentFolder::tunesFolder(AppPath);
    ReleaseSoundFile = TunesPath + QLatin1String(InstrumentFolder::ReleaseFileName);
    TunerIniFile = AppPath + QLatin1String(InstrumentFolder::ProfileFileName);
    AllOnName = QLatin1String(InstrumentFolder::AllOnFileName);
    AllOffName = QLatin1String(InstrumentFolder::AllOffFileName);
}

} // namespace AppModul

namespace Commands {

void InitEnvironment() {
    // applicationDirPath() comes from /proc/self/exe, so links to the executable are resolved
    // to its real folder.
    AppModul::AppPath = QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
    AddBackslash(AppModul::AppPath);
}

} // namespace Commands
