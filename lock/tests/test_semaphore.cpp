#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sylock/sy_semaphore.h"

namespace {

// Each test gets numbers derived from the process id, so parallel runs of the
// suite do not meet, and removes their names when it ends.
class CsySemaphoreTest : public ::testing::Test {
protected:
    int number(int a_iOffset) {
        int l_iNumber = 900000000 + (static_cast<int>(getpid()) % 1000000) * 10 + a_iOffset;
        m_used.push_back(l_iNumber);
        CsySemaphore::destroyNamed(l_iNumber); // a leftover from an old crash
        return l_iNumber;
    }
    void TearDown() override {
        for (int l_iNumber : m_used) {
            CsySemaphore::destroyNamed(l_iNumber);
        }
    }
    std::vector<int> m_used;
};

// True when a byte arrives on the descriptor within the time.
bool readable(int a_iFd, int a_iMilliseconds) {
    pollfd l_poll{a_iFd, POLLIN, 0};
    return poll(&l_poll, 1, a_iMilliseconds) == 1;
}

} // namespace

TEST_F(CsySemaphoreTest, NumberSelectsTheGlobalName) {
    const int l_iNumber = number(0);
    CsySemaphore l_missing;
    EXPECT_EQ(l_missing.initialize(l_iNumber, false, 1), -2);
    EXPECT_EQ(l_missing.handle(), nullptr);

    CsySemaphore l_created(l_iNumber, true, 1, true);
    ASSERT_NE(l_created.handle(), nullptr);
    const std::string l_strName = "Global\\Sem" + std::to_string(l_iNumber);
    CsySemaphore l_byName(l_strName.c_str(), false, 0);
    ASSERT_NE(l_byName.handle(), nullptr);
    EXPECT_EQ(l_created.lock(), 1);
    EXPECT_EQ(l_byName.unlock(), 0);
    EXPECT_EQ(CsySemaphore::destroyNamed(l_strName.c_str()), 0);
    EXPECT_EQ(CsySemaphore::destroyNamed(l_strName.c_str()), -1);
}

TEST_F(CsySemaphoreTest, FailuresUseTheDocumentedCodes) {
    CsySemaphore l_empty;
    EXPECT_EQ(l_empty.lock(), 0);
    EXPECT_EQ(l_empty.unlock(), -3);
    EXPECT_EQ(l_empty.initialize(number(1), true, 0), -1);
    EXPECT_EQ(l_empty.initialize(number(1), false, 0), -2);
    EXPECT_EQ(l_empty.initialize("bad/name", true, 1), -1);
    EXPECT_EQ(l_empty.initialize("bad/name", false, 1), -2);
    EXPECT_EQ(l_empty.initialize(std::string(241, 'n').c_str(), true, 1), -1);
    EXPECT_EQ(l_empty.initialize(static_cast<const char *>(nullptr), false, 1), -2);
    EXPECT_EQ(l_empty.handle(), nullptr);
}

TEST_F(CsySemaphoreTest, CountIsCappedAtItsMaximum) {
    const int l_iNumber = number(2);
    CsySemaphore l_sem(l_iNumber, true, 3, true);
    EXPECT_EQ(l_sem.unlock(), -3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(l_sem.lock(), 1);
    }
    int l_iValue = -1;
    sem_getvalue(l_sem.handle(), &l_iValue);
    EXPECT_EQ(l_iValue, 0);
    // The ceiling holds for every object attached to the name.
    CsySemaphore l_other(l_iNumber, false, 0, true);
    EXPECT_EQ(l_other.unlock(), 0);
    EXPECT_EQ(l_sem.unlock(), 0);
    EXPECT_EQ(l_other.unlock(), 0);
    EXPECT_EQ(l_other.unlock(), -3);
    EXPECT_EQ(l_sem.unlock(), -3);
    // Creating again attaches and keeps the existing count.
    CsySemaphore l_again(l_iNumber, true, 1, true);
    sem_getvalue(l_again.handle(), &l_iValue);
    EXPECT_EQ(l_iValue, 3);
}

TEST_F(CsySemaphoreTest, CopiesShareOneHandleUntilTheLastGoes) {
    const int l_iNumber = number(3);
    CsySemaphore l_kept;
    {
        CsySemaphore l_first(l_iNumber, true, 1, true);
        CsySemaphore l_copy(l_first);
        l_kept = l_copy;
        EXPECT_EQ(l_kept.handle(), l_first.handle());
        CsySemaphore &l_alias = l_copy;
        l_copy = l_alias; // assignment to itself keeps the handle
        EXPECT_EQ(l_copy.lock(), 1);
    }
    // The originals are gone; the handle is still open for the last holder.
    EXPECT_EQ(l_kept.unlock(), 0);
    EXPECT_EQ(l_kept.lock(), 1);
    // Re-initialising releases the old handle and attaches to the new one.
    const int l_iSecond = number(4);
    EXPECT_EQ(l_kept.initialize(l_iSecond, true, 2), 0);
    EXPECT_EQ(l_kept.lock(), 1);
    EXPECT_EQ(l_kept.unlock(), 0);
    EXPECT_EQ(l_kept.unlock(), -3);
}

TEST_F(CsySemaphoreTest, TwoProcessesShareACountOfOneAsAMutex) {
    const int l_iNumber = number(5);
    CsySemaphore l_sem(l_iNumber, true, 1, true);
    ASSERT_EQ(l_sem.lock(), 1);

    int l_fds[2];
    ASSERT_EQ(pipe(l_fds), 0);
    std::fflush(nullptr);
    const pid_t l_child = fork();
    ASSERT_GE(l_child, 0);
    if (l_child == 0) {
        // The child attaches by number alone and reports when it holds the lock.
        close(l_fds[0]);
        CsySemaphore l_mine(l_iNumber, false, 0, true);
        int l_iCode = 10;
        if (l_mine.handle() != nullptr && l_mine.lock() == 1) {
            char l_c = 'L';
            l_iCode = write(l_fds[1], &l_c, 1) == 1 ? 0 : 11;
            if (l_mine.unlock() != 0) {
                l_iCode = 12;
            }
        }
        _exit(l_iCode);
    }
    close(l_fds[1]);
    // While the parent holds the only unit the child stays blocked.
    EXPECT_FALSE(readable(l_fds[0], 300));
    EXPECT_EQ(l_sem.unlock(), 0);
    ASSERT_TRUE(readable(l_fds[0], 10000));
    int l_iStatus = 0;
    ASSERT_EQ(waitpid(l_child, &l_iStatus, 0), l_child);
    close(l_fds[0]);
    ASSERT_TRUE(WIFEXITED(l_iStatus));
    EXPECT_EQ(WEXITSTATUS(l_iStatus), 0);
    // The child gave its unit back: the count is at its maximum again.
    EXPECT_EQ(l_sem.unlock(), -3);
    EXPECT_EQ(l_sem.lock(), 1);
    EXPECT_EQ(l_sem.unlock(), 0);
}
