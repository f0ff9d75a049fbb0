// get: one value or subtree of a document by path.

#include "common.h"

namespace vexl::tool {

namespace {

const char *const kHelp = R"(Usage: vexl-tool get [OPTIONS] DOC PATH

Print the value or subtree of DOC at PATH. A path is member names joined by
".", with "[N]" for the N-th element (from 0), and may start with "#ID" for
the member with that ID anywhere in the document: "server.hosts[1]", "#7",
"#7.port". An empty PATH is the whole document.

A plain value is printed as the notation writes it ("text" quoted), a subtree
in the human-friendly form.

Options:
  -r, --raw              print a text value's bytes without quotes or escapes
  --json                 print the values as JSON (IDs, comments and packet
                         expressions are left out)
  --password-file FILE   password of an encrypted binary document
  -h, --help             show this help

Exit status: 0 printed, 1 invalid document or no such path, 2 usage error.
)";

} // namespace

int runGet(int argc, char **argv) {
    if (wantsHelp(argc, argv, kHelp))
        return EXIT_OK;
    CArgs l_tArgs({"-r", "--raw", "--json"}, {"--password-file"});
    if (!l_tArgs.parse(argc, argv, 0))
        return usageError("get", l_tArgs.error());
    if (l_tArgs.operands().size() != 2)
        return usageError("get", "needs a document and a path");
    std::string l_strPassword, l_strError;
    if (!getPassword(l_tArgs, l_strPassword, l_strError)) {
        complain(l_strError);
        return EXIT_INVALID;
    }
    const std::string &l_strDoc = l_tArgs.operands()[0];
    const std::string &l_strPath = l_tArgs.operands()[1];
    CFields l_tRoot;
    if (!readDocument(l_strDoc, l_strPassword, l_tRoot))
        return EXIT_INVALID;
    const CFields *l_pNode = lookupPath(l_tRoot, l_strPath, l_strError);
    if (l_pNode == nullptr) {
        reportError(displayName(l_strDoc), l_strError);
        return EXIT_INVALID;
    }
    const bool l_bContainer = l_pNode->getDT() == DT_fields || l_pNode->getDT() == DT_array;
    std::string l_strOut;
    if (l_tArgs.has("--json")) {
        if (!treeToJson(*l_pNode, l_strOut, true, true, l_strError)) {
            reportError(displayName(l_strDoc), "cannot be written as JSON: " + l_strError);
            return EXIT_INVALID;
        }
    } else if (l_bContainer) {
        // The subtree's value: its own name and ID belong to the parent.
        CFields l_tValue;
        l_tValue.setValue(*l_pNode);
        l_strOut = toText(l_tValue);
    } else if ((l_tArgs.has("-r") || l_tArgs.has("--raw")) && l_pNode->getDT() == DT_codelist) {
        const char *l_cp = nullptr;
        const unsigned int l_uiLen = l_pNode->getCodePoint(&l_cp);
        l_strOut.assign(l_uiLen != 0 ? l_cp : "", l_uiLen);
        l_strOut += '\n';
    } else {
        CFields l_tBare;
        l_tBare.setValue(*l_pNode);
        CSaver4SER_PKT l_tSaver;
        l_tSaver.setSCBC(SCBC_DEFAULT | SCBC_NULL_WORD);
        l_strOut = l_tSaver.saving(l_tBare, SIS_VALUE, "") + "\n";
    }
    if (!writeOutput("-", l_strOut, l_strError)) {
        complain(l_strError);
        return EXIT_INVALID;
    }
    return EXIT_OK;
}

} // namespace vexl::tool
