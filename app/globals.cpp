#include "globals.h"

#include "../support/paths.h"
#include "../support/step.h"

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
    attempt([] { AppTitle = QString::fromLatin1(AppTitleText); });
    attempt([] { TunesPath = AppPath + QStringLiteral("Tunes/"); });
    attempt([] { ReleaseSoundFile = TunesPath + QStringLiteral("release.wav"); });
    attempt([] { TunerIniFile = AppPath + QStringLiteral("tuner.ini"); });
    attempt([] { AllOnName = QStringLiteral("all-on.bmp"); });
    attempt([] { AllOffName = QStringLiteral("all-off.bmp"); });
}

} // namespace AppModul

namespace Commands {

void InitEnvironment() {
    attempt([] {
        // applicationDirPath() comes from /proc/self/exe, so links to the executable are
        // resolved to its real folder.
        AppModul::AppPath = QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
    });
    attempt([] { AddBackslash(AppModul::AppPath); });
}

} // namespace Commands
