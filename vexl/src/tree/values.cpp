// Values of a node: the setters of both slots, the value kind, type tests, conversions with
// their range rules, and raw access to code lists.

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tree/fields_vector.h"
#include "tree/slot_ops.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl {

namespace {

const char *const s_szSetValue = "vexl::CFields::setValue";

// Limits of the double conversions: 2^31, 2^63 and 2^64 are exact doubles.
constexpr double s_dTwo31 = 2147483648.0;
constexpr double s_dTwo63 = 9223372036854775808.0;
constexpr double s_dTwo64 = 18446744073709551616.0;

inline bool isIntegralDouble(double d) noexcept {
    return std::trunc(d) == d;
}

inline E_ValueKind checkedVK(E_ValueKind vk) {
    if (uint32_t(vk) > VK_Valid)
        raiseLogicError("[%s#%d] Unknown value type(%d)", s_szSetValue, __LINE__, int(vk));
    return vk;
}

inline uMultiValue makeValue() noexcept {
    uMultiValue l_u;
    l_u.m_ullValue = 0;
    return l_u;
}

} // namespace

// MARK: - Setting (Private)

void CFields::setScalar(E_ValueKind vk, E_DataType type, uMultiValue value) {
    if (checkedVK(vk) == VK_Actual) {
        CFieldsVector::setActualScalar(*this, type, value);
    } else {
        clearSecond();
        m_uSecValue = value;
        setSecBits(uint8_t(type));
    }
}

// Installs a code list; `pointer` is an owned block (already made) or borrowed text. The value
// kind has been checked by the caller.
void CFields::setCodes(E_ValueKind vk, const char *pointer, bool owned) noexcept {
    uint8_t l_bits = uint8_t(DT_codelist | (owned ? slot::OWNED : 0));
    if (vk == VK_Actual) {
        clearActual();
        m_uActValue.m_cpValue = pointer;
        setActBits(l_bits);
    } else {
        clearSecond();
        m_uSecValue.m_cpValue = pointer;
        setSecBits(l_bits);
    }
}

// MARK: - Setting (Public)

bool CFields::setValue(E_DataType type, E_ValueKind vk) {
    if (checkedVK(vk) == VK_Actual) {
        if (!isValidDT(type))
            raiseLogicError("[%s#%d] Unknown data type(%d)", s_szSetValue, __LINE__, int(type));
        if (type == DT_fields || type == DT_array)
            CFieldsVector::setActualContainer(*this, type);
        else
            CFieldsVector::setActualScalar(*this, type, makeValue());
        return true;
    }
    if (!isValidDT(type))
        raiseLogicError("[%s#%d] Mismatched data type(%d) for value type(%d)", s_szSetValue, __LINE__,
                        int(type), int(vk));
    clearSecond();
    if (type == DT_fields || type == DT_array)
        return false;
    setSecBits(uint8_t(type));
    return true;
}

bool CFields::setValue(bool value, E_ValueKind vk) {
    uMultiValue l_u = makeValue();
    l_u.m_bValue = value;
    setScalar(vk, DT_bool, l_u);
    return true;
}

bool CFields::setValue(int value, E_ValueKind vk) {
    return setValue(static_cast<long long>(value), vk);
}
bool CFields::setValue(long value, E_ValueKind vk) {
    return setValue(static_cast<long long>(value), vk);
}

bool CFields::setValue(long long value, E_ValueKind vk) {
    uMultiValue l_u;
    l_u.m_llValue = value;
    setScalar(vk, DT_sint, l_u);
    return true;
}

bool CFields::setValue(unsigned int value, E_ValueKind vk) {
    return setValue(static_cast<unsigned long long>(value), vk);
}
bool CFields::setValue(unsigned long value, E_ValueKind vk) {
    return setValue(static_cast<unsigned long long>(value), vk);
}

bool CFields::setValue(unsigned long long value, E_ValueKind vk) {
    uMultiValue l_u;
    l_u.m_ullValue = value;
    setScalar(vk, DT_uint, l_u);
    return true;
}

bool CFields::setValue(double value, E_ValueKind vk) {
    uMultiValue l_u;
    l_u.m_dValue = value;
    setScalar(vk, DT_double, l_u);
    return true;
}

bool CFields::setValue(const char *text, E_ValueKind vk) {
    checkedVK(vk);
    if (text == nullptr)
        raiseLogicError("[%s#%d] Value paramter has NULL pointer", s_szSetValue, __LINE__);
    size_t l_uLen = std::strlen(text);
    if (l_uLen > MAX_CODELIST_LENGTH)
        raiseLogicError("[%s#%d] a_uiSrcLen too big for prefixing", "vexl::duplicatePrefixedStream",
                        __LINE__);
    if (vk == VK_Actual && slot::reuseCodes(m_uActValue, actBits(), text, uint32_t(l_uLen)))
        return true;
    setCodes(vk, duplicatePrefixedStream(text, unsigned(l_uLen)), true);
    return true;
}

bool CFields::setValue(const char *text, unsigned int length, E_ValueKind vk) {
    checkedVK(vk);
    if (text == nullptr)
        raiseLogicError("[%s#%d] Value paramter has NULL pointer", s_szSetValue, __LINE__);
    // An owned block with room takes the bytes in place; otherwise the copy is made before the
    // old value goes: `text` may be this node's own bytes.
    if (vk == VK_Actual && slot::reuseCodes(m_uActValue, actBits(), text, length))
        return true;
    setCodes(vk, duplicatePrefixedStream(text, length), true);
    return true;
}

bool CFields::setValue(std::string_view text, E_ValueKind vk) {
    checkedVK(vk);
    if (text.size() > MAX_CODELIST_LENGTH)
        raiseLogicError("[%s#%d] a_uiSrcLen too big for prefixing", "vexl::duplicatePrefixedStream",
                        __LINE__);
    setCodes(vk, duplicatePrefixedStream(text.empty() ? "" : text.data(), unsigned(text.size())), true);
    return true;
}

bool CFields::setValue(const std::string &text, E_ValueKind vk) {
    checkedVK(vk);
    if (text.size() > MAX_CODELIST_LENGTH)
        raiseLogicError("[%s#%d] a_uiSrcLen too big for prefixing", "vexl::duplicatePrefixedStream",
                        __LINE__);
    if (vk == VK_Actual && slot::reuseCodes(m_uActValue, actBits(), text.data(), uint32_t(text.size())))
        return true;
    setCodes(vk, duplicatePrefixedStream(text.data(), unsigned(text.size())), true);
    return true;
}

bool CFields::setValue(const CStaticString &text, E_ValueKind vk) {
    checkedVK(vk);
    if (text.getData() == nullptr)
        raiseLogicError("[%s#%d] Value paramter has NULL pointer", s_szSetValue, __LINE__);
    setCodes(vk, text.getData(), false);
    return true;
}

bool CFields::setValue(const CFields &other) {
    if (!isValidVK(other.getVK()))
        raiseLogicError("[%s#%d] Unknown value type(%d)", s_szSetValue, __LINE__, int(other.m_ucVK));
    // Both copies are complete before this node's values go: `other` may be this node or lie
    // inside it.
    CFields l_tmp;
    l_tmp.m_uActValue = slot::clone(other.m_uActValue, other.actBits());
    l_tmp.setActBits(other.actBits());
    bool l_bOk = true;
    if (other.m_ucVK != VK_Actual) {
        if (slot::isContainer(other.secBits())) {
            l_bOk = false;
        } else {
            l_tmp.m_uSecValue = slot::clone(other.m_uSecValue, other.secBits());
            l_tmp.setSecBits(other.secBits());
        }
        l_tmp.m_ucVK = other.m_ucVK;
    }
    stealValues(l_tmp);
    if (!l_bOk)
        clearSecond();
    return l_bOk;
}

// MARK: - Value kind

bool CFields::setVK(E_ValueKind kind) {
    if (!isValidVK(kind))
        return false;
    if (kind == m_ucVK)
        return true;
    if (kind == VK_Actual) {
        clearSecond();
        return true;
    }
    if (slot::typeOf(secBits()) == DT_null) {
        if (slot::isContainer(actBits()))
            return false;
        m_uSecValue = slot::clone(m_uActValue, actBits());
        setSecBits(actBits());
    }
    m_ucVK = uint8_t(kind);
    return true;
}

// MARK: - Type tests

bool CFields::isSint32(E_ValueKind vk) const noexcept {
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_sint:
        return l_u.m_llValue >= minSint32 && l_u.m_llValue <= maxSint32;
    case DT_uint:
        return l_u.m_ullValue < 2147483648ULL;
    case DT_double:
        return l_u.m_dValue >= -s_dTwo31 && l_u.m_dValue <= 2147483647.0 && isIntegralDouble(l_u.m_dValue);
    default:
        return false;
    }
}

bool CFields::isUint32(E_ValueKind vk) const noexcept {
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_sint:
        return l_u.m_llValue >= 0 && l_u.m_llValue <= 4294967295LL;
    case DT_uint:
        return l_u.m_ullValue <= 4294967295ULL;
    case DT_double:
        return l_u.m_dValue >= 0.0 && l_u.m_dValue <= 4294967295.0 && isIntegralDouble(l_u.m_dValue);
    default:
        return false;
    }
}

bool CFields::isSint64(E_ValueKind vk) const noexcept {
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_sint:
        return true;
    case DT_uint:
        return l_u.m_ullValue <= 9223372036854775807ULL;
    case DT_double:
        return l_u.m_dValue >= -s_dTwo63 && l_u.m_dValue < s_dTwo63 && isIntegralDouble(l_u.m_dValue);
    default:
        return false;
    }
}

bool CFields::isUint64(E_ValueKind vk) const noexcept {
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_sint:
        return l_u.m_llValue >= 0;
    case DT_uint:
        return true;
    case DT_double:
        return l_u.m_dValue >= 0.0 && l_u.m_dValue < s_dTwo64 && isIntegralDouble(l_u.m_dValue);
    default:
        return false;
    }
}

// MARK: - Conversions

bool CFields::asBool(E_ValueKind vk) const {
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_null:
        return false;
    case DT_bool:
        return l_u.m_bValue;
    case DT_sint:
    case DT_uint:
        return l_u.m_ullValue != 0;
    case DT_double:
        return l_u.m_dValue != 0.0;
    default:
        raiseLogicError("[%s#%d] CFields is not convertible to bool.", "vexl::CFields::asBool", __LINE__);
    }
}

int CFields::asSint32(E_ValueKind vk) const {
    const char *const l_szFn = "vexl::CFields::asSint32";
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_null:
        return 0;
    case DT_bool:
        return l_u.m_bValue ? 1 : 0;
    case DT_sint:
        if (l_u.m_llValue < minSint32 || l_u.m_llValue > maxSint32)
            raiseLogicError("[%s#%d] LSint out of Sint32 range", l_szFn, __LINE__);
        return int(l_u.m_llValue);
    case DT_uint:
        if (l_u.m_ullValue >= 2147483648ULL)
            raiseLogicError("[%s#%d] LUint out of Sint32 range", l_szFn, __LINE__);
        return int(l_u.m_ullValue);
    case DT_double:
        if (!(l_u.m_dValue >= -s_dTwo31 && l_u.m_dValue <= 2147483647.0))
            raiseLogicError("[%s#%d] double out of Sint32 range", l_szFn, __LINE__);
        return int(l_u.m_dValue);
    default:
        raiseLogicError("[%s#%d] Value is not convertible to Sint32.", l_szFn, __LINE__);
    }
}

unsigned int CFields::asUint32(E_ValueKind vk) const {
    const char *const l_szFn = "vexl::CFields::asUint32";
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_null:
        return 0;
    case DT_bool:
        return l_u.m_bValue ? 1u : 0u;
    case DT_sint:
        if (l_u.m_llValue < 0 || l_u.m_llValue > 4294967295LL)
            raiseLogicError("[%s#%d] LSint out of Uint32 range", l_szFn, __LINE__);
        return unsigned(l_u.m_llValue);
    case DT_uint:
        if (l_u.m_ullValue > 4294967295ULL)
            raiseLogicError("[%s#%d] LUint out of Uint32 range", l_szFn, __LINE__);
        return unsigned(l_u.m_ullValue);
    case DT_double:
        // Values in (-1, 0) truncate to 0 but lie outside 0.0 to 4294967295.0: refused.
        if (!(l_u.m_dValue >= 0.0 && l_u.m_dValue <= 4294967295.0))
            raiseLogicError("[%s#%d] double out of Uint32 range", l_szFn, __LINE__);
        return unsigned(l_u.m_dValue);
    default:
        raiseLogicError("[%s#%d] Value is not convertible to Uint32.", l_szFn, __LINE__);
    }
}

long long CFields::asSint64(E_ValueKind vk) const {
    const char *const l_szFn = "vexl::CFields::asSint64";
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_null:
        return 0;
    case DT_bool:
        return l_u.m_bValue ? 1 : 0;
    case DT_sint:
        return l_u.m_llValue;
    case DT_uint:
        if (l_u.m_ullValue > 9223372036854775807ULL)
            raiseLogicError("[%s#%d] LUint out of Sint64 range", l_szFn, __LINE__);
        return static_cast<long long>(l_u.m_ullValue);
    case DT_double:
        // 2^63 itself is the signed maximum taken as a double, but does not fit: refused.
        if (!(l_u.m_dValue >= -s_dTwo63 && l_u.m_dValue < s_dTwo63))
            raiseLogicError("[%s#%d] double out of Sint64 range", l_szFn, __LINE__);
        return static_cast<long long>(l_u.m_dValue);
    default:
        raiseLogicError("[%s#%d] CFields is not convertible to Sint64.", l_szFn, __LINE__);
    }
}

unsigned long long CFields::asUint64(E_ValueKind vk) const {
    const char *const l_szFn = "vexl::CFields::asUint64";
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_null:
        return 0;
    case DT_bool:
        return l_u.m_bValue ? 1u : 0u;
    case DT_sint:
        if (l_u.m_llValue < 0)
            raiseLogicError("[%s#%d] LSint out of Uint64 range", l_szFn, __LINE__);
        return static_cast<unsigned long long>(l_u.m_llValue);
    case DT_uint:
        return l_u.m_ullValue;
    case DT_double:
        // 2^64 is the unsigned maximum taken as a double, but does not fit: refused.
        if (!(l_u.m_dValue >= 0.0 && l_u.m_dValue < s_dTwo64))
            raiseLogicError("[%s#%d] double out of Uint64 range", l_szFn, __LINE__);
        return static_cast<unsigned long long>(l_u.m_dValue);
    default:
        raiseLogicError("[%s#%d] CFields is not convertible to Uint64.", l_szFn, __LINE__);
    }
}

float CFields::asFloat(E_ValueKind vk) const {
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_null:
        return 0.0f;
    case DT_bool:
        return l_u.m_bValue ? 1.0f : 0.0f;
    case DT_sint:
        return static_cast<float>(l_u.m_llValue);
    case DT_uint:
        return static_cast<float>(l_u.m_ullValue);
    case DT_double:
        return static_cast<float>(l_u.m_dValue);
    default:
        raiseLogicError("[%s#%d] CFields is not convertible to float.", "vexl::CFields::asFloat", __LINE__);
    }
}

double CFields::asDoubleOther(E_ValueKind vk) const {
    const uMultiValue &l_u = getValueRef(vk);
    switch (getDT(vk)) {
    case DT_null:
        return 0.0;
    case DT_bool:
        return l_u.m_bValue ? 1.0 : 0.0;
    case DT_sint:
        return static_cast<double>(l_u.m_llValue);
    case DT_uint:
        return static_cast<double>(l_u.m_ullValue);
    case DT_double:
        return l_u.m_dValue;
    default:
        raiseLogicError("[%s#%d] CFields is not convertible to double.", "vexl::CFields::asDouble", __LINE__);
    }
}

std::string CFields::asString(E_ValueKind vk) const {
    const uMultiValue &l_u = getValueRef(vk);
    uint8_t l_bits = vk == VK_Actual ? actBits() : secBits();
    switch (slot::typeOf(l_bits)) {
    case DT_null:
        return std::string();
    case DT_bool:
        return ToString(l_u.m_bValue);
    case DT_sint:
        return ToString(l_u.m_llValue);
    case DT_uint:
        return ToString(l_u.m_ullValue);
    case DT_double:
        return ToString(l_u.m_dValue);
    case DT_codelist: {
        const char *l_p;
        uint32_t l_uLen;
        if (!slot::codeData(l_u, l_bits, l_p, l_uLen))
            return std::string();
        return std::string(l_p, l_uLen);
    }
    default:
        raiseLogicError("[%s#%d] Type is not convertible to string", "vexl::CFields::asString", __LINE__);
    }
}

bool CFields::toSint64(long long &out, E_ValueKind vk) const {
    out = 0;
    if (isSint64(vk) || isUint64(vk)) {
        out = asSint64(vk);
        return true;
    }
    const char *l_p;
    uint32_t l_uLen;
    if (slot::codeData(getValueRef(vk), vk == VK_Actual ? actBits() : secBits(), l_p, l_uLen))
        return aton64(l_p, l_uLen, out);
    return false;
}

bool CFields::toUint64(unsigned long long &out, E_ValueKind vk) const {
    out = 0;
    if (isSint64(vk) || isUint64(vk)) {
        out = asUint64(vk);
        return true;
    }
    const char *l_p;
    uint32_t l_uLen;
    if (slot::codeData(getValueRef(vk), vk == VK_Actual ? actBits() : secBits(), l_p, l_uLen))
        return aton64(l_p, l_uLen, out);
    return false;
}

bool CFields::isConvertible(E_DataType target, E_ValueKind vk) const {
    if (!isValidDT(target))
        raiseLogicError("[%s#%d] Unknown data type(%d)", "vexl::CFields::isConvertible", __LINE__,
                        int(target));
    const uMultiValue &l_u = getValueRef(vk);
    uint8_t l_bits = vk == VK_Actual ? actBits() : secBits();
    E_DataType l_dt = slot::typeOf(l_bits);
    if (l_dt == DT_null)
        return true;
    bool l_bNumber = l_dt == DT_sint || l_dt == DT_uint || l_dt == DT_double;
    switch (target) {
    case DT_null:
        switch (l_dt) {
        case DT_bool:
            return !l_u.m_bValue;
        case DT_sint:
        case DT_uint:
            return l_u.m_ullValue == 0;
        case DT_double:
            return l_u.m_dValue == 0.0;
        case DT_codelist: {
            const char *l_p;
            uint32_t l_uLen = 0;
            return !slot::codeData(l_u, l_bits, l_p, l_uLen) || l_uLen == 0;
        }
        default: // containers
            return l_u.m_pFV == nullptr || l_u.m_pFV->count() == 0;
        }
    case DT_array:
    case DT_fields:
        return l_dt == target;
    case DT_bool:
    case DT_double:
        return isNumeric(vk) || l_dt == DT_bool;
    case DT_sint:
        return isSint32(vk) || l_dt == DT_bool ||
               (l_dt == DT_double && l_u.m_dValue >= -s_dTwo31 && l_u.m_dValue <= 2147483647.0);
    case DT_uint:
        return isUint32(vk) || l_dt == DT_bool ||
               (l_dt == DT_double && l_u.m_dValue >= 0.0 && l_u.m_dValue <= 4294967295.0);
    default: // DT_codelist
        return l_bNumber || l_dt == DT_bool || l_dt == DT_codelist;
    }
}

// MARK: - Raw access

const void *CFields::getValuePtr(E_ValueKind vk) const noexcept {
    const uMultiValue &l_u = getValueRef(vk);
    uint8_t l_bits = vk == VK_Actual ? actBits() : secBits();
    switch (slot::typeOf(l_bits)) {
    case DT_bool:
        return &l_u.m_bValue;
    case DT_sint:
    case DT_uint:
    case DT_double:
        return &l_u;
    case DT_codelist: {
        const char *l_p;
        uint32_t l_uLen;
        return slot::codeData(l_u, l_bits, l_p, l_uLen) ? l_p : nullptr;
    }
    default:
        return nullptr;
    }
}

unsigned int CFields::getRawBytesOther(E_ValueKind vk) const noexcept {
    uint8_t l_bits = vk == VK_Actual ? actBits() : secBits();
    switch (slot::typeOf(l_bits)) {
    case DT_bool:
        return 1;
    case DT_sint:
    case DT_uint:
    case DT_double:
        return 8;
    case DT_codelist: {
        const char *l_p;
        uint32_t l_uLen;
        return slot::codeData(getValueRef(vk), l_bits, l_p, l_uLen) ? l_uLen : 0u;
    }
    default:
        return 0;
    }
}

unsigned int CFields::getCodePoint(const char **out, E_ValueKind vk) const noexcept {
    const char *l_p;
    uint32_t l_uLen;
    if (!slot::codeData(getValueRef(vk), vk == VK_Actual ? actBits() : secBits(), l_p, l_uLen))
        return 0;
    if (out != nullptr)
        *out = l_p;
    return l_uLen;
}

bool CFields::resizeCodes(unsigned int length, unsigned char fill, E_ValueKind vk) {
    uMultiValue &l_u = vk == VK_Actual ? m_uActValue : m_uSecValue;
    uint8_t l_bits = vk == VK_Actual ? actBits() : secBits();
    if (slot::typeOf(l_bits) != DT_codelist || !(l_bits & slot::OWNED) || l_u.m_cpValue == nullptr)
        return false;
    if (length > MAX_CODELIST_LENGTH)
        return false;
    uint32_t l_uOld;
    std::memcpy(&l_uOld, l_u.m_cpValue, 4);
    if (l_uOld == length)
        return true;
    char *l_p = static_cast<char *>(std::realloc(const_cast<char *>(l_u.m_cpValue), size_t(length) + 5));
    if (l_p == nullptr)
        return false; // the old block stays
    if (length > l_uOld)
        std::memset(l_p + 4 + l_uOld, fill, length - l_uOld);
    uint32_t l_uNew = length;
    std::memcpy(l_p, &l_uNew, 4);
    l_p[4 + size_t(length)] = '\0';
    l_u.m_cpValue = l_p;
    return true;
}

} // namespace vexl
