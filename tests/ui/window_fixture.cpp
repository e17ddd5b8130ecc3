#include "window_fixture.h"

#include "app/globals/globals.h"
#include "support/paths.h"
#include "support/picture/picture_box.h"
#include "support/sound/sound_output.h"
#include "support/step.h"

#include <QComboBox>
#include <QDir>
#include <QTest>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace Fixture {

AppFolder::AppFolder() {
    QDir(dir_.path()).mkpath(QStringLiteral("Tunes"));
}

QString AppFolder::appPath() const {
    return QDir(dir_.path()).canonicalPath() + u'/';
}

QString AppFolder::tunesPath() const {
    return appPath() + QStringLiteral("Tunes/");
}

QString AppFolder::instrument(const QString& name, const QStringList& recordings) {
    const QString folder = tunesPath() + name + u'/';
    QDir().mkpath(folder);
    for (const QString& r : recordings)
        writeWav(folder + r, tone(440, 0.05));
    return folder;
}

void AppFolder::pictures(const QString& folder, const QString& prefix, int offBlue, int onBlue) {
    const QString p = prefix.isEmpty() ? QString() : prefix + u'-';
    writeBmp(folder + p + QStringLiteral("all-off.bmp"), placePicture(offBlue));
    writeBmp(folder + p + QStringLiteral("all-on.bmp"), placePicture(onBlue));
}

void AppFolder::profile(const QString& folder, const QString& text, const QString& name) {
    writeFile(folder + name, text.toUtf8());
}

QString AppFolder::complete(const QString& name, const QStringList& recordings,
                            const QString& keys) {
    const QString folder = instrument(name, recordings);
    pictures(folder);
    if (!keys.isNull())
        profile(folder, u"[Veltrosan Tuner]\n"_s + keys + designLayout());
    return folder;
}

QStringList entries(const QComboBox& box) {
    QStringList list;
    for (int i = 0; i < box.count(); ++i)
        list << box.itemText(i);
    return list;
}

bool shows(QWidget& window, const QWidget& control, int blue) {
    const QRect place = control.geometry();
    return window.grab(place).toImage().convertToFormat(QImage::Format_RGB32) ==
           placePicture(blue).copy(place);
}

void choose(Tuner& tuner, const QString& name) {
    tuner.cboInstrument->setEditText(name);
    tuner.cboInstrument_Click();
}

void chooseOption(Tuner& tuner, int index) {
    tuner.cboOptions->setCurrentIndex(index);
    tuner.cboOptions_Click();
}

void click(QWidget* widget, Qt::MouseButton button, Qt::KeyboardModifiers keys) {
    QTest::mousePress(widget, button, keys, QPoint(3, 3));
    QTest::mouseRelease(widget, button, keys, QPoint(3, 3));
}

void startUp(Tuner& tuner) {
    tuner.Form_Load();
    attempt([&] { tuner.TunersDir->setPath(AppModul::TunesPath); });
    QStringList instruments;
    for (int16_t i = 0; i < tuner.TunersDir->ListCount(); ++i) {
        const QString folder = tuner.TunersDir->entry(i);
        if (tuner.TunerFiles->countIn(folder) > 0)
            instruments << Commands::LastPathComponent(folder);
    }
    tuner.cboInstrument->addItems(instruments);
    const QString name = QStringLiteral("Ukulele");
    tuner.cboInstrument->setCurrentIndex(tuner.cboInstrument->findText(name, Qt::MatchExactly));
    tuner.cboInstrument->setEditText(name);
    if (tuner.TunersDir->ListCount() > 0)
        tuner.cboInstrument_Click();
    tuner.show();
}

void Session::start(const std::function<void(Tuner&)>& show) {
    AppModul::AppPath = app.appPath();
    AppModul::InitAppNames();
    for (QString* global : {&AppModul::InstrumentPath, &AppModul::InstrumentIniFile,
                            &AppModul::AllOnFile, &AppModul::AllOffFile})
        global->clear();
    tuner = std::make_unique<Tuner>();
    show(*tuner);
    tuner->activateWindow(); // so that keys reach its focus widget
    if (!QTest::qWaitForWindowActive(tuner.get()))
        throw std::runtime_error("the window did not become active");
}

QList<int> Session::lit() {
    QList<int> result;
    for (int k = 0; k < 6; ++k) {
        if (shows(*tuner, *tuner->picTuner[size_t(k)], 200))
            result << k;
        else if (!shows(*tuner, *tuner->picTuner[size_t(k)], 40))
            result << -1;
    }
    return result;
}

namespace {
std::vector<SoundCall> g_calls;

class Recorder : public Sound::Output {
  public:
    void play(const QString& path, Sound::Playback playback) override {
        g_calls.push_back({path, playback});
    }
};
} // namespace

void installSoundDevice(std::chrono::milliseconds retryInterval) {
    Sound::installOutput(
        std::make_unique<SoundOutput>(SoundOutput::kBufferFrames, retryInterval));
}

RecordedSound::RecordedSound() {
    g_calls.clear();
    Sound::installOutput(std::make_unique<Recorder>());
}

RecordedSound::~RecordedSound() {
    Sound::shutdown();
}

std::vector<SoundCall>& RecordedSound::calls() {
    return g_calls;
}

} // namespace Fixture
