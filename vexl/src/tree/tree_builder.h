#pragma once
// Building a tree front to back, for readers of other notations that live outside the core
// library (the JSON bridge) and cannot reach the children sequences themselves.
//
// As in the text loader, the members of each open container are gathered in one sequence per
// nesting level, reused from container to container, and handed to the container when it closes,
// in a block of exactly their number (carved from a chunk when small). Loading a tree therefore
// costs no reallocation of children and leaves it in consecutive memory.
//
// Exported from the library for its companion libraries; not part of the public headers.

#include <cstdint>
#include <vector>

#include "vexl/fields.h"

namespace vexl::detail {

/// Gathers the members of open containers level by level (see the file comment).
///
/// Use: `open` a container node at its level (0 for the root), append its members or elements at
/// the level below (`level + 1`), fill each appended node (scalars through the `CFields` setters,
/// containers by `open` at that level), and `close` the node at its level. A node returned by an
/// append stays valid until the next append at the same level or its container's `close`.
/// After a failure the builder may simply be destroyed: whatever it gathered is released.
class VEXL_API CTreeBuilder {
public:
    CTreeBuilder() = default;
    /// Releases the members gathered for containers that were not closed.
    ~CTreeBuilder();
    CTreeBuilder(const CTreeBuilder &) = delete;
    CTreeBuilder &operator=(const CTreeBuilder &) = delete;

    /// Makes `node`'s actual value an empty `type` (`DT_fields` or `DT_array`) and starts
    /// gathering its members at `level + 1`.
    void open(CFields &node, E_DataType type, uint32_t level);
    /// Appends a null element to the array being gathered at `level`.
    CFields &appendElement(uint32_t level);
    /// Appends a null member named by the `length` bytes of `name` (0: unnamed; at most 255) to
    /// the record being gathered at `level`. With `unique`, returns null instead when a gathered
    /// member already has this name (unnamed members are never compared).
    CFields *appendMember(uint32_t level, const char *name, uint32_t length, bool unique);
    /// Hands the members gathered at `level + 1` to `node`, the node opened at `level`.
    void close(CFields &node, uint32_t level);

private:
    std::vector<CFieldsVector *> m_vecLevels; // gathered members per level (index = level)
};

} // namespace vexl::detail
