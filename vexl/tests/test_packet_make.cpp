// Packet lengths and making: the natural-length rules, the four encoders with their cut, pad and
// fill rules, the skip rules and the make walk over a tree.

#include <gtest/gtest.h>

#include <string>

#include "test_packet_support.h"
#include "vexl/fields.h"

using namespace vexl;
using vexl_packet_test::addLeaf;
using vexl_packet_test::bytes;
using vexl_packet_test::leaf;
using vexl_packet_test::pei;

namespace {

std::string make(const CFields &field) {
    return CFields(field).pkt_Make4OneSelf(false);
}

} // namespace

// MARK: - ASCII fixed

TEST(PacketMakeAsciiFixed, NumbersAreCutOrPaddedWithZeros) {
    EXPECT_EQ(make(leaf(-12, "ACF5")), "-0012");
    EXPECT_EQ(make(leaf(98765, "ACF3")), "987");
    EXPECT_EQ(make(leaf(7, "ACF3")), "007");
    EXPECT_EQ(make(leaf(-12, "ACF3")), "-12");
    EXPECT_EQ(make(leaf(-123, "ACF2")), "-1");
    EXPECT_EQ(make(leaf(7u, "ACF4")), "0007");
    EXPECT_EQ(make(leaf(123456u, "ACF4")), "1234");
    EXPECT_EQ(make(leaf(1.5, "ACF5")), "001.5");
    EXPECT_EQ(make(leaf(-1.5, "ACF6")), "-001.5");
    // The runtime letter does not change the bytes made.
    EXPECT_EQ(make(leaf(-12, "ANF5")), "-0012");
}

TEST(PacketMakeAsciiFixed, NullBoolAndCodeLists) {
    EXPECT_EQ(make(leaf(DT_null, "ACF3")), "   ");
    EXPECT_EQ(make(leaf(true, "ACF3")), "001");
    EXPECT_EQ(make(leaf(false, "ACF1")), "0");
    EXPECT_EQ(make(leaf("AB", "ACF4")), "AB  ");
    EXPECT_EQ(make(leaf("ABCDEF", "ACF4")), "ABCD");
    EXPECT_EQ(make(leaf(std::string("A\0B", 3), "ACF4")), std::string("A\0B ", 4));
    EXPECT_EQ(make(leaf(DT_codelist, "ACF2")), "  ");
    EXPECT_EQ(make(leaf(CStaticString("xy"), "ACF3")), "xy ");
}

// MARK: - ASCII variable

TEST(PacketMakeAsciiVariable, PrefixIsWidthMinusCalibrationPlusContent) {
    EXPECT_EQ(make(leaf(42, "ACV2+0")), "0442");
    EXPECT_EQ(make(leaf(42, "ACV2-2")), "0642");
    EXPECT_EQ(make(leaf(42, "ACV2+2")), "0242");
    EXPECT_EQ(make(leaf("hello", "ACV3+0")), "008hello");
    EXPECT_EQ(make(leaf(true, "ACV1+0")), "21");
    EXPECT_EQ(make(leaf(DT_null, "ACV2+0")), "02");
    EXPECT_EQ(make(leaf(-5, "ANV2+0")), "04-5");
}

TEST(PacketMakeAsciiVariable, PrefixCountsModulo32BitsAndIsCutToItsWidth) {
    // 2 - 5 + 0 wraps to 4294967293, of which the first two characters are kept.
    EXPECT_EQ(make(leaf(DT_null, "ACV2+5")), "42");
    // 1 - 0 + 12 = 13 does not fit one character: the first one is kept.
    EXPECT_EQ(make(leaf("abcdefghijkl", "ACV1+0")), "1abcdefghijkl");
}

// MARK: - Binary fixed

TEST(PacketMakeBinaryFixed, NumbersAreBigEndianWithFill) {
    EXPECT_EQ(make(leaf(258u, "BCF2")), bytes("01 02"));
    EXPECT_EQ(make(leaf(258u, "BCF8")), bytes("00 00 00 00 00 00 01 02"));
    EXPECT_EQ(make(leaf(258u, "BCF10")), bytes("00 00 00 00 00 00 00 00 01 02"));
    EXPECT_EQ(make(leaf(-1, "BCF10")), bytes("AD AD FF FF FF FF FF FF FF FF"));
    EXPECT_EQ(make(leaf(-2, "BNF2")), bytes("FF FE"));
    EXPECT_EQ(make(leaf(1.0, "BCF8")), bytes("3F F0 00 00 00 00 00 00"));
    EXPECT_EQ(make(leaf(-2.0, "BCF9")), bytes("AD C0 00 00 00 00 00 00 00"));
    EXPECT_EQ(make(leaf(2.0, "BCF9")), bytes("00 40 00 00 00 00 00 00 00"));
}

TEST(PacketMakeBinaryFixed, NullBoolAndCodeLists) {
    EXPECT_EQ(make(leaf(DT_null, "BCF3")), bytes("00 00 00"));
    EXPECT_EQ(make(leaf(true, "BCF3")), bytes("00 00 01"));
    EXPECT_EQ(make(leaf(false, "BCF2")), bytes("00 00"));
    EXPECT_EQ(make(leaf("AB", "BCF4")), std::string("AB\0\0", 4));
    EXPECT_EQ(make(leaf("ABCDEF", "BCF3")), "ABC");
}

// MARK: - Binary variable

TEST(PacketMakeBinaryVariable, PrefixAndContent) {
    EXPECT_EQ(make(leaf(true, "BCV1+0")), bytes("02 01"));
    EXPECT_EQ(make(leaf("AB", "BCV2+0")), bytes("00 04 41 42"));
    EXPECT_EQ(make(leaf(1u, "BCV1+0")), bytes("09 00 00 00 00 00 00 00 01"));
    EXPECT_EQ(make(leaf(1u, "BCV1+9")), bytes("00 00 00 00 00 00 00 00 01"));
    EXPECT_EQ(make(leaf("AB", "BCV10+0")), bytes("00 00 00 00 00 00 00 00 00 0C 41 42"));
}

TEST(PacketMakeBinaryVariable, NegativePrefixFillsWithAdOnlyForNullAndBool) {
    EXPECT_EQ(make(leaf(DT_null, "BCV2+5")), bytes("FF FD"));
    EXPECT_EQ(make(leaf(DT_null, "BCV10+20")), bytes("AD AD FF FF FF FF FF FF FF F6"));
    EXPECT_EQ(make(leaf(true, "BCV9+20")), bytes("AD FF FF FF FF FF FF FF F6 01"));
    EXPECT_EQ(make(leaf(DT_codelist, "BCV10+20")), bytes("00 00 FF FF FF FF FF FF FF F6"));
}

// MARK: - Skip rules

TEST(PacketMakeSkip, FieldsWithoutBytesProduceNothing) {
    EXPECT_EQ(make(leaf("abc", "ACF0")), "");
    EXPECT_EQ(make(leaf("abc", "ACV0+0")), "");
    EXPECT_EQ(make(leaf("abc", "ACD0")), "");
    EXPECT_EQ(make(leaf("abc", "ACD2")), "ab");
    EXPECT_EQ(make(leaf("abc", "BCD4")), std::string("abc\0", 4));
    // A field without an expression is an ASCII fixed field of length 0.
    EXPECT_EQ(CFields("abc").pkt_Make4OneSelf(true), "");
}

TEST(PacketMakeSkip, ContainersProduceNothingThemselves) {
    CFields l_tRecord(DT_fields);
    EXPECT_EQ(l_tRecord.pkt_Make4OneSelf(false), "");
    EXPECT_EQ(l_tRecord.pkt_Make4Children(false), "");
}

// MARK: - Tree walk

TEST(PacketMakeTree, LeavesInDepthFirstOrder) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", "A", "ACF2");
    CFields &l_tInner = l_tRoot.addChildRef("inner", 0, true);
    addLeaf(l_tInner, "b", 7u, "ANF3");
    addLeaf(l_tInner, "c", 258u, "BCF2");
    CFields &l_tList = l_tRoot.addChildRef("list", 0, true);
    l_tList.addArrayAt(leaf("x", "ACF1"));
    l_tList.addArrayAt(leaf("y", "ACF1"));
    addLeaf(l_tRoot, "d", 42, "ACV2+0");
    EXPECT_EQ(l_tRoot.pkt_Make4Children(false), "A 007" + bytes("01 02") + "xy0442");
    // Only the subtree of the given node.
    EXPECT_EQ(l_tRoot.pkt_Make4Children(false, &l_tRoot["inner"]), "007" + bytes("01 02"));
    // A node without children is made itself.
    EXPECT_EQ(l_tRoot.pkt_Make4Children(false, &l_tRoot["d"]), "0442");
}

// MARK: - Lengths

TEST(PacketLength, OneFieldByLengthCode) {
    EXPECT_EQ(leaf("x", "ACF4").pkt_Len4OneSelf(true).uLength(), 4u);
    EXPECT_FALSE(leaf("x", "ACF4").pkt_Len4OneSelf(true).bVariable());
    const uPacketLengthExpression l_uVar = leaf("x", "ACV2+0").pkt_Len4OneSelf(false);
    EXPECT_EQ(l_uVar.uLength(), 2u);
    EXPECT_TRUE(l_uVar.bVariable());
    EXPECT_EQ(l_uVar.uWord, 5u);
    EXPECT_EQ(leaf("x", "ACD9").pkt_Len4OneSelf(false).uLength(), 9u);
    EXPECT_EQ(leaf("x", "ACD9").pkt_Len4OneSelf(true).uLength(), 0u);
    EXPECT_EQ(CFields(DT_fields).pkt_Len4OneSelf(false).uWord, 0u);
    // Lengths above 0x7FFFFFFF are clamped.
    tPacketExpInfo l_tHuge = pei("ACF1");
    l_tHuge.setLength(0xFFFFFFF0u);
    CFields l_tField;
    l_tField.pkt_SetExp(l_tHuge);
    EXPECT_EQ(l_tField.pkt_Len4OneSelf(false).uLength(), 0x7FFFFFFFu);
}

TEST(PacketLength, TreeSumsLeavesAndOrsTheVariableFlag) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", "x", "ACF4");
    addLeaf(l_tRoot, "b", 1, "ACV2+0");
    uPacketLengthExpression l_uLen = l_tRoot.pkt_Len4Children(true);
    EXPECT_EQ(l_uLen.uLength(), 6u);
    EXPECT_TRUE(l_uLen.bVariable());
    CFields &l_tInner = l_tRoot.addChildRef("inner", 0, true);
    addLeaf(l_tInner, "c", "x", "ACD9");
    EXPECT_EQ(l_tRoot.pkt_Len4Children(true).uLength(), 6u);
    EXPECT_EQ(l_tRoot.pkt_Len4Children(false).uLength(), 15u);
}

TEST(PacketLength, NaturalLengthAscii) {
    EXPECT_EQ(leaf(DT_null, "ACF1").pkt_Len4PEI(), 0u);
    EXPECT_EQ(leaf(true, "ACF1").pkt_Len4PEI(), 1u);
    EXPECT_EQ(leaf(-12, "ACF1").pkt_Len4PEI(), 3u);
    EXPECT_EQ(leaf(0, "ANF1").pkt_Len4PEI(), 1u);
    EXPECT_EQ(leaf(18446744073709551615ULL, "ACF1").pkt_Len4PEI(), 20u);
    EXPECT_EQ(leaf(-9223372036854775807LL - 1, "ACF1").pkt_Len4PEI(), 20u);
    EXPECT_EQ(leaf(0.5, "ACF1").pkt_Len4PEI(), 3u);
    EXPECT_EQ(leaf(std::string("a\0b", 3), "ACF1").pkt_Len4PEI(), 3u);
    EXPECT_EQ(CFields(DT_array).pkt_Len4PEI(), 0u);
}

TEST(PacketLength, NaturalLengthBinary) {
    EXPECT_EQ(leaf(-128, "BCF1").pkt_Len4PEI(), 1u);
    EXPECT_EQ(leaf(128, "BCF1").pkt_Len4PEI(), 2u);
    EXPECT_EQ(leaf(-32769, "BCF1").pkt_Len4PEI(), 4u);
    EXPECT_EQ(leaf(2147483648LL, "BCF1").pkt_Len4PEI(), 8u);
    EXPECT_EQ(leaf(255u, "BNF1").pkt_Len4PEI(), 1u);
    EXPECT_EQ(leaf(256u, "BCF1").pkt_Len4PEI(), 2u);
    EXPECT_EQ(leaf(65536u, "BCF1").pkt_Len4PEI(), 4u);
    EXPECT_EQ(leaf(4294967296ULL, "BCF1").pkt_Len4PEI(), 8u);
    EXPECT_EQ(leaf(0.0, "BCF1").pkt_Len4PEI(), 8u);
    EXPECT_EQ(leaf("abc", "BCF1").pkt_Len4PEI(), 3u);
}
