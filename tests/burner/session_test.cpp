// Image builds through the cache and write threads: completion, failures, abort.
#include "burner/dwdiscwriter.h"
#include "support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
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

namespace {

dw::TFindData MemoryFile(const char16_t* name, uint64_t size) {
    dw::TFindData fd;
    fd.longName = name;
    fd.size = size;
    return fd;
}

} // namespace

TEST(Session, ShortReadsAreCompletedAndEarlyEndsAreReadErrors) {
    TempDir tmp;
    std::vector<uint8_t> payload = Bytes(150000, 4);
    {
        // A reader that delivers at most 1000 bytes a call is asked again for the rest.
        TDiscWriter w;
        w.SetUDFBridge(false);
        w.InsertMemoryFile("/", MemoryFile(u"trickle.bin", payload.size()),
                           [&](dw::TFileEntry*, uint64_t pos, uint8_t* b, uint32_t n) {
                               n = std::min<uint32_t>(n, 1000);
                               std::memcpy(b, payload.data() + pos, n);
                               return int64_t(n);
                           });
        BuildResult r = BuildAndWait(w, tmp / "t.iso");
        ASSERT_TRUE(r.handlerCalled);
        EXPECT_FALSE(r.writeFailed);
        auto img = ReadFile(tmp / "t.iso");
        ASSERT_GE(img.size(), 150 * 2048 + payload.size());
        EXPECT_TRUE(std::equal(payload.begin(), payload.end(), img.begin() + 150 * 2048));
    }
    {
        // A reader whose data end before the size it declared.
        TDiscWriter w;
        w.InsertMemoryFile("/", MemoryFile(u"short.bin", 10000),
                           [](dw::TFileEntry*, uint64_t pos, uint8_t* b, uint32_t n) {
                               uint32_t k = pos >= 5000 ? 0 : std::min<uint32_t>(n, 5000);
                               std::memset(b, 7, k);
                               return int64_t(k);
                           });
        BuildResult r = BuildAndWait(w, tmp / "s.iso");
        EXPECT_TRUE(r.handlerCalled && r.writeFailed);
        EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()), "Error opening file \\short.bin\\");
    }
    {
        // A file that shrank after it was inserted.
        WriteFile(tmp / "src/shrinks.bin", Bytes(9000, 5));
        TDiscWriter w;
        ASSERT_TRUE(w.InsertFile("/", tmp / "src/shrinks.bin"));
        WriteFile(tmp / "src/shrinks.bin", Bytes(3000, 5));
        BuildResult r = BuildAndWait(w, tmp / "f.iso");
        EXPECT_TRUE(r.handlerCalled && r.writeFailed);
        EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()),
                  "Error opening file \\" + (tmp / "src/shrinks.bin") + "\\");
    }
}

TEST(Session, ExceptionsInsideTheThreadsEndTheBuildWithAnErrorCode) {
    TempDir tmp;
    struct Case {
        std::function<void()> raise;
        uint32_t code;
    };
    for (const Case& c : {Case{[] { throw std::bad_alloc(); }, 5u},
                          Case{[] { throw std::runtime_error("reader broke"); }, 6u}}) {
        TDiscWriter w;
        w.InsertMemoryFile("/", MemoryFile(u"bad.bin", 100),
                           [&](dw::TFileEntry*, uint64_t, uint8_t*, uint32_t) -> int64_t {
                               c.raise();
                               return 0;
                           });
        BuildResult r = BuildAndWait(w, tmp / "x.iso");
        EXPECT_TRUE(r.handlerCalled && r.writeFailed);
        EXPECT_EQ(w.GetErrorNumber(), c.code);
        EXPECT_EQ(w.GetComponentStatus(), 0);
        EXPECT_FALSE(w.IsBusy());
    }
    EXPECT_EQ(TDiscWriter().GetErrorString(5), "Out of memory");

    // A completion handler that cannot even be copied must not take the process down.
    struct Uncopyable {
        Uncopyable() = default;
        Uncopyable(Uncopyable&&) = default;
        Uncopyable(const Uncopyable&) { throw std::bad_alloc(); }
        void operator()(void*, bool) const {}
        char padding[64] = {}; // kept outside the function object's own storage
    };
    TDiscWriter w;
    w.InsertMemoryFile("/", MemoryFile(u"fine.bin", 10),
                       [](dw::TFileEntry*, uint64_t, uint8_t* b, uint32_t n) {
                           std::memset(b, 1, n);
                           return int64_t(n);
                       });
    w.SetOnWriteDone(Uncopyable());
    w.Prepare();
    ASSERT_TRUE(w.BuildISOImage(tmp / "y.iso"));
    w.WaitForSession();
    EXPECT_FALSE(w.IsBusy());
    EXPECT_EQ(w.GetBlocksWritten(), w.GetImageSize());
    EXPECT_FALSE(w.GetOnWriteDone()) << "the copy fails: an empty handler and an error code";
    EXPECT_EQ(w.GetErrorNumber(), 5u);
}

TEST(Session, SettingsCannotChangeDuringABuild) {
    TempDir tmp;
    WriteFile(tmp / "boot.img", Bytes(2048, 1));
    TDiscWriter w;
    std::atomic<bool> reached{false}, release{false};
    w.InsertMemoryFile("/", MemoryFile(u"slow.bin", 8 * 1048576),
                       [&](dw::TFileEntry*, uint64_t pos, uint8_t* b, uint32_t n) {
                           std::memset(b, 0x22, n);
                           if (pos >= 4 * 1048576) {
                               reached = true;
                               while (!release)
                                   std::this_thread::sleep_for(std::chrono::milliseconds(1));
                           }
                           return int64_t(n);
                       });
    std::atomic<bool> done{false}, failed{true};
    w.SetOnWriteDone([&](void*, bool f) {
        failed = f;
        done = true;
    });
    w.SetVolumeID("Before");
    w.Prepare();
    ASSERT_TRUE(w.BuildISOImage(tmp / "a.iso"));
    while (!reached)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    w.SetVolumeID("After");
    w.SetVolumeIDW(u"After");
    w.SetJolietFileSystem(false);
    w.SetUDFBridge(false);
    EXPECT_FALSE(w.SetBootImage(tmp / "boot.img"));
    release = true;
    w.WaitForSession();
    EXPECT_TRUE(done.load());
    EXPECT_FALSE(failed.load());
    EXPECT_EQ(w.GetVolumeID(), "Before");
    EXPECT_TRUE(w.GetJolietFileSystem());
    EXPECT_TRUE(w.GetUDFBridge());
    EXPECT_EQ(w.GetBootImage(), "");
    EXPECT_TRUE(w.Files().prepared) << "the layout that was written is still the current one";
    EXPECT_TRUE(w.SetBootImage(tmp / "boot.img")) << "accepted again once idle";
}
