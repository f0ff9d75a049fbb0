#pragma once
// Operations on one value slot (a data type, an ownership flag and a `uMultiValue`), shared by
// the node, value and comparison sources.
//
// A slot's type and flag are kept in four bits of `CFields::m_ucSlots`: bits 0-2 the data type,
// bit 3 the ownership flag (set: the code list is a heap block of a 32-bit count, the bytes and
// a zero byte; clear: borrowed zero-terminated text).

#include <malloc.h>

#include <cstdint>
#include <cstring>

#include "tree/block_pool.h"
#include "tree/fields_vector.h"
#include "util/short_copy.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl::slot {

inline constexpr uint8_t DT_MASK = 0x07u;
inline constexpr uint8_t OWNED = 0x08u;

inline E_DataType typeOf(uint8_t bits) noexcept {
    return E_DataType(bits & DT_MASK);
}
inline bool isContainer(uint8_t bits) noexcept {
    E_DataType l_dt = typeOf(bits);
    return l_dt == DT_fields || l_dt == DT_array;
}

/// The bytes and length of a code-list slot; false when the list has no data.
inline bool codeData(const uMultiValue &value, uint8_t bits, const char *&data, uint32_t &length) noexcept {
    if (typeOf(bits) != DT_codelist || value.m_cpValue == nullptr)
        return false;
    if (bits & OWNED) {
        std::memcpy(&length, value.m_cpValue, 4);
        data = value.m_cpValue + 4;
    } else {
        data = value.m_cpValue;
        length = uint32_t(std::strlen(data));
    }
    return true;
}

/// Releases what the slot owns (children, an owned code list) and zeroes the value; the blocks
/// of the children are released through `batch`.
inline void release(uMultiValue &value, uint8_t bits, detail::CReleaseBatch &batch) noexcept {
    E_DataType l_dt = typeOf(bits);
    if (l_dt == DT_fields || l_dt == DT_array)
        CFieldsVector::destroyInto(value.m_pFV, batch);
    else if (l_dt == DT_codelist && (bits & OWNED))
        std::free(const_cast<char *>(value.m_cpValue));
    value.m_ullValue = 0;
}
/// The same with a batch of its own.
inline void release(uMultiValue &value, uint8_t bits) noexcept {
    detail::CReleaseBatch l_batch;
    release(value, bits, l_batch);
}

/// A deep copy of the slot's value: children cloned, an owned code list duplicated, a borrowed
/// one shared. The type and flag bits stay the same.
inline uMultiValue clone(const uMultiValue &value, uint8_t bits) {
    uMultiValue l_u = value;
    E_DataType l_dt = typeOf(bits);
    if (l_dt == DT_fields || l_dt == DT_array) {
        l_u.m_pFV = value.m_pFV != nullptr ? CFieldsVector::cloneDeep(*value.m_pFV) : nullptr;
    } else if (l_dt == DT_codelist && (bits & OWNED) && value.m_cpValue != nullptr) {
        uint32_t l_uLen;
        std::memcpy(&l_uLen, value.m_cpValue, 4);
        l_u.m_cpValue = duplicatePrefixedStream(value.m_cpValue + 4, l_uLen);
    }
    return l_u;
}

/// Stores `length` bytes of `text` as an owned code list in the slot's own heap block when the
/// slot already holds one that has room for the count, the bytes and the zero byte (and is not
/// much larger, so that a block once used for a long text is not kept for short ones). A value
/// set again and again, or received again and again, then costs no allocation. `text` may lie
/// inside the block. False, with nothing changed, when the slot holds anything else or the block
/// does not fit.
inline bool reuseCodes(uMultiValue &value, uint8_t bits, const char *text, uint32_t length) noexcept {
    if (bits != (DT_codelist | OWNED) || value.m_cpValue == nullptr || length > MAX_CODELIST_LENGTH)
        return false;
    char *const l_p = const_cast<char *>(value.m_cpValue);
    uint32_t l_uOld;
    std::memcpy(&l_uOld, l_p, 4);
    const size_t l_uiNeed = size_t(length) + 5;
    if (length > l_uOld || l_uOld - length > 32 + length) {
        // Every owned block comes from malloc (it is released with free).
        const size_t l_uiRoom = malloc_usable_size(l_p);
        if (l_uiRoom < l_uiNeed || l_uiRoom > 2 * l_uiNeed + 32)
            return false;
    }
    detail::moveBytes(l_p + 4, text, length);
    std::memcpy(l_p, &length, 4);
    l_p[4 + size_t(length)] = '\0';
    return true;
}

/// True when the slot holds children (a container with at least one child).
inline bool hasChildren(const uMultiValue &value, uint8_t bits) noexcept {
    return isContainer(bits) && value.m_pFV != nullptr && value.m_pFV->count() != 0;
}

} // namespace vexl::slot
