// External supporting keywords: the hook call of each packet step and the inner-argument record
// the hook sees.
//
// The record is kept per thread on a small stack instead of inside the field: a hook may make,
// parse or check other fields (which nest further records), and two threads may run packet
// operations on different trees at the same time without sharing anything but the hook tables.

#include "esk_calls.h"

#include <deque>

#include "vexl/fields.h"

namespace vexl::detail {

namespace {

struct tInnerArgsFrame {
    const CFields *pField;
    tInnerSupportedArgs4ESK tArgs;
};

// Nesting is shallow (a hook that runs another packet operation). A deque keeps every record in
// place while inner ones come and go, so the reference a hook holds stays valid.
thread_local std::deque<tInnerArgsFrame> t_vecInnerArgs;

constexpr tInnerSupportedArgs4ESK kNoInnerArgs{nullptr, 0, 0, nullptr};

// Ends the record when the hook returns or throws.
class CInnerArgsScope {
public:
    CInnerArgsScope(const CFields *a_pField, const tInnerSupportedArgs4ESK &a_tArgs) {
        enterInnerArgs(a_pField, a_tArgs);
    }
    ~CInnerArgsScope() { leaveInnerArgs(); }
    CInnerArgsScope(const CInnerArgsScope &) = delete;
    CInnerArgsScope &operator=(const CInnerArgsScope &) = delete;
};

} // namespace

void enterInnerArgs(const CFields *a_pField, const tInnerSupportedArgs4ESK &a_tArgs) {
    t_vecInnerArgs.push_back(tInnerArgsFrame{a_pField, a_tArgs});
}

void leaveInnerArgs() noexcept {
    if (!t_vecInnerArgs.empty())
        t_vecInnerArgs.pop_back();
}

const tInnerSupportedArgs4ESK *findInnerArgs(const CFields *a_pField) noexcept {
    for (auto l_it = t_vecInnerArgs.rbegin(); l_it != t_vecInnerArgs.rend(); ++l_it)
        if (l_it->pField == a_pField)
            return &l_it->tArgs;
    return nullptr;
}

int callPacketHook(E_EskStep a_eStep, CFields &a_tField, const tInnerSupportedArgs4ESK &a_tArgs) {
    const tPacketExpInfo l_tExp = a_tField.pkt_GetExp();
    const unsigned char l_ucSlot = l_tExp.uSkiKind();
    const unsigned short l_usIndex = l_tExp.uSKI();
    const unsigned char l_ucOption = l_tExp.uSkiOption();
    int (*l_fpHook)(unsigned short, unsigned char, CFields &) = nullptr;
    switch (a_eStep) {
    case E_EskStep::Allot:
        l_fpHook = CFields::getAllotPktFP4ESK(l_ucSlot);
        if (l_fpHook == nullptr)
            raiseLogicError("[%s#%d] Found not allocation event for ESK(external supporting keyword)",
                            "vexl::CFields::pkt_allotValue4SKI", __LINE__);
        break;
    case E_EskStep::Parse:
        l_fpHook = CFields::getParsePktFP4ESK(l_ucSlot);
        if (l_fpHook == nullptr)
            raiseLogicError("[%s#%d] Found not parsing event for ESK(external supporting keyword)",
                            "vexl::CFields::pkt_parsePrepare4SKI", __LINE__);
        break;
    case E_EskStep::Check:
        l_fpHook = CFields::getCheckPktFP4ESK(l_ucSlot);
        if (l_fpHook == nullptr)
            raiseLogicError("[%s#%d] Found not checking event for ESK(external supporting keyword)",
                            "vexl::CFields::pkt_detailCheckValue4SKI", __LINE__);
        break;
    }
    CInnerArgsScope l_tScope(&a_tField, a_tArgs);
    return l_fpHook(l_usIndex, l_ucOption, a_tField);
}

} // namespace vexl::detail

namespace vexl {

// MARK: - Inner arguments (Public and Private members)

const tInnerSupportedArgs4ESK &CFields::pkt_GetISA4ESK() const noexcept {
    const tInnerSupportedArgs4ESK *l_pArgs = detail::findInnerArgs(this);
    return l_pArgs != nullptr ? *l_pArgs : detail::kNoInnerArgs;
}

void CFields::pkt_enterISA4ESK(const tInnerSupportedArgs4ESK &args) const {
    detail::enterInnerArgs(this, args);
}

void CFields::pkt_leaveISA4ESK() const noexcept {
    detail::leaveInnerArgs();
}

} // namespace vexl
