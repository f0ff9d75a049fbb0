#pragma once

#include "brick/brick_export.h"

/// Cutting, copying and rewriting byte strings in caller buffers, and a
/// counted integer reader.  Out buffers belong to the caller and must hold
/// what the description says is written.  Every function checks its
/// pointers and bounds before touching memory; lengths and positions are
/// compared by subtraction, so no sum can wrap past a bound.
/// Thread use: any thread.  Nothing throws.
namespace brick {

/// Copies the first a_iN characters, NUL-terminated, when the text has at
/// least that many (a_cpOut then needs a_iN + 1 bytes).
/// \returns a_iN when copied; the text length when not (out then empty);
///          -1 for null arguments.
BRICK_API int leftstrA(const char *a_cpText, int a_iN, char *a_cpOut);

/// Copies the first a_iN bytes (no terminator) when the data holds that many.
/// \returns a_iN when copied, else a_iDataLen; -1 for null arguments.
BRICK_API int leftstrB(const char *a_cpData, int a_iDataLen, int a_iN, char *a_cpOut);

/// a_cpOut becomes empty; when a_iN > 0 and the text holds a_iStart + a_iN
/// characters, copies text[start, start + n) NUL-terminated.
/// \returns a_iN when copied, else a_iStart + a_iN; -1 for null arguments or
///          a negative start.
BRICK_API int midstrA(const char *a_cpText, int a_iStart, int a_iN, char *a_cpOut);

/// Clears a_iN bytes of a_cpOut, then copies data[start, start + n) into it
/// (no terminator, no length check: the caller vouches for the data).
/// \returns a_iStart + a_iN; -1 for null arguments or negative numbers.
BRICK_API int midstrB(const char *a_cpData, int a_iStart, int a_iN, char *a_cpOut);

/// Copies data[start, start + n) NUL-terminated, without a length check.
/// \returns a_iN; -1 for null arguments or negative numbers.
BRICK_API int midstrBZ(const char *a_cpData, int a_iStart, int a_iN, char *a_cpOut);

/// Copies data[start, start + n) (no terminator) when it lies within the data.
/// \returns a_iStart + a_iN; -1 for null arguments or negative numbers.
BRICK_API int midstrBB(const char *a_cpData, int a_iDataLen, int a_iStart, int a_iN, char *a_cpOut);

/// Copies text[start, end of text], NUL-terminated, when a_iStart is below
/// the text length (out otherwise empty).
/// \returns the number of characters copied, or a_iStart + 1 when none;
///          -1 for null arguments or a negative start.
BRICK_API int rightstrA(const char *a_cpText, int a_iStart, char *a_cpOut);

/// Copies data[start, end) (no terminator) when a_iStart < a_iEnd.
/// \returns a_iEnd when copied, else a_iStart + 1; -1 for null arguments or
///          a negative start.
BRICK_API int rightstrB(const char *a_cpData, int a_iEnd, int a_iStart, char *a_cpOut);

/// Copies a_iN bytes.  \returns a_cpOut; null when an argument is null or a_iN is 0 or less.
BRICK_API char *strcpyB(char *a_cpOut, const char *a_cpData, int a_iN);

/// Copies a_iN bytes of data to a_cpBuffer + a_iOffset (offset 0 included).
/// \returns the offset just past the copy; -1 for null arguments or
///          negative numbers (nothing copied).
BRICK_API int strcatB(char *a_cpBuffer, int a_iOffset, const char *a_cpData, int a_iN);

/// Replaces every a_cFrom by a_cTo in place.  \returns the number of
/// replacements; 0 for null text or a NUL a_cFrom.
BRICK_API int replaceChar(char *a_cpText, char a_cFrom, char a_cTo);

/// ASCII letters to lower or upper case in place.  \returns the text (null for null).
BRICK_API char *toLowerCase(char *a_cpText);
/// As above, to upper case.
BRICK_API char *toUpperCase(char *a_cpText);

/// Removes leading and trailing whitespace (tab, line feed, form feed,
/// carriage return, space) in place.  \returns the text (null for null).
BRICK_API char *trim(char *a_cpText);

/// In place: a backslash followed by '1'-'9' becomes the byte 1-9, followed
/// by 't', 'r' or 'n' a tab, carriage return or line feed; every other
/// backslash stays ("\\0" stays two characters).
/// \returns the new length, or -1 for null.
BRICK_API int unescapeChar(char *a_cpText);

/// Decimal integer from the first a_uiN characters: leading spaces, tabs,
/// carriage returns and line feeds skipped, one '+' or '-', leading zeros
/// skipped, at most ten significant digits (taken modulo 2^32); the first
/// other character ends it.  \returns 0 for anything else, null text or n 0.
/// atoiN("  -0042x", 8) is -42.
BRICK_API int atoiN(const char *a_cpText, unsigned a_uiN);

} // namespace brick
