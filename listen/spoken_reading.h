#pragma once
// The words for what the gauge shows, and when a screen reader is told them: at most once a
// second while a note sounds, so that speech keeps up, but at once when the note comes into tune.

#include <QString>
#include <chrono>

// Within this many cents of its target a string is in tune: the gauge's marked zone.
inline constexpr double kInTuneCents = 2;

// "String 2, A2, 4.5 cents flat", "String 2, A2, in tune"; without a string (any note mode)
// "A2, 4.5 cents sharp". cents as shown, to one decimal.
QString spokenReading(int stringNumber, const QString& note, double cents);
// The cents as drawn: "+4.5", "-0.3", "0.0".
QString shownCents(double cents);

class Announcer {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kInterval{1};

    // Whether the spoken text should become text now.
    bool due(const QString& text, bool inTune, Clock::time_point now);

  private:
    QString last_;
    bool lastInTune_ = false;
    bool announced_ = false;
    Clock::time_point lastTime_{};
};
