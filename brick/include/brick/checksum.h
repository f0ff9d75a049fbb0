#pragma once

#include "brick/brick_export.h"

namespace brick {

/// Internet checksum (RFC 1071): the complement of the 16-bit ones'
/// complement sum of the data read as big-endian 16-bit words.
///
/// \param a_cpData    data; bytes are taken as unsigned.
/// \param a_iLength   byte count; an odd count pads its last byte with a_ucPad
///                    as the low byte of the last word.
/// \param a_ucPad     pad byte (the keyword add-on passes 0).
/// \returns the checksum; 0xFFFF for a length of 0 or less or null data.
///
/// Exact for any length (the sum is kept in 64 bits).  Runs several times
/// faster than a word-by-word loop.  Thread use: any thread.
///
/// \code
///   const char d[] = {0x00, 0x01};
///   brick::CHKSUM_Make(d, 2, 0);   // 0xFFFE
///   brick::CHKSUM_Make("\x01", 1, 0);   // 0xFEFF
/// \endcode
BRICK_API unsigned short CHKSUM_Make(const char *a_cpData, int a_iLength, unsigned char a_ucPad);

/// Verifies data that ends with its checksum, stored high byte first.
///
/// With an even length every byte is summed as big-endian words.  With an odd
/// length the covered data is odd-length: its last byte (at length - 3) is
/// padded with a_ucPad, and the last two bytes are the checksum.
/// \returns true when the ones' complement sum of all words is 0xFFFF; false
///          for a length of 0 or less, an odd length below 3 or null data.
BRICK_API bool CHKSUM_Check(const char *a_cpData, int a_iLength, unsigned char a_ucPad);

} // namespace brick
