#include "cents_gauge.h"

#include "listen/spoken_reading.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <algorithm>
#include <cmath>

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
    setFocusPolicy(Qt::TabFocus); // a screen reader user reaches it to hear it
}

void CentsGauge::setCents(std::optional<double> cents) {
    if (cents == cents_)
        return;
    cents_ = cents;
    update();
}

void CentsGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorGroup group = cents_ ? QPalette::Active : QPalette::Disabled;
    const QColor ink = palette().color(group, QPalette::WindowText);
    const QRectF scale = QRectF(rect()).adjusted(12, 8, -12, -22);
    const auto xOf = [&](double cents) {
        return scale.center().x() + cents / kRange * scale.width() / 2;
    };
    // The in-tune zone.
    const QColor zone = cents_ ? QColor(60, 170, 80) : palette().color(group, QPalette::Mid);
    painter.fillRect(QRectF(QPointF(xOf(-kInTuneCents), scale.top()),
                            QPointF(xOf(kInTuneCents), scale.bottom())),
                     zone);
    // Ticks every 10 cents, longer and labelled every 25.
    painter.setPen(ink);
    for (int c = -50; c <= 50; c += 5) {
        const bool major = c % 25 == 0;
        const double length = major         ? scale.height() * 0.45
                              : c % 10 == 0 ? scale.height() * 0.25
                                            : 0;
        if (length == 0)
            continue;
        painter.drawLine(QPointF(xOf(c), scale.bottom()), QPointF(xOf(c), scale.bottom() - length));
        if (major)
            painter.drawText(QRectF(xOf(c) - 20, scale.bottom() + 2, 40, 18), Qt::AlignCenter,
                             c > 0 ? u'+' + QString::number(c) : QString::number(c));
    }
    painter.drawLine(scale.bottomLeft(), scale.bottomRight());
    // The needle, at rest in the middle while nothing is heard.
    const double at = xOf(std::clamp(cents_.value_or(0.0), -kRange, kRange));
    const bool inTune = cents_ && std::abs(*cents_) <= kInTuneCents;
    painter.setPen(QPen(cents_ ? (inTune ? QColor(20, 120, 40) : QColor(200, 40, 30)) : ink, 3));
    painter.drawLine(QPointF(at, scale.top()), QPointF(at, scale.bottom()));
}
