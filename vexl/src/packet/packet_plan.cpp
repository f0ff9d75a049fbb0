// Compiled packet layouts: compiling a container's leaves into a flat list, checking the list
// against the tree, and making, parsing, measuring and checking through it. The recursive walks
// stay the reference (and the path of layouts with keyword steps).

#include "packet_plan.h"

#include <cstddef>
#include <cstring>

#include "encoders.h"
#include "fixed_write.h"
#include "packet_bytes.h"
#include "tree/fields_vector.h"
#include "tree/slot_ops.h"

namespace vexl {

namespace detail {

void releasePacketPlan(void *plan) noexcept {
    delete static_cast<CPacketPlan *>(plan);
}

namespace {

bool isContainerType(E_DataType a_eType) noexcept {
    return a_eType == DT_fields || a_eType == DT_array;
}

static_assert(sizeof(tPacketExpInfo) == 10, "a layout compares the expression as ten bytes");

// A leaf's last 16 bytes, read as two words.
inline void leafWindow(const CFields &a_tNode, uint64_t (&a_auWords)[2]) noexcept {
    std::memcpy(a_auWords, reinterpret_cast<const unsigned char *>(&a_tNode) + (sizeof(CFields) - 16), 16);
}

// Byte masks of a leaf's window, applied to the words. Every byte is a byte of the expression,
// the type byte, or something the layout does not depend on.
inline void leafMasks(size_t a_uiExpressionAt, size_t a_uiTypeAt, bool a_bVariable,
                      uint64_t (&a_auMask)[2]) noexcept {
    unsigned char l_aucMask[16] = {};
    // A variable field with a prefix records, in bytes 6-9, the length a stored parse read.
    std::memset(l_aucMask + a_uiExpressionAt, 0xFF, a_bVariable ? 6 : 10);
    l_aucMask[a_uiTypeAt] = 0x0F; // the actual value's type and ownership
    std::memcpy(a_auMask, l_aucMask, 16);
}

// Stores a number read from all-digit text the way the number reader does (DT_sint up to
// 2147483647, DT_uint above), when the slot already has that type; false otherwise.
inline bool storeDigitsInPlace(uMultiValue &a_uValue, uint8_t a_ucSlots, uint64_t a_uNumber) noexcept {
    const uint8_t l_ucType = a_ucSlots & 0x0Fu;
    if (a_uNumber <= 2147483647u) {
        if (l_ucType != DT_sint)
            return false;
        a_uValue.m_llValue = static_cast<long long>(a_uNumber);
    } else {
        if (l_ucType != DT_uint)
            return false;
        a_uValue.m_ullValue = a_uNumber;
    }
    return true;
}

} // namespace

// MARK: - Compiling and checking

CPacketPlan &CPacketPlan::of(const CFields &root) {
    auto *const l_pHead = const_cast<tChildrenHead *>(root.head());
    auto *l_pPlan = static_cast<CPacketPlan *>(l_pHead->pPlan);
    if (l_pPlan != nullptr && l_pPlan->matches(root))
        return *l_pPlan;
    if (l_pPlan == nullptr) {
        l_pPlan = new CPacketPlan();
        l_pHead->pPlan = l_pPlan;
    }
    try {
        l_pPlan->compile(root);
    } catch (...) {
        l_pHead->pPlan = nullptr;
        delete l_pPlan;
        throw;
    }
    return *l_pPlan;
}

bool CPacketPlan::matches(const CFields &root) noexcept {
    if (!containersMatch(root))
        return false;
    // Each leaf as two masked words against its key, without a branch per leaf.
    uint64_t l_uDiffer = 0;
    for (const tLeafKey &l_tKey : m_vecLeaves) {
        uint64_t l_auWords[2];
        leafWindow(*l_tKey.pNode, l_auWords);
        l_uDiffer |= ((l_auWords[0] & l_tKey.auMask[0]) ^ l_tKey.auKey[0]) |
                     ((l_auWords[1] & l_tKey.auMask[1]) ^ l_tKey.auKey[1]);
    }
    if (l_uDiffer == 0)
        return true;
    // Something differs. When it is only the type of some values (a number set from another
    // type, a parse storing text into a null), the layout still holds: the keys take the new
    // types and nothing is compiled again.
    if (!leavesMatchButTheirTypes())
        return false;
    for (tLeafKey &l_tKey : m_vecLeaves) {
        uint64_t l_auWords[2];
        leafWindow(*l_tKey.pNode, l_auWords);
        l_tKey.auKey[0] = l_auWords[0] & l_tKey.auMask[0];
        l_tKey.auKey[1] = l_auWords[1] & l_tKey.auMask[1];
    }
    chooseWriters();
    return true;
}

bool CPacketPlan::containersMatch(const CFields &root) const noexcept {
    const tChildrenHead *const l_pRoot = root.head();
    if (l_pRoot != m_pRootChildren || l_pRoot->uCount != m_uRootCount)
        return false;
    // In tree order: each container is checked, and the check left on failure, before the
    // nodes inside its block are read.
    for (const tContainerKey &l_tKey : m_vecContainers) {
        const CFields &l_tNode = *l_tKey.pNode;
        if (!isContainerType(l_tNode.getDT()))
            return false;
        const tChildrenHead *const l_pHead = l_tNode.head();
        if (l_pHead != l_tKey.pChildren || (l_pHead != nullptr && l_pHead->uCount != l_tKey.uCount))
            return false;
    }
    return true;
}

bool CPacketPlan::leavesMatchButTheirTypes() const noexcept {
    uint64_t l_auTypeMask[2] = {0, 0};
    reinterpret_cast<unsigned char *>(l_auTypeMask)[kTypeAt] = 0xFF;
    for (const tLeafKey &l_tKey : m_vecLeaves) {
        uint64_t l_auWords[2];
        leafWindow(*l_tKey.pNode, l_auWords);
        for (int i = 0; i < 2; ++i)
            if (((l_auWords[i] & l_tKey.auMask[i]) ^ l_tKey.auKey[i]) & ~l_auTypeMask[i])
                return false;
        if (isContainerType(l_tKey.pNode->getDT()))
            return false;
    }
    return true;
}

void CPacketPlan::compile(const CFields &root) {
    static_assert(offsetof(CFields, m_tPEI) + sizeof(tPacketExpInfo) == offsetof(CFields, m_ucSlots) &&
                      offsetof(CFields, m_ucSlots) + 2 == sizeof(CFields) &&
                      offsetof(CFields, m_tPEI) >= kWindowAt,
                  "a leaf's expression and type are in its last 16 bytes");
    m_vecSteps.clear();
    m_vecContainers.clear();
    m_vecLeaves.clear();
    m_vecFixed.clear();
    m_bKeywords = false;
    m_bSkipsAhead = false;
    m_bVariable = false;
    m_uFixedSize = 0;
    m_pRootChildren = root.head();
    m_uRootCount = root.getChildCount();
    compileChildren(root);
    uint64_t l_uOffset = 0;
    for (tFixedStep &l_tStep : m_vecFixed) {
        l_tStep.bRoom = l_uOffset + kSlack <= m_uFixedSize;
        l_uOffset += l_tStep.uWidth;
    }
    chooseWriters();
    m_bAllFixed = !m_bKeywords && !m_bVariable && !m_bSkipsAhead && m_vecFixed.size() == m_vecLeaves.size();
}

void CPacketPlan::compileChildren(const CFields &node) {
    for (const CFields &l_tChild : node) {
        tStep l_tStep{};
        l_tStep.pNode = const_cast<CFields *>(&l_tChild);
        if (isContainerType(l_tChild.getDT())) {
            const tChildrenHead *const l_pHead = l_tChild.head();
            l_tStep.uCountOrWidth = l_pHead != nullptr ? l_pHead->uCount : 0u;
            l_tStep.eKind = l_tStep.uCountOrWidth != 0 ? SK_Container : SK_Empty;
            m_vecSteps.push_back(l_tStep);
            m_vecContainers.push_back({&l_tChild, l_pHead, l_tStep.uCountOrWidth});
            if (l_tStep.eKind == SK_Container)
                compileChildren(l_tChild);
            continue;
        }
        const tPacketExpInfo &l_tExp = l_tChild.m_tPEI;
        const E_LengthExpCode l_eLength = l_tExp.eLengthCode();
        const bool l_bVariable = l_eLength == LEC_VARIABLE && l_tExp.uVarWidth != 0;
        tLeafKey l_tKey{&l_tChild, {}, {}};
        leafMasks(kExpressionAt, kTypeAt, l_bVariable, l_tKey.auMask);
        leafWindow(l_tChild, l_tKey.auKey);
        l_tKey.auKey[0] &= l_tKey.auMask[0];
        l_tKey.auKey[1] &= l_tKey.auMask[1];
        m_vecLeaves.push_back(l_tKey);
        l_tStep.eKind = SK_Leaf;
        if (l_tExp.uSKI() != 0)
            m_bKeywords = true;
        const bool l_bAscii = l_tExp.ePacketCode() == PEC_ASCII;
        if (l_eLength == LEC_FIXED || l_eLength == LEC_DYNAMIC) {
            // Without keyword steps a D field is made and parsed as an F field of its length.
            const uint32_t l_uiLength = clampLength(l_tExp.uLength());
            if (l_uiLength != 0) {
                l_tStep.eKind = l_bAscii ? SK_AsciiFixed : SK_BinaryFixed;
                l_tStep.uCountOrWidth = l_uiLength;
                m_uFixedSize += l_uiLength;
                m_vecFixed.push_back({const_cast<CFields *>(&l_tChild), l_uiLength, l_bAscii,
                                      l_tExp.eRuntimeCode() == REC_NUMBER, false, false, W_General});
            }
        } else if (l_eLength == LEC_VARIABLE && l_tExp.uVarWidth != 0) {
            l_tStep.eKind = l_bAscii ? SK_AsciiVariable : SK_BinaryVariable;
            m_bVariable = true;
        } else if (clampLength(l_tExp.uLength()) != 0) {
            m_bSkipsAhead = true; // no bytes (V without prefix, length code 3), yet a length
        }
        m_vecSteps.push_back(l_tStep);
    }
}

// MARK: - Making

void CPacketPlan::chooseWriters() noexcept {
    for (tFixedStep &l_tStep : m_vecFixed) {
        const uint8_t l_uBits = l_tStep.pNode->m_ucSlots & 0x0Fu;
        const uint32_t l_uiWidth = l_tStep.uWidth;
        if (l_uBits == DT_null)
            l_tStep.eWriter = W_Fill;
        else if (l_uBits == (DT_codelist | slot::OWNED))
            l_tStep.eWriter = l_tStep.bRoom && l_uiWidth <= kSlack ? W_CodesRoom : W_Codes;
        else if ((l_uBits == DT_uint || l_uBits == DT_sint) && l_tStep.bAscii)
            l_tStep.eWriter = l_tStep.bRoom && l_uiWidth <= 16 ? W_DigitsRoom : W_Digits;
        else
            l_tStep.eWriter = W_General;
        // Received numbers are DT_sint up to 2147483647: the same digits when not negative.
        l_tStep.bSigned = l_uBits == DT_sint;
    }
}

void CPacketPlan::writeFixed(char *out) const {
    // The kinds of value most fields hold are written here, the others by the general writers.
    // A field with room behind it within the packet is written with wide stores.
    for (const tFixedStep &l_tStep : m_vecFixed) {
        const CFields &l_tLeaf = *l_tStep.pNode;
        const uint32_t l_uiWidth = l_tStep.uWidth;
        const uMultiValue &l_uValue = l_tLeaf.m_uActValue;
        switch (l_tStep.eWriter) {
        case W_CodesRoom:
        case W_Codes: {
            // An owned list without data is empty.
            uint32_t l_uiCount = 0;
            const char *l_cpBytes = l_uValue.m_cpValue;
            if (l_cpBytes != nullptr) {
                std::memcpy(&l_uiCount, l_cpBytes, 4);
                l_cpBytes += 4;
            }
            if (l_tStep.eWriter == W_CodesRoom)
                writePaddedWithRoom(out, l_cpBytes, l_uiCount, l_uiWidth, l_tStep.bAscii);
            else
                writePadded(out, l_cpBytes, l_uiCount, l_uiWidth, l_tStep.bAscii ? ' ' : '\0');
            break;
        }
        case W_DigitsRoom:
        case W_Digits:
            if ((l_tStep.bSigned && l_uValue.m_llValue < 0) ||
                (l_uiWidth < 20 && l_uValue.m_ullValue >= kPowersOfTen[l_uiWidth]))
                writeAsciiFixed(out, l_tLeaf, l_uiWidth); // negative, or wider than the field: cut
            else if (l_tStep.eWriter == W_DigitsRoom)
                writeDigitsWithRoom(out, l_uValue.m_ullValue, l_uiWidth);
            else
                writeDigitsRight(out, l_uValue.m_ullValue, l_uiWidth);
            break;
        case W_Fill:
            fillShort(out, l_tStep.bAscii ? ' ' : '\0', l_uiWidth);
            break;
        default:
            if (l_tStep.bAscii)
                writeAsciiFixed(out, l_tLeaf, l_uiWidth);
            else
                writeBinaryFixed(out, l_tLeaf, l_uiWidth);
            break;
        }
        out += l_uiWidth;
    }
}

void CPacketPlan::append(std::string &out) const {
    if (!m_bVariable) {
        const size_t l_uiAt = out.size();
        out.resize(l_uiAt + m_uFixedSize);
        writeFixed(out.data() + l_uiAt);
        return;
    }
    for (const tStep &l_tStep : m_vecSteps) {
        const CFields &l_tLeaf = *l_tStep.pNode;
        switch (l_tStep.eKind) {
        case SK_AsciiFixed:
            appendAsciiFixed(out, l_tLeaf, l_tStep.uCountOrWidth);
            break;
        case SK_BinaryFixed:
            appendBinaryFixed(out, l_tLeaf, l_tStep.uCountOrWidth);
            break;
        case SK_AsciiVariable:
            appendAsciiVariable(out, l_tLeaf, l_tLeaf.m_tPEI.uVarWidth, l_tLeaf.m_tPEI.nCalibration);
            break;
        case SK_BinaryVariable:
            appendBinaryVariable(out, l_tLeaf, l_tLeaf.m_tPEI.uVarWidth, l_tLeaf.m_tPEI.nCalibration);
            break;
        default:
            break;
        }
    }
}

size_t CPacketPlan::makeTo(char *buffer, size_t capacity) const {
    if (!m_bVariable) {
        if (m_uFixedSize <= capacity && m_uFixedSize != 0)
            writeFixed(buffer);
        return size_t(m_uFixedSize);
    }
    // The size of variable fields is known once they are made: through a string kept per
    // thread, so that a warm thread allocates nothing.
    thread_local std::string t_strScratch;
    t_strScratch.clear();
    append(t_strScratch);
    if (t_strScratch.size() <= capacity && !t_strScratch.empty())
        std::memcpy(buffer, t_strScratch.data(), t_strScratch.size());
    return t_strScratch.size();
}

// MARK: - Parsing, measuring, checking

bool CPacketPlan::parseFixed(const char *data, unsigned int size, int &result) const {
    // Only fixed fields, and all of them fit: each is stored in turn, and the result is what
    // the walk gives then, the bytes left after the last field. Anything else (a number that
    // does not convert, a block that cannot be had) leaves the parse to the general loop, which
    // stores the same values again and gives the walk's result.
    const char *l_cpField = data;
    for (const tFixedStep &l_tStep : m_vecFixed) {
        CFields &l_tLeaf = *l_tStep.pNode;
        const uint32_t l_uiWidth = l_tStep.uWidth;
        const unsigned int l_uiRemain = unsigned(size - unsigned(l_cpField - data));
        if (!l_tStep.bNumber) {
            uMultiValue &l_uValue = l_tLeaf.m_uActValue;
            char *const l_pBlock = const_cast<char *>(l_uValue.m_cpValue);
            uint32_t l_uiOld = 0;
            if ((l_tLeaf.m_ucSlots & 0x0Fu) == (DT_codelist | slot::OWNED) && l_pBlock != nullptr)
                std::memcpy(&l_uiOld, l_pBlock, 4);
            if (l_pBlock != nullptr && l_uiOld == l_uiWidth && l_uiWidth <= 32 &&
                (l_cpField + l_uiWidth <= l_pBlock + 4 || l_pBlock + 4 + l_uiWidth <= l_cpField)) {
                // The same length again into the node's own block, which the bytes are not in.
                copyShort(l_pBlock + 4, l_cpField, l_uiWidth);
            } else if (l_tLeaf.pkt_parseToACF(l_cpField, l_uiRemain, true) < 0) {
                return false;
            }
        } else if (uint64_t l_uNumber;
                   l_tStep.bAscii && readPlainDigits(l_cpField, l_uiWidth, l_uNumber) &&
                   storeDigitsInPlace(l_tLeaf.m_uActValue, l_tLeaf.m_ucSlots, l_uNumber)) {
            // All digits, into a slot of the type the number reader gives them.
        } else if ((l_tStep.bAscii ? l_tLeaf.pkt_parseToANF(l_cpField, l_uiRemain, true)
                                   : l_tLeaf.pkt_parseToBNF(l_cpField, l_uiRemain, true)) < 0) {
            return false;
        }
        l_cpField += l_uiWidth;
    }
    result = clampResult(int64_t(size) - int64_t(m_uFixedSize));
    return true;
}

int CPacketPlan::parse(const char *data, unsigned int size, bool store) const {
    if (m_bAllFixed && size >= m_uFixedSize) {
        int l_nResult = 0;
        if (!store)
            return clampResult(int64_t(size) - int64_t(m_uFixedSize));
        if (parseFixed(data, size, l_nResult))
            return l_nResult;
    }
    unsigned int l_uiPosition = 0;
    tMemoVector l_vecMemo;
    int l_nResult = 0;
    for (const tStep &l_tStep : m_vecSteps) {
        if (l_tStep.eKind == SK_Container)
            continue;
        CFields &l_tLeaf = *l_tStep.pNode;
        const int64_t l_nRemain = int64_t(size) - int64_t(l_uiPosition);
        int l_nChild;
        if (l_tStep.eKind == SK_Empty) {
            l_nChild = clampResult(l_nRemain);
        } else if (l_tStep.eKind == SK_AsciiFixed || l_tStep.eKind == SK_BinaryFixed) {
            // A fixed field: the steps of the one-field parse, without its dispatch.
            const uint32_t l_uiLength = l_tStep.uCountOrWidth;
            if (l_nRemain < 1) {
                l_nChild = -int(l_uiLength);
            } else {
                const char *const l_cpField = data + l_uiPosition;
                const uint64_t l_uEnd = uint64_t(l_uiPosition) + l_uiLength;
                l_uiPosition = l_uEnd > size ? size : uint32_t(l_uEnd);
                const unsigned int l_uiRemain = unsigned(l_nRemain);
                const bool l_bNumber = l_tLeaf.m_tPEI.eRuntimeCode() == REC_NUMBER;
                if (l_tStep.eKind == SK_AsciiFixed)
                    l_nChild = l_bNumber ? l_tLeaf.pkt_parseToANF(l_cpField, l_uiRemain, store)
                                         : l_tLeaf.pkt_parseToACF(l_cpField, l_uiRemain, store);
                else
                    l_nChild = l_bNumber ? l_tLeaf.pkt_parseToBNF(l_cpField, l_uiRemain, store)
                                         : l_tLeaf.pkt_parseToBCF(l_cpField, l_uiRemain, store);
            }
        } else {
            l_nChild = l_tLeaf.pkt_parse4OneSelf(data, size, l_uiPosition, l_vecMemo, store);
        }
        // The results add up as in the walk over the tree.
        if (l_nChild >= 0) {
            if (int64_t(size) - int64_t(l_uiPosition) < l_nChild)
                break;
            if (l_nResult >= 0)
                l_nResult = l_nChild;
        } else {
            l_uiPosition = size;
            l_nResult = l_nResult < 0 ? clampResult(int64_t(l_nResult) + l_nChild) : l_nChild;
        }
    }
    return l_nResult;
}

uPacketLengthExpression CPacketPlan::length(bool keywords) const {
    uint64_t l_uSum = 0;
    bool l_bVariable = false;
    for (const tStep &l_tStep : m_vecSteps) {
        if (l_tStep.eKind <= SK_Empty)
            continue;
        const uPacketLengthExpression l_uOne = l_tStep.pNode->pkt_Len4OneSelf(keywords);
        l_uSum += l_uOne.uLength();
        l_bVariable = l_bVariable || l_uOne.bVariable();
    }
    uPacketLengthExpression l_uResult{};
    l_uResult.set(l_uSum, l_bVariable);
    return l_uResult;
}

bool CPacketPlan::check(bool valid) const {
    for (const tStep &l_tStep : m_vecSteps)
        if (l_tStep.eKind > SK_Empty && !l_tStep.pNode->pkt_Check4OneSelf(valid))
            return false;
    return true;
}

// MARK: - The reference walks

std::string CPacketPlan::referenceMake(CFields &node, bool keywords) {
    std::string l_strPacket;
    tMemoVector l_vecMemo;
    if (node.getChildCount() == 0)
        node.pkt_make4OneSelf(l_strPacket, l_vecMemo, keywords);
    else
        node.pkt_make4Children(l_strPacket, l_vecMemo, keywords, &node);
    return l_strPacket;
}

int CPacketPlan::referenceParse(CFields &node, const char *data, unsigned int size, bool store) {
    if (data == nullptr)
        size = 0;
    unsigned int l_uiPosition = 0;
    tMemoVector l_vecMemo;
    return node.pkt_parse4Children(data, size, l_uiPosition, l_vecMemo, store, &node);
}

} // namespace detail
} // namespace vexl
