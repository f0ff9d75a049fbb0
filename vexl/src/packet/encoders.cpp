// The packet encoders: ASCII and binary, fixed and variable length. The fixed ones append the
// bytes of the in-place writers (writers.cpp), which compiled layouts call directly.
//
// Values that do not fit are cut, not refused (first characters of a text, last bytes of a
// binary number), and negative binary numbers wider than 8 bytes are filled with 0xAD; receivers
// of these packets rely on both. Nothing here allocates beyond the packet string itself, except
// the text of a double.

#include "encoders.h"

#include <cstring>

#include "packet_bytes.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl::detail {

namespace {

constexpr unsigned char kNegativeFill = 0xAD;

// Appends `a_uiCount` copies of `a_cByte`.
inline void appendFill(std::string &a_strOut, size_t a_uiCount, char a_cByte) {
    if (a_uiCount != 0)
        a_strOut.append(a_uiCount, a_cByte);
}

// Appends the `a_uiWidth` bytes `a_fWrite` writes for the field in place. If the writer
// throws, the string is as it was.
void appendWritten(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiWidth,
                   void (*a_fWrite)(char *, const CFields &, uint32_t)) {
    const size_t l_uiAt = a_strOut.size();
    a_strOut.resize(l_uiAt + a_uiWidth);
    try {
        a_fWrite(a_strOut.data() + l_uiAt, a_tField, a_uiWidth);
    } catch (...) {
        a_strOut.resize(l_uiAt);
        throw;
    }
}

// Appends unsigned digits in exactly `a_uiWidth` characters: cut, or "0" in front.
void appendUnsignedPadded(std::string &a_strOut, const char *a_cpText, size_t a_uiLen, uint32_t a_uiWidth) {
    if (a_uiLen >= a_uiWidth) {
        a_strOut.append(a_cpText, a_uiWidth);
    } else {
        appendFill(a_strOut, a_uiWidth - a_uiLen, '0');
        a_strOut.append(a_cpText, a_uiLen);
    }
}

// Appends a 64-bit big-endian number in exactly `a_uiWidth` bytes: its last bytes when narrower
// than 8, else `a_ucFill` bytes in front.
void appendBinaryNumber(std::string &a_strOut, uint64_t a_uBits, uint32_t a_uiWidth, unsigned char a_ucFill) {
    unsigned char l_aucBytes[8];
    storeBigEndian64(l_aucBytes, a_uBits);
    if (a_uiWidth <= 8) {
        a_strOut.append(reinterpret_cast<const char *>(l_aucBytes) + (8 - a_uiWidth), a_uiWidth);
        return;
    }
    appendFill(a_strOut, a_uiWidth - 8, char(a_ucFill));
    a_strOut.append(reinterpret_cast<const char *>(l_aucBytes), 8);
}

// Bits of a number value as stored in 8 binary bytes; sets `a_bNegative` for values below 0.
uint64_t numberBits(const CFields &a_tField, bool &a_bNegative) noexcept {
    const uMultiValue &l_uValue = a_tField.getValueRef();
    switch (a_tField.getDT()) {
    case DT_sint:
        a_bNegative = l_uValue.m_llValue < 0;
        return uint64_t(l_uValue.m_llValue);
    case DT_double:
        a_bNegative = l_uValue.m_dValue < 0.0;
        return doubleBits(l_uValue.m_dValue);
    default:
        a_bNegative = false;
        return l_uValue.m_ullValue;
    }
}

// The unpadded ASCII content of a field; numbers are formatted into `a_acBuf` (or `a_strDouble`
// for doubles). Returns the content's first byte and sets its length.
const char *asciiContent(const CFields &a_tField, char (&a_acBuf)[kDecimalBufferSize],
                         std::string &a_strDouble, size_t &a_uiLen) {
    char *const l_pEnd = a_acBuf + kDecimalBufferSize;
    const uMultiValue &l_uValue = a_tField.getValueRef();
    switch (a_tField.getDT()) {
    case DT_null:
        a_uiLen = 0;
        return a_acBuf;
    case DT_bool:
        a_acBuf[0] = l_uValue.m_bValue ? '1' : '0';
        a_uiLen = 1;
        return a_acBuf;
    case DT_sint: {
        char *l_p = formatDecimalBackward(l_pEnd, int64_t(l_uValue.m_llValue));
        a_uiLen = size_t(l_pEnd - l_p);
        return l_p;
    }
    case DT_uint: {
        char *l_p = formatDecimalBackward(l_pEnd, uint64_t(l_uValue.m_ullValue));
        a_uiLen = size_t(l_pEnd - l_p);
        return l_p;
    }
    case DT_double:
        a_strDouble = ToString(l_uValue.m_dValue);
        a_uiLen = a_strDouble.size();
        return a_strDouble.data();
    case DT_codelist: {
        const char *l_cpBytes = nullptr;
        a_uiLen = a_tField.getCodePoint(&l_cpBytes);
        return a_uiLen != 0 ? l_cpBytes : a_acBuf;
    }
    default:
        raiseLogicError("[%s#%d] Unknown data type", "vexl::CFields::pkt_makeToACV", __LINE__);
    }
}

} // namespace

// MARK: - ASCII encoders

void appendAsciiFixed(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiLength) {
    appendWritten(a_strOut, a_tField, clampLength(a_uiLength), writeAsciiFixed);
}

void appendAsciiVariable(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiWidth,
                         int a_nCalibration) {
    char l_acBuf[kDecimalBufferSize];
    std::string l_strDouble;
    size_t l_uiLen = 0;
    const char *l_cpContent = asciiContent(a_tField, l_acBuf, l_strDouble, l_uiLen);
    // The prefix counts modulo 2^32, as the receivers of these packets compute it.
    const uint32_t l_uPrefix = a_uiWidth - uint32_t(a_nCalibration) + uint32_t(l_uiLen);
    char l_acPrefix[kDecimalBufferSize];
    char *const l_pEnd = l_acPrefix + kDecimalBufferSize;
    const char *l_p = formatDecimalBackward(l_pEnd, uint64_t(l_uPrefix));
    appendUnsignedPadded(a_strOut, l_p, size_t(l_pEnd - l_p), a_uiWidth);
    if (l_uiLen != 0)
        a_strOut.append(l_cpContent, l_uiLen);
}

// MARK: - Binary encoders

void appendBinaryFixed(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiLength) {
    appendWritten(a_strOut, a_tField, clampLength(a_uiLength), writeBinaryFixed);
}

void appendBinaryVariable(std::string &a_strOut, const CFields &a_tField, uint32_t a_uiWidth,
                          int a_nCalibration) {
    const E_DataType l_eType = a_tField.getDT();
    unsigned char l_aucNumber[8];
    const char *l_cpContent = reinterpret_cast<const char *>(l_aucNumber);
    uint32_t l_uiLen = 0;
    switch (l_eType) {
    case DT_null:
        break;
    case DT_bool:
        l_aucNumber[0] = a_tField.getValueRef().m_bValue ? 1 : 0;
        l_uiLen = 1;
        break;
    case DT_sint:
    case DT_uint:
    case DT_double: {
        bool l_bNegative = false;
        storeBigEndian64(l_aucNumber, numberBits(a_tField, l_bNegative));
        l_uiLen = 8;
        break;
    }
    case DT_codelist: {
        const char *l_cpBytes = nullptr;
        l_uiLen = a_tField.getCodePoint(&l_cpBytes);
        if (l_uiLen != 0)
            l_cpContent = l_cpBytes;
        break;
    }
    default:
        raiseLogicError("[%s#%d] Unknown data type", "vexl::CFields::pkt_makeToBCV", __LINE__);
    }
    const int64_t l_nPrefix = int64_t(a_uiWidth) - a_nCalibration + int64_t(l_uiLen);
    const bool l_bNegativeFill = l_nPrefix < 0 && (l_eType == DT_null || l_eType == DT_bool);
    appendBinaryNumber(a_strOut, uint64_t(l_nPrefix), a_uiWidth, l_bNegativeFill ? kNegativeFill : 0);
    if (l_uiLen != 0)
        a_strOut.append(l_cpContent, l_uiLen);
}

} // namespace vexl::detail
