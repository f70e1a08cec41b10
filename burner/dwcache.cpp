// The cache thread: assembles the image stream in 64 KiB chunks ahead of the writer.
#include "burner/dwcdburner.h"

#include "burner/dwcommonlib.h"
#include "burner/dwiso9660.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwtree.h"
#include "burner/dwudfbridge.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dw {

namespace {

using namespace std::chrono_literals;

uint8_t* AllocChunk(TCDFiles& f) {
    {
        std::lock_guard<std::mutex> g(f.lock);
        if (!f.freeChunks.empty()) {
            uint8_t* p = f.freeChunks.back();
            f.freeChunks.pop_back();
            return p;
        }
    }
    return new (std::nothrow) uint8_t[kChunkSize];
}

// Assembles the stream: bytes go into the staging chunk, which is queued whenever it is full.
class TStager {
  public:
    explicit TStager(TCDFiles& f) : f_(f) {}
    ~TStager() {
        if (cur_) ReleaseChunk(f_, cur_);
    }

    bool Ok() const { return !f_.abort.load(); }
    uint64_t Position() const { return pos_; }

    // Room left in the staging chunk, allocating one when needed; null on failure.
    uint8_t* Space(uint32_t& room) {
        if (!cur_) {
            cur_ = AllocChunk(f_);
            fill_ = 0;
            if (!cur_) {
                Fail(kErrOutOfMemory, std::string());
                return nullptr;
            }
        }
        room = kChunkSize - fill_;
        return cur_ + fill_;
    }
    bool Advance(uint32_t n) {
        fill_ += n;
        pos_ += n;
        if (fill_ == kChunkSize) return Enqueue();
        return Ok();
    }
    bool Bytes(const uint8_t* data, uint64_t n) {
        while (n > 0) {
            uint32_t room;
            uint8_t* p = Space(room);
            if (!p) return false;
            uint32_t k = uint32_t(std::min<uint64_t>(room, n));
            if (data) {
                std::memcpy(p, data, k);
                data += k;
            } else {
                std::memset(p, 0, k);
            }
            n -= k;
            if (!Advance(k)) return false;
        }
        return Ok();
    }
    bool ZerosTo(uint64_t bytePos) {
        return bytePos > pos_ ? Bytes(nullptr, bytePos - pos_) : Ok();
    }

    void Fail(uint32_t code, const std::string& name) {
        std::lock_guard<std::mutex> g(f_.lock);
        if (f_.error == kErrNone) {
            f_.error = code;
            f_.failingName = name;
        }
        f_.cacheDone = 1;
        f_.abort = 1;
        f_.queueChanged.notify_all();
    }

  private:
    bool Enqueue() {
        std::unique_lock<std::mutex> g(f_.lock);
        // Wait for room; the writer wakes us whenever it takes a chunk.
        while (f_.queue.size() >= f_.queueLimit && !f_.abort) {
            if (!f_.canStart) {
                f_.canStart = 1;
                f_.cachePriority = 0; // idle while the queue is full
                f_.queueChanged.notify_all();
            }
            f_.queueChanged.wait_for(g, 20ms);
        }
        if (f_.abort) return false;
        f_.cacheBusy = 1;
        f_.queue.push_back({cur_, kChunkSize});
        f_.queueCount = uint32_t(f_.queue.size());
        f_.bytesCached += kChunkSize;
        const size_t n = f_.queue.size();
        f_.cachePriority = n < f_.queueLimit / 4 ? 5 : n < f_.queueLimit / 2 ? 3 : 1;
        f_.cacheBusy = 0;
        f_.queueChanged.notify_all();
        cur_ = nullptr;
        fill_ = 0;
        return true;
    }

    TCDFiles& f_;
    uint8_t* cur_ = nullptr;
    uint32_t fill_ = 0;
    uint64_t pos_ = 0;
};

// Streams a file of `size` bytes as whole blocks (the tail of the last block is zero). A file
// that ends early, for instance one that shrank since it was inserted, is a read error.
bool StreamFile(TStager& s, const std::string& path, uint64_t size) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        s.Fail(kErrOpenFile, path);
        return false;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const uint64_t total = uint64_t(Sectors(size)) * kBlockSize;
    uint64_t done = 0;
    while (done < total) {
        uint32_t room;
        uint8_t* p = s.Space(room);
        if (!p) break;
        uint32_t want = uint32_t(std::min<uint64_t>(room, total - done));
        uint32_t got = 0;
        uint32_t dataWant = uint32_t(std::min<uint64_t>(want, size > done ? size - done : 0));
        while (got < dataWant) {
            ssize_t r = read(fd, p + got, dataWant - got);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                close(fd);
                s.Fail(kErrOpenFile, path);
                return false;
            }
            got += uint32_t(r);
        }
        std::memset(p + got, 0, want - got);
        done += want;
        if (!s.Advance(want)) break;
    }
    close(fd);
    return s.Ok();
}

bool StreamMemoryFile(TStager& s, TFileEntry& e) {
    const uint64_t total = uint64_t(Sectors(e.size)) * kBlockSize;
    uint64_t done = 0;
    while (done < total) {
        uint32_t room;
        uint8_t* p = s.Space(room);
        if (!p) return false;
        uint32_t want = uint32_t(std::min<uint64_t>(room, total - done));
        uint32_t dataWant = uint32_t(std::min<uint64_t>(want, e.size > done ? e.size - done : 0));
        // A reader may deliver less than asked; it is asked again for the rest, and one that
        // delivers nothing before the size is reached has failed.
        uint32_t got = 0;
        while (got < dataWant) {
            int64_t r = e.reader(&e, done + got, p + got, dataWant - got);
            if (r <= 0) {
                s.Fail(kErrOpenFile, Utf16ToUtf8(e.longName));
                return false;
            }
            got += uint32_t(std::min<int64_t>(r, dataWant - got));
        }
        std::memset(p + got, 0, want - got);
        done += want;
        if (!s.Advance(want)) return false;
    }
    return s.Ok();
}

bool StreamUDFArea(TStager& s, TCDFiles& f) {
    ResetPacket(f);
    uint32_t left = f.udf.areaBlocks;
    while (left > 0) {
        uint32_t room;
        uint8_t* p = s.Space(room);
        if (!p) return false;
        uint32_t blocks = std::min(left, room / kBlockSize);
        BuildPacket(f, p, blocks);
        left -= blocks;
        if (!s.Advance(blocks * kBlockSize)) return false;
    }
    return s.Ok();
}

bool StreamImage(TStager& s, TCDFiles& f) {
    const uint64_t B = kBlockSize;
    if (f.burningImage) {
        // An image file as it is, padded to the whole chunks the writer takes.
        struct stat st {};
        if (::stat(f.imagePath.c_str(), &st) != 0) {
            s.Fail(kErrOpenFile, f.imagePath);
            return false;
        }
        return StreamFile(s, f.imagePath, uint64_t(st.st_size)) &&
               s.ZerosTo(uint64_t(f.imageSize) * B);
    }
    // The in-memory header, then the parts of the header that are read or made on demand.
    if (!s.Bytes(f.header.data(), f.header.size())) return false;
    {
        std::lock_guard<std::mutex> g(f.lock);
        f.header.clear();
        f.header.shrink_to_fit();
    }
    if (!f.bootImage.empty()) {
        if (!s.ZerosTo(f.bootImageBlock * B) || !StreamFile(s, f.bootImage, f.bootSize))
            return false;
    }
    if (f.udfBridge) {
        if (!s.ZerosTo(f.udf.areaStart * B) || !StreamUDFArea(s, f)) return false;
    }
    for (auto& e : f.fileTable) {
        if (e->directory || e->size == 0 || e->absoluteExtent) continue;
        if (!s.ZerosTo((uint64_t(f.fileDataStart) + e->extent) * B)) return false;
        bool ok = e->hasSource ? StreamFile(s, e->sourcePath, e->size)
                  : e->reader  ? StreamMemoryFile(s, *e)
                               : s.Bytes(nullptr, uint64_t(Sectors(e->size)) * B);
        if (!ok) return false;
    }
    if (f.udfBridge) {
        if (!s.ZerosTo(uint64_t(f.udf.lastBlock) * B)) return false;
        uint8_t anchor[kBlockSize];
        BuildAVDP(f, anchor, f.udf.lastBlock);
        if (!s.Bytes(anchor, B)) return false;
    }
    return s.ZerosTo(uint64_t(f.imageSize) * B);
}

} // namespace

void ReleaseChunk(TCDFiles& f, uint8_t* data) {
    if (!data) return;
    std::lock_guard<std::mutex> g(f.lock);
    if (f.freeChunks.size() < 4) {
        try {
            f.freeChunks.push_back(data);
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    delete[] data;
}

void CacheThreadExecute(TCDFiles& f) {
    {
        std::lock_guard<std::mutex> g(f.lock);
        f.queue.clear();
        f.queueCount = 0;
        f.bytesCached = 0;
        f.cacheDone = 0;
    }
    {
        TStager s(f);
        try {
            // A stream that does not fill the laid-out image means the tree changed after
            // Prepare.
            if (StreamImage(s, f) && s.Position() != uint64_t(f.imageSize) * kBlockSize)
                s.Fail(kErrNotPrepared, std::string());
        } catch (const std::bad_alloc&) {
            s.Fail(kErrOutOfMemory, std::string());
        } catch (...) {
            s.Fail(kErrSystem, std::string());
        }
    }
    std::unique_lock<std::mutex> g(f.lock);
    f.canStart = 1;
    f.queueChanged.notify_all();
    // Stay until the writer has everything, so that an abort can still free what is queued.
    while (f.blocksToDeliver > 0 && !f.abort)
        f.queueChanged.wait_for(g, 5ms);
    for (auto& c : f.queue)
        delete[] c.data;
    f.queue.clear();
    f.queueCount = 0;
    f.bytesCached = 0;
    f.cacheDone = 1;
    f.queueChanged.notify_all();
}

} // namespace dw
