#include "profile_format.h"

#include "support/profile/text_encoding.h"

#include <QSet>
#include <algorithm>

namespace ProfileFormat {
namespace {

struct Line {
    qsizetype start = 0;      // first byte of the line
    qsizetype contentEnd = 0; // before the line ending
    qsizetype end = 0;        // after the line ending
    bool terminated = false;  // ends in a line feed (the last line of a file may not)
};

enum class Kind { Blank, Section, Entry, Other };

struct ParsedLine {
    Kind kind = Kind::Other;
    QByteArrayView name;  // section name or key
    QByteArrayView value; // entry value
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView v) {
    qsizetype b = 0, e = v.size();
    while (b < e && isBlank(v[b]))
        ++b;
    while (e > b && isBlank(v[e - 1]))
        --e;
    return v.sliced(b, e - b);
}

qsizetype bodyStart(QByteArrayView file) {
    return file.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

class Lines {
  public:
    explicit Lines(QByteArrayView file) : file_(file), pos_(bodyStart(file)) {}
    bool next(Line& line) {
        if (pos_ >= file_.size())
            return false;
        line.start = pos_;
        const qsizetype nl = file_.indexOf('\n', pos_);
        line.end = nl < 0 ? file_.size() : nl + 1;
        line.contentEnd = nl < 0 ? file_.size() : nl;
        line.terminated = nl >= 0;
        if (line.contentEnd > line.start && file_[line.contentEnd - 1] == '\r')
            --line.contentEnd;
        pos_ = line.end;
        return true;
    }

  private:
    QByteArrayView file_;
    qsizetype pos_;
};

bool isSectionLine(QByteArrayView content) {
    qsizetype i = 0;
    while (i < content.size() && isBlank(content[i]))
        ++i;
    return i < content.size() && content[i] == '[';
}

ParsedLine parse(QByteArrayView content) {
    ParsedLine p;
    const QByteArrayView t = trimmed(content);
    if (t.isEmpty()) {
        p.kind = Kind::Blank;
    } else if (t[0] == '[') {
        p.kind = Kind::Section;
        const qsizetype close = t.indexOf(']');
        p.name = trimmed(t.sliced(1, (close < 0 ? t.size() : close) - 1));
    } else if (const qsizetype eq = t.indexOf('='); eq >= 0) {
        p.kind = Kind::Entry;
        p.name = trimmed(t.first(eq));
        p.value = trimmed(t.sliced(eq + 1));
    }
    return p;
}

bool sameName(QByteArrayView bytes, const QString& wanted) {
    // No encoding spends more than three bytes on one UTF-16 unit: longer names cannot match,
    // which keeps a hostile megabyte-long key from being decoded at all.
    if (bytes.size() > 3 * wanted.size() || bytes.size() * 2 < wanted.size())
        return false;
    // Names are nearly always ASCII on both sides: compare them without decoding, which keeps
    // a scan over thousands of sections cheap.
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }) &&
        std::all_of(wanted.begin(), wanted.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        if (bytes.size() != wanted.size())
            return false;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto lower = [](char16_t c) {
                return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
            };
            if (lower(char16_t(uchar(bytes[i]))) != lower(wanted[i].unicode()))
                return false;
        }
        return true;
    }
    return TextEncoding::decodeLine(bytes).compare(wanted, Qt::CaseInsensitive) == 0;
}

QString valueText(QByteArrayView bytes) {
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes = trimmed(bytes.first(nul));
    if (bytes.size() > 3 * MaxValueLength) {
        qsizetype cut = 3 * MaxValueLength;
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
            --cut; // keep whole UTF-8 sequences
        bytes = bytes.first(cut);
    }
    QString text = TextEncoding::decodeLine(bytes);
    if (text.size() > MaxValueLength)
        text.truncate(text[MaxValueLength - 1].isHighSurrogate() ? MaxValueLength - 1
                                                                 : MaxValueLength);
    return text;
}

// Calls visit(line, parsed) for each line of the first section named `section`.
template <class Visit>
bool forFirstSection(QByteArrayView file, const QString& section, Visit visit) {
    const QString wanted = section.trimmed();
    Lines lines(file);
    Line line;
    bool inside = false;
    bool found = false;
    while (lines.next(line)) {
        const QByteArrayView content = file.sliced(line.start, line.contentEnd - line.start);
        if (!inside && !isSectionLine(content))
            continue; // outside the section only its header matters
        const ParsedLine p = parse(content);
        if (p.kind == Kind::Section) {
            if (inside)
                return true;
            if (sameName(p.name, wanted)) {
                inside = found = true;
                if (!visit(line, p))
                    return true;
            }
            continue;
        }
        if (inside && !visit(line, p))
            return true;
    }
    return found;
}

bool storable(const QString& text) {
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0));
}

} // namespace

std::optional<QString> findValue(QByteArrayView file, const QString& section, const QString& key) {
    const QString wanted = key.trimmed();
    std::optional<QString> result;
    forFirstSection(file, section, [&](const Line&, const ParsedLine& p) {
        if (p.kind != Kind::Entry || !sameName(p.name, wanted))
            return true;
        QString value = valueText(p.value);
        if (!value.isEmpty())
            result = std::move(value);
        return false;
    });
    return result;
}

QList<Entry> sectionEntries(QByteArrayView file, const QString& section) {
    QList<Entry> entries;
    QSet<QString> seen;
    forFirstSection(file, section, [&](const Line&, const ParsedLine& p) {
        if (p.kind != Kind::Entry || p.name.isEmpty())
            return true;
        const QString key = TextEncoding::decodeLine(p.name);
        const QString folded = key.toCaseFolded();
        if (seen.contains(folded))
            return true;
        seen.insert(folded);
        QString value = valueText(p.value);
        if (!value.isEmpty())
            entries.append({key, std::move(value)});
        return true;
    });
    return entries;
}

std::optional<QByteArray> withValue(QByteArrayView file, const QString& section, const QString& key,
                                    const QString& value) {
    const QString cleanKey = key.trimmed();
    if (!storable(section) || section.contains(u']') || !storable(key) || !storable(value) ||
        cleanKey.isEmpty() || cleanKey.contains(u'=') || cleanKey.startsWith(u'['))
        return std::nullopt;

    const bool utf8 = file.sliced(bodyStart(file)).isValidUtf8();
    auto encode = [utf8](const QString& text) {
        return utf8 ? text.toUtf8() : TextEncoding::toWindows1252(text);
    };
    const qsizetype firstNewline = file.indexOf('\n');
    const QByteArray eol = firstNewline > 0 && file[firstNewline - 1] == '\r' ? "\r\n" : "\n";
    const QByteArray entry = encode(key) + '=' + encode(value);

    std::optional<Line> replace;
    Line insertAfter;
    const bool sectionFound =
        forFirstSection(file, section, [&](const Line& line, const ParsedLine& p) {
            if (p.kind == Kind::Entry && sameName(p.name, cleanKey)) {
                replace = line;
                return false;
            }
            if (p.kind != Kind::Blank)
                insertAfter = line;
            return true;
        });

    QByteArray out;
    out.reserve(file.size() + entry.size() + section.size() * 3 + 8);
    if (replace) {
        out.append(file.first(replace->start));
        out.append(entry);
        out.append(file.sliced(replace->contentEnd));
    } else if (sectionFound) {
        out.append(file.first(insertAfter.end));
        if (!insertAfter.terminated) // a last line ending in CR alone needs only the LF
            out.append(insertAfter.contentEnd < insertAfter.end ? QByteArray("\n") : eol);
        out.append(entry + eol);
        out.append(file.sliced(insertAfter.end));
    } else {
        out.append(file);
        if (file.size() > bodyStart(file) && !file.endsWith('\n'))
            out.append(file.endsWith('\r') ? QByteArray("\n") : eol);
        out.append('[' + encode(section) + ']' + eol + entry + eol);
    }
    return out;
}

} // namespace ProfileFormat
