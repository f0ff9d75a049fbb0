// Supporting keywords: the allot step (before a field is made), the parse step (before it is
// parsed) and the check step (when a received packet is checked in detail), for the internal
// keywords of the engine and, through the hook tables, for external ones.

#include <cstdint>
#include <string>

#include "esk_calls.h"
#include "internal_keywords.h"
#include "packet_bytes.h"
#include "packet_clock.h"
#include "vexl/fields.h"

namespace vexl {

namespace {

using namespace detail;

// Inclusive range a date or time keyword must lie in when a received packet is checked. The
// bounds test each part only as a whole number (day 31 in February passes).
struct tClockRange {
    uint64_t uMin;
    uint64_t uMax;
};

bool clockRange(unsigned a_uiIndex, tClockRange &a_tOut) noexcept {
    switch (a_uiIndex) {
    case IKW_DOY:
        a_tOut = {0, 365};
        return true;
    case IKW_DOW:
        a_tOut = {0, 6};
        return true;
    case IKW_YYYY:
        a_tOut = {1900, UINT64_MAX};
        return true;
    case IKW_YY:
        a_tOut = {0, 99};
        return true;
    case IKW_MM:
        a_tOut = {1, 12};
        return true;
    case IKW_DD:
        a_tOut = {1, 31};
        return true;
    case IKW_hh:
        a_tOut = {0, 23};
        return true;
    case IKW_mm:
    case IKW_SS:
        a_tOut = {0, 59};
        return true;
    case IKW_sss:
        a_tOut = {0, 999};
        return true;
    case IKW_YYYYMMDD:
        a_tOut = {19000101, 99991231};
        return true;
    case IKW_YYMMDD:
        a_tOut = {101, 991231};
        return true;
    case IKW_hhmmSS:
        a_tOut = {0, 235959};
        return true;
    case IKW_hhmmSSsss:
        a_tOut = {0, 235959999};
        return true;
    case IKW_YYMMDDhhmmSS:
        a_tOut = {101000000, 991231235959};
        return true;
    case IKW_YYMMDDhhmmSSsss:
        a_tOut = {101000000000, 991231235959999};
        return true;
    case IKW_YYYYMMDDhhmmSS:
        a_tOut = {19000101000000, 99991231235959};
        return true;
    case IKW_YYYYMMDDhhmmSSsss:
        a_tOut = {19000101000000000, 99991231235959999};
        return true;
    default:
        return false;
    }
}

// The field's actual value as an unsigned 64-bit number: integral values of at least 0 and code
// lists of decimal digits convert; anything else (a negative or fractional number, a bool, text
// that is no number) does not. Never raises, whatever bytes a received packet held.
bool toUnsignedValue(const CFields &a_tField, uint64_t &a_uOut) {
    if (!a_tField.isUint64() && !a_tField.isCodelist())
        return false;
    unsigned long long l_uValue = 0;
    if (!a_tField.toUint64(l_uValue))
        return false;
    a_uOut = l_uValue;
    return true;
}

bool isKnownInternal(unsigned a_uiIndex) noexcept {
    return internalKeywordName(a_uiIndex) != nullptr;
}

// The expression without its keyword: a temporary field that reads a keyword field's bytes must
// not run that keyword's step again.
tPacketExpInfo withoutKeyword(tPacketExpInfo a_tExp) noexcept {
    a_tExp.ucSkiKindOpt = 0;
    a_tExp.setSKI(0);
    return a_tExp;
}

// Reads the field's bytes at `a_uiPosition` into a keyword-free temporary field of the same data
// type and expression and converts them to an unsigned number. False when the field has no
// length, does not fit the data, fails to parse or does not convert.
bool readFieldNumber(const CFields &a_tField, const char *a_cpData, unsigned int a_uiSize,
                     unsigned int a_uiPosition, uint64_t &a_uOut) {
    const tPacketExpInfo l_tExp = a_tField.pkt_GetExp();
    const uint64_t l_uLength = l_tExp.uLength();
    if (l_uLength == 0 || uint64_t(a_uiPosition) + l_uLength > a_uiSize)
        return false;
    CFields l_tTemp(a_tField.getDT());
    l_tTemp.pkt_SetExp(withoutKeyword(l_tExp));
    if (l_tTemp.pkt_Parse4OneSelf(a_cpData + a_uiPosition, a_uiSize - a_uiPosition, true) < 0)
        return false;
    return toUnsignedValue(l_tTemp, a_uOut);
}

// The first memo entry of the "sizedef_" paired with a "sizeset_" of this kind and option.
const tMemoFieldInfo *findSizeDefinition(const tMemoVector &a_vecMemo, uint8_t a_ucKindOption) noexcept {
    if ((a_ucKindOption >> 4) == 0)
        return nullptr;
    for (const tMemoFieldInfo &l_tEntry : a_vecMemo)
        if (l_tEntry.uSkiKindOption == a_ucKindOption && l_tEntry.uSKI == IKW_sizedef)
            return &l_tEntry;
    return nullptr;
}

void setFieldLength(CFields &a_tField, uint32_t a_uiLength) noexcept {
    tPacketExpInfo l_tExp = a_tField.pkt_GetExp();
    l_tExp.setLength(a_uiLength);
    a_tField.pkt_SetExp(l_tExp);
}

// "sizeset_" while making: the field takes its natural length as its own, and the paired size
// field is set to that length and its bytes in the packet are made again. False leaves this
// field out of the packet.
bool allotSizeSet(CFields &a_tField, std::string &a_strPacket, const tMemoVector &a_vecMemo) {
    const tMemoFieldInfo *l_pEntry = findSizeDefinition(a_vecMemo, a_tField.pkt_GetExp().ucSkiKindOpt);
    if (l_pEntry == nullptr)
        return true;
    CFields &l_tSizeField = *l_pEntry->pField;
    uint64_t l_uCurrent = 0;
    if (!toUnsignedValue(l_tSizeField, l_uCurrent))
        return false;
    const unsigned int l_uiNatural = a_tField.pkt_Len4PEI();
    setFieldLength(a_tField, l_uiNatural);
    if (l_uCurrent == l_uiNatural)
        return true;
    l_tSizeField.setValue(static_cast<unsigned long long>(l_uiNatural));
    const std::string l_strBytes = l_tSizeField.pkt_Make4OneSelf(false);
    // The new bytes replace the old ones only where they fit inside the packet; a size field
    // that would grow past the packet's end fails the step instead of writing beyond it.
    const uint64_t l_uAt = l_pEntry->uValue;
    if (l_uAt > a_strPacket.size() || l_strBytes.size() > a_strPacket.size() - l_uAt)
        return false;
    a_strPacket.replace(size_t(l_uAt), l_strBytes.size(), l_strBytes);
    return true;
}

// Date and time keywords while making: the field takes the clock value as DT_uint.
void allotClockValue(CFields &a_tField, unsigned a_uiIndex) {
    tLocalClock l_tClock{};
    if (!readLocalClock(l_tClock))
        raiseLogicError("[%s#%d] Failed to read the local time", "vexl::CFields::pkt_allotValue4SKI",
                        __LINE__);
    a_tField.setValue(static_cast<unsigned long long>(clockKeywordValue(a_uiIndex, l_tClock)));
}

// "fix" and "valid" in a received packet: the field's bytes, read into a copy whose actual value
// has the type of the second value, must equal the second value.
bool checkDualValue(const CFields &a_tField, const char *a_cpData, unsigned int a_uiSize,
                    unsigned int a_uiPosition) {
    CFields l_tTemp(a_tField);
    l_tTemp.pkt_SetExp(withoutKeyword(a_tField.pkt_GetExp()));
    l_tTemp.setValue(a_tField.getDT(VK_Fixed));
    if (l_tTemp.pkt_Parse4OneSelf(a_cpData + a_uiPosition, a_uiSize - a_uiPosition, true) < 0)
        return false;
    return l_tTemp.isEqualDualValue();
}

} // namespace

// MARK: - Allot step (Private)

bool CFields::pkt_allotValue4SKI(std::string &packet, tMemoVector &memo) {
    const unsigned l_uiIndex = m_tPEI.uSKI();
    if (m_tPEI.uSkiKind() != 0) {
        const tPacketHookFP l_fpHook = packetHook(E_EskStep::Allot, m_tPEI.uSkiKind());
        pkt_enterISA4ESK(tInnerSupportedArgs4ESK{&packet, 0, 0, &memo});
        const CScopeExit l_tLeave([this] { pkt_leaveISA4ESK(); });
        return l_fpHook(m_tPEI.uSKI(), m_tPEI.uSkiOption(), *this) > 0;
    }
    if (!isKnownInternal(l_uiIndex))
        raiseLogicError("[%s#%d] Unknown internal SKI(supporting keyword index)",
                        "vexl::CFields::pkt_allotValue4SKI", __LINE__);
    switch (l_uiIndex) {
    case IKW_fix:
    case IKW_valid:
        return true;
    case IKW_sizedef:
        memo.push_back(tMemoFieldInfo{m_tPEI.ucSkiKindOpt, IKW_sizedef, this, uint32_t(packet.size())});
        return true;
    case IKW_sizeset:
        return allotSizeSet(*this, packet, memo);
    default:
        allotClockValue(*this, l_uiIndex);
        return true;
    }
}

// MARK: - Parse step (Private)

void CFields::pkt_parsePrepare4SKI(const char *data, unsigned int size, unsigned int position,
                                   tMemoVector &memo) {
    if (m_tPEI.uSkiKind() != 0) {
        // The hook's result does not stop the parse.
        const tPacketHookFP l_fpHook = packetHook(E_EskStep::Parse, m_tPEI.uSkiKind());
        pkt_enterISA4ESK(tInnerSupportedArgs4ESK{const_cast<char *>(data), size, position, &memo});
        const CScopeExit l_tLeave([this] { pkt_leaveISA4ESK(); });
        l_fpHook(m_tPEI.uSKI(), m_tPEI.uSkiOption(), *this);
        return;
    }
    switch (m_tPEI.uSKI()) {
    case IKW_sizedef: {
        uint64_t l_uValue = 0;
        if (readFieldNumber(*this, data, size, position, l_uValue) && l_uValue <= 0xFFFFFFFFu)
            memo.push_back(tMemoFieldInfo{m_tPEI.ucSkiKindOpt, IKW_sizedef, this, uint32_t(l_uValue)});
        return;
    }
    case IKW_sizeset: {
        const tMemoFieldInfo *l_pEntry = findSizeDefinition(memo, m_tPEI.ucSkiKindOpt);
        if (l_pEntry != nullptr)
            m_tPEI.setLength(l_pEntry->uValue);
        return;
    }
    default:
        return;
    }
}

// MARK: - Check step (Private)

bool CFields::pkt_detailCheckValue4SKI(const char *data, unsigned int size, unsigned int &position,
                                       tMemoVector &memo) {
    const unsigned l_uiIndex = m_tPEI.uSKI();
    if (m_tPEI.uSkiKind() != 0) {
        const tPacketHookFP l_fpHook = packetHook(E_EskStep::Check, m_tPEI.uSkiKind());
        pkt_enterISA4ESK(tInnerSupportedArgs4ESK{const_cast<char *>(data), size, position, &memo});
        const CScopeExit l_tLeave([this] { pkt_leaveISA4ESK(); });
        return l_fpHook(m_tPEI.uSKI(), m_tPEI.uSkiOption(), *this) > 0;
    }
    if (!isKnownInternal(l_uiIndex))
        raiseLogicError("[%s#%d] Unknown internal SKI(supporting keyword index)",
                        "vexl::CFields::pkt_detailCheckValue4SKI", __LINE__);
    switch (l_uiIndex) {
    case IKW_fix:
    case IKW_valid:
        return checkDualValue(*this, data, size, position);
    case IKW_sizedef: {
        uint64_t l_uValue = 0;
        if (!readFieldNumber(*this, data, size, position, l_uValue) || l_uValue > 0xFFFFFFFFu)
            return false;
        memo.push_back(tMemoFieldInfo{m_tPEI.ucSkiKindOpt, IKW_sizedef, this, uint32_t(l_uValue)});
        return true;
    }
    case IKW_sizeset: {
        const tMemoFieldInfo *l_pEntry = findSizeDefinition(memo, m_tPEI.ucSkiKindOpt);
        if (l_pEntry != nullptr && uint64_t(position) + l_pEntry->uValue <= size)
            m_tPEI.setLength(l_pEntry->uValue);
        return true;
    }
    default: {
        tClockRange l_tRange{};
        uint64_t l_uValue = 0;
        if (!clockRange(l_uiIndex, l_tRange))
            return false;
        CFields l_tTemp(getDT());
        l_tTemp.pkt_SetExp(withoutKeyword(m_tPEI));
        if (l_tTemp.pkt_Parse4OneSelf(data + position, size - position, true) < 0)
            return false;
        if (!toUnsignedValue(l_tTemp, l_uValue))
            return false;
        return l_uValue >= l_tRange.uMin && l_uValue <= l_tRange.uMax;
    }
    }
}

} // namespace vexl
