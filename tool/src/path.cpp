// Path lookups for `get` and for merging values: "server.hosts[1]", "#7", "#7.port", with the
// syntax of the tree's own path lookup.

#include <exception>

#include "common.h"

namespace vexl::tool {

const CFields *lookupPath(const CFields &root, const std::string &path, std::string &error) {
    try {
        return &root.at(path);
    } catch (const std::exception &l_tError) {
        error = l_tError.what();
        return nullptr;
    }
}

std::string escapeName(const char *name, unsigned int length) {
    std::string l_strOut;
    for (unsigned int i = 0; i < length; ++i) {
        const char l_c = name[i];
        if (l_c == '.' || l_c == '[' || l_c == ']' || l_c == '#' || l_c == '\\')
            l_strOut += '\\';
        l_strOut += l_c;
    }
    return l_strOut;
}

} // namespace vexl::tool
