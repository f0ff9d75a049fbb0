#include "sylock/sy_semaphore.h"

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "semaphore/sem_name.h"

using sylock_detail::kCeilingSuffix;
using sylock_detail::numberedSemName;
using sylock_detail::posixSemName;

/// The native handles shared by copies of one attached object.
struct CsySemaphore::tShared {
    sem_t *pSem;               ///< the semaphore itself
    sem_t *pRoom;              ///< room left below the maximum, or null (no ceiling)
    std::atomic<int> iRefs{1}; ///< objects referring to this record
};

namespace {

constexpr mode_t kSemMode = 0666;

void closeShared(sem_t *a_pSem, sem_t *a_pRoom) {
    if (a_pSem != nullptr) {
        sem_close(a_pSem);
    }
    if (a_pRoom != nullptr) {
        sem_close(a_pRoom);
    }
}

} // namespace

// MARK: - Construction

CsySemaphore::CsySemaphore() = default;

CsySemaphore::CsySemaphore(int a_iNumber, bool a_bCreate, int a_iCount, bool a_bCloseOnDestruction) {
    initialize(a_iNumber, a_bCreate, a_iCount);
    m_bCloseOnDestruction = a_bCloseOnDestruction;
}

CsySemaphore::CsySemaphore(const char *a_cpName, bool a_bCreate, int a_iCount) {
    initialize(a_cpName, a_bCreate, a_iCount);
    m_bCloseOnDestruction = true;
}

CsySemaphore::~CsySemaphore() {
    // Every object drops its reference, whatever its close flag: the handle
    // is closed only when no object refers to it any more, and closing never
    // removes the name, so nothing a caller sees depends on the flag.
    _remove();
}

CsySemaphore::CsySemaphore(const CsySemaphore &a_other)
    : m_pShared(a_other.m_pShared), m_bCloseOnDestruction(a_other.m_bCloseOnDestruction) {
    if (m_pShared != nullptr) {
        m_pShared->iRefs.fetch_add(1, std::memory_order_relaxed);
    }
}

CsySemaphore &CsySemaphore::operator=(const CsySemaphore &a_other) {
    if (this != &a_other && m_pShared != a_other.m_pShared) {
        if (a_other.m_pShared != nullptr) {
            a_other.m_pShared->iRefs.fetch_add(1, std::memory_order_relaxed);
        }
        _remove();
        m_pShared = a_other.m_pShared;
    }
    m_bCloseOnDestruction = a_other.m_bCloseOnDestruction;
    return *this;
}

// MARK: - Attaching

int CsySemaphore::initialize(int a_iNumber, bool a_bCreate, int a_iCount) {
    return initialize(numberedSemName(a_iNumber).c_str(), a_bCreate, a_iCount);
}

int CsySemaphore::initialize(const char *a_cpName, bool a_bCreate, int a_iCount) {
    _remove();
    const int l_iFailure = a_bCreate ? -1 : -2;
    std::string l_strName;
    if (!posixSemName(a_cpName, l_strName)) {
        return l_iFailure;
    }
    const std::string l_strRoom = l_strName + kCeilingSuffix;
    sem_t *l_pSem = SEM_FAILED;
    sem_t *l_pRoom = SEM_FAILED;
    if (a_bCreate) {
        if (a_iCount < 1) {
            return -1;
        }
        // The companion first: a process that finds the semaphore then finds
        // its ceiling too.  Both start full (count = maximum), so no room.
        bool l_bNewRoom = true;
        l_pRoom = sem_open(l_strRoom.c_str(), O_CREAT | O_EXCL, kSemMode, 0U);
        if (l_pRoom == SEM_FAILED && errno == EEXIST) {
            l_bNewRoom = false;
            l_pRoom = sem_open(l_strRoom.c_str(), O_CREAT, kSemMode, 0U);
        }
        if (l_pRoom == SEM_FAILED) {
            return -1;
        }
        l_pSem = sem_open(l_strName.c_str(), O_CREAT, kSemMode, static_cast<unsigned>(a_iCount));
        if (l_pSem == SEM_FAILED) {
            // Leave no companion behind that a later creation would adopt.
            sem_close(l_pRoom);
            if (l_bNewRoom) {
                sem_unlink(l_strRoom.c_str());
            }
            return -1;
        }
    } else {
        l_pSem = sem_open(l_strName.c_str(), 0);
        if (l_pSem == SEM_FAILED) {
            return -2;
        }
        // A semaphore made by other software has no companion: no ceiling.
        l_pRoom = sem_open(l_strRoom.c_str(), 0);
    }
    m_pShared = new tShared{l_pSem, l_pRoom == SEM_FAILED ? nullptr : l_pRoom};
    return 0;
}

// MARK: - Counting

int CsySemaphore::lock() {
    if (m_pShared == nullptr) {
        return 0;
    }
    while (sem_wait(m_pShared->pSem) != 0) {
        if (errno != EINTR) {
            return 0;
        }
    }
    if (m_pShared->pRoom != nullptr) {
        sem_post(m_pShared->pRoom);
    }
    return 1;
}

int CsySemaphore::unlock() {
    if (m_pShared == nullptr) {
        return -3;
    }
    if (m_pShared->pRoom != nullptr) {
        // Taking a unit of room first makes "below the maximum" and the
        // release one atomic step across processes.
        while (sem_trywait(m_pShared->pRoom) != 0) {
            if (errno != EINTR) {
                return -3;
            }
        }
    }
    if (sem_post(m_pShared->pSem) != 0) {
        if (m_pShared->pRoom != nullptr) {
            sem_post(m_pShared->pRoom);
        }
        return -3;
    }
    return 0;
}

sem_t *CsySemaphore::handle() const {
    return m_pShared != nullptr ? m_pShared->pSem : nullptr;
}

// MARK: - Closing and removing

int CsySemaphore::_remove() {
    tShared *l_pShared = m_pShared;
    m_pShared = nullptr;
    if (l_pShared != nullptr && l_pShared->iRefs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        closeShared(l_pShared->pSem, l_pShared->pRoom);
        delete l_pShared;
    }
    return 0;
}

int CsySemaphore::destroyNamed(int a_iNumber) {
    return destroyNamed(numberedSemName(a_iNumber).c_str());
}

int CsySemaphore::destroyNamed(const char *a_cpName) {
    std::string l_strName;
    if (!posixSemName(a_cpName, l_strName)) {
        return -1;
    }
    sem_unlink((l_strName + kCeilingSuffix).c_str());
    return sem_unlink(l_strName.c_str()) == 0 ? 0 : -1;
}
