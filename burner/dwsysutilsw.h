// Text and time helpers: UTF-8/UTF-16 conversion, upper-casing, 8.3 names, local times.
#pragma once

#include "dwtreetypes.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace dw {

// Invalid UTF-8 sequences become U+FFFD, so every native file name gets a displayable name.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

char16_t UpCaseW(char16_t c);
std::u16string StrUpperCaseW(std::u16string_view text);
// Case-insensitive equality of two names.
bool SameNameW(std::u16string_view a, std::u16string_view b);

bool IsDChar(char c);
// Short name in the 8.3 way, restricted to ISO 9660 d-characters: the upper-cased long name when
// it already fits, otherwise its cut to 8 + 3; ~1, ~2 ... only when that clashes with `used`.
// Folders get no extension. `used` holds identifiers without version: "NAME.EXT", "README.", "DIR".
// `next`, kept per folder beside `used`, makes long runs of clashes linear; it must be reset
// whenever a name leaves `used`.
using ShortNameMemo = std::unordered_map<std::string, unsigned>;
std::string MakeShortName(std::u16string_view longName, bool directory,
                          const std::unordered_set<std::string>& used,
                          ShortNameMemo* next = nullptr);
// A caller-given short name made valid: upper case, d-characters, unique in `used`.
std::string FitShortName(std::string_view shortName, bool directory,
                         const std::unordered_set<std::string>& used,
                         ShortNameMemo* next = nullptr);

// Local calendar time of a UTC instant, with the offset east of UTC in 15-minute units.
void UtcToLocal(int64_t utc, TSystemTime& local, int8_t& tzOffset);
// The current offset of local time from UTC in 15-minute units.
int8_t CurrentTzOffset();
int64_t NowUtc();

} // namespace dw
