#include "head_view.h"

#include <QPainter>

HeadView::HeadView(QWidget* parent) : QWidget(parent) {}

void HeadView::setPictures(const QImage& dark, const QImage& lit,
                           const std::array<QRect, 6>& pegs) {
    dark_ = dark;
    lit_ = lit;
    pegs_ = pegs;
    scaledDark_ = scaledLit_ = QImage();
    update();
}

void HeadView::setLitString(int string) {
    if (string == litString_)
        return;
    litString_ = string;
    update();
}

void HeadView::paintEvent(QPaintEvent*) {
    if (dark_.isNull())
        return;
    // The picture keeps its proportions, centred in the view; it is scaled once for the view's
    // size, and each paint only copies.
    const QSize size = dark_.size().scaled(this->size(), Qt::KeepAspectRatio);
    if (scaledDark_.size() != size) {
        scaledDark_ = dark_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaledLit_ = lit_.isNull()
                         ? QImage()
                         : lit_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPainter painter(this);
    const QPoint origin((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.drawImage(origin, scaledDark_);
    if (litString_ < 0 || litString_ >= int(pegs_.size()) || scaledLit_.isNull())
        return;
    const QRect peg = pegs_[std::size_t(litString_)].intersected(lit_.rect());
    if (peg.isEmpty())
        return;
    const double sx = double(size.width()) / lit_.width(),
                 sy = double(size.height()) / lit_.height();
    const QRect scaled = QRectF(peg.x() * sx, peg.y() * sy, peg.width() * sx, peg.height() * sy)
                             .toAlignedRect()
                             .intersected(scaledLit_.rect());
    painter.drawImage(origin + scaled.topLeft(), scaledLit_, scaled);
}
