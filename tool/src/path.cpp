// Path lookups for `get` and for merging values: "server.hosts[1]", "#7", "#7.port".

#include "common.h"

namespace vexl::tool {

namespace {

// The tree's own path lookup when the library has one.
template <class T> const CFields *viaLibrary(const T &a_tRoot, const std::string &a_strPath, bool &a_bHave) {
    if constexpr (requires { a_tRoot.findPath(std::string_view(a_strPath)); }) {
        a_bHave = true;
        return a_tRoot.findPath(std::string_view(a_strPath));
    } else {
        a_bHave = false;
        return nullptr;
    }
}

// Digits of an index or ID; false when there are none or the value is too large.
bool readNumber(const std::string &a_strPath, size_t &a_uiPos, unsigned long long &a_ullOut) {
    const size_t l_uiStart = a_uiPos;
    a_ullOut = 0;
    while (a_uiPos < a_strPath.size() && a_strPath[a_uiPos] >= '0' && a_strPath[a_uiPos] <= '9') {
        a_ullOut = a_ullOut * 10 + unsigned(a_strPath[a_uiPos] - '0');
        if (a_ullOut > 0xFFFFFFFFull)
            return false;
        ++a_uiPos;
    }
    return a_uiPos != l_uiStart;
}

} // namespace

const CFields *lookupPath(const CFields &root, const std::string &path, std::string &error) {
    bool l_bHave = false;
    const CFields *l_pFound = viaLibrary(root, path, l_bHave);
    if (l_bHave && l_pFound != nullptr)
        return l_pFound;
    // The same syntax, for a library without its own lookup; after a failed library lookup it
    // only tells a malformed path (`error` set) from one that names nothing.
    const CFields *l_pNode = &root;
    size_t l_uiPos = 0;
    bool l_bFirst = true;
    while (l_uiPos < path.size()) {
        const char l_c = path[l_uiPos];
        unsigned long long l_ullNumber = 0;
        if (l_c == '[') {
            ++l_uiPos;
            if (!readNumber(path, l_uiPos, l_ullNumber) || l_uiPos >= path.size() || path[l_uiPos] != ']') {
                error = "malformed index at byte " + std::to_string(l_uiPos + 1) + " of the path";
                return nullptr;
            }
            ++l_uiPos;
            if (l_pNode->getDT() != DT_array && l_pNode->getDT() != DT_fields)
                return nullptr;
            if (l_ullNumber >= l_pNode->getChildCount())
                return nullptr;
            l_pNode = &l_pNode->getChildAt(unsigned(l_ullNumber));
        } else if (l_c == '#' && l_bFirst) {
            ++l_uiPos;
            if (!readNumber(path, l_uiPos, l_ullNumber) || l_ullNumber == 0) {
                error = "malformed ID at byte " + std::to_string(l_uiPos + 1) + " of the path";
                return nullptr;
            }
            l_pNode = l_pNode->findID(unsigned(l_ullNumber));
            if (l_pNode == nullptr)
                return nullptr;
        } else {
            if (l_c == '.') {
                if (l_bFirst) {
                    error = "the path starts with '.'";
                    return nullptr;
                }
                ++l_uiPos;
            } else if (!l_bFirst) {
                error = "expected '.' or '[' at byte " + std::to_string(l_uiPos + 1) + " of the path";
                return nullptr;
            }
            const size_t l_uiStart = l_uiPos;
            while (l_uiPos < path.size() && path[l_uiPos] != '.' && path[l_uiPos] != '[')
                ++l_uiPos;
            if (l_uiPos == l_uiStart) {
                error = "empty member name at byte " + std::to_string(l_uiPos + 1) + " of the path";
                return nullptr;
            }
            l_pNode = l_pNode->findChildAt(path.data() + l_uiStart, unsigned(l_uiPos - l_uiStart));
            if (l_pNode == nullptr)
                return nullptr;
        }
        l_bFirst = false;
    }
    return l_bHave ? nullptr : l_pNode;
}

} // namespace vexl::tool
