#include "picture_copy.h"

#include "support/picture/bitmap_file.h"
#include "support/picture/picture_box.h"

namespace AppModul {

void CopyPicture(PictureBox& destination, const PictureBox& source) {
    if (!source.hasPicture())
        return;
    destination.drawFrom(source, destination.geometry());
}

void LoadPicture(PictureBox& box, const QString& path) {
    box.setPicture(loadBitmapFile(path));
}

} // namespace AppModul
