// The listening window's answer to a string, as a user sees it: tones of known pitch played into
// the sound server one after another, each a string of the ukulele a little out of tune, and the
// time from the note's onset at the capture device to the window's gauge settled (within a cent of
// the truth, on the right string, and staying there until the note ends). The onset is found by a
// second capture of the same device, so both see the note arrive alike.
//
//   listen_bench <Tunes folder>   prints "settled median ms, p95 ms, notes settled / played"

#include "listen/cents_gauge.h"
#include "listen/head_view.h"
#include "listen/listen_window.h"
#include "support/sound/microphone.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr double kNoteSeconds = 1.2, kGapSeconds = 0.8;
constexpr double kStrings[] = {392.00, 261.6256, 329.6276, 440.00};
constexpr double kOffsets[] = {-17, 9, -4.5, 13, 2.5, -11, 6, -1.5};

std::atomic<qint64> g_onset{-1}; // ms on the bench's clock, when the last onset arrived
QElapsedTimer g_clock;

void waitFor(const std::function<bool()>& done, int millis) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < millis)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: listen_bench <Tunes folder>\n");
        return 2;
    }
    g_clock.start();
    ListenWindow window(QString::fromLocal8Bit(argv[1]) + u'/', 440);
    window.cboInstrument->setCurrentIndex(
        window.cboInstrument->findText(QStringLiteral("Ukulele")));
    window.show();
    bool loud = false;
    Microphone onsets([&loud](const float* s, std::size_t n, bool) {
        double power = 0;
        for (std::size_t i = 0; i < n; ++i)
            power += double(s[i]) * s[i];
        const bool now = power / double(std::max<std::size_t>(n, 1)) > 1e-5;
        if (now && !loud)
            g_onset = g_clock.elapsed();
        loud = now;
    });
    waitFor([&] { return window.lblMicrophone->isHidden(); }, 10000);
    waitFor([] { return false; }, 2000); // the strings' targets are measured

    const int notes = 24;
    std::vector<int16_t> samples;
    std::vector<double> truths;
    for (int k = 0; k < notes; ++k) {
        const int string = k % 4;
        const double offset = kOffsets[k % 8];
        truths.push_back(offset);
        const double f = kStrings[string] * std::exp2(offset / 1200);
        for (int i = 0; i < int(kNoteSeconds * kRate); ++i) {
            const double t = double(i) / kRate;
            double v = 0;
            for (int h = 1; h <= 6; ++h)
                v += std::sin(2 * M_PI * h * f * t) / h * std::exp(-t * (0.8 + 0.6 * h));
            samples.push_back(int16_t(9000 * std::min(1.0, t / 0.003) * v));
        }
        samples.insert(samples.end(), std::size_t(kGapSeconds * kRate), 0);
    }
    QProcess player;
    player.start(QStringLiteral("pacat"),
                 {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                  QStringLiteral("--rate=48000"), QStringLiteral("--channels=1")});
    player.waitForStarted();
    player.write(reinterpret_cast<const char*>(samples.data()),
                 qint64(samples.size() * sizeof(int16_t)));

    std::vector<double> settled;
    for (int k = 0; k < notes; ++k) {
        const qint64 before = g_onset;
        waitFor([&] { return g_onset != before; }, 10000);
        const qint64 onset = g_onset;
        const double truth = truths[std::size_t(k)];
        qint64 since = -1;
        const qint64 end = onset + qint64(kNoteSeconds * 1000) - 100;
        while (g_clock.elapsed() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            const auto cents = window.gauge->cents();
            const bool right =
                cents && std::abs(*cents - truth) <= 1 && window.head->litString() == k % 4;
            if (!right)
                since = -1;
            else if (since < 0)
                since = g_clock.elapsed();
        }
        if (since >= 0)
            settled.push_back(double(since - onset));
    }
    player.kill();
    player.waitForFinished();
    std::sort(settled.begin(), settled.end());
    const auto at = [&](double share) {
        return settled.empty() ? NAN : settled[std::size_t(share * double(settled.size() - 1))];
    };
    std::printf("%.0f %.0f %zu/%d\n", at(0.5), at(0.95), settled.size(), notes);
    return 0;
}
