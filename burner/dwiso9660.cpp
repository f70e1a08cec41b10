#include "burner/dwiso9660.h"

#include "burner/dwcommonlib.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwtree.h"
#include "burner/dwudfbridge.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace dw {

namespace {

// Joliet identifiers beyond 103 characters would not fit a directory record; keep the usual cap
// (files: 101 characters and ";1").
constexpr size_t kMaxJolietChars = 103;
constexpr size_t kMaxJolietFileStem = kMaxJolietChars - 2;
// A UDF file identifier holds 255 bytes of compressed Unicode, the compression ID included.
constexpr size_t kMaxUdfNarrowChars = 254;
constexpr size_t kMaxUdfWideUnits = 127;

uint32_t IsoRecordLength(const TFileEntry& e) {
    return 33 + e.isoNameLen + (e.isoNameLen % 2 == 0 ? 1 : 0);
}
uint32_t JolietRecordLength(const TFileEntry& e) {
    return 34 + 2 * uint32_t(JolietIdLength(e));
}

const std::u16string& JolietId(const TFileEntry& e) {
    return e.jolietId;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c < 0xDC00;
}

// The first `n` units of `s`, never ending inside a surrogate pair.
std::u16string_view Cut(std::u16string_view s, size_t n) {
    if (n >= s.size()) return s;
    if (n > 0 && IsHighSurrogate(s[n - 1])) --n;
    return s.substr(0, n);
}

// Gives the children of one folder their recorded names. A name that fits and is the first of
// its spelling keeps it; a name that is too long gets a shortened form that keeps a short
// extension, and a later name spelt like an earlier one gets a "~n" before its extension. Made
// names are unique ignoring case and never take a name that fits.
class TNameFitter {
  public:
    void Reserve(const void* owner, std::u16string_view name, size_t limit) {
        if (name.size() > limit) return;
        exact_.try_emplace(std::u16string(name), owner);
        folded_.insert(StrUpperCaseW(name));
    }

    std::u16string Fit(const void* owner, std::u16string_view name, size_t limit) {
        if (name.size() <= limit) {
            auto it = exact_.find(std::u16string(name));
            if (it != exact_.end() && it->second == owner) return std::u16string(name);
        }
        std::u16string_view base = name, ext;
        size_t dot = name.rfind(u'.');
        if (dot != std::u16string_view::npos && dot > 0 && name.size() - dot <= limit / 4) {
            base = name.substr(0, dot);
            ext = name.substr(dot);
        }
        std::u16string plain = std::u16string(Cut(base, limit - ext.size())) + std::u16string(ext);
        if (Take(plain)) return plain;
        // Every candidate depends only on this much of the base: resume where the last one
        // with the same stem stopped.
        std::u16string key =
            StrUpperCaseW(Cut(base, limit - ext.size() - 2)) + u'/' + StrUpperCaseW(ext);
        unsigned& n = next_.try_emplace(key, 1u).first->second;
        for (;; ++n) {
            std::u16string tail = u"~";
            for (char c : std::to_string(n))
                tail += char16_t(c);
            std::u16string candidate = std::u16string(Cut(base, limit - ext.size() - tail.size())) +
                                       tail + std::u16string(ext);
            if (Take(candidate)) {
                ++n;
                return candidate;
            }
        }
    }

  private:
    bool Take(const std::u16string& name) { return folded_.insert(StrUpperCaseW(name)).second; }

    std::unordered_map<std::u16string, const void*> exact_;
    std::unordered_set<std::u16string> folded_;
    std::unordered_map<std::u16string, unsigned> next_;
};

size_t UdfLimit(std::u16string_view name) {
    bool narrow = std::all_of(name.begin(), name.end(), [](char16_t c) { return c < 0x100; });
    return narrow ? kMaxUdfNarrowChars : kMaxUdfWideUnits;
}

bool JolietForbidden(char16_t c) {
    return c < 0x20 || c == u'*' || c == u'/' || c == u':' || c == u';' || c == u'?' || c == u'\\';
}

// The long name as a Joliet identifier can hold it (before its version): what UCS-2 level 1
// cannot carry (characters beyond the Basic Multilingual Plane, one '_' per character) and what
// Joliet forbids (control characters and * / : ; ? \) become '_', and so do trailing dots,
// which readers take for an empty extension. A file without a dot gets one.
std::u16string JolietStem(const TFileEntry& e) {
    const std::u16string& n = e.longName;
    std::u16string out;
    out.reserve(n.size() + 1);
    for (size_t i = 0; i < n.size(); ++i) {
        char16_t c = n[i];
        if (IsHighSurrogate(c) && i + 1 < n.size() && n[i + 1] >= 0xDC00 && n[i + 1] < 0xE000) {
            out += u'_';
            ++i;
            continue;
        }
        out += (c >= 0xD800 && c < 0xE000) || JolietForbidden(c) ? u'_' : c;
    }
    for (size_t i = out.size(); i > 0 && out[i - 1] == u'.'; --i)
        out[i - 1] = u'_';
    if (!e.directory && out.find(u'.') == std::u16string::npos) out += u'.';
    return out;
}

// ECMA-119 9.3 order of the records of one directory: by name, then extension (each compared
// as if padded with spaces), then version, highest first. The name ends at the first dot of a
// primary identifier and at the last dot of a longer one; folder identifiers are all name.
template <typename Ch> struct TIdParts {
    std::basic_string_view<Ch> name, ext;
    unsigned version = 0;
};

template <typename Ch>
TIdParts<Ch> SplitId(std::basic_string_view<Ch> id, bool directory, bool lastDot) {
    TIdParts<Ch> p;
    p.name = id;
    if (directory) return p;
    if (size_t semi = id.rfind(Ch(';')); semi != std::basic_string_view<Ch>::npos) {
        for (size_t i = semi + 1; i < id.size() && id[i] >= Ch('0') && id[i] <= Ch('9'); ++i)
            p.version = p.version * 10 + unsigned(id[i] - Ch('0'));
        id = id.substr(0, semi);
    }
    size_t dot = lastDot ? id.rfind(Ch('.')) : id.find(Ch('.'));
    if (dot == std::basic_string_view<Ch>::npos) {
        p.name = id;
        p.ext = {};
    } else {
        p.name = id.substr(0, dot);
        p.ext = id.substr(dot + 1);
    }
    return p;
}

template <typename Ch>
int PaddedCompare(std::basic_string_view<Ch> a, std::basic_string_view<Ch> b) {
    const size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        uint32_t ca = i < a.size() ? uint32_t(std::make_unsigned_t<Ch>(a[i])) : 0x20u;
        uint32_t cb = i < b.size() ? uint32_t(std::make_unsigned_t<Ch>(b[i])) : 0x20u;
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return 0;
}

template <typename Ch>
bool RecordLess(std::basic_string_view<Ch> a, bool aDir, std::basic_string_view<Ch> b, bool bDir,
                bool lastDot) {
    TIdParts<Ch> pa = SplitId(a, aDir, lastDot), pb = SplitId(b, bDir, lastDot);
    if (int c = PaddedCompare(pa.name, pb.name)) return c < 0;
    if (int c = PaddedCompare(pa.ext, pb.ext)) return c < 0;
    if (pa.version != pb.version) return pa.version > pb.version;
    return PaddedCompare(a, b) < 0 || (PaddedCompare(a, b) == 0 && a.size() < b.size());
}

std::string IsoId(const TFileEntry& e) {
    std::string id(e.isoName, e.isoNameLen);
    for (auto& c : id)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return id;
}

// Sorts the children of every folder for each tree's records.
void SetRecordOrder(TCDFiles& f) {
    for (auto& d : f.dirTable) {
        std::vector<TFileEntry*> children;
        for (TFileEntry* e = d->firstChild; e; e = e->next)
            children.push_back(e);
        std::vector<std::pair<std::string, TFileEntry*>> iso;
        iso.reserve(children.size());
        for (TFileEntry* e : children)
            iso.emplace_back(IsoId(*e), e);
        std::sort(iso.begin(), iso.end(), [](const auto& a, const auto& b) {
            return RecordLess<char>(a.first, a.second->directory != nullptr, b.first,
                                    b.second->directory != nullptr, false);
        });
        d->isoOrder.clear();
        for (auto& [id, e] : iso)
            d->isoOrder.push_back(e);
        d->jolietOrder = children;
        std::sort(d->jolietOrder.begin(), d->jolietOrder.end(),
                  [](const TFileEntry* a, const TFileEntry* b) {
                      return RecordLess<char16_t>(a->jolietId, a->directory != nullptr, b->jolietId,
                                                  b->directory != nullptr, true);
                  });
        d->udfOrder = children;
        std::sort(d->udfOrder.begin(), d->udfOrder.end(),
                  [](const TFileEntry* a, const TFileEntry* b) {
                      return RecordLess<char16_t>(a->udfName, true, b->udfName, true, true);
                  });
    }
}

// ECMA-119 9.4 order of identifiers: the shorter one compares as if padded with spaces.
template <typename Text> bool PaddedLess(const Text& a, const Text& b) {
    const size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto ca = i < a.size() ? a[i] : ' ';
        auto cb = i < b.size() ? b[i] : ' ';
        if (ca != cb) return ca < cb;
    }
    return false;
}

std::string IsoDirId(const TDirEntry* d) {
    std::string id(d->isoName, d->isoNameLen);
    for (auto& c : id)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return id;
}

// Level by level, so that every parent is numbered before its children are ordered.
void OrderPathTable(std::vector<TDirEntry*>& t, bool joliet) {
    auto number = [joliet](TDirEntry* d) -> uint16_t& { return joliet ? d->numberJ : d->number; };
    if (t.empty()) return;
    std::stable_sort(t.begin() + 1, t.end(),
                     [](const TDirEntry* a, const TDirEntry* b) { return a->depth < b->depth; });
    number(t[0]) = 1;
    for (size_t i = 1; i < t.size();) {
        size_t j = i;
        while (j < t.size() && t[j]->depth == t[i]->depth)
            ++j;
        std::stable_sort(t.begin() + long(i), t.begin() + long(j), [&](TDirEntry* a, TDirEntry* b) {
            uint16_t pa = number(a->parent), pb = number(b->parent);
            if (pa != pb) return pa < pb;
            return joliet ? PaddedLess(a->jolietId, b->jolietId)
                          : PaddedLess(IsoDirId(a), IsoDirId(b));
        });
        for (size_t k = i; k < j; ++k)
            number(t[k]) = uint16_t(k + 1);
        i = j;
    }
}

void PutUcs2BE(uint8_t* p, std::u16string_view s) {
    for (size_t i = 0; i < s.size(); ++i)
        PutBE16(p + 2 * i, s[i]);
}

// Directory record of 34 bytes or more; returns its length.
uint32_t PutRecord(uint8_t* p, uint32_t extent, uint32_t length, const TSystemTime* date, int8_t tz,
                   uint8_t flags, const uint8_t* id, uint8_t idLen) {
    uint32_t len = 33 + idLen + (idLen % 2 == 0 ? 1 : 0);
    std::memset(p, 0, len);
    p[0] = uint8_t(len);
    PutBoth32(p + 2, extent);
    PutBoth32(p + 10, length);
    if (date) {
        p[18] = uint8_t(std::clamp<int>(date->wYear - 1900, 0, 255));
        p[19] = uint8_t(date->wMonth);
        p[20] = uint8_t(date->wDay);
        p[21] = uint8_t(date->wHour);
        p[22] = uint8_t(date->wMinute);
        p[23] = uint8_t(date->wSecond);
        p[24] = uint8_t(tz);
    }
    p[25] = flags;
    PutBoth16(p + 28, 1);
    p[32] = idLen;
    std::memcpy(p + 33, id, idLen);
    return len;
}

uint32_t DirExtent(const TCDFiles& f, const TDirEntry* d, bool joliet) {
    return joliet ? f.dirAreaStartJ + d->jolietOffset + f.sessionBase
                  : f.dirAreaStart + d->isoOffset + f.sessionBase;
}
uint32_t DirSize(const TDirEntry* d, bool joliet) {
    return joliet ? d->jolietSize : d->isoSize;
}

uint32_t FileExtent(const TCDFiles& f, const TFileEntry& e) {
    if (e.size == 0) return 0;
    if (e.absoluteExtent) return e.extent;
    return f.fileDataStart + e.extent + f.sessionBase;
}

// The date of a folder's own record and of its "." record: the recording time for the root.
void FolderDate(const TCDFiles& f, const TDirEntry* d, TSystemTime& date, int8_t& tz) {
    if (d == f.root || !d->entry) {
        UtcToLocal(f.recordTime, date, tz);
    } else {
        date = d->entry->date;
        tz = d->entry->tzOffset;
    }
}

void WriteDirRecords(const TCDFiles& f, uint8_t* area, const TDirEntry* d, bool joliet) {
    uint8_t* base = area + size_t(joliet ? d->jolietOffset : d->isoOffset) * kBlockSize;
    uint8_t zero = 0, one = 1;
    TSystemTime own, parent;
    int8_t ownTz = 0, parentTz = 0;
    FolderDate(f, d, own, ownTz);
    FolderDate(f, d->parent, parent, parentTz);
    uint32_t used =
        PutRecord(base, DirExtent(f, d, joliet), DirSize(d, joliet), &own, ownTz, 2, &zero, 1);
    used += PutRecord(base + used, DirExtent(f, d->parent, joliet), DirSize(d->parent, joliet),
                      &parent, parentTz, 2, &one, 1);
    uint8_t* block = base;
    uint8_t id[256];
    for (const TFileEntry* e : joliet ? d->jolietOrder : d->isoOrder) {
        uint8_t idLen;
        if (joliet) {
            const std::u16string& j = JolietId(*e);
            PutUcs2BE(id, j);
            idLen = uint8_t(2 * j.size());
        } else {
            for (uint8_t i = 0; i < e->isoNameLen; ++i) {
                char c = e->isoName[i];
                id[i] = uint8_t((c >= 'a' && c <= 'z') ? c - 32 : c);
            }
            idLen = e->isoNameLen;
        }
        uint32_t len = joliet ? JolietRecordLength(*e) : IsoRecordLength(*e);
        if (used + len > kBlockSize) { // no record crosses a block boundary
            block += kBlockSize;
            used = 0;
        }
        uint8_t flags = (e->attributes & kAttrHidden) ? 1 : 0;
        uint32_t extent, length;
        if (e->directory) {
            flags |= 2;
            extent = DirExtent(f, e->directory, joliet);
            length = DirSize(e->directory, joliet);
        } else {
            extent = FileExtent(f, *e);
            length = uint32_t(e->size);
        }
        used += PutRecord(block + used, extent, length, &e->date, e->tzOffset, flags, id, idLen);
    }
}

void WritePathTableImpl(const TCDFiles& f, uint8_t* p, bool joliet, bool bigEndian) {
    size_t pos = 0;
    for (const TDirEntry* d : joliet ? f.pathTableJ : f.pathTable) {
        uint8_t name[256];
        uint8_t nameLen;
        if (d == f.root) {
            name[0] = 0;
            nameLen = 1;
        } else if (joliet) {
            const std::u16string& n = d->jolietId;
            PutUcs2BE(name, n);
            nameLen = uint8_t(2 * n.size());
        } else {
            for (uint8_t i = 0; i < d->isoNameLen; ++i) {
                char c = d->isoName[i];
                name[i] = uint8_t((c >= 'a' && c <= 'z') ? c - 32 : c);
            }
            nameLen = d->isoNameLen;
        }
        p[pos] = nameLen;
        p[pos + 1] = 0;
        uint32_t extent = DirExtent(f, d, joliet);
        uint16_t parent = joliet ? d->parent->numberJ : d->parent->number;
        if (bigEndian) {
            PutBE32(p + pos + 2, extent);
            PutBE16(p + pos + 6, parent);
        } else {
            PutLE32(p + pos + 2, extent);
            PutLE16(p + pos + 6, parent);
        }
        std::memcpy(p + pos + 8, name, nameLen);
        pos += 8 + nameLen + (nameLen % 2);
    }
}

// An identifier field with nothing (more) in it: spaces, as UCS-2 in the Joliet descriptor
// (an odd last byte stays zero).
void FillSpaces(uint8_t* p, size_t length, bool ucs2) {
    if (!ucs2) {
        std::memset(p, ' ', length);
        return;
    }
    std::memset(p, 0, length);
    for (size_t i = 0; i + 1 < length; i += 2)
        p[i + 1] = ' ';
}

// The Joliet volume identifier: 16 UCS-2 characters, characters beyond the BMP as '_'.
std::u16string JolietVolumeId(std::u16string_view id) {
    std::u16string out;
    for (size_t i = 0; i < id.size() && out.size() < 16; ++i) {
        char16_t c = id[i];
        if (IsHighSurrogate(c) && i + 1 < id.size()) ++i;
        out += (c >= 0xD800 && c < 0xE000) || c < 0x20 ? u'_' : c;
    }
    return out;
}

void WriteVolumeDescriptor(const TCDFiles& f, uint8_t* p, bool joliet) {
    p[0] = joliet ? 2 : 1;
    std::memcpy(p + 1, "CD001", 5);
    p[6] = 1;
    // System, volume, volume set, publisher, preparer and application identifiers, then the
    // copyright, abstract and bibliographic file identifiers: unused, so all spaces.
    for (auto [offset, length] : {std::pair<size_t, size_t>{8, 32},
                                  {40, 32},
                                  {190, 128},
                                  {318, 128},
                                  {446, 128},
                                  {574, 128},
                                  {702, 37},
                                  {739, 37},
                                  {776, 37}})
        FillSpaces(p + offset, length, joliet);
    // Creation, modification, expiration and effective dates: "not specified".
    for (size_t offset : {813, 830, 847, 864}) {
        std::memset(p + offset, '0', 16);
        p[offset + 16] = 0;
    }
    if (joliet) {
        PutUcs2BE(p + 40, JolietVolumeId(f.volumeIDW));
    } else {
        for (size_t i = 0; i < 32 && f.volumeID[i]; ++i) {
            char c = f.volumeID[i];
            p[40 + i] = uint8_t((c >= 'a' && c <= 'z') ? c - 32 : c);
        }
    }
    PutBoth32(p + 80, f.imageSize + f.sessionBase);
    if (joliet) {
        // UCS-2 level 1. The primary descriptor keeps this field zero: readers that find the
        // sequence there report Joliet even on images without it.
        p[88] = 0x25;
        p[89] = 0x2F;
        p[90] = 0x40;
    }
    PutBoth16(p + 120, 1);
    PutBoth16(p + 124, 1);
    PutBoth16(p + 128, kBlockSize);
    PutBoth32(p + 132, joliet ? f.pathTableSizeJ : f.pathTableSize);
    PutLE32(p + 140, (joliet ? f.lPathBlockJ : f.lPathBlock) + f.sessionBase);
    PutBE32(p + 148, (joliet ? f.mPathBlockJ : f.mPathBlock) + f.sessionBase);
    uint8_t zero = 0;
    TSystemTime date;
    int8_t tz = 0;
    FolderDate(f, f.root, date, tz);
    PutRecord(p + 156, DirExtent(f, f.root, joliet), DirSize(f.root, joliet), &date, tz, 2, &zero,
              1);
    p[881] = 1;
}

void WriteBootCatalog(const TCDFiles& f, uint8_t* p) {
    p[0] = 1; // validation entry
    p[1] = 0; // 80x86
    std::memcpy(p + 4, "QUIVERA DISC WRITER", 19);
    p[30] = 0x55;
    p[31] = 0xAA;
    uint16_t sum = 0;
    for (int i = 0; i < 32; i += 2)
        sum = uint16_t(sum + GetLE16(p + i));
    PutLE16(p + 28, uint16_t(-sum));
    uint8_t* d = p + 32; // default entry
    d[0] = 0x88;
    // Floppy images are emulated. A 2048-byte image has no partition table that hard-disk
    // emulation could take its size from, so it boots without emulation: 4 virtual sectors.
    d[1] = f.bootSize == 1228800 ? 1 : f.bootSize == 1474560 ? 2 : f.bootSize == 2949120 ? 3 : 0;
    PutLE16(d + 6, d[1] == 0 ? 4 : 1);
    PutLE32(d + 8, f.bootImageBlock + f.sessionBase);
}

} // namespace

size_t JolietIdLength(const TFileEntry& e) {
    return e.jolietId.size();
}
size_t JolietDirNameLength(const TDirEntry& d) {
    return d.jolietId.size();
}

void SetRecordedNames(TCDFiles& f) {
    f.root->jolietId.clear();
    std::vector<std::u16string> stems;
    for (auto& d : f.dirTable) {
        TNameFitter joliet, udf;
        stems.clear();
        for (const TFileEntry* e = d->firstChild; e; e = e->next) {
            stems.push_back(JolietStem(*e));
            joliet.Reserve(e, stems.back(), e->directory ? kMaxJolietChars : kMaxJolietFileStem);
            udf.Reserve(e, e->longName, UdfLimit(e->longName));
        }
        size_t i = 0;
        for (TFileEntry* e = d->firstChild; e; e = e->next, ++i) {
            if (e->directory) {
                e->jolietId = joliet.Fit(e, stems[i], kMaxJolietChars);
                e->directory->jolietId = e->jolietId;
            } else {
                e->jolietId = joliet.Fit(e, stems[i], kMaxJolietFileStem) + u";1";
            }
            e->udfName = udf.Fit(e, e->longName, UdfLimit(e->longName));
        }
    }
    SetRecordOrder(f);
}

void SetDirsDepth(TCDFiles& f) {
    // Folders are created after their parents, so one pass in creation order suffices.
    for (auto& d : f.dirTable)
        d->depth = d.get() == f.root ? 0 : uint16_t(d->parent->depth + 1);
}

void MeasurePrimaryTree(TCDFiles& f) {
    f.deepestLevel = 0;
    f.deepestPath.clear();
    f.longestPathBytes = 0;
    f.longestPath.clear();
    // Bytes of each folder's path: its identifier and one separator per level below the root.
    std::unordered_map<const TDirEntry*, uint32_t> pathBytes;
    const TDirEntry* deepest = nullptr;
    const TDirEntry* longestDir = nullptr;
    const TFileEntry* longest = nullptr;
    for (auto& d : f.dirTable) { // parents come before their folders
        uint32_t bytes = d.get() == f.root ? 0 : pathBytes[d->parent] + d->isoNameLen + 1;
        pathBytes[d.get()] = bytes;
        if (!deepest || d->depth + 1u > f.deepestLevel) {
            deepest = d.get();
            f.deepestLevel = d->depth + 1u;
        }
        for (const TFileEntry* e = d->firstChild; e; e = e->next) {
            uint32_t len = bytes + e->isoNameLen;
            if (len > f.longestPathBytes) {
                f.longestPathBytes = len;
                longest = e;
                longestDir = d.get();
            }
        }
    }
    if (deepest) f.deepestPath = Utf16ToUtf8(DirPathW(deepest));
    if (longest) f.longestPath = Utf16ToUtf8(DirPathW(longestDir) + longest->longName);
}

void SortPathTable(TCDFiles& f) {
    OrderPathTable(f.pathTable, false);
    OrderPathTable(f.pathTableJ, true);
}

void CalcPathTableWidth(TCDFiles& f) {
    uint32_t size = 10;
    for (const auto* d : f.pathTable)
        if (d != f.root) size += 8 + d->isoNameLen + (d->isoNameLen % 2);
    f.pathTableSize = size;
    f.lPathBlock = f.nextFree;
    f.nextFree += Sectors(size);
    f.mPathBlock = f.nextFree;
    f.nextFree += Sectors(size);
}

void CalcPathTableWidthJ(TCDFiles& f) {
    uint32_t size = 10;
    for (const auto* d : f.pathTable)
        if (d != f.root) size += 8 + 2 * uint32_t(JolietDirNameLength(*d));
    f.pathTableSizeJ = size;
    f.lPathBlockJ = f.nextFree;
    f.nextFree += Sectors(size);
    f.mPathBlockJ = f.nextFree;
    f.nextFree += Sectors(size);
}

namespace {
template <typename RecordLength>
uint32_t PackDirectory(const std::vector<TFileEntry*>& order, RecordLength recordLength) {
    uint32_t blocks = 1, used = 68;
    for (const TFileEntry* e : order) {
        uint32_t len = recordLength(*e);
        if (used + len > kBlockSize) {
            ++blocks;
            used = len;
        } else {
            used += len;
        }
    }
    return blocks;
}
} // namespace

void CalcFileDirDescriptorWidth(TCDFiles& f) {
    uint32_t offset = 0;
    for (auto& d : f.dirTable) {
        uint32_t blocks = PackDirectory(d->isoOrder, IsoRecordLength);
        d->isoSize = blocks * kBlockSize;
        d->isoOffset = offset;
        offset += blocks;
    }
    f.dirAreaStart = f.nextFree;
    f.dirAreaBlocks = offset;
    f.nextFree += offset;
}

void CalcFileDirDescriptorWidthJ(TCDFiles& f) {
    uint32_t offset = 0;
    for (auto& d : f.dirTable) {
        uint32_t blocks = PackDirectory(d->jolietOrder, JolietRecordLength);
        d->jolietSize = blocks * kBlockSize;
        d->jolietOffset = offset;
        offset += blocks;
    }
    f.dirAreaStartJ = f.nextFree;
    f.dirAreaBlocksJ = offset;
    f.nextFree += offset;
}

void SetFileExtents(TCDFiles& f) {
    uint32_t blocks = 0;
    for (auto& e : f.fileTable) {
        if (e->directory) continue;
        if (e->size == 0) {
            if (!e->absoluteExtent) e->extent = 0;
            continue;
        }
        if (e->absoluteExtent) continue;
        e->extent = blocks;
        blocks += Sectors(e->size);
    }
    f.fileBlocks = blocks;
}

uint32_t Prepare(TCDFiles& f) {
    f.status = kStatusPreparing;
    if (!f.root) {
        f.status = kStatusIdle;
        return 0;
    }
    const uint64_t us = uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count());
    f.recordTimeUs = us;
    f.recordTime = int64_t(us / 1000000);
    SetDirsDepth(f);
    MeasurePrimaryTree(f);
    SetRecordedNames(f);
    SortPathTable(f);
    f.nextFree = 16 + 1;
    if (f.joliet) ++f.nextFree;
    if (!f.bootImage.empty()) ++f.nextFree;
    ++f.nextFree;
    if (f.udfBridge) PrepareUDFBridge_1(f);
    CalcPathTableWidth(f);
    if (f.joliet)
        CalcPathTableWidthJ(f);
    else
        f.pathTableSizeJ = f.lPathBlockJ = f.mPathBlockJ = 0;
    CalcFileDirDescriptorWidth(f);
    if (f.joliet)
        CalcFileDirDescriptorWidthJ(f);
    else
        f.dirAreaStartJ = f.dirAreaBlocksJ = 0;
    if (!f.bootImage.empty()) {
        f.bootCatalogBlock = f.nextFree;
        f.bootImageBlock = f.nextFree + 1;
        f.nextFree += Sectors(f.bootSize) + 1;
    } else {
        f.bootCatalogBlock = f.bootImageBlock = 0;
    }
    f.padBlocks = 0;
    if (f.nextFree < 150) {
        f.padBlocks = 150 - f.nextFree;
        f.nextFree = 150;
    }
    SetFileExtents(f);
    if (f.udfBridge) PrepareUDFBridge_2(f);
    f.fileDataStart = f.nextFree;
    uint32_t size = f.fileDataStart + f.fileBlocks + (f.udfBridge ? 1 : 0);
    f.imageSize = (size + kChunkBlocks - 1) / kChunkBlocks * kChunkBlocks;
    if (f.udfBridge) PrepareUDFBridge_3(f);
    f.prepared = true;
    f.status = kStatusIdle;
    return size;
}

uint32_t HeaderMemoryBlocks(const TCDFiles& f) {
    if (!f.bootImage.empty()) return f.bootCatalogBlock + 1;
    return f.fileDataStart - f.padBlocks - (f.udfBridge ? f.udf.areaBlocks : 0);
}

bool BuildHeader(TCDFiles& f) {
    if (!f.prepared) {
        f.error = kErrNotPrepared;
        return false;
    }
    const uint32_t blocks = HeaderMemoryBlocks(f);
    f.header.assign(size_t(blocks) * kBlockSize, 0);
    f.headerPos = 0;
    uint8_t* h = f.header.data();
    uint32_t b = 16;
    WriteVolumeDescriptor(f, h + b++ * kBlockSize, false);
    if (!f.bootImage.empty()) {
        uint8_t* p = h + b++ * kBlockSize;
        p[0] = 0;
        std::memcpy(p + 1, "CD001", 5);
        p[6] = 1;
        std::memcpy(p + 7, "EL TORITO SPECIFICATION", 23);
        PutLE32(p + 71, f.bootCatalogBlock + f.sessionBase);
    }
    if (f.joliet) WriteVolumeDescriptor(f, h + b++ * kBlockSize, true);
    uint8_t* t = h + b * kBlockSize;
    t[0] = 255;
    std::memcpy(t + 1, "CD001", 5);
    t[6] = 1;
    if (f.udfBridge) {
        PlaceUDFPartition(f);
        BuildVRS(f, h);
        BuildVDSs(f, h);
        BuildLVIS(f, h);
        BuildAVDP(f, h + size_t(f.udf.anchor) * kBlockSize, f.udf.anchor);
        BuildFSDS(f, h);
    }
    WritePathTableImpl(f, h + size_t(f.lPathBlock) * kBlockSize, false, false);
    WritePathTableImpl(f, h + size_t(f.mPathBlock) * kBlockSize, false, true);
    if (f.joliet) {
        WritePathTableImpl(f, h + size_t(f.lPathBlockJ) * kBlockSize, true, false);
        WritePathTableImpl(f, h + size_t(f.mPathBlockJ) * kBlockSize, true, true);
    }
    for (auto& d : f.dirTable)
        WriteDirRecords(f, h + size_t(f.dirAreaStart) * kBlockSize, d.get(), false);
    if (f.joliet)
        for (auto& d : f.dirTable)
            WriteDirRecords(f, h + size_t(f.dirAreaStartJ) * kBlockSize, d.get(), true);
    if (!f.bootImage.empty()) WriteBootCatalog(f, h + size_t(f.bootCatalogBlock) * kBlockSize);
    f.headerPos = uint32_t(f.header.size());
    return true;
}

void SetVolumeIDW(TCDFiles& f, std::u16string_view id) {
    f.volumeIDW = std::u16string(id.substr(0, 32));
    std::memset(f.volumeID, 0, sizeof f.volumeID);
    // The primary descriptor takes 8-bit characters only; others become '_'.
    for (size_t i = 0; i < f.volumeIDW.size() && i < 32; ++i) {
        char16_t c = f.volumeIDW[i];
        f.volumeID[i] = c < 0x80 ? char(c) : '_';
    }
    f.prepared = false;
}

void SetVolumeID(TCDFiles& f, std::string_view id) {
    SetVolumeIDW(f, Utf8ToUtf16(id));
}
std::string GetVolumeID(const TCDFiles& f) {
    return Utf16ToUtf8(f.volumeIDW);
}
std::u16string GetVolumeIDW(const TCDFiles& f) {
    return f.volumeIDW;
}
uint32_t GetImageSize(const TCDFiles& f) {
    return f.imageSize;
}
uint32_t GetBlocksWritten(const TCDFiles& f) {
    return f.blocksWritten.load();
}
bool GetJolietFS(const TCDFiles& f) {
    return f.joliet;
}
void SetJolietFS(TCDFiles& f, bool v) {
    f.joliet = v;
    f.prepared = false;
}
bool GetUDFBridge(const TCDFiles& f) {
    return f.udfBridge;
}
void SetUDFBridge(TCDFiles& f, bool v) {
    f.udfBridge = v;
    f.prepared = false;
}
bool GetPostGap(const TCDFiles& f) {
    return f.postGap;
}
void SetPostGap(TCDFiles& f, bool v) {
    f.postGap = v;
}

} // namespace dw
