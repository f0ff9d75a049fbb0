#pragma once

#include <cstdint>

#include "brick/brick_export.h"

/// Character classes.  Bytes are classified as unsigned values; the string
/// forms return false for null or empty text (or a length of 0).
/// Thread use: any thread.  Nothing throws.
namespace brick {

/// '0'-'9', 'A'-'F' or 'a'-'f'.
BRICK_API bool isHexa(char a_c);
/// Every character of the NUL-terminated text is a hexadecimal digit; with
/// a_bAllowSign the first may be '-' or '+'.
BRICK_API bool isHexa(const char *a_cpText, bool a_bAllowSign);
/// As above over the first a_uiLength characters (a NUL among them fails).
BRICK_API bool isHexa(const char *a_cpText, uint32_t a_uiLength, bool a_bAllowSign);

/// Every character is '0' to '9', with the same sign rule.
BRICK_API bool isDecimal(const char *a_cpText, bool a_bAllowSign);
/// As above over the first a_uiLength characters (a NUL among them fails).
BRICK_API bool isDecimal(const char *a_cpText, uint32_t a_uiLength, bool a_bAllowSign);

/// Every character is 'A' to 'Z' or 'a' to 'z'.
BRICK_API bool isAlphabetic(const char *a_cpText);
/// As above over the first a_uiLength characters (a NUL among them fails).
BRICK_API bool isAlphabetic(const char *a_cpText, uint32_t a_uiLength);

/// A byte from 0 to 32, or 127 (bytes 128 to 255 never are).
BRICK_API bool isSpaceChar(char a_c);

/// ASCII punctuation 33-47, 58-64, 91-94, 96 and 123-125 ('_' and '~' are not).
BRICK_API bool isSpecialChar(char a_c);

} // namespace brick
