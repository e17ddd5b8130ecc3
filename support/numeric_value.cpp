#include "numeric_value.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isIgnored(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDecimalDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c) {
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return 99;
}

double radixValue(const QString& s, int start, int radix) {
    double value = 0;
    for (int i = start; i < s.size() && digitValue(s[i]) < radix; ++i)
        value = value * radix + digitValue(s[i]);
    return value;
}

} // namespace

double NumericValue(const QString& text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!isIgnored(c))
            s.append(c);

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar prefix = s[1].toUpper();
        if (prefix == u'H')
            return radixValue(s, 2, 16);
        if (prefix == u'O')
            return radixValue(s, 2, 8);
        return 0;
    }

    // Gather the number in a canonical ASCII form for from_chars, which does not depend on the
    // process's locale.
    std::string number;
    int i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    int integerDigitsAfterZeros = 0; // significant digits before the point
    int zerosAfterPoint = 0;         // leading zeros after the point before the first digit
    bool sawSignificant = false;
    bool sawDigit = false;
    bool sawPoint = false;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (isDecimalDigit(c)) {
            sawDigit = true;
            if (c != u'0')
                sawSignificant = true;
            if (!sawPoint && sawSignificant)
                ++integerDigitsAfterZeros;
            if (sawPoint && !sawSignificant)
                ++zerosAfterPoint;
            number.push_back(char(c.unicode()));
        } else if (c == u'.' && !sawPoint) {
            sawPoint = true;
            number.push_back('.');
        } else {
            break;
        }
    }
    if (!sawDigit)
        return 0;

    long long exponent = 0;
    if (i < s.size() && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
        int j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) {
            expNegative = s[j] == u'-';
            ++j;
        }
        if (j < s.size() && isDecimalDigit(s[j])) {
            for (; j < s.size() && isDecimalDigit(s[j]); ++j) {
                if (exponent < 1000000000LL) // far beyond any double; keeps the sum bounded
                    exponent = exponent * 10 + (s[j].unicode() - u'0');
            }
            if (expNegative)
                exponent = -exponent;
        }
    }
    if (!sawSignificant)
        return 0;
    number += 'e';
    number += std::to_string(exponent);

    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Decide by the decimal magnitude whether it overflowed or underflowed.
        const long long magnitude =
            exponent + (integerDigitsAfterZeros > 0 ? integerDigitsAfterZeros : -zerosAfterPoint);
        value = magnitude > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}
