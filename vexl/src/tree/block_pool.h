#pragma once
// Memory for children blocks.
//
// Small children blocks are carved one after another from 64 KiB chunks, so that building a
// tree writes its blocks to consecutive memory and allocating one costs a pointer bump. Each
// chunk counts the blocks it has handed out that are still alive; the last release gives the
// chunk back to the heap. A block may be released on any thread. Larger blocks (and every block
// in builds with AddressSanitizer, which must see each block on its own) come from the heap.

#include <cstddef>

namespace vexl::detail {

/// Memory for a children block of `bytes` bytes, 16-byte aligned; `chunk` receives what
/// `freeChildrenBlock` needs to release it. Throws std::bad_alloc.
void *allocChildrenBlock(size_t bytes, void *&chunk);
/// Releases a block from `allocChildrenBlock`.
void freeChildrenBlock(void *block, void *chunk) noexcept;

} // namespace vexl::detail
