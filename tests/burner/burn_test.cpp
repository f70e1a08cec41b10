// Burning onto the simulated drive: the command sequence per medium, the written blocks read
// back by independent readers, the retry paths, failures, erasing and importing a session.
#include "burner/dwdiscwriter.h"
#include "burner/dwscsilib.h"
#include "sim/simdrive.h"
#include "support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <cstdio>
#include <future>
#include <map>
#include <thread>

using namespace burner_test;

namespace {

const std::string kUdfSessionReader = QUIVERA_UDF_SESSION_READER;

void MakeTree(const std::string& root) {
    WriteFile(root + "/QIVUser.mdb", Bytes(150000, 1));
    WriteFile(root + "/readme", Bytes(17, 2));
    WriteFile(root + "/Pictures/Küche 1.jpg", Bytes(70000, 3));
    WriteFile(root + "/Pictures/sofa.jpg", Bytes(4096, 4));
    WriteFile(root + "/empty.txt", {});
}

struct Burner {
    explicit Burner(std::shared_ptr<SimDrive> drive) : sim(std::move(drive)) {
        w.AddDeviceTransport("sim0", "simulated drive", sim);
        w.SelectDevice(0);
        // Short pauses: the simulated drive answers at once.
        w.Device().readyPollMs = 1;
        w.Device().firstRetryMs = 1;
        w.Device().writeRetryMs = 1;
        w.SetOnWriteDone([this](void*, bool failed) { done.set_value(failed); });
        w.SetVolumeID("QIV BACKUP");
    }
    // Burns the folder; the WriteFailed of OnWriteDone, or -1 when Burn refused to start.
    int BurnFolder(const std::string& folder) {
        if (!w.InsertDir("/", folder, "*", true, false)) return -2;
        w.Prepare();
        sim->log.clear();
        return Finish(w.Burn());
    }
    int Finish(bool started) {
        auto f = done.get_future();
        if (!started) {
            // A start abandoned after the threads ran still reports.
            bool ready = f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
            w.WaitForSession();
            done = std::promise<bool>();
            return ready ? -3 : -1;
        }
        bool failed = f.get();
        w.WaitForSession();
        done = std::promise<bool>();
        return failed ? 1 : 0;
    }
    std::shared_ptr<SimDrive> sim;
    dw::TDiscWriter w;
    std::promise<bool> done;
};

// The commands from the last WRITE on: "35 5B/1/1 ..." (CLOSE with function and number, "i"
// for the immediate bit).
std::string Closing(const SimDrive& sim) {
    size_t last = 0;
    for (size_t i = 0; i < sim.log.size(); ++i)
        if (sim.log[i].opcode() == 0x2A) last = i;
    std::string s;
    char b[32];
    for (size_t i = last + 1; i < sim.log.size(); ++i) {
        const auto& c = sim.log[i];
        if (c.opcode() == 0x5B)
            std::snprintf(b, sizeof b, "5B/%d/%d%s ", c.cdb[2] & 7, (c.cdb[4] << 8) | c.cdb[5],
                          (c.cdb[1] & 1) ? "i" : "");
        else
            std::snprintf(b, sizeof b, "%02X ", c.opcode());
        s += b;
    }
    return s;
}

// Every WRITE as (block, count).
std::vector<std::pair<uint32_t, uint32_t>> Writes(const SimDrive& sim) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const auto& c : sim.log)
        if (c.opcode() == 0x2A && c.status == 0)
            out.emplace_back(uint32_t(c.cdb[2]) << 24 | c.cdb[3] << 16 | c.cdb[4] << 8 | c.cdb[5],
                             (c.cdb[7] << 8) | c.cdb[8]);
    return out;
}

size_t Count(const SimDrive& sim, uint8_t opcode) {
    size_t n = 0;
    for (const auto& c : sim.log)
        n += c.opcode() == opcode;
    return n;
}

// The independent readers on an image file, against the source folder.
void CheckWithReaders(const std::string& iso, const std::string& src, const std::string& tmp) {
    std::string out;
    EXPECT_EQ(Shell("xorriso -return_with WARNING 32 -indev " + Quote(iso) + " -toc", &out), 0)
        << out;
    ASSERT_EQ(Shell("isoinfo -d -i " + Quote(iso), &out), 0) << out;
    EXPECT_NE(out.find("Volume id: QIV BACKUP\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Joliet with UCS level 1 found"), std::string::npos) << out;
    const auto source = Snapshot(src);
    ASSERT_EQ(ExtractWithXorriso(iso, tmp + "/x", &out), 0) << out;
    EXPECT_TRUE(Snapshot(tmp + "/x") == source) << "Joliet tree differs";
    ASSERT_EQ(Shell("udfinfo " + Quote(iso), &out), 0) << out;
    EXPECT_NE(out.find("udfrev=1.50\n"), std::string::npos) << out;
    ASSERT_EQ(Shell("7z x -tudf -y -o" + Quote(tmp + "/u") + " " + Quote(iso), &out), 0) << out;
    EXPECT_TRUE(Snapshot(tmp + "/u") == source) << "UDF tree differs";
}

struct MediumCase {
    SimMedium medium;
    bool firstAtZero;
    const char* closing;
};

class BurnPerMedium : public ::testing::TestWithParam<MediumCase> {};

} // namespace

TEST_P(BurnPerMedium, SequenceAndImageReadBack) {
    const MediumCase mc = GetParam();
    TempDir tmp;
    MakeTree(tmp / "src");
    Burner b(std::make_shared<SimDrive>(mc.medium));
    ASSERT_EQ(b.BurnFolder(tmp / "src"), 0) << b.w.GetErrorString(b.w.GetErrorNumber());
    const SimDrive& sim = *b.sim;
    const uint32_t size = b.w.GetImageSize();
    ASSERT_EQ(size % 32, 0u);
    EXPECT_EQ(b.w.GetBlocksWritten(), size);

    // Session start: formats for DVD-RW, time stamp and reservation for DVD-R.
    auto ops = sim.Opcodes();
    size_t firstWrite = ops.find("2A ");
    ASSERT_NE(firstWrite, std::string::npos);
    std::string start = ops.substr(0, firstWrite);
    EXPECT_EQ(start.find("04 ") != std::string::npos,
              mc.medium == SimMedium::DVDRWSequential || mc.medium == SimMedium::DVDRWRestricted)
        << start;
    EXPECT_EQ(start.find("BF 53 ") != std::string::npos, mc.medium == SimMedium::DVDR) << start;
    EXPECT_EQ(start.find("B6 ") != std::string::npos, mc.medium != SimMedium::CDR &&
                                                          mc.medium != SimMedium::CDRW &&
                                                          mc.medium != SimMedium::DVDRAM)
        << start;

    // Every block of the image went to the drive once, in 32-block writes, from the session
    // base; overwritable media got the first chunk at block 0 before the rest.
    auto writes = Writes(sim);
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes[0].first, 0u);
    uint32_t next = 0, total = 0;
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].second, 32u);
        EXPECT_EQ(writes[i].first, next) << i;
        next = writes[i].first + writes[i].second;
        total += writes[i].second;
    }
    EXPECT_EQ(total, size);
    if (mc.firstAtZero) {
        EXPECT_EQ(sim.log[sim.Opcodes().find("2A ") / 3 - 1].opcode(), 0x35);
    }

    EXPECT_EQ(Closing(sim), mc.closing);

    std::string iso = tmp / "disc.iso";
    auto img = sim.Image(0, size);
    WriteFile(iso, img);
    CheckWithReaders(iso, tmp / "src", tmp.path());
}

INSTANTIATE_TEST_SUITE_P(
    Media, BurnPerMedium,
    ::testing::Values(
        MediumCase{SimMedium::CDR, false, "35 51 00 5A 55 5B/2/0i 51 1E 1B 01 00 "},
        MediumCase{SimMedium::CDRW, false, "35 51 00 5A 55 5B/2/0i 51 1E 1B 01 00 "},
        MediumCase{SimMedium::DVDR, false, "35 5B/1/1 5B/1/2 5B/2/3 51 1E 1B 01 00 "},
        MediumCase{SimMedium::DVDRWRestricted, true, "35 5B/1/1 5B/2/0i 51 51 1E 1B 01 00 "},
        MediumCase{SimMedium::DVDRWSequential, true, "35 5B/1/1 5B/2/0i 51 51 1E 1B 01 00 "},
        MediumCase{SimMedium::DVDPlusRW, true, "35 5B/3/255 51 1E 1B 01 00 "},
        MediumCase{SimMedium::DVDPlusR, false, "35 5B/1/1 5B/2/255 51 1E 1B 01 00 "},
        MediumCase{SimMedium::DVDPlusRDL, false, "35 5B/1/1 5B/2/0 51 1E 1B 01 00 "},
        MediumCase{SimMedium::DVDRAM, true, "35 5B/1/0 5A 55 5B/2/0i 1E 1B 01 00 "}),
    [](const auto& info) { return std::string(MediumName(info.param.medium)); });

TEST(BurnRetries, BusyNotReadyAndResetThenWritten) {
    TempDir tmp;
    MakeTree(tmp / "src");
    {
        auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
        Burner b(sim);
        sim->busyCommands = 3;
        sim->notReadyCommands = 2;
        int statusWhileClosing = -1;
        sim->beforeCommand = [&](const dw::TScsiCommand& c) {
            if (c.cdb[0] == 0x5B) statusWhileClosing = b.w.GetComponentStatus();
        };
        ASSERT_EQ(b.BurnFolder(tmp / "src"), 0);
        EXPECT_EQ(statusWhileClosing, 4);
        EXPECT_EQ(Count(*sim, 0x2A), b.w.GetImageSize() / 32 + 5);
        EXPECT_EQ(sim->WrittenEnd(), b.w.GetImageSize());
    }
    {
        // The first chunk of an overwritable disc: a reset is waited out.
        auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusRW);
        Burner b(sim);
        sim->resetOnNextWrite = true;
        ASSERT_EQ(b.BurnFolder(tmp / "src"), 0);
        EXPECT_EQ(sim->log[sim->Opcodes().find("2A ") / 3].asc, 0x29);
        WriteFile(tmp / "a.iso", sim->Image(0, b.w.GetImageSize()));
        CheckWithReaders(tmp / "a.iso", tmp / "src", tmp / "a");
    }
}

TEST(BurnRetries, IncompatibleFormatOnDVDPlusRWIsFormattedOnceThenWritten) {
    TempDir tmp;
    MakeTree(tmp / "src");
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusRW);
    sim->needsFormat = true;
    sim->busyAfterFormat = 2;
    Burner b(sim);
    ASSERT_EQ(b.BurnFolder(tmp / "src"), 0);
    EXPECT_EQ(sim->formats, 1);
    const uint8_t list[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40, 0x98, 0, 0, 0};
    for (const auto& c : sim->log)
        if (c.opcode() == 0x04) {
            EXPECT_EQ(c.dataOut, std::vector<uint8_t>(list, list + 12));
        }
    WriteFile(tmp / "a.iso", sim->Image(0, b.w.GetImageSize()));
    CheckWithReaders(tmp / "a.iso", tmp / "src", tmp / "a");
}

TEST(BurnFailures, WriteFailingForGoodClosesTheDiscAndReportsTheSense) {
    TempDir tmp;
    MakeTree(tmp / "src");
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    sim->failWriteAt = 40;
    Burner b(sim);
    int statusWhileClosing = -1;
    sim->beforeCommand = [&](const dw::TScsiCommand& c) {
        if (c.cdb[0] == 0x5B) statusWhileClosing = b.w.GetComponentStatus();
    };
    ASSERT_EQ(b.BurnFolder(tmp / "src"), 1);
    EXPECT_EQ(statusWhileClosing, 9);
    EXPECT_EQ(b.w.GetComponentStatus(), 0);
    uint32_t e = b.w.GetErrorNumber();
    EXPECT_EQ(e, 0x0C00u);
    EXPECT_EQ(b.w.GetErrorString(e), "Hardware Error 3072");
    EXPECT_EQ(b.w.DescribeSense(b.w.GetFailureSense()), "WRITE(10) failed: sense 3/0C/00");
    EXPECT_EQ(Closing(*sim), "35 5B/1/1 5B/2/255 51 1E 1B 01 00 ");
    EXPECT_EQ(Writes(*sim).size(), 1u); // blocks 0-31 only
    EXPECT_FALSE(b.w.IsBusy());
}

TEST(BurnFailures, AbortInTheMiddleClosesTheDisc) {
    TempDir tmp;
    MakeTree(tmp / "src");
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    sim->busyCommands = 1 << 30; // the drive stays busy until the user gives up
    Burner b(sim);
    ASSERT_TRUE(b.w.InsertDir("/", tmp / "src", "*", true, false));
    b.w.Prepare();
    // The user gives up while the writer waits for the drive.
    int writes = 0, statusAfterAbort = -1;
    sim->beforeCommand = [&](const dw::TScsiCommand& c) {
        if (c.cdb[0] == 0x2A && ++writes == 20) {
            b.w.AbortBurn();
            statusAfterAbort = b.w.GetComponentStatus();
        }
    };
    ASSERT_TRUE(b.w.Burn());
    ASSERT_EQ(b.Finish(true), 1);
    EXPECT_EQ(statusAfterAbort, 7);
    EXPECT_EQ(b.w.GetErrorNumber(), 4u);
    EXPECT_EQ(Closing(*sim), "35 5B/1/1 5B/2/255 51 1E 1B 01 00 ");
}

TEST(BurnFailures, RefusedStartsNameTheCause) {
    TempDir tmp;
    MakeTree(tmp / "src");
    {
        Burner b(std::make_shared<SimDrive>(SimMedium::None));
        EXPECT_EQ(b.BurnFolder(tmp / "src"), -1);
        EXPECT_EQ(b.w.GetErrorString(b.w.GetErrorNumber()), "No disc in the drive");
    }
    {
        Burner b(std::make_shared<SimDrive>(SimMedium::DVDPlusR, 100));
        EXPECT_EQ(b.BurnFolder(tmp / "src"), -1);
        EXPECT_EQ(b.w.GetErrorString(b.w.GetErrorNumber()),
                  "The disc has too little free space for the image");
        EXPECT_EQ(Count(*b.sim, 0x2A), 0u);
    }
    {
        dw::TDiscWriter w;
        w.SetOnWriteDone([](void*, bool) {});
        ASSERT_TRUE(w.InsertDir("/", tmp / "src", "*", true, false));
        w.Prepare();
        EXPECT_FALSE(w.Burn());
        EXPECT_EQ(w.GetErrorString(w.GetErrorNumber()), "No drive selected");
    }
    {
        // A finalised disc is closed: a second burn is refused before writing.
        auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
        Burner b(sim);
        b.w.SetFinalizeDisc(true);
        ASSERT_EQ(b.BurnFolder(tmp / "src"), 0);
        ASSERT_TRUE(sim->Closed());
        b.w.Prepare();
        sim->log.clear();
        EXPECT_EQ(b.Finish(b.w.Burn()), -1);
        EXPECT_EQ(b.w.GetErrorString(b.w.GetErrorNumber()),
                  "The disc in the drive cannot be written");
        EXPECT_EQ(Count(*sim, 0x2A), 0u);
    }
}

TEST(BurnFailures, SourceRemovedBeforeBurnNamesTheFile) {
    TempDir tmp;
    MakeTree(tmp / "src");
    WriteFile(tmp / "src/zz last.bin", Bytes(300000, 9));
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusRW);
    Burner b(sim);
    ASSERT_TRUE(b.w.InsertDir("/", tmp / "src", "*", true, false));
    b.w.Prepare();
    fs::remove(tmp / "src/zz last.bin");
    int r = b.Finish(b.w.Burn());
    EXPECT_NE(r, 0);
    uint32_t e = b.w.GetErrorNumber();
    EXPECT_EQ(e, 2u);
    EXPECT_EQ(b.w.GetErrorString(e), "Error opening file \\" + (tmp / "src/zz last.bin") + "\\");
    EXPECT_FALSE(b.w.IsBusy());
}

TEST(BurnImage, ImageFileWrittenFromBlockZero) {
    TempDir tmp;
    std::vector<uint8_t> data = Bytes(5 * 65536 + 4096, 5);
    WriteFile(tmp / "in.iso", data);
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    Burner b(sim);
    EXPECT_EQ(b.Finish(b.w.BurnISOImage(tmp / "in.iso")), 0);
    auto img = sim->Image(0, 6 * 32);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), img.begin()));
    EXPECT_TRUE(
        std::all_of(img.begin() + long(data.size()), img.end(), [](uint8_t c) { return c == 0; }));
    EXPECT_EQ(b.w.BurnISOImage(tmp / "missing.iso"), false);
    EXPECT_EQ(b.w.GetErrorString(b.w.GetErrorNumber()),
              "Error opening file \\" + (tmp / "missing.iso") + "\\");
}

namespace {
struct EraseCase {
    SimMedium medium;
    bool quick;
    const char* ops; // the commands after the write parameters, WRITEs counted
    bool failed;
};
class ErasePerMedium : public ::testing::TestWithParam<EraseCase> {};
} // namespace

TEST_P(ErasePerMedium, Commands) {
    const EraseCase ec = GetParam();
    auto sim = std::make_shared<SimDrive>(ec.medium);
    sim->discardData = true;
    Burner b(sim);
    std::promise<bool> erased;
    b.w.SetOnEraseDone([&](void*, bool failed) { erased.set_value(failed); });
    ASSERT_TRUE(b.w.EraseDisc(ec.quick));
    EXPECT_EQ(erased.get_future().get(), ec.failed);
    b.w.WaitForSession();
    std::string ops;
    size_t writes = 0;
    size_t i = 0;
    while (i < sim->log.size() && sim->log[i].opcode() != 0x55)
        ++i;
    for (++i; i < sim->log.size(); ++i) {
        const auto& c = sim->log[i];
        if (c.opcode() == 0x2A) {
            EXPECT_EQ((uint32_t(c.cdb[4]) << 8 | c.cdb[5]), writes * 32);
            ++writes;
            continue;
        }
        char t[16];
        std::snprintf(t, sizeof t, c.opcode() == 0xA1 ? "A1/%02X " : "%02X ",
                      c.opcode() == 0xA1 ? c.cdb[1] : c.opcode());
        ops += t;
    }
    ops += "W" + std::to_string(writes);
    EXPECT_EQ(ops, ec.ops);
    // A failed erase names the command that failed.
    if (ec.failed) {
        const std::string why = b.w.DescribeSense(b.w.GetFailureSense());
        EXPECT_EQ(why.rfind("BLANK failed: sense ", 0), 0u) << why;
    }
    EXPECT_EQ(b.w.GetComponentStatus(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Media, ErasePerMedium,
    ::testing::Values(EraseCase{SimMedium::DVDPlusRW, true, "04 51 5B W16", false},
                      EraseCase{SimMedium::DVDPlusRW, false, "04 51 W2048", false},
                      EraseCase{SimMedium::DVDRAM, true, "W128", false},
                      EraseCase{SimMedium::DVDRAM, false, "04 00 W0", false},
                      EraseCase{SimMedium::CDRW, true, "A1/11 51 W0", false},
                      EraseCase{SimMedium::CDRW, false, "A1/10 51 W0", false},
                      EraseCase{SimMedium::DVDRWSequential, true, "A1/11 51 W0", false},
                      EraseCase{SimMedium::DVDRWSequential, false, "A1/10 51 W0", false},
                      EraseCase{SimMedium::DVDRWRestricted, true, "A1/11 51 W0", false},
                      EraseCase{SimMedium::DVDRWRestricted, false, "A1/10 51 W0", false},
                      EraseCase{SimMedium::DVDPlusR, false, "A1/10 W0", true},
                      EraseCase{SimMedium::CDR, true, "A1/11 W0", true}),
    [](const auto& info) {
        return std::string(MediumName(info.param.medium)) + (info.param.quick ? "Quick" : "Full");
    });

// A quick erase of a burnt rewritable disc leaves nothing of the old volume: the next burn
// starts again at block 0 and reads back whole.
TEST(Erase, BurntDiscIsBlankAgainAndTakesANewBurn) {
    for (SimMedium medium : {SimMedium::CDRW, SimMedium::DVDPlusRW, SimMedium::DVDRWSequential}) {
        SCOPED_TRACE(MediumName(medium));
        TempDir tmp;
        MakeTree(tmp / "old");
        WriteFile(tmp / "new/only this.txt", Bytes(3000, 5));
        auto sim = std::make_shared<SimDrive>(medium);
        {
            Burner b(sim);
            ASSERT_EQ(b.BurnFolder(tmp / "old"), 0);
        }
        Burner b(sim);
        std::promise<bool> erased;
        b.w.SetOnEraseDone([&](void*, bool failed) { erased.set_value(failed); });
        ASSERT_TRUE(b.w.EraseDisc(true));
        ASSERT_FALSE(erased.get_future().get());
        b.w.WaitForSession();
        // A DVD+RW always reports its one formatted session; the old volume is gone all the same.
        if (medium != SimMedium::DVDPlusRW) {
            EXPECT_EQ(b.w.SessionsOnDisc(), 0);
        }
        EXPECT_EQ(dw::GetLastRecordedAddress(b.w.Device()), 0u);
        ASSERT_EQ(b.BurnFolder(tmp / "new"), 0) << b.w.GetErrorString(b.w.GetErrorNumber());
        EXPECT_EQ(Writes(*sim).front().first, 0u);
        std::string out;
        WriteFile(tmp / "disc.iso", sim->Image(0, b.w.GetImageSize()));
        ASSERT_EQ(ExtractWithXorriso(tmp / "disc.iso", tmp / "x", &out), 0) << out;
        EXPECT_TRUE(Snapshot(tmp / "x") == Snapshot(tmp / "new")) << out;
    }
}

TEST(ImportSession, BurntDiscGivesBackItsTreeAndASecondSessionKeepsIt) {
    TempDir tmp;
    MakeTree(tmp / "src");
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    {
        Burner b(sim);
        b.w.SetUDFBridge(false);
        ASSERT_EQ(b.BurnFolder(tmp / "src"), 0);
    }
    Burner b(sim);
    b.w.SetUDFBridge(false);
    EXPECT_EQ(b.w.ImportSession(0, "/"), 1);
    EXPECT_EQ(b.w.GetFileCount(), 6u); // five files and the folder
    dw::TDirEntry* pics = b.w.FindDirW(u"/Pictures");
    ASSERT_NE(pics, nullptr);
    size_t names = 0;
    for (auto* e = pics->firstChild; e; e = e->next) {
        EXPECT_TRUE(e->absoluteExtent);
        ++names;
    }
    EXPECT_EQ(names, 2u);
    // A second session with one more file: the reader of the newest session sees both.
    WriteFile(tmp / "more/added.txt", Bytes(5000, 7));
    ASSERT_TRUE(b.w.InsertFile("/", tmp / "more/added.txt"));
    b.w.Prepare();
    uint32_t firstEnd = sim->WrittenEnd();
    sim->log.clear();
    ASSERT_EQ(b.Finish(b.w.Burn()), 0) << b.w.GetErrorString(b.w.GetErrorNumber());
    EXPECT_EQ(Writes(*sim).front().first, (firstEnd + 15) / 16 * 16);
    uint32_t base = Writes(*sim).front().first;
    std::string iso = tmp / "disc.iso";
    WriteFile(iso, sim->Image(0, sim->WrittenEnd()));
    std::string out;
    ASSERT_EQ(ExtractWithXorriso(iso, tmp / "x", &out, long(base)), 0) << out;
    WriteFile(tmp / "src/added.txt", Bytes(5000, 7));
    EXPECT_TRUE(Snapshot(tmp / "x") == Snapshot(tmp / "src")) << out;
}

// A second session (the first without a bridge): the bridge at a non-zero session base. On a
// DVD+RW the new session's first chunk is also at block 0, so every reader finds it through the
// recognition sequence there and the anchor in the last block; on a DVD+R udfinfo is pointed at
// the session.
TEST(UDFBridge, SecondSessionAtANonZeroBase) {
    for (SimMedium medium : {SimMedium::DVDPlusRW, SimMedium::DVDPlusR}) {
        SCOPED_TRACE(MediumName(medium));
        TempDir tmp;
        MakeTree(tmp / "first");
        WriteFile(tmp / "second/new file.txt", Bytes(9000, 21));
        WriteFile(tmp / "second/Pictures/chair.jpg", Bytes(80000, 22));
        auto sim = std::make_shared<SimDrive>(medium);
        {
            Burner b(sim);
            b.w.SetUDFBridge(false);
            ASSERT_EQ(b.BurnFolder(tmp / "first"), 0);
        }
        Burner b(sim);
        ASSERT_EQ(b.BurnFolder(tmp / "second"), 0) << b.w.GetErrorString(b.w.GetErrorNumber());
        uint32_t base = Writes(*sim).back().first + 32 - b.w.GetImageSize();
        ASSERT_GT(base, 0u);
        std::string iso = tmp / "disc.iso";
        WriteFile(iso, sim->Image(0, sim->WrittenEnd()));
        std::string out;
        bool rw = medium == SimMedium::DVDPlusRW;
        std::string start = rw ? "" : " --startblock=" + std::to_string(base);
        ASSERT_EQ(Shell("udfinfo" + start + " " + Quote(iso), &out), 0) << out;
        EXPECT_NE(out.find("numfiles=2\n"), std::string::npos) << out;
        EXPECT_NE(out.find("numdirs=2\n"), std::string::npos) << out;
        // The session read from its own anchor, as a system reads the last session.
        ASSERT_EQ(Shell("/usr/bin/python3 " + Quote(kUdfSessionReader) + " " + Quote(iso) + " " +
                            std::to_string(base) + " " + Quote(tmp / "u"),
                        &out),
                  0)
            << out;
        EXPECT_TRUE(Snapshot(tmp / "u") == Snapshot(tmp / "second")) << "UDF tree differs";
        ASSERT_EQ(ExtractWithXorriso(iso, tmp / "x", &out, rw ? -1 : long(base)), 0) << out;
        EXPECT_TRUE(Snapshot(tmp / "x") == Snapshot(tmp / "second")) << out;
    }
}

// A later session that keeps the files of the first (imported) and adds its own: the bridge of
// the last session reaches both, read from that session by every UDF reader and compared with
// the sources by content.
TEST(UDFBridge, ImportedAndNewFilesOfALaterSessionReadBackByContent) {
    for (SimMedium medium : {SimMedium::DVDPlusR, SimMedium::CDR, SimMedium::DVDPlusRW}) {
        SCOPED_TRACE(MediumName(medium));
        TempDir tmp;
        MakeTree(tmp / "src");
        auto sim = std::make_shared<SimDrive>(medium);
        {
            Burner b(sim);
            ASSERT_EQ(b.BurnFolder(tmp / "src"), 0) << b.w.GetErrorString(b.w.GetErrorNumber());
        }
        Burner b(sim);
        ASSERT_EQ(b.w.ImportSession(0, "/"), 1);
        WriteFile(tmp / "more/added.txt", Bytes(5000, 7));
        WriteFile(tmp / "more/Pictures/lamp.jpg", Bytes(90000, 8));
        ASSERT_TRUE(b.w.InsertDir("/", tmp / "more", "*", true, false));
        const uint32_t firstEnd = sim->WrittenEnd();
        b.w.Prepare();
        sim->log.clear();
        ASSERT_EQ(b.Finish(b.w.Burn()), 0) << b.w.GetErrorString(b.w.GetErrorNumber());
        const uint32_t base = Writes(*sim).back().first + 32 - b.w.GetImageSize();
        ASSERT_GE(base, firstEnd);

        // What the last session holds: the first tree with the added files merged in.
        std::filesystem::copy(tmp / "more", tmp / "src",
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        const auto expected = Snapshot(tmp / "src");
        std::string iso = tmp / "disc.iso";
        WriteFile(iso, sim->Image(0, sim->WrittenEnd()));
        std::string out;
        ASSERT_EQ(ExtractWithXorriso(iso, tmp / "x", &out, long(base)), 0) << out;
        EXPECT_TRUE(Snapshot(tmp / "x") == expected) << "Joliet tree differs";
        ASSERT_EQ(Shell("/usr/bin/python3 " + Quote(kUdfSessionReader) + " " + Quote(iso) + " " +
                            std::to_string(base) + " " + Quote(tmp / "u"),
                        &out),
                  0)
            << out;
        EXPECT_TRUE(Snapshot(tmp / "u") == expected) << "UDF tree of the session differs";
        ASSERT_EQ(Shell("udfinfo --startblock=" + std::to_string(base) + " " + Quote(iso), &out), 0)
            << out;
        EXPECT_NE(out.find("numfiles=7\n"), std::string::npos) << out;
        EXPECT_NE(out.find("numdirs=2\n"), std::string::npos) << out;
        // 7z has no notion of sessions and looks for the anchor at block 256 only: it is shown
        // the last session's anchor there, as a system finds it at the session's block 256.
        auto disc = sim->Image(0, sim->WrittenEnd());
        // The partition descriptor: from the disc's first block to the closing anchor.
        const uint8_t* pd = disc.data() + size_t(base + 34) * 2048;
        ASSERT_EQ(pd[0], 5);
        EXPECT_EQ(LE32(pd + 188), 0u);
        EXPECT_EQ(LE32(pd + 192), base + b.w.GetImageSize() - 1);
        uint8_t* anchor = disc.data() + 256 * 2048;
        std::copy_n(disc.data() + size_t(base + 256) * 2048, 2048, anchor);
        for (int i = 0; i < 4; ++i)
            anchor[12 + i] = uint8_t(256 >> (8 * i));
        anchor[4] = 0;
        for (int i = 0; i < 16; ++i)
            anchor[4] = uint8_t(anchor[4] + (i == 4 ? 0 : anchor[i]));
        WriteFile(iso, disc);
        ASSERT_EQ(Shell("7z x -tudf -y -o" + Quote(tmp / "7z") + " " + Quote(iso), &out), 0) << out;
        EXPECT_TRUE(Snapshot(tmp / "7z") == expected) << "7z's UDF tree differs";
    }
}

// The end of a burn reaches the program through its user-interface thread.
TEST(BurnCompletion, OnWriteDoneRunsThroughTheSynchronizer) {
    TempDir tmp;
    MakeTree(tmp / "src");
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusRW);
    Burner b(sim);
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::function<void()>> posted;
    b.w.SetSynchronizer([&](std::function<void()> fn) {
        std::lock_guard<std::mutex> g(m);
        posted.push_back(std::move(fn));
        cv.notify_all();
    });
    std::thread::id ranOn;
    bool failed = true;
    b.w.SetOnWriteDone([&](void*, bool f) {
        ranOn = std::this_thread::get_id();
        failed = f;
    });
    ASSERT_TRUE(b.w.InsertDir("/", tmp / "src", "*", true, false));
    b.w.Prepare();
    ASSERT_TRUE(b.w.Burn());
    {
        std::unique_lock<std::mutex> g(m);
        ASSERT_TRUE(cv.wait_for(g, std::chrono::seconds(60), [&] { return !posted.empty(); }));
    }
    posted.front()();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(failed);
    b.w.WaitForSession();
}
