#include "brick/str_search.h"

#include <cstring>

namespace brick {

namespace {

int clampLength(std::size_t a_uiLen) {
    return a_uiLen > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(a_uiLen);
}

} // namespace

int findchar(const char *a_cpText, int a_iLength, int a_iStart, char a_c) {
    if (a_cpText == nullptr || a_iLength <= 0 || a_iStart < 0 || a_iStart >= a_iLength) {
        return -1;
    }
    const void *l_p = std::memchr(a_cpText + a_iStart, a_c, static_cast<std::size_t>(a_iLength - a_iStart));
    return l_p == nullptr ? -1 : static_cast<int>(static_cast<const char *>(l_p) - a_cpText);
}

int instr_charA(int a_iStart, const char *a_cpText, char a_c) {
    return a_cpText == nullptr ? -1 : findchar(a_cpText, clampLength(std::strlen(a_cpText)), a_iStart, a_c);
}

int instrA(int a_iStart, const char *a_cpText, const char *a_cpNeedle) {
    return a_cpText == nullptr ? -1
                               : instrB(a_iStart, a_cpText, clampLength(std::strlen(a_cpText)), a_cpNeedle);
}

int instrB(int a_iStart, const char *a_cpData, int a_iDataLen, const char *a_cpNeedle) {
    return a_cpNeedle == nullptr
               ? -1
               : instrBB(a_iStart, a_cpData, a_iDataLen, a_cpNeedle, clampLength(std::strlen(a_cpNeedle)));
}

int instrBB(int a_iStart, const char *a_cpData, int a_iDataLen, const char *a_cpNeedle, int a_iNeedleLen) {
    if (a_cpData == nullptr || a_cpNeedle == nullptr || a_iDataLen <= 0 || a_iNeedleLen <= 0 ||
        a_iStart < 0 || a_iStart >= a_iDataLen || a_iNeedleLen > a_iDataLen - a_iStart) {
        return -1;
    }
    // memmem tries every start position in order, so a partial match that
    // overlaps the real one never hides it.
    const void *l_p = memmem(a_cpData + a_iStart, static_cast<std::size_t>(a_iDataLen - a_iStart), a_cpNeedle,
                             static_cast<std::size_t>(a_iNeedleLen));
    return l_p == nullptr ? -1 : static_cast<int>(static_cast<const char *>(l_p) - a_cpData);
}

int findstring(const char *a_cpData, int a_iDataLen, int a_iStart, const char *a_cpNeedle, int a_iNeedleLen) {
    return instrBB(a_iStart, a_cpData, a_iDataLen, a_cpNeedle, a_iNeedleLen);
}

int findnextA(int a_iStart, const char *a_cpText, const char *a_cpNeedle) {
    const int l_iPos = instrA(a_iStart, a_cpText, a_cpNeedle);
    return l_iPos < 0 ? -1 : l_iPos + static_cast<int>(std::strlen(a_cpNeedle));
}

int findnextB(int a_iStart, const char *a_cpData, int a_iDataLen, const char *a_cpNeedle) {
    const int l_iPos = instrB(a_iStart, a_cpData, a_iDataLen, a_cpNeedle);
    return l_iPos < 0 ? -1 : l_iPos + static_cast<int>(std::strlen(a_cpNeedle));
}

int countChar(const char *a_cpText, char a_c) {
    if (a_cpText == nullptr || a_c == '\0') {
        return 0;
    }
    int l_iCount = 0;
    for (; *a_cpText != '\0'; ++a_cpText) {
        l_iCount += *a_cpText == a_c ? 1 : 0;
    }
    return l_iCount;
}

int getcharcount(const char *a_cpData, int a_iStart, int a_iEnd, char a_c) {
    if (a_cpData == nullptr || a_iStart < 0 || a_iEnd <= 0 || a_iEnd < a_iStart) {
        return 0;
    }
    int l_iCount = 0;
    for (int i = a_iStart; i < a_iEnd && l_iCount < 255; ++i) {
        l_iCount += a_cpData[i] == a_c ? 1 : 0;
    }
    return l_iCount;
}

int countPos(const char *a_cpText, char a_c, int a_iN, char *a_cpOut) {
    if (a_cpOut != nullptr) {
        a_cpOut[0] = '\0';
    }
    if (a_cpText == nullptr || a_cpOut == nullptr || a_c == '\0' || a_iN < 0) {
        return -1;
    }
    const char *l_cpField = a_cpText;
    for (int i = 0; i < a_iN; ++i) {
        l_cpField = std::strchr(l_cpField, a_c);
        if (l_cpField == nullptr) {
            return -1;
        }
        ++l_cpField;
    }
    const char *l_cpEnd = std::strchr(l_cpField, a_c);
    const std::size_t l_uiLen =
        l_cpEnd != nullptr ? static_cast<std::size_t>(l_cpEnd - l_cpField) : std::strlen(l_cpField);
    std::memcpy(a_cpOut, l_cpField, l_uiLen);
    a_cpOut[l_uiLen] = '\0';
    return static_cast<int>(l_cpField - a_cpText);
}

bool ms_isApplicable(const char *a_cpPattern, const char *a_cpText) {
    if (a_cpPattern == nullptr || a_cpText == nullptr) {
        return false;
    }
    // Greedy matcher with one backtrack point: the last '*' seen and the text
    // position it currently stands for.  Linear in practice, never recursive.
    const char *l_cpStar = nullptr;
    const char *l_cpResume = nullptr;
    const char *l_p = a_cpPattern;
    const char *l_t = a_cpText;
    while (*l_t != '\0') {
        if (*l_p == '*') {
            l_cpStar = l_p++;
            l_cpResume = l_t;
        } else if (*l_p != '\0' && (*l_p == '?' || *l_p == *l_t)) {
            ++l_p;
            ++l_t;
        } else if (l_cpStar != nullptr) {
            l_p = l_cpStar + 1;
            l_t = ++l_cpResume;
        } else {
            return false;
        }
    }
    while (*l_p == '*') {
        ++l_p;
    }
    return *l_p == '\0';
}

bool ms_isAppearAll(const char *a_cpPattern, int a_iLength) {
    if (a_cpPattern == nullptr || a_iLength <= 0) {
        return false;
    }
    for (int i = 0; i < a_iLength; ++i) {
        if (a_cpPattern[i] != '*') {
            return false;
        }
    }
    return true;
}

} // namespace brick
