// Built with the flags `pkg-config --cflags --libs vexl` gives: the notation library, the add-on
// and the generator, run without any library search path.
#include "linked.h"
#include <vexl/vexl.h>

int main() {
    vexl::CFields l_root;
    vexl::CLoaders l_loaders;
    if (!l_loaders.loading("{ \"seq\" = (ANF2seq_2) 0 }", l_root, "", true))
        return 1;
    return linkedLibrariesWork() && l_root.pkt_Make4Children(true) == "01" ? 0 : 2;
}
