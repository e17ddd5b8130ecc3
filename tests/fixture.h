#pragma once
// Builds real instrument folders, recordings, pictures and profiles in temporary folders, and
// records the sound calls a window makes.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "support/sound.h"
#include "ui/tuner.h"

class QComboBox;

namespace Fixture {

void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// 16-bit PCM WAV with interleaved samples.
QByteArray wavBytes(const std::vector<int16_t>& samples, int rate = 48000, int channels = 1);
void writeWav(const QString& path, const std::vector<int16_t>& samples, int rate = 48000,
              int channels = 1);
// A sine tone of the given frequency.
std::vector<int16_t> tone(double frequency, double seconds, int rate = 48000,
                          double amplitude = 0.5);

// A 384 x 550 picture in which every pixel's colour tells its place (red = x, green = y, both
// modulo 256) and blue tells the picture apart, so any region is recognisable.
QImage placePicture(int blue);
void writeBmp(const QString& path, const QImage& image);

// A folder that stands for the application folder: AppPath, with Tunes/ below it.
class AppFolder {
  public:
    AppFolder();
    QString appPath() const; // ends in "/"
    QString tunesPath() const;
    // Creates Tunes/<name>/ with empty recordings of these names; returns the folder with "/".
    QString instrument(const QString& name, const QStringList& recordings = {});
    // Writes the two plain pictures (blue 40 off, 200 on) into the folder.
    void pictures(const QString& folder, const QString& prefix = QString(), int offBlue = 40,
                  int onBlue = 200);
    void profile(const QString& folder, const QString& text,
                 const QString& name = QStringLiteral("tuner.ini"));

  private:
    QTemporaryDir dir_;
};

// The peg layout of the design, as profile lines.
QString designLayout();

// The entries of a drop-down list, in order.
QStringList entries(const QComboBox& box);

// What the window shows where the control lies, and the same rectangle of a picture.
QImage shown(QWidget& window, const QWidget& control);
QImage pictureRegion(const QImage& picture, const QRect& rect);
// Whether the control shows the region under it of the picture with this blue.
bool shows(QWidget& window, const QWidget& control, int blue);

// Makes the instrument of that name current, as a pick in the drop-down list does.
void choose(Tuner& tuner, const QString& name);

// Sets the start-up globals for the folder, builds the window and runs the start-up on it.
std::unique_ptr<Tuner> startTuner(const AppFolder& folder);

struct SoundCall {
    QString path;
    unsigned flags;
};

// Takes the place of the sound device and remembers every call.
class RecordedSound {
  public:
    RecordedSound();
    ~RecordedSound();
    std::vector<SoundCall>& calls();
    void clear() { calls().clear(); }
};

// What a window test works with: recorded sound, an application folder and, once started, the
// window; taken down in that order's reverse.
struct Session {
    RecordedSound sound;
    AppFolder app;
    std::unique_ptr<Tuner> tuner;
    void start() { tuner = startTuner(app); }
};

} // namespace Fixture
