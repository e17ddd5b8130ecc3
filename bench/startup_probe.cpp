// One start of the tuner on the given application folder, step by step as the start-up takes
// them, with the time each step ends at, to find where start-up time goes. Prints one line per
// step, "<step> <wall clock in ns>"; bench/run subtracts the moment it started the program.
//
//   startup_probe <application folder>

#include "app/globals/globals.h"
#include "app/startup.h"
#include "support/sound/sound.h"
#include "support/sound/sound_output.h"
#include "ui/list_controls.h"
#include "ui/tuner.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

void stamp(const char* step) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::printf("%s %lld\n", step, now.tv_sec * 1000000000LL + now.tv_nsec);
}

class Watch : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // Once this paint has been delivered.
            QTimer::singleShot(0, [this] {
                stamp("painted");
                if (onPainted)
                    onPainted();
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

    std::function<void()> onPainted;

  private:
    bool painted_ = false;
};

} // namespace

int main(int argc, char** argv) {
    stamp("main");
    QApplication app(argc, argv);
    stamp("qt-ready");
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe <application folder>\n");
        return 2;
    }
    AppModul::AppPath = QString::fromLocal8Bit(argv[1]);
    if (!AppModul::AppPath.endsWith(u'/'))
        AppModul::AppPath += u'/';
    AppModul::InitAppNames();
    // As the program does: the sound libraries load once the window is painted.
    auto output = std::make_unique<SoundOutput>();
    output->holdLoading();
    SoundOutput& sound = *output;
    Sound::installOutput(std::move(output));
    Watch watch;
    watch.onPainted = [&sound] { sound.allowLoading(); };
    {
        Tuner tuner;
        tuner.installEventFilter(&watch);
        stamp("window-built");
        // The steps of LoadAndShow, one by one.
        tuner.Form_Load();
        AppModul::ListInstruments(tuner);
        stamp("folders-listed");
        if (tuner.TunersDir->ListCount() > 0)
            tuner.cboInstrument_Click();
        stamp("instrument-selected");
        tuner.show();
        stamp("shown");
        QApplication::exec();
    }
    Sound::shutdown();
    return 0;
}
