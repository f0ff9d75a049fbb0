// The bridge to the JSON library: positions of its errors in the tool's message form.

#include "common.h"

#if VEXL_TOOL_HAS_JSON
#include "vexl/json.h"
#endif

namespace vexl::tool {

#if VEXL_TOOL_HAS_JSON

namespace {

// The member path of a JSON error ahead of its message.
std::string describe(const json::tJsonError &a_tError) {
    std::string l_strOut;
    if (!a_tError.sPath.empty())
        l_strOut += "member '" + a_tError.sPath + "': ";
    l_strOut += a_tError.sMessage;
    // The library names its option; the tool's user knows the command-line one.
    const size_t l_uiOption = l_strOut.find("bDropExtras");
    if (l_uiOption != std::string::npos)
        l_strOut.replace(l_uiOption, 11, "--drop-extras");
    return l_strOut;
}

} // namespace

bool jsonToTree(std::string_view text, CFields &out, std::string &position, std::string &error) {
    json::tJsonError l_tError;
    if (json::fromJSON(text, out, &l_tError))
        return true;
    if (l_tError.uLine != 0)
        position = ":" + std::to_string(l_tError.uLine) + ":" + std::to_string(l_tError.uColumn);
    error = describe(l_tError);
    return false;
}

bool treeToJson(const CFields &tree, std::string &out, bool pretty, bool dropExtras, std::string &error) {
    json::tJsonError l_tError;
    json::tJsonWriteOptions l_tOptions;
    l_tOptions.bPretty = pretty;
    l_tOptions.bDropExtras = dropExtras;
    if (json::toJSON(tree, out, &l_tError, l_tOptions)) {
        if (out.empty() || out.back() != '\n')
            out += '\n';
        return true;
    }
    error = describe(l_tError);
    return false;
}

#else

bool jsonToTree(std::string_view, CFields &, std::string &, std::string &error) {
    error = "this build has no JSON support";
    return false;
}

bool treeToJson(const CFields &, std::string &, bool, bool, std::string &error) {
    error = "this build has no JSON support";
    return false;
}

#endif

} // namespace vexl::tool
