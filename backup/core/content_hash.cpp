#include "backup/core/content_hash.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace backup {

namespace {

constexpr std::uint64_t kMul = 0xbddf2d848ae06a7du;
constexpr std::uint64_t kFinal = 0xa364477b4684cb77u;

inline std::uint64_t word(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// One word into one lane. For a fixed lane value the step is a bijection of the word (xor, then
// a multiplication by an odd number, then a rotation), and for a fixed word a bijection of the
// lane, so a difference in one word survives every later step.
inline std::uint64_t step(std::uint64_t lane, std::uint64_t w) {
    return std::rotl((lane ^ w) * kMul, 29);
}

} // namespace

void ContentHash::add(const void* data, std::size_t size) {
    if (size == 0) return; // `data` may then be null
    const auto* p = static_cast<const unsigned char*>(data);
    length_ += size;
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(size, kStripe - pendingSize_);
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < kStripe) return;
        for (int i = 0; i < 4; ++i)
            lane_[i] = step(lane_[i], word(pending_ + 8 * i));
        pendingSize_ = 0;
    }
    // The four lanes are independent chains, so their multiplications overlap.
    std::uint64_t a = lane_[0], b = lane_[1], c = lane_[2], d = lane_[3];
    for (; size >= kStripe; p += kStripe, size -= kStripe) {
        a = step(a, word(p));
        b = step(b, word(p + 8));
        c = step(c, word(p + 16));
        d = step(d, word(p + 24));
    }
    lane_[0] = a;
    lane_[1] = b;
    lane_[2] = c;
    lane_[3] = d;
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
}

std::uint64_t ContentHash::value() const {
    std::uint64_t lanes[4] = {lane_[0], lane_[1], lane_[2], lane_[3]};
    if (pendingSize_ > 0) {
        // The last part stripe, padded with zeros; the length below tells the padding apart
        // from data.
        unsigned char last[kStripe] = {};
        std::memcpy(last, pending_, pendingSize_);
        for (int i = 0; i < 4; ++i)
            lanes[i] = step(lanes[i], word(last + 8 * i));
    }
    std::uint64_t h = step(kFinal, length_);
    for (const std::uint64_t lane : lanes)
        h = step(h, lane);
    // Spread every bit over the whole value (each line is invertible).
    h ^= h >> 32;
    h *= kFinal;
    h ^= h >> 29;
    h *= kMul;
    h ^= h >> 32;
    return h;
}

} // namespace backup
