#pragma once
// Calls of the external supporting-keyword hooks (slots 1 to 15) for the three packet steps,
// and the per-thread record of the inner arguments a running hook reads through
// `CFields::pkt_GetISA4ESK()`.

#include "vexl/packet_exp.h"

namespace vexl {
class CFields;
}

namespace vexl::detail {

/// The three moments at which the engine calls a packet hook.
enum class E_EskStep {
    Allot, ///< before a field is made
    Parse, ///< before a field is parsed
    Check, ///< when a received field is checked in detail
};

/// Calls the hook of `a_eStep` registered for `a_tField`'s keyword slot with the field's index and
/// option, with `a_tArgs` visible to the hook for the duration of the call (cleared afterwards,
/// also when the hook throws). Returns the hook's result. A slot without a hook raises
/// `CLogicError` "Found not allocation/parsing/checking event for ESK(external supporting
/// keyword)" in the name of the engine step.
int callPacketHook(E_EskStep a_eStep, CFields &a_tField, const tInnerSupportedArgs4ESK &a_tArgs);

/// Makes `a_tArgs` what `pkt_GetISA4ESK()` returns for `a_pField` on this thread until the
/// matching `leaveInnerArgs()`. Calls nest.
void enterInnerArgs(const CFields *a_pField, const tInnerSupportedArgs4ESK &a_tArgs);
/// Ends the innermost `enterInnerArgs()` of this thread.
void leaveInnerArgs() noexcept;
/// The innermost record entered for `a_pField` on this thread, or null.
const tInnerSupportedArgs4ESK *findInnerArgs(const CFields *a_pField) noexcept;

} // namespace vexl::detail
