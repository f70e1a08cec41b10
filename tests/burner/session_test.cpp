// Image builds through the cache and write threads: completion, failures, abort.
#include "burner/dwdiscwriter.h"
#include "support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace burner_test;
using dw::TDiscWriter;

TEST(Session, UnpreparedTreeIsRefused) {
    TempDir tmp;
    TDiscWriter w;
    bool called = false;
    w.SetOnWriteDone([&](void*, bool) { called = true; });
    EXPECT_FALSE(w.BuildISOImage(tmp / "a.iso"));
    EXPECT_FALSE(called);
    EXPECT_EQ(w.GetErrorNumber(), 1u);
    w.Prepare();
    dw::TFindData fd;
    fd.longName = u"late.txt";
    fd.size = 1;
    w.InsertMemoryFile("/", fd, [](auto...) { return int64_t(1); });
    EXPECT_FALSE(w.BuildISOImage(tmp / "a.iso")) << "an insert after Prepare needs a new Prepare";
    EXPECT_EQ(w.GetErrorNumber(), 1u);
}

TEST(Session, ImageFileThatCannotBeCreated) {
    TempDir tmp;
    TDiscWriter w;
    w.Prepare();
    EXPECT_FALSE(w.BuildISOImage(tmp / "no/such/folder/a.iso"));
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
              "Error creating file \\" + (tmp / "no/such/folder/a.iso") + "\\");
}

TEST(Session, FileRemovedBeforeTheBuildFailsWithItsName) {
    TempDir tmp;
    WriteFile(tmp / "src/gone.jpg", Bytes(100, 1));
    WriteFile(tmp / "src/kept.jpg", Bytes(100, 2));
    TDiscWriter w;
    ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
    std::filesystem::remove(tmp / "src/gone.jpg");
    std::atomic<int> calls{0};
    std::atomic<bool> failed{false};
    w.SetOnWriteDone([&](void* sender, bool f) {
        EXPECT_EQ(sender, &w);
        failed = f;
        ++calls;
    });
    w.Prepare();
    // The failure comes before the writer could start: reported at once.
    EXPECT_FALSE(w.BuildISOImage(tmp / "a.iso"));
    w.WaitForSession();
    EXPECT_EQ(calls.load(), 1);
    EXPECT_TRUE(failed.load());
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
              "Error opening file \\" + (tmp / "src/gone.jpg") + "\\");
    EXPECT_EQ(w.GetComponentStatus(), 0);
}

TEST(Session, FailureAfterTheWriterStartedIsReportedThroughTheHandler) {
    TempDir tmp;
    TDiscWriter w;
    dw::TFindData fd;
    fd.longName = u"big.bin";
    fd.size = 8 * 1048576; // more than the 2 MiB cache: the writer starts first
    w.InsertMemoryFile("/", fd, [](dw::TFileEntry*, uint64_t pos, uint8_t*, uint32_t n) {
        return pos >= 6 * 1048576 ? int64_t(-1) : int64_t(n);
    });
    BuildResult r = BuildAndWait(w, tmp / "a.iso");
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.handlerCalled);
    EXPECT_TRUE(r.writeFailed);
    EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()), "Error opening file \\big.bin\\");
}

TEST(Session, AbortDuringTheWrite) {
    TempDir tmp;
    TDiscWriter w;
    std::atomic<bool> reached{false};
    dw::TFindData fd;
    fd.longName = u"slow.bin";
    fd.size = 16 * 1048576;
    w.InsertMemoryFile("/", fd, [&](dw::TFileEntry*, uint64_t pos, uint8_t* b, uint32_t n) {
        std::memset(b, 0x11, n);
        if (pos >= 4 * 1048576) {
            reached = true;
            while (!w.Files().abort)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return int64_t(n);
    });
    std::atomic<bool> done{false}, failed{false};
    w.SetOnWriteDone([&](void*, bool f) {
        failed = f;
        done = true;
    });
    w.Prepare();
    ASSERT_TRUE(w.BuildISOImage(tmp / "a.iso"));
    while (!reached)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    w.AbortBurn();
    w.WaitForSession();
    EXPECT_EQ(w.GetComponentStatus(), 0) << "the writer ends every session idle";
    EXPECT_TRUE(done.load());
    EXPECT_TRUE(failed.load());
    EXPECT_EQ(w.GetErrorNumber(), 4u);
    EXPECT_LT(w.GetBlocksWritten(), w.GetImageSize());
    EXPECT_EQ(w.GetCachePosition(), 0u) << "queued chunks are released";
}

TEST(Session, MemoryFilesAndTheSynchronizer) {
    TempDir tmp;
    TDiscWriter w;
    w.SetUDFBridge(false);
    w.SetCacheSize(3);
    std::vector<uint8_t> payload = Bytes(300000, 9);
    dw::TFindData fd;
    fd.longName = u"report.csv";
    fd.size = payload.size();
    auto* e =
        w.InsertMemoryFile("/", fd, [&](dw::TFileEntry*, uint64_t pos, uint8_t* b, uint32_t n) {
            std::memcpy(b, payload.data() + pos, n);
            return int64_t(n);
        });
    ASSERT_TRUE(e);
    std::atomic<int> synced{0};
    w.SetSynchronizer([&](std::function<void()> run) {
        ++synced;
        run();
    });
    BuildResult r = BuildAndWait(w, tmp / "m.iso");
    ASSERT_TRUE(r.handlerCalled);
    EXPECT_FALSE(r.writeFailed);
    EXPECT_EQ(synced.load(), 1);
    auto img = ReadFile(tmp / "m.iso");
    ASSERT_EQ(img.size(), size_t(w.GetImageSize()) * 2048);
    EXPECT_EQ(img.size() % 65536, 0u) << "the last chunk is always whole";
    EXPECT_EQ(w.GetBlocksWritten(), w.GetImageSize());
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), img.begin() + 150 * 2048));
    EXPECT_EQ(w.GetErrorNumber(), 0u);
    EXPECT_EQ(w.Files().queueLimit, 48u);

    // The same component builds again after a change.
    fd.longName = u"second.csv";
    w.InsertMemoryFile("/", fd, [&](dw::TFileEntry*, uint64_t pos, uint8_t* b, uint32_t n) {
        std::memcpy(b, payload.data() + pos, n);
        return int64_t(n);
    });
    r = BuildAndWait(w, tmp / "m2.iso");
    EXPECT_FALSE(r.writeFailed);
    img = ReadFile(tmp / "m2.iso");
    uint32_t second = 150 + (300000 + 2047) / 2048;
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), img.begin() + second * 2048));
}

TEST(Session, DestroyingTheComponentMidBuildStopsTheThreads) {
    TempDir tmp;
    std::atomic<bool> called{false};
    {
        TDiscWriter w;
        dw::TFindData fd;
        fd.longName = u"endless.bin";
        fd.size = 512 * 1048576;
        w.InsertMemoryFile("/", fd, [](dw::TFileEntry*, uint64_t, uint8_t*, uint32_t n) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return int64_t(n);
        });
        w.SetOnWriteDone([&](void*, bool) { called = true; });
        w.Prepare();
        ASSERT_TRUE(w.BuildISOImage(tmp / "e.iso"));
    }
    EXPECT_FALSE(called.load()) << "nobody is left to tell";
}
