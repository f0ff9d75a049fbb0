#include "brick/paths.h"

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace brick {

namespace {

inline bool isSep(char a_c) {
    return a_c == '/' || a_c == '\\';
}

/// An absolute path taken apart: its root ("/" or "X:/") and its parts with
/// "." and ".." resolved as text.
struct tSplitPath {
    char szRoot[4] = ""; ///< "/" or "X:/" (a plain array: GCC 12 misreports small string assignments)
    std::vector<std::string_view> parts;
};

/// Splits an absolute path; false when it is not absolute.
bool splitAbsolute(std::string_view a_path, tSplitPath &a_out) {
    std::size_t l_uiPos;
    if (!a_path.empty() && isSep(a_path[0])) {
        a_out.szRoot[0] = '/';
        a_out.szRoot[1] = '\0';
        l_uiPos = 1;
    } else if (a_path.size() >= 3 && a_path[1] == ':' && isSep(a_path[2]) &&
               ((a_path[0] >= 'A' && a_path[0] <= 'Z') || (a_path[0] >= 'a' && a_path[0] <= 'z'))) {
        a_out.szRoot[0] = a_path[0];
        a_out.szRoot[1] = ':';
        a_out.szRoot[2] = '/';
        a_out.szRoot[3] = '\0';
        l_uiPos = 3;
    } else {
        return false;
    }
    a_out.parts.clear();
    while (l_uiPos <= a_path.size()) {
        std::size_t l_uiEnd = l_uiPos;
        while (l_uiEnd < a_path.size() && !isSep(a_path[l_uiEnd])) {
            ++l_uiEnd;
        }
        const std::string_view l_part = a_path.substr(l_uiPos, l_uiEnd - l_uiPos);
        if (l_part == "..") {
            if (!a_out.parts.empty()) {
                a_out.parts.pop_back(); // ".." above the root stays at the root
            }
        } else if (!l_part.empty() && l_part != ".") {
            a_out.parts.push_back(l_part);
        }
        l_uiPos = l_uiEnd + 1;
    }
    return true;
}

std::string joinParts(const tSplitPath &a_split) {
    std::string l_strOut(a_split.szRoot);
    for (std::size_t i = 0; i < a_split.parts.size(); ++i) {
        if (i > 0) {
            l_strOut += '/';
        }
        l_strOut.append(a_split.parts[i]);
    }
    return l_strOut;
}

bool existsAsFile(const char *a_cpName) {
    struct stat l_st;
    return ::stat(a_cpName, &l_st) == 0 && !S_ISDIR(l_st.st_mode);
}

char *putResult(const std::string &a_strResult, char *a_cpOut, int a_iOutSize) {
    if (a_strResult.size() + 1 > static_cast<std::size_t>(a_iOutSize)) {
        return nullptr;
    }
    std::memcpy(a_cpOut, a_strResult.c_str(), a_strResult.size() + 1);
    return a_cpOut;
}

bool sameName(std::string_view a_a, std::string_view a_b, bool a_bIgnoreCase) {
    if (a_a.size() != a_b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a_a.size(); ++i) {
        char l_a = a_a[i], l_b = a_b[i];
        if (a_bIgnoreCase) {
            l_a = (l_a >= 'A' && l_a <= 'Z') ? static_cast<char>(l_a - 'A' + 'a') : l_a;
            l_b = (l_b >= 'A' && l_b <= 'Z') ? static_cast<char>(l_b - 'A' + 'a') : l_b;
        }
        if (l_a != l_b) {
            return false;
        }
    }
    return true;
}

} // namespace

char *extractPath(const char *a_cpPath, char *a_cpOut) {
    if (a_cpPath == nullptr || a_cpPath[0] == '\0' || a_cpOut == nullptr) {
        return nullptr;
    }
    std::size_t l_uiKeep = 0;
    for (std::size_t i = 0; a_cpPath[i] != '\0'; ++i) {
        if (isSep(a_cpPath[i])) {
            l_uiKeep = i + 1;
        }
    }
    std::memcpy(a_cpOut, a_cpPath, l_uiKeep);
    a_cpOut[l_uiKeep] = '\0';
    return a_cpOut;
}

bool extractExtension(const char *a_cpName, char *a_cpOut, int a_iOutSize) {
    if (a_cpName == nullptr || a_cpOut == nullptr || a_iOutSize < 2 || a_cpName[0] == '\0') {
        return false;
    }
    const char *l_cpDot = std::strrchr(a_cpName, '.');
    if (l_cpDot == nullptr || l_cpDot[1] == '\0') {
        return false;
    }
    const std::size_t l_uiLen = std::strlen(l_cpDot + 1);
    if (l_uiLen > static_cast<std::size_t>(a_iOutSize - 1)) {
        return false;
    }
    std::memcpy(a_cpOut, l_cpDot + 1, l_uiLen + 1);
    return true;
}

bool isExistFile(const char *a_cpName) {
    if (a_cpName == nullptr || a_cpName[0] == '\0') {
        return false;
    }
    if (std::strpbrk(a_cpName, "*?") == nullptr) {
        return existsAsFile(a_cpName);
    }
    glob_t l_glob{};
    bool l_bFound = false;
    if (glob(a_cpName, 0, nullptr, &l_glob) == 0 && l_glob.gl_pathc > 0) {
        l_bFound = existsAsFile(l_glob.gl_pathv[0]);
    }
    globfree(&l_glob);
    return l_bFound;
}

char *rel2abs(const char *a_cpPath, char *a_cpOut, int a_iOutSize, bool a_bForwardSlashes,
              bool a_bTrailingSeparator) {
    if (a_cpPath == nullptr || a_cpOut == nullptr || a_iOutSize <= 0) {
        return nullptr;
    }
    std::string l_strFull;
    tSplitPath l_split;
    if (!splitAbsolute(a_cpPath, l_split)) {
        char l_szCwd[4096];
        if (getcwd(l_szCwd, sizeof l_szCwd) == nullptr) {
            return nullptr;
        }
        l_strFull = l_szCwd;
        l_strFull += '/';
        l_strFull += a_cpPath;
        if (!splitAbsolute(l_strFull, l_split)) {
            return nullptr;
        }
    }
    std::string l_strResult = joinParts(l_split);
    const std::size_t l_uiLen = std::strlen(a_cpPath);
    const bool l_bEndsInSep = l_uiLen > 0 && isSep(a_cpPath[l_uiLen - 1]);
    if (!l_split.parts.empty() &&
        (l_bEndsInSep || (a_bTrailingSeparator && !existsAsFile(l_strResult.c_str())))) {
        l_strResult += '/';
    }
    if (!a_bForwardSlashes) {
        for (char &l_c : l_strResult) {
            l_c = l_c == '/' ? '\\' : l_c;
        }
    }
    return putResult(l_strResult, a_cpOut, a_iOutSize);
}

char *dir_rel2abs(const char *a_cpPath, char *a_cpOut, int a_iOutSize) {
    if (rel2abs(a_cpPath, a_cpOut, a_iOutSize, true, true) == nullptr) {
        return nullptr;
    }
    return ::chdir(a_cpOut) == 0 ? a_cpOut : nullptr;
}

char *abs2rel(const char *a_cpPath, const char *a_cpBase, char *a_cpOut, int a_iOutSize) {
    if (a_cpPath == nullptr || a_cpBase == nullptr || a_cpOut == nullptr || a_iOutSize <= 0 ||
        strnlen(a_cpPath, kMaxPathChars + 1) > kMaxPathChars ||
        strnlen(a_cpBase, kMaxPathChars + 1) > kMaxPathChars) {
        return nullptr;
    }
    tSplitPath l_path, l_base;
    if (!splitAbsolute(a_cpPath, l_path) || !splitAbsolute(a_cpBase, l_base)) {
        return nullptr;
    }
    const bool l_bDrive = l_path.szRoot[1] != '\0';
    if (!sameName(l_path.szRoot, l_base.szRoot, true)) {
        return nullptr;
    }
    std::size_t l_uiCommon = 0;
    while (l_uiCommon < l_path.parts.size() && l_uiCommon < l_base.parts.size() &&
           sameName(l_path.parts[l_uiCommon], l_base.parts[l_uiCommon], l_bDrive)) {
        ++l_uiCommon;
    }
    std::string l_strResult;
    if (l_uiCommon == l_base.parts.size()) {
        l_strResult = "./";
    } else {
        for (std::size_t i = l_uiCommon; i < l_base.parts.size(); ++i) {
            l_strResult += "../";
        }
    }
    for (std::size_t i = l_uiCommon; i < l_path.parts.size(); ++i) {
        l_strResult.append(l_path.parts[i]);
        if (i + 1 < l_path.parts.size()) {
            l_strResult += '/';
        }
    }
    return putResult(l_strResult, a_cpOut, a_iOutSize);
}

} // namespace brick
