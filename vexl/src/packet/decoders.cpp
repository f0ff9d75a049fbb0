// The eight packet decoders. Each takes the field's first byte, the count R of bytes from there
// to the end of the data, and whether to store, and returns the bytes left after the field
// (R minus the field length): negative when the field does not fit, -1 when a value or a length
// prefix fails to convert.
//
// Every read is bounded by R: a prefix is read only after R >= width, content only after
// R >= the whole field length, and prefixes are read with counted readers.

#include <cstdint>
#include <cstring>

#include "packet_bytes.h"
#include "tree/slot_ops.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

namespace vexl {

namespace {

using detail::clampResult;

// Stores received bytes as the field's code list, in the field's own block when it has room:
// a packet parsed again and again into the same layout then costs no allocation per field.
bool storeReceivedCodes(CFields &a_tField, uMultiValue &a_uValue, uint8_t a_ucActBits, const char *a_cpBytes,
                        uint32_t a_uiLength) {
    return slot::reuseCodes(a_uValue, a_ucActBits, a_cpBytes, a_uiLength) ||
           a_tField.setValue(a_cpBytes, a_uiLength);
}

// Stores the number of an all-digit text the way the general number reader does (DT_sint up to
// 2147483647, DT_uint above), writing straight into a slot that already has that type.
void storeDigitsValue(CFields &a_tField, uMultiValue &a_uValue, uint8_t a_ucActBits, uint64_t a_uNumber) {
    if (a_uNumber <= 2147483647u) {
        if (a_ucActBits == DT_sint)
            a_uValue.m_llValue = static_cast<long long>(a_uNumber);
        else
            a_tField.setValue(static_cast<long long>(a_uNumber));
    } else {
        if (a_ucActBits == DT_uint)
            a_uValue.m_ullValue = a_uNumber;
        else
            a_tField.setValue(static_cast<unsigned long long>(a_uNumber));
    }
}

// Stores the number of a received text: all digits, or "-" and up to 18 digits, straight into
// the slot; anything else through the general number reader. The results are those of the
// general reader (DT_sint for negative numbers). False when the text does not convert.
bool storeNumberText(CFields &a_tField, uMultiValue &a_uValue, uint8_t a_ucActBits, const char *a_cpText,
                     uint32_t a_uiLength) {
    uint64_t l_uNumber = 0;
    if (detail::readPlainDigits(a_cpText, a_uiLength, l_uNumber)) {
        storeDigitsValue(a_tField, a_uValue, a_ucActBits, l_uNumber);
        return true;
    }
    if (a_uiLength >= 2 && a_uiLength <= 19 && a_cpText[0] == '-' &&
        detail::readPlainDigits(a_cpText + 1, a_uiLength - 1, l_uNumber)) {
        const long long l_nValue = -static_cast<long long>(l_uNumber);
        if (a_ucActBits == DT_sint)
            a_uValue.m_llValue = l_nValue;
        else
            a_tField.setValue(l_nValue);
        return true;
    }
    return atonInField(a_cpText, a_uiLength, a_tField);
}

// Result of a variable-length field once its prefix gave the whole length T: nothing is
// consumed for T below 1, a prefix claiming fewer bytes than itself is a conversion failure,
// and a field longer than the data is reported as missing bytes. Returns true when the content
// fits and may be read; otherwise `a_nResult` is final.
bool checkVariableLength(int64_t a_nWhole, uint32_t a_uiWidth, unsigned int a_uiRemain,
                         int &a_nResult) noexcept {
    if (a_nWhole < 1) {
        a_nResult = clampResult(a_uiRemain);
        return false;
    }
    if (a_nWhole < int64_t(a_uiWidth) || a_nWhole > int64_t(0xFFFFFFFFu)) {
        a_nResult = -1;
        return false;
    }
    if (int64_t(a_uiRemain) < a_nWhole) {
        a_nResult = clampResult(int64_t(a_uiRemain) - a_nWhole);
        return false;
    }
    return true;
}

// Whole length T of a variable field from its ASCII or binary prefix; false for a prefix that
// does not convert.
bool variableWholeLength(const char *a_cpField, uint32_t a_uiWidth, int a_nCalibration, bool a_bBinary,
                         int64_t &a_nWhole) noexcept {
    const auto *l_p = reinterpret_cast<const unsigned char *>(a_cpField);
    int64_t l_nPrefix = 0;
    const bool l_bOk = a_bBinary ? detail::readBinaryPrefix(l_p, a_uiWidth, l_nPrefix)
                                 : detail::readAsciiPrefix(l_p, a_uiWidth, l_nPrefix);
    a_nWhole = l_nPrefix + a_nCalibration;
    return l_bOk;
}

// Reads the length prefix of a variable field and measures the field against the data. True
// with the whole field length and the parse result when the field is complete; false with the
// result to return (a negative count of missing bytes, or -1 for an unreadable prefix).
bool measureVariable(const tPacketExpInfo &a_tPEI, const char *a_cpField, unsigned int a_uiRemain,
                     bool a_bBinary, int64_t &a_nWhole, int &a_nResult) {
    const uint32_t l_uiWidth = a_tPEI.uVarWidth;
    if (a_uiRemain < l_uiWidth) {
        a_nResult = clampResult(int64_t(a_uiRemain) - int64_t(l_uiWidth));
        return false;
    }
    if (!variableWholeLength(a_cpField, l_uiWidth, a_tPEI.nCalibration, a_bBinary, a_nWhole)) {
        a_nResult = -1;
        return false;
    }
    if (!checkVariableLength(a_nWhole, l_uiWidth, a_uiRemain, a_nResult))
        return false;
    a_nResult = clampResult(int64_t(a_uiRemain) - a_nWhole);
    return true;
}

} // namespace

// MARK: - Fixed-length decoders (Private)

int CFields::pkt_parseToACF(const char *field, unsigned int remain, bool store) {
    const uint32_t l_uiLength = detail::clampLength(m_tPEI.uLength());
    const int l_nResult = clampResult(int64_t(remain) - int64_t(l_uiLength));
    if (l_nResult < 0 || !store)
        return l_nResult;
    if (l_uiLength > MAX_CODELIST_LENGTH)
        return -1;
    if (!storeReceivedCodes(*this, m_uActValue, actBits(), field, l_uiLength))
        return -1;
    return l_nResult;
}

int CFields::pkt_parseToBCF(const char *field, unsigned int remain, bool store) {
    return pkt_parseToACF(field, remain, store);
}

int CFields::pkt_parseToANF(const char *field, unsigned int remain, bool store) {
    const uint32_t l_uiLength = detail::clampLength(m_tPEI.uLength());
    const int l_nResult = clampResult(int64_t(remain) - int64_t(l_uiLength));
    if (l_nResult < 0 || !store)
        return l_nResult;
    return storeNumberText(*this, m_uActValue, actBits(), field, l_uiLength) ? l_nResult : -1;
}

int CFields::pkt_parseToBNF(const char *field, unsigned int remain, bool store) {
    const uint32_t l_uiLength = detail::clampLength(m_tPEI.uLength());
    const int l_nResult = clampResult(int64_t(remain) - int64_t(l_uiLength));
    if (l_nResult < 0 || !store)
        return l_nResult;
    const auto *l_p = reinterpret_cast<const unsigned char *>(field);
    if (l_uiLength <= 8)
        setValue(static_cast<long long>(detail::loadBigEndian(l_p, l_uiLength)));
    else
        setValue(detail::bitsDouble(detail::loadBigEndian(l_p + (l_uiLength - 8), 8)));
    return l_nResult;
}

// MARK: - Variable-length decoders (Private)

int CFields::pkt_parseToACV(const char *field, unsigned int remain, bool store) {
    const uint32_t l_uiWidth = m_tPEI.uVarWidth;
    int64_t l_nWhole = 0;
    int l_nResult = 0;
    if (!measureVariable(m_tPEI, field, remain, false, l_nWhole, l_nResult))
        return l_nResult;
    if (!store)
        return l_nResult;
    const uint32_t l_uiContent = uint32_t(l_nWhole) - l_uiWidth;
    if (l_uiContent > MAX_CODELIST_LENGTH)
        return -1;
    if (!storeReceivedCodes(*this, m_uActValue, actBits(), field + l_uiWidth, l_uiContent))
        return -1;
    m_tPEI.setLength(uint32_t(l_nWhole));
    return l_nResult;
}

int CFields::pkt_parseToANV(const char *field, unsigned int remain, bool store) {
    const uint32_t l_uiWidth = m_tPEI.uVarWidth;
    int64_t l_nWhole = 0;
    int l_nResult = 0;
    if (!measureVariable(m_tPEI, field, remain, false, l_nWhole, l_nResult))
        return l_nResult;
    if (!store)
        return l_nResult;
    const uint32_t l_uiContent = uint32_t(l_nWhole) - l_uiWidth;
    if (!storeNumberText(*this, m_uActValue, actBits(), field + l_uiWidth, l_uiContent))
        return -1;
    m_tPEI.setLength(uint32_t(l_nWhole));
    return l_nResult;
}

int CFields::pkt_parseToBCV(const char *field, unsigned int remain, bool store) {
    const uint32_t l_uiWidth = m_tPEI.uVarWidth;
    int64_t l_nWhole = 0;
    int l_nResult = 0;
    if (!measureVariable(m_tPEI, field, remain, true, l_nWhole, l_nResult))
        return l_nResult;
    if (!store)
        return l_nResult;
    const uint32_t l_uiContent = uint32_t(l_nWhole) - l_uiWidth;
    if (l_uiContent > MAX_CODELIST_LENGTH)
        return -1;
    if (!storeReceivedCodes(*this, m_uActValue, actBits(), field + l_uiWidth, l_uiContent))
        return -1;
    m_tPEI.setLength(uint32_t(l_nWhole));
    return l_nResult;
}

int CFields::pkt_parseToBNV(const char *field, unsigned int remain, bool store) {
    const uint32_t l_uiWidth = m_tPEI.uVarWidth;
    int64_t l_nWhole = 0;
    int l_nResult = 0;
    if (!measureVariable(m_tPEI, field, remain, true, l_nWhole, l_nResult))
        return l_nResult;
    if (!store)
        return l_nResult;
    const uint32_t l_uiContent = uint32_t(l_nWhole) - l_uiWidth;
    const auto *l_p = reinterpret_cast<const unsigned char *>(field + l_uiWidth);
    if (l_uiContent <= 8)
        setValue(static_cast<long long>(detail::loadBigEndian(l_p, l_uiContent)));
    else
        setValue(detail::bitsDouble(detail::loadBigEndian(l_p + (l_uiContent - 8), 8)));
    m_tPEI.setLength(uint32_t(l_nWhole));
    return l_nResult;
}

} // namespace vexl
