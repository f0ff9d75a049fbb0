// Output buffer, and appending text forms of numbers and quoted strings for the writers.

#include "saver/text_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vexl::detail {

namespace {

// MARK: - Escape table (Private)

// Each byte's form inside a quoted string: up to four characters (in the low bytes of a
// little-endian word, written with one 4-byte store) and their count. Bytes that need no
// escape are themselves (count 1).
struct alignas(8) tEscape {
    char m_acText[4];
    uint32_t m_uiLen;
};

struct tEscapeTable {
    tEscape m_atEntry[256];
    constexpr tEscapeTable() : m_atEntry{} {
        constexpr char hex[] = "0123456789ABCDEF";
        for (unsigned c = 0; c < 256; ++c) {
            if (c >= 0x20 && c <= 0x7E)
                m_atEntry[c] = tEscape{{char(c), 0, 0, 0}, 1};
            else
                m_atEntry[c] = tEscape{{'\\', 'x', hex[c >> 4], hex[c & 0x0F]}, 4};
        }
        m_atEntry[0x08] = tEscape{{'\\', 'b', 0, 0}, 2};
        m_atEntry[0x09] = tEscape{{'\\', 't', 0, 0}, 2};
        m_atEntry[0x0A] = tEscape{{'\\', 'n', 0, 0}, 2};
        m_atEntry[0x0C] = tEscape{{'\\', 'f', 0, 0}, 2};
        m_atEntry[0x0D] = tEscape{{'\\', 'r', 0, 0}, 2};
        m_atEntry[0x22] = tEscape{{'\\', '"', 0, 0}, 2};
        m_atEntry[0x5C] = tEscape{{'\\', '\\', 0, 0}, 2};
    }
};
constexpr tEscapeTable s_tEscape;

// Writes byte `c` in its quoted form at `p` (four bytes of room); returns the end.
inline char *putEscaped(char *p, unsigned char c) {
    const tEscape &e = s_tEscape.m_atEntry[c];
    std::memcpy(p, e.m_acText, 4);
    return p + e.m_uiLen;
}

// MARK: - Digits (Private)

constexpr char s_acDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr unsigned long long s_aullPow10[20] = {1ull,
                                                10ull,
                                                100ull,
                                                1000ull,
                                                10000ull,
                                                100000ull,
                                                1000000ull,
                                                10000000ull,
                                                100000000ull,
                                                1000000000ull,
                                                10000000000ull,
                                                100000000000ull,
                                                1000000000000ull,
                                                10000000000000ull,
                                                100000000000000ull,
                                                1000000000000000ull,
                                                10000000000000000ull,
                                                100000000000000000ull,
                                                1000000000000000000ull,
                                                10000000000000000000ull};

// Number of decimal digits of `value` (1 for 0).
inline unsigned digitCount(unsigned long long value) {
    const unsigned l_uLog = (unsigned(64 - std::countl_zero(value | 1)) * 1233u) >> 12; // about log10
    return l_uLog + 1 - (value < s_aullPow10[l_uLog] ? 1u : 0u) + (value == 0 ? 1u : 0u);
}

// Writes the decimal digits of `value` at `p` (24 bytes of room); returns the end. The length
// is known first, so the digits go straight to their place from the end (32-bit arithmetic
// below 10^8); nothing written is read back.
inline char *putUnsigned(char *p, unsigned long long value) {
    char *const l_pEnd = p + digitCount(value);
    char *q = l_pEnd;
    // Eight digits at a time from the end: two halves of four, then four pairs that do not
    // wait for one another.
    while (value >= 100000000ull) {
        const unsigned long long l_ullHigh = value / 100000000ull;
        const uint32_t l_uLow = uint32_t(value - l_ullHigh * 100000000ull);
        const uint32_t l_uA = l_uLow / 10000, l_uB = l_uLow % 10000;
        q -= 8;
        std::memcpy(q, s_acDigitPairs + 2 * (l_uA / 100), 2);
        std::memcpy(q + 2, s_acDigitPairs + 2 * (l_uA % 100), 2);
        std::memcpy(q + 4, s_acDigitPairs + 2 * (l_uB / 100), 2);
        std::memcpy(q + 6, s_acDigitPairs + 2 * (l_uB % 100), 2);
        value = l_ullHigh;
    }
    uint32_t v = uint32_t(value);
    while (v >= 100) {
        q -= 2;
        std::memcpy(q, s_acDigitPairs + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        q -= 2;
        std::memcpy(q, s_acDigitPairs + 2 * v, 2);
    } else {
        *--q = char('0' + v);
    }
    return l_pEnd;
}

// Writes exactly `count` (even) digits of `value` (< 10^count) at `p`, most significant first.
inline void putDigits(char *p, uint32_t value, int count) {
    for (int i = count - 2; i >= 0; i -= 2) {
        std::memcpy(p + i, s_acDigitPairs + 2 * (value % 100), 2);
        value /= 100;
    }
}

// `x` rounded to the nearest integer in the current rounding mode (ties to even by default),
// without the control-word switches of a truncating conversion.
inline long long roundToInteger(long double x) {
#if defined(__x86_64__) || defined(__i386__)
    long long n;
    __asm__("fistpll %0" : "=m"(n) : "t"(x) : "st");
    return n;
#else
    return std::llrint(x);
#endif
}

// The 17 significant decimal digits of `value` (finite, above 0) rounded to nearest with ties to
// even, as an integer N in [10^16, 10^17), and the decimal exponent E of its first digit, so
// that value ~ N x 10^(E - 16). False when the fast estimate cannot decide (a rounding close
// to a half, a value close to a power of ten, or a magnitude outside about 1e-38 to 1e70); the
// caller then uses the exact library conversion.
//
// 1. The x87 long double has a 64-bit significand: powers of ten up to 10^27 are exact, and
//    each multiplication or division adds a relative error of at most 2^-64.
// 2. value x 10^(16 - E) lies below 10^17 < 2^57, so two roundings leave an absolute error
//    below 0.011; a product more than 0.03 away from a half-integer therefore rounds as the exact
//    product would. Rounding uses the FPU's round-to-nearest-even, as printf does.
bool digits17(double value, uint64_t &digits, int &exponent) {
    if constexpr (std::numeric_limits<long double>::digits < 64) {
        return false;
    } else {
        static constexpr long double s_aldPow10[28] = {
            1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
            1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
        uint64_t l_ullBits = 0;
        std::memcpy(&l_ullBits, &value, sizeof(l_ullBits));
        const int l_nBiased = int((l_ullBits >> 52) & 0x7FF);
        if (l_nBiased == 0)
            return false; // subnormal: far outside the fast range
        // floor(log10(2^k)) for the binary exponent k, exact for |k| < 1650; one below the
        // decimal exponent at most, which the loop corrects.
        int l_nExp = ((l_nBiased - 1023) * 78913) >> 18;
        for (int l_nTry = 0; l_nTry < 3; ++l_nTry) {
            const int q = 16 - l_nExp;
            long double x = value;
            if (q >= 0) {
                if (q <= 27)
                    x *= s_aldPow10[q];
                else if (q <= 54)
                    x = (x * s_aldPow10[27]) * s_aldPow10[q - 27];
                else
                    return false;
            } else {
                if (-q <= 27)
                    x /= s_aldPow10[-q];
                else if (-q <= 54)
                    x = (x / s_aldPow10[27]) / s_aldPow10[-q - 27];
                else
                    return false;
            }
            // Within a quarter of 10^16 (or 10^17) the exact product rounds to that power of
            // ten whichever side of it it lies, so the digits are 1 and zeros.
            if (std::fabs(x - 1e16L) < 0.25L || std::fabs(x - 1e17L) < 0.25L) {
                digits = 10000000000000000ull;
                exponent = x < 5e16L ? l_nExp : l_nExp + 1;
                return true;
            }
            if (x < 1e16L) {
                --l_nExp;
                continue;
            }
            if (x >= 1e17L) {
                ++l_nExp;
                continue;
            }
            const long long l_llRounded = roundToInteger(x);
            if (std::fabs(x - static_cast<long double>(l_llRounded)) > 0.47L)
                return false; // too close to a half to decide
            digits = uint64_t(l_llRounded);
            exponent = l_nExp;
            if (digits == 100000000000000000ull) {
                digits = 10000000000000000ull;
                ++exponent;
            }
            return true;
        }
        return false;
    }
}

// "%.17g" of a finite value at `p` (at least 32 bytes of room); returns the end.
char *formatDouble17(char *p, double value) {
    uint64_t l_ullDigits = 0;
    int l_nExp = 0;
    if (value == 0.0) {
        if (std::signbit(value))
            *p++ = '-';
        *p++ = '0';
        return p;
    }
    if (!digits17(std::fabs(value), l_ullDigits, l_nExp))
        return std::to_chars(p, p + 32, value, std::chars_format::general, 17).ptr;

    char d[18];
    d[0] = char('0' + l_ullDigits / 10000000000000000ull);
    const uint64_t l_ullRest = l_ullDigits % 10000000000000000ull;
    putDigits(d + 1, uint32_t(l_ullRest / 100000000u), 8);
    putDigits(d + 9, uint32_t(l_ullRest % 100000000u), 8);
    int k = 17; // significant digits left after dropping trailing zeros
    while (k > 1 && d[k - 1] == '0')
        --k;

    if (value < 0)
        *p++ = '-';
    if (l_nExp < -4 || l_nExp >= 17) {
        // d.ddde+XX
        *p++ = d[0];
        if (k > 1) {
            *p++ = '.';
            std::memcpy(p, d + 1, size_t(k - 1));
            p += k - 1;
        }
        *p++ = 'e';
        int e = l_nExp;
        if (e < 0) {
            *p++ = '-';
            e = -e;
        } else {
            *p++ = '+';
        }
        if (e >= 100) {
            *p++ = char('0' + e / 100);
            e %= 100;
        }
        std::memcpy(p, s_acDigitPairs + 2 * e, 2);
        return p + 2;
    }
    if (l_nExp >= 0) {
        // ddd.ddd
        const int l_nInt = l_nExp + 1;
        std::memcpy(p, d, size_t(l_nInt));
        p += l_nInt;
        if (k > l_nInt) {
            *p++ = '.';
            std::memcpy(p, d + l_nInt, size_t(k - l_nInt));
            p += k - l_nInt;
        }
        return p;
    }
    // 0.000ddd (exponent -1 to -4)
    *p++ = '0';
    *p++ = '.';
    for (int i = -1; i > l_nExp; --i)
        *p++ = '0';
    std::memcpy(p, d, size_t(k));
    return p + k;
}

} // namespace

// MARK: - Output buffer (Public)

void COutBuf::grow(size_t n) {
    const size_t l_uiPos = size();
    size_t l_uiSize = m_rStr.size() * 2;
    if (l_uiSize < l_uiPos + n)
        l_uiSize = l_uiPos + n;
    if (l_uiSize < 256)
        l_uiSize = 256;
    if (l_uiSize < m_rStr.capacity())
        l_uiSize = m_rStr.capacity();
    m_rStr.resize(l_uiSize);
    m_pBegin = m_rStr.data();
    m_pCur = m_pBegin + l_uiPos;
    m_pEnd = m_pBegin + l_uiSize;
}

// MARK: - Quoted strings (Public)

// Blocks of sixteen bytes that need no escape are copied as they are (SSE2); a block that holds
// any byte to escape, and the tail, go byte by byte through the escape table. Four bytes of room
// per input byte cover the worst case, so every store is unchecked.
void appendQuotedEscaped(COutBuf &out, const char *text, size_t length) {
    char *p = out.reserve(4 * length + 2);
    *p++ = '"';
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *const l_pEnd = s + length;
    if (length < 16) {
        // Short texts (most names): one pass that only asks whether any byte needs an escape,
        // without a dependency from byte to byte, then a plain copy.
        uint32_t l_uiEscapes = 0;
        for (size_t i = 0; i < length; ++i)
            l_uiEscapes |= s_tEscape.m_atEntry[s[i]].m_uiLen;
        if (l_uiEscapes == 1) {
            copyShort(p, text, length);
            p[length] = '"';
            out.commit(p + length + 1);
            return;
        }
    }
#ifdef __SSE2__
    while (l_pEnd - s >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        // Below 0x20 or at least 0x80 (negative as signed bytes), 0x7F, '"', '\\'.
        const __m128i bad = _mm_or_si128(
            _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F))),
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'))));
        if (_mm_movemask_epi8(bad) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
            p += 16;
        } else {
            for (int i = 0; i < 16; ++i)
                p = putEscaped(p, s[i]);
        }
        s += 16;
    }
#endif
    while (s < l_pEnd)
        p = putEscaped(p, *s++);
    *p++ = '"';
    out.commit(p);
}

// MARK: - Numbers (Public)

void appendDouble(COutBuf &out, double value) {
    if (std::isnan(value)) {
        out.append("null", 4);
        return;
    }
    if (std::isinf(value)) {
        if (value < 0)
            out.append("-1e+9999", 8);
        else
            out.append("1e+9999", 7);
        return;
    }
    out.commit(formatDouble17(out.reserve(32), value));
}

void appendSint(COutBuf &out, long long value) {
    char *p = out.reserve(24);
    if (value < 0) {
        *p++ = '-';
        out.commit(putUnsigned(p, 0ull - static_cast<unsigned long long>(value)));
        return;
    }
    out.commit(putUnsigned(p, static_cast<unsigned long long>(value)));
}

void appendUint(COutBuf &out, unsigned long long value) {
    out.commit(putUnsigned(out.reserve(24), value));
}

void appendQuotedEscaped(std::string &out, const char *text, size_t length) {
    COutBuf l_tBuf(out);
    appendQuotedEscaped(l_tBuf, text, length);
}

void appendDouble(std::string &out, double value) {
    COutBuf l_tBuf(out);
    appendDouble(l_tBuf, value);
}

void appendSint(std::string &out, long long value) {
    COutBuf l_tBuf(out);
    appendSint(l_tBuf, value);
}

void appendUint(std::string &out, unsigned long long value) {
    COutBuf l_tBuf(out);
    appendUint(l_tBuf, value);
}

} // namespace vexl::detail
