// Times the handlers a user waits on, in process, on the real window: instrument selection
// (with and without sound options, and with "Options" = 2 and = 1e9), option change, and the
// peg press up to its sound call. Prints a table of medians.
//
//   handler_bench <application folder with the sample Tunes>

#include "app/globals/globals.h"
#include "app/startup.h"
#include "support/sound/sound.h"
#include "ui/tuner.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

double medianMicroseconds(int runs, const std::function<void()>& action) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        action();
        times.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

class NoSound : public Sound::Output {
  public:
    void play(const QString&, Sound::Playback) override {}
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    AppModul::AppPath = QString::fromLocal8Bit(argv[1]) + u'/';
    AppModul::InitAppNames();

    // Two made-up instruments that differ only in "Options".
    const QString ukulele = AppModul::TunesPath + u"Ukulele/"_s;
    for (const char* n : {"Options2", "Options1e9"}) {
        const QString folder = AppModul::TunesPath + QLatin1String(n) + u'/';
        QDir().mkpath(folder);
        for (const QString& f : QDir(ukulele).entryList(QDir::Files)) {
            QFile::remove(folder + f);
            QFile::copy(ukulele + f, folder + f);
        }
        QFile ini(folder + u"tuner.ini"_s);
        ini.open(QIODevice::Append);
        ini.write(QByteArray("Options=") + (QByteArray(n) == "Options2" ? "2" : "1e9") +
                  "\nOption1=\nOption2=\nOption3=\n");
    }

    Tuner tuner;
    AppModul::LoadAndShow(tuner);
    auto choose = [&](const QString& name) {
        tuner.cboInstrument->setEditText(name);
        tuner.cboInstrument_Click();
    };
    std::printf("| action | median |\n|---|---|\n");
    Sound::installOutput(std::make_unique<NoSound>());
    for (const char* name : {"Ukulele", "Guitar", "Violin", "Options2", "Options1e9"})
        std::printf("| select %s | %.0f us |\n", name,
                    medianMicroseconds(30, [&] { choose(QString::fromLatin1(name)); }));
    choose(u"Violin"_s);
    int option = 0;
    std::printf("| change option (Violin) | %.0f us |\n", medianMicroseconds(30, [&] {
                    tuner.cboOptions->setCurrentIndex(option++ % 2);
                    tuner.cboOptions_Click();
                }));

    // Peg presses with the real mixer on SDL's dummy output: the handler up to its sound call.
    Sound::shutdown();
    choose(u"Guitar"_s);
    int16_t peg = 0;
    tuner.picTuner_MouseDown(0, 1, 0, 0, 0); // opens the device
    for (int16_t k = 0; k < 6; ++k)
        tuner.picTuner_MouseDown(k, 1, 0, 0, 0); // decodes each recording once
    std::printf("| peg press, loop mode (cached recording) | %.0f us |\n",
                medianMicroseconds(200, [&] { tuner.picTuner_MouseDown(peg++ % 6, 1, 0, 0, 0); }));
    tuner.picSwitch_MouseDown(0, 0, 0, 0);
    std::printf("| peg press, single mode (cached recording) | %.0f us |\n",
                medianMicroseconds(200, [&] { tuner.picTuner_MouseDown(peg++ % 6, 1, 0, 0, 0); }));
    for (const char* n : {"Options2", "Options1e9"})
        QDir(AppModul::TunesPath + QLatin1String(n)).removeRecursively();
    Sound::shutdown();
    return 0;
}
