#pragma once
// Memory for children blocks.
//
// Children blocks made at their final size (a loaded container's members, a copied tree) are
// carved one after another from 64 KiB chunks when small, so that such a tree lies in
// consecutive memory and allocating a block costs a pointer bump. Blocks that grow come from the
// heap: a chunk never reuses the room of a released block, so blocks outgrown one after another
// would leave it full of holes. Each chunk counts the blocks it has handed out that are still
// alive; after the last release the chunk is kept for the next chunk any thread starts (up to
// 8 MiB of them; beyond that it goes back to the heap). A block may be released on any thread.
// Larger blocks (and every block in builds with AddressSanitizer, which must see each block on
// its own) come from the heap.

#include <cstddef>

namespace vexl::detail {

/// Memory for a children block of `bytes` bytes, 16-byte aligned, carved when `carve` allows;
/// `chunk` receives what `freeChildrenBlock` needs to release it. Throws std::bad_alloc.
void *allocChildrenBlock(size_t bytes, bool carve, void *&chunk);
/// Releases a block from `allocChildrenBlock`.
void freeChildrenBlock(void *block, void *chunk) noexcept;

/// How many released chunks are kept for reuse now (for tests).
size_t cachedChunkCount() noexcept;

/// Gathers the releases of blocks while a tree is destroyed, so that consecutive blocks of one
/// chunk cost one atomic update of its count instead of one each: every such update is a full
/// memory barrier, which would keep the processor from reading ahead in the tree. Releasing
/// later than the blocks' end is harmless: a chunk is reused only once its count reaches zero.
class CReleaseBatch {
public:
    CReleaseBatch() noexcept = default;
    CReleaseBatch(const CReleaseBatch &) = delete;
    CReleaseBatch &operator=(const CReleaseBatch &) = delete;
    ~CReleaseBatch() { flush(); }

    /// `freeChildrenBlock`, deferred while blocks come from the same chunk.
    void release(void *block, void *chunk) noexcept {
        if (chunk == nullptr) {
            freeChildrenBlock(block, nullptr);
            return;
        }
        if (chunk != m_pChunk) {
            flush();
            m_pChunk = chunk;
        }
        ++m_llCount;
    }
    /// Applies the gathered releases.
    void flush() noexcept;

private:
    void *m_pChunk = nullptr;
    long long m_llCount = 0;
};

/// A copy of `length` bytes of `text` and a zero byte, carved from the calling thread's chunk
/// (names of loaded members are made at their final size too); null when this build or thread
/// does not carve, or memory ran out: the caller then copies to the heap.
char *carveText(const char *text, size_t length) noexcept;
/// Releases a copy made by `carveText` (its chunk's address is kept just before it).
void releaseCarvedText(const char *text) noexcept;

} // namespace vexl::detail
