// Reading packet expressions: the decoder on its own (codes, lengths, calibration, keywords and
// options, hooks) and the bounded decimal reader.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loader/pei_decode.h"
#include "vexl/fields.h"

namespace {

using vexl::tPacketExpInfo;
using vexl::detail::decodePEI;

struct tDecoded {
    const char *szError;
    tPacketExpInfo stExp;
};

tDecoded decode(const std::string &text, unsigned lcbc = 48) {
    tDecoded d{nullptr, {}};
    d.stExp.setLength(0xDEADBEEF); // must stay untouched on failure
    d.szError = decodePEI(text.data(), text.size(), lcbc, d.stExp);
    return d;
}

TEST(PeiDecode, CodesLengthsAndInternalKeywords) {
    auto d = decode("ACF8YYYYMMDD");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(d.stExp.ePacketCode(), vexl::PEC_ASCII);
    EXPECT_EQ(d.stExp.eRuntimeCode(), vexl::REC_CHARACTER);
    EXPECT_EQ(d.stExp.eLengthCode(), vexl::LEC_FIXED);
    EXPECT_EQ(d.stExp.uLength(), 8u);
    EXPECT_EQ(d.stExp.uSkiKind(), 0u);
    EXPECT_EQ(d.stExp.uSKI(), 31u);
    EXPECT_EQ(d.stExp.uVarWidth, 0u);

    d = decode("BND12");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(d.stExp.ucCodes, 0x01 | 0x02 | (2 << 2));
    EXPECT_EQ(d.stExp.uLength(), 12u);
    EXPECT_EQ(d.stExp.uSKI(), 0u);

    d = decode("ACF4294967295");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(d.stExp.uLength(), 4294967295u);

    // Every named row of the internal table is found by its exact name only.
    for (const char *name : {"fix",
                             "valid",
                             "DOY",
                             "DOW",
                             "YYYY",
                             "YY",
                             "MM",
                             "DD",
                             "hh",
                             "mm",
                             "SS",
                             "sss",
                             "YYYYMMDD",
                             "YYMMDD",
                             "hhmmSS",
                             "hhmmSSsss",
                             "YYMMDDhhmmSS",
                             "YYMMDDhhmmSSsss",
                             "YYYYMMDDhhmmSS",
                             "YYYYMMDDhhmmSSsss"}) {
        EXPECT_EQ(decode(std::string("ACF4") + name).szError, nullptr) << name;
    }
    EXPECT_STREQ(decode("ACF4Fix").szError, "Found not a supporting-keyword index in packet expression");
    EXPECT_STREQ(decode("ACF4yyyy").szError, "Found not a supporting-keyword index in packet expression");
}

TEST(PeiDecode, VariableWidthAndCalibration) {
    auto d = decode("ACV3");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(d.stExp.uVarWidth, 3u);
    EXPECT_EQ(d.stExp.uLength(), 3u);
    EXPECT_EQ(d.stExp.nCalibration, 0);

    EXPECT_EQ(decode("ACV2+128").stExp.nCalibration, -128); // 128 keeps the bit pattern of -128
    EXPECT_EQ(decode("ACV2-128").stExp.nCalibration, -128);
    EXPECT_EQ(decode("ACV2+127").stExp.nCalibration, 127);
    EXPECT_EQ(decode("BCV9-7valid").stExp.nCalibration, -7);
    EXPECT_EQ(decode("BCV9-7valid").stExp.uSKI(), 2u);
    EXPECT_EQ(decode("ACV255").stExp.uVarWidth, 255u); // widths 10 to 255 are kept
    EXPECT_EQ(decode("ACV3fix").stExp.uSKI(), 1u);     // no calibration before a keyword

    EXPECT_STREQ(decode("ACV2+200").szError, "Calibration value must between -127 and 128");
    EXPECT_STREQ(decode("ACV2+129").szError, "Calibration value must between -127 and 128");
    EXPECT_STREQ(decode("ACV2-129").szError, "Calibration value must between -127 and 128");
    EXPECT_STREQ(decode("ACV256").szError, "Packet variable length must be little than 256");
    EXPECT_STREQ(decode("ACV-1").szError, "Packet length must bigger than 0");
}

TEST(PeiDecode, RefusedForms) {
    const struct {
        const char *text;
        unsigned lcbc;
        const char *message;
    } cases[] = {
        {"(", 48, "Mismatched syntax for packet E_PacketExpCode"},
        {"", 48, "Mismatched syntax for packet E_PacketExpCode"},
        {"XCF8", 48, "Mismatched syntax for packet E_PacketExpCode"},
        {"aCF8", 48, "Mismatched syntax for packet E_PacketExpCode"},
        {"AF8", 48, "Mismatched syntax for packet E_RuntimeExpCode"},
        {"A", 48, "Mismatched syntax for packet E_RuntimeExpCode"},
        {"ACX8", 48, "Mismatched syntax for packet E_LengthExpCode"},
        {"AC", 48, "Mismatched syntax for packet E_LengthExpCode"},
        {"ACF0", 48 | 0x04, "Packet length must bigger than 0"},
        {"ACFfix", 48 | 0x04, "Packet length must bigger than 0"},
        {"ACF-5", 48, "Packet length must bigger than 0"},
        {"ACD-1", 48, "Packet length must bigger than 0"},
        {"ACF4294967296", 48, "Packet length must be little than 4294967296"},
        {"ACF9999999999", 48, "Packet length must be little than 4294967296"},
        {"ACF4sizedef_0", 48, "Supporting-keyword optional value must bigger than 0"},
        {"ACF4sizedef_x", 48, "Supporting-keyword optional value must bigger than 0"},
        {"ACF4sizedef_-1", 48, "Supporting-keyword optional value must bigger than 0"},
        {"ACF4sizedef_10", 48, "Supporting-keyword option value must be little than 10"},
        {"ACF4sizedef_17", 48, "Supporting-keyword option value must be little than 10"},
        {"ACF4nothing", 48, "Found not a supporting-keyword index in packet expression"},
        {"ACF12345678901", 48, "Found not a supporting-keyword index in packet expression"},
    };
    for (const auto &c : cases) {
        const auto d = decode(c.text, c.lcbc);
        EXPECT_STREQ(d.szError, c.message) << c.text;
        EXPECT_EQ(d.stExp.uLength(), 0xDEADBEEFu) << c.text; // untouched
    }
    // Without bit 0x04 a zero length is accepted.
    EXPECT_EQ(decode("ACF0").szError, nullptr);
}

TEST(PeiDecode, OptionsSplitAtTheFirstUnderscore) {
    auto d = decode("ACF4sizedef_");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(d.stExp.uSKI(), 3u);
    EXPECT_EQ(d.stExp.uSkiOption(), 0u);

    d = decode("ACD0sizeset_9");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(d.stExp.uSKI(), 4u);
    EXPECT_EQ(d.stExp.uSkiOption(), 9u);
    EXPECT_EQ(d.stExp.ucSkiKindOpt, 0x90);

    // A leading "_" starts no option: the whole text is the name.
    EXPECT_STREQ(decode("ACF4_1").szError, "Found not a supporting-keyword index in packet expression");
}

// Registered get-index hooks answer for names the internal table does not know.
int s_iLastOption = -1;
std::string s_strLastName;
int slot3(const char *name, unsigned char option) {
    s_strLastName = name;
    s_iLastOption = option;
    return std::strcmp(name, "seq_") == 0 ? 7 : 0;
}
int slot5(const char *name, unsigned char) {
    return std::strcmp(name, "crc") == 0 ? 65535 : 70000;
}
int slot9(const char *name, unsigned char) {
    return std::strcmp(name, "crc") == 0 ? 1 : 0;
}

TEST(PeiDecode, HooksAreAskedInSlotOrder) {
    ASSERT_TRUE(vexl::CFields::setGetIdxFP4ESK(3, slot3));
    ASSERT_TRUE(vexl::CFields::setGetIdxFP4ESK(5, slot5));
    ASSERT_TRUE(vexl::CFields::setGetIdxFP4ESK(9, slot9));

    auto d = decode("ANF2seq_2");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(s_strLastName, "seq_");
    EXPECT_EQ(s_iLastOption, 2);
    EXPECT_EQ(d.stExp.uSkiKind(), 3u);
    EXPECT_EQ(d.stExp.uSKI(), 7u);
    EXPECT_EQ(d.stExp.uSkiOption(), 2u);

    d = decode("BNF2crc");
    ASSERT_EQ(d.szError, nullptr);
    EXPECT_EQ(d.stExp.uSkiKind(), 5u); // slot 5 answers first with 65535
    EXPECT_EQ(d.stExp.uSKI(), 65535u);

    // An answer above 65535 is no index: slot 5 says 70000 for "other", nobody else knows it.
    EXPECT_STREQ(decode("BNF2other").szError, "Found not a supporting-keyword index in packet expression");
    // The internal table wins over the hooks.
    EXPECT_EQ(decode("ACF1fix").stExp.uSkiKind(), 0u);

    for (unsigned char slot : {3, 5, 9})
        vexl::CFields::setGetIdxFP4ESK(slot, nullptr);
    EXPECT_STREQ(decode("ANF2seq_2").szError, "Found not a supporting-keyword index in packet expression");
}

TEST(PeiDecode, BoundedDecimalReader) {
    using vexl::detail::readBoundedDecimal;
    auto r = readBoundedDecimal(" \t-0042xyz", 10);
    EXPECT_EQ(r.llValue, -42);
    EXPECT_EQ(r.uiUsed, 7u);
    EXPECT_TRUE(r.bDigits);
    r = readBoundedDecimal("+", 1);
    EXPECT_EQ(r.llValue, 0);
    EXPECT_FALSE(r.bDigits);
    r = readBoundedDecimal("123456789012345", 15); // eleven characters, ten significant digits
    EXPECT_EQ(r.llValue, 1234567890);
    EXPECT_EQ(r.uiUsed, 10u);
    r = readBoundedDecimal("000000000009", 12); // the window ends before the 9
    EXPECT_EQ(r.llValue, 0);
    EXPECT_EQ(r.uiUsed, 11u);
    r = readBoundedDecimal("-9999999999", 11);
    EXPECT_EQ(r.llValue, -9999999999LL);

    using vexl::detail::readIdDigits;
    EXPECT_EQ(readIdDigits("0007", 4), 7u);
    EXPECT_EQ(readIdDigits("2147483647", 10), 2147483647u);
    EXPECT_EQ(readIdDigits("2147483648", 10), 0u);
    EXPECT_EQ(readIdDigits("00000000001234567890", 20), 1234567890u);
    EXPECT_EQ(readIdDigits("12345678901", 11), 0u);
    EXPECT_EQ(readIdDigits("", 0), 0u);
}

} // namespace
