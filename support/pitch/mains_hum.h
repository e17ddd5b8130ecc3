#pragma once
// Mains hum, and what is not a note. Hum repeats exactly at the mains' period (50 or 60 Hz), and
// each of its harmonics keeps its level and phase: it is learnt as the average of many periods,
// over a second and over a quarter of one, and the harmonics in which both agree are taken away
// from every sample. A string's partial near a harmonic of the mains turns against it and never
// agrees: it is left as it is. A pitch at the mains frequency or a low multiple of it is hum,
// never a note.

#include <complex>
#include <cstddef>
#include <vector>

class MainsHum {
  public:
    explicit MainsHum(int rate);

    // The sample with the hum that is known taken away.
    float take(float sample);

    // Whether a pitch lies so near the mains frequency or a low multiple of it that it is hum.
    static bool isHum(double frequency);

  private:
    struct Mains {
        std::size_t length = 0; // samples of the period learnt (a few periods where one is no
        int periods = 1;        // whole number of samples: 60 Hz at 16 kHz, three)
        std::vector<double> slow, fast; // the period's average over a second, a quarter
        std::vector<double> hum;        // what is taken away
        std::vector<double> share;      // of each harmonic, 0 to 1
        std::size_t at = 0;
    };
    void update(Mains& m);

    std::vector<Mains> mains_; // 50 Hz, 60 Hz
    std::size_t sinceUpdate_ = 0;
    std::size_t updateEvery_;
};
