// The leading-number rule on any text: a number, never NaN, and the same for the text with
// blanks thrown in.
#include "support/numeric_value.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double value = NumericValue(text);
    if (std::isnan(value))
        std::abort();
    QString spaced;
    for (QChar c : text)
        spaced += c + QStringLiteral(" ");
    const double again = NumericValue(spaced);
    if (!(again == value))
        std::abort();
    return 0;
}
