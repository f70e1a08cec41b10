// The fingerprint a backup's check compares: the same however the bytes arrive, different for
// the kinds of damage a copy suffers.
#include "backup/core/content_hash.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <set>
#include <vector>

using backup::ContentHash;
using backup::HashOf;

namespace {

std::vector<unsigned char> RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<unsigned char> out(n);
    for (auto& b : out)
        b = static_cast<unsigned char>(random());
    return out;
}

std::uint64_t Of(const std::vector<unsigned char>& v) {
    return HashOf(v.data(), v.size());
}

} // namespace

TEST(ContentHash, TheSameWhateverPiecesTheBytesArriveIn) {
    const auto data = RandomBytes(5000, 1);
    const std::uint64_t whole = Of(data);
    std::mt19937 random(2);
    for (int round = 0; round < 50; ++round) {
        ContentHash h;
        size_t at = 0;
        while (at < data.size()) {
            // Pieces from empty to longer than a stripe, so part stripes are carried over.
            const size_t n = std::min<size_t>(data.size() - at, random() % 70);
            h.add(data.data() + at, n);
            at += n;
        }
        EXPECT_EQ(h.value(), whole) << "round " << round;
        EXPECT_EQ(h.length(), data.size());
    }
}

TEST(ContentHash, EveryFlippedByteLostByteAndSwapChangesIt) {
    // Lengths around the stripe and word edges, and a longer one.
    for (const size_t n : {size_t(1), size_t(7), size_t(8), size_t(31), size_t(32), size_t(33),
                           size_t(64), size_t(95), size_t(1000)}) {
        const auto data = RandomBytes(n, unsigned(n));
        const std::uint64_t original = Of(data);
        for (size_t i = 0; i < n; ++i) {
            auto flipped = data;
            flipped[i] ^= 0x01;
            EXPECT_NE(Of(flipped), original) << n << " bytes, byte " << i;
            flipped[i] = static_cast<unsigned char>(data[i] ^ 0x80);
            EXPECT_NE(Of(flipped), original) << n << " bytes, byte " << i;
        }
        // Shorter or longer by a zero byte: the padding of the last stripe is not data.
        auto shorter = data;
        shorter.pop_back();
        EXPECT_NE(Of(shorter), original) << n;
        auto longer = data;
        longer.push_back(0);
        EXPECT_NE(Of(longer), original) << n;
    }
    // Two blocks of a file in each other's place, and a block zeroed.
    const auto data = RandomBytes(8192, 9);
    auto swapped = data;
    std::swap_ranges(swapped.begin(), swapped.begin() + 4096, swapped.begin() + 4096);
    EXPECT_NE(Of(swapped), Of(data));
    auto zeroed = data;
    std::fill(zeroed.begin() + 4096, zeroed.end(), 0);
    EXPECT_NE(Of(zeroed), Of(data));
    // Files of nothing but zeros differ by their lengths.
    std::set<std::uint64_t> zeros;
    for (size_t n = 0; n <= 100; ++n)
        zeros.insert(Of(std::vector<unsigned char>(n, 0)));
    EXPECT_EQ(zeros.size(), 101u);
}
