// The node itself: shared null nodes, construction, destruction, whole-field copy, assignment
// and swap, name, comments, ID, and the inner hook arguments of a running packet operation.

#include <cstdlib>
#include <cstring>
#include <deque>
#include <new>
#include <vector>

#include "tree/fields_vector.h"
#include "tree/slot_ops.h"
#include "vexl/fields.h"

namespace vexl {

// MARK: - Shared null nodes

// Constant-initialised: usable from other libraries' static constructors.
constinit const CFields CFields::null{};
const CFields &CFields::nullRef = CFields::null;
// One per thread; failed non-const name lookups reset it before returning it.
constinit thread_local CFields CFields::freeNull{};
constinit const tPacketExpInfo CFields::nullPktExp{};

namespace {

// MARK: - Inner hook arguments (Private)

// The hook calls running on this thread, innermost last. A hook may run a packet operation on
// another field (or the same one), so entries nest. A deque keeps the record an outer hook holds
// in place while inner calls are added and removed at the end.
struct tIsaEntry {
    const CFields *pField;
    tInnerSupportedArgs4ESK tArgs;
};
thread_local std::deque<tIsaEntry> t_vecIsa;
constinit const tInnerSupportedArgs4ESK s_tZeroIsa{};

const char *const s_szSetValue = "vexl::CFields::setValue";

} // namespace

const tInnerSupportedArgs4ESK &CFields::pkt_GetISA4ESK() const noexcept {
    for (auto l_it = t_vecIsa.rbegin(); l_it != t_vecIsa.rend(); ++l_it)
        if (l_it->pField == this)
            return l_it->tArgs;
    return s_tZeroIsa;
}

void CFields::pkt_enterISA4ESK(const tInnerSupportedArgs4ESK &args) const {
    t_vecIsa.push_back({this, args});
}

void CFields::pkt_leaveISA4ESK() const noexcept {
    for (size_t i = t_vecIsa.size(); i-- > 0;) {
        if (t_vecIsa[i].pField == this) {
            if (i + 1 == t_vecIsa.size())
                t_vecIsa.pop_back();
            else
                t_vecIsa.erase(t_vecIsa.begin() + std::ptrdiff_t(i));
            return;
        }
    }
}

// MARK: - Construction and destruction

CFields::CFields(E_DataType type) : CFields() {
    setValue(type);
}

CFields::CFields(bool value) : CFields() {
    m_uActValue.m_bValue = value;
    m_ucSlots = DT_bool;
}

CFields::CFields(int value) : CFields(static_cast<long long>(value)) {}
CFields::CFields(long value) : CFields(static_cast<long long>(value)) {}

CFields::CFields(long long value) : CFields() {
    m_uActValue.m_llValue = value;
    m_ucSlots = DT_sint;
}

CFields::CFields(unsigned int value) : CFields(static_cast<unsigned long long>(value)) {}
CFields::CFields(unsigned long value) : CFields(static_cast<unsigned long long>(value)) {}

CFields::CFields(unsigned long long value) : CFields() {
    m_uActValue.m_ullValue = value;
    m_ucSlots = DT_uint;
}

CFields::CFields(double value) : CFields() {
    m_uActValue.m_dValue = value;
    m_ucSlots = DT_double;
}

CFields::CFields(const char *text) : CFields() {
    if (text == nullptr)
        raiseLogicError("[%s#%d] Value paramter has NULL pointer", s_szSetValue, __LINE__);
    size_t l_uLen = std::strlen(text);
    if (l_uLen > MAX_CODELIST_LENGTH)
        raiseLogicError("[%s#%d] a_uiSrcLen too big for prefixing", "vexl::duplicatePrefixedStream",
                        __LINE__);
    m_uActValue.m_cpValue = duplicatePrefixedStream(text, unsigned(l_uLen));
    m_ucSlots = DT_codelist | slot::OWNED;
}

CFields::CFields(const char *text, unsigned int length) : CFields() {
    if (text == nullptr)
        raiseLogicError("[%s#%d] Value paramter has NULL pointer", s_szSetValue, __LINE__);
    m_uActValue.m_cpValue = duplicatePrefixedStream(text, length);
    m_ucSlots = DT_codelist | slot::OWNED;
}

CFields::CFields(const std::string &text) : CFields() {
    if (text.size() > MAX_CODELIST_LENGTH)
        raiseLogicError("[%s#%d] a_uiSrcLen too big for prefixing", "vexl::duplicatePrefixedStream",
                        __LINE__);
    m_uActValue.m_cpValue = duplicatePrefixedStream(text.data(), unsigned(text.size()));
    m_ucSlots = DT_codelist | slot::OWNED;
}

CFields::CFields(std::string_view text) : CFields() {
    if (text.size() > MAX_CODELIST_LENGTH)
        raiseLogicError("[%s#%d] a_uiSrcLen too big for prefixing", "vexl::duplicatePrefixedStream",
                        __LINE__);
    // An empty view may have no data pointer; its copy is an empty list all the same.
    m_uActValue.m_cpValue = duplicatePrefixedStream(text.empty() ? "" : text.data(), unsigned(text.size()));
    m_ucSlots = DT_codelist | slot::OWNED;
}

CFields::CFields(const CStaticString &text) : CFields() {
    if (text.getData() == nullptr)
        raiseLogicError("[%s#%d] Value paramter has NULL pointer", s_szSetValue, __LINE__);
    m_uActValue.m_cpValue = text.getData();
    m_ucSlots = DT_codelist;
}

CFields::CFields(const CFields &other) : CFields() {
    cloneFrom(other);
}

void CFields::destroyParts() noexcept {
    if (m_ucSlots != 0) {
        slot::release(m_uActValue, actBits());
        slot::release(m_uSecValue, secBits());
        m_ucSlots = 0;
    }
    if (m_pComments != nullptr)
        destroyComments();
}

// MARK: - Internals (Private)

void CFields::clearActual() noexcept {
    slot::release(m_uActValue, actBits());
    setActBits(0);
}

void CFields::clearSecond() noexcept {
    slot::release(m_uSecValue, secBits());
    setSecBits(0);
    m_ucVK = VK_Actual;
}

void CFields::destroyComments() noexcept {
    delete[] m_pComments;
    m_pComments = nullptr;
}

void CFields::resetToNull() noexcept {
    this->~CFields();
    new (this) CFields();
}

bool CFields::isBareValue() const noexcept {
    return m_uiID == 0 && m_tName.getLength() == 0 && m_tPEI.uVarWidth == 0 && m_tPEI.uLength() == 0 &&
           m_pOSA == nullptr && m_nOffsetStart == 0 && m_nOffsetEnd == 0;
}

// Whole-field copy into a fresh (all-zero) node. Returns false, having copied only the actual
// value, when `src` holds a container as its second value.
bool CFields::cloneFrom(const CFields &src) {
    if (!isValidVK(src.getVK()))
        raiseLogicError("[%s#%d] Unknown value type(%d)", s_szSetValue, __LINE__, int(src.m_ucVK));
    m_uActValue = slot::clone(src.m_uActValue, src.actBits());
    setActBits(src.actBits());
    if (src.m_ucVK != VK_Actual) {
        if (slot::isContainer(src.secBits()))
            return false;
        m_uSecValue = slot::clone(src.m_uSecValue, src.secBits());
        setSecBits(src.secBits());
        m_ucVK = src.m_ucVK;
    }
    m_uiID = src.m_uiID;
    m_tPEI = src.m_tPEI;
    m_pOSA = src.m_pOSA;
    m_tName.setData(src.m_tName);
    if (src.m_pComments != nullptr) {
        m_pComments = new CHeapString[3];
        for (int i = 0; i < 3; ++i)
            m_pComments[i] = src.m_pComments[i];
    }
    m_nOffsetStart = src.m_nOffsetStart;
    m_nOffsetEnd = src.m_nOffsetEnd;
    return true;
}

// Takes over `src`'s value kind and values as `setValue(const CFields &)` installs them: the
// actual slot always, the second slot only when `src`'s kind is not VK_Actual.
void CFields::stealValues(CFields &src) noexcept {
    clearActual();
    m_uActValue = src.m_uActValue;
    setActBits(src.actBits());
    src.m_uActValue.m_ullValue = 0;
    src.setActBits(0);
    if (src.m_ucVK != VK_Actual) {
        clearSecond();
        m_uSecValue = src.m_uSecValue;
        setSecBits(src.secBits());
        src.m_uSecValue.m_ullValue = 0;
        src.setSecBits(0);
    }
    m_ucVK = src.m_ucVK;
    if (slot::hasChildren(m_uActValue, actBits()))
        bumpIdEpoch();
}

// Takes over the whole of `src` as `setField` installs it (the ID only when `src` has one).
void CFields::stealField(CFields &src) noexcept {
    destroyComments();
    stealValues(src);
    if (src.m_uiID != 0 && src.m_uiID != m_uiID) {
        m_uiID = src.m_uiID;
        bumpIdEpoch();
    }
    m_tPEI = src.m_tPEI;
    m_pOSA = src.m_pOSA;
    if (!(m_tName == src.m_tName) || m_tName.getLength() != src.m_tName.getLength())
        bumpNameEpoch();
    m_tName = std::move(src.m_tName);
    m_pComments = src.m_pComments;
    src.m_pComments = nullptr;
    m_nOffsetStart = src.m_nOffsetStart;
    m_nOffsetEnd = src.m_nOffsetEnd;
}

// MARK: - Whole-field copy, assignment and swap

bool CFields::setField(const CFields &other) {
    if (&other == this)
        return true;
    CFields l_tmp; // the copy is complete before anything of this node goes (A19)
    if (!l_tmp.cloneFrom(other)) {
        destroyComments();
        clearActual();
        clearSecond();
        stealValues(l_tmp);
        return false;
    }
    stealField(l_tmp);
    return true;
}

CFields &CFields::operator=(CFields other) {
    if (other.isBareValue())
        stealValues(other);
    else
        stealField(other);
    return *this;
}

CFields &CFields::operator=(E_DataType type) {
    setValue(type);
    return *this;
}
CFields &CFields::operator=(bool value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(int value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(long value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(long long value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(unsigned int value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(unsigned long value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(unsigned long long value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(double value) {
    setValue(value);
    return *this;
}
CFields &CFields::operator=(const char *text) {
    setValue(text);
    return *this;
}
CFields &CFields::operator=(const std::string &text) {
    setValue(text);
    return *this;
}
CFields &CFields::operator=(std::string_view text) {
    setValue(text);
    return *this;
}
CFields &CFields::operator=(const CStaticString &text) {
    setValue(text);
    return *this;
}

void CFields::swapValue(CFields &other, bool withPkt) {
    if (&other == this)
        return;
    uMultiValue l_u = m_uActValue;
    m_uActValue = other.m_uActValue;
    other.m_uActValue = l_u;
    uint8_t l_bits = actBits();
    setActBits(other.actBits());
    other.setActBits(l_bits);
    if (withPkt) {
        tPacketExpInfo l_pei = m_tPEI;
        m_tPEI = other.m_tPEI;
        other.m_tPEI = l_pei;
        if (other.m_pOSA != nullptr) {
            const void *l_p = m_pOSA;
            m_pOSA = other.m_pOSA;
            other.m_pOSA = l_p;
        }
    }
    bumpIdEpoch();
}

void CFields::swapField(CFields &other, bool withPkt) {
    if (&other == this)
        return;
    if (other.m_uiID != 0) {
        uint32_t l_id = m_uiID;
        m_uiID = other.m_uiID;
        other.m_uiID = l_id;
    }
    swapValue(other, withPkt);
    CHeapString *l_pc = m_pComments;
    m_pComments = other.m_pComments;
    other.m_pComments = l_pc;
    int32_t l_n = m_nOffsetStart;
    m_nOffsetStart = other.m_nOffsetStart;
    other.m_nOffsetStart = l_n;
    l_n = m_nOffsetEnd;
    m_nOffsetEnd = other.m_nOffsetEnd;
    other.m_nOffsetEnd = l_n;
    if (other.m_tName.getLength() != 0) {
        m_tName.swap(other.m_tName);
        bumpNameEpoch();
    }
}

// MARK: - Name

bool CFields::setNameChecked(const char *name, unsigned int length, E_DuplicationPolicy policy) {
    if (name == nullptr || length < 1 || length > CAllotString::MAX_LENGTH)
        return false;
    bool l_bSame = m_tName.getLength() == length && std::memcmp(m_tName.getData(), name, length) == 0;
    if (!m_tName.setData(name, length, policy))
        return false;
    if (!l_bSame)
        bumpNameEpoch();
    return true;
}

bool CFields::setName(const char *name) {
    if (name == nullptr)
        return false;
    size_t l_uLen = std::strlen(name);
    if (l_uLen > CAllotString::MAX_LENGTH)
        return false;
    return setNameChecked(name, unsigned(l_uLen), DP_Duplicate);
}

bool CFields::setName(const char *name, unsigned int length) {
    return setNameChecked(name, length, DP_Duplicate);
}

bool CFields::setName(const char *name, unsigned int length, E_DuplicationPolicy policy) {
    return setNameChecked(name, length, policy);
}

// MARK: - Comments

void CFields::setComment(const char *text, unsigned int length, E_CommentPosition position) {
    if (uint32_t(position) > CP_Tail)
        raiseLogicError("[%s#%d] Unknown comment position(%d)", "vexl::CFields::setComment", __LINE__,
                        int(position));
    CHeapString l_tNew;
    l_tNew.setComment(text, length); // validates, and copies before the old text goes
    if (m_pComments == nullptr)
        m_pComments = new CHeapString[3];
    m_pComments[position] = std::move(l_tNew);
}

void CFields::setComment(const char *text, E_CommentPosition position) {
    if (text == nullptr)
        raiseLogicError("mismatched condition");
    size_t l_uLen = std::strlen(text);
    if (l_uLen > 0x7FFFFFFEu)
        l_uLen = 0x7FFFFFFEu;
    setComment(text, unsigned(l_uLen), position);
}

void CFields::setComment(const std::string &text, E_CommentPosition position) {
    size_t l_uLen = text.size() > 0x7FFFFFFEu ? 0x7FFFFFFEu : text.size();
    setComment(text.data(), unsigned(l_uLen), position);
}

void CFields::setComment(std::string_view text, E_CommentPosition position) {
    size_t l_uLen = text.size() > 0x7FFFFFFEu ? 0x7FFFFFFEu : text.size();
    setComment(text.empty() ? "" : text.data(), unsigned(l_uLen), position);
}

const char *CFields::getCommentPtr(E_CommentPosition position) const noexcept {
    if (m_pComments == nullptr || uint32_t(position) > CP_Tail)
        return nullptr;
    return m_pComments[position].getData();
}

unsigned int CFields::getCommentLen(E_CommentPosition position) const noexcept {
    if (m_pComments == nullptr || uint32_t(position) > CP_Tail)
        return 0;
    return m_pComments[position].getLength();
}

std::string CFields::getCommentCopy(E_CommentPosition position) const {
    const char *l_p = getCommentPtr(position);
    return l_p != nullptr ? std::string(l_p) : std::string();
}

bool CFields::hasComment(E_CommentPosition position) const noexcept {
    return getCommentPtr(position) != nullptr;
}

// MARK: - ID

bool CFields::setID(unsigned int id) noexcept {
    if (id > maxID)
        return false;
    if (id != m_uiID) {
        m_uiID = id;
        if (id != 0)
            bumpIdEpoch();
    }
    return true;
}

} // namespace vexl
