#pragma once
// The listening window: choose an instrument (or any note at a reference A4), play a string,
// and see which string is heard and how far it is from that string's reference tone.

#include "listen/needle.h"
#include "listen/spoken_reading.h"

#include <QElapsedTimer>
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
class QTimer;

class ListenWindow : public QWidget {
    Q_OBJECT
  public:
    // tunes: the folder of instrument folders, ending in "/".
    explicit ListenWindow(const QString& tunes, double a4);
    ~ListenWindow() override;

    // The first entry of the instrument list.
    static QString anyNoteText() { return QStringLiteral("Any note"); }

    QComboBox* cboInstrument = nullptr;
    QDoubleSpinBox* spinA4 = nullptr;
    HeadView* head = nullptr;
    CentsGauge* gauge = nullptr;
    QLabel* lblNote = nullptr;
    QLabel* lblCents = nullptr;
    QLabel* lblFrequency = nullptr;
    QLabel* lblMicrophone = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void startListening();
    // Measures the chosen instrument's strings, on a helper thread.
    void measureStrings();
    void cboInstrument_Click();
    // Draws the latest reading where there is a new one.
    void showLatest();
    void showNothingHeard();
    void speak(const QString& text, bool inTune);
    static void setText(QLabel* label, const QString& text);

    QString tunes_;
    std::unique_ptr<Listener> listener_; // from the first paint on
    bool listeningPosted_ = false;
    QTimer* frameTimer_ = nullptr;
    // The chosen instrument's strings: their targets in Hz (measured on a helper thread, from
    // their recordings) and the string number of each target.
    QStringList recordings_;
    std::future<std::vector<double>> measuring_;
    std::vector<double> targets_;
    std::vector<int> stringOfTarget_;
    std::optional<NeedleReading> shownNeedle_; // none: draw anew
    QElapsedTimer textClock_;                  // since the figures last changed
    Announcer announcer_;
};
