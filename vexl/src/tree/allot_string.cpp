// The string holders of a node: `CAllotString` (names with a duplication policy; short copies
// are kept inside the holder) and `CHeapString` (owned comment text).

#include <cstdlib>
#include <cstring>

#include "tree/block_pool.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl {

// MARK: - CAllotString

void CAllotString::setPointer(const char *p) noexcept {
    std::memset(m_aucRaw, 0, 4);
    std::memcpy(m_aucRaw + 4, &p, sizeof(p));
}

void CAllotString::releaseHeap() noexcept {
    if (m_uiSAI & SAI_CARVED)
        detail::releaseCarvedText(pointer());
    else
        std::free(const_cast<char *>(pointer()));
}

void CAllotString::setCarvedCopy(const char *text, unsigned int length) {
    // Short names live inside the holder anyway; only longer ones are carved.
    char *l_p = length > INLINE_MAX && length <= MAX_LENGTH ? detail::carveText(text, length) : nullptr;
    if (l_p == nullptr) {
        setData(text, length, DP_Duplicate);
        return;
    }
    release();
    m_uiSAI = (length << 2) | uint32_t(DP_Duplicate) | SAI_CARVED;
    setPointer(l_p);
}

CAllotString::CAllotString(const char *text) : CAllotString() {
    if (text == nullptr)
        return;
    size_t l_uLen = std::strlen(text);
    if (l_uLen >= 1 && l_uLen <= MAX_LENGTH)
        setData(text, unsigned(l_uLen), DP_Duplicate);
}

CAllotString::CAllotString(const char *text, unsigned int length, E_DuplicationPolicy policy)
    : CAllotString() {
    setData(text, length, policy);
}

CAllotString::CAllotString(const CAllotString &other) : CAllotString() {
    setData(other);
}

CAllotString &CAllotString::operator=(const CAllotString &other) {
    setData(other);
    return *this;
}

CAllotString &CAllotString::operator=(CAllotString &&other) noexcept {
    if (this != &other) {
        release();
        m_uiSAI = other.m_uiSAI;
        std::memcpy(m_aucRaw, other.m_aucRaw, sizeof(m_aucRaw));
        other.init();
    }
    return *this;
}

bool CAllotString::setData(const char *text, unsigned int length, E_DuplicationPolicy policy) {
    if (text == nullptr || length < 1 || length > MAX_LENGTH || uint32_t(policy) > DP_Borrowed)
        return false;
    const uint32_t l_uSAI = (length << 2) | uint32_t(policy);
    const char *const l_pSelf = reinterpret_cast<const char *>(this);
    if (policy == DP_Duplicate && length <= INLINE_MAX &&
        (text >= l_pSelf + sizeof(*this) || text + length <= l_pSelf)) {
        // A short copy written straight into the holder (the text is not the holder's own).
        release();
        m_uiSAI = l_uSAI | SAI_INLINE;
        std::memcpy(m_aucRaw, text, length);
        return true; // release() zeroed the rest, the terminator included
    }
    CAllotString l_tNew; // built completely before the old text goes (it may be the source)
    l_tNew.m_uiSAI = l_uSAI;
    if (policy == DP_Duplicate) {
        if (length <= INLINE_MAX) {
            l_tNew.m_uiSAI |= SAI_INLINE;
            std::memcpy(l_tNew.m_aucRaw, text, length);
            l_tNew.m_aucRaw[length] = 0;
        } else {
            l_tNew.setPointer(duplicateStream(text, length));
        }
    } else {
        l_tNew.setPointer(text);
    }
    *this = std::move(l_tNew);
    return true;
}

bool CAllotString::setData(const CAllotString &other) {
    if (this == &other)
        return true;
    if (other.getLength() == 0) {
        release();
        return true;
    }
    if (other.getDP() == DP_Static || (other.m_uiSAI & SAI_INLINE)) {
        // A shared static pointer, or a short copy kept inside the holder: copy the holder.
        release();
        m_uiSAI = other.m_uiSAI;
        std::memcpy(m_aucRaw, other.m_aucRaw, sizeof(m_aucRaw));
        return true;
    }
    return setData(other.getData(), other.getLength(), DP_Duplicate);
}

void CAllotString::swap(CAllotString &other) noexcept {
    uint32_t l_uSAI = m_uiSAI;
    unsigned char l_aucRaw[sizeof(m_aucRaw)];
    std::memcpy(l_aucRaw, m_aucRaw, sizeof(l_aucRaw));
    m_uiSAI = other.m_uiSAI;
    std::memcpy(m_aucRaw, other.m_aucRaw, sizeof(m_aucRaw));
    other.m_uiSAI = l_uSAI;
    std::memcpy(other.m_aucRaw, l_aucRaw, sizeof(l_aucRaw));
}

bool CAllotString::operator==(const CAllotString &other) const noexcept {
    unsigned int l_uLen = getLength();
    if (l_uLen == 0 || other.getLength() == 0)
        return getSAI() == other.getSAI();
    return l_uLen == other.getLength() && std::memcmp(getData(), other.getData(), l_uLen) == 0;
}

bool CAllotString::operator<(const CAllotString &other) const noexcept {
    unsigned int l_uLen = getLength(), l_uOther = other.getLength();
    if (l_uLen == 0 || l_uOther == 0)
        return getSAI() < other.getSAI();
    int l_n = std::memcmp(getData(), other.getData(), l_uLen < l_uOther ? l_uLen : l_uOther);
    if (l_n != 0)
        return l_n < 0;
    return l_uLen < l_uOther;
}

// MARK: - CHeapString

CHeapString::CHeapString(const CHeapString &other) : m_pText(nullptr) {
    if (other.m_pText != nullptr)
        m_pText = duplicateStream(other.m_pText, unsigned(std::strlen(other.m_pText)));
}

CHeapString &CHeapString::operator=(const CHeapString &other) {
    if (this != &other) {
        char *l_p = other.m_pText != nullptr
                        ? duplicateStream(other.m_pText, unsigned(std::strlen(other.m_pText)))
                        : nullptr;
        std::free(m_pText);
        m_pText = l_p;
    }
    return *this;
}

CHeapString &CHeapString::operator=(CHeapString &&other) noexcept {
    if (this != &other) {
        std::free(m_pText);
        m_pText = other.m_pText;
        other.m_pText = nullptr;
    }
    return *this;
}

CHeapString::~CHeapString() {
    std::free(m_pText);
}

void CHeapString::setComment(const char *text, unsigned int length) {
    if (text == nullptr)
        raiseLogicError("mismatched condition");
    if (length != 0 && text[0] != '/')
        raiseLogicError("[%s#%d] Comments must start with /", "vexl::CHeapString::setComment", __LINE__);
    if (length != 0 && text[length - 1] == '\n')
        --length;
    char *l_p = duplicateStream(text, length); // copied before the old text goes (it may be the source)
    std::free(m_pText);
    m_pText = l_p;
}

void CHeapString::clear() noexcept {
    std::free(m_pText);
    m_pText = nullptr;
}

unsigned int CHeapString::getLength() const noexcept {
    return m_pText != nullptr ? unsigned(std::strlen(m_pText)) : 0u;
}

} // namespace vexl
