// libFuzzer target: JSON import, then export, import again and compare.
//
// The first byte chooses the options (bit 0: keep duplicate keys, bit 1: pretty output, bits
// 2-3: a lower depth limit); the rest is the JSON text. Any byte sequence must give either a
// tree or an error with a location inside the text, never a crash or a read outside the input.
// An accepted text must export (the tree holds nothing JSON cannot), and the export must import
// to a tree with the same values and names and export to the same bytes again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vexl/json.h"

namespace {

bool sameTree(const vexl::CFields &a, const vexl::CFields &b) {
    if (!(a == b) || a.getChildCount() != b.getChildCount())
        return false;
    for (unsigned i = 0; i < a.getChildCount(); ++i) {
        const vexl::CFields &x = a.getChildAt(i), &y = b.getChildAt(i);
        if (std::string_view(x.getName(), x.getNameLen()) != std::string_view(y.getName(), y.getNameLen()) ||
            !sameTree(x, y))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    vexl::json::tJsonReadOptions readOptions;
    readOptions.bAllowDuplicateKeys = (data[0] & 1u) != 0;
    const unsigned depthChoice = (data[0] >> 2) & 3u;
    if (depthChoice != 0)
        readOptions.uMaxDepth = depthChoice * 3;
    vexl::json::tJsonWriteOptions writeOptions;
    writeOptions.bPretty = (data[0] & 2u) != 0;
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);

    vexl::CFields tree;
    vexl::json::tJsonError error;
    if (!vexl::json::fromJSON(text, tree, &error, readOptions)) {
        if (error.sMessage.empty() || error.uOffset > text.size() || error.uLine == 0 || error.uColumn == 0)
            __builtin_trap();
        return 0;
    }
    std::string written;
    if (!vexl::json::toJSON(tree, written, &error, writeOptions))
        __builtin_trap(); // everything imported can be exported
    vexl::CFields again;
    if (!vexl::json::fromJSON(written, again, &error, readOptions))
        __builtin_trap();
    if (!sameTree(tree, again))
        __builtin_trap();
    std::string rewritten;
    if (!vexl::json::toJSON(again, rewritten, &error, writeOptions) || rewritten != written)
        __builtin_trap();
    return 0;
}
