// vexl::esk_add: a packet numbered by the add-on's "seq_" keyword.
#include "linked.h"
#include <vexl/vexl.h>

int main() {
    if (!linkedLibrariesWork())
        return 1;
    vexl::CFields l_root;
    vexl::CLoaders l_loaders;
    if (!l_loaders.loading("{ \"seq\" = (ANF4seq_1) 0 }", l_root, "", true))
        return 2;
    return l_root.pkt_Make4Children(true) == "0001" ? 0 : 3;
}
