#pragma once
// What the needle shows, from the detector's readings (one every 5 ms): a new note or a real
// change of pitch is followed at once, small wobbles of a steady note are smoothed away, and a
// short gap (a reading lost between two of the same note) does not drop the needle. Readings
// are shown a few milliseconds late: those just before the sound stops are a note's abrupt end,
// not its pitch, and never reach the needle.

#include <deque>

struct NeedleReading {
    bool heard = false;
    double frequency = 0; // Hz, while heard
};

class NeedleSmoother {
  public:
    // A change at least this large (in cents) is followed at once.
    static constexpr double kJumpCents = 15;
    // How far each reading moves the needle towards itself, on a smaller change.
    static constexpr double kFollowShare = 0.3;
    // Readings without a pitch in a row before the needle rests (120 ms).
    static constexpr int kQuietReadings = 24;
    // Readings held back, and dropped where no pitch follows them (40 ms).
    static constexpr std::size_t kEndReadings = 8;

    // Takes one reading (0: no pitch) and returns what the needle shows after it.
    NeedleReading take(double frequency);

  private:
    void follow(double frequency);

    std::deque<double> held_;
    double log2Frequency_ = 0;
    bool heard_ = false;
    int quiet_ = 0;
};
