#pragma once
// UTF-8 well-formedness of byte strings (RFC 3629): no overlong forms, no surrogates, nothing
// above U+10FFFF, no cut sequences. Used on every string and key that crosses the bridge.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vexl::json::detail {

/// Length (2 to 4) of the well-formed multi-byte sequence at `s` (`available` bytes may be
/// read, at least 1; `s[0]` is 0x80 or above), or 0 when it is malformed: a bad lead byte, an
/// overlong form, a surrogate, a code point above U+10FFFF or a cut sequence.
inline unsigned utf8SequenceLength(const unsigned char *s, size_t available) noexcept {
    const unsigned c = s[0];
    // The number of continuation bytes and the range of the first one.
    unsigned l_uMore;
    unsigned l_uLo = 0x80, l_uHi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        l_uMore = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        l_uMore = 2;
        if (c == 0xE0)
            l_uLo = 0xA0;
        else if (c == 0xED)
            l_uHi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        l_uMore = 3;
        if (c == 0xF0)
            l_uLo = 0x90;
        else if (c == 0xF4)
            l_uHi = 0x8F;
    } else {
        return 0;
    }
    if (available <= l_uMore || s[1] < l_uLo || s[1] > l_uHi)
        return 0;
    for (unsigned k = 2; k <= l_uMore; ++k)
        if ((s[k] & 0xC0u) != 0x80u)
            return 0;
    return l_uMore + 1;
}

/// Index of the first byte of the first malformed sequence in `text[0, length)`, or `length`
/// when all of it is well-formed UTF-8.
inline size_t firstInvalidUtf8(const char *text, size_t length) noexcept {
    const unsigned char *const s = reinterpret_cast<const unsigned char *>(text);
    size_t i = 0;
    while (i < length) {
        // ASCII runs eight bytes at a time.
        if (i + 8 <= length) {
            uint64_t l_uWord;
            std::memcpy(&l_uWord, s + i, 8);
            if ((l_uWord & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const unsigned l_uSeq = utf8SequenceLength(s + i, length - i);
        if (l_uSeq == 0)
            return i;
        i += l_uSeq;
    }
    return length;
}

/// True when all `length` bytes form well-formed UTF-8.
inline bool isValidUtf8(const char *text, size_t length) noexcept {
    return firstInvalidUtf8(text, length) == length;
}

} // namespace vexl::json::detail
