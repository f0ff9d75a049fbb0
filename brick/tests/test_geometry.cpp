#include <gtest/gtest.h>

#include <cstring>

#include "brick/bits.h"
#include "brick/geometry.h"

using namespace brick;

namespace {

bool same(const tagRECT &a_a, const tagRECT &a_b) {
    return a_a.left == a_b.left && a_a.top == a_b.top && a_a.right == a_b.right && a_a.bottom == a_b.bottom;
}

} // namespace

TEST(Geometry, RectangleTests) {
    const tagRECT l_rc{0, 0, 10, 10};
    EXPECT_TRUE(IsValidRegion(l_rc));
    EXPECT_FALSE(IsValidRegion(tagRECT{10, 0, 0, 10}));
    EXPECT_TRUE(SM_IsValidRegion(tagRECT{10, 0, 0, 10}));
    EXPECT_TRUE(IsValidRegion(tagRECT{-2147483647 - 1, 0, 2147483647, 1})); // width beyond 32 bits
    EXPECT_TRUE(Rect_HitTest(l_rc, tagPOINT{10, 5}));
    EXPECT_FALSE(Rect_HitTest(l_rc, tagPOINT{11, 5}));
    EXPECT_TRUE(Rect_HitTest(l_rc, tagRECT{10, 10, 20, 20})); // touching counts
    EXPECT_FALSE(Rect_HitTest(l_rc, tagRECT{11, 0, 20, 20}));

    EXPECT_TRUE(same(Rect_Make(l_rc, 2), tagRECT{-2, -2, 12, 12}));
    EXPECT_TRUE(same(Rect_Make(tagPOINT{5, 1}, tagPOINT{1, 7}, 1), tagRECT{0, 0, 6, 8}));
    EXPECT_TRUE(same(Rect_Min(l_rc, tagRECT{5, -5, 6, 6}), tagRECT{0, -5, 10, 10}));
    const tagRECT l_empty{50, 50, 50, 50};
    EXPECT_TRUE(same(Rect_OR(l_empty, l_rc), l_rc));
    EXPECT_TRUE(same(Rect_OR(l_rc, l_empty), l_rc));
    EXPECT_TRUE(same(Rect_OR(l_empty, l_empty), tagRECT{0, 0, 0, 0}));
    EXPECT_TRUE(same(Rect_Min(l_empty, l_rc), tagRECT{0, 0, 50, 50}));

    tagRECT l_out{1, 2, 3, 4};
    EXPECT_FALSE(Rect_AND(l_rc, tagRECT{10, 0, 20, 10}, &l_out)); // shares only an edge
    EXPECT_TRUE(same(l_out, tagRECT{1, 2, 3, 4}));
    EXPECT_TRUE(Rect_AND(l_rc, l_rc, &l_out));
    EXPECT_TRUE(same(l_out, l_rc));
    EXPECT_TRUE(Rect_AND(l_rc, tagRECT{5, -5, 20, 5}, &l_out));
    EXPECT_TRUE(same(l_out, tagRECT{5, 0, 10, 5}));
    EXPECT_TRUE(Rect_AND(l_rc, tagRECT{2, 2, 4, 4}, &l_out));
    EXPECT_TRUE(same(l_out, tagRECT{2, 2, 4, 4}));

    tagRECT l_rev{10, 0, 0, 10};
    EXPECT_TRUE(Rect_Revise(&l_rev, true));
    EXPECT_TRUE(same(l_rev, l_rc));
    EXPECT_TRUE(Rect_Revise(&l_rev, false));
    EXPECT_TRUE(same(l_rev, tagRECT{0, 10, 10, 0}));
    EXPECT_FALSE(Rect_Revise(nullptr, true));

    EXPECT_EQ(Rect_NearestTL(l_rc, tagRECT{0, 1, 5, 5}), 1);
    EXPECT_EQ(Rect_NearestTL(l_rc, tagRECT{-1, 0, 5, 5}), -1);
    EXPECT_EQ(Rect_NearestTL(l_rc, tagRECT{0, 0, 5, 5}), 0);
    EXPECT_TRUE(same(Rect_GetNearestTL(l_rc, tagRECT{-1, 0, 5, 5}), tagRECT{-1, 0, 5, 5}));
}

TEST(Geometry, CrossClassification) {
    const tagRECT l_rc{0, 0, 10, 10};
    EXPECT_EQ(Rect_CrossRange(l_rc, tagRECT{5, 0, 20, 0}, 0), 5);
    EXPECT_EQ(Rect_CrossRange(l_rc, tagRECT{2, 0, 4, 0}, 0), 2);
    EXPECT_EQ(Rect_CrossRange(l_rc, tagRECT{-5, 0, 3, 0}, 0), 3);
    EXPECT_EQ(Rect_CrossRange(l_rc, tagRECT{-5, 0, 30, 0}, 0), 10);
    EXPECT_EQ(Rect_CrossRange(l_rc, tagRECT{0, 4, 0, 30}, 1), 6);
    EXPECT_EQ(Rect_CrossRange(l_rc, tagRECT{20, 0, 30, 0}, 0), 0);
    EXPECT_EQ(Rect_CrossRange(l_rc, l_rc, 2), 0);

    const tagRECT l_other{2, -5, 4, 20}; // inside horizontally, spanning vertically
    EXPECT_EQ(Rect_CrossStatus(l_rc, l_other, 3), RCS_H_A | RCS_H_B | RCS_V_C);
    EXPECT_EQ(Rect_CrossStatus(l_rc, l_other, 2), RCS_H_A | RCS_H_B);
    EXPECT_EQ(Rect_CrossStatus(l_rc, l_other, 1), RCS_V_C);
    tagPOINT l_depth{9, 9};
    EXPECT_EQ(Rect_CrossStatus2(l_rc, tagRECT{4, 2, 20, 30}, &l_depth, 3), RCS_H_A | RCS_V_A);
    EXPECT_EQ(l_depth.x, -4);
    EXPECT_EQ(l_depth.y, -2);
    EXPECT_EQ(Rect_CrossStatus2(l_rc, l_other, &l_depth, 3), RCS_H_A | RCS_H_B | RCS_V_C);
    EXPECT_EQ(l_depth.x, 6); // B wins over A
    EXPECT_EQ(l_depth.y, 0);
    EXPECT_EQ(Rect_CrossStatus2(l_rc, l_other, nullptr, 3), 0);
}

TEST(Geometry, NearestEdges) {
    tagEDGEDIST l_edge{};
    Edge_Init(l_edge);
    EXPECT_EQ(l_edge.iEdge, 0);
    EXPECT_EQ(l_edge.iDistance, 2147483647);
    EXPECT_EQ(l_edge.iOffset, 2147483647);
    EXPECT_EQ(l_edge.iCrossRange, 0);
    l_edge.iEdge = 3;
    Edge_GetDist(tagRECT{0, 0, 10, 10}, tagRECT{0, 0, 10, 4}, l_edge);
    EXPECT_EQ(l_edge.iDistance, 6);
    l_edge.iEdge = 7;
    Edge_GetDist(tagRECT{0, 0, 10, 10}, tagRECT{0, 0, 10, 4}, l_edge);
    EXPECT_EQ(l_edge.iDistance, 2147483647);

    // r2 lies just below r1, overlapping it horizontally from 5 to 10.
    const tagEDGEDIST l_near = Edge_NearestDist(tagRECT{0, 0, 10, 10}, tagRECT{5, 12, 20, 30});
    EXPECT_EQ(l_near.iEdge, 3);
    EXPECT_EQ(l_near.iDistance, -2);
    EXPECT_EQ(l_near.iCrossRange, 5);
    EXPECT_EQ(l_near.iOffset, -5);
    // Without any overlap no edge faces the other rectangle.
    EXPECT_EQ(Edge_NearestDist(tagRECT{0, 0, 10, 10}, tagRECT{20, 20, 30, 30}).iEdge, 0);
}

TEST(Geometry, DirectionsAndAngles) {
    const tagRECT l_rc{0, 0, 10, 10};
    EXPECT_EQ(GetAzimuth(l_rc, tagPOINT{5, 5}, true), 0);
    EXPECT_EQ(GetAzimuth(l_rc, tagPOINT{-1, -1}, true), 3);
    EXPECT_STREQ(Azimuth2Text(3), "\xBA\xCF\xBC\xAD");
    EXPECT_EQ(GetAzimuth(l_rc, tagPOINT{11, 12}, true), AZ_SOUTH | AZ_EAST);
    EXPECT_EQ(GetAzimuth(tagRECT{0, 10, 10, 0}, tagPOINT{5, 11}, false), AZ_NORTH);
    EXPECT_STREQ(Azimuth2Text(0), "\xB3\xBB\xBA\xCE");
    EXPECT_STREQ(Azimuth2Text(12), "\xB3\xB2\xB5\xBF");
    EXPECT_EQ(Azimuth2Text(5), nullptr);

    EXPECT_NEAR(atanGetAngle(0, 0, 0, 10, false), 90, 1e-3);
    EXPECT_NEAR(atanGetAngle(0, 0, 0, 10, true), 270, 1e-3);
    EXPECT_NEAR(atanGetAngle(0, 0, -10, 0, false), 180, 1e-3);
    EXPECT_NEAR(atanGetAngle(tagPOINT{0, 0}, tagPOINT{10, -10}, false), 315, 1e-3);
    EXPECT_NEAR(acosGetAngle(0, 0, 10, 0, false), 0, 1e-3);
    EXPECT_NEAR(acosGetAngle(0, 0, 0, -10, false), 90, 1e-3);
    EXPECT_NEAR(acosGetAngle(tagPOINT{0, 0}, tagPOINT{0, 10}, true), 270, 1e-3);
    EXPECT_EQ(acosGetAngle(3, 3, 3, 3, true), 0);

    const tagPOINT l_clock = MovePos2ClockAngle(100, 100, 0, 10, true);
    EXPECT_EQ(l_clock.x, 100);
    EXPECT_EQ(l_clock.y, 90);
    const tagPOINT l_math = MovePos2Angle(tagPOINT{100, 100}, 0, 10, true);
    EXPECT_EQ(l_math.x, 110);
    EXPECT_EQ(l_math.y, 100);
    const tagPOINT l_up = MovePos2Angle(100, 100, 90, 10, false);
    EXPECT_EQ(l_up.x, 100);
    EXPECT_EQ(l_up.y, 110);
}

TEST(Bits, CountsAndSingleBits) {
    unsigned char l_pos[16] = {};
    EXPECT_EQ(BitCount(static_cast<unsigned char>(0xA5), l_pos), 4);
    EXPECT_EQ(l_pos[0], 0);
    EXPECT_EQ(l_pos[1], 2);
    EXPECT_EQ(l_pos[2], 5);
    EXPECT_EQ(l_pos[3], 7);
    EXPECT_EQ(BitCount(static_cast<unsigned short>(0x8001), l_pos), 2);
    EXPECT_EQ(l_pos[1], 15);
    EXPECT_EQ(BitCount(static_cast<unsigned short>(0xFFFF), nullptr), 16);
    EXPECT_EQ(BitCount(0xFFFFFFFFU), 32);
    EXPECT_EQ(BitOn(static_cast<unsigned char>(7)), 0x80);
    EXPECT_EQ(BitOn(static_cast<unsigned char>(8)), 0);
    EXPECT_EQ(BitOn(static_cast<unsigned short>(15)), 0x8000);
    EXPECT_EQ(BitOn(static_cast<unsigned short>(16)), 0);
    EXPECT_EQ(GetBit(0x80000000U, 31), 1);
    EXPECT_EQ(GetBit(0xFFFFFFFFU, 32), 0);

    uint32_t l_uiValue = 0x10;
    EXPECT_TRUE(BitSet(l_uiValue, 31, true));
    EXPECT_TRUE(BitSet(l_uiValue, 4, false));
    EXPECT_EQ(l_uiValue, 0x80000000U);
    EXPECT_TRUE(BitSwap(l_uiValue, 0));
    EXPECT_EQ(l_uiValue, 0x80000001U);
    EXPECT_FALSE(BitSet(l_uiValue, 32, true));
    EXPECT_FALSE(BitSwap(l_uiValue, 32));
    EXPECT_EQ(l_uiValue, 0x80000001U);
}

TEST(Bits, NetworkMasks) {
    // The four bytes as they are in memory, read as one number.
    auto mask = [](unsigned a, unsigned b, unsigned c, unsigned d) {
        const unsigned char l_bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                          static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
        uint32_t l_uiValue;
        std::memcpy(&l_uiValue, l_bytes, 4);
        return l_uiValue;
    };
    EXPECT_TRUE(CheckMask(mask(255, 255, 255, 0)));
    EXPECT_TRUE(CheckMask(mask(255, 255, 128, 0)));
    EXPECT_FALSE(CheckMask(mask(255, 0, 255, 0)));
    EXPECT_FALSE(CheckMask(mask(160, 0, 0, 0)));
    EXPECT_FALSE(CheckMask(mask(0, 0, 0, 255)));
    EXPECT_TRUE(CheckMask(0));
    EXPECT_TRUE(CheckMask(0xFFFFFFFFU));
}
