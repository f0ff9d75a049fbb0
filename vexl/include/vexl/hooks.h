#pragma once
/// \file hooks.h
/// The six process-wide tables of external supporting-keyword hooks (slots 1 to 15).
///
/// An add-on library registers its hooks once, before packets are processed:
/// \code
///   vexl::CFields::setGetIdxFP4ESK(1, myGetIdx);   // true
///   vexl::CFields::setAllotPktFP4ESK(16, myAllot); // false: slots are 1 to 15
/// \endcode
/// `CFields` derives from `CEskHooks`, so every member below is reachable as
/// `CFields::setAllotPktFP4ESK` and so on. Slot 0 does not exist. The tables start empty;
/// storing null empties a slot again. Reads and writes of a slot are atomic, so a hook may be
/// (re)registered while other threads look hooks up; a caller that replaces a hook must still
/// keep the old function callable until no packet operation uses it.

#include "vexl/packet_exp.h"
#include "vexl/vexl_export.h"

namespace vexl {

/// First and last external keyword slot.
inline constexpr unsigned char ESK_SLOT_FIRST = 1;
/// Last external keyword slot.
inline constexpr unsigned char ESK_SLOT_LAST = 15;

/// Static access to the six hook tables. Setters return true and store the hook (null empties
/// the slot) for slots 1 to 15, and return false storing nothing for any other slot. Getters
/// return the stored hook for slots 1 to 15 and null otherwise. None of them throws.
class VEXL_API CEskHooks {
public:
    ///@{
    /// Stores `hook` in `slot` (1 to 15; a null hook empties the slot): the check-index,
    /// get-index, get-text, allot, parse or check hook of that external keyword slot.
    /// \returns true when stored; false, storing nothing, for any other slot.
    static bool setCheckIdxFP4ESK(unsigned char slot, tCheckIdxFP4ESK hook) noexcept;
    static bool setGetIdxFP4ESK(unsigned char slot, tGetIdxFP4ESK hook) noexcept;
    static bool setGetTxtFP4ESK(unsigned char slot, tGetTxtFP4ESK hook) noexcept;
    static bool setAllotPktFP4ESK(unsigned char slot, tAllotPktFP4ESK hook) noexcept;
    static bool setParsePktFP4ESK(unsigned char slot, tParsePktFP4ESK hook) noexcept;
    static bool setCheckPktFP4ESK(unsigned char slot, tCheckPktFP4ESK hook) noexcept;
    ///@}

    ///@{
    /// The hook of that kind stored in `slot`: null for an empty slot or a slot outside 1 to 15.
    static tCheckIdxFP4ESK getCheckIdxFP4ESK(unsigned char slot) noexcept;
    static tGetIdxFP4ESK getGetIdxFP4ESK(unsigned char slot) noexcept;
    static tGetTxtFP4ESK getGetTxtFP4ESK(unsigned char slot) noexcept;
    static tAllotPktFP4ESK getAllotPktFP4ESK(unsigned char slot) noexcept;
    static tParsePktFP4ESK getParsePktFP4ESK(unsigned char slot) noexcept;
    static tCheckPktFP4ESK getCheckPktFP4ESK(unsigned char slot) noexcept;
    ///@}
};

} // namespace vexl
