#pragma once
// UTF-8 well-formedness of byte strings (RFC 3629): no overlong forms, no surrogates, nothing
// above U+10FFFF, no cut sequences. Used on every string and key that crosses the bridge.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vexl::json::detail {

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
        // Lead byte: the number of continuation bytes and the range of the first one (which
        // excludes overlong forms, surrogates and code points above U+10FFFF).
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
            return i;
        }
        if (length - i <= l_uMore)
            return i;
        if (s[i + 1] < l_uLo || s[i + 1] > l_uHi)
            return i;
        for (unsigned k = 2; k <= l_uMore; ++k)
            if ((s[i + k] & 0xC0u) != 0x80u)
                return i;
        i += l_uMore + 1;
    }
    return length;
}

/// True when all `length` bytes form well-formed UTF-8.
inline bool isValidUtf8(const char *text, size_t length) noexcept {
    return firstInvalidUtf8(text, length) == length;
}

} // namespace vexl::json::detail
