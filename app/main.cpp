#include "../support/sound.h"
#include "startup.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrosan Tuner"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/veltrosan-tuner.png")));
    AppModul::Main();
    const int status = QApplication::exec();
    AppModul::DestroyTunerWindow();
    Sound::shutdown();
    return status;
}
