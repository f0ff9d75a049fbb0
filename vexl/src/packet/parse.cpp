// Parsing packets: the walk over the leaves of a tree with one read position, and the one-field
// steps (keyword step, missing-byte arithmetic, decoder choice).
//
// Positions and counts are worked out in 64 bits and the position never passes the end of the
// data, so no sum can wrap into a passing bound.

#include <cstdint>

#include "packet_bytes.h"
#include "packet_plan.h"
#include "vexl/fields.h"

namespace vexl {

namespace {

using detail::clampLength;
using detail::clampResult;

bool isContainerType(E_DataType a_eType) noexcept {
    return a_eType == DT_fields || a_eType == DT_array;
}

} // namespace

// MARK: - Parsing (Public)

int CFields::pkt_Parse4OneSelf(const char *data, unsigned int size, bool store) {
    // No data reads nothing: every field then reports its bytes as missing.
    if (data == nullptr)
        size = 0;
    unsigned int l_uiPosition = 0;
    tMemoVector l_vecMemo;
    return pkt_parse4OneSelf(data, size, l_uiPosition, l_vecMemo, store);
}

int CFields::pkt_Parse4Children(const char *data, unsigned int size, bool store, CFields *node) {
    if (data == nullptr)
        size = 0;
    CFields &l_tNode = node != nullptr ? *node : *this;
    if (l_tNode.getChildCount() != 0) {
        // Keyword steps may change lengths (and, through hooks, the tree) while the walk runs.
        const detail::CPacketPlan &l_tPlan = detail::CPacketPlan::of(l_tNode);
        if (l_tPlan.parsesLikeTheWalk())
            return l_tPlan.parse(data, size, store);
    }
    unsigned int l_uiPosition = 0;
    tMemoVector l_vecMemo;
    return pkt_parse4Children(data, size, l_uiPosition, l_vecMemo, store, &l_tNode);
}

// MARK: - Parsing (Private)

int CFields::pkt_parse4Children(const char *data, unsigned int size, unsigned int &position,
                                tMemoVector &memo, bool store, CFields *node) {
    if (node->getChildCount() == 0)
        return node->pkt_parse4OneSelf(data, size, position, memo, store);
    int l_nResult = 0;
    for (CFields &l_tChild : *node) {
        const int l_nChild = isContainerType(l_tChild.getDT())
                                 ? pkt_parse4Children(data, size, position, memo, store, &l_tChild)
                                 : l_tChild.pkt_parse4OneSelf(data, size, position, memo, store);
        if (l_nChild >= 0) {
            if (int64_t(size) - int64_t(position) < l_nChild)
                break;
            // Once bytes are missing, a later field without bytes does not hide the shortfall.
            if (l_nResult >= 0)
                l_nResult = l_nChild;
        } else {
            position = size;
            l_nResult = l_nResult < 0 ? clampResult(int64_t(l_nResult) + l_nChild) : l_nChild;
        }
    }
    return l_nResult;
}

int CFields::pkt_parse4OneSelf(const char *data, unsigned int size, unsigned int &position, tMemoVector &memo,
                               bool store) {
    const int64_t l_nRemain = int64_t(size) - int64_t(position);
    if (isContainerType(getDT()))
        return clampResult(l_nRemain);
    // A measuring parse leaves the field as it was, including a length a keyword step set.
    const tPacketExpInfo l_tSaved = m_tPEI;
    if (m_tPEI.uSKI() != 0)
        pkt_parsePrepare4SKI(data, size, position, memo);

    const E_LengthExpCode l_eLength = m_tPEI.eLengthCode();
    const uint32_t l_uiLength = clampLength(m_tPEI.uLength());
    const uint32_t l_uiStart = position;
    const uint64_t l_uEnd = uint64_t(position) + l_uiLength;
    position = l_uEnd > size ? size : uint32_t(l_uEnd);

    // Fields without bytes consume nothing (length code 3 is never produced; it has none either).
    bool l_bEmpty = true;
    if (l_eLength == LEC_FIXED || l_eLength == LEC_DYNAMIC)
        l_bEmpty = l_uiLength == 0;
    else if (l_eLength == LEC_VARIABLE)
        l_bEmpty = m_tPEI.uVarWidth == 0;

    int l_nResult;
    if (l_nRemain < 1) {
        l_nResult = -int(l_eLength == LEC_VARIABLE ? m_tPEI.uVarWidth : l_uiLength);
    } else if (l_bEmpty) {
        l_nResult = clampResult(l_nRemain);
    } else {
        const char *l_cpField = data + l_uiStart;
        const unsigned int l_uiRemain = unsigned(l_nRemain);
        const bool l_bNumber = m_tPEI.eRuntimeCode() == REC_NUMBER;
        if (m_tPEI.ePacketCode() == PEC_ASCII) {
            if (l_eLength == LEC_VARIABLE)
                l_nResult = l_bNumber ? pkt_parseToANV(l_cpField, l_uiRemain, store)
                                      : pkt_parseToACV(l_cpField, l_uiRemain, store);
            else
                l_nResult = l_bNumber ? pkt_parseToANF(l_cpField, l_uiRemain, store)
                                      : pkt_parseToACF(l_cpField, l_uiRemain, store);
        } else {
            if (l_eLength == LEC_VARIABLE)
                l_nResult = l_bNumber ? pkt_parseToBNV(l_cpField, l_uiRemain, store)
                                      : pkt_parseToBCV(l_cpField, l_uiRemain, store);
            else
                l_nResult = l_bNumber ? pkt_parseToBNF(l_cpField, l_uiRemain, store)
                                      : pkt_parseToBCF(l_cpField, l_uiRemain, store);
        }
        // The next field starts where this one's decoded length ends, not where its recorded
        // length (a variable field's prefix width before its first stored parse) would put it.
        if (l_eLength == LEC_VARIABLE && l_nResult >= 0)
            position = size - unsigned(l_nResult);
    }
    if (!store)
        m_tPEI = l_tSaved;
    return l_nResult;
}

} // namespace vexl
