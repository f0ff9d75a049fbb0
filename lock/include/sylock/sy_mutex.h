#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

#include "sylock/sylock_export.h"

/// In-process mutex with a held flag and an advisory count of lockers.
///
/// The native lock is a recursive POSIX mutex that knows its owner.  The held
/// flag says whether some thread holds the mutex; the waiting count reads -1
/// when the mutex is free, 0 when it is held and nobody waits, and n when n
/// further callers wait.  Both are atomics, so any thread may read them.
///
/// Only the thread that holds the mutex can release it: `unlock` from any
/// other thread, or on a free mutex, is ignored.  A thread that locks the
/// mutex again while holding it must unlock it as many times.
///
/// Thread use: every member may be called from any thread.  Nothing throws.
///
/// \code
///   CsyMutex m;
///   m.lock();          // m.waitCount() == 0
///   m.unlock();        // m.waitCount() == -1
/// \endcode
class SYLOCK_API CsyMutex {
public:
    /// A free mutex: held flag 0, waiting count -1.
    CsyMutex();
    /// Destroys the native lock.  The mutex must not be held.
    ~CsyMutex();

    /// Builds a new, free mutex.  The native lock is never copied.
    CsyMutex(const CsyMutex &);
    /// Leaves this mutex as it is: the native lock and its state belong to
    /// each object alone.
    CsyMutex &operator=(const CsyMutex &);

    /// Adds 1 to the waiting count, blocks until the calling thread owns the
    /// mutex, then sets the held flag.
    void lock();

    /// Fast refusal: returns false at once when the held flag is set.
    /// Otherwise behaves as `lock` (it may still wait if another thread took
    /// the mutex in the meantime) and returns true.
    bool trylock();

    /// Releases one ownership by the calling thread: subtracts 1 from the
    /// waiting count and, when the last ownership ends, clears the held flag.
    /// Ignored when the mutex is not held or is held by another thread.
    void unlock();

    /// The advisory waiting count (-1 free, 0 held, n with n waiters).
    int waitCount() const;

    /// The native lock.  Locking it directly bypasses the held flag and count.
    pthread_mutex_t *handle();

private:
    pthread_mutex_t m_mutex;
    std::atomic<int32_t> m_iHeld{0};
    std::atomic<int32_t> m_iWaitCount{-1};
    /// Identifies the holding thread (address of a thread-local token), or null.
    std::atomic<const void *> m_pOwner{nullptr};
    /// Ownerships of the holding thread; changed only while the native lock is held.
    uint32_t m_uiDepth = 0;
};

/// Scoped holder: locks the mutex in its constructor and unlocks it in its
/// destructor, also when the scope is left by an exception.
class SYLOCK_API CsyLocker4Mutex {
public:
    /// Locks `a_mutex` (`CsyMutex::lock`), which must outlive the holder.
    explicit CsyLocker4Mutex(CsyMutex &a_mutex);
    /// Unlocks the mutex once.
    ~CsyLocker4Mutex();
    CsyLocker4Mutex(const CsyLocker4Mutex &) = delete;
    CsyLocker4Mutex &operator=(const CsyLocker4Mutex &) = delete;

private:
    CsyMutex *m_pMutex;
};
