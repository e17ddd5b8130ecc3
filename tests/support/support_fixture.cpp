#include "support_fixture.h"

#include "support/instrument_schema.h"
#include "support/picture/head_layout.h"
#include "support/sound/wav_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <stdexcept>

namespace Fixture {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray patched(QByteArray bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
    return bytes;
}

QByteArray wavBytes(const std::vector<int16_t>& samples, int rate, int channels) {
    return pcm16WavFile(samples, rate, channels);
}

void writeWav(const QString& path, const std::vector<int16_t>& samples, int rate) {
    writeFile(path, wavBytes(samples, rate));
}

std::vector<int16_t> tone(double frequency, double seconds, int rate, double amplitude) {
    std::vector<int16_t> s(size_t(seconds * rate));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = int16_t(
            std::lround(amplitude * 32767 * std::sin(2 * M_PI * frequency * double(i) / rate)));
    return s;
}

QImage placePicture(int blue) {
    QImage image(384, 550, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, blue));
    return image;
}

void writeBmp(const QString& path, const QImage& image) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "BMP"))
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString designLayout() {
    QString text;
    for (int n = 0; n < 6; ++n) {
        const QRect& place = HeadLayout::kPegAreas[size_t(n)];
        const int values[] = {place.top(), place.left(), place.height(), place.width()};
        for (int p = 0; p < 4; ++p)
            text += InstrumentFolder::pegKey(n + 1, InstrumentFolder::PegProperties[p]) + u'=' +
                    QString::number(values[p]) + u'\n';
    }
    return text;
}

} // namespace Fixture
