#pragma once
/// \file fields.h
/// `CFields`, the one node type of every document and packet description, with its string
/// holders `CAllotString` (names), `CStaticString` (borrowed text) and `CHeapString` (comments).
///
/// A node is at once a variant value (null, bool, signed or unsigned 64-bit integer, double,
/// byte string called a code list) and, for `DT_fields` (a record of named members) and
/// `DT_array` (a list), a container of child nodes held by value in insertion order. Beside its
/// actual value a node may hold a second value of the same type, which is either fixed (the
/// value the field must have) or valid (the value it is checked against). A node may also carry
/// a name (1 to 255 bytes), an ID (1 to 2147483647), three comments, a packet expression, the
/// start and end offsets of its text, and an opaque user pointer.
///
/// \code
///   vexl::CFields root;                       // DT_null
///   root.addChildRef("port") = 8080;          // root becomes DT_fields
///   root.addChildRef("hosts").addArrayAt("a");
///   root["hosts"].addArrayAt(vexl::CFields("b"));
///   root["port"].asUint32();                  // 8080
///   root.getChildCount();                     // 2
/// \endcode
///
/// Failure forms: contract violations (an unknown data type, a bad value kind, a bad index, a
/// conversion out of range, a null text) throw `CLogicError` with the message
/// "[<function>#<line>] <text>"; lookups that find nothing return false, -1, 0, null, "" or the
/// null statics as documented per function.
///
/// Threads: a tree is not synchronised; one thread uses it at a time. `freeNull` is one node
/// per thread.
///
/// Pointers and references to children stay valid only until the next addition to, removal
/// from or resizing of their parent.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "vexl/errors.h"
#include "vexl/hooks.h"
#include "vexl/packet_exp.h"
#include "vexl/vexl_export.h"

namespace vexl {

/// Data type of a value slot. `isValidDT` is true for values below 8.
enum E_DataType : int32_t {
    DT_null = 0,     ///< nothing; type word "null"
    DT_array = 1,    ///< list of unnamed children; "array"
    DT_fields = 2,   ///< record of named children; "fields"
    DT_bool = 3,     ///< one byte, 0 or 1; "bool"
    DT_sint = 4,     ///< signed 64-bit integer; "sint"
    DT_uint = 5,     ///< unsigned 64-bit integer; "uint"
    DT_double = 6,   ///< IEEE 754 double; "double"
    DT_codelist = 7, ///< byte string (may hold zero bytes); "codelist"
};

/// The type words indexed by `E_DataType`: "null", "array", "fields", "bool", "sint", "uint",
/// "double", "codelist".
inline constexpr const char *DATA_TYPE_WORDS[8] = {"null", "array", "fields", "bool",
                                                   "sint", "uint",  "double", "codelist"};

/// Which value an operation addresses. Any kind other than `VK_Actual` addresses the second
/// slot; the node's own kind says whether that slot is meant as fixed or valid.
enum E_ValueKind : int32_t {
    VK_Actual = 0,  ///< the actual value (first slot)
    VK_Fixed = 1,   ///< the second slot holds a fixed value
    VK_Valid = 2,   ///< the second slot holds a valid value
    VK_Variant = 3, ///< both slots; never a node's kind
};

/// The names of the value kinds indexed by `E_ValueKind`.
inline constexpr const char *VALUE_KIND_NAMES[4] = {"Actual", "Fixed", "Valid", "Variant"};

/// Where a comment stands relative to its field; a node keeps one comment per position.
enum E_CommentPosition : int32_t {
    CP_Ahead = 0,  ///< comment lines ahead of the field
    CP_Behind = 1, ///< a comment on the field's own line, behind it
    CP_Tail = 2,   ///< the comment that closes the text (kept by the root)
};

/// Ownership of a name's bytes.
enum E_DuplicationPolicy : int32_t {
    DP_Static = 0,    ///< borrowed text that outlives the holder; copies share the pointer
    DP_Duplicate = 1, ///< the holder's own copy, released by the holder; copies duplicate it
    DP_Borrowed = 2,  ///< borrowed text; copies duplicate it (the copy is `DP_Duplicate`)
};

class CFields;
class CFieldsVector; // the children sequence; internal to the library
namespace detail {
class CPacketPlan; // the compiled packet layout of a container; internal to the library
}

/// The types `CFields::get`, `CFields::tryGet` and `CFields::value_or` convert to: `bool`, every
/// integer type, `float`, `double` and `std::string`.
template <class T>
concept FieldsValueType = std::is_same_v<T, bool> || std::is_integral_v<T> || std::is_same_v<T, float> ||
    std::is_same_v<T, double> || std::is_same_v<T, std::string>;

/// The 8-byte value of one slot; which member is meaningful depends on the slot's data type.
/// For types narrower than 8 bytes the remaining bytes are zero.
union uMultiValue {
    unsigned long long m_ullValue; ///< DT_uint
    long long m_llValue;           ///< DT_sint
    bool m_bValue;                 ///< DT_bool
    double m_dValue;               ///< DT_double
    /// DT_codelist: an owned block (32-bit byte count, the bytes, a zero byte) when the slot's
    /// ownership flag is set, else borrowed zero-terminated text; null when the list has no data.
    const char *m_cpValue;
    CFieldsVector *m_pFV; ///< DT_fields, DT_array: the children sequence (null when removed)
};
static_assert(sizeof(uMultiValue) == 8);

/// The head of a children sequence: the children follow it, contiguously, in the same heap
/// block. Exposed only so that counting and iterating children can be inlined; use the
/// `CFields` API to read it and never write it.
struct tChildrenHead {
    uint32_t uCount;    ///< number of children
    uint32_t uCapacity; ///< children the block has room for
    void *pNameIndex;   ///< lookup index of large records (internal)
    void *pIdCache;     ///< subtree ID cache of large records (internal)
    void *pReserved;    ///< where the block came from (internal)
    void *pPlan;        ///< compiled packet layout of the leaves below (internal; never copied)
};
static_assert(sizeof(tChildrenHead) % 8 == 0);

/// Borrowed zero-terminated text. A node built or set from one keeps the pointer (no copy) and
/// never frees or writes the text, which must outlive every node that borrows it.
class CStaticString {
public:
    ///@{
    /// Borrows `text` (null for none).
    constexpr CStaticString(const char *text = nullptr) noexcept : m_cpText(text) {}
    ///@}
    /// Borrows another text.
    constexpr CStaticString &operator=(const char *text) noexcept {
        m_cpText = text;
        return *this;
    }
    /// The borrowed pointer (may be null).
    constexpr const char *getData() const noexcept { return m_cpText; }

private:
    const char *m_cpText;
};

/// A name: 1 to 255 bytes with a duplication policy, or empty.
///
/// The raw word (`getSAI`) holds the length shifted left by 2 and the policy in the low 2 bits.
/// A `DP_Duplicate` copy of up to 11 bytes is kept inside the holder itself (no heap block);
/// longer copies are heap blocks released with `free`. Either way the text is zero-terminated.
class VEXL_API CAllotString {
public:
    /// Longest name.
    static constexpr unsigned int MAX_LENGTH = 255;

    /// Empty holder.
    constexpr CAllotString() noexcept : m_uiSAI(0), m_aucRaw{} {}
    /// `DP_Duplicate` copy of `text` up to its terminating zero; a null text, or one of length
    /// 0 or above 255, leaves the holder empty.
    explicit CAllotString(const char *text);
    /// As `setData(text, length, policy)`; a refused request leaves the holder empty.
    CAllotString(const char *text, unsigned int length, E_DuplicationPolicy policy);
    /// Shares a `DP_Static` pointer; duplicates a `DP_Duplicate` or `DP_Borrowed` one (the copy
    /// is `DP_Duplicate`).
    CAllotString(const CAllotString &other);
    /// Takes over the text; `other` is left empty.
    CAllotString(CAllotString &&other) noexcept : m_uiSAI(other.m_uiSAI) {
        for (unsigned i = 0; i < sizeof(m_aucRaw); ++i)
            m_aucRaw[i] = other.m_aucRaw[i];
        other.init();
    }
    /// Releases this holder's copy and copies `other`'s text as `setData` does.
    CAllotString &operator=(const CAllotString &other);
    /// Releases this holder's copy and takes over `other`'s text; `other` is left empty.
    CAllotString &operator=(CAllotString &&other) noexcept;
    ~CAllotString() {
        if (ownsHeapCopy())
            releaseHeap();
    }

    /// Stores `length` bytes of `text` under `policy`: `DP_Duplicate` copies them, the other
    /// policies keep the pointer (the text must then stay valid and, for later reads as a C
    /// string, be followed by a zero byte). Returns false and keeps the old content when `text`
    /// is null, `length` is outside 1 to 255, or `policy` is above 2. `text` may point into
    /// this holder's own text.
    bool setData(const char *text, unsigned int length, E_DuplicationPolicy policy);
    /// Copies `other` as the copy constructor does (an empty `other` empties this holder).
    bool setData(const CAllotString &other);
    /// Exchanges the content of two holders.
    void swap(CAllotString &other) noexcept;
    /// Forgets the text without releasing it.
    void init() noexcept {
        m_uiSAI = 0;
        for (unsigned i = 0; i < sizeof(m_aucRaw); ++i)
            m_aucRaw[i] = 0;
    }

    /// The text, or "" when empty (never null).
    const char *getData() const noexcept {
        if (m_uiSAI & SAI_INLINE)
            return reinterpret_cast<const char *>(m_aucRaw);
        const char *l_p = getLength() != 0 ? pointer() : nullptr;
        return l_p != nullptr ? l_p : "";
    }
    /// Length in bytes, 0 when empty.
    unsigned int getLength() const noexcept { return (m_uiSAI & SAI_MASK) >> 2; }
    /// The duplication policy (`DP_Static` when empty).
    E_DuplicationPolicy getDP() const noexcept { return E_DuplicationPolicy(m_uiSAI & 0x3u); }
    /// True for a non-empty holder with policy `DP_Static`.
    bool isStaticString() const noexcept { return getLength() != 0 && getDP() == DP_Static; }
    /// The raw word: length << 2 | policy.
    unsigned int getSAI() const noexcept { return m_uiSAI & SAI_MASK; }

    /// Two holders with text are equal when lengths and bytes are equal; when either is empty
    /// the raw words are compared.
    bool operator==(const CAllotString &other) const noexcept;
    /// Bytes compared as unsigned values over the shorter length, the first difference decides,
    /// the shorter is less when all agree; when either is empty the raw words are compared.
    bool operator<(const CAllotString &other) const noexcept;

private:
    friend class CFieldsVector;

    static constexpr uint32_t SAI_MASK = 0x3FFu;        // length (8 bits) << 2 | policy
    static constexpr uint32_t SAI_INLINE = 0x80000000u; // the text lives in m_aucRaw
    static constexpr uint32_t SAI_CARVED = 0x40000000u; // the heap copy is carved from a chunk
    static constexpr unsigned int INLINE_MAX = 11;

    bool ownsHeapCopy() const noexcept {
        return (m_uiSAI & (SAI_INLINE | 0x3u)) == uint32_t(DP_Duplicate) && getLength() != 0;
    }
    void releaseHeap() noexcept;
    /// Sets an owned copy of a name that is not the holder's own text; one longer than
    /// INLINE_MAX is carved from the calling thread's chunk when possible (loaded members).
    void setCarvedCopy(const char *text, unsigned int length);
    void release() noexcept {
        if (ownsHeapCopy())
            releaseHeap();
        init();
    }
    const char *pointer() const noexcept {
        const char *l_p;
        std::memcpy(&l_p, m_aucRaw + 4, sizeof(l_p));
        return l_p;
    }
    void setPointer(const char *p) noexcept;

    alignas(8) uint32_t m_uiSAI;
    // Inline mode: up to 11 bytes and a zero byte. Pointer mode: bytes 4..11 hold the pointer.
    unsigned char m_aucRaw[12];
};
static_assert(sizeof(CAllotString) == 16);

/// Owned zero-terminated comment text, or nothing. The text is a heap block released with
/// `free`.
class VEXL_API CHeapString {
public:
    constexpr CHeapString() noexcept : m_pText(nullptr) {}
    /// An owned copy of `other`'s text.
    CHeapString(const CHeapString &other);
    /// Takes over `other`'s text; `other` is left empty.
    CHeapString(CHeapString &&other) noexcept : m_pText(other.m_pText) { other.m_pText = nullptr; }
    /// Releases this text and copies `other`'s.
    CHeapString &operator=(const CHeapString &other);
    /// Releases this text and takes over `other`'s; `other` is left empty.
    CHeapString &operator=(CHeapString &&other) noexcept;
    ~CHeapString();

    /// Stores a copy of `length` bytes of `text`, dropping one trailing line feed. The text must
    /// be empty or begin with "/" (a comment keeps its own "//" or "/*" marks): otherwise
    /// `CLogicError` "[vexl::CHeapString::setComment#<line>] Comments must start with /". A null
    /// `text` raises `CLogicError` "mismatched condition". `text` may point into this holder.
    void setComment(const char *text, unsigned int length);
    /// Releases the text.
    void clear() noexcept;
    /// The text or null.
    const char *getData() const noexcept { return m_pText; }
    /// True when a text (possibly empty) is held.
    bool isSet() const noexcept { return m_pText != nullptr; }
    /// Length of the text, 0 when none.
    unsigned int getLength() const noexcept;

private:
    char *m_pText;
};

/// The tree node. See the file comment for an overview.
///
/// Ownership: a node owns its children, its owned code lists, its comments and a
/// `DP_Duplicate` name. Borrowed code lists (`CStaticString`) and `DP_Static`/`DP_Borrowed`
/// names are never freed or written.
class VEXL_API CFields : public CEskHooks {
public:
    // MARK: - Limits

    ///@{
    /// Limits of the integer value types (the `LSint`/`LUint` names are the 64-bit ones).
    static constexpr int maxSint32 = 2147483647;
    static constexpr int minSint32 = -2147483647 - 1;
    static constexpr unsigned int maxUint32 = 4294967295u;
    static constexpr long long maxSint64 = 9223372036854775807LL;
    static constexpr long long maxLSint = maxSint64;
    static constexpr long long minSint64 = -9223372036854775807LL - 1;
    static constexpr long long minLSint = minSint64;
    static constexpr unsigned long long maxUint64 = 18446744073709551615ULL;
    static constexpr unsigned long long maxLUint = maxUint64;
    ///@}
    /// Largest ID.
    static constexpr unsigned int maxID = 2147483647u;

    // MARK: - Shared null nodes

    /// The read-only all-zero node (`DT_null`, no name, no ID); const lookups that fail return it.
    static const CFields null;
    /// The same node as `null`.
    static const CFields &nullRef;
    /// Writable null node returned by non-const name lookups that fail. There is one per thread,
    /// and it is reset to an all-zero null node every time a failed lookup returns it, so
    /// anything written into it is discarded by the next failed lookup on that thread.
    static thread_local CFields freeNull;
    /// The all-zero packet expression of a node without one.
    static const tPacketExpInfo nullPktExp;

    // MARK: - Construction and destruction

    /// `DT_null`, no name, ID, comments, second value or packet expression.
    constexpr CFields() noexcept
        : m_uActValue{}, m_uSecValue{}, m_tName(), m_pComments(nullptr), m_pOSA(nullptr), m_uiID(0),
          m_nOffsetStart(0), m_nOffsetEnd(0), m_tPEI{}, m_ucSlots(0), m_ucVK(0) {}
    /// `type` with a zero value; `DT_fields` and `DT_array` get an empty children sequence.
    /// A type above 7 raises `CLogicError` "Unknown data type(%d)".
    CFields(E_DataType type);
    CFields(bool value);               ///< DT_bool
    CFields(int value);                ///< DT_sint, sign-extended
    CFields(long value);               ///< DT_sint
    CFields(long long value);          ///< DT_sint
    CFields(unsigned int value);       ///< DT_uint, zero-extended
    CFields(unsigned long value);      ///< DT_uint
    CFields(unsigned long long value); ///< DT_uint
    CFields(double value);             ///< DT_double
    /// DT_codelist, owned copy up to the terminating zero. Null raises `CLogicError`
    /// "Value paramter has NULL pointer".
    CFields(const char *text);
    /// DT_codelist, owned copy of exactly `length` bytes (zero bytes included).
    CFields(const char *text, unsigned int length);
    /// DT_codelist, owned copy of the string's bytes.
    CFields(const std::string &text);
    /// DT_codelist borrowing the text (no copy).
    CFields(const CStaticString &text);
    /// DT_codelist, owned copy of the view's bytes (zero bytes included). A view longer than
    /// 2147483642 bytes raises `CLogicError`.
    CFields(std::string_view text);
    /// Deep copy, as `setField` of `other` on a fresh node (the inner hook arguments are not
    /// copied).
    CFields(const CFields &other);
    /// Takes over the whole node: value kind, both values, children, name, ID, comments, packet
    /// expression, offsets and user pointer. `other` is left an empty null node.
    CFields(CFields &&other) noexcept
        : m_uActValue(other.m_uActValue), m_uSecValue(other.m_uSecValue), m_tName(std::move(other.m_tName)),
          m_pComments(other.m_pComments), m_pOSA(other.m_pOSA), m_uiID(other.m_uiID),
          m_nOffsetStart(other.m_nOffsetStart), m_nOffsetEnd(other.m_nOffsetEnd), m_tPEI(other.m_tPEI),
          m_ucSlots(other.m_ucSlots), m_ucVK(other.m_ucVK) {
        other.m_uActValue.m_ullValue = 0;
        other.m_uSecValue.m_ullValue = 0;
        other.m_pComments = nullptr;
        other.m_pOSA = nullptr;
        other.m_uiID = 0;
        other.m_nOffsetStart = 0;
        other.m_nOffsetEnd = 0;
        other.m_tPEI = tPacketExpInfo{};
        other.m_ucSlots = 0;
        other.m_ucVK = 0;
    }
    /// Releases both values (children included), the comments and an owned name.
    ~CFields() {
        // Only children, an owned code list and comments need releasing: leaves with numbers,
        // booleans or borrowed text end here.
        if (slotOwns(m_ucSlots & 0x0Fu) || slotOwns(m_ucSlots >> 4u) || m_pComments != nullptr)
            destroyParts();
    }

    // MARK: - Name

    /// Stores a `DP_Duplicate` copy of `name` (up to its terminating zero). Returns false and
    /// keeps the old name when `name` is null or its length is 0 or above 255.
    bool setName(const char *name);
    /// The same for exactly `length` bytes.
    bool setName(const char *name, unsigned int length);
    /// The same for a string.
    bool setName(const std::string &name) { return setName(name.data(), unsigned(name.size())); }
    /// The same for a view: `node.setName(std::string_view("port"))`.
    bool setName(std::string_view name) {
        return name.size() <= CAllotString::MAX_LENGTH && setName(name.data(), unsigned(name.size()));
    }
    /// Stores `length` bytes of `name` under `policy` (see `CAllotString::setData`). With
    /// `DP_Static` or `DP_Borrowed` the text is not copied and must outlive the node.
    bool setName(const char *name, unsigned int length, E_DuplicationPolicy policy);
    /// The name, or "" when there is none (never null).
    const char *getName() const noexcept { return m_tName.getData(); }
    /// Length of the name, 0 when there is none.
    unsigned int getNameLen() const noexcept { return m_tName.getLength(); }
    /// The name holder (read only), e.g. to ask its duplication policy.
    const CAllotString &getNameHolder() const noexcept { return m_tName; }

    // MARK: - Comments

    /// Stores a copy of `length` bytes at `position`, replacing the previous comment there. One
    /// trailing line feed is dropped. The text must be empty or begin with "/": otherwise
    /// `CLogicError` "Comments must start with /"; a null text raises "mismatched condition".
    void setComment(const char *text, unsigned int length, E_CommentPosition position);
    /// The same up to the terminating zero.
    void setComment(const char *text, E_CommentPosition position);
    /// The same for a string.
    void setComment(const std::string &text, E_CommentPosition position);
    /// The same for a view.
    void setComment(std::string_view text, E_CommentPosition position);
    /// The comment at `position`, or null.
    const char *getCommentPtr(E_CommentPosition position) const noexcept;
    /// Its length, 0 when none.
    unsigned int getCommentLen(E_CommentPosition position) const noexcept;
    /// A copy, empty when none.
    std::string getCommentCopy(E_CommentPosition position) const;
    /// True when `position` holds a text (an empty text counts).
    bool hasComment(E_CommentPosition position) const noexcept;
    /// True once any comment was set (the comment array exists).
    bool isComment() const noexcept { return m_pComments != nullptr; }

    // MARK: - Offsets of the field's text (recorded by the text loader)

    ///@{
    /// Byte range of the text the field was loaded from (start and end offsets; 0 when not loaded).
    void setOffsetStart(int offset) noexcept { m_nOffsetStart = offset; }
    int getOffsetStart() const noexcept { return m_nOffsetStart; }
    void setOffsetEnd(int offset) noexcept { m_nOffsetEnd = offset; }
    int getOffsetEnd() const noexcept { return m_nOffsetEnd; }
    ///@}

    // MARK: - ID

    /// The ID, 0 when there is none.
    unsigned int getID() const noexcept { return m_uiID; }
    /// Stores `id` (0 clears it). Returns false and keeps the ID for values above 2147483647.
    bool setID(unsigned int id) noexcept;

    // MARK: - Whole-field copy, assignment and swap

    /// Copies the whole of `other` into this node: its comments are destroyed, then value kind
    /// and both values are copied (children deeply, owned code lists duplicated, borrowed ones
    /// shared), the ID only when `other`'s is not 0, the packet expression, user pointer, name
    /// (as `CAllotString::setData`), comments and offsets. Returns false when the second value
    /// could not be copied (see `setValue(const CFields &)`). `other` may be this node or lie
    /// inside it.
    bool setField(const CFields &other);
    /// When `other` is a bare value (ID 0, no name, packet expression with `uVarWidth` and
    /// `uLength` 0, null user pointer, offsets 0) only its value kind and values are taken, so
    /// this node keeps its name, ID, packet expression and comments; otherwise the whole field is
    /// assigned as by `setField`.
    CFields &operator=(CFields other);
    CFields &operator=(E_DataType type); ///< as `setValue(type)`
    CFields &operator=(bool value);      ///< as `setValue(value)`
    ///@{
    /// As `setValue(value)`: the actual value becomes the number (integers as `DT_sint` or `DT_uint`).
    CFields &operator=(int value);
    CFields &operator=(long value);
    CFields &operator=(long long value);
    CFields &operator=(unsigned int value);
    CFields &operator=(unsigned long value);
    CFields &operator=(unsigned long long value);
    CFields &operator=(double value);
    ///@}
    CFields &operator=(const char *text); ///< owned copy; null raises `CLogicError`
    /// Owned copy, as `setValue(text)`.
    CFields &operator=(const std::string &text);
    CFields &operator=(const CStaticString &text); ///< borrowed
    CFields &operator=(std::string_view text);     ///< owned copy of the view's bytes

    /// Exchanges the actual values (type, ownership, value) of the two nodes. With `withPkt`
    /// it also exchanges the packet expressions, and the user pointers when `other`'s is not
    /// null.
    void swapValue(CFields &other, bool withPkt);
    /// Exchanges IDs when `other`'s is not 0, calls `swapValue(other, withPkt)`, exchanges
    /// comment arrays and offsets, and names when `other` has one.
    void swapField(CFields &other, bool withPkt);

    // MARK: - Children: adding (see also addArrayAt, resizeArray)

    /// Adds a member and returns it, or returns an existing one:
    /// 1. A `DT_null` node first becomes `DT_fields` (when `name` is not empty) or `DT_array`,
    ///    keeping its name, ID, comments and packet expression.
    /// 2. Other non-containers raise `CLogicError` "requires DT_fields or DT_array"; a container
    ///    whose sequence was removed raises "m_tValue.m_tActValue.m_uMultiValue.m_pFV=NULL memory
    ///    pointer".
    /// 3. `DT_array`: appends a null child (name and ID are ignored).
    /// 4. `DT_fields` without `forceNew`: the first child named `name` is returned; else, when
    ///    `id` is not 0, the first node with that ID anywhere in this node's subtree (this node
    ///    included, depth first) is returned.
    /// 5. Otherwise a null child is appended with a copy of the name (a name above 255 bytes is
    ///    dropped) and the ID (an ID above 2147483647 is dropped).
    /// Name and ID checks use an index on large records, so building a record is linear.
    CFields &addChildRef(const char *name, unsigned int id = 0, bool forceNew = false);
    /// As `addChildRef`, but returns null where `addChildRef` would return an existing node.
    CFields *addChildPtr(const char *name, unsigned int id = 0, bool forceNew = false);
    /// `addChildRef` with the view's bytes as the name: `root.addChildRef(std::string_view(key))`.
    CFields &addChildRef(std::string_view name, unsigned int id = 0, bool forceNew = false) {
        return child_AddRef(name.data(), viewNameLength(name), id, forceNew);
    }
    /// `addChildPtr` with the view's bytes as the name.
    CFields *addChildPtr(std::string_view name, unsigned int id = 0, bool forceNew = false) {
        return child_AddPtr(name.data(), viewNameLength(name), id, forceNew);
    }
    /// `addChildRef` with a name of explicit length (`name` need not be zero-terminated).
    CFields &child_AddRef(const char *name, unsigned int length, unsigned int id, bool forceNew);
    /// `addChildPtr` with a name of explicit length.
    CFields *child_AddPtr(const char *name, unsigned int length, unsigned int id, bool forceNew);
    /// Appends a new element to this `DT_array` (a `DT_null` node becomes an empty array first;
    /// other types raise `CLogicError` "requires DT_array") and copies `value` into it: with
    /// `valueOnly` its value kind and values only, otherwise the whole field (`setField`).
    /// `value` may be an element of this array. Returns the new element.
    CFields &addArrayAt(const CFields &value, bool valueOnly = false);
    /// The same with `valueOnly` false; the argument is copied, not consumed.
    CFields &addArrayAt(CFields &&value);
    /// Makes this `DT_array` (or `DT_null`, which becomes one) hold exactly `count` children:
    /// 0 removes all (as `removeChildAll`), fewer removes from the end, more appends null
    /// children. Other types raise `CLogicError` "requires DT_array".
    void resizeArray(unsigned int count);
    /// Reserves room for `count` children of a container so that appending up to that many does
    /// not move them. Returns false for non-containers. Never needed for correctness.
    bool reserveChildren(unsigned int count);

    // MARK: - Children: indexing

    /// The child at `index` of a container. Raises `CLogicError` "requires DT_fields or
    /// DT_array" for other types, the "m_pFV=NULL" message when the sequence was removed, and
    /// "found not a field for the index" when `index` is not below the count.
    CFields &operator[](unsigned int index);
    ///@{
    /// As above; a negative index raises "index cannot be negative".
    CFields &operator[](int index);
    CFields &operator[](unsigned long index);
    CFields &operator[](long index);
    ///@}
    ///@{
    /// The child at `index`, or `nullRef` when out of range. Non-containers raise `CLogicError`
    /// "requires DT_array or DT_fields"; a negative index raises "index cannot be negative".
    const CFields &operator[](unsigned int index) const;
    const CFields &operator[](int index) const;
    const CFields &operator[](unsigned long index) const;
    const CFields &operator[](long index) const;
    ///@}
    ///@{
    /// The first child named `name`, or `freeNull` (reset to null) when there is none.
    CFields &operator[](const char *name) {
        const CFields *l_p = findChildAt(name, nameLength(name));
        return l_p != nullptr ? *const_cast<CFields *>(l_p) : resetFreeNull();
    }
    CFields &operator[](const std::string &name);
    CFields &operator[](const CStaticString &name);
    ///@}
    ///@{
    /// The first child named `name`, or `nullRef` when there is none.
    const CFields &operator[](const char *name) const {
        const CFields *l_p = findChildAt(name, nameLength(name));
        return l_p != nullptr ? *l_p : null;
    }
    const CFields &operator[](const std::string &name) const;
    const CFields &operator[](const CStaticString &name) const;
    /// The first child named `name`, or `freeNull` (reset to null) when there is none.
    CFields &operator[](std::string_view name) {
        const CFields *l_p = findChildAt(name);
        return l_p != nullptr ? *const_cast<CFields *>(l_p) : resetFreeNull();
    }
    /// The first child named `name`, or `nullRef` when there is none.
    const CFields &operator[](std::string_view name) const {
        const CFields *l_p = findChildAt(name);
        return l_p != nullptr ? *l_p : null;
    }
    ///@}
    /// The child at `index`, or `nullRef` when out of range or not a container. Never throws.
    const CFields &getChildAt(unsigned int index) const noexcept {
        const tChildrenHead *l_pHead = head();
        return (l_pHead != nullptr && index < l_pHead->uCount) ? itemsOf(l_pHead)[index] : null;
    }

    ///@{
    /// Contiguous children: `begin()` to `end()` (both null for non-containers), for
    /// `for (CFields &child : node)`.
    CFields *begin() noexcept {
        const tChildrenHead *l_pHead = head();
        return l_pHead != nullptr ? const_cast<CFields *>(itemsOf(l_pHead)) : nullptr;
    }
    CFields *end() noexcept {
        const tChildrenHead *l_pHead = head();
        return l_pHead != nullptr ? const_cast<CFields *>(itemsOf(l_pHead)) + l_pHead->uCount : nullptr;
    }
    const CFields *begin() const noexcept {
        const tChildrenHead *l_pHead = head();
        return l_pHead != nullptr ? itemsOf(l_pHead) : nullptr;
    }
    const CFields *end() const noexcept {
        const tChildrenHead *l_pHead = head();
        return l_pHead != nullptr ? itemsOf(l_pHead) + l_pHead->uCount : nullptr;
    }
    ///@}

    // MARK: - Children: finding and counting

    /// The first child of a `DT_fields` node whose name is these `length` bytes; null for other
    /// types, a null or empty name, or no match.
    const CFields *findChildAt(const char *name, unsigned int length) const {
        if ((m_ucSlots & 0x07u) != DT_fields || name == nullptr || length == 0)
            return nullptr;
        const tChildrenHead *l_pHead = head();
        if (l_pHead == nullptr)
            return nullptr;
        if (l_pHead->uCount >= SMALL_RECORD_LIMIT)
            return findIndexed(name, length);
        // Small records: a scan of the names, inline so that lookups in many small records
        // overlap their memory accesses.
        const CFields *l_pItems = itemsOf(l_pHead);
        for (uint32_t i = 0; i < l_pHead->uCount; ++i) {
            const CAllotString &l_tName = l_pItems[i].m_tName;
            if (l_tName.getLength() == length) {
                if (sameBytes(l_tName.getData(), name, length))
                    return &l_pItems[i];
            }
        }
        return nullptr;
    }
    /// `findChildAt` with the view's bytes as the name.
    const CFields *findChildAt(std::string_view name) const {
        return findChildAt(name.data(), viewNameLength(name));
    }
    ///@{
    /// True when `index` is below `getChildCount()`.
    bool isValidChild(unsigned int index) const noexcept { return index < getChildCount(); }
    bool isValidChild(int index) const noexcept { return index >= 0 && unsigned(index) < getChildCount(); }
    ///@}
    ///@{
    /// True when `findChildAt` finds a child with this name.
    bool isValidChild(const char *name, unsigned int length) const {
        return findChildAt(name, length) != nullptr;
    }
    bool isValidChild(const char *name) const { return findChildAt(name, nameLength(name)) != nullptr; }
    bool isValidChild(const std::string &name) const {
        return findChildAt(name.data(), unsigned(name.size())) != nullptr;
    }
    /// True when `findChildAt` finds a child with the view's bytes as its name.
    bool isValidChild(std::string_view name) const { return findChildAt(name) != nullptr; }
    ///@}
    /// Number of direct children; 0 for non-containers and removed sequences.
    unsigned int getChildCount() const noexcept {
        const tChildrenHead *l_pHead = head();
        return l_pHead != nullptr ? l_pHead->uCount : 0u;
    }
    /// Number of all descendants of `start` (of this node when null), `start` not counted.
    unsigned int getMemberCount(const CFields *start = nullptr) const;
    /// True for `DT_null`, `DT_array` and `DT_fields` without children; false for values.
    bool emptyChild() const noexcept;
    /// The first node with `id` in the subtree of `start` (this node when null), `start`
    /// included, depth first, parents before children; null for `id` 0 or above 2147483647.
    const CFields *findID(unsigned int id, const CFields *start = nullptr) const;
    /// Index of the first direct child with `id`; -1 when `id` is 0 or none matches.
    int getChildIdx4ID(unsigned int id) const;
    /// Index of the first direct child named `name`; -1 for a null or empty name or no match.
    int getChildIdx4Name(const char *name, unsigned int length) const;
    ///@{
    /// ID of the first direct child named `name`; 0 when none matches or the name is empty.
    unsigned int getChildID4Name(const char *name, unsigned int length) const;
    unsigned int getChildID4Name(const char *name) const;
    ///@}
    /// Name of the first direct child with `id`; "" when `id` is 0, none matches or it has no
    /// name (never null).
    const char *getChildName4ID(unsigned int id) const;
    /// Gives the first direct child with `id` a copy of `name`; false when `id` is 0, `name` is
    /// null, no child matches or the name's length is 0 or above 255.
    bool setChildName4ID(unsigned int id, const char *name);

    // MARK: - Children: copying out and removing

    ///@{
    /// A copy of the child at `index`, or of `fallback` when out of range. Non-containers raise
    /// `CLogicError` "requires DT_array or DT_fields".
    CFields copyChildAt(unsigned int index, const CFields &fallback) const;
    CFields copyChildAt(int index, const CFields &fallback) const;
    ///@}
    ///@{
    /// A copy of the first child named `name`, or of `fallback`.
    CFields copyChildAt(const char *name, unsigned int length, const CFields &fallback) const;
    CFields copyChildAt(const char *name, const CFields &fallback) const;
    CFields copyChildAt(const std::string &name, const CFields &fallback) const;
    /// A copy of the first child with the view's bytes as its name, or of `fallback`.
    CFields copyChildAt(std::string_view name, const CFields &fallback) const {
        return copyChildAt(name.data(), viewNameLength(name), fallback);
    }
    ///@}
    ///@{
    /// Removes the child at `index` after copying it whole into `out` when given. False (and no
    /// change) for non-containers, a removed sequence or an index out of range. Later siblings
    /// keep all of their content (values, fixed or valid values, names, IDs, comments).
    bool removeChildAt(unsigned int index, CFields *out = nullptr);
    bool removeChildAt(int index, CFields *out = nullptr);
    ///@}
    ///@{
    /// Removes the first child named `name` of a `DT_fields` node, copying it into `out` first.
    /// False for a null or empty name or no match.
    bool removeChildAt(const char *name, unsigned int length, CFields *out = nullptr);
    bool removeChildAt(const char *name, CFields *out = nullptr);
    bool removeChildAt(const std::string &name, CFields *out = nullptr);
    /// Removes the first child with the view's bytes as its name, as `removeChildAt(name, out)`.
    bool removeChildAt(std::string_view name, CFields *out = nullptr) {
        return removeChildAt(name.data(), viewNameLength(name), out);
    }
    ///@}
    /// Containers: sets the offsets to 0 and removes every child (the type stays). Other nodes
    /// are unchanged.
    void removeChildAll();
    /// Containers lose their children first; then both values are cleared to a zero value of
    /// `type` and the value kind becomes `VK_Actual`. Name, ID, comments and packet expression
    /// stay. After `removeAll(DT_fields)` or `removeAll(DT_array)` the node has no children
    /// sequence: it counts 0 children and adding one raises the "m_pFV=NULL" error until
    /// `setValue(DT_fields)`/`setValue(DT_array)` gives it a new one.
    void removeAll(E_DataType type = DT_null);

    // MARK: - Values: setting
    //
    // `vk` VK_Actual addresses the actual value, any other kind the second value. Setters raise
    // `CLogicError` "Unknown value type(%d)" for kinds above 2. Setting the second slot resets
    // the node's value kind to VK_Actual: call `setVK` afterwards to mark it fixed or valid.

    /// Clears the slot to `type` with a zero value (false, 0, 0.0, a code list without data,
    /// an empty children sequence). The second slot refuses containers: it becomes `DT_null`
    /// and false is returned. A type above 7 raises "Unknown data type(%d)" (actual slot) or
    /// "Mismatched data type(%d) for value type(%d)" (second slot).
    bool setValue(E_DataType type, E_ValueKind vk = VK_Actual);
    ///@{
    /// Stores `value` in the actual slot (`VK_Actual`) or the second slot (`VK_Fixed`, `VK_Valid`):
    /// bool as `DT_bool`, signed integers as `DT_sint`, unsigned as `DT_uint`, double as `DT_double`.
    /// Containers lose their children first. A value kind above 2 raises `CLogicError`
    /// "Unknown value type(%d)". \returns true when stored.
    bool setValue(bool value, E_ValueKind vk = VK_Actual);
    bool setValue(int value, E_ValueKind vk = VK_Actual);
    bool setValue(long value, E_ValueKind vk = VK_Actual);
    bool setValue(long long value, E_ValueKind vk = VK_Actual);
    bool setValue(unsigned int value, E_ValueKind vk = VK_Actual);
    bool setValue(unsigned long value, E_ValueKind vk = VK_Actual);
    bool setValue(unsigned long long value, E_ValueKind vk = VK_Actual);
    bool setValue(double value, E_ValueKind vk = VK_Actual);
    ///@}
    /// Owned copy up to the terminating zero; null raises "Value paramter has NULL pointer".
    bool setValue(const char *text, E_ValueKind vk = VK_Actual);
    /// Owned copy of exactly `length` bytes (up to 2147483642); `text` may point into this
    /// node's own value.
    bool setValue(const char *text, unsigned int length, E_ValueKind vk = VK_Actual);
    /// Owned copy of the string's bytes (zero bytes included).
    bool setValue(const std::string &text, E_ValueKind vk = VK_Actual);
    /// Owned copy of the view's bytes (up to 2147483642).
    bool setValue(std::string_view text, E_ValueKind vk = VK_Actual);
    /// Borrowed text (no copy).
    bool setValue(const CStaticString &text, E_ValueKind vk = VK_Actual);
    /// Copies `other`'s value kind and values (children deeply). When `other` has a second
    /// value of a container type, the second slot becomes `DT_null`, the kind `VK_Actual` and
    /// false is returned. `other` may be this node or lie inside it.
    bool setValue(const CFields &other);

    /// True when the actual value is `DT_null`.
    bool operator!() const noexcept { return getDT() == DT_null; }

    // MARK: - Value kind

    /// The node's value kind (`VK_Actual`, `VK_Fixed` or `VK_Valid`).
    E_ValueKind getVK() const noexcept { return E_ValueKind(m_ucVK); }
    /// `VK_Actual` drops the second value. `VK_Fixed`/`VK_Valid` copy the actual value into an
    /// empty second slot first (containers refuse: false, nothing changed). False for kinds
    /// above 2.
    bool setVK(E_ValueKind kind);
    /// True for the value kinds 0 to 2.
    static constexpr bool isValidVK(E_ValueKind kind) noexcept { return uint32_t(kind) < 3; }
    /// True for the data types 0 to 7.
    static constexpr bool isValidDT(E_DataType type) noexcept { return uint32_t(type) < 8; }

    // MARK: - Type tests (every test accepts any kind; non-zero kinds address the second slot)

    ///@{
    /// The data type of the slot (`getDT`), and whether it is null, bool, a code list, an array or a record.
    E_DataType getDT(E_ValueKind vk = VK_Actual) const noexcept {
        return E_DataType(vk == VK_Actual ? (m_ucSlots & 0x07u) : ((m_ucSlots >> 4) & 0x07u));
    }
    bool isNull(E_ValueKind vk = VK_Actual) const noexcept { return getDT(vk) == DT_null; }
    bool isBool(E_ValueKind vk = VK_Actual) const noexcept { return getDT(vk) == DT_bool; }
    bool isCodelist(E_ValueKind vk = VK_Actual) const noexcept { return getDT(vk) == DT_codelist; }
    bool isArray(E_ValueKind vk = VK_Actual) const noexcept { return getDT(vk) == DT_array; }
    bool isField(E_ValueKind vk = VK_Actual) const noexcept { return getDT(vk) == DT_fields; }
    ///@}
    /// sint in 32-bit signed range; uint below 2^31; double integral in that range.
    bool isSint32(E_ValueKind vk = VK_Actual) const noexcept;
    /// sint in 0..4294967295; uint up to 4294967295; double integral in that range.
    bool isUint32(E_ValueKind vk = VK_Actual) const noexcept;
    /// sint; uint up to 2^63-1; double integral in [-2^63, 2^63).
    bool isSint64(E_ValueKind vk = VK_Actual) const noexcept;
    /// sint at least 0; uint; double integral in [0, 2^64).
    bool isUint64(E_ValueKind vk = VK_Actual) const noexcept;
    /// `isSint64` or `isUint64`.
    bool isIntegral(E_ValueKind vk = VK_Actual) const noexcept { return isSint64(vk) || isUint64(vk); }
    /// A double or an integral number.
    bool isNumeric(E_ValueKind vk = VK_Actual) const noexcept {
        return getDT(vk) == DT_double || isIntegral(vk);
    }
    /// As `isNumeric`.
    bool isDouble(E_ValueKind vk = VK_Actual) const noexcept { return isNumeric(vk); }

    // MARK: - Conversions (raise `CLogicError` for types without a conversion or values out of range)

    ///@{
    /// The slot's value converted to the type: null is false or 0, bool 0 or 1, a code list is
    /// parsed as a number. A value without that conversion or out of the type's range raises
    /// `CLogicError` (for example "LSint out of Sint32 range", "CFields is not convertible to bool.").
    bool asBool(E_ValueKind vk = VK_Actual) const;
    int asSint32(E_ValueKind vk = VK_Actual) const;
    unsigned int asUint32(E_ValueKind vk = VK_Actual) const;
    long long asSint64(E_ValueKind vk = VK_Actual) const;
    long long asLSint(E_ValueKind vk = VK_Actual) const { return asSint64(vk); }
    unsigned long long asUint64(E_ValueKind vk = VK_Actual) const;
    unsigned long long asLUint(E_ValueKind vk = VK_Actual) const { return asUint64(vk); }
    float asFloat(E_ValueKind vk = VK_Actual) const;
    double asDouble(E_ValueKind vk = VK_Actual) const {
        return (vk == VK_Actual && (m_ucSlots & 0x07u) == DT_double) ? m_uActValue.m_dValue
                                                                     : asDoubleOther(vk);
    }
    ///@}
    /// "" for null and a code list without data, "true"/"false", `ToString` of numbers, the
    /// code list's bytes. Containers raise "Type is not convertible to string".
    std::string asString(E_ValueKind vk = VK_Actual) const;
    ///@{
    /// Sets `out` to 0; integral slots store `asSint64` and give true; a code list with data is
    /// parsed by `aton64`; everything else gives false.
    bool toSint64(long long &out, E_ValueKind vk = VK_Actual) const;
    bool toUint64(unsigned long long &out, E_ValueKind vk = VK_Actual) const;
    ///@}
    /// Whether the slot converts to `target` (a target above 7 raises "Unknown data type(%d)").
    bool isConvertible(E_DataType target, E_ValueKind vk = VK_Actual) const;

    // MARK: - Raw access

    /// The slot's 8-byte value.
    const uMultiValue &getValueRef(E_ValueKind vk = VK_Actual) const noexcept {
        return vk == VK_Actual ? m_uActValue : m_uSecValue;
    }
    /// Address of the stored bool or number, of a code list's first byte (null without data);
    /// null for other types.
    const void *getValuePtr(E_ValueKind vk = VK_Actual) const noexcept;
    /// 1 for bool, 8 for numbers, a code list's length, 0 otherwise.
    unsigned int getRawBytes(E_ValueKind vk = VK_Actual) const noexcept {
        if (vk == VK_Actual && (m_ucSlots & 0x0Fu) == (DT_codelist | 0x08u) &&
            m_uActValue.m_cpValue != nullptr) {
            uint32_t l_uLen; // an owned list: the count in front of the bytes
            std::memcpy(&l_uLen, m_uActValue.m_cpValue, 4);
            return l_uLen;
        }
        return getRawBytesOther(vk);
    }
    /// For a code list with data: sets `*out` to its first byte and returns its length;
    /// otherwise 0 (`*out` untouched).
    unsigned int getCodePoint(const char **out, E_ValueKind vk = VK_Actual) const noexcept;
    /// Resizes an owned code list with data to `length` bytes, filling new bytes with `fill`.
    /// False for any other slot, for lengths above 2147483642, and when memory runs out (the
    /// old bytes then stay).
    bool resizeCodes(unsigned int length, unsigned char fill, E_ValueKind vk = VK_Actual);

    // MARK: - Comparing

    /// True when the actual and second value are equal (false for containers and for
    /// different types; NaN never equal).
    bool isEqualDualValue() const noexcept;
    /// Compares actual values only (names, IDs, comments, second values ignored); containers
    /// compare their children pairwise.
    ///@{
    bool operator==(const CFields &other) const noexcept;
    bool operator!=(const CFields &other) const noexcept { return !(*this == other); }
    ///@}
    /// Orders actual values: by data type number first, then by value (see the docs of
    /// `compare`).
    ///@{
    bool operator<(const CFields &other) const noexcept;
    bool operator>(const CFields &other) const noexcept { return other < *this; }
    bool operator<=(const CFields &other) const noexcept { return !(other < *this); }
    bool operator>=(const CFields &other) const noexcept { return !(*this < other); }
    ///@}
    /// -1 when this < other, 1 when other < this, else 0. Different data types order by their
    /// number (a `DT_sint` is always before a `DT_uint`); containers by child count, then
    /// children; code lists bytewise, a shorter prefix first.
    int compare(const CFields &other) const noexcept { return *this < other ? -1 : (other < *this ? 1 : 0); }

    // MARK: - Paths, typed access and construction in place
    //
    // A path names a node below this one, step by step:
    // - `name` a member of a record; steps are separated by ".": "server.port";
    // - `[N]` the child at index N (decimal) of an array or a record: "hosts[0]", "[2].name";
    // - `#ID` the first node with that ID (decimal, 1 to 2147483647) in the subtree of the node
    //   reached so far, that node included, as `findID` finds it: "#12", "config#12.port".
    // "." may also stand before "[N]" and "#ID" ("hosts.[0]"). In names, ".", "[", "]", "#" and
    // "\" are written with a "\" in front ("a\.b" is the member "a.b"); "\" before any other
    // byte stands for that byte. The empty path names this node. A path is malformed when a
    // name is empty ("a..b", "a."), a name step follows "]" or an ID without ".", an index or
    // ID is not a decimal number, "]" stands unescaped in a name, or the path ends in "\".

    /// The node at `path` below this one, or null when a step finds nothing or the path is
    /// malformed (see above). Never throws.
    /// \code
    ///   auto cfg = vexl::CFields::record({{"hosts", vexl::CFields::array({"a", "b"})}});
    ///   cfg.findPath("hosts[1]")->asString(); // "b"
    ///   cfg.findPath("hosts[2]");             // nullptr
    /// \endcode
    const CFields *findPath(std::string_view path) const noexcept;
    /// The same, writable.
    CFields *findPath(std::string_view path) noexcept {
        return const_cast<CFields *>(static_cast<const CFields *>(this)->findPath(path));
    }
    /// The node at `path`, like `std::map::at`: raises `CPathError` (a `std::out_of_range`)
    /// naming the path and the first step that found nothing, or saying the path is malformed.
    /// \code
    ///   cfg.at("hosts[0]") = "c";   // changes an existing member
    ///   cfg.at("timeout");          // throws: path "timeout": no member "timeout"
    /// \endcode
    CFields &at(std::string_view path) {
        return const_cast<CFields &>(static_cast<const CFields *>(this)->at(path));
    }
    /// The same, read only.
    const CFields &at(std::string_view path) const;
    /// The member `name` of this record, appended as a null member when missing. A `DT_null`
    /// node first becomes an empty record (keeping its name, ID, comments and packet
    /// expression). Other types raise `CLogicError` "requires DT_fields"; a name that is empty or
    /// longer than 255 bytes raises "name length out of range".
    /// \code
    ///   vexl::CFields cfg;
    ///   cfg.getOrCreate("timeout") = 5;           // cfg is {timeout: 5}
    ///   cfg.getOrCreate("timeout").asSint32();    // 5, the same member
    /// \endcode
    CFields &getOrCreate(std::string_view name);

    /// The actual value converted to `T` as the matching `asXxx` call converts it (`asBool`,
    /// `asSint32`/`asSint64` for signed, `asUint32`/`asUint64` for unsigned integers, `asFloat`,
    /// `asDouble`, `asString`); raises `CLogicError` as that call does, and for integers narrower
    /// than 32 bits also when the value does not fit. A null node gives 0, false or "".
    /// \code
    ///   cfg["port"].get<uint16_t>(); // 8080
    ///   cfg["name"].get<int>();      // throws CLogicError: a code list is not a number
    /// \endcode
    template <FieldsValueType T> T get() const {
        if constexpr (std::is_same_v<T, bool>)
            return asBool();
        else if constexpr (std::is_same_v<T, std::string>)
            return asString();
        else if constexpr (std::is_same_v<T, float>)
            return asFloat();
        else if constexpr (std::is_same_v<T, double>)
            return asDouble();
        else if constexpr (std::is_signed_v<T>) {
            if constexpr (sizeof(T) > 4)
                return T(asSint64());
            else {
                int l_n = asSint32();
                if constexpr (sizeof(T) < 4)
                    if (l_n < int(std::numeric_limits<T>::min()) || l_n > int(std::numeric_limits<T>::max()))
                        raiseLogicError("[%s#%d] Value out of range for a %u-byte integer",
                                        "vexl::CFields::get", __LINE__, unsigned(sizeof(T)));
                return T(l_n);
            }
        } else {
            if constexpr (sizeof(T) > 4)
                return T(asUint64());
            else {
                unsigned l_u = asUint32();
                if constexpr (sizeof(T) < 4)
                    if (l_u > unsigned(std::numeric_limits<T>::max()))
                        raiseLogicError("[%s#%d] Value out of range for a %u-byte integer",
                                        "vexl::CFields::get", __LINE__, unsigned(sizeof(T)));
                return T(l_u);
            }
        }
    }
    /// The actual value as `get<T>()` converts it, or empty where `get<T>()` would raise. A
    /// null node (also what a lookup that finds nothing returns) gives empty too.
    /// \code
    ///   if (auto port = cfg["port"].tryGet<int>())
    ///       listen(*port);
    /// \endcode
    template <FieldsValueType T> std::optional<T> tryGet() const noexcept {
        if (isNull())
            return std::nullopt;
        try {
            return get<T>();
        } catch (...) {
            return std::nullopt;
        }
    }
    /// `tryGet<T>()`, or `fallback` when that is empty.
    /// \code
    ///   int timeout = cfg["timeout"].value_or(30); // 30 when missing, null or not a number
    /// \endcode
    template <FieldsValueType T> T value_or(T fallback) const noexcept {
        std::optional<T> l_opt = tryGet<T>();
        return l_opt ? std::move(*l_opt) : std::move(fallback);
    }
    /// `value_or` for text: the value as `asString` gives it, or `fallback`.
    std::string value_or(std::string_view fallback) const { return value_or(std::string(fallback)); }
    /// `value_or` of the node at `path` (see `findPath`); `fallback` when there is none.
    /// \code
    ///   cfg.value_or("server.port", 8080);
    /// \endcode
    template <FieldsValueType T> T value_or(std::string_view path, T fallback) const noexcept {
        const CFields *l_p = findPath(path);
        return l_p != nullptr ? l_p->value_or(std::move(fallback)) : std::move(fallback);
    }
    /// The same for text.
    std::string value_or(std::string_view path, std::string_view fallback) const {
        return value_or(path, std::string(fallback));
    }

    /// A record holding copies of the given members in order; a name given twice keeps its
    /// first position and takes the later value. Each value is copied whole (`setField`) and
    /// then named. A name that is empty or longer than 255 bytes raises `CLogicError`.
    /// \code
    ///   auto cfg = vexl::CFields::record(
    ///       {{"name", "vexl"}, {"port", 8080}, {"hosts", vexl::CFields::array({"a", "b"})}});
    ///   cfg["hosts"][1].asString(); // "b"
    /// \endcode
    static CFields record(std::initializer_list<std::pair<std::string_view, CFields>> members);
    /// An array holding copies of the given elements in order (each copied whole).
    /// \code
    ///   auto ports = vexl::CFields::array({80, 443}); // ports.getChildCount() == 2
    /// \endcode
    static CFields array(std::initializer_list<CFields> elements);

    // MARK: - Text form

    /// The node written by the saver dispatcher with saver configuration 8, the encoding rule
    /// `er`, save-information bits `sis` and `password`; defined with the writers.
    std::string toVEXL(unsigned char er, unsigned char sis, const char *password) const;

    // MARK: - Packet expression and packet engine

    /// A copy of the 10-byte packet expression.
    tPacketExpInfo pkt_GetExp() const noexcept { return m_tPEI; }
    /// Replaces the packet expression (no check).
    void pkt_SetExp(const tPacketExpInfo &exp) noexcept { m_tPEI = exp; }
    /// True when all 10 bytes are zero.
    static bool pkt_IsNullExp(const tPacketExpInfo &exp) noexcept { return exp == tPacketExpInfo{}; }
    ///@{
    /// The user pointer (never dereferenced or freed by the library).
    const void *pkt_GetOSA4User() const noexcept { return m_pOSA; }
    void pkt_SetOSA4User(const void *arg) noexcept { m_pOSA = arg; }
    ///@}
    /// The inner arguments of the hook call running on this field on the calling thread, or an
    /// all-zero record outside a hook call.
    const tInnerSupportedArgs4ESK &pkt_GetISA4ESK() const noexcept;

    /// Natural length of the value under the packet code (0 for containers).
    unsigned int pkt_Len4PEI() const;
    /// Length of this field alone.
    uPacketLengthExpression pkt_Len4OneSelf(bool keywords) const;
    /// Sum over the leaves under `node` (this node when null).
    uPacketLengthExpression pkt_Len4Children(bool keywords, const CFields *node = nullptr) const;
    /// Packet bytes of this field alone.
    std::string pkt_Make4OneSelf(bool keywords);
    /// Packet of all leaves under `node` (this node when null).
    std::string pkt_Make4Children(bool keywords, CFields *node = nullptr);
    /// Parses this field from `data`: bytes left (>= 0), negated missing count, or -1.
    int pkt_Parse4OneSelf(const char *data, unsigned int size, bool store);
    /// Parses all leaves under `node` (this node when null).
    int pkt_Parse4Children(const char *data, unsigned int size, bool store, CFields *node = nullptr);
    ///@{
    /// Compares this field's actual and second value ("fix" leaves when `valid` is false,
    /// "valid" leaves when true; all other fields pass).
    bool pkt_Check4OneSelf(bool valid);
    bool pkt_Check4Children(bool valid, CFields *node = nullptr);
    ///@}
    /// Keyword check of this field against `data`.
    bool pkt_DetailCheck4OneSelf(const char *data, unsigned int size);
    /// 0 when all leaves pass, else the position of the first failing field plus 1.
    unsigned int pkt_DetailCheck4Children(const char *data, unsigned int size, CFields *node = nullptr);
    /// Sets the value of every leaf with this keyword: count set, -1 for kind >= 16 or index 0,
    /// -2 for kind 0 with index above 38.
    int pkt_SetValue4SKI(unsigned char kind, unsigned short index, const CFields &value,
                         CFields *node = nullptr);
    /// Sets the user pointer of every leaf with this keyword; results as `pkt_SetValue4SKI`.
    int pkt_SetOSA4SKI(unsigned char kind, unsigned short index, const void *arg, CFields *node = nullptr);

    // MARK: - Packet engine: making into the caller's memory, compiled layouts
    //
    // A container that makes, parses, measures or checks packets keeps a compiled layout of the
    // leaves below it (their order, expressions and packet positions) and checks it against the
    // tree on every call, so any change to the tree (a packet expression, a child added, removed
    // or moved) is seen at once; the results are exactly those of a walk over the tree. Copies of
    // a tree start without a layout.

    /// Makes the packet of all leaves under `node` (this node when null) into `buffer`: the same
    /// bytes `pkt_Make4Children(keywords, node)` returns.
    /// \param buffer where the packet goes; may be null when `capacity` is 0
    /// \param capacity bytes available at `buffer`
    /// \param keywords whether supporting keywords run (as for `pkt_Make4Children`)
    /// \param node the subtree to make; this node when null
    /// \return the packet's length. When it is above `capacity`, nothing is written to `buffer`
    /// and the needed length is returned (keyword steps, which may set values, have run as for
    /// any make): call again with a buffer of at least that length. Keyword steps raise
    /// `CLogicError` as `pkt_Make4Children` does.
    /// Without keyword steps no heap memory is allocated once the tree's layout is compiled.
    size_t pkt_Make4ChildrenTo(char *buffer, size_t capacity, bool keywords, CFields *node = nullptr);
    /// Appends the packet of all leaves under `node` (this node when null) to `out`: the same
    /// bytes `pkt_Make4Children(keywords, node)` returns.
    /// \param out the string the packet is appended to; its earlier content stays
    /// \param keywords whether supporting keywords run
    /// \param node the subtree to make; this node when null
    /// \return the number of bytes appended. Reusing one string keeps its capacity, so without
    /// keyword steps nothing is allocated per packet once it is large enough. On an exception
    /// (a keyword step's `CLogicError`, `std::bad_alloc`) `out` keeps its earlier content.
    size_t pkt_Append4Children(std::string &out, bool keywords, CFields *node = nullptr);
    /// Releases the compiled packet layout kept with this container (it is compiled again on
    /// the next packet call). Never needed for correctness; nothing happens for other nodes.
    void pkt_ReleaseLayout() noexcept;

private:
    friend class CFieldsVector;
    friend class detail::CPacketPlan;

    // Packet engine internals (defined with the engine; unused ones may stay undefined).
    void pkt_make4OneSelf(std::string &packet, tMemoVector &memo, bool keywords);
    void pkt_make4Children(std::string &packet, tMemoVector &memo, bool keywords, CFields *node);
    std::string pkt_makeToACF() const;
    std::string pkt_makeToACV() const;
    std::string pkt_makeToBCF() const;
    std::string pkt_makeToBCV() const;
    std::string pkt_makeToANF() const;
    std::string pkt_makeToANV() const;
    std::string pkt_makeToBNF() const;
    std::string pkt_makeToBNV() const;
    unsigned int pkt_lengthToAC() const;
    unsigned int pkt_lengthToBC() const;
    unsigned int pkt_lengthToAN() const;
    unsigned int pkt_lengthToBN() const;
    int pkt_parse4OneSelf(const char *data, unsigned int size, unsigned int &position, tMemoVector &memo,
                          bool store);
    int pkt_parse4Children(const char *data, unsigned int size, unsigned int &position, tMemoVector &memo,
                           bool store, CFields *node);
    int pkt_parseToACF(const char *field, unsigned int remain, bool store);
    int pkt_parseToACV(const char *field, unsigned int remain, bool store);
    int pkt_parseToANF(const char *field, unsigned int remain, bool store);
    int pkt_parseToANV(const char *field, unsigned int remain, bool store);
    int pkt_parseToBCF(const char *field, unsigned int remain, bool store);
    int pkt_parseToBCV(const char *field, unsigned int remain, bool store);
    int pkt_parseToBNF(const char *field, unsigned int remain, bool store);
    int pkt_parseToBNV(const char *field, unsigned int remain, bool store);
    bool pkt_detailCheck4OneSelf(const char *data, unsigned int size, unsigned int &position,
                                 tMemoVector &memo);
    bool pkt_detailCheck4Children(const char *data, unsigned int size, unsigned int &position,
                                  tMemoVector &memo, CFields *node);
    bool pkt_allotValue4SKI(std::string &packet, tMemoVector &memo);
    void pkt_parsePrepare4SKI(const char *data, unsigned int size, unsigned int position, tMemoVector &memo);
    bool pkt_detailCheckValue4SKI(const char *data, unsigned int size, unsigned int &position,
                                  tMemoVector &memo);

    /// Makes `args` what `pkt_GetISA4ESK()` returns for this field on the calling thread until
    /// the matching `pkt_leaveISA4ESK()`; calls nest (a hook may run another field's hook).
    void pkt_enterISA4ESK(const tInnerSupportedArgs4ESK &args) const;
    void pkt_leaveISA4ESK() const noexcept;

    // Tree internals.
    /// Length of a name given as a view, capped at 256 as `nameLength` caps it.
    static unsigned int viewNameLength(std::string_view name) noexcept {
        return unsigned(name.size() > CAllotString::MAX_LENGTH ? CAllotString::MAX_LENGTH + 1 : name.size());
    }
    /// Records with fewer children are searched by a scan; larger ones through an index.
    static constexpr uint32_t SMALL_RECORD_LIMIT = 12;
    /// Length of a zero-terminated name, counted up to 256 (longer names match no child).
    static unsigned int nameLength(const char *name) noexcept {
        unsigned int l_n = 0;
        if (name != nullptr)
            while (l_n <= CAllotString::MAX_LENGTH && name[l_n] != '\0')
                ++l_n;
        return l_n;
    }
    const CFields *findIndexed(const char *name, unsigned int length) const;
    /// Byte equality of names (at most 255 bytes), without a library call.
    static bool sameBytes(const char *a, const char *b, unsigned int length) noexcept {
        for (unsigned int i = 0; i < length; ++i)
            if (a[i] != b[i])
                return false;
        return true;
    }
    CFields &resetFreeNull() noexcept;
    double asDoubleOther(E_ValueKind vk) const;
    unsigned int getRawBytesOther(E_ValueKind vk) const noexcept;
    // Bit n set: a slot whose four bits are n holds something to release (a container, with or
    // without the ownership flag: 1, 2, 9, 10; an owned code list: 15).
    static constexpr uint32_t SLOTS_OWNING = 0x8606u;
    static constexpr bool slotOwns(unsigned bits) noexcept { return ((SLOTS_OWNING >> bits) & 1u) != 0; }
    uint8_t actBits() const noexcept { return m_ucSlots & 0x0Fu; }
    uint8_t secBits() const noexcept { return m_ucSlots >> 4; }
    void setActBits(uint8_t bits) noexcept { m_ucSlots = uint8_t((m_ucSlots & 0xF0u) | (bits & 0x0Fu)); }
    void setSecBits(uint8_t bits) noexcept {
        m_ucSlots = uint8_t((m_ucSlots & 0x0Fu) | ((bits & 0x0Fu) << 4));
    }
    CFieldsVector *children() const noexcept {
        uint8_t l_dt = m_ucSlots & 0x07u;
        return (l_dt == DT_fields || l_dt == DT_array) ? m_uActValue.m_pFV : nullptr;
    }
    // The sequence is a tChildrenHead followed by the children (a standard-layout class whose
    // only base is the head, so the two pointers are interconvertible).
    const tChildrenHead *head() const noexcept { return reinterpret_cast<const tChildrenHead *>(children()); }
    static const CFields *itemsOf(const tChildrenHead *head) noexcept {
        return reinterpret_cast<const CFields *>(head + 1);
    }
    void destroyParts() noexcept;
    void clearActual() noexcept;
    void clearSecond() noexcept;
    void destroyComments() noexcept;
    void resetToNull() noexcept;
    bool isBareValue() const noexcept;
    bool cloneFrom(const CFields &src);
    void stealValues(CFields &src) noexcept;
    void stealField(CFields &src) noexcept;
    bool setNameChecked(const char *name, unsigned int length, E_DuplicationPolicy policy);
    void setScalar(E_ValueKind vk, E_DataType type, uMultiValue value);
    void setCodes(E_ValueKind vk, const char *pointer, bool owned) noexcept;
    void becomeContainer(bool fields);
    CFields *childAdd(const char *name, unsigned int length, unsigned int id, bool forceNew, bool &existed,
                      const char *function);
    CFieldsVector *&requireSequence(const char *function);

    // Layout (72 bytes): pointers first, then 32-bit members, then bytes.
    uMultiValue m_uActValue;  ///< actual value
    uMultiValue m_uSecValue;  ///< second (fixed or valid) value
    CAllotString m_tName;     ///< name
    CHeapString *m_pComments; ///< three comments (CP_Ahead, CP_Behind, CP_Tail), or null
    const void *m_pOSA;       ///< user pointer
    uint32_t m_uiID;          ///< ID, 0 for none
    int32_t m_nOffsetStart;   ///< start offset of the field's text
    int32_t m_nOffsetEnd;     ///< end offset of the field's text
    tPacketExpInfo m_tPEI;    ///< packet expression
    uint8_t m_ucSlots;        ///< bits 0-2 actual type, bit 3 actual owned, bits 4-6 second type, bit 7 owned
    uint8_t m_ucVK;           ///< value kind
};

} // namespace vexl
