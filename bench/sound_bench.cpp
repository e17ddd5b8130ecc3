// Measures the sound path on a real sound server, the way the program takes (server) beside SDL
// as it chooses (sdl): onset latency from the call to the first captured sample, dropouts in a
// long loop, and the time a call takes with a cached and an uncached recording; or, with listen,
// the CPU the microphone and the pitch detector take while a tone plays into the sink. Run by
// bench/run with a private PulseAudio server and a null sink.
//
//   sound_bench <sink monitor> server|sdl <buffer frames> <loop seconds> [load]
//   sound_bench <sink monitor> server|sdl listen <seconds>

#include "support/pitch/pitch_detector.h"
#include "support/sound/microphone.h"
#include "support/sound/sound.h"
#include "support/sound/sound_output.h"
#include "support/sound/sound_way.h"
#include "support/sound/wav_file.h"
#include "tests/support/sound/sound_capture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
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

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The microphone hearing a tone played by another program, through the pitch detector: the share
// of one core the whole process takes over the seconds.
int listen(const char* way, int seconds) {
    QTemporaryDir dir;
    QFile raw(dir.path() + u"/tone.raw"_s);
    raw.open(QIODevice::WriteOnly);
    raw.write(wav(220, seconds + 5.0).mid(44)); // the samples alone
    raw.close();
    QProcess player;
    player.start(u"pacat"_s, {u"--raw"_s, u"--format=s16le"_s, u"--rate=48000"_s, u"--channels=1"_s,
                              raw.fileName()});
    PitchDetector detector(kRate);
    std::vector<PitchReading> readings;
    std::atomic<long> heard{0}, all{0};
    Microphone microphone([&](const float* samples, std::size_t count, bool) {
        readings.clear();
        detector.feed(samples, count, readings);
        for (const PitchReading& r : readings)
            (std::abs(r.frequency - 220) < 1 ? heard : all)++;
    });
    QElapsedTimer waited;
    waited.start();
    while (microphone.state() != Microphone::State::Listening && waited.elapsed() < 10000)
        QThread::msleep(10);
    QThread::msleep(1000);
    const double cpu0 = cpuSeconds();
    waited.restart();
    QThread::msleep(unsigned(seconds) * 1000);
    const double cpu = (cpuSeconds() - cpu0) / (double(waited.nsecsElapsed()) / 1e9);
    std::printf("| %s | %.2f %% | %ld of %ld |\n", way, 100 * cpu, heard.load(),
                heard.load() + all.load());
    player.kill();
    player.waitForFinished();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: sound_bench <monitor> server|sdl <buffer frames> <loop "
                             "seconds> [load]\n       sound_bench <monitor> server|sdl listen "
                             "<seconds>\n");
        return 2;
    }
    const QString monitor = QString::fromLocal8Bit(argv[1]);
    const char* way = argv[2];
    setSoundWay(std::strcmp(way, "sdl") == 0 ? SoundWay::Sdl : SoundWay::Automatic);
    if (std::strcmp(argv[3], "listen") == 0)
        return listen(way, std::atoi(argv[4]));
    const int frames = std::atoi(argv[3]);
    const int loopSeconds = std::atoi(argv[4]);
    const bool load = argc > 5;

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

    Sound::installOutput(std::make_unique<SoundOutput>(frames));
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
        Sound::installOutput(std::make_unique<SoundOutput>(frames));
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
    std::printf("| %-6s | %5d | %-5s | %6.1f | %6.1f | %3zu/40 | %8zu in %ds | %4zu in %d | %7.3f "
                "| %7.3f |\n",
                way, frames, load ? "busy" : "idle", percentile(onsets, 0.5),
                percentile(onsets, 0.95), onsets.size(), dropouts, loopSeconds, startBreaks,
                kFreshStreams, uncached, cached);
    return 0;
}
