// "chksumbegin" and "chksumset" through real packets: made, checked, and refused when any bit of
// the covered range or of the checksum changes.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "esk_test_support.h"

namespace {

using esk_test::eskExp;
using esk_test::hex;
using esk_test::loadDocument;
using esk_test::referenceChecksum;

unsigned detailCheck(vexl::CFields &a_tRoot, const std::string &a_strPacket) {
    return a_tRoot.pkt_DetailCheck4Children(a_strPacket.data(), unsigned(a_strPacket.size()));
}

// Head and tail lie outside the range; the range is "begin" and "body".
// `a_strBody` is written into the document as it stands (escapes allowed) and holds
// `a_uiBodyBytes` bytes.
std::string rangeDocument(const std::string &a_strBody, const char *a_cpSumExp, size_t a_uiBodyBytes = 4) {
    return "{ \"head\" = (ACF3) \"HDR\", \"begin\" = (ACF5chksumbegin) \"ABCDE\", \"body\" = (ACF" +
           std::to_string(a_uiBodyBytes) + ") \"" + a_strBody + "\", \"sum\" = " + a_cpSumExp +
           ", \"tail\" = (ACF3) \"END\" }";
}

TEST(ChecksumKeyword, MakesAndVerifiesOddAndEvenRanges) {
    const std::pair<const char *, size_t> l_aBodies[] = {
        {"1234", 4}, {"12345", 5}, {"x", 1}, {"\\x00\\xFF\\x80", 3}};
    for (const auto &[l_cpBody, l_uBytes] : l_aBodies) {
        const std::string l_strBody = l_cpBody;
        vexl::CFields l_tRoot = loadDocument(rangeDocument(l_strBody, "(BCF2chksumset) \"\"", l_uBytes));
        const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
        const std::string l_strRange = l_strPacket.substr(3, l_strPacket.size() - 3 - 2 - 3);
        ASSERT_EQ(l_strRange.substr(0, 5), "ABCDE");
        EXPECT_EQ(hex(l_strPacket.substr(l_strPacket.size() - 5, 2)), hex(referenceChecksum(l_strRange)))
            << l_strBody;
        EXPECT_EQ(l_strPacket.substr(l_strPacket.size() - 3), "END");
        EXPECT_EQ(detailCheck(l_tRoot, l_strPacket), 0u) << l_strBody;

        // Every flipped bit of the range or the checksum fails at the checksum field; bits of
        // the head and tail are not covered.
        const size_t l_uSumAt = l_strPacket.size() - 5;
        for (size_t l_uByte = 0; l_uByte < l_strPacket.size(); ++l_uByte) {
            for (int l_nBit = 0; l_nBit < 8; ++l_nBit) {
                std::string l_strBad = l_strPacket;
                l_strBad[l_uByte] = char(l_strBad[l_uByte] ^ (1 << l_nBit));
                const bool l_bCovered = l_uByte >= 3 && l_uByte < l_uSumAt + 2;
                EXPECT_EQ(detailCheck(l_tRoot, l_strBad), l_bCovered ? unsigned(l_uSumAt) + 1 : 0u)
                    << l_strBody << " byte " << l_uByte << " bit " << l_nBit;
            }
        }
    }
}

TEST(ChecksumKeyword, StoresTheSumAsTheExpressionAsks) {
    // The range is "ABCDE1234".
    const std::string l_strSum = referenceChecksum("ABCDE1234");
    const unsigned l_uiSum = (unsigned(uint8_t(l_strSum[0])) << 8) | uint8_t(l_strSum[1]);

    vexl::CFields l_tText = loadDocument(rangeDocument("1234", "(ACF5chksumset) \"\""));
    const std::string l_strText = l_tText.pkt_Make4Children(true);
    EXPECT_EQ(l_tText["sum"].getDT(), vexl::DT_codelist);
    EXPECT_EQ(l_tText["sum"].asString(), std::to_string(l_uiSum));
    // A decimal text is no two-byte checksum: the check of that packet fails.
    EXPECT_NE(detailCheck(l_tText, l_strText), 0u);

    vexl::CFields l_tNumber = loadDocument(rangeDocument("1234", "(ANF5chksumset) 0"));
    l_tNumber.pkt_Make4Children(true);
    EXPECT_EQ(l_tNumber["sum"].getDT(), vexl::DT_uint);
    EXPECT_EQ(l_tNumber["sum"].asUint64(), l_uiSum);

    // A two-byte binary number is written high byte first and verifies.
    vexl::CFields l_tBinary = loadDocument(rangeDocument("1234", "(BNF2chksumset) 0"));
    const std::string l_strBinary = l_tBinary.pkt_Make4Children(true);
    EXPECT_EQ(l_tBinary["sum"].asUint64(), l_uiSum);
    EXPECT_EQ(hex(l_strBinary.substr(12, 2)), hex(l_strSum));
    EXPECT_EQ(detailCheck(l_tBinary, l_strBinary), 0u);

    vexl::CFields l_tBytes = loadDocument(rangeDocument("1234", "(BCF2chksumset) \"\""));
    l_tBytes.pkt_Make4Children(true);
    EXPECT_EQ(l_tBytes["sum"].asString(), l_strSum);
}

TEST(ChecksumKeyword, WithoutABeginTheValueStaysAndTheCheckPasses) {
    vexl::CFields l_tRoot = loadDocument("{ \"a\" = (ACF2) \"ab\", \"sum\" = (ACF2chksumset) \"zz\" }");
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    EXPECT_EQ(l_strPacket, "abzz");
    EXPECT_EQ(l_tRoot["sum"].asString(), "zz");
    EXPECT_EQ(detailCheck(l_tRoot, l_strPacket), 0u);
    EXPECT_EQ(detailCheck(l_tRoot, "abqq"), 0u);
}

// Builds a tree of hand-made fields: name, expression, value.
struct tFieldSpec {
    const char *cpName;
    vexl::tPacketExpInfo tExp;
    const char *cpValue;
};

vexl::CFields buildTree(std::initializer_list<tFieldSpec> a_lstFields) {
    EXPECT_TRUE(esk_link());
    vexl::CFields l_tRoot(vexl::DT_fields);
    for (const tFieldSpec &l_tSpec : a_lstFields) {
        vexl::CFields &l_tField = l_tRoot.addChildRef(l_tSpec.cpName);
        l_tField = l_tSpec.cpValue;
        l_tField.pkt_SetExp(l_tSpec.tExp);
    }
    return l_tRoot;
}

TEST(ChecksumKeyword, AnEmptyRangeStoresNothing) {
    using namespace vexl;
    // The second begin makes no bytes (a dynamic field of length 0 once the memo has entries),
    // so the range of option 2 is empty when its checksum field is reached.
    CFields l_tRoot = buildTree({{"b1", eskExp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 2, 4, 1), "ab"},
                                 {"b2", eskExp(PEC_ASCII, REC_CHARACTER, LEC_DYNAMIC, 0, 4, 2), "cd"},
                                 {"s2", eskExp(PEC_BINARY, REC_CHARACTER, LEC_FIXED, 2, 5, 2), "zz"}});
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "abzz");
    EXPECT_EQ(l_tRoot["s2"].asString(), "zz");
}

TEST(ChecksumKeyword, OptionsPairIndependentlyAndTheFirstBeginWins) {
    using namespace vexl;
    const tPacketExpInfo l_tBegin1 = eskExp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 2, 4, 1);
    const tPacketExpInfo l_tBegin2 = eskExp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 2, 4, 2);
    CFields l_tRoot = buildTree({{"b1", l_tBegin1, "AA"},
                                 {"b2", l_tBegin2, "BB"},
                                 {"b2again", l_tBegin2, "CC"},
                                 {"s2", eskExp(PEC_BINARY, REC_CHARACTER, LEC_FIXED, 2, 5, 2), ""},
                                 {"s1", eskExp(PEC_BINARY, REC_CHARACTER, LEC_FIXED, 2, 5, 1), ""}});
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    ASSERT_EQ(l_strPacket.size(), 10u);
    // Option 2 covers from the first begin of option 2; option 1 covers everything before it,
    // the checksum of option 2 included.
    EXPECT_EQ(hex(l_strPacket.substr(6, 2)), hex(referenceChecksum("BBCC")));
    EXPECT_EQ(hex(l_strPacket.substr(8, 2)), hex(referenceChecksum(l_strPacket.substr(0, 8))));
    EXPECT_EQ(detailCheck(l_tRoot, l_strPacket), 0u);
    std::string l_strBad = l_strPacket;
    l_strBad[0] = 'a'; // only in the range of option 1
    EXPECT_EQ(detailCheck(l_tRoot, l_strBad), 9u);
    // A checksum of another slot does not pair with these begins.
    CFields l_tOther = buildTree(
        {{"b1", l_tBegin1, "AA"}, {"s1", eskExp(PEC_BINARY, REC_CHARACTER, LEC_FIXED, 2, 5, 1, 2), "zz"}});
    vexl::CFields::setAllotPktFP4ESK(2, vexl::CFields::getAllotPktFP4ESK(1));
    EXPECT_EQ(l_tOther.pkt_Make4Children(true), "AAzz");
    vexl::CFields::setAllotPktFP4ESK(2, nullptr);
}

} // namespace
