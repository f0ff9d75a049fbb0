// Text and number forms of values: decimal and double texts, quoting with escapes, unescaping,
// the counted integer parser, the number-token parser of the text notation, and the heap copies
// used by names, comments and code lists.

#include "vexl/utilities.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "vexl/errors.h"
#include "vexl/fields.h"

namespace vexl {

namespace {

// MARK: - Helpers (Private)

// Writes the decimal digits of `value` backwards ending at `end`; returns the first digit.
char *formatDecimal(char *end, unsigned long long value) {
    char *l_p = end;
    do {
        *--l_p = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return l_p;
}

// Numeric value of a hexadecimal digit, or -1.
int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads four hexadecimal digits at `p` (stopping at the first non-digit, so a terminating zero
// ends the read); false when any is missing.
bool readHex4(const unsigned char *p, unsigned int &out) {
    unsigned int l_v = 0;
    for (int i = 0; i < 4; ++i) {
        int l_d = hexValue(p[i]);
        if (l_d < 0)
            return false;
        l_v = (l_v << 4) | unsigned(l_d);
    }
    out = l_v;
    return true;
}

void appendUtf8(std::string &out, unsigned int cp) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp <= 0x10FFFF) {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

// True when the byte can be written between quotes as it is.
inline bool isPlainByte(unsigned char c) {
    return c >= 0x20 && c <= 0x7E && c != '"' && c != '\\';
}

std::string quoteEscaped(const unsigned char *text, size_t length) {
    // Fast path: one scan decides whether any escape is needed.
    size_t l_i = 0;
    while (l_i < length && isPlainByte(text[l_i]))
        ++l_i;
    std::string l_str;
    if (l_i == length) {
        l_str.reserve(length + 2);
        l_str.push_back('"');
        l_str.append(reinterpret_cast<const char *>(text), length);
        l_str.push_back('"');
        return l_str;
    }
    static const char s_acHex[] = "0123456789ABCDEF";
    l_str.reserve(length * 2 + 3);
    l_str.push_back('"');
    l_str.append(reinterpret_cast<const char *>(text), l_i);
    for (; l_i < length; ++l_i) {
        unsigned char c = text[l_i];
        switch (c) {
        case 0x08:
            l_str += "\\b";
            break;
        case 0x09:
            l_str += "\\t";
            break;
        case 0x0A:
            l_str += "\\n";
            break;
        case 0x0C:
            l_str += "\\f";
            break;
        case 0x0D:
            l_str += "\\r";
            break;
        case '"':
            l_str += "\\\"";
            break;
        case '\\':
            l_str += "\\\\";
            break;
        default:
            if (c >= 0x20 && c <= 0x7E) {
                l_str.push_back(char(c));
            } else {
                char l_acEsc[4] = {'\\', 'x', s_acHex[c >> 4], s_acHex[c & 0x0F]};
                l_str.append(l_acEsc, 4);
            }
        }
    }
    l_str.push_back('"');
    return l_str;
}

// The "C" locale for number conversion, made once.
locale_t cLocale() {
    static locale_t s_loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return s_loc;
}

// strtod in the "C" locale over exactly `length` bytes (a zero-terminated copy).
double parseDoubleCounted(const char *text, unsigned int length) {
    char l_acSmall[64];
    std::string l_strBig;
    const char *l_cpCopy;
    if (length < sizeof(l_acSmall)) {
        if (length != 0)
            std::memcpy(l_acSmall, text, length);
        l_acSmall[length] = '\0';
        l_cpCopy = l_acSmall;
    } else {
        l_strBig.assign(text, length);
        l_cpCopy = l_strBig.c_str();
    }
    locale_t l_loc = cLocale();
    if (l_loc == locale_t(nullptr))
        return std::strtod(l_cpCopy, nullptr);
    return strtod_l(l_cpCopy, nullptr, l_loc);
}

} // namespace

// MARK: - Numbers to text (Public)

std::string ToString(long long value) {
    char l_acBuf[24];
    char *l_pEnd = l_acBuf + sizeof(l_acBuf);
    unsigned long long l_uMag =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    char *l_p = formatDecimal(l_pEnd, l_uMag);
    if (value < 0)
        *--l_p = '-';
    return std::string(l_p, size_t(l_pEnd - l_p));
}

std::string ToString(unsigned long long value) {
    char l_acBuf[24];
    char *l_pEnd = l_acBuf + sizeof(l_acBuf);
    char *l_p = formatDecimal(l_pEnd, value);
    return std::string(l_p, size_t(l_pEnd - l_p));
}

std::string ToString(long value) {
    return ToString(static_cast<long long>(value));
}
std::string ToString(unsigned long value) {
    return ToString(static_cast<unsigned long long>(value));
}
std::string ToString(int value) {
    return ToString(static_cast<long long>(value));
}
std::string ToString(unsigned int value) {
    return ToString(static_cast<unsigned long long>(value));
}
std::string ToString(bool value) {
    return value ? "true" : "false";
}

std::string ToString(double value) {
    if (std::isnan(value))
        return "null";
    if (std::isinf(value))
        return value > 0 ? "1e+9999" : "-1e+9999";
    char l_szFormat[16];
    std::snprintf(l_szFormat, sizeof(l_szFormat), "%%.%dg", 17);
    char l_acBuf[32];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int l_nLen = std::snprintf(l_acBuf, sizeof(l_acBuf), l_szFormat, value);
#pragma GCC diagnostic pop
    if (l_nLen < 0)
        return std::string();
    size_t l_uLen = size_t(l_nLen) < sizeof(l_acBuf) ? size_t(l_nLen) : sizeof(l_acBuf) - 1;
    for (size_t i = 0; i < l_uLen; ++i)
        if (l_acBuf[i] == ',')
            l_acBuf[i] = '.';
    return std::string(l_acBuf, l_uLen);
}

// MARK: - Quoting and unescaping (Public)

std::string ToQuotedEscapeString(const char *text) {
    if (text == nullptr || *text == '\0')
        return "\"\"";
    return quoteEscaped(reinterpret_cast<const unsigned char *>(text), std::strlen(text));
}

std::string ToQuotedEscapeString(const char *text, unsigned int length) {
    if (text == nullptr || length == 0)
        return "\"\"";
    return quoteEscaped(reinterpret_cast<const unsigned char *>(text), length);
}

std::string ToUnescapeString(const char *text, bool utf8) {
    std::string l_str;
    if (text == nullptr)
        return l_str;
    const unsigned char *l_p = reinterpret_cast<const unsigned char *>(text);
    l_str.reserve(std::strlen(text));
    while (*l_p != '\0') {
        unsigned char c = *l_p;
        if (c == '"')
            return l_str;
        if (c != '\\') {
            l_str.push_back(char(c));
            ++l_p;
            continue;
        }
        unsigned char e = l_p[1]; // the terminating zero stops below (it is under 0x22)
        if (e < '"' || e > 'x')
            return l_str;
        switch (e) {
        case '"':
        case '/':
        case '\\':
            l_str.push_back(char(e));
            l_p += 2;
            break;
        case 'b':
            l_str.push_back('\x08');
            l_p += 2;
            break;
        case 'f':
            l_str.push_back('\x0C');
            l_p += 2;
            break;
        case 'n':
            l_str.push_back('\x0A');
            l_p += 2;
            break;
        case 'r':
            l_str.push_back('\x0D');
            l_p += 2;
            break;
        case 't':
            l_str.push_back('\x09');
            l_p += 2;
            break;
        case 'x': {
            int l_hi = hexValue(l_p[2]);
            if (l_hi < 0)
                return l_str;
            int l_lo = hexValue(l_p[3]);
            if (l_lo < 0)
                return l_str;
            l_str.push_back(char((l_hi << 4) | l_lo));
            l_p += 4;
            break;
        }
        case 'u': {
            unsigned int l_uCode;
            if (!readHex4(l_p + 2, l_uCode))
                return l_str;
            if (!utf8) {
                l_str.push_back(char(l_uCode >> 8));
                l_str.push_back(char(l_uCode & 0xFF));
                l_p += 6;
                break;
            }
            l_p += 6;
            if (l_uCode >= 0xD800 && l_uCode <= 0xDBFF) {
                unsigned int l_uLow;
                if (l_p[0] != '\\' || l_p[1] != 'u' || !readHex4(l_p + 2, l_uLow))
                    return l_str;
                l_uCode = 0x10000 + ((l_uCode & 0x3FF) << 10) + (l_uLow & 0x3FF);
                l_p += 6;
            }
            appendUtf8(l_str, l_uCode);
            break;
        }
        default:
            return l_str;
        }
    }
    return l_str;
}

// MARK: - Text to numbers (Public)

bool aton64(const char *text, unsigned int length, long long &out) {
    out = 0;
    if (text == nullptr)
        return false;
    const unsigned char *l_p = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *l_pEnd = l_p + length;
    bool l_bNeg = false;
    if (l_p < l_pEnd && (*l_p == '-' || *l_p == '+')) {
        l_bNeg = *l_p == '-';
        ++l_p;
    }
    const unsigned long long l_uLimit = l_bNeg ? 9223372036854775808ULL : 9223372036854775807ULL;
    unsigned long long l_uValue = 0;
    for (; l_p < l_pEnd; ++l_p) {
        unsigned char c = *l_p;
        if (c < '0' || c > '9')
            return false;
        unsigned int d = c - '0';
        if (l_uValue > l_uLimit / 10 || (l_uValue == l_uLimit / 10 && d > l_uLimit % 10))
            return false;
        l_uValue = l_uValue * 10 + d;
    }
    out = l_bNeg ? static_cast<long long>(0ULL - l_uValue) : static_cast<long long>(l_uValue);
    return true;
}

bool aton64(const char *text, unsigned int length, unsigned long long &out) {
    out = 0;
    if (text == nullptr)
        return false;
    const unsigned char *l_p = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *l_pEnd = l_p + length;
    if (l_p < l_pEnd) {
        if (*l_p == '-')
            return false;
        if (*l_p == '+')
            ++l_p;
    }
    const unsigned long long l_uLimit = 18446744073709551615ULL;
    unsigned long long l_uValue = 0;
    for (; l_p < l_pEnd; ++l_p) {
        unsigned char c = *l_p;
        if (c < '0' || c > '9')
            return false;
        unsigned int d = c - '0';
        if (l_uValue > l_uLimit / 10 || (l_uValue == l_uLimit / 10 && d > l_uLimit % 10))
            return false;
        l_uValue = l_uValue * 10 + d;
    }
    out = l_uValue;
    return true;
}

bool atonInField(const char *text, unsigned int length, CFields &node) {
    if (text == nullptr)
        length = 0;
    const unsigned char *l_p = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *l_pEnd = l_p + length;
    bool l_bNeg = false;
    if (l_p < l_pEnd && (*l_p == '-' || *l_p == '+')) {
        l_bNeg = *l_p == '-';
        ++l_p;
    }
    const unsigned long long l_uLimit = l_bNeg ? 9223372036854775808ULL : 18446744073709551615ULL;
    unsigned long long l_uValue = 0;
    bool l_bInteger = true;
    for (; l_p < l_pEnd; ++l_p) {
        unsigned char c = *l_p;
        if (c < '0' || c > '9') {
            l_bInteger = false;
            break;
        }
        unsigned int d = c - '0';
        if (l_uValue > l_uLimit / 10 || (l_uValue == l_uLimit / 10 && d > l_uLimit % 10)) {
            l_bInteger = false;
            break;
        }
        l_uValue = l_uValue * 10 + d;
    }
    if (!l_bInteger) {
        node.setValue(parseDoubleCounted(text, length));
    } else if (l_bNeg) {
        node.setValue(static_cast<long long>(0ULL - l_uValue));
    } else if (l_uValue <= 2147483647ULL) {
        node.setValue(static_cast<long long>(l_uValue));
    } else {
        node.setValue(l_uValue);
    }
    return true;
}

// MARK: - Heap copies (Public)

char *duplicateStream(const void *source, unsigned int length) {
    if (length >= 2147483647u)
        length = 2147483646u;
    char *l_p = static_cast<char *>(std::malloc(size_t(length) + 1));
    if (l_p == nullptr)
        raiseLogicError("[%s#%d] Failed to allocate string a_cpSrc buffer", "vexl::duplicateStream",
                        __LINE__);
    if (length != 0) {
        if (source != nullptr)
            std::memcpy(l_p, source, length);
        else
            std::memset(l_p, 0, length);
    }
    l_p[length] = '\0';
    return l_p;
}

char *duplicatePrefixedStream(const void *source, unsigned int length) {
    if (length > MAX_CODELIST_LENGTH)
        raiseLogicError("[%s#%d] a_uiSrcLen too big for prefixing", "vexl::duplicatePrefixedStream",
                        __LINE__);
    char *l_p = static_cast<char *>(std::malloc(size_t(length) + 5));
    if (l_p == nullptr)
        raiseLogicError("[%s#%d] Failed to allocate string a_cpSrc buffer", "vexl::duplicatePrefixedStream",
                        __LINE__);
    uint32_t l_uCount = length;
    std::memcpy(l_p, &l_uCount, 4);
    if (length != 0) {
        if (source != nullptr)
            std::memcpy(l_p + 4, source, length);
        else
            std::memset(l_p + 4, 0, length);
    }
    l_p[4 + size_t(length)] = '\0';
    return l_p;
}

} // namespace vexl
