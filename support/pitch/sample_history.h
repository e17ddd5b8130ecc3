#pragma once
// The newest samples of a stream, kept in a ring whose size is a power of two.

#include <cstddef>
#include <vector>

struct SampleHistory {
    std::vector<float> ring;
    std::size_t mask = 0;
    std::size_t written = 0; // samples taken since the stream began

    explicit SampleHistory(std::size_t atLeast) {
        std::size_t size = 1;
        while (size < atLeast)
            size *= 2;
        ring.assign(size, 0.0f);
        mask = size - 1;
    }
    void push(float x) { ring[written++ & mask] = x; }
    // The sample that lies back samples before the newest.
    float at(std::size_t back) const { return ring[(written - 1 - back) & mask]; }
    // The sample of that index (since the stream began); it must still be in the ring.
    float sample(std::size_t index) const { return ring[index & mask]; }
    std::size_t available() const { return written < ring.size() ? written : ring.size(); }
};
