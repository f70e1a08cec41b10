#include "entries/number_parsing.h"

#include <cmath>
#include <string>

namespace entries {

namespace {

struct Scanned {
    bool negative = false;
    std::string digits;   // whole part, commas removed
    std::string fraction; // without the full stop
    bool hasExponent = false;
    bool exponentNegative = false;
    std::string exponent;
};

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Scans the grammar; false when the text does not follow it.
bool scan(const QString& t, bool allowSign, bool allowReal, Scanned& s) {
    qsizetype i = 0;
    const qsizetype n = t.size();
    while (i < n && t[i] == QLatin1Char(' '))
        ++i;
    if (allowSign && i < n && t[i] == QLatin1Char('-')) {
        s.negative = true;
        ++i;
    }
    qsizetype group = 0;
    bool sawComma = false;
    while (i < n) {
        if (isDigit(t[i])) {
            s.digits += static_cast<char>(t[i].unicode());
            ++group;
            ++i;
        } else if (t[i] == QLatin1Char(',')) {
            if (group == 0 || (!sawComma && group > 3) || (sawComma && group != 3)) return false;
            sawComma = true;
            group = 0;
            ++i;
        } else {
            break;
        }
    }
    if (s.digits.empty() || (sawComma && group != 3) || (group == 0)) return false;
    if (allowReal) {
        if (i < n && t[i] == QLatin1Char('.')) {
            ++i;
            while (i < n && isDigit(t[i]))
                s.fraction += static_cast<char>(t[i++].unicode());
            if (s.fraction.empty()) return false;
        }
        qsizetype j = i;
        while (j < n && t[j] == QLatin1Char(' '))
            ++j;
        if (j < n && (t[j] == QLatin1Char('E') || t[j] == QLatin1Char('e'))) {
            ++j;
            while (j < n && t[j] == QLatin1Char(' '))
                ++j;
            if (j < n && t[j] == QLatin1Char('-')) {
                s.exponentNegative = true;
                ++j;
            }
            while (j < n && isDigit(t[j]))
                s.exponent += static_cast<char>(t[j++].unicode());
            if (s.exponent.empty()) return false;
            s.hasExponent = true;
            i = j;
        }
    }
    while (i < n && t[i] == QLatin1Char(' '))
        ++i;
    return i == n;
}

// Whole numbers: at most maxDigits digits (leading zeros count) and at most maxValue.
bool parseWhole(const QString& text, bool allowSign, size_t maxDigits, long long minValue,
                long long maxValue, long long& out) {
    Scanned s;
    if (!scan(text, allowSign, false, s) || s.digits.size() > maxDigits) return false;
    long long v = 0;
    for (char c : s.digits)
        v = v * 10 + (c - '0');
    if (s.negative) v = -v;
    if (v < minValue || v > maxValue) return false;
    out = v;
    return true;
}

} // namespace

bool ParseWord(const QString& text, quint16& result) {
    long long v;
    if (!parseWhole(text, false, 5, 0, 65535, v)) return false;
    result = static_cast<quint16>(v);
    return true;
}

bool ParseCardinal(const QString& text, quint32& result) {
    long long v;
    if (!parseWhole(text, false, 10, 0, 4294967295LL, v)) return false;
    result = static_cast<quint32>(v);
    return true;
}

bool ParseInteger(const QString& text, qint32& result) {
    long long v;
    if (!parseWhole(text, true, 10, -2147483648LL, 2147483647LL, v)) return false;
    result = static_cast<qint32>(v);
    return true;
}

bool ParseInteger(const char* buffer, qint32& result) {
    return buffer && ParseInteger(QString::fromLatin1(buffer), result);
}

bool ParseReal(const QString& text, double& result) {
    Scanned s;
    if (!scan(text, true, true, s)) return false;
    // Let the C library do the decimal conversion so the value is correctly rounded.
    std::string literal = s.digits;
    if (!s.fraction.empty()) literal += "." + s.fraction;
    double value = std::strtod(literal.c_str(), nullptr);
    if (s.hasExponent) {
        // Strip leading zeros so a long run of them cannot overflow the exponent count.
        size_t first = s.exponent.find_first_not_of('0');
        const std::string e = first == std::string::npos ? "0" : s.exponent.substr(first);
        if (!s.exponentNegative && (e.size() > 3 || std::stoi(e) >= 308)) return false;
        const int exp = e.size() > 4 ? 99999 : std::stoi(e);
        if (s.exponentNegative) {
            const double scaled =
                std::strtod((literal + "e-" + std::to_string(exp)).c_str(), nullptr);
            if (value != 0.0 && scaled == 0.0) return false;
            value = scaled;
        } else {
            value = std::strtod((literal + "e" + std::to_string(exp)).c_str(), nullptr);
        }
    }
    if (!std::isfinite(value)) return false;
    result = s.negative ? -value : value;
    return true;
}

bool ParseReal(const char* buffer, double& result) {
    return buffer && ParseReal(QString::fromLatin1(buffer), result);
}

} // namespace entries
