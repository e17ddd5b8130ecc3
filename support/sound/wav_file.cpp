#include "support/sound/wav_file.h"

#include <QtEndian>

QByteArray pcm16WavFile(const std::vector<int16_t>& samples, int rate, int channels) {
    QByteArray b;
    auto put32 = [&](quint32 v) {
        char c[4];
        qToLittleEndian(v, c);
        b.append(c, 4);
    };
    auto put16 = [&](quint16 v) {
        char c[2];
        qToLittleEndian(v, c);
        b.append(c, 2);
    };
    const auto data = quint32(samples.size() * 2);
    b.append("RIFF");
    put32(36 + data);
    b.append("WAVEfmt ");
    put32(16);
    put16(1); // PCM
    put16(quint16(channels));
    put32(quint32(rate));
    put32(quint32(rate * channels * 2));
    put16(quint16(channels * 2));
    put16(16);
    b.append("data");
    put32(data);
    for (int16_t s : samples)
        put16(quint16(s));
    return b;
}
