#pragma once

#include "brick/brick_export.h"

/// UTF-8 and UTF-16 conversions.  UTF-16 units are char16_t (two bytes);
/// only the one-, two- and three-byte UTF-8 forms are produced or read, and
/// surrogates pass through as single units.  Continuation bytes are not
/// validated, but decoding never reads past the end of its input: a
/// sequence cut short by the end (or the NUL) ends the conversion.
/// Thread use: any thread.  Nothing throws.
namespace brick {

/// Writes the UTF-8 bytes (1 to 3) of one unit and a NUL.
/// \param a_uUnit the UTF-16 unit.  \param a_cpOut at least 4 bytes.
/// \returns a_cpOut (null for null out).
BRICK_API char *UCtoUTF8C(char16_t a_uUnit, char *a_cpOut);

/// UTF-8 text of a NUL-terminated UTF-16 text, in a new `malloc` block of
/// 6 bytes per unit plus 2 that the caller releases with `free`.
/// \returns null for null or empty input, or when the allocation fails.
BRICK_API char *WSTRtoUTF8(const char16_t *a_pUnits);

/// NUL-terminated UTF-16 text of a NUL-terminated UTF-8 text, in a new
/// `malloc` block of 2 bytes per input byte plus 2 (`free` it).
/// Lead bytes 0xE0 and above start three-byte forms, 0xC0 to 0xDF two-byte
/// forms; any other byte stands alone (its low 7 bits).
/// \returns null for null input or when the allocation fails.
BRICK_API char16_t *UTF8toWSTR(const char *a_cpText);

/// Writes the UTF-8 text of a_iCount units, NUL-terminated, into a_cpOut
/// (3 bytes per unit plus 1).
/// \returns the number of units converted; 0 for null arguments or a count of 0 or less.
BRICK_API int FB_WSTRtoUTF8(const char16_t *a_pUnits, int a_iCount, char *a_cpOut);

/// As above for a NUL-terminated UTF-16 text.
BRICK_API int FB_WSTRtoUTF8(const char16_t *a_pUnits, char *a_cpOut);

/// Decodes a_iLength UTF-8 bytes into a_pOut (one unit per form, no
/// terminator; a_iLength units are always enough).  Bytes below 0x80 are
/// taken whole, 0x80 to 0xDF start two-byte forms, 0xE0 and above three-byte
/// forms.  \returns the number of bytes consumed (a form cut short by the end
/// is not); 0 for null arguments or a length of 0 or less.
BRICK_API int FB_UTF8toWSTR(const unsigned char *a_pBytes, int a_iLength, char16_t *a_pOut);

} // namespace brick
