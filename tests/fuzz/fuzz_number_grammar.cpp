// The four number readers against a second, separately written reading of the grammar: leading
// blanks, an optional minus where allowed, digits grouped by commas (first group 1-3 digits, the
// others exactly 3), for reals a fraction and an exponent, then only blanks.
#include "fuzz_support.h"
#include "entries/number_parsing.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

namespace {

struct Reading {
    bool negative = false;
    std::string whole; // digits without commas
    std::string fraction;
    bool hasExponent = false;
    bool exponentNegative = false;
    std::string exponent;
};

bool digit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Walks the text with an explicit state for each part of the grammar.
std::optional<Reading> Read(const QString& text, bool sign, bool real) {
    enum State { Lead, Whole, AfterComma, Point, Fraction, ExpBlanks, ExpSign, ExpDigits, Trail };
    Reading r;
    State st = Lead;
    int groupLen = 0;
    bool commas = false;
    std::u16string t(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
    for (size_t k = 0; k <= t.size(); ++k) {
        const bool end = k == t.size();
        const char16_t c = end ? u'\0' : t[k];
        switch (st) {
        case Lead:
            if (end) return std::nullopt;
            if (c == u' ') break;
            if (c == u'-' && sign && !r.negative && r.whole.empty()) {
                r.negative = true;
                st = AfterComma; // a digit must follow
                groupLen = -1;
                break;
            }
            if (!digit(c)) return std::nullopt;
            r.whole += char(c);
            groupLen = 1;
            st = Whole;
            break;
        case AfterComma:
            if (end || !digit(c)) return std::nullopt;
            r.whole += char(c);
            groupLen = 1;
            st = Whole;
            break;
        case Whole:
            if (!end && digit(c)) {
                r.whole += char(c);
                ++groupLen;
                if (commas && groupLen > 3) return std::nullopt;
                break;
            }
            if (!end && c == u',') {
                if (commas ? groupLen != 3 : groupLen > 3) return std::nullopt;
                commas = true;
                groupLen = 0;
                st = AfterComma;
                break;
            }
            if (commas && groupLen != 3) return std::nullopt;
            if (end) return r;
            if (real && c == u'.') {
                st = Point;
                break;
            }
            if (real && (c == u'e' || c == u'E')) {
                st = ExpSign;
                r.hasExponent = true;
                break;
            }
            if (c == u' ') {
                st = real ? ExpBlanks : Trail;
                break;
            }
            return std::nullopt;
        case Point:
            if (end || !digit(c)) return std::nullopt;
            r.fraction += char(c);
            st = Fraction;
            break;
        case Fraction:
            if (end) return r;
            if (digit(c)) {
                r.fraction += char(c);
            } else if (c == u'e' || c == u'E') {
                st = ExpSign;
                r.hasExponent = true;
            } else if (c == u' ') {
                st = ExpBlanks;
            } else {
                return std::nullopt;
            }
            break;
        case ExpBlanks: // blanks after the number: an exponent may still come
            if (end) return r;
            if (c == u' ') break;
            if (c == u'e' || c == u'E') {
                st = ExpSign;
                r.hasExponent = true;
                break;
            }
            return std::nullopt;
        case ExpSign:
            if (end) return std::nullopt;
            if (c == u' ' && r.exponent.empty() && !r.exponentNegative) break;
            if (c == u'-' && !r.exponentNegative) {
                r.exponentNegative = true;
                st = ExpDigits;
                break;
            }
            if (!digit(c)) return std::nullopt;
            r.exponent += char(c);
            st = ExpDigits;
            break;
        case ExpDigits:
            if (end) return r.exponent.empty() ? std::nullopt : std::optional<Reading>(r);
            if (digit(c)) {
                r.exponent += char(c);
                break;
            }
            if (c == u' ' && !r.exponent.empty()) {
                st = Trail;
                break;
            }
            return std::nullopt;
        case Trail:
            if (end) return r;
            if (c != u' ') return std::nullopt;
            break;
        }
    }
    return std::nullopt;
}

std::optional<long long> Whole(const QString& text, bool sign, size_t maxDigits, long long lo,
                               long long hi) {
    auto r = Read(text, sign, false);
    if (!r || r->whole.size() > maxDigits) return std::nullopt;
    long long v = std::stoll(r->whole); // at most 10 digits here
    if (r->negative) v = -v;
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

std::optional<double> Real(const QString& text) {
    auto r = Read(text, true, true);
    if (!r) return std::nullopt;
    std::string mantissa = r->whole + (r->fraction.empty() ? "" : "." + r->fraction);
    long exponent = 0;
    for (char c : r->exponent) {
        exponent = exponent * 10 + (c - '0');
        if (exponent > 100000) exponent = 100000;
    }
    if (!r->exponentNegative && exponent >= 308) return std::nullopt;
    const bool nonZero = r->whole.find_first_not_of('0') != std::string::npos ||
                         r->fraction.find_first_not_of('0') != std::string::npos;
    const std::string literal =
        mantissa + "e" + (r->exponentNegative ? "-" : "") + std::to_string(exponent);
    double v = std::strtod(literal.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    if (r->exponentNegative && nonZero && v == 0.0) return std::nullopt;
    return r->negative ? -v : v;
}

template <typename T, typename Ref>
void Compare(const char* name, bool accepted, T got, Ref want, T sentinel, const QString& text) {
    if (accepted != want.has_value()) {
        std::fprintf(stderr, "%s: reader %s, grammar %s\n", name, accepted ? "accepts" : "refuses",
                     want ? "accepts" : "refuses");
        fuzz::Fail("number reader and grammar disagree", text);
    }
    if (!accepted && !(got == sentinel)) fuzz::Fail("a refused text changed the value", text);
    if (accepted && !(double(got) == double(*want))) {
        std::fprintf(stderr, "%s: reader %.17g, grammar %.17g\n", name, double(got), double(*want));
        fuzz::Fail("number reader gives another value", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 512) return 0;
    // The first byte chooses how the rest becomes text: as typed bytes or as any UTF-16 units.
    const bool wide = data[0] & 1;
    const QString text =
        wide ? fuzz::Utf16Units(data + 1, size - 1) : fuzz::Latin1(data + 1, size - 1);

    quint16 w = 4242;
    Compare("ParseWord", entries::ParseWord(text, w), w, Whole(text, false, 5, 0, 65535),
            quint16(4242), text);
    quint32 c = 4242;
    Compare("ParseCardinal", entries::ParseCardinal(text, c), c,
            Whole(text, false, 10, 0, 4294967295LL), quint32(4242), text);
    qint32 i = 4242;
    Compare("ParseInteger", entries::ParseInteger(text, i), i,
            Whole(text, true, 10, -2147483648LL, 2147483647LL), qint32(4242), text);
    double d = 4242.5;
    Compare("ParseReal", entries::ParseReal(text, d), d, Real(text), 4242.5, text);

    // The character-buffer forms read typed bytes alike.
    if (!wide && std::memchr(data + 1, 0, size - 1) == nullptr) {
        const std::string buffer(reinterpret_cast<const char*>(data + 1), size - 1);
        qint32 bi = 4242;
        const bool bok = entries::ParseInteger(buffer.c_str(), bi);
        fuzz::Check(bok == entries::ParseInteger(text, i) && (!bok || bi == i),
                    "ParseInteger differs between text and buffer", text);
        double bd = 4242.5;
        const bool rok = entries::ParseReal(buffer.c_str(), bd);
        fuzz::Check(rok == entries::ParseReal(text, d) &&
                        (!rok || bd == d || (std::isnan(bd) && std::isnan(d))),
                    "ParseReal differs between text and buffer", text);
    }
    return 0;
}
