#include "file_names.h"

#include <cstring>

namespace FileNames {
namespace {

constexpr char16_t kKeptByteBase = 0xDC00; // a kept byte b stands as U+DC00 + b (b >= 0x80)

bool isKeptByte(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// The length of the valid UTF-8 sequence at s (at most n bytes), or 0 when there is none:
// overlong forms, encoded surrogates and code points past U+10FFFF are not valid.
int validSequenceLength(const unsigned char* s, qsizetype n, char32_t& codePoint) {
    const unsigned char lead = s[0];
    int length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (n < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (s[i] & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString fromFileSystem(const char* name, qsizetype length) {
    if (length < 0)
        length = qsizetype(std::strlen(name));
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    QString text;
    text.reserve(length);
    for (qsizetype i = 0; i < length;) {
        if (bytes[i] < 0x80) {
            text.append(QChar(char16_t(bytes[i++])));
            continue;
        }
        char32_t codePoint = 0;
        if (const int n = validSequenceLength(bytes + i, length - i, codePoint)) {
            text.append(QChar::fromUcs4(codePoint));
            i += n;
        } else {
            text.append(QChar(char16_t(kKeptByteBase + bytes[i++])));
        }
    }
    return text;
}

QByteArray fileSystemName(const QString& path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype runStart = 0; // the text since the last kept byte, encoded in one go
    const auto flush = [&](qsizetype end) {
        bytes.append(QStringView(path).sliced(runStart, end - runStart).toUtf8());
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        const bool pairedLow = i > 0 && path[i - 1].isHighSurrogate();
        if (isKeptByte(unit) && !pairedLow) {
            flush(i);
            bytes.append(char(unit - kKeptByteBase));
            runStart = i + 1;
        }
    }
    flush(path.size());
    return bytes;
}

QString readable(const QString& name) {
    QString text = name;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isKeptByte(text[i].unicode()) && !(i > 0 && text[i - 1].isHighSurrogate()))
            text[i] = QChar::ReplacementCharacter;
    return text;
}

} // namespace FileNames
