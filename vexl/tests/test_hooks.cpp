// The hook tables: slot range, registration, emptying, and concurrent registration and lookup.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "vexl/fields.h"

using namespace vexl;

namespace {
int allotA(unsigned short, unsigned char, CFields &) {
    return 1;
}
int allotB(unsigned short, unsigned char, CFields &) {
    return 2;
}
int getIdx(const char *, unsigned char) {
    return 100;
}
const char *getTxt(unsigned short, unsigned char) {
    return "name_";
}
} // namespace

TEST(Hooks, SlotRange) {
    EXPECT_FALSE(CFields::setAllotPktFP4ESK(0, allotA));
    EXPECT_FALSE(CFields::setAllotPktFP4ESK(16, allotA));
    EXPECT_EQ(CFields::getAllotPktFP4ESK(16), nullptr);
    EXPECT_EQ(CFields::getAllotPktFP4ESK(0), nullptr);
    EXPECT_TRUE(CFields::setAllotPktFP4ESK(15, allotA));
    EXPECT_EQ(CFields::getAllotPktFP4ESK(15), &allotA);
    EXPECT_TRUE(CFields::setAllotPktFP4ESK(15, nullptr));
    EXPECT_EQ(CFields::getAllotPktFP4ESK(15), nullptr);
}

TEST(Hooks, TablesAreSeparate) {
    EXPECT_TRUE(CFields::setGetIdxFP4ESK(14, getIdx));
    EXPECT_TRUE(CFields::setGetTxtFP4ESK(14, getTxt));
    EXPECT_EQ(CFields::getGetIdxFP4ESK(14)("x", 0), 100);
    EXPECT_STREQ(CFields::getGetTxtFP4ESK(14)(1, 0), "name_");
    EXPECT_EQ(CFields::getCheckIdxFP4ESK(14), nullptr);
    EXPECT_EQ(CFields::getParsePktFP4ESK(14), nullptr);
    EXPECT_EQ(CFields::getCheckPktFP4ESK(14), nullptr);
    CFields::setGetIdxFP4ESK(14, nullptr);
    CFields::setGetTxtFP4ESK(14, nullptr);
}

TEST(Hooks, InnerArgumentsAreZeroOutsideAHookCall) {
    CFields l_field;
    const tInnerSupportedArgs4ESK &l_isa = l_field.pkt_GetISA4ESK();
    EXPECT_EQ(l_isa.pData, nullptr);
    EXPECT_EQ(l_isa.pMemo, nullptr);
    EXPECT_EQ(l_isa.uDataLen, 0u);
    EXPECT_EQ(l_isa.uPosition, 0u);
}

// Registration while other threads look up (run under the thread sanitizer in CI).
TEST(Hooks, ConcurrentRegistrationAndLookup) {
    std::atomic<bool> l_bStop{false};
    std::atomic<int> l_nSeen{0};
    std::thread l_reader([&] {
        CFields l_field;
        while (!l_bStop.load()) {
            if (tAllotPktFP4ESK l_fp = CFields::getAllotPktFP4ESK(13))
                l_nSeen += l_fp(0, 0, l_field) > 0 ? 1 : 0;
        }
    });
    for (int i = 0; i < 2000; ++i)
        CFields::setAllotPktFP4ESK(13, i % 2 ? allotA : allotB);
    l_bStop = true;
    l_reader.join();
    CFields::setAllotPktFP4ESK(13, nullptr);
    EXPECT_GE(l_nSeen.load(), 0);
}
