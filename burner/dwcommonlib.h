// Small numeric helpers used throughout the disc writer.
#pragma once

#include <cstdint>
#include <cstring>

namespace dw {

template <typename T> inline T IfThen(bool condition, T a, T b) {
    return condition ? a : b;
}

inline uint32_t Sectors(uint64_t bytes) {
    return uint32_t((bytes + 2047) / 2048);
}
inline uint32_t Sectors2352(uint64_t bytes) {
    return uint32_t((bytes + 2351) / 2352);
}
inline uint32_t msf2lba(uint32_t h, uint32_t m, uint32_t s, uint32_t f) {
    return h * 270000 + m * 4500 + s * 75 + f;
}

inline uint16_t cew(uint16_t v) {
    return uint16_t((v >> 8) | (v << 8));
}
inline uint32_t cedw(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}
inline void CvtEndians2(const void* src, void* dst) {
    const uint8_t* s = static_cast<const uint8_t*>(src);
    uint8_t* d = static_cast<uint8_t*>(dst);
    uint8_t a = s[0], b = s[1];
    d[0] = b;
    d[1] = a;
}
inline void CvtEndians4(const void* src, void* dst) {
    uint32_t v;
    std::memcpy(&v, src, 4);
    v = cedw(v);
    std::memcpy(dst, &v, 4);
}
inline bool BitTest(uint32_t value, unsigned bit) {
    return (value >> bit) & 1u;
}
inline bool BitTestAndSet(uint32_t& value, unsigned bit) {
    bool was = BitTest(value, bit);
    value |= 1u << bit;
    return was;
}
inline bool BitTestAndReset(uint32_t& value, unsigned bit) {
    bool was = BitTest(value, bit);
    value &= ~(1u << bit);
    return was;
}
// Bits `first`..`first + count - 1` of `value`.
inline uint32_t GetBitsValue(uint32_t value, unsigned first, unsigned count) {
    if (count == 0) return 0;
    uint64_t mask = (uint64_t(1) << count) - 1;
    return uint32_t((uint64_t(value) >> first) & mask);
}

// Byte writers for the on-disc structures.
inline void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutBE16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline void PutBE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (24 - 8 * i));
}
inline void PutLE64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline void PutBoth16(uint8_t* p, uint16_t v) {
    PutLE16(p, v);
    PutBE16(p + 2, v);
}
inline void PutBoth32(uint8_t* p, uint32_t v) {
    PutLE32(p, v);
    PutBE32(p + 4, v);
}
inline uint16_t GetLE16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t GetLE32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint32_t GetBE32(const uint8_t* p) {
    return uint32_t(p[3]) | (uint32_t(p[2]) << 8) | (uint32_t(p[1]) << 16) | (uint32_t(p[0]) << 24);
}

} // namespace dw
