#include "../support/sound.h"
#include "startup.h"

#include <QApplication>
#include <QIcon>

int main(int, char** argv) {
    // The program takes no arguments: Qt is given the program's name alone, so that none of its
    // own options (-reverse, -style, -platform, ...) can change what the program does.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Veltrosan Tuner"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/veltrosan-tuner.png")));
    AppModul::Main();
    const int status = QApplication::exec();
    AppModul::DestroyTunerWindow();
    Sound::shutdown();
    return status;
}
