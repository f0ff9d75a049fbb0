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
/// Integers are converted here directly, other numbers that `std::from_chars` reads whole with
/// it (it rounds exactly as `strtod` does); odd tokens ("-", "1e", "1e+") and values out of the
/// double range go to `atonInField` itself.
void decodeNumberToken(const char *text, size_t length, CFields &field);

} // namespace vexl::detail
