#pragma once

// Byte classes shared by the scanners and string helpers; every test takes
// the byte as unsigned.

namespace brick_detail {

inline bool isSpaceByte(unsigned char a_c) {
    return a_c <= 32 || a_c == 127;
}

inline bool isSpecialByte(unsigned char a_c) {
    return (a_c >= 33 && a_c <= 47) || (a_c >= 58 && a_c <= 64) || (a_c >= 91 && a_c <= 94) || a_c == 96 ||
           (a_c >= 123 && a_c <= 125);
}

/// Tab, line feed, form feed, carriage return and space.
inline bool isWhiteByte(unsigned char a_c) {
    return a_c == '\t' || a_c == '\n' || a_c == '\f' || a_c == '\r' || a_c == ' ';
}

inline bool isDigitByte(unsigned char a_c) {
    return a_c >= '0' && a_c <= '9';
}

inline bool isHexByte(unsigned char a_c) {
    return isDigitByte(a_c) || (a_c >= 'A' && a_c <= 'F') || (a_c >= 'a' && a_c <= 'f');
}

inline bool isAlphaByte(unsigned char a_c) {
    return (a_c >= 'A' && a_c <= 'Z') || (a_c >= 'a' && a_c <= 'z');
}

/// True when the byte is not NUL and appears in the NUL-terminated set.
inline bool inSet(unsigned char a_c, const char *a_cpSet) {
    if (a_c == 0 || a_cpSet == nullptr) {
        return false;
    }
    for (const char *l_p = a_cpSet; *l_p != '\0'; ++l_p) {
        if (static_cast<unsigned char>(*l_p) == a_c) {
            return true;
        }
    }
    return false;
}

} // namespace brick_detail
