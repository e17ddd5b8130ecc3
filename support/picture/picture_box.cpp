#include "picture_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
const QColor kEmptyGrey(128, 128, 128);

int16_t buttonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int16_t shiftCode(Qt::KeyboardModifiers modifiers) {
    return int16_t((modifiers & Qt::ShiftModifier ? 1 : 0) |
                   (modifiers & Qt::ControlModifier ? 2 : 0) |
                   (modifiers & Qt::AltModifier ? 4 : 0));
}
} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
    fitImageToSize();
}

void PictureBox::setPicture(const QImage& picture) {
    image_ = picture.convertToFormat(QImage::Format_RGB32);
    hasPicture_ = true;
    update();
}

void PictureBox::drawFrom(const PictureBox& source, const QRect& sourceRect) {
    fitImageToSize();
    const QRect picture = source.image_.rect();
    const QRect surface = sourceRect.intersected(picture.united(source.rect()));
    if (surface.isEmpty() || image_.isNull())
        return;
    const QPoint offset = -sourceRect.topLeft();
    QPainter painter(&image_);
    painter.fillRect(surface.translated(offset), kEmptyGrey);
    const QRect shown = surface.intersected(picture);
    if (!shown.isEmpty())
        painter.drawImage(shown.topLeft() + offset, source.image_, shown);
    painter.end();
    update();
}

void PictureBox::fitImageToSize() {
    if (hasPicture_ || image_.size() == size())
        return;
    QImage resized(size().expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    if (resized.isNull()) {
        image_ = QImage();
        return;
    }
    resized.fill(kEmptyGrey);
    if (!image_.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, image_);
    }
    image_ = resized;
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kEmptyGrey);
    if (!image_.isNull())
        painter.drawImage(0, 0, image_);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitImageToSize();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()),
                   float(event->position().x()), float(event->position().y()));
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (handlesDoubleClick_)
        emit doubleClicked();
    else
        mousePressEvent(event);
}
