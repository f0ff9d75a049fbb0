#pragma once
// JSON number tokens to tree values, and the scan that finds number tokens the parser would
// refuse as too big for a double.

#include <cstddef>
#include <string_view>
#include <vector>

#include "vexl/fields.h"

namespace vexl::json::detail {

/// Stores the JSON number token `text[0, length)` (already checked against the grammar
/// `-? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?`) as `field`'s actual value:
/// integers that fit become DT_sint (negative and up to 2147483647) or DT_uint (up to
/// 18446744073709551615); everything else, "-0" included, is the nearest DT_double, with
/// infinity beyond the double range and a zero of the number's sign below it.
void storeNumber(const char *text, size_t length, CFields &field);

/// Length of the JSON number token at `text[0, length)`, or 0 when no well-formed one starts
/// there (the token is the longest match of the grammar above).
size_t numberTokenLength(const char *text, size_t length) noexcept;

/// A number token the parser cannot take as it stands: its offset and length in the text.
struct tBigNumber {
    size_t uOffset;
    size_t uLength;
};

/// Every well-formed number token outside strings in `text` whose exponent exceeds 300 in
/// magnitude or whose integer part has more than 300 digits, in text order. (The parser refuses
/// some of these as too big; the reader hands them over as "0" and converts them itself.)
std::vector<tBigNumber> findBigNumbers(std::string_view text);

} // namespace vexl::json::detail
