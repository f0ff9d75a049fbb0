#pragma once
// Writing fixed-width fields: text cut or padded to its width, and unsigned numbers as digits
// with "0" in front, with short copies and fills (no library call for a few bytes) and digits
// made several at a time. The forms "with room" may write past the field, into bytes of later
// fields that are written afterwards.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "packet_bytes.h"
#include "util/short_copy.h"

namespace vexl::detail {

/// 10^n for n = 0 to 19.
inline constexpr uint64_t kPowersOfTen[20] = {1ULL,
                                              10ULL,
                                              100ULL,
                                              1000ULL,
                                              10000ULL,
                                              100000ULL,
                                              1000000ULL,
                                              10000000ULL,
                                              100000000ULL,
                                              1000000000ULL,
                                              10000000000ULL,
                                              100000000000ULL,
                                              1000000000000ULL,
                                              10000000000000ULL,
                                              100000000000000ULL,
                                              1000000000000000ULL,
                                              10000000000000000ULL,
                                              100000000000000000ULL,
                                              1000000000000000000ULL,
                                              10000000000000000000ULL};

/// `len` bytes of `src` in exactly `width` bytes: its first `width` bytes when longer, else the
/// bytes followed by `fill`.
inline void writePadded(char *dst, const char *src, size_t len, size_t width, char fill) noexcept {
    if (len >= width) {
        copyShort(dst, src, width);
        return;
    }
    copyShort(dst, src, len);
    fillShort(dst + len, fill, width - len);
}

/// The eight decimal digits of `value` (below 10^8, "0" in front) as eight ASCII bytes, the
/// first digit in the lowest byte: both halves of four digits are split into pairs, then the
/// pairs into digits, each step one multiplication for all lanes of the word.
inline uint64_t eightDigitChars(uint32_t value) noexcept {
    uint64_t l_uWord = uint64_t(value / 10000) | (uint64_t(value % 10000) << 32);
    // x / 100 = (x * 10486) >> 20 for every x below 10^4, in two 32-bit lanes.
    uint64_t l_uHigh = ((l_uWord * 10486) >> 20) & 0x0000007F0000007FULL;
    l_uWord = l_uHigh | ((l_uWord - l_uHigh * 100) << 16);
    // x / 10 = (x * 103) >> 10 for every x below 100, in four 16-bit lanes.
    l_uHigh = ((l_uWord * 103) >> 10) & 0x000F000F000F000FULL;
    l_uWord = l_uHigh | ((l_uWord - l_uHigh * 10) << 8);
    return l_uWord | 0x3030303030303030ULL;
}

/// Decimal digits of `value` in exactly `width` characters, "0" in front, when the number has
/// at most `width` digits (the caller checks).
inline void writeDigitsRight(char *dst, uint64_t value, size_t width) noexcept {
    // Up to four digits, pairs are as quick; longer numbers take the eight-digit words.
    if (std::endian::native != std::endian::little || value < 10000 || width > 16) {
        char *const l_pFirst = formatDecimalBackward(dst + width, value);
        fillShort(dst, '0', size_t(l_pFirst - dst));
    } else if (width <= 8) {
        const uint64_t l_uDigits = eightDigitChars(uint32_t(value));
        char l_acDigits[8];
        std::memcpy(l_acDigits, &l_uDigits, 8);
        copyShort(dst, l_acDigits + (8 - width), width);
    } else if (width <= 16) {
        const uint64_t l_auDigits[2] = {eightDigitChars(uint32_t(value / 100000000)),
                                        eightDigitChars(uint32_t(value % 100000000))};
        char l_acDigits[16];
        std::memcpy(l_acDigits, l_auDigits, 16);
        copyShort(dst, l_acDigits + (16 - width), width);
    }
}

// MARK: - Writing with room behind the field

// The forms below may write up to `kSlack` bytes from the field's first byte, past the field's
// end: for a field followed, within the packet, by at least that many bytes of later fields,
// which are written afterwards and cover the excess.
inline constexpr size_t kSlack = 32;

/// `kSlack` bytes of one kind, to fill fields with one copy each.
inline constexpr char kSpaceRun[kSlack] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                           ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                           ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
inline constexpr char kZeroByteRun[kSlack] = {};
inline constexpr char kZeroDigitRun[16] = {'0', '0', '0', '0', '0', '0', '0', '0',
                                           '0', '0', '0', '0', '0', '0', '0', '0'};

/// `writePadded` for a field of at most `kSlack` bytes, padded with spaces or zero bytes, with
/// `kSlack` writable bytes at `dst`: the padding is one copy over the whole room.
inline void writePaddedWithRoom(char *dst, const char *src, size_t len, size_t width, bool spaces) noexcept {
    if (len >= width) {
        copyShort(dst, src, width);
        return;
    }
    std::memcpy(dst, spaces ? kSpaceRun : kZeroByteRun, kSlack);
    copyShort(dst, src, len);
}

/// The four decimal digits of `value` (below 10^4, "0" in front) as four ASCII bytes, the
/// first digit in the lowest byte.
inline uint32_t fourDigitChars(uint32_t value) noexcept {
    const uint32_t l_uHundreds = (value * 10486) >> 20;
    uint32_t l_uWord = l_uHundreds | ((value - l_uHundreds * 100) << 16);
    const uint32_t l_uTens = ((l_uWord * 103) >> 10) & 0x000F000Fu;
    l_uWord = l_uTens | ((l_uWord - l_uTens * 10) << 8);
    return l_uWord | 0x30303030u;
}

/// `writeDigitsRight` for a field of at most 16 characters with 16 writable bytes at `dst`: the
/// digits as one word of four, or one or two words of eight shifted to drop the zeros in front
/// that do not fit.
inline void writeDigitsWithRoom(char *dst, uint64_t value, size_t width) noexcept {
    if constexpr (std::endian::native != std::endian::little) {
        writeDigitsRight(dst, value, width);
    } else if (value < 10000 && width >= 4) {
        std::memcpy(dst, kZeroDigitRun, 16);
        const uint32_t l_uWord = fourDigitChars(uint32_t(value));
        std::memcpy(dst + width - 4, &l_uWord, 4);
    } else if (width <= 8) {
        const uint64_t l_uWord = eightDigitChars(uint32_t(value)) >> (8 * (8 - width));
        std::memcpy(dst, &l_uWord, 8);
    } else {
        const unsigned l_uDrop = unsigned(8 * (16 - width)); // bits of zeros in front, 0 to 56
        const uint64_t l_uHigh =
            value < 100000000 ? 0x3030303030303030ULL : eightDigitChars(uint32_t(value / 100000000));
        const uint64_t l_uLow = eightDigitChars(uint32_t(value % 100000000));
        const uint64_t l_auWords[2] = {
            l_uDrop == 0 ? l_uHigh : (l_uHigh >> l_uDrop) | (l_uLow << (64 - l_uDrop)), l_uLow >> l_uDrop};
        std::memcpy(dst, l_auWords, 16);
    }
}

} // namespace vexl::detail
