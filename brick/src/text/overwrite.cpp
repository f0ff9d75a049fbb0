#include <cstdio>
#include <cstring>

#include "brick/scanner.h"

namespace brick {

char *adjustText(char *a_cpOut, uint32_t a_uiSize, const char *a_cpText, const char *a_cpEnding) {
    if (a_cpOut == nullptr || a_uiSize == 0 || a_cpText == nullptr) {
        return nullptr;
    }
    const std::size_t l_uiLen = std::strlen(a_cpText);
    if (l_uiLen < a_uiSize) {
        std::memcpy(a_cpOut, a_cpText, l_uiLen + 1);
        return a_cpOut;
    }
    const std::size_t l_uiEnding = a_cpEnding != nullptr ? std::strlen(a_cpEnding) : 0;
    if (l_uiEnding > 0 && l_uiEnding < a_uiSize) {
        const std::size_t l_uiKeep = a_uiSize - l_uiEnding - 1;
        std::memcpy(a_cpOut, a_cpText, l_uiKeep);
        std::memcpy(a_cpOut + l_uiKeep, a_cpEnding, l_uiEnding + 1);
        return a_cpOut;
    }
    std::memcpy(a_cpOut, a_cpText, a_uiSize - 1);
    a_cpOut[a_uiSize - 1] = '\0';
    return a_cpOut;
}

bool OverwriteTxt(char *a_cpOut, uint32_t a_uiOutSize, uint32_t a_uiPosition, const char *a_cpText,
                  uint32_t a_uiWidth, bool a_bTerminate, bool a_bLeftAlign, char a_cFill) {
    if (a_cpOut == nullptr || a_cpText == nullptr || a_uiPosition >= a_uiOutSize) {
        return false;
    }
    if (a_uiWidth == 0) {
        return true;
    }
    const uint32_t l_uiLimit = a_bTerminate ? a_uiOutSize - 1 : a_uiOutSize;
    if (a_uiPosition >= l_uiLimit) {
        return false;
    }
    if (a_cpText[0] == '\0') {
        return true;
    }
    // Compared by subtraction, so a huge width cannot wrap past the limit.
    if (a_uiWidth > l_uiLimit - a_uiPosition) {
        a_uiWidth = l_uiLimit - a_uiPosition;
    }
    const std::size_t l_uiLen = strnlen(a_cpText, a_uiWidth);
    const uint32_t l_uiCopy = static_cast<uint32_t>(l_uiLen);
    const uint32_t l_uiPad = a_uiWidth - l_uiCopy;
    char *l_p = a_cpOut + a_uiPosition;
    if (a_bLeftAlign) {
        std::memcpy(l_p, a_cpText, l_uiCopy);
        std::memset(l_p + l_uiCopy, static_cast<unsigned char>(a_cFill), l_uiPad);
    } else {
        std::memset(l_p, static_cast<unsigned char>(a_cFill), l_uiPad);
        std::memcpy(l_p + l_uiPad, a_cpText, l_uiCopy);
    }
    if (a_bTerminate) {
        l_p[a_uiWidth] = '\0';
    }
    return true;
}

bool OverwriteInt(char *a_cpOut, uint32_t a_uiOutSize, uint32_t a_uiPosition, int a_iValue,
                  uint32_t a_uiWidth, bool a_bTerminate, bool a_bLeftAlign, char a_cFill) {
    char l_szValue[16];
    std::snprintf(l_szValue, sizeof l_szValue, "%d", a_iValue);
    return OverwriteTxt(a_cpOut, a_uiOutSize, a_uiPosition, l_szValue, a_uiWidth, a_bTerminate, a_bLeftAlign,
                        a_cFill);
}

} // namespace brick
