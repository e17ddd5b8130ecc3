#include "cents_gauge.h"

#include "listen/spoken_reading.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace {

// To a screen reader the gauge is an indicator, which it reads by its name.
QAccessibleInterface* gaugeAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("CentsGauge") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Indicator);
    return nullptr;
}

} // namespace

CentsGauge::CentsGauge(QWidget* parent) : QWidget(parent) {
    static const bool installed = (QAccessible::installFactory(&gaugeAccessible), true);
    Q_UNUSED(installed);
    setMinimumSize(200, 70);
    setAttribute(Qt::WA_OpaquePaintEvent); // the scale's picture covers it all
    setFocusPolicy(Qt::TabFocus);          // a screen reader user reaches it to hear it
}

void CentsGauge::setCents(std::optional<double> cents) {
    // Painted again only where the needle moves by a visible step or changes its colour, and
    // only the strips of the old and the new needle.
    const auto drawn = [this](std::optional<double> c) {
        const double step = 2 * kRange / std::max(1, width() * 4); // a quarter pixel
        return std::pair{c ? std::lround(std::clamp(*c, -kRange, kRange) / step) : LONG_MIN,
                         c && std::abs(*c) <= kInTuneCents};
    };
    const bool visible = drawn(cents) != drawn(cents_);
    const bool greyChanged = cents.has_value() != cents_.has_value();
    const QRect before = needleStrip();
    cents_ = cents;
    if (greyChanged)
        update();
    else if (visible)
        update(before.united(needleStrip()).intersected(rect()));
}

QRectF CentsGauge::scaleArea() const {
    return QRectF(rect()).adjusted(12, 8, -12, -22);
}

double CentsGauge::xOf(double cents) const {
    const QRectF scale = scaleArea();
    return scale.center().x() + std::clamp(cents, -kRange, kRange) / kRange * scale.width() / 2;
}

QRect CentsGauge::needleStrip() const {
    const double x = xOf(cents_.value_or(0.0));
    return QRect(int(std::floor(x)) - 3, 0, 7, height());
}

void CentsGauge::drawScale(QPainter& painter, bool heard) const {
    const QPalette::ColorGroup group = heard ? QPalette::Active : QPalette::Disabled;
    const QColor ink = palette().color(group, QPalette::WindowText);
    const QRectF scale = scaleArea();
    // The in-tune zone.
    const QColor zone = heard ? QColor(60, 170, 80) : palette().color(group, QPalette::Mid);
    painter.fillRect(QRectF(QPointF(xOf(-kInTuneCents), scale.top()),
                            QPointF(xOf(kInTuneCents), scale.bottom())),
                     zone);
    // Ticks every 10 cents, longer and labelled every 25.
    painter.setPen(ink);
    for (int c = -50; c <= 50; c += 5) {
        const bool major = c % 25 == 0;
        if (!major && c % 10 != 0)
            continue;
        const double length = scale.height() * (major ? 0.45 : 0.25);
        painter.drawLine(QPointF(xOf(c), scale.bottom()), QPointF(xOf(c), scale.bottom() - length));
        if (major)
            painter.drawText(QRectF(xOf(c) - 20, scale.bottom() + 2, 40, 18), Qt::AlignCenter,
                             c > 0 ? u'+' + QString::number(c) : QString::number(c));
    }
    painter.drawLine(scale.bottomLeft(), scale.bottomRight());
}

void CentsGauge::paintEvent(QPaintEvent*) {
    // The scale is drawn once for each size and state, and each frame copies it.
    const bool heard = cents_.has_value();
    QPixmap& scale = heard ? activeScale_ : greyScale_;
    const QSize pixels = size() * devicePixelRatio();
    if (scale.size() != pixels) {
        scale = QPixmap(pixels);
        scale.setDevicePixelRatio(devicePixelRatio());
        scale.fill(palette().color(QPalette::Window));
        QPainter painter(&scale);
        painter.setRenderHint(QPainter::Antialiasing);
        drawScale(painter, heard);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, scale);
    // The needle, at rest in the middle while nothing is heard.
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = scaleArea();
    const double at = xOf(cents_.value_or(0.0));
    const bool inTune = heard && std::abs(*cents_) <= kInTuneCents;
    const QColor ink = palette().color(QPalette::Disabled, QPalette::WindowText);
    painter.setPen(QPen(heard ? (inTune ? QColor(20, 120, 40) : QColor(200, 40, 30)) : ink, 3));
    painter.drawLine(QPointF(at, area.top()), QPointF(at, area.bottom()));
}
