// Number tokens to values, with a fast path for well-formed numbers.

#include "loader/number_decode.h"

#include <charconv>
#include <cstdint>
#include <system_error>

#include "loader/byte_cursor.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl::detail {

namespace {

// True when [p, end) is -?digits[.digits][(e|E)[+|-]digits] with at least one digit in each
// part that is present: the syntax on which from_chars and strtod agree byte for byte.
bool isWellFormedFloat(const char *p, const char *end) noexcept {
    CByteCursor cur(p, end);
    if (cur.peek() == '-')
        cur.advance();
    const char *digits = cur.pos();
    cur.skipDigits();
    if (cur.pos() == digits)
        return false;
    if (cur.peek() == '.') {
        cur.advance();
        digits = cur.pos();
        cur.skipDigits();
        if (cur.pos() == digits)
            return false;
    }
    if (cur.peek() == 'e' || cur.peek() == 'E') {
        cur.advance();
        if (cur.peek() == '+' || cur.peek() == '-')
            cur.advance();
        digits = cur.pos();
        cur.skipDigits();
        if (cur.pos() == digits)
            return false;
    }
    return cur.atEnd();
}

} // namespace

void decodeNumberToken(const char *text, size_t length, CFields &field) {
    const char *const end = text + length;
    CByteCursor cur(text, end);
    const bool negative = cur.peek() == '-';
    if (negative)
        cur.advance();

    // Integer path: the signed limit 9223372036854775808 for negative numbers, the unsigned
    // limit otherwise, with the usual division test before each digit.
    const uint64_t limit = negative ? uint64_t(1) << 63 : UINT64_MAX;
    uint64_t value = 0;
    bool fits = true;
    const char *digits = cur.pos();
    while (isDigit(cur.peek())) {
        const unsigned digit = unsigned(cur.peek() - '0');
        if (value > limit / 10 || (value == limit / 10 && digit > limit % 10)) {
            fits = false;
            break;
        }
        value = value * 10 + digit;
        cur.advance();
    }
    if (fits && cur.atEnd() && cur.pos() != digits) {
        if (negative)
            field.setValue(static_cast<long long>(0 - value)); // two's complement of the magnitude
        else if (value <= 2147483647u)
            field.setValue(static_cast<long long>(value));
        else
            field.setValue(static_cast<unsigned long long>(value));
        return;
    }

    if (isWellFormedFloat(text, end)) {
        double d = 0.0;
        const std::from_chars_result r = std::from_chars(text, end, d, std::chars_format::general);
        if (r.ec == std::errc() && r.ptr == end) {
            field.setValue(d);
            return;
        }
    }
    // Odd tokens and values beyond the double range: the specified conversion.
    atonInField(text, static_cast<unsigned int>(length), field);
}

} // namespace vexl::detail
