// The ISO 9660 / Joliet layout, checked byte by byte in built images.
#include "burner/dwdiscwriter.h"
#include "burner/dwiso9660.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwudfbridge.h"
#include "support.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <fcntl.h>
#include <sys/stat.h>

using namespace burner_test;
using dw::TDiscWriter;

namespace {

struct Record {
    uint32_t extent, length;
    uint8_t flags;
    std::string id; // raw identifier bytes
    size_t offsetInBlock;
    const uint8_t* raw;
};

struct Image {
    std::vector<uint8_t> bytes;
    const uint8_t* block(uint32_t b) const { return bytes.data() + size_t(b) * 2048; }
    uint32_t blocks() const { return uint32_t(bytes.size() / 2048); }

    std::vector<Record> Dir(uint32_t extent, uint32_t length) const {
        std::vector<Record> out;
        for (uint32_t b = 0; b < length / 2048; ++b) {
            const uint8_t* p = block(extent + b);
            size_t pos = 0;
            while (pos < 2048 && p[pos] != 0) {
                const uint8_t* r = p + pos;
                EXPECT_LE(pos + r[0], 2048u) << "record crosses a block boundary";
                EXPECT_EQ(LE32(r + 2), BE32(r + 6));
                EXPECT_EQ(LE32(r + 10), BE32(r + 14));
                out.push_back({LE32(r + 2), LE32(r + 10), r[25],
                               std::string(reinterpret_cast<const char*>(r + 33), r[32]), pos, r});
                pos += r[0];
            }
        }
        return out;
    }
};

Image Build(TDiscWriter& w, const TempDir& tmp) {
    Image img;
    BuildResult r = BuildAndWait(w, tmp / "out.iso");
    EXPECT_TRUE(r.started && r.handlerCalled && !r.writeFailed);
    img.bytes = ReadFile(tmp / "out.iso");
    return img;
}

std::string Ucs2(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        out.push_back(char(c >> 8));
        out.push_back(char(c & 0xFF));
    }
    return out;
}

dw::TMemoryFileReader Pattern(uint8_t seed) {
    return [seed](dw::TFileEntry*, uint64_t pos, uint8_t* buf, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i)
            buf[i] = uint8_t(seed + (pos + i) * 7);
        return int64_t(n);
    };
}

dw::TFileEntry* Memory(TDiscWriter& w, const char* dir, const std::u16string& name, uint64_t size,
                       uint8_t seed = 1) {
    dw::TFindData fd;
    fd.longName = name;
    fd.size = size;
    fd.lastWriteTime = 1700000000;
    return w.InsertMemoryFile(dir, fd, Pattern(seed));
}

} // namespace

TEST(Layout, RootAndOneFile) {
    TempDir tmp;
    auto data = Bytes(5000, 7);
    WriteFile(tmp / "src/photo.jpg", data);
    TDiscWriter w;
    w.SetUDFBridge(false);
    w.SetVolumeID("QIV Backup");
    ASSERT_TRUE(w.InsertFile("/", tmp / "src/photo.jpg"));
    EXPECT_EQ(w.Prepare(), 153u);
    EXPECT_EQ(w.GetImageSize(), 160u);
    Image img = Build(w, tmp);
    ASSERT_EQ(img.blocks(), 160u);
    for (uint32_t b = 0; b < 16; ++b)
        EXPECT_TRUE(std::all_of(img.block(b), img.block(b + 1), [](uint8_t c) { return !c; }));
    const uint8_t* pvd = img.block(16);
    const uint8_t* jvd = img.block(17);
    EXPECT_EQ(pvd[0], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pvd + 1), 5), "CD001");
    EXPECT_EQ(jvd[0], 2);
    EXPECT_EQ(img.block(18)[0], 255);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pvd + 40), 32),
              std::string("QIV BACKUP") + std::string(22, ' '));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(jvd + 40), 32), Ucs2(u"QIV Backup      "));
    EXPECT_EQ(LE32(pvd + 80), 160u);
    EXPECT_EQ(BE32(pvd + 84), 160u);
    EXPECT_EQ(LE16(pvd + 128), 2048u);
    EXPECT_EQ(LE32(pvd + 132), 10u);
    EXPECT_EQ(LE32(pvd + 140), 19u);
    EXPECT_EQ(BE32(pvd + 148), 20u);
    EXPECT_EQ(LE32(jvd + 140), 21u);
    EXPECT_EQ(BE32(jvd + 148), 22u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(jvd + 88), 3), "%/@");
    EXPECT_EQ(pvd[88], 0);
    EXPECT_EQ(pvd[881], 1);
    // Root records point at the two directory areas.
    EXPECT_EQ(LE32(pvd + 156 + 2), 23u);
    EXPECT_EQ(LE32(jvd + 156 + 2), 24u);
    auto iso = img.Dir(23, 2048);
    ASSERT_EQ(iso.size(), 3u);
    EXPECT_EQ(iso[0].id, std::string(1, '\0'));
    EXPECT_EQ(iso[1].id, std::string(1, '\1'));
    EXPECT_EQ(iso[1].extent, 23u) << "the root is its own parent";
    EXPECT_EQ(iso[2].id, "PHOTO.JPG;1");
    EXPECT_EQ(iso[2].extent, 150u);
    EXPECT_EQ(iso[2].length, 5000u);
    auto jol = img.Dir(24, 2048);
    ASSERT_EQ(jol.size(), 3u);
    EXPECT_EQ(jol[2].id, Ucs2(u"photo.jpg;1"));
    EXPECT_EQ(jol[2].extent, 150u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), img.block(150)));
    EXPECT_TRUE(std::all_of(img.block(150) + 5000, img.block(160), [](uint8_t c) { return !c; }));
}

TEST(Layout, WithoutJolietTheTerminatorFollowsThePrimaryDescriptor) {
    TempDir tmp;
    TDiscWriter w;
    w.SetUDFBridge(false);
    w.SetJolietFileSystem(false);
    Memory(w, "/", u"a.txt", 10);
    Image img = Build(w, tmp);
    EXPECT_EQ(img.block(16)[0], 1);
    EXPECT_EQ(img.block(17)[0], 255);
    EXPECT_EQ(LE32(img.block(16) + 140), 18u);
    EXPECT_EQ(img.blocks(), 160u);
}

TEST(Layout, LargeFolderRecordsNeverCrossBlocks) {
    TempDir tmp;
    TDiscWriter w;
    w.SetUDFBridge(false);
    ASSERT_TRUE(w.CreateDir("/", "many"));
    for (int i = 0; i < 1000; ++i) {
        std::u16string name = dw::Utf8ToUtf16("file number " + std::to_string(i) + ".dat");
        ASSERT_TRUE(Memory(w, "/many", name, uint64_t(i % 3), uint8_t(i)));
    }
    Image img = Build(w, tmp);
    const dw::TDirEntry* many = w.FindDirW(u"/many");
    ASSERT_GT(many->isoSize, 2048u);
    ASSERT_GT(many->jolietSize, many->isoSize);
    auto& f = w.Files();
    auto iso = img.Dir(f.dirAreaStart + many->isoOffset, many->isoSize);
    auto jol = img.Dir(f.dirAreaStartJ + many->jolietOffset, many->jolietSize);
    ASSERT_EQ(iso.size(), 1002u);
    ASSERT_EQ(jol.size(), 1002u);
    std::map<std::string, Record> isoById, jolById;
    for (auto& r : iso)
        isoById[r.id] = r;
    for (auto& r : jol)
        jolById[r.id] = r;
    // File data keep insertion order; empty ones have extent and length 0, others follow each
    // other. The records themselves are in identifier order.
    uint32_t next = f.fileDataStart;
    for (int i = 0; i < 1000; ++i) {
        const dw::TFileEntry* e = f.fileTable[size_t(i) + 1].get();
        const Record& r = isoById[std::string(e->isoName, e->isoNameLen)];
        EXPECT_EQ(r.length, uint32_t(i % 3));
        EXPECT_EQ(jolById[Ucs2(e->jolietId)].extent, r.extent);
        if (i % 3 == 0) {
            EXPECT_EQ(r.extent, 0u);
        } else {
            EXPECT_EQ(r.extent, next);
            EXPECT_EQ(img.block(r.extent)[0], uint8_t(uint8_t(i) + 0));
            ++next;
        }
    }
    EXPECT_EQ(jol[2].id, Ucs2(u"file number 0.dat;1"));
    EXPECT_EQ(jol[3].id, Ucs2(u"file number 1.dat;1"));
    EXPECT_EQ(jol[4].id, Ucs2(u"file number 10.dat;1"));
    EXPECT_EQ(jol[1001].id, Ucs2(u"file number 999.dat;1"));
}

namespace {

struct PathRecord {
    std::string name; // raw identifier bytes
    uint16_t parent;
    uint32_t extent;
    bool operator==(const PathRecord& o) const { return name == o.name && parent == o.parent; }
};

std::vector<PathRecord> ReadPathTable(const Image& img, uint32_t lBlock, uint32_t mBlock,
                                      uint32_t size) {
    const uint8_t* l = img.block(lBlock);
    const uint8_t* m = img.block(mBlock);
    std::vector<PathRecord> out;
    size_t pos = 0;
    while (pos < size) {
        uint8_t len = l[pos];
        EXPECT_EQ(LE32(l + pos + 2), BE32(m + pos + 2));
        EXPECT_EQ(LE16(l + pos + 6), BE16(m + pos + 6));
        out.push_back({std::string(reinterpret_cast<const char*>(l + pos + 8), len),
                       LE16(l + pos + 6), LE32(l + pos + 2)});
        if (len % 2) {
            EXPECT_EQ(l[pos + 8 + len], 0);
        }
        pos += 8 + len + len % 2;
    }
    EXPECT_EQ(pos, size);
    return out;
}

} // namespace

TEST(Layout, PathTablesFollowTheStandardOrderOfEachNameSet) {
    TempDir tmp;
    TDiscWriter w;
    w.SetUDFBridge(false);
    ASSERT_TRUE(w.CreateDir("/", "b"));
    ASSERT_TRUE(w.CreateDir("/b", "cc"));
    ASSERT_TRUE(w.CreateDir("/", "a"));
    ASSERT_TRUE(w.CreateDir("/a", "zz"));
    ASSERT_TRUE(w.CreateDir("/", "ABC"));
    ASSERT_TRUE(w.CreateDir("/", "a\tb")); // ISO A_B
    Image img = Build(w, tmp);
    auto& f = w.Files();
    // By level, then parent number, then identifier; a shorter identifier compares as if padded
    // with spaces ("A" before "ABC", but "a" after "a<TAB>b"). Each table numbers its own order.
    const std::string root(1, '\0');
    EXPECT_EQ(ReadPathTable(img, f.lPathBlock, f.mPathBlock, f.pathTableSize),
              (std::vector<PathRecord>{{root, 1, 0},
                                       {"A", 1, 0},
                                       {"ABC", 1, 0},
                                       {"A_B", 1, 0},
                                       {"B", 1, 0},
                                       {"ZZ", 2, 0},
                                       {"CC", 5, 0}}));
    auto joliet = ReadPathTable(img, f.lPathBlockJ, f.mPathBlockJ, f.pathTableSizeJ);
    // Joliet cannot hold the tab: it is recorded as '_'.
    EXPECT_EQ(joliet, (std::vector<PathRecord>{{root, 1, 0},
                                               {Ucs2(u"ABC"), 1, 0},
                                               {Ucs2(u"a"), 1, 0},
                                               {Ucs2(u"a_b"), 1, 0},
                                               {Ucs2(u"b"), 1, 0},
                                               {Ucs2(u"zz"), 3, 0},
                                               {Ucs2(u"cc"), 5, 0}}));
    EXPECT_EQ(f.pathTableSizeJ, 10u + (8 + 6) + (8 + 6) + 2 * (8 + 2) + 2 * (8 + 4));
    // Every record points at its folder's own "." record, in the area of its name set.
    for (auto* d : f.pathTable) {
        auto recs = img.Dir(f.dirAreaStart + d->isoOffset, d->isoSize);
        EXPECT_EQ(recs[0].extent, f.dirAreaStart + d->isoOffset);
        EXPECT_EQ(recs[1].extent, f.dirAreaStart + d->parent->isoOffset);
    }
    auto iso = ReadPathTable(img, f.lPathBlock, f.mPathBlock, f.pathTableSize);
    for (size_t i = 0; i < iso.size(); ++i)
        EXPECT_EQ(iso[i].extent, f.dirAreaStart + f.pathTable[i]->isoOffset);
    for (size_t i = 0; i < joliet.size(); ++i)
        EXPECT_EQ(joliet[i].extent, f.dirAreaStartJ + f.pathTableJ[i]->jolietOffset);
}

TEST(Layout, LongNamesAreCutUniquelyAndKeepTheirExtension) {
    TempDir tmp;
    TDiscWriter w;
    std::u16string prefix;
    while (prefix.size() < 130)
        prefix += u"Inventory of the living room ";
    prefix.resize(130);
    const std::u16string wide = u"\u03A9" + prefix; // Omega: UDF needs 16 bits per character
    // A name that fits and equals the plain cut of the first long name below.
    ASSERT_TRUE(Memory(w, "/", prefix.substr(0, 96) + u".jpeg", 1));
    ASSERT_TRUE(Memory(w, "/", prefix + u"A.jpeg", 1));
    ASSERT_TRUE(Memory(w, "/", prefix + u"B.jpeg", 1));
    ASSERT_TRUE(Memory(w, "/", wide + u"A.txt", 1));
    ASSERT_TRUE(Memory(w, "/", wide + u"B.txt", 1));
    ASSERT_TRUE(w.CreateDirW(u"/", prefix + u"dirA"));
    ASSERT_TRUE(w.CreateDirW(u"/", prefix + u"dirB"));
    Image img = Build(w, tmp);
    const auto& f = w.Files();

    const std::vector<std::u16string> joliet{
        prefix.substr(0, 96) + u".jpeg;1",   prefix.substr(0, 94) + u"~1.jpeg;1",
        prefix.substr(0, 94) + u"~2.jpeg;1", wide.substr(0, 97) + u".txt;1",
        wide.substr(0, 95) + u"~1.txt;1",    prefix.substr(0, 103),
        prefix.substr(0, 101) + u"~1"};
    auto recs = img.Dir(f.dirAreaStartJ + f.root->jolietOffset, f.root->jolietSize);
    ASSERT_EQ(recs.size(), 2 + joliet.size());
    std::set<std::string> want, got;
    for (size_t i = 0; i < joliet.size(); ++i) {
        want.insert(Ucs2(joliet[i]));
        got.insert(recs[2 + i].id);
    }
    EXPECT_EQ(got, want);
    auto table = ReadPathTable(img, f.lPathBlockJ, f.mPathBlockJ, f.pathTableSizeJ);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[1].name, Ucs2(joliet[5]));
    EXPECT_EQ(table[2].name, Ucs2(joliet[6]));

    // UDF holds 254 narrow or 127 wide characters: only the wide names are cut.
    const std::vector<std::u16string> udf{prefix.substr(0, 96) + u".jpeg",
                                          prefix + u"A.jpeg",
                                          prefix + u"B.jpeg",
                                          wide.substr(0, 123) + u".txt",
                                          wide.substr(0, 121) + u"~1.txt",
                                          prefix + u"dirA",
                                          prefix + u"dirB"};
    std::vector<std::u16string> found;
    const uint8_t* fids = img.block(257 + f.root->udfFidBlock);
    for (size_t pos = 0; pos < f.root->udfDirSize;) {
        const uint8_t* p = fids + pos;
        if (pos > 0) found.push_back(dw::UncompressUnicode(p + 38, p[19]));
        pos += (38 + p[19] + LE16(p + 36) + 3) & ~size_t(3);
    }
    EXPECT_EQ(std::set<std::u16string>(found.begin(), found.end()),
              std::set<std::u16string>(udf.begin(), udf.end()));
}

TEST(Layout, RecordDatesFlagsAndEmptyFiles) {
    TempDir tmp;
    WriteFile(tmp / "src/.hidden", {1});
    WriteFile(tmp / "src/empty", {});
    WriteFile(tmp / "src/z.txt", {2});
    for (const char* n : {".hidden", "empty", "z.txt"}) {
        struct timespec ts[2] = {{1500000000, 0}, {1500000000, 0}};
        utimensat(AT_FDCWD, (tmp / "src/" + n).c_str(), ts, 0);
    }
    TDiscWriter w;
    w.SetUDFBridge(false);
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", false, false));
    Image img = Build(w, tmp);
    auto recs = img.Dir(w.Files().dirAreaStart, 2048);
    ASSERT_EQ(recs.size(), 5u);
    time_t t = 1500000000;
    struct tm lt {};
    localtime_r(&t, &lt);
    const uint8_t* d = recs[3].raw + 18;
    EXPECT_EQ(d[0], lt.tm_year);
    EXPECT_EQ(d[1], lt.tm_mon + 1);
    EXPECT_EQ(d[2], lt.tm_mday);
    EXPECT_EQ(d[3], lt.tm_hour);
    EXPECT_EQ(d[4], lt.tm_min);
    EXPECT_EQ(d[5], lt.tm_sec);
    EXPECT_EQ(int8_t(d[6]), lt.tm_gmtoff / 900);
    // Records in identifier order: EMPTY.;1, HIDDEN.;1, Z.TXT;1; data in insertion order.
    EXPECT_EQ(recs[3].id, "HIDDEN.;1");
    EXPECT_EQ(recs[3].flags, 1) << ".hidden carries the existence bit";
    EXPECT_EQ(recs[2].id, "EMPTY.;1");
    EXPECT_EQ(recs[2].extent, 0u);
    EXPECT_EQ(recs[2].length, 0u);
    EXPECT_EQ(recs[3].extent, 150u);
    EXPECT_EQ(recs[4].extent, 151u) << "the empty file takes no block";
    EXPECT_EQ(recs[4].flags, 0);
}

TEST(Layout, BootRecordCatalogAndImage) {
    TempDir tmp;
    auto boot = Bytes(2048, 3);
    WriteFile(tmp / "boot.img", boot);
    WriteFile(tmp / "bad.img", Bytes(1000, 3));
    TDiscWriter w;
    w.SetUDFBridge(false);
    EXPECT_FALSE(w.SetBootImage(tmp / "bad.img"));
    EXPECT_EQ(w.GetBootImage(), "");
    ASSERT_TRUE(w.SetBootImage(tmp / "boot.img"));
    Memory(w, "/", u"a.txt", 10);
    Image img = Build(w, tmp);
    auto& f = w.Files();
    const uint8_t* br = img.block(17);
    EXPECT_EQ(br[0], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(br + 7), 23), "EL TORITO SPECIFICATION");
    EXPECT_EQ(img.block(18)[0], 2);
    EXPECT_EQ(img.block(19)[0], 255);
    uint32_t catalog = LE32(br + 71);
    EXPECT_EQ(catalog, f.bootCatalogBlock);
    const uint8_t* c = img.block(catalog);
    uint16_t sum = 0;
    for (int i = 0; i < 32; i += 2)
        sum = uint16_t(sum + LE16(c + i));
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(c[0], 1);
    EXPECT_EQ(c[30], 0x55);
    EXPECT_EQ(c[31], 0xAA);
    EXPECT_EQ(c[32], 0x88);
    EXPECT_EQ(c[33], 0) << "no emulation";
    EXPECT_EQ(LE16(c + 38), 4);
    EXPECT_EQ(LE32(c + 40), catalog + 1);
    EXPECT_TRUE(std::equal(boot.begin(), boot.end(), img.block(catalog + 1)));
    EXPECT_EQ(f.fileDataStart, 150u);
}
