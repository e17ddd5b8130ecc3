#include "picture_box.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
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
    if (keyboardFocus_ && hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DashLine));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitImageToSize();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()),
                   float(event->position().x()), float(event->position().y()));
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent*) {
    if (handlesDoubleClick_)
        emit doubleClicked();
}

void PictureBox::pressAsLeftButton() {
    emit mouseDown(1, 0, float(width()) / 2, float(height()) / 2);
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (!pressable_ || !(key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat()) // a held key presses once, as a held button does
        pressAsLeftButton();
}

// The frame marks the focus only when it came by the keyboard; a window that becomes active
// or a program that moves the focus shows none, as on the platform's own buttons.
void PictureBox::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    keyboardFocus_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                     reason == Qt::ShortcutFocusReason;
    update();
    QWidget::focusInEvent(event);
}

void PictureBox::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    update();
    QWidget::focusOutEvent(event);
}

namespace {

// A pressable picture area as a screen reader meets it: a button with a press action.
class PressableAccessible : public QAccessibleWidget {
  public:
    explicit PressableAccessible(PictureBox* box) : QAccessibleWidget(box, QAccessible::Button) {}
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            static_cast<PictureBox*>(widget())->pressAsLeftButton();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* pictureBoxAccessible(const QString& className, QObject* object) {
    auto* box =
        className == QLatin1String("PictureBox") ? qobject_cast<PictureBox*>(object) : nullptr;
    return box && box->isPressable() ? new PressableAccessible(box) : nullptr;
}

} // namespace

void installPictureBoxAccessibility() {
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(pictureBoxAccessible);
    installed = true;
}
