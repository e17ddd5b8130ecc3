#pragma once
// The tuner window: the head of the instrument with six peg areas, the mode switch and the two
// drop-down lists; off to the right and below, the tools it works with (the two full pictures,
// the folder and file lists, the "Make INI" button) and a timer. Its member functions are spread
// over the ui/ files by concern:
//
//   tuner_window.cpp          controls, layout, Form_Load/Form_Unload, painting
//   instrument_keys.cpp       cboInstrument_KeyPress, the keys of the instrument list
//   instrument_selection.cpp  cboInstrument_Click and the option list it reads
//   sound_options.cpp         cboOptions_Click
//   instrument_display.cpp    showing the instrument or option chosen: files, pictures, layout
//   peg_layout.cpp            ReadPegLayout, Command1_Click ("Make INI")
//   peg_playback.cpp          picTuner_MouseDown, Timer1_Timer
//   mode_switch.cpp           picSwitch_MouseDown, picSwitch_DblClick
//   file_list_playback.cpp    TunerFiles_Click, TunersDir_Change
//   list_controls.h           the folder and file list controls
//   screen_reader.cpp         the controls' names for screen readers

#include "support/window_placement.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

class PictureBox;
class DirectoryList;
class FileList;
class QComboBox;
class QKeyEvent;
class QPushButton;
class QTimer;

class Tuner : public QWidget, public Commands::TwipsWindow {
    Q_OBJECT
  public:
    // The outer size Form_Load gives the window, frame and title bar included.
    static constexpr int kOuterWidthTwips = 5850;
    static constexpr int kOuterHeightTwips = 8655;
    // The tool-window frame around the client area, in pixels.
    static constexpr int kFrameWidth = 6;
    static constexpr int kFrameHeight = 27;

    explicit Tuner(QWidget* parent = nullptr);
    ~Tuner() override;

    // Controls.
    std::array<PictureBox*, 6> picTuner{};
    PictureBox* picSwitch = nullptr;
    PictureBox* picAllOn = nullptr;
    PictureBox* picAllOff = nullptr;
    QComboBox* cboInstrument = nullptr;
    FileList* TunerFiles = nullptr;
    DirectoryList* TunersDir = nullptr;
    QPushButton* Command1 = nullptr;
    QComboBox* cboOptions = nullptr;
    QTimer* Timer1 = nullptr;

    // Window-level state.
    QString PegFile;        // the recording pressed or picked last
    QString OptionPrefix;   // the current sound option
    int16_t LoopActive = 0; // -1 while a loop started by a peg press sounds
    QString LoopFile;       // the recording of that loop

    // Handlers, by the file that holds them.
    // tuner_window.cpp
    void Form_Load();
    void Form_Unload(int16_t& Cancel);
    // instrument_keys.cpp
    void cboInstrument_KeyPress(int16_t& KeyAscii);
    // instrument_selection.cpp, sound_options.cpp
    void cboInstrument_Click();
    void cboOptions_Click();
    // peg_layout.cpp
    void ReadPegLayout(const QString& path);
    void Command1_Click();
    // peg_playback.cpp
    void picTuner_MouseDown(int16_t Index, int16_t Button, int16_t Shift, float X, float Y);
    void Timer1_Timer();
    // mode_switch.cpp
    void picSwitch_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void picSwitch_DblClick();
    // file_list_playback.cpp
    void TunerFiles_Click();
    void TunersDir_Change();

    // The picture drawn behind the controls.
    const QImage& backgroundPicture() const { return background_; }

    // Outer size and position in twips.
    int Height() const override { return outerHeightTwips_; }
    int Width() const override { return outerWidthTwips_; }
    int Top() const override { return topTwips_; }
    int Left() const override { return leftTwips_; }
    void setTop(int twips) override;
    void setLeft(int twips) override;
    void setOuterHeight(int twips);
    void setOuterWidth(int twips);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void connectHandlers();
    // instrument_display.cpp: showing the instrument or option chosen.
    enum class OwnPictures { First, Second }; // the option's own pictures against the plain ones
    enum class LayoutFailure { Skip, Ends };  // what a peg value that cannot be placed does
    void chooseOptionFiles(OwnPictures ownPictures);
    void showChosenFiles(LayoutFailure layoutFailure);
    void darkenAllPegs();
    void useOffPictureAsBackground();
    QString chosenInstrumentFolder() const;
    bool instrumentListKey(const QKeyEvent& key);
    void runInstrumentSelection();
    void nameControls();
    void describeControls(); // the names that follow the instrument, option and mode

    QImage background_;
    int outerHeightTwips_ = 0;
    int outerWidthTwips_ = 0;
    int topTwips_ = 0;
    int leftTwips_ = 0;
};
