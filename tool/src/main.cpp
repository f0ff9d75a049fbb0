// vexl-tool: check, format, convert, pack and unpack documents from the command line.

#include <cstdio>
#include <exception>
#include <string_view>

#include "common.h"
#include "esk_add/esk_add.h"

namespace {

const char *const kHelp = R"(Usage: vexl-tool COMMAND [OPTIONS] [ARGUMENTS]

Work with vexl documents and the fixed-format messages their layouts describe.

Commands:
  check FILE...             report every problem of text or binary documents
  fmt FILE...               rewrite documents in the human-friendly form
  convert IN OUT            convert between text, packet-style text, binary and JSON
  pack LAYOUT [VALUES]      make the message a layout describes
  unpack LAYOUT MESSAGE     read a message into its layout and print the tree
  verify LAYOUT MESSAGE     check a message field by field against its layout
  get DOC PATH              print one value or subtree, e.g. server.hosts[1] or #7

"-" names standard input or output. Passwords of binary documents come from
--password-file FILE or the VEXL_PASSWORD environment variable, never from the
command line. Diagnostics are coloured on a terminal unless NO_COLOR is set.

Exit status: 0 success, 1 invalid input or failed output, 2 usage error.
Run 'vexl-tool COMMAND --help' for the options of a command.
)";

struct tCommand {
    std::string_view strName;
    int (*pRun)(int, char **);
};

constexpr tCommand kCommands[] = {
    {"check", vexl::tool::runCheck}, {"fmt", vexl::tool::runFmt},       {"convert", vexl::tool::runConvert},
    {"pack", vexl::tool::runPack},   {"unpack", vexl::tool::runUnpack}, {"verify", vexl::tool::runVerify},
    {"get", vexl::tool::runGet},
};

} // namespace

int main(int argc, char **argv) {
    using namespace vexl::tool;
    if (argc < 2)
        return usageError("", "missing command");
    const std::string_view l_strCommand = argv[1];
    if (l_strCommand == "--help" || l_strCommand == "-h" || l_strCommand == "help") {
        std::fputs(kHelp, stdout);
        return EXIT_OK;
    }
    // Documents may use the add-on keywords: their hooks must be there before a load.
    if (!esk_link()) {
        complain("cannot register the keyword add-on");
        return EXIT_INVALID;
    }
    for (const tCommand &l_tCommand : kCommands) {
        if (l_tCommand.strName != l_strCommand)
            continue;
        try {
            return l_tCommand.pRun(argc - 2, argv + 2);
        } catch (const std::exception &l_tError) {
            complain(std::string(l_strCommand) + ": " + l_tError.what());
            return EXIT_INVALID;
        }
    }
    return usageError("", "unknown command '" + std::string(l_strCommand) + "'");
}
