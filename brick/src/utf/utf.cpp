#include "brick/utf.h"

#include <cstdlib>
#include <cstring>

namespace brick {

namespace {

/// Writes the UTF-8 form of one unit; returns the byte count.
inline int encodeUnit(char16_t a_uUnit, char *a_cpOut) {
    const unsigned l_u = a_uUnit;
    if (l_u < 0x80) {
        a_cpOut[0] = static_cast<char>(l_u);
        return 1;
    }
    if (l_u < 0x800) {
        a_cpOut[0] = static_cast<char>(0xC0 | (l_u >> 6));
        a_cpOut[1] = static_cast<char>(0x80 | (l_u & 0x3F));
        return 2;
    }
    a_cpOut[0] = static_cast<char>(0xE0 | (l_u >> 12));
    a_cpOut[1] = static_cast<char>(0x80 | ((l_u >> 6) & 0x3F));
    a_cpOut[2] = static_cast<char>(0x80 | (l_u & 0x3F));
    return 3;
}

std::size_t unitCount(const char16_t *a_pUnits) {
    std::size_t l_uiCount = 0;
    while (a_pUnits[l_uiCount] != 0) {
        ++l_uiCount;
    }
    return l_uiCount;
}

char16_t threeByteUnit(unsigned a_uiLead, unsigned a_ui1, unsigned a_ui2) {
    return static_cast<char16_t>(((a_uiLead << 12) | ((a_ui1 & 0x3F) << 6) | (a_ui2 & 0x3F)) & 0xFFFF);
}

char16_t twoByteUnit(unsigned a_uiLead, unsigned a_ui1) {
    return static_cast<char16_t>(((a_uiLead & 0x1F) << 6) | (a_ui1 & 0x3F));
}

} // namespace

char *UCtoUTF8C(char16_t a_uUnit, char *a_cpOut) {
    if (a_cpOut == nullptr) {
        return nullptr;
    }
    a_cpOut[encodeUnit(a_uUnit, a_cpOut)] = '\0';
    return a_cpOut;
}

char *WSTRtoUTF8(const char16_t *a_pUnits) {
    if (a_pUnits == nullptr || a_pUnits[0] == 0) {
        return nullptr;
    }
    const std::size_t l_uiCount = unitCount(a_pUnits);
    char *l_cpOut = static_cast<char *>(std::malloc(l_uiCount * 6 + 2));
    if (l_cpOut != nullptr) {
        FB_WSTRtoUTF8(a_pUnits, l_cpOut);
    }
    return l_cpOut;
}

char16_t *UTF8toWSTR(const char *a_cpText) {
    if (a_cpText == nullptr) {
        return nullptr;
    }
    const std::size_t l_uiLen = std::strlen(a_cpText);
    auto *l_pOut = static_cast<char16_t *>(std::malloc(l_uiLen * 2 + 2));
    if (l_pOut == nullptr) {
        return nullptr;
    }
    const auto *l_p = reinterpret_cast<const unsigned char *>(a_cpText);
    std::size_t l_uiOut = 0;
    while (*l_p != 0) {
        const unsigned l_uiLead = *l_p;
        if (l_uiLead >= 0xE0) {
            // Each continuation byte is looked at only if the one before it
            // was not the terminator.
            if (l_p[1] == 0 || l_p[2] == 0) {
                break;
            }
            l_pOut[l_uiOut++] = threeByteUnit(l_uiLead, l_p[1], l_p[2]);
            l_p += 3;
        } else if (l_uiLead >= 0xC0) {
            if (l_p[1] == 0) {
                break;
            }
            l_pOut[l_uiOut++] = twoByteUnit(l_uiLead, l_p[1]);
            l_p += 2;
        } else {
            l_pOut[l_uiOut++] = static_cast<char16_t>(l_uiLead & 0x7F);
            ++l_p;
        }
    }
    l_pOut[l_uiOut] = 0;
    return l_pOut;
}

int FB_WSTRtoUTF8(const char16_t *a_pUnits, int a_iCount, char *a_cpOut) {
    if (a_pUnits == nullptr || a_cpOut == nullptr || a_iCount <= 0) {
        return 0;
    }
    char *l_p = a_cpOut;
    for (int i = 0; i < a_iCount; ++i) {
        l_p += encodeUnit(a_pUnits[i], l_p);
    }
    *l_p = '\0';
    return a_iCount;
}

int FB_WSTRtoUTF8(const char16_t *a_pUnits, char *a_cpOut) {
    if (a_pUnits == nullptr || a_cpOut == nullptr) {
        return 0;
    }
    a_cpOut[0] = '\0';
    const std::size_t l_uiCount = unitCount(a_pUnits);
    return l_uiCount == 0 ? 0 : FB_WSTRtoUTF8(a_pUnits, static_cast<int>(l_uiCount), a_cpOut);
}

int FB_UTF8toWSTR(const unsigned char *a_pBytes, int a_iLength, char16_t *a_pOut) {
    if (a_pBytes == nullptr || a_pOut == nullptr || a_iLength <= 0) {
        return 0;
    }
    int i = 0;
    while (i < a_iLength) {
        const unsigned l_uiLead = a_pBytes[i];
        if (l_uiLead < 0x80) {
            *a_pOut++ = static_cast<char16_t>(l_uiLead);
            i += 1;
        } else if (l_uiLead < 0xE0) {
            if (a_iLength - i < 2) {
                break;
            }
            *a_pOut++ = twoByteUnit(l_uiLead, a_pBytes[i + 1]);
            i += 2;
        } else {
            if (a_iLength - i < 3) {
                break;
            }
            *a_pOut++ = threeByteUnit(l_uiLead, a_pBytes[i + 1], a_pBytes[i + 2]);
            i += 3;
        }
    }
    return i;
}

} // namespace brick
