#include "app/startup.h"
#include "generated/product.h"
#include "support/sound/sdl_sound_output.h"
#include "support/sound/sound.h"

#include <QApplication>
#include <QIcon>

int main(int, char** argv) {
    // The program takes no arguments: Qt is given the program's name alone, so that none of its
    // own options (-reverse, -style, -platform, ...) can change what the program does.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral(TUNER_TITLE));
    QApplication::setApplicationVersion(QStringLiteral(TUNER_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(TUNER_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/veltrosan-tuner.png")));
    Sound::installOutput(std::make_unique<SdlSoundOutput>());
    AppModul::Main();
    const int status = QApplication::exec();
    AppModul::DestroyTunerWindow();
    Sound::shutdown();
    return status;
}
