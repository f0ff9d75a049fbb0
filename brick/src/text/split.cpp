#include <cstring>

#include "brick/scanner.h"

namespace brick {

int splitPath(const char *a_cpPath, char *a_cpDir, char *a_cpFile, bool a_bForwardSlashes,
              bool a_bKeepSeparator) {
    if (a_cpDir != nullptr) {
        a_cpDir[0] = '\0';
    }
    if (a_cpFile != nullptr) {
        a_cpFile[0] = '\0';
    }
    if (a_cpPath == nullptr || a_cpDir == nullptr || a_cpPath[0] == '\0') {
        return -1;
    }
    const char *l_cpSep = std::strrchr(a_cpPath, '\\');
    if (l_cpSep == nullptr) {
        l_cpSep = std::strrchr(a_cpPath, '/');
    }
    if (l_cpSep == nullptr) {
        if (a_cpFile != nullptr) {
            std::strcpy(a_cpFile, a_cpPath);
        }
        return -1;
    }
    const std::size_t l_uiSep = static_cast<std::size_t>(l_cpSep - a_cpPath);
    const std::size_t l_uiDir = l_uiSep + (a_bKeepSeparator ? 1 : 0);
    const char l_cSep = a_bForwardSlashes ? '/' : '\\';
    for (std::size_t i = 0; i < l_uiDir; ++i) {
        const char l_c = a_cpPath[i];
        a_cpDir[i] = (l_c == '/' || l_c == '\\') ? l_cSep : l_c;
    }
    a_cpDir[l_uiDir] = '\0';
    if (a_cpFile != nullptr) {
        std::strcpy(a_cpFile, l_cpSep + 1);
    }
    return l_uiSep > 0x7FFFFFFF ? -1 : static_cast<int>(l_uiSep);
}

bool splitFile(const char *a_cpName, char *a_cpBase, char *a_cpExt, unsigned a_uiExtSize) {
    if (a_cpName == nullptr || a_cpBase == nullptr || (a_cpExt != nullptr && a_uiExtSize < 2)) {
        return false;
    }
    a_cpBase[0] = '\0';
    if (a_cpExt != nullptr) {
        a_cpExt[0] = '\0';
    }
    const char *l_cpDot = std::strrchr(a_cpName, '.');
    if (a_cpName[0] == '\0' || l_cpDot == nullptr) {
        return false;
    }
    const std::size_t l_uiBase = static_cast<std::size_t>(l_cpDot - a_cpName);
    std::memcpy(a_cpBase, a_cpName, l_uiBase);
    a_cpBase[l_uiBase] = '\0';
    if (a_cpExt != nullptr) {
        const std::size_t l_uiExt = std::strlen(l_cpDot + 1);
        if (l_uiExt <= a_uiExtSize - 1) {
            std::memcpy(a_cpExt, l_cpDot + 1, l_uiExt + 1);
        }
    }
    return true;
}

} // namespace brick
