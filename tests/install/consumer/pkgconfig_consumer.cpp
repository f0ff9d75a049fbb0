// Built with the flags `pkg-config --cflags --libs vexl` gives: the notation library, the add-on
// and the generator, run without any library search path.
#include "linked.h"
#include <vexl/vexl.h>

int main() {
    if (!linkedLibrariesWork()) // registers the add-on's keywords before the document names one
        return 1;
    vexl::CFields l_root;
    vexl::CLoaders l_loaders;
    if (!l_loaders.loading("{ \"seq\" = (ANF2seq_2) 0 }", l_root, "", true))
        return 2;
    return l_root.pkt_Make4Children(true) == "01" ? 0 : 3;
}
