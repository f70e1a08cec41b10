// UDF bridge: encodings and the structures found in built images.
#include "burner/dwdiscwriter.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwudfbridge.h"
#include "support.h"

#include <gtest/gtest.h>

#include <map>

using namespace burner_test;
using dw::TDiscWriter;

namespace {

// Tag identifier when the descriptor at `p` has a valid checksum and CRC, else -1.
int TagAt(const uint8_t* p, uint32_t expectedLocation) {
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4) sum += p[i];
    if (uint8_t(sum) != p[4]) return -1;
    uint16_t len = LE16(p + 10);
    if (dw::CalculateCRC(p + 16, len) != LE16(p + 8)) return -1;
    if (LE32(p + 12) != expectedLocation) return -1;
    return LE16(p);
}

struct UdfImage {
    std::vector<uint8_t> bytes;
    const uint8_t* block(uint32_t b) const { return bytes.data() + size_t(b) * 2048; }
    uint32_t blocks() const { return uint32_t(bytes.size() / 2048); }
};

UdfImage Build(TDiscWriter& w, const TempDir& tmp) {
    BuildResult r = BuildAndWait(w, tmp / "u.iso");
    EXPECT_TRUE(r.started && r.handlerCalled && !r.writeFailed);
    return {ReadFile(tmp / "u.iso")};
}

dw::TFileEntry* Memory(TDiscWriter& w, const char* dir, const char16_t* name, uint64_t size) {
    dw::TFindData fd;
    fd.longName = name;
    fd.size = size;
    fd.lastWriteTime = 1700000000;
    return w.InsertMemoryFile(dir, fd, [](dw::TFileEntry*, uint64_t pos, uint8_t* b, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i)
            b[i] = uint8_t((pos + i) % 251);
        return int64_t(n);
    });
}

} // namespace

TEST(Udf, CrcOfTheStandardsExample) {
    const uint8_t v[] = {0x70, 0x6A, 0x77};
    EXPECT_EQ(dw::CalculateCRC(v, 3), 0x3299);
    EXPECT_EQ(dw::CalculateCRC(v, 0), 0);
}

TEST(Udf, TagChecksumSkipsItsOwnByte) {
    uint8_t tag[16] = {0x02, 0x00, 0x02, 0x00, 0xEE, 0x00, 0x01, 0x00,
                       0x34, 0x12, 0xF0, 0x01, 0x00, 0x01, 0x00, 0x00};
    EXPECT_EQ(dw::TagChecksum(tag), 61);
    std::vector<uint8_t> d(512, 0);
    d[100] = 0x5A;
    dw::MakeTag(d.data(), 2, 256, 512);
    EXPECT_EQ(TagAt(d.data(), 256), 2);
    d[100] = 0x5B;
    EXPECT_EQ(TagAt(d.data(), 256), -1) << "the CRC covers the body";
}

TEST(Udf, CompressedUnicodeAndDStrings) {
    uint8_t buf[64] = {};
    EXPECT_EQ(dw::CompressUnicode(u"Küche", buf, 64), 6u);
    EXPECT_EQ(buf[0], 8);
    EXPECT_EQ(buf[2], 0xFC);
    EXPECT_EQ(dw::UncompressUnicode(buf, 6), u"Küche");
    EXPECT_EQ(dw::CompressUnicode(u"Ω1", buf, 64), 5u);
    EXPECT_EQ(buf[0], 16);
    EXPECT_EQ(BE16(buf + 1), 0x3A9);
    EXPECT_EQ(dw::UncompressUnicode(buf, 5), u"Ω1");
    // A 32-byte field holds 31 bytes of text and the length.
    uint8_t field[32];
    dw::SetDString(field, 32, u"A volume label far longer than the field");
    EXPECT_EQ(field[0], 8);
    EXPECT_EQ(field[31], 31);
    dw::SetDString(field, 32, u"ΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩΩ");
    EXPECT_EQ(field[31], 31);
    EXPECT_EQ(field[0], 16);
}

TEST(Udf, TimestampFields) {
    uint8_t s[12];
    dw::udf_time_to_stamp(s, 951827696, 0); // 2000-02-29 12:34:56 UTC
    EXPECT_EQ(LE16(s), 0x1000);
    EXPECT_EQ(LE16(s + 2), 2000);
    EXPECT_EQ(s[4], 2);
    EXPECT_EQ(s[5], 29);
    EXPECT_EQ(s[6], 12);
    EXPECT_EQ(s[7], 34);
    EXPECT_EQ(s[8], 56);
}

TEST(Udf, RootOnlyImage) {
    TempDir tmp;
    TDiscWriter w;
    w.SetVolumeID("Empty");
    UdfImage img = Build(w, tmp);
    const auto& f = w.Files();
    ASSERT_EQ(img.blocks(), f.imageSize);
    // Recognition sequence right after the terminator at 18.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(img.block(19) + 1), 5), "BEA01");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(img.block(20) + 1), 5), "NSR02");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(img.block(21) + 1), 5), "TEA01");
    // Both descriptor sequences, integrity, anchors, file set.
    const int main[] = {1, 6, 5, 7, 4, 8};
    for (uint32_t start : {32u, 48u})
        for (uint32_t i = 0; i < 6; ++i)
            EXPECT_EQ(TagAt(img.block(start + i), start + i), main[i]);
    EXPECT_EQ(TagAt(img.block(64), 64), 9);
    EXPECT_EQ(TagAt(img.block(65), 65), 8);
    EXPECT_EQ(TagAt(img.block(256), 256), 2);
    EXPECT_EQ(TagAt(img.block(img.blocks() - 1), img.blocks() - 1), 2);
    EXPECT_EQ(LE32(img.block(256) + 20), 32u);
    EXPECT_EQ(LE32(img.block(256) + 28), 48u);
    EXPECT_EQ(TagAt(img.block(257), 0), 256);
    EXPECT_EQ(TagAt(img.block(258), 1), 8);
    EXPECT_EQ(f.fileDataStart, f.udf.areaStart + 2);
    // Partition descriptor: starts at the file set descriptor, read-only.
    EXPECT_EQ(LE32(img.block(34) + 188), 257u);
    EXPECT_EQ(LE32(img.block(34) + 184), 1u);
    // Root file entry and its single parent descriptor that points back at the root.
    uint32_t rootLb = LE32(img.block(257) + 404);
    const uint8_t* fe = img.block(257 + rootLb);
    EXPECT_EQ(TagAt(fe, rootLb), 261);
    EXPECT_EQ(fe[16 + 11], 4);
    EXPECT_EQ(LE32(fe + 56), 40u);
    uint32_t fidLb = LE32(fe + 176 + 4);
    const uint8_t* fid = img.block(257 + fidLb);
    EXPECT_EQ(TagAt(fid, fidLb), 257);
    EXPECT_EQ(fid[18], 0x0A);
    EXPECT_EQ(fid[19], 0);
    EXPECT_EQ(LE32(fid + 24), rootLb);
    // Integrity descriptor counts: no files, one folder.
    EXPECT_EQ(LE32(img.block(64) + 88 + 32), 0u);
    EXPECT_EQ(LE32(img.block(64) + 88 + 36), 1u);
}

TEST(Udf, FileEntriesAndDescriptorsAcrossBlocks) {
    TempDir tmp;
    TDiscWriter w;
    ASSERT_TRUE(w.CreateDir("/", "folder"));
    // Enough names that the descriptors of one folder straddle block boundaries.
    for (int i = 0; i < 120; ++i) {
        std::u16string n = u"a rather long file name number " +
                           std::u16string(1, char16_t('A' + i % 26)) +
                           std::u16string(1, char16_t('a' + i / 26)) + u".txt";
        ASSERT_TRUE(Memory(w, "/folder", n.c_str(), uint64_t(i) * 100));
    }
    UdfImage img = Build(w, tmp);
    const auto& f = w.Files();
    const dw::TDirEntry* d = w.FindDirW(u"/folder");
    ASSERT_GT(d->udfDirSize, 2048u);
    // Walk the descriptors of the folder as a reader would, across block boundaries.
    std::vector<uint8_t> fids(img.block(257 + d->udfFidBlock),
                              img.block(257 + d->udfFidBlock) + d->udfDirSize);
    size_t pos = 0;
    int count = 0;
    std::u16string prev;
    while (pos < fids.size()) {
        const uint8_t* p = fids.data() + pos;
        EXPECT_EQ(TagAt(p, d->udfFidBlock + uint32_t(pos / 2048)), 257) << "descriptor " << count;
        size_t len = (38 + p[19] + LE16(p + 36) + 3) & ~size_t(3);
        if (count > 0) {
            uint32_t feLb = LE32(p + 24);
            const uint8_t* fe = img.block(257 + feLb);
            EXPECT_EQ(TagAt(fe, feLb), 261);
            // Descriptors come in name order: find the entry by its name.
            const std::u16string name = dw::UncompressUnicode(p + 38, p[19]);
            EXPECT_LT(prev, name) << "descriptor " << count;
            prev = name;
            const dw::TFileEntry* e = nullptr;
            for (auto& x : f.fileTable)
                if (x->udfName == name) e = x.get();
            ASSERT_TRUE(e) << dw::Utf16ToUtf8(name);
            const uint64_t size = e->size;
            EXPECT_EQ(LE32(fe + 56), size);
            EXPECT_EQ(LE32(fe + 44), 0x1084u) << "files: read-only, not executable";
            if (size) {
                // The file entry and the ISO record share the data blocks.
                uint32_t lb = LE32(fe + 176 + 4);
                EXPECT_EQ(257 + lb, f.fileDataStart + e->extent);
                EXPECT_EQ(img.block(257 + lb)[1], 1);
            } else {
                EXPECT_EQ(LE32(fe + 172), 0u);
            }
        }
        pos += len;
        ++count;
    }
    EXPECT_EQ(count, 121);
    EXPECT_EQ(LE32(img.block(257 + d->udfBlock) + 44), 0x14A5u) << "folders keep their rights";
    EXPECT_EQ(LE32(img.block(64) + 88 + 32), 120u);
    EXPECT_EQ(LE32(img.block(64) + 88 + 36), 2u);
}

TEST(Udf, DataEndingOnAChunkBoundaryGetsAFurtherChunkForTheAnchor) {
    TempDir tmp;
    uint32_t dataStart;
    {
        TDiscWriter probe;
        Memory(probe, "/", u"x.bin", 2048);
        probe.Prepare();
        dataStart = probe.Files().fileDataStart;
    }
    uint32_t blocks = 32 - dataStart % 32 + 32; // data ends on a multiple of 32
    TDiscWriter w;
    Memory(w, "/", u"x.bin", uint64_t(blocks) * 2048);
    EXPECT_EQ(w.Prepare(), dataStart + blocks + 1);
    ASSERT_EQ((dataStart + blocks) % 32, 0u);
    EXPECT_EQ(w.GetImageSize(), dataStart + blocks + 32);
    UdfImage img = Build(w, tmp);
    ASSERT_EQ(img.blocks(), dataStart + blocks + 32);
    EXPECT_EQ(img.block(dataStart + blocks - 1)[2047],
              uint8_t((uint64_t(blocks) * 2048 - 1) % 251));
    EXPECT_TRUE(std::all_of(img.block(dataStart + blocks), img.block(img.blocks() - 1),
                            [](uint8_t c) { return !c; }));
    EXPECT_EQ(TagAt(img.block(img.blocks() - 1), img.blocks() - 1), 2);
    // The partition ends before the closing anchor.
    EXPECT_EQ(257 + LE32(img.block(34) + 192), img.blocks() - 1);
}

TEST(Udf, FilesBeyondOneShortExtentGetSeveral) {
    // Laid out only: BuildPacket needs no file data, so no 3 GB image is written.
    TDiscWriter w;
    dw::TFileEntry* e = Memory(w, "/", u"video.mkv", 3000000000ull);
    ASSERT_TRUE(e);
    w.Prepare();
    auto& f = w.Files();
    std::vector<uint8_t> area(size_t(f.udf.areaBlocks) * 2048);
    dw::ResetPacket(f);
    dw::BuildPacket(f, area.data(), f.udf.areaBlocks);
    const uint8_t* fe = area.data() + size_t(e->udfBlock + 257 - f.udf.areaStart) * 2048;
    ASSERT_EQ(TagAt(fe, e->udfBlock), 261);
    EXPECT_EQ(LE32(fe + 56), uint32_t(3000000000ull));
    EXPECT_EQ(LE32(fe + 172), 24u);
    uint64_t total = 0;
    uint32_t expectedBlock = f.fileDataStart + e->extent - 257;
    for (int i = 0; i < 3; ++i) {
        uint32_t len = LE32(fe + 176 + 8 * i);
        EXPECT_EQ(len >> 30, 0u) << "recorded and allocated";
        EXPECT_EQ(LE32(fe + 176 + 8 * i + 4), expectedBlock);
        expectedBlock += (len + 2047) / 2048;
        total += len;
    }
    EXPECT_EQ(total, 3000000000ull);
}

TEST(Udf, DotFilesAreNotHiddenInTheBridge) {
    TempDir tmp;
    WriteFile(tmp / "src/.profile", {1});
    WriteFile(tmp / "src/.config/settings", {2});
    WriteFile(tmp / "src/plain.txt", {3});
    TDiscWriter w;
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
    UdfImage img = Build(w, tmp);
    const dw::TDirEntry* root = w.Files().root;
    std::map<std::u16string, uint8_t> characteristics;
    const uint8_t* fids = img.block(257 + root->udfFidBlock);
    for (size_t pos = 0; pos < root->udfDirSize;) {
        const uint8_t* p = fids + pos;
        characteristics[dw::UncompressUnicode(p + 38, p[19])] = p[18];
        pos += (38 + p[19] + LE16(p + 36) + 3) & ~size_t(3);
    }
    // Only the directory and parent bits: Linux would not list a hidden entry at all.
    EXPECT_EQ(characteristics,
              (std::map<std::u16string, uint8_t>{
                  {u"", 0x0A}, {u".config", 0x02}, {u".profile", 0}, {u"plain.txt", 0}}));
}
