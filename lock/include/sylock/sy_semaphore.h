#pragma once

#include <semaphore.h>

#include "sylock/sylock_export.h"

/// System-wide named counting semaphore, shared between processes by name.
///
/// A semaphore made from a number is named "Global\Sem%d"; on this platform
/// it is the POSIX named semaphore "/Global\Sem%d".  Every process that calls
/// `initialize` with the same number attaches to the same semaphore.  Created
/// with a count of 1 it works as a cross-process mutex.
///
/// The maximum count is the count given at creation.  POSIX semaphores have
/// no maximum, so the library keeps a companion semaphore holding the room
/// left below the maximum ("/Global\Sem%d#max"); an `unlock` that would pass
/// the maximum fails with -3 in every attached process.
///
/// Named semaphores outlive the processes that use them: they persist until
/// `destroyNamed` removes the name (or the system restarts), so a count left
/// by a crashed process is still there for the next one.
///
/// Copies share one native handle; the last object that refers to it closes
/// it (closing never removes the name).  Result conventions: `initialize` and
/// `unlock` return 0 or a negative code, `lock` returns 1 or 0.  Nothing throws.
///
/// Thread use: one object is used by one thread at a time; several objects,
/// in any threads or processes, may share the semaphore.
///
/// \code
///   CsySemaphore a(5, true, 1, true);   // creates Global\Sem5, count 1
///   a.lock();                           // 1; other processes now block
///   a.unlock();                         // 0
///   a.unlock();                         // -3: beyond the maximum of 1
/// \endcode
class SYLOCK_API CsySemaphore {
public:
    /// No handle; destroying it does nothing.
    CsySemaphore();
    /// `initialize(a_iNumber, a_bCreate, a_iCount)`, then keeps the close flag.
    CsySemaphore(int a_iNumber, bool a_bCreate, int a_iCount, bool a_bCloseOnDestruction);
    /// `initialize(a_cpName, a_bCreate, a_iCount)`; the handle is closed on destruction.
    CsySemaphore(const char *a_cpName, bool a_bCreate, int a_iCount);
    /// Drops this object's reference to the handle (the last one closes it).
    ~CsySemaphore();

    /// Shares the handle of the other object and copies its close flag.
    CsySemaphore(const CsySemaphore &a_other);
    /// Drops this object's handle (as the destructor), then shares the other's.
    CsySemaphore &operator=(const CsySemaphore &a_other);

    /// Attaches to the semaphore named "Global\Sem%d" with the number.
    /// \returns as the named form.
    int initialize(int a_iNumber, bool a_bCreate, int a_iCount);

    /// Attaches to the named semaphore, releasing any handle held before.
    /// \param a_cpName    name of at most 240 bytes, without '/' after its first byte.
    /// \param a_bCreate   true: create it with initial and maximum count
    ///                    a_iCount, or attach when it exists (the counts are then
    ///                    ignored); false: attach only to an existing one.
    /// \param a_iCount    initial and maximum count when created (1 or more).
    /// \returns 0 on success; -1 when creating failed; -2 when opening failed
    ///          (the semaphore does not exist).  On failure there is no handle.
    int initialize(const char *a_cpName, bool a_bCreate, int a_iCount);

    /// Takes one unit, blocking without a time limit.
    /// \returns 1 when taken, 0 on failure (for example no handle).
    int lock();

    /// Gives back one unit.
    /// \returns 0 on success, -3 on failure: no handle, or the count would
    ///          pass its maximum.
    int unlock();

    /// The native semaphore, or null.
    sem_t *handle() const;

    /// Removes the name of the semaphore "Global\Sem%d" (and its companion)
    /// from the system.  Processes attached keep using it; a later
    /// `initialize` with create true makes a new one.
    /// \returns 0 when the name existed and was removed, -1 otherwise.
    static int destroyNamed(int a_iNumber);
    /// As above for a semaphore given by name.
    static int destroyNamed(const char *a_cpName);

private:
    struct tShared;

    /// Drops this object's reference; the last reference closes the native handle.
    int _remove();

    tShared *m_pShared = nullptr;
    bool m_bCloseOnDestruction = false;
};
