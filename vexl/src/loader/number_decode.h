#pragma once
// Conversion of number tokens of the text notation into field values.

#include <cstddef>

namespace vexl {
class CFields;
}

namespace vexl::detail {

/// Stores the number token of `length` bytes at `text` in `field`'s actual value, with exactly
/// the result of `atonInField`: a sign and digits that fit become `DT_sint` (negative values and
/// values up to 2147483647) or `DT_uint` (up to 18446744073709551615); anything else is a
/// `DT_double`.
///
/// Well-formed numbers (-?digits[.digits][(e|E)[+|-]digits]) are converted here: integers
/// directly, the others with `std::from_chars`, which rounds exactly as `strtod` does. Odd
/// tokens ("-", "1.", "1e", a value out of the double range) go to `atonInField` itself.
void decodeNumberToken(const char *text, size_t length, CFields &field);

} // namespace vexl::detail
