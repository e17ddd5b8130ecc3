#pragma once
// Hearing the pitch of a string: a stream of mono samples in, one reading per hop of 5 ms out.
//
// Each hop the latest samples, two periods of the lowest note asked for, give the period
// coarsely: the normalised square difference of McLeod and Wolf, taken through the FFT, its
// first peak close to the highest (the period, not a multiple of it), and a peak at twice or
// three times that lag taken instead where it is clearly higher (a low string whose second or
// third harmonic outweighs its fundamental). The period is then refined on the note's own
// history: the lag near a multiple of it at which the signal best matches itself, found at
// two, four, eight ... periods back as far as the note has lasted (up to a second), each
// step narrowing the next. A lag of many periods measured to a fraction of a sample gives the
// period to a millionth of itself.

#include <cstddef>
#include <memory>
#include <vector>

struct PitchReading {
    double seconds = 0;   // the end of the samples it was read from, since the stream began
    double frequency = 0; // Hz; 0 where no pitch is heard (silence, noise)
    double clarity = 0;   // how periodic the sound is, 0 to 1
};

class PitchDetector {
  public:
    // B0 of a five-string bass, and C8.
    static constexpr double kLowestNote = 30.87;
    static constexpr double kHighestNote = 4186.01;

    // For any rate from 8 to 192 kHz; the window is sized to the lowest note asked for.
    explicit PitchDetector(int sampleRate, double lowestHz = kLowestNote,
                           double highestHz = kHighestNote);
    ~PitchDetector();
    PitchDetector(const PitchDetector&) = delete;
    PitchDetector& operator=(const PitchDetector&) = delete;

    // Takes the next samples and appends a reading for every hop they complete.
    void feed(const float* samples, std::size_t count, std::vector<PitchReading>& readings);
    // The samples of the input between two readings.
    int hopSamples() const { return hop_ * decimation_; }

  private:
    struct Fft;
    PitchReading analyse();
    double coarsePeriod(std::size_t available, double& clarity);
    // The period refined on the newest available samples of the note; exact: the period is
    // already known that well (the note goes on). 0 where the sound does not repeat.
    double refinedPeriod(double period, std::size_t available, bool exact) const;
    // Refined last on the phase of the strongest of the first harmonics over up to a second;
    // the period as it was where the note is still too short for that.
    double finalPeriod(double period, std::size_t available, bool exact);
    // The sample that lies back samples before the newest.
    float at(std::size_t back) const { return ring_[(written_ - 1 - back) & mask_]; }

    // Above 48 kHz every few samples are averaged into one: the notes lie far below, and the
    // analysis costs and measures as at 48 kHz.
    int inputRate_;
    int decimation_;
    double sum_ = 0;
    int summed_ = 0;
    int rate_; // of the analysis
    int hop_;
    int window_; // the coarse analysis window: two periods of the lowest note and a little
    int minLag_; // the period of the highest note
    int maxLag_; // the period of the lowest note
    std::size_t longestLag_;  // how far back a period is refined on the signal's own match
    std::size_t longestSpan_; // and on a harmonic's phase
    std::vector<float> ring_;
    std::size_t mask_ = 0;
    std::size_t written_ = 0; // samples taken since the stream began
    std::size_t sinceHop_ = 0;
    std::size_t soundStart_ = 0; // where the sound now heard rose above silence
    std::size_t noteStart_ = 0;  // where the note now heard began, in samples since the start
    double notePeriod_ = 0;      // its period at the last reading (0: none heard)
    int harmonic_ = 1;           // the harmonic whose phase is followed
    std::unique_ptr<Fft> fft_;
};
