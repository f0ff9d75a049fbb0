#pragma once
// The text notation parser behind CLoader4SER.
//
// Three layers: the bounded byte cursor (byte_cursor.h) at the bottom; the tokenizer
// (ser_tokens.h: `scanSerToken` classifies the next token without side effects; `loadToken` below
// adds what the loader does on the way: packet expressions and comment collection, whose cold
// parts live in ser_tokenizer.cpp); and the tree builder (ser_grammar.cpp), one member per
// grammar construct with its rule above it.
//
// The parser works on the state of its CLoader4SER (the root at the bottom of its field stack,
// the error list, the comment state); the field being read and the reading position live here,
// and the position is handed back to the loader when the load ends.

#include <climits>
#include <cstddef>
#include <string>
#include <vector>

#include "loader/byte_cursor.h"
#include "loader/ser_tokens.h"
#include "tree/fields_vector.h"
#include "vexl/loaders.h"

namespace vexl::detail {

class CSerParser {
public:
    /// Reads the text [begin, end) into the root at the bottom of `loader`'s field stack.
    CSerParser(CLoader4SER &loader, const char *begin, const char *end);
    ~CSerParser();
    CSerParser(const CSerParser &) = delete;
    CSerParser &operator=(const CSerParser &) = delete;

    /// The document: the root value, trailing comments, the root checks (steps 2 to 5 of a
    /// load). Returns false when an error ended the load.
    bool loadDocument();
    /// The reading position.
    const char *position() const noexcept { return m_cur.pos(); }

private:
    // MARK: - Tokens (ser_tokenizer.cpp)

    /// The next token, with side effects: "{", "}", "[", "]" and "," forbid a packet expression,
    /// "(" collects one when allowed, comments are collected when requested. `deferFraction` as
    /// for `scanSerToken`.
    tToken loadToken(bool deferFraction = false);
    /// The one-token lookahead, which only ever asks for "=": its position when the next token
    /// is "=", else null. Nothing moves and nothing is collected.
    const char *assignAfter() const noexcept {
        CByteCursor ahead = m_cur;
        ahead.skipBlanks();
        return ahead.peek() == '=' ? ahead.pos() : nullptr;
    }
    /// `loadToken`, then further tokens while they are comments, when `LCBC_COMMENTS` is set.
    tToken skipCommentTokens(bool deferFraction = false);
    /// Skips comment tokens whatever the configuration, starting with `t`.
    tToken skipComments(tToken t);

    /// Collects a packet expression after its "(" (`open`) for the field on top of the stack;
    /// leaves the cursor after the expression. Errors are recorded; the token is still returned.
    void loadPEI(const tToken &open);
    /// Decodes the text inside the parentheses into `field`, recording an error at `open`.
    bool decodePEI(const char *text, size_t length, const tToken &open, CFields &field);
    /// Places a comment: behind the last field on the same line, or pending for the next field.
    void addComment(const tToken &comment);
    /// True when a CR or LF stands between the last value and `upTo`.
    bool lineEndSinceLastValue(const char *upTo);

    // MARK: - Grammar (ser_grammar.cpp)

    bool loadFieldInfo(bool rootPosition);
    bool loadRootFieldInfo(const tToken &first);
    bool readIdPrefix(tToken &t, uint32_t &id);
    bool loadChildFields(const tToken &open);
    bool loadArray(const tToken &open);
    /// After "{" or "[" and blanks, at a "/": true, with the cursor after `close`, when only
    /// comment tokens and blanks stand before it; the comments are placed as usual, and those
    /// that would go ahead of a first member go ahead of `container` instead. Otherwise false,
    /// with the cursor after the comments read (their placement is pending as before).
    bool closesEmptyAfterComments(CFields &container, char close);

    /// Adds a member (an element when `owner` is an array) to the container being read at
    /// nesting `level`, with the rules of `CFields::child_AddPtr`; null when refused.
    CFields *addMember(uint32_t level, CFields &owner, const char *name, unsigned int length,
                       unsigned int id);

    /// The member head shared by the root head and the members: an optional name and "=".
    enum class E_Head { Value, Named, Error };
    E_Head loadMemberHead(const tToken &t, bool root, const char *&name, size_t &nameLength);

    /// True when the next value may be read by `readPlainValue`: below the depth limit, no
    /// packet expression on the field, no comment waiting to be placed ahead of it.
    bool plainValueAllowed() const noexcept {
        return m_rL.m_uiDepth < CLoader4SER::s_cnStackDepthLimit && !m_rL.m_bHasPEI &&
               (!m_bCollect || m_rL.m_strComment.empty());
    }
    /// Reads a member's or element's value into `member`; false when an error ended it.
    bool readValueOf(CFields &member);
    /// After a value was read into `field`: where a same-line comment would go, when comments
    /// are collected.
    void noteValueEnd(CFields &field) noexcept {
        if (m_bCollect) {
            m_rL.m_pLastValueEnd = m_cur.pos();
            m_rL.m_pLastCommentField = &field;
        }
    }
    /// How `readPlainValue` ended.
    enum class E_Plain { Read, NotPlain, Failed };
    /// Reads the value of a member or element that starts plainly (a number, a string without
    /// escapes, true, false, null, "{" or "[") into `field`, exactly as `loadFieldInfo` would,
    /// when `plainValueAllowed`: Read, or Failed when a container's reading failed (the error
    /// is recorded). Anything else (escapes, comments, packet expressions, errors) is NotPlain,
    /// with the cursor at the value for `loadFieldInfo` to read.
    E_Plain readPlainValue(CFields &field);
    /// `readPlainValue` for a "{" or "[" at the cursor.
    E_Plain readPlainContainer(CFields &field);
    /// After a member or element: when the next token is "," or `closer` ("}" or "]"), reads
    /// it with the effects `loadToken` has and returns its type; otherwise TT_end with only
    /// blanks read.
    E_TokenType readPlainSeparator(char closer) noexcept {
        m_cur.skipBlanks();
        const int c = m_cur.peek();
        if (c != ',' && c != closer)
            return TT_end;
        m_cur.advance();
        m_rL.m_bAllowPEI = false;
        return E_TokenType(kFirstByteClass[unsigned(c)]);
    }
    /// A member head that is a string without escapes followed by "=": moves past the "=",
    /// sets `name`, `nameLength` and `first` (the name's token) and returns true. Otherwise
    /// returns false with the cursor at the head, for the general reading.
    bool readPlainName(tToken &first, const char *&name, size_t &nameLength) noexcept;

    bool allotUnescapeString(const tToken &t, CFields &field);
    bool unescapeInto(const tToken &t, std::string &out);
    /// Converts a number token into `field`; a token whose fraction was deferred is completed
    /// first (`t` and the cursor then end after it).
    void decodeNumber(tToken &t, CFields &field);
    /// The rest of `decodeNumber` for a fraction or exponent the fast conversion did not take.
    void decodeOddNumber(tToken &t, CFields &field);
    void numberName(const tToken &t, std::string &out);
    bool continuesNumber(const char *p) const noexcept;
    void finishScalar(CFields &field, const char *begin, const char *end);

    // MARK: - Errors

    void addError(const tTokenInfo &at, const char *message, const char *seeAlso = nullptr);
    /// Reads tokens up to one of type `closer` or the end, drops the errors recorded meanwhile,
    /// and returns false.
    bool recover4Error(E_TokenType closer);
    bool addErrorAndRecover(const tTokenInfo &at, const char *message, E_TokenType closer);

    // MARK: - Helpers

    /// The field whose value is being read.
    CFields &top() { return *m_pTop; }
    /// Offset of `p` from the start of the text, as the field offsets store it (saturated).
    int offsetOf(const char *p) const noexcept {
        const ptrdiff_t d = p - m_cur.begin();
        return d > INT_MAX ? INT_MAX : static_cast<int>(d);
    }
    bool hasBit(unsigned bit) const noexcept { return (m_uiLCBC & bit) != 0; }

    CLoader4SER &m_rL;
    CByteCursor m_cur;
    const unsigned m_uiLCBC;
    const bool m_bCollect;
    CFields *const m_pRoot;   // the root at the bottom of the loader's field stack
    CFields *m_pTop;          // the field whose value is being read (the root first)
    std::string m_strName;    // a member name with escapes resolved
    std::string m_strValue;   // a string value with escapes resolved
    std::string m_strComment; // a comment with its line ends normalised

    // The members of the containers being read, one sequence per nesting level. A container's
    // members are gathered here and moved into a block of exactly their number when it closes:
    // the sequences are reused from container to container (their memory stays warm), and no
    // block of the tree is ever grown or left half empty. Members never move while they are
    // being read: a level's sequence only grows when its previous member is complete.
    std::vector<CFieldsVector *> m_vecMembers;
    uint32_t m_uiLevel = 0; // containers open

    // Newline search between the last value and a comment, resumed where it stopped so that many
    // comments after one value are scanned in linear time.
    const char *m_pNlBase = nullptr;
    const char *m_pNlScanned = nullptr;
    bool m_bNlSeen = false;
};

// MARK: - Hot token steps (inline: called for every token)

inline tToken CSerParser::loadToken(bool deferFraction) {
    tToken t = scanSerToken(m_cur, deferFraction);
    switch (t.eType) {
    case TT_fieldsOpen:
    case TT_fieldsClose:
    case TT_arrayOpen:
    case TT_arrayClose:
    case TT_comma:
        m_rL.m_bAllowPEI = false;
        break;
    case TT_peiOpen:
        if (m_rL.m_bAllowPEI) {
            loadPEI(t);
            t.setEnd(m_cur.pos());
            t.bFlag = true;
        }
        break;
    case TT_comment:
        if (m_bCollect)
            addComment(t);
        break;
    default:
        break;
    }
    return t;
}

inline tToken CSerParser::skipCommentTokens(bool deferFraction) {
    tToken t = loadToken(deferFraction);
    if (hasBit(LCBC_COMMENTS))
        while (t.eType == TT_comment)
            t = loadToken(deferFraction);
    return t;
}

inline tToken CSerParser::skipComments(tToken t) {
    while (t.eType == TT_comment)
        t = loadToken();
    return t;
}

} // namespace vexl::detail
