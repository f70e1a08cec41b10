// Burning onto a drive: the session start, the write thread's drive steps, closing by media
// kind; the erase thread; importing a session.
#include "burner/dwburn.h"

#include "burner/dwcdburner.h"
#include "burner/dwcommonlib.h"
#include "burner/dwscsilib.h"
#include "burner/dwtree.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace dw {

namespace {

using Clock = std::chrono::steady_clock;

const uint8_t kFormatDVDRWSeq1[12] = {0x00, 0xA2, 0x00, 0x08, 0x00, 0x00,
                                      0x03, 0xE8, 0x54, 0x00, 0x00, 0x10};
const uint8_t kFormatDVDRWSeq2[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x00,
                                      0x00, 0x00, 0x54, 0x00, 0x00, 0x10};
const uint8_t kFormatDVDRWRestricted[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x00,
                                            0x00, 0x00, 0x4C, 0x00, 0x00, 0x10};
const uint8_t kFormatDVDPlusRW[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23,
                                      0x05, 0x40, 0x98, 0x00, 0x00, 0x00};
const uint8_t kFormatDVDRAM[12] = {0x00, 0x82, 0x00, 0x08, 0x00, 0x22,
                                   0x21, 0x20, 0x00, 0x00, 0x08, 0x00};

bool IsDVD(int m) {
    return m == kMediaDVDR || m == kMediaDVDRWRestricted || m == kMediaDVDRWSequential ||
           m == kMediaDVDPlusRW || m == kMediaDVDPlusR || m == kMediaDVDPlusRDL;
}

bool IsOverwritable(int m) {
    return m == kMediaDVDRAM || m == kMediaDVDRWRestricted || m == kMediaDVDRWSequential ||
           m == kMediaDVDPlusRW;
}

bool NotReady(const TSCSIDevice& d) {
    return d.sense[12] == 0x04;
}

// A pause that an abort ends at once (when `abortable`).
void Pause(TCDFiles& f, uint32_t ms, bool abortable) {
    if (ms == 0) return;
    std::unique_lock<std::mutex> g(f.lock);
    f.queueChanged.wait_for(g, std::chrono::milliseconds(ms),
                            [&] { return abortable && f.abort.load(); });
}

// READ DISC INFORMATION until the drive no longer reports not ready (bounded to an hour).
void WaitUntilReady(TCDFiles& f, TSCSIDevice& d, bool abortable) {
    auto end = Clock::now() + std::chrono::hours(1);
    while (!ReadDiscInformation(d, 34) && NotReady(d) && Clock::now() < end) {
        if (abortable && f.abort) return;
        Pause(f, d.readyPollMs, abortable);
    }
}

void WaitUnitReady(TCDFiles& f, TSCSIDevice& d) {
    auto end = Clock::now() + std::chrono::hours(1);
    while (!TestUnitReady(d) && NotReady(d) && Clock::now() < end)
        Pause(f, d.readyPollMs, false);
}

uint32_t DeviceFailureCode(TSCSIDevice& d) {
    d.failureSense = GetLastSense(d);
    uint32_t n = uint32_t(d.sense[12]) * 256 + d.sense[13];
    return n ? n : kErrDeviceFailed;
}

class TDriveSink : public TImageSink {
  public:
    TDriveSink(TCDFiles& f, TSCSIDevice& d, int media) : f_(f), d_(d), media_(media) {}

    void Begin() override {
        begun_ = true;
        d_.finished = false;
        d_.bufferSize = 0;
        d_.bufferFree = 0;
        std::time_t now = std::time(nullptr);
        FlushCache(d_);
        Rewind(d_);
        WriteParams();
        ReadDiscInformation(d_, 34);
        bool capacity = ReadBufferCapacity(d_);
        skipBuffer_ = capacity && d_.sense[12] == 0x14;
        start_ = f_.burningImage ? 0 : f_.sessionBase;
        WriteParams();
        SetCDSpeed(d_, d_.readSpeed, d_.writeSpeed);
        if (IsDVD(media_)) {
            uint32_t readSize = uint32_t(uint64_t(d_.curRead) * 144025 / 138500);
            uint32_t writeSize = uint32_t(uint64_t(d_.curWrite) * 144025 / 138500);
            SetStreaming(d_, start_, start_ + f_.imageSize, readSize, 1000, writeSize, 1000);
        }
        sessions_ = SessionsOnDisc(d_);
        if (media_ == kMediaDVDR) {
            SendDVDStructureTimeStamp(d_, now);
            ReserveTrack(d_, f_.imageSize);
        }
    }

    uint32_t FailureCode() const override { return failure_; }

    bool WriteBlocks(const uint8_t* data, uint32_t blocks, uint32_t block) override {
        if (first_) {
            first_ = false;
            if (IsOverwritable(media_)) {
                FlushCache(d_);
                bool ok = WriteFirst(data, blocks);
                FlushCache(d_);
                if (!ok) return false;
                if (block == 0) return Written();
            }
        }
        if (!WriteRetrying(data, blocks, block)) return false;
        return Written();
    }

    bool Close(bool) override {
        if (!begun_) return true; // nothing was sent: the disc stays as it was
        d_.finished = true;
        CloseByMedia();
        if (media_ != kMediaDVDRAM) WaitUntilReady(f_, d_, false);
        UnlockMedium(d_);
        LoadMedium(d_, false);
        Rewind(d_);
        TestUnitReady(d_);
        return true;
    }

  private:
    void WriteParams() {
        bool multisession = !d_.finalizeDisc;
        SetWriteParams(d_, d_.testWrite, d_.burnProof, media_, multisession);
    }

    bool Written() {
        ++chunks_;
        if (!skipBuffer_ && (chunks_ == 3 || (chunks_ > 3 && (chunks_ - 3) % 6 == 0)))
            ReadBufferCapacity(d_);
        return true;
    }

    // The first chunk at block 0, so that block 16 always describes the newest session.
    bool WriteFirst(const uint8_t* data, uint32_t blocks) {
        int busy = 0, other = 0;
        bool formatted = false;
        for (;;) {
            if (Write10(d_, 0, uint16_t(blocks), blocks * kBlockSize, data)) return true;
            if (f_.abort) return false;
            uint8_t asc = d_.sense[12], ascq = d_.sense[13];
            if (asc == 0x30 && ascq == 0x05 && media_ == kMediaDVDPlusRW && !formatted) {
                formatted = true;
                FormatUnit(d_, 1, kFormatDVDPlusRW, 12);
                WaitUntilReady(f_, d_, true);
                continue;
            }
            if (asc == 0x04 || d_.busy) {
                if (++busy > 5000) break;
                Pause(f_, d_.firstRetryMs, true);
                continue;
            }
            if (asc == 0 || asc == 0x29) {
                if (++other > 100) break;
                if (asc == 0x29) Pause(f_, 1000 * d_.firstRetryMs / 200, true);
                Pause(f_, d_.firstRetryMs, true);
                continue;
            }
            break;
        }
        failure_ = DeviceFailureCode(d_);
        return false;
    }

    bool WriteRetrying(const uint8_t* data, uint32_t blocks, uint32_t block) {
        for (int attempt = 0;; ++attempt) {
            if (Write10(d_, block, uint16_t(blocks), blocks * kBlockSize, data)) return true;
            if (f_.abort) return false;
            bool transient = d_.busy || d_.sense[12] == 0x04 || (d_.sense[2] & 0x0F) == 0;
            if (!transient || attempt >= 5000) break;
            Pause(f_, d_.writeRetryMs, true);
        }
        failure_ = DeviceFailureCode(d_);
        return false;
    }

    void CloseByMedia() {
        int s = sessions_;
        switch (media_) {
        case kMediaDVDR:
            FlushCache(d_);
            CloseDVDTrack(d_, false, 1, uint16_t(s + 1));
            CloseDVDTrack(d_, false, 1, uint16_t(s + 2));
            CloseDVDTrack(d_, false, 2, uint16_t(s + 3));
            break;
        case kMediaDVDPlusR:
            FlushCache(d_);
            CloseDVDTrack(d_, false, 1, uint16_t(s + 1));
            CloseDVDTrack(d_, false, 2, 255);
            break;
        case kMediaDVDPlusRDL:
            FlushCache(d_);
            CloseDVDTrack(d_, false, 1, uint16_t(s + 1));
            if (d_.finalizeDisc)
                CloseDVDTrack(d_, false, 6, 0);
            else
                CloseDVDTrack(d_, false, 2, 0);
            break;
        case kMediaDVDPlusRW:
            FlushCache(d_);
            CloseDVDTrack(d_, false, 3, 255);
            break;
        case kMediaDVDRWRestricted:
        case kMediaDVDRWSequential:
            FlushCache(d_);
            CloseDVDTrack(d_, false, 1, 1);
            CloseDVDTrack(d_, true, 2, 0);
            WaitUntilReady(f_, d_, false);
            break;
        default: {
            bool cd = media_ == kMediaCDR || media_ == kMediaCDRW;
            FlushCache(d_);
            if (media_ != kMediaDVDRAM) {
                WaitUntilReady(f_, d_, false);
                WaitUnitReady(f_, d_);
            }
            if (!cd && !CloseTrack(d_, false, false)) CloseTrack(d_, true, false);
            SetWriteParams(d_, d_.testWrite, d_.burnProof, media_, !d_.finalizeDisc);
            if (!CloseTrack(d_, true, true)) {
                if (cd)
                    CloseTrack(d_, true, false);
                else
                    CloseTrack(d_, false, true);
            }
            break;
        }
        }
    }

    TCDFiles& f_;
    TSCSIDevice& d_;
    int media_;
    int sessions_ = 0;
    uint32_t start_ = 0;
    uint32_t chunks_ = 0;
    uint32_t failure_ = 0;
    bool first_ = true;
    bool begun_ = false;
    bool skipBuffer_ = false;
};

void SetError(TCDFiles& f, uint32_t code, const std::string& name = std::string()) {
    std::lock_guard<std::mutex> g(f.lock);
    f.error = code;
    f.failingName = name;
}

// The checks and the drive steps before the threads start; false with the error set.
bool StartOnDrive(TCDFiles& f, TSCSIDevice& d, bool image) {
    d.failureSense = TSenseInfo{};
    if (d.selected < 0) {
        SetError(f, kErrNoDevice);
        return false;
    }
    int m = DiscIs(d);
    if (m == kMediaUnknown) {
        bool ready = TestUnitReady(d);
        uint32_t code = DeviceFailureCode(d);
        SetError(f, ready || d.sense[12] == 0 || d.sense[12] == 0x3A ? kErrNoDisc : code);
        return false;
    }
    if (m == kMediaCDROM || m == kMediaDVDROM || m == kMediaDDCDROM || !Writable(d)) {
        SetError(f, kErrDiscNotWritable);
        return false;
    }
    SetWriteParams(d, d.testWrite, d.burnProof, m, !d.finalizeDisc);
    ReadDiscInformation(d, 34);
    if (m == kMediaDVDRWSequential) {
        if (!FormatUnit(d, 1, kFormatDVDRWSeq1, 12)) FormatUnit(d, 1, kFormatDVDRWSeq2, 12);
        WaitUntilReady(f, d, false);
    } else if (m == kMediaDVDRWRestricted) {
        FormatUnit(d, 1, kFormatDVDRWRestricted, 12);
        WaitUntilReady(f, d, false);
    }
    uint32_t base = 0;
    if (m == kMediaDVDPlusRW || m == kMediaDVDRAM) {
        base = GetLastRecordedAddress(d);
    } else if (ReadTrackInformation(d, uint8_t(std::clamp(TracksOnDisc(d), 1, 255)))) {
        base = d.track.nextWritable;
    } else if (ReadTrackInformation(d, 1)) {
        base = d.track.trackStart;
    }
    d.mediaKind = m;
    // A disc that cannot hold the image is refused before anything is written.
    uint32_t free = GetFreeBlocksOnDisc(d);
    if (image && IsOverwritable(m)) free = std::max(free, GetTotalBlocksOnDisc(d));
    if (free < f.imageSize) {
        SetError(f, free == 0 ? kErrDiscNotWritable : kErrDiscTooSmall);
        return false;
    }
    f.sessionBase = image ? 0 : base;
    return true;
}

bool StartBurn(TCDFiles& f, TSCSIDevice& d, bool image, const std::string& imageFile) {
    if (f.running) return false;
    WaitForSession(f);
    SetError(f, kErrNone);
    int m = 0;
    if (image) {
        struct stat st {};
        if (::stat(imageFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            ::access(imageFile.c_str(), R_OK) != 0) {
            SetError(f, kErrOpenFile, imageFile);
            return false;
        }
        uint64_t blocks = (uint64_t(st.st_size) + kChunkSize - 1) / kChunkSize * kChunkBlocks;
        if (blocks == 0 || blocks > 0xFFFFFFF0u) {
            SetError(f, kErrOpenFile, imageFile);
            return false;
        }
        f.imageSize = uint32_t(blocks);
    } else if (!f.prepared) {
        SetError(f, kErrNotPrepared);
        return false;
    }
    if (!StartOnDrive(f, d, image)) return false;
    m = d.mediaKind;
    f.buildingImage = false;
    f.burningImage = image;
    f.imagePath = image ? imageFile : std::string();
    std::unique_ptr<TImageSink> sink(new (std::nothrow) TDriveSink(f, d, m));
    if (!sink) {
        SetError(f, kErrOutOfMemory);
        return false;
    }
    return StartSession(f, std::move(sink));
}

} // namespace

bool Burn(TCDFiles& f, TSCSIDevice& d) {
    try {
        return StartBurn(f, d, false, std::string());
    } catch (...) {
        SetError(f, kErrOutOfMemory);
        return false;
    }
}

bool BurnISOImage(TCDFiles& f, TSCSIDevice& d, const std::string& imageFile) {
    try {
        return StartBurn(f, d, true, imageFile);
    } catch (...) {
        SetError(f, kErrOutOfMemory);
        return false;
    }
}

// ---- Erasing ----

namespace {

bool WriteZeros(TCDFiles& f, TSCSIDevice& d, uint32_t chunks) {
    std::vector<uint8_t> zeros(kChunkSize);
    for (uint32_t i = 0; i < chunks; ++i) {
        if (f.abort) return false;
        if (!Write10(d, i * kChunkBlocks, uint16_t(kChunkBlocks), kChunkSize, zeros.data()))
            return false;
    }
    return true;
}

void EraseThreadExecute(TCDFiles& f, TSCSIDevice& d) {
    bool failed = false;
    try {
        int m = DiscIs(d);
        SetCDSpeed(d, d.readSpeed, d.writeSpeed);
        SetWriteParams(d, d.testWrite, d.burnProof, m, !d.finalizeDisc);
        bool quick = d.eraseQuick;
        if (m == kMediaUnknown) {
            failed = true;
        } else if (m == kMediaDVDPlusRW) {
            if (!FormatUnit(d, 1, kFormatDVDPlusRW, 12)) {
                failed = true;
            } else {
                WaitUntilReady(f, d, false);
                if (quick) {
                    failed = !WriteZeros(f, d, 16);
                    CloseDVDTrack(d, false, 3, 255);
                } else {
                    f.status = kStatusErasing;
                    failed = !WriteZeros(f, d, 2048);
                }
            }
        } else if (m == kMediaDVDRAM) {
            if (quick) {
                failed = !WriteZeros(f, d, 128);
            } else if (!FormatUnit(d, 1, kFormatDVDRAM, 12)) {
                failed = true;
            } else {
                WaitUnitReady(f, d);
            }
        } else {
            if (!Erase(d, quick))
                failed = true;
            else
                WaitUntilReady(f, d, false);
        }
    } catch (...) {
        failed = true;
    }
    if (failed) d.failureSense = GetLastSense(d);
    f.status = kStatusIdle;
    TEraseDoneEvent handler = d.eraseHandler;
    void* sender = f.sender;
    f.running = 0;
    try {
        if (handler) handler(sender, failed);
    } catch (...) {
    }
}

} // namespace

bool EraseDisc(TCDFiles& f, TSCSIDevice& d, bool quick) {
    try {
        if (f.running) return false;
        WaitForSession(f);
        if (d.selected < 0) {
            SetError(f, kErrNoDevice);
            return false;
        }
        f.status = kStatusEraseRequested;
        d.eraseQuick = quick;
        f.abort = 0;
        f.running = 1;
        f.writeThread = std::thread(EraseThreadExecute, std::ref(f), std::ref(d));
        return true;
    } catch (...) {
        f.running = 0;
        f.status = kStatusIdle;
        SetError(f, kErrSystem);
        return false;
    }
}

// ---- Importing a session ----

namespace {

int64_t RecordTime(const uint8_t* t) {
    std::tm tm{};
    tm.tm_year = t[0];
    tm.tm_mon = t[1] - 1;
    tm.tm_mday = t[2];
    tm.tm_hour = t[3];
    tm.tm_min = t[4];
    tm.tm_sec = t[5];
    int64_t utc = int64_t(timegm(&tm));
    return utc - int64_t(int8_t(t[6])) * 15 * 60;
}

bool ReadBlocks(TSCSIDevice& d, uint32_t block, uint32_t count, std::vector<uint8_t>& out) {
    out.assign(size_t(count) * kBlockSize, 0);
    for (uint32_t i = 0; i < count; i += 16) {
        uint32_t n = std::min<uint32_t>(16, count - i);
        if (!Read10(d, block + i, uint16_t(n), out.data() + size_t(i) * kBlockSize)) return false;
    }
    return true;
}

void ImportDir(TCDFiles& f, TSCSIDevice& d, TDirEntry* target, uint32_t extent, uint32_t size,
               int depth) {
    if (depth > 64 || size == 0 || size > 64u * 1048576) return;
    std::vector<uint8_t> data;
    if (!ReadBlocks(d, extent, Sectors(size), data)) return;
    size_t pos = 0;
    int index = 0;
    while (pos < size) {
        uint8_t len = data[pos];
        if (len == 0) { // records do not cross a block boundary
            pos = (pos / kBlockSize + 1) * kBlockSize;
            continue;
        }
        if (len < 34 || pos + len > data.size()) break;
        const uint8_t* r = data.data() + pos;
        pos += len;
        if (index++ < 2) continue; // "." and ".."
        uint8_t nameLen = r[32];
        if (33u + nameLen > len) continue;
        std::u16string name;
        for (uint8_t i = 0; i + 1 < nameLen; i += 2)
            name.push_back(char16_t((r[33 + i] << 8) | r[34 + i]));
        size_t semi = name.find(u';');
        if (semi != std::u16string::npos) name.resize(semi);
        if (name.empty()) continue;
        TFindData fd;
        fd.longName = name;
        fd.lastWriteTime = RecordTime(r + 18);
        uint32_t childExtent = GetLE32(r + 2);
        uint32_t childSize = GetLE32(r + 10);
        if (r[25] & 0x02) {
            fd.attributes = kAttrDirectory;
            TDirEntry* sub = CreateDirIn(f, target, fd, true);
            if (sub) ImportDir(f, d, sub, childExtent, childSize, depth + 1);
        } else {
            fd.size = childSize;
            if (name.back() == u'.') fd.longName.pop_back(); // "README." was README
            InsertEntry(f, target, fd, true, childExtent, std::string());
        }
    }
}

} // namespace

int ImportSessionW(TCDFiles& f, TSCSIDevice& d, int session, std::u16string_view destPath) {
    try {
        f.status = kStatusImporting;
        if (session <= 0) session = SessionsOnDisc(d);
        TDirEntry* target = FindDirW(f, destPath);
        if (!target) target = f.root;
        uint32_t start = 0;
        if (ReadTrackInformation(d, uint8_t(std::clamp(session, 1, 255))))
            start = d.track.trackStart;
        // A rewritable disc keeps its newest descriptors at block 16, whatever the session.
        std::vector<uint8_t> block(kBlockSize);
        for (uint32_t b = start + 16; b < start + 32; ++b) {
            if (!Read10(d, b, 1, block.data())) break;
            if (block[0] == 255) break;
            if (block[0] == 2 && std::memcmp(block.data() + 1, "CD001", 5) == 0) {
                const uint8_t* root = block.data() + 156;
                ImportDir(f, d, target, GetLE32(root + 2), GetLE32(root + 10), 0);
                break;
            }
        }
    } catch (...) {
        SetError(f, kErrOutOfMemory);
    }
    f.status = kStatusIdle;
    return session;
}

bool InitializeDiscWriter(TCDFiles& f, TSCSIDevice& d) {
    try {
        d.burnProof = true;
        bool ok = InitializeASPI(d, {});
        ClearAll(f);
        SetCacheSize(f, 8 * 1048576);
        return ok;
    } catch (...) {
        return false;
    }
}

std::optional<std::string> DeviceErrorText(uint32_t code) {
    switch (code) {
    case kErrNoDevice:
        return "No drive selected";
    case kErrNoDisc:
        return "No disc in the drive";
    case kErrDiscNotWritable:
        return "The disc in the drive cannot be written";
    case kErrDiscTooSmall:
        return "The disc has too little free space for the image";
    case kErrDeviceFailed:
        return "The drive did not answer";
    default:
        return std::nullopt;
    }
}

} // namespace dw
