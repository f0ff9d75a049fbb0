#include <gtest/gtest.h>

#include "nxgenerator/gsn4b.h"

namespace {

// Reaches the end of the counter range without four billion calls.
class CTestGSN : public CGSN4B {
public:
    void setCounter(uint32_t a_uiValue) { m_uiCounter = a_uiValue; }
};

} // namespace

TEST(CGSN4B, CountsFromOneAndWrapsPastTheLargestValueToOne) {
    CTestGSN l_gsn;
    EXPECT_EQ(l_gsn.GSN_Get(), 1U);
    EXPECT_EQ(l_gsn.GSN_Get(), 2U);
    l_gsn.setCounter(0xFFFFFFFEU);
    EXPECT_EQ(l_gsn.GSN_Get(), 0xFFFFFFFFU);
    EXPECT_EQ(l_gsn.GSN_Get(), 1U);
    l_gsn.GSN_Init();
    EXPECT_EQ(l_gsn.GSN_Get(), 1U);
}

TEST(CGID4B, ReuseHandsBackIdsFirstInFirstOut) {
    CGID4B l_gid;
    l_gid.GID_SetIsReuse(true);
    l_gid.GID_RegNousedID(7);
    l_gid.GID_RegNousedID(0); // ignored
    l_gid.GID_RegNousedID(3);
    EXPECT_EQ(l_gid.GID_Get(), 7U);
    EXPECT_EQ(l_gid.GID_Get(), 3U);
    EXPECT_EQ(l_gid.GID_Get(), 1U);
    EXPECT_EQ(l_gid.GID_Get(), 2U);
}

TEST(CGID4B, IdsGivenBackWhileReuseIsOffStayQueued) {
    CGID4B l_gid;
    l_gid.GID_RegNousedID(9);
    EXPECT_EQ(l_gid.GID_Get(), 1U);
    EXPECT_EQ(l_gid.GID_Get(), 2U);
    // A copy takes the counter and the queue along.
    CGID4B l_copy(l_gid);
    l_copy.GID_SetIsReuse(true);
    EXPECT_EQ(l_copy.GID_Get(), 9U);
    EXPECT_EQ(l_copy.GID_Get(), 3U);
    // The original is unchanged by what the copy did.
    l_gid.GID_SetIsReuse(true);
    EXPECT_EQ(l_gid.GID_Get(), 9U);
    CGID4B l_assigned;
    l_assigned = l_gid;
    EXPECT_EQ(l_assigned.GID_Get(), 3U);
}
