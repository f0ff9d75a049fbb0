#include <cstring>

#include "brick/net_text.h"

namespace brick {

namespace {

/// Value of a hexadecimal digit, or -1.
int hexValue(char a_c) {
    const unsigned char l_c = static_cast<unsigned char>(a_c);
    if (l_c >= '0' && l_c <= '9') {
        return l_c - '0';
    }
    if (l_c >= 'A' && l_c <= 'F') {
        return l_c - 'A' + 10;
    }
    if (l_c >= 'a' && l_c <= 'f') {
        return l_c - 'a' + 10;
    }
    return -1;
}

} // namespace

unsigned char HexASC2BCD(char a_cDigit) {
    const int l_iValue = hexValue(a_cDigit);
    return static_cast<unsigned char>(l_iValue < 0 ? 0 : l_iValue);
}

int HexStr2BCD(const char *a_cpHex, unsigned a_uiHexLen, char *a_cpOut, unsigned a_uiOutLen, char a_cFill) {
    if (a_cpHex == nullptr || a_uiHexLen == 0 || a_cpOut == nullptr || a_uiOutLen == 0) {
        return 0;
    }
    std::memset(a_cpOut, static_cast<unsigned char>(a_cFill), a_uiOutLen);
    unsigned i = 0;
    unsigned char l_ucPending = 0;
    for (; i < a_uiHexLen; ++i) {
        const int l_iValue = hexValue(a_cpHex[i]);
        if (l_iValue < 0) {
            if (i == 0) {
                return 0;
            }
            break;
        }
        if ((i & 1U) == 0) {
            l_ucPending = static_cast<unsigned char>(l_iValue << 4);
        } else {
            l_ucPending = static_cast<unsigned char>(l_ucPending | l_iValue);
        }
        if (i / 2 + 1 >= a_uiOutLen) {
            break;
        }
        a_cpOut[i / 2] = static_cast<char>(l_ucPending);
    }
    return static_cast<int>(i / 2 + 1);
}

} // namespace brick
