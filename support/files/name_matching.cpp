#include "name_matching.h"

#include <algorithm>

namespace FileNames {
namespace {

// One character of a pattern against one of a name, without regard to letter case. Two ASCII
// characters need no folding table (no other character folds to an ASCII one); any other pair
// is folded as Qt folds it.
bool sameIgnoringCase(QChar a, QChar b) {
    if (a.unicode() < 0x80 && b.unicode() < 0x80) {
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        return lower(a.unicode()) == lower(b.unicode());
    }
    return QStringView(&a, 1).compare(QStringView(&b, 1), Qt::CaseInsensitive) == 0;
}

// Greedy wildcard match with backtracking to the last "*": linear in practice, never
// exponential. The name is any string view whose characters convert to QChar.
template <typename Name> bool wildcardMatch(Name name, QStringView pattern) {
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && sameIgnoringCase(pattern[p], QChar(name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

void sortAsListed(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

bool matchesPattern(QStringView name, QStringView pattern) {
    return wildcardMatch(name, pattern);
}

bool matchesPattern(QLatin1String name, QStringView pattern) {
    return wildcardMatch(name, pattern);
}

} // namespace FileNames
