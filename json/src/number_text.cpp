// JSON number tokens to tree values.

#include "number_text.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace vexl::json::detail {

namespace {

inline bool isDigit(char c) noexcept {
    return static_cast<unsigned char>(c - '0') < 10u;
}

// The decimal magnitude of a token whose conversion is out of range: positive when the value is
// at least 1 (so it overflowed), else not (so it underflowed). Exponents are clamped, so a
// thousand-digit exponent cannot overflow the sum.
long long decimalMagnitude(const char *p, const char *end) noexcept {
    if (p < end && *p == '-')
        ++p;
    long long l_llInt = 0;  // significant digits before the point
    long long l_llLead = 0; // zeros after the point before the first significant digit
    bool l_bSeen = false;
    for (; p < end && isDigit(*p); ++p)
        if (l_bSeen || *p != '0') {
            l_bSeen = true;
            ++l_llInt;
        }
    if (p < end && *p == '.')
        for (++p; p < end && isDigit(*p); ++p) {
            if (l_bSeen)
                continue;
            if (*p == '0')
                ++l_llLead;
            else
                l_bSeen = true;
        }
    long long l_llExp = 0;
    bool l_bNegExp = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            l_bNegExp = *p++ == '-';
        for (; p < end && isDigit(*p); ++p)
            if (l_llExp < 1000000000)
                l_llExp = l_llExp * 10 + (*p - '0');
    }
    const long long l_llMag = l_llInt > 0 ? l_llInt : -l_llLead;
    return l_llMag + (l_bNegExp ? -l_llExp : l_llExp);
}

} // namespace

void storeNumber(const char *text, size_t length, CFields &field) {
    const char *const end = text + length;
    const char *p = text;
    const bool l_bNegative = p < end && *p == '-';
    if (l_bNegative)
        ++p;
    const char *const digits = p;
    uint64_t l_uValue = 0;
    while (p < end && isDigit(*p))
        l_uValue = l_uValue * 10 + unsigned(*p++ - '0');
    if (p == end) {
        // An integer: up to 18 digits cannot overflow; longer ones are checked digit by digit.
        bool l_bFits = true;
        if (p - digits > 18) {
            const uint64_t l_uLimit = l_bNegative ? uint64_t(1) << 63 : UINT64_MAX;
            l_uValue = 0;
            for (const char *q = digits; q < end && l_bFits; ++q) {
                const unsigned l_uDigit = unsigned(*q - '0');
                l_bFits =
                    l_uValue < l_uLimit / 10 || (l_uValue == l_uLimit / 10 && l_uDigit <= l_uLimit % 10);
                l_uValue = l_uValue * 10 + l_uDigit;
            }
        }
        if (l_bFits && !(l_bNegative && l_uValue == 0)) {
            if (l_bNegative)
                field.setValue(static_cast<long long>(0 - l_uValue)); // two's complement
            else if (l_uValue <= 2147483647u)
                field.setValue(static_cast<long long>(l_uValue));
            else
                field.setValue(static_cast<unsigned long long>(l_uValue));
            return;
        }
    }
    double l_d = 0.0;
    const std::from_chars_result r = std::from_chars(text, end, l_d, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        l_d = decimalMagnitude(text, end) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        if (l_bNegative)
            l_d = -l_d;
    }
    field.setValue(l_d);
}

size_t numberTokenLength(const char *text, size_t length) noexcept {
    const char *const end = text + length;
    const char *p = text;
    if (p < end && *p == '-')
        ++p;
    if (p == end || !isDigit(*p))
        return 0;
    if (*p == '0')
        ++p;
    else
        while (p < end && isDigit(*p))
            ++p;
    if (p < end && *p == '.') {
        ++p;
        if (p == end || !isDigit(*p))
            return 0;
        while (p < end && isDigit(*p))
            ++p;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        if (p == end || !isDigit(*p))
            return 0;
        while (p < end && isDigit(*p))
            ++p;
    }
    return size_t(p - text);
}

std::vector<tBigNumber> findBigNumbers(std::string_view text) {
    std::vector<tBigNumber> l_vecBig;
    const char *const begin = text.data();
    const char *const end = begin + text.size();
    const char *p = begin;
    while (p < end) {
        const char c = *p;
        if (c == '"') {
            // Skip the string, escapes included; an unclosed one ends the scan.
            for (++p; p < end && *p != '"'; ++p)
                if (*p == '\\' && p + 1 < end)
                    ++p;
            ++p;
            continue;
        }
        if (c != '-' && !isDigit(c)) {
            ++p;
            continue;
        }
        const size_t l_uLen = numberTokenLength(p, size_t(end - p));
        if (l_uLen == 0) {
            ++p;
            continue;
        }
        // Integer digits and exponent size.
        const char *q = p + (c == '-' ? 1 : 0);
        const char *const tokenEnd = p + l_uLen;
        size_t l_uIntDigits = 0;
        while (q < tokenEnd && isDigit(*q)) {
            ++q;
            ++l_uIntDigits;
        }
        while (q < tokenEnd && *q != 'e' && *q != 'E')
            ++q;
        long long l_llExp = 0;
        if (q < tokenEnd) {
            ++q;
            if (*q == '+' || *q == '-')
                ++q;
            for (; q < tokenEnd; ++q)
                if (l_llExp < 1000000)
                    l_llExp = l_llExp * 10 + (*q - '0');
        }
        if (l_uIntDigits > 300 || l_llExp > 300)
            l_vecBig.push_back(tBigNumber{size_t(p - begin), l_uLen});
        p = tokenEnd;
    }
    return l_vecBig;
}

} // namespace vexl::json::detail
