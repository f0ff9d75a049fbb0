#pragma once
/// \file utilities.h
/// Text and number forms of values, and the heap copies used by names, comments and code lists.
/// None of these functions keeps state; all may be called from any thread.

#include <string>

#include "vexl/vexl_export.h"

namespace vexl {

class CFields;

/// Decimal digits, with "-" in front of negative values (-9223372036854775808 in full).
VEXL_API std::string ToString(long long value);
/// Decimal digits.
VEXL_API std::string ToString(unsigned long long value);
///@{
/// Decimal digits, with "-" for negative values, as the 64-bit forms.
VEXL_API std::string ToString(long value);
VEXL_API std::string ToString(unsigned long value);
VEXL_API std::string ToString(int value);
VEXL_API std::string ToString(unsigned int value);
///@}
/// "true" or "false".
VEXL_API std::string ToString(bool value);
/// 17 significant digits ("%.17g"), always with a decimal point, never a comma: 0.1 gives
/// "0.10000000000000001", 1.0 gives "1", -0.0 gives "-0". NaN gives "null", positive infinity
/// "1e+9999", negative infinity "-1e+9999". Independent of the process locale.
VEXL_API std::string ToString(double value);

/// The text (up to its terminating zero) in double quotes. Text of bytes 0x20 to 0x7E without
/// '"' and '\\' is copied as it is; otherwise backspace, tab, line feed, form feed and carriage
/// return are written "\b", "\t", "\n", "\f", "\r", '"' and '\\' get a backslash, and every
/// other byte below 0x20 or above 0x7E is written "\xHH" (two upper-case hex digits).
/// Null or empty text gives "\"\"".
VEXL_API std::string ToQuotedEscapeString(const char *text);
/// The same for exactly `length` bytes, which may contain zero bytes (written "\x00"); `text`
/// need not be zero-terminated. Use this form for code lists and names with a known length.
VEXL_API std::string ToQuotedEscapeString(const char *text, unsigned int length);

/// Resolves escapes in `text` (up to its terminating zero; null or empty gives ""). Stops,
/// returning what was built so far, at a '"', at a backslash at the very end, and at any
/// malformed escape. Escapes: `\"` `\/` `\\` `\b` `\f` `\n` `\r` `\t`, `\xHH` (one byte), `\uXXXX`:
/// with `utf8` the code point (surrogate pairs joined) in UTF-8, without it the two bytes XX XX
/// as written.
VEXL_API std::string ToUnescapeString(const char *text, bool utf8);

/// Parses exactly `length` bytes as an optional sign and decimal digits into `out`. Returns
/// false with `out` 0 for a null pointer, any non-digit byte, or a value outside the signed
/// 64-bit range. An empty digit sequence gives 0 and true. "-12" gives -12, "+7" gives 7.
VEXL_API bool aton64(const char *text, unsigned int length, long long &out);
/// Unsigned form: a leading '-' gives false; a leading '+' is skipped; values above
/// 18446744073709551615 give false. `out` is 0 whenever the result is false.
VEXL_API bool aton64(const char *text, unsigned int length, unsigned long long &out);

/// Parses a number token of exactly `length` bytes into `node`'s actual value and returns true.
/// Sign and digits that fit become `DT_sint` (negative values and values up to 2147483647) or
/// `DT_uint` (larger values up to 18446744073709551615). Anything else (a point, an exponent,
/// too many digits, no number at all) is converted as a double from a zero-terminated copy of
/// the `length` bytes in the "C" locale; text that is no number gives 0.0. Never reads past
/// `length` bytes. Raises `CLogicError` only when the node's actual slot cannot be set.
VEXL_API bool atonInField(const char *text, unsigned int length, CFields &node);

/// Heap copy of `length` bytes plus a terminating zero (lengths of 2147483647 and more are cut
/// to 2147483646). The caller releases the block with `free`. Out of memory raises
/// `CLogicError` "[vexl::duplicateStream#<line>] Failed to allocate string a_cpSrc buffer".
VEXL_API char *duplicateStream(const void *source, unsigned int length);
/// Heap block of a 32-bit byte count (host order), the `length` bytes and a zero byte. The
/// caller releases it with `free`. A length above 2147483642 raises `CLogicError` "... a_uiSrcLen
/// too big for prefixing"; out of memory raises "... Failed to allocate string a_cpSrc buffer".
VEXL_API char *duplicatePrefixedStream(const void *source, unsigned int length);

/// Largest byte count of a code list (and of `duplicatePrefixedStream`).
inline constexpr unsigned int MAX_CODELIST_LENGTH = 2147483642u;

} // namespace vexl
