// Supporting keywords in the packet engine: size pairs, date and time stamps with a fixed clock,
// fixed and valid values in received packets, and external keywords through the hook tables
// with their inner arguments.

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "test_fields_support.h"
#include "test_packet_support.h"
#include "vexl/fields.h"

using namespace vexl;
using vexl_packet_test::addLeaf;
using vexl_packet_test::CClockScope;
using vexl_packet_test::leaf;
using vexl_packet_test::pei;

namespace {

unsigned detailCheck(CFields &root, const std::string &data) {
    return root.pkt_DetailCheck4Children(data.data(), unsigned(data.size()));
}

// The layout of the size pair: a two-digit size field, a fixed field, the measured D field.
CFields sizePairLayout(const char *text) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "size", 0u, "ACF2sizedef_1");
    addLeaf(l_tRoot, "mid", "abc", "ACF3");
    addLeaf(l_tRoot, "body", text, "ACD0sizeset_1");
    addLeaf(l_tRoot, "tail", "Z", "ACF1");
    return l_tRoot;
}

} // namespace

// MARK: - sizedef_ and sizeset_

TEST(PacketKeywordSize, PairCarriesTheLengthOfTheMeasuredField) {
    CFields l_tRoot = sizePairLayout("hello");
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "05abchelloZ");
    EXPECT_EQ(l_tRoot["size"].asUint64(), 5u);
    EXPECT_EQ(l_tRoot["body"].pkt_GetExp().uLength(), 5u);

    // Parsing into a fresh copy of the layout: the D field gets its length from the size field
    // before it is read.
    CFields l_tCopy = sizePairLayout("");
    l_tCopy["body"].pkt_SetExp(pei("ACD0sizeset_1"));
    EXPECT_EQ(l_tCopy.pkt_Parse4Children("05abchelloZ", 11, true), 0);
    EXPECT_EQ(l_tCopy["body"].pkt_GetExp().uLength(), 5u);
    EXPECT_EQ(l_tCopy["body"].asString(), "hello");
    EXPECT_EQ(l_tCopy["tail"].asString(), "Z");
    EXPECT_EQ(l_tCopy["size"].asString(), "05");

    CFields l_tCheck = sizePairLayout("");
    EXPECT_EQ(detailCheck(l_tCheck, "05abchelloZ"), 0u);
    EXPECT_EQ(l_tCheck["body"].pkt_GetExp().uLength(), 5u);
    // A size field that is not a number fails the check where it begins.
    EXPECT_EQ(detailCheck(l_tCheck, "x5abchelloZ"), 1u);
}

TEST(PacketKeywordSize, MeasuringParseLeavesTheDynamicLengthAsItWas) {
    CFields l_tCopy = sizePairLayout("");
    EXPECT_EQ(l_tCopy.pkt_Parse4Children("05abchelloZ", 11, false), 0);
    EXPECT_EQ(l_tCopy["body"].pkt_GetExp().uLength(), 0u);
    EXPECT_EQ(l_tCopy["body"].asString(), "");
}

TEST(PacketKeywordSize, SizeSetWithoutPartnerKeepsItsOwnLength) {
    CFields l_tNoOption;
    addLeaf(l_tNoOption, "size", 0u, "ACF2sizedef_1");
    addLeaf(l_tNoOption, "body", "hello", "ACD3sizeset_");
    EXPECT_EQ(l_tNoOption.pkt_Make4Children(true), "00hel");

    CFields l_tOtherOption;
    addLeaf(l_tOtherOption, "size", 0u, "ACF2sizedef_2");
    addLeaf(l_tOtherOption, "body", "hello", "ACD3sizeset_1");
    EXPECT_EQ(l_tOtherOption.pkt_Make4Children(true), "00hel");
}

TEST(PacketKeywordSize, SizeFieldIsRewrittenOnlyInsideThePacket) {
    // The variable size field is made as "20"; its new form "312" would run past the packet,
    // so the measured field is left out instead.
    CFields l_tRoot;
    addLeaf(l_tRoot, "size", 0u, "ACV1+0sizedef_1");
    addLeaf(l_tRoot, "body", "abcdefghijkl", "ACD0sizeset_1");
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "20");
    // A size field that does not hold a number leaves the measured field out too.
    CFields l_tText;
    addLeaf(l_tText, "size", "xx", "ACF2sizedef_1");
    addLeaf(l_tText, "body", "abc", "ACD0sizeset_1");
    EXPECT_EQ(l_tText.pkt_Make4Children(true), "xx");
}

TEST(PacketKeywordSize, SizeFieldEndingAtTheEndOfTheDataIsRead) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "lead", DT_null, "ACF3");
    addLeaf(l_tRoot, "size", 0u, "ANF2sizedef_1");
    EXPECT_EQ(detailCheck(l_tRoot, "abc05"), 0u);
    EXPECT_EQ(detailCheck(l_tRoot, "abc0"), 4u);
}

TEST(PacketKeywordSize, ZeroLengthFlagProducesNothing) {
    // The D field is reached because the memo is not empty, but its length stays 0.
    CFields l_tRoot;
    addLeaf(l_tRoot, "size", 7u, "ACF2sizedef_1");
    addLeaf(l_tRoot, "flag", true, "ACD0");
    addLeaf(l_tRoot, "bin", false, "BCD0");
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "07");
}

// MARK: - Date and time keywords

TEST(PacketKeywordClock, MakingStampsTheLocalTime) {
    CClockScope l_tClock(vexl_packet_test::fixedClock);
    const struct {
        const char *exp;
        unsigned long long value;
    } l_atCases[] = {
        {"ANF3DOY", 64},
        {"ANF1DOW", 2},
        {"ANF4YYYY", 2024},
        {"ANF2YY", 24},
        {"ANF2MM", 3},
        {"ANF2DD", 5},
        {"ANF2hh", 9},
        {"ANF2mm", 7},
        {"ANF2SS", 3},
        {"ANF3sss", 45},
        {"ANF8YYYYMMDD", 20240305},
        {"ANF6YYMMDD", 240305},
        {"ANF6hhmmSS", 90703},
        {"ANF9hhmmSSsss", 90703045},
        {"ANF12YYMMDDhhmmSS", 240305090703},
        {"ANF15YYMMDDhhmmSSsss", 240305090703045},
        {"ANF14YYYYMMDDhhmmSS", 20240305090703},
        {"ANF17YYYYMMDDhhmmSSsss", 20240305090703045},
    };
    for (const auto &l_tCase : l_atCases) {
        CFields l_tField = leaf(DT_null, l_tCase.exp);
        l_tField.pkt_Make4OneSelf(true);
        EXPECT_EQ(l_tField.getDT(), DT_uint) << l_tCase.exp;
        EXPECT_EQ(l_tField.asUint64(), l_tCase.value) << l_tCase.exp;
    }
    CFields l_tStamp = leaf(DT_null, "ANF8YYYYMMDD");
    EXPECT_EQ(l_tStamp.pkt_Make4OneSelf(true), "20240305");
    // Without keywords the field keeps its value.
    CFields l_tPlain = leaf(7u, "ANF8YYYYMMDD");
    EXPECT_EQ(l_tPlain.pkt_Make4OneSelf(false), "00000007");
}

TEST(PacketKeywordClock, ClockFailureEndsTheMake) {
    CClockScope l_tClock(vexl_packet_test::brokenClock);
    CFields l_tStamp = leaf(DT_null, "ANF8YYYYMMDD");
    EXPECT_TRUE(vexl_test::raisesLogic([&] { l_tStamp.pkt_Make4OneSelf(true); },
                                       "vexl::CFields::pkt_allotValue4SKI", "Failed to read the local time"));
}

TEST(PacketKeywordClock, DetailedCheckRanges) {
    const struct {
        const char *exp;
        const char *text;
        bool pass;
    } l_atCases[] = {
        {"ANF8YYYYMMDD", "18991231", false},
        {"ANF8YYYYMMDD", "20240305", true},
        {"ANF8YYYYMMDD", "20240231", true},
        {"ACF8YYYYMMDD", "2024-3-5", false},
        {"ANF12YYMMDDhhmmSS", "000100000000", false},
        {"ANF12YYMMDDhhmmSS", "000101000000", true},
        {"ANF12YYMMDDhhmmSS", "991231235959", true},
        {"ANF12YYMMDDhhmmSS", "991231235960", false},
        {"ANF2MM", "00", false},
        {"ANF2MM", "12", true},
        {"ANF2MM", "13", false},
        {"ANF2DD", "00", false},
        {"ANF2DD", "31", true},
        {"ANF4YYYY", "1899", false},
        {"ANF4YYYY", "9999", true},
        {"ANF3DOY", "365", true},
        {"ANF3DOY", "366", false},
        {"ANF1DOW", "7", false},
        {"ANF2hh", "23", true},
        {"ANF2hh", "24", false},
        {"ANF2SS", "60", false},
        {"ANF3sss", "999", true},
        {"ANF6YYMMDD", "000100", false},
        {"ANF6YYMMDD", "000101", true},
        {"ANF9hhmmSSsss", "235959999", true},
        {"ANF2hh", "-1", false},
        {"ACF2hh", "ab", false},
        {"ANF17YYYYMMDDhhmmSSsss", "99991231235959999", true},
    };
    for (const auto &l_tCase : l_atCases) {
        CFields l_tField = leaf(DT_null, l_tCase.exp);
        EXPECT_EQ(l_tField.pkt_DetailCheck4OneSelf(l_tCase.text, unsigned(std::strlen(l_tCase.text))),
                  l_tCase.pass)
            << l_tCase.exp << " " << l_tCase.text;
        // A check never changes the value.
        EXPECT_EQ(l_tField.getDT(), DT_null);
    }
    CFields l_tRoot;
    addLeaf(l_tRoot, "lead", DT_null, "ACF2");
    addLeaf(l_tRoot, "date", DT_null, "ANF8YYYYMMDD");
    EXPECT_EQ(detailCheck(l_tRoot, "xx18991231"), 3u);
    EXPECT_EQ(detailCheck(l_tRoot, "xx20240305"), 0u);
    EXPECT_EQ(detailCheck(l_tRoot, "xx2024030"), 3u);
}

TEST(PacketKeywordClock, ParseStepIgnoresClockKeywords) {
    CFields l_tField = leaf(DT_null, "ANF8YYYYMMDD");
    EXPECT_EQ(l_tField.pkt_Parse4OneSelf("18991231", 8, true), 0);
    EXPECT_EQ(l_tField.asSint64(), 18991231);
}

// MARK: - fix and valid in received packets

TEST(PacketKeywordDual, FixAndValidCompareTheReceivedBytes) {
    CFields l_tFix = leaf("abc", "ACF3fix");
    l_tFix.setVK(VK_Fixed);
    EXPECT_TRUE(l_tFix.pkt_DetailCheck4OneSelf("abc", 3));
    EXPECT_FALSE(l_tFix.pkt_DetailCheck4OneSelf("abd", 3));
    EXPECT_EQ(l_tFix.asString(), "abc");

    CFields l_tValid = leaf(42, "ANF4valid");
    l_tValid.setVK(VK_Valid);
    EXPECT_TRUE(l_tValid.pkt_DetailCheck4OneSelf("0042", 4));
    EXPECT_FALSE(l_tValid.pkt_DetailCheck4OneSelf("0043", 4));
    // No second value: nothing can equal it.
    CFields l_tBare = leaf(42, "ANF4fix");
    EXPECT_FALSE(l_tBare.pkt_DetailCheck4OneSelf("0042", 4));
}

TEST(PacketKeywordDual, UnknownInternalIndexIsAContractViolation) {
    tPacketExpInfo l_tExp = pei("ACF2");
    l_tExp.setSKI(5);
    CFields l_tField("ab");
    l_tField.pkt_SetExp(l_tExp);
    EXPECT_TRUE(vexl_test::raisesLogic([&] { l_tField.pkt_Make4OneSelf(true); },
                                       "vexl::CFields::pkt_allotValue4SKI",
                                       "Unknown internal SKI(supporting keyword index)"));
    EXPECT_TRUE(vexl_test::raisesLogic([&] { l_tField.pkt_DetailCheck4OneSelf("ab", 2); },
                                       "vexl::CFields::pkt_detailCheckValue4SKI",
                                       "Unknown internal SKI(supporting keyword index)"));
    EXPECT_EQ(l_tField.pkt_Parse4OneSelf("xy", 2, true), 0);
    EXPECT_EQ(l_tField.pkt_Make4OneSelf(false), "xy");
}

// MARK: - External keywords

namespace {

struct tSeen {
    int nCalls = 0;
    tInnerSupportedArgs4ESK tArgs{};
    std::string strPacketSoFar;
    unsigned short usIndex = 0;
    unsigned char ucOption = 0;
};
tSeen g_tSeen;
int g_nHookResult = 1;

int allotHook(unsigned short index, unsigned char option, CFields &field) {
    ++g_tSeen.nCalls;
    g_tSeen.tArgs = field.pkt_GetISA4ESK();
    g_tSeen.usIndex = index;
    g_tSeen.ucOption = option;
    g_tSeen.strPacketSoFar = *static_cast<std::string *>(g_tSeen.tArgs.pData);
    field = 77u;
    return g_nHookResult;
}

int parseHook(unsigned short, unsigned char, CFields &field) {
    ++g_tSeen.nCalls;
    g_tSeen.tArgs = field.pkt_GetISA4ESK();
    return 0;
}

int checkHook(unsigned short, unsigned char, CFields &field) {
    ++g_tSeen.nCalls;
    g_tSeen.tArgs = field.pkt_GetISA4ESK();
    return g_nHookResult;
}

int throwingHook(unsigned short, unsigned char, CFields &) {
    throw std::runtime_error("hook failed");
}

// Registers the three packet hooks in slot 6 for one test.
class PacketKeywordExternal : public ::testing::Test {
protected:
    void SetUp() override {
        g_tSeen = tSeen{};
        g_nHookResult = 1;
        CFields::setAllotPktFP4ESK(6, allotHook);
        CFields::setParsePktFP4ESK(6, parseHook);
        CFields::setCheckPktFP4ESK(6, checkHook);
    }
    void TearDown() override {
        CFields::setAllotPktFP4ESK(6, nullptr);
        CFields::setParsePktFP4ESK(6, nullptr);
        CFields::setCheckPktFP4ESK(6, nullptr);
    }

    static CFields layout() {
        CFields l_tRoot;
        addLeaf(l_tRoot, "lead", "ab", "ACF2");
        tPacketExpInfo l_tExp = pei("ANF3x6:300");
        l_tExp.setSkiOption(2);
        addLeaf(l_tRoot, "ext", 5u, "ANF3").pkt_SetExp(l_tExp);
        addLeaf(l_tRoot, "tail", "z", "ACF1");
        return l_tRoot;
    }
};

} // namespace

TEST_F(PacketKeywordExternal, AllotHookSeesThePacketSoFarAndMayLeaveTheFieldOut) {
    CFields l_tRoot = layout();
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "ab077z");
    EXPECT_EQ(g_tSeen.nCalls, 1);
    EXPECT_EQ(g_tSeen.strPacketSoFar, "ab");
    EXPECT_EQ(g_tSeen.usIndex, 300);
    EXPECT_EQ(g_tSeen.ucOption, 2);
    EXPECT_EQ(g_tSeen.tArgs.uDataLen, 0u);
    EXPECT_EQ(g_tSeen.tArgs.uPosition, 0u);
    EXPECT_NE(g_tSeen.tArgs.pMemo, nullptr);
    // The record is cleared after the call.
    EXPECT_EQ(l_tRoot["ext"].pkt_GetISA4ESK().pData, nullptr);
    EXPECT_EQ(l_tRoot["ext"].pkt_GetISA4ESK().pMemo, nullptr);

    g_nHookResult = 0;
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "abz");
    // Without keywords no hook runs.
    EXPECT_EQ(l_tRoot.pkt_Make4Children(false), "ab077z");
    EXPECT_EQ(g_tSeen.nCalls, 2);
}

TEST_F(PacketKeywordExternal, ParseAndCheckHooksSeeTheReceivedBytes) {
    CFields l_tRoot = layout();
    const std::string l_strData = "ab123z";
    EXPECT_EQ(l_tRoot.pkt_Parse4Children(l_strData.data(), 6, true), 0);
    EXPECT_EQ(g_tSeen.tArgs.pData, l_strData.data());
    EXPECT_EQ(g_tSeen.tArgs.uDataLen, 6u);
    EXPECT_EQ(g_tSeen.tArgs.uPosition, 2u);
    EXPECT_EQ(l_tRoot["ext"].asSint64(), 123);

    g_tSeen = tSeen{};
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children(l_strData.data(), 6), 0u);
    EXPECT_EQ(g_tSeen.tArgs.uPosition, 2u);
    g_nHookResult = 0;
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children(l_strData.data(), 6), 3u);
    EXPECT_FALSE(l_tRoot["ext"].pkt_DetailCheck4OneSelf(l_strData.data() + 2, 4));
}

TEST_F(PacketKeywordExternal, RecordIsClearedWhenTheHookThrows) {
    CFields::setAllotPktFP4ESK(6, throwingHook);
    CFields l_tRoot = layout();
    EXPECT_THROW(l_tRoot.pkt_Make4Children(true), std::runtime_error);
    EXPECT_EQ(l_tRoot["ext"].pkt_GetISA4ESK().pData, nullptr);
}

TEST_F(PacketKeywordExternal, MissingHooksAreContractViolations) {
    tPacketExpInfo l_tExp = pei("ACF2x2:1");
    CFields l_tField("ab");
    l_tField.pkt_SetExp(l_tExp);
    EXPECT_TRUE(vexl_test::raisesLogic([&] { l_tField.pkt_Make4OneSelf(true); },
                                       "vexl::CFields::pkt_allotValue4SKI",
                                       "Found not allocation event for ESK(external supporting keyword)"));
    EXPECT_TRUE(vexl_test::raisesLogic([&] { l_tField.pkt_Parse4OneSelf("ab", 2, true); },
                                       "vexl::CFields::pkt_parsePrepare4SKI",
                                       "Found not parsing event for ESK(external supporting keyword)"));
    EXPECT_TRUE(vexl_test::raisesLogic([&] { l_tField.pkt_DetailCheck4OneSelf("ab", 2); },
                                       "vexl::CFields::pkt_detailCheckValue4SKI",
                                       "Found not checking event for ESK(external supporting keyword)"));
    // Making without keywords calls no hook.
    EXPECT_EQ(l_tField.pkt_Make4OneSelf(false), "ab");
}
