#include "simdrive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace burner_test {

namespace {

constexpr uint32_t kBlock = 2048;
constexpr uint32_t kPageBlocks = 32;

uint32_t BE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint16_t BE16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}
void Put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
void Put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

} // namespace

const char* MediumName(SimMedium m) {
    switch (m) {
    case SimMedium::None:
        return "NoDisc";
    case SimMedium::CDR:
        return "CDR";
    case SimMedium::CDRW:
        return "CDRW";
    case SimMedium::DVDR:
        return "DVDR";
    case SimMedium::DVDRWRestricted:
        return "DVDRWRestricted";
    case SimMedium::DVDRWSequential:
        return "DVDRWSequential";
    case SimMedium::DVDPlusRW:
        return "DVDPlusRW";
    case SimMedium::DVDPlusR:
        return "DVDPlusR";
    case SimMedium::DVDPlusRDL:
        return "DVDPlusRDL";
    case SimMedium::DVDRAM:
        return "DVDRAM";
    }
    return "?";
}

SimDrive::SimDrive(SimMedium medium, uint32_t capacityBlocks)
    : medium_(medium), capacity_(capacityBlocks) {
    if (IsCD() && capacityBlocks == 2295104) capacity_ = 359999; // 79:59:74
    page5_[0] = 0x05;
    page5_[1] = 0x32;
}

uint16_t SimDrive::Profile() const {
    switch (medium_) {
    case SimMedium::None:
        return 0;
    case SimMedium::CDR:
        return 0x09;
    case SimMedium::CDRW:
        return 0x0A;
    case SimMedium::DVDR:
        return 0x11;
    case SimMedium::DVDRAM:
        return 0x12;
    case SimMedium::DVDRWRestricted:
        return 0x13;
    case SimMedium::DVDRWSequential:
        return 0x14;
    case SimMedium::DVDPlusRW:
        return 0x1A;
    case SimMedium::DVDPlusR:
        return 0x1B;
    case SimMedium::DVDPlusRDL:
        return 0x2B;
    }
    return 0;
}

bool SimDrive::Sequential() const {
    return medium_ == SimMedium::CDR || medium_ == SimMedium::CDRW || medium_ == SimMedium::DVDR ||
           medium_ == SimMedium::DVDRWSequential || medium_ == SimMedium::DVDPlusR ||
           medium_ == SimMedium::DVDPlusRDL;
}

bool SimDrive::Erasable() const {
    return medium_ == SimMedium::CDRW || medium_ == SimMedium::DVDRWSequential ||
           medium_ == SimMedium::DVDRWRestricted || medium_ == SimMedium::DVDPlusRW ||
           medium_ == SimMedium::DVDRAM;
}

bool SimDrive::IsCD() const {
    return medium_ == SimMedium::CDR || medium_ == SimMedium::CDRW;
}

std::string SimDrive::Opcodes() const {
    std::string s;
    char b[8];
    for (const auto& c : log) {
        std::snprintf(b, sizeof b, "%02X ", c.opcode());
        s += b;
    }
    return s;
}

void SimDrive::Sense(dw::TScsiOutcome& o, uint8_t key, uint8_t asc, uint8_t ascq) {
    o.targetStatus = 2;
    o.sense[0] = 0x70;
    o.sense[2] = key;
    o.sense[7] = 10;
    o.sense[12] = asc;
    o.sense[13] = ascq;
    o.senseLength = 18;
}

void SimDrive::Store(uint32_t block, const uint8_t* data, uint32_t count) {
    writtenEnd_ = std::max(writtenEnd_, block + count);
    if (discardData) return;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t b = block + i;
        auto& page = pages_[b / kPageBlocks];
        if (page.empty()) page.assign(size_t(kPageBlocks) * kBlock, 0);
        std::memcpy(page.data() + size_t(b % kPageBlocks) * kBlock, data + size_t(i) * kBlock,
                    kBlock);
    }
}

std::vector<uint8_t> SimDrive::Image(uint32_t first, uint32_t count) const {
    std::vector<uint8_t> out(size_t(count) * kBlock, 0);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t b = first + i;
        auto it = pages_.find(b / kPageBlocks);
        if (it != pages_.end())
            std::memcpy(out.data() + size_t(i) * kBlock,
                        it->second.data() + size_t(b % kPageBlocks) * kBlock, kBlock);
    }
    return out;
}

void SimDrive::Blank() {
    pages_.clear();
    writtenEnd_ = 0;
    discStatus_ = 0;
    closedSessions_ = closedTracks_ = 0;
    trackStart_ = nwa_ = 0;
    tracks_.clear();
    trackHasData_ = false;
}

bool SimDrive::Execute(const dw::TScsiCommand& c, dw::TScsiOutcome& o) {
    o = dw::TScsiOutcome{};
    if (beforeCommand) beforeCommand(c);
    SimCommand rec;
    rec.cdb.assign(c.cdb, c.cdb + c.cdbLength);
    if (c.direction == dw::TDataDirection::Out && c.cdb[0] != 0x2A && c.data)
        rec.dataOut.assign(c.data, c.data + c.length);
    bool delivered = Handle(c, o);
    rec.status = o.targetStatus;
    rec.key = o.sense[2] & 0x0F;
    rec.asc = o.sense[12];
    rec.ascq = o.sense[13];
    log.push_back(std::move(rec));
    ++commandCount;
    return delivered;
}

bool SimDrive::Handle(const dw::TScsiCommand& c, dw::TScsiOutcome& o) {
    o.delivered = true;
    const uint8_t* cdb = c.cdb;
    uint8_t* out = c.direction == dw::TDataDirection::In ? c.data : nullptr;
    uint32_t alloc = c.direction == dw::TDataDirection::In ? c.length : 0;
    std::vector<uint8_t> a; // the answer, cut to the allocation length
    auto answer = [&] {
        if (out) std::memcpy(out, a.data(), std::min<size_t>(alloc, a.size()));
        return true;
    };
    if (mediumChangeOnce) {
        mediumChangeOnce = false;
        Sense(o, 6, 0x28, 0);
        o.mediumChanged = true;
        return true;
    }
    const uint8_t op = cdb[0];
    const bool noDisc = medium_ == SimMedium::None;
    switch (op) {
    case 0x12: // INQUIRY
        a.assign(64, 0);
        a[0] = 5;
        a[1] = 0x80;
        a[4] = 59;
        std::memcpy(&a[8], "QUIVERA Simulated drive 1.0 ", 28);
        return answer();
    case 0x03: // REQUEST SENSE
        a.assign(18, 0);
        a[0] = 0x70;
        a[7] = 10;
        return answer();
    case 0x46: { // GET CONFIGURATION
        if (noGetConfiguration) {
            Sense(o, 5, 0x20, 0);
            return true;
        }
        uint16_t feature = BE16(cdb + 2);
        a.assign(8, 0);
        Put16(&a[6], Profile());
        auto add = [&](uint16_t code, uint8_t data0) {
            size_t at = a.size();
            a.resize(at + 8, 0);
            Put16(&a[at], code);
            a[at + 2] = 0x03; // persistent, current
            a[at + 3] = 4;
            a[at + 4] = data0;
        };
        if (feature == 0) {
            add(0, 0);
            Put16(&a[12], Profile());
        } else if (feature == 0x2A) {
            add(0x2A, 0x01);
        } else if (feature == 0x3B) {
            add(0x3B, 0x01);
        } else if (feature == 0x2F) {
            add(0x2F, 0x06);
        }
        Put32(&a[0], uint32_t(a.size() - 4));
        return answer();
    }
    case 0x5A: { // MODE SENSE (10)
        uint8_t page = cdb[2] & 0x3F;
        bool defaults = (cdb[2] >> 6) == 2;
        if (page == 0x2A) {
            a.assign(8 + 30, 0);
            uint8_t* p = &a[8];
            p[0] = 0x2A;
            p[1] = 28;
            p[2] = 0x3F;
            p[3] = 0x37;
            p[4] = 0x80;
            Put16(p + 8, defaults ? 22160 : 11080);
            Put16(p + 12, 2048);
            Put16(p + 14, 11080);
            Put16(p + 18, defaults ? 22160 : 11080);
            Put16(p + 20, 5540);
        } else if (page == 0x05) {
            a.assign(8 + 2 + 0x32, 0);
            std::memcpy(&a[8], page5_, 2 + 0x32);
        } else {
            Sense(o, 5, 0x24, 0);
            return true;
        }
        Put16(&a[0], uint32_t(a.size() - 2));
        return answer();
    }
    case 0x55: // MODE SELECT (10)
        if (c.data && c.length >= 10 && (c.data[8] & 0x3F) == 0x05) {
            lastPage5.assign(c.data + 8, c.data + c.length);
            std::memset(page5_, 0, sizeof page5_);
            std::memcpy(page5_, c.data + 8, std::min<size_t>(sizeof page5_, c.length - 8));
        }
        return true;
    default:
        break;
    }
    if (noDisc) {
        Sense(o, 2, 0x3A, 0);
        return true;
    }
    switch (op) {
    case 0x00: // TEST UNIT READY
        if (pendingNotReady_ > 0) {
            --pendingNotReady_;
            Sense(o, 2, 0x04, 0x01);
        }
        return true;
    case 0x01:
    case 0x35:
    case 0x1E:
    case 0x1B:
    case 0xBB:
    case 0xB6:
    case 0x53:
    case 0xBF:
        return true;
    case 0x51: { // READ DISC INFORMATION
        if (pendingNotReady_ > 0) {
            --pendingNotReady_;
            Sense(o, 2, 0x04, 0x01);
            return true;
        }
        a.assign(34, 0);
        Put16(&a[0], 32);
        int status, lastState, sessions, lastTrack;
        if (Sequential()) {
            status = discStatus_;
            lastState = discStatus_ == 2 ? 3 : 0;
            sessions = closedSessions_ + (discStatus_ != 2 ? 1 : 0);
            lastTrack = closedTracks_ + (discStatus_ != 2 ? 1 : 0);
        } else {
            status = writtenEnd_ > 0 ? 2 : 0;
            lastState = 3;
            sessions = 1;
            lastTrack = 1;
        }
        a[2] = uint8_t((Erasable() ? 0x10 : 0) | (lastState << 2) | status);
        a[3] = 1;
        a[4] = uint8_t(sessions);
        a[5] = uint8_t(lastTrack);
        a[6] = uint8_t(lastTrack);
        return answer();
    }
    case 0x52: { // READ TRACK INFORMATION
        uint32_t t = BE32(cdb + 2);
        a.assign(36, 0);
        Put16(&a[0], 34);
        uint32_t start, size, nwa = 0, freeBlocks = 0, last;
        bool blank = false, nwaValid = false;
        if (!Sequential()) {
            if (t != 1 && t != 255) {
                Sense(o, 5, 0x24, 0);
                return true;
            }
            start = 0;
            size = capacity_;
            freeBlocks = capacity_;
            last = writtenEnd_ ? writtenEnd_ - 1 : 0;
            t = 1;
        } else if (t >= 1 && t <= uint32_t(closedTracks_)) {
            start = tracks_[t - 1].first;
            size = tracks_[t - 1].second;
            last = start + size - 1;
        } else if ((t == uint32_t(closedTracks_) + 1 || t == 255) && discStatus_ != 2) {
            t = uint32_t(closedTracks_) + 1;
            start = trackStart_;
            nwa = nwa_;
            nwaValid = true;
            freeBlocks = capacity_ - nwa_;
            size = capacity_ - trackStart_;
            blank = !trackHasData_;
            last = nwa_ > trackStart_ ? nwa_ - 1 : 0;
        } else {
            Sense(o, 5, 0x24, 0);
            return true;
        }
        a[2] = uint8_t(t);
        a[3] = uint8_t(closedSessions_ + 1);
        a[5] = 4;
        a[6] = uint8_t(0x01 | (blank ? 0x40 : 0));
        a[7] = uint8_t(nwaValid ? 1 : 0);
        Put32(&a[8], start);
        Put32(&a[12], nwa);
        Put32(&a[16], freeBlocks);
        Put32(&a[24], size);
        Put32(&a[28], last);
        return answer();
    }
    case 0x43: { // READ TOC
        uint8_t format = cdb[2] & 0x0F;
        if (format == 4) {
            if (!IsCD()) {
                Sense(o, 5, 0x24, 0);
                return true;
            }
            a.assign(28, 0);
            Put16(&a[0], 26);
            a[6] = uint8_t(0x80 | (medium_ == SimMedium::CDRW ? 0x40 : 0));
            a[12] = uint8_t(capacity_ / 4500);
            a[13] = uint8_t(capacity_ % 4500 / 75);
            a[14] = uint8_t(capacity_ % 75);
            return answer();
        }
        a.assign(20, 0);
        Put16(&a[0], 18);
        a[2] = a[3] = 1;
        a[5] = 0x14;
        a[6] = 1;
        a[13] = 0x14;
        a[14] = 0xAA;
        Put32(&a[16], writtenEnd_);
        return answer();
    }
    case 0x23: // READ FORMAT CAPACITIES
        a.assign(12, 0);
        a[3] = 8;
        Put32(&a[4], capacity_);
        a[8] = 0x02;
        a[10] = 0x08;
        return answer();
    case 0x5C: // READ BUFFER CAPACITY
        a.assign(12, 0);
        Put16(&a[0], 10);
        Put32(&a[4], 2 * 1048576);
        Put32(&a[8], uint32_t((log.size() * 65536) % (2 * 1048576)));
        return answer();
    case 0x28: { // READ (10)
        uint32_t block = BE32(cdb + 2), count = BE16(cdb + 7);
        if (uint64_t(block) + count > capacity_) {
            Sense(o, 5, 0x21, 0);
            return true;
        }
        if (out) {
            auto img = Image(block, count);
            std::memcpy(out, img.data(), std::min<size_t>(alloc, img.size()));
        }
        return true;
    }
    case 0x2A: { // WRITE (10)
        uint32_t block = BE32(cdb + 2), count = BE16(cdb + 7);
        if (notReadyCommands > 0) {
            --notReadyCommands;
            Sense(o, 2, 0x04, 0x08);
            return true;
        }
        if (busyCommands > 0) {
            --busyCommands;
            o.targetStatus = 8;
            return true;
        }
        if (resetOnNextWrite) {
            resetOnNextWrite = false;
            Sense(o, 6, 0x29, 0);
            return true;
        }
        if (needsFormat) {
            Sense(o, 5, 0x30, 0x05);
            return true;
        }
        if (failWriteAt >= 0 && block <= failWriteAt && failWriteAt < int64_t(block) + count) {
            Sense(o, 3, 0x0C, 0);
            return true;
        }
        if (c.length < count * kBlock) {
            Sense(o, 5, 0x24, 0);
            return true;
        }
        if (Sequential()) {
            if (discStatus_ == 2) {
                Sense(o, 5, 0x30, 0x05);
                return true;
            }
            if (block != nwa_) {
                Sense(o, 5, 0x21, 0x02);
                return true;
            }
            nwa_ += count;
            trackHasData_ = true;
        }
        if (uint64_t(block) + count > capacity_) {
            Sense(o, 5, 0x21, 0);
            return true;
        }
        Store(block, c.data, count);
        blocksWritten += count;
        return true;
    }
    case 0x5B: { // CLOSE TRACK/SESSION
        uint8_t function = cdb[2] & 7;
        pendingNotReady_ = busyAfterFormat;
        if (!Sequential()) return true;
        if (function == 1 || function == 2 || function == 5 || function == 6) {
            if (trackHasData_) {
                tracks_.emplace_back(trackStart_, nwa_ - trackStart_);
                ++closedTracks_;
                trackStart_ = nwa_;
                trackHasData_ = false;
            }
        }
        if ((function == 2 || function == 5 || function == 6) && discStatus_ != 2 &&
            closedTracks_ > 0) {
            bool more = (page5_[3] >> 6) == 3 && function == 2;
            if (closedSessions_ < closedTracks_) ++closedSessions_;
            discStatus_ = more ? 1 : 2;
            nwa_ = (nwa_ + 15) / 16 * 16;
            trackStart_ = nwa_;
        }
        return true;
    }
    case 0x04: // FORMAT UNIT
        if (medium_ != SimMedium::DVDPlusRW && medium_ != SimMedium::DVDRAM &&
            medium_ != SimMedium::DVDRWRestricted && medium_ != SimMedium::DVDRWSequential) {
            Sense(o, 5, 0x24, 0);
            return true;
        }
        ++formats;
        needsFormat = false;
        pendingNotReady_ = busyAfterFormat;
        return true;
    case 0xA1: // BLANK
        if (medium_ != SimMedium::CDRW && medium_ != SimMedium::DVDRWSequential &&
            medium_ != SimMedium::DVDRWRestricted) {
            Sense(o, 5, 0x24, 0);
            return true;
        }
        ++blanks;
        Blank();
        pendingNotReady_ = busyAfterFormat;
        return true;
    default:
        Sense(o, 5, 0x20, 0);
        return true;
    }
}

} // namespace burner_test
