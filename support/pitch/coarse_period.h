#pragma once
// The period of the newest samples, coarsely: the normalised square difference of McLeod and
// Wolf, taken through the FFT, its first peak close to the highest (the period, not a multiple of
// it), and a peak at twice or three times that lag taken instead where it is clearly higher (a
// low string whose second or third harmonic outweighs its fundamental). Where the instrument's
// strings are known, a period far from all of them gives way to a multiple or a part of it that
// lies near one.

#include "support/pitch/sample_history.h"

#include <memory>
#include <vector>

class CoarsePeriod {
  public:
    // How periodic the sound must be to be read as a pitch: noise stays well below. A plucked
    // string's attack repeats itself poorly for its first tens of milliseconds while its period
    // is already right (a guitar's E2 reaches 0.57 at 30 ms and 0.75 only at 55 ms).
    static constexpr double kLeastClarity = 0.5;
    // Below this level (about -70 dBFS) nothing is heard.
    static constexpr double kQuietestPower = 1e-7;
    // A period this far (in cents) from the note's is a new note.
    static constexpr double kNewNoteCents = 35;

    // Lags in samples of the analysis rate.
    CoarsePeriod(int rate, int minLag, int maxLag);
    ~CoarsePeriod();
    CoarsePeriod(const CoarsePeriod&) = delete;
    CoarsePeriod& operator=(const CoarsePeriod&) = delete;

    // The samples it looks at: two periods of the lowest note and a little.
    int window() const { return window_; }
    void setTargets(std::vector<double> targets) { targets_ = std::move(targets); }

    struct Note {
        double period = 0;  // of the note heard so far; 0: none
        double seconds = 0; // how long it has lasted
    };
    // The period of the newest samples (0: none) and how clearly the sound repeats at it.
    double find(const SampleHistory& history, const Note& note, double& clarity);

  private:
    struct Fft;
    // A period far from every string, where a multiple or a part of it lies near one.
    double nearATarget(const std::vector<double>& nsdf, double period, double clarity) const;

    int rate_;
    int minLag_;
    int maxLag_;
    int window_;
    std::vector<double> targets_;
    std::unique_ptr<Fft> fft_;
};
