#include "backup/core/medium_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/aio_abi.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace backup {

namespace {

// Direct reads need buffers and offsets aligned to the medium's blocks; a page is enough for
// every medium there is, and the pieces are whole multiples of it.
constexpr qint64 kAlign = 4096;

long ioSetup(unsigned depth, aio_context_t* context) {
    return ::syscall(SYS_io_setup, depth, context);
}
long ioDestroy(aio_context_t context) {
    return ::syscall(SYS_io_destroy, context);
}
long ioSubmit(aio_context_t context, long count, iocb** requests) {
    return ::syscall(SYS_io_submit, context, count, requests);
}
long ioGetEvents(aio_context_t context, long least, long most, io_event* events) {
    return ::syscall(SYS_io_getevents, context, least, most, events, nullptr);
}

} // namespace

struct MediumReader::Piece {
    iocb request{};
    size_t file = 0;
    qint64 offset = 0;
    qint64 length = 0; // asked for; less comes back only at the file's end
    char* buffer = nullptr;
    bool done = false;
    qint64 result = 0; // bytes read, or -errno
};

MediumReader::MediumReader(std::vector<std::string> paths, bool enabled, int depth, qint64 piece)
    : paths_(std::move(paths)), files_(paths_.size()),
      piece_((std::max<qint64>(piece, kAlign) + kAlign - 1) / kAlign * kAlign) {
    if (!enabled || depth < 1) return;
    buffers_ = static_cast<char*>(std::aligned_alloc(size_t(kAlign), size_t(piece_ * depth)));
    if (!buffers_) return;
    aio_context_t context = 0;
    if (ioSetup(unsigned(depth), &context) != 0) {
        std::free(buffers_);
        buffers_ = nullptr;
        return;
    }
    context_ = context;
    pieces_.reset(new Piece[size_t(depth)]);
    for (int i = 0; i < depth; ++i) {
        pieces_[size_t(i)].buffer = buffers_ + piece_ * i;
        free_.push_back(&pieces_[size_t(i)]);
    }
}

MediumReader::~MediumReader() {
    // Waits for whatever is still being read into the buffers before they go.
    if (context_ != 0) ioDestroy(context_);
    std::free(buffers_);
    for (size_t i = 0; i < files_.size(); ++i)
        close(i);
}

void MediumReader::open(size_t index) {
    File& f = files_[index];
    f.tried = true;
    f.fd = ::open(paths_[index].c_str(), O_RDONLY | O_DIRECT | O_CLOEXEC);
    if (f.fd < 0) {
        // A file system that reads only through memory refuses the flag itself.
        if (errno != EINVAL) f.error = errno;
        return;
    }
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) {
        f.error = errno;
        close(index);
        return;
    }
    f.size = st.st_size;
    f.direct = true;
}

void MediumReader::close(size_t index) {
    File& f = files_[index];
    if (f.fd >= 0) ::close(f.fd);
    f.fd = -1;
}

// Asks for pieces until every buffer is taken, across files.
void MediumReader::fill() {
    while (context_ != 0 && !free_.empty() && next_ < paths_.size()) {
        if (!paths_[next_].empty() && !files_[next_].tried) open(next_);
        const File& f = files_[next_];
        if (!f.direct || nextOffset_ >= f.size) {
            ++next_;
            nextOffset_ = 0;
            continue;
        }
        Piece* p = free_.back();
        p->file = next_;
        p->offset = nextOffset_;
        p->length = std::min(piece_, f.size - nextOffset_);
        p->done = false;
        p->result = 0;
        p->request = iocb{};
        p->request.aio_data = reinterpret_cast<std::uintptr_t>(p);
        p->request.aio_lio_opcode = IOCB_CMD_PREAD;
        p->request.aio_fildes = std::uint32_t(f.fd);
        p->request.aio_buf = reinterpret_cast<std::uintptr_t>(p->buffer);
        // Whole aligned pieces, also at the end: what lies past the end is not read.
        p->request.aio_nbytes = std::uint64_t((p->length + kAlign - 1) / kAlign * kAlign);
        p->request.aio_offset = p->offset;
        iocb* requests[1] = {&p->request};
        if (ioSubmit(context_, 1, requests) != 1) {
            if (errno == EAGAIN && !queue_.empty()) return; // more once one is back
            // This file is read through memory instead; what was asked of it is let go.
            files_[next_].direct = false;
            ++next_;
            nextOffset_ = 0;
            continue;
        }
        free_.pop_back();
        queue_.push_back(p);
        nextOffset_ += p->length;
    }
}

// Waits until `piece` is back; false when waiting itself fails (nothing more is read then).
bool MediumReader::wait(Piece* piece) {
    while (!piece->done) {
        io_event events[16];
        const long n = ioGetEvents(context_, 1, 16, events);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (long i = 0; i < n; ++i) {
            auto* p = reinterpret_cast<Piece*>(std::uintptr_t(events[i].data));
            p->done = true;
            p->result = events[i].res;
        }
    }
    return true;
}

// Gives up reading directly: the rest is read through memory.
void MediumReader::stop() {
    // The buffers stay taken until the destructor has waited for them.
    queue_.clear();
    ioDestroy(context_);
    context_ = 0;
}

MediumReader::Outcome MediumReader::read(size_t index, ContentHash& hash, int& error) {
    if (context_ == 0) return Outcome::NotDirect;
    // Pieces of files the caller passed over are let go as they come back.
    while (!queue_.empty() && queue_.front()->file < index) {
        Piece* p = queue_.front();
        if (!wait(p)) {
            stop();
            return Outcome::NotDirect;
        }
        queue_.pop_front();
        free_.push_back(p);
        close(p->file);
    }
    if (next_ < index) {
        next_ = index;
        nextOffset_ = 0;
    }
    fill();
    ContentHash local; // handed out only when the whole file went into it
    bool direct = files_[index].direct;
    error = files_[index].error;
    qint64 hashed = 0;
    // Every piece of this file comes back in order, whether it is hashed or not.
    while (!queue_.empty() && queue_.front()->file == index) {
        Piece* p = queue_.front();
        if (!wait(p)) {
            stop();
            close(index);
            return Outcome::NotDirect;
        }
        queue_.pop_front();
        if (p->result < 0) {
            if (error == 0) error = int(-p->result);
        } else if (p->result != p->length || p->offset != hashed) {
            // Shorter than the file was when opened: it changed meanwhile. Read again through
            // memory, to its end as it is now.
            direct = false;
        } else if (error == 0 && direct) {
            local.add(p->buffer, size_t(p->result));
            hashed += p->result;
        }
        free_.push_back(p);
        fill();
    }
    if (error == 0 && direct && !files_[index].direct) direct = false; // asking was refused
    if (error == 0 && direct && hashed != files_[index].size) direct = false;
    if (error == 0 && direct) {
        // Longer now than when it was opened: it changed meanwhile, as above.
        struct stat st {};
        if (::fstat(files_[index].fd, &st) != 0)
            error = errno;
        else if (st.st_size != hashed)
            direct = false;
    }
    close(index);
    if (error != 0) return Outcome::Unreadable;
    if (!direct) return Outcome::NotDirect;
    hash = local;
    return Outcome::Read;
}

} // namespace backup
