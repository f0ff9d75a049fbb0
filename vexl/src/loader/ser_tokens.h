#pragma once
// The lexical layer of the text notation: classifies the next token over a bounded cursor,
// without side effects. (What the loader does on the way, packet expressions and comment
// collection, is `CSerParser::loadToken`.)
//
// token   = "{" | "}" | "[" | "]" | "(" | ")" | "=" | "," | string | number | id | word | comment
// string  = '"' { byte other than '"' and '\' | '\' byte } '"'
// number  = ( "-" | digit ) { digit } [ "." { digit } ] [ ( "e" | "E" ) [ "+" | "-" ] { digit } ]
// id      = "#" { digit }
// word    = "true" | "false" | "null"
// comment = "//" { byte } ( LF | CR [ LF ] | end ) | "/*" { byte } "*/"
// A NUL byte reads as the end of the text; any other byte is an error token of its own, and so
// are an unterminated string or block comment, a "/" that starts no comment and a misspelt word.

#include <array>
#include <cstdint>

#include "loader/byte_cursor.h"
#include "vexl/loaders.h"

namespace vexl::detail {

/// A token with what the scanner learnt about it on the way. Sixteen bytes, so that it travels
/// in registers between the scanner and the grammar (a text is at most 4 GiB - 1 bytes long, so
/// a length fits in 32 bits).
struct tToken {
    const char *pBegin; ///< first byte of the token
    uint32_t uLength;   ///< its length in bytes
    E_TokenType eType : 8;
    /// TT_string: the body holds a backslash. TT_peiOpen: the whole expression was collected
    /// (otherwise the token is the single "("). TT_number read with `deferFraction`: the token
    /// stops after the integer digits and a fraction or exponent follows (see
    /// `scanNumberRest`).
    bool bFlag;

    const char *pEnd() const noexcept { return pBegin + uLength; }
    void setEnd(const char *end) noexcept { uLength = static_cast<uint32_t>(end - pBegin); }
    operator tTokenInfo() const noexcept { return tTokenInfo{eType, pBegin, pEnd()}; }
};
static_assert(sizeof(tToken) == 16);

/// How the first byte of a token is read: a one-byte token (its type), or one of the classes below.
enum : uint8_t {
    BC_STRING = 100, ///< '"'
    BC_NUMBER = 101, ///< '-' and digits
    BC_OTHER = 102,  ///< '#', words, comments, the end, errors: `scanOtherToken`
};

inline constexpr std::array<uint8_t, 256> kFirstByteClass = [] {
    std::array<uint8_t, 256> table{};
    table.fill(BC_OTHER);
    table['{'] = TT_fieldsOpen;
    table['}'] = TT_fieldsClose;
    table['['] = TT_arrayOpen;
    table[']'] = TT_arrayClose;
    table['('] = TT_peiOpen;
    table[')'] = TT_peiClose;
    table['='] = TT_assign;
    table[','] = TT_comma;
    table['"'] = BC_STRING;
    table['-'] = BC_NUMBER;
    for (int d = '0'; d <= '9'; ++d)
        table[d] = BC_NUMBER;
    return table;
}();

/// The tokens that start with "#", "t", "f", "n" or "/", the end of the text and error bytes
/// (kept out of line: they are rare in documents). `t` holds the token's start.
tToken scanOtherToken(CByteCursor &cur, tToken t) noexcept;

/// Reads the fraction and exponent of a number token whose integer digits end at `cur`.
inline void scanNumberRest(CByteCursor &cur) noexcept {
    if (cur.peek() == '.') {
        cur.advance();
        cur.skipDigits();
    }
    if (cur.peek() == 'e' || cur.peek() == 'E') {
        cur.advance();
        if (cur.peek() == '+' || cur.peek() == '-')
            cur.advance();
        cur.skipDigits();
    }
}

/// Classifies the token at `cur` (after blanks) and moves `cur` past it. With `deferFraction`
/// a number's fraction and exponent are left to the caller (`bFlag` tells there is one), which
/// lets the value conversion find their end instead of reading them twice.
inline tToken scanSerToken(CByteCursor &cur, bool deferFraction = false) noexcept {
    cur.skipBlanks();
    tToken t;
    t.pBegin = cur.pos();
    t.uLength = 0;
    t.bFlag = false;
    const int c = cur.peek();
    const uint8_t cls = c < 0 ? uint8_t(BC_OTHER) : kFirstByteClass[unsigned(c)];
    if (cls < BC_STRING) {
        cur.advance();
        t.eType = E_TokenType(cls);
    } else if (cls == BC_STRING) {
        cur.advance();
        bool escaped = false;
        const char *quote = cur.scanStringBody(escaped);
        if (quote == nullptr) {
            cur.toEnd();
            t.eType = TT_error; // unterminated
        } else {
            cur.setPos(quote + 1);
            t.eType = TT_string;
            t.bFlag = escaped;
        }
    } else if (cls == BC_NUMBER) {
        // Permissive: "-", "1." and "1e" are number texts too; the conversion gives them a value.
        cur.advance();
        cur.skipDigits();
        const int next = cur.peek();
        if (next == '.' || next == 'e' || next == 'E') {
            if (deferFraction)
                t.bFlag = true;
            else
                scanNumberRest(cur);
        }
        t.eType = TT_number;
    } else {
        return scanOtherToken(cur, t);
    }
    t.setEnd(cur.pos());
    return t;
}

} // namespace vexl::detail
