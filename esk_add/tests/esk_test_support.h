#pragma once
// Helpers of the add-on tests: packet expressions, documents loaded with the add-on's keywords,
// and bytes written as hexadecimal text.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "esk_add/esk_add.h"
#include "vexl/fields.h"
#include "vexl/loaders.h"

namespace esk_test {

/// The temporary working directory every test runs in (made when the program starts).
std::string workFolder();

/// A packet expression served by the add-on (slot 1).
inline vexl::tPacketExpInfo eskExp(vexl::E_PacketExpCode packet, vexl::E_RuntimeExpCode runtime,
                                   vexl::E_LengthExpCode lengthCode, uint32_t length, uint16_t index,
                                   uint8_t option = 0, uint8_t slot = 1) {
    vexl::tPacketExpInfo l_tExp{};
    l_tExp.setPacketCode(packet);
    l_tExp.setRuntimeCode(runtime);
    l_tExp.setLengthCode(lengthCode);
    l_tExp.setLength(length);
    if (lengthCode == vexl::LEC_VARIABLE)
        l_tExp.uVarWidth = uint8_t(length);
    l_tExp.setSkiKind(slot);
    l_tExp.setSkiOption(option);
    l_tExp.setSKI(index);
    return l_tExp;
}

/// Loads a text document (configuration 48) after linking the add-on; fails the test when the
/// document does not load.
inline vexl::CFields loadDocument(const std::string &text) {
    EXPECT_TRUE(esk_link());
    vexl::CFields l_tRoot;
    vexl::CLoaders l_tLoaders(vexl::LCBC_DEFAULT);
    EXPECT_TRUE(l_tLoaders.loading(text, l_tRoot, "", true)) << l_tLoaders.getLastErrMsg();
    return l_tRoot;
}

/// The bytes as upper-case hexadecimal pairs, e.g. "0A FF".
inline std::string hex(const std::string &bytes) {
    static const char s_acDigits[] = "0123456789ABCDEF";
    std::string l_strOut;
    for (unsigned char l_ucByte : bytes) {
        if (!l_strOut.empty())
            l_strOut += ' ';
        l_strOut += s_acDigits[l_ucByte >> 4];
        l_strOut += s_acDigits[l_ucByte & 0x0F];
    }
    return l_strOut;
}

/// The Internet checksum of `bytes` as two bytes, high byte first, computed here bit by bit
/// (independently of the library).
inline std::string referenceChecksum(const std::string &bytes) {
    uint32_t l_uSum = 0;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        uint32_t l_uWord = uint32_t(uint8_t(bytes[i])) << 8;
        if (i + 1 < bytes.size())
            l_uWord |= uint8_t(bytes[i + 1]);
        l_uSum += l_uWord;
        l_uSum = (l_uSum & 0xFFFFu) + (l_uSum >> 16);
    }
    const uint16_t l_usSum = uint16_t(~l_uSum);
    return std::string{char(l_usSum >> 8), char(l_usSum & 0xFF)};
}

} // namespace esk_test
