// Packet lengths: the length of one field, of a tree of fields, and the natural length of a
// field's value under its packet code.

#include <cstdint>
#include <string>

#include "packet_bytes.h"
#include "packet_plan.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl {

namespace {

bool isContainerType(E_DataType a_eType) noexcept {
    return a_eType == DT_fields || a_eType == DT_array;
}

// Accumulates the length of the leaves under a node; the sum is kept in 64 bits and clamped
// when the word is built.
void sumLengths(const CFields &a_tNode, bool a_bKeywords, uint64_t &a_uSum, bool &a_bVariable) {
    for (const CFields &l_tChild : a_tNode) {
        if (isContainerType(l_tChild.getDT())) {
            sumLengths(l_tChild, a_bKeywords, a_uSum, a_bVariable);
            continue;
        }
        const uPacketLengthExpression l_uOne = l_tChild.pkt_Len4OneSelf(a_bKeywords);
        a_uSum += l_uOne.uLength();
        a_bVariable = a_bVariable || l_uOne.bVariable();
    }
}

} // namespace

// MARK: - Packet lengths (Public)

uPacketLengthExpression CFields::pkt_Len4OneSelf(bool keywords) const {
    uPacketLengthExpression l_uResult{};
    if (isContainerType(getDT()))
        return l_uResult;
    switch (m_tPEI.eLengthCode()) {
    case LEC_FIXED:
        l_uResult.set(m_tPEI.uLength(), false);
        break;
    case LEC_VARIABLE: {
        const uint32_t l_uLength = m_tPEI.uLength();
        l_uResult.set(l_uLength != 0 ? l_uLength : m_tPEI.uVarWidth, true);
        break;
    }
    case LEC_DYNAMIC:
        // With keywords the length is known only once "sizeset_" has run.
        l_uResult.set(keywords ? 0 : m_tPEI.uLength(), false);
        break;
    default:
        break;
    }
    return l_uResult;
}

uPacketLengthExpression CFields::pkt_Len4Children(bool keywords, const CFields *node) const {
    const CFields &l_tNode = node != nullptr ? *node : *this;
    if (l_tNode.getChildCount() == 0)
        return l_tNode.pkt_Len4OneSelf(keywords);
    return detail::CPacketPlan::of(l_tNode).length(keywords);
}

uPacketLengthExpression detail::referenceLen4Children(const CFields &node, bool keywords) {
    if (node.getChildCount() == 0)
        return node.pkt_Len4OneSelf(keywords);
    uint64_t l_uSum = 0;
    bool l_bVariable = false;
    sumLengths(node, keywords, l_uSum, l_bVariable);
    uPacketLengthExpression l_uResult{};
    l_uResult.set(l_uSum, l_bVariable);
    return l_uResult;
}

unsigned int CFields::pkt_Len4PEI() const {
    if (isContainerType(getDT()))
        return 0;
    return m_tPEI.ePacketCode() == PEC_ASCII ? pkt_lengthToAC() : pkt_lengthToBC();
}

// MARK: - Natural lengths (Private)

unsigned int CFields::pkt_lengthToAC() const {
    switch (getDT()) {
    case DT_null:
        return 0;
    case DT_bool:
        return 1;
    case DT_sint: {
        const long long l_nValue = m_uActValue.m_llValue;
        const uint64_t l_uMag = l_nValue < 0 ? 0 - uint64_t(l_nValue) : uint64_t(l_nValue);
        return detail::decimalDigits(l_uMag) + (l_nValue < 0 ? 1u : 0u);
    }
    case DT_uint:
        return detail::decimalDigits(m_uActValue.m_ullValue);
    case DT_double:
        return unsigned(ToString(m_uActValue.m_dValue).size());
    case DT_codelist:
        return getRawBytes();
    default:
        raiseLogicError("[%s#%d] Unknown data type(%d)", "vexl::CFields::pkt_lengthToAC", __LINE__,
                        int(getDT()));
    }
}

unsigned int CFields::pkt_lengthToBC() const {
    switch (getDT()) {
    case DT_null:
        return 0;
    case DT_bool:
        return 1;
    case DT_sint: {
        const long long l_nValue = m_uActValue.m_llValue;
        if (l_nValue >= -128 && l_nValue <= 127)
            return 1;
        if (l_nValue >= -32768 && l_nValue <= 32767)
            return 2;
        if (l_nValue >= -2147483648LL && l_nValue <= 2147483647LL)
            return 4;
        return 8;
    }
    case DT_uint: {
        const unsigned long long l_uValue = m_uActValue.m_ullValue;
        if (l_uValue < 256)
            return 1;
        if (l_uValue <= 65535)
            return 2;
        if (l_uValue <= 4294967295ULL)
            return 4;
        return 8;
    }
    case DT_double:
        return 8;
    case DT_codelist:
        return getRawBytes();
    default:
        raiseLogicError("[%s#%d] Unknown data type", "vexl::CFields::pkt_lengthToBC", __LINE__);
    }
}

unsigned int CFields::pkt_lengthToAN() const {
    return pkt_lengthToAC();
}

unsigned int CFields::pkt_lengthToBN() const {
    return pkt_lengthToBC();
}

} // namespace vexl
