#pragma once
// The children sequence of a `DT_fields`/`DT_array` node, and the lookup indexes it keeps for
// large records.
//
// Children are held by value in one contiguous heap block. Growing relocates them with the
// whole-node move of `CFields`, so no child ever loses its name, ID, value kind or second value;
// removing a child shifts the later ones the same way.
//
// Lookup indexes (built lazily once a sequence reaches INDEX_THRESHOLD children):
// - name index: name -> index of the FIRST child with that name (open addressing over
//   (hash, index) pairs; names are read from the children, so relocation needs no update).
//   Appended children are indexed on the next lookup (catch-up). Renaming an existing node
//   anywhere bumps the process-wide name epoch, which invalidates every name index; a removal
//   drops the sequence's own index. A hit is always verified against the child's name.
// - ID cache: the set of IDs in the subtree below this node. It answers "no node has this ID"
//   without a walk; a hit is confirmed by a real depth-first search (so IDs that disappeared
//   since the cache was built are harmless). Any operation that can make an ID appear in a
//   subtree other than an append through this sequence bumps the process-wide ID epoch, which
//   invalidates every cache; appends keep their own sequence's cache current.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "vexl/fields.h"

namespace vexl {

namespace detail {
class CReleaseBatch;
}

/// Process-wide epochs of the lookup indexes (see the file comment).
inline std::atomic<uint64_t> g_ullNameEpoch{1};
inline std::atomic<uint64_t> g_ullIdEpoch{1};

/// A node's name changed in a way its parent's name index cannot see.
inline void bumpNameEpoch() noexcept {
    g_ullNameEpoch.fetch_add(1, std::memory_order_relaxed);
}
/// An ID may have appeared in some subtree; returns the epoch before the bump.
inline uint64_t bumpIdEpoch() noexcept {
    return g_ullIdEpoch.fetch_add(1, std::memory_order_relaxed);
}

namespace detail {
/// Releases a container's compiled packet layout (`tChildrenHead::pPlan`); null does nothing.
void releasePacketPlan(void *plan) noexcept;
} // namespace detail

/// A children sequence: one heap block holding this head and, right after it, the children.
/// Growing may move the block, so the operations that can grow take the owner's pointer by
/// reference and update it.
class CFieldsVector : public tChildrenHead {
public:
    /// Below this many children, lookups scan linearly.
    static constexpr uint32_t INDEX_THRESHOLD = CFields::SMALL_RECORD_LIMIT;

    CFieldsVector(const CFieldsVector &) = delete;
    CFieldsVector &operator=(const CFieldsVector &) = delete;

    /// An empty sequence with room for `capacity` children. With capacity 0 this is a shared,
    /// read-only empty sequence (no allocation); the first append replaces it.
    static CFieldsVector *create(uint32_t capacity);
    /// Destroys the children and the indexes and releases the block (null and the shared empty
    /// sequence do nothing).
    static void destroy(CFieldsVector *seq) noexcept {
        if (seq != nullptr && seq->uCapacity != 0)
            destroyBlock(seq);
    }
    /// `destroy`, the releases of this block and the blocks below gathered in `batch`.
    static void destroyInto(CFieldsVector *seq, detail::CReleaseBatch &batch) noexcept;
    /// A new sequence holding deep copies of every child of `src`.
    static CFieldsVector *cloneDeep(const CFieldsVector &src);

    uint32_t count() const noexcept { return uCount; }
    uint32_t capacity() const noexcept { return uCapacity; }
    CFields *data() noexcept { return reinterpret_cast<CFields *>(static_cast<tChildrenHead *>(this) + 1); }
    const CFields *data() const noexcept {
        return reinterpret_cast<const CFields *>(static_cast<const tChildrenHead *>(this) + 1);
    }
    CFields &operator[](uint32_t index) noexcept { return data()[index]; }
    const CFields &operator[](uint32_t index) const noexcept { return data()[index]; }

    /// Room for `capacity` children without relocation (may move the block).
    static void reserve(CFieldsVector *&seq, uint32_t capacity);
    /// Appends a null child and returns it (may move the block and every child).
    static CFields &appendNull(CFieldsVector *&seq) {
        if (seq->uCount == seq->uCapacity)
            grow(seq, seq->uCount + 1);
        CFields *l_p = new (&seq->data()[seq->uCount]) CFields();
        ++seq->uCount;
        return *l_p;
    }
    /// Appends `node` by whole-node move and returns the new child.
    static CFields &appendMove(CFieldsVector *&seq, CFields &&node);
    /// Removes the child at `index`; later children shift forward by whole-node moves.
    void removeAt(uint32_t index) noexcept;
    /// Removes children from the end until `count` remain.
    void truncate(uint32_t count) noexcept;
    /// Removes every child.
    void clear() noexcept { truncate(0); }

    /// Appends a member to a sequence that is being filled for `owner` (a `DT_fields` node whose
    /// children these will become), with the rules of `CFields::child_AddPtr`: unless
    /// `forceNew`, null when a member already has the name, or when `owner` or a node below a
    /// member already has the ID. May move the block and every member.
    static CFields *appendMember(CFieldsVector *&seq, const CFields &owner, const char *name, uint32_t length,
                                 uint32_t id, bool forceNew);
    /// Makes every child of `from` the children of the empty container `owner`. Up to
    /// HANDOVER_COUNT children move into a new block of exactly their number, and `from` is
    /// left empty (indexes dropped, block kept for reuse); a larger sequence is handed over
    /// whole, with its indexes, and `from` becomes a new empty sequence with room for as many
    /// (at most 4096).
    static void moveAllInto(CFieldsVector *&from, CFields &owner);
    static constexpr uint32_t HANDOVER_COUNT = 512;

    /// Stores `value` of the scalar `type` (not a code list) as `node`'s actual value: only
    /// children and owned code lists need releasing, a fresh or scalar slot is overwritten.
    /// Inline, as the loaders set one per value; `CFields::setValue` comes here too.
    static void setActualScalar(CFields &node, E_DataType type, uMultiValue value) noexcept {
        if (CFields::slotOwns(node.actBits()))
            node.clearActual();
        node.m_uActValue = value;
        node.setActBits(uint8_t(type));
    }
    /// Makes `node`'s actual value an empty `DT_fields` or `DT_array` (`CFields::setValue(type)`).
    static void setActualContainer(CFields &node, E_DataType type) noexcept {
        if (CFields::slotOwns(node.actBits()))
            node.clearActual();
        node.m_uActValue.m_pFV = &s_tEmpty;
        node.setActBits(uint8_t(type));
    }

    /// Makes `node`'s actual value an empty `DT_fields` or `DT_array` whose children block has
    /// room for `capacity` children, made at that size (carved from the chunk pool when small,
    /// like the blocks of the text loader). Returns the node's holder of the block, for
    /// `appendNull`. For loaders that know the child count before the children.
    static CFieldsVector *&setActualChildren(CFields &node, E_DataType type, uint32_t capacity) {
        CFieldsVector *l_pSeq = create(capacity);
        if (CFields::slotOwns(node.actBits()))
            node.clearActual();
        node.m_uActValue.m_pFV = l_pSeq;
        node.setActBits(uint8_t(type));
        return node.m_uActValue.m_pFV;
    }
    /// Gives `node`, which has no name yet and is in no name index, a copy of the `length` bytes
    /// (1 to `CAllotString::MAX_LENGTH`) at `name`: a short name is copied into its holder, a
    /// long one made at its final size (carved when possible). Other lengths are ignored.
    static void setFreshName(CFields &node, const char *name, uint32_t length) {
        if (length >= 1 && length <= CAllotString::INLINE_MAX) {
            CAllotString &l_tName = node.m_tName;
            // Two overlapping fixed-size copies cover any length, reading only the name's bytes.
            unsigned char *const l_pTo = l_tName.m_aucRaw;
            if (length >= 8) {
                std::memcpy(l_pTo, name, 8);
                std::memcpy(l_pTo + length - 8, name + length - 8, 8);
            } else if (length >= 4) {
                std::memcpy(l_pTo, name, 4);
                std::memcpy(l_pTo + length - 4, name + length - 4, 4);
            } else {
                l_pTo[0] = static_cast<unsigned char>(name[0]);
                l_pTo[length / 2] = static_cast<unsigned char>(name[length / 2]);
                l_pTo[length - 1] = static_cast<unsigned char>(name[length - 1]);
            }
            l_tName.m_uiSAI = (length << 2) | uint32_t(DP_Duplicate) | CAllotString::SAI_INLINE;
        } else if (length > CAllotString::INLINE_MAX && length <= CAllotString::MAX_LENGTH) {
            node.m_tName.setCarvedCopy(name, length);
        }
    }
    /// Stores the ID (at most `CFields::maxID`) of a node being loaded, without announcing it:
    /// the loader calls `bumpIdEpoch()` once when its tree is complete.
    static void setLoadedID(CFields &node, uint32_t id) noexcept { node.m_uiID = id; }

    /// Index of the first child named `name` (exactly `length` bytes), or -1.
    int findName(const char *name, uint32_t length) const;
    /// False when no node below the owner of this sequence has `id` (the owner itself is not
    /// covered). True means "maybe": confirm with a depth-first search.
    bool mayHaveID(uint32_t id) const;
    /// Records that a child with `id` was just appended; `epochBefore` is the value returned by
    /// the `bumpIdEpoch()` of that append.
    void noteAppendedID(uint32_t id, uint64_t epochBefore) noexcept;

private:
    struct CNameIndex;
    struct CIdCache;

    CFieldsVector() = default;
    ~CFieldsVector() = default;
    static CFieldsVector s_tEmpty; // capacity 0: never written, never freed
    static void grow(CFieldsVector *&seq, uint32_t minCapacity, bool exact = false);
    static void destroyBlock(CFieldsVector *seq) noexcept;
    CNameIndex *nameIndex() const noexcept { return static_cast<CNameIndex *>(pNameIndex); }
    CIdCache *idCache() const noexcept { return static_cast<CIdCache *>(pIdCache); }
    void dropNameIndex() noexcept;
};

} // namespace vexl
