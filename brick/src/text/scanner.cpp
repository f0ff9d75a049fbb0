#include "brick/scanner.h"

#include <cstring>

#include "text/char_table.h"

using brick_detail::inSet;
using brick_detail::isSpaceByte;
using brick_detail::isSpecialByte;
using brick_detail::isWhiteByte;

namespace brick {

namespace {

inline unsigned char byteAt(const char *a_cp, std::size_t a_ui) {
    return static_cast<unsigned char>(a_cp[a_ui]);
}

} // namespace

// MARK: - Forward scanners

uint32_t findtoken(const char *a_cpData, uint32_t a_uiDataLen, uint32_t a_uiStart, const char *a_cpWord) {
    if (a_cpData == nullptr || a_cpWord == nullptr || a_cpWord[0] == '\0' || a_uiStart >= a_uiDataLen) {
        return a_uiDataLen;
    }
    const std::size_t l_uiWord = std::strlen(a_cpWord);
    if (l_uiWord > a_uiDataLen - a_uiStart) {
        return a_uiDataLen;
    }
    for (uint32_t l_uiPos = a_uiStart; l_uiWord <= a_uiDataLen - l_uiPos; ++l_uiPos) {
        std::size_t i = 0;
        while (i < l_uiWord && byteAt(a_cpData, l_uiPos + i) == byteAt(a_cpWord, i) &&
               !isSpaceByte(byteAt(a_cpData, l_uiPos + i))) {
            ++i;
        }
        if (i == l_uiWord) {
            const std::size_t l_uiAfter = l_uiPos + l_uiWord;
            if (l_uiAfter == a_uiDataLen || isSpaceByte(byteAt(a_cpData, l_uiAfter))) {
                return l_uiPos;
            }
        }
    }
    return a_uiDataLen;
}

uint32_t nexttoken(const char *a_cpData, uint32_t a_uiEnd, uint32_t a_uiStart, char *a_cpOut,
                   const char *a_cpDelims, bool a_bSpecial) {
    if (a_cpOut != nullptr) {
        a_cpOut[0] = '\0';
    }
    if (a_cpData == nullptr || a_cpOut == nullptr) {
        return a_uiEnd;
    }
    uint32_t i = a_uiStart;
    while (i < a_uiEnd &&
           (isSpaceByte(byteAt(a_cpData, i)) || (a_bSpecial && isSpecialByte(byteAt(a_cpData, i))))) {
        ++i;
    }
    unsigned l_uiCopied = 0;
    while (i < a_uiEnd && l_uiCopied < kMaxTokenChars) {
        const unsigned char l_c = byteAt(a_cpData, i);
        if (isSpaceByte(l_c) || (a_bSpecial && isSpecialByte(l_c)) || inSet(l_c, a_cpDelims)) {
            break;
        }
        a_cpOut[l_uiCopied++] = static_cast<char>(l_c);
        ++i;
    }
    a_cpOut[l_uiCopied] = '\0';
    return i < a_uiEnd ? i : a_uiEnd;
}

uint32_t nextchar(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiStart, const char *a_cpSet,
                  char &a_cFound) {
    a_cFound = '\0';
    if (a_cpData == nullptr || a_cpSet == nullptr) {
        return a_uiLength;
    }
    for (uint32_t i = a_uiStart; i < a_uiLength; ++i) {
        if (inSet(byteAt(a_cpData, i), a_cpSet)) {
            a_cFound = a_cpData[i];
            return i;
        }
    }
    return a_uiLength;
}

uint32_t nextchar(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiStart, bool a_bSpecial) {
    if (a_cpData == nullptr) {
        return a_uiLength;
    }
    for (uint32_t i = a_uiStart; i < a_uiLength; ++i) {
        const unsigned char l_c = byteAt(a_cpData, i);
        if (!isSpaceByte(l_c) && !(a_bSpecial && isSpecialByte(l_c))) {
            return i;
        }
    }
    return a_uiLength;
}

uint32_t firstSC(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiStart, char &a_cFound) {
    a_cFound = '\0';
    if (a_cpData == nullptr) {
        return a_uiLength;
    }
    for (uint32_t i = a_uiStart; i < a_uiLength; ++i) {
        if (isSpecialByte(byteAt(a_cpData, i))) {
            a_cFound = a_cpData[i];
            return i;
        }
    }
    return a_uiLength;
}

int extracttoken(const char *a_cpData, int a_iLength, int a_iStart, const char *a_cpDelims, char *a_cpOut,
                 char &a_cFound) {
    a_cFound = '\0';
    if (a_cpOut != nullptr) {
        a_cpOut[0] = '\0';
    }
    if (a_cpData == nullptr || a_cpDelims == nullptr || a_cpOut == nullptr || a_iLength <= 0 ||
        a_iStart < 0 || a_iStart >= a_iLength) {
        return -1;
    }
    int i = a_iStart;
    while (i < a_iLength && inSet(byteAt(a_cpData, i), a_cpDelims)) {
        ++i;
    }
    if (i == a_iLength) {
        return -1;
    }
    unsigned l_uiCopied = 0;
    for (; i < a_iLength && !inSet(byteAt(a_cpData, i), a_cpDelims); ++i) {
        if (l_uiCopied < kMaxTokenChars) {
            a_cpOut[l_uiCopied++] = a_cpData[i];
        }
    }
    a_cpOut[l_uiCopied] = '\0';
    if (i < a_iLength) {
        a_cFound = a_cpData[i];
    }
    return i;
}

// MARK: - Backward scanners

uint32_t pretoken(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiPosition, char *a_cpOut) {
    if (a_cpOut != nullptr) {
        a_cpOut[0] = '\0';
    }
    if (a_cpData == nullptr || a_cpOut == nullptr || a_uiPosition >= a_uiLength) {
        return a_uiLength;
    }
    uint32_t l_uiEnd = a_uiPosition; // last non-space byte of the run
    while (isSpaceByte(byteAt(a_cpData, l_uiEnd))) {
        if (l_uiEnd == 0) {
            return a_uiLength;
        }
        --l_uiEnd;
    }
    uint32_t l_uiStart = l_uiEnd;
    while (l_uiStart > 0 && !isSpaceByte(byteAt(a_cpData, l_uiStart - 1))) {
        --l_uiStart;
    }
    uint32_t l_uiCopy = l_uiEnd - l_uiStart + 1;
    if (l_uiCopy > kMaxTokenChars) {
        l_uiCopy = kMaxTokenChars;
    }
    std::memcpy(a_cpOut, a_cpData + l_uiStart, l_uiCopy);
    a_cpOut[l_uiCopy] = '\0';
    return l_uiStart;
}

int findbackcharA(const char *a_cpText, char a_c, int a_iSkip) {
    if (a_cpText == nullptr) {
        return -1;
    }
    const std::size_t l_uiLen = std::strlen(a_cpText);
    return l_uiLen > 0x7FFFFFFF ? -1 : findbackcharB(a_cpText, static_cast<int>(l_uiLen), a_c, a_iSkip);
}

int findbackcharB(const char *a_cpText, int a_iLength, char a_c, int a_iSkip) {
    if (a_cpText == nullptr || a_iSkip < 0 || a_iSkip >= a_iLength) {
        return -1;
    }
    for (int i = a_iLength - a_iSkip - 1; i >= 0; --i) {
        if (a_cpText[i] == a_c) {
            return i;
        }
    }
    return -1;
}

// MARK: - Pointer scanners

const char *move2Space(const char *a_cpText, char a_cStop) {
    if (a_cpText == nullptr) {
        return nullptr;
    }
    while (*a_cpText != '\0' && !isWhiteByte(static_cast<unsigned char>(*a_cpText)) && *a_cpText != a_cStop) {
        ++a_cpText;
    }
    return a_cpText;
}

char *move2Space(char *a_cpText, char a_cStop) {
    return const_cast<char *>(move2Space(static_cast<const char *>(a_cpText), a_cStop));
}

const char *skipSpaces(const char *a_cpText) {
    if (a_cpText == nullptr) {
        return nullptr;
    }
    while (isWhiteByte(static_cast<unsigned char>(*a_cpText))) {
        ++a_cpText;
    }
    return a_cpText;
}

char *skipSpaces(char *a_cpText) {
    return const_cast<char *>(skipSpaces(static_cast<const char *>(a_cpText)));
}

} // namespace brick
