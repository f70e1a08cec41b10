// Helpers shared by the fuzz targets: turning raw input into text and failing loudly.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Reports a broken property with the text involved and aborts, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "PROPERTY BROKEN: %s\n", what);
    if (!detail.isEmpty()) {
        std::fprintf(stderr, "  text (UTF-16 units):");
        for (QChar c : detail)
            std::fprintf(stderr, " %04X", unsigned(c.unicode()));
        std::fprintf(stderr, "\n  as UTF-8: %s\n", detail.toUtf8().constData());
    }
    std::abort();
}

inline void Check(bool ok, const char* what, const QString& detail = QString()) {
    if (!ok) Fail(what, detail);
}

// Input bytes as UTF-16 code units, two bytes each (little-endian), so every unit is reachable,
// lone surrogates and NUL included.
inline QString Utf16Units(const uint8_t* data, size_t size) {
    QString s;
    s.reserve(qsizetype(size / 2));
    for (size_t i = 0; i + 1 < size; i += 2)
        s += QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return s;
}

// Input bytes as Latin-1 text: what a user types into a box, mostly.
inline QString Latin1(const uint8_t* data, size_t size) {
    return QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Input as UTF-8 (invalid sequences become U+FFFD).
inline QString Utf8(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Characters of the range the program keeps to itself for stored text and table names; text
// typed by a user is refused when it holds one.
inline bool HasReservedCharacter(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0xF000 && c.unicode() <= 0xF0FF) return true;
    return false;
}

// True when every surrogate is part of a pair: all that a keyboard, an input method or a file
// name read through UTF-8 can produce.
inline bool WellFormed(const QString& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            return false;
    }
    return true;
}

} // namespace fuzz
