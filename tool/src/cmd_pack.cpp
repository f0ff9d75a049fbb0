// pack: makes the message a layout describes, refusing values the layout would cut.

#include <cstdio>

#include "common.h"
#include "message.h"

namespace vexl::tool {

namespace {

const char *const kHelp = R"(Usage: vexl-tool pack [OPTIONS] LAYOUT [VALUES]

Make the message that the packet expressions of LAYOUT describe. The values
are those of the layout itself, or, with VALUES (a document or JSON), the
leaves of VALUES set into the layout by member path (e.g. "header.id",
"items[2]"); a path the layout does not have is an error.

A value the message cannot hold as it is (a number with more digits than its
field, a text longer than its fixed field, a length prefix wider than its
field, a negative number in a binary field narrower than 8 bytes, a text that
is not a number in a number field) is refused, naming the member, its
expression, its value and what would be written.

Options:
  --hex                  write a hex dump instead of the raw bytes
  -o, --output FILE      write to FILE (whole or not at all) instead of
                         standard output
  --allow-cut            make the message anyway; cut values are warnings
  --no-keywords          leave keyword fields as they are (no sequence numbers,
                         lengths or checksums filled in)
  --from FORMAT          json or vexl for VALUES; by default json for a VALUES
                         ending in .json
  --password-file FILE   password of encrypted binary documents
  -h, --help             show this help

Keyword fields that draw sequence numbers keep their counters in files in the
current folder, as the keyword add-on always does.

Exit status: 0 message written, 1 invalid input, cut values or failed output,
2 usage error.
)";

// Sets the leaves of `a_tValues` into the layout by path; false after reporting the first
// path the layout does not have.
bool mergeValues(const CFields &a_tValues, CFields &a_tLayout, std::string &a_strPath,
                 const std::string &a_strName) {
    const bool l_bRecord = a_tValues.getDT() == DT_fields;
    const bool l_bArray = a_tValues.getDT() == DT_array;
    if (l_bRecord || l_bArray) {
        unsigned int l_uiIndex = 0;
        for (const CFields &l_tChild : a_tValues) {
            const size_t l_uiMark = a_strPath.size();
            if (l_bRecord && l_tChild.getNameLen() != 0)
                a_strPath +=
                    (a_strPath.empty() ? "" : ".") + escapeName(l_tChild.getName(), l_tChild.getNameLen());
            else
                a_strPath += "[" + std::to_string(l_uiIndex) + "]";
            if (!mergeValues(l_tChild, a_tLayout, a_strPath, a_strName))
                return false;
            a_strPath.resize(l_uiMark);
            ++l_uiIndex;
        }
        return true;
    }
    std::string l_strError;
    const CFields *l_pTarget = a_strPath.empty() ? &a_tLayout : lookupPath(a_tLayout, a_strPath, l_strError);
    if (l_pTarget == nullptr) {
        reportError(a_strName, "not in the layout: " + l_strError);
        return false;
    }
    CFields &l_tTarget = const_cast<CFields &>(*l_pTarget);
    if (l_tTarget.getDT() == DT_fields || l_tTarget.getDT() == DT_array) {
        reportError(a_strName, "member '" + a_strPath + "' is a container in the layout, the value is not");
        return false;
    }
    // Only the actual value changes: the expression, name, ID and a fixed or valid second value
    // of the layout stay.
    const uMultiValue &l_uValue = a_tValues.getValueRef();
    switch (a_tValues.getDT()) {
    case DT_bool:
        l_tTarget.setValue(l_uValue.m_bValue);
        break;
    case DT_sint:
        l_tTarget.setValue(l_uValue.m_llValue);
        break;
    case DT_uint:
        l_tTarget.setValue(l_uValue.m_ullValue);
        break;
    case DT_double:
        l_tTarget.setValue(l_uValue.m_dValue);
        break;
    case DT_codelist: {
        const char *l_cp = nullptr;
        const unsigned int l_uiLen = a_tValues.getCodePoint(&l_cp);
        if (l_uiLen != 0)
            l_tTarget.setValue(l_cp, l_uiLen);
        else
            l_tTarget.setValue(DT_codelist);
        break;
    }
    default:
        l_tTarget.setValue(DT_null);
        break;
    }
    return true;
}

} // namespace

int runPack(int argc, char **argv) {
    if (wantsHelp(argc, argv, kHelp))
        return EXIT_OK;
    CArgs l_tArgs({"--hex", "--allow-cut", "--no-keywords"}, {"-o", "--output", "--from", "--password-file"});
    if (!l_tArgs.parse(argc, argv, 0))
        return usageError("pack", l_tArgs.error());
    const auto &l_vecOps = l_tArgs.operands();
    if (l_vecOps.empty() || l_vecOps.size() > 2)
        return usageError("pack", "needs a layout and at most one values document");
    std::string l_strFrom = l_tArgs.value("--from");
    if (!l_strFrom.empty() && l_strFrom != "json" && l_strFrom != "vexl")
        return usageError("pack", "--from takes json or vexl, not '" + l_strFrom + "'");
    std::string l_strPassword, l_strError;
    if (!getPassword(l_tArgs, l_strPassword, l_strError)) {
        complain(l_strError);
        return EXIT_INVALID;
    }
    const std::string l_strName = displayName(l_vecOps[0]);
    CFields l_tLayout;
    if (!readDocument(l_vecOps[0], l_strPassword, l_tLayout))
        return EXIT_INVALID;
    if (l_vecOps.size() == 2) {
        CFields l_tValues;
        const bool l_bJson = l_strFrom.empty() ? hasJsonExtension(l_vecOps[1]) : l_strFrom == "json";
        if (!readAny(l_vecOps[1], l_bJson, l_strPassword, l_tValues))
            return EXIT_INVALID;
        std::string l_strPath;
        if (!mergeValues(l_tValues, l_tLayout, l_strPath, displayName(l_vecOps[1])))
            return EXIT_INVALID;
    }

    const bool l_bAllowCut = l_tArgs.has("--allow-cut");
    const std::vector<tLossEntry> l_vecCuts = pkt_CheckLossless(l_tLayout);
    for (const tLossEntry &l_tEntry : l_vecCuts) {
        const std::string l_strText = "member '" + l_tEntry.strPath + "' " + l_tEntry.strExpression + " " +
                                      l_tEntry.strValue + " would be written as " +
                                      quoteBytes(l_tEntry.strWritten) + ": " + l_tEntry.strMessage;
        if (l_bAllowCut)
            reportWarning(l_strName, l_strText);
        else
            reportError(l_strName, l_strText);
    }
    if (!l_bAllowCut && !l_vecCuts.empty()) {
        complain("pack: nothing written; --allow-cut makes the message anyway");
        return EXIT_INVALID;
    }

    std::string l_strMessage = l_tLayout.pkt_Make4Children(!l_tArgs.has("--no-keywords"));
    if (l_tArgs.has("--hex"))
        l_strMessage = hexDump(l_strMessage);
    const std::string l_strOut = l_tArgs.value("--output", l_tArgs.value("-o", "-"));
    if (!writeOutput(l_strOut, l_strMessage, l_strError)) {
        reportError(displayName(l_strOut), l_strError);
        return EXIT_INVALID;
    }
    return EXIT_OK;
}

} // namespace vexl::tool
