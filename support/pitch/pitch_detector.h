#pragma once
// Hearing the pitch of a string: a stream of mono samples in, one reading per hop of 5 ms out.
// The reading is the frequency of the string's first partial, its fundamental.
//
// The input is first taken about its mean (an offset is no sound), and the mains hum that is
// known is taken away. Each hop the latest samples, two periods of the lowest note asked for,
// give the period coarsely (coarse_period.h). The period is then refined on the note's own
// history: the lag near a multiple of it at which the signal best matches itself, found at two,
// four, eight ... periods back as far as the note has lasted, each step narrowing the next; and
// last on a harmonic's phase. That is the reading of a note's first moments. Once the note has
// lasted a few periods past its attack, its partials are followed one by one (partial_tracker.h),
// and the first partial's frequency they give is the reading: it holds whatever the partials'
// phases, levels and decays, and the stretch of a real string's partials. Another note is taken
// only where the sound swells, and once a note is read from its partials, only with a swell after
// its own attack: a bowed or beating note strays from its period now and then. A sound at the mains
// frequency or a low multiple of it is hum, never a note.

#include "support/pitch/coarse_period.h"
#include "support/pitch/mains_hum.h"
#include "support/pitch/partial_tracker.h"
#include "support/pitch/sample_history.h"

#include <cstddef>
#include <vector>

struct PitchReading {
    double seconds = 0;   // the end of the samples it was read from, since the stream began
    double frequency = 0; // Hz; 0 where no pitch is heard (silence, noise, hum)
    double clarity = 0;   // how periodic the sound is, 0 to 1
};

class PitchDetector {
  public:
    // A0, the lowest note of a piano (and below a five-string bass's B0), and C8.
    static constexpr double kLowestNote = 27.5;
    static constexpr double kHighestNote = 4186.01;
    // No window is made for notes lower than this, whatever is asked.
    static constexpr double kLowestPossible = 16;

    // For any rate from 8 to 192 kHz; the window is sized to the lowest note asked for.
    explicit PitchDetector(int sampleRate, double lowestHz = kLowestNote,
                           double highestHz = kHighestNote);

    // The notes the instrument's strings are tuned to (Hz): a period that lies an octave or a
    // fifth from every string while a whole multiple or part of it lies near one is taken at that
    // multiple or part. None: any note, on its own.
    void setTargets(std::vector<double> targets) { coarse_.setTargets(std::move(targets)); }
    // Takes the next samples and appends a reading for every hop they complete.
    void feed(const float* samples, std::size_t count, std::vector<PitchReading>& readings);
    // The samples of the input between two readings.
    int hopSamples() const { return hop_ * decimation_; }

  private:
    PitchReading analyse();
    // The reading, once the note's period is known: its partials' where they are known well.
    PitchReading read(PitchReading reading);
    // No new note: the note heard goes on while its partials are heard.
    PitchReading goOn(PitchReading reading);
    void endNote();
    // Where a note taken now begins: at its pluck, where that is heard.
    std::size_t newNoteStart() const;
    // A note misread at a harmonic is mended in its attack by the lower note its period repeats
    // at, where that note is heard: its partials give it, not the mains (with hum the note and
    // the mains together may repeat there), and it sounds partials of its own besides the note's,
    // loud or steady (noise may make the note's partials alone repeat there for a moment). Else
    // the note heard stays.
    bool lowerNoteHeard(double period) const;
    // The period refined on the newest available samples of the note; exact: the period is
    // already known that well (the note goes on). 0 where the sound does not repeat.
    double refinedPeriod(double period, std::size_t available, bool exact) const;
    // Refined last on the phase of the strongest of the first harmonics over up to a second;
    // the period as it was where the note is still too short for that.
    double finalPeriod(double period, std::size_t available, bool exact);
    float at(std::size_t back) const { return history_.at(back); }

    // Above 48 kHz every few samples are averaged into one: the notes lie far below, and the
    // analysis costs and measures as at 48 kHz.
    int inputRate_;
    int decimation_;
    double sum_ = 0;
    int summed_ = 0;
    double offset_ = 0; // the input's mean, taken away from every sample
    bool offsetKnown_ = false;
    int rate_; // of the analysis
    int hop_;
    int maxLag_;              // the period of the lowest note
    std::size_t longestLag_;  // how far back a period is refined on the signal's own match
    std::size_t longestSpan_; // and on a harmonic's phase
    SampleHistory history_;
    CoarsePeriod coarse_;
    PartialTracker tracker_;
    MainsHum hum_;
    std::size_t sinceHop_ = 0;
    std::size_t soundStart_ = 0;    // where the sound now heard rose above silence
    std::size_t lastRise_ = 0;      // where the sound last rose sharply (a new pluck)
    double recentPower_ = 0;        // of the last hops, for that rise
    std::vector<double> hopPowers_; // of the last 200 ms, a hop each
    std::size_t lastSwell_ = 0;     // where the sound last swelled (a new note may come)
    std::size_t octaveUp_ = 0;      // where the note was last found an octave higher
    std::size_t noteStart_ = 0;     // where the note now heard began, in samples since the start
    double notePeriod_ = 0;         // its period at the last reading (0: none heard)
    int harmonic_ = 1;              // the harmonic whose phase is followed
    bool tracked_ = false;          // the note is read from its partials
};
