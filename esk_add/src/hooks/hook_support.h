#pragma once
// What the three packet hooks share: the common start (validation and lazy linking), the search
// for a marker record, and reading a received field as an unsigned number.

#include <cstdint>

#include "vexl/fields.h"
#include "vexl/packet_exp.h"

namespace esk_add::detail {

/// Validates `index` and `option` and links the hooks when that has not happened yet. Returns
/// the validation result: the packet hook goes on only when it is above 0.
int beginPacketHook(unsigned short index, unsigned char option);

/// The first record of `memo`, from the front, that belongs to the marker `markerIndex` (4 or 6)
/// paired with a partner whose expression is `exp`: the same non-zero keyword slot, the same
/// option and the marker's index. Null when there is none.
const vexl::tMemoFieldInfo *findMarker(const vexl::tMemoVector &memo, const vexl::tPacketExpInfo &exp,
                                       uint16_t markerIndex) noexcept;

/// The field's actual value as an unsigned 64-bit number: a non-negative integral number or a
/// code list of decimal digits. False for anything else (a negative number never raises).
bool readUnsigned(const vexl::CFields &field, uint64_t &out);

/// Reads the bytes of `field` that begin at `args.uPosition` into a temporary field of the same
/// data type and expression, without its keyword, and converts them to an unsigned number.
/// Returns 1 with `out` set; -2 when the field has no length, does not end within the data (a
/// field that ends exactly at the end of the data is read) or fails to parse; -3 when its value
/// is no unsigned number.
int readReceivedNumber(const vexl::CFields &field, const vexl::tInnerSupportedArgs4ESK &args, uint64_t &out);

/// `value` rounded up to a multiple of 4.
constexpr uint64_t roundUp4(uint64_t value) noexcept {
    return (value + 3u) & ~uint64_t(3u);
}

/// The record a marker keyword appends to the memo.
inline vexl::tMemoFieldInfo markerRecord(const vexl::tPacketExpInfo &exp, uint16_t index, void *pointer,
                                         uint32_t value) noexcept {
    return vexl::tMemoFieldInfo{exp.ucSkiKindOpt, index, static_cast<vexl::CFields *>(pointer), value};
}

} // namespace esk_add::detail
