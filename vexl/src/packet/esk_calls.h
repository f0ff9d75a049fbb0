#pragma once
// External supporting keywords (slots 1 to 15): finding the hook of a packet step, and the guard
// that ends a hook's inner-argument record when the hook returns or throws.

#include <utility>

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

/// The signature shared by the allot, parse and check hooks.
using tPacketHookFP = int (*)(unsigned short index, unsigned char option, CFields &field);

/// The hook of `a_eStep` registered in `a_ucSlot`. A slot without a hook raises `CLogicError`
/// "Found not allocation/parsing/checking event for ESK(external supporting keyword)" in the name
/// of the engine step.
tPacketHookFP packetHook(E_EskStep a_eStep, unsigned char a_ucSlot);

/// Runs a function when the scope ends, also by an exception.
template <typename F> class CScopeExit {
public:
    explicit CScopeExit(F a_fAction) : m_fAction(std::move(a_fAction)) {}
    ~CScopeExit() { m_fAction(); }
    CScopeExit(const CScopeExit &) = delete;
    CScopeExit &operator=(const CScopeExit &) = delete;

private:
    F m_fAction;
};

} // namespace vexl::detail
