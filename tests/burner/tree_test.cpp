// The file tree: names, lookups, duplicates and folder import.
#include "burner/dwdiscwriter.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwtree.h"
#include "support.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace burner_test;
using dw::TDiscWriter;

namespace {

std::string Iso(const dw::TFileEntry* e) {
    return std::string(e->isoName, e->isoNameLen);
}
std::string Iso(const dw::TDirEntry* d) {
    return std::string(d->isoName, d->isoNameLen);
}

void SetMtime(const std::string& path, time_t t) {
    struct timespec ts[2] = {{t, 0}, {t, 0}};
    utimensat(AT_FDCWD, path.c_str(), ts, 0);
}

} // namespace

TEST(Tree, FileNamesGetDotAndVersionInBothNameForms) {
    TempDir tmp;
    WriteFile(tmp / "README", {1, 2, 3});
    WriteFile(tmp / "photo.jpg", {4});
    WriteFile(tmp / "Long File Name.jpeg", {5});
    TDiscWriter w;
    auto* readme = w.InsertFile("/", tmp / "README");
    auto* photo = w.InsertFile("/", tmp / "photo.jpg");
    auto* longName = w.InsertFile("/", tmp / "Long File Name.jpeg");
    ASSERT_TRUE(readme && photo && longName);
    EXPECT_EQ(readme->jolietName, u"README.;1");
    EXPECT_EQ(Iso(readme), "README.;1");
    EXPECT_EQ(photo->jolietName, u"photo.jpg;1");
    EXPECT_EQ(Iso(photo), "PHOTO.JPG;1");
    EXPECT_EQ(longName->longName, u"Long File Name.jpeg");
    EXPECT_EQ(Iso(longName), "LONGFILE.JPE;1");
    EXPECT_EQ(readme->size, 3u);
    EXPECT_EQ(readme->sourcePath, tmp / "README");
    EXPECT_EQ(w.GetFileCount(), 3u);
}

TEST(Tree, ShortNamesStayUniqueWithinAFolder) {
    TempDir tmp;
    for (const char* n : {"Holiday Photo 1.jpg", "Holiday Photo 2.jpg", "Holiday Photo 3.jpg",
                          "holiday.jpg", "HOLIDAY.JPG"})
        WriteFile(tmp / n, {1});
    TDiscWriter w;
    std::vector<std::string> names;
    for (const char* n :
         {"Holiday Photo 1.jpg", "Holiday Photo 2.jpg", "Holiday Photo 3.jpg", "holiday.jpg"})
        names.push_back(Iso(w.InsertFile("/", tmp / n)));
    EXPECT_EQ(names, (std::vector<std::string>{"HOLIDAYP.JPG;1", "HOLIDA~1.JPG;1", "HOLIDA~2.JPG;1",
                                               "HOLIDAY.JPG;1"}));
    // The same source again is the same entry; another file whose name differs only in case
    // would replace it on a disc read without regard to case: refused, not dropped unnoticed.
    EXPECT_EQ(w.InsertFile("/", tmp / "holiday.jpg"), w.FindDirW(u"/")->lastChild);
    EXPECT_EQ(w.InsertFile("/", tmp / "HOLIDAY.JPG"), nullptr);
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
              "Name already used \\" + (tmp / "HOLIDAY.JPG") + "\\");
    EXPECT_EQ(w.GetFileCount(), 4u);
    // The same short name may appear again in another folder.
    ASSERT_TRUE(w.CreateDir("/", "Other"));
    EXPECT_EQ(Iso(w.InsertFile("/Other", tmp / "Holiday Photo 2.jpg")), "HOLIDAYP.JPG;1");
}

TEST(Tree, DuplicateInsertKeepsOrReplacesTheEntry) {
    TempDir tmp;
    WriteFile(tmp / "a/notes.txt", Bytes(10, 1));
    WriteFile(tmp / "b/NOTES.TXT", Bytes(5000, 2));
    SetMtime(tmp / "a/notes.txt", 1000000000);
    SetMtime(tmp / "b/NOTES.TXT", 1200000000);
    TDiscWriter w;
    auto* first = w.InsertFile("/", tmp / "a/notes.txt");
    ASSERT_TRUE(first);
    w.Prepare();
    EXPECT_EQ(w.InsertFile("/", tmp / "a/notes.txt"), first) << "the same file again";
    EXPECT_EQ(w.InsertFile("/", tmp / "b/NOTES.TXT"), nullptr) << "another file, same name";
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
              "Name already used \\" + (tmp / "b/NOTES.TXT") + "\\");
    EXPECT_EQ(first->size, 10u);
    EXPECT_EQ(first->sourcePath, tmp / "a/notes.txt");
    EXPECT_TRUE(w.Files().prepared) << "a refused duplicate changes nothing";

    w.SetReplaceFile(true);
    EXPECT_EQ(w.InsertFile("/", tmp / "b/NOTES.TXT"), first);
    EXPECT_EQ(first->size, 5000u);
    EXPECT_EQ(first->sourcePath, tmp / "b/NOTES.TXT");
    EXPECT_EQ(first->utcTime, 1200000000);
    EXPECT_EQ(first->longName, u"NOTES.TXT");
    EXPECT_FALSE(w.Files().prepared);
    EXPECT_EQ(w.GetFileCount(), 1u);
}

TEST(Tree, CreateDirFindsExistingAndRefusesMissingParent) {
    TDiscWriter w;
    auto* backup = w.CreateDir("/", "QIVBackup");
    ASSERT_TRUE(backup);
    EXPECT_EQ(w.CreateDir("", "qivbackup"), backup);
    EXPECT_EQ(w.CreateDir("/QIVBackup/", "Pictures"), w.CreateDir("/QIVBackup", "Pictures"));
    EXPECT_EQ(w.CreateDir("/Missing", "Pictures"), nullptr);
    EXPECT_EQ(w.GetDirCount(), 2u);
    EXPECT_EQ(w.FindDirW(u"/qivbackup/PICTURES"), w.FindDirW(u"QIVBackup/Pictures/"));
    EXPECT_EQ(dw::DirPathW(w.FindDirW(u"/QIVBackup/Pictures")), u"/QIVBackup/Pictures/");
    EXPECT_EQ(w.FindDirW(u""), w.Files().root);
    EXPECT_EQ(w.FindDirW(u"/"), w.Files().root);
}

TEST(Tree, FolderShortNames) {
    TempDir tmp;
    WriteFile(tmp / "src/Photographs of 2024/x.jpg", {1});
    TDiscWriter w;
    // CreateDir takes the first 11 characters; spaces and other characters become '_'.
    EXPECT_EQ(Iso(w.CreateDir("/", "Christmas Photos")), "CHRISTMAS_P");
    EXPECT_EQ(Iso(w.CreateDir("/", "Christmas Party")), "CHRIST~1");
    // A folder taken from disk gets a generated 8-character name.
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*.*", true, false));
    auto* d = w.FindDirW(u"/Photographs of 2024");
    ASSERT_TRUE(d);
    EXPECT_EQ(Iso(d), "PHOTOGRA");
    EXPECT_EQ(d->longName, u"Photographs of 2024");
}

TEST(Tree, DestinationWithOrWithoutTrailingSlashIsTheSameFolder) {
    TempDir tmp;
    WriteFile(tmp / "one.txt", {1});
    WriteFile(tmp / "two.txt", {2});
    TDiscWriter w;
    auto* d = w.CreateDir("/", "QIVBackup");
    auto* a = w.InsertFile("QIVBackup", tmp / "one.txt");
    auto* b = w.InsertFile("QIVBackup/", tmp / "two.txt");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(d->firstChild, a);
    EXPECT_EQ(a->next, b);
}

TEST(Tree, InsertFileRefusesFoldersMissingFilesAndHugeFiles) {
    TempDir tmp;
    WriteFile(tmp / "dir/f", {1});
    ASSERT_TRUE(WriteHugeSparseFile(tmp / "huge"));
    TDiscWriter w;
    EXPECT_EQ(w.InsertFile("/", tmp / "dir"), nullptr);
    EXPECT_EQ(w.InsertFile("/", tmp / "missing"), nullptr);
    EXPECT_EQ(w.InsertFile("/", tmp / "huge"), nullptr);
    EXPECT_EQ(w.InsertFile("/nowhere", tmp / "dir/f"), nullptr);
    EXPECT_EQ(w.InsertFileW(u"/", dw::Utf8ToUtf16(tmp / "dir")), nullptr);
    EXPECT_EQ(w.GetFileCount(), 0u);
    EXPECT_EQ(w.Files().root->firstChild, nullptr);
}

TEST(Tree, InsertFileWithNameUsesTheGivenNames) {
    TempDir tmp;
    WriteFile(tmp / "x.bin", {1, 2});
    TDiscWriter w;
    auto* e = w.InsertFileWithNameW(u"/", dw::Utf8ToUtf16(tmp / "x.bin"), u"Küche Inventar.db",
                                    u"kueche.db");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->jolietName, u"Küche Inventar.db;1");
    EXPECT_EQ(Iso(e), "KUECHE.DB;1");
    EXPECT_EQ(e->wide, 1);
    EXPECT_EQ(w.InsertFile("/", tmp / "x.bin")->wide, 0);
}

TEST(Tree, InsertDirHonoursMaskRecursionAndKeptSourcePath) {
    TempDir tmp;
    WriteFile(tmp / "pics/a.jpg", {1});
    WriteFile(tmp / "pics/b.JPG", {2});
    WriteFile(tmp / "pics/c.txt", {3});
    WriteFile(tmp / "pics/sub/d.jpg", {4});
    WriteFile(tmp / "pics/.hidden.jpg", {5});
    ASSERT_EQ(symlink(".", (tmp / "pics/loop").c_str()), 0); // must not be followed
    TDiscWriter w;
    auto* flat = w.InsertDir("/", tmp / "pics/", "*.jpg", false, false);
    ASSERT_EQ(flat, w.Files().root);
    std::vector<std::u16string> names;
    for (auto* e = flat->firstChild; e; e = e->next)
        names.push_back(e->longName);
    EXPECT_EQ(names, (std::vector<std::u16string>{u".hidden.jpg", u"a.jpg", u"b.JPG"}));
    EXPECT_TRUE(flat->firstChild->attributes & dw::kAttrHidden);

    w.ClearAll();
    auto* kept = w.InsertDir("/", tmp / "pics", "*.*", true, true);
    ASSERT_TRUE(kept);
    std::u16string expected = dw::Utf8ToUtf16(tmp.path() + "/pics/");
    EXPECT_EQ(dw::DirPathW(kept), expected);
    EXPECT_TRUE(w.FindDirW(expected + u"sub"));
    EXPECT_FALSE(w.FindDirW(expected + u"loop"));
    // Entries: the kept folder chain, "sub", and five files ("loop" is skipped).
    const auto chain = uint32_t(std::count(tmp.path().begin(), tmp.path().end(), '/')) + 1;
    EXPECT_EQ(w.GetFileCount(), chain + 1 + 5);
    EXPECT_EQ(w.GetDirCount(), chain + 1);
    EXPECT_EQ(w.InsertDir("/", tmp / "missing", "*", true, false), nullptr);
    EXPECT_EQ(w.InsertDir("/missing", tmp / "pics", "*", true, false), nullptr);
}

TEST(Tree, MemoryFilesAndCounters) {
    TDiscWriter w;
    dw::TFindData fd;
    fd.longName = u"inventory.csv";
    fd.size = 3000;
    fd.lastWriteTime = 1700000000;
    auto* e = w.InsertMemoryFile(
        "/", fd, [](dw::TFileEntry*, uint64_t, uint8_t*, uint32_t n) { return int64_t(n); });
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->reader);
    EXPECT_FALSE(e->hasSource);
    EXPECT_EQ(e->wide, 1);
    EXPECT_EQ(w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); }), nullptr)
        << "other data under the same name are refused";
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()), "Name already used \\/inventory.csv\\");
    EXPECT_EQ(w.GetFileCount(), 1u);
    fd.attributes = dw::kAttrDirectory;
    EXPECT_EQ(w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); }), nullptr);
    w.ClearAll();
    EXPECT_EQ(w.GetFileCount(), 0u);
    EXPECT_EQ(w.GetDirCount(), 0u);
    EXPECT_EQ(w.Files().root->firstChild, nullptr);
}

TEST(Tree, ShortNameRules) {
    std::unordered_set<std::string> used;
    EXPECT_EQ(dw::MakeShortName(u"readme.txt", false, used), "README.TXT");
    EXPECT_EQ(dw::MakeShortName(u"archive.tar.gz", false, used), "ARCHIVET.GZ");
    EXPECT_EQ(dw::MakeShortName(u".bashrc", false, used), "BASHRC");
    EXPECT_EQ(dw::MakeShortName(u"a+b=c.html", false, used), "A_B_C.HTM");
    EXPECT_EQ(dw::MakeShortName(u"日本語.txt", false, used), "___.TXT");
    EXPECT_EQ(dw::MakeShortName(u"my.folder", true, used), "MYFOLDER");
    used = {"README.TXT", "README~1.TXT"};
    EXPECT_EQ(dw::MakeShortName(u"ReadMe.txt", false, used), "README~2.TXT");
    used = {"NOEXT."};
    EXPECT_EQ(dw::MakeShortName(u"noext", false, used), "NOEXT~1");
}

TEST(Tree, ErrorTexts) {
    TDiscWriter w;
    EXPECT_EQ(w.GetErrorString(0), "Unknown/No Error!");
    EXPECT_EQ(w.GetErrorString(1), "Data not prepared ");
    EXPECT_EQ(w.GetErrorString(2), "Error opening file");
    EXPECT_EQ(w.GetErrorString(3), "Error creating file");
    EXPECT_EQ(w.GetErrorString(4), "Aborted by user");
    EXPECT_EQ(w.GetErrorString(0x52400), "Hardware Error 336896");
    EXPECT_EQ(w.GetErrorStringW(4), u"Aborted by user");
    w.Files().error = 3;
    w.Device().lastError = 77;
    EXPECT_EQ(w.GetErrorNumber(), 3u);
    EXPECT_EQ(w.GetErrorNumber(), 77u) << "then the device's error";
    EXPECT_EQ(w.GetErrorNumber(), 0u);
}

TEST(Tree, ComponentDefaults) {
    TDiscWriter w;
    EXPECT_TRUE(w.GetBurnProof());
    EXPECT_FALSE(w.GetTestWrite());
    EXPECT_FALSE(w.GetFinalizeDisc());
    EXPECT_FALSE(w.GetReplaceFile());
    EXPECT_TRUE(w.GetJolietFileSystem());
    EXPECT_TRUE(w.GetUDFBridge());
    EXPECT_EQ(w.GetCacheSize(), 2u);
    w.SetCacheSize(1);
    EXPECT_EQ(w.GetCacheSize(), 2u);
    w.SetCacheSize(8);
    EXPECT_EQ(w.GetCacheSize(), 8u);
    EXPECT_FALSE(w.GetVolumeID().empty());
    EXPECT_FALSE(w.GetVersion().empty());
    EXPECT_EQ(w.GetBootImage(), "");
    w.SetVolumeIDW(u"Küche");
    EXPECT_EQ(w.GetVolumeID(), "Küche");
}

TEST(Tree, InsertDirReportsEverythingItLeavesOut) {
    TempDir tmp;
    WriteFile(tmp / "src/ok.txt", {1});
    ASSERT_TRUE(WriteHugeSparseFile(tmp / "src/huge.bin"));
    TDiscWriter w;
    EXPECT_EQ(w.InsertDir("/", tmp / "src", "*", true, false), nullptr);
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
              "File too large \\" + (tmp / "src/huge.bin") + "\\");
    EXPECT_TRUE(w.FindDirW(u"/")->firstChild) << "what could be inserted still is";

    // The first failure is the one reported; the walk still takes in the rest.
    std::filesystem::remove(tmp / "src/huge.bin");
    WriteFile(tmp / "src/locked/inner.txt", {2});
    WriteFile(tmp / "src/later/after.txt", {3});
    std::filesystem::permissions(tmp / "src/locked", std::filesystem::perms::none);
    if (geteuid() != 0) { // root lists every folder
        w.ClearAll();
        EXPECT_EQ(w.InsertDir("/", tmp / "src", "*", true, false), nullptr);
        EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
                  "Error opening file \\" + (tmp / "src/locked") + "\\");
        EXPECT_TRUE(w.FindDirW(u"/later/")->firstChild);
    }
    std::filesystem::permissions(tmp / "src/locked", std::filesystem::perms::owner_all);

    dw::TFindData fd;
    fd.longName = std::u16string(256, u'n');
    EXPECT_EQ(w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); }), nullptr);
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
              "Name not supported \\/" + std::string(256, 'n') + "\\");
    ASSERT_TRUE(w.InsertMemoryFile(
        "/",
        [] {
            dw::TFindData f;
            f.longName = u"taken";
            return f;
        }(),
        [](auto...) { return int64_t(0); }));
    EXPECT_EQ(w.CreateDir("/", "TAKEN"), nullptr) << "the file's name, ignoring case";
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()), "Name already used \\/TAKEN\\");
    EXPECT_EQ(w.GetErrorNumber(), 0u) << "read once, then cleared";
}

TEST(Tree, NamesFromDiskThatDifferOnlyInCaseAreAllKept) {
    TempDir tmp;
    WriteFile(tmp / "src/a.txt", {1});
    WriteFile(tmp / "src/A.txt", {2});
    WriteFile(tmp / "src/dir/lower.txt", {3});
    WriteFile(tmp / "src/Dir/upper.txt", {4});
    TDiscWriter w;
    ASSERT_EQ(w.InsertDir("/", tmp / "src", "*", true, false), w.Files().root);
    EXPECT_EQ(w.GetErrorNumber(), 0u);
    EXPECT_EQ(w.GetFileCount(), 6u);
    EXPECT_EQ(w.GetDirCount(), 2u);
    std::map<std::u16string, std::string> iso;
    for (auto* e = w.Files().root->firstChild; e; e = e->next)
        iso[e->jolietName] = Iso(e);
    EXPECT_EQ(iso, (std::map<std::u16string, std::string>{{u"A.txt;1", "A.TXT;1"},
                                                          {u"a.txt;1", "A~1.TXT;1"},
                                                          {u"Dir", "DIR"},
                                                          {u"dir", "DIR~1"}}));
    // Folders spelt exactly are found first; another spelling finds one of them.
    auto* lower = w.FindDirW(u"/dir");
    auto* upper = w.FindDirW(u"/Dir");
    ASSERT_TRUE(lower && upper);
    EXPECT_NE(lower, upper);
    EXPECT_EQ(lower->firstChild->longName, u"lower.txt");
    EXPECT_EQ(upper->firstChild->longName, u"upper.txt");
    EXPECT_TRUE(w.FindDirW(u"/DIR"));

    // The same folder again: exact names meet their own entries, nothing is doubled.
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
    EXPECT_EQ(w.GetFileCount(), 6u);
    // A caller's own insert keeps matching regardless of case.
    EXPECT_TRUE(w.InsertFile("/", tmp / "src/a.txt"));
    EXPECT_EQ(w.GetFileCount(), 6u);
}

TEST(Tree, ManyClashingShortNamesAreNumberedInOrder) {
    TDiscWriter w;
    constexpr int kCount = 12000;
    auto insert = [&](int i) {
        dw::TFindData fd;
        fd.longName = u"inventory photo number " + dw::Utf8ToUtf16(std::to_string(i)) + u".jpg";
        return w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); });
    };
    std::vector<std::string> names;
    for (int i = 0; i < kCount; ++i)
        names.push_back(Iso(insert(i)));
    // Reference: the plain cut first, then ~n from 1 with the base cut to leave room for it.
    auto expected = [](int n) {
        std::string tail = "~" + std::to_string(n);
        return std::string("INVENTORYPHOTONUMBER").substr(0, 8 - tail.size()) + tail + ".JPG;1";
    };
    std::vector<std::string> want{"INVENTOR.JPG;1"};
    for (int i = 1; i < kCount; ++i)
        want.push_back(expected(i));
    EXPECT_EQ(names, want);
    // Another stem meets the numbers above once its own ~n needs a shorter base.
    std::vector<std::string> others;
    for (int k = 0; k < 12; ++k) {
        dw::TFindData fd;
        fd.longName = u"invenzzz " + dw::Utf8ToUtf16(std::to_string(k)) + u".jpg";
        others.push_back(Iso(w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(0); })));
    }
    std::vector<std::string> wantOthers{"INVENZZZ.JPG;1"};
    for (int k = 1; k < 10; ++k)
        wantOthers.push_back("INVENZ~" + std::to_string(k) + ".JPG;1");
    wantOthers.push_back(expected(kCount));
    wantOthers.push_back(expected(kCount + 1));
    EXPECT_EQ(others, wantOthers);
    EXPECT_EQ(Iso(insert(kCount)), expected(kCount + 2));

    // A replaced entry frees its number and takes the lowest free one again.
    w.SetReplaceFile(true);
    EXPECT_EQ(Iso(insert(5)), expected(5));
    w.SetReplaceFile(false);
    EXPECT_EQ(Iso(insert(kCount + 1)), expected(kCount + 3));
}
