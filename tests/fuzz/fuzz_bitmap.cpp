// The bitmap check on any bytes: a picture is whole and within the limits, or there is none.
#include "support/picture/bitmap_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QImage image =
        decodeBitmap(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!image.isNull() && (image.width() > 8192 || image.height() > 8192 ||
                            qint64(image.width()) * image.height() > 16LL * 1024 * 1024))
        std::abort();
    return 0;
}
