// Chunks of children blocks (see block_pool.h).
//
// A chunk's count starts at a large bias while a thread carves blocks from it, so that carving
// needs no atomic operation: releases count down from the bias, and when the thread retires the
// chunk it takes off the bias minus the blocks it handed out. The count reaches zero exactly when
// the chunk is retired and all its blocks are released, whichever comes last.

#include "tree/block_pool.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VEXL_BLOCKS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXL_BLOCKS_FROM_HEAP 1
#endif
#endif

namespace vexl::detail {

namespace {

constexpr size_t kChunkBytes = size_t(64) << 10;
constexpr size_t kMaxCarved = 2048; // larger blocks come from the heap
constexpr int64_t kBias = int64_t(1) << 40;

struct alignas(16) tChunk {
    std::atomic<int64_t> m_llLive;
};
constexpr size_t kHeaderBytes = (sizeof(tChunk) + 15) & ~size_t(15);

// Released chunks kept for the next carving, up to kCachedChunks (8 MiB). A program that
// loads and drops large trees in turn then reuses the same memory: handed back to the heap, a
// tree's worth of chunks would make the allocator return the top of its heap to the system,
// and every page would fault in again on the next load (measured: 1.8 ms loads of
// citm_catalog took 5 ms that way).
class CChunkCache {
public:
    void *take() noexcept {
        std::lock_guard<std::mutex> l_lock(m_mutex);
        return m_uCount != 0 ? m_apChunks[--m_uCount] : nullptr;
    }
    bool keep(void *chunk) noexcept {
        std::lock_guard<std::mutex> l_lock(m_mutex);
        if (m_uCount == kCachedChunks)
            return false;
        m_apChunks[m_uCount++] = chunk;
        return true;
    }

    size_t count() noexcept {
        std::lock_guard<std::mutex> l_lock(m_mutex);
        return m_uCount;
    }

private:
    static constexpr size_t kCachedChunks = 128;
    std::mutex m_mutex;
    size_t m_uCount = 0;
    void *m_apChunks[kCachedChunks] = {};
};

// Never destroyed: chunks may be released while other static objects are destroyed at exit.
CChunkCache &chunkCache() noexcept {
    static CChunkCache *const s_pCache = new CChunkCache();
    return *s_pCache;
}

void dropCount(tChunk *chunk, int64_t count) noexcept {
    if (chunk->m_llLive.fetch_sub(count, std::memory_order_acq_rel) == count) {
        chunk->~tChunk();
        if (!chunkCache().keep(chunk))
            std::free(chunk);
    }
}

// The chunk a thread is carving from.
class CCarver {
public:
    CCarver() noexcept = default;
    CCarver(const CCarver &) = delete;
    CCarver &operator=(const CCarver &) = delete;
    ~CCarver() {
        retire();
        s_bGone = true; // blocks wanted later in this thread's exit come from the heap
    }

    void *carve(size_t bytes, void *&chunk) {
        if (size_t(m_pEnd - m_pNext) < bytes) {
            void *l_p = chunkCache().take();
            if (l_p == nullptr)
                l_p = std::malloc(kChunkBytes);
            if (l_p == nullptr)
                throw std::bad_alloc();
            retire();
            m_pChunk = new (l_p) tChunk{kBias};
            m_pNext = static_cast<char *>(l_p) + kHeaderBytes;
            m_pEnd = static_cast<char *>(l_p) + kChunkBytes;
        }
        void *l_p = m_pNext;
        m_pNext += bytes;
        ++m_llHanded;
        chunk = m_pChunk;
        return l_p;
    }

    static thread_local bool s_bGone;

private:
    void retire() noexcept {
        if (m_pChunk != nullptr)
            dropCount(m_pChunk, kBias - m_llHanded);
        m_pChunk = nullptr;
        m_pNext = m_pEnd = nullptr;
        m_llHanded = 0;
    }

    tChunk *m_pChunk = nullptr;
    char *m_pNext = nullptr;
    char *m_pEnd = nullptr;
    int64_t m_llHanded = 0;
};

thread_local bool CCarver::s_bGone = false;

CCarver &carver() {
    static thread_local CCarver s_tCarver;
    return s_tCarver;
}

} // namespace

void *allocChildrenBlock(size_t bytes, bool carve, void *&chunk) {
    bytes = (bytes + 15) & ~size_t(15);
#ifdef VEXL_BLOCKS_FROM_HEAP
    carve = false;
#endif
    if (carve && bytes <= kMaxCarved && !CCarver::s_bGone)
        return carver().carve(bytes, chunk);
    chunk = nullptr;
    void *l_p = std::malloc(bytes);
    if (l_p == nullptr)
        throw std::bad_alloc();
    return l_p;
}

char *carveText(const char *text, size_t length) noexcept {
#ifdef VEXL_BLOCKS_FROM_HEAP
    (void)text;
    (void)length;
    return nullptr;
#else
    // The chunk's address, then the text and its zero byte; a multiple of 16 keeps the blocks
    // carved after it aligned.
    const size_t l_uBytes = (sizeof(tChunk *) + length + 1 + 15) & ~size_t(15);
    if (l_uBytes > kMaxCarved || CCarver::s_bGone)
        return nullptr;
    void *l_pChunk = nullptr;
    char *l_p;
    try {
        l_p = static_cast<char *>(carver().carve(l_uBytes, l_pChunk));
    } catch (...) {
        return nullptr;
    }
    std::memcpy(l_p, &l_pChunk, sizeof(tChunk *));
    l_p += sizeof(tChunk *);
    std::memcpy(l_p, text, length);
    l_p[length] = '\0';
    return l_p;
#endif
}

void releaseCarvedText(const char *text) noexcept {
    tChunk *l_pChunk;
    std::memcpy(&l_pChunk, text - sizeof(tChunk *), sizeof(tChunk *));
    dropCount(l_pChunk, 1);
}

size_t cachedChunkCount() noexcept {
    return chunkCache().count();
}

void CReleaseBatch::flush() noexcept {
    if (m_llCount != 0)
        dropCount(static_cast<tChunk *>(m_pChunk), m_llCount);
    m_pChunk = nullptr;
    m_llCount = 0;
}

void freeChildrenBlock(void *block, void *chunk) noexcept {
    if (chunk == nullptr)
        std::free(block);
    else
        dropCount(static_cast<tChunk *>(chunk), 1);
}

} // namespace vexl::detail
