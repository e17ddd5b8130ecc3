#include "bitmap_file.h"

#include "support/files/file_access.h"
#include "support/step.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace {

constexpr qint64 kMaxSide = 8192;
constexpr qint64 kMaxPixels = 16LL * 1024 * 1024;
constexpr qint64 kMaxFileBytes = 14 + 124 + 1024 + kMaxPixels * 4 + 4096;

quint32 u32(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.data() + at);
}
qint32 i32(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<qint32>(b.data() + at);
}
quint16 u16(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.data() + at);
}
qint16 i16(QByteArrayView b, qsizetype at) {
    return qFromLittleEndian<qint16>(b.data() + at);
}

// Width and height the header promises, or an empty size when the header cannot be trusted.
QSize checkedHeader(QByteArrayView b) {
    const qint64 fileSize = b.size();
    if (fileSize < 26 || b[0] != 'B' || b[1] != 'M')
        return {};
    const qint64 dataOffset = u32(b, 10);
    const qint64 headerSize = u32(b, 14);
    qint64 width = 0, height = 0, bitsPerPixel = 0, compression = 0, imageSize = 0;
    if (headerSize == 12) {
        width = i16(b, 18);
        height = i16(b, 20);
        bitsPerPixel = u16(b, 24);
    } else if (headerSize >= 40 && headerSize <= 124 && fileSize >= 14 + 40) {
        width = i32(b, 18);
        height = i32(b, 22);
        if (u16(b, 26) != 1)
            return {};
        bitsPerPixel = u16(b, 28);
        compression = u32(b, 30);
        imageSize = u32(b, 34);
    } else {
        return {};
    }
    const qint64 rows = height < 0 ? -height : height;
    if (width <= 0 || rows <= 0 || width > kMaxSide || rows > kMaxSide || width * rows > kMaxPixels)
        return {};
    if (dataOffset < 14 + headerSize || dataOffset > fileSize)
        return {};
    const qint64 stride = (width * bitsPerPixel + 31) / 32 * 4;
    switch (compression) {
    case 0: // uncompressed
    case 3: // bit fields
        if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
            bitsPerPixel != 24 && bitsPerPixel != 32)
            return {};
        if (compression == 3 && bitsPerPixel != 16 && bitsPerPixel != 32)
            return {};
        if (dataOffset + stride * rows > fileSize)
            return {};
        break;
    case 1: // run-length encoded, 8 bits
    case 2: // run-length encoded, 4 bits
        if (height < 0 || bitsPerPixel != (compression == 1 ? 8 : 4) || imageSize == 0 ||
            dataOffset + imageSize > fileSize)
            return {};
        break;
    default:
        return {};
    }
    return QSize(int(width), int(rows));
}

} // namespace

// The common case, uncompressed 24- or 32-bit rows, is copied straight into the image (the
// general reader takes several times as long, and start-up waits for two pictures).
static QImage decodeTrueColour(QByteArrayView b, QSize size) {
    const qint64 headerSize = u32(b, 14);
    if (headerSize < 40 || u32(b, 30) != 0)
        return {};
    const int bits = u16(b, 28);
    if (bits != 24 && bits != 32)
        return {};
    const bool topDown = i32(b, 22) < 0;
    const qint64 stride = (qint64(size.width()) * bits + 31) / 32 * 4;
    const char* data = b.data() + u32(b, 10);
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const int step = bits / 8;
    for (int y = 0; y < size.height(); ++y) {
        const auto* in =
            reinterpret_cast<const uchar*>(data + stride * (topDown ? y : size.height() - 1 - y));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x, in += step)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

QImage decodeBitmap(QByteArrayView bytes) {
    const QSize promised = checkedHeader(bytes);
    if (promised.isEmpty())
        return {};
    if (QImage direct = decodeTrueColour(bytes, promised); !direct.isNull())
        return direct;
    QByteArray copy = bytes.toByteArray();
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    QImage image;
    if (!reader.read(&image) || image.size() != promised)
        return {};
    return image;
}

QImage loadBitmapFile(const QString& path) {
    const QImage image = decodeBitmap(readRegularFile(path, kMaxFileBytes));
    if (image.isNull())
        throw StepFailed("not a readable bitmap: " + path.toStdString());
    return image;
}
