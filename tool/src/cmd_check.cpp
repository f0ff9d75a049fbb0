// check: loads each document and reports every problem.

#include <cstdio>

#include "common.h"

namespace vexl::tool {

namespace {

const char *const kHelp = R"(Usage: vexl-tool check [OPTIONS] FILE...

Load each document (text or binary, "-" for standard input) and report every
problem as
  path:line:column: error: message        (text documents, with the source
                                           line and a caret under the column)
  path: offset N: error: message          (binary documents)

Options:
  --password-file FILE   password of encrypted binary documents (first line);
                         otherwise the VEXL_PASSWORD environment variable
  -q, --quiet            print nothing for valid documents
  -h, --help             show this help

Exit status: 0 all documents valid, 1 any invalid, 2 usage error.
)";

} // namespace

int runCheck(int argc, char **argv) {
    if (wantsHelp(argc, argv, kHelp))
        return EXIT_OK;
    CArgs l_tArgs({"-q", "--quiet"}, {"--password-file"});
    if (!l_tArgs.parse(argc, argv, 0))
        return usageError("check", l_tArgs.error());
    if (l_tArgs.operands().empty())
        return usageError("check", "no file given");
    std::string l_strPassword, l_strError;
    if (!getPassword(l_tArgs, l_strPassword, l_strError)) {
        complain(l_strError);
        return EXIT_INVALID;
    }
    const bool l_bQuiet = l_tArgs.has("-q") || l_tArgs.has("--quiet");
    int l_nStatus = EXIT_OK;
    for (const std::string &l_strPath : l_tArgs.operands()) {
        std::string l_strData;
        if (!readInput(l_strPath, l_strData, l_strError)) {
            reportError(displayName(l_strPath), l_strError);
            l_nStatus = EXIT_INVALID;
            continue;
        }
        CFields &l_tRoot = documentTree();
        std::vector<tProblem> l_vecProblems;
        if (loadDocument(l_strData, l_tRoot, l_strPassword, l_vecProblems)) {
            if (!l_bQuiet)
                std::printf("%s: ok\n", displayName(l_strPath).c_str());
            continue;
        }
        printProblems(l_strPath, l_strData, l_vecProblems);
        l_nStatus = EXIT_INVALID;
    }
    return l_nStatus;
}

} // namespace vexl::tool
