#pragma once
// Compiled packet layouts. A container that makes, parses, measures or checks packets keeps,
// in its children block, a flat list of the leaves below it in packet order with what the
// packet engine needs of each (expression, fixed length, encoder and decoder), so that a packet
// call runs one loop over the list instead of a recursive walk with a dispatch per field.
//
// The list is checked against the tree before every use: each container's children block and
// count, each leaf's expression (all ten bytes, except the length a variable field records when
// it is parsed) and that it is still a leaf. Everything the list is built from is checked, in
// tree order, so a layout that passes describes the tree exactly, whatever changed it; one that
// fails is compiled again. Fields that bear supporting keywords run the recursive walk, whose
// steps may call hooks that change the tree while it runs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vexl/fields.h"

namespace vexl::detail {

class CPacketPlan {
public:
    /// The layout of `root` (a container with at least one child), compiled again when the
    /// tree no longer matches it.
    static CPacketPlan &of(const CFields &root);

    /// True when at least one leaf bears a supporting keyword.
    bool hasKeywords() const noexcept { return m_bKeywords; }
    /// True when `parse` gives the walk's results: no leaf bears a keyword, and no leaf without
    /// bytes records a length (the walk steps over that length and ends the leaf's container
    /// there, which only the walk knows).
    bool parsesLikeTheWalk() const noexcept { return !m_bKeywords && !m_bSkipsAhead; }

    /// Packet of the leaves, without keyword steps, appended to `out`.
    void append(std::string &out) const;
    /// The same into `buffer`: the packet's length, written only when it fits `capacity`.
    size_t makeTo(char *buffer, size_t capacity) const;
    /// Parse of the leaves (no leaf bears a keyword), as the recursive walk does it.
    int parse(const char *data, unsigned int size, bool store) const;
    /// Sum of the leaves' lengths as the recursive walk adds them.
    uPacketLengthExpression length(bool keywords) const;
    /// The light check of every leaf, in order, up to the first failure.
    bool check(bool valid) const;

    /// The recursive walks the layouts replace, kept as the reference they are compared with:
    /// make and parse of all leaves under `node` (the node itself when it has no children).
    static std::string referenceMake(CFields &node, bool keywords);
    static int referenceParse(CFields &node, const char *data, unsigned int size, bool store);

private:
    enum E_StepKind : uint8_t {
        SK_Container = 0, // a container with children: checked only
        SK_Empty,         // a container without children
        SK_Leaf,          // a leaf without bytes, or one handled by its own member steps
        SK_AsciiFixed,    // A, F or D with length above 0, no keyword: fixed bytes
        SK_BinaryFixed,   // B, F or D with length above 0, no keyword
        SK_AsciiVariable, // A, V with a prefix
        SK_BinaryVariable,
    };

    struct tStep {
        CFields *pNode;         // the node, inside its parent's children block
        uint32_t uCountOrWidth; // containers: child count; fixed leaves: their length
        E_StepKind eKind;       //
    };

    // What the check compares, per container (in tree order) and per leaf. A leaf is compared
    // through the last 16 bytes of its node, which hold its expression and its type.
    struct tContainerKey {
        const CFields *pNode;
        const void *pChildren;
        uint32_t uCount;
    };
    static constexpr size_t kWindowAt = sizeof(CFields) - 16;
    static constexpr size_t kExpressionAt = offsetof(CFields, m_tPEI) - kWindowAt;
    static constexpr size_t kTypeAt = offsetof(CFields, m_ucSlots) - kWindowAt;
    struct tLeafKey {
        const CFields *pNode;
        uint64_t auKey[2];  // those bytes when the layout was compiled, masked
        uint64_t auMask[2]; // the expression (without a variable field's recorded length), the type
    };

    // One fixed field as making writes it: where its bytes go is the sum of the widths before.
    // How a fixed field is written, chosen from its value's type, which the check before each
    // use guarantees (the leaf keys hold the types).
    enum E_Writer : uint8_t {
        W_General = 0, // the general writers
        W_Fill,        // no value: spaces (ASCII) or zero bytes
        W_Codes,       // an owned code list, cut or padded
        W_CodesRoom,   // the same, at most kSlack bytes with room behind
        W_Digits,      // an ASCII number, digits with "0" in front (negative ones: general)
        W_DigitsRoom,  // the same, at most 16 characters with room behind
    };
    struct tFixedStep {
        CFields *pNode;
        uint32_t uWidth;
        bool bAscii;
        bool bNumber; // runtime code N: received as a number
        bool bRoom;   // at least kSlack bytes of the packet from the field's first byte
        bool bSigned; // W_Digits: the value is a DT_sint
        E_Writer eWriter;
    };

    bool matches(const CFields &root) noexcept;
    bool containersMatch(const CFields &root) const noexcept;
    bool leavesMatchButTheirTypes() const noexcept;
    void compile(const CFields &root);
    void compileChildren(const CFields &node);
    void writeFixed(char *out) const;
    void chooseWriters() noexcept;
    bool parseFixed(const char *data, unsigned int size, int &result) const;

    std::vector<tStep> m_vecSteps;
    std::vector<tContainerKey> m_vecContainers;
    std::vector<tLeafKey> m_vecLeaves;
    std::vector<tFixedStep> m_vecFixed; // the fixed fields in packet order
    const void *m_pRootChildren = nullptr;
    uint32_t m_uRootCount = 0;
    bool m_bKeywords = false;
    bool m_bSkipsAhead = false; // a leaf without bytes records a length (see parsesLikeTheWalk)
    bool m_bVariable = false;   // a variable field takes part: the size is known only by making
    bool m_bAllFixed = false;   // every leaf is a fixed field without keyword (see parseFixed)
    uint64_t m_uFixedSize = 0;  // without variable fields: the packet's size
};

/// The recursive walks of length and light check, the reference of `CPacketPlan::length` and
/// `CPacketPlan::check`.
uPacketLengthExpression referenceLen4Children(const CFields &node, bool keywords);
bool referenceCheck4Children(CFields &node, bool valid);

} // namespace vexl::detail
