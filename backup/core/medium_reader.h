#pragma once

#include "backup/core/content_hash.h"

#include <QtGlobal>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace backup {

// Reads files from the medium itself, past what the system holds of them in memory (O_DIRECT),
// and hashes them. A few pieces are asked for ahead of the one being hashed, through the kernel's
// asynchronous reading, so the medium keeps reading while this thread hashes, and no byte is
// copied on the way. Files are read in the order they are listed.
class MediumReader {
  public:
    enum class Outcome {
        Read,       // the whole file was hashed
        Unreadable, // `error` tells why
        NotDirect,  // this file has to be read through memory instead; nothing was hashed
    };

    // `paths`: the files in the order they will be read; an empty path is one read otherwise
    // (skipped). `enabled` false reads nothing: every file is then NotDirect.
    explicit MediumReader(std::vector<std::string> paths, bool enabled = true, int depth = 16,
                          qint64 piece = 512 << 10);
    ~MediumReader();
    MediumReader(const MediumReader&) = delete;
    MediumReader& operator=(const MediumReader&) = delete;

    // False when this system offers no asynchronous reading (every file is then NotDirect).
    bool available() const { return context_ != 0; }
    // Hashes file `index` into `hash`. Indexes rise from call to call.
    Outcome read(size_t index, ContentHash& hash, int& error);

  private:
    struct Piece;
    struct File {
        int fd = -1;
        int error = 0;      // when it could not be opened
        bool tried = false; // opened, or tried to
        bool direct = false;
        qint64 size = 0;
    };

    void open(size_t index);
    void close(size_t index);
    void fill();
    bool wait(Piece* piece);
    void stop();

    std::vector<std::string> paths_;
    std::vector<File> files_;
    qint64 piece_;
    unsigned long context_ = 0; // aio_context_t
    std::unique_ptr<Piece[]> pieces_;
    char* buffers_ = nullptr;
    std::vector<Piece*> free_;
    std::deque<Piece*> queue_; // asked for, in order
    size_t next_ = 0;          // the file being asked for
    qint64 nextOffset_ = 0;    // how far it was asked for
};

} // namespace backup
