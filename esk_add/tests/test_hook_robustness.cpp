// The hooks outside a packet operation, with bad indices and options, and over arbitrary
// received bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "esk_test_support.h"
#include "hooks/packet_hooks.h"

namespace {

using namespace esk_add;

TEST(HookResults, RefuseBadIndicesAndOptionsBeforeTouchingTheField) {
    vexl::CFields l_tField("unchanged");
    for (auto l_fpHook : {&eskAllotPkt, &eskParsePkt, &eskCheckPkt}) {
        EXPECT_EQ(l_fpHook(0, 1, l_tField), -1);
        EXPECT_EQ(l_fpHook(8, 1, l_tField), 0);
        EXPECT_EQ(l_fpHook(1, 0, l_tField), -2);
        EXPECT_EQ(l_fpHook(2, 10, l_tField), -3);
    }
    EXPECT_EQ(l_tField.asString(), "unchanged");
}

TEST(HookResults, KeywordsThatNeedThePacketRefuseACallOutsideOne) {
    vexl::CFields l_tField(vexl::DT_uint);
    l_tField.pkt_SetExp(esk_test::eskExp(vexl::PEC_ASCII, vexl::REC_NUMBER, vexl::LEC_FIXED, 2, 6));
    for (unsigned short l_usIndex = 4; l_usIndex <= 7; ++l_usIndex)
        EXPECT_EQ(eskAllotPkt(l_usIndex, 0, l_tField), -1) << l_usIndex;
    EXPECT_EQ(eskParsePkt(6, 0, l_tField), -1);
    EXPECT_EQ(eskParsePkt(7, 0, l_tField), -1);
    for (unsigned short l_usIndex = 1; l_usIndex <= 7; ++l_usIndex)
        EXPECT_EQ(eskCheckPkt(l_usIndex, 1, l_tField), -1) << l_usIndex;
    // Those that need nothing of the packet work anywhere.
    EXPECT_EQ(eskParsePkt(1, 1, l_tField), 1);
    EXPECT_EQ(eskAllotPkt(3, 0, l_tField), 1);
    EXPECT_EQ(eskAllotPkt(1, 5, l_tField), 1);
    EXPECT_GE(l_tField.asUint64(), 1u);
}

// Every keyword in one packet; parse and check every prefix and many corruptions of a made packet.
// Nothing may read outside the data (the address sanitizer build watches this) or raise.
TEST(HookResults, ArbitraryReceivedBytesNeverBreakParsingOrChecking) {
    const std::string l_strDocument =
        "{ \"s\" = (ANF2seq_1) 0, \"u\" = (BNF2useq_4) 0, \"t\" = (ANF3thread) 0,"
        "  \"b\" = (ACF3chksumbegin) \"abc\", \"l\" = (BNF1sizedef4mul) 0,"
        "  \"d\" = (BCD0sizeset4mul) \"12345\", \"c\" = (BCF2chksumset) \"\","
        "  \"v\" = (ACV1+0) \"x\" }";
    vexl::CFields l_tRoot = esk_test::loadDocument(l_strDocument);
    const uint32_t l_uiThread = 77;
    l_tRoot["t"].pkt_SetOSA4User(&l_uiThread);
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    ASSERT_EQ(l_tRoot.pkt_DetailCheck4Children(l_strPacket.data(), unsigned(l_strPacket.size())), 0u);

    std::mt19937 l_tRandom(20240305);
    for (size_t l_uCut = 0; l_uCut <= l_strPacket.size(); ++l_uCut) {
        for (int l_nRound = 0; l_nRound < 20; ++l_nRound) {
            // Each received run is its own heap block of exactly its size.
            std::string l_strData = l_strPacket.substr(0, l_uCut);
            if (l_nRound > 0)
                for (char &l_cByte : l_strData)
                    if (l_tRandom() % 4 == 0)
                        l_cByte = char(l_tRandom());
            std::unique_ptr<char[]> l_pData(new char[l_strData.size() + 1]);
            std::copy(l_strData.begin(), l_strData.end(), l_pData.get());
            vexl::CFields l_tTarget = esk_test::loadDocument(l_strDocument);
            EXPECT_NO_THROW({
                l_tTarget.pkt_Parse4Children(l_pData.get(), unsigned(l_strData.size()), true);
                l_tTarget.pkt_DetailCheck4Children(l_pData.get(), unsigned(l_strData.size()));
                l_tTarget.pkt_Parse4Children(l_pData.get(), unsigned(l_strData.size()), false);
            });
        }
    }
}

} // namespace
