#include "fixture.h"
#include "support/mixer.h"
#include "support/sound.h"
#include "support/wav_decoder.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <sndfile.h>
#include <sys/stat.h>
#include <utime.h>

using namespace Fixture;

namespace {

std::shared_ptr<Recording> ramp(long long frames, int rate = 48000) {
    auto r = std::make_shared<Recording>();
    r->sampleRate = rate;
    for (long long i = 0; i < frames; ++i) {
        r->samples.push_back(float(i + 1) / 1000.0f);
        r->samples.push_back(-float(i + 1) / 1000.0f);
    }
    return r;
}

// Renders frames in blocks of the given size and returns the left channel.
std::vector<float> render(Mixer& mixer, int frames, int block) {
    std::vector<float> left;
    std::vector<float> buffer(size_t(2 * block));
    while (int(left.size()) < frames) {
        const int n = std::min(block, frames - int(left.size()));
        mixer.render(buffer.data(), n);
        for (int i = 0; i < n; ++i)
            left.push_back(buffer[size_t(2 * i)]);
    }
    return left;
}

QByteArray withDataSize(QByteArray wav, quint32 size) {
    qToLittleEndian(size, wav.data() + 40);
    return wav;
}

QByteArray withChannels(QByteArray wav, quint16 channels) {
    qToLittleEndian(channels, wav.data() + 22);
    return wav;
}

void writeWithSndfile(const QString& path, int format, int channels, const std::vector<float>& s) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    QVERIFY(f);
    sf_writef_float(f, s.data(), sf_count_t(s.size() / size_t(channels)));
    sf_close(f);
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.path() + '/' + name; }

  private slots:
    void oneShotPlaysEveryFrameThenSilence() {
        for (int block : {1, 7, 256, 1000}) {
            Mixer mixer(48000);
            auto rec = ramp(500);
            mixer.start(rec, false);
            const std::vector<float> out = render(mixer, 1200, block);
            for (int i = 0; i < 500; ++i)
                QCOMPARE(out[size_t(i)], rec->samples[size_t(2 * i)]);
            for (int i = 500; i < 1200; ++i)
                QCOMPARE(out[size_t(i)], 0.0f);
        }
    }

    void loopRepeatsSampleExactlyAcrossJoins() {
        for (int block : {1, 13, 256, 4096}) {
            Mixer mixer(48000);
            auto rec = ramp(377);
            mixer.start(rec, true);
            const std::vector<float> out = render(mixer, 377 * 11 + 5, block);
            for (size_t i = 0; i < out.size(); ++i)
                QCOMPARE(out[i], rec->samples[2 * (i % 377)]);
        }
    }

    void newSoundReplacesTheOldWithAShortFade() {
        Mixer mixer(48000);
        auto a = ramp(1000);
        auto b = std::make_shared<Recording>();
        b->samples.assign(2 * 2000, 0.25f);
        mixer.start(a, true);
        render(mixer, 100, 100);
        mixer.start(b, true);
        const std::vector<float> out = render(mixer, 400, 400);
        const int rampFrames = 48000 * Mixer::kRampMilliseconds / 1000;
        QVERIFY(out[0] > 0.25f); // the old sound fades out...
        QVERIFY(out[size_t(rampFrames / 2)] > 0.25f);
        for (size_t i = size_t(rampFrames); i < out.size(); ++i)
            QCOMPARE(out[i], 0.25f); // ...and then only the new one sounds
    }

    void aMissingRecordingEndsTheSound() {
        Mixer mixer(48000);
        mixer.start(ramp(1000), true);
        render(mixer, 50, 50);
        mixer.start(nullptr, false);
        const std::vector<float> out = render(mixer, 300, 300);
        for (size_t i = size_t(48000 * Mixer::kRampMilliseconds / 1000); i < out.size(); ++i)
            QCOMPARE(out[i], 0.0f);
        QVERIFY(out[0] != 0.0f); // faded, not cut
    }

    void otherRatesKeepTheirDuration() {
        Mixer mixer(48000);
        mixer.start(ramp(100, 24000), false);
        const std::vector<float> out = render(mixer, 300, 64);
        QVERIFY(out[198] != 0.0f);
        QCOMPARE(out[200], 0.0f);
        QCOMPARE(out[2], ramp(100)->samples[2]); // frame 1 of the recording at output frame 2
    }

    void aTinyLoopAtAHighRateStaysInside() {
        // Found by fuzzing: one frame at 146 kHz steps past its end by more than its length.
        Mixer mixer(48000);
        auto rec = ramp(1, 146304);
        mixer.start(rec, true);
        const std::vector<float> out = render(mixer, 1000, 100);
        for (float x : out)
            QCOMPARE(x, rec->samples[0]);
    }

    void decodesCommonWavForms() {
        const std::vector<float> mono = {0.0f, 0.5f, -0.5f, 0.25f};
        writeWithSndfile(path("u8.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, mono);
        writeWithSndfile(path("s24.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, mono);
        writeWithSndfile(path("f32.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, mono);
        writeWithSndfile(path("ext.wav"), SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 1, mono);
        for (const char* name : {"u8.wav", "s24.wav", "f32.wav", "ext.wav"}) {
            auto rec = decodeWavFile(path(name));
            QVERIFY2(rec, name);
            QCOMPARE(rec->sampleRate, 44100);
            QCOMPARE(rec->frameCount(), 4LL);
            for (int i = 0; i < 4; ++i) {
                QVERIFY(std::abs(rec->samples[size_t(2 * i)] - mono[size_t(i)]) < 0.01f);
                QCOMPARE(rec->samples[size_t(2 * i + 1)], rec->samples[size_t(2 * i)]);
            }
        }
        writeWithSndfile(path("stereo.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, mono);
        auto stereo = decodeWavFile(path("stereo.wav"));
        QVERIFY(stereo);
        QCOMPARE(stereo->samples, std::vector<float>(mono.begin(), mono.end()));
    }

    void badFilesGiveNoRecording() {
        const QByteArray good = wavBytes(tone(440, 0.1));
        QVERIFY(decodeWavBytes(good));
        writeFile(path("good.wav"), good);
        QVERIFY(decodeWavFile(path("good.wav")));

        const QByteArray aiff = "FORM\0\0\0\x20"
                                "AIFFCOMM";
        const QList<QPair<const char*, QByteArray>> bad = {
            {"empty", QByteArray()},
            {"text", QByteArray("this is no recording")},
            {"truncated", good.left(good.size() / 2)},
            {"header only", good.left(44)},
            {"gigabytes claimed", withDataSize(good, 0xFFFFFFF0u)},
            {"many channels", withChannels(good, 65535)},
            {"no channels", withChannels(good, 0)},
            {"aiff", aiff},
        };
        for (const auto& [name, bytes] : bad) {
            QVERIFY2(!decodeWavBytes(bytes), name);
            writeFile(path("bad.wav"), bytes);
            QVERIFY2(!decodeWavFile(path("bad.wav")), name);
        }
        QVERIFY(!decodeWavFile(path("missing.wav")));
        QVERIFY(!decodeWavFile(dir.path()));
        QVERIFY(!decodeWavFile(path("good.wav/inside")));
        const QString fifo = path("fifo.wav");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!decodeWavFile(fifo)); // and does not block
    }

    void cacheReadsAChangedFileAgain() {
        RecordingCache cache;
        writeWav(path("c.wav"), tone(440, 0.1));
        auto first = cache.load(path("c.wav"));
        QVERIFY(first);
        QCOMPARE(cache.load(path("c.wav")).get(), first.get());
        writeWav(path("c.wav"), tone(440, 0.2));
        auto second = cache.load(path("c.wav"));
        QVERIFY(second && second.get() != first.get());
        QCOMPARE(second->frameCount(), 9600LL);
        QFile::remove(path("c.wav"));
        QVERIFY(!cache.load(path("c.wav")));

        RecordingCache small(50 * 1024); // room for one recording of 0.1 s (38 kB) at a time
        writeWav(path("d.wav"), tone(440, 0.1));
        writeWav(path("e.wav"), tone(660, 0.1));
        const auto d = small.load(path("d.wav"));
        QCOMPARE(small.load(path("d.wav")).get(), d.get());
        QVERIFY(small.load(path("e.wav")));
        QVERIFY(small.load(path("d.wav")).get() != d.get()); // d made room for e
    }

    void routinesPassTheirFlags() {
        RecordedSound sound;
        Sound::PlaySoundFile("/x/a.wav");
        Sound::LoopSoundFile("/x/b.wav");
        QCOMPARE(sound.calls().size(), size_t(2));
        QCOMPARE(sound.calls()[0].path, QStringLiteral("/x/a.wav"));
        QCOMPARE(sound.calls()[0].flags, Sound::SND_ASYNC);
        QCOMPARE(sound.calls()[1].flags, Sound::SND_ASYNC | Sound::SND_LOOP);
        QCOMPARE(Sound::SND_ASYNC | Sound::SND_LOOP, 9u);
    }
};

QTEST_GUILESS_MAIN(TestSound)
#include "test_sound.moc"
