// CLoader4BER: reads a binary document (layout in vexf_format.h) into a field tree.
//
// Steps of one load: the header (and the password block against the caller's password), the
// reverse transform of the body into the loader's body buffer, then one record per field,
// depth first. Every read is preceded by a check that the bytes are there, so a truncated or
// forged document ends in a load error and never in a read outside the input. Child counts are
// only trusted as far as the remaining bytes could hold that many records.
//
// Failures: header and transform problems are user errors ("[function#line] text") with a
// code; record problems are entries of the error list, summarised as "Offset %u" blocks with
// code 0. Either way loadit returns false and the root keeps no children. Only a nesting deeper
// than 1000 levels throws (`CLogicError`).

#include <bit>
#include <climits>
#include <cstring>
#include <string>

#include "binary/vexf_format.h"
#include "cipher/transform.h"
#include "packet/internal_keywords.h"
#include "tree/fields_vector.h"
#include "vexl/loaders.h"

namespace vexl {

namespace detail {

namespace {

// Error codes of header and transform failures (the fixed table's rows whose text fits).
constexpr int kErrParameter = -991; // "[SYS] Invalid parameter": no data, too short, bad header
constexpr int kErrPassword = -1297; // "[AUTH] Invalid password": missing or mismatched password
constexpr int kErrKey = -1500;      // "[SEC] Failed to set the key"
constexpr int kErrDecrypt = -1498;  // "[SEC] Failed to the data decryption"

// Messages of record errors.
constexpr const char *kMsgOverLength = "No more parsing. Over the data length.";
constexpr const char *kMsgSyntax = "Syntax error: value, field or array expected.";
constexpr const char *kMsgBadID = "Failed to set the field ID";
constexpr const char *kMsgAddChild = "This field not allow the duplication or a error occured";
constexpr const char *kMsgNotContainer = "value must be DT_fields or DT_array";
constexpr const char *kMsgNotValue = "value must not be DT_fields or DT_array";
constexpr const char *kMsgComment = "Comments must start with /";
constexpr const char *kMsgNumberLength = "Number value length must be little than 9";
constexpr const char *kMsgCodesLength = "Code list length must be little than 2147483643";
constexpr const char *kMsgRootType = "A valid VEXL document must be either an DT_array or an DT_fields type.";

// Longest code list a node holds.
constexpr uint32_t kMaxCodeList = 2147483642u;

int clampOffset(size_t v) noexcept {
    return v > size_t(INT_MAX) ? INT_MAX : int(v);
}

// Sets a comment read from a record so that the tree holds what the writer wrote. A comment is a
// C string, so it ends at its first zero byte. `setComment` drops one trailing line feed from
// texts it is given; a stored text that itself ends in one (set from a text ending in two) gets
// the dropped line feed added back, or every write and reload would lose one more.
void setStoredComment(CFields &field, const char *text, uint32_t length, E_CommentPosition position) {
    const uint32_t l_uiLen = uint32_t(::strnlen(text, length));
    if (l_uiLen != 0 && text[l_uiLen - 1] == '\n') {
        std::string l_strKept(text, l_uiLen);
        l_strKept.push_back('\n');
        field.setComment(l_strKept, position);
        return;
    }
    field.setComment(text, l_uiLen, position);
}

} // namespace

/// One load of a binary document on behalf of a `CLoader4BER`, using its error list, field stack
/// and body buffer.
class CBerReader {
public:
    explicit CBerReader(CLoader4BER &loader) noexcept : m_rL(loader) {}

    /// Checks the header and the password block; on success `bodyStart` is the offset of the body.
    bool loadHeader(const char *data, unsigned int size, const char *password, size_t &bodyStart);
    /// Reverses the body transform into the loader's body buffer and makes it the current text.
    bool decryptField(const char *data, unsigned int size, const char *password, size_t bodyStart);
    /// Reads the record at the current position into `field`: the root, or a null child just
    /// appended to its container (`named`: with the record's name already).
    bool loadFieldInfo(CFields &field, uint32_t depth, bool named = false);
    /// Root check of `LCBC_ROOT_CONTAINER`.
    bool checkRootType(const CFields &root);
    /// Announces the IDs that records gave to loaded nodes (see `setLoadedID`).
    void announceIDs() noexcept {
        if (m_bLoadedIDs)
            bumpIdEpoch();
        m_bLoadedIDs = false;
    }
    /// Offset of the reading position in the body.
    size_t position() const noexcept { return m_uiPos; }
    /// Bytes of the body buffer that hold decrypted text of this load: the whole decoded body
    /// of a SEED document (the password protects it), 0 for a type-0 body, whose plain text
    /// anyone can decode from the document itself.
    size_t secretBytes() const noexcept {
        if (!m_bDecrypting || m_uiCryptType == CT_VERNAM)
            return 0;
        return m_uiSize != 0 ? m_uiSize : m_rL.m_strBody.size(); // a failed decryption: all of it
    }

private:
    inline int loadPlainRecord(CFields &field, uint32_t depth);
    inline void setPlainIDAndName(CFields &field, uint32_t depth, uint32_t id, const unsigned char *name,
                                  unsigned length);
    bool loadFTI(CFields &field, tVEXF_Node &node, uint32_t depth);
    bool loadETI(CFields &field, tVEXF_Node &node);
    inline bool loadFieldName(CFields &field, tVEXF_Node &node);
    inline bool loadComment(CFields &field, const tVEXF_Node &node);
    inline bool loadPEI(CFields &field, tVEXF_Node &node);
    inline bool loadValue(CFields &field, tVEXF_Node &node);
    inline bool checkID(CFields &field, const tVEXF_Node &node);

    /// The name of the record at the reading position and its length, when the record's head and
    /// name lie within the body and it has one; otherwise 0.
    unsigned peekName(const unsigned char *&name) const noexcept {
        const size_t l_uiLeft = m_uiSize - m_uiPos;
        if (l_uiLeft == 0)
            return 0;
        const unsigned l_uiType = m_pData[m_uiPos];
        const size_t l_uiAt = l_uiType == DT_array || l_uiType == DT_fields ? kContainerHead - 1
                              : l_uiType <= DT_codelist                     ? kValueHead - 1
                                                                            : 0;
        if (l_uiAt == 0 || l_uiLeft <= l_uiAt)
            return 0;
        const unsigned l_uiLen = m_pData[m_uiPos + l_uiAt];
        if (l_uiLen == 0 || l_uiLeft - l_uiAt - 1 < l_uiLen)
            return 0;
        name = m_pData + m_uiPos + l_uiAt + 1;
        return l_uiLen;
    }
    /// True when `n` more bytes can be read; otherwise records the over-length error.
    bool need(size_t n, const tVEXF_Node &node) {
        if (m_uiSize - m_uiPos >= n)
            return true;
        return addError(node, kMsgOverLength);
    }
    /// Records `message` at the record of `node` (from its start to the reading position).
    /// Always returns false, so that callers can `return addError(...)`.
    [[gnu::cold, gnu::noinline]] bool addError(const tVEXF_Node &node, const char *message) {
        const char *l_pBegin = m_rL.m_pTextBegin;
        m_rL.m_dqErrors.push_back(
            tLoadError{tTokenInfo{TT_error, l_pBegin + node.uiStart, l_pBegin + m_uiPos}, message, nullptr});
        return false;
    }
    /// Completes a header or transform failure whose user error (the loader's message) was just
    /// set: also records it at `offset` of the document, so that `getStatus` is false.
    /// Always returns false.
    bool headerError(size_t offset) {
        const char *l_pAt = m_rL.m_pTextBegin + (m_rL.m_pTextBegin != nullptr ? offset : 0);
        m_rL.m_dqErrors.push_back(
            tLoadError{tTokenInfo{TT_error, l_pAt, l_pAt}, m_rL.getLastErrMsg(), nullptr});
        return false;
    }

    CLoader4BER &m_rL;
    const unsigned char *m_pData = nullptr; // the decoded body
    size_t m_uiSize = 0;                    // its length
    size_t m_uiPos = 0;                     // reading position
    bool m_bSwap = false;                   // the document is big-endian
    unsigned m_uiCryptType = 0;             // header byte 11
    bool m_bDecrypting = false;             // the body buffer received text of this load
    bool m_bLoadedIDs = false;              // a node below the root received an ID
};

// MARK: - Header and body transform

bool CBerReader::loadHeader(const char *data, unsigned int size, const char *password, size_t &bodyStart) {
    const char *const l_szFn = "vexl::CLoader4BER::loadHeader";
    if (data == nullptr) {
        m_rL.setUserError(kErrParameter, "[%s#%d] BER header pointer was NULL", l_szFn, __LINE__);
        return headerError(0);
    }
    if (size < kVexfMinDocument) {
        m_rL.setUserError(kErrParameter, "[%s#%d] Very shorter VEXF file size(%u)", l_szFn, __LINE__, size);
        return headerError(0);
    }

    tVexfHeader l_tHeader;
    std::memcpy(&l_tHeader, data, sizeof l_tHeader);
    // Magic and version are written but not checked: documents of other versions are read alike.
    m_bSwap = (l_tHeader.ucOrderAndRule & kVexfLittleEndian) == 0;
    m_rL.m_bSwap = m_bSwap;
    const unsigned l_uiHeaderSize = loadU16(l_tHeader.aucHeaderSize, m_bSwap);
    if (l_uiHeaderSize != kVexfHeaderSize) {
        m_rL.setUserError(kErrParameter, "[%s#%d] Mismatched size of VEXF header structure(%u)", l_szFn,
                          __LINE__, l_uiHeaderSize);
        return headerError(8);
    }
    m_uiCryptType = l_tHeader.ucCryptType;
    if (m_uiCryptType >= kCryptTypeCount) {
        m_rL.setUserError(kErrParameter, "[%s#%d] Mismatched encryption type(%u)", l_szFn, __LINE__,
                          m_uiCryptType);
        return headerError(11);
    }

    const size_t l_uiBlockLen = l_tHeader.ucPasswordLen;
    if (l_uiBlockLen != 0) {
        if (size < kVexfHeaderSize + l_uiBlockLen) {
            m_rL.setUserError(kErrParameter, "[%s#%d] Very shorter VEXF file size(%u)", l_szFn, __LINE__,
                              size);
            return headerError(12);
        }
        if (password == nullptr || password[0] == '\0') {
            m_rL.setUserError(kErrPassword, "[%s#%d] Input the password", l_szFn, __LINE__);
            return headerError(kVexfHeaderSize);
        }
        const auto *l_pBlock = reinterpret_cast<const unsigned char *>(data) + kVexfHeaderSize;
        switch (checkPasswordBlock(l_pBlock, l_uiBlockLen, password, std::strlen(password))) {
        case E_PasswordCheck::Match:
            break;
        case E_PasswordCheck::Mismatch:
            m_rL.setUserError(kErrPassword, "[%s#%d] Mismatched password", l_szFn, __LINE__);
            return headerError(kVexfHeaderSize);
        case E_PasswordCheck::Undecodable:
            m_rL.setUserError(kErrDecrypt, "[%s#%d] Failed to the password decryption(retval=%u)", l_szFn,
                              __LINE__, 0u);
            return headerError(kVexfHeaderSize);
        }
    }
    bodyStart = kVexfHeaderSize + l_uiBlockLen;
    return true;
}

bool CBerReader::decryptField(const char *data, unsigned int size, const char *password, size_t bodyStart) {
    const char *const l_szFn = "vexl::CLoader4BER::decryptField";
    const bool l_bNoKey = password == nullptr || password[0] == '\0';
    if (m_uiCryptType == CT_SEED && l_bNoKey) {
        m_rL.setUserError(kErrKey, "[%s#%d] '%s' encryption need the key", l_szFn, __LINE__,
                          cryptTypeName(m_uiCryptType));
        return headerError(bodyStart);
    }
    const size_t l_uiLeft = size - bodyStart;
    if (l_uiLeft < kVexfMinBody) {
        m_rL.setUserError(kErrParameter, "[%s#%d] Very shorter field-data size(%u)", l_szFn, __LINE__,
                          unsigned(l_uiLeft));
        return headerError(bodyStart);
    }

    // The body buffer only grows: it keeps its size between loads, so that a load neither
    // allocates nor clears it again. Only its first m_uiSize bytes belong to this load.
    std::string &l_strBody = m_rL.m_strBody;
    const size_t l_uiCapacity = decryptedCapacity(m_uiCryptType, l_uiLeft);
    if (l_strBody.size() < l_uiCapacity)
        l_strBody.resize(l_uiCapacity);
    auto *l_pOut = reinterpret_cast<unsigned char *>(l_strBody.data());
    const size_t l_uiKeyLen = l_bNoKey ? 0 : std::strlen(password);
    m_bDecrypting = true;
    const size_t l_uiDone = l_uiCapacity == 0 ? 0
                                              : decryptInto(m_uiCryptType, data + bodyStart, l_uiLeft,
                                                            password, l_uiKeyLen, l_pOut);
    m_uiSize = l_uiDone;
    if (l_uiDone == 0) {
        m_rL.setUserError(kErrDecrypt, "[%s#%d] Failed to the field-data decryption(retval=%u)", l_szFn,
                          __LINE__, 0u);
        return headerError(bodyStart);
    }

    m_pData = reinterpret_cast<const unsigned char *>(l_strBody.data());
    m_uiPos = 0;
    m_rL.m_pTextBegin = l_strBody.data();
    m_rL.m_pTextEnd = l_strBody.data() + l_uiDone;
    m_rL.m_pCur = m_rL.m_pTextBegin;
    return true;
}

// MARK: - Records
//
// Each record is read into a node that is either the root (emptied by loadit) or a null child
// just appended to its container, so every part of the field is set at most once.

bool CBerReader::loadFieldInfo(CFields &field, uint32_t depth, bool named) {
    if (depth > kVexfDepthLimit)
        raiseLogicError("[%s#%d] Exceeded s_cnStackDepthLimit", "vexl::CLoader4BER::loadFieldInfo", __LINE__);
    if (!named) {
        const int l_nPlain = loadPlainRecord(field, depth);
        if (l_nPlain >= 0)
            return l_nPlain != 0;
    }
    tVEXF_Node l_tNode;
    l_tNode.uiStart = m_uiPos;
    l_tNode.bNamed = named;
    if (!need(1 + 4, l_tNode))
        return false;
    const unsigned l_uiType = m_pData[m_uiPos];
    l_tNode.eType = E_DataType(l_uiType);
    l_tNode.uiID = loadU32(m_pData + m_uiPos + 1, m_bSwap);
    m_uiPos += 1 + 4;
    switch (l_uiType) {
    case DT_array:
    case DT_fields:
        if (!need(4, l_tNode))
            return false;
        l_tNode.uiChildren = loadU32(m_pData + m_uiPos, m_bSwap);
        m_uiPos += 4;
        return loadFTI(field, l_tNode, depth);
    case DT_null:
    case DT_bool:
    case DT_sint:
    case DT_uint:
    case DT_double:
    case DT_codelist:
        return loadETI(field, l_tNode);
    default:
        return addError(l_tNode, kMsgSyntax);
    }
}

// The records of a written tree are nearly all plain: a little-endian document, every fixed part
// within the body, no comment, no packet expression, a number in 8 bytes. Such a record is read here with one
// bounds check for its fixed parts and one for its value; children blocks are made at the stated count
// (bounded by what the remaining bytes can hold) from the chunk pool, and names copied straight
// into their fresh holders, as the text loader does. Anything else (and every error) goes to the
// general path below, which reads part by part and reports exactly where a record fails.
//
// Returns 1 when the record was read, 0 when a child failed (its error recorded), -1 when the
// record is not plain: then neither the field nor the reading position has changed.
int CBerReader::loadPlainRecord(CFields &field, uint32_t depth) {
    // The shortest value record: head, empty name, three empty comments, value length.
    constexpr size_t kPlainValue = kValueHead + kCommentHeads + kValueLengthSize;
    static_assert(kPlainValue > kContainerHead + kCommentHeads, "one check covers both heads");
    const size_t l_uiLeft = m_uiSize - m_uiPos;
    if (l_uiLeft < kPlainValue || m_bSwap) // big-endian documents (never written by this library)
        return -1;                         // take the general path
    const unsigned char *const p = m_pData + m_uiPos;
    const unsigned l_uiType = p[0];
    const uint32_t l_uiID = loadU32(p + 1, false);
    if (l_uiID >= kFirstBadID)
        return -1;
    if (l_uiType == DT_array || l_uiType == DT_fields) {
        const unsigned l_uiName = p[kContainerHead - 1];
        const size_t l_uiAt = kContainerHead + l_uiName; // the comment lengths
        if (l_uiLeft - kContainerHead - kCommentHeads < l_uiName)
            return -1;
        uint32_t l_auiComments[3];
        std::memcpy(l_auiComments, p + l_uiAt, sizeof l_auiComments);
        if ((l_auiComments[0] | l_auiComments[1] | l_auiComments[2]) != 0)
            return -1;
        const uint32_t l_uiCount = loadU32(p + 5, false);
        const size_t l_uiStart = m_uiPos;
        setPlainIDAndName(field, depth, l_uiID, p + kContainerHead, l_uiName);
        field.setOffsetStart(clampOffset(l_uiStart));
        m_uiPos += l_uiAt + kCommentHeads;
        // Room for the children, but never more than the remaining bytes could describe.
        const size_t l_uiFit = (m_uiSize - m_uiPos) / kMinRecord;
        CFieldsVector *&l_pSeq = CFieldsVector::setActualChildren(
            field, E_DataType(l_uiType), l_uiCount < l_uiFit ? l_uiCount : uint32_t(l_uiFit));
        for (uint32_t i = 0; i < l_uiCount; ++i) {
            // Each child stays where it is while its record is read: only its own block grows.
            if (!loadFieldInfo(CFieldsVector::appendNull(l_pSeq), depth + 1))
                return 0; // stop at the first failing child
        }
        field.setOffsetEnd(clampOffset(m_uiPos));
        return 1;
    }
    if (l_uiType > DT_codelist || l_uiType == DT_array || l_uiType == DT_fields)
        return -1;
    const unsigned l_uiName = p[kValueHead - 1];
    if (l_uiLeft - kPlainValue < l_uiName)
        return -1;
    uint64_t l_ullExp = 0;
    static_assert(sizeof(tPacketExpInfo) == 10, "8 + 2 bytes");
    std::memcpy(&l_ullExp, p + 5, 8);
    if ((l_ullExp | loadU16(p + 13, false)) != 0)
        return -1;
    const size_t l_uiAt = kValueHead + l_uiName; // the comment lengths
    uint32_t l_auiComments[3];
    std::memcpy(l_auiComments, p + l_uiAt, sizeof l_auiComments);
    if ((l_auiComments[0] | l_auiComments[1] | l_auiComments[2]) != 0)
        return -1;
    const uint32_t l_uiLen = loadU32(p + l_uiAt + kCommentHeads, false);
    const size_t l_uiHead = l_uiAt + kCommentHeads + kValueLengthSize;
    if (l_uiLen > l_uiLeft - l_uiHead)
        return -1;
    const unsigned char *const l_pValue = p + l_uiHead;
    uMultiValue l_uValue;
    l_uValue.m_ullValue = 0;
    switch (l_uiType) {
    case DT_bool:
        l_uValue.m_bValue = l_uiLen != 0 && l_pValue[0] != 0;
        break;
    case DT_sint:
    case DT_uint:
    case DT_double:
        if (l_uiLen != kNumberBytes)
            return -1;
        l_uValue.m_ullValue = loadU64(l_pValue, false);
        break;
    case DT_codelist:
        if (l_uiLen > kMaxCodeList)
            return -1;
        break;
    default: // DT_null carries no value; stored bytes are skipped
        break;
    }
    setPlainIDAndName(field, depth, l_uiID, p + kValueHead, l_uiName);
    field.setOffsetStart(clampOffset(m_uiPos));
    if (l_uiType == DT_codelist)
        field.setValue(reinterpret_cast<const char *>(l_pValue), l_uiLen); // 0: an empty code list
    else if (l_uiType != DT_null)
        CFieldsVector::setActualScalar(field, E_DataType(l_uiType), l_uValue);
    m_uiPos += l_uiHead + l_uiLen;
    field.setOffsetEnd(clampOffset(m_uiPos));
    return 1;
}

// The ID and name of a plain record. The root takes them through its setters (it may belong to
// a tree); a node below it is fresh, in no index, and its ID is announced once the tree is read.
void CBerReader::setPlainIDAndName(CFields &field, uint32_t depth, uint32_t id, const unsigned char *name,
                                   unsigned length) {
    if (depth == 0) {
        if (id != 0)
            field.setID(id);
        if (length != 0)
            field.setName(reinterpret_cast<const char *>(name), length);
        return;
    }
    if (id != 0) {
        CFieldsVector::setLoadedID(field, id);
        m_bLoadedIDs = true;
    }
    CFieldsVector::setFreshName(field, reinterpret_cast<const char *>(name), length);
}

bool CBerReader::checkID(CFields &field, const tVEXF_Node &node) {
    if (node.uiID >= kFirstBadID)
        return addError(node, kMsgBadID);
    if (node.uiID != 0 && !field.setID(node.uiID))
        return addError(node, kMsgBadID);
    return true;
}

// container = type ID child-count name-length name comments { child }
bool CBerReader::loadFTI(CFields &field, tVEXF_Node &node, uint32_t depth) {
    if (node.eType != DT_array && node.eType != DT_fields)
        return addError(node, kMsgNotContainer);
    if (!checkID(field, node))
        return false;
    // A child count of 0 is an empty container, as the writer stores one.
    field.setValue(node.eType);
    field.setOffsetStart(clampOffset(node.uiStart));
    if (!loadFieldName(field, node) || !loadComment(field, node))
        return false;

    // Room for the children, but never more than the remaining bytes could describe.
    const size_t l_uiFit = (m_uiSize - m_uiPos) / kMinRecord;
    if (node.uiChildren != 0)
        field.reserveChildren(unsigned(node.uiChildren < l_uiFit ? node.uiChildren : l_uiFit));
    // Each child is added unnamed (the name follows in its record); duplicate names and IDs are
    // not looked up, the document is taken as written.
    const bool l_bFields = node.eType == DT_fields;
    for (uint32_t i = 0; i < node.uiChildren; ++i) {
        // A member of a record is appended with its name at once (an array ignores names given
        // this way, so its elements get theirs from their record).
        const unsigned char *l_pName = nullptr;
        const unsigned l_uiName = l_bFields ? peekName(l_pName) : 0;
        CFields *l_pChild = field.child_AddPtr(reinterpret_cast<const char *>(l_pName), l_uiName, 0u, true);
        if (l_pChild == nullptr)
            return addError(node, kMsgAddChild);
        if (!loadFieldInfo(*l_pChild, depth + 1, l_uiName != 0))
            return false; // stop at the first failing child
    }
    node.uiEnd = m_uiPos;
    field.setOffsetEnd(clampOffset(m_uiPos));
    return true;
}

// value = type ID packet-expression name-length name comments value-length value
bool CBerReader::loadETI(CFields &field, tVEXF_Node &node) {
    if (node.eType == DT_array || node.eType == DT_fields)
        return addError(node, kMsgNotValue);
    if (!checkID(field, node))
        return false;
    field.setOffsetStart(clampOffset(node.uiStart));
    if (!loadPEI(field, node) || !loadFieldName(field, node) || !loadComment(field, node) ||
        !loadValue(field, node))
        return false;
    node.uiEnd = m_uiPos;
    field.setOffsetEnd(clampOffset(m_uiPos));
    return true;
}

bool CBerReader::loadFieldName(CFields &field, tVEXF_Node &node) {
    if (!need(1, node))
        return false;
    node.uiNameLen = m_pData[m_uiPos++];
    if (node.uiNameLen == 0)
        return true;
    if (!need(node.uiNameLen, node))
        return false;
    if (!node.bNamed)
        field.setName(reinterpret_cast<const char *>(m_pData + m_uiPos), node.uiNameLen);
    m_uiPos += node.uiNameLen;
    return true;
}

bool CBerReader::loadComment(CFields &field, const tVEXF_Node &node) {
    // Most records carry no comment: three zero lengths.
    if (m_uiSize - m_uiPos >= kCommentHeads) {
        static constexpr unsigned char s_aucNone[kCommentHeads] = {};
        if (std::memcmp(m_pData + m_uiPos, s_aucNone, kCommentHeads) == 0) {
            m_uiPos += kCommentHeads;
            return true;
        }
    }
    for (E_CommentPosition l_ePos : {CP_Ahead, CP_Behind, CP_Tail}) {
        if (!need(4, node))
            return false;
        const uint32_t l_uiLen = loadU32(m_pData + m_uiPos, m_bSwap);
        m_uiPos += 4;
        if (l_uiLen == 0)
            continue;
        if (!need(l_uiLen, node))
            return false;
        const char *l_cpText = reinterpret_cast<const char *>(m_pData + m_uiPos);
        if (m_rL.m_bCollectComments) {
            // The tree only holds comments that start with "/"; anything else is a damaged record.
            if (l_cpText[0] != '/')
                return addError(node, kMsgComment);
            setStoredComment(field, l_cpText, l_uiLen, l_ePos);
        }
        m_uiPos += l_uiLen;
    }
    return true;
}

bool CBerReader::loadPEI(CFields &field, tVEXF_Node &node) {
    if (!need(sizeof(tPacketExpInfo), node))
        return false;
    const unsigned char *l_pExp = m_pData + m_uiPos;
    m_uiPos += sizeof(tPacketExpInfo);
    if ((loadU64(l_pExp, false) | loadU16(l_pExp + 8, false)) == 0)
        return true; // the all-zero expression: the node's own is already that
    tPacketExpInfo l_tExp;
    std::memcpy(&l_tExp, l_pExp, sizeof l_tExp);
    if (m_bSwap) {
        // The record holds uSKI and uLength little-endian.
        l_tExp.setSKI(loadU16(l_tExp.aucSKI, true));
        l_tExp.setLength(loadU32(l_tExp.aucLength, true));
    }
    if (const char *l_cpWhy = checkStoredPEI(l_tExp))
        return addError(node, l_cpWhy);
    node.tPEI = l_tExp;
    field.pkt_SetExp(l_tExp);
    return true;
}

bool CBerReader::loadValue(CFields &field, tVEXF_Node &node) {
    if (!need(kValueLengthSize, node))
        return false;
    const uint32_t l_uiLen = loadU32(m_pData + m_uiPos, m_bSwap);
    m_uiPos += kValueLengthSize;
    node.uiValueLen = l_uiLen;
    if (l_uiLen != 0 && !need(l_uiLen, node))
        return false;
    const unsigned char *l_pValue = m_pData + m_uiPos;
    switch (node.eType) {
    case DT_bool:
        field.setValue(l_uiLen != 0 && l_pValue[0] != 0);
        break;
    case DT_sint:
    case DT_uint:
    case DT_double: {
        uint64_t l_uiRaw = 0;
        if (l_uiLen == kNumberBytes) {
            l_uiRaw = loadU64(l_pValue, m_bSwap);
        } else if (l_uiLen == 4) {
            l_uiRaw = loadU32(l_pValue, m_bSwap); // the low 32 bits, not sign-extended
        } else if (l_uiLen < kNumberBytes) {
            unsigned char l_aucBuf[kNumberBytes] = {};
            if (l_uiLen != 0)
                std::memcpy(l_aucBuf, l_pValue, l_uiLen);
            l_uiRaw = loadU64(l_aucBuf, m_bSwap); // the whole buffer is swapped
        } else {
            return addError(node, kMsgNumberLength);
        }
        if (node.eType == DT_sint)
            field.setValue(static_cast<long long>(l_uiRaw));
        else if (node.eType == DT_uint)
            field.setValue(static_cast<unsigned long long>(l_uiRaw));
        else
            field.setValue(std::bit_cast<double>(l_uiRaw));
        break;
    }
    case DT_codelist:
        // A stored length of 0 is an empty code list, as "" reads in the text notation (the
        // writer stores a code list without data the same way).
        if (l_uiLen > kMaxCodeList)
            return addError(node, kMsgCodesLength);
        else
            field.setValue(reinterpret_cast<const char *>(l_pValue), l_uiLen);
        break;
    default: // DT_null carries no value; stored bytes are skipped
        break;
    }
    m_uiPos += l_uiLen;
    const tPacketExpInfo &l_tExp = node.tPEI;
    if (l_tExp.uSkiKind() == 0) {
        if (l_tExp.uSKI() == IKW_fix)
            field.setVK(VK_Fixed);
        else if (l_tExp.uSKI() == IKW_valid)
            field.setVK(VK_Valid);
    }
    return true;
}

bool CBerReader::checkRootType(const CFields &root) {
    if (!m_rL.m_LCBC.BC32_Check(LCBC_ROOT_CONTAINER) || root.isArray() || root.isField())
        return true;
    tVEXF_Node l_tRoot;
    return addError(l_tRoot, kMsgRootType);
}

} // namespace detail

// MARK: - CLoader4BER

CLoader4BER::CLoader4BER(unsigned int lcbc) : ILoaderCommon(lcbc) {}
CLoader4BER::CLoader4BER(const CLoader4BER &other) = default;
CLoader4BER &CLoader4BER::operator=(const CLoader4BER &other) = default;
CLoader4BER::~CLoader4BER() = default;

bool CLoader4BER::loadit(const char *data, unsigned int size, CFields &root, const char *password,
                         bool collectComments) {
    if (data == nullptr)
        size = 0;
    CErrorBase::clearError();
    m_bCollectComments = m_LCBC.BC32_Check(LCBC_COMMENTS) && collectComments;
    m_dqErrors.clear();
    m_dqFieldStack.clear();
    m_strComment.clear();
    m_pLastValueEnd = nullptr;
    m_pLastCommentField = nullptr;
    m_uiDepth = 0;
    m_bAllowPEI = false;
    m_bHasPEI = false;
    m_bSwap = false;
    // Until the header is passed, error positions are offsets in the document itself.
    m_pTextBegin = data;
    m_pTextEnd = data + size;
    m_pCur = data;

    detail::CBerReader l_tReader(*this);
    // A decrypted body is wiped however the load ends (the buffer itself is kept for the next
    // load).
    struct tBodyWipe {
        const detail::CBerReader &reader;
        std::string &body;
        ~tBodyWipe() { detail::secureWipe(body.data(), reader.secretBytes()); }
    } l_tWipe{l_tReader, m_strBody};
    size_t l_uiBodyStart = 0;
    bool l_bOk = l_tReader.loadHeader(data, size, password, l_uiBodyStart) &&
                 l_tReader.decryptField(data, size, password, l_uiBodyStart);
    if (!l_bOk) {
        // Header and transform failures keep their user error as the message.
        m_dqFieldStack.clear();
        root.removeChildAll();
        return false;
    }

    // The root takes the document's root record whole: no children, value, second value, ID or
    // packet expression of an earlier tree stay.
    root.removeAll(DT_null);
    root.setID(0);
    root.pkt_SetExp(CFields::nullPktExp);
    m_dqFieldStack.push_back(&root);
    try {
        l_bOk = l_tReader.loadFieldInfo(root, 0);
        l_tReader.announceIDs();
        l_bOk = l_bOk && l_tReader.checkRootType(root);
    } catch (...) {
        l_tReader.announceIDs();
        // Too deep (or out of memory): leave the loader reusable and the root as after a failure.
        m_pCur = m_pTextBegin + l_tReader.position();
        m_dqFieldStack.clear();
        m_uiDepth = 0;
        root.removeChildAll();
        throw;
    }
    m_pCur = m_pTextBegin + l_tReader.position();
    m_dqFieldStack.clear();
    m_uiDepth = 0;
    if (!l_bOk) {
        makeLastErrMsg4Offsets();
        root.removeChildAll();
    }
    return l_bOk;
}

} // namespace vexl
