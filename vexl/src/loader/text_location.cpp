// Line and column numbers for error messages.

#include "loader/text_location.h"

#include <algorithm>
#include <numeric>

namespace vexl::detail {

std::vector<tLineColumn> locateLineColumns(const char *begin, const char *end,
                                           const std::vector<const char *> &positions) {
    std::vector<tLineColumn> result(positions.size());
    std::vector<size_t> order(positions.size());
    std::iota(order.begin(), order.end(), size_t(0));
    auto clamp = [begin, end](const char *p) { return p < begin ? begin : (p > end ? end : p); };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return clamp(positions[a]) < clamp(positions[b]); });

    // One walk over the text; `lineStart` is where the line of `p` begins. `afterCR` keeps a
    // CR LF pair one line end when a position falls between its two bytes.
    uint64_t line = 1;
    const char *lineStart = begin;
    const char *p = begin;
    bool afterCR = false;
    for (size_t index : order) {
        const char *target = clamp(positions[index]);
        while (p < target) {
            const char c = *p++;
            if (c == '\n' && afterCR) {
                lineStart = p; // the LF of a CR LF
            } else if (c == '\r' || c == '\n') {
                ++line;
                lineStart = p;
            }
            afterCR = c == '\r';
        }
        result[index] = tLineColumn{line, uint64_t(target - lineStart) + 1};
    }
    return result;
}

} // namespace vexl::detail
