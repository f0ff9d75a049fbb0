// Checking: the light check of values already in a tree against their fixed or valid values,
// the detailed check of received bytes through the supporting keywords, and the bulk setters
// that reach every leaf bearing a given keyword.

#include <cstdint>

#include "internal_keywords.h"
#include "packet_bytes.h"
#include "packet_plan.h"
#include "vexl/fields.h"

namespace vexl {

namespace {

bool isContainerType(E_DataType a_eType) noexcept {
    return a_eType == DT_fields || a_eType == DT_array;
}

// Calls `a_fVisit` on every leaf under `a_tNode` in depth-first child order until it returns
// false; returns false when a visit did.
template <typename F> bool visitLeaves(CFields &a_tNode, F &a_fVisit) {
    for (CFields &l_tChild : a_tNode) {
        if (isContainerType(l_tChild.getDT())) {
            if (!visitLeaves(l_tChild, a_fVisit))
                return false;
        } else if (!a_fVisit(l_tChild)) {
            return false;
        }
    }
    return true;
}

// Visits `a_tNode` itself when it has no children, else every leaf under it.
template <typename F> bool visitNodeOrLeaves(CFields &a_tNode, F &a_fVisit) {
    if (a_tNode.getChildCount() == 0)
        return a_fVisit(a_tNode);
    return visitLeaves(a_tNode, a_fVisit);
}

bool hasKeyword(const CFields &a_tField, unsigned char a_ucKind, unsigned short a_usIndex) noexcept {
    const tPacketExpInfo l_tExp = a_tField.pkt_GetExp();
    return l_tExp.uSkiKind() == a_ucKind && l_tExp.uSKI() == a_usIndex;
}

// -1 for a kind above 15 or index 0, -2 for an internal index above 38, else 0.
int checkKeywordArguments(unsigned char a_ucKind, unsigned short a_usIndex) noexcept {
    if (a_ucKind >= 16 || a_usIndex == 0)
        return -1;
    if (a_ucKind == 0 && a_usIndex > detail::kInternalKeywordCount)
        return -2;
    return 0;
}

} // namespace

// MARK: - Light check (Public)

bool CFields::pkt_Check4OneSelf(bool valid) {
    if (isContainerType(getDT()) || m_tPEI.uSkiKind() != 0)
        return true;
    const unsigned l_uiWanted = valid ? detail::IKW_valid : detail::IKW_fix;
    return m_tPEI.uSKI() != l_uiWanted || isEqualDualValue();
}

bool CFields::pkt_Check4Children(bool valid, CFields *node) {
    CFields &l_tNode = node != nullptr ? *node : *this;
    if (l_tNode.getChildCount() == 0)
        return l_tNode.pkt_Check4OneSelf(valid);
    return detail::CPacketPlan::of(l_tNode).check(valid);
}

bool detail::referenceCheck4Children(CFields &node, bool valid) {
    auto l_fVisit = [valid](CFields &a_tLeaf) { return a_tLeaf.pkt_Check4OneSelf(valid); };
    return visitNodeOrLeaves(node, l_fVisit);
}

// MARK: - Detailed check (Public)

bool CFields::pkt_DetailCheck4OneSelf(const char *data, unsigned int size) {
    if (isContainerType(getDT()) || m_tPEI.uSKI() == 0)
        return true;
    if (data == nullptr)
        size = 0;
    unsigned int l_uiPosition = 0;
    tMemoVector l_vecMemo;
    return pkt_detailCheckValue4SKI(data, size, l_uiPosition, l_vecMemo);
}

unsigned int CFields::pkt_DetailCheck4Children(const char *data, unsigned int size, CFields *node) {
    if (data == nullptr)
        size = 0;
    unsigned int l_uiPosition = 0;
    tMemoVector l_vecMemo;
    if (pkt_detailCheck4Children(data, size, l_uiPosition, l_vecMemo, node != nullptr ? node : this))
        return 0;
    // The failing field's start plus 1; the cap keeps a failure from reading as 0 (success).
    return (l_uiPosition < 0xFFFFFFFEu ? l_uiPosition : 0xFFFFFFFEu) + 1;
}

// MARK: - Detailed check (Private)

bool CFields::pkt_detailCheck4Children(const char *data, unsigned int size, unsigned int &position,
                                       tMemoVector &memo, CFields *node) {
    auto l_fVisit = [&](CFields &a_tLeaf) {
        return a_tLeaf.pkt_detailCheck4OneSelf(data, size, position, memo);
    };
    return visitNodeOrLeaves(*node, l_fVisit);
}

bool CFields::pkt_detailCheck4OneSelf(const char *data, unsigned int size, unsigned int &position,
                                      tMemoVector &memo) {
    if (isContainerType(getDT()))
        return true;
    if (m_tPEI.uSKI() != 0 && !pkt_detailCheckValue4SKI(data, size, position, memo))
        return false;
    // Step over the field. A variable field is measured from its prefix, so the next field is
    // checked where it really begins; one that does not fit ends the data.
    switch (m_tPEI.eLengthCode()) {
    case LEC_FIXED:
    case LEC_DYNAMIC: {
        const uint64_t l_uEnd = uint64_t(position) + detail::clampLength(m_tPEI.uLength());
        position = l_uEnd > size ? size : uint32_t(l_uEnd);
        break;
    }
    case LEC_VARIABLE: {
        if (m_tPEI.uVarWidth == 0)
            break;
        const unsigned int l_uiRemain = size - position;
        const int l_nLeft = m_tPEI.ePacketCode() == PEC_ASCII
                                ? pkt_parseToACV(data + position, l_uiRemain, false)
                                : pkt_parseToBCV(data + position, l_uiRemain, false);
        position = l_nLeft >= 0 ? size - unsigned(l_nLeft) : size;
        break;
    }
    default:
        break;
    }
    return true;
}

// MARK: - Bulk setters (Public)

int CFields::pkt_SetValue4SKI(unsigned char kind, unsigned short index, const CFields &value, CFields *node) {
    if (const int l_nBad = checkKeywordArguments(kind, index); l_nBad != 0)
        return l_nBad;
    CFields &l_tNode = node != nullptr ? *node : *this;
    if (l_tNode.getChildCount() == 0)
        return hasKeyword(l_tNode, kind, index) && l_tNode.setValue(value) ? 1 : 0;
    int l_nCount = 0;
    auto l_fVisit = [&](CFields &a_tLeaf) {
        if (hasKeyword(a_tLeaf, kind, index) && a_tLeaf.setValue(value))
            ++l_nCount;
        return true;
    };
    visitLeaves(l_tNode, l_fVisit);
    return l_nCount;
}

int CFields::pkt_SetOSA4SKI(unsigned char kind, unsigned short index, const void *arg, CFields *node) {
    if (const int l_nBad = checkKeywordArguments(kind, index); l_nBad != 0)
        return l_nBad;
    int l_nCount = 0;
    auto l_fVisit = [&](CFields &a_tLeaf) {
        if (hasKeyword(a_tLeaf, kind, index)) {
            a_tLeaf.pkt_SetOSA4User(arg);
            ++l_nCount;
        }
        return true;
    };
    visitNodeOrLeaves(node != nullptr ? *node : *this, l_fVisit);
    return l_nCount;
}

} // namespace vexl
