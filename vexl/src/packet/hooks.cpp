// The six process-wide hook tables of external supporting keywords, slots 1 to 15.
//
// Each slot is an atomic pointer: an add-on may register (or re-register) its hooks while other
// threads look them up, without a data race. Slot 0 exists in the arrays only to keep the index
// arithmetic plain; it is never read or written.

#include <atomic>

#include "vexl/hooks.h"

namespace vexl {

namespace {

template <typename FP> struct CHookTable {
    std::atomic<FP> m_aSlots[ESK_SLOT_LAST + 1];

    bool set(unsigned char slot, FP hook) noexcept {
        if (slot < ESK_SLOT_FIRST || slot > ESK_SLOT_LAST)
            return false;
        m_aSlots[slot].store(hook, std::memory_order_release);
        return true;
    }
    FP get(unsigned char slot) const noexcept {
        if (slot < ESK_SLOT_FIRST || slot > ESK_SLOT_LAST)
            return nullptr;
        return m_aSlots[slot].load(std::memory_order_acquire);
    }
};

// Zero-initialised before any dynamic initialisation runs (atomics of pointers are constant
// initialised), so hooks may be registered from static constructors of other libraries.
constinit CHookTable<tCheckIdxFP4ESK> s_fpCheckIdxs4ESK{};
constinit CHookTable<tGetIdxFP4ESK> s_fpGetIdxs4ESK{};
constinit CHookTable<tGetTxtFP4ESK> s_fpGetTxts4ESK{};
constinit CHookTable<tAllotPktFP4ESK> s_fpAllotPkts4ESK{};
constinit CHookTable<tParsePktFP4ESK> s_fpParsePkts4ESK{};
constinit CHookTable<tCheckPktFP4ESK> s_fpCheckPkts4ESK{};

} // namespace

bool CEskHooks::setCheckIdxFP4ESK(unsigned char slot, tCheckIdxFP4ESK hook) noexcept {
    return s_fpCheckIdxs4ESK.set(slot, hook);
}
bool CEskHooks::setGetIdxFP4ESK(unsigned char slot, tGetIdxFP4ESK hook) noexcept {
    return s_fpGetIdxs4ESK.set(slot, hook);
}
bool CEskHooks::setGetTxtFP4ESK(unsigned char slot, tGetTxtFP4ESK hook) noexcept {
    return s_fpGetTxts4ESK.set(slot, hook);
}
bool CEskHooks::setAllotPktFP4ESK(unsigned char slot, tAllotPktFP4ESK hook) noexcept {
    return s_fpAllotPkts4ESK.set(slot, hook);
}
bool CEskHooks::setParsePktFP4ESK(unsigned char slot, tParsePktFP4ESK hook) noexcept {
    return s_fpParsePkts4ESK.set(slot, hook);
}
bool CEskHooks::setCheckPktFP4ESK(unsigned char slot, tCheckPktFP4ESK hook) noexcept {
    return s_fpCheckPkts4ESK.set(slot, hook);
}

tCheckIdxFP4ESK CEskHooks::getCheckIdxFP4ESK(unsigned char slot) noexcept {
    return s_fpCheckIdxs4ESK.get(slot);
}
tGetIdxFP4ESK CEskHooks::getGetIdxFP4ESK(unsigned char slot) noexcept {
    return s_fpGetIdxs4ESK.get(slot);
}
tGetTxtFP4ESK CEskHooks::getGetTxtFP4ESK(unsigned char slot) noexcept {
    return s_fpGetTxts4ESK.get(slot);
}
tAllotPktFP4ESK CEskHooks::getAllotPktFP4ESK(unsigned char slot) noexcept {
    return s_fpAllotPkts4ESK.get(slot);
}
tParsePktFP4ESK CEskHooks::getParsePktFP4ESK(unsigned char slot) noexcept {
    return s_fpParsePkts4ESK.get(slot);
}
tCheckPktFP4ESK CEskHooks::getCheckPktFP4ESK(unsigned char slot) noexcept {
    return s_fpCheckPkts4ESK.get(slot);
}

} // namespace vexl
