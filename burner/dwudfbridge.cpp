#include "burner/dwudfbridge.h"

#include "burner/dwcommonlib.h"
#include "burner/dwsysutilsw.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace dw {

namespace {

enum : uint16_t {
    kTagPVD = 1,
    kTagAVDP = 2,
    kTagIUVD = 4,
    kTagPD = 5,
    kTagLVD = 6,
    kTagUSD = 7,
    kTagTD = 8,
    kTagLVID = 9,
    kTagFSD = 256,
    kTagFID = 257,
    kTagFE = 261,
};

constexpr uint16_t kUdfRevision = 0x0150;
constexpr uint32_t kMaxShortExtent = 0x3FFFF800; // 30-bit length, whole blocks
const char* const kImplementation = "*Quivera";

std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t c = uint16_t(i << 8);
        for (int k = 0; k < 8; ++k)
            c = uint16_t((c & 0x8000) ? (c << 1) ^ 0x1021 : (c << 1));
        t[i] = c;
    }
    return t;
}

void PutCharspec(uint8_t* p) {
    p[0] = 0; // CS0
    std::memcpy(p + 1, "OSTA Compressed Unicode", 23);
}

void PutRegid(uint8_t* p, const char* id) {
    std::memset(p, 0, 32);
    std::memcpy(p + 1, id, std::min<size_t>(std::strlen(id), 23));
}
void PutImplementationId(uint8_t* p) {
    PutRegid(p, kImplementation);
    p[24] = 4; // OS class: UNIX
}
void PutDomainId(uint8_t* p) {
    PutRegid(p, "*OSTA UDF Compliant");
    PutLE16(p + 24, kUdfRevision);
}
void PutUdfId(uint8_t* p, const char* id) {
    PutRegid(p, id);
    PutLE16(p + 24, kUdfRevision);
    p[26] = 4;
}
void PutExtent(uint8_t* p, uint32_t length, uint32_t location) {
    PutLE32(p, length);
    PutLE32(p + 4, location);
}
void PutLongAd(uint8_t* p, uint32_t length, uint32_t block) {
    PutLE32(p, length);
    PutLE32(p + 4, block);
    PutLE16(p + 8, 0);
}

std::u16string VolumeName(const TCDFiles& f) {
    return f.volumeIDW.empty() ? std::u16string(u"CDROM") : f.volumeIDW;
}

uint8_t* Block(uint8_t* header, uint32_t block) {
    return header + size_t(block) * kBlockSize;
}

// Bytes of the file identifier descriptor naming `e`.
uint32_t FidLength(const TFileEntry* e) {
    uint8_t name[256];
    size_t n = e ? CompressUnicode(e->udfName, name, 255) : 0;
    return uint32_t((38 + n + 3) & ~size_t(3));
}

// Logical block of a file's data: files of this session and files kept from an earlier one
// (absolute extents) alike, counted from the partition's first block on the disc.
uint32_t LogicalBlockOfFile(const TCDFiles& f, const TFileEntry& e) {
    uint32_t abs = e.absoluteExtent ? e.extent : f.fileDataStart + e.extent + f.sessionBase;
    return abs - f.udf.partitionFirst;
}

// File entry of a folder or a file into one zeroed block.
void WriteFileEntry(const TCDFiles& f, uint8_t* p, const TUDFNode& n) {
    const bool isDir = n.dir != nullptr;
    const uint32_t shift = f.udf.logicalOffset;
    const uint32_t location = (isDir ? n.dir->udfBlock : n.file->udfBlock) + shift;
    const int64_t when = n.file ? n.file->utcTime : f.udf.stampTime;
    uint64_t infoLength = isDir ? n.dir->udfDirSize : n.file->size;
    // ICB tag
    PutLE16(p + 16 + 4, 4); // strategy 4
    PutLE16(p + 16 + 8, 1); // maximum entries
    p[16 + 11] = isDir ? 4 : 5;
    PutLE32(p + 36, 0xFFFFFFFF);
    PutLE32(p + 40, 0xFFFFFFFF);
    // Folders: read and search for everyone; files: read for everyone, nothing executable.
    PutLE32(p + 44, isDir ? 0x14A5 : 0x1084);
    PutLE16(p + 48, uint16_t(isDir ? n.dir->udfLinkCount : 1));
    PutLE64(p + 56, infoLength);
    PutLE64(p + 64, Sectors(infoLength));
    udf_time_to_stamp(p + 72, when, 0);
    udf_time_to_stamp(p + 84, when, 0);
    udf_time_to_stamp(p + 96, when, 0);
    PutLE32(p + 108, 1);
    PutImplementationId(p + 128);
    PutLE64(p + 160, n.uniqueId);
    uint32_t adBytes = 0;
    uint8_t* ad = p + 176;
    if (isDir) {
        PutLE32(ad, n.dir->udfDirSize);
        PutLE32(ad + 4, n.dir->udfFidBlock + shift);
        adBytes = 8;
    } else if (n.file->size > 0) {
        uint64_t left = n.file->size;
        uint32_t block = LogicalBlockOfFile(f, *n.file);
        while (left > 0) {
            uint32_t len = uint32_t(std::min<uint64_t>(left, kMaxShortExtent));
            PutLE32(ad + adBytes, len);
            PutLE32(ad + adBytes + 4, block);
            block += Sectors(len);
            left -= len;
            adBytes += 8;
        }
    }
    PutLE32(p + 172, adBytes);
    MakeTag(p, kTagFE, location, 176 + adBytes);
}

// One file identifier descriptor at `p`; returns its length.
uint32_t WriteFid(uint8_t* p, const TFileEntry* e, uint32_t icbBlock, bool parent, bool dir,
                  uint32_t location) {
    uint8_t name[256];
    size_t n = e && !parent ? CompressUnicode(e->udfName, name, 255) : 0;
    uint32_t len = uint32_t((38 + n + 3) & ~size_t(3));
    std::memset(p, 0, len);
    PutLE16(p + 16, 1);
    uint8_t ch = 0;
    if (dir) ch |= 0x02;
    if (parent) ch |= 0x08;
    p[18] = ch;
    p[19] = uint8_t(n);
    PutLongAd(p + 20, kBlockSize, icbBlock);
    std::memcpy(p + 38, name, n);
    MakeTag(p, kTagFID, location, len);
    return len;
}

// The bytes of one node of the file-entry area: a file entry, then a folder's descriptors.
void NodeBytes(const TCDFiles& f, const TUDFNode& n, std::vector<uint8_t>& out) {
    if (!n.dir) {
        out.assign(kBlockSize, 0);
        WriteFileEntry(f, out.data(), n);
        return;
    }
    const TDirEntry* d = n.dir;
    const uint32_t shift = f.udf.logicalOffset;
    out.assign(size_t(1 + Sectors(d->udfDirSize)) * kBlockSize, 0);
    WriteFileEntry(f, out.data(), n);
    uint8_t* fids = out.data() + kBlockSize;
    uint32_t pos =
        WriteFid(fids, nullptr, d->parent->udfBlock + shift, true, true, d->udfFidBlock + shift);
    uint8_t tmp[320];
    for (const TFileEntry* e : d->udfOrder) {
        uint32_t icb = (e->directory ? e->directory->udfBlock : e->udfBlock) + shift;
        uint32_t len = WriteFid(tmp, e, icb, false, e->directory != nullptr,
                                d->udfFidBlock + shift + pos / kBlockSize);
        std::memcpy(fids + pos, tmp, len); // descriptors may straddle two blocks
        pos += len;
    }
}

} // namespace

uint16_t CalculateCRC(const uint8_t* data, size_t length) {
    static const std::array<uint16_t, 256> table = MakeCrcTable();
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i)
        crc = uint16_t((crc << 8) ^ table[(crc >> 8) ^ data[i]]);
    return crc;
}

uint8_t TagChecksum(const uint8_t* tag) {
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4) sum += tag[i];
    return uint8_t(sum);
}

void MakeTag(uint8_t* p, uint16_t identifier, uint32_t location, size_t length) {
    PutLE16(p, identifier);
    PutLE16(p + 2, 2);
    p[5] = 0;
    PutLE16(p + 6, 1);
    size_t crcLength = length - 16;
    PutLE16(p + 8, CalculateCRC(p + 16, crcLength));
    PutLE16(p + 10, uint16_t(crcLength));
    PutLE32(p + 12, location);
    p[4] = TagChecksum(p);
}

size_t CompressUnicode(std::u16string_view text, uint8_t* out, size_t maxBytes) {
    if (maxBytes < 1 || text.empty()) return 0;
    bool narrow = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; });
    out[0] = narrow ? 8 : 16;
    size_t pos = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (narrow) {
            if (pos + 1 > maxBytes) break;
            out[pos++] = uint8_t(c);
        } else {
            // Never cut a surrogate pair in half.
            bool pair = c >= 0xD800 && c < 0xDC00;
            if (pos + (pair ? 4 : 2) > maxBytes) break;
            PutBE16(out + pos, c);
            pos += 2;
        }
    }
    return pos;
}

std::u16string UncompressUnicode(const uint8_t* data, size_t length) {
    std::u16string s;
    if (length == 0) return s;
    if (data[0] == 8) {
        for (size_t i = 1; i < length; ++i)
            s.push_back(data[i]);
    } else if (data[0] == 16) {
        for (size_t i = 1; i + 1 < length; i += 2)
            s.push_back(char16_t((data[i] << 8) | data[i + 1]));
    }
    return s;
}

void SetDString(uint8_t* field, size_t fieldLength, std::u16string_view text) {
    std::memset(field, 0, fieldLength);
    size_t n = CompressUnicode(text, field, fieldLength - 1);
    field[fieldLength - 1] = uint8_t(n);
}

void udf_time_to_stamp(uint8_t* out, int64_t utc, uint32_t fraction) {
    std::memset(out, 0, 12);
    time_t t = static_cast<time_t>(utc);
    struct tm g {};
    if (!gmtime_r(&t, &g)) return;
    PutLE16(out, 0x1000); // type 1, UTC
    PutLE16(out + 2, uint16_t(g.tm_year + 1900));
    out[4] = uint8_t(g.tm_mon + 1);
    out[5] = uint8_t(g.tm_mday);
    out[6] = uint8_t(g.tm_hour);
    out[7] = uint8_t(g.tm_min);
    out[8] = uint8_t(g.tm_sec > 59 ? 59 : g.tm_sec);
    // fraction in microseconds
    out[9] = uint8_t(fraction / 10000 % 100);
    out[10] = uint8_t(fraction / 100 % 100);
    out[11] = uint8_t(fraction % 100);
}

void PrepareUDFBridge_1(TCDFiles& f) {
    TUDFLayout& u = f.udf;
    u.stampTime = f.recordTime ? f.recordTime : NowUtc();
    u.vrsBlock = f.nextFree;
    u.mainVDS = 32;
    u.reserveVDS = 48;
    u.lvis = 64;
    u.anchor = 256;
    u.fileSet = 257;
    u.partitionStart = 257; // logical block 0 is the file set descriptor
    f.nextFree = 259;
}

void PrepareUDFBridge_2(TCDFiles& f) {
    TUDFLayout& u = f.udf;
    u.nodes.clear();
    u.areaStart = f.nextFree;
    u.fileCount = 0;
    u.dirCount = 0;
    uint32_t block = u.areaStart - u.partitionStart; // next logical block
    uint64_t uid = 16;                               // 1 to 15 are reserved

    auto enter = [&](TDirEntry* d, TFileEntry* own) {
        u.nodes.push_back({d, own, own ? uid++ : 0});
        ++u.dirCount;
        d->udfBlock = block++;
        d->udfFidBlock = block;
        uint32_t bytes = FidLength(nullptr), subdirs = 0;
        for (const TFileEntry* e = d->firstChild; e; e = e->next) {
            bytes += FidLength(e);
            if (e->directory) ++subdirs;
        }
        d->udfDirSize = bytes;
        d->udfLinkCount = 1 + subdirs;
        block += Sectors(bytes);
    };
    // Depth first without recursion: folders may nest deeper than the stack likes.
    std::vector<std::pair<TDirEntry*, TFileEntry*>> stack;
    enter(f.root, nullptr);
    stack.emplace_back(f.root, f.root->firstChild);
    while (!stack.empty()) {
        TFileEntry* e = stack.back().second;
        if (!e) {
            stack.pop_back();
            continue;
        }
        stack.back().second = e->next;
        if (e->directory) {
            enter(e->directory, e);
            stack.emplace_back(e->directory, e->directory->firstChild);
        } else {
            u.nodes.push_back({nullptr, e, uid++});
            ++u.fileCount;
            e->udfBlock = block++;
        }
    }
    u.nextUniqueId = uid;
    u.areaBlocks = block + u.partitionStart - u.areaStart;
    f.nextFree += u.areaBlocks;
    ResetPacket(f);
}

void PrepareUDFBridge_3(TCDFiles& f) {
    f.udf.lastBlock = f.imageSize - 1;
    PlaceUDFPartition(f);
}

// A session at the start of the disc keeps its partition to itself, from the file set
// descriptor to the block before the closing anchor. A later session starts it at the disc's
// first block instead (the start of track 1), so that files kept from earlier sessions, whose
// data lie before this session, are inside the partition as well as the new ones.
void PlaceUDFPartition(TCDFiles& f) {
    TUDFLayout& u = f.udf;
    const uint32_t own = u.partitionStart + f.sessionBase;
    u.partitionFirst = f.sessionBase > 0 ? 0 : own;
    u.logicalOffset = own - u.partitionFirst;
    u.partitionLength = u.lastBlock + f.sessionBase - u.partitionFirst;
}

void BuildVRS(const TCDFiles& f, uint8_t* h) {
    const char* ids[3] = {"BEA01", "NSR02", "TEA01"};
    for (int i = 0; i < 3; ++i) {
        uint8_t* p = Block(h, f.udf.vrsBlock + i);
        p[0] = 0;
        std::memcpy(p + 1, ids[i], 5);
        p[6] = 1;
    }
}

void BuildVDSs(const TCDFiles& f, uint8_t* h) {
    const TUDFLayout& u = f.udf;
    const uint32_t base = f.sessionBase;
    const std::u16string vol = VolumeName(f);
    for (uint32_t start : {u.mainVDS, u.reserveVDS}) {
        uint32_t b = start;
        // Primary volume descriptor
        uint8_t* p = Block(h, b);
        PutLE32(p + 16, 0);
        PutLE32(p + 20, 0);
        SetDString(p + 24, 32, vol);
        PutLE16(p + 56, 1);
        PutLE16(p + 58, 1);
        PutLE16(p + 60, 2);
        PutLE16(p + 62, 3);
        PutLE32(p + 64, 1);
        PutLE32(p + 68, 1);
        // Volume set identifier: unique per disc (UDF 2.2.2.5): 16 hex digits of the recording
        // time, its seconds (low 32 bits) and then its microseconds.
        char vsid[17];
        std::snprintf(vsid, sizeof vsid, "%08X%08X", unsigned(f.recordTimeUs / 1000000),
                      unsigned(f.recordTimeUs % 1000000));
        p[72] = 8;
        std::memcpy(p + 73, vsid, 16);
        p[72 + 127] = 17;
        PutCharspec(p + 200);
        PutCharspec(p + 264);
        udf_time_to_stamp(p + 376, u.stampTime, 0);
        PutImplementationId(p + 388);
        MakeTag(p, kTagPVD, b + base, 512);
        ++b;
        // Logical volume descriptor
        p = Block(h, b);
        PutLE32(p + 16, 1);
        PutCharspec(p + 20);
        SetDString(p + 84, 128, vol);
        PutLE32(p + 212, kBlockSize);
        PutDomainId(p + 216);
        PutLongAd(p + 248, kBlockSize, u.fileSet - u.partitionStart + u.logicalOffset);
        PutLE32(p + 264, 6);
        PutLE32(p + 268, 1);
        PutImplementationId(p + 272);
        PutExtent(p + 432, 4 * kBlockSize, u.lvis + base);
        p[440] = 1;
        p[441] = 6;
        PutLE16(p + 442, 1);
        PutLE16(p + 444, 0);
        MakeTag(p, kTagLVD, b + base, 446);
        ++b;
        // Partition descriptor
        p = Block(h, b);
        PutLE32(p + 16, 2);
        PutLE16(p + 20, 1);
        PutLE16(p + 22, 0);
        PutRegid(p + 24, "+NSR02");
        PutLE32(p + 184, 1); // read only
        PutLE32(p + 188, u.partitionFirst);
        PutLE32(p + 192, u.partitionLength);
        PutImplementationId(p + 196);
        MakeTag(p, kTagPD, b + base, 512);
        ++b;
        // Unallocated space descriptor
        p = Block(h, b);
        PutLE32(p + 16, 3);
        PutLE32(p + 20, 0);
        MakeTag(p, kTagUSD, b + base, 24);
        ++b;
        // Implementation use volume descriptor
        p = Block(h, b);
        PutLE32(p + 16, 4);
        PutUdfId(p + 20, "*UDF LV Info");
        PutCharspec(p + 52);
        SetDString(p + 116, 128, vol);
        PutImplementationId(p + 352);
        MakeTag(p, kTagIUVD, b + base, 512);
        ++b;
        // Terminating descriptor
        p = Block(h, b);
        MakeTag(p, kTagTD, b + base, 512);
    }
}

void BuildLVIS(const TCDFiles& f, uint8_t* h) {
    const TUDFLayout& u = f.udf;
    uint8_t* p = Block(h, u.lvis);
    udf_time_to_stamp(p + 16, u.stampTime, 0);
    PutLE32(p + 28, 1); // closed
    PutLE64(p + 40, u.nextUniqueId);
    PutLE32(p + 72, 1);
    PutLE32(p + 76, 46);
    PutLE32(p + 80, 0);
    PutLE32(p + 84, u.partitionLength);
    uint8_t* iu = p + 88;
    PutImplementationId(iu);
    PutLE32(iu + 32, u.fileCount);
    PutLE32(iu + 36, u.dirCount);
    PutLE16(iu + 40, kUdfRevision);
    PutLE16(iu + 42, kUdfRevision);
    PutLE16(iu + 44, kUdfRevision);
    MakeTag(p, kTagLVID, u.lvis + f.sessionBase, 88 + 46);
    uint8_t* t = Block(h, u.lvis + 1);
    MakeTag(t, kTagTD, u.lvis + 1 + f.sessionBase, 512);
}

void BuildAVDP(const TCDFiles& f, uint8_t* p, uint32_t location) {
    std::memset(p, 0, kBlockSize);
    PutExtent(p + 16, 16 * kBlockSize, f.udf.mainVDS + f.sessionBase);
    PutExtent(p + 24, 16 * kBlockSize, f.udf.reserveVDS + f.sessionBase);
    MakeTag(p, kTagAVDP, location + f.sessionBase, 512);
}

void BuildFSDS(const TCDFiles& f, uint8_t* h) {
    const TUDFLayout& u = f.udf;
    const std::u16string vol = VolumeName(f);
    uint8_t* p = Block(h, u.fileSet);
    udf_time_to_stamp(p + 16, u.stampTime, 0);
    PutLE16(p + 28, 3);
    PutLE16(p + 30, 3);
    PutLE32(p + 32, 1);
    PutLE32(p + 36, 1);
    PutCharspec(p + 48);
    SetDString(p + 112, 128, vol);
    PutCharspec(p + 240);
    SetDString(p + 304, 32, vol);
    PutLongAd(p + 400, kBlockSize, f.root->udfBlock + u.logicalOffset);
    PutDomainId(p + 416);
    const uint32_t logical = u.fileSet - u.partitionStart + u.logicalOffset;
    MakeTag(p, kTagFSD, logical, 512);
    uint8_t* t = Block(h, u.fileSet + 1);
    MakeTag(t, kTagTD, logical + 1, 512);
}

void ResetPacket(TCDFiles& f) {
    f.udf.packetNode = 0;
    f.udf.packetBytes.clear();
    f.udf.packetPos = 0;
    f.udf.packetBlock = 0;
}

void BuildPacket(TCDFiles& f, uint8_t* buffer, uint32_t blocks) {
    TUDFLayout& u = f.udf;
    size_t want = size_t(blocks) * kBlockSize, done = 0;
    while (done < want) {
        if (u.packetPos >= u.packetBytes.size()) {
            if (u.packetNode >= u.nodes.size()) {
                std::memset(buffer + done, 0, want - done);
                break;
            }
            NodeBytes(f, u.nodes[u.packetNode++], u.packetBytes);
            u.packetPos = 0;
        }
        size_t n = std::min(want - done, u.packetBytes.size() - u.packetPos);
        std::memcpy(buffer + done, u.packetBytes.data() + u.packetPos, n);
        u.packetPos += n;
        done += n;
    }
    u.packetBlock += blocks;
}

} // namespace dw
