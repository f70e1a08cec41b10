// Record types shared by every unit of the disc writer.
#pragma once

#include "burner/dwdevicetypes.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace dw {

constexpr uint32_t kBlockSize = 2048;
constexpr uint32_t kChunkSize = 65536; // 32 blocks: the unit of every transfer
constexpr uint32_t kChunkBlocks = kChunkSize / kBlockSize;
constexpr size_t kMaxFiles = 200000;
constexpr size_t kMaxDirs = 65000;
constexpr size_t kMaxQueue = 10000;

// Attribute bits as the tree stores them.
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrDirectory = 0x10;

// Component status values.
enum : uint16_t {
    kStatusIdle = 0,
    kStatusWriting = 1,
    kStatusEraseRequested = 2,
    kStatusErasing = 3,
    kStatusClosing = 4,
    kStatusPreparing = 6,
    kStatusAborted = 7,
    kStatusImporting = 8,
    kStatusWriteFailed = 9,
};

// Error codes of the engine; anything else is a device error number.
enum : uint32_t {
    kErrNone = 0,
    kErrNotPrepared = 1,
    kErrOpenFile = 2,
    kErrCreateFile = 3,
    kErrAborted = 4,
    kErrOutOfMemory = 5,
    kErrSystem = 6,         // the system refused a resource other than memory (a thread)
    kErrFileTooLarge = 7,   // names the file
    kErrBadName = 8,        // empty, longer than 255 UTF-16 units, or with a '/'
    kErrTooManyEntries = 9, // the file or folder table is full; names the entry
    kErrNameClash = 10,     // a file and a folder, or two entries, want the same name
};

// Local calendar time, field for field like the platform's system time record.
struct TSystemTime {
    uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
    uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

struct TFileEntry;
struct TDirEntry;
struct TCDFiles;

// Delivers the bytes of a memory file: fills `count` bytes at `position`; returns the bytes
// delivered, or a negative number when the data cannot be produced.
using TMemoryFileReader =
    std::function<int64_t(TFileEntry* entry, uint64_t position, uint8_t* buffer, uint32_t count)>;

// Description of a file or folder as the tree receives it (the find data of the platform).
struct TFindData {
    uint32_t attributes = 0;
    int64_t lastWriteTime = 0; // seconds since the Unix epoch, UTC
    uint64_t size = 0;
    std::u16string longName;
    std::u16string shortName; // empty: taken from the long name
};

struct TDirEntry {
    TDirEntry* parent = nullptr;
    std::u16string longName;
    char isoName[16] = {};
    uint32_t isoSize = 0;
    uint32_t jolietSize = 0;
    uint32_t isoOffset = 0;
    uint32_t jolietOffset = 0;
    uint16_t depth = 0;
    uint16_t number = 0;  // in the ISO path table
    uint16_t numberJ = 0; // in the Joliet path table, whose order may differ
    uint8_t isoNameLen = 0;
    uint8_t longNameLen = 0;
    TFileEntry* firstChild = nullptr;
    const TFileEntry* entry = nullptr; // its own entry in the parent's child list; nil for the root
    std::string origin;                // the source folder it was made from, when one
    std::u16string jolietId; // as recorded, set by Prepare: cut to fit, unique in the parent
    // Record order of its children in each tree, set by Prepare (ECMA-119 9.3 for ISO and
    // Joliet; the same rule on the recorded names for UDF).
    std::vector<TFileEntry*> isoOrder, jolietOrder, udfOrder;
    // UDF part
    uint32_t udfLinkCount = 0;
    uint32_t udfDirSize = 0; // bytes of its file identifier descriptors
    uint32_t udfBlock = 0;   // block of its file entry, relative to the partition
    uint32_t udfFidBlock = 0;
    // Lookup helpers, kept beside the child list so large folders stay fast.
    TFileEntry* lastChild = nullptr;
    std::unordered_map<std::u16string, TFileEntry*> byFoldedName; // upper-cased long name: first
    std::unordered_map<std::u16string, TFileEntry*> byExactName;  // long name as given
    std::unordered_set<std::string> isoNamesUsed;                 // ISO names without ";1"
    // Per ~n stem: every number below the memo is taken, so clashes need no rescan from 1.
    std::unordered_map<std::string, unsigned> shortNameNext;
};

struct TFileEntry {
    char isoName[16] = {};
    std::u16string jolietName; // long name with "." and ";1" for files (";1" only when missing)
    std::u16string longName;
    // As recorded, set by Prepare: cut to fit the record, keeping the extension, unique in the
    // folder. Joliet with ";1" for files; UDF without.
    std::u16string jolietId;
    std::u16string udfName;
    std::string sourcePath; // native path of the source; empty for folders and memory files
    bool hasSource = false;
    TSystemTime date;
    int8_t tzOffset = 0; // of `date`, in 15-minute units east of UTC
    int64_t utcTime = 0; // the same instant, seconds since the epoch
    uint64_t size = 0;
    uint32_t extent = 0;
    uint8_t absoluteExtent = 0;
    uint32_t attributes = 0;
    uint8_t isoNameLen = 0;
    uint8_t jolietNameLen = 0;
    uint8_t wide = 0;
    TMemoryFileReader reader;
    TFileEntry* next = nullptr;
    TDirEntry* directory = nullptr;
    uint32_t udfBlock = 0;
};

// Where the write thread sends the stream of the image: an image file or, later, a drive.
class TImageSink {
  public:
    virtual ~TImageSink() = default;
    // Prepares the target before the first block (on the write thread).
    virtual void Begin() {}
    // The error code of a failed write; 0 lets the caller choose.
    virtual uint32_t FailureCode() const { return 0; }
    // Writes `blocks` whole blocks at image block `block`; false when the write failed for good.
    virtual bool WriteBlocks(const uint8_t* data, uint32_t blocks, uint32_t block) = 0;
    // Ends the stream; `failed` tells whether the writing stopped early.
    virtual bool Close(bool failed) = 0;
};

// Completion of a burn or image build. Sender is the component (opaque here).
using TWriteDoneEvent = std::function<void(void* sender, bool writeFailed)>;
// Runs a procedure on the user-interface thread; when empty, procedures run on the calling thread.
using TSynchronizer = std::function<void(std::function<void()>)>;

// One step of the depth-first walk over the tree that the UDF file-entry area follows.
struct TUDFNode {
    TDirEntry* dir = nullptr;   // a folder: its file entry and its identifier descriptors
    TFileEntry* file = nullptr; // the folder's own entry (nil for the root), or a file
    uint64_t uniqueId = 0;
};

struct TUDFLayout {
    uint32_t vrsBlock = 0;
    uint32_t mainVDS = 32, reserveVDS = 48, lvis = 64, anchor = 256, fileSet = 257;
    uint32_t partitionStart = 257; // image block that the layout counts logical blocks from
    // Where the partition lies on the disc, set once the session base is known: its first block
    // (logical block 0) and the amount added to the layout's logical block numbers.
    uint32_t partitionFirst = 257;
    uint32_t logicalOffset = 0;
    uint32_t partitionLength = 0;
    uint32_t areaStart = 0;  // first block of the file-entry area
    uint32_t areaBlocks = 0; // its length
    uint32_t fileCount = 0, dirCount = 0;
    uint64_t nextUniqueId = 16;
    uint32_t lastBlock = 0; // image block of the closing anchor
    int64_t stampTime = 0;  // recording time of every descriptor, seconds since the epoch (UTC)
    std::vector<TUDFNode> nodes;
    // Resumable production of the file-entry area.
    size_t packetNode = 0;
    std::vector<uint8_t> packetBytes;
    size_t packetPos = 0;
    uint32_t packetBlock = 0;
};

// One queued piece of the image.
struct TChunk {
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
};

struct TCDFiles {
    std::atomic<uint8_t> abort{0};
    std::vector<std::unique_ptr<TFileEntry>> fileTable;
    std::vector<std::unique_ptr<TDirEntry>> dirTable;
    std::vector<TDirEntry*> pathTable;  // ISO path table order
    std::vector<TDirEntry*> pathTableJ; // Joliet path table order
    uint32_t fileCount = 0;
    uint32_t dirCount = 0;
    uint32_t padBlocks = 0;
    TDirEntry* root = nullptr;

    std::u16string volumeIDW;
    char volumeID[33] = {};

    // Layout (set by Prepare)
    uint32_t sessionBase = 0;
    uint32_t pathTableSize = 0, pathTableSizeJ = 0;
    uint32_t dirAreaBlocks = 0, dirAreaBlocksJ = 0;
    uint32_t dirAreaStart = 0, dirAreaStartJ = 0;
    uint32_t lPathBlock = 0, mPathBlock = 0, lPathBlockJ = 0, mPathBlockJ = 0;
    uint32_t fileDataStart = 0;
    uint32_t nextFree = 0;
    uint32_t fileBlocks = 0;
    uint32_t imageSize = 0;
    std::atomic<uint32_t> blocksWritten{0};

    // Recording time of the image (set by Prepare): the root's date and the UDF time stamps.
    int64_t recordTime = 0;    // seconds since the epoch (UTC)
    uint64_t recordTimeUs = 0; // the same in microseconds, for identifiers that must be unique
    // What Prepare found beyond the limits of ECMA-119 6.8.2.1 in the primary tree (8 folder
    // levels, 255-byte paths): the deepest folder and the longest path, with their measures.
    uint32_t deepestLevel = 0; // the root is level 1
    std::string deepestPath;
    uint32_t longestPathBytes = 0;
    std::string longestPath;

    // Folder import: links to folders are followed only on request; what is passed over
    // (devices, pipes, sockets, dangling links, folder links, loops) is listed with the reason.
    bool followLinks = false;
    std::vector<std::pair<std::string, std::string>> skipped; // source path, reason

    // Flags
    bool replaceFile = false;
    bool prepared = false;
    bool postGap = false;
    bool joliet = true;
    bool udfBridge = true;
    bool isoFS = true;
    std::atomic<uint16_t> status{0};
    int8_t tzOffset = 0;

    // Output: the in-memory part of the header (everything before the boot image)
    std::vector<uint8_t> header;
    uint32_t headerPos = 0;

    // Cache
    uint32_t cacheSize = 2 * 1048576;

    // Boot image
    std::string bootImage;
    uint32_t bootSize = 0;
    uint32_t bootCatalogBlock = 0;
    uint32_t bootImageBlock = 0;

    // Error
    std::atomic<uint32_t> error{0};
    std::string failingName; // guarded by `lock`

    // Thread buffers and queue (guarded by `lock`)
    std::deque<TChunk> queue;
    uint32_t queueLimit = 32;
    uint64_t bytesCached = 0;
    uint64_t blocksToDeliver = 0;
    std::vector<uint8_t*> freeChunks;
    std::atomic<uint8_t> writerBusy{0}, cacheBusy{0};
    std::atomic<uint8_t> cacheDone{0}, canStart{0};
    std::atomic<uint8_t> cachePriority{2};
    std::atomic<uint32_t> queueCount{0};
    bool buildingImage = false;
    bool burningImage = false;
    std::string imagePath;
    std::unique_ptr<TImageSink> sink;
    std::condition_variable queueChanged;
    std::thread cacheThread, writeThread;
    std::atomic<uint8_t> running{0};

    std::mutex lock;

    TUDFLayout udf;

    TWriteDoneEvent onWriteDone;
    TSynchronizer synchronize;
    void* sender = nullptr;
};

} // namespace dw
