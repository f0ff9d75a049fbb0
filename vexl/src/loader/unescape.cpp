// String escapes of the text notation.

#include "loader/unescape.h"

#include <cstdint>
#include <cstring>

#include "loader/byte_cursor.h"

namespace vexl::detail {

namespace {

constexpr const char *kMsgBadEscape = "Bad escape sequence in string";
constexpr const char *kMsgHexShort = "Bad hexa escape sequence in string : two digits expected.";
constexpr const char *kMsgHexDigit = "Bad hexa escape sequence in string";
constexpr const char *kMsgRawShort = "Bad unicode escape sequence in string : four digits expected.";
constexpr const char *kMsgRawDigit = "Bad unicode escape sequence in string";
constexpr const char *kMsgUtf8Short = "Bad unicode escape sequence in string: four digits expected.";
constexpr const char *kMsgUtf8Digit = "Bad unicode escape sequence in string: hexadecimal digit expected.";
constexpr const char *kMsgPairShort = "additional six characters expected to parse unicode surrogate pair.";
constexpr const char *kMsgPairMissing =
    "expecting another \\u token to begin the second half of a unicode surrogate pair";

// Reads `count` hex digits at the cursor (which must have them) into `value`; on a non-hex digit
// returns its position.
const char *readHex(CByteCursor &cur, int count, uint32_t &value) noexcept {
    value = 0;
    for (int i = 0; i < count; ++i) {
        const int h = hexValue(cur.peek());
        if (h < 0)
            return cur.pos();
        value = (value << 4) | uint32_t(h);
        cur.advance();
    }
    return nullptr;
}

void appendUtf8(std::string &out, uint32_t cp) {
    if (cp <= 0x7F) {
        out.push_back(char(cp));
    } else if (cp <= 0x7FF) {
        const char b[2] = {char(0xC0 | (cp >> 6)), char(0x80 | (cp & 0x3F))};
        out.append(b, 2);
    } else if (cp <= 0xFFFF) {
        const char b[3] = {char(0xE0 | (cp >> 12)), char(0x80 | ((cp >> 6) & 0x3F)),
                           char(0x80 | (cp & 0x3F))};
        out.append(b, 3);
    } else if (cp <= 0x10FFFF) {
        const char b[4] = {char(0xF0 | (cp >> 18)), char(0x80 | ((cp >> 12) & 0x3F)),
                           char(0x80 | ((cp >> 6) & 0x3F)), char(0x80 | (cp & 0x3F))};
        out.append(b, 4);
    }
}

bool fail(tUnescapeError &error, const char *message, const char *at) {
    error.szMessage = message;
    error.pAt = at;
    return false;
}

} // namespace

bool unescapeStringBody(const char *begin, const char *end, bool utf8, std::string &out,
                        tUnescapeError &error) {
    out.clear();
    CByteCursor cur(begin, end);
    while (!cur.atEnd()) {
        const char *bs = cur.find('\\');
        if (bs == nullptr) {
            out.append(cur.pos(), cur.remaining());
            break;
        }
        out.append(cur.pos(), size_t(bs - cur.pos()));
        cur.setPos(bs + 1);
        const int letter = cur.peek();
        switch (letter) {
        case '"':
        case '/':
        case '\\':
            out.push_back(char(letter));
            cur.advance();
            break;
        case 'b':
            out.push_back('\b');
            cur.advance();
            break;
        case 'f':
            out.push_back('\f');
            cur.advance();
            break;
        case 'n':
            out.push_back('\n');
            cur.advance();
            break;
        case 'r':
            out.push_back('\r');
            cur.advance();
            break;
        case 't':
            out.push_back('\t');
            cur.advance();
            break;
        case 'x': {
            cur.advance();
            if (cur.remaining() < 2)
                return fail(error, kMsgHexShort, cur.pos());
            uint32_t value = 0;
            if (const char *bad = readHex(cur, 2, value))
                return fail(error, kMsgHexDigit, bad);
            out.push_back(char(value));
            break;
        }
        case 'u': {
            cur.advance();
            if (cur.remaining() < 4)
                return fail(error, utf8 ? kMsgUtf8Short : kMsgRawShort, cur.pos());
            uint32_t cp = 0;
            if (const char *bad = readHex(cur, 4, cp))
                return fail(error, utf8 ? kMsgUtf8Digit : kMsgRawDigit, bad);
            if (!utf8) {
                // The four digits as written: two bytes, high pair first.
                const char b[2] = {char(cp >> 8), char(cp & 0xFF)};
                out.append(b, 2);
                break;
            }
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                if (cur.remaining() < 6)
                    return fail(error, kMsgPairShort, cur.pos());
                if (cur.peekAt(0) != '\\' || cur.peekAt(1) != 'u')
                    return fail(error, kMsgPairMissing, cur.pos());
                cur.advance(2);
                uint32_t low = 0;
                if (const char *bad = readHex(cur, 4, low))
                    return fail(error, kMsgUtf8Digit, bad);
                cp = ((cp & 0x3FF) << 10) + (low & 0x3FF) + 0x10000;
            }
            appendUtf8(out, cp);
            break;
        }
        default: // any other byte, and a backslash at the very end
            return fail(error, kMsgBadEscape, cur.pos());
        }
    }
    return true;
}

} // namespace vexl::detail
