// libFuzzer target: member paths ("server.hosts[1]", "#7.port", escapes) looked up in a small
// tree, as `vexl-tool get` looks up a path from its command line.
//
// The input is the path. Both lookups must agree: `findPath` finds a node exactly when `at`
// does not raise, and then the same node.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "vexl/vexl.h"

namespace {

const vexl::CFields &sampleTree() {
    static const vexl::CFields s_tTree = [] {
        vexl::CFields l_tTree = vexl::CFields::record(
            {{"server", vexl::CFields::record({{"port", 8080}, {"hosts", vexl::CFields::array({"a", "b"})}})},
             {"a.b[c]#\\", 1}});
        l_tTree.child_AddRef(nullptr, 0, 0, true) = 2; // an unnamed member
        l_tTree["server"].setID(7);
        l_tTree["server"]["hosts"][1].setID(9);
        return l_tTree;
    }();
    return s_tTree;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view l_svPath(reinterpret_cast<const char *>(data), size);
    const vexl::CFields &l_tTree = sampleTree();
    const vexl::CFields *l_pFound = l_tTree.findPath(l_svPath);
    try {
        const vexl::CFields &l_rAt = l_tTree.at(l_svPath);
        if (&l_rAt != l_pFound)
            std::abort();
    } catch (const vexl::CPathError &) {
        if (l_pFound != nullptr)
            std::abort();
    }
    (void)l_tTree.value_or(l_svPath, 0);
    return 0;
}
