// Flag sets and the configuration vocabularies.

#include <gtest/gtest.h>

#include "vexl/bitsets.h"

using namespace vexl;

TEST(Bitsets, Operations) {
    CBitCombi32 l_bits(0x30);
    EXPECT_EQ(l_bits.BC32_Nand(0x10), 0x20u);
    EXPECT_FALSE(l_bits.BC32_ChecknSet(0x10, 5));
    EXPECT_EQ(l_bits.BC32_Get(), 0x20u);
    l_bits = 0x30u;
    EXPECT_TRUE(l_bits.BC32_ChecknSet(0x10, 5));
    EXPECT_EQ(l_bits.BC32_Get(), 5u);
    EXPECT_EQ(l_bits.BC32_Or(0x100), 0x105u);
    EXPECT_TRUE(l_bits.BC32_Check(0x101));
    EXPECT_FALSE(l_bits.BC32_Check(0x2));

    l_bits.BC32_Set(4294967295u);
    EXPECT_EQ(l_bits.BC32_Inc(), 1u); // 0 is skipped
    l_bits.BC32_Set(0);
    EXPECT_EQ(l_bits.BC32_Dec(), 0u);
    EXPECT_EQ(l_bits.BC32_Inc(), 1u);
    l_bits = -1;
    EXPECT_TRUE(l_bits == -1);
    EXPECT_EQ(l_bits.BC32_Get(), 4294967295u);
}

TEST(Bitsets, LoaderConfigThroughTheBase) {
    CLoaderConfig l_cfg;
    EXPECT_EQ(l_cfg.BC32_Get(), 48u);
    CLoaderConfig l_other(0x41);
    CBitCombi32 &l_base = l_cfg;
    l_base = l_other; // virtual: copies the value
    EXPECT_EQ(l_cfg.BC32_Get(), 0x41u);
    l_cfg = 7u;
    EXPECT_TRUE(l_cfg == 7);
}

TEST(Bitsets, DefaultsAndPresets) {
    EXPECT_EQ(LCBC_DEFAULT, 48u);
    EXPECT_EQ(SCBC_DEFAULT, 8u);
    EXPECT_EQ(SIS_CONFIG, SIS_SPACING | SIS_NAME | SIS_VALUE | SIS_COMMENT);
    EXPECT_FALSE(SIS_CONFIG & SIS_ID);
    EXPECT_FALSE(SIS_CONFIG & SIS_PKTEXP);
    EXPECT_EQ(SIS_DETAIL, SIS_ALL);
    EXPECT_EQ(SIS_BASIC, SIS_ALL & ~SIS_COMMENT);
    EXPECT_EQ(SIS_VALUELESS, SIS_SPACING | SIS_NAME | SIS_PKTEXP);
    EXPECT_EQ(SIS_NAMELESS, SIS_SPACING | SIS_PKTEXP | SIS_VALUE);
    EXPECT_EQ(SIS_ONLYPKT, SIS_SPACING | SIS_PKTEXP);
    EXPECT_EQ(SIS_EMPTY, SIS_SPACING);
    EXPECT_STREQ(SIS_PRESETS[1].szName, "SIS_BASIC");
    EXPECT_EQ(SIS_PRESETS[1].ucValue, 0x1F);
    EXPECT_STREQ(getERName(SER_PKT), "SER_PKT");
    EXPECT_EQ(getERName(3), nullptr);
}
