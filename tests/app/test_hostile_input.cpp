// A Tunes folder full of what users really leave there: broken, huge and unreadable files,
// FIFOs, odd folder names, a link loop. The tuner starts, every instrument, option, peg and
// file can be used with the real sound path, "Make INI" works, and no file but the application
// profile changes. Hangs are caught by the test's time limit.
#include "app/startup.h"
#include "tests/ui/window_fixture.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
        const QString folder = session.app.complete(name, {u"1.wav"_s, u"2.wav"_s, u"3.wav"_s}, {});
        writeFile(folder + u"tuner.ini"_s, profile);
        return folder;
    }

  private slots:
    void initTestCase() {
        tunes = session.app.tunesPath();
        const QByteArray layout = "[Veltrosan Tuner]\n" + designLayout().toUtf8();
        QByteArray binary;
        for (int i = 0; i < 70000; ++i)
            binary.append(char((i * 7919 + 13) % 256));
        instrument(u"Binary"_s, binary);
        instrument(u"Long line"_s,
                   layout + "x=" + QByteArray(50 << 20, 'x') + "\nOptions=1\nOption1=x");
        QByteArray sections;
        for (int i = 0; i < 100000; ++i)
            sections += "[Section " + QByteArray::number(i) + "]\nOptions=5\n";
        instrument(u"Many sections"_s,
                   sections + layout + "Options=1e300\nOption1=x\nOption99=b\n");

        const QString broken = instrument(u"Broken files"_s, layout);
        const QByteArray good = wavBytes(tone(440, 0.2));
        writeFile(broken + u"1.wav"_s, good.left(good.size() / 2));
        writeFile(broken + u"2.wav"_s, patched(good, 40, 0xFFFFFF00u));
        writeFile(broken + u"3.wav"_s, "not a recording at all");
        const QByteArray bmp = readFile(broken + u"all-off.bmp"_s);
        writeFile(broken + u"all-off.bmp"_s, bmp.left(bmp.size() / 3));
        writeFile(broken + u"all-on.bmp"_s, patched(patched(bmp, 18, 60000), 22, 60000));

        instrument(QStringLiteral("Geige äöü ñ"), layout);
        instrument(u"Two\nlines"_s, layout);
        QVERIFY(QFile::link(tunes, tunes + u"Loop"_s));
        QVERIFY(QFile::link(tunes + u"Self"_s, tunes + u"Self"_s));

        // What may not be read: FIFOs (an open would block), and unreadable files and folders.
        const QString locked = instrument(u"Unreadable"_s, layout);
        for (const QString& name : {u"tuner.ini"_s, u"all-off.bmp"_s, u"3.wav"_s}) {
            QFile::remove(locked + name);
            QCOMPARE(mkfifo(QFile::encodeName(locked + name).constData(), 0600), 0);
        }
        chmod(QFile::encodeName(locked + u"all-on.bmp"_s).constData(), 0);
        chmod(QFile::encodeName(locked + u"1.wav"_s).constData(), 0);
        writeFile(tunes + u"Closed/a.wav"_s, good);
        chmod(QFile::encodeName(tunes + u"Closed"_s).constData(), 0);
    }

    void everythingCanBeUsedAndNothingChanges() {
        const auto before = fingerprints(tunes);
        qputenv("SDL_AUDIODRIVER", "dummy");
        installSoundDevice(); // the real sound path decodes every recording
        session.start(AppModul::LoadAndShow);
        Tuner& tuner = *session.tuner;
        // Loop and Self lead nowhere new; Closed is listed only where it can be read (as root).
        QStringList expected = {u"Binary"_s,      u"Broken files"_s, u"Closed"_s,
                                u"Geige äöü ñ"_s, u"Long line"_s,    u"Many sections"_s,
                                u"Two\nlines"_s,  u"Unreadable"_s};
        if (::access(QFile::encodeName(tunes + u"Closed"_s).constData(), R_OK | X_OK) != 0)
            expected.removeOne(u"Closed"_s);
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

    void cleanupTestCase() { chmod(QFile::encodeName(tunes + u"Closed"_s).constData(), 0700); }
};

QTEST_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
