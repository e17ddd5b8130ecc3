#include "window_placement.h"

#include "step.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstdint>

namespace Commands {
namespace {

// Nearest 32-bit whole number, halves to even (the default rounding mode of the FPU).
int32_t R(double x) {
    const double r = std::nearbyint(x);
    if (!(r >= INT32_MIN && r <= INT32_MAX))
        throw StepFailed("window placement out of range");
    return int32_t(r);
}

int32_t H(int32_t n) {
    return n / 2;
}

} // namespace

void CenterForm(TwipsWindow& form, int screenWidthTwips, int screenHeightTwips) {
    const int32_t top = H(R(screenHeightTwips * 0.85)) - H(R(form.Height()));
    form.setTop(top);
    const int32_t left = H(R(screenWidthTwips)) - H(R(form.Width()));
    form.setLeft(left);
    if (form.Top() < 0)
        form.setTop(0);
    if (form.Left() < 0)
        form.setLeft(0);
}

void CenterForm(TwipsWindow& form) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        throw StepFailed("no screen");
    const QSize size = screen->size();
    CenterForm(form, size.width() * TwipsPerPixel, size.height() * TwipsPerPixel);
}

} // namespace Commands
