// A Tunes folder full of what users really leave there: broken, huge, hostile and unreadable
// files, odd folder names, a link loop. The tuner starts, every instrument, option, peg and
// file can be chosen, "Make INI" works, nothing hangs, memory stays bounded and no file but the
// application profile changes.
#include "app/globals.h"
#include "fixture.h"
#include "support/picture_box.h"
#include "ui/folder_lists.h"
#include "ui/tuner.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QtEndian>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Fixture;

namespace {

// Far beyond any normal action (the slowest here, 100,000 sections, takes about 0.3 s), so
// only a hang or a read that grows with "Options" trips it; the sanitizers slow everything.
#ifdef TUNER_SANITIZED
constexpr qint64 kHangMs = 30000;
#else
constexpr qint64 kHangMs = 5000;
#endif

QByteArray patched(QByteArray bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
    return bytes;
}

QMap<QString, QByteArray> fingerprints(const QString& folder) {
    QMap<QString, QByteArray> prints;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isFile() || QFileInfo(path).isSymLink())
            continue;
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            QCryptographicHash hash(QCryptographicHash::Sha256);
            hash.addData(&f);
            prints[path] = hash.result();
        }
    }
    return prints;
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
    AppFolder app;
    QString tunes;

    QString instrument(const QString& name, const QByteArray& profile) {
        const QString folder = app.instrument(name, {"1.wav", "2.wav"});
        app.pictures(folder);
        writeFile(folder + "tuner.ini", profile);
        return folder;
    }

  private slots:
    void initTestCase() {
        tunes = app.tunesPath();
        const QByteArray layout = designLayout().toUtf8();
        const QByteArray good = wavBytes(tone(440, 0.2));
        QByteArray bmp =
            readFile((app.pictures(app.instrument("Good", {"1.wav"})), tunes + "Good/all-off.bmp"));
        writeFile(tunes + "Good/tuner.ini", "[Veltrosan Tuner]\n" + layout);

        // Profiles.
        QByteArray binary;
        for (int i = 0; i < 70000; ++i)
            binary.append(char((i * 7919 + 13) % 256));
        instrument("Binary", binary);
        instrument("Nul bytes",
                   QByteArray("[Veltrosan Tuner]\nOptions=2\0\nOption1=a\0b\nTuner1-Top=\0\n", 53) +
                       layout);
        instrument("Long line",
                   "[Veltrosan Tuner]\nx=" + QByteArray(50 * 1024 * 1024, 'x') + "\n" + layout);
        QByteArray sections;
        for (int i = 0; i < 100000; ++i)
            sections += "[Section " + QByteArray::number(i) + "]\nOptions=5\n";
        instrument("Many sections",
                   sections + "[Veltrosan Tuner]\nOptions=1\nOption1=x\n" + layout);
        instrument("No newline", "[Veltrosan Tuner]\n" + layout + "Options=1\nOption1=x");
        instrument("Options 1e300",
                   "[Veltrosan Tuner]\nOptions=1e300\nOption1=a\nOption99=b\n" + layout);
        instrument("Options 1e400", "[Veltrosan Tuner]\nOptions=1e400\nOption1=a\n" + layout);

        // Bitmaps.
        const struct {
            const char* name;
            QByteArray bytes;
        } bitmaps[] = {
            {"Bitmap empty", QByteArray()},
            {"Bitmap truncated", bmp.left(bmp.size() / 3)},
            {"Bitmap absurd", patched(bmp, 18, 1000000)},
            {"Bitmap negative", patched(bmp, 18, quint32(-384))},
            {"Bitmap gigabytes", patched(patched(bmp, 18, 60000), 22, 60000)},
        };
        for (const auto& b : bitmaps) {
            const QString folder = instrument(b.name, "[Veltrosan Tuner]\n" + layout);
            writeFile(folder + "all-off.bmp", b.bytes);
            writeFile(folder + "all-on.bmp", b.bytes);
        }

        // Recordings.
        const QString wavs = instrument("Recordings", "[Veltrosan Tuner]\n" + layout);
        writeFile(wavs + "1.wav", QByteArray());
        writeFile(wavs + "2.wav", good.left(good.size() / 2));
        writeFile(wavs + "3.wav", patched(good, 40, 0xFFFFFF00u));
        writeFile(wavs + "4.wav", patched(good, 22, 0xFFFF));
        writeFile(wavs + "5.wav", "FORM\0\0\0\x10"
                                  "AIFFCOMM and more");
        writeFile(wavs + "6.wav", "not a recording at all");
        writeFile(wavs + "7.wav", patched(patched(good, 24, 0), 28, 0)); // rate 0

        // Names and links.
        instrument("With spaces in it", "[Veltrosan Tuner]\n" + layout);
        instrument(QStringLiteral("Geige äöü ñ"), "[Veltrosan Tuner]\n" + layout);
        instrument("Two\nlines", "[Veltrosan Tuner]\n" + layout);
        QVERIFY(QFile::link(tunes, tunes + "Loop"));
        QVERIFY(QFile::link(tunes + "Self", tunes + "Self"));

        // What may not be read: FIFOs (an open would block), and unreadable files.
        const QString locked = instrument("Unreadable", "[Veltrosan Tuner]\n" + layout);
        QFile::remove(locked + "tuner.ini");
        QFile::remove(locked + "all-off.bmp");
        QCOMPARE(mkfifo(QFile::encodeName(locked + "tuner.ini").constData(), 0600), 0);
        QCOMPARE(mkfifo(QFile::encodeName(locked + "all-off.bmp").constData(), 0600), 0);
        QCOMPARE(mkfifo(QFile::encodeName(locked + "3.wav").constData(), 0600), 0);
        chmod(QFile::encodeName(locked + "all-on.bmp").constData(), 0);
        chmod(QFile::encodeName(locked + "1.wav").constData(), 0);
        QDir(tunes).mkpath("Closed/inner");
        writeFile(tunes + "Closed/a.wav", good);
        chmod(QFile::encodeName(tunes + "Closed").constData(), 0);
    }

    void everythingCanBeUsedAndNothingChanges() {
        RecordedSound quiet; // the decoding of each recording is exercised below
        const auto before = fingerprints(tunes);
        QElapsedTimer clock;
        clock.start();
        auto tuner = startTuner(app);
        QVERIFY(clock.elapsed() < kHangMs);
        QVERIFY2(tuner->cboInstrument->count() >= 18,
                 qPrintable(QString::number(tuner->cboInstrument->count())));
        QVERIFY(QTest::qWaitForWindowExposed(tuner.get()));

        for (int i = 0; i < tuner->cboInstrument->count(); ++i) {
            const QString name = tuner->cboInstrument->itemText(i);
            clock.restart();
            tuner->cboInstrument->setCurrentIndex(i);
            tuner->cboInstrument_Click();
            QVERIFY2(clock.elapsed() < kHangMs, qPrintable(name));
            const int options = tuner->cboOptions->isVisible() ? tuner->cboOptions->count() : 0;
            for (int o = 0; o < std::max(options, 1); ++o) {
                if (options > 0) {
                    tuner->cboOptions->setCurrentIndex(o);
                    tuner->cboOptions_Click();
                }
                for (int16_t k = 0; k < 6; ++k)
                    tuner->picTuner_MouseDown(k, 1, 0, 0, 0);
                for (int f = 0; f < tuner->TunerFiles->count(); ++f) {
                    tuner->TunerFiles->setCurrentRow(f);
                    tuner->TunerFiles_Click();
                    Sound::LoopSoundFile(AppModul::InstrumentPath + tuner->TunerFiles->entry(f));
                }
                tuner->picSwitch_MouseDown(0, 0, 0, 0);
            }
            QVERIFY2(clock.elapsed() < kHangMs, qPrintable(name));
            QCoreApplication::processEvents();
        }
        tuner->Command1_Click();
        QVERIFY(QFileInfo::exists(app.appPath() + "tuner.ini"));
        QCOMPARE(fingerprints(tunes), before);
        QVERIFY2(peakMegabytes() < 1500, qPrintable(QString::number(peakMegabytes())));
    }

    void theRealDecoderRefusesEveryBadRecording() {
        Sound::shutdown();
        qputenv("SDL_AUDIODRIVER", "dummy");
        QElapsedTimer clock;
        clock.start();
        for (const QString& name : QDir(tunes + "Recordings").entryList(QDir::Files))
            Sound::LoopSoundFile(tunes + "Recordings/" + name);
        Sound::PlaySoundFile(tunes + "Unreadable/3.wav"); // a FIFO
        QVERIFY(clock.elapsed() < kHangMs);
        Sound::shutdown();
    }

    void makeIniOnAFullDiskLeavesTheOldProfile() {
        RecordedSound quiet;
        auto tuner = startTuner(app);
        tuner->Command1_Click();
        const QByteArray before = readFile(app.appPath() + "tuner.ini");
        for (PictureBox* peg : tuner->picTuner)
            peg->setGeometry(1000, 1000, 1000, 1000); // longer numbers: a larger file
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = rlim_t(before.size());
        setrlimit(RLIMIT_FSIZE, &small);
        tuner->Command1_Click();
        setrlimit(RLIMIT_FSIZE, &old);
        const QByteArray after = readFile(app.appPath() + "tuner.ini");
        // Each write either happened whole or not at all: the file is a complete profile.
        QVERIFY(after.endsWith('\n'));
        QCOMPARE(after.count('\n'), before.count('\n'));
        QVERIFY(QDir(app.appPath())
                    .entryList(QDir::Files | QDir::Hidden)
                    .filter("tuner.ini.")
                    .isEmpty());
    }

    void cleanupTestCase() { chmod(QFile::encodeName(tunes + "Closed").constData(), 0700); }
};

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
