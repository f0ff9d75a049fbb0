#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>

#include "brick/net_text.h"

namespace brick {

char *IPtoStr(uint32_t a_uiAddress, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return nullptr;
    }
    std::snprintf(a_cpOut, 16, "%u.%u.%u.%u", a_uiAddress >> 24, (a_uiAddress >> 16) & 0xFFU,
                  (a_uiAddress >> 8) & 0xFFU, a_uiAddress & 0xFFU);
    return a_cpOut;
}

uint32_t StrtoIP(const char *a_cpText) {
    if (a_cpText == nullptr) {
        return 0;
    }
    const unsigned char l_c = static_cast<unsigned char>(a_cpText[0]);
    const bool l_bHostName = (l_c >= 'A' && l_c <= 'Z') || (l_c >= 'a' && l_c <= 'z');
    if (!l_bHostName) {
        return inet_addr(a_cpText);
    }
    addrinfo l_hints{};
    l_hints.ai_family = AF_INET;
    addrinfo *l_pResult = nullptr;
    if (getaddrinfo(a_cpText, nullptr, &l_hints, &l_pResult) != 0 || l_pResult == nullptr) {
        return 0;
    }
    // The first address, through its dotted text, as the lookup always did.
    const auto *l_pAddr = reinterpret_cast<const sockaddr_in *>(l_pResult->ai_addr);
    const auto *l_pBytes = reinterpret_cast<const unsigned char *>(&l_pAddr->sin_addr);
    char l_szDotted[16];
    std::snprintf(l_szDotted, sizeof l_szDotted, "%u.%u.%u.%u", l_pBytes[0], l_pBytes[1], l_pBytes[2],
                  l_pBytes[3]);
    freeaddrinfo(l_pResult);
    return inet_addr(l_szDotted);
}

uint32_t IPtoDWORD(const char *a_cpBytes) {
    if (a_cpBytes == nullptr) {
        return 0;
    }
    uint32_t l_uiValue;
    std::memcpy(&l_uiValue, a_cpBytes, sizeof l_uiValue);
    return l_uiValue;
}

uint32_t flipIP(uint32_t a_uiValue) {
    return (a_uiValue >> 24) | ((a_uiValue >> 8) & 0xFF00U) | ((a_uiValue << 8) & 0xFF0000U) |
           (a_uiValue << 24);
}

char *MACtoStr(const unsigned char *a_pBytes, unsigned char a_ucCount, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return nullptr;
    }
    a_cpOut[0] = '\0';
    if (a_pBytes == nullptr || a_ucCount < 1 || a_ucCount > 8) {
        return a_cpOut;
    }
    char *l_p = a_cpOut;
    for (unsigned i = 0; i < a_ucCount; ++i) {
        l_p += std::snprintf(l_p, 4, i == 0 ? "%02X" : ":%02X", a_pBytes[i]);
    }
    return a_cpOut;
}

void StrtoMAC(const char *a_cpText, unsigned char *a_pOut, unsigned char a_ucCount) {
    if (a_pOut == nullptr) {
        return;
    }
    if (a_cpText == nullptr || a_ucCount == 0) {
        std::memset(a_pOut, 0, 6);
        return;
    }
    if (a_ucCount == 6) {
        std::sscanf(a_cpText, "%hhX:%hhX:%hhX:%hhX:%hhX:%hhX", &a_pOut[0], &a_pOut[1], &a_pOut[2], &a_pOut[3],
                    &a_pOut[4], &a_pOut[5]);
    }
}

} // namespace brick
