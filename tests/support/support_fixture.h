#pragma once
// Real files in temporary folders for the tests of every layer: raw bytes, WAV recordings, BMP
// pictures whose every pixel tells its place, and the peg layout of the design as profile lines.

// What every test includes.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <vector>

namespace Fixture {

void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// The bytes with a little-endian 32-bit value written at offset.
QByteArray patched(QByteArray bytes, int offset, quint32 value);

// 16-bit PCM WAV with interleaved samples, and a sine tone of the given frequency.
QByteArray wavBytes(const std::vector<int16_t>& samples, int rate = 48000, int channels = 1);
void writeWav(const QString& path, const std::vector<int16_t>& samples, int rate = 48000);
std::vector<int16_t> tone(double frequency, double seconds, int rate = 48000,
                          double amplitude = 0.5);

// A 384 x 550 picture in which every pixel's colour tells its place (red = x, green = y, both
// modulo 256) and blue tells the picture apart, so any region is recognisable.
QImage placePicture(int blue);
void writeBmp(const QString& path, const QImage& image);

// The peg layout of the design, as profile lines.
QString designLayout();

} // namespace Fixture

// Every test uses these helpers by their plain names.
using namespace Fixture; // NOLINT(google-global-names-in-headers)
