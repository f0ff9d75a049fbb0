// The packet-style writer and the writer dispatcher.

#include "test_saver_trees.h"
#include "vexl/savers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace vexl;
using saver_test::configTree;
using saver_test::fixedExp;

namespace {

std::string pkt(const CFields &root, unsigned char sis = SIS_DETAIL, unsigned int scbc = 0x05,
                bool yaml = false) {
    CSaver4SER_PKT s;
    s.setSCBC(scbc);
    s.setCompatibilityYAML(yaml);
    std::string text = s.saving(root, sis, "");
    EXPECT_FALSE(s.isError()) << s.getLastErrMsg();
    return text;
}

} // namespace

// MARK: - Packet-style writer

TEST(SaverPKT, DocumentedExampleByteForByte) {
    EXPECT_EQ(pkt(configTree()), "#7\"config\"={\"port\"=(ACF4)8080,\"hosts\"=[\"a\",\"b\"],\"count\"=3}\n");
    EXPECT_EQ(pkt(configTree(), SIS_DETAIL, 0x05, true),
              "#7\"config\"= {\"port\"= (ACF4)8080,\"hosts\"= [\"a\",\"b\"],\"count\"= 3}\n");
    CSavers savers(0x05);
    EXPECT_EQ(savers.saving(configTree(), SER_PKT, SIS_DETAIL, ""),
              "#7\"config\"={\"port\"=(ACF4)8080,\"hosts\"=[\"a\",\"b\"],\"count\"=3}\n");
}

TEST(SaverPKT, DefaultsAndEmptyContainers) {
    CSaver4SER_PKT s;
    EXPECT_EQ(s.getSCBC(), 8u);
    EXPECT_FALSE(s.getCompatibilityYAML());
    CFields root(DT_fields);
    root.addChildRef("a").setValue(DT_array);
    root.addChildRef("f").setValue(DT_fields);
    EXPECT_EQ(pkt(root, SIS_DETAIL, 0), "{\"a\"=[],\"f\"={}}");
    EXPECT_EQ(pkt(CFields(DT_fields), SIS_DETAIL, 0), "{}");
}

TEST(SaverPKT, OnlyPacketExpressionsGiveTheLayoutSkeleton) {
    CFields root(DT_fields);
    CFields &a = root.addChildRef("a", 3);
    a = 12u;
    a.pkt_SetExp(fixedExp(2));
    CFields &b = root.addChildRef("b");
    b.addArrayAt(CFields("xy")).pkt_SetExp(fixedExp(2, 31));
    EXPECT_EQ(pkt(root, SIS_ONLYPKT, 0), "{(ACF2),[(ACF2YYYYMMDD)]}");
    EXPECT_EQ(pkt(root, SIS_NAMELESS, 0), "{(ACF2)12,[(ACF2YYYYMMDD)\"xy\"]}");
    // Comments and spacing never appear.
    root["a"].setComment("// c", CP_Behind);
    EXPECT_EQ(pkt(root, SIS_DETAIL, 0x01), "{#3\"a\"=(ACF2)12,\"b\"=[(ACF2YYYYMMDD)\"xy\"]}");
}

TEST(SaverPKT, NullIsWrittenOnlyWithItsConfigurationBit) {
    CFields root(DT_fields);
    root.addChildRef("n");
    root.addChildRef("m");
    EXPECT_EQ(pkt(root, SIS_DETAIL, 0), "{\"n\"=,\"m\"=}");
    EXPECT_EQ(pkt(root, SIS_DETAIL, 0x02), "{\"n\"=null,\"m\"=null}");
}

TEST(SaverPKT, IdWithoutNameIsKeptApartFromDigits) {
    // "#5" directly followed by "8080" would read back as ID 58080 and no value.
    CFields root(DT_fields);
    root.addChildRef("", 5, true) = 8080u;
    root.addChildRef("", 6, true) = -3;
    root.addChildRef("", 8, true) = "s";
    root.addChildRef("", 9, true).addChildRef("z") = 1;
    EXPECT_EQ(pkt(root, SIS_DETAIL, 0), "{#5=8080,#6-3,#8\"s\",#9{\"z\"=1}}");
    EXPECT_EQ(pkt(root, SIS_DETAIL & ~SIS_NAME, 0), "{#5=8080,#6-3,#8\"s\",#9{1}}");
    CFields scalar(42u);
    scalar.setID(7);
    EXPECT_EQ(pkt(scalar, SIS_DETAIL, 0), "#7=42");
}

TEST(SaverPKT, NamesAndStringsAreEscapedWhole) {
    CFields root(DT_fields);
    root.addChildRef("a\"b") = std::string("\x00\x01", 2);
    EXPECT_EQ(pkt(root, SIS_DETAIL, 0), "{\"a\\\"b\"=\"\\x00\\x01\"}");
    CFields empty("");
    EXPECT_EQ(pkt(empty, SIS_DETAIL, 0), "\"\"");
}

// MARK: - Dispatcher

TEST(SaverDispatch, RefusesUnknownRulesAndInformationQuietly) {
    CSavers savers;
    EXPECT_EQ(savers.saving(configTree(), 3, SIS_DETAIL, ""), "");
    EXPECT_EQ(savers.saving(configTree(), SER_HFW, 64, ""), "");
    std::ostringstream out;
    savers.saving(out, configTree(), SER_PKT, SIS_DETAIL, "");
    savers.saving(out, configTree(), BER_BASIC, SIS_DETAIL, "");
    savers.saving(out, configTree(), SER_HFW, 0x40, "");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(savers.isError());
}

TEST(SaverDispatch, CopiesConfigurationIntoTheWriter) {
    CSavers savers(0);
    CFields root(DT_fields);
    root.addChildRef("n");
    EXPECT_EQ(savers.saving(root, SER_PKT, SIS_DETAIL, ""), "{\"n\"=}");
    savers.setSCBC(0x06u);
    EXPECT_EQ(savers.saving(root, SER_PKT, SIS_DETAIL, ""), "{\"n\"=null}\n");
}

TEST(SaverDispatch, CopiesWriterErrorsAndKeepsTheText) {
    CSavers savers(0);
    CFields root(DT_fields);
    root.addChildRef("bad") = 1;
    root["bad"].pkt_SetExp(fixedExp(2, 7));
    EXPECT_EQ(savers.saving(root, SER_PKT, SIS_DETAIL, ""), "{\"bad\"=(ACF2)1}");
    EXPECT_EQ(savers.getLastErrCode(), -991);
    EXPECT_EQ(savers.getLastErrMsg(), "[vexl::ISaver::makePEI#88] '7' was invalid index of internal keyword");
    // The error stays until cleared, in the dispatcher and in the writer it came from.
    savers.clearError();
    EXPECT_FALSE(savers.isError());
    EXPECT_EQ(savers.saving(configTree(), SER_PKT, SIS_DETAIL, "").empty(), false);
    EXPECT_FALSE(savers.isError());
}

TEST(SaverDispatch, NodeTextUsesTheDefaultConfiguration) {
    const CFields root = configTree();
    EXPECT_EQ(root.toVEXL(SER_PKT, SIS_DETAIL, ""),
              "#7\"config\"={\"port\"=(ACF4)8080,\"hosts\"=[\"a\",\"b\"],\"count\"=3}");
    EXPECT_EQ(root.toVEXL(9, SIS_DETAIL, ""), "");
}
