#pragma once
// The instrument picture every instrument folder holds, and where on it the window's controls
// sit until a profile moves the pegs: the window, the drawn sample pictures and the tests all
// take these places from here.

#include <QRect>
#include <QSize>
#include <array>

namespace HeadLayout {

inline constexpr QSize kPictureSize(384, 550);

// The six peg areas in peg order: the left column from the bottom up, then the right column
// from the top down.
inline constexpr std::array<QRect, 6> kPegAreas = {
    QRect(12, 238, 92, 84), QRect(8, 152, 96, 77),    QRect(6, 64, 92, 79),
    QRect(276, 64, 98, 83), QRect(270, 156, 102, 80), QRect(268, 242, 104, 85)};

inline constexpr QRect kSwitchArea(18, 478, 103, 54);

} // namespace HeadLayout
