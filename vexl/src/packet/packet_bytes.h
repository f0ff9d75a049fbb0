#pragma once
// Byte-level helpers shared by the packet encoders and decoders: decimal text of 64-bit numbers
// into a caller's buffer, big-endian 64-bit numbers, the counted length-prefix readers and the
// clamps that keep positions and results in range.
//
// Everything here is header-only and allocation-free; the hot paths of making and parsing call
// these once or twice per field.

#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>

namespace vexl::detail {

/// Longest field or packet length the engine works with (the length word keeps 31 bits).
inline constexpr uint32_t kMaxPacketLength = 0x7FFFFFFFu;

/// `a_uiLength` clamped to 0x7FFFFFFF.
constexpr uint32_t clampLength(uint64_t a_uiLength) noexcept {
    return a_uiLength > kMaxPacketLength ? kMaxPacketLength : uint32_t(a_uiLength);
}

/// A 64-bit count or difference clamped to the range of `int` (parse results).
constexpr int clampResult(int64_t a_nValue) noexcept {
    if (a_nValue > INT_MAX)
        return INT_MAX;
    if (a_nValue < INT_MIN)
        return INT_MIN;
    return int(a_nValue);
}

/// Room for the decimal text of any 64-bit number with its sign.
inline constexpr unsigned kDecimalBufferSize = 24;

/// Writes the decimal digits of `a_uValue` so that they end at `a_pEnd` and returns their first
/// character. The buffer before `a_pEnd` must hold at least 20 characters.
inline char *formatDecimalBackward(char *a_pEnd, uint64_t a_uValue) noexcept {
    static constexpr char kPairs[] = "00010203040506070809"
                                     "10111213141516171819"
                                     "20212223242526272829"
                                     "30313233343536373839"
                                     "40414243444546474849"
                                     "50515253545556575859"
                                     "60616263646566676869"
                                     "70717273747576777879"
                                     "80818283848586878889"
                                     "90919293949596979899";
    char *l_p = a_pEnd;
    while (a_uValue >= 100) {
        const unsigned l_uPair = unsigned(a_uValue % 100) * 2;
        a_uValue /= 100;
        *--l_p = kPairs[l_uPair + 1];
        *--l_p = kPairs[l_uPair];
    }
    if (a_uValue >= 10) {
        const unsigned l_uPair = unsigned(a_uValue) * 2;
        *--l_p = kPairs[l_uPair + 1];
        *--l_p = kPairs[l_uPair];
    } else {
        *--l_p = char('0' + a_uValue);
    }
    return l_p;
}

/// Decimal text of a signed value ("-" in front of negative ones) ending at `a_pEnd`.
inline char *formatDecimalBackward(char *a_pEnd, int64_t a_nValue) noexcept {
    const uint64_t l_uMag = a_nValue < 0 ? 0 - uint64_t(a_nValue) : uint64_t(a_nValue);
    char *l_p = formatDecimalBackward(a_pEnd, l_uMag);
    if (a_nValue < 0)
        *--l_p = '-';
    return l_p;
}

/// Number of decimal digits of `a_uValue` (1 for 0).
constexpr unsigned decimalDigits(uint64_t a_uValue) noexcept {
    unsigned l_uDigits = 1;
    while (a_uValue >= 10) {
        a_uValue /= 10;
        ++l_uDigits;
    }
    return l_uDigits;
}

/// Stores `a_uValue` as 8 big-endian bytes at `a_pOut`.
inline void storeBigEndian64(unsigned char *a_pOut, uint64_t a_uValue) noexcept {
    for (int i = 7; i >= 0; --i) {
        a_pOut[i] = uint8_t(a_uValue);
        a_uValue >>= 8;
    }
}

/// Reads `a_uiCount` (at most 8) bytes at `a_pIn` as a big-endian unsigned number.
inline uint64_t loadBigEndian(const unsigned char *a_pIn, unsigned a_uiCount) noexcept {
    uint64_t l_uValue = 0;
    for (unsigned i = 0; i < a_uiCount; ++i)
        l_uValue = (l_uValue << 8) | a_pIn[i];
    return l_uValue;
}

/// The bit pattern of a double.
inline uint64_t doubleBits(double a_dValue) noexcept {
    uint64_t l_uBits;
    std::memcpy(&l_uBits, &a_dValue, sizeof(l_uBits));
    return l_uBits;
}

/// The double of a bit pattern.
inline double bitsDouble(uint64_t a_uBits) noexcept {
    double l_dValue;
    std::memcpy(&l_dValue, &a_uBits, sizeof(l_dValue));
    return l_dValue;
}

/// True when the 8 bytes in `a_uChunk` (first byte lowest) are all decimal digits; then
/// `a_uValue` is their number.
inline bool eightDigits(uint64_t a_uChunk, uint32_t &a_uValue) noexcept {
    // Every byte 0x30 to 0x3F, and still below 0x40 after adding 6 (no carry can cross bytes
    // once the first test holds).
    if ((a_uChunk & 0xF0F0F0F0F0F0F0F0ULL) != 0x3030303030303030ULL ||
        ((a_uChunk + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) != 0x3030303030303030ULL)
        return false;
    uint64_t l_u = a_uChunk - 0x3030303030303030ULL;
    l_u = (l_u * 10) + (l_u >> 8); // pairs of digits in bytes 0, 2, 4 and 6
    l_u = (((l_u & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
           (((l_u >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
          32;
    a_uValue = uint32_t(l_u);
    return true;
}

/// Reads `a_uiCount` bytes that are all decimal digits (1 to 19 of them, so the value always
/// fits 64 bits) into `a_uOut`; false for any other text, which then needs the general reader.
/// Eight digits are read at a time.
inline bool readPlainDigits(const char *a_cpText, uint32_t a_uiCount, uint64_t &a_uOut) noexcept {
    if (a_uiCount == 0 || a_uiCount > 19)
        return false;
    uint64_t l_uValue = 0;
    uint32_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= a_uiCount; i += 8) {
            uint64_t l_uChunk;
            std::memcpy(&l_uChunk, a_cpText + i, 8);
            uint32_t l_uEight;
            if (!eightDigits(l_uChunk, l_uEight))
                return false;
            l_uValue = l_uValue * 100000000u + l_uEight;
        }
    }
    for (; i < a_uiCount; ++i) {
        const unsigned l_uDigit = unsigned(static_cast<unsigned char>(a_cpText[i])) - '0';
        if (l_uDigit > 9)
            return false;
        l_uValue = l_uValue * 10 + l_uDigit;
    }
    a_uOut = l_uValue;
    return true;
}

/// Reads an ASCII length prefix of exactly `a_uiWidth` bytes, the way the classic decimal reader
/// does but never beyond the prefix: leading blanks (space, TAB, CR, LF), an optional sign, then
/// digits up to the first other byte (no digits give 0). Returns false when the magnitude does
/// not fit 32 bits; `a_nOut` is the signed value otherwise.
inline bool readAsciiPrefix(const unsigned char *a_pIn, unsigned a_uiWidth, int64_t &a_nOut) noexcept {
    const unsigned char *l_p = a_pIn;
    const unsigned char *const l_pEnd = a_pIn + a_uiWidth;
    while (l_p < l_pEnd && (*l_p == ' ' || *l_p == '\t' || *l_p == '\r' || *l_p == '\n'))
        ++l_p;
    bool l_bNegative = false;
    if (l_p < l_pEnd && (*l_p == '+' || *l_p == '-')) {
        l_bNegative = *l_p == '-';
        ++l_p;
    }
    uint64_t l_uValue = 0;
    for (; l_p < l_pEnd && *l_p >= '0' && *l_p <= '9'; ++l_p) {
        l_uValue = l_uValue * 10 + unsigned(*l_p - '0');
        if (l_uValue > 0xFFFFFFFFu)
            return false;
    }
    a_nOut = l_bNegative ? -int64_t(l_uValue) : int64_t(l_uValue);
    return true;
}

/// Reads a binary length prefix of `a_uiWidth` bytes as a big-endian unsigned number (prefixes of
/// 9 bytes or more use their last 8). Returns false when the value does not fit 32 bits.
inline bool readBinaryPrefix(const unsigned char *a_pIn, unsigned a_uiWidth, int64_t &a_nOut) noexcept {
    const unsigned l_uiUsed = a_uiWidth > 8 ? 8 : a_uiWidth;
    const uint64_t l_uValue = loadBigEndian(a_pIn + (a_uiWidth - l_uiUsed), l_uiUsed);
    if (l_uValue > 0xFFFFFFFFu)
        return false;
    a_nOut = int64_t(l_uValue);
    return true;
}

} // namespace vexl::detail
