// The lossless check of packet layouts: every kind of cut is found, values that fit are not
// reported, and the reported bytes are exactly what making the message writes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_packet_support.h"
#include "vexl/loaders.h"
#include "vexl/packet_check.h"

namespace {

using namespace vexl;
using vexl_packet_test::leaf;

// The entries for a layout of one leaf.
std::vector<tLossEntry> checkOne(const CFields &a_tLeaf) {
    CFields l_tLayout(DT_fields);
    CFields &l_tChild = l_tLayout.addChildRef("f");
    l_tChild.setField(a_tLeaf);
    l_tChild.setName("f");
    return pkt_CheckLossless(l_tLayout);
}

struct tCutCase {
    const char *szName;
    CFields tLeaf;
    E_LossReason eReason;
};

TEST(PacketLossless, FindsEveryKindOfCutAndShowsTheBytesMakeWrites) {
    const std::vector<tCutCase> l_vecCases = {
        {"ascii digits", leaf(123, "ANF2"), LR_Digits},
        {"ascii unsigned", leaf(12345ull, "ACF4"), LR_Digits},
        {"ascii negative", leaf(-5, "ANF1"), LR_Digits},
        {"ascii double", leaf(3.25, "ANF3"), LR_Digits},
        {"ascii text", leaf("abcdef", "ACF3"), LR_Text},
        {"binary text", leaf("abcdef", "BCF4"), LR_Text},
        {"binary unsigned", leaf(70000, "BNF2"), LR_Digits},
        {"binary negative", leaf(-1, "BNF4"), LR_Sign},
        {"binary double", leaf(1.5, "BNF4"), LR_Digits},
        {"ascii prefix", leaf("0123456789abc", "ACV1+0"), LR_Prefix},
        {"ascii prefix calibrated below zero", leaf("ab", "ACV2+9"), LR_Prefix},
        {"binary prefix", leaf(std::string(300, 'x'), "BCV1+0"), LR_Prefix},
        {"text in a number field", leaf("xy", "ANF4"), LR_Type},
    };
    for (const tCutCase &l_tCase : l_vecCases) {
        SCOPED_TRACE(l_tCase.szName);
        const std::vector<tLossEntry> l_vecCuts = checkOne(l_tCase.tLeaf);
        ASSERT_EQ(l_vecCuts.size(), 1u);
        EXPECT_EQ(l_vecCuts[0].eReason, l_tCase.eReason);
        EXPECT_EQ(l_vecCuts[0].strPath, "f");
        EXPECT_FALSE(l_vecCuts[0].strMessage.empty());
        CFields l_tCopy(l_tCase.tLeaf);
        EXPECT_EQ(l_vecCuts[0].strWritten, l_tCopy.pkt_Make4OneSelf(false));
    }
}

TEST(PacketLossless, ValuesThatFitAreNotReported) {
    const std::vector<CFields> l_vecFits = {
        leaf(12, "ANF2"),          leaf(12, "ANF8"),
        leaf(-5, "ANF2"),          leaf("abc", "ACF3"),
        leaf("ab", "ACF8"),        leaf(65535, "BNF2"),
        leaf(-1, "BNF8"),          leaf(-1, "BNF10"),
        leaf(1.5, "BNF8"),         leaf(0.0, "BNF2"),
        leaf(true, "ANF1"),        leaf(true, "BNF1"),
        leaf("0123456", "ACV1+0"), leaf(std::string(250, 'x'), "BCV1+0"),
        leaf("-12.5", "ANF6"),     leaf("", "ANF4"),
        leaf(CFields(), "ANF4"),   leaf(123456, "ACV2+0"),
    };
    for (size_t i = 0; i < l_vecFits.size(); ++i)
        EXPECT_TRUE(checkOne(l_vecFits[i]).empty()) << "case " << i;
}

TEST(PacketLossless, LeavesWithoutBytesAreSkippedAndTheLayoutIsUntouched) {
    CFields l_tLayout;
    CLoaders l_tLoaders;
    ASSERT_TRUE(l_tLoaders.loading(std::string("{ \"plain\" = 123456, \"empty\" = (ACF0) \"abc\", "
                                               "\"head\" = { \"id\" = (ANF2) 123 } }"),
                                   l_tLayout, "", true));
    const CFields l_tBefore(l_tLayout);
    const std::vector<tLossEntry> l_vecCuts = pkt_CheckLossless(l_tLayout);
    ASSERT_EQ(l_vecCuts.size(), 1u);
    EXPECT_EQ(l_vecCuts[0].strPath, "head.id");
    EXPECT_EQ(l_vecCuts[0].pField, &l_tLayout["head"]["id"]);
    EXPECT_TRUE(l_tLayout == l_tBefore);
}

TEST(PacketLossless, EntriesNameExpressionValueAndPathInMessageOrder) {
    CFields l_tLayout;
    CLoaders l_tLoaders;
    ASSERT_TRUE(l_tLoaders.loading(
        std::string("{ \"a\" = [ (ACF2) \"xyz\", (ANF1) 7 ], \"b\" = (ANF2) 123 }"), l_tLayout, "", true));
    const std::vector<tLossEntry> l_vecCuts = pkt_CheckLossless(l_tLayout);
    ASSERT_EQ(l_vecCuts.size(), 2u);
    EXPECT_EQ(l_vecCuts[0].strPath, "a[0]");
    EXPECT_EQ(l_vecCuts[0].strExpression, "(ACF2)");
    EXPECT_EQ(l_vecCuts[0].strValue, "\"xyz\"");
    EXPECT_EQ(l_vecCuts[0].strWritten, "xy");
    EXPECT_EQ(l_vecCuts[1].strPath, "b");
    EXPECT_EQ(l_vecCuts[1].strValue, "123");
    // The whole message holds exactly the reported bytes where the cut fields stand.
    EXPECT_EQ(l_tLayout.pkt_Make4Children(false), "xy712");
}

TEST(PacketLossless, PathsLeadBackToTheLeaf) {
    CFields l_tLayout;
    CLoaders l_tLoaders;
    ASSERT_TRUE(l_tLoaders.loading(std::string("{ \"a.b\" = { \"x[1]\" = [ 0, (ANF1) 12 ] } }"), l_tLayout,
                                   "", true));
    const std::vector<tLossEntry> l_vecCuts = pkt_CheckLossless(l_tLayout);
    ASSERT_EQ(l_vecCuts.size(), 1u);
    EXPECT_EQ(l_tLayout.findPath(l_vecCuts[0].strPath), l_vecCuts[0].pField);
}

TEST(PacketLossless, KeywordFieldsAreCheckedWithTheirPresentValue) {
    CFields l_tLayout(DT_fields);
    l_tLayout.addChildRef("len").setField(leaf(12345, "ANF2sizedef_1"));
    const std::vector<tLossEntry> l_vecCuts = pkt_CheckLossless(l_tLayout);
    ASSERT_EQ(l_vecCuts.size(), 1u);
    EXPECT_EQ(l_vecCuts[0].strWritten, "12");
}

TEST(PacketLossless, ASingleLeafIsCheckedOnItsOwn) {
    const CFields l_tLeaf = leaf(123, "ANF2");
    const std::vector<tLossEntry> l_vecCuts = pkt_CheckLossless(l_tLeaf);
    ASSERT_EQ(l_vecCuts.size(), 1u);
    EXPECT_EQ(l_vecCuts[0].strPath, "");
    EXPECT_EQ(l_vecCuts[0].pField, &l_tLeaf);
}

} // namespace
