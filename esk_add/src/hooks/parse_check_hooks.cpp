// The parse hook (before a received field is read) and the check hook (when a received packet
// is checked in detail).

#include <climits>

#include "brick/checksum.h"
#include "hooks/hook_support.h"
#include "hooks/packet_hooks.h"
#include "keywords/keyword_table.h"
#include "vexl/fields.h"

namespace esk_add {

namespace {

using vexl::CFields;
using vexl::tInnerSupportedArgs4ESK;
using vexl::tPacketExpInfo;

bool hasLists(const tInnerSupportedArgs4ESK &a_tArgs) noexcept {
    return a_tArgs.pData != nullptr && a_tArgs.pMemo != nullptr;
}

// "sizedef4mul" in a received packet: reads the size and records it for its partner. A size
// above 32 bits cannot be a length and is refused like a value that is no number.
int receiveSizeDefinition(CFields &a_tField, const tInnerSupportedArgs4ESK &a_tArgs) {
    uint64_t l_uValue = 0;
    const int l_nRead = detail::readReceivedNumber(a_tField, a_tArgs, l_uValue);
    if (l_nRead < 1)
        return l_nRead;
    if (l_uValue > 0xFFFFFFFFu)
        return ESK_NOT_NUMBER;
    a_tArgs.pMemo->push_back(
        detail::markerRecord(a_tField.pkt_GetExp(), EKW_sizedef4mul, &a_tField, uint32_t(l_uValue)));
    return ESK_DONE;
}

// "sizeset4mul" in a received packet: the field is as long as its size rounded up to a multiple
// of 4. A size of 0 changes nothing.
int receivePaddedLength(CFields &a_tField, const tInnerSupportedArgs4ESK &a_tArgs) {
    tPacketExpInfo l_tExp = a_tField.pkt_GetExp();
    const vexl::tMemoFieldInfo *l_pMarker = detail::findMarker(*a_tArgs.pMemo, l_tExp, EKW_sizedef4mul);
    if (l_pMarker == nullptr || l_pMarker->uValue == 0)
        return ESK_DONE;
    const uint64_t l_uPadded = detail::roundUp4(l_pMarker->uValue);
    if (l_uPadded > 0xFFFFFFFFu)
        return ESK_NOT_NUMBER; // no field can be that long
    if (l_tExp.uLength() != l_uPadded) {
        l_tExp.setLength(uint32_t(l_uPadded));
        a_tField.pkt_SetExp(l_tExp);
    }
    return ESK_DONE;
}

// "chksumset" in a received packet: the bytes from the start of the paired "chksumbegin" field to
// the end of this field must sum to 0xFFFF. Without a marker, or when this field does not end
// within the data, there is nothing to verify.
int verifyChecksum(CFields &a_tField, const tInnerSupportedArgs4ESK &a_tArgs) {
    const tPacketExpInfo l_tExp = a_tField.pkt_GetExp();
    const uint64_t l_uLength = l_tExp.uLength();
    const uint64_t l_uEnd = uint64_t(a_tArgs.uPosition) + l_uLength;
    if (l_uLength == 0 || l_uEnd > a_tArgs.uDataLen)
        return ESK_DONE;
    const vexl::tMemoFieldInfo *l_pMarker = detail::findMarker(*a_tArgs.pMemo, l_tExp, EKW_chksumbegin);
    if (l_pMarker == nullptr || l_pMarker->uValue >= a_tArgs.uDataLen || l_pMarker->uValue > l_uEnd)
        return ESK_DONE;
    const uint64_t l_uCount = l_uEnd - l_pMarker->uValue;
    if (l_uCount > uint64_t(INT_MAX))
        return ESK_FAILED; // beyond what the checksum function counts
    const char *l_cpBegin = static_cast<const char *>(a_tArgs.pData) + l_pMarker->uValue;
    return brick::CHKSUM_Check(l_cpBegin, int(l_uCount), 0) ? ESK_DONE : ESK_FAILED;
}

} // namespace

int eskParsePkt(unsigned short index, unsigned char option, CFields &field) {
    const int l_nStart = detail::beginPacketHook(index, option);
    if (l_nStart < 1)
        return l_nStart;
    if (index != EKW_sizedef4mul && index != EKW_sizeset4mul)
        return ESK_DONE;
    const tInnerSupportedArgs4ESK &l_tArgs = field.pkt_GetISA4ESK();
    if (!hasLists(l_tArgs))
        return ESK_NO_LISTS;
    return index == EKW_sizedef4mul ? receiveSizeDefinition(field, l_tArgs)
                                    : receivePaddedLength(field, l_tArgs);
}

int eskCheckPkt(unsigned short index, unsigned char option, CFields &field) {
    const int l_nStart = detail::beginPacketHook(index, option);
    if (l_nStart < 1)
        return l_nStart;
    const tInnerSupportedArgs4ESK &l_tArgs = field.pkt_GetISA4ESK();
    if (!hasLists(l_tArgs))
        return ESK_NO_LISTS;
    switch (index) {
    case EKW_seq:
    case EKW_useq:
    case EKW_thread: {
        uint64_t l_uValue = 0;
        const int l_nRead = detail::readReceivedNumber(field, l_tArgs, l_uValue);
        if (l_nRead < 1)
            return l_nRead;
        return l_uValue == 0 ? ESK_ZERO_SEQUENCE : ESK_DONE;
    }
    case EKW_chksumbegin:
        l_tArgs.pMemo->push_back(
            detail::markerRecord(field.pkt_GetExp(), EKW_chksumbegin, l_tArgs.pData, l_tArgs.uPosition));
        return ESK_DONE;
    case EKW_chksumset:
        return verifyChecksum(field, l_tArgs);
    case EKW_sizedef4mul:
        return receiveSizeDefinition(field, l_tArgs);
    default: // EKW_sizeset4mul
        return receivePaddedLength(field, l_tArgs);
    }
}

} // namespace esk_add
