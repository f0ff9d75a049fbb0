// Number tokens to values, with a fast path for well-formed numbers.

#include "loader/number_decode.h"

#include <charconv>
#include <cstdint>
#include <system_error>

#include "loader/byte_cursor.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl::detail {

void decodeNumberToken(const char *text, size_t length, CFields &field) {
    // The token is a counted range that the scanner has already bounded: [text, end).
    const char *const end = text + length;
    const char *p = text;
    const bool negative = p < end && *p == '-';
    if (negative)
        ++p;

    // Integer path: sign and digits only. Up to 18 digits cannot exceed the limits
    // (9223372036854775808 for negative numbers, 18446744073709551615 otherwise); longer runs are
    // checked digit by digit.
    const char *const digits = p;
    uint64_t value = 0;
    while (p < end && isDigit(static_cast<unsigned char>(*p)))
        value = value * 10 + unsigned(*p++ - '0');
    if (p == end && p != digits) {
        bool fits = true;
        if (p - digits > 18) {
            const uint64_t limit = negative ? uint64_t(1) << 63 : UINT64_MAX;
            value = 0;
            for (const char *q = digits; q < end && fits; ++q) {
                const unsigned digit = unsigned(*q - '0');
                fits = value < limit / 10 || (value == limit / 10 && digit <= limit % 10);
                value = value * 10 + digit;
            }
        }
        if (fits) {
            storeDecimalInteger(field, negative, value);
            return;
        }
    }

    // Anything else is a double. from_chars rounds exactly as strtod does on every number token
    // it reads whole; a token it cannot read whole ("-", "1e", "1e+") or a value out of the double
    // range goes to the specified conversion.
    double d = 0.0;
    const std::from_chars_result r = std::from_chars(text, end, d, std::chars_format::general);
    if (r.ec == std::errc() && r.ptr == end) {
        field.setValue(d);
        return;
    }
    atonInField(text, static_cast<unsigned int>(length), field);
}

} // namespace vexl::detail
