// The command layer against the simulated drive: every command block, the write parameter pages
// per media kind, media classification with its fallbacks, refusals and sense keeping.
#include "burner/dwdiscwriter.h"
#include "burner/dwscsilib.h"
#include "sim/simdrive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace burner_test;
using dw::TSCSIDevice;

namespace {

struct Rig {
    explicit Rig(SimMedium m, uint32_t capacity = 2295104)
        : sim(std::make_shared<SimDrive>(m, capacity)) {
        dw::AddDeviceTransport(d, "sim0", "simulated", sim);
        dw::SelectDevice(d, 0);
        sim->log.clear();
    }
    std::vector<uint8_t> Last() const { return sim->log.back().cdb; }
    TSCSIDevice d;
    std::shared_ptr<SimDrive> sim;
};

std::vector<uint8_t> V(std::initializer_list<int> b) {
    std::vector<uint8_t> v;
    for (int x : b)
        v.push_back(uint8_t(x));
    return v;
}

} // namespace

TEST(CommandBlocks, OpcodesFieldsAndByteOrder) {
    Rig r(SimMedium::DVDPlusRW);
    auto& d = r.d;
    ASSERT_TRUE(dw::TestUnitReady(d));
    EXPECT_EQ(r.Last(), V({0, 0, 0, 0, 0, 0}));
    dw::Rewind(d);
    EXPECT_EQ(r.Last(), V({1, 0, 0, 0, 0, 0}));
    dw::RequestSense(d);
    EXPECT_EQ(r.Last(), V({3, 0, 0, 0, 24, 0}));
    dw::Inquiry(d);
    EXPECT_EQ(r.Last(), V({0x12, 0, 0, 0, 64, 0}));
    dw::LoadMedium(d, true);
    EXPECT_EQ(r.Last(), V({0x1B, 1, 0, 0, 3, 0}));
    dw::EjectMedium(d, false);
    EXPECT_EQ(r.Last(), V({0x1B, 0, 0, 0, 2, 0}));
    dw::LockMedium(d);
    EXPECT_EQ(r.Last(), V({0x1E, 0, 0, 0, 1, 0}));
    dw::UnlockMedium(d);
    EXPECT_EQ(r.Last(), V({0x1E, 0, 0, 0, 0, 0}));
    EXPECT_EQ(dw::GetFormatCapacity(d), 2295104u);
    EXPECT_EQ(r.Last(), V({0x23, 0, 0, 0, 0, 0, 0, 0, 248, 0}));
    std::vector<uint8_t> buf(3 * 2048, 0x5A);
    ASSERT_TRUE(dw::Write10(d, 0x01020304 & 0xFFFFF, 3, 3 * 2048, buf.data()));
    EXPECT_EQ(r.Last(), V({0x2A, 0, 0x00, 0x02, 0x03, 0x04, 0, 0, 3, 0}));
    ASSERT_TRUE(dw::Read10(d, 0x20304, 2, buf.data()));
    EXPECT_EQ(r.Last(), V({0x28, 0, 0x00, 0x02, 0x03, 0x04, 0, 0, 2, 0}));
    EXPECT_TRUE(dw::FlushCache(d, true));
    EXPECT_EQ(r.Last(), V({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    dw::ReadTOC(d, 4, 7, 0x0120, true);
    EXPECT_EQ(r.Last(), V({0x43, 2, 4, 0, 0, 0, 7, 0x01, 0x20, 0}));
    dw::GetConfiguration(d, 0x012A, 0x0172);
    EXPECT_EQ(r.Last(), V({0x46, 2, 0x01, 0x2A, 0, 0, 0, 0x01, 0x72, 0}));
    dw::ReadDiscInformation(d, 42);
    EXPECT_EQ(r.Last(), V({0x51, 0, 0, 0, 0, 0, 0, 0, 42, 0}));
    dw::ReadTrackInformation(d, 9);
    EXPECT_EQ(r.Last(), V({0x52, 1, 0, 0, 0, 9, 0, 0, 38, 0}));
    dw::ReserveTrack(d, 0x00123456);
    EXPECT_EQ(r.Last(), V({0x53, 0, 0, 0, 0, 0x00, 0x12, 0x34, 0x56, 0}));
    dw::ModeSense10(d, 0x2A, 0x0150, true);
    EXPECT_EQ(r.Last(), V({0x5A, 0, 0xAA, 0, 0, 0, 0, 0x01, 0x50, 0}));
    uint8_t page[20] = {};
    dw::ModeSelect10(d, page, 20);
    EXPECT_EQ(r.Last(), V({0x55, 0x10, 0, 0, 0, 0, 0, 0, 20, 0}));
    dw::CloseTrack(d, true, false);
    EXPECT_EQ(r.Last(), V({0x5B, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
    dw::CloseTrack(d, false, true);
    EXPECT_EQ(r.Last(), V({0x5B, 0, 2, 0, 0, 0, 0, 0, 0, 0}));
    dw::CloseDVDTrack(d, false, 6, 0x0102);
    EXPECT_EQ(r.Last(), V({0x5B, 0, 6, 0, 0x01, 0x02, 0, 0, 0, 0}));
    dw::ReadBufferCapacity(d);
    EXPECT_EQ(r.Last(), V({0x5C, 0, 0, 0, 0, 0, 0, 0, 32, 0}));
    EXPECT_EQ(dw::GetDeviceBufferSize(d), 2u * 1048576);
    dw::Erase(d, true);
    EXPECT_EQ(r.Last(), V({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    dw::Erase(d, false);
    EXPECT_EQ(r.Last(), V({0xA1, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    dw::SetStreaming(d, 0x10, 0x20000, 11, 1000, 22, 1000);
    EXPECT_EQ(r.Last(), V({0xB6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 28, 0}));
    auto& desc = r.sim->log.back().dataOut;
    ASSERT_EQ(desc.size(), 28u);
    EXPECT_EQ(std::vector<uint8_t>(desc.begin() + 4, desc.begin() + 12),
              V({0, 0, 0, 0x10, 0, 0x02, 0, 0}));
    EXPECT_EQ(desc[15], 11);
    EXPECT_EQ(desc[18], 0x03);
    EXPECT_EQ(desc[19], 0xE8);
    EXPECT_EQ(desc[23], 22);
    dw::SetCDSpeed(d, 0, 0x1234);
    EXPECT_EQ(r.Last(), V({0xBB, 0, 0xFF, 0xFF, 0x12, 0x34, 0, 0, 0, 0, 0, 0}));
    dw::SetDeviceSpeed(d, 1385, 0);
    EXPECT_EQ(r.Last(), V({0xBB, 0, 0x05, 0x69, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}));
    uint8_t list[12] = {0, 0x82, 0, 8};
    dw::FormatUnit(d, 1, list, 12);
    EXPECT_EQ(r.Last(), V({0x04, 0x11, 0, 0, 0, 0}));
    EXPECT_EQ(r.sim->log.back().dataOut, std::vector<uint8_t>(list, list + 12));

    // Every command block sent here has a name for the messages.
    for (const auto& c : r.sim->log)
        EXPECT_EQ(dw::CommandName(d, c.opcode()).rfind("command 0x", 0), std::string::npos)
            << int(c.opcode());
}

TEST(CommandBlocks, TimeStampStructure) {
    Rig r(SimMedium::DVDR);
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 4;
    t.tm_hour = 5;
    t.tm_min = 6;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    ASSERT_TRUE(dw::SendDVDStructureTimeStamp(r.d, std::mktime(&t)));
    EXPECT_EQ(r.Last(), V({0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 22, 0, 0}));
    const auto& list = r.sim->log.back().dataOut;
    ASSERT_EQ(list.size(), 22u);
    EXPECT_EQ(list[0], 0);
    EXPECT_EQ(list[1], 20);
    EXPECT_EQ(std::string(list.begin() + 8, list.end()), "20260304050607");
}

// Write parameter page 5 (after the 8-byte header) per media kind: write type, test write,
// link size valid, buffer-underrun protection, multisession, fixed packets, track mode, data
// block type, link size, packet size.
TEST(WriteParameters, PagePerMediaKind) {
    struct Want {
        int media;
        bool multisession;
        uint8_t b2, b3, linkSize;
        uint32_t packet;
    };
    const Want wants[] = {
        {dw::kMediaCDR, true, 0x41, 0xC4, 0, 0},
        {dw::kMediaCDR, false, 0x41, 0x04, 0, 0},
        {dw::kMediaDVDR, false, 0x60, 0xE5, 16, 16},
        {dw::kMediaDVDRWSequential, false, 0x60, 0xC5, 16, 16},
        {dw::kMediaDVDRWRestricted, true, 0x60, 0xC5, 16, 16},
        {dw::kMediaDVDPlusRW, true, 0x62, 0xC4, 16, 0},
        {dw::kMediaDVDPlusR, true, 0x62, 0xE4, 16, 16},
        {dw::kMediaDVDPlusR, false, 0x62, 0x04, 0, 0},
        {dw::kMediaDVDPlusRDL, true, 0x02, 0xC4, 0, 0},
        {dw::kMediaDDCDR, false, 0x42, 0x05, 0, 0},
    };
    for (const Want& w : wants) {
        Rig r(SimMedium::DVDPlusR);
        ASSERT_TRUE(dw::DeviceCan(r.d, dw::kCanBufferUnderrunProtection));
        ASSERT_TRUE(dw::SetWriteParams(r.d, false, true, w.media, w.multisession));
        const auto& p = r.sim->lastPage5;
        ASSERT_GE(p.size(), 16u);
        SCOPED_TRACE("media " + std::to_string(w.media));
        EXPECT_EQ(p[0], 5);
        EXPECT_EQ(p[2], w.b2);
        EXPECT_EQ(p[3], w.b3);
        EXPECT_EQ(p[4], 8);
        EXPECT_EQ(p[5], w.linkSize);
        EXPECT_EQ((uint32_t(p[10]) << 24) | (p[11] << 16) | (p[12] << 8) | p[13], w.packet);
        EXPECT_EQ((p[14] << 8) | p[15], 150);
        // MODE SELECT length: page length + header + 2
        EXPECT_EQ(r.Last()[8], 0x32 + 8 + 2);
    }
    // Test write: the bit is set and multisession stays 0 on CD; burn-proof off drops BUFE.
    Rig r(SimMedium::CDR);
    ASSERT_TRUE(dw::SetWriteParams(r.d, true, false, dw::kMediaCDR, true));
    EXPECT_EQ(r.sim->lastPage5[2], 0x11);
    EXPECT_EQ(r.sim->lastPage5[3], 0x04);
    ASSERT_TRUE(dw::SetWriteParams3(r.d));
    EXPECT_EQ(r.sim->lastPage5[2], 0x02);
    EXPECT_EQ(r.sim->lastPage5[3], 0xC4);
    EXPECT_EQ(r.sim->lastPage5[4], 10);
    EXPECT_EQ(r.sim->lastPage5[8], 0x20);
    ASSERT_TRUE(dw::SetWriteParams2(r.d));
    EXPECT_EQ(r.sim->lastPage5[2], 0x01);
    EXPECT_EQ(r.sim->lastPage5[3], 0x05);
}

TEST(MediaKind, ProfilesAndFallbacks) {
    const std::pair<uint16_t, int> map[] = {
        {0x08, 1},  {0x09, 2},  {0x0A, 3},  {0x10, 4},  {0x11, 5},  {0x12, 6},
        {0x13, 8},  {0x14, 9},  {0x1A, 10}, {0x1B, 11}, {0x2B, 12}, {0x20, 13},
        {0x21, 14}, {0x22, 15}, {0x00, 0},  {0x40, 0},  {0x15, 0},
    };
    for (auto [profile, kind] : map)
        EXPECT_EQ(dw::MediaKindOfProfile(profile), kind) << profile;

    const std::pair<SimMedium, int> media[] = {
        {SimMedium::CDR, 2},
        {SimMedium::CDRW, 3},
        {SimMedium::DVDR, 5},
        {SimMedium::DVDRAM, 6},
        {SimMedium::DVDRWRestricted, 8},
        {SimMedium::DVDRWSequential, 9},
        {SimMedium::DVDPlusRW, 10},
        {SimMedium::DVDPlusR, 11},
        {SimMedium::DVDPlusRDL, 12},
        {SimMedium::None, 0},
    };
    for (auto [m, kind] : media) {
        Rig r(m);
        EXPECT_EQ(dw::DiscIs(r.d), kind) << MediumName(m);
    }
    // Without GET CONFIGURATION the ATIP tells CD-R from CD-RW.
    for (auto [m, kind] : {std::pair{SimMedium::CDR, 2}, std::pair{SimMedium::CDRW, 3}}) {
        Rig r(m);
        r.sim->noGetConfiguration = true;
        EXPECT_EQ(dw::DiscIs(r.d), kind);
        EXPECT_EQ(r.sim->log[1].opcode(), 0x43);
        EXPECT_EQ(r.sim->log[1].cdb[2], 4);
    }
    // Without ATIP either (a DVD): the erasable bit of the disc information.
    {
        Rig r(SimMedium::DVDPlusRW);
        r.sim->noGetConfiguration = true;
        EXPECT_EQ(dw::DiscIs(r.d), 3);
        Rig r2(SimMedium::DVDPlusR);
        r2.sim->noGetConfiguration = true;
        EXPECT_EQ(dw::DiscIs(r2.d), 2);
    }
}

TEST(DeviceLayer, CapabilitiesAndSpeeds) {
    Rig r(SimMedium::DVDPlusR);
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17, 18, 21, 22})
        EXPECT_TRUE(dw::DeviceCan(r.d, n)) << n;
    for (int n : {0, 9, 10, 19, 20, 23, 31, 32, -1, 1000})
        EXPECT_FALSE(dw::DeviceCan(r.d, n)) << n;
    EXPECT_TRUE(dw::DeviceIsBurner(r.d));
    EXPECT_EQ(dw::GetDeviceMaxWriteSpeed(r.d), 22160);
    EXPECT_EQ(dw::GetMaxWriteSpeed(r.d), 11080);
    EXPECT_EQ(dw::GetWriteSpeed(r.d), 5540);
    EXPECT_EQ(dw::GetReadSpeed(r.d), 11080);
    EXPECT_STREQ(r.d.vendor, "QUIVERA");
    EXPECT_STREQ(r.d.product, "Simulated drive");
}

TEST(DeviceLayer, RefusalsSenseAndSelection) {
    TSCSIDevice none;
    EXPECT_FALSE(dw::TestUnitReady(none));
    dw::TSRB_ExecSCSICmd req;
    EXPECT_EQ(dw::ExecSCSICommand(none, req), dw::kSrbError);
    EXPECT_FALSE(dw::SelectDevice(none, 0));

    Rig r(SimMedium::None);
    EXPECT_FALSE(dw::TestUnitReady(r.d));
    EXPECT_EQ(dw::GetLastSense(r.d).key, 2);
    EXPECT_EQ(dw::GetLastSense(r.d).asc, 0x3A);
    EXPECT_EQ(r.d.lastError.load(), 0x3A00u);

    // Busy: target status 8 sets the busy flag; a good answer clears the sense.
    Rig b(SimMedium::DVDPlusRW);
    b.sim->busyCommands = 1;
    std::vector<uint8_t> data(2048);
    EXPECT_FALSE(dw::Write10(b.d, 0, 1, 2048, data.data()));
    EXPECT_TRUE(b.d.busy);
    EXPECT_TRUE(dw::Write10(b.d, 0, 1, 2048, data.data()));
    EXPECT_FALSE(b.d.busy);
    EXPECT_EQ(dw::GetLastSense(b.d).asc, 0);

    // A changed medium is answered by sending the command once more.
    b.sim->mediumChangeOnce = true;
    b.sim->log.clear();
    EXPECT_TRUE(dw::TestUnitReady(b.d));
    EXPECT_EQ(b.sim->log.size(), 2u);

    // Selecting by an unknown name keeps the selection.
    EXPECT_FALSE(dw::SelectDeviceByLetter(b.d, "sda"));
    EXPECT_EQ(dw::GetDeviceLetter(b.d), "sim0");
    EXPECT_EQ(dw::GetSelectedDevice(b.d), 0);

    // A device that is not an optical drive is refused.
    EXPECT_EQ(dw::AddDevice(b.d, "/dev/null/x"), -1);
}

// A failed command is named in what the layer reports, with the sense the drive answered.
TEST(DeviceLayer, FailedCommandsAreNamedWithTheirSense) {
    Rig r(SimMedium::DVDPlusR);
    r.sim->failWriteAt = 5;
    std::vector<uint8_t> data(32 * 2048);
    ASSERT_FALSE(dw::Write10(r.d, 0, 32, 32 * 2048, data.data()));
    EXPECT_EQ(dw::GetLastSense(r.d).opcode, 0x2A);
    EXPECT_EQ(dw::DescribeSense(r.d, dw::GetLastSense(r.d)), "WRITE(10) failed: sense 3/0C/00");

    r.sim->noGetConfiguration = true;
    EXPECT_FALSE(dw::GetConfiguration(r.d, 0, 8));
    EXPECT_EQ(dw::DescribeSense(r.d, dw::GetLastSense(r.d)),
              "GET CONFIGURATION failed: sense 5/20/00");

    // An operation code without a name is shown by its number.
    dw::TSRB_ExecSCSICmd req;
    req.cdb[0] = 0xE7;
    req.cdbLength = 12;
    EXPECT_EQ(dw::ExecSCSICommand(r.d, req), dw::kSrbError);
    EXPECT_EQ(dw::DescribeSense(r.d, dw::GetLastSense(r.d)), "command 0xE7 failed: sense 5/20/00");

    Rig none(SimMedium::None);
    EXPECT_FALSE(dw::TestUnitReady(none.d));
    EXPECT_EQ(dw::DescribeSense(none.d, dw::GetLastSense(none.d)),
              "TEST UNIT READY failed: sense 2/3A/00");
    // Sense that no command answered stands alone.
    EXPECT_EQ(dw::DescribeSense(none.d, dw::TSenseInfo{3, 0x0C, 0}), "sense 3/0C/00");
}

TEST(DiscFigures, SessionsFreeAndTotal) {
    Rig cd(SimMedium::CDR);
    dw::DiscIs(cd.d);
    EXPECT_EQ(dw::GetTotalBlocksOnDisc(cd.d), 359999u);
    EXPECT_TRUE(dw::Writable(cd.d));
    EXPECT_FALSE(dw::Erasable(cd.d));
    EXPECT_EQ(dw::SessionsOnDisc(cd.d), 0);

    Rig dvd(SimMedium::DVDPlusR, 100000);
    dw::DiscIs(dvd.d);
    EXPECT_EQ(dw::GetFreeBlocksOnDisc(dvd.d), 100000u);
    Rig rw(SimMedium::DVDPlusRW);
    dw::DiscIs(rw.d);
    EXPECT_TRUE(dw::Erasable(rw.d));
    EXPECT_EQ(dw::GetLastRecordedAddress(rw.d), 0u);
    EXPECT_EQ(dw::GetFreeBlocksOnDisc(rw.d), 2295104u);
}

// The real transports fail cleanly on things that are not drives.
TEST(Transports, NonDrivesAreRefused) {
    TSCSIDevice d;
    EXPECT_EQ(dw::AddDevice(d, "/dev/null"), -1);    // no SCSI generic pass-through
    EXPECT_EQ(dw::AddDevice(d, "nosuchdrive9"), -1); // no such device node
    EXPECT_EQ(dw::AddDevice(d, "iscsi://127.0.0.1:1/iqn.2026-01.org.quivera:none/1"), -1);
    EXPECT_EQ(dw::AddDevice(d, "iscsi://not a url"), -1);
    EXPECT_EQ(dw::GetDeviceCount(d), 0);
    EXPECT_FALSE(dw::TestUnitReady(d));
    if (!std::filesystem::exists("/dev/sr0")) {
        // No optical drive here: discovery reports none.
        EXPECT_FALSE(dw::InitializeASPI(d, ""));
        EXPECT_EQ(dw::GetDeviceCount(d), 0);
        EXPECT_EQ(dw::GetDeviceLetter(d), "?");
    }
}
