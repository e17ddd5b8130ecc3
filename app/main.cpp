#include "app/startup.h"
#include "generated/product.h"
#include "support/sound/sound_output.h"
#include "support/sound/sound.h"
#include "ui/tuner.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

namespace {

// The sound libraries load on the other core while the window is built; on a two-core machine
// that slows the first paint by a few milliseconds, so they load once the window has been
// painted (or after a moment, should it never be). The start-up's release sound waits as any
// early call does, and plays then.
class LoadSoundAfterFirstPaint : public QObject {
  public:
    explicit LoadSoundAfterFirstPaint(SoundOutput& output) : output_(output) {
        QTimer::singleShot(500, this, [this] { allow(); });
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { allow(); });
        return QObject::eventFilter(watched, event);
    }

  private:
    void allow() {
        if (done_)
            return;
        done_ = true;
        output_.allowLoading();
        if (Tuner* window = AppModul::TunerWindow())
            window->removeEventFilter(this);
    }
    SoundOutput& output_;
    bool done_ = false;
};

} // namespace

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
    auto output = std::make_unique<SoundOutput>();
    output->holdLoading();
    LoadSoundAfterFirstPaint loadSound(*output);
    Sound::installOutput(std::move(output));
    AppModul::Main();
    if (Tuner* window = AppModul::TunerWindow())
        window->installEventFilter(&loadSound);
    const int status = QApplication::exec();
    AppModul::DestroyTunerWindow();
    Sound::shutdown();
    return status;
}
