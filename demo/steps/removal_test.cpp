// Step 12 of `vexl`: removing members, then displaying the tree.

#include <cstdio>

#include "common/console.h"
#include "steps/steps.h"
#include "vexl/vexl.h"

namespace demo {

void removalTest(vexl::CFields &root) {
    printSeparator(79);
    vexl::CFields &l_tFields = root["remove_fields"];
    if (l_tFields.getDT() == vexl::DT_fields && l_tFields.removeChildAt(0u))
        std::puts("remove_fields : removeChildAt(0) Ok!");
    vexl::CFields &l_tArray = root["remove_array"];
    if (l_tArray.getDT() == vexl::DT_array && l_tArray.removeChildAt(0u))
        std::puts("remove_array  : removeChildAt(0) Ok!");
    printSeparator(41);
    std::string l_strText;
    displayTree(root, "", l_strText);
}

} // namespace demo
