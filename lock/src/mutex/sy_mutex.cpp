#include "sylock/sy_mutex.h"

namespace {

// Each thread's token is the address of its own copy of this byte, so two
// live threads never share one.
thread_local char t_cOwnerToken;

const void *selfToken() {
    return &t_cOwnerToken;
}

void initRecursive(pthread_mutex_t *a_pMutex) {
    pthread_mutexattr_t l_attr;
    pthread_mutexattr_init(&l_attr);
    // Recursive like the critical section it replaces; it tracks its owner.
    pthread_mutexattr_settype(&l_attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(a_pMutex, &l_attr);
    pthread_mutexattr_destroy(&l_attr);
}

} // namespace

// MARK: - CsyMutex

CsyMutex::CsyMutex() {
    initRecursive(&m_mutex);
}

CsyMutex::CsyMutex(const CsyMutex &) {
    initRecursive(&m_mutex);
}

CsyMutex &CsyMutex::operator=(const CsyMutex &) {
    return *this;
}

CsyMutex::~CsyMutex() {
    pthread_mutex_destroy(&m_mutex);
}

void CsyMutex::lock() {
    m_iWaitCount.fetch_add(1, std::memory_order_relaxed);
    pthread_mutex_lock(&m_mutex);
    ++m_uiDepth;
    m_pOwner.store(selfToken(), std::memory_order_relaxed);
    m_iHeld.store(1, std::memory_order_release);
}

bool CsyMutex::trylock() {
    if (m_iHeld.load(std::memory_order_acquire) != 0) {
        return false;
    }
    lock();
    return true;
}

void CsyMutex::unlock() {
    if (m_iHeld.load(std::memory_order_acquire) == 0) {
        return;
    }
    // The owner token is set only by the holder and cleared before the native
    // unlock, so seeing our own token proves that we hold the native lock.
    if (m_pOwner.load(std::memory_order_relaxed) != selfToken()) {
        return;
    }
    m_iWaitCount.fetch_sub(1, std::memory_order_relaxed);
    if (--m_uiDepth == 0) {
        // Cleared while still owned, so a thread that takes the lock next
        // cannot have its fresh flag overwritten.
        m_pOwner.store(nullptr, std::memory_order_relaxed);
        m_iHeld.store(0, std::memory_order_release);
    }
    pthread_mutex_unlock(&m_mutex);
}

int CsyMutex::waitCount() const {
    return m_iWaitCount.load(std::memory_order_relaxed);
}

pthread_mutex_t *CsyMutex::handle() {
    return &m_mutex;
}

// MARK: - CsyLocker4Mutex

CsyLocker4Mutex::CsyLocker4Mutex(CsyMutex &a_mutex) : m_pMutex(&a_mutex) {
    m_pMutex->lock();
}

CsyLocker4Mutex::~CsyLocker4Mutex() {
    m_pMutex->unlock();
}
