// A simulated MMC drive for the tests: holds a chosen medium, keeps the written blocks in a
// sparse image, records every command block it receives and can be told to fail.
#pragma once

#include "burner/dwdevicetypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace burner_test {

enum class SimMedium {
    None,
    CDR,
    CDRW,
    DVDR,
    DVDRWRestricted,
    DVDRWSequential,
    DVDPlusRW,
    DVDPlusR,
    DVDPlusRDL,
    DVDRAM,
};

const char* MediumName(SimMedium m);

struct SimCommand {
    std::vector<uint8_t> cdb;
    std::vector<uint8_t> dataOut; // parameter data sent (not kept for WRITE)
    uint8_t status = 0;           // target status answered
    uint8_t key = 0, asc = 0, ascq = 0;
    uint8_t opcode() const { return cdb.empty() ? 0 : cdb[0]; }
};

class SimDrive : public dw::TScsiTransport {
  public:
    explicit SimDrive(SimMedium medium, uint32_t capacityBlocks = 2295104);

    bool Execute(const dw::TScsiCommand& command, dw::TScsiOutcome& outcome) override;

    // ---- what the test tells it ----
    // The next n commands of any kind answer busy (target status 8).
    int busyCommands = 0;
    // The next n commands answer not ready, becoming ready (2/04/01).
    int notReadyCommands = 0;
    // The next WRITE answers a reset (6/29/00).
    bool resetOnNextWrite = false;
    // WRITE answers an incompatible format (5/30/05) until a FORMAT UNIT.
    bool needsFormat = false;
    // Any WRITE touching this block fails for good (3/0C/00); -1: none.
    int64_t failWriteAt = -1;
    // The next command answers a changed medium (6/28/00).
    bool mediumChangeOnce = false;
    // The drive knows no GET CONFIGURATION (5/20/00): media are told apart by ATIP only.
    bool noGetConfiguration = false;
    // The data of writes is counted, not kept (for measuring).
    bool discardData = false;
    // Runs before each command is answered (on the thread that sends it).
    std::function<void(const dw::TScsiCommand&)> beforeCommand;
    // Not-ready answers to the polls after FORMAT UNIT, BLANK and closing.
    int busyAfterFormat = 0;

    // ---- what it records ----
    std::vector<SimCommand> log;
    std::vector<uint8_t> lastPage5; // the page of the last MODE SELECT
    uint64_t blocksWritten = 0;
    std::atomic<uint64_t> commandCount{0}; // readable while another thread burns
    int formats = 0, blanks = 0;

    // The disc's blocks [first, first + count) (unwritten ones read as zeros).
    std::vector<uint8_t> Image(uint32_t first, uint32_t count) const;
    // Highest written block + 1.
    uint32_t WrittenEnd() const { return writtenEnd_; }
    int Sessions() const { return closedSessions_; }
    bool Closed() const { return discStatus_ == 2; }
    SimMedium Medium() const { return medium_; }
    uint16_t Profile() const;
    std::string Opcodes() const; // the log as "2A 2A 35 ..." for messages

  private:
    bool Sequential() const;
    bool Erasable() const;
    bool IsCD() const;
    void Sense(dw::TScsiOutcome& o, uint8_t key, uint8_t asc, uint8_t ascq);
    bool Handle(const dw::TScsiCommand& c, dw::TScsiOutcome& o);
    void Store(uint32_t block, const uint8_t* data, uint32_t count);
    void Blank();

    SimMedium medium_;
    uint32_t capacity_;
    std::map<uint32_t, std::vector<uint8_t>> pages_; // 32-block pages of written data
    uint32_t writtenEnd_ = 0;
    // Sequential recording state.
    int discStatus_ = 0; // 0 empty, 1 appendable, 2 complete
    int closedSessions_ = 0;
    int closedTracks_ = 0;
    uint32_t trackStart_ = 0; // of the open (invisible) track
    uint32_t nwa_ = 0;
    std::vector<std::pair<uint32_t, uint32_t>> tracks_; // closed: start, size
    bool trackHasData_ = false;
    uint8_t page5_[60] = {};
    int pendingNotReady_ = 0;
};

} // namespace burner_test
