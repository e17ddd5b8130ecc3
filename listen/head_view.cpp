#include "head_view.h"

#include <QPainter>

HeadView::HeadView(QWidget* parent) : QWidget(parent) {}

void HeadView::setPictures(const QImage& dark, const QImage& lit,
                           const std::array<QRect, 6>& pegs) {
    dark_ = dark;
    lit_ = lit;
    pegs_ = pegs;
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
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The picture keeps its proportions, centred in the view.
    const QSize size = dark_.size().scaled(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.drawImage(target, dark_);
    if (litString_ < 0 || litString_ >= int(pegs_.size()) || lit_.isNull())
        return;
    const QRect peg = pegs_[std::size_t(litString_)].intersected(lit_.rect());
    if (peg.isEmpty())
        return;
    const double sx = double(target.width()) / dark_.width(),
                 sy = double(target.height()) / dark_.height();
    painter.drawImage(QRectF(target.x() + peg.x() * sx, target.y() + peg.y() * sy, peg.width() * sx,
                             peg.height() * sy),
                      lit_, peg);
}
