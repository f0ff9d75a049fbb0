#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "sylock/sy_mutex.h"

namespace {

// Runs a_fn on another thread and waits for it.
template <class F> void onOtherThread(F a_fn) {
    std::thread(a_fn).join();
}

} // namespace

TEST(CsyMutex, CountFollowsLockAndUnlock) {
    CsyMutex l_mutex;
    EXPECT_EQ(l_mutex.waitCount(), -1);
    l_mutex.lock();
    EXPECT_EQ(l_mutex.waitCount(), 0);
    l_mutex.unlock();
    EXPECT_EQ(l_mutex.waitCount(), -1);
    // A second unlock finds the mutex free and changes nothing.
    l_mutex.unlock();
    EXPECT_EQ(l_mutex.waitCount(), -1);
    bool l_bTaken = false;
    onOtherThread([&] {
        l_bTaken = l_mutex.trylock();
        l_mutex.unlock();
    });
    EXPECT_TRUE(l_bTaken);
    EXPECT_EQ(l_mutex.waitCount(), -1);
}

TEST(CsyMutex, TrylockRefusesWhileAnotherThreadHolds) {
    CsyMutex l_mutex;
    ASSERT_TRUE(l_mutex.trylock());
    bool l_bTaken = true;
    auto l_start = std::chrono::steady_clock::now();
    onOtherThread([&] { l_bTaken = l_mutex.trylock(); });
    EXPECT_FALSE(l_bTaken);
    EXPECT_LT(std::chrono::steady_clock::now() - l_start, std::chrono::seconds(2));
    l_mutex.unlock();
    onOtherThread([&] {
        l_bTaken = l_mutex.trylock();
        l_mutex.unlock();
    });
    EXPECT_TRUE(l_bTaken);
}

TEST(CsyMutex, UnlockFromAnotherThreadIsIgnored) {
    CsyMutex l_mutex;
    l_mutex.lock();
    onOtherThread([&] { l_mutex.unlock(); });
    EXPECT_EQ(l_mutex.waitCount(), 0);
    bool l_bTaken = true;
    onOtherThread([&] { l_bTaken = l_mutex.trylock(); });
    EXPECT_FALSE(l_bTaken);
    l_mutex.unlock();
    EXPECT_EQ(l_mutex.waitCount(), -1);
}

TEST(CsyMutex, NestedLockNeedsAsManyUnlocks) {
    CsyMutex l_mutex;
    l_mutex.lock();
    l_mutex.lock();
    EXPECT_EQ(l_mutex.waitCount(), 1);
    l_mutex.unlock();
    bool l_bTaken = true;
    onOtherThread([&] { l_bTaken = l_mutex.trylock(); });
    EXPECT_FALSE(l_bTaken);
    l_mutex.unlock();
    onOtherThread([&] {
        l_bTaken = l_mutex.trylock();
        l_mutex.unlock();
    });
    EXPECT_TRUE(l_bTaken);
    EXPECT_EQ(l_mutex.waitCount(), -1);
}

TEST(CsyMutex, CountsWaitersAndSerialisesThreads) {
    CsyMutex l_mutex;
    l_mutex.lock();
    std::thread l_waiter([&] {
        l_mutex.lock();
        l_mutex.unlock();
    });
    while (l_mutex.waitCount() < 1) {
        std::this_thread::yield();
    }
    EXPECT_EQ(l_mutex.waitCount(), 1);
    l_mutex.unlock();
    l_waiter.join();
    EXPECT_EQ(l_mutex.waitCount(), -1);

    long l_lTotal = 0;
    std::vector<std::thread> l_threads;
    for (int t = 0; t < 4; ++t) {
        l_threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                CsyLocker4Mutex l_hold(l_mutex);
                ++l_lTotal;
            }
        });
    }
    for (auto &l_thread : l_threads) {
        l_thread.join();
    }
    EXPECT_EQ(l_lTotal, 80000);
    EXPECT_EQ(l_mutex.waitCount(), -1);
}

TEST(CsyLocker4Mutex, ReleasesAtScopeEndAndOnException) {
    CsyMutex l_mutex;
    {
        CsyLocker4Mutex l_hold(l_mutex);
        EXPECT_EQ(l_mutex.waitCount(), 0);
    }
    EXPECT_EQ(l_mutex.waitCount(), -1);
    EXPECT_THROW(
        {
            CsyLocker4Mutex l_hold(l_mutex);
            throw std::runtime_error("leave the scope");
        },
        std::runtime_error);
    bool l_bTaken = false;
    onOtherThread([&] {
        l_bTaken = l_mutex.trylock();
        l_mutex.unlock();
    });
    EXPECT_TRUE(l_bTaken);
}

TEST(CsyMutex, CopyIsAnIndependentFreeMutex) {
    CsyMutex l_first;
    l_first.lock();
    CsyMutex l_copy(l_first);
    EXPECT_EQ(l_copy.waitCount(), -1);
    EXPECT_NE(l_copy.handle(), l_first.handle());
    CsyMutex l_assigned;
    l_assigned = l_first;
    EXPECT_EQ(l_assigned.waitCount(), -1);
    bool l_bTaken = false;
    onOtherThread([&] {
        l_bTaken = l_copy.trylock();
        l_copy.unlock();
    });
    EXPECT_TRUE(l_bTaken);
    l_first.unlock();
}
