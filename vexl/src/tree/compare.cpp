// Equality and ordering of node values, and the comparison of a node's two values.

#include <cstring>

#include "tree/fields_vector.h"
#include "tree/slot_ops.h"
#include "vexl/fields.h"

namespace vexl {

namespace {

// Code lists: both without data are equal, one without data is not, else lengths and bytes.
bool equalCodes(const uMultiValue &a, uint8_t aBits, const uMultiValue &b, uint8_t bBits) noexcept {
    const char *l_pa, *l_pb;
    uint32_t l_ua = 0, l_ub = 0;
    bool l_bA = slot::codeData(a, aBits, l_pa, l_ua);
    bool l_bB = slot::codeData(b, bBits, l_pb, l_ub);
    if (!l_bA || !l_bB)
        return l_bA == l_bB;
    return l_ua == l_ub && std::memcmp(l_pa, l_pb, l_ua) == 0;
}

// Code lists: without data before with data; else bytewise as unsigned, a shorter prefix first.
bool lessCodes(const uMultiValue &a, uint8_t aBits, const uMultiValue &b, uint8_t bBits) noexcept {
    const char *l_pa, *l_pb;
    uint32_t l_ua = 0, l_ub = 0;
    bool l_bA = slot::codeData(a, aBits, l_pa, l_ua);
    bool l_bB = slot::codeData(b, bBits, l_pb, l_ub);
    if (!l_bA || !l_bB)
        return !l_bA && l_bB;
    int l_n = std::memcmp(l_pa, l_pb, l_ua < l_ub ? l_ua : l_ub);
    if (l_n != 0)
        return l_n < 0;
    return l_ua < l_ub;
}

// Scalar equality of two slots of the same non-container type.
bool equalScalars(E_DataType dt, const uMultiValue &a, uint8_t aBits, const uMultiValue &b,
                  uint8_t bBits) noexcept {
    switch (dt) {
    case DT_null:
        return true;
    case DT_bool:
        return a.m_bValue == b.m_bValue;
    case DT_sint:
        return a.m_llValue == b.m_llValue;
    case DT_uint:
        return a.m_ullValue == b.m_ullValue;
    case DT_double:
        return a.m_dValue == b.m_dValue;
    case DT_codelist:
        return equalCodes(a, aBits, b, bBits);
    default:
        return false;
    }
}

} // namespace

bool CFields::isEqualDualValue() const noexcept {
    E_DataType l_dt = getDT(VK_Actual);
    if (l_dt == DT_fields || l_dt == DT_array || l_dt != getDT(VK_Fixed))
        return false;
    return equalScalars(l_dt, m_uActValue, actBits(), m_uSecValue, secBits());
}

bool CFields::operator==(const CFields &other) const noexcept {
    E_DataType l_dt = getDT();
    if (l_dt != other.getDT())
        return false;
    if (l_dt == DT_fields || l_dt == DT_array) {
        uint32_t l_uCount = getChildCount();
        if (l_uCount != other.getChildCount())
            return false;
        const CFields *l_pa = begin(), *l_pb = other.begin();
        for (uint32_t i = 0; i < l_uCount; ++i)
            if (!(l_pa[i] == l_pb[i]))
                return false;
        return true;
    }
    return equalScalars(l_dt, m_uActValue, actBits(), other.m_uActValue, other.actBits());
}

bool CFields::operator<(const CFields &other) const noexcept {
    E_DataType l_dt = getDT(), l_odt = other.getDT();
    if (l_dt != l_odt)
        return l_dt < l_odt;
    const uMultiValue &a = m_uActValue, &b = other.m_uActValue;
    switch (l_dt) {
    case DT_null:
        return false;
    case DT_fields:
    case DT_array: {
        uint32_t l_uCount = getChildCount(), l_uOther = other.getChildCount();
        if (l_uCount != l_uOther)
            return l_uCount < l_uOther;
        const CFields *l_pa = begin(), *l_pb = other.begin();
        for (uint32_t i = 0; i < l_uCount; ++i) {
            if (l_pa[i] < l_pb[i])
                return true;
            if (l_pb[i] < l_pa[i])
                return false;
        }
        return false;
    }
    case DT_bool:
        return !a.m_bValue && b.m_bValue;
    case DT_sint:
        return a.m_llValue < b.m_llValue;
    case DT_uint:
        return a.m_ullValue < b.m_ullValue;
    case DT_double:
        return a.m_dValue < b.m_dValue;
    default:
        return lessCodes(a, actBits(), b, other.actBits());
    }
}

} // namespace vexl
