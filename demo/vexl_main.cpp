// vexl: loads the document named on the command line, connects the keyword add-on, lists the tree,
// writes it and saves it beside the input, builds and re-reads a record by hand, and runs the
// packet engine over the members of the sample documents (samples/keyword.vexl,
// samples/header.vexl).
//
// Exit status: 0 success; -1 (255 in the shell) without an argument; -2 (254) when the add-on
// cannot be connected or the document cannot be loaded, written or saved.

#include <cstdio>

#include "common/console.h"
#include "common/start.h"
#include "steps/steps.h"
#include "vexl/vexl.h"

int main(int argc, char **argv) {
    try {
        vexl::CFields l_tRoot;
        const int l_nStart = demo::startDemo(argc, argv, l_tRoot);
        if (l_nStart != demo::EXIT_OK)
            return l_nStart;
        if (!demo::writeAndSave(l_tRoot, argv[1]))
            return demo::EXIT_FAILURE_STEP;
        demo::manualRecordTest();
        demo::packetTest(l_tRoot);
        demo::removalTest(l_tRoot);
        return demo::EXIT_OK;
    } catch (const vexl::CException &l_tError) {
        // A contract violation inside the library ends the program with a failure, not an abort.
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", l_tError.what());
        return demo::EXIT_FAILURE_STEP;
    }
}
