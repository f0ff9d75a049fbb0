// convert: between the human-friendly text, the packet-style text, binary documents and JSON.

#include "common.h"

namespace vexl::tool {

namespace {

const char *const kHelp = R"(Usage: vexl-tool convert [OPTIONS] IN OUT

Convert a document. IN is a text or binary document (recognised by its first
bytes) or JSON; OUT is written whole or not at all ("-" for standard output).

Options:
  --to FORMAT            text, packet-text, binary or json; by default from the
                         extension of OUT (.json json, .vexb binary, .pkt
                         packet-text, anything else text)
  --from FORMAT          json or vexl; by default json for IN ending in .json
  --compact              one-line JSON instead of indented
  --drop-extras          leave out of JSON what it cannot hold (IDs, comments,
                         packet expressions, fixed values); without it they
                         are an error naming the member
  --password-file FILE   password to read an encrypted IN and to encrypt a
                         binary OUT (first line of FILE; otherwise the
                         VEXL_PASSWORD environment variable; none: not encrypted)
  -h, --help             show this help

Exit status: 0 converted, 1 invalid input or failed output, 2 usage error.
)";

bool endsWith(const std::string &a_str, std::string_view a_strEnd) {
    return a_str.size() > a_strEnd.size() &&
           a_str.compare(a_str.size() - a_strEnd.size(), a_strEnd.size(), a_strEnd) == 0;
}

} // namespace

int runConvert(int argc, char **argv) {
    if (wantsHelp(argc, argv, kHelp))
        return EXIT_OK;
    CArgs l_tArgs({"--compact", "--drop-extras"}, {"--to", "--from", "--password-file"});
    if (!l_tArgs.parse(argc, argv, 0))
        return usageError("convert", l_tArgs.error());
    if (l_tArgs.operands().size() != 2)
        return usageError("convert", "needs exactly an input and an output");
    const std::string &l_strIn = l_tArgs.operands()[0];
    const std::string &l_strOut = l_tArgs.operands()[1];
    std::string l_strTo = l_tArgs.value("--to");
    if (l_strTo.empty())
        l_strTo = hasJsonExtension(l_strOut)    ? "json"
                  : endsWith(l_strOut, ".vexb") ? "binary"
                  : endsWith(l_strOut, ".pkt")  ? "packet-text"
                                                : "text";
    if (l_strTo != "text" && l_strTo != "packet-text" && l_strTo != "binary" && l_strTo != "json")
        return usageError("convert", "--to takes text, packet-text, binary or json, not '" + l_strTo + "'");
    std::string l_strFrom = l_tArgs.value("--from", hasJsonExtension(l_strIn) ? "json" : "vexl");
    if (l_strFrom != "json" && l_strFrom != "vexl")
        return usageError("convert", "--from takes json or vexl, not '" + l_strFrom + "'");
    std::string l_strPassword, l_strError;
    if (!getPassword(l_tArgs, l_strPassword, l_strError)) {
        complain(l_strError);
        return EXIT_INVALID;
    }

    CFields &l_tRoot = documentTree();
    if (!readAny(l_strIn, l_strFrom == "json", l_strPassword, l_tRoot))
        return EXIT_INVALID;

    std::string l_strResult;
    if (l_strTo == "json") {
        if (!treeToJson(l_tRoot, l_strResult, !l_tArgs.has("--compact"), l_tArgs.has("--drop-extras"),
                        l_strError)) {
            reportError(displayName(l_strIn), "cannot be written as JSON: " + l_strError);
            return EXIT_INVALID;
        }
    } else if (l_strTo == "text") {
        l_strResult = toText(l_tRoot);
    } else {
        CSavers l_tSavers(SCBC_DEFAULT | SCBC_NULL_WORD | SCBC_FINAL_LF);
        l_strResult = l_tSavers.saving(l_tRoot, l_strTo == "binary" ? BER_BASIC : SER_PKT,
                                       l_strTo == "binary" ? SIS_DETAIL : SIS_BASIC, l_strPassword.c_str());
        if (l_tSavers.getLastErrCode() != 0 || (l_strTo == "binary" && l_strResult.empty())) {
            reportError(displayName(l_strIn),
                        "cannot be written as " + l_strTo + ": " + l_tSavers.getLastErrMsg());
            return EXIT_INVALID;
        }
        if (l_strTo == "packet-text" && (l_strResult.empty() || l_strResult.back() != '\n'))
            l_strResult += '\n';
    }
    if (!writeOutput(l_strOut, l_strResult, l_strError)) {
        reportError(displayName(l_strOut), l_strError);
        return EXIT_INVALID;
    }
    return EXIT_OK;
}

} // namespace vexl::tool
