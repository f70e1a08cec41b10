// The command layer: discovery, selection, the request block and every command block.
#include "burner/dwscsilib.h"

#include "burner/dwcommonlib.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>

namespace dw {

namespace {

uint16_t GetBE16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}

// Sends one command block; true when the drive completed it.
bool Send(TSCSIDevice& d, const uint8_t* cdb, uint8_t cdbLength, uint8_t flags = kSrbNoData,
          uint8_t* data = nullptr, uint32_t length = 0) {
    TSRB_ExecSCSICmd r;
    std::memcpy(r.cdb, cdb, cdbLength);
    r.cdbLength = cdbLength;
    r.flags = flags;
    r.buffer = data;
    r.bufferLength = length;
    return ExecSCSICommand(d, r) == kSrbCompleted;
}

bool SendIn(TSCSIDevice& d, const uint8_t* cdb, uint8_t cdbLength, uint32_t length) {
    length = std::min<uint32_t>(length, uint32_t(d.buffer.size()));
    std::fill(d.buffer.begin(), d.buffer.begin() + length, uint8_t(0));
    return Send(d, cdb, cdbLength, kSrbDataIn, d.buffer.data(), length);
}

void CleanText(char* out, const uint8_t* in, size_t n) {
    for (size_t i = 0; i < n; ++i)
        out[i] = in[i] < 32 ? ' ' : char(in[i]);
    out[n] = 0;
    for (size_t i = n; i > 0 && out[i - 1] == ' '; --i)
        out[i - 1] = 0;
}

std::string DisplayName(const TDeviceEntry& e, const uint8_t* inquiry) {
    char vendor[9], product[17], revision[5];
    CleanText(vendor, inquiry + 8, 8);
    CleanText(product, inquiry + 16, 16);
    CleanText(revision, inquiry + 32, 4);
    char text[128];
    std::snprintf(text, sizeof text, "%d:%d:%d,%s: %s %s %s ", e.hostAdapter, e.target, e.lun,
                  e.letter.c_str(), vendor, product, revision);
    return text;
}

void ResetRecord(TSCSIDevice& d) {
    if (d.handle) d.handle->Close();
    d.handle.reset();
    d.devices.clear();
    d.letter.assign(1, '?');
    d.interfaceReady = d.passThrough = d.closeAfterCommand = false;
    d.selected = -1;
    d.hostAdapter = d.target = d.lun = 255;
    std::memset(d.vendor, 0, sizeof d.vendor);
    std::memset(d.product, 0, sizeof d.product);
    d.mediaKind = 0;
    std::memset(d.sense, 0, sizeof d.sense);
    d.lastOpcode = -1;
    d.busy = false;
    d.lastError = 0;
    d.bufferSize = 0;
    d.bufferFree = 0;
    d.track = TTrackInfo{};
    std::memset(d.discInfo, 0, sizeof d.discInfo);
    d.currentProfile = 0;
    std::memset(d.caps, 0, sizeof d.caps);
    d.defaultMaxRead = d.defaultMaxWrite = d.maxRead = d.maxWrite = d.curRead = d.curWrite = 0;
    d.capBufferSize = 0;
    d.capabilities = 0;
    d.pageByte3 = 0;
    std::memset(d.writeParams, 0, sizeof d.writeParams);
}

std::shared_ptr<TScsiTransport> OpenEntry(const TDeviceEntry& e) {
    if (e.transport) return e.transport;
    if (e.path.rfind("iscsi://", 0) == 0) return OpenIscsiTransport(e.path);
    return OpenSgTransport(e.path);
}

// Track information answer into host order.
void ParseTrackInfo(TSCSIDevice& d) {
    const uint8_t* b = d.buffer.data();
    TTrackInfo& t = d.track;
    t.valid = true;
    t.fixedPackets = (b[6] & 0x10) != 0;
    t.nwaValid = (b[7] & 0x01) != 0;
    t.trackStart = GetBE32(b + 8);
    t.nextWritable = GetBE32(b + 12);
    t.freeBlocks = GetBE32(b + 16);
    t.fixedPacketSize = GetBE32(b + 20);
    t.trackSize = GetBE32(b + 24);
    t.lastRecorded = GetBE32(b + 28);
}

void SetCap(TSCSIDevice& d, int number, bool on) {
    if (on) d.capabilities |= 1u << number;
}

// Reads the feature; null when the drive does not report it.
const uint8_t* Feature(TSCSIDevice& d, uint16_t code) {
    if (!GetConfiguration(d, code, 16)) return nullptr;
    const uint8_t* b = d.buffer.data();
    if (GetBE32(b) < 8 || GetBE16(b + 8) != code) return nullptr;
    return b + 8;
}

// Asks a drive what it is (INQUIRY, 64 bytes into `answer`) and closes it again; true for an
// optical drive (peripheral device type 5).
bool InquireOptical(TScsiTransport& t, uint8_t (&answer)[64]) {
    TScsiCommand c;
    c.cdb[0] = 0x12;
    c.cdb[4] = 64;
    c.cdbLength = 6;
    c.direction = TDataDirection::In;
    c.data = answer;
    c.length = 64;
    c.timeoutSeconds = 30;
    TScsiOutcome o;
    const bool ok = t.Execute(c, o) && o.targetStatus == 0;
    t.Close();
    return ok && (answer[0] & 0x1F) == 5;
}

// Commands of the multimedia and primary command sets, by operation code.
struct TCommandName {
    uint8_t opcode;
    const char* name;
};
constexpr TCommandName kCommandNames[] = {
    {0x00, "TEST UNIT READY"},
    {0x01, "REZERO UNIT"},
    {0x03, "REQUEST SENSE"},
    {0x04, "FORMAT UNIT"},
    {0x12, "INQUIRY"},
    {0x15, "MODE SELECT(6)"},
    {0x1A, "MODE SENSE(6)"},
    {0x1B, "START STOP UNIT"},
    {0x1E, "PREVENT ALLOW MEDIUM REMOVAL"},
    {0x23, "READ FORMAT CAPACITIES"},
    {0x25, "READ CAPACITY"},
    {0x28, "READ(10)"},
    {0x2A, "WRITE(10)"},
    {0x2B, "SEEK(10)"},
    {0x2E, "WRITE AND VERIFY(10)"},
    {0x2F, "VERIFY(10)"},
    {0x35, "SYNCHRONIZE CACHE"},
    {0x3B, "WRITE BUFFER"},
    {0x3C, "READ BUFFER"},
    {0x42, "READ SUB-CHANNEL"},
    {0x43, "READ TOC/PMA/ATIP"},
    {0x46, "GET CONFIGURATION"},
    {0x4A, "GET EVENT STATUS NOTIFICATION"},
    {0x51, "READ DISC INFORMATION"},
    {0x52, "READ TRACK INFORMATION"},
    {0x53, "RESERVE TRACK"},
    {0x54, "SEND OPC INFORMATION"},
    {0x55, "MODE SELECT(10)"},
    {0x58, "REPAIR TRACK"},
    {0x5A, "MODE SENSE(10)"},
    {0x5B, "CLOSE TRACK/SESSION"},
    {0x5C, "READ BUFFER CAPACITY"},
    {0x5D, "SEND CUE SHEET"},
    {0xA0, "REPORT LUNS"},
    {0xA1, "BLANK"},
    {0xA3, "SEND KEY"},
    {0xA4, "REPORT KEY"},
    {0xA6, "LOAD/UNLOAD MEDIUM"},
    {0xA7, "SET READ AHEAD"},
    {0xA8, "READ(12)"},
    {0xAA, "WRITE(12)"},
    {0xAC, "GET PERFORMANCE"},
    {0xAD, "READ DVD STRUCTURE"},
    {0xB6, "SET STREAMING"},
    {0xB9, "READ CD MSF"},
    {0xBB, "SET CD SPEED"},
    {0xBD, "MECHANISM STATUS"},
    {0xBE, "READ CD"},
    {0xBF, "SEND DVD STRUCTURE"},
};

} // namespace

// ---- Discovery and selection ----

void OpenDevice(TSCSIDevice& d) {
    d.commandNames.fill(nullptr);
    for (const TCommandName& c : kCommandNames)
        d.commandNames[c.opcode] = c.name;
}

bool InitializeASPI(TSCSIDevice& d, std::string_view) {
    ResetRecord(d);
    OpenDevice(d);
    std::vector<std::string> names;
    if (DIR* dir = ::opendir("/dev")) {
        while (dirent* e = ::readdir(dir)) {
            std::string n = e->d_name;
            if (n.size() > 2 && n.rfind("sr", 0) == 0 &&
                std::all_of(n.begin() + 2, n.end(), [](char c) { return c >= '0' && c <= '9'; }))
                names.push_back(n);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    bool opened = false;
    for (const std::string& n : names) {
        if (d.devices.size() >= 26) break;
        auto t = OpenSgTransport("/dev/" + n);
        if (!t) continue;
        opened = true;
        uint8_t answer[64] = {};
        if (!InquireOptical(*t, answer)) continue;
        TDeviceEntry e;
        e.letter = n;
        e.type = 5;
        e.hostAdapter = uint8_t(d.devices.size());
        e.path = "/dev/" + n;
        e.name = DisplayName(e, answer);
        d.devices.push_back(std::move(e));
    }
    if (!opened) return false; // no other mechanism on this system
    d.interfaceReady = true;
    d.passThrough = true;
    return true;
}

int GetDeviceCount(const TSCSIDevice& d) {
    return int(d.devices.size());
}

std::string GetDeviceName(const TSCSIDevice& d, int index) {
    if (index < 0 || index >= int(d.devices.size())) return {};
    return d.devices[size_t(index)].name;
}

bool SelectDevice(TSCSIDevice& d, int index) {
    if (index < 0 || index >= int(d.devices.size())) return false;
    const TDeviceEntry& e = d.devices[size_t(index)];
    if (d.handle) d.handle->Close();
    d.handle.reset();
    d.selected = index;
    d.hostAdapter = e.hostAdapter;
    d.target = e.target;
    d.lun = e.lun;
    d.letter = e.letter;
    d.mediaKind = 0;
    d.capabilities = 0;
    if (Inquiry(d)) {
        CleanText(d.vendor, d.buffer.data() + 8, 8);
        CleanText(d.product, d.buffer.data() + 16, 16);
    }
    GetDeviceCapabilities(d);
    return true;
}

bool SelectDeviceByLetter(TSCSIDevice& d, std::string_view letter) {
    for (size_t i = 0; i < d.devices.size(); ++i)
        if (d.devices[i].letter == letter) return SelectDevice(d, int(i));
    return false;
}

int GetSelectedDevice(const TSCSIDevice& d) {
    return d.selected;
}

std::string GetDeviceLetter(const TSCSIDevice& d) {
    return d.letter;
}

int AddDevice(TSCSIDevice& d, std::string_view name) {
    if (d.devices.size() >= 26 || name.empty()) return -1;
    TDeviceEntry e;
    if (name.rfind("iscsi://", 0) == 0) {
        e.letter = std::string(name);
        e.path = e.letter;
    } else {
        std::string n(name);
        if (n.rfind("/dev/", 0) == 0) n = n.substr(5);
        if (n.empty() || n.find('/') != std::string::npos) return -1;
        e.letter = n;
        e.path = "/dev/" + n;
    }
    for (size_t i = 0; i < d.devices.size(); ++i)
        if (d.devices[i].letter == e.letter) return int(i);
    auto t = OpenEntry(e);
    if (!t) return -1;
    uint8_t answer[64] = {};
    if (!InquireOptical(*t, answer)) return -1; // only optical drives are taken
    e.type = 5;
    e.hostAdapter = uint8_t(d.devices.size());
    e.name = DisplayName(e, answer);
    d.devices.push_back(std::move(e));
    OpenDevice(d);
    d.interfaceReady = true;
    return int(d.devices.size() - 1);
}

int AddDeviceTransport(TSCSIDevice& d, std::string_view letter, std::string_view displayName,
                       std::shared_ptr<TScsiTransport> transport) {
    if (d.devices.size() >= 26 || !transport) return -1;
    TDeviceEntry e;
    e.letter = std::string(letter);
    e.name = std::string(displayName);
    e.hostAdapter = uint8_t(d.devices.size());
    e.transport = std::move(transport);
    d.devices.push_back(std::move(e));
    OpenDevice(d);
    d.interfaceReady = true;
    return int(d.devices.size() - 1);
}

// ---- Transport ----

uint8_t ExecSCSICommand(TSCSIDevice& d, TSRB_ExecSCSICmd& r) {
    if (!d.interfaceReady || d.selected < 0 || d.selected >= int(d.devices.size()) ||
        d.devices[size_t(d.selected)].type != 5) {
        r.status = kSrbError;
        return r.status;
    }
    r.command = 2;
    r.hostAdapter = d.hostAdapter;
    r.target = d.target;
    r.lun = d.lun;
    r.senseLength = 24;
    std::memset(r.sense, 0, sizeof r.sense);
    d.lastOpcode = r.cdb[0];
    SPTISendASPI32Command(d, r, true);
    std::memcpy(d.sense, r.sense, sizeof d.sense);
    d.busy = r.status != kSrbCompleted && r.targetStatus == 8;
    uint8_t asc = r.sense[12], ascq = r.sense[13];
    if (r.status != kSrbCompleted && asc != 0) d.lastError = uint32_t(asc) * 256 + ascq;
    return r.status;
}

uint8_t SPTISendASPI32Command(TSCSIDevice& d, TSRB_ExecSCSICmd& r, bool retry) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!d.handle) {
            if (d.selected < 0 || d.selected >= int(d.devices.size())) break;
            d.handle = OpenEntry(d.devices[size_t(d.selected)]);
            if (!d.handle) break;
        }
        TScsiCommand c;
        std::memcpy(c.cdb, r.cdb, sizeof c.cdb);
        c.cdbLength = r.cdbLength;
        c.direction = r.flags == kSrbDataIn    ? TDataDirection::In
                      : r.flags == kSrbDataOut ? TDataDirection::Out
                                               : TDataDirection::None;
        c.data = r.buffer;
        c.length = r.bufferLength;
        c.timeoutSeconds = 12000;
        TScsiOutcome o;
        bool delivered = d.handle->Execute(c, o);
        if (d.closeAfterCommand) {
            d.handle->Close();
            d.handle.reset();
        }
        if (delivered && o.targetStatus == 0) {
            r.status = kSrbCompleted;
            r.targetStatus = 0;
            return r.status;
        }
        r.status = kSrbError;
        r.targetStatus = o.targetStatus;
        std::memcpy(r.sense, o.sense, std::min<size_t>(24, sizeof o.sense));
        if (retry && attempt == 0 && o.mediumChanged) {
            if (d.handle) d.handle->Close();
            d.handle.reset();
            continue;
        }
        return r.status;
    }
    r.status = kSrbError;
    return r.status;
}

TSenseInfo GetLastSense(const TSCSIDevice& d) {
    return TSenseInfo{uint8_t(d.sense[2] & 0x0F), d.sense[12], d.sense[13], d.lastOpcode};
}

std::string CommandName(const TSCSIDevice& d, uint8_t opcode) {
    if (const char* name = d.commandNames[opcode]) return name;
    char text[16];
    std::snprintf(text, sizeof text, "command 0x%02X", opcode);
    return text;
}

std::string DescribeSense(const TSCSIDevice& d, const TSenseInfo& s) {
    char sense[32] = "";
    if (s.key || s.asc || s.ascq)
        std::snprintf(sense, sizeof sense, "sense %X/%02X/%02X", s.key, s.asc, s.ascq);
    if (s.opcode < 0) return sense;
    std::string text = CommandName(d, uint8_t(s.opcode)) + " failed";
    if (sense[0]) text += std::string(": ") + sense;
    return text;
}

bool SenseIs(const TSCSIDevice& d, uint8_t asc, int ascq) {
    return d.sense[12] == asc && (ascq < 0 || d.sense[13] == ascq);
}

// ---- Drive state ----

bool TestUnitReady(TSCSIDevice& d) {
    uint8_t cdb[6] = {0x00};
    return Send(d, cdb, 6);
}

bool Rewind(TSCSIDevice& d) {
    uint8_t cdb[6] = {0x01};
    return Send(d, cdb, 6);
}

bool RequestSense(TSCSIDevice& d) {
    uint8_t cdb[6] = {0x03, 0, 0, 0, 24, 0};
    return SendIn(d, cdb, 6, 24);
}

bool Inquiry(TSCSIDevice& d) {
    uint8_t cdb[6] = {0x12, 0, 0, 0, 64, 0};
    return SendIn(d, cdb, 6, 64);
}

bool LockMedium(TSCSIDevice& d) {
    uint8_t cdb[6] = {0x1E, 0, 0, 0, 1, 0};
    return Send(d, cdb, 6);
}

bool UnlockMedium(TSCSIDevice& d) {
    uint8_t cdb[6] = {0x1E, 0, 0, 0, 0, 0};
    return Send(d, cdb, 6);
}

bool UnlockDrive(TSCSIDevice& d) {
    return UnlockMedium(d);
}

namespace {
bool StartStop(TSCSIDevice& d, bool immediate, uint8_t loej) {
    uint8_t cdb[6] = {0x1B, uint8_t(immediate ? 1 : 0), 0, 0, loej, 0};
    d.closeAfterCommand = true;
    bool ok = Send(d, cdb, 6);
    d.closeAfterCommand = false;
    return ok;
}
} // namespace

bool LoadMedium(TSCSIDevice& d, bool immediate) {
    return StartStop(d, immediate, 3);
}

bool EjectMedium(TSCSIDevice& d, bool immediate) {
    return StartStop(d, immediate, 2);
}

bool FlushCache(TSCSIDevice& d, bool) {
    uint8_t cdb[10] = {0x35};
    TSRB_ExecSCSICmd r;
    std::memcpy(r.cdb, cdb, 10);
    r.cdbLength = 10;
    uint8_t s = ExecSCSICommand(d, r);
    return s == kSrbCompleted || s == kSrbPending;
}

// ---- Media ----

bool GetConfiguration(TSCSIDevice& d, uint16_t feature, uint16_t length, bool oneFeature) {
    uint8_t cdb[10] = {0x46, uint8_t(oneFeature ? 2 : 0)};
    PutBE16(cdb + 2, feature);
    PutBE16(cdb + 7, length);
    return SendIn(d, cdb, 10, length);
}

bool ReadDiscInformation(TSCSIDevice& d, uint16_t length) {
    uint8_t cdb[10] = {0x51};
    PutBE16(cdb + 7, length);
    if (!SendIn(d, cdb, 10, length)) return false;
    std::memcpy(d.discInfo, d.buffer.data(), std::min<size_t>(length, sizeof d.discInfo));
    return true;
}

bool ReadTrackInformation(TSCSIDevice& d, uint8_t track) {
    uint8_t cdb[10] = {0x52, 1};
    cdb[5] = track;
    PutBE16(cdb + 7, 38);
    d.track.valid = false;
    if (!SendIn(d, cdb, 10, 38)) return false;
    ParseTrackInfo(d);
    return true;
}

bool ReadTOC(TSCSIDevice& d, uint8_t format, uint8_t trackOrSession, uint16_t length, bool msf) {
    uint8_t cdb[10] = {0x43, uint8_t(msf ? 2 : 0), uint8_t(format & 0x0F)};
    cdb[6] = trackOrSession;
    PutBE16(cdb + 7, length);
    return SendIn(d, cdb, 10, length);
}

bool ModeSense10(TSCSIDevice& d, uint8_t page, uint16_t length, bool defaults) {
    uint8_t cdb[10] = {0x5A, 0, uint8_t((page & 0x3F) | (defaults ? 0x80 : 0))};
    PutBE16(cdb + 7, length);
    return SendIn(d, cdb, 10, length);
}

bool ModeSelect10(TSCSIDevice& d, const uint8_t* data, uint16_t length) {
    uint8_t cdb[10] = {0x55, 0x10};
    PutBE16(cdb + 7, length);
    std::vector<uint8_t> copy(data, data + length);
    return Send(d, cdb, 10, kSrbDataOut, copy.data(), length);
}

bool ModeSelect(TSCSIDevice& d, const uint8_t* data, uint16_t length) {
    return ModeSelect10(d, data, length);
}

int MediaKindOfProfile(uint16_t profile) {
    switch (profile) {
    case 0x08:
        return kMediaCDROM;
    case 0x09:
        return kMediaCDR;
    case 0x0A:
        return kMediaCDRW;
    case 0x10:
        return kMediaDVDROM;
    case 0x11:
        return kMediaDVDR;
    case 0x12:
        return kMediaDVDRAM;
    case 0x13:
        return kMediaDVDRWRestricted;
    case 0x14:
        return kMediaDVDRWSequential;
    case 0x1A:
        return kMediaDVDPlusRW;
    case 0x1B:
        return kMediaDVDPlusR;
    case 0x2B:
        return kMediaDVDPlusRDL;
    case 0x20:
        return kMediaDDCDROM;
    case 0x21:
        return kMediaDDCDR;
    case 0x22:
        return kMediaDDCDRW;
    default:
        return kMediaUnknown;
    }
}

int DiscIs(TSCSIDevice& d) {
    int kind;
    if (GetConfiguration(d, 0, 114)) {
        d.currentProfile = GetBE16(d.buffer.data() + 6);
        kind = MediaKindOfProfile(d.currentProfile);
    } else if (ReadTOC(d, 4, 0, 32)) {
        uint8_t b6 = d.buffer[6];
        kind = !(b6 & 0x80) ? kMediaCDROM : (b6 & 0x40) ? kMediaCDRW : kMediaCDR;
    } else if (ReadDiscInformation(d, 34)) {
        kind = (d.discInfo[2] & 0x10) ? kMediaCDRW : kMediaCDR;
    } else {
        kind = TestUnitReady(d) ? kMediaCDROM : kMediaUnknown;
    }
    d.mediaKind = kind;
    return kind;
}

int SessionsOnDisc(TSCSIDevice& d) {
    if (!ReadDiscInformation(d, 34)) return d.mediaKind == kMediaDVDRAM ? 1 : 0;
    int sessions = d.discInfo[4] | (d.discInfo[9] << 8);
    if (((d.discInfo[2] >> 2) & 3) == 0 && sessions > 0) --sessions; // the last one is empty
    return sessions;
}

int TracksOnDisc(TSCSIDevice& d) {
    if (!ReadDiscInformation(d, 34)) return 0;
    return d.discInfo[6] | (d.discInfo[11] << 8);
}

bool Writable(TSCSIDevice& d) {
    int m = d.mediaKind;
    if (m == kMediaDVDRAM || m == kMediaDVDRWRestricted || m == kMediaDVDPlusRW) return true;
    if (ReadDiscInformation(d, 34)) {
        int status = d.discInfo[2] & 3;
        if (status == 0 || status == 1) return true;
        if (status == 2) return false;
    }
    if (ReadTrackInformation(d, 255) ||
        ReadTrackInformation(d, uint8_t(std::min(TracksOnDisc(d) + 1, 255))))
        return d.track.freeBlocks > 0;
    return false;
}

bool Erasable(TSCSIDevice& d) {
    if (d.mediaKind >= kMediaDVDRAM && d.mediaKind <= kMediaDVDPlusRW) return true;
    return ReadDiscInformation(d, 34) && (d.discInfo[2] & 0x10) != 0;
}

uint32_t GetFormatCapacity(TSCSIDevice& d) {
    uint8_t cdb[10] = {0x23};
    PutBE16(cdb + 7, 248);
    if (!SendIn(d, cdb, 10, 248)) return 0;
    if (d.buffer[3] < 8) return 0;
    return GetBE32(d.buffer.data() + 4);
}

uint32_t GetLastRecordedAddress(TSCSIDevice& d) {
    std::vector<uint8_t> blocks(16 * 2048);
    for (uint32_t b = 16; b < 32; ++b)
        if (!Read10(d, b, 1, blocks.data() + (b - 16) * 2048)) return 0;
    for (uint8_t type : {uint8_t(2), uint8_t(1)})
        for (uint32_t i = 0; i < 16; ++i) {
            const uint8_t* p = blocks.data() + i * 2048;
            if (p[0] == 255) break;
            if (p[0] == type && std::memcmp(p + 1, "CD001", 5) == 0) return GetLE32(p + 80);
        }
    return 0;
}

namespace {
void WriteParamsForDisc(TSCSIDevice& d) {
    SetWriteParams(d, d.testWrite, d.burnProof, d.mediaKind, !d.finalizeDisc);
}
} // namespace

uint32_t GetFreeBlocksOnDisc(TSCSIDevice& d) {
    if (!Writable(d)) return 0;
    WriteParamsForDisc(d);
    int m = d.mediaKind;
    bool overwritable = m == kMediaDVDRAM || m == kMediaDVDPlusRW || m == kMediaDVDRWRestricted;
    bool info = ReadDiscInformation(d, 34) &&
                ReadTrackInformation(d, uint8_t(std::clamp(TracksOnDisc(d), 1, 255)));
    if (info) {
        if (overwritable) {
            uint32_t used = GetLastRecordedAddress(d);
            return d.track.trackSize > used ? d.track.trackSize - used : 0;
        }
        return std::max(d.track.freeBlocks, d.track.trackSize);
    }
    if (overwritable) {
        uint32_t cap = GetFormatCapacity(d);
        uint32_t used = GetLastRecordedAddress(d);
        return cap > used ? cap - used : 0;
    }
    return 0;
}

uint32_t GetTotalBlocksOnDisc(TSCSIDevice& d) {
    WriteParamsForDisc(d);
    if (ReadTOC(d, 4, 0, 120)) {
        const uint8_t* b = d.buffer.data();
        uint32_t lba = msf2lba(b[11], b[12], b[13], b[14]);
        if (lba > 0) return lba;
    }
    if (ReadDiscInformation(d, 34) &&
        ReadTrackInformation(d, uint8_t(std::clamp(TracksOnDisc(d), 1, 255)))) {
        if (!d.track.fixedPackets) return d.track.trackStart + d.track.trackSize;
        if (d.track.trackSize == 0xFFFFFFFFu) return 0;
        return GetFormatCapacity(d);
    }
    return GetFormatCapacity(d);
}

// ---- Writing ----

bool SetWriteParams(TSCSIDevice& d, bool testWrite, bool burnProof, int m, bool multisession) {
    if (!ModeSense10(d, 0x05, 72)) return false;
    uint8_t pageLength = d.buffer[9];
    if (pageLength == 0 || pageLength > 72 - 10) pageLength = 0x32;
    uint8_t* w = d.writeParams;
    std::memset(w, 0, sizeof d.writeParams);
    uint8_t* p = w + 8;
    p[0] = 0x05;
    p[1] = pageLength;
    uint8_t writeType = 1, trackMode = 4, ms = 0, linkSize = 0;
    bool fixedPackets = false, linkValid = false;
    uint32_t packetSize = 0;
    p[4] = 8;
    PutBE16(p + 14, 150);
    if (m == kMediaDVDR || m == 7 || m == kMediaDVDRWRestricted || m == kMediaDVDRWSequential) {
        writeType = 0;
        trackMode = 5;
    } else if (m == kMediaDDCDR || m == kMediaDDCDRW) {
        writeType = 2;
        trackMode = 5;
    }
    if (!testWrite) ms = multisession ? 3 : 0;
    if (m == kMediaDVDR) {
        ms = 3;
        fixedPackets = true;
        packetSize = 16;
        linkSize = 16;
        linkValid = true;
    } else if (m == kMediaDVDRWRestricted || m == kMediaDVDRWSequential) {
        ms = 3;
        packetSize = 16;
        linkSize = 16;
        linkValid = true;
    } else if (m == kMediaDVDPlusRW || m == kMediaDVDPlusR) {
        writeType = 2;
        trackMode = 4;
        linkSize = 16;
        linkValid = true;
        if (m == kMediaDVDPlusR && multisession) {
            fixedPackets = true;
            packetSize = 16;
        } else if (m == kMediaDVDPlusR) {
            linkSize = 0;
        }
    } else if (m == kMediaDVDPlusRDL) {
        writeType = 2;
        trackMode = 4;
    }
    bool bufe = m != kMediaDVDPlusRDL && burnProof && DeviceCan(d, kCanBufferUnderrunProtection);
    p[2] = uint8_t((bufe ? 0x40 : 0) | (linkValid ? 0x20 : 0) | (testWrite ? 0x10 : 0) |
                   (writeType & 0x0F));
    p[3] = uint8_t((ms << 6) | (fixedPackets ? 0x20 : 0) | (trackMode & 0x0F));
    p[5] = linkSize;
    PutBE32(p + 10, packetSize);
    return ModeSelect10(d, w, uint16_t(pageLength + 8 + 2));
}

namespace {
bool SendFixedParams(TSCSIDevice& d, uint8_t b2, uint8_t b3, uint8_t blockType,
                     uint8_t sessionFormat) {
    if (!ModeSense10(d, 0x05, 72)) return false;
    uint8_t pageLength = d.buffer[9];
    if (pageLength == 0 || pageLength > 72 - 10) pageLength = 0x32;
    uint8_t* w = d.writeParams;
    std::memset(w, 0, sizeof d.writeParams);
    uint8_t* p = w + 8;
    p[0] = 0x05;
    p[1] = pageLength;
    p[2] = b2;
    p[3] = b3;
    p[4] = blockType;
    p[8] = sessionFormat;
    PutBE16(p + 14, 150);
    return ModeSelect10(d, w, uint16_t(pageLength + 8 + 2));
}
} // namespace

bool SetWriteParams2(TSCSIDevice& d) {
    return SendFixedParams(d, 0x01, 0x05, 8, 0);
}

bool SetWriteParams3(TSCSIDevice& d) {
    return SendFixedParams(d, 0x02, 0xC4, 10, 0x20);
}

bool SetCDSpeed(TSCSIDevice& d, uint16_t readSpeed, uint16_t writeSpeed) {
    uint8_t cdb[12] = {0xBB};
    PutBE16(cdb + 2, readSpeed ? readSpeed : 0xFFFF);
    PutBE16(cdb + 4, writeSpeed ? writeSpeed : 0xFFFF);
    return Send(d, cdb, 12);
}

bool SetDeviceSpeed(TSCSIDevice& d, uint16_t readSpeed, uint16_t writeSpeed) {
    d.readSpeed = readSpeed;
    d.writeSpeed = writeSpeed;
    return SetCDSpeed(d, readSpeed, writeSpeed);
}

bool SetStreaming(TSCSIDevice& d, uint32_t start, uint32_t end, uint32_t readSize,
                  uint32_t readTime, uint32_t writeSize, uint32_t writeTime) {
    uint8_t cdb[12] = {0xB6};
    PutBE16(cdb + 9, 28);
    uint8_t desc[28] = {};
    PutBE32(desc + 4, start);
    PutBE32(desc + 8, end);
    PutBE32(desc + 12, readSize);
    PutBE32(desc + 16, readTime);
    PutBE32(desc + 20, writeSize);
    PutBE32(desc + 24, writeTime);
    return Send(d, cdb, 12, kSrbDataOut, desc, 28);
}

bool SetPerformance(TSCSIDevice& d, uint32_t start, uint32_t end) {
    uint32_t speed = d.writeSpeed ? d.writeSpeed : 0xFFFFFFFFu;
    return SetStreaming(d, start, end, speed, 1000, speed, 1000);
}

bool Write10(TSCSIDevice& d, uint32_t block, uint16_t count, uint32_t bytes, const uint8_t* data) {
    uint8_t cdb[10] = {0x2A};
    PutBE32(cdb + 2, block);
    PutBE16(cdb + 7, count);
    return Send(d, cdb, 10, kSrbDataOut, const_cast<uint8_t*>(data), bytes);
}

bool Read10(TSCSIDevice& d, uint32_t block, uint16_t count, uint8_t* data) {
    uint8_t cdb[10] = {0x28};
    PutBE32(cdb + 2, block);
    PutBE16(cdb + 7, count);
    return Send(d, cdb, 10, kSrbDataIn, data, uint32_t(count) * 2048);
}

bool CloseTrack(TSCSIDevice& d, bool immediate, bool session) {
    uint8_t cdb[10] = {0x5B, uint8_t(immediate ? 1 : 0), uint8_t(session ? 2 : 1)};
    return Send(d, cdb, 10);
}

bool CloseDVDTrack(TSCSIDevice& d, bool immediate, uint8_t function, uint16_t number) {
    uint8_t cdb[10] = {0x5B, uint8_t(immediate ? 1 : 0), uint8_t(function & 7)};
    PutBE16(cdb + 4, number);
    return Send(d, cdb, 10);
}

bool ReserveTrack(TSCSIDevice& d, uint32_t blocks) {
    uint8_t cdb[10] = {0x53};
    PutBE32(cdb + 5, blocks);
    return Send(d, cdb, 10);
}

bool SendDVDStructure(TSCSIDevice& d, uint8_t format, const uint8_t* data, uint16_t length) {
    uint8_t cdb[12] = {0xBF};
    cdb[7] = format;
    PutBE16(cdb + 8, length);
    std::vector<uint8_t> copy(data, data + length);
    return Send(d, cdb, 12, kSrbDataOut, copy.data(), length);
}

bool SendDVDStructureTimeStamp(TSCSIDevice& d, std::time_t time) {
    std::tm t{};
    localtime_r(&time, &t);
    uint8_t list[22] = {};
    PutBE16(list, 20);
    char digits[64];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d", (t.tm_year + 1900) % 10000,
                  (t.tm_mon + 1) % 100, t.tm_mday % 100, t.tm_hour % 100, t.tm_min % 100,
                  t.tm_sec % 100);
    std::memcpy(list + 8, digits, 14);
    return SendDVDStructure(d, 0x0F, list, 22);
}

bool FormatUnit(TSCSIDevice& d, uint8_t code, const uint8_t* list, uint16_t length) {
    uint8_t cdb[6] = {0x04, uint8_t(0x10 | (code & 7))};
    std::vector<uint8_t> copy(list, list + length);
    return Send(d, cdb, 6, kSrbDataOut, copy.data(), length);
}

bool Erase(TSCSIDevice& d, bool quick) {
    uint8_t cdb[12] = {0xA1, uint8_t(0x10 | (quick ? 1 : 0))};
    return Send(d, cdb, 12);
}

bool ReadBufferCapacity(TSCSIDevice& d) {
    uint8_t cdb[10] = {0x5C};
    PutBE16(cdb + 7, 32);
    if (!SendIn(d, cdb, 10, 32)) return false;
    d.bufferSize = GetBE32(d.buffer.data() + 4);
    d.bufferFree = GetBE32(d.buffer.data() + 8);
    return true;
}

uint32_t GetDeviceBufferSize(const TSCSIDevice& d) {
    return d.bufferSize;
}

uint32_t GetDeviceBufferPosition(const TSCSIDevice& d) {
    uint32_t size = d.bufferSize, free = d.bufferFree;
    return size > free ? size - free : 0;
}

// ---- Capabilities ----

bool GetDeviceCapabilities(TSCSIDevice& d) {
    d.capabilities = 0;
    auto page = [&d]() -> const uint8_t* {
        const uint8_t* b = d.buffer.data();
        if ((b[8] & 0x3F) == 0x2A) return b + 8;
        if ((b[16] & 0x3F) == 0x2A) return b + 16;
        return nullptr;
    };
    if (ModeSense10(d, 0x2A, 8 + 8 + 64, true)) {
        if (const uint8_t* p = page()) {
            d.defaultMaxRead = GetBE16(p + 8);
            d.defaultMaxWrite = GetBE16(p + 18);
        }
    }
    if (!ModeSense10(d, 0x2A, 8 + 8 + 64)) return false;
    const uint8_t* p = page();
    if (!p) return false;
    std::memcpy(d.caps, p, sizeof d.caps);
    d.maxRead = GetBE16(p + 8);
    d.capBufferSize = GetBE16(p + 12);
    d.curRead = GetBE16(p + 14);
    d.maxWrite = GetBE16(p + 18);
    d.curWrite = GetBE16(p + 20);
    if (d.curWrite == 0 && p[1] >= 28) d.curWrite = GetBE16(p + 28);
    uint8_t b2 = p[2], b3 = p[3];
    d.pageByte3 = b3;
    SetCap(d, kCanReadCDR, b2 & 0x01);
    SetCap(d, kCanReadCDRW, b2 & 0x02);
    SetCap(d, kCanReadDVDR, b2 & 0x10);
    SetCap(d, kCanReadDVDRAM, b2 & 0x20);
    SetCap(d, kCanWriteCDR, b3 & 0x01);
    SetCap(d, kCanWriteCDRW, b3 & 0x02);
    SetCap(d, kCanTestWrite, b3 & 0x04);
    SetCap(d, kCanWriteDVDR, b3 & 0x10);
    SetCap(d, kCanWriteDVDRAM, b3 & 0x20);
    bool bufe = (p[4] & 0x80) != 0;
    if (!bufe) bufe = ModeSense10(d, 0x30, 32);
    SetCap(d, kCanBufferUnderrunProtection, bufe);
    if (const uint8_t* f = Feature(d, 0x2A)) {
        SetCap(d, kCanReadDVDPlusRW, true);
        SetCap(d, kCanReadDVDPlusR, true);
        bool write = f[3] >= 1 && (f[4] & 1);
        SetCap(d, kCanWriteDVDPlusRW, write);
        SetCap(d, kCanWriteDVDPlusR, write);
    }
    if (const uint8_t* f = Feature(d, 0x3B)) {
        SetCap(d, kCanReadDVDPlusRDL, true);
        SetCap(d, kCanWriteDVDPlusRDL, f[3] >= 1 && (f[4] & 1));
    }
    if (const uint8_t* f = Feature(d, 0x2F)) {
        bool rw = f[3] >= 1 && (f[4] & 0x02);
        SetCap(d, kCanReadDVDRW, rw);
        SetCap(d, kCanWriteDVDRW, rw);
    }
    return true;
}

bool DeviceIsBurner(const TSCSIDevice& d) {
    return d.pageByte3 != 0;
}

bool DeviceCan(const TSCSIDevice& d, int number) {
    if (number < 1 || number > 22) return false;
    if ((number > 8 && number < 11) || (number > 18 && number < 21)) return false;
    return (d.capabilities >> number) & 1;
}

bool JustLinkCapable(const TSCSIDevice& d) {
    return DeviceCan(d, kCanBufferUnderrunProtection);
}

uint16_t GetDeviceMaxWriteSpeed(const TSCSIDevice& d) {
    return d.defaultMaxWrite;
}
uint16_t GetDeviceMaxReadSpeed(const TSCSIDevice& d) {
    return d.defaultMaxRead;
}
uint16_t GetMaxWriteSpeed(const TSCSIDevice& d) {
    return d.maxWrite;
}
uint16_t GetReadSpeed(const TSCSIDevice& d) {
    return d.curRead;
}
uint16_t GetWriteSpeed(const TSCSIDevice& d) {
    return d.curWrite;
}

} // namespace dw
