#include "fixture.h"
#include "wav_file.h"

#include "app/globals.h"
#include "app/startup.h"
#include "support/picture/head_layout.h"
#include "support/picture/picture_box.h"
#include "support/sound/sdl_sound_output.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace Fixture {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray patched(QByteArray bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
    return bytes;
}

QByteArray wavBytes(const std::vector<int16_t>& samples, int rate, int channels) {
    return pcm16WavFile(samples, rate, channels);
}

void writeWav(const QString& path, const std::vector<int16_t>& samples, int rate) {
    writeFile(path, wavBytes(samples, rate));
}

std::vector<int16_t> tone(double frequency, double seconds, int rate, double amplitude) {
    std::vector<int16_t> s(size_t(seconds * rate));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(
            std::lround(amplitude * 32767 * std::sin(2 * M_PI * frequency * double(i) / rate)));
    return s;
}

QImage placePicture(int blue) {
    QImage image(384, 550, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, blue));
    return image;
}

void writeBmp(const QString& path, const QImage& image) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "BMP"))
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString designLayout() {
    QString text;
    for (int n = 0; n < 6; ++n) {
        const QRect& place = HeadLayout::kPegAreas[size_t(n)];
        text += QStringLiteral("Tuner%1-Top=%2\nTuner%1-Left=%3\nTuner%1-Height=%4\n"
                               "Tuner%1-Width=%5\n")
                    .arg(n + 1)
                    .arg(place.top())
                    .arg(place.left())
                    .arg(place.height())
                    .arg(place.width());
    }
    return text;
}

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

void Session::start() {
    AppModul::AppPath = app.appPath();
    AppModul::InitAppNames();
    for (QString* global : {&AppModul::InstrumentPath, &AppModul::InstrumentIniFile,
                            &AppModul::AllOnFile, &AppModul::AllOffFile})
        global->clear();
    tuner = std::make_unique<Tuner>();
    AppModul::LoadAndShow(*tuner);
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
        std::make_unique<SdlSoundOutput>(SdlSoundOutput::kBufferFrames, retryInterval));
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
