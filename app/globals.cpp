#include "globals.h"

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
    AppTitle = QString::fromLatin1(AppTitleText);
    TunesPath = AppPath + QStringLiteral("Tunes/");
    ReleaseSoundFile = TunesPath + QLatin1String(Commands::ReleaseFileName);
    TunerIniFile = AppPath + QLatin1String(Commands::ProfileFileName);
    AllOnName = QLatin1String(Commands::AllOnFileName);
    AllOffName = QLatin1String(Commands::AllOffFileName);
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
