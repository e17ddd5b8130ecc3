// The mixer rendered offline, sample by sample, and WAV decoding with its cache.
#include "support/sound/mixer.h"
#include "support/sound/recording_cache.h"
#include "support/sound/sound_output.h"
#include "support/sound/sound_server_check.h"
#include "support/sound/wav_decoder.h"
#include "tests/support/sound/private_server.h"
#include "tests/support/support_fixture.h"

#include <algorithm>
#include <cstdio>
#include <sndfile.h>
#include <sys/stat.h>
#include <utime.h>

using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<Recording> ramp(long long frames, int rate = 48000) {
    auto r = std::make_shared<Recording>();
    r->sampleRate = rate;
    for (long long i = 0; i < frames; ++i)
        for (const float sign : {1.0f, -1.0f})
            r->samples.push_back(sign * float(i + 1) / 1000.0f);
    return r;
}

// Renders frames in blocks of the given size and returns the left channel.
std::vector<float> render(Mixer& mixer, int frames, int block) {
    std::vector<float> left, buffer(size_t(2 * block));
    while (int(left.size()) < frames) {
        const int n = std::min(block, frames - int(left.size()));
        mixer.render(buffer.data(), n);
        for (int i = 0; i < n; ++i)
            left.push_back(buffer[size_t(2 * i)]);
    }
    return left;
}

constexpr int kRampFrames = 48000 * Mixer::kRampMilliseconds / 1000;

} // namespace

class TestSound : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    PrivateServer bare; // no device at all
    QString path(const QString& name) const { return dir.path() + u'/' + name; }

  private slots:
    void oneShotAndLoopAtAnyBlockSize() {
        for (int block : {1, 13, 256, 4096}) {
            auto rec = ramp(377);
            Mixer once(48000), loop(48000);
            once.start(rec, false);
            loop.start(rec, true);
            const std::vector<float> a = render(once, 800, block),
                                     b = render(loop, 377 * 3 + 5, block);
            for (size_t i = 0; i < a.size(); ++i)
                QCOMPARE(a[i], i < 377 ? rec->samples[2 * i] : 0.0f);
            for (size_t i = 0; i < b.size(); ++i)
                QCOMPARE(b[i], rec->samples[2 * (i % 377)]);
        }
    }

    void aNewSoundFadesTheOldOutAndAMissingOneEndsIt() {
        auto b = std::make_shared<Recording>();
        b->samples.assign(2 * 2000, 0.25f);
        for (const std::shared_ptr<Recording>& next : {b, std::shared_ptr<Recording>()}) {
            Mixer mixer(48000);
            mixer.start(ramp(1000), true);
            render(mixer, 300, 300);
            mixer.start(next, true);
            const std::vector<float> out = render(mixer, 400, 400);
            const float now = next ? 0.25f : 0.0f;
            QVERIFY(out[size_t(kRampFrames / 2)] > now + 0.05f); // the old sound fades...
            for (size_t i = size_t(kRampFrames); i < out.size(); ++i)
                QCOMPARE(out[i], now); // ...then only the new one sounds
        }
    }

    // A device that comes back after it was lost: a loop goes on, a sound played once is over.
    void aLostDeviceEndsASoundPlayedOnceButNotALoop() {
        for (const bool loop : {false, true}) {
            Mixer mixer(48000);
            auto rec = ramp(1000);
            mixer.start(rec, loop);
            render(mixer, 300, 300);
            mixer.endOnce();
            const std::vector<float> after = render(mixer, 100, 100);
            for (size_t i = 0; i < after.size(); ++i)
                QCOMPARE(after[i], loop ? rec->samples[2 * (300 + i)] : 0.0f);
        }
    }

    // The device's own output, written by SDL's disk driver where no sound server answers: exact.
    // Two calls made before the libraries are loaded play only the later; its loop joins without a
    // gap, sample for sample; a one-shot replaces it after the fade and is followed by silence.
    void theOutputPlaysTheLatestEarlyCallGaplesslyUntilReplaced() {
        const QString a = path(u"a.wav"_s), b = path(u"b.wav"_s), once = path(u"once.wav"_s);
        writeWav(a, tone(440, 0.05));
        writeWav(b, tone(1000, 0.05));
        std::vector<int16_t> shifted = tone(660, 0.03); // not 0 at its start: it shows at once
        for (int16_t& x : shifted)
            x = int16_t(x / 2 + 8000);
        writeWav(once, shifted);
        const auto loop = decodeWavFile(b), shot = decodeWavFile(once);
        const auto written = [file = path(u"device.raw"_s)] {
            std::vector<float> left;
            const QByteArray raw = readFile(file);
            for (qsizetype i = 0; i + 8 <= raw.size(); i += 8)
                left.push_back(*reinterpret_cast<const float*>(raw.constData() + i));
            return left;
        };
        // Where the loop's first 64 frames stand in the output (its size when they do not).
        const auto loopStart = [&loop](const std::vector<float>& out) {
            for (size_t i = 0; i + 64 <= out.size(); ++i) {
                size_t k = 0;
                while (k < 64 && out[i + k] == loop->samples[2 * k])
                    ++k;
                if (k == 64)
                    return i;
            }
            return out.size();
        };
        qputenv("PULSE_SERVER", "unix:/nonexistent");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(path(u"device.raw"_s)));
        auto output = std::make_unique<SoundOutput>();
        output->holdLoading();
        output->play(a, Sound::Playback::Looping);
        output->play(b, Sound::Playback::Looping);
        output->allowLoading();
        const long long passes = 3 * loop->frameCount(); // two joins and more
        // Frames written so far, from the file's size alone: cheap enough to poll.
        const auto frames = [file = path(u"device.raw"_s)] {
            return size_t(QFileInfo(file).size() / 8);
        };
        QTRY_VERIFY_WITH_TIMEOUT(frames() > size_t(passes + 24000), 20000);
        const size_t start = loopStart(written()); // the first frames may have been silence
        QVERIFY2(start < frames(), "the loop never began");
        QTRY_VERIFY_WITH_TIMEOUT(frames() > start + size_t(passes), 20000);
        output->play(once, Sound::Playback::Once);
        const size_t playedTo = frames();
        QTRY_VERIFY_WITH_TIMEOUT(frames() > playedTo + size_t(4 * shot->frameCount()), 20000);
        output.reset();
        qunsetenv("SDL_AUDIODRIVER");
        qunsetenv("PULSE_SERVER");

        const std::vector<float> out = written();
        const size_t n = size_t(loop->frameCount());
        size_t at = start;
        while (at < out.size() && out[at] == loop->samples[2 * ((at - start) % n)])
            ++at;
        QVERIFY2(at - start >= size_t(passes), qPrintable(QString::number(at - start)));
        QVERIFY(at < out.size());
        for (size_t i = 0; i < size_t(kRampFrames); ++i) // the loop fades under the one-shot
            QVERIFY(std::abs(out[at + i] - shot->samples[2 * i]) <= 0.5f);
        for (size_t i = size_t(kRampFrames); at + i < out.size(); ++i)
            QCOMPARE(out[at + i], i < size_t(shot->frameCount()) ? shot->samples[2 * i] : 0.0f);
    }

    void otherRatesKeepTheirDuration() {
        Mixer mixer(48000);
        mixer.start(ramp(100, 24000), false);
        const std::vector<float> out = render(mixer, 300, 64);
        QVERIFY(out[198] != 0.0f);
        QCOMPARE(out[200], 0.0f);
        QCOMPARE(out[2], ramp(100)->samples[2]); // frame 1 of the recording at output frame 2
        // Found by fuzzing: one frame at 146 kHz steps past its end by more than its length.
        Mixer tinyLoop(48000);
        auto tiny = ramp(1, 146304);
        tinyLoop.start(tiny, true);
        for (float x : render(tinyLoop, 1000, 100))
            QCOMPARE(x, tiny->samples[0]);
    }

    void decodesCommonWavForms() {
        const std::vector<float> stereo = {0.0f, 0.5f, -0.5f, 0.25f, 0.75f, -0.75f};
        for (int format : {SF_FORMAT_PCM_U8, SF_FORMAT_PCM_24, SF_FORMAT_FLOAT}) {
            {
                SF_INFO info{
                    44100, 44100,
                    2,     (format == SF_FORMAT_FLOAT ? SF_FORMAT_WAVEX : SF_FORMAT_WAV) | format,
                    0,     0};
                SNDFILE* f =
                    sf_open(QFile::encodeName(path(u"f.wav"_s)).constData(), SFM_WRITE, &info);
                QVERIFY(f);
                sf_writef_float(f, stereo.data(), 3);
                sf_close(f);
                const auto rec = decodeWavFile(path(u"f.wav"_s));
                QVERIFY(rec);
                QCOMPARE(rec->sampleRate, 44100);
                QCOMPARE(rec->frameCount(), 3LL);
                for (size_t i = 0; i < stereo.size(); ++i)
                    QVERIFY(std::abs(rec->samples[i] - stereo[i]) < 0.01f);
            }
        }
        // Metadata before the samples: a large chunk, and one of odd size without its pad byte.
        const QByteArray plain = wavBytes({16384});
        QByteArray bytes = plain.left(36) + "JUNK" + QByteArray("\x00\x00\x02\x00", 4) +
                           QByteArray(128 * 1024, '\0') + "LIST" +
                           QByteArray("\x07\x00\x00\x00INFOabc", 11) + plain.mid(36);
        writeFile(path(u"tagged.wav"_s), patched(bytes, 4, quint32(bytes.size() - 8)));
        const auto tagged = decodeWavFile(path(u"tagged.wav"_s));
        QVERIFY(tagged && tagged->samples == std::vector<float>({0.5f, 0.5f}));
    }

    void badFilesGiveNoRecording() {
        const QByteArray good = wavBytes(tone(440, 0.1));
        const QList<QPair<const char*, QByteArray>> bad = {
            {"empty", QByteArray()},
            {"text", QByteArray("this is no recording")},
            {"truncated", good.left(good.size() / 2)},
            {"gigabytes claimed", patched(good, 40, 0xFFFFFFF0u)},
            {"65535 channels", patched(good, 22, 0xBB80FFFFu)}, // the rate's low half kept
            {"aiff", QByteArray("FORM\0\0\0\x20"
                                "AIFFCOMM",
                                16)},
        };
        for (const auto& [name, bytes] : bad) {
            QVERIFY2(!decodeWavBytes(bytes), name);
            writeFile(path(u"bad.wav"_s), bytes);
            QVERIFY2(!decodeWavFile(path(u"bad.wav"_s)), name);
        }
        for (const QString& none : {path(u"missing.wav"_s), dir.path(), path(u"bad.wav/inside"_s)})
            QVERIFY(!decodeWavFile(none));
        QCOMPARE(mkfifo(QFile::encodeName(path(u"fifo.wav"_s)).constData(), 0600), 0);
        QVERIFY(!decodeWavFile(path(u"fifo.wav"_s))); // and does not block
    }

    void cacheReadsAChangedFileAgainAndKeepsToItsBudget() {
        // Replaced by another file of the same size and time stamp, as a copy tool may do.
        const utimbuf times{1700000000, 1700000000};
        RecordingCache cache;
        writeWav(path(u"c.wav"_s), tone(440, 0.1));
        utime(QFile::encodeName(path(u"c.wav"_s)).constData(), &times);
        const auto first = cache.load(path(u"c.wav"_s));
        QCOMPARE(cache.load(path(u"c.wav"_s)).get(), first.get());
        writeWav(path(u"new.wav"_s), tone(660, 0.1));
        utime(QFile::encodeName(path(u"new.wav"_s)).constData(), &times);
        QCOMPARE(std::rename(QFile::encodeName(path(u"new.wav"_s)).constData(),
                             QFile::encodeName(path(u"c.wav"_s)).constData()),
                 0);
        const auto second = cache.load(path(u"c.wav"_s));
        QVERIFY(second && second->samples != first->samples);
        QFile::remove(path(u"c.wav"_s));
        QVERIFY(!cache.load(path(u"c.wav"_s)));

        RecordingCache small(50 * 1024); // room for one recording of 0.1 s (38 kB) at a time
        writeWav(path(u"d.wav"_s), tone(440, 0.1));
        writeWav(path(u"e.wav"_s), tone(660, 0.1));
        const auto d = small.load(path(u"d.wav"_s));
        QVERIFY(small.load(path(u"e.wav"_s)));
        QVERIFY(small.load(path(u"d.wav"_s)).get() != d.get()); // d made room for e
    }

    // SDL would crash on a server without a sink or a source: such a server is told apart.
    void aServerWithoutDevicesIsToldApart_data() {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<int>("devices");
        QTest::newRow("none") << QByteArray("unix:/nonexistent") << int(ServerDevices::NoServer);
        QTest::newRow("bare") << bare.address() << int(ServerDevices::NoSource);
        QTest::newRow("with a null sink") << QByteArray() << int(ServerDevices::Both);
    }
    void aServerWithoutDevicesIsToldApart() {
        QFETCH(QByteArray, server);
        QFETCH(int, devices);
        if (qEnvironmentVariableIsEmpty("TUNER_TEST_SINK_MONITOR") || !bare.running())
            QSKIP("needs the sound server of scripts/lib/sound-server.sh, and pulseaudio");
        if (server.isEmpty())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", server);
        QCOMPARE(int(pulseServerDevices()), devices);
        qunsetenv("PULSE_SERVER");
    }
};

QTEST_GUILESS_MAIN(TestSound)
#include "test_sound.moc"
