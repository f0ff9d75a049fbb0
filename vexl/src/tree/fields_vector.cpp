// The children sequence: storage, whole-node relocation, and the lazy name index and subtree ID
// cache of large records (see fields_vector.h for the invalidation rules).

#include "tree/fields_vector.h"

#include <cstdlib>
#include <cstring>
#include <new>

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

inline bool sameName(const CAllotString &holder, const char *name, uint32_t length) noexcept {
    return holder.getLength() == length && std::memcmp(holder.getData(), name, length) == 0;
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

CFieldsVector::~CFieldsVector() {
    truncate(0);
    std::free(m_pItems);
    delete m_pNameIndex;
    delete m_pIdCache;
}

CFieldsVector *CFieldsVector::cloneDeep(const CFieldsVector &src) {
    std::unique_ptr<CFieldsVector> l_pNew(new CFieldsVector());
    if (src.m_uiCount != 0) {
        l_pNew->reserve(src.m_uiCount);
        for (uint32_t i = 0; i < src.m_uiCount; ++i) {
            new (&l_pNew->m_pItems[i]) CFields(src.m_pItems[i]);
            ++l_pNew->m_uiCount;
        }
    }
    return l_pNew.release();
}

void CFieldsVector::grow(uint32_t minCapacity) {
    uint64_t l_ullCap = m_uiCapacity < 4 ? 4 : uint64_t(m_uiCapacity) * 2;
    if (l_ullCap < minCapacity)
        l_ullCap = minCapacity;
    if (l_ullCap > 0xFFFFFFFFu)
        l_ullCap = 0xFFFFFFFFu;
    if (l_ullCap <= m_uiCapacity)
        throw std::bad_alloc();
    CFields *l_pNew = static_cast<CFields *>(std::malloc(size_t(l_ullCap) * sizeof(CFields)));
    if (l_pNew == nullptr)
        throw std::bad_alloc();
    for (uint32_t i = 0; i < m_uiCount; ++i) {
        new (&l_pNew[i]) CFields(std::move(m_pItems[i]));
        m_pItems[i].~CFields();
    }
    std::free(m_pItems);
    m_pItems = l_pNew;
    m_uiCapacity = uint32_t(l_ullCap);
}

void CFieldsVector::reserve(uint32_t capacity) {
    if (capacity > m_uiCapacity)
        grow(capacity);
}

CFields &CFieldsVector::appendNull() {
    if (m_uiCount == m_uiCapacity)
        grow(m_uiCount + 1);
    CFields *l_p = new (&m_pItems[m_uiCount]) CFields();
    ++m_uiCount;
    return *l_p;
}

CFields &CFieldsVector::appendMove(CFields &&node) {
    if (&node >= m_pItems && &node < m_pItems + m_uiCount) {
        CFields l_tmp(std::move(node)); // the source would move with the buffer
        return appendMove(std::move(l_tmp));
    }
    if (m_uiCount == m_uiCapacity)
        grow(m_uiCount + 1);
    CFields *l_p = new (&m_pItems[m_uiCount]) CFields(std::move(node));
    ++m_uiCount;
    return *l_p;
}

void CFieldsVector::removeAt(uint32_t index) noexcept {
    if (index >= m_uiCount)
        return;
    m_pItems[index].~CFields();
    for (uint32_t j = index; j + 1 < m_uiCount; ++j) {
        new (&m_pItems[j]) CFields(std::move(m_pItems[j + 1]));
        m_pItems[j + 1].~CFields();
    }
    --m_uiCount;
    dropNameIndex();
}

void CFieldsVector::truncate(uint32_t count) noexcept {
    if (count >= m_uiCount)
        return;
    while (m_uiCount > count) {
        --m_uiCount;
        m_pItems[m_uiCount].~CFields();
    }
    dropNameIndex();
}

void CFieldsVector::dropNameIndex() const noexcept {
    delete m_pNameIndex;
    m_pNameIndex = nullptr;
}

// MARK: - Lookups

int CFieldsVector::findName(const char *name, uint32_t length) const {
    if (name == nullptr || length == 0)
        return -1;
    if (m_uiCount < INDEX_THRESHOLD) {
        for (uint32_t i = 0; i < m_uiCount; ++i)
            if (sameName(m_pItems[i].m_tName, name, length))
                return int(i);
        return -1;
    }
    uint64_t l_ullEpoch = g_ullNameEpoch.load(std::memory_order_relaxed);
    if (m_pNameIndex == nullptr)
        m_pNameIndex = new CNameIndex();
    for (int l_nTry = 0;; ++l_nTry) {
        if (l_nTry != 0 || m_pNameIndex->m_ullEpoch != l_ullEpoch || m_pNameIndex->m_uiIndexed > m_uiCount)
            m_pNameIndex->reset(l_ullEpoch, m_uiCount);
        for (uint32_t i = m_pNameIndex->m_uiIndexed; i < m_uiCount; ++i) {
            const CAllotString &l_tName = m_pItems[i].m_tName;
            if (l_tName.getLength() != 0)
                m_pNameIndex->insert(m_pItems, i, l_tName.getData(), l_tName.getLength());
        }
        m_pNameIndex->m_uiIndexed = m_uiCount;
        int l_n = m_pNameIndex->find(m_pItems, name, length);
        if (l_n != -2 || l_nTry != 0)
            return l_n < 0 ? -1 : l_n;
    }
}

bool CFieldsVector::mayHaveID(uint32_t id) const {
    if (m_uiCount < INDEX_THRESHOLD)
        return true;
    uint64_t l_ullEpoch = g_ullIdEpoch.load(std::memory_order_relaxed);
    if (m_pIdCache == nullptr)
        m_pIdCache = new CIdCache();
    if (m_pIdCache->m_ullEpoch != l_ullEpoch) {
        m_pIdCache->reset(l_ullEpoch);
        std::vector<const CFieldsVector *> l_vecStack{this};
        while (!l_vecStack.empty()) {
            const CFieldsVector *l_pSeq = l_vecStack.back();
            l_vecStack.pop_back();
            for (uint32_t i = 0; i < l_pSeq->m_uiCount; ++i) {
                const CFields &l_child = l_pSeq->m_pItems[i];
                if (l_child.m_uiID != 0)
                    m_pIdCache->insert(l_child.m_uiID);
                const CFieldsVector *l_pSub = l_child.children();
                if (l_pSub != nullptr && l_pSub->m_uiCount != 0)
                    l_vecStack.push_back(l_pSub);
            }
        }
    }
    return m_pIdCache->contains(id);
}

void CFieldsVector::noteAppendedID(uint32_t id, uint64_t epochBefore) noexcept {
    if (m_pIdCache == nullptr || m_pIdCache->m_ullEpoch != epochBefore)
        return;
    try {
        m_pIdCache->insert(id);
        m_pIdCache->m_ullEpoch = epochBefore + 1;
    } catch (...) {
        m_pIdCache->m_ullEpoch = 0; // stale: rebuilt on next use
    }
}

} // namespace vexl
