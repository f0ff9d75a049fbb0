#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "brick/time_util.h"

using namespace brick;

TEST(Time, PairsAndDifferences) {
    tTimePair l_now{};
    ASSERT_EQ(brick::gettimeofday(&l_now, nullptr), 0);
    EXPECT_EQ(brick::gettimeofday(nullptr, nullptr), -1);
    EXPECT_EQ(l_now.tv_usec % 1000, 0); // milliseconds only
    EXPECT_LE(std::abs(static_cast<long>(l_now.tv_sec) - static_cast<long>(::time(nullptr))), 1);
    EXPECT_TRUE(tv_getcurrent(&l_now));
    const tTimePair l_past{l_now.tv_sec - 2, l_now.tv_usec};
    EXPECT_NEAR(tv_diffsec(l_past.tv_sec, l_past.tv_usec), 2.0, 0.5);
    EXPECT_NEAR(tv_diffmsec(l_past.tv_sec, l_past.tv_usec), 2000, 500);
    EXPECT_EQ(tv_diffmsec(l_now.tv_sec + 100, 0), -1);
    EXPECT_EQ(tv_diffusec(l_now.tv_sec + 100, 0), -1);
}

TEST(Time, MonotonicCounterAndTimeouts) {
    EXPECT_EQ(getcpufreq(), 1000000000);
    tTimePair l_tick{};
    ASSERT_TRUE(getcurtick(&l_tick));
    EXPECT_GE(l_tick.tv_usec, 0);
    EXPECT_LT(l_tick.tv_usec, 1000000);
    EXPECT_FALSE(tv_gettick(nullptr));
    const int64_t l_llT1 = mos_GetTick();
    const int64_t l_llStart = qp_GetCounter();
    const int64_t l_llClock = ck_GetClock();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_GE(mos_GetTick() - l_llT1, 25000);
    EXPECT_GE(qp_ElapsedTime(l_llStart, 0), 0.025);
    EXPECT_LT(qp_ElapsedTime(l_llStart, 0), 5.0);
    EXPECT_EQ(qp_ElapsedTime(0, 0), 0);
    EXPECT_FALSE(qp_CheckTimeout(l_llStart, 10, 0));
    EXPECT_TRUE(qp_CheckTimeout(l_llStart, 0.5, 0)); // a limit below 1 always times out
    EXPECT_TRUE(qp_CheckTimeout(0, 10, 0));
    EXPECT_GE(tv_getmicrosecond(0), 0);
    EXPECT_LT(tv_getmicrosecond(0), 1000000);
    if (l_llClock > 0) {
        EXPECT_GE(ck_ElapsedTime(l_llClock), 0.025);
        EXPECT_FALSE(ck_CheckTimeout(l_llClock, 10));
    }
    EXPECT_TRUE(ck_CheckTimeout(0, 10));
    EXPECT_EQ(ck_ElapsedTime(0), 0);

    const int64_t l_llNow = ::time(nullptr);
    EXPECT_FALSE(ts_CheckTimeout(l_llNow, 10));
    EXPECT_TRUE(ts_CheckTimeout(l_llNow - 20, 10));
    EXPECT_TRUE(ts_CheckTimeout(l_llNow, 0));
    const auto l_waitStart = std::chrono::steady_clock::now();
    ts_WaitTimeout(l_llNow - 20, 10); // already over: returns at once
    EXPECT_LT(std::chrono::steady_clock::now() - l_waitStart, std::chrono::milliseconds(50));
}

TEST(Time, StampsAsText) {
    char l_szOut[16];
    EXPECT_TRUE(ts_TS2GMT14(l_szOut, 1700000000));
    EXPECT_STREQ(l_szOut, "20231114221320Z");
    EXPECT_TRUE(ts_TS2GMT14(l_szOut, 0)); // now
    EXPECT_EQ(l_szOut[14], 'Z');
    EXPECT_FALSE(ts_TS2GMT14(nullptr, 1));
    // A year beyond 9999 does not fit: the zero text stays.
    EXPECT_FALSE(ts_TS2GMT14(l_szOut, 253402300800LL));
    EXPECT_STREQ(l_szOut, "00000000000000Z");
    EXPECT_TRUE(ts_TS2GMT14(l_szOut, 253402300799LL));
    EXPECT_STREQ(l_szOut, "99991231235959Z");
    EXPECT_FALSE(ts_TS2GMT14(l_szOut, INT64_MAX));
    EXPECT_STREQ(l_szOut, "00000000000000Z");

    char l_szLocal[15];
    EXPECT_TRUE(ts_TS2LT14(l_szLocal, 1700000000));
    EXPECT_EQ(std::strlen(l_szLocal), 14U);
    EXPECT_FALSE(ts_TS2LT14(l_szLocal, INT64_MAX));
    EXPECT_STREQ(l_szLocal, "00000000000000");

    EXPECT_EQ(ts_GMT2TS("20231114221320Z"), 1700000000);
    EXPECT_EQ(ts_GMT2TS("19700101000000Z"), 0);
    EXPECT_EQ(ts_GMT2TS("20231114221320"), 0);
    EXPECT_EQ(ts_GMT2TS("20231114221320X"), 0);
    EXPECT_EQ(ts_GMT2TS("2023Z"), 0); // shorter than 15: never read past its end
    EXPECT_EQ(ts_GMT2TS("18991231000000Z"), 0);
    EXPECT_EQ(ts_GMT2TS("20230014221320Z"), 0);
    EXPECT_EQ(ts_GMT2TS(nullptr), 0);
    // The text and the stamp agree both ways, whatever the local zone.
    char l_szBack[16];
    ASSERT_TRUE(ts_TS2GMT14(l_szBack, ts_GMT2TS("20240229120000Z")));
    EXPECT_STREQ(l_szBack, "20240229120000Z");

    const int64_t l_llShifted = ts_TSGMT();
    EXPECT_LE(std::abs(l_llShifted - static_cast<int64_t>(::time(nullptr))), 15 * 3600);
}

TEST(Time, LocalSystemTime) {
    tSystemTime l_st{};
    st_GetCurTime(&l_st);
    EXPECT_GE(l_st.wYear, 2020);
    EXPECT_GE(l_st.wMonth, 1);
    EXPECT_LE(l_st.wMonth, 12);
    EXPECT_LE(l_st.wDayOfWeek, 6);
    EXPECT_LE(l_st.wMilliseconds, 999);
    st_GetCurTime(nullptr);
}
