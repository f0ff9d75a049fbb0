#pragma once
// Conversion of number tokens of the text notation into field values.

#include <cstddef>
#include <cstdint>

#include "tree/fields_vector.h"

namespace vexl::detail {

/// Stores a decimal integer that fit (its sign and magnitude) as the number rule has it:
/// negative values and values up to 2147483647 as `DT_sint`, larger ones as `DT_uint`.
inline void storeDecimalInteger(CFields &field, bool negative, uint64_t magnitude) noexcept {
    uMultiValue u;
    if (negative) {
        u.m_llValue = static_cast<long long>(0 - magnitude); // two's complement of the magnitude
        CFieldsVector::setActualScalar(field, DT_sint, u);
    } else {
        u.m_ullValue = magnitude;
        CFieldsVector::setActualScalar(field, magnitude <= 2147483647u ? DT_sint : DT_uint, u);
    }
}

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
