// Measures the sound path on a real sound server: onset latency from the call to the first
// captured sample, dropouts in a long loop, and the time a call takes with a cached and an
// uncached recording. Run by bench/run with a private PulseAudio server and a null sink.
//
//   sound_bench <sink monitor> <buffer frames> <loop seconds> [load]

#include "support/sound/sdl_sound_output.h"
#include "support/sound/sound.h"
#include "support/sound/wav_file.h"
#include "tests/support/sound/sound_capture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRate = 48000;
constexpr int kFreshStreams = 20;

QByteArray wav(double frequency, double seconds) {
    std::vector<int16_t> samples(size_t(seconds * kRate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] =
            int16_t(std::lround(16000 * std::sin(2 * M_PI * frequency * double(i) / kRate)));
    return pcm16WavFile(samples, kRate, 1);
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[size_t(std::min<double>(double(v.size()) - 1, p * double(v.size())))];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: sound_bench <monitor> <buffer frames> <loop seconds> [load]\n");
        return 2;
    }
    const QString monitor = QString::fromLocal8Bit(argv[1]);
    const int frames = std::atoi(argv[2]);
    const int loopSeconds = std::atoi(argv[3]);
    const bool load = argc > 4;

    std::atomic<bool> stop{false};
    std::vector<std::thread> burners;
    if (load)
        for (unsigned i = 0; i < std::thread::hardware_concurrency(); ++i)
            burners.emplace_back([&] {
                volatile double x = 1;
                while (!stop)
                    x = x * 1.0000001 + 1e-9;
            });

    QTemporaryDir dir;
    const QString tone = dir.path() + u"/tone.wav"_s;
    const QString silence = dir.path() + u"/none.wav"_s;
    QFile f(tone);
    f.open(QIODevice::WriteOnly);
    f.write(wav(1000, 0.5)); // whole periods: the loop joins in phase
    f.close();

    Sound::installOutput(std::make_unique<SdlSoundOutput>(frames));
    Sound::PlaySoundFile(silence);
    QThread::msleep(700); // the device opens on its helper thread

    Capture::SoundCapture capture(monitor, 5);
    capture.pump(500);
    std::vector<double> onsets;
    for (int i = 0; i < 40; ++i) {
        Sound::PlaySoundFile(silence);
        capture.pump(120);
        const qint64 t0 = capture.now();
        Sound::LoopSoundFile(tone);
        capture.pump(150);
        const qsizetype from = capture.indexAt(t0);
        const std::vector<float> heard = capture.samples(from, capture.mark() - from);
        for (size_t k = 0; k < heard.size(); ++k)
            if (std::abs(heard[k]) > 0.05f) {
                onsets.push_back(double(k) * 1000.0 / kRate);
                break;
            }
    }

    // Dropouts: breaks in a long loop.
    Sound::LoopSoundFile(tone);
    capture.pump(300);
    const qsizetype begin = capture.mark();
    capture.pump(loopSeconds * 1000);
    const size_t dropouts = Capture::breaks(capture.samples(begin, capture.mark() - begin)).size();
    Sound::PlaySoundFile(silence);

    // Call time, uncached and cached, for a three-second recording.
    const QString longTone = dir.path() + u"/long.wav"_s;
    QFile g(longTone);
    g.open(QIODevice::WriteOnly);
    g.write(wav(440, 3.0));
    g.close();
    QElapsedTimer t;
    t.start();
    Sound::LoopSoundFile(longTone);
    const double uncached = double(t.nsecsElapsed()) / 1e6;
    Sound::PlaySoundFile(silence);
    t.restart();
    Sound::LoopSoundFile(longTone);
    const double cached = double(t.nsecsElapsed()) / 1e6;
    Sound::PlaySoundFile(silence);

    // Fresh streams: breaks in the first 300 ms of a loop on a device that has just opened.
    size_t startBreaks = 0;
    for (int i = 0; i < kFreshStreams; ++i) {
        Sound::PlaySoundFile(silence); // the stream before ends, and its last samples are heard
        capture.silent(capture.mark());
        Sound::installOutput(std::make_unique<SdlSoundOutput>(frames));
        const qsizetype at = capture.mark();
        Sound::LoopSoundFile(tone);
        const qsizetype start = capture.begins(at, 1000);
        if (start >= 0) // from 10 ms on: the onset is found to within a window of 10 ms
            startBreaks +=
                Capture::breaks(capture.samples(start + Capture::ms(10), Capture::ms(300))).size();
    }

    stop = true;
    for (auto& b : burners)
        b.join();
    Sound::shutdown();
    std::printf("| %5d | %-5s | %6.1f | %6.1f | %3zu/40 | %8zu in %ds | %4zu in %d | %7.3f | %7.3f "
                "|\n",
                frames, load ? "busy" : "idle", percentile(onsets, 0.5), percentile(onsets, 0.95),
                onsets.size(), dropouts, loopSeconds, startBreaks, kFreshStreams, uncached, cached);
    return 0;
}
