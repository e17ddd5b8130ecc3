// A Tunes folder full of what users really leave there: broken, huge and unreadable files,
// FIFOs, odd folder names, a link loop. The tuner starts, every instrument, option, peg and
// file can be used with the real sound path, "Make INI" works, and no file but the application
// profile changes. Hangs are caught by the test's time limit.
#include "fixture.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QMap<QString, QByteArray> fingerprints(const QString& folder) {
    QMap<QString, QByteArray> prints;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (QFileInfo(path).isFile() && !QFileInfo(path).isSymLink() && f.open(QIODevice::ReadOnly))
            prints[path] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    return prints;
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
    Session session;
    QString tunes;

    QString instrument(const QString& name, const QByteArray& profile) {
        const QString folder = session.app.complete(name, {"1.wav", "2.wav", "3.wav"}, {});
        writeFile(folder + "tuner.ini", profile);
        return folder;
    }

  private slots:
    void initTestCase() {
        tunes = session.app.tunesPath();
        const QByteArray layout = "[Veltrosan Tuner]\n" + designLayout().toUtf8();
        QByteArray binary;
        for (int i = 0; i < 70000; ++i)
            binary.append(char((i * 7919 + 13) % 256));
        instrument("Binary", binary);
        instrument("Long line",
                   layout + "x=" + QByteArray(50 << 20, 'x') + "\nOptions=1\nOption1=x");
        QByteArray sections;
        for (int i = 0; i < 100000; ++i)
            sections += "[Section " + QByteArray::number(i) + "]\nOptions=5\n";
        instrument("Many sections", sections + layout + "Options=1e300\nOption1=x\nOption99=b\n");

        const QString broken = instrument("Broken files", layout);
        const QByteArray good = wavBytes(tone(440, 0.2));
        writeFile(broken + "1.wav", good.left(good.size() / 2));
        writeFile(broken + "2.wav", patched(good, 40, 0xFFFFFF00u));
        writeFile(broken + "3.wav", "not a recording at all");
        const QByteArray bmp = readFile(broken + "all-off.bmp");
        writeFile(broken + "all-off.bmp", bmp.left(bmp.size() / 3));
        writeFile(broken + "all-on.bmp", patched(patched(bmp, 18, 60000), 22, 60000));

        instrument(QStringLiteral("Geige äöü ñ"), layout);
        instrument("Two\nlines", layout);
        QVERIFY(QFile::link(tunes, tunes + "Loop"));
        QVERIFY(QFile::link(tunes + "Self", tunes + "Self"));

        // What may not be read: FIFOs (an open would block), and unreadable files and folders.
        const QString locked = instrument("Unreadable", layout);
        for (const char* name : {"tuner.ini", "all-off.bmp", "3.wav"}) {
            QFile::remove(locked + name);
            QCOMPARE(mkfifo(QFile::encodeName(locked + name).constData(), 0600), 0);
        }
        chmod(QFile::encodeName(locked + "all-on.bmp").constData(), 0);
        chmod(QFile::encodeName(locked + "1.wav").constData(), 0);
        writeFile(tunes + "Closed/a.wav", good);
        chmod(QFile::encodeName(tunes + "Closed").constData(), 0);
    }

    void everythingCanBeUsedAndNothingChanges() {
        const auto before = fingerprints(tunes);
        qputenv("SDL_AUDIODRIVER", "dummy");
        installSoundDevice(); // the real sound path decodes every recording
        session.start();
        Tuner& tuner = *session.tuner;
        // Loop and Self lead nowhere new; Closed is listed only where it can be read (as root).
        QStringList expected = {"Binary",    "Broken files",  "Closed",     "Geige äöü ñ",
                                "Long line", "Many sections", "Two\nlines", "Unreadable"};
        if (::access(QFile::encodeName(tunes + "Closed").constData(), R_OK | X_OK) != 0)
            expected.removeOne("Closed");
        QCOMPARE(entries(*tuner.cboInstrument), expected);
        for (int i = 0; i < tuner.cboInstrument->count(); ++i) {
            tuner.cboInstrument->setCurrentIndex(i);
            tuner.cboInstrument_Click();
            const int options = tuner.cboOptions->isVisible() ? tuner.cboOptions->count() : 0;
            for (int o = 0; o < std::max(options, 1); ++o) {
                if (options > 0) {
                    tuner.cboOptions->setCurrentIndex(o);
                    tuner.cboOptions_Click();
                }
                for (int16_t k = 0; k < 6; ++k)
                    tuner.picTuner_MouseDown(k, 1, 0, 0, 0);
                for (int f = 0; f < tuner.TunerFiles->count(); ++f) {
                    tuner.TunerFiles->setCurrentRow(f);
                    tuner.TunerFiles_Click();
                }
                tuner.picSwitch_MouseDown(0, 0, 0, 0);
            }
        }
        tuner.Command1_Click();
        QCOMPARE(fingerprints(tunes), before);

        session.tuner.reset();
        Sound::shutdown();
        qunsetenv("SDL_AUDIODRIVER");
    }

    void cleanupTestCase() { chmod(QFile::encodeName(tunes + "Closed").constData(), 0700); }
};

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
