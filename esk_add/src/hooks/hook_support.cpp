// Shared steps of the packet hooks.

#include "hooks/hook_support.h"

#include "keywords/keyword_table.h"
#include "link/link_state.h"

namespace esk_add::detail {

int beginPacketHook(unsigned short index, unsigned char option) {
    const int l_nValid = eskCheckIdx(index, option);
    if (l_nValid < 1)
        return l_nValid;
    ensureLinked();
    return l_nValid;
}

const vexl::tMemoFieldInfo *findMarker(const vexl::tMemoVector &memo, const vexl::tPacketExpInfo &exp,
                                       uint16_t markerIndex) noexcept {
    const uint8_t l_ucKind = exp.uSkiKind();
    if (l_ucKind == 0)
        return nullptr;
    const uint8_t l_ucOption = exp.uSkiOption();
    for (const vexl::tMemoFieldInfo &l_tRecord : memo) {
        if ((l_tRecord.uSkiKindOption & 0x0Fu) == l_ucKind && (l_tRecord.uSkiKindOption >> 4) == l_ucOption &&
            l_tRecord.uSKI == markerIndex)
            return &l_tRecord;
    }
    return nullptr;
}

bool readUnsigned(const vexl::CFields &field, uint64_t &out) {
    out = 0;
    // toUint64 raises for a negative number; a received packet may hold one.
    if (!field.isUint64() && !field.isCodelist())
        return false;
    unsigned long long l_uValue = 0;
    if (!field.toUint64(l_uValue))
        return false;
    out = l_uValue;
    return true;
}

int readReceivedNumber(const vexl::CFields &field, const vexl::tInnerSupportedArgs4ESK &args, uint64_t &out) {
    out = 0;
    vexl::tPacketExpInfo l_tExp = field.pkt_GetExp();
    const uint64_t l_uLength = l_tExp.uLength();
    // 64-bit sums: position + length never wraps into a passing bound.
    if (l_uLength == 0 || uint64_t(args.uPosition) + l_uLength > args.uDataLen)
        return ESK_FAILED;
    // The temporary field reads the bytes without the keyword, so its own parse does not run
    // this hook again.
    l_tExp.ucSkiKindOpt = 0;
    l_tExp.setSKI(0);
    vexl::CFields l_tTemp(field.getDT());
    l_tTemp.pkt_SetExp(l_tExp);
    const char *l_cpField = static_cast<const char *>(args.pData) + args.uPosition;
    if (l_tTemp.pkt_Parse4OneSelf(l_cpField, args.uDataLen - args.uPosition, true) < 0)
        return ESK_FAILED;
    return readUnsigned(l_tTemp, out) ? ESK_DONE : ESK_NOT_NUMBER;
}

} // namespace esk_add::detail
