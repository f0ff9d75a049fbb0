#pragma once

#include <cstdint>

#include "brick/brick_export.h"

/// Bit helpers for 8-, 16- and 32-bit flag words.  Thread use: any thread.
namespace brick {

/// Set bits among 8; their indices (0 to 7), ascending, go to a_pPositions
/// (8 bytes) when it is not null.  BitCount(uint8_t(0xA5), p) is 4 with 0, 2, 5, 7.
BRICK_API unsigned char BitCount(unsigned char a_ucValue, unsigned char *a_pPositions);
/// As above over 16 bits (a_pPositions 16 bytes).
BRICK_API unsigned char BitCount(unsigned short a_usValue, unsigned char *a_pPositions);
/// Set bits among 32.
BRICK_API unsigned char BitCount(uint32_t a_uiValue);

/// 1 << n for n below 8, else 0.
BRICK_API unsigned char BitOn(unsigned char a_ucN);
/// 1 << n for n below 16, else 0.
BRICK_API unsigned short BitOn(unsigned short a_usN);

/// 1 when bit n is set, 0 when it is clear or n is 32 or more.
BRICK_API unsigned char GetBit(uint32_t a_uiValue, unsigned char a_ucN);
/// Sets (a_bOn) or clears bit n.  \returns false, value unchanged, for n above 31.
BRICK_API bool BitSet(uint32_t &a_uiValue, unsigned char a_ucN, bool a_bOn);
/// Inverts bit n.  \returns false, value unchanged, for n above 31.
BRICK_API bool BitSwap(uint32_t &a_uiValue, unsigned char a_ucN);

/// Whether a network mask, given as its four bytes in network order read as
/// one number (bytes reversed to host order first), is a run of ones
/// followed only by zeros.  All zeros and all ones pass.
BRICK_API bool CheckMask(uint32_t a_uiMask);

} // namespace brick
