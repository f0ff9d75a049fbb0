#include "brick/char_class.h"

#include <cstring>

#include "text/char_table.h"

namespace brick {

namespace {

using tTest = bool (*)(unsigned char);

/// Every one of the a_uiLength bytes passes the test; the first may be a
/// sign when allowed.
bool allBytes(const char *a_cpText, uint32_t a_uiLength, bool a_bAllowSign, tTest a_fpTest) {
    if (a_cpText == nullptr || a_uiLength == 0) {
        return false;
    }
    for (uint32_t i = 0; i < a_uiLength; ++i) {
        const unsigned char l_c = static_cast<unsigned char>(a_cpText[i]);
        if (l_c == 0) {
            return false; // the text ended early
        }
        if (i == 0 && a_bAllowSign && (l_c == '-' || l_c == '+')) {
            continue;
        }
        if (!a_fpTest(l_c)) {
            return false;
        }
    }
    return true;
}

uint32_t textLength(const char *a_cpText) {
    return a_cpText == nullptr ? 0 : static_cast<uint32_t>(std::strlen(a_cpText));
}

} // namespace

bool isHexa(char a_c) {
    return brick_detail::isHexByte(static_cast<unsigned char>(a_c));
}

bool isHexa(const char *a_cpText, bool a_bAllowSign) {
    return allBytes(a_cpText, textLength(a_cpText), a_bAllowSign, brick_detail::isHexByte);
}

bool isHexa(const char *a_cpText, uint32_t a_uiLength, bool a_bAllowSign) {
    return allBytes(a_cpText, a_uiLength, a_bAllowSign, brick_detail::isHexByte);
}

bool isDecimal(const char *a_cpText, bool a_bAllowSign) {
    return allBytes(a_cpText, textLength(a_cpText), a_bAllowSign, brick_detail::isDigitByte);
}

bool isDecimal(const char *a_cpText, uint32_t a_uiLength, bool a_bAllowSign) {
    return allBytes(a_cpText, a_uiLength, a_bAllowSign, brick_detail::isDigitByte);
}

bool isAlphabetic(const char *a_cpText) {
    return allBytes(a_cpText, textLength(a_cpText), false, brick_detail::isAlphaByte);
}

bool isAlphabetic(const char *a_cpText, uint32_t a_uiLength) {
    return allBytes(a_cpText, a_uiLength, false, brick_detail::isAlphaByte);
}

bool isSpaceChar(char a_c) {
    return brick_detail::isSpaceByte(static_cast<unsigned char>(a_c));
}

bool isSpecialChar(char a_c) {
    return brick_detail::isSpecialByte(static_cast<unsigned char>(a_c));
}

} // namespace brick
