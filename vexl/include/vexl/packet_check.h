#pragma once
/// \file packet_check.h
/// The lossless check of a packet layout: which leaves would the packet encoders change when
/// the layout's values are made into a message.
///
/// The encoders never refuse a value: a number with more digits than its field keeps its first
/// digits, a text longer than its fixed field its first bytes, a binary number narrower than 8
/// bytes its last bytes, and a variable-length prefix that does not fit its width is cut like a
/// number. `pkt_CheckLossless` lists every leaf where that happens, so that a caller can refuse
/// such values before the message leaves.
///
/// \code
///   vexl::CFields layout;
///   vexl::CLoaders loaders;
///   loaders.loading(std::string("{ \"id\" = (ANF2) 123, \"name\" = (ACF3) \"abc\" }"), layout);
///   std::vector<vexl::tLossEntry> cuts = vexl::pkt_CheckLossless(layout);
///   // one entry: strPath "id", strExpression "(ANF2)", strValue "123", strWritten "12",
///   // eReason LR_Digits
/// \endcode

#include <cstdint>
#include <string>
#include <vector>

#include "vexl/fields.h"
#include "vexl/vexl_export.h"

namespace vexl {

/// Why a leaf's value would not survive the packet encoders.
enum E_LossReason : int32_t {
    LR_Digits = 0, ///< a number needs more digits (ASCII) or bytes (binary) than its field has
    LR_Text = 1,   ///< a text or byte string is longer than its fixed field
    LR_Prefix = 2, ///< the length prefix of a variable field does not fit its width
    LR_Sign = 3,   ///< a negative number in a binary field narrower than 8 bytes, read back unsigned
    LR_Type = 4,   ///< a value the field cannot express (a non-numeric text in a number field, a
                   ///< flag in a field without bytes)
};

/// One leaf whose value the encoders would change.
struct tLossEntry {
    std::string
        strPath; ///< path from the layout's root as `CFields::findPath` reads it, e.g. "server.hosts[1]"
    std::string strExpression; ///< the packet expression as the text notation writes it, e.g. "(ANF2)"
    std::string strValue;      ///< the value as the text notation writes it, e.g. "123" or "\"abc\""
    std::string strWritten;    ///< the bytes the field would take in the message
    std::string strMessage;    ///< one sentence saying what is lost, e.g. "3 digits in a 2-digit field"
    E_LossReason eReason;      ///< the kind of loss
    const CFields *pField;     ///< the leaf in the checked layout
};

/// Walks the leaves under `layout` in message order and lists those whose value the encoders
/// would change. Leaves that take no bytes in the message (no packet expression, a fixed or
/// dynamic length of 0, a variable prefix width of 0) are not checked. Keyword fields are
/// checked with the value they hold now; a keyword that sets the value at make time may write
/// something else. The written bytes come from `CFields::pkt_Make4OneSelf` on a copy of the leaf
/// without its keyword, so they are exactly what the encoders produce.
/// \param layout the layout with its values; it is not changed
/// \return the entries in message order; empty when every value survives
/// \throws CLogicError only when the tree itself is inconsistent (as the encoders do)
VEXL_API std::vector<tLossEntry> pkt_CheckLossless(const CFields &layout);

} // namespace vexl
