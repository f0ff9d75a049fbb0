// Loading documents (text or binary) and turning the loaders' errors into problems with
// positions.

#include <exception>

#include "common.h"

namespace vexl::tool {

namespace {

// A loader message as a user reads it: without the "[function#line] " origin, and with the
// password cases said plainly.
std::string plainMessage(std::string a_strMessage) {
    if (!a_strMessage.empty() && a_strMessage[0] == '[') {
        const size_t l_uiEnd = a_strMessage.find("] ");
        if (l_uiEnd != std::string::npos)
            a_strMessage.erase(0, l_uiEnd + 2);
    }
    if (a_strMessage == "Input the password")
        return "the document is encrypted: give its password with --password-file or VEXL_PASSWORD";
    if (a_strMessage == "Mismatched password")
        return "wrong password";
    return a_strMessage;
}

// The tree of `documentTree`: a plain pointer, so that nothing destroys it at exit (and leak
// checkers still see it reachable).
CFields *g_pDocumentTree = nullptr;

} // namespace

CFields &documentTree() {
    delete g_pDocumentTree;
    g_pDocumentTree = nullptr;
    g_pDocumentTree = new CFields;
    return *g_pDocumentTree;
}

bool isBinaryDocument(std::string_view data) {
    return data.size() >= 4 && data.substr(0, 4) == "VEXF";
}

bool loadDocument(std::string_view data, CFields &root, const std::string &password,
                  std::vector<tProblem> &problems) {
    problems.clear();
    const bool l_bBinary = isBinaryDocument(data);
    if (data.empty()) {
        problems.push_back({true, 0, "empty document"});
        return false;
    }
    CLoaders l_tLoaders(LCBC_DEFAULT);
    bool l_bLoaded = false;
    try {
        l_bLoaded = l_tLoaders.loadit(data.data(), unsigned(data.size()), root, password.c_str(), true);
    } catch (const std::exception &l_tError) {
        // The only throw of a load: nesting deeper than the loader's limit.
        std::string l_strWhat = l_tError.what();
        if (l_strWhat.find("StackDepthLimit") != std::string::npos)
            l_strWhat = "values nested deeper than 1000 levels";
        problems.push_back({!l_bBinary, 0, l_strWhat});
        return false;
    }
    const ILoaderCommon &l_tInner = l_bBinary ? static_cast<const ILoaderCommon &>(l_tLoaders.getBERLoader())
                                              : static_cast<const ILoaderCommon &>(l_tLoaders.getSERLoader());
    for (const tErrorRange &l_tRange : l_tInner.getLoadErrors())
        problems.push_back({!l_bBinary, l_tRange.uiBegin, plainMessage(l_tRange.strMessage)});
    if (l_bLoaded && problems.empty())
        return true;
    if (problems.empty()) {
        // Refused before any reading (a binary header that is cut short, a wrong password).
        std::string l_strMessage = l_tLoaders.getLastErrMsg();
        while (!l_strMessage.empty() && (l_strMessage.back() == '\n' || l_strMessage.back() == ' '))
            l_strMessage.pop_back();
        if (l_strMessage.empty())
            l_strMessage = "the document could not be loaded";
        problems.push_back({!l_bBinary, 0, plainMessage(l_strMessage)});
    }
    return false;
}

bool readDocument(const std::string &path, const std::string &password, CFields &root) {
    std::string l_strData, l_strError;
    if (!readInput(path, l_strData, l_strError)) {
        reportError(displayName(path), l_strError);
        return false;
    }
    std::vector<tProblem> l_vecProblems;
    if (loadDocument(l_strData, root, password, l_vecProblems))
        return true;
    printProblems(path, l_strData, l_vecProblems);
    return false;
}

bool readAny(const std::string &path, bool json, const std::string &password, CFields &root) {
    if (!json)
        return readDocument(path, password, root);
    std::string l_strData, l_strError;
    if (!readInput(path, l_strData, l_strError)) {
        reportError(displayName(path), l_strError);
        return false;
    }
    std::string l_strPosition;
    if (!jsonToTree(l_strData, root, l_strPosition, l_strError)) {
        reportError(displayName(path) + l_strPosition, l_strError);
        return false;
    }
    return true;
}

std::string toText(const CFields &tree) {
    CSaver4SER_HFW l_tSaver(2);
    l_tSaver.setSCBC(SCBC_DEFAULT | SCBC_FINAL_LF | SCBC_NULL_WORD | SCBC_ONELINE_ARRAY);
    return l_tSaver.saving(tree, SIS_DETAIL, "");
}

} // namespace vexl::tool
