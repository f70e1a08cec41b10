// Images made by quivera-mkiso, read back by independent readers: xorriso, isoinfo, udfinfo,
// 7z and pycdlib.
#include "burner/dwdiscwriter.h"
#include "support.h"

#include <gtest/gtest.h>

#include <map>
#include <unistd.h>

using namespace burner_test;

namespace {

const std::string kMkiso = QUIVERA_MKISO;
const std::string kChecker = QUIVERA_CHECK_IMAGE;

std::pair<size_t, size_t> CountFilesAndFolders(const std::map<std::string, std::string>& snap) {
    size_t files = 0, dirs = 0;
    for (auto& [k, v] : snap)
        (v == "/" ? dirs : files)++;
    return {files, dirs};
}

void MakeMixedTree(const std::string& root) {
    WriteFile(root + "/readme", Bytes(17, 1));
    WriteFile(root + "/exactly one block.bin", Bytes(2048, 2));
    WriteFile(root + "/empty.txt", {});
    WriteFile(root + "/Küche und Bäder/Übersicht ñandú.txt", Bytes(3000, 3));
    WriteFile(root + "/Küche und Bäder/empty", {});
    WriteFile(root + "/" + std::string(60, 'n') + ".jpg", Bytes(70000, 4)); // 64 characters
    WriteFile(root + "/a/b/c/d/deep file.dat", Bytes(100000, 5));
    WriteFile(root + "/a/b/two blocks", Bytes(4096, 6));
    WriteFile(root + "/a/b/c/another.doc", Bytes(1, 7));
    fs::create_directories(root + "/empty folder");
    WriteFile(root + "/Photos 2024/IMG_0001.JPG", Bytes(123457, 8));
    WriteFile(root + "/Photos 2024/IMG 0001.jpg", Bytes(2047, 9)); // clashes in 8.3 form
    WriteFile(root + "/Photos 2024/ΑΒΓ δέλτα.png", Bytes(2049, 10));
    // Names that differ only in case are separate files on Linux.
    WriteFile(root + "/Photos 2024/img_0001.jpg", Bytes(10, 11));
    WriteFile(root + "/notes/todo.txt", Bytes(20, 12));
    WriteFile(root + "/Notes/TODO.txt", Bytes(30, 13));
}

void MakeLargeFolder(const std::string& root) {
    for (int i = 0; i < 1000; ++i)
        WriteFile(root + "/many/inventory photo number " + std::to_string(i) + ".jpg",
                  Bytes(size_t(i % 7) * 300, uint32_t(i)));
    WriteFile(root + "/top.txt", Bytes(10, 1));
}

// Sizes one file so that the file data end exactly on a multiple of 32 blocks.
void MakeBoundaryTree(const std::string& root, bool joliet, bool udf) {
    WriteFile(root + "/sub/first.bin", Bytes(5000, 1));
    WriteFile(root + "/filler.bin", Bytes(2048, 2));
    dw::TDiscWriter probe;
    probe.SetJolietFileSystem(joliet);
    probe.SetUDFBridge(udf);
    ASSERT_TRUE(probe.InsertDir("/", root, "*", true, false));
    probe.Prepare();
    const auto& f = probe.Files();
    uint32_t end = f.fileDataStart + f.fileBlocks;
    uint32_t fillerBlocks = 1 + (32 - end % 32) % 32 + 32;
    WriteFile(root + "/filler.bin", Bytes(size_t(fillerBlocks) * 2048, 2));
}

struct Flags {
    bool joliet, udf;
};

class Readers : public ::testing::TestWithParam<Flags> {
  protected:
    void CheckImage(const std::string& src, const std::string& volumeId,
                    bool expectBoundary = false) {
        const Flags fl = GetParam();
        const std::string iso = tmp_ / "image.iso";
        std::string out;
        std::string cmd = Quote(kMkiso) + " --volume-id " + Quote(volumeId) +
                          (fl.joliet ? "" : " --no-joliet") + (fl.udf ? "" : " --no-udf") + " -o " +
                          Quote(iso) + " " + Quote(src);
        ASSERT_EQ(Shell(cmd, &out), 0) << out;
        const size_t blocks = ReadFile(iso).size() / 2048;
        ASSERT_EQ(blocks % 32, 0u);

        EXPECT_EQ(Shell("xorriso -return_with WARNING 32 -indev " + Quote(iso) + " -toc", &out), 0)
            << out;

        ASSERT_EQ(Shell("isoinfo -d -i " + Quote(iso), &out), 0) << out;
        std::string upper = volumeId;
        for (auto& c : upper)
            c = char(toupper(c));
        EXPECT_NE(out.find("Volume id: " + upper + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find("Logical block size is: 2048\n"), std::string::npos) << out;
        EXPECT_NE(out.find("Volume size is: " + std::to_string(blocks) + "\n"), std::string::npos)
            << out;
        EXPECT_EQ(out.find("Joliet with UCS level 1 found") != std::string::npos, fl.joliet) << out;

        const auto source = Snapshot(src);
        if (fl.joliet) {
            std::string dest = tmp_ / "joliet";
            ASSERT_EQ(ExtractWithXorriso(iso, dest, &out), 0) << out;
            EXPECT_TRUE(Snapshot(dest) == source) << "Joliet tree differs";
        }
        if (fl.udf) {
            ASSERT_EQ(Shell("udfinfo " + Quote(iso), &out), 0) << out;
            auto [files, dirs] = CountFilesAndFolders(source);
            EXPECT_NE(out.find("udfrev=1.50\n"), std::string::npos) << out;
            EXPECT_NE(out.find("numfiles=" + std::to_string(files) + "\n"), std::string::npos)
                << out;
            EXPECT_NE(out.find("numdirs=" + std::to_string(dirs + 1) + "\n"), std::string::npos)
                << out;
            EXPECT_NE(out.find("label=" + volumeId + "\n"), std::string::npos) << out;
            std::string dest = tmp_ / "udf";
            ASSERT_EQ(Shell("7z x -tudf -y -o" + Quote(dest) + " " + Quote(iso), &out), 0) << out;
            EXPECT_TRUE(Snapshot(dest) == source) << "UDF tree differs";
            if (expectBoundary) {
                // The closing anchor needed a chunk of its own.
                auto img = ReadFile(iso);
                EXPECT_EQ(img[(blocks - 1) * 2048], 2);
                EXPECT_TRUE(std::all_of(img.begin() + long(blocks - 32) * 2048,
                                        img.begin() + long(blocks - 1) * 2048,
                                        [](uint8_t c) { return c == 0; }));
            }
        }
        EXPECT_EQ(Shell("/usr/bin/python3 " + Quote(kChecker) + " " + Quote(iso) + " " +
                            Quote(src) + (fl.joliet ? " 1" : " 0") + (fl.udf ? " 1" : " 0"),
                        &out),
                  0)
            << out;
    }
    TempDir tmp_;
};

} // namespace

TEST_P(Readers, MixedTree) {
    MakeMixedTree(tmp_ / "src");
    CheckImage(tmp_ / "src", "QIV Backup");
}

TEST_P(Readers, FolderOfAThousandFiles) {
    MakeLargeFolder(tmp_ / "src");
    CheckImage(tmp_ / "src", "LARGE_FOLDER");
}

TEST_P(Readers, DataEndingOnAChunkBoundary) {
    MakeBoundaryTree(tmp_ / "src", GetParam().joliet, GetParam().udf);
    CheckImage(tmp_ / "src", "Boundary", true);
}

INSTANTIATE_TEST_SUITE_P(Flags, Readers,
                         ::testing::Values(Flags{true, true}, Flags{true, false},
                                           Flags{false, true}, Flags{false, false}),
                         [](const auto& info) {
                             return std::string(info.param.joliet ? "Joliet" : "NoJoliet") +
                                    (info.param.udf ? "Udf" : "NoUdf");
                         });

TEST(MkisoTool, BootImageIsReadByXorriso) {
    TempDir tmp;
    WriteFile(tmp / "src/file.txt", Bytes(100, 1));
    WriteFile(tmp / "boot.img", Bytes(2048, 2));
    std::string out;
    ASSERT_EQ(Shell(Quote(kMkiso) + " -q --boot " + Quote(tmp / "boot.img") + " -o " +
                        Quote(tmp / "b.iso") + " " + Quote(tmp / "src"),
                    &out),
              0)
        << out;
    // The boot image is not a file of the tree, which libisofs notes with a warning only.
    ASSERT_EQ(Shell("xorriso -return_with FAILURE 32 -indev " + Quote(tmp / "b.iso") +
                        " -report_el_torito plain",
                    &out),
              0)
        << out;
    EXPECT_NE(out.find("El Torito boot img :   1  BIOS  y"), std::string::npos) << out;
    EXPECT_EQ(Shell("/usr/bin/python3 " + Quote(kChecker) + " " + Quote(tmp / "b.iso") + " " +
                        Quote(tmp / "src") + " 1 1",
                    &out),
              0)
        << out;
}

TEST(MkisoTool, FailuresExitNonZeroWithTheReason) {
    TempDir tmp;
    std::string out;
    EXPECT_NE(
        Shell(Quote(kMkiso) + " -o " + Quote(tmp / "x.iso") + " " + Quote(tmp / "missing"), &out),
        0);
    EXPECT_NE(out.find("cannot read folder"), std::string::npos) << out;
    WriteFile(tmp / "src/a.txt", {1});
    EXPECT_NE(Shell(Quote(kMkiso) + " -o " + Quote(tmp / "no/dir/x.iso") + " " + Quote(tmp / "src"),
                    &out),
              0);
    EXPECT_NE(out.find("Error creating file"), std::string::npos) << out;
    WriteFile(tmp / "bad.img", Bytes(1000, 1));
    EXPECT_NE(Shell(Quote(kMkiso) + " --boot " + Quote(tmp / "bad.img") + " -o " +
                        Quote(tmp / "x.iso") + " " + Quote(tmp / "src"),
                    &out),
              0);
    EXPECT_NE(Shell(Quote(kMkiso), &out), 0);
    if (geteuid() != 0) { // root reads everything
        WriteFile(tmp / "locked/secret.txt", {1, 2});
        fs::permissions(tmp / "locked/secret.txt", fs::perms::none);
        EXPECT_NE(Shell(Quote(kMkiso) + " -o " + Quote(tmp / "y.iso") + " " + Quote(tmp / "locked"),
                        &out),
                  0);
        EXPECT_NE(out.find("Error opening file \\" + (tmp / "locked/secret.txt") + "\\"),
                  std::string::npos)
            << out;
        EXPECT_FALSE(fs::exists(tmp / "y.iso")) << "a failed image is removed";
    }
}

TEST(MkisoTool, FilesLeftOutOfTheTreeFailTheRun) {
    TempDir tmp;
    std::string out;
    WriteFile(tmp / "src/small.txt", {1});
    ASSERT_TRUE(WriteHugeSparseFile(tmp / "src/huge.bin"));
    EXPECT_NE(Shell(Quote(kMkiso) + " -o " + Quote(tmp / "x.iso") + " " + Quote(tmp / "src"), &out),
              0);
    EXPECT_NE(out.find("File too large \\" + (tmp / "src/huge.bin") + "\\"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("100%"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(tmp / "x.iso"));
    if (geteuid() != 0) { // root lists every folder
        fs::remove(tmp / "src/huge.bin");
        WriteFile(tmp / "src/sealed/inside.txt", {2});
        fs::permissions(tmp / "src/sealed", fs::perms::none);
        EXPECT_NE(
            Shell(Quote(kMkiso) + " -o " + Quote(tmp / "x.iso") + " " + Quote(tmp / "src"), &out),
            0);
        EXPECT_NE(out.find("Error opening file \\" + (tmp / "src/sealed") + "\\"),
                  std::string::npos)
            << out;
        fs::permissions(tmp / "src/sealed", fs::perms::owner_all);
    }
}
