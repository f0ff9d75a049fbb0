// Tokens of the text notation, packet expression collection and comment placement.

#include <climits>

#include "loader/pei_decode.h"
#include "loader/ser_parser.h"

namespace vexl::detail {

namespace {

constexpr const char *kMsgNoField = "Add a field for this syntax";
constexpr const char *kMsgDuplicatedPEI = "Duplicated '(' in packet expression";
constexpr const char *kMsgContainerPEI = "Packet expression type has not field or array";
constexpr const char *kMsgEmptyPEI = "This packet expression empty";
constexpr const char *kMsgNoClose = "Found not ')' in packet expression";
constexpr const char *kMsgTooShort = "The packet expression is too short";
constexpr const char *kMsgTooLong = "The packet expression is too long";
constexpr const char *kMsgMissingClose = "Missing ')' in packet expression";

constexpr size_t kMinExpression = 4;
constexpr size_t kMaxExpression = 255;

} // namespace

CSerParser::CSerParser(CLoader4SER &loader, const char *begin, const char *end)
    : m_rL(loader), m_cur(begin, end), m_uiLCBC(loader.getLCBC()), m_bCollect(loader.m_bCollectComments),
      m_pRoot(loader.m_dqFieldStack.empty() ? nullptr : loader.m_dqFieldStack.back()), m_pTop(m_pRoot) {}

CSerParser::~CSerParser() {
    for (CFieldsVector *members : m_vecMembers)
        CFieldsVector::destroy(members); // what a failed load left behind
}

// MARK: - Rare tokens

tToken scanOtherToken(CByteCursor &cur, tToken t) noexcept {
    switch (cur.peek()) {
    case -1:
    case 0:
        t.eType = TT_end; // the reading position stays
        break;
    case '#':
        cur.advance();
        cur.skipDigits();
        t.eType = TT_id;
        break;
    case 't':
        cur.advance();
        t.eType = cur.match("rue", 3) ? TT_true : TT_error;
        break;
    case 'f':
        cur.advance();
        t.eType = cur.match("alse", 4) ? TT_false : TT_error;
        break;
    case 'n':
        cur.advance();
        t.eType = cur.match("ull", 3) ? TT_null : TT_error;
        break;
    case '/':
        cur.advance();
        if (cur.peek() == '/') {
            const char *lineEnd = cur.findLineEnd();
            if (lineEnd == nullptr) {
                cur.toEnd();
            } else {
                cur.setPos(lineEnd + 1);
                if (*lineEnd == '\r' && cur.peek() == '\n')
                    cur.advance();
            }
            t.eType = TT_comment;
        } else if (cur.peek() == '*') {
            cur.advance();
            const char *close = cur.findPair('*', '/');
            if (close == nullptr) {
                cur.toEnd();
                t.eType = TT_error; // unterminated
            } else {
                cur.setPos(close + 2);
                t.eType = TT_comment;
            }
        } else {
            t.eType = TT_error;
        }
        break;
    default: // any other byte, every byte above 125 included
        cur.advance();
        t.eType = TT_error;
        break;
    }
    t.setEnd(cur.pos());
    return t;
}

// MARK: - Packet expressions

// expression = "(" blanks token [ blanks { byte other than ")" } ] ")"
// token      = 4 to 255 bytes other than space, CR, TAB, LF and ")"
//
// Every error ends the expression without decoding it; the text up to its ")" is still
// consumed, so the value after it is read as usual and the load goes on (the error stays in the
// list and `getStatus` reports it).
void CSerParser::loadPEI(const tToken &open) {
    tTokenInfo at{TT_peiOpen, open.pBegin, open.pEnd()};
    auto consumeToClose = [this]() {
        const char *close = m_cur.find(')');
        if (close == nullptr)
            m_cur.toEnd();
        else
            m_cur.setPos(close + 1);
    };

    CFields *field = m_pTop;
    const char *refusal = field == nullptr                         ? kMsgNoField
                          : m_rL.m_bHasPEI                         ? kMsgDuplicatedPEI
                          : (field->isArray() || field->isField()) ? kMsgContainerPEI
                                                                   : nullptr;
    if (refusal != nullptr) {
        consumeToClose();
        at.pEnd = m_cur.pos();
        addError(at, refusal);
        return;
    }

    field->setOffsetStart(offsetOf(open.pBegin));
    m_cur.skipBlanks();
    if (m_cur.peek() == ')') {
        m_cur.advance();
        at.pEnd = m_cur.pos();
        addError(at, kMsgEmptyPEI);
        return;
    }
    const char *tokenBegin = m_cur.pos();
    const char *tokenEnd = m_cur.findBlankOrClose();
    if (tokenEnd == nullptr) {
        m_cur.toEnd();
        at.pEnd = m_cur.pos();
        addError(at, kMsgNoClose);
        return;
    }
    const size_t length = size_t(tokenEnd - tokenBegin);
    m_cur.setPos(tokenEnd);
    if (m_cur.peek() == ')') {
        m_cur.advance();
    } else {
        // Anything between the token and the ")" is ignored.
        const char *close = m_cur.find(')');
        if (close == nullptr) {
            // No ")" follows anywhere: recovery to ")" would read to the end of the text.
            m_cur.toEnd();
            at.pEnd = m_cur.pos();
            addError(at, length < kMinExpression   ? kMsgTooShort
                         : length > kMaxExpression ? kMsgTooLong
                                                   : kMsgMissingClose);
            return;
        }
        m_cur.setPos(close + 1);
    }
    at.pEnd = m_cur.pos();
    if (length < kMinExpression) {
        addError(at, kMsgTooShort);
        return;
    }
    if (length > kMaxExpression) {
        addError(at, kMsgTooLong);
        return;
    }
    field->setOffsetEnd(offsetOf(m_cur.pos()));
    m_rL.m_bHasPEI = true;
    decodePEI(tokenBegin, length, open, *field);
}

bool CSerParser::decodePEI(const char *text, size_t length, const tToken &open, CFields &field) {
    tPacketExpInfo exp{};
    const char *error = detail::decodePEI(text, length, m_uiLCBC, exp);
    if (error != nullptr) {
        addError(tTokenInfo{TT_peiOpen, open.pBegin, m_cur.pos() > open.pEnd() ? m_cur.pos() : open.pEnd()},
                 error);
        return false;
    }
    field.pkt_SetExp(exp);
    return true;
}

// MARK: - Comments

bool CSerParser::lineEndSinceLastValue(const char *upTo) {
    const char *base = m_rL.m_pLastValueEnd;
    if (base != m_pNlBase) {
        m_pNlBase = base;
        m_pNlScanned = base;
        m_bNlSeen = false;
    }
    if (upTo < base)
        return true; // not after the last value: keep it for the next field
    if (!m_bNlSeen && upTo > m_pNlScanned) {
        CByteCursor gap(m_pNlScanned, upTo);
        m_bNlSeen = gap.findLineEnd() != nullptr;
        m_pNlScanned = upTo;
    }
    return m_bNlSeen;
}

void CSerParser::addComment(const tToken &comment) {
    CByteCursor text(comment.pBegin, comment.pEnd());
    bool pending;
    if (m_rL.m_pLastValueEnd == nullptr || m_rL.m_pLastCommentField == nullptr)
        pending = true; // no value read yet
    else if (lineEndSinceLastValue(comment.pBegin))
        pending = true; // on a later line than the last value
    else if (text.peekAt(1) == '/')
        pending = false; // a line comment on the value's line
    else
        pending = text.findLineEnd() != nullptr; // a block comment that spans lines

    // CR LF and a lone CR become LF. A zero byte becomes a blank: the stored comment ends at its
    // first zero byte, which would lose the rest of the comment (a block comment's "*/").
    m_strComment.clear();
    while (!text.atEnd()) {
        const int c = text.peek();
        text.advance();
        if (c == '\r') {
            if (text.peek() == '\n')
                text.advance();
            m_strComment.push_back('\n');
        } else if (c == 0) {
            m_strComment.push_back(' ');
        } else {
            m_strComment.push_back(static_cast<char>(c));
        }
    }
    if (pending)
        m_rL.m_strComment += m_strComment;
    else
        m_rL.m_pLastCommentField->setComment(m_strComment.data(),
                                             static_cast<unsigned int>(m_strComment.size()), CP_Behind);
}

// MARK: - Errors

void CSerParser::addError(const tTokenInfo &at, const char *message, const char *seeAlso) {
    m_rL.m_dqErrors.push_back(tLoadError{tTokenInfo{at.eType, at.pBegin, at.pEnd}, message, seeAlso});
}

bool CSerParser::recover4Error(E_TokenType closer) {
    const size_t kept = m_rL.m_dqErrors.size();
    for (;;) {
        const tToken t = loadToken();
        if (t.eType == closer || t.eType == TT_end)
            break;
    }
    m_rL.m_dqErrors.resize(kept);
    return false;
}

bool CSerParser::addErrorAndRecover(const tTokenInfo &at, const char *message, E_TokenType closer) {
    addError(at, message);
    return recover4Error(closer);
}

} // namespace vexl::detail
