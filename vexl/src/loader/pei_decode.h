#pragma once
// Reading the text form of a packet expression and the decimal numbers inside it.
//
// These functions take counted byte ranges and never read outside them, so the text loader,
// the fuzz target and any other reader of expression texts can share them.

#include <cstddef>
#include <cstdint>

#include "vexl/packet_exp.h"

namespace vexl::detail {

/// Result of `readBoundedDecimal`.
struct tBoundedDecimal {
    int64_t llValue; ///< the number read (0 when no digit was read)
    size_t uiUsed;   ///< bytes taken: blanks, the sign and the digits
    bool bDigits;    ///< at least one digit was read
};

/// The bounded decimal reader of packet expressions: looks at no more than 11 of the `length`
/// bytes at `text`; skips leading blanks (space, TAB, CR, LF), takes an optional "+" or "-",
/// then at most 10 significant digits (leading zeros are skipped), and stops at the first other
/// byte. The value is exact (at most 9999999999 in magnitude); callers check its range.
tBoundedDecimal readBoundedDecimal(const char *text, size_t length) noexcept;

/// Reads the digits of an ID ("#" already passed): leading zeros are skipped and the value must
/// lie in 1 to 2147483647 with at most 10 significant digits. Returns 0 for no digits, 0, or a
/// value out of range (an error for the caller).
uint32_t readIdDigits(const char *digits, size_t length) noexcept;

/// Decodes the text between the parentheses of a packet expression, e.g. "ACF8YYYYMMDD",
/// "BNV2+1" or "ACF4sizedef_1":
///   expression = ("A"|"B") ("C"|"N") ("F"|"D") number [ keyword ]
///              | ("A"|"B") ("C"|"N") "V" width [ ("+"|"-") digits ] [ keyword ]
///   keyword    = name | name "_" option
/// Names are looked up in the internal keyword table first, then through the get-index hooks of
/// slots 1 to 15 in ascending order. `lcbc` is the loader configuration (bit 0x04: the length
/// must be at least 1).
///
/// Returns null and stores the whole record in `out` on success; otherwise returns the error
/// message (a static text) and leaves `out` unchanged. The checks, in order:
/// - "Mismatched syntax for packet E_PacketExpCode" / "E_RuntimeExpCode" / "E_LengthExpCode";
/// - "Packet length must bigger than 0": a negative number, or a number below 1 with bit 0x04;
/// - "Packet length must be little than 4294967296": an F or D length that needs 33 bits;
/// - "Packet variable length must be little than 256": a V width above 255;
/// - "Calibration value must between -127 and 128": a calibration outside -128 to 128 (128 is
///   stored as -128, the byte's bit pattern, so the written form "-128" reads back);
/// - "Supporting-keyword optional value must bigger than 0": an option below 1;
/// - "Supporting-keyword option value must be little than 10": an option above 9;
/// - "The packet expression is too long": a keyword of more than 255 bytes;
/// - "Found not a supporting-keyword index in packet expression": an unknown keyword.
const char *decodePEI(const char *text, size_t length, unsigned int lcbc, tPacketExpInfo &out);

} // namespace vexl::detail
