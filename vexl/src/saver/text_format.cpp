// Appending text forms of numbers and quoted strings for the writers.

#include "saver/text_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace vexl::detail {

namespace {

// MARK: - Escape table (Private)

// What each byte becomes inside a quoted string: 0 = itself, 'x' = "\xHH", any other letter =
// backslash and that letter.
struct tEscapeTable {
    unsigned char m_aucCode[256];
    constexpr tEscapeTable() : m_aucCode{} {
        for (unsigned c = 0; c < 256; ++c)
            m_aucCode[c] = (c < 0x20 || c > 0x7E) ? 'x' : 0;
        m_aucCode[0x08] = 'b';
        m_aucCode[0x09] = 't';
        m_aucCode[0x0A] = 'n';
        m_aucCode[0x0C] = 'f';
        m_aucCode[0x0D] = 'r';
        m_aucCode[0x22] = '"';
        m_aucCode[0x5C] = '\\';
    }
};
constexpr tEscapeTable s_tEscape;
constexpr char s_acHex[] = "0123456789ABCDEF";

} // namespace

// MARK: - Quoted strings (Public)

void appendQuotedEscaped(std::string &out, const char *text, size_t length) {
    const auto *l_pCur = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *const l_pEnd = l_pCur + length;
    out.push_back('"');
    while (l_pCur < l_pEnd) {
        // Longest run of bytes that are copied unchanged.
        const unsigned char *l_pRun = l_pCur;
        while (l_pRun < l_pEnd && s_tEscape.m_aucCode[*l_pRun] == 0)
            ++l_pRun;
        if (l_pRun != l_pCur)
            out.append(reinterpret_cast<const char *>(l_pCur), size_t(l_pRun - l_pCur));
        // Then a run of bytes that need an escape.
        char l_acEsc[64];
        size_t l_uiLen = 0;
        while (l_pRun < l_pEnd && l_uiLen <= sizeof(l_acEsc) - 4) {
            const unsigned char c = *l_pRun;
            const unsigned char code = s_tEscape.m_aucCode[c];
            if (code == 0)
                break;
            l_acEsc[l_uiLen++] = '\\';
            if (code == 'x') {
                l_acEsc[l_uiLen++] = 'x';
                l_acEsc[l_uiLen++] = s_acHex[c >> 4];
                l_acEsc[l_uiLen++] = s_acHex[c & 0x0F];
            } else {
                l_acEsc[l_uiLen++] = char(code);
            }
            ++l_pRun;
        }
        if (l_uiLen != 0)
            out.append(l_acEsc, l_uiLen);
        l_pCur = l_pRun;
    }
    out.push_back('"');
}

// MARK: - Numbers (Public)

void appendDouble(std::string &out, double value) {
    if (std::isnan(value)) {
        out.append("null", 4);
        return;
    }
    if (std::isinf(value)) {
        if (value < 0)
            out.append("-1e+9999", 8);
        else
            out.append("1e+9999", 7);
        return;
    }
    // std::to_chars with a precision formats as printf's "%.17g" does in the "C" locale (a test
    // compares the two), without the locale lookup and format parsing of snprintf.
    char l_acBuf[32];
    const auto l_tRes =
        std::to_chars(l_acBuf, l_acBuf + sizeof(l_acBuf), value, std::chars_format::general, 17);
    out.append(l_acBuf, size_t(l_tRes.ptr - l_acBuf));
}

void appendSint(std::string &out, long long value) {
    char l_acBuf[24];
    const auto l_tRes = std::to_chars(l_acBuf, l_acBuf + sizeof(l_acBuf), value);
    out.append(l_acBuf, size_t(l_tRes.ptr - l_acBuf));
}

void appendUint(std::string &out, unsigned long long value) {
    char l_acBuf[24];
    const auto l_tRes = std::to_chars(l_acBuf, l_acBuf + sizeof(l_acBuf), value);
    out.append(l_acBuf, size_t(l_tRes.ptr - l_acBuf));
}

} // namespace vexl::detail
