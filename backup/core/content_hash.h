#pragma once

#include <cstddef>
#include <cstdint>

namespace backup {

// A 64-bit fingerprint of a file's bytes, cheap enough to take while the file is copied and
// again while its copy is read back. It is made to catch damage, not forgery: a change confined
// to one aligned 8-byte word of the data always changes it (every step is invertible), and any
// other change of the same length goes unnoticed with odds of about 2^-64. Bytes are taken in
// this machine's order, so fingerprints are compared on the machine that took them.
class ContentHash {
  public:
    void add(const void* data, std::size_t size);
    std::uint64_t value() const;
    std::uint64_t length() const { return length_; }

  private:
    static constexpr std::size_t kStripe = 32; // four lanes of one word each

    std::uint64_t lane_[4] = {0xc4a8b3f649a901a7u, 0xb438c012c4ba507bu, 0xeb1181da5fe29a0fu,
                              0xed28645ef9bc451fu};
    unsigned char pending_[kStripe] = {};
    std::size_t pendingSize_ = 0;
    std::uint64_t length_ = 0;
};

inline std::uint64_t HashOf(const void* data, std::size_t size) {
    ContentHash h;
    h.add(data, size);
    return h.value();
}

} // namespace backup
