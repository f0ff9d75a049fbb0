// unpack and verify: a received message read into, or checked against, its layout.

#include <cstdio>

#include "common.h"
#include "message.h"

namespace vexl::tool {

namespace {

const char *const kUnpackHelp = R"(Usage: vexl-tool unpack [OPTIONS] LAYOUT MESSAGE

Read MESSAGE (raw bytes, "-" for standard input) into the fields of LAYOUT
and print the tree. A message shorter than the layout needs is reported with
the number of missing bytes; bytes after the last field are a warning.

Options:
  --hex                  MESSAGE is hex digits (white space ignored)
  --json                 print the values as JSON (the packet expressions, IDs
                         and comments of the layout are left out)
  -o, --output FILE      write to FILE (whole or not at all)
  --password-file FILE   password of an encrypted binary layout
  -h, --help             show this help

Exit status: 0 read, 1 invalid layout or message, 2 usage error.
)";

const char *const kVerifyHelp = R"(Usage: vexl-tool verify [OPTIONS] LAYOUT MESSAGE

Check MESSAGE field by field against LAYOUT: fixed values, and the checks of
keyword fields (lengths, checksums, sequence numbers). The first failing
field is named by its member path and the byte position where it starts.

Options:
  --hex                  MESSAGE is hex digits (white space ignored)
  --password-file FILE   password of an encrypted binary layout
  -h, --help             show this help

Exit status: 0 the message passes, 1 it fails or an input is invalid,
2 usage error.
)";

// Reads the layout and the message bytes; false after reporting.
bool readLayoutAndMessage(const CArgs &a_tArgs, CFields &a_tLayout, std::string &a_strMessage) {
    std::string l_strPassword, l_strError;
    if (!getPassword(a_tArgs, l_strPassword, l_strError)) {
        complain(l_strError);
        return false;
    }
    const std::string &l_strMessagePath = a_tArgs.operands()[1];
    if (!readDocument(a_tArgs.operands()[0], l_strPassword, a_tLayout))
        return false;
    if (!readInput(l_strMessagePath, a_strMessage, l_strError)) {
        reportError(displayName(l_strMessagePath), l_strError);
        return false;
    }
    if (a_strMessage.size() > 0x7FFFFFFFu) {
        reportError(displayName(l_strMessagePath), "message too large");
        return false;
    }
    if (a_tArgs.has("--hex")) {
        std::string l_strBytes;
        if (!fromHex(a_strMessage, l_strBytes)) {
            reportError(displayName(l_strMessagePath), "not an even number of hex digits");
            return false;
        }
        a_strMessage.swap(l_strBytes);
    }
    return true;
}

// Walks the leaves in message order, calling `a_fVisit(leaf, path)` until it returns true.
template <class F> bool visitLeaves(CFields &a_tNode, std::string &a_strPath, F &a_fVisit) {
    const bool l_bRecord = a_tNode.getDT() == DT_fields;
    unsigned int l_uiIndex = 0;
    for (CFields &l_tChild : a_tNode) {
        const size_t l_uiMark = a_strPath.size();
        if (l_bRecord && l_tChild.getNameLen() != 0)
            a_strPath +=
                (a_strPath.empty() ? "" : ".") + escapeName(l_tChild.getName(), l_tChild.getNameLen());
        else
            a_strPath += "[" + std::to_string(l_uiIndex) + "]";
        const bool l_bContainer = l_tChild.getDT() == DT_fields || l_tChild.getDT() == DT_array;
        if (l_bContainer ? visitLeaves(l_tChild, a_strPath, a_fVisit) : a_fVisit(l_tChild, a_strPath))
            return true;
        a_strPath.resize(l_uiMark);
        ++l_uiIndex;
    }
    return false;
}

// Reports a parse result below 0 (missing bytes, or a field that does not convert); true when
// the result was 0 or more.
bool reportShortMessage(const CFields &a_tLayout, const std::string &a_strMessage, int a_nLeft,
                        const std::string &a_strName) {
    const unsigned int l_uiSize = unsigned(a_strMessage.size());
    if (a_nLeft >= 0)
        return true;
    if (a_nLeft == -1) {
        // -1 is both "one byte missing" and "a field does not convert": one more byte tells.
        CFields l_tProbe(a_tLayout);
        const std::string l_strLonger = a_strMessage + '\0';
        if (l_tProbe.pkt_Parse4Children(l_strLonger.data(), l_uiSize + 1, false) < 0) {
            reportError(a_strName, "a field of the message does not convert (a length prefix or a number "
                                   "that is not one); 'vexl-tool verify' names it");
            return false;
        }
    }
    reportError(a_strName, "the message ends " + std::to_string(-int64_t(a_nLeft)) + " byte(s) early (" +
                               std::to_string(l_uiSize) + " byte(s), the layout needs " +
                               std::to_string(int64_t(l_uiSize) - a_nLeft) + ")");
    return false;
}

} // namespace

int runUnpack(int argc, char **argv) {
    if (wantsHelp(argc, argv, kUnpackHelp))
        return EXIT_OK;
    CArgs l_tArgs({"--hex", "--json"}, {"-o", "--output", "--password-file"});
    if (!l_tArgs.parse(argc, argv, 0))
        return usageError("unpack", l_tArgs.error());
    if (l_tArgs.operands().size() != 2)
        return usageError("unpack", "needs a layout and a message");
    CFields l_tLayout;
    std::string l_strMessage;
    if (!readLayoutAndMessage(l_tArgs, l_tLayout, l_strMessage))
        return EXIT_INVALID;
    const std::string l_strName = displayName(l_tArgs.operands()[1]);
    const unsigned int l_uiSize = unsigned(l_strMessage.size());
    const int l_nLeft = l_tLayout.pkt_Parse4Children(l_strMessage.data(), l_uiSize, true);
    if (!reportShortMessage(l_tLayout, l_strMessage, l_nLeft, l_strName))
        return EXIT_INVALID;
    if (l_nLeft > 0)
        reportWarning(l_strName, std::to_string(l_nLeft) + " byte(s) after the last field were not read");
    std::string l_strOut, l_strError;
    if (l_tArgs.has("--json")) {
        if (!treeToJson(l_tLayout, l_strOut, true, true, l_strError)) {
            reportError(l_strName, "cannot be written as JSON: " + l_strError);
            return EXIT_INVALID;
        }
    } else {
        l_strOut = toText(l_tLayout);
    }
    const std::string l_strTarget = l_tArgs.value("--output", l_tArgs.value("-o", "-"));
    if (!writeOutput(l_strTarget, l_strOut, l_strError)) {
        reportError(displayName(l_strTarget), l_strError);
        return EXIT_INVALID;
    }
    return EXIT_OK;
}

int runVerify(int argc, char **argv) {
    if (wantsHelp(argc, argv, kVerifyHelp))
        return EXIT_OK;
    CArgs l_tArgs({"--hex"}, {"--password-file"});
    if (!l_tArgs.parse(argc, argv, 0))
        return usageError("verify", l_tArgs.error());
    if (l_tArgs.operands().size() != 2)
        return usageError("verify", "needs a layout and a message");
    CFields l_tLayout;
    std::string l_strMessage;
    if (!readLayoutAndMessage(l_tArgs, l_tLayout, l_strMessage))
        return EXIT_INVALID;
    const std::string l_strName = displayName(l_tArgs.operands()[1]);
    const unsigned int l_uiSize = unsigned(l_strMessage.size());
    // The parse records the lengths of variable fields, so that the walk below finds where each
    // field starts; the check itself runs on the layout as it was loaded.
    CFields l_tMeasured(l_tLayout);
    l_tMeasured.pkt_Parse4Children(l_strMessage.data(), l_uiSize, true);
    const unsigned int l_uiFailed = l_tLayout.pkt_DetailCheck4Children(l_strMessage.data(), l_uiSize);
    if (l_uiFailed == 0) {
        // Every field passed; the message must also hold all of them.
        CFields l_tProbe(l_tLayout);
        const int l_nLeft = l_tProbe.pkt_Parse4Children(l_strMessage.data(), l_uiSize, false);
        if (!reportShortMessage(l_tLayout, l_strMessage, l_nLeft, l_strName))
            return EXIT_INVALID;
        if (l_nLeft > 0)
            reportWarning(l_strName, std::to_string(l_nLeft) + " byte(s) after the last field");
        std::printf("%s: ok\n", l_strName.c_str());
        return EXIT_OK;
    }
    const unsigned int l_uiPosition = l_uiFailed - 1;
    std::string l_strPath, l_strField;
    uint64_t l_uStart = 0;
    auto l_fVisit = [&](CFields &a_tLeaf, const std::string &a_strPath) {
        const uint64_t l_uLength = a_tLeaf.pkt_Len4OneSelf(false).uLength();
        if (l_uStart == l_uiPosition && (l_uLength != 0 || l_strField.empty())) {
            l_strField = "field '" + a_strPath + "' " + expressionText(a_tLeaf);
            if (l_uLength != 0)
                return true;
        }
        l_uStart += l_uLength;
        return l_uStart > l_uiPosition && !l_strField.empty();
    };
    visitLeaves(l_tMeasured, l_strPath, l_fVisit);
    if (l_strField.empty())
        l_strField = "the field";
    reportError(l_strName + ": offset " + std::to_string(l_uiPosition),
                l_strField + " failed the check" +
                    (l_uiPosition >= l_uiSize ? " (the message ends before it)" : ""));
    return EXIT_INVALID;
}

} // namespace vexl::tool
