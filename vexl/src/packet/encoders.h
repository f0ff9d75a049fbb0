#pragma once
// The four packet encoders, appending a field's bytes to a packet under construction, and the
// fixed-length encoders writing into a packet whose size is known. The make walk appends
// straight into the packet; the private `pkt_makeTo...` members wrap the same functions to
// return a field's bytes on their own; compiled layouts write fixed fields in place.

#include <cstdint>
#include <string>

namespace vexl {
class CFields;
}

namespace vexl::detail {

/// ASCII fixed: exactly `a_uiLength` characters (text cut to its first characters, numbers
/// padded with "0" in front, code lists padded with spaces behind).
void appendAsciiFixed(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiLength);

/// ASCII variable: a decimal prefix of `a_uiWidth` characters holding width - calibration +
/// content length (modulo 2^32), then the unpadded content.
void appendAsciiVariable(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiWidth,
                         int a_nCalibration);

/// Binary fixed: exactly `a_uiLength` bytes (numbers big-endian, filled in front with 0x00, or
/// 0xAD for negative numbers; code lists padded with 0x00 behind).
void appendBinaryFixed(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiLength);

/// Binary variable: a big-endian prefix of `a_uiWidth` bytes holding width - calibration +
/// content length, then the content (numbers always 8 bytes).
void appendBinaryVariable(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiWidth,
                          int a_nCalibration);

/// Writes at `a_p` exactly the `a_uiLength` bytes (at most 0x7FFFFFFF) `appendAsciiFixed`
/// appends for the field (which calls it): the fixed encoder for a packet whose size is known.
void writeAsciiFixed(char *a_p, const CFields &a_tField, uint32_t a_uiLength);

/// Writes at `a_p` exactly the `a_uiLength` bytes (at most 0x7FFFFFFF) `appendBinaryFixed`
/// appends for the field.
void writeBinaryFixed(char *a_p, const CFields &a_tField, uint32_t a_uiLength);

} // namespace vexl::detail
