// Measures the sound path on a real sound server: onset latency from the call to the first
// captured sample, dropouts in a long loop, and the time a call takes with a cached and an
// uncached recording. Run by bench/run with a private PulseAudio server and a null sink.
//
//   sound_bench <sink monitor> <buffer frames> <loop seconds> [load]

#include "support/sdl_sound_backend.h"
#include "support/sound.h"
#include "wav_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 48000;

QByteArray wav(double frequency, double seconds) {
    std::vector<int16_t> samples(size_t(seconds * kRate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(std::lround(16000 * std::sin(2 * M_PI * frequency * double(i) / kRate)));
    return pcm16WavFile(samples, kRate, 1);
}

class Capture {
  public:
    explicit Capture(const QString& monitor) {
        clock_.start();
        process_.start("parec", {"--device=" + monitor, "--format=s16le", "--rate=48000",
                                 "--channels=1", "--raw", "--latency-msec=5"});
        process_.waitForStarted();
    }
    ~Capture() {
        process_.kill();
        process_.waitForFinished();
    }
    void pump(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            process_.waitForReadyRead(5);
            const QByteArray chunk = process_.readAllStandardOutput();
            if (!chunk.isEmpty()) {
                bytes_ += chunk;
                arrivals_.push_back({clock_.nsecsElapsed(), bytes_.size() / 2});
            }
        }
    }
    // The capture's sample index at a moment, from the arrival times of its chunks.
    double indexAt(qint64 nanos) const {
        for (auto it = arrivals_.rbegin(); it != arrivals_.rend(); ++it)
            if (it->first <= nanos)
                return double(it->second) + double(nanos - it->first) * kRate / 1e9;
        return 0;
    }
    qint64 now() const { return clock_.nsecsElapsed(); }
    float sample(qsizetype i) const {
        return float(int16_t(quint16(uchar(bytes_[2 * i])) |
                             quint16(uchar(bytes_[2 * i + 1]) << 8))) /
               32768.0f;
    }
    qsizetype size() const { return bytes_.size() / 2; }

  private:
    QProcess process_;
    QByteArray bytes_;
    QElapsedTimer clock_;
    std::vector<std::pair<qint64, qsizetype>> arrivals_;
};

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
    const QString monitor = argv[1];
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
    const QString tone = dir.path() + "/tone.wav";
    const QString silence = dir.path() + "/none.wav";
    QFile f(tone);
    f.open(QIODevice::WriteOnly);
    f.write(wav(1000, 0.5)); // whole periods: the loop joins in phase
    f.close();

    Sound::setBackend(std::make_unique<SdlSoundBackend>(frames));
    Sound::PlaySoundFile(silence);
    QThread::msleep(700); // the device opens on its helper thread

    Capture capture(monitor);
    capture.pump(500);
    std::vector<double> onsets;
    for (int i = 0; i < 40; ++i) {
        Sound::PlaySoundFile(silence);
        capture.pump(120);
        const qint64 t0 = capture.now();
        Sound::LoopSoundFile(tone);
        capture.pump(150);
        const auto from = qsizetype(capture.indexAt(t0));
        for (qsizetype k = std::max<qsizetype>(from, 0); k < capture.size(); ++k)
            if (std::abs(capture.sample(k)) > 0.05f) {
                onsets.push_back(double(k - from) * 1000.0 / kRate);
                break;
            }
    }

    // Dropouts: breaks in a long loop.
    Sound::LoopSoundFile(tone);
    capture.pump(300);
    const qsizetype begin = capture.size();
    capture.pump(loopSeconds * 1000);
    const qsizetype end = capture.size();
    int dropouts = 0, run = 0;
    for (qsizetype k = begin; k < end; ++k) {
        run = std::abs(capture.sample(k)) < 0.01f ? run + 1 : 0;
        if (run == 8)
            ++dropouts;
    }
    Sound::PlaySoundFile(silence);

    // Call time, uncached and cached, for a three-second recording.
    const QString longTone = dir.path() + "/long.wav";
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

    stop = true;
    for (auto& b : burners)
        b.join();
    Sound::shutdown();
    std::printf("| %5d | %-5s | %6.1f | %6.1f | %3zu/40 | %8d in %ds | %7.3f | %7.3f |\n", frames,
                load ? "busy" : "idle", percentile(onsets, 0.5), percentile(onsets, 0.95),
                onsets.size(), dropouts, loopSeconds, uncached, cached);
    return 0;
}
