// Registration of the add-on's hooks under external keyword slot 1.

#include <atomic>

#include "esk_add/esk_add.h"
#include "hooks/packet_hooks.h"
#include "keywords/keyword_table.h"
#include "link/link_state.h"
#include "vexl/fields.h"

namespace {

// The slot of the hook tables the add-on fills.
constexpr unsigned char kEskSlot = 1;

// Set by the first packet hook that linked successfully; esk_link itself leaves it alone.
std::atomic<bool> s_bLinked{false};

} // namespace

extern "C" bool esk_link() noexcept {
    using vexl::CFields;
    return CFields::setCheckIdxFP4ESK(kEskSlot, esk_add::eskCheckIdx) &&
           CFields::setGetIdxFP4ESK(kEskSlot, esk_add::eskGetIdx) &&
           CFields::setGetTxtFP4ESK(kEskSlot, esk_add::eskGetTxt) &&
           CFields::setAllotPktFP4ESK(kEskSlot, esk_add::eskAllotPkt) &&
           CFields::setParsePktFP4ESK(kEskSlot, esk_add::eskParsePkt) &&
           CFields::setCheckPktFP4ESK(kEskSlot, esk_add::eskCheckPkt);
}

namespace esk_add::detail {

void ensureLinked() noexcept {
    if (!s_bLinked.load(std::memory_order_acquire))
        s_bLinked.store(esk_link(), std::memory_order_release);
}

} // namespace esk_add::detail
