// Children of `DT_fields`/`DT_array` nodes: adding, indexing, finding, counting, copying out and
// removing, and the rules on names and IDs among children.

#include <cstring>
#include <vector>

#include "tree/fields_vector.h"
#include "tree/slot_ops.h"
#include "vexl/fields.h"

namespace vexl {

namespace {

const char *const s_szIndex = "vexl::CFields::operator []";
const char *const s_szNoSequence = "[%s#%d] m_tValue.m_tActValue.m_uMultiValue.m_pFV=NULL memory pointer";

// Name length of a zero-terminated name; names above 255 bytes can never match a child, so the
// measure stops at 256.
inline unsigned int measureName(const char *name) noexcept {
    return name != nullptr ? unsigned(strnlen(name, CAllotString::MAX_LENGTH + 1)) : 0u;
}

} // namespace

// MARK: - Internals (Private)

void CFields::becomeContainer(bool fields) {
    // A bare-value assignment of an empty container: name, ID, comments and packet expression
    // stay; the value kind becomes VK_Actual.
    CFieldsVector *l_pSeq = CFieldsVector::create(0);
    clearSecond();
    clearActual();
    m_uActValue.m_pFV = l_pSeq;
    setActBits(uint8_t(fields ? DT_fields : DT_array));
}

CFieldsVector *&CFields::requireSequence(const char *function) {
    if (m_uActValue.m_pFV == nullptr)
        raiseLogicError(s_szNoSequence, function, __LINE__);
    return m_uActValue.m_pFV;
}

CFields *CFields::childAdd(const char *name, unsigned int length, unsigned int id, bool forceNew,
                           bool &existed, const char *function) {
    existed = false;
    if (name == nullptr)
        length = 0;
    E_DataType l_dt = getDT();
    if (l_dt == DT_null) {
        becomeContainer(length != 0);
        l_dt = getDT();
    }
    if (l_dt != DT_fields && l_dt != DT_array)
        raiseLogicError("[%s#%d] requires DT_fields or DT_array", function, __LINE__);
    CFieldsVector *&l_rSeq = requireSequence(function);
    if (l_dt == DT_array)
        return &CFieldsVector::appendNull(l_rSeq);

    if (!forceNew) {
        if (length != 0) {
            int l_n = l_rSeq->findName(name, length);
            if (l_n >= 0) {
                existed = true;
                return &(*l_rSeq)[uint32_t(l_n)];
            }
        }
        if (id != 0 && id <= maxID) {
            const CFields *l_pFound = nullptr;
            if (m_uiID == id)
                l_pFound = this;
            else if (l_rSeq->mayHaveID(id))
                l_pFound = findID(id);
            if (l_pFound != nullptr) {
                existed = true;
                return const_cast<CFields *>(l_pFound);
            }
        }
    }

    CFields &l_child = CFieldsVector::appendNull(l_rSeq);
    if (length >= 1 && length <= CAllotString::MAX_LENGTH)
        l_child.m_tName.setData(name, length, DP_Duplicate); // a new child: no index sees it yet
    if (id != 0 && id <= maxID) {
        l_child.m_uiID = id;
        l_rSeq->noteAppendedID(id, bumpIdEpoch());
    }
    return &l_child;
}

// MARK: - Adding

CFields &CFields::addChildRef(const char *name, unsigned int id, bool forceNew) {
    bool l_bExisted;
    return *childAdd(name, measureName(name), id, forceNew, l_bExisted, "vexl::CFields::addChildRef");
}

CFields *CFields::addChildPtr(const char *name, unsigned int id, bool forceNew) {
    bool l_bExisted;
    CFields *l_p = childAdd(name, measureName(name), id, forceNew, l_bExisted, "vexl::CFields::addChildPtr");
    return l_bExisted ? nullptr : l_p;
}

CFields &CFields::child_AddRef(const char *name, unsigned int length, unsigned int id, bool forceNew) {
    bool l_bExisted;
    return *childAdd(name, length, id, forceNew, l_bExisted, "vexl::CFields::child_AddRef");
}

CFields *CFields::child_AddPtr(const char *name, unsigned int length, unsigned int id, bool forceNew) {
    bool l_bExisted;
    CFields *l_p = childAdd(name, length, id, forceNew, l_bExisted, "vexl::CFields::child_AddPtr");
    return l_bExisted ? nullptr : l_p;
}

CFields &CFields::addArrayAt(const CFields &value, bool valueOnly) {
    const char *const l_szFn = "vexl::CFields::addArrayAt";
    E_DataType l_dt = getDT();
    if (l_dt != DT_array && l_dt != DT_null)
        raiseLogicError("[%s#%d] requires DT_array", l_szFn, __LINE__);
    // The copy is complete before the array changes: `value` may be one of its elements.
    CFields l_tmp;
    if (valueOnly)
        l_tmp.setValue(value);
    else
        l_tmp.cloneFrom(value);
    if (l_dt == DT_null)
        becomeContainer(false);
    CFieldsVector *&l_rSeq = requireSequence(l_szFn);
    bool l_bIds = l_tmp.m_uiID != 0 || slot::hasChildren(l_tmp.m_uActValue, l_tmp.actBits());
    CFields &l_child = CFieldsVector::appendMove(l_rSeq, std::move(l_tmp));
    if (l_bIds)
        bumpIdEpoch();
    return l_child;
}

CFields &CFields::addArrayAt(CFields &&value) {
    return addArrayAt(static_cast<const CFields &>(value), false);
}

void CFields::resizeArray(unsigned int count) {
    const char *const l_szFn = "vexl::CFields::resizeArray";
    E_DataType l_dt = getDT();
    if (l_dt != DT_array && l_dt != DT_null)
        raiseLogicError("[%s#%d] requires DT_array", l_szFn, __LINE__);
    if (l_dt == DT_null)
        becomeContainer(false);
    if (count == 0) {
        removeChildAll();
        return;
    }
    CFieldsVector *&l_rSeq = requireSequence(l_szFn);
    if (count < l_rSeq->count()) {
        l_rSeq->truncate(count);
        if (l_rSeq->count() != count)
            raiseLogicError("mismatched condition");
        return;
    }
    CFieldsVector::reserve(l_rSeq, count);
    while (l_rSeq->count() < count)
        CFieldsVector::appendNull(l_rSeq);
}

bool CFields::reserveChildren(unsigned int count) {
    if (children() == nullptr)
        return false;
    CFieldsVector::reserve(m_uActValue.m_pFV, count);
    return true;
}

// MARK: - Indexing

CFields &CFields::operator[](unsigned int index) {
    E_DataType l_dt = getDT();
    if (l_dt != DT_fields && l_dt != DT_array)
        raiseLogicError("[%s#%d] requires DT_fields or DT_array", s_szIndex, __LINE__);
    CFieldsVector *l_pSeq = requireSequence(s_szIndex);
    if (index >= l_pSeq->count())
        raiseLogicError("[%s#%d] found not a field for the index", s_szIndex, __LINE__);
    return (*l_pSeq)[index];
}

CFields &CFields::operator[](int index) {
    if (index < 0)
        raiseLogicError("[%s#%d] index cannot be negative", s_szIndex, __LINE__);
    return (*this)[unsigned(index)];
}

CFields &CFields::operator[](unsigned long index) {
    if (index > 0xFFFFFFFFul)
        index = 0xFFFFFFFFul; // out of range for every sequence
    return (*this)[unsigned(index)];
}

CFields &CFields::operator[](long index) {
    if (index < 0)
        raiseLogicError("[%s#%d] index cannot be negative", s_szIndex, __LINE__);
    return (*this)[static_cast<unsigned long>(index)];
}

const CFields &CFields::operator[](unsigned int index) const {
    E_DataType l_dt = getDT();
    if (l_dt != DT_fields && l_dt != DT_array)
        raiseLogicError("[%s#%d] requires DT_array or DT_fields", s_szIndex, __LINE__);
    return getChildAt(index);
}

const CFields &CFields::operator[](int index) const {
    if (index < 0)
        raiseLogicError("[%s#%d] index cannot be negative", s_szIndex, __LINE__);
    return (*this)[unsigned(index)];
}

const CFields &CFields::operator[](unsigned long index) const {
    if (index > 0xFFFFFFFFul)
        index = 0xFFFFFFFFul;
    return (*this)[unsigned(index)];
}

const CFields &CFields::operator[](long index) const {
    if (index < 0)
        raiseLogicError("[%s#%d] index cannot be negative", s_szIndex, __LINE__);
    return (*this)[static_cast<unsigned long>(index)];
}

CFields &CFields::operator[](const std::string &name) {
    const CFields *l_p = findChildAt(name.data(), unsigned(name.size() > 256 ? 256 : name.size()));
    return l_p != nullptr ? *const_cast<CFields *>(l_p) : resetFreeNull();
}

CFields &CFields::operator[](const CStaticString &name) {
    return (*this)[name.getData()];
}

const CFields &CFields::operator[](const std::string &name) const {
    const CFields *l_p = findChildAt(name.data(), unsigned(name.size() > 256 ? 256 : name.size()));
    return l_p != nullptr ? *l_p : nullRef;
}

const CFields &CFields::operator[](const CStaticString &name) const {
    return (*this)[name.getData()];
}

// MARK: - Finding and counting

const CFields *CFields::findIndexed(const char *name, unsigned int length) const {
    int l_n = m_uActValue.m_pFV->findName(name, length);
    return l_n >= 0 ? &(*m_uActValue.m_pFV)[uint32_t(l_n)] : nullptr;
}

CFields &CFields::resetFreeNull() noexcept {
    freeNull.resetToNull(); // whatever a caller wrote into it before is discarded
    return freeNull;
}

unsigned int CFields::getMemberCount(const CFields *start) const {
    const CFields *l_pStart = start != nullptr ? start : this;
    unsigned int l_uCount = 0;
    std::vector<const CFieldsVector *> l_vecStack;
    if (const CFieldsVector *l_pSeq = l_pStart->children())
        l_vecStack.push_back(l_pSeq);
    while (!l_vecStack.empty()) {
        const CFieldsVector *l_pSeq = l_vecStack.back();
        l_vecStack.pop_back();
        l_uCount += l_pSeq->count();
        for (uint32_t i = 0; i < l_pSeq->count(); ++i)
            if (const CFieldsVector *l_pSub = (*l_pSeq)[i].children();
                l_pSub != nullptr && l_pSub->count() != 0)
                l_vecStack.push_back(l_pSub);
    }
    return l_uCount;
}

bool CFields::emptyChild() const noexcept {
    E_DataType l_dt = getDT();
    if (l_dt == DT_null)
        return true;
    if (l_dt == DT_fields || l_dt == DT_array)
        return getChildCount() == 0;
    return false;
}

const CFields *CFields::findID(unsigned int id, const CFields *start) const {
    if (id == 0 || id > maxID)
        return nullptr;
    const CFields *l_pStart = start != nullptr ? start : this;
    if (l_pStart->m_uiID == id)
        return l_pStart;
    // Depth first, parents before children, earlier siblings first.
    struct tFrame {
        const CFieldsVector *pSeq;
        uint32_t uNext;
    };
    std::vector<tFrame> l_vecStack;
    if (const CFieldsVector *l_pSeq = l_pStart->children(); l_pSeq != nullptr && l_pSeq->count() != 0)
        l_vecStack.push_back({l_pSeq, 0});
    while (!l_vecStack.empty()) {
        tFrame &l_top = l_vecStack.back();
        if (l_top.uNext >= l_top.pSeq->count()) {
            l_vecStack.pop_back();
            continue;
        }
        const CFields &l_child = (*l_top.pSeq)[l_top.uNext++];
        if (l_child.m_uiID == id)
            return &l_child;
        if (const CFieldsVector *l_pSub = l_child.children(); l_pSub != nullptr && l_pSub->count() != 0)
            l_vecStack.push_back({l_pSub, 0});
    }
    return nullptr;
}

int CFields::getChildIdx4ID(unsigned int id) const {
    if (id == 0)
        return -1;
    const CFieldsVector *l_pSeq = children();
    if (l_pSeq == nullptr)
        return -1;
    for (uint32_t i = 0; i < l_pSeq->count(); ++i)
        if ((*l_pSeq)[i].m_uiID == id)
            return int(i);
    return -1;
}

int CFields::getChildIdx4Name(const char *name, unsigned int length) const {
    const CFieldsVector *l_pSeq = children();
    if (l_pSeq == nullptr || name == nullptr || length == 0)
        return -1;
    return l_pSeq->findName(name, length);
}

unsigned int CFields::getChildID4Name(const char *name, unsigned int length) const {
    int l_n = getChildIdx4Name(name, length);
    return l_n >= 0 ? (*children())[uint32_t(l_n)].m_uiID : 0u;
}

unsigned int CFields::getChildID4Name(const char *name) const {
    return getChildID4Name(name, measureName(name));
}

const char *CFields::getChildName4ID(unsigned int id) const {
    int l_n = getChildIdx4ID(id);
    return l_n >= 0 ? (*children())[uint32_t(l_n)].getName() : "";
}

bool CFields::setChildName4ID(unsigned int id, const char *name) {
    if (id == 0 || name == nullptr)
        return false;
    int l_n = getChildIdx4ID(id);
    if (l_n < 0)
        return false;
    return (*children())[uint32_t(l_n)].setName(name);
}

// MARK: - Copying out

CFields CFields::copyChildAt(unsigned int index, const CFields &fallback) const {
    const CFields &l_child = (*this)[index];
    return &l_child != &nullRef ? CFields(l_child) : CFields(fallback);
}

CFields CFields::copyChildAt(int index, const CFields &fallback) const {
    if (index < 0) {
        E_DataType l_dt = getDT();
        if (l_dt != DT_fields && l_dt != DT_array)
            raiseLogicError("[%s#%d] requires DT_array or DT_fields", s_szIndex, __LINE__);
        return CFields(fallback);
    }
    return copyChildAt(unsigned(index), fallback);
}

CFields CFields::copyChildAt(const char *name, unsigned int length, const CFields &fallback) const {
    const CFields *l_p = findChildAt(name, length);
    return CFields(l_p != nullptr ? *l_p : fallback);
}

CFields CFields::copyChildAt(const char *name, const CFields &fallback) const {
    return copyChildAt(name, measureName(name), fallback);
}

CFields CFields::copyChildAt(const std::string &name, const CFields &fallback) const {
    return copyChildAt(name.data(), unsigned(name.size() > 256 ? 256 : name.size()), fallback);
}

// MARK: - Removing

bool CFields::removeChildAt(unsigned int index, CFields *out) {
    CFieldsVector *l_pSeq = children();
    if (l_pSeq == nullptr || index >= l_pSeq->count())
        return false;
    if (out != nullptr)
        out->setField((*l_pSeq)[index]);
    l_pSeq = children(); // `out` may have been this node's own relative
    if (l_pSeq == nullptr || index >= l_pSeq->count())
        return true;
    l_pSeq->removeAt(index);
    return true;
}

bool CFields::removeChildAt(int index, CFields *out) {
    return index >= 0 ? removeChildAt(unsigned(index), out) : false;
}

bool CFields::removeChildAt(const char *name, unsigned int length, CFields *out) {
    if (getDT() != DT_fields || name == nullptr || length == 0)
        return false;
    CFieldsVector *l_pSeq = children();
    if (l_pSeq == nullptr)
        return false;
    int l_n = l_pSeq->findName(name, length);
    if (l_n < 0)
        return false;
    return removeChildAt(unsigned(l_n), out);
}

bool CFields::removeChildAt(const char *name, CFields *out) {
    return removeChildAt(name, measureName(name), out);
}

bool CFields::removeChildAt(const std::string &name, CFields *out) {
    return removeChildAt(name.data(), unsigned(name.size() > 256 ? 256 : name.size()), out);
}

void CFields::removeChildAll() {
    E_DataType l_dt = getDT();
    if (l_dt != DT_fields && l_dt != DT_array)
        return;
    m_nOffsetStart = 0;
    m_nOffsetEnd = 0;
    if (CFieldsVector *l_pSeq = m_uActValue.m_pFV)
        l_pSeq->clear();
}

void CFields::removeAll(E_DataType type) {
    if (!isValidDT(type))
        raiseLogicError("[%s#%d] Unknown data type(%d)", "vexl::CFields::removeAll", __LINE__, int(type));
    removeChildAll();
    clearSecond();
    clearActual();
    // A container type is set without a children sequence (see the header).
    setActBits(uint8_t(type));
}

} // namespace vexl
