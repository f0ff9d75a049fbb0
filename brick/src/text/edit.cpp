#include <cstdint>
#include <cstring>

#include "brick/str_edit.h"
#include "text/char_table.h"

using brick_detail::isDigitByte;
using brick_detail::isWhiteByte;

namespace brick {

int replaceChar(char *a_cpText, char a_cFrom, char a_cTo) {
    if (a_cpText == nullptr || a_cFrom == '\0') {
        return 0;
    }
    int l_iCount = 0;
    for (char *l_p = a_cpText; *l_p != '\0'; ++l_p) {
        if (*l_p == a_cFrom) {
            *l_p = a_cTo;
            ++l_iCount;
        }
    }
    return l_iCount;
}

char *toLowerCase(char *a_cpText) {
    if (a_cpText != nullptr) {
        for (char *l_p = a_cpText; *l_p != '\0'; ++l_p) {
            if (*l_p >= 'A' && *l_p <= 'Z') {
                *l_p = static_cast<char>(*l_p - 'A' + 'a');
            }
        }
    }
    return a_cpText;
}

char *toUpperCase(char *a_cpText) {
    if (a_cpText != nullptr) {
        for (char *l_p = a_cpText; *l_p != '\0'; ++l_p) {
            if (*l_p >= 'a' && *l_p <= 'z') {
                *l_p = static_cast<char>(*l_p - 'a' + 'A');
            }
        }
    }
    return a_cpText;
}

char *trim(char *a_cpText) {
    if (a_cpText == nullptr) {
        return nullptr;
    }
    std::size_t l_uiStart = 0;
    while (isWhiteByte(static_cast<unsigned char>(a_cpText[l_uiStart]))) {
        ++l_uiStart;
    }
    std::size_t l_uiEnd = l_uiStart + std::strlen(a_cpText + l_uiStart);
    while (l_uiEnd > l_uiStart && isWhiteByte(static_cast<unsigned char>(a_cpText[l_uiEnd - 1]))) {
        --l_uiEnd;
    }
    std::memmove(a_cpText, a_cpText + l_uiStart, l_uiEnd - l_uiStart);
    a_cpText[l_uiEnd - l_uiStart] = '\0';
    return a_cpText;
}

int unescapeChar(char *a_cpText) {
    if (a_cpText == nullptr) {
        return -1;
    }
    std::size_t l_uiWrite = 0;
    for (std::size_t l_uiRead = 0; a_cpText[l_uiRead] != '\0'; ++l_uiRead) {
        char l_c = a_cpText[l_uiRead];
        if (l_c == '\\') {
            const char l_cNext = a_cpText[l_uiRead + 1]; // the NUL at worst
            char l_cByte = 0;
            if (l_cNext >= '1' && l_cNext <= '9') {
                l_cByte = static_cast<char>(l_cNext - '0');
            } else if (l_cNext == 't') {
                l_cByte = '\t';
            } else if (l_cNext == 'r') {
                l_cByte = '\r';
            } else if (l_cNext == 'n') {
                l_cByte = '\n';
            }
            if (l_cByte != 0) {
                l_c = l_cByte;
                ++l_uiRead;
            }
        }
        a_cpText[l_uiWrite++] = l_c;
    }
    a_cpText[l_uiWrite] = '\0';
    return l_uiWrite > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(l_uiWrite);
}

int atoiN(const char *a_cpText, unsigned a_uiN) {
    if (a_cpText == nullptr || a_uiN == 0) {
        return 0;
    }
    unsigned i = 0;
    while (i < a_uiN &&
           (a_cpText[i] == ' ' || a_cpText[i] == '\t' || a_cpText[i] == '\r' || a_cpText[i] == '\n')) {
        ++i;
    }
    bool l_bNegative = false;
    if (i < a_uiN && (a_cpText[i] == '+' || a_cpText[i] == '-')) {
        l_bNegative = a_cpText[i] == '-';
        ++i;
    }
    while (i < a_uiN && a_cpText[i] == '0') {
        ++i;
    }
    // Ten digits at most, accumulated modulo 2^32 as the reader always did.
    uint32_t l_uiValue = 0;
    for (int l_iDigits = 0;
         i < a_uiN && l_iDigits < 10 && isDigitByte(static_cast<unsigned char>(a_cpText[i]));
         ++i, ++l_iDigits) {
        l_uiValue = l_uiValue * 10U + static_cast<uint32_t>(a_cpText[i] - '0');
    }
    return static_cast<int>(l_bNegative ? 0U - l_uiValue : l_uiValue);
}

} // namespace brick
