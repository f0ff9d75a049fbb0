// The fixed-length encoders, writing in place: a compiled layout knows every fixed field's
// position and length, so the bytes go straight into the packet (no appends, no growth). The
// appending forms in encoders.cpp make room and call these.

#include <cstring>
#include <string>

#include "encoders.h"
#include "fixed_write.h"
#include "packet_bytes.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl::detail {

namespace {

constexpr unsigned char kNegativeFill = 0xAD;

// `a_uiLen` characters of text in exactly `a_uiWidth`: its first characters when too long, else
// "0" in front (after the "-" of a negative number).
inline void writeSignedPadded(char *a_p, const char *a_cpText, size_t a_uiLen, uint32_t a_uiWidth) {
    if (a_uiLen >= a_uiWidth) {
        copyShort(a_p, a_cpText, a_uiWidth);
    } else if (a_cpText[0] != '-') {
        fillShort(a_p, '0', a_uiWidth - a_uiLen);
        copyShort(a_p + (a_uiWidth - a_uiLen), a_cpText, a_uiLen);
    } else {
        a_p[0] = '-';
        fillShort(a_p + 1, '0', a_uiWidth - a_uiLen);
        copyShort(a_p + 1 + (a_uiWidth - a_uiLen), a_cpText + 1, a_uiLen - 1);
    }
}

// Unsigned digits in exactly `a_uiWidth` characters: "0" in front, or the leading digits of a
// number that is wider. A number that fits is written in place, from its end.
inline void writeUnsignedDigits(char *a_p, uint64_t a_uValue, uint32_t a_uiWidth) {
    if (a_uiWidth >= 20 || a_uValue < kPowersOfTen[a_uiWidth]) {
        writeDigitsRight(a_p, a_uValue, a_uiWidth);
        return;
    }
    char l_acBuf[kDecimalBufferSize];
    char *const l_pEnd = l_acBuf + kDecimalBufferSize;
    copyShort(a_p, formatDecimalBackward(l_pEnd, a_uValue), a_uiWidth);
}

// Code-list bytes in exactly `a_uiWidth`: cut, or padded behind with `a_cFill`.
inline void writeCodes(char *a_p, const CFields &a_tField, uint32_t a_uiWidth, char a_cFill) {
    const char *l_cpBytes = nullptr;
    const uint32_t l_uiCount = a_tField.getCodePoint(&l_cpBytes);
    writePadded(a_p, l_cpBytes, l_uiCount, a_uiWidth, a_cFill);
}

} // namespace

void writeAsciiFixed(char *a_p, const CFields &a_tField, uint32_t a_uiLength) {
    const uMultiValue &l_uValue = a_tField.getValueRef();
    switch (a_tField.getDT()) {
    case DT_null:
        std::memset(a_p, ' ', a_uiLength);
        return;
    case DT_bool:
        if (a_uiLength == 0)
            return;
        std::memset(a_p, '0', a_uiLength - 1);
        a_p[a_uiLength - 1] = l_uValue.m_bValue ? '1' : '0';
        return;
    case DT_sint: {
        if (l_uValue.m_llValue >= 0) {
            writeUnsignedDigits(a_p, uint64_t(l_uValue.m_llValue), a_uiLength);
            return;
        }
        char l_acBuf[kDecimalBufferSize];
        char *const l_pEnd = l_acBuf + kDecimalBufferSize;
        const char *l_p = formatDecimalBackward(l_pEnd, int64_t(l_uValue.m_llValue));
        writeSignedPadded(a_p, l_p, size_t(l_pEnd - l_p), a_uiLength);
        return;
    }
    case DT_double: {
        const std::string l_strText = ToString(l_uValue.m_dValue);
        writeSignedPadded(a_p, l_strText.data(), l_strText.size(), a_uiLength);
        return;
    }
    case DT_uint:
        writeUnsignedDigits(a_p, l_uValue.m_ullValue, a_uiLength);
        return;
    case DT_codelist:
        writeCodes(a_p, a_tField, a_uiLength, ' ');
        return;
    default:
        raiseLogicError("[%s#%d] Unknown data type(%d)", "vexl::CFields::pkt_makeToACF", __LINE__,
                        int(a_tField.getDT()));
    }
}

void writeBinaryFixed(char *a_p, const CFields &a_tField, uint32_t a_uiLength) {
    const uMultiValue &l_uValue = a_tField.getValueRef();
    switch (a_tField.getDT()) {
    case DT_null:
        std::memset(a_p, 0, a_uiLength);
        return;
    case DT_bool:
        if (a_uiLength == 0)
            return;
        std::memset(a_p, 0, a_uiLength - 1);
        a_p[a_uiLength - 1] = l_uValue.m_bValue ? '\x01' : '\0';
        return;
    case DT_sint:
    case DT_uint:
    case DT_double: {
        const E_DataType l_eType = a_tField.getDT();
        const bool l_bNegative = l_eType == DT_sint     ? l_uValue.m_llValue < 0
                                 : l_eType == DT_double ? l_uValue.m_dValue < 0.0
                                                        : false;
        const uint64_t l_uBits = l_eType == DT_double ? doubleBits(l_uValue.m_dValue) : l_uValue.m_ullValue;
        unsigned char l_aucBytes[8];
        storeBigEndian64(l_aucBytes, l_uBits);
        if (a_uiLength <= 8) {
            std::memcpy(a_p, l_aucBytes + (8 - a_uiLength), a_uiLength);
        } else {
            std::memset(a_p, l_bNegative ? kNegativeFill : 0, a_uiLength - 8);
            std::memcpy(a_p + (a_uiLength - 8), l_aucBytes, 8);
        }
        return;
    }
    case DT_codelist:
        writeCodes(a_p, a_tField, a_uiLength, '\0');
        return;
    default:
        raiseLogicError("[%s#%d] Unknown data type", "vexl::CFields::pkt_makeToBCF", __LINE__);
    }
}

} // namespace vexl::detail
