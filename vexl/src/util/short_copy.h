#pragma once
// Short copies and fills. Fields, names and values are mostly a few bytes to a few dozen: at
// those sizes a call to memcpy, memmove or memset costs more than the bytes it moves, so these
// move up to 32 bytes with at most two overlapping loads and stores of one width, and leave
// longer runs to the library. None reads or writes outside [dst, dst + n) or [src, src + n).

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vexl::detail {

/// Copies `n` bytes from `src` to `dst`. Up to 32 bytes every byte is loaded before any is
/// stored, so the ranges may overlap; longer copies must not overlap (see `moveBytes`).
inline void copyShort(char *dst, const char *src, size_t n) noexcept {
    if (n >= 8) {
        if (n <= 16) {
            uint64_t l_uA, l_uB;
            std::memcpy(&l_uA, src, 8);
            std::memcpy(&l_uB, src + n - 8, 8);
            std::memcpy(dst, &l_uA, 8);
            std::memcpy(dst + n - 8, &l_uB, 8);
        } else if (n <= 32) {
            char l_acA[16], l_acB[16];
            std::memcpy(l_acA, src, 16);
            std::memcpy(l_acB, src + n - 16, 16);
            std::memcpy(dst, l_acA, 16);
            std::memcpy(dst + n - 16, l_acB, 16);
        } else {
            std::memcpy(dst, src, n);
        }
    } else if (n >= 4) {
        uint32_t l_uA, l_uB;
        std::memcpy(&l_uA, src, 4);
        std::memcpy(&l_uB, src + n - 4, 4);
        std::memcpy(dst, &l_uA, 4);
        std::memcpy(dst + n - 4, &l_uB, 4);
    } else if (n != 0) {
        const char l_cFirst = src[0], l_cMiddle = src[n >> 1], l_cLast = src[n - 1];
        dst[0] = l_cFirst;
        dst[n >> 1] = l_cMiddle;
        dst[n - 1] = l_cLast;
    }
}

/// Writes `n` copies of `fill` at `dst`.
inline void fillShort(char *dst, char fill, size_t n) noexcept {
    const uint64_t l_uPattern = uint64_t(static_cast<unsigned char>(fill)) * 0x0101010101010101ULL;
    if (n >= 8) {
        if (n <= 16) {
            std::memcpy(dst, &l_uPattern, 8);
            std::memcpy(dst + n - 8, &l_uPattern, 8);
        } else if (n <= 32) {
            const uint64_t l_auPattern[2] = {l_uPattern, l_uPattern};
            std::memcpy(dst, l_auPattern, 16);
            std::memcpy(dst + n - 16, l_auPattern, 16);
        } else {
            std::memset(dst, fill, n);
        }
    } else if (n >= 4) {
        const uint32_t l_uWord = uint32_t(l_uPattern);
        std::memcpy(dst, &l_uWord, 4);
        std::memcpy(dst + n - 4, &l_uWord, 4);
    } else if (n != 0) {
        dst[0] = fill;
        dst[n >> 1] = fill;
        dst[n - 1] = fill;
    }
}

/// Copies `n` bytes from `src` to `dst`; the ranges may overlap, as with memmove.
inline void moveBytes(char *dst, const char *src, size_t n) noexcept {
    if (n <= 32)
        copyShort(dst, src, n);
    else
        std::memmove(dst, src, n);
}

} // namespace vexl::detail
