// The profile format on any bytes: reading never fails, and a write that is accepted reads
// back and leaves every other line as it was.
#include "support/profile/profile_format.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {
const QString kSections[] = {u"Veltrosan Tuner"_s, u"veltrosan tuner"_s, u"x"_s, u" S "_s};
const QString kKeys[] = {u"Options"_s, u"OPTION1"_s, u"Tuner1-width"_s, u"k"_s, u"é"_s};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const QString section = kSections[data[0] % 4];
    const QString key = kKeys[data[1] % 5];
    const QByteArrayView file(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    const std::optional<QString> before = ProfileFormat::findValue(file, section, key);
    if (before && (before->isEmpty() || before->size() > ProfileFormat::MaxValueLength))
        std::abort();
    ProfileFormat::sectionEntries(file, section);

    const QString value = QString::number(size * 7919 % 100000);
    const std::optional<QByteArray> after = ProfileFormat::withValue(file, section, key, value);
    if (!after)
        std::abort(); // these texts are always storable
    if (ProfileFormat::findValue(*after, section, key) != value)
        std::abort();
    // The rest of the file is kept: the old bytes are a prefix and a suffix of the new ones,
    // apart from at most one line.
    qsizetype prefix = 0;
    while (prefix < file.size() && prefix < after->size() && file[prefix] == (*after)[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < file.size() - prefix && suffix < after->size() - prefix &&
           file[file.size() - 1 - suffix] == (*after)[after->size() - 1 - suffix])
        ++suffix;
    if (file.sliced(prefix, file.size() - prefix - suffix).contains('\n'))
        std::abort();
    return 0;
}
