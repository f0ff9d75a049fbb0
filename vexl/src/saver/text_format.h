#pragma once
// Appending text forms of values, used on the writers' hot paths. Each function appends to the
// caller's string, so a whole document is built without temporary strings. The results are
// byte for byte those of the public `ToString` and `ToQuotedEscapeString` forms.

#include <cstddef>
#include <string>

namespace vexl::detail {

/// Appends `length` bytes of `text` in double quotes with the escapes of the notation:
/// \b \t \n \f \r \" \\ and "\xHH" (upper-case) for every other byte below 0x20 or above 0x7E,
/// zero bytes included. `text` need not be zero-terminated.
void appendQuotedEscaped(std::string &out, const char *text, size_t length);

/// Appends 17 significant digits of `value` ("%.17g" in the "C" locale); NaN "null",
/// infinities "1e+9999" and "-1e+9999".
void appendDouble(std::string &out, double value);

/// Appends the decimal digits of `value`, with "-" in front of negative values.
void appendSint(std::string &out, long long value);

/// Appends the decimal digits of `value`.
void appendUint(std::string &out, unsigned long long value);

} // namespace vexl::detail
