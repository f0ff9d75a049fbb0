#pragma once
// A bounds-checked reading position over a counted byte range.
//
// Every byte of a document that the text loader looks at is read through this class (or
// through a span the class has already checked), so "nothing reads outside the input" is the
// property of this one small file: every access compares against the end first, and a read at
// the end yields -1 instead of a byte. Bytes are returned as unsigned values (0 to 255).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vexl::detail {

/// True for the four blank bytes of the notation: space, TAB, CR and LF.
constexpr bool isBlank(int c) noexcept {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
/// True for '0' to '9'.
constexpr bool isDigit(int c) noexcept {
    return c >= '0' && c <= '9';
}
/// Value of a hexadecimal digit (0-9, a-f, A-F), or -1.
constexpr int hexValue(int c) noexcept {
    return (c >= '0' && c <= '9')   ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : -1;
}

class CByteCursor {
public:
    CByteCursor() noexcept = default;
    CByteCursor(const char *begin, const char *end) noexcept : m_pBegin(begin), m_pEnd(end), m_pCur(begin) {}

    const char *begin() const noexcept { return m_pBegin; }
    const char *end() const noexcept { return m_pEnd; }
    const char *pos() const noexcept { return m_pCur; }
    /// Moves to `p`, which is clamped into the range.
    void setPos(const char *p) noexcept { m_pCur = p < m_pBegin ? m_pBegin : (p > m_pEnd ? m_pEnd : p); }
    /// Moves to the end.
    void toEnd() noexcept { m_pCur = m_pEnd; }

    size_t remaining() const noexcept { return size_t(m_pEnd - m_pCur); }
    bool atEnd() const noexcept { return m_pCur >= m_pEnd; }

    /// The byte at the position, or -1 at the end.
    int peek() const noexcept { return m_pCur < m_pEnd ? static_cast<unsigned char>(*m_pCur) : -1; }
    /// The byte `n` places ahead, or -1 when that lies at or past the end.
    int peekAt(size_t n) const noexcept {
        return n < remaining() ? static_cast<unsigned char>(m_pCur[n]) : -1;
    }
    /// Moves ahead by `n` bytes, at most to the end.
    void advance(size_t n = 1) noexcept { m_pCur += n < remaining() ? n : remaining(); }

    /// Skips space, TAB, CR and LF.
    void skipBlanks() noexcept {
        const char *p = m_pCur;
        while (p < m_pEnd && isBlank(static_cast<unsigned char>(*p)))
            ++p;
        m_pCur = p;
    }
    /// Skips decimal digits.
    void skipDigits() noexcept {
        const char *p = m_pCur;
        while (p < m_pEnd && isDigit(static_cast<unsigned char>(*p)))
            ++p;
        m_pCur = p;
    }
    /// Skips decimal digits, adding each to `value` (value * 10 + digit, wrapping past 64 bits),
    /// and returns how many were skipped.
    size_t skipDigitsInto(uint64_t &value) noexcept {
        const char *p = m_pCur;
        uint64_t v = value;
        while (p < m_pEnd && isDigit(static_cast<unsigned char>(*p)))
            v = v * 10 + unsigned(*p++ - '0');
        value = v;
        const size_t n = size_t(p - m_pCur);
        m_pCur = p;
        return n;
    }
    /// When the next `n` bytes are `text`, moves past them and returns true; otherwise stays.
    bool match(const char *text, size_t n) noexcept {
        if (remaining() < n || std::memcmp(m_pCur, text, n) != 0)
            return false;
        m_pCur += n;
        return true;
    }
    /// The first `c` at or after the position, or null.
    const char *find(char c) const noexcept {
        return static_cast<const char *>(std::memchr(m_pCur, c, remaining()));
    }
    /// The first occurrence of the two bytes `a` `b` at or after the position, or null.
    const char *findPair(char a, char b) const noexcept {
        const char *p = m_pCur;
        while (p < m_pEnd) {
            const char *q = static_cast<const char *>(std::memchr(p, a, size_t(m_pEnd - p)));
            if (q == nullptr || m_pEnd - q < 2)
                return nullptr;
            if (q[1] == b)
                return q;
            p = q + 1;
        }
        return nullptr;
    }
    /// The first CR or LF at or after the position, or null.
    const char *findLineEnd() const noexcept {
        for (const char *p = m_pCur; p < m_pEnd; ++p)
            if (*p == '\n' || *p == '\r')
                return p;
        return nullptr;
    }
    /// The first byte of space, CR, TAB, LF or ')' at or after the position, or null.
    const char *findBlankOrClose() const noexcept {
        for (const char *p = m_pCur; p < m_pEnd; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (isBlank(c) || c == ')')
                return p;
        }
        return nullptr;
    }

    /// Scans the body of a string whose opening quote was just passed: returns the closing
    /// quote, or null when the text ends first (a backslash makes the next byte part of the
    /// string whatever it is). `escaped` tells whether the body holds a backslash.
    ///
    /// Sixteen bytes (with SSE2, else eight) are tested at a time for '"' or '\\' while as many
    /// remain (never past the end), then single bytes; each byte is looked at once.
    const char *scanStringBody(bool &escaped) const noexcept {
        escaped = false;
        const char *p = m_pCur;
        for (;;) {
            p = findQuoteOrBackslash(p);
            if (p == nullptr)
                return nullptr;
            if (*p == '"')
                return p;
            escaped = true;
            if (m_pEnd - p < 2)
                return nullptr; // a backslash as the very last byte
            p += 2;
        }
    }

    /// At a '"': when the string ends within the text and holds no backslash, moves past its
    /// closing quote and returns that quote; otherwise stays and returns null.
    const char *skipPlainString() noexcept {
        const char *const open = m_pCur;
        ++m_pCur;
        bool escaped = false;
        const char *const quote = scanStringBody(escaped);
        m_pCur = quote == nullptr || escaped ? open : quote + 1;
        return escaped ? nullptr : quote;
    }

private:
    // The first '"' or '\\' in [p, end), or null.
    const char *findQuoteOrBackslash(const char *p) const noexcept {
#if defined(__SSE2__)
        // Sixteen bytes at a time while sixteen remain.
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i backslash = _mm_set1_epi8('\\');
        while (m_pEnd - p >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const unsigned hit = unsigned(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash))));
            if (hit != 0)
                return p + std::countr_zero(hit);
            p += 16;
        }
#else
        if constexpr (std::endian::native == std::endian::little) {
            constexpr uint64_t ones = 0x0101010101010101u;
            constexpr uint64_t highs = 0x8080808080808080u;
            while (m_pEnd - p >= 8) {
                uint64_t word;
                std::memcpy(&word, p, 8);
                const uint64_t q = word ^ (ones * '"');
                const uint64_t b = word ^ (ones * '\\');
                // A zero byte in q or b marks a hit; the lowest marked byte is exact.
                const uint64_t hit = (((q - ones) & ~q) | ((b - ones) & ~b)) & highs;
                if (hit != 0)
                    return p + (std::countr_zero(hit) >> 3);
                p += 8;
            }
        }
#endif
        for (; p < m_pEnd; ++p)
            if (*p == '"' || *p == '\\')
                return p;
        return nullptr;
    }

    const char *m_pBegin = nullptr;
    const char *m_pEnd = nullptr;
    const char *m_pCur = nullptr;
};

} // namespace vexl::detail
