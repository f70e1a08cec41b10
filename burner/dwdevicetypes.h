// The device record and the seam through which every command block reaches a drive.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dw {

// Completion of an erase. Sender is the component (opaque here).
using TEraseDoneEvent = std::function<void(void* sender, bool eraseFailed)>;

enum class TDataDirection : uint8_t { None, In, Out };

// One command block as a transport carries it.
struct TScsiCommand {
    uint8_t cdb[16] = {};
    uint8_t cdbLength = 6;
    TDataDirection direction = TDataDirection::None;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    uint32_t timeoutSeconds = 12000;
};

// What came back: whether the transport delivered the command at all, the target status
// (0 good, 2 check condition, 8 busy) and the sense data of a check condition.
struct TScsiOutcome {
    bool delivered = false;
    uint8_t targetStatus = 0;
    uint8_t sense[32] = {};
    uint32_t senseLength = 0;
    bool mediumChanged = false; // the system saw a medium change; the command may be sent again
};

// Executes one command block on one drive. Implementations: SCSI generic pass-through, iSCSI,
// and the simulated drive of the tests.
class TScsiTransport {
  public:
    virtual ~TScsiTransport() = default;
    virtual bool Execute(const TScsiCommand& command, TScsiOutcome& outcome) = 0;
    // Drops the connection or handle; the next command opens it again.
    virtual void Close() {}
};

// The request block of the command layer (one execute request).
enum : uint8_t { kSrbPending = 0, kSrbCompleted = 1, kSrbError = 4 };
enum : uint8_t { kSrbNoData = 0x40, kSrbDataIn = 0x48, kSrbDataOut = 0x50 };

struct TSRB_ExecSCSICmd {
    uint8_t command = 2;
    uint8_t status = kSrbPending;
    uint8_t hostAdapter = 0;
    uint8_t flags = kSrbNoData;
    uint8_t target = 0;
    uint8_t lun = 0;
    uint32_t bufferLength = 0;
    uint8_t* buffer = nullptr;
    uint8_t senseLength = 24;
    uint8_t cdbLength = 0;
    uint8_t hostAdapterStatus = 0;
    uint8_t targetStatus = 0;
    uint8_t cdb[16] = {};
    uint8_t sense[32] = {};
};

struct TDeviceEntry {
    std::string letter; // the device name (sr0) or the iSCSI URL
    uint8_t type = 5;   // peripheral device type; 5 = CD/DVD
    uint8_t hostAdapter = 0, target = 0, lun = 0;
    std::string name;                          // display name
    std::string path;                          // /dev/sr0 or the URL
    std::shared_ptr<TScsiTransport> transport; // given when the drive is not opened by path
};

// Track information in host order.
struct TTrackInfo {
    bool valid = false;
    uint32_t trackStart = 0;
    uint32_t nextWritable = 0;
    uint32_t freeBlocks = 0;
    uint32_t fixedPacketSize = 0;
    uint32_t trackSize = 0;
    uint32_t lastRecorded = 0;
    bool fixedPackets = false;
    bool nwaValid = false;
};

// Capability numbers of DeviceCan.
enum : int {
    kCanReadCDR = 1,
    kCanReadCDRW = 2,
    kCanReadDVDRAM = 3,
    kCanReadDVDR = 4,
    kCanReadDVDRW = 5,
    kCanReadDVDPlusRW = 6,
    kCanReadDVDPlusR = 7,
    kCanReadDVDPlusRDL = 8,
    kCanWriteCDR = 11,
    kCanWriteCDRW = 12,
    kCanWriteDVDRAM = 13,
    kCanWriteDVDR = 14,
    kCanWriteDVDRW = 15,
    kCanWriteDVDPlusRW = 16,
    kCanWriteDVDPlusR = 17,
    kCanWriteDVDPlusRDL = 18,
    kCanTestWrite = 21,
    kCanBufferUnderrunProtection = 22,
};

// Media kinds as DiscIs reports them.
enum : int {
    kMediaUnknown = 0,
    kMediaCDROM = 1,
    kMediaCDR = 2,
    kMediaCDRW = 3,
    kMediaDVDROM = 4,
    kMediaDVDR = 5,
    kMediaDVDRAM = 6,
    kMediaDVDRWRestricted = 8,
    kMediaDVDRWSequential = 9,
    kMediaDVDPlusRW = 10,
    kMediaDVDPlusR = 11,
    kMediaDVDPlusRDL = 12,
    kMediaDDCDROM = 13,
    kMediaDDCDR = 14,
    kMediaDDCDRW = 15,
};

struct TSenseInfo {
    uint8_t key = 0, asc = 0, ascq = 0;
    int opcode = -1; // operation code of the command answered so; -1 when none
};

struct TSCSIDevice {
    std::shared_ptr<TScsiTransport> handle; // the selected drive's open transport
    std::vector<uint8_t> buffer = std::vector<uint8_t>(131070);
    std::vector<TDeviceEntry> devices;
    std::string letter = "?";
    bool interfaceReady = false;
    bool passThrough = false;
    bool closeAfterCommand = false;

    int selected = -1;
    uint8_t hostAdapter = 255, target = 255, lun = 255;
    char vendor[9] = {};
    char product[17] = {};
    int mediaKind = 0;

    uint8_t sense[32] = {};
    int lastOpcode = -1;     // operation code of the last command sent
    TSenseInfo failureSense; // of the command that made the last burn or erase fail
    // Names of the operation codes, for messages only (filled by OpenDevice).
    std::array<const char*, 256>
        commandNames{}; // of the command that made the last burn or erase fail
    bool busy = false;
    std::atomic<uint32_t> lastError{0};

    std::atomic<uint32_t> bufferSize{0}, bufferFree{0};
    TTrackInfo track;
    uint8_t discInfo[64] = {};
    uint16_t currentProfile = 0;
    uint8_t caps[64] = {};
    uint16_t defaultMaxRead = 0, defaultMaxWrite = 0;
    uint16_t maxRead = 0, maxWrite = 0, curRead = 0, curWrite = 0;
    uint32_t capBufferSize = 0;
    uint32_t capabilities = 0; // bit n: DeviceCan(n)
    uint8_t pageByte3 = 0;
    uint8_t writeParams[72] = {};

    bool burnProof = true;
    bool testWrite = false;
    bool finalizeDisc = false;
    bool performOPC = false;
    uint16_t readSpeed = 0, writeSpeed = 0;
    TEraseDoneEvent eraseHandler;
    bool eraseQuick = false;
    std::atomic<bool> finished{false};
    bool skipBufferQueries = false;

    std::string errorText;

    // Pauses of the burn and erase waits, in milliseconds: between readiness polls, between
    // retries of the first chunk, and between retries of a write.
    uint32_t readyPollMs = 5000;
    uint32_t firstRetryMs = 200;
    uint32_t writeRetryMs = 100;
};

// Error codes of the drive side; numbers from 256 up are ASC x 256 + ASCQ of the drive.
enum : uint32_t {
    kErrNoDevice = 11,
    kErrNoDisc = 12,
    kErrDiscNotWritable = 13,
    kErrDiscTooSmall = 14,
    kErrDeviceFailed = 15,
};

} // namespace dw
