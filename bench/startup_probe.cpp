// Starts either the tuner (on the given application folder) or a bare window with one empty
// widget, and writes one line to standard output when the window has first been painted:
// "painted <peak resident kB>". The parent measures the time from its start to that line.
//
//   startup_probe tuner <application folder>
//   startup_probe bare

#include "app/globals.h"
#include "app/startup.h"
#include "support/sound.h"
#include "ui/tuner.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Report once this paint has been delivered.
            QTimer::singleShot(0, [] {
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                std::printf("painted %ld\n", usage.ru_maxrss);
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
    const QString mode = argc > 1 ? argv[1] : "";
    std::unique_ptr<QWidget> bare;
    std::unique_ptr<Tuner> tuner;
    if (mode == "tuner" && argc > 2) {
        AppModul::AppPath = QString::fromLocal8Bit(argv[2]);
        if (!AppModul::AppPath.endsWith('/'))
            AppModul::AppPath += '/';
        AppModul::InitAppNames();
        tuner = std::make_unique<Tuner>();
        tuner->installEventFilter(&probe);
        AppModul::LoadAndShow(*tuner);
    } else if (mode == "bare") {
        bare = std::make_unique<QWidget>();
        bare->resize(384, 550);
        new QWidget(bare.get());
        bare->installEventFilter(&probe);
        bare->show();
    } else {
        std::fprintf(stderr, "usage: startup_probe tuner <folder> | bare\n");
        return 2;
    }
    const int status = QApplication::exec();
    tuner.reset();
    Sound::shutdown();
    return status;
}
