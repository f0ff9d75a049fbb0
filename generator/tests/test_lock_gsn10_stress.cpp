#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "gen_test_util.h"
#include "nxgenerator/lock_gsn10.h"

using gentest::readFile;
using gentest::TempDir;

TEST(CnxLockGSN10Stress, EightThreadsDrawDistinctPersistedNumbers) {
    constexpr int kThreads = 8;
    constexpr uint32_t kPerThread = 100000;
    TempDir l_dir;
    CnxLockGSN10 l_gen(true, 1, l_dir.folder().c_str());
    std::vector<std::vector<uint32_t>> l_drawn(kThreads);
    std::vector<std::thread> l_threads;
    for (int t = 0; t < kThreads; ++t) {
        l_threads.emplace_back([&, t] {
            l_drawn[t].reserve(kPerThread);
            for (uint32_t i = 0; i < kPerThread; ++i) {
                l_drawn[t].push_back(l_gen.GetAt(0));
            }
        });
    }
    for (auto &l_thread : l_threads) {
        l_thread.join();
    }
    std::vector<uint32_t> l_all;
    for (const auto &l_one : l_drawn) {
        // Each thread sees its own numbers strictly rising.
        EXPECT_TRUE(std::is_sorted(l_one.begin(), l_one.end()));
        l_all.insert(l_all.end(), l_one.begin(), l_one.end());
    }
    std::sort(l_all.begin(), l_all.end());
    ASSERT_EQ(l_all.size(), kThreads * kPerThread);
    EXPECT_EQ(l_all.front(), 1U);
    EXPECT_EQ(std::adjacent_find(l_all.begin(), l_all.end()), l_all.end());
    EXPECT_EQ(l_all.back(), kThreads * kPerThread);
    EXPECT_EQ(readFile(l_dir.file("vxseq_1_0")), "0000800000");
}

namespace {

// Draws persisted numbers forever and reports each one through the pipe as
// soon as GetAt has returned it; never returns.
[[noreturn]] void drawForever(const std::string &a_strFolder, int a_iOut) {
    CnxLockGSN10 l_gen(true, 9, a_strFolder.c_str());
    for (;;) {
        uint32_t l_uiNumber = l_gen.GetAt(8);
        if (l_uiNumber == 0 || write(a_iOut, &l_uiNumber, sizeof l_uiNumber) != sizeof l_uiNumber) {
            _exit(3);
        }
    }
}

// Reads every number the child reported; stops after a_uiWanted or at end of file.
void collect(int a_iIn, size_t a_uiWanted, std::vector<uint32_t> &a_numbers) {
    uint32_t l_uiNumber;
    while (a_numbers.size() < a_uiWanted &&
           read(a_iIn, &l_uiNumber, sizeof l_uiNumber) == sizeof l_uiNumber) {
        a_numbers.push_back(l_uiNumber);
    }
}

} // namespace

TEST(CnxLockGSN10Stress, RestartAfterSigkillNeverRepeatsANumber) {
    TempDir l_dir;
    std::vector<uint32_t> l_handedOut;
    for (int l_iRound = 0; l_iRound < 4; ++l_iRound) {
        int l_fds[2];
        ASSERT_EQ(pipe(l_fds), 0);
        std::fflush(nullptr);
        const pid_t l_child = fork();
        ASSERT_GE(l_child, 0);
        if (l_child == 0) {
            close(l_fds[0]);
            drawForever(l_dir.folder(), l_fds[1]);
        }
        close(l_fds[1]);
        // Kill the child at a different point of its work in each round.
        collect(l_fds[0], l_handedOut.size() + 2000 + 1500 * l_iRound, l_handedOut);
        kill(l_child, SIGKILL);
        collect(l_fds[0], SIZE_MAX, l_handedOut);
        close(l_fds[0]);
        int l_iStatus = 0;
        ASSERT_EQ(waitpid(l_child, &l_iStatus, 0), l_child);
        ASSERT_TRUE(WIFSIGNALED(l_iStatus)) << "child stopped by itself: " << l_iStatus;
    }
    // Every number reported by any run is distinct, and a new run starts
    // after all of them.
    std::vector<uint32_t> l_sorted = l_handedOut;
    std::sort(l_sorted.begin(), l_sorted.end());
    EXPECT_EQ(std::adjacent_find(l_sorted.begin(), l_sorted.end()), l_sorted.end());
    CnxLockGSN10 l_restarted(true, 9, l_dir.folder().c_str());
    EXPECT_GT(l_restarted.GetAt(8), l_sorted.back());
}
