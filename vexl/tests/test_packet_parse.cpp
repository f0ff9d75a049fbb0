// Packet parsing and checking: the decoders, the missing-byte arithmetic of the walk, measuring
// without storing, the read position after variable fields, hostile prefixes, the light and
// detailed checks and the bulk setters.

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

int parse(CFields &field, const std::string &data, bool store = true) {
    return field.pkt_Parse4OneSelf(data.data(), unsigned(data.size()), store);
}

int parseTree(CFields &root, const std::string &data, bool store = true) {
    return root.pkt_Parse4Children(data.data(), unsigned(data.size()), store);
}

} // namespace

// MARK: - Fixed fields

TEST(PacketParseFixed, ResultIsBytesLeftOrMinusBytesMissing) {
    CFields l_tField = leaf(DT_null, "ACF5");
    EXPECT_EQ(parse(l_tField, "abc"), -2);
    EXPECT_EQ(parse(l_tField, ""), -5);
    EXPECT_EQ(parse(l_tField, "abcdefg"), 2);
    EXPECT_EQ(l_tField.asString(), "abcde");
}

TEST(PacketParseFixed, MeasuringLeavesValuesUnchanged) {
    CFields l_tField = leaf("old", "ACF5");
    EXPECT_EQ(parse(l_tField, "abc", false), -2);
    EXPECT_EQ(parse(l_tField, "", false), -5);
    EXPECT_EQ(parse(l_tField, "abcdefg", false), 2);
    EXPECT_EQ(l_tField.asString(), "old");
}

TEST(PacketParseFixed, NumberDecoders) {
    CFields l_tBin = leaf(DT_null, "BNF2");
    EXPECT_EQ(parse(l_tBin, bytes("FF FE")), 0);
    EXPECT_EQ(l_tBin.getDT(), DT_sint);
    EXPECT_EQ(l_tBin.asSint64(), 65534);

    CFields l_tWide = leaf(DT_null, "BNF8");
    EXPECT_EQ(parse(l_tWide, bytes("FF FF FF FF FF FF FF FF")), 0);
    EXPECT_EQ(l_tWide.asSint64(), -1);

    CFields l_tDouble = leaf(DT_null, "BNF10");
    EXPECT_EQ(parse(l_tDouble, bytes("AD AD C0 00 00 00 00 00 00 00")), 0);
    EXPECT_EQ(l_tDouble.getDT(), DT_double);
    EXPECT_EQ(l_tDouble.asDouble(), -2.0);

    CFields l_tText = leaf(DT_null, "ANF5");
    EXPECT_EQ(parse(l_tText, "00042"), 0);
    EXPECT_EQ(l_tText.getDT(), DT_sint);
    EXPECT_EQ(l_tText.asSint64(), 42);
    EXPECT_EQ(parse(l_tText, "-0012"), 0);
    EXPECT_EQ(l_tText.asSint64(), -12);
    // The number is read from exactly the field's bytes, never from what follows.
    CFields l_tPoint = leaf(DT_null, "ANF3");
    EXPECT_EQ(parse(l_tPoint, "1.57"), 1);
    EXPECT_EQ(l_tPoint.asDouble(), 1.5);
}

TEST(PacketParseFixed, CodeListKeepsZeroBytesAndIsReusedInPlace) {
    CFields l_tField = leaf(DT_null, "BCF3");
    EXPECT_EQ(parse(l_tField, bytes("00 41 00")), 0);
    EXPECT_EQ(l_tField.asString(), std::string("\0A\0", 3));
    EXPECT_EQ(parse(l_tField, "xyz"), 0);
    EXPECT_EQ(l_tField.asString(), "xyz");
    // A fixed value beside it is untouched.
    CFields l_tFix = leaf("abc", "ACF3");
    l_tFix.setVK(VK_Fixed);
    EXPECT_EQ(parse(l_tFix, "xyz"), 0);
    EXPECT_EQ(l_tFix.asString(), "xyz");
    EXPECT_EQ(l_tFix.asString(VK_Fixed), "abc");
}

// MARK: - Variable fields

TEST(PacketParseVariable, AsciiPrefix) {
    CFields l_tField = leaf(DT_null, "ACV2+0");
    EXPECT_EQ(parse(l_tField, "0442"), 0);
    EXPECT_EQ(l_tField.asString(), "42");
    EXPECT_EQ(l_tField.pkt_GetExp().uLength(), 4u);

    CFields l_tShort = leaf(DT_null, "ACV2+0");
    EXPECT_EQ(parse(l_tShort, "0542"), -1);
    EXPECT_EQ(l_tShort.getDT(), DT_null);

    CFields l_tEmpty = leaf("keep", "ACV2+0");
    EXPECT_EQ(parse(l_tEmpty, "0042"), 4);
    EXPECT_EQ(l_tEmpty.asString(), "keep");
    EXPECT_EQ(l_tEmpty.pkt_GetExp().uLength(), 2u);

    CFields l_tCalibrated = leaf(DT_null, "ACV2-2");
    EXPECT_EQ(parse(l_tCalibrated, "0642"), 0);
    EXPECT_EQ(l_tCalibrated.asString(), "42");

    CFields l_tNumber = leaf(DT_null, "ANV1+0");
    EXPECT_EQ(parse(l_tNumber, "4-12x"), 1);
    EXPECT_EQ(l_tNumber.asSint64(), -12);
}

TEST(PacketParseVariable, PrefixClaimingLessThanItselfIsAConversionFailure) {
    CFields l_tField = leaf("keep", "ACV2+0");
    EXPECT_EQ(parse(l_tField, "0142"), -1);
    EXPECT_EQ(l_tField.asString(), "keep");
    EXPECT_EQ(l_tField.pkt_GetExp().uLength(), 2u);
    CFields l_tBinary = leaf("keep", "BCV2+0");
    EXPECT_EQ(parse(l_tBinary, bytes("00 01 41")), -1);
    EXPECT_EQ(l_tBinary.asString(), "keep");
}

TEST(PacketParseVariable, PrefixesThatDoNotFit32BitsAreConversionFailures) {
    CFields l_tAscii = leaf(DT_null, "ACV10+0");
    EXPECT_EQ(parse(l_tAscii, "9999999999ab"), -1);
    EXPECT_EQ(parse(l_tAscii, "0000000012ab"), 0);
    EXPECT_EQ(l_tAscii.asString(), "ab");
    CFields l_tBinary = leaf(DT_null, "BCV8+0");
    EXPECT_EQ(parse(l_tBinary, bytes("00 00 00 01 00 00 00 00 41")), -1);
}

TEST(PacketParseVariable, BinaryPrefix) {
    CFields l_tField = leaf(DT_null, "BCV2+0");
    EXPECT_EQ(parse(l_tField, bytes("00 05 41 42 43 44")), 1);
    EXPECT_EQ(l_tField.asString(), "ABC");
    EXPECT_EQ(l_tField.pkt_GetExp().uLength(), 5u);
    // Prefixes of 9 bytes or more use their last 8.
    CFields l_tWide = leaf(DT_null, "BCV9+0");
    EXPECT_EQ(parse(l_tWide, bytes("FF 00 00 00 00 00 00 00 0A 41")), 0);
    EXPECT_EQ(l_tWide.asString(), "A");
    CFields l_tNumber = leaf(DT_null, "BNV1+0");
    EXPECT_EQ(parse(l_tNumber, bytes("03 01 02")), 0);
    EXPECT_EQ(l_tNumber.asSint64(), 258);
    CFields l_tMissing = leaf(DT_null, "BCV2+0");
    EXPECT_EQ(parse(l_tMissing, bytes("00")), -1);
    EXPECT_EQ(parse(l_tMissing, bytes("00 09 41")), -6);
}

TEST(PacketParseVariable, NextFieldStartsWhereTheDecodedLengthEnds) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "v", DT_null, "ACV2+0");
    addLeaf(l_tRoot, "f", DT_null, "ACF3");
    // Measuring first: the variable field's recorded length is still its prefix width.
    EXPECT_EQ(parseTree(l_tRoot, "04abxyz", false), 0);
    EXPECT_EQ(parseTree(l_tRoot, "04abxyz"), 0);
    EXPECT_EQ(l_tRoot["v"].asString(), "ab");
    EXPECT_EQ(l_tRoot["f"].asString(), "xyz");
    // A shorter field next time is placed by what is decoded, not by the length recorded.
    EXPECT_EQ(parseTree(l_tRoot, "03a123"), 0);
    EXPECT_EQ(l_tRoot["v"].asString(), "a");
    EXPECT_EQ(l_tRoot["f"].asString(), "123");
}

// MARK: - Tree walk

TEST(PacketParseTree, MadeBytesParseBackIntoEveryField) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", "AB", "ACF4");
    addLeaf(l_tRoot, "b", 12345u, "ANF6");
    addLeaf(l_tRoot, "c", 258u, "BNF2");
    addLeaf(l_tRoot, "d", "xyz", "BCF3");
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(false);
    CFields l_tCopy(l_tRoot);
    for (CFields &l_tChild : l_tCopy)
        l_tChild = DT_null;
    EXPECT_EQ(parseTree(l_tCopy, l_strPacket), 0);
    EXPECT_EQ(l_tCopy["a"].asString(), "AB  ");
    EXPECT_EQ(l_tCopy["b"].asSint64(), 12345);
    EXPECT_EQ(l_tCopy["c"].asSint64(), 258);
    EXPECT_EQ(l_tCopy["d"].asString(), "xyz");
}

TEST(PacketParseTree, MissingBytesAddUpOverTheFieldsThatDidNotFit) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", DT_null, "ACF5");
    addLeaf(l_tRoot, "b", DT_null, "ACF3");
    EXPECT_EQ(parseTree(l_tRoot, "ab"), -6);
    EXPECT_EQ(parseTree(l_tRoot, "abcdefg"), -1);
    EXPECT_EQ(parseTree(l_tRoot, "abcdefghi"), 1);
    // A field without bytes after a shortfall does not turn it into success.
    addLeaf(l_tRoot, "c", DT_null, "ACF0");
    EXPECT_EQ(parseTree(l_tRoot, "ab"), -6);
}

TEST(PacketParseTree, NullDataReadsNothing) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", DT_null, "ACF5");
    addLeaf(l_tRoot, "v", DT_null, "ACV2+0");
    EXPECT_EQ(l_tRoot.pkt_Parse4Children(nullptr, 100, true), -7);
    EXPECT_EQ(l_tRoot.pkt_Parse4Children(nullptr, 100, false), -7);
    EXPECT_EQ(l_tRoot["a"].pkt_Parse4OneSelf(nullptr, 100, false), -5);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children(nullptr, 100), 0u);
}

TEST(PacketParseTree, ContainersAndNodesWithoutChildren) {
    CFields l_tRecord(DT_fields);
    EXPECT_EQ(l_tRecord.pkt_Parse4Children("abc", 3, true), 3);
    EXPECT_EQ(l_tRecord.pkt_Parse4OneSelf("abc", 3, true), 3);
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", DT_null, "ACF1");
    l_tRoot.addChildRef("empty", 0, true).setValue(DT_fields);
    addLeaf(l_tRoot, "b", DT_null, "ACF1");
    EXPECT_EQ(parseTree(l_tRoot, "xyz"), 1);
    EXPECT_EQ(l_tRoot["b"].asString(), "y");
}

// MARK: - Light check

TEST(PacketCheck, LightCheckComparesFixOrValidLeaves) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "f", "abc", "ACF3fix").setVK(VK_Fixed);
    addLeaf(l_tRoot, "plain", "x", "ACF1");
    EXPECT_TRUE(l_tRoot.pkt_Check4Children(false));
    l_tRoot["f"] = "abd";
    EXPECT_FALSE(l_tRoot.pkt_Check4Children(false));
    EXPECT_FALSE(l_tRoot["f"].pkt_Check4OneSelf(false));
    EXPECT_TRUE(l_tRoot.pkt_Check4Children(true));
    addLeaf(l_tRoot, "v", 5, "ANF1valid").setVK(VK_Valid);
    EXPECT_TRUE(l_tRoot.pkt_Check4Children(true));
    l_tRoot["v"] = 6;
    EXPECT_FALSE(l_tRoot.pkt_Check4Children(true));
}

// MARK: - Detailed check

TEST(PacketCheck, DetailCheckReportsTheFailingFieldsPositionPlusOne) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "head", DT_null, "ACF4");
    addLeaf(l_tRoot, "f", "abc", "ACF3fix").setVK(VK_Fixed);
    addLeaf(l_tRoot, "v", DT_null, "ACV1+0");
    addLeaf(l_tRoot, "g", "xy", "ACF2fix").setVK(VK_Fixed);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("0000abc2-xy", 11), 0u);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("0000abd2-xy", 11), 5u);
    // The variable field is stepped over by its prefix, so "g" is checked at offset 9.
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("0000abc2-xz", 11), 10u);
    // Data that ends early: the missing variable field ends the data, and "g" fails there.
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("0000abc", 7), 8u);
    // Checking changes no value.
    EXPECT_EQ(l_tRoot["v"].getDT(), DT_null);
    EXPECT_TRUE(l_tRoot["head"].pkt_DetailCheck4OneSelf("", 0));
    EXPECT_TRUE(l_tRoot["f"].pkt_DetailCheck4OneSelf("abc", 3));
    EXPECT_FALSE(l_tRoot["f"].pkt_DetailCheck4OneSelf("ab", 2));
}

// MARK: - Bulk setters

TEST(PacketBulkSetters, ArgumentsAndCounts) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", 1, "ANF2fix");
    CFields &l_tInner = l_tRoot.addChildRef("inner", 0, true);
    addLeaf(l_tInner, "b", 2, "ANF2fix");
    addLeaf(l_tRoot, "c", 3, "ANF2valid");
    EXPECT_EQ(l_tRoot.pkt_SetValue4SKI(0, 39, CFields(9)), -2);
    EXPECT_EQ(l_tRoot.pkt_SetValue4SKI(16, 1, CFields(9)), -1);
    EXPECT_EQ(l_tRoot.pkt_SetValue4SKI(0, 0, CFields(9)), -1);
    EXPECT_EQ(l_tRoot.pkt_SetValue4SKI(0, 3, CFields(9)), 0);
    EXPECT_EQ(l_tRoot.pkt_SetValue4SKI(0, 1, CFields(9)), 2);
    EXPECT_EQ(l_tRoot["a"].asSint64(), 9);
    EXPECT_EQ(l_tRoot["inner"]["b"].asSint64(), 9);
    EXPECT_EQ(l_tRoot["c"].asSint64(), 3);
    EXPECT_EQ(l_tRoot.pkt_SetValue4SKI(0, 2, CFields(7), &l_tRoot["c"]), 1);
    EXPECT_EQ(l_tRoot["c"].asSint64(), 7);

    int l_nMarker = 0;
    EXPECT_EQ(l_tRoot.pkt_SetOSA4SKI(0, 39, &l_nMarker), -2);
    EXPECT_EQ(l_tRoot.pkt_SetOSA4SKI(0, 1, &l_nMarker), 2);
    EXPECT_EQ(l_tRoot["inner"]["b"].pkt_GetOSA4User(), &l_nMarker);
    EXPECT_EQ(l_tRoot["c"].pkt_GetOSA4User(), nullptr);
}
