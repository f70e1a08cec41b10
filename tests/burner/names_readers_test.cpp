// Trees with every awkward name, made into images by quivera-mkiso and read back by independent
// readers; and the tool's handling of its output, special files and deep trees.
#include "name_tree.h"
#include "support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace burner_test;

namespace {

const std::string kMkiso = QUIVERA_MKISO;
const std::string kChecker = QUIVERA_CHECK_IMAGE;

// Every regular file below `root`, by contents.
std::map<size_t, size_t> Contents(const std::string& root, size_t* files = nullptr) {
    std::map<size_t, size_t> out;
    size_t n = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file()) continue;
        ++out[ContentKey(ReadFile(it->path().string()))];
        ++n;
    }
    if (files) *files = n;
    return out;
}

struct Variant {
    uint32_t seed;
    bool joliet, udf;
};

class NameTrees : public ::testing::TestWithParam<Variant> {
  protected:
    TempDir tmp_;
};

} // namespace

TEST_P(NameTrees, EveryFileComesBackFromEveryReader) {
    const Variant v = GetParam();
    const std::string src = tmp_ / "src", iso = tmp_ / "names.iso";
    const NameTree tree = MakeNameTree(src, v.seed);
    std::string out;
    ASSERT_EQ(Shell(Quote(kMkiso) + " -q" + (v.joliet ? "" : " --no-joliet") +
                        (v.udf ? "" : " --no-udf") + " -o " + Quote(iso) + " " + Quote(src),
                    &out),
              0)
        << out;
    EXPECT_EQ(out, "") << "nothing to report for this tree";

    EXPECT_EQ(Shell("xorriso -return_with WARNING 32 -indev " + Quote(iso) + " -toc", &out), 0)
        << out;

    // iso-info lists every folder (the Joliet tree when there is one).
    ASSERT_EQ(Shell("iso-info -l -i " + Quote(iso), &out), 0) << out;
    size_t listed = 0;
    for (size_t pos = 0; pos < out.size();) {
        size_t end = out.find('\n', pos);
        if (end == std::string::npos) end = out.size();
        // A folder's heading is its path followed by a colon, alone on its line.
        const std::string line = out.substr(pos, end - pos);
        if (line.size() >= 2 && line.front() == '/' && line.back() == ':') ++listed;
        pos = end + 1;
    }
    EXPECT_EQ(listed, tree.folders + 1) << out;

    // osirrox: every file (Joliet names, or the primary ones without Joliet).
    size_t count = 0;
    ASSERT_EQ(ExtractWithXorriso(iso, tmp_ / "osirrox", &out), 0) << out;
    EXPECT_EQ(Contents(tmp_ / "osirrox", &count), tree.contents);
    EXPECT_EQ(count, tree.files);

    if (v.udf) {
        ASSERT_EQ(Shell("7z x -tudf -y -o" + Quote(tmp_ / "udf") + " " + Quote(iso), &out), 0)
            << out;
        EXPECT_EQ(Contents(tmp_ / "udf", &count), tree.contents);
        EXPECT_EQ(count, tree.files);
        // UDF keeps the real names where they are valid UTF-8.
        for (const auto& n : AwkwardFileNames()) {
            if (n.find('\xE9') == std::string::npos && n.find('\xE8') == std::string::npos) {
                EXPECT_TRUE(fs::exists(tmp_ / ("udf/" + n))) << n;
            }
        }
    }

    // Sorted records, descriptor fields and dates; pycdlib's own checks; contents per depth.
    EXPECT_EQ(Shell("/usr/bin/python3 " + Quote(kChecker) + " " + Quote(iso) + " " + Quote(src) +
                        (v.joliet ? " 1" : " 0") + (v.udf ? " 1" : " 0") + " contents",
                    &out),
              0)
        << out;
}

INSTANTIATE_TEST_SUITE_P(Variants, NameTrees,
                         ::testing::Values(Variant{1, true, true}, Variant{2, true, false},
                                           Variant{3, false, true}),
                         [](const auto& info) {
                             return "Seed" + std::to_string(info.param.seed) +
                                    (info.param.joliet ? "Joliet" : "NoJoliet") +
                                    (info.param.udf ? "Udf" : "NoUdf");
                         });

TEST(MkisoNames, TwoFoldersHoldingTheSameNameFailWithThatName) {
    TempDir tmp;
    WriteFile(tmp / "m1/a.txt", {1});
    WriteFile(tmp / "m1/only1.txt", {2});
    WriteFile(tmp / "m2/a.txt", {3});
    WriteFile(tmp / "m2/sub/b.txt", {4});
    WriteFile(tmp / "m1/sub/c.txt", {5});
    std::string out;
    EXPECT_NE(Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "x.iso") + " " + Quote(tmp / "m1") +
                        " " + Quote(tmp / "m2"),
                    &out),
              0);
    EXPECT_NE(out.find("Name already used \\" + (tmp / "m2/a.txt") + "\\"), std::string::npos)
        << out;
    EXPECT_FALSE(fs::exists(tmp / "x.iso"));
    // Folders of the same name merge; only a file clash fails.
    fs::remove(tmp / "m2/a.txt");
    ASSERT_EQ(Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "x.iso") + " " + Quote(tmp / "m1") +
                        " " + Quote(tmp / "m2"),
                    &out),
              0)
        << out;
    ASSERT_EQ(Shell("xorriso -osirrox on -indev " + Quote(tmp / "x.iso") + " -extract / " +
                        Quote(tmp / "back"),
                    &out),
              0)
        << out;
    for (const char* f : {"a.txt", "only1.txt", "sub/b.txt", "sub/c.txt"})
        EXPECT_TRUE(fs::exists(tmp / ("back/" + std::string(f)))) << f;
}

TEST(MkisoOutput, FailuresNeverRemoveWhatTheToolDidNotMake) {
    TempDir tmp;
    WriteFile(tmp / "src/a.txt", Bytes(5000, 1));
    std::string out;
    // A link to a device: the writing fails, the link stays.
    ASSERT_EQ(symlink("/dev/full", (tmp / "full.iso").c_str()), 0);
    EXPECT_NE(
        Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "full.iso") + " " + Quote(tmp / "src"), &out),
        0);
    EXPECT_NE(out.find("Error creating file"), std::string::npos) << out;
    EXPECT_TRUE(fs::is_symlink(tmp / "full.iso")) << "the link was removed";

    // An existing image stays as it was when a run fails.
    WriteFile(tmp / "old.iso", {'o', 'l', 'd'});
    WriteFile(tmp / "m2/a.txt", {2});
    EXPECT_NE(Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "old.iso") + " " + Quote(tmp / "src") +
                        " " + Quote(tmp / "m2"),
                    &out),
              0);
    EXPECT_EQ(ReadFile(tmp / "old.iso"), (std::vector<uint8_t>{'o', 'l', 'd'}));

    // Through a link to a regular file: the file gets the image, the link stays a link, and no
    // temporary file is left beside it.
    ASSERT_EQ(symlink("old.iso", (tmp / "link.iso").c_str()), 0);
    ASSERT_EQ(
        Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "link.iso") + " " + Quote(tmp / "src"), &out),
        0)
        << out;
    EXPECT_TRUE(fs::is_symlink(tmp / "link.iso"));
    EXPECT_EQ(fs::file_size(tmp / "old.iso") % (32 * 2048), 0u);
    EXPECT_GT(fs::file_size(tmp / "old.iso"), 3u);
    size_t entries = 0;
    for (auto& e : fs::directory_iterator(tmp.path())) {
        EXPECT_EQ(e.path().filename().string().find(".old.iso."), std::string::npos)
            << e.path() << " left behind";
        ++entries;
    }
    EXPECT_EQ(entries, 5u); // src, m2, full.iso, old.iso, link.iso

    // A folder is no output.
    EXPECT_NE(
        Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "src") + " " + Quote(tmp / "src"), &out), 0);
    EXPECT_TRUE(fs::is_directory(tmp / "src"));
}

TEST(MkisoOutput, SpecialFilesAreReportedAndFolderLinksFollowedOnRequest) {
    TempDir tmp;
    WriteFile(tmp / "src/plain.txt", {1});
    WriteFile(tmp / "other/inside.txt", {2});
    ASSERT_EQ(mkfifo((tmp / "src/pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/nonexistent/target", (tmp / "src/dangling").c_str()), 0);
    ASSERT_EQ(symlink((tmp / "other").c_str(), (tmp / "src/folder link").c_str()), 0);
    ASSERT_EQ(symlink((tmp / "src").c_str(), (tmp / "other/loop").c_str()), 0);
    ASSERT_EQ(symlink("plain.txt", (tmp / "src/file link").c_str()), 0);
    std::string out;
    ASSERT_EQ(
        Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "a.iso") + " " + Quote(tmp / "src"), &out), 0)
        << out;
    EXPECT_NE(out.find("skipped " + (tmp / "src/pipe") + " (named pipe)"), std::string::npos)
        << out;
    EXPECT_NE(out.find("skipped " + (tmp / "src/dangling") + " (dangling link)"), std::string::npos)
        << out;
    EXPECT_NE(out.find("skipped " + (tmp / "src/folder link") + " (link to a folder)"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("3 special files skipped (--follow-links"), std::string::npos) << out;
    ASSERT_EQ(Shell("xorriso -osirrox on -indev " + Quote(tmp / "a.iso") + " -extract / " +
                        Quote(tmp / "a"),
                    &out),
              0);
    EXPECT_TRUE(fs::exists(tmp / "a/file link")) << "links to files are copied as files";
    EXPECT_FALSE(fs::exists(tmp / "a/folder link"));

    // Followed: the folder comes in, its link back up does not loop.
    ASSERT_EQ(Shell(Quote(kMkiso) + " -q --follow-links -o " + Quote(tmp / "b.iso") + " " +
                        Quote(tmp / "src"),
                    &out),
              0)
        << out;
    EXPECT_NE(out.find("skipped " + (tmp / "src/folder link/loop") +
                       " (link to a folder that contains it)"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("3 special files skipped\n"), std::string::npos) << out;
    ASSERT_EQ(Shell("xorriso -osirrox on -indev " + Quote(tmp / "b.iso") + " -extract / " +
                        Quote(tmp / "b"),
                    &out),
              0);
    EXPECT_TRUE(fs::exists(tmp / "b/folder link/inside.txt"));
}

TEST(MkisoOutput, TreesBeyondTheStandardLimitsAreWrittenWithOneWarning) {
    TempDir tmp;
    std::string deep = tmp / "deep";
    for (int i = 0; i < 10; ++i)
        deep += "/level" + std::to_string(i);
    WriteFile(deep + "/bottom.txt", {1});
    WriteFile(deep + "/second.txt", {2});
    std::string out;
    ASSERT_EQ(Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "deep.iso") + " " + Quote(tmp / "deep"),
                    &out),
              0)
        << out;
    size_t first = out.find("warning:");
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_EQ(out.find("warning:", first + 1), std::string::npos) << "said once: " << out;
    EXPECT_NE(out.find("11 levels deep"), std::string::npos) << out;
    ASSERT_EQ(Shell("xorriso -osirrox on -indev " + Quote(tmp / "deep.iso") + " -extract / " +
                        Quote(tmp / "back"),
                    &out),
              0);
    EXPECT_EQ(ReadFile(tmp / ("back" + deep.substr((tmp / "deep").size()) + "/bottom.txt")),
              (std::vector<uint8_t>{1}));

    // Eight levels and short paths: nothing to say.
    std::string ok = tmp / "ok";
    for (int i = 0; i < 7; ++i)
        ok += "/l" + std::to_string(i);
    WriteFile(ok + "/f.txt", {1});
    ASSERT_EQ(
        Shell(Quote(kMkiso) + " -q -o " + Quote(tmp / "ok.iso") + " " + Quote(tmp / "ok"), &out),
        0);
    EXPECT_EQ(out, "");
}
