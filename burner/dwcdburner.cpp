// Session start, the write thread and the hand-off between the two threads.
#include "burner/dwcdburner.h"

#include "burner/dwcommonlib.h"
#include "burner/dwiso9660.h"
#include "burner/dwudfbridge.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace dw {

namespace {

using namespace std::chrono_literals;

class TImageFileSink : public TImageSink {
  public:
    explicit TImageFileSink(int fd) : fd_(fd) {}
    ~TImageFileSink() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool WriteBlocks(const uint8_t* data, uint32_t blocks, uint32_t) override {
        size_t left = size_t(blocks) * kBlockSize;
        while (left > 0) {
            ssize_t w = ::write(fd_, data, left);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            data += w;
            left -= size_t(w);
        }
        return true;
    }
    bool Close(bool) override {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

void JoinIfOther(std::thread& t) {
    if (!t.joinable()) return;
    if (t.get_id() == std::this_thread::get_id())
        t.detach();
    else
        t.join();
}

void SetErrorOnce(TCDFiles& f, uint32_t code, const std::string& name) {
    std::lock_guard<std::mutex> g(f.lock);
    if (f.error == kErrNone) {
        f.error = code;
        f.failingName = name;
    }
}

// Records a failure that carries no file name: the string stays as it is, so nothing allocates.
void SetErrorCode(TCDFiles& f, uint32_t code) {
    std::lock_guard<std::mutex> g(f.lock);
    if (f.error == kErrNone) f.error = code;
}

uint32_t CodeOfCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory;
    } catch (...) {
        return kErrSystem;
    }
}

// The caller's handler is not ours to let throw into a thread body.
void WriteDone(TCDFiles& f, bool writeFailed) {
    try {
        TWriteDoneEvent handler;
        TSynchronizer sync;
        void* sender;
        {
            std::lock_guard<std::mutex> g(f.lock);
            handler = f.onWriteDone;
            sync = f.synchronize;
            sender = f.sender;
        }
        f.running = 0;
        if (!handler) return;
        if (sync)
            sync([handler, sender, writeFailed] { handler(sender, writeFailed); });
        else
            handler(sender, writeFailed);
    } catch (...) {
        f.running = 0;
    }
}

void WriteChunks(TCDFiles& f, bool& writeFailed) {
    uint32_t block = f.buildingImage || f.burningImage ? 0 : f.sessionBase;
    for (;;) {
        TChunk c;
        int64_t n = GetFirst(f, c);
        if (n == 0) break;
        if (n < 0) continue;
        uint32_t blocks = uint32_t(n) / kBlockSize;
        bool ok = f.sink->WriteBlocks(c.data, blocks, block);
        ReleaseChunk(f, c.data);
        if (!ok) {
            // An abort by the user ended the writing: no failure of its own.
            if (f.abort && f.error == kErrAborted) break;
            // Abort path: the cache thread stops at its next test.
            if (uint32_t code = f.sink->FailureCode())
                SetErrorCode(f, code);
            else
                SetErrorOnce(f, kErrCreateFile, f.imagePath);
            f.abort = 1;
            f.queueChanged.notify_all();
            std::this_thread::sleep_for(100ms);
            f.status = kStatusWriteFailed;
            writeFailed = true;
            break;
        }
        block += blocks;
        f.blocksWritten += blocks;
    }
}

} // namespace

int64_t GetFirst(TCDFiles& f, TChunk& chunk) {
    std::unique_lock<std::mutex> g(f.lock);
    if (f.blocksToDeliver == 0 || f.abort) return 0;
    if (f.queue.empty()) {
        f.queueChanged.wait_for(g, 10ms);
        if (f.blocksToDeliver == 0 || f.abort) return 0;
        if (f.queue.empty()) return -1;
    }
    f.writerBusy = 1;
    chunk = f.queue.front();
    f.queue.pop_front();
    f.queueCount = uint32_t(f.queue.size());
    f.bytesCached -= chunk.bytes;
    uint64_t blocks = Sectors(chunk.bytes);
    f.blocksToDeliver -= std::min(blocks, f.blocksToDeliver);
    f.writerBusy = 0;
    f.queueChanged.notify_all();
    return chunk.bytes;
}

void WriteThreadExecute(TCDFiles& f) {
    bool writeFailed = false;
    f.status = kStatusWriting;
    f.blocksWritten = 0;
    try {
        f.sink->Begin();
        WriteChunks(f, writeFailed);
    } catch (...) {
        SetErrorCode(f, CodeOfCurrentException());
        f.abort = 1;
        f.queueChanged.notify_all();
        f.status = kStatusWriteFailed;
        writeFailed = true;
    }
    if (f.status != kStatusWriteFailed && f.status != kStatusAborted) f.status = kStatusClosing;
    try {
        if (!f.sink->Close(writeFailed)) {
            SetErrorOnce(f, kErrCreateFile, f.imagePath);
            writeFailed = true;
        }
    } catch (...) {
        SetErrorCode(f, CodeOfCurrentException());
        writeFailed = true;
    }
    {
        std::lock_guard<std::mutex> g(f.lock);
        if (f.error != kErrNone || f.blocksWritten != f.imageSize) writeFailed = true;
        f.status = kStatusIdle;
    }
    WriteDone(f, writeFailed);
}

bool StartSession(TCDFiles& f, std::unique_ptr<TImageSink> sink) {
    try {
        if (!f.burningImage && !BuildHeader(f)) return false;
    } catch (...) {
        f.header.clear();
        f.header.shrink_to_fit();
        SetErrorCode(f, CodeOfCurrentException());
        return false;
    }
    {
        std::lock_guard<std::mutex> g(f.lock);
        f.sink = std::move(sink);
        f.abort = 0;
        f.canStart = 0;
        f.cacheDone = 0;
        f.queue.clear();
        f.queueCount = 0;
        f.queueLimit =
            std::max<uint32_t>(2, std::min<uint32_t>(f.cacheSize / kChunkSize, kMaxQueue));
        f.blocksToDeliver = f.imageSize;
        f.blocksWritten = 0;
        f.cachePriority = 2;
    }
    // The start is abandoned: the handler hears of it at once.
    auto abandon = [&f] {
        f.abort = 1;
        f.queueChanged.notify_all();
        try {
            JoinIfOther(f.cacheThread);
            f.sink->Close(true);
        } catch (...) {
            SetErrorCode(f, CodeOfCurrentException());
        }
        f.running = 0;
        f.status = kStatusIdle;
        try {
            TWriteDoneEvent handler;
            {
                std::lock_guard<std::mutex> g(f.lock);
                handler = f.onWriteDone;
            }
            if (handler) handler(f.sender, true);
        } catch (...) {
        }
        return false;
    };
    f.running = 1;
    try {
        f.cacheThread = std::thread(CacheThreadExecute, std::ref(f));
    } catch (...) {
        SetErrorCode(f, CodeOfCurrentException());
        return abandon();
    }
    {
        std::unique_lock<std::mutex> g(f.lock);
        while (!f.canStart && !f.abort)
            f.queueChanged.wait_for(g, 100ms);
    }
    if (f.abort) return abandon();
    try {
        f.writeThread = std::thread(WriteThreadExecute, std::ref(f));
    } catch (...) {
        SetErrorCode(f, CodeOfCurrentException());
        return abandon();
    }
    return true;
}

bool BuildISOImage(TCDFiles& f, const std::string& imageFile) {
    if (f.running) return false;
    try {
        WaitForSession(f);
        {
            std::lock_guard<std::mutex> g(f.lock);
            f.error = kErrNone;
            f.failingName.clear();
        }
        if (!f.prepared) {
            f.error = kErrNotPrepared;
            return false;
        }
        int fd = ::open(imageFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            SetErrorOnce(f, kErrCreateFile, imageFile);
            return false;
        }
        std::unique_ptr<TImageSink> sink(new (std::nothrow) TImageFileSink(fd));
        if (!sink) {
            ::close(fd);
            SetErrorCode(f, kErrOutOfMemory);
            return false;
        }
        f.buildingImage = true;
        f.burningImage = false;
        f.imagePath = imageFile;
        f.sessionBase = 0; // an image file always starts at block 0, bridge included
        return StartSession(f, std::move(sink));
    } catch (...) {
        SetErrorCode(f, CodeOfCurrentException());
        f.running = 0;
        f.status = kStatusIdle;
        return false;
    }
}

void AbortBurn(TCDFiles& f) {
    {
        std::lock_guard<std::mutex> g(f.lock);
        f.error = kErrAborted;
        f.status = kStatusAborted;
        f.abort = 1;
    }
    f.queueChanged.notify_all();
}

void SetCacheSize(TCDFiles& f, uint32_t bytes) {
    f.cacheSize = std::max<uint32_t>(bytes, 2 * 1048576);
}
uint32_t GetCacheSize(const TCDFiles& f) {
    return f.cacheSize;
}

uint64_t GetCachePosition(const TCDFiles& f) {
    return uint64_t(f.queueCount.load()) * kChunkSize;
}

uint32_t GetErrorNumber(TCDFiles& f, TSCSIDevice& device) {
    uint32_t e = f.error.exchange(kErrNone);
    if (e != kErrNone) return e;
    e = device.lastError;
    device.lastError = 0;
    return e;
}

bool IsBusy(const TCDFiles& f) {
    return f.running.load() != 0;
}

void WaitForSession(TCDFiles& f) {
    JoinIfOther(f.writeThread);
    JoinIfOther(f.cacheThread);
    std::lock_guard<std::mutex> g(f.lock);
    for (uint8_t* p : f.freeChunks)
        delete[] p;
    f.freeChunks.clear();
}

} // namespace dw
