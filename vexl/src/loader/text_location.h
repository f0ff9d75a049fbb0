#pragma once
// Line and column numbers of positions in a text, computed only when an error is reported.

#include <cstdint>
#include <vector>

namespace vexl::detail {

/// A position as the error messages show it; both numbers start at 1.
struct tLineColumn {
    uint64_t uiLine;
    uint64_t uiColumn;
};

/// Line and column of each of `positions` (each within [begin, end]; others are clamped) in the
/// text [begin, end), in the order given. CR LF, a lone CR and a lone LF each end a line; the
/// column counts bytes from the start of the line. The text is walked once, whatever the number
/// of positions.
std::vector<tLineColumn> locateLineColumns(const char *begin, const char *end,
                                           const std::vector<const char *> &positions);

} // namespace vexl::detail
