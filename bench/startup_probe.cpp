// Starts the tuner on the given application folder, or (built as startup_floor, linked with Qt
// alone) a bare window with one empty widget, and writes one line when the window has first
// been painted: "painted <wall clock in ns> <peak resident kB>". The caller subtracts the wall
// clock it read just before starting the program.
//
//   startup_probe <application folder>
//   startup_floor

#ifndef TUNER_PROBE_FLOOR
#include "app/globals.h"
#include "app/startup.h"
#include "support/sound/sdl_sound_output.h"
#include "support/sound/sound.h"
#include "ui/tuner.h"
#endif

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/resource.h>

namespace {

class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Report once this paint has been delivered.
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                std::printf("painted %lld %ld\n", now.tv_sec * 1000000000LL + now.tv_nsec,
                            usage.ru_maxrss);
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool seen_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaint probe;
#ifdef TUNER_PROBE_FLOOR
    (void)argv;
    QWidget bare;
    bare.resize(384, 550); // the size of the tuner's pictures
    new QWidget(&bare);
    bare.installEventFilter(&probe);
    bare.show();
    return QApplication::exec();
#else
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe <application folder>\n");
        return 2;
    }
    AppModul::AppPath = QString::fromLocal8Bit(argv[1]);
    if (!AppModul::AppPath.endsWith('/'))
        AppModul::AppPath += '/';
    AppModul::InitAppNames();
    Sound::installOutput(std::make_unique<SdlSoundOutput>());
    auto tuner = std::make_unique<Tuner>();
    tuner->installEventFilter(&probe);
    AppModul::LoadAndShow(*tuner);
    const int status = QApplication::exec();
    tuner.reset();
    Sound::shutdown();
    return status;
#endif
}
