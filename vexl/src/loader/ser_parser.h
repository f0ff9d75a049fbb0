#pragma once
// The text notation parser behind CLoader4SER.
//
// Three layers: the bounded byte cursor (byte_cursor.h) at the bottom; the tokenizer
// (ser_tokenizer.cpp: `scanToken` classifies the next token without side effects, `loadToken`
// adds what the loader does on the way: packet expressions and comment collection); and the
// tree builder (ser_grammar.cpp), one member per grammar construct with its rule above it.
//
// The parser works on the state of its CLoader4SER (field stack, error list, comment state);
// the reading position lives here and is handed back to the loader when the load ends.

#include <string>

#include "loader/byte_cursor.h"
#include "vexl/loaders.h"

namespace vexl::detail {

/// A token with what the tokenizer learnt about it on the way.
struct tToken : tTokenInfo {
    /// TT_string: the body holds a backslash. TT_peiOpen: the whole expression was collected
    /// (otherwise the token is the single "(").
    bool bFlag;
};

class CSerParser {
public:
    /// Reads the text [begin, end) into the root at the bottom of `loader`'s field stack.
    CSerParser(CLoader4SER &loader, const char *begin, const char *end);

    /// The document: the root value, trailing comments, the root checks (steps 2 to 5 of a
    /// load). Returns false when an error ended the load.
    bool loadDocument();
    /// The reading position.
    const char *position() const noexcept { return m_cur.pos(); }

private:
    // MARK: - Tokens (ser_tokenizer.cpp)

    /// Classifies the token at `cur` (after blanks) and moves `cur` past it; no side effects.
    static tToken scanToken(CByteCursor &cur) noexcept;
    /// The next token, with side effects: "{", "}", "[", "]" and "," forbid a packet expression,
    /// "(" collects one when allowed, comments are collected when requested.
    tToken loadToken();
    /// The next token without moving or any side effect (the one-token lookahead).
    tToken peekToken() const noexcept;
    /// `loadToken`, then further tokens while they are comments, when `LCBC_COMMENTS` is set.
    tToken skipCommentTokens();
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
    bool loadChildFields(const tToken &open);
    bool loadArray(const tToken &open);

    /// The member head shared by the root head and the members: an optional name and "=".
    enum class E_Head { Value, Named, Error };
    E_Head loadMemberHead(const tToken &t, bool root, const char *&name, size_t &nameLength);

    bool allotUnescapeString(const tToken &t, CFields &field);
    bool unescapeInto(const tToken &t, std::string &out);
    void decodeNumber(const tToken &t, CFields &field);
    void numberName(const tToken &t, std::string &out);
    void finishScalar(CFields &field, const char *begin, const char *end);

    // MARK: - Errors

    void addError(const tTokenInfo &at, const char *message, const char *seeAlso = nullptr);
    /// Reads tokens up to one of type `closer` or the end, drops the errors recorded meanwhile,
    /// and returns false.
    bool recover4Error(E_TokenType closer);
    bool addErrorAndRecover(const tTokenInfo &at, const char *message, E_TokenType closer);

    // MARK: - Helpers

    CFields &top() { return *m_rL.m_dqFieldStack.back(); }
    int offsetOf(const char *p) const noexcept;
    bool hasBit(unsigned bit) const noexcept { return (m_uiLCBC & bit) != 0; }

    CLoader4SER &m_rL;
    CByteCursor m_cur;
    const unsigned m_uiLCBC;
    const bool m_bCollect;
    std::string m_strName;    // a member name with escapes resolved
    std::string m_strValue;   // a string value with escapes resolved
    std::string m_strComment; // a comment with its line ends normalised

    // Newline search between the last value and a comment, resumed where it stopped so that many
    // comments after one value are scanned in linear time.
    const char *m_pNlBase = nullptr;
    const char *m_pNlScanned = nullptr;
    bool m_bNlSeen = false;
};

} // namespace vexl::detail
