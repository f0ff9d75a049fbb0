#include "semaphore/sem_name.h"

#include <cstdio>
#include <cstring>

namespace sylock_detail {

bool posixSemName(const char *a_cpName, std::string &a_strOut) {
    if (a_cpName == nullptr) {
        return false;
    }
    const char *l_cpBody = a_cpName[0] == '/' ? a_cpName + 1 : a_cpName;
    const std::size_t l_uiLen = std::strlen(l_cpBody);
    if (l_uiLen == 0 || l_uiLen > kMaxSemName || std::strchr(l_cpBody, '/') != nullptr) {
        return false;
    }
    a_strOut.assign(1, '/');
    a_strOut.append(l_cpBody, l_uiLen);
    return true;
}

std::string numberedSemName(int a_iNumber) {
    char l_szName[32];
    std::snprintf(l_szName, sizeof l_szName, "Global\\Sem%d", a_iNumber);
    return l_szName;
}

} // namespace sylock_detail
