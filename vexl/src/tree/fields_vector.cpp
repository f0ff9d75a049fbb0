// The children sequence: storage, whole-node relocation, and the lazy name index and subtree ID
// cache of large records (see fields_vector.h for the invalidation rules).

#include "tree/fields_vector.h"

#include "tree/slot_ops.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace vexl {

namespace {

// FNV-1a over the name's bytes.
inline uint32_t hashName(const char *name, uint32_t length) noexcept {
    uint32_t l_h = 2166136261u;
    for (uint32_t i = 0; i < length; ++i) {
        l_h ^= static_cast<unsigned char>(name[i]);
        l_h *= 16777619u;
    }
    return l_h;
}

// Byte comparison of short names without a library call (names are mostly a few bytes).
inline bool equalBytes(const char *a, const char *b, uint32_t length) noexcept {
    if (length > 16)
        return std::memcmp(a, b, length) == 0;
    for (uint32_t i = 0; i < length; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

inline bool sameName(const CAllotString &holder, const char *name, uint32_t length) noexcept {
    return holder.getLength() == length && equalBytes(holder.getData(), name, length);
}

// Multiplicative hash of an ID for the open-addressing set.
inline uint32_t hashID(uint32_t id) noexcept {
    return id * 2654435769u;
}

} // namespace

// MARK: - Index records (Private)

struct CFieldsVector::CNameIndex {
    uint64_t m_ullEpoch = 0;
    uint32_t m_uiIndexed = 0; // children 0 .. m_uiIndexed-1 are covered
    uint32_t m_uiUsed = 0;
    uint32_t m_uiMask = 0;
    // Each slot: hash << 32 | (child index + 1); 0 is empty.
    std::vector<uint64_t> m_vecSlots;

    void reset(uint64_t epoch, uint32_t expected) {
        uint32_t l_uCap = 16;
        while (l_uCap < expected * 2)
            l_uCap <<= 1;
        m_vecSlots.assign(l_uCap, 0);
        m_uiMask = l_uCap - 1;
        m_uiUsed = 0;
        m_uiIndexed = 0;
        m_ullEpoch = epoch;
    }

    void rehash() {
        std::vector<uint64_t> l_vecOld;
        l_vecOld.swap(m_vecSlots);
        uint32_t l_uCap = uint32_t(l_vecOld.size()) * 2;
        m_vecSlots.assign(l_uCap, 0);
        m_uiMask = l_uCap - 1;
        for (uint64_t l_slot : l_vecOld) {
            if (l_slot == 0)
                continue;
            uint32_t l_i = uint32_t(l_slot >> 32) & m_uiMask;
            while (m_vecSlots[l_i] != 0)
                l_i = (l_i + 1) & m_uiMask;
            m_vecSlots[l_i] = l_slot;
        }
    }

    // Adds child `index` unless a child with the same name is indexed already (first wins).
    void insert(const CFields *items, uint32_t index, const char *name, uint32_t length) {
        if ((m_uiUsed + 1) * 2 > m_vecSlots.size())
            rehash();
        uint32_t l_h = hashName(name, length);
        uint32_t l_i = l_h & m_uiMask;
        while (m_vecSlots[l_i] != 0) {
            uint64_t l_slot = m_vecSlots[l_i];
            if (uint32_t(l_slot >> 32) == l_h &&
                sameName(items[uint32_t(l_slot) - 1].getNameHolder(), name, length))
                return;
            l_i = (l_i + 1) & m_uiMask;
        }
        m_vecSlots[l_i] = (uint64_t(l_h) << 32) | (uint64_t(index) + 1);
        ++m_uiUsed;
    }

    // Index of the indexed child named `name`, -1 when there is none, or -2 when an entry on
    // the way no longer matches its child (the child lost its name by being moved out, which
    // could hide a later namesake): the index must then be rebuilt.
    int find(const CFields *items, const char *name, uint32_t length) const {
        uint32_t l_h = hashName(name, length);
        uint32_t l_i = l_h & m_uiMask;
        while (m_vecSlots[l_i] != 0) {
            uint64_t l_slot = m_vecSlots[l_i];
            if (uint32_t(l_slot >> 32) == l_h) {
                uint32_t l_idx = uint32_t(l_slot) - 1;
                const CAllotString &l_tName = items[l_idx].getNameHolder();
                if (sameName(l_tName, name, length))
                    return int(l_idx);
                if (l_tName.getLength() == 0 || hashName(l_tName.getData(), l_tName.getLength()) != l_h)
                    return -2;
            }
            l_i = (l_i + 1) & m_uiMask;
        }
        return -1;
    }
};

struct CFieldsVector::CIdCache {
    uint64_t m_ullEpoch = 0;
    uint32_t m_uiUsed = 0;
    uint32_t m_uiMask = 0;
    std::vector<uint32_t> m_vecSlots; // IDs; 0 is empty (IDs are never 0)

    void reset(uint64_t epoch) {
        m_vecSlots.assign(64, 0);
        m_uiMask = 63;
        m_uiUsed = 0;
        m_ullEpoch = epoch;
    }

    void insert(uint32_t id) {
        if ((m_uiUsed + 1) * 2 > m_vecSlots.size()) {
            std::vector<uint32_t> l_vecOld;
            l_vecOld.swap(m_vecSlots);
            m_vecSlots.assign(l_vecOld.size() * 2, 0);
            m_uiMask = uint32_t(m_vecSlots.size()) - 1;
            m_uiUsed = 0;
            for (uint32_t l_id : l_vecOld)
                if (l_id != 0)
                    insert(l_id);
        }
        uint32_t l_i = hashID(id) & m_uiMask;
        while (m_vecSlots[l_i] != 0) {
            if (m_vecSlots[l_i] == id)
                return;
            l_i = (l_i + 1) & m_uiMask;
        }
        m_vecSlots[l_i] = id;
        ++m_uiUsed;
    }

    bool contains(uint32_t id) const {
        uint32_t l_i = hashID(id) & m_uiMask;
        while (m_vecSlots[l_i] != 0) {
            if (m_vecSlots[l_i] == id)
                return true;
            l_i = (l_i + 1) & m_uiMask;
        }
        return false;
    }
};

// MARK: - Storage

static_assert(std::is_standard_layout_v<CFieldsVector>, "the head and the sequence share one address");
static_assert(sizeof(CFieldsVector) == sizeof(tChildrenHead));
static_assert(alignof(CFields) <= alignof(std::max_align_t));

namespace {

// Bytes of a block with room for `capacity` children.
inline size_t blockBytes(uint64_t capacity) noexcept {
    return sizeof(tChildrenHead) + capacity * sizeof(CFields);
}

} // namespace

CFieldsVector CFieldsVector::s_tEmpty; // trivially constructed: zero-initialised before any code runs

CFieldsVector *CFieldsVector::create(uint32_t capacity) {
    if (capacity == 0)
        return &s_tEmpty;
    void *l_pChunk = nullptr;
    void *l_p = detail::allocChildrenBlock(blockBytes(capacity), true, l_pChunk); // made at its final size
    CFieldsVector *l_pSeq = new (l_p) CFieldsVector();
    l_pSeq->uCount = 0;
    l_pSeq->uCapacity = capacity;
    l_pSeq->pNameIndex = nullptr;
    l_pSeq->pIdCache = nullptr;
    l_pSeq->pReserved = l_pChunk;
    l_pSeq->pPlan = nullptr;
    return l_pSeq;
}

void CFieldsVector::destroyBlock(CFieldsVector *seq) noexcept {
    detail::CReleaseBatch l_batch;
    destroyInto(seq, l_batch);
}

void CFieldsVector::destroyInto(CFieldsVector *seq, detail::CReleaseBatch &batch) noexcept {
    if (seq == nullptr || seq->uCapacity == 0)
        return;
    CFields *const l_pItems = seq->data();
    const uint32_t l_uCount = seq->uCount;
    for (uint32_t i = 0; i < l_uCount; ++i) {
        CFields &l_child = l_pItems[i];
        // Values that own something go with the tree's batch (leaves are only read, so that
        // their memory is not written just before it is given up); the destructor then has
        // only comments and the name left to release.
        if (CFields::slotOwns(l_child.actBits()) || CFields::slotOwns(l_child.secBits())) {
            slot::release(l_child.m_uActValue, l_child.actBits(), batch);
            slot::release(l_child.m_uSecValue, l_child.secBits(), batch);
            l_child.m_ucSlots = 0;
        }
        l_child.~CFields();
    }
    delete seq->nameIndex();
    delete seq->idCache();
    detail::releasePacketPlan(seq->pPlan);
    void *const l_pChunk = seq->pReserved;
    seq->~CFieldsVector();
    batch.release(seq, l_pChunk);
}

CFieldsVector *CFieldsVector::cloneDeep(const CFieldsVector &src) {
    struct tGuard {
        CFieldsVector *p;
        ~tGuard() { destroy(p); }
    } l_guard{create(src.uCount)};
    const CFields *l_pSrc = src.data();
    CFields *l_pDst = l_guard.p->data();
    for (uint32_t i = 0; i < src.uCount; ++i) {
        new (&l_pDst[i]) CFields(l_pSrc[i]);
        ++l_guard.p->uCount;
    }
    CFieldsVector *l_pDone = l_guard.p;
    l_guard.p = nullptr;
    return l_pDone;
}

void CFieldsVector::grow(CFieldsVector *&seq, uint32_t minCapacity, bool exact) {
    // Growth by half the capacity (4, 6, 9, 13, ...): small records stay tight.
    uint64_t l_ullCap = seq->uCapacity < 4 ? 4 : uint64_t(seq->uCapacity) + seq->uCapacity / 2;
    if (l_ullCap < minCapacity || exact)
        l_ullCap = minCapacity;
    if (l_ullCap > 0xFFFFFFFFu)
        l_ullCap = 0xFFFFFFFFu;
    if (l_ullCap <= seq->uCapacity)
        throw std::bad_alloc();
    void *l_pChunk = nullptr;
    void *l_p = detail::allocChildrenBlock(blockBytes(l_ullCap), false, l_pChunk); // growing: from the heap
    CFieldsVector *l_pNew = new (l_p) CFieldsVector();
    l_pNew->uCount = seq->uCount;
    l_pNew->uCapacity = uint32_t(l_ullCap);
    l_pNew->pNameIndex = seq->pNameIndex;
    l_pNew->pIdCache = seq->pIdCache;
    l_pNew->pReserved = l_pChunk;
    // A compiled packet layout describes the old block; the next packet call compiles anew.
    l_pNew->pPlan = nullptr;
    if (seq->pPlan != nullptr) {
        detail::releasePacketPlan(seq->pPlan);
        seq->pPlan = nullptr;
    }
    // Nodes relocate by copying their bytes (see moveAllInto); the old block is released
    // without destroying them.
    if (seq->uCount != 0)
        std::memcpy(static_cast<void *>(l_pNew->data()), static_cast<const void *>(seq->data()),
                    size_t(seq->uCount) * sizeof(CFields));
    if (seq->uCapacity != 0) { // not the shared empty sequence
        l_pChunk = seq->pReserved;
        seq->~CFieldsVector();
        detail::freeChildrenBlock(seq, l_pChunk);
    }
    seq = l_pNew;
}

void CFieldsVector::reserve(CFieldsVector *&seq, uint32_t capacity) {
    if (capacity > seq->uCapacity)
        grow(seq, capacity, true);
}

CFields &CFieldsVector::appendMove(CFieldsVector *&seq, CFields &&node) {
    CFields *l_pItems = seq->data();
    if (&node >= l_pItems && &node < l_pItems + seq->uCount) {
        CFields l_tmp(std::move(node)); // the source would move with the block
        return appendMove(seq, std::move(l_tmp));
    }
    if (seq->uCount == seq->uCapacity)
        grow(seq, seq->uCount + 1);
    CFields *l_p = new (&seq->data()[seq->uCount]) CFields(std::move(node));
    ++seq->uCount;
    return *l_p;
}

CFields *CFieldsVector::appendMember(CFieldsVector *&seq, const CFields &owner, const char *name,
                                     uint32_t length, uint32_t id, bool forceNew) {
    if (name == nullptr)
        length = 0;
    const bool l_bID = id != 0 && id <= CFields::maxID;
    if (!forceNew) {
        if (length != 0 && seq->findName(name, length) >= 0)
            return nullptr;
        if (l_bID) {
            if (owner.m_uiID == id)
                return nullptr;
            if (seq->mayHaveID(id))
                for (uint32_t i = 0; i < seq->uCount; ++i)
                    if ((*seq)[i].findID(id) != nullptr)
                        return nullptr;
        }
    }
    CFields &l_child = appendNull(seq);
    // A new child: no index sees it yet, so its name goes straight into its holder; a long one
    // is made at its final size, like the block its member will move to, so it is carved.
    setFreshName(l_child, name, length);
    if (l_bID) {
        l_child.m_uiID = id;
        seq->noteAppendedID(id, bumpIdEpoch());
    }
    return &l_child;
}

void CFieldsVector::moveAllInto(CFieldsVector *&from, CFields &owner) {
    const uint32_t l_uCount = from->uCount;
    if (l_uCount == 0)
        return;
    if (l_uCount > HANDOVER_COUNT && l_uCount >= from->uCapacity / 2) {
        // A large record: copying it would cost as much as reading it, and its name index
        // stays valid for the same children.
        // The next container at this level is likely as large (up to a point).
        CFieldsVector *l_pNext = create(from->uCapacity < 4096 ? from->uCapacity : 4096);
        destroy(owner.m_uActValue.m_pFV);
        owner.m_uActValue.m_pFV = from;
        from = l_pNext;
        return;
    }
    CFieldsVector *l_pNew = create(l_uCount);
    // A node relocates by copying its bytes: its move leaves nothing for the moved-from node to
    // release, and nothing points into a node.
    CFields *l_pTo = l_pNew->data();
    const CFields *l_pFrom = from->data();
    if (l_uCount <= 4) { // most records and arrays: fixed-size copies, no library call
        for (uint32_t i = 0; i < l_uCount; ++i)
            std::memcpy(static_cast<void *>(l_pTo + i), static_cast<const void *>(l_pFrom + i),
                        sizeof(CFields));
    } else {
        std::memcpy(static_cast<void *>(l_pTo), static_cast<const void *>(l_pFrom),
                    size_t(l_uCount) * sizeof(CFields));
    }
    l_pNew->uCount = l_uCount;
    from->uCount = 0;
    if (from->pNameIndex != nullptr)
        from->dropNameIndex();
    delete from->idCache();
    from->pIdCache = nullptr;
    destroy(owner.m_uActValue.m_pFV);
    owner.m_uActValue.m_pFV = l_pNew;
}

void CFieldsVector::removeAt(uint32_t index) noexcept {
    if (index >= uCount)
        return;
    CFields *l_pItems = data();
    l_pItems[index].~CFields();
    for (uint32_t j = index; j + 1 < uCount; ++j) {
        new (&l_pItems[j]) CFields(std::move(l_pItems[j + 1]));
        l_pItems[j + 1].~CFields();
    }
    --uCount;
    dropNameIndex();
}

void CFieldsVector::truncate(uint32_t count) noexcept {
    if (count >= uCount)
        return;
    CFields *l_pItems = data();
    while (uCount > count) {
        --uCount;
        l_pItems[uCount].~CFields();
    }
    dropNameIndex();
}

void CFieldsVector::dropNameIndex() noexcept {
    delete nameIndex();
    pNameIndex = nullptr;
}

// MARK: - Lookups

int CFieldsVector::findName(const char *name, uint32_t length) const {
    if (name == nullptr || length == 0)
        return -1;
    const CFields *l_pItems = data();
    if (uCount < INDEX_THRESHOLD) {
        const unsigned char l_ucFirst = static_cast<unsigned char>(name[0]);
        for (uint32_t i = 0; i < uCount; ++i) {
            const CAllotString &l_tName = l_pItems[i].m_tName;
            if (l_tName.getLength() == length) {
                const char *l_p = l_tName.getData();
                if (static_cast<unsigned char>(l_p[0]) == l_ucFirst && equalBytes(l_p, name, length))
                    return int(i);
            }
        }
        return -1;
    }
    uint64_t l_ullEpoch = g_ullNameEpoch.load(std::memory_order_relaxed);
    CNameIndex *l_pIndex = nameIndex();
    if (l_pIndex == nullptr) {
        l_pIndex = new CNameIndex();
        const_cast<CFieldsVector *>(this)->pNameIndex = l_pIndex;
    }
    for (int l_nTry = 0;; ++l_nTry) {
        if (l_nTry != 0 || l_pIndex->m_ullEpoch != l_ullEpoch || l_pIndex->m_uiIndexed > uCount)
            l_pIndex->reset(l_ullEpoch, uCount);
        for (uint32_t i = l_pIndex->m_uiIndexed; i < uCount; ++i) {
            const CAllotString &l_tName = l_pItems[i].m_tName;
            if (l_tName.getLength() != 0)
                l_pIndex->insert(l_pItems, i, l_tName.getData(), l_tName.getLength());
        }
        l_pIndex->m_uiIndexed = uCount;
        int l_n = l_pIndex->find(l_pItems, name, length);
        if (l_n != -2 || l_nTry != 0)
            return l_n < 0 ? -1 : l_n;
    }
}

bool CFieldsVector::mayHaveID(uint32_t id) const {
    if (uCount < INDEX_THRESHOLD)
        return true;
    uint64_t l_ullEpoch = g_ullIdEpoch.load(std::memory_order_relaxed);
    CIdCache *l_pCache = idCache();
    if (l_pCache == nullptr) {
        l_pCache = new CIdCache();
        const_cast<CFieldsVector *>(this)->pIdCache = l_pCache;
    }
    if (l_pCache->m_ullEpoch != l_ullEpoch) {
        l_pCache->reset(l_ullEpoch);
        std::vector<const CFieldsVector *> l_vecStack{this};
        while (!l_vecStack.empty()) {
            const CFieldsVector *l_pSeq = l_vecStack.back();
            l_vecStack.pop_back();
            for (uint32_t i = 0; i < l_pSeq->uCount; ++i) {
                const CFields &l_child = (*l_pSeq)[i];
                if (l_child.m_uiID != 0)
                    l_pCache->insert(l_child.m_uiID);
                const CFieldsVector *l_pSub = l_child.children();
                if (l_pSub != nullptr && l_pSub->uCount != 0)
                    l_vecStack.push_back(l_pSub);
            }
        }
    }
    return l_pCache->contains(id);
}

void CFieldsVector::noteAppendedID(uint32_t id, uint64_t epochBefore) noexcept {
    CIdCache *l_pCache = idCache();
    if (l_pCache == nullptr || l_pCache->m_ullEpoch != epochBefore)
        return;
    try {
        l_pCache->insert(id);
        l_pCache->m_ullEpoch = epochBefore + 1;
    } catch (...) {
        l_pCache->m_ullEpoch = 0; // stale: rebuilt on next use
    }
}

} // namespace vexl
