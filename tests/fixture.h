#pragma once
// Real instrument folders, recordings, pictures and profiles in temporary folders; the window
// started on them; the sound calls it makes.

// What every test includes.
#include "app/globals.h"
#include "support/picture/picture_box.h"
#include "support/sound/sound.h"
#include "support/step.h"
#include "ui/list_controls.h"
#include "ui/tuner.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>
#include <vector>

namespace Fixture {

void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// The bytes with a little-endian 32-bit value written at offset.
QByteArray patched(QByteArray bytes, int offset, quint32 value);

// 16-bit PCM WAV with interleaved samples, and a sine tone of the given frequency.
QByteArray wavBytes(const std::vector<int16_t>& samples, int rate = 48000, int channels = 1);
void writeWav(const QString& path, const std::vector<int16_t>& samples, int rate = 48000);
std::vector<int16_t> tone(double frequency, double seconds, int rate = 48000,
                          double amplitude = 0.5);

// A 384 x 550 picture in which every pixel's colour tells its place (red = x, green = y, both
// modulo 256) and blue tells the picture apart, so any region is recognisable.
QImage placePicture(int blue);
void writeBmp(const QString& path, const QImage& image);

// The peg layout of the design, as profile lines.
QString designLayout();

// A folder that stands for the application folder: AppPath, with Tunes/ below it.
class AppFolder {
  public:
    AppFolder();
    QString appPath() const; // ends in "/"
    QString tunesPath() const;
    // Tunes/<name>/ with short recordings of these names; returns the folder with "/".
    QString instrument(const QString& name, const QStringList& recordings = {});
    // The two pictures (with this prefix) in the folder: blue 40 dark, 200 lit.
    void pictures(const QString& folder, const QString& prefix = {}, int offBlue = 40,
                  int onBlue = 200);
    void profile(const QString& folder, const QString& text,
                 const QString& name = QStringLiteral("tuner.ini"));
    // The usual instrument: recordings, both pictures, and a profile with these keys before
    // the design layout (no profile for a null text).
    QString complete(const QString& name, const QStringList& recordings,
                     const QString& keys = QStringLiteral(""));

  private:
    QTemporaryDir dir_;
};

QStringList entries(const QComboBox& box);
// Whether the control shows the region under it of the picture with this blue.
bool shows(QWidget& window, const QWidget& control, int blue);
// Makes the instrument of that name, or the option of that index, current, as a pick does.
void choose(Tuner& tuner, const QString& name);
void chooseOption(Tuner& tuner, int index);
// A press and release with the mouse where the window system would deliver it.
void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers keys = {});

struct SoundCall {
    QString path;
    Sound::Playback playback;
};

// Takes the place of the sound device and remembers every call.
class RecordedSound {
  public:
    RecordedSound();
    ~RecordedSound();
    std::vector<SoundCall>& calls();
    void clear() { calls().clear(); }
};

// Sound goes to the sound device, as in the program; one that could not be opened is tried again
// by the first call after retryInterval.
void installSoundDevice(std::chrono::milliseconds retryInterval = std::chrono::seconds(1));

// What a window test works with: recorded sound, an application folder and, once started, the
// window; taken down in that order's reverse.
struct Session {
    RecordedSound sound;
    AppFolder app;
    std::unique_ptr<Tuner> tuner;
    // Sets the start-up globals for the folder, builds the window, runs the start-up and makes
    // the window the active one.
    void start();
    // The pegs that show their on look; -1 for a peg that shows neither look.
    QList<int> lit();
};

} // namespace Fixture

// Every test uses these helpers by their plain names.
using namespace Fixture; // NOLINT(google-global-names-in-headers)
