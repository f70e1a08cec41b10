// Names that come out alike on the disc, names Joliet cannot hold, and what the descriptors
// carry besides: each decided case in the tree and in the recorded names.
#include "burner/dwdiscwriter.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwudfbridge.h"
#include "name_tree.h"
#include "support.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <set>

using namespace burner_test;
using dw::TDiscWriter;

namespace {

const dw::TFileEntry* Child(const dw::TDirEntry* d, std::u16string_view longName) {
    for (const dw::TFileEntry* e = d->firstChild; e; e = e->next)
        if (e->longName == longName) return e;
    return nullptr;
}

// Joliet identifier and UDF name of the entry with that long name, after Prepare.
std::pair<std::u16string, std::u16string> Recorded(TDiscWriter& w, std::u16string_view longName,
                                                   const char16_t* dir = u"/") {
    const dw::TFileEntry* e = Child(w.FindDirW(dir), longName);
    if (!e) return {u"<missing>", u"<missing>"};
    return {e->jolietId, e->udfName};
}

} // namespace

TEST(Names, NamesThatComeOutAlikeAreKeptApart) {
    TempDir tmp;
    for (const char* n : {"noext", "noext.", "q", "q.;1"})
        WriteFile(tmp / ("src/" + std::string(n)), {uint8_t(n[0])});
    TDiscWriter w;
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
    EXPECT_EQ(w.GetFileCount(), 4u);
    w.Prepare();
    // Joliet keeps a dot as an extension only when something follows it.
    EXPECT_EQ(Recorded(w, u"noext"),
              std::make_pair(std::u16string(u"noext.;1"), std::u16string(u"noext")));
    EXPECT_EQ(Recorded(w, u"noext."),
              std::make_pair(std::u16string(u"noext_.;1"), std::u16string(u"noext.")));
    EXPECT_EQ(Recorded(w, u"q"), std::make_pair(std::u16string(u"q.;1"), std::u16string(u"q")));
    EXPECT_EQ(Recorded(w, u"q.;1"),
              std::make_pair(std::u16string(u"q._1;1"), std::u16string(u"q.;1")));
    // The caller's own inserts: both spellings are entries of their own as well.
    TDiscWriter c;
    dw::TFindData fd;
    fd.longName = u"noext";
    ASSERT_TRUE(c.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); }));
    fd.longName = u"NOEXT.";
    ASSERT_TRUE(c.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); }));
    EXPECT_EQ(c.GetFileCount(), 2u);
}

TEST(Names, NamesThatAreNotUtf8GetANumberWhenTheyMeet) {
    TempDir tmp;
    WriteFile(tmp / "src/caf\xE9.txt", {1});
    WriteFile(tmp / "src/caf\xE8.txt", {2});
    WriteFile(tmp / "src/d\xE9/x.txt", {3});
    WriteFile(tmp / "src/d\xE8/x.txt", {4});
    TDiscWriter w;
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
    EXPECT_EQ(w.GetFileCount(), 6u);
    EXPECT_EQ(w.GetDirCount(), 2u);
    const dw::TDirEntry* root = w.FindDirW(u"/");
    EXPECT_TRUE(Child(root, u"caf\uFFFD.txt"));
    EXPECT_TRUE(Child(root, u"caf\uFFFD~1.txt"));
    ASSERT_TRUE(w.FindDirW(u"/d\uFFFD~1"));
    EXPECT_TRUE(w.FindDirW(u"/d\uFFFD~1")->firstChild);
    // The same folder again is the same entries, nothing doubled.
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
    EXPECT_EQ(w.GetFileCount(), 6u);
}

TEST(Names, TwoSourcesUnderOneNameFailWithTheName) {
    TempDir tmp;
    WriteFile(tmp / "m1/a.txt", {1});
    WriteFile(tmp / "m2/a.txt", {2});
    WriteFile(tmp / "m2/other.txt", {3});
    TDiscWriter w;
    ASSERT_TRUE(w.InsertDir("/", tmp / "m1", "*", true, false));
    EXPECT_EQ(w.InsertDir("/", tmp / "m2", "*", true, false), nullptr);
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
              "Name already used \\" + (tmp / "m2/a.txt") + "\\");
    EXPECT_EQ(Child(w.FindDirW(u"/"), u"a.txt")->sourcePath, tmp / "m1/a.txt");
    // A file where a folder is, and the other way round.
    dw::TFindData fd;
    fd.longName = u"box";
    ASSERT_TRUE(w.CreateDir("/", "box"));
    EXPECT_EQ(w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); }), nullptr);
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()), "Name already used \\/box\\");
    // Replacement stays the caller's way to put another file under a name.
    w.SetReplaceFile(true);
    EXPECT_TRUE(w.InsertFile("/", tmp / "m2/a.txt"));
    EXPECT_EQ(Child(w.FindDirW(u"/"), u"a.txt")->sourcePath, tmp / "m2/a.txt");
}

TEST(Names, JolietGetsWhatItCanHoldAndUdfTheRealName) {
    TDiscWriter w;
    auto add = [&](std::u16string name) {
        dw::TFindData fd;
        fd.longName = std::move(name);
        return w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); }) != nullptr;
    };
    for (const char16_t* n : {u"\U0001F4F7 camera.jpg", u"a*b", u"a?b", u"c:d.txt", u"e\\f.txt",
                              u"bell\u0007.txt", u"semi;1", u"semi;colon.txt", u"trailing dot.",
                              u"two dots..", u"Case.txt", u"lone \xD800 surrogate.txt"})
        ASSERT_TRUE(add(n)) << dw::Utf16ToUtf8(n);
    ASSERT_TRUE(w.CreateDirW(u"/", u"folder."));
    ASSERT_TRUE(w.CreateDirW(u"/", u"\U0001F3E0 home"));
    w.Prepare();
    const std::vector<std::pair<std::u16string, std::u16string>> want{
        {u"\U0001F4F7 camera.jpg", u"_ camera.jpg;1"},
        {u"a*b", u"a_b.;1"},
        {u"a?b", u"a_b~1.;1"}, // the same once mapped: numbered
        {u"c:d.txt", u"c_d.txt;1"},
        {u"e\\f.txt", u"e_f.txt;1"},
        {u"bell\u0007.txt", u"bell_.txt;1"},
        {u"semi;1", u"semi_1.;1"},
        {u"semi;colon.txt", u"semi_colon.txt;1"},
        {u"trailing dot.", u"trailing dot_.;1"},
        {u"two dots..", u"two dots__.;1"},
        {u"Case.txt", u"Case.txt;1"},
        {u"lone \xD800 surrogate.txt", u"lone _ surrogate.txt;1"},
        {u"folder.", u"folder_"},
        {u"\U0001F3E0 home", u"_ home"}};
    for (const auto& [name, joliet] : want) {
        auto [j, udf] = Recorded(w, name);
        EXPECT_EQ(j, joliet) << dw::Utf16ToUtf8(name);
        EXPECT_EQ(udf, name) << "UDF keeps the real name";
    }
}

TEST(Names, FolderDatesDescriptorFieldsAndVolumeSet) {
    TempDir tmp;
    WriteFile(tmp / "src/sub/f.txt", {1});
    struct timespec ts[2] = {{1400000000, 0}, {1400000000, 0}};
    utimensat(AT_FDCWD, (tmp / "src/sub").c_str(), ts, 0);
    auto build = [&](const std::string& name) {
        TDiscWriter w;
        w.SetVolumeIDW(u"Vol \U0001F4F7");
        EXPECT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
        BuildResult r = BuildAndWait(w, tmp / name);
        EXPECT_TRUE(r.started && !r.writeFailed);
        return std::make_pair(ReadFile(tmp / name), w.Files().recordTimeUs);
    };
    auto [img, us] = build("a.iso");
    ASSERT_GT(img.size(), 260u * 2048);
    const uint8_t* pvd = img.data() + 16 * 2048;
    const uint8_t* jvd = img.data() + 17 * 2048;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pvd + 8), 32), std::string(32, ' '));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pvd + 190), 128), std::string(128, ' '));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pvd + 776), 37), std::string(37, ' '));
    for (size_t off : {813, 830, 847, 864}) {
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(pvd + off), 16), std::string(16, '0'));
        EXPECT_EQ(pvd[off + 16], 0);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(jvd + off), 16), std::string(16, '0'));
    }
    // Joliet: UCS-2 spaces; the emoji of the volume name as one '_'.
    EXPECT_EQ(BE16(jvd + 40 + 8), u'_');
    EXPECT_EQ(BE16(jvd + 40 + 10), u' ');
    EXPECT_EQ(BE16(jvd + 190), u' ');
    EXPECT_EQ(BE16(jvd + 702 + 34), u' ');
    EXPECT_EQ(jvd[702 + 36], 0);
    // The root record and the root's "." carry the recording time, in local time.
    time_t t = time_t(us / 1000000);
    struct tm lt {};
    localtime_r(&t, &lt);
    const uint8_t* rootDate = pvd + 156 + 18;
    EXPECT_EQ(rootDate[0], lt.tm_year);
    EXPECT_EQ(rootDate[1], lt.tm_mon + 1);
    EXPECT_EQ(rootDate[2], lt.tm_mday);
    EXPECT_EQ(rootDate[3], lt.tm_hour);
    EXPECT_EQ(rootDate[4], lt.tm_min);
    EXPECT_EQ(rootDate[5], lt.tm_sec);
    const uint8_t* rootDir = img.data() + size_t(LE32(pvd + 156 + 2)) * 2048;
    EXPECT_TRUE(std::equal(rootDate, rootDate + 7, rootDir + 18)) << "\".\" of the root";
    EXPECT_TRUE(std::equal(rootDate, rootDate + 7, rootDir + 34 + 18)) << "\"..\" of the root";
    // The subfolder's "." has the folder's own date, its ".." the root's.
    const uint8_t* subRec = rootDir + 68;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(subRec + 33), subRec[32]), "SUB");
    const uint8_t* subDir = img.data() + size_t(LE32(subRec + 2)) * 2048;
    time_t st = 1400000000;
    localtime_r(&st, &lt);
    EXPECT_EQ(subDir[18 + 0], lt.tm_year);
    EXPECT_EQ(subDir[18 + 2], lt.tm_mday);
    EXPECT_EQ(subDir[18 + 3], lt.tm_hour);
    EXPECT_TRUE(std::equal(subRec + 18, subRec + 25, subDir + 18));
    EXPECT_TRUE(std::equal(rootDate, rootDate + 7, subDir + 34 + 18));

    // UDF volume set identifier: 16 hex digits of the recording time, so each disc has its own.
    auto vsid = [](const std::vector<uint8_t>& image) {
        const uint8_t* p = image.data() + 32 * 2048 + 72;
        EXPECT_EQ(p[0], 8);
        EXPECT_EQ(p[127], 17);
        return std::string(reinterpret_cast<const char*>(p + 1), 16);
    };
    char want[17];
    std::snprintf(want, sizeof want, "%08X%08X", unsigned(us / 1000000), unsigned(us % 1000000));
    EXPECT_EQ(vsid(img), want);
    auto [img2, us2] = build("b.iso");
    EXPECT_NE(us2, us);
    EXPECT_NE(vsid(img2), vsid(img));
}

TEST(Names, PrepareMeasuresDepthAndPathLengthOfThePrimaryTree) {
    TDiscWriter w;
    std::u16string path = u"/";
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(w.CreateDirW(path, u"abcdefgh"));
        path += u"abcdefgh/";
    }
    dw::TFindData fd;
    fd.longName = u"f.txt";
    ASSERT_TRUE(w.InsertMemoryFileW(path, fd, [](auto...) { return int64_t(0); }));
    w.Prepare();
    const auto& f = w.Files();
    EXPECT_EQ(f.deepestLevel, 31u);
    EXPECT_EQ(f.deepestPath, dw::Utf16ToUtf8(path));
    // Each folder identifier and its separator, then the file identifier with its version.
    EXPECT_EQ(f.longestPathBytes, 30u * 9 + 7);
    EXPECT_EQ(f.longestPath, dw::Utf16ToUtf8(path) + "f.txt");
    w.ClearAll();
    ASSERT_TRUE(w.CreateDirW(u"/", u"one"));
    w.Prepare();
    EXPECT_EQ(w.Files().deepestLevel, 2u);
    EXPECT_EQ(w.Files().longestPathBytes, 3u) << "a folder's path: its identifier";
}
