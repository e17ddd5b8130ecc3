// Writes the binary seeds of the bitmap and WAV fuzzers: small, valid files of each kind.
#include "support/sound/wav_file.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>

using namespace Qt::StringLiterals;

namespace {
void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}
} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString out = app.arguments().value(1);
    QDir().mkpath(out + u"/bitmap"_s);
    QDir().mkpath(out + u"/wav"_s);
    QImage image(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            image.setPixel(x, y, qRgb(x * 30, y * 50, 90));
    for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB32,
                                        QImage::Format_Indexed8, QImage::Format_Mono}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.convertToFormat(format).save(&buffer, "BMP");
        write(out + QStringLiteral("/bitmap/%1.bmp").arg(int(format)), buffer.data());
    }
    std::vector<int16_t> samples(128);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(16000 * ((i * 37) % 17) / 17 - 8000);
    write(out + u"/wav/mono.wav"_s, pcm16WavFile(samples, 48000, 1));
    write(out + u"/wav/stereo.wav"_s, pcm16WavFile(samples, 22050, 2));
    return 0;
}
