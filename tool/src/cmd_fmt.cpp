// fmt: rewrites documents in the human-friendly form, comments kept.

#include <cstdio>

#include "common.h"

namespace vexl::tool {

namespace {

const char *const kHelp = R"(Usage: vexl-tool fmt [OPTIONS] FILE...

Rewrite documents in the human-friendly form: one member per line, nested
values indented, comments kept where they were. Without --check or
--in-place the result goes to standard output. "-" reads standard input.

Options:
  --check                write nothing; name the files that would change and
                         exit 1 when there is any (for CI)
  -i, --in-place         replace each file with its formatted text (written to a
                         temporary file in the same folder, then renamed over
                         the original: the file is never left half-written)
  --indent N             spaces per level, 0 to 16 (default 2)
  --multi-line-arrays    put every array element on its own line (by default
                         short arrays of plain values stay on one line)
  --no-null-word         write a null value as nothing instead of "null"
  --no-comments          leave comments out
  --no-final-newline     no line feed after the last line
  --password-file FILE   password of encrypted binary documents
  -h, --help             show this help

Exit status: 0 done (or nothing to change with --check), 1 an invalid input,
a file that would change, or a failed write; 2 usage error.
)";

} // namespace

int runFmt(int argc, char **argv) {
    if (wantsHelp(argc, argv, kHelp))
        return EXIT_OK;
    CArgs l_tArgs({"--check", "-i", "--in-place", "--multi-line-arrays", "--no-null-word", "--no-comments",
                   "--no-final-newline"},
                  {"--indent", "--password-file"});
    if (!l_tArgs.parse(argc, argv, 0))
        return usageError("fmt", l_tArgs.error());
    if (l_tArgs.operands().empty())
        return usageError("fmt", "no file given");
    const bool l_bCheck = l_tArgs.has("--check");
    const bool l_bInPlace = l_tArgs.has("-i") || l_tArgs.has("--in-place");
    if (l_bCheck && l_bInPlace)
        return usageError("fmt", "--check and --in-place exclude each other");
    const std::string l_strIndent = l_tArgs.value("--indent", "2");
    if (l_strIndent.empty() || l_strIndent.size() > 2 ||
        l_strIndent.find_first_not_of("0123456789") != std::string::npos || std::stoi(l_strIndent) > 16)
        return usageError("fmt", "--indent needs a number from 0 to 16");
    unsigned int l_uiSCBC = SCBC_DEFAULT | SCBC_ONELINE_ARRAY | SCBC_NULL_WORD | SCBC_FINAL_LF;
    if (l_tArgs.has("--multi-line-arrays"))
        l_uiSCBC &= ~SCBC_ONELINE_ARRAY;
    if (l_tArgs.has("--no-null-word"))
        l_uiSCBC &= ~SCBC_NULL_WORD;
    if (l_tArgs.has("--no-final-newline"))
        l_uiSCBC &= ~SCBC_FINAL_LF;
    const unsigned char l_ucSIS = l_tArgs.has("--no-comments") ? SIS_BASIC : SIS_DETAIL;
    std::string l_strPassword, l_strError;
    if (!getPassword(l_tArgs, l_strPassword, l_strError)) {
        complain(l_strError);
        return EXIT_INVALID;
    }

    int l_nStatus = EXIT_OK;
    for (const std::string &l_strPath : l_tArgs.operands()) {
        const std::string l_strName = displayName(l_strPath);
        std::string l_strData;
        if (!readInput(l_strPath, l_strData, l_strError)) {
            reportError(l_strName, l_strError);
            l_nStatus = EXIT_INVALID;
            continue;
        }
        CFields &l_tRoot = documentTree();
        std::vector<tProblem> l_vecProblems;
        if (!loadDocument(l_strData, l_tRoot, l_strPassword, l_vecProblems)) {
            printProblems(l_strPath, l_strData, l_vecProblems);
            l_nStatus = EXIT_INVALID;
            continue;
        }
        if (isBinaryDocument(l_strData) && (l_bInPlace || l_bCheck)) {
            reportError(l_strName, "a binary document is not formatted in place; use 'vexl-tool convert'");
            l_nStatus = EXIT_INVALID;
            continue;
        }
        CSaver4SER_HFW l_tSaver(unsigned(std::stoi(l_strIndent)));
        l_tSaver.setSCBC(l_uiSCBC);
        const std::string l_strText = l_tSaver.saving(l_tRoot, l_ucSIS, "");
        if (l_tSaver.getLastErrCode() != 0) {
            reportError(l_strName, "cannot write the document: " + l_tSaver.getLastErrMsg());
            l_nStatus = EXIT_INVALID;
            continue;
        }
        if (l_bCheck) {
            if (l_strText != l_strData) {
                std::printf("%s: would be reformatted\n", l_strName.c_str());
                l_nStatus = EXIT_INVALID;
            }
            continue;
        }
        const std::string l_strTarget = l_bInPlace ? l_strPath : "-";
        if (l_bInPlace && l_strText == l_strData)
            continue; // nothing to change: the file is not touched
        if (!writeOutput(l_strTarget, l_strText, l_strError)) {
            reportError(displayName(l_strTarget), l_strError);
            l_nStatus = EXIT_INVALID;
        }
    }
    std::fflush(stdout);
    return l_nStatus;
}

} // namespace vexl::tool
