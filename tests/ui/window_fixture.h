#pragma once
// The window's tests: real instrument folders in a temporary application folder, the window started
// on them, events sent where the window system sends them, and the sound calls it makes.

// What every window test includes.
#include "app/globals/globals.h"
#include "support/picture/picture_box.h"
#include "support/sound/sound.h"
#include "support/step.h"
#include "tests/support/support_fixture.h"
#include "ui/list_controls.h"
#include "ui/tuner.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace Fixture {

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

// The window as the start-up shows it, from the window's own parts: loaded, its instrument list
// holding the folders below Tunes that hold a recording, "Ukulele" chosen.
void startUp(Tuner& tuner);

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
    // Sets the start-up globals for the folder, builds the window, shows it with show (the
    // program's own start-up in the program's tests) and makes it the active window.
    void start(const std::function<void(Tuner&)>& show = startUp);
    // The pegs that show their on look; -1 for a peg that shows neither look.
    QList<int> lit();
};

} // namespace Fixture
