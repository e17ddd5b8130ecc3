// Writes the binary seeds of the bitmap and WAV fuzzers: small, valid files of each kind.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>
#include <cmath>

namespace {
void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QByteArray wav(int channels, int bits, int format, int frames) {
    QByteArray b("RIFF\0\0\0\0WAVEfmt ", 16);
    auto put = [&](quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    put(16, 4);
    put(quint32(format), 2);
    put(quint32(channels), 2);
    put(48000, 4);
    put(quint32(48000 * channels * bits / 8), 4);
    put(quint32(channels * bits / 8), 2);
    put(quint32(bits), 2);
    b.append("data");
    put(quint32(frames * channels * bits / 8), 4);
    for (int i = 0; i < frames * channels; ++i) {
        const double x = 0.5 * std::sin(i * 0.1);
        if (format == 3) {
            float f = float(x);
            quint32 u;
            std::memcpy(&u, &f, 4);
            put(u, 4);
        } else if (bits == 8) {
            put(quint32(128 + int(x * 127)), 1);
        } else {
            put(quint32(int(x * 32767)), 2);
        }
    }
    qToLittleEndian(quint32(b.size() - 8), b.data() + 4);
    return b;
}

QByteArray bmp(QImage::Format format) {
    QImage image(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            image.setPixel(x, y, qRgb(x * 30, y * 50, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(format).save(&buffer, "BMP");
    return bytes;
}
} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString out = app.arguments().value(1);
    QDir().mkpath(out + "/bitmap");
    QDir().mkpath(out + "/wav");
    write(out + "/bitmap/rgb24.bmp", bmp(QImage::Format_RGB888));
    write(out + "/bitmap/rgb32.bmp", bmp(QImage::Format_RGB32));
    write(out + "/bitmap/indexed8.bmp", bmp(QImage::Format_Indexed8));
    write(out + "/bitmap/mono.bmp", bmp(QImage::Format_Mono));
    write(out + "/wav/mono16.wav", wav(1, 16, 1, 64));
    write(out + "/wav/stereo16.wav", wav(2, 16, 1, 64));
    write(out + "/wav/mono8.wav", wav(1, 8, 1, 64));
    write(out + "/wav/float.wav", wav(1, 32, 3, 64));
    return 0;
}
