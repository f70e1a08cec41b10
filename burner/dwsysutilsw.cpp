#include "burner/dwsysutilsw.h"

#include <ctime>

namespace dw {

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = 0;
        size_t len = 0;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        }
        bool ok = len > 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (cc & 0x3F);
        }
        // Reject overlong forms, surrogates and values beyond Unicode.
        if (ok && ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) ||
                   (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp < 0xE000)))
            ok = false;
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += len;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

char16_t UpCaseW(char16_t c) {
    if (c >= u'a' && c <= u'z') return char16_t(c - 32);
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : char16_t(c - 32);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x137) return char16_t(c & ~1u);
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c : char16_t(c - 1);
    if (c >= 0x14A && c <= 0x177) return char16_t(c & ~1u);
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c : char16_t(c - 1);
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3C9) return char16_t(c - 32);
    if (c >= 0x430 && c <= 0x44F) return char16_t(c - 32);
    if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
    return c;
}

std::u16string StrUpperCaseW(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out)
        c = UpCaseW(c);
    return out;
}

bool SameNameW(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpCaseW(a[i]) != UpCaseW(b[i])) return false;
    return true;
}

bool IsDChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

namespace {

// One character of a short name: upper case d-character, '_' for the rest, 0 to drop it.
char ShortChar(char16_t c) {
    c = UpCaseW(c);
    if (c == u' ' || c == u'.') return 0;
    if (c < 0x80 && IsDChar(char(c))) return char(c);
    return '_';
}

bool Fits83(std::u16string_view name, bool directory, std::string& out) {
    out.clear();
    size_t base = 0, ext = 0;
    bool dot = false;
    for (char16_t c : name) {
        if (c == u'.') {
            if (dot || directory || base == 0) return false;
            dot = true;
            out.push_back('.');
            continue;
        }
        char16_t u = UpCaseW(c);
        if (u >= 0x80 || !IsDChar(char(u))) return false;
        out.push_back(char(u));
        if (dot)
            ++ext;
        else
            ++base;
    }
    return base >= 1 && base <= 8 && ext <= 3 && !(dot && ext == 0);
}

std::string Identifier(const std::string& base, const std::string& ext, bool directory) {
    return directory ? base : base + "." + ext;
}

// First free ~n name. The candidates for every n depend only on the first six characters of the
// base (longer numbers cut it shorter), so `next` remembers per such stem where to resume; it is
// only a lower bound, so names taken through other stems are still skipped.
std::string Numbered(const std::string& base, const std::string& ext, bool directory,
                     const std::unordered_set<std::string>& used, ShortNameMemo* next) {
    std::string key;
    unsigned n = 1;
    if (next) {
        key = base.substr(0, 6) + (directory ? "/" : ".") + ext;
        if (auto it = next->find(key); it != next->end()) n = it->second;
    }
    for (; n < 10000000; ++n) {
        std::string tail = "~" + std::to_string(n);
        std::string b = base.substr(0, 8 - tail.size()) + tail;
        std::string id = Identifier(b, ext, directory);
        if (!used.count(id)) {
            if (next) (*next)[key] = n + 1;
            return directory || !ext.empty() ? id : b;
        }
    }
    return Identifier("________", ext, directory);
}

} // namespace

std::string MakeShortName(std::u16string_view longName, bool directory,
                          const std::unordered_set<std::string>& used, ShortNameMemo* next) {
    std::string direct;
    if (Fits83(longName, directory, direct)) {
        std::string id = directory || direct.find('.') != std::string::npos ? direct : direct + ".";
        if (!used.count(id)) return direct;
    }
    std::u16string_view baseW = longName, extW;
    size_t firstReal = longName.find_first_not_of(u'.');
    size_t dot = longName.rfind(u'.');
    if (!directory && dot != std::u16string_view::npos && firstReal != std::u16string_view::npos &&
        dot > firstReal) {
        baseW = longName.substr(0, dot);
        extW = longName.substr(dot + 1);
    }
    std::string base, ext;
    for (char16_t c : baseW)
        if (char s = ShortChar(c)) base.push_back(s);
    for (char16_t c : extW)
        if (char s = ShortChar(c); s && ext.size() < 3) ext.push_back(s);
    if (base.empty()) base = "_";
    // Shortened names take a ~n tail only when the plain cut is already taken.
    std::string cut = base.substr(0, 8);
    if (!used.count(Identifier(cut, ext, directory)))
        return directory || !ext.empty() ? Identifier(cut, ext, directory) : cut;
    return Numbered(base, ext, directory, used, next);
}

std::string FitShortName(std::string_view shortName, bool directory,
                         const std::unordered_set<std::string>& used, ShortNameMemo* next) {
    std::string base, ext;
    size_t dot = directory ? std::string_view::npos : shortName.rfind('.');
    std::string_view b = dot == std::string_view::npos ? shortName : shortName.substr(0, dot);
    for (char c : b) {
        char u = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
        if (u == ' ' || u == '.') u = '_';
        base.push_back(IsDChar(u) ? u : '_');
    }
    if (dot != std::string_view::npos)
        for (char c : shortName.substr(dot + 1)) {
            char u = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
            ext.push_back(IsDChar(u) ? u : '_');
        }
    if (base.empty()) base = "_";
    size_t limit = directory ? 12 : 8;
    if (base.size() > limit) base.resize(limit);
    if (ext.size() > 3) ext.resize(3);
    std::string id = Identifier(base, ext, directory);
    if (!used.count(id)) return directory || !ext.empty() ? id : base;
    return Numbered(base, ext, directory, used, next);
}

void UtcToLocal(int64_t utc, TSystemTime& local, int8_t& tzOffset) {
    time_t t = static_cast<time_t>(utc);
    struct tm tmv {};
    if (!localtime_r(&t, &tmv)) {
        local = TSystemTime{1980, 1, 2, 1, 0, 0, 0, 0};
        tzOffset = 0;
        return;
    }
    local.wYear = uint16_t(tmv.tm_year + 1900);
    local.wMonth = uint16_t(tmv.tm_mon + 1);
    local.wDayOfWeek = uint16_t(tmv.tm_wday);
    local.wDay = uint16_t(tmv.tm_mday);
    local.wHour = uint16_t(tmv.tm_hour);
    local.wMinute = uint16_t(tmv.tm_min);
    local.wSecond = uint16_t(tmv.tm_sec > 59 ? 59 : tmv.tm_sec);
    local.wMilliseconds = 0;
    long off = tmv.tm_gmtoff;
    long q = off >= 0 ? off / 900 : -((-off + 899) / 900); // floor
    if (q < -48) q = -48;
    if (q > 52) q = 52;
    tzOffset = int8_t(q);
}

int8_t CurrentTzOffset() {
    TSystemTime st;
    int8_t tz = 0;
    UtcToLocal(NowUtc(), st, tz);
    return tz;
}

int64_t NowUtc() {
    return static_cast<int64_t>(time(nullptr));
}

} // namespace dw
