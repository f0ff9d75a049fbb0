// External supporting keywords: the hook of each packet step, taken from the process-wide tables.

#include "esk_calls.h"

#include "vexl/fields.h"

namespace vexl::detail {

tPacketHookFP packetHook(E_EskStep a_eStep, unsigned char a_ucSlot) {
    tPacketHookFP l_fpHook = nullptr;
    switch (a_eStep) {
    case E_EskStep::Allot:
        l_fpHook = CFields::getAllotPktFP4ESK(a_ucSlot);
        if (l_fpHook == nullptr)
            raiseLogicError("[%s#%d] Found not allocation event for ESK(external supporting keyword)",
                            "vexl::CFields::pkt_allotValue4SKI", __LINE__);
        break;
    case E_EskStep::Parse:
        l_fpHook = CFields::getParsePktFP4ESK(a_ucSlot);
        if (l_fpHook == nullptr)
            raiseLogicError("[%s#%d] Found not parsing event for ESK(external supporting keyword)",
                            "vexl::CFields::pkt_parsePrepare4SKI", __LINE__);
        break;
    case E_EskStep::Check:
        l_fpHook = CFields::getCheckPktFP4ESK(a_ucSlot);
        if (l_fpHook == nullptr)
            raiseLogicError("[%s#%d] Found not checking event for ESK(external supporting keyword)",
                            "vexl::CFields::pkt_detailCheckValue4SKI", __LINE__);
        break;
    }
    return l_fpHook;
}

} // namespace vexl::detail
