#pragma once
// The listening window: choose an instrument (or any note at a reference A4) and the input to
// hear, play a string, and see which string is heard and how far it is from that string's
// reference tone. The choices are kept for the next start.

#include "listen/listen_choices.h"
#include "listen/needle.h"
#include "listen/spoken_reading.h"
#include "support/sound/microphone.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <QWidget>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class CentsGauge;
class HeadView;
class Listener;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTimer;

class ListenWindow : public QWidget {
    Q_OBJECT
  public:
    // tunes: the folder of instrument folders, ending in "/". a4: the reference asked for on
    // the command line, else the one kept.
    explicit ListenWindow(const QString& tunes, std::optional<double> a4 = std::nullopt);
    ~ListenWindow() override;

    // The first entry of the instrument list.
    static QString anyNoteText() { return QStringLiteral("Any note"); }

    QComboBox* cboInstrument = nullptr;
    QDoubleSpinBox* spinA4 = nullptr;
    QPushButton* cmdSetA4 = nullptr;
    QComboBox* cboInput = nullptr;
    QComboBox* cboChannel = nullptr;
    HeadView* head = nullptr;
    CentsGauge* gauge = nullptr;
    QLabel* lblNote = nullptr;   // the note heard
    QLabel* lblString = nullptr; // its string
    QLabel* lblCents = nullptr;  // its cents from the string's target or from the note
    QLabel* lblWords = nullptr;  // "In tune", "not a string of Guitar", "Play a string"
    QLabel* lblFrequency = nullptr;
    QLabel* lblMicrophone = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void layOut();
    void startListening();
    void cboInstrument_Click();
    void cmdSetA4_Click();
    // Measures the chosen instrument's strings on a helper thread, one instrument at a time;
    // takes the measurements once they are there.
    void measureStrings();
    void takeMeasurements();
    // The inputs: listed as the server lists them, the choice given to the listener.
    void listInputs();
    void listChannels();
    void chooseInput();
    void keepChoices();
    // Draws the latest reading where there is a new one.
    void showLatest();
    void showNothingHeard();
    void showReading(double frequency);
    void showMicrophone(Microphone::State state);
    void speak(const QString& text, bool inTune);
    static void setText(QLabel* label, const QString& text);

    QString tunes_;
    ListenChoices choices_;
    std::unique_ptr<Listener> listener_; // from the first paint on
    bool listeningPosted_ = false;
    QTimer* frameTimer_ = nullptr;
    unsigned listedChanges_ = ~0u;
    QHash<QByteArray, int> channelsOfInputs_; // as listed; the default's under ""
    // The chosen instrument's strings: their targets in Hz (measured on a helper thread, from
    // their recordings), the string number of each target and the note it is named by.
    QStringList recordings_;
    std::future<std::vector<double>> measuring_;
    bool measureAgain_ = false; // the instrument changed while measuring
    std::vector<double> targets_;
    std::vector<int> stringOfTarget_;
    QStringList noteOfTarget_;
    double instrumentA4_ = 440;                // the reference its targets fit best
    std::optional<NeedleReading> shownNeedle_; // none: draw anew
    QElapsedTimer textClock_;                  // since the figures last changed
    QElapsedTimer steadyClock_;                // since the note heard last moved
    double steadyFrequency_ = 0;
    Announcer announcer_;
    QString spoken_; // the words for what the window shows, told as the announcer allows
    bool spokenInTune_ = false;
};
