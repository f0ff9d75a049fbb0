#include "brick/format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace brick {

int vasprintf(char **a_ppOut, const char *a_cpFormat, va_list a_args) {
    if (a_ppOut == nullptr || a_cpFormat == nullptr) {
        return -1;
    }
    char l_szWork[kMaxFormatted + 1];
    va_list l_args;
    va_copy(l_args, a_args);
    const int l_iLen = std::vsnprintf(l_szWork, sizeof l_szWork, a_cpFormat, l_args);
    va_end(l_args);
    if (l_iLen <= 0) {
        return l_iLen;
    }
    // vsnprintf reports the full length even when it had to cut.
    if (l_iLen > kMaxFormatted) {
        return -1;
    }
    char *l_cpCopy = static_cast<char *>(std::malloc(static_cast<std::size_t>(l_iLen) + 1));
    if (l_cpCopy == nullptr) {
        return -1;
    }
    std::memcpy(l_cpCopy, l_szWork, static_cast<std::size_t>(l_iLen) + 1);
    *a_ppOut = l_cpCopy;
    return l_iLen;
}

int asprintf(char **a_ppOut, const char *a_cpFormat, ...) {
    va_list l_args;
    va_start(l_args, a_cpFormat);
    const int l_iLen = brick::vasprintf(a_ppOut, a_cpFormat, l_args);
    va_end(l_args);
    return l_iLen;
}

void trace(const char *a_cpFormat, ...) {
    if (a_cpFormat == nullptr || std::strlen(a_cpFormat) >= 513) {
        return;
    }
    char l_szWork[1028];
    va_list l_args;
    va_start(l_args, a_cpFormat);
    const int l_iLen = std::vsnprintf(l_szWork, sizeof l_szWork, a_cpFormat, l_args);
    va_end(l_args);
    if (l_iLen <= 0) {
        return;
    }
    const std::size_t l_uiLen =
        l_iLen < static_cast<int>(sizeof l_szWork) ? static_cast<std::size_t>(l_iLen) : sizeof l_szWork - 1;
    std::fwrite(l_szWork, 1, l_uiLen, stderr);
}

} // namespace brick
