#pragma once
// The program's own drawings: the instrument pictures of the sample instruments and the icon
// come from this code.

#include "support/picture/head_layout.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>

namespace Artwork {

using HeadLayout::kSwitchArea;
inline constexpr int kPictureWidth = HeadLayout::kPictureSize.width();
inline constexpr int kPictureHeight = HeadLayout::kPictureSize.height();

struct Peg {
    QRect area;   // the peg area of the window; empty for an unused peg
    QString note; // its label, e.g. "G4"
};

struct HeadDesign {
    QString title;
    QColor wood;
    QColor light; // the colour of a lit peg
    std::array<Peg, 6> pegs;
};

// The whole window picture: the head with every peg dark and the switch off, or
// every peg lit and the switch on. The two differ only inside the peg areas and the switch.
QImage drawHead(const HeadDesign& design, bool lit);

// 32 x 32 pixels in the 16 colours of the classic palette: a small head drawn by drawHead.
QImage iconImage();

} // namespace Artwork
