#pragma once
#include <QString>

class PictureBox;

namespace AppModul {

// Paints destination with the region of source's picture that lies under destination's own
// rectangle in window coordinates; where the source's area reaches beyond its picture, with the
// source's background colour. A source that holds no picture leaves destination as it was.
void CopyPicture(PictureBox& destination, const PictureBox& source);

// Loads a bitmap file into the box; on failure throws StepFailed and the box keeps its picture.
void LoadPicture(PictureBox& box, const QString& path);

} // namespace AppModul
