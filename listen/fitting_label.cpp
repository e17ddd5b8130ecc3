#include "fitting_label.h"

#include <QFontMetricsF>
#include <algorithm>

FittingLabel::FittingLabel(double share, const QString& longest, double lines, QWidget* parent)
    : QLabel(parent), share_(share), longest_(longest), lines_(lines) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

QSize FittingLabel::sizeHint() const {
    const QFontMetrics base(parentWidget() ? parentWidget()->font() : font());
    return {base.horizontalAdvance(longest_), int(base.height() * lines_)};
}

QSize FittingLabel::minimumSizeHint() const {
    const QFontMetrics base(parentWidget() ? parentWidget()->font() : font());
    return {base.averageCharWidth() * 4, base.height()};
}

void FittingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    QFont fitted = font();
    fitted.setPixelSize(100);
    const QFontMetricsF at100(fitted);
    const double byHeight = 100 * share_ * height() / at100.height();
    const double byWidth = 100 * width() / std::max(1.0, at100.horizontalAdvance(longest_));
    fitted.setPixelSize(std::max(8, int(std::min(byHeight, byWidth))));
    if (fitted != font())
        setFont(fitted);
}
