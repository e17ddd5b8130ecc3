#include "artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace Artwork {
namespace {

QList<QRgb> classicPalette() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

} // namespace

QImage iconImage() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Headstock.
    QPainterPath head;
    head.moveTo(11, 31);
    head.lineTo(9, 4);
    head.quadTo(16, 0, 23, 4);
    head.lineTo(21, 31);
    head.closeSubpath();
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(128, 0, 0));
    p.drawPath(head);
    // Strings.
    p.setPen(QColor(192, 192, 192));
    for (int x : {14, 16, 18})
        p.drawLine(x, 6, x, 31);
    // Pegs: two dark, one lit on each side.
    for (int i = 0; i < 3; ++i) {
        const int y = 7 + i * 8;
        p.setPen(QColor(0, 0, 0));
        p.setBrush(i == 0 ? QColor(255, 255, 0) : QColor(128, 128, 128));
        p.drawEllipse(QRect(2, y, 6, 6));
        p.setBrush(QColor(128, 128, 128));
        p.drawEllipse(QRect(24, y, 6, 6));
    }
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, classicPalette(), Qt::ThresholdDither);
}

QIcon programIcon() {
    return QIcon(QPixmap::fromImage(iconImage()));
}

} // namespace Artwork
