#pragma once
// Helpers shared by the packet-engine tests: packet expressions written as their text form,
// leaves added to a record, byte strings written in hex, and a fixed clock.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "packet/internal_keywords.h"
#include "packet/packet_clock.h"
#include "vexl/fields.h"

namespace vexl_packet_test {

/// The expression of a text such as "ACF5", "BNV2+0", "ACV2-2", "ACF2sizedef_1",
/// "ANF8YYYYMMDD": codes, number, signed calibration for V, internal keyword with option.
/// "x3:7" after the rest names external keyword index 7 in slot 3.
inline vexl::tPacketExpInfo pei(const char *text) {
    vexl::tPacketExpInfo l_tExp{};
    l_tExp.setPacketCode(text[0] == 'B' ? vexl::PEC_BINARY : vexl::PEC_ASCII);
    l_tExp.setRuntimeCode(text[1] == 'N' ? vexl::REC_NUMBER : vexl::REC_CHARACTER);
    l_tExp.setLengthCode(text[2] == 'V'   ? vexl::LEC_VARIABLE
                         : text[2] == 'D' ? vexl::LEC_DYNAMIC
                                          : vexl::LEC_FIXED);
    char *l_pEnd = nullptr;
    const unsigned long l_uNumber = std::strtoul(text + 3, &l_pEnd, 10);
    if (text[2] == 'V') {
        l_tExp.uVarWidth = uint8_t(l_uNumber);
        l_tExp.setLength(uint32_t(l_uNumber & 0xFF));
        if (*l_pEnd == '+' || *l_pEnd == '-')
            l_tExp.nCalibration = int8_t(std::strtol(l_pEnd, &l_pEnd, 10));
    } else {
        l_tExp.setLength(uint32_t(l_uNumber));
    }
    std::string l_strKeyword = l_pEnd;
    if (l_strKeyword.empty())
        return l_tExp;
    if (l_strKeyword[0] == 'x') {
        char *l_pColon = nullptr;
        l_tExp.setSkiKind(unsigned(std::strtoul(l_strKeyword.c_str() + 1, &l_pColon, 10)));
        l_tExp.setSKI(uint16_t(std::strtoul(l_pColon + 1, nullptr, 10)));
        return l_tExp;
    }
    const size_t l_uUnderscore = l_strKeyword.find('_');
    if (l_uUnderscore != std::string::npos && l_uUnderscore + 1 < l_strKeyword.size()) {
        l_tExp.setSkiOption(unsigned(std::strtoul(l_strKeyword.c_str() + l_uUnderscore + 1, nullptr, 10)));
        l_strKeyword.resize(l_uUnderscore + 1);
    }
    l_tExp.setSKI(uint16_t(vexl::detail::internalKeywordIndex(l_strKeyword.data(), l_strKeyword.size())));
    EXPECT_NE(l_tExp.uSKI(), 0) << "unknown keyword in " << text;
    return l_tExp;
}

/// A stand-alone field with `value` and the expression `exp`.
template <typename T> vexl::CFields leaf(const T &value, const char *exp) {
    vexl::CFields l_tField(value);
    l_tField.pkt_SetExp(pei(exp));
    return l_tField;
}

/// Appends a member named `name` with `value` and the expression `exp` to `record` (a record or
/// null node). References to earlier members are invalid afterwards.
template <typename T>
vexl::CFields &addLeaf(vexl::CFields &record, const char *name, const T &value, const char *exp) {
    vexl::CFields &l_tField = record.addChildRef(name, 0, true);
    l_tField = vexl::CFields(value);
    l_tField.pkt_SetExp(pei(exp));
    return l_tField;
}

/// A byte string from hex digits, blanks ignored: bytes("01 02 AD").
inline std::string bytes(const char *hex) {
    std::string l_strOut;
    int l_nHigh = -1;
    for (const char *l_p = hex; *l_p != '\0'; ++l_p) {
        const char c = *l_p;
        int l_nDigit;
        if (c >= '0' && c <= '9')
            l_nDigit = c - '0';
        else if (c >= 'A' && c <= 'F')
            l_nDigit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            l_nDigit = c - 'a' + 10;
        else
            continue;
        if (l_nHigh < 0) {
            l_nHigh = l_nDigit;
        } else {
            l_strOut.push_back(char(l_nHigh << 4 | l_nDigit));
            l_nHigh = -1;
        }
    }
    return l_strOut;
}

/// 5 March 2024, a Tuesday (day 64 of the year counted from 0), 09:07:03.045 local time.
inline bool fixedClock(vexl::detail::tLocalClock &out) {
    out = vexl::detail::tLocalClock{2024, 3, 5, 9, 7, 3, 45, 2, 64};
    return true;
}

/// A clock that cannot be read.
inline bool brokenClock(vexl::detail::tLocalClock &) {
    return false;
}

/// Installs a clock source for the lifetime of the object.
class CClockScope {
public:
    explicit CClockScope(vexl::detail::tClockSource source) : m_fpOld(vexl::detail::setClockSource(source)) {}
    ~CClockScope() { vexl::detail::setClockSource(m_fpOld); }
    CClockScope(const CClockScope &) = delete;
    CClockScope &operator=(const CClockScope &) = delete;

private:
    vexl::detail::tClockSource m_fpOld;
};

} // namespace vexl_packet_test
