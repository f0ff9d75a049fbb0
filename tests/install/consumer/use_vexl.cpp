// vexl::vexl: a tree written as text and loaded back.
#include "linked.h"
#include <vexl/vexl.h>

int main() {
    vexl::CFields l_root(vexl::DT_fields);
    l_root.addChildRef("port") = 8080;
    vexl::CFields l_copy;
    vexl::CLoaders l_loaders;
    bool l_bOk = l_loaders.loading(l_root.toVEXL(vexl::SER_HFW, vexl::SIS_DETAIL, ""), l_copy, "", true);
    return l_bOk && l_copy == l_root && linkedLibrariesWork() ? 0 : 1;
}
