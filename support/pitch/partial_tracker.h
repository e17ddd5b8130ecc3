#pragma once
// The first partial of a note, from all its partials. Each partial is followed by its phase: the
// newest samples are turned down by the partial's expected frequency and weighted by a window of
// two running means, each whole periods of the note long, whose zeros lie on every other partial
// of the note and on their neighbours. A partial's phase then turns at the rate by which its
// frequency differs from the expected one, however its level fades and whatever the phases of the
// others: a line through its phases over the last second gives its frequency (the attack's
// phases, loud and often gliding, fade out of it as the note settles). The partials of
// a real string lie a little above the whole multiples of the first, more so the higher they are
// (f_h = h f1 sqrt((1 + B h^2) / (1 + B))); the first partial's frequency is read from its own
// line where it is heard well, and inferred from the others' by that law where it is weak.

#include "support/pitch/sample_history.h"

#include <array>
#include <complex>
#include <cstddef>
#include <vector>

class PartialTracker {
  public:
    static constexpr int kPartials = 8;
    // The longest history a line is drawn through, in seconds.
    static constexpr double kSpan = 1.0;

    struct Estimate {
        double frequency = 0; // Hz: the first partial's; 0 while not yet known
        double spread = 0;    // its standard error, in cents
        int partials = 0;     // how many partials were heard well enough to count
        // The odd partials not heard (the first not clearly) while even ones are: the note is an
        // octave higher than the one followed (its second partial was taken for its first).
        bool octaveHigher = false;
        std::array<double, kPartials> power{}; // each partial's latest level, squared
        std::array<bool, kPartials> clear{};   // each partial's line fits its phases

        // A note ratio times lower than the one followed sounds, not only its partials that the
        // note followed shares (which noise or a reading's stray may put a note under): some
        // partial that is no multiple of ratio is heard above the room, against the loudest that
        // is, or most of those partials, however weak, hold their own frequencies.
        bool heardBesidesMultiplesOf(int ratio) const;
    };

    // Phases are taken a hop apart.
    PartialTracker(double rate, int hop) : rate_(rate), hop_(std::size_t(hop)) {}

    // Follows a note whose first partial lies near frequency (Hz), in the samples from index
    // clean on (after the note's attack), taking the phases of the history there already.
    void start(double frequency, std::size_t clean, const SampleHistory& history);
    void stop() { active_ = false; }
    bool active() const { return active_; }
    // Takes the partials' phases in the newest samples and gives the first partial's frequency
    // as it now stands.
    Estimate update(const SampleHistory& history);

  private:
    struct Phase {
        std::size_t time; // the window's centre, as a sample index
        double unwrapped; // radians, turned by the difference from the expected frequency
        double power;     // the partial's level, squared
    };
    struct Partial {
        double omega = 0; // expected, radians a sample
        // The window turned down by the expected frequency, oldest sample first.
        std::vector<std::complex<double>> kernel;
        std::vector<Phase> phases;
        double lastArg = 0;
        // As the line through its phases last gave them:
        double frequency = 0; // Hz
        double spread = 0;    // cents
        double power = 0;     // the latest
    };
    // Takes each partial's phase in the window that ends at sample index end.
    void take(const SampleHistory& history, std::size_t end);
    void fit(Partial& partial, std::size_t now);
    Estimate combine() const;

    const double rate_;
    const std::size_t hop_;
    bool active_ = false;
    double frequency_ = 0;
    std::size_t clean_ = 0;
    int length_ = 0;          // of each running mean
    std::size_t lastEnd_ = 0; // where the newest phases were taken
    std::vector<Partial> partials_;
};
