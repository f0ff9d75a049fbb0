// The allot hook: runs before a field's bytes are appended to the packet being made.

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "brick/checksum.h"
#include "hooks/hook_support.h"
#include "hooks/packet_hooks.h"
#include "keywords/generators.h"
#include "keywords/keyword_table.h"
#include "vexl/fields.h"

namespace esk_add {

namespace {

using vexl::CFields;
using vexl::tInnerSupportedArgs4ESK;
using vexl::tPacketExpInfo;

// Offsets are kept as 32-bit numbers in the memo; a longer packet cannot be marked.
constexpr uint64_t kMaxMarkOffset = 0xFFFFFFFFu;

// "thread": the number behind the user pointer; no pointer keeps the value.
void allotThread(CFields &a_tField) {
    const void *l_pArg = a_tField.pkt_GetOSA4User();
    if (l_pArg == nullptr)
        return;
    uint32_t l_uiValue;
    std::memcpy(&l_uiValue, l_pArg, sizeof(l_uiValue)); // the pointer need not be aligned
    a_tField.setValue(static_cast<unsigned int>(l_uiValue), vexl::VK_Actual);
}

// "chksumset": stores `a_usSum` in the form the field's expression asks for.
void storeChecksum(CFields &a_tField, const tPacketExpInfo &a_tExp, unsigned short a_usSum) {
    if (a_tExp.eRuntimeCode() == vexl::REC_NUMBER) {
        a_tField.setValue(static_cast<unsigned long long>(a_usSum), vexl::VK_Actual);
    } else if (a_tExp.ePacketCode() == vexl::PEC_ASCII) {
        char l_szText[8];
        std::snprintf(l_szText, sizeof(l_szText), "%u", unsigned(a_usSum));
        a_tField.setValue(l_szText, vexl::VK_Actual);
    } else {
        // Network byte order, high byte first.
        const char l_acBytes[2] = {char(a_usSum >> 8), char(a_usSum & 0xFFu)};
        a_tField.setValue(l_acBytes, 2u, vexl::VK_Actual);
    }
}

int allotChecksum(CFields &a_tField, const tPacketExpInfo &a_tExp, std::string &a_strPacket,
                  const vexl::tMemoVector &a_vecMemo) {
    const vexl::tMemoFieldInfo *l_pMarker = detail::findMarker(a_vecMemo, a_tExp, EKW_chksumbegin);
    const uint64_t l_uEnd = a_strPacket.size();
    if (l_pMarker == nullptr || l_pMarker->uValue >= l_uEnd)
        return ESK_DONE; // no marker, or an empty range: the value stays
    const uint64_t l_uCount = l_uEnd - l_pMarker->uValue;
    if (l_uCount > uint64_t(INT_MAX))
        return ESK_FAILED; // beyond what the checksum function counts
    storeChecksum(a_tField, a_tExp,
                  brick::CHKSUM_Make(a_strPacket.data() + l_pMarker->uValue, int(l_uCount), 0));
    return ESK_DONE;
}

// Pads the field's byte string to `a_uiLength` bytes with 0xFF. A borrowed byte string is first
// copied into the field, which can then resize it.
bool padCodes(CFields &a_tField, unsigned int a_uiLength) {
    if (a_tField.resizeCodes(a_uiLength, 0xFF, vexl::VK_Actual))
        return true;
    const char *l_cpBytes = nullptr;
    const unsigned int l_uiCount = a_tField.getCodePoint(&l_cpBytes, vexl::VK_Actual);
    if (l_uiCount == 0)
        return false;
    const std::string l_strCopy(l_cpBytes, l_uiCount);
    a_tField.setValue(l_strCopy.data(), l_uiCount, vexl::VK_Actual);
    return a_tField.resizeCodes(a_uiLength, 0xFF, vexl::VK_Actual);
}

// "sizeset4mul": pads the field to a multiple of 4 and writes its unpadded length into the
// paired "sizedef4mul" field, inside the packet made so far.
int allotPaddedLength(CFields &a_tField, tPacketExpInfo a_tExp, std::string &a_strPacket,
                      const vexl::tMemoVector &a_vecMemo) {
    const vexl::tMemoFieldInfo *l_pMarker = detail::findMarker(a_vecMemo, a_tExp, EKW_sizedef4mul);
    if (l_pMarker == nullptr)
        return ESK_DONE;
    if (l_pMarker->pField == nullptr)
        return ESK_FAILED;
    CFields &l_tSizeField = *l_pMarker->pField;
    uint64_t l_uCurrent = 0;
    if (!detail::readUnsigned(l_tSizeField, l_uCurrent))
        return ESK_NOT_NUMBER;

    const unsigned int l_uiNatural = a_tField.pkt_Len4PEI();
    const uint64_t l_uPadded = detail::roundUp4(l_uiNatural);
    if (l_uPadded > 0xFFFFFFFFu)
        return ESK_FAILED;
    if (a_tExp.uLength() != l_uPadded) {
        a_tExp.setLength(uint32_t(l_uPadded));
        a_tField.pkt_SetExp(a_tExp);
    }
    // Only a byte string can carry the 0xFF pad; other values are padded by their encoder.
    if (l_uPadded > l_uiNatural && a_tField.isCodelist() && !padCodes(a_tField, uint32_t(l_uPadded)))
        return ESK_FAILED;

    if (l_uCurrent == l_uiNatural)
        return ESK_DONE;
    // The size field's new bytes are made from a copy first: they replace its old bytes only
    // where they fit inside the packet, and the field takes the new value only then.
    vexl::CFields l_tResized(l_tSizeField);
    l_tResized.setValue(static_cast<unsigned long long>(l_uiNatural), vexl::VK_Actual);
    const std::string l_strBytes = l_tResized.pkt_Make4OneSelf(false);
    const uint64_t l_uAt = l_pMarker->uValue;
    if (!l_strBytes.empty()) {
        if (l_uAt > a_strPacket.size() || l_strBytes.size() > a_strPacket.size() - l_uAt)
            return ESK_FAILED;
        a_strPacket.replace(size_t(l_uAt), l_strBytes.size(), l_strBytes);
    }
    l_tSizeField.setValue(static_cast<unsigned long long>(l_uiNatural), vexl::VK_Actual);
    return ESK_DONE;
}

} // namespace

int eskAllotPkt(unsigned short index, unsigned char option, CFields &field) {
    const int l_nStart = detail::beginPacketHook(index, option);
    if (l_nStart < 1)
        return l_nStart;
    const tInnerSupportedArgs4ESK &l_tArgs = field.pkt_GetISA4ESK();
    const tPacketExpInfo l_tExp = field.pkt_GetExp();

    switch (index) {
    case EKW_seq:
        field = static_cast<unsigned long>(seqGenerator().GetAt(option));
        return ESK_DONE;
    case EKW_useq: {
        // A number that could not be stored in its slot file is not handed out: the field gets
        // 0 and the step fails (the packet engine then leaves the field out).
        const uint32_t l_uNumber = drawPersisted(option);
        field = static_cast<unsigned long>(l_uNumber);
        return l_uNumber != 0 ? ESK_DONE : ESK_NO_SLOT_FILE;
    }
    case EKW_thread:
        allotThread(field);
        return ESK_DONE;
    default:
        break;
    }

    // The markers and their partners need the packet and the memo.
    if (l_tArgs.pData == nullptr || l_tArgs.pMemo == nullptr)
        return ESK_NO_LISTS;
    std::string &l_strPacket = *static_cast<std::string *>(l_tArgs.pData);
    vexl::tMemoVector &l_vecMemo = *l_tArgs.pMemo;
    switch (index) {
    case EKW_chksumbegin:
    case EKW_sizedef4mul:
        if (l_strPacket.size() > kMaxMarkOffset)
            return ESK_FAILED;
        l_vecMemo.push_back(detail::markerRecord(
            l_tExp, index, index == EKW_sizedef4mul ? static_cast<void *>(&field) : l_tArgs.pData,
            uint32_t(l_strPacket.size())));
        return ESK_DONE;
    case EKW_chksumset:
        return allotChecksum(field, l_tExp, l_strPacket, l_vecMemo);
    default: // EKW_sizeset4mul
        return allotPaddedLength(field, l_tExp, l_strPacket, l_vecMemo);
    }
}

} // namespace esk_add
