#include "window_placement.h"

#include "support/step.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstdint>

namespace Commands {
namespace {

// Nearest 32-bit whole number, halves to even (the default rounding mode of the FPU).
int32_t nearestWhole(double x) {
    const double r = std::nearbyint(x);
    if (!(r >= INT32_MIN && r <= INT32_MAX))
        throw StepFailed("window placement out of range");
    return int32_t(r);
}

int32_t halfOf(int32_t n) {
    return n / 2;
}

} // namespace

void CenterForm(TwipsWindow& form, int screenWidthTwips, int screenHeightTwips, int originLeftTwips,
                int originTopTwips) {
    const int32_t top =
        halfOf(nearestWhole(screenHeightTwips * 0.85)) - halfOf(nearestWhole(form.Height()));
    form.setTop(originTopTwips + top);
    const int32_t left =
        halfOf(nearestWhole(screenWidthTwips)) - halfOf(nearestWhole(form.Width()));
    form.setLeft(originLeftTwips + left);
    if (form.Top() < originTopTwips)
        form.setTop(originTopTwips);
    if (form.Left() < originLeftTwips)
        form.setLeft(originLeftTwips);
}

void CenterForm(TwipsWindow& form) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        throw StepFailed("no screen");
    const QRect place = screen->geometry();
    CenterForm(form, place.width() * TwipsPerPixel, place.height() * TwipsPerPixel,
               place.left() * TwipsPerPixel, place.top() * TwipsPerPixel);
}

} // namespace Commands
