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

/// A copy of `length` bytes of `text` and a zero byte, carved from the calling thread's chunk
/// (names of loaded members are made at their final size too); null when this build or thread
/// does not carve, or memory ran out: the caller then copies to the heap.
char *carveText(const char *text, size_t length) noexcept;
/// Releases a copy made by `carveText` (its chunk's address is kept just before it).
void releaseCarvedText(const char *text) noexcept;

} // namespace vexl::detail
