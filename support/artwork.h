#pragma once
// The program's own drawings: the icon (and, in the sample-instrument generator, the
// instrument pictures) come from this code.

#include <QIcon>
#include <QImage>

namespace Artwork {

// 32 x 32 pixels in the 16 colours of the classic palette: a headstock with a lit peg.
QImage iconImage();
QIcon programIcon();

} // namespace Artwork
