#pragma once
// Writing 16-bit PCM WAV files: the sample instruments, the test fixtures and the benchmarks
// all make their recordings with it.

#include <QByteArray>
#include <cstdint>
#include <vector>

// A complete WAV file of interleaved 16-bit samples.
QByteArray pcm16WavFile(const std::vector<int16_t>& samples, int rate, int channels);
