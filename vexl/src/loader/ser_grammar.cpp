// The grammar of the text notation: one member per construct, building the tree on the way.

#include <charconv>
#include <system_error>
#include <type_traits>

#include "loader/number_decode.h"
#include "loader/pei_decode.h"
#include "loader/ser_parser.h"
#include "loader/unescape.h"
#include "vexl/utilities.h"

namespace vexl::detail {

namespace {

constexpr const char *kMsgSyntax = "Syntax error: value, field or array expected.";
constexpr const char *kMsgBadID = "Failed to loading for the #ID syntax";
constexpr const char *kMsgNoName = "Missing field member name";
constexpr const char *kMsgRootName = "Failed to set the root field name";
constexpr const char *kMsgNoMember = "Missing '}' or field member name";
constexpr const char *kMsgRefused = "This field not allow the duplication or a error occured";
constexpr const char *kMsgNoComma = "Missing ','";
constexpr const char *kMsgFieldsSeparator = "Missing ',' or '}' in field declaration";
constexpr const char *kMsgArraySeparator = "Missing ',' or ']' in array declaration";
constexpr const char *kMsgRootType = "A valid VEXL document must be either an DT_array or an DT_fields type.";

constexpr size_t kMaxNameLength = 255;

// Keeps the nesting depth counted while a value is read.
class CDepthGuard {
public:
    explicit CDepthGuard(uint32_t &depth) noexcept : m_rDepth(depth) { ++m_rDepth; }
    ~CDepthGuard() { --m_rDepth; }
    CDepthGuard(const CDepthGuard &) = delete;
    CDepthGuard &operator=(const CDepthGuard &) = delete;

private:
    uint32_t &m_rDepth;
};

// Holds a nesting level of the member sequences while a container is read.
class CLevelGuard {
public:
    CLevelGuard(uint32_t &level, std::vector<CFieldsVector *> &members) : m_rLevel(level), m_uiLevel(level) {
        if (members.size() <= m_uiLevel)
            members.push_back(CFieldsVector::create(0));
        else if (members[m_uiLevel]->count() != 0)
            members[m_uiLevel]->clear(); // left over from a failed member (never in practice)
        ++m_rLevel;
    }
    ~CLevelGuard() { --m_rLevel; }
    CLevelGuard(const CLevelGuard &) = delete;
    CLevelGuard &operator=(const CLevelGuard &) = delete;
    uint32_t level() const noexcept { return m_uiLevel; }

private:
    uint32_t &m_rLevel;
    const uint32_t m_uiLevel;
};

// Stores a scalar as `field`'s actual value, as `CFields::setValue` does for its type.
template <typename T> inline void setScalar(CFields &field, E_DataType type, T value) noexcept {
    uMultiValue u;
    u.m_ullValue = 0;
    if constexpr (std::is_same_v<T, bool>)
        u.m_bValue = value;
    else if constexpr (std::is_same_v<T, double>)
        u.m_dValue = value;
    else if constexpr (std::is_same_v<T, long long>)
        u.m_llValue = value;
    else
        u.m_ullValue = value;
    CFieldsVector::setActualScalar(field, type, u);
}

// Makes a member the field being read while its value is read.
class CTopGuard {
public:
    CTopGuard(CFields *&top, CFields *field) noexcept : m_rTop(top), m_pSaved(top) { m_rTop = field; }
    ~CTopGuard() { m_rTop = m_pSaved; }
    CTopGuard(const CTopGuard &) = delete;
    CTopGuard &operator=(const CTopGuard &) = delete;

private:
    CFields *&m_rTop;
    CFields *const m_pSaved;
};

} // namespace

// document = [ root-head ] value { comment }
bool CSerParser::loadDocument() {
    CFields &root = top();
    bool result = loadFieldInfo(true);
    if (result) {
        // Trailing comments; whatever else follows the root value is not examined.
        skipCommentTokens();
        if (m_bCollect && !m_rL.m_strComment.empty()) {
            root.setComment(m_rL.m_strComment.data(), static_cast<unsigned int>(m_rL.m_strComment.size()),
                            CP_Tail);
            m_rL.m_strComment.clear();
        }
    }
    if (hasBit(LCBC_ROOT_CONTAINER) && !root.isArray() && !root.isField()) {
        addError(tTokenInfo{TT_error, m_cur.begin(), m_cur.end()}, kMsgRootType);
        result = false;
    }
    return result;
}

// True when the byte at `p` (within the text) could continue a number token.
inline bool CSerParser::continuesNumber(const char *p) const noexcept {
    if (p >= m_cur.end())
        return false;
    const char c = *p;
    return isDigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}

// Inlined where values are read: most numbers of a document take the first branch.
[[gnu::always_inline]] inline void CSerParser::decodeNumber(tToken &t, CFields &field) {
    if (t.bFlag) {
        // The fraction or exponent is still to be read. A conversion that stops where no more
        // number bytes follow has read exactly the token the grammar would have (which never
        // stops earlier), and gives the value the whole token gives.
        double value = 0.0;
        const std::from_chars_result r =
            std::from_chars(t.pBegin, m_cur.end(), value, std::chars_format::general);
        if (r.ec == std::errc() && r.ptr > t.pEnd() && !continuesNumber(r.ptr)) {
            m_cur.setPos(r.ptr);
            t.setEnd(r.ptr);
            setScalar(field, DT_double, value);
            return;
        }
        decodeOddNumber(t, field);
        return;
    }
    decodeNumberToken(t.pBegin, size_t(t.pEnd() - t.pBegin), field);
}

void CSerParser::decodeOddNumber(tToken &t, CFields &field) {
    scanNumberRest(m_cur);
    t.setEnd(m_cur.pos());
    decodeNumberToken(t.pBegin, size_t(t.pEnd() - t.pBegin), field);
}

// value = [ packet-expression ] ( fields | array | string | number | "true" | "false" | "null" )
// In root position a root head may come first; with LCBC_MISSING_NULL a "}", "]" or "," where the
// value should start gives a null value (the terminator is left for the caller).
bool CSerParser::loadFieldInfo(bool rootPosition) {
    if (m_rL.m_uiDepth >= CLoader4SER::s_cnStackDepthLimit)
        raiseLogicError("[%s#%d] Exceeded s_cnStackDepthLimit", "vexl::CLoader4SER::loadFieldInfo", 150);
    CDepthGuard depth(m_rL.m_uiDepth);
    CFields &field = top();

    for (;;) {
        tToken t = skipCommentTokens(!rootPosition);
        if (m_bCollect && !m_rL.m_strComment.empty()) {
            field.setComment(m_rL.m_strComment.data(), static_cast<unsigned int>(m_rL.m_strComment.size()),
                             CP_Ahead);
            m_rL.m_strComment.clear();
        }
        if (rootPosition && t.eType != TT_fieldsOpen) {
            if (!loadRootFieldInfo(t))
                return false;
            rootPosition = false;
            continue;
        }

        switch (t.eType) {
        case TT_fieldsOpen:
            if (!loadChildFields(t))
                return false;
            field.setOffsetEnd(offsetOf(m_cur.pos()));
            break;
        case TT_arrayOpen:
            if (!loadArray(t))
                return false;
            field.setOffsetEnd(offsetOf(m_cur.pos()));
            break;
        case TT_peiOpen:
            if (!t.bFlag) {
                // A "(" where no expression may stand: the one-byte text is no expression.
                decodePEI(t.pBegin, size_t(t.pEnd() - t.pBegin), t, field);
                return false;
            }
            continue; // the expression is stored (or its error recorded); now the value
        case TT_string:
            if (!allotUnescapeString(t, field))
                return false;
            finishScalar(field, t.pBegin, t.pEnd());
            break;
        case TT_number:
            decodeNumber(t, field);
            finishScalar(field, t.pBegin, t.pEnd());
            break;
        case TT_true:
        case TT_false:
            field.setValue(t.eType == TT_true);
            finishScalar(field, t.pBegin, t.pEnd());
            break;
        case TT_null:
            field.setValue(DT_null);
            finishScalar(field, t.pBegin, t.pEnd());
            break;
        case TT_fieldsClose:
        case TT_arrayClose:
        case TT_comma:
            if (hasBit(LCBC_MISSING_NULL)) {
                m_cur.setPos(t.pBegin);
                field.setValue(DT_null);
                finishScalar(field, t.pBegin > m_cur.begin() ? t.pBegin - 1 : t.pBegin, t.pBegin);
                break;
            }
            [[fallthrough]];
        default:
            field.setOffsetStart(offsetOf(t.pBegin));
            field.setOffsetEnd(offsetOf(t.pEnd()));
            addError(t, kMsgSyntax);
            return false;
        }

        noteValueEnd(field);
        return true;
    }
}

// head = [ ( string | number ) "=" | "=" ]
// A string or number is a name only when "=" follows it (one token of lookahead); otherwise it is
// the value, and so are "{", "}", "[", "(", ",", true, false and null, which are left to be read
// again. Returns Named with the name (cursor after the "="), Value without one, or Error after
// recording the error and recovering to "}".
CSerParser::E_Head CSerParser::loadMemberHead(const tToken &t, bool root, const char *&name,
                                              size_t &nameLength) {
    name = nullptr;
    nameLength = 0;
    switch (t.eType) {
    case TT_fieldsOpen:
    case TT_fieldsClose:
    case TT_arrayOpen:
    case TT_peiOpen:
    case TT_comma:
    case TT_true:
    case TT_false:
    case TT_null:
        m_cur.setPos(t.pBegin);
        return E_Head::Value;
    case TT_assign:
        return E_Head::Value;
    case TT_string: {
        const char *assign = assignAfter();
        if (assign == nullptr) {
            m_cur.setPos(t.pBegin);
            return E_Head::Value;
        }
        if (t.bFlag) {
            if (!unescapeInto(t, m_strName)) {
                recover4Error(TT_fieldsClose);
                return E_Head::Error;
            }
            name = m_strName.data();
            nameLength = m_strName.size();
        } else {
            name = t.pBegin + 1; // no escapes: the body as it stands
            nameLength = size_t(t.pEnd() - t.pBegin) - 2;
        }
        m_cur.setPos(assign + 1);
        return E_Head::Named;
    }
    case TT_number: {
        const char *assign = assignAfter();
        if (assign == nullptr) {
            m_cur.setPos(t.pBegin);
            return E_Head::Value;
        }
        if (!hasBit(LCBC_NUMERIC_NAME)) {
            addErrorAndRecover(t, root ? kMsgNoName : kMsgNoMember, TT_fieldsClose);
            return E_Head::Error;
        }
        numberName(t, m_strName);
        name = m_strName.data();
        nameLength = m_strName.size();
        m_cur.setPos(assign + 1);
        return E_Head::Named;
    }
    default:
        addErrorAndRecover(t, kMsgNoMember, TT_fieldsClose);
        return E_Head::Error;
    }
}

// id-prefix = [ "#" digits { comment } ]
// When `t` is an ID, stores it in `id` and moves `t` to the token after it and its comments;
// a zero or overflowing ID is recorded as an error and gives false.
bool CSerParser::readIdPrefix(tToken &t, uint32_t &id) {
    if (t.eType != TT_id)
        return true;
    id = readIdDigits(t.pBegin + 1, size_t(t.pEnd() - t.pBegin) - 1);
    if (id == 0) {
        addError(t, kMsgBadID);
        return false;
    }
    t = skipComments(loadToken());
    return true;
}

// root-head = [ "#" digits { comment } ] [ ( string | number ) "=" | "=" ]
bool CSerParser::loadRootFieldInfo(const tToken &first) {
    tToken t = first;
    uint32_t id = 0;
    if (!readIdPrefix(t, id))
        return false;
    const char *name = nullptr;
    size_t nameLength = 0;
    const E_Head head = loadMemberHead(t, true, name, nameLength);
    if (head == E_Head::Error)
        return false;

    CFields &root = top();
    root.setID(id);
    if (head == E_Head::Named) {
        if (nameLength > kMaxNameLength)
            return addErrorAndRecover(first, kMsgRootName, TT_fieldsClose);
        if (nameLength > 0)
            root.setName(name, static_cast<unsigned int>(nameLength));
    }
    return true;
}

[[gnu::always_inline]] inline CFields *CSerParser::addMember(uint32_t level, CFields &owner, const char *name,
                                                             unsigned int length, unsigned int id) {
    m_rL.m_bAllowPEI = true;
    CFieldsVector *&members = m_vecMembers[level];
    if (members->count() == members->capacity()) // the sequence is reused: grow it fast
        CFieldsVector::reserve(members, members->capacity() < 8 ? 8 : members->capacity() * 2);
    CFields *member = owner.isArray() ? &CFieldsVector::appendNull(members)
                                      : CFieldsVector::appendMember(members, owner, name, length, id,
                                                                    hasBit(LCBC_DUPLICATE_NAMES));
    // Growing may have moved the earlier members, also when the addition is then refused and
    // the load unwinds reading further comments: re-derive the field a same-line comment
    // belongs to (the member before the new one, or the container for the first).
    if (m_rL.m_pLastCommentField != nullptr) {
        const uint32_t l_uBefore = members->count() - (member != nullptr ? 1u : 0u);
        m_rL.m_pLastCommentField = l_uBefore != 0 ? &(*members)[l_uBefore - 1] : &owner;
    }
    return member;
}

// MARK: - Plain members

bool CSerParser::readPlainName(tToken &first, const char *&name, size_t &nameLength) noexcept {
    m_cur.skipBlanks();
    const char *const begin = m_cur.pos();
    const char *const quote = m_cur.peek() == '"' ? m_cur.skipPlainString() : nullptr;
    if (quote == nullptr)
        return false;
    const char *const assign = assignAfter();
    if (assign == nullptr) {
        m_cur.setPos(begin);
        return false;
    }
    first = tToken{begin, static_cast<uint32_t>(quote + 1 - begin), TT_string, false};
    name = begin + 1;
    nameLength = size_t(quote - begin) - 1;
    m_cur.setPos(assign + 1);
    return true;
}

CSerParser::E_Plain CSerParser::readPlainContainer(CFields &field) {
    const int c = m_cur.peek();
    const tToken t{m_cur.pos(), 1, E_TokenType(kFirstByteClass[unsigned(c)]), false};
    m_cur.advance();
    m_rL.m_bAllowPEI = false;
    const CDepthGuard depth(m_rL.m_uiDepth);
    bool loaded;
    {
        CTopGuard onTop(m_pTop, &field);
        loaded = c == '{' ? loadChildFields(t) : loadArray(t);
    }
    if (!loaded)
        return E_Plain::Failed;
    // The offsets: the container's start was set when it opened.
    field.setOffsetEnd(offsetOf(m_cur.pos()));
    noteValueEnd(field);
    return E_Plain::Read;
}

// Inlined into the two member loops: most values are scalars.
[[gnu::always_inline]] inline CSerParser::E_Plain CSerParser::readPlainValue(CFields &field) {
    m_cur.skipBlanks();
    tToken t{m_cur.pos(), 0, TT_number, false};
    const int c = m_cur.peek();
    switch (c) {
    case '{':
    case '[':
        return readPlainContainer(field);
    case '"': {
        const char *const quote = m_cur.skipPlainString();
        if (quote == nullptr)
            return E_Plain::NotPlain;
        field.setValue(t.pBegin + 1, static_cast<unsigned int>(quote - t.pBegin - 1));
        break;
    }
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9': {
        // The digits are converted while they are scanned; up to 18 of them cannot overflow.
        m_cur.advance();
        uint64_t value = c == '-' ? 0u : unsigned(c - '0');
        const size_t digits = (c == '-' ? 0u : 1u) + m_cur.skipDigitsInto(value);
        t.setEnd(m_cur.pos());
        const int next = m_cur.peek();
        if (next == '.' || next == 'e' || next == 'E') {
            t.bFlag = true;
            decodeNumber(t, field);
        } else if (digits - 1u < 18u) {
            storeDecimalInteger(field, c == '-', value);
        } else {
            decodeNumberToken(t.pBegin, t.uLength, field);
        }
        break;
    }
    case 't':
        if (!m_cur.match("true", 4))
            return E_Plain::NotPlain;
        setScalar(field, DT_bool, true);
        break;
    case 'f':
        if (!m_cur.match("false", 5))
            return E_Plain::NotPlain;
        setScalar(field, DT_bool, false);
        break;
    case 'n':
        if (!m_cur.match("null", 4))
            return E_Plain::NotPlain;
        setScalar(field, DT_null, uint64_t(0));
        break;
    default:
        return E_Plain::NotPlain;
    }
    field.setOffsetStart(offsetOf(t.pBegin));
    field.setOffsetEnd(offsetOf(m_cur.pos())); // the end of the token
    noteValueEnd(field);
    return E_Plain::Read;
}

// The value of a member or element: the plain reading when it applies, else the general one.
[[gnu::always_inline]] inline bool CSerParser::readValueOf(CFields &member) {
    const E_Plain plain = plainValueAllowed() ? readPlainValue(member) : E_Plain::NotPlain;
    if (plain != E_Plain::NotPlain)
        return plain == E_Plain::Read;
    CTopGuard onTop(m_pTop, &member);
    return loadFieldInfo(false);
}

// Empty brackets: "{}", "[ ]", "{ // nothing yet\n}" hold no member at all (a missing value
// needs a ",": "[,]" is two missing elements).
// The common cases are decided inline by the callers: the closer right after the blanks, or no
// comment. This is the rare rest, with comments before whatever comes.
[[gnu::noinline]] bool CSerParser::closesEmptyAfterComments(CFields &container, char close) {
    for (;;) {
        const char *const l_pAt = m_cur.pos();
        const tToken t = scanSerToken(m_cur);
        if (t.eType != TT_comment) {
            m_cur.setPos(l_pAt); // read again by the member loop
            if (t.eType != (close == '}' ? TT_fieldsClose : TT_arrayClose))
                return false;
            m_cur.setPos(t.pEnd());
            break;
        }
        if (m_bCollect)
            addComment(t);
    }
    // Comments that waited for a member go ahead of the container, after its own.
    if (m_bCollect && !m_rL.m_strComment.empty()) {
        std::string l_strAhead = container.getCommentCopy(CP_Ahead);
        if (container.hasComment(CP_Ahead))
            l_strAhead += '\n';
        l_strAhead += m_rL.m_strComment;
        container.setComment(l_strAhead.data(), static_cast<unsigned int>(l_strAhead.size()), CP_Ahead);
        m_rL.m_strComment.clear();
    }
    return true;
}

// fields = "{" [ member { "," member } ] "}"
// member = { comment } [ "#" digits { comment } ] head value { comment }
bool CSerParser::loadChildFields(const tToken &open) {
    CFields &fields = top();
    CFieldsVector::setActualContainer(fields, DT_fields);
    fields.setOffsetStart(offsetOf(open.pBegin));
    // A comment on the line of "{" belongs to this fields, as one after "[" belongs to its array
    // (there the first element is added before the comment is read).
    if (m_rL.m_pLastCommentField != nullptr)
        m_rL.m_pLastCommentField = &fields;
    m_cur.skipBlanks();
    if (m_cur.peek() == '}') {
        m_cur.advance();
        return true;
    }
    if (m_cur.peek() == '/' && closesEmptyAfterComments(fields, '}'))
        return true;
    const CLevelGuard level(m_uiLevel, m_vecMembers);
    for (;;) {
        tToken first;
        uint32_t id = 0;
        const char *name = nullptr;
        size_t nameLength = 0;
        if (!readPlainName(first, name, nameLength)) {
            tToken t = skipComments(loadToken());
            first = t;
            if (!readIdPrefix(t, id))
                return false;
            if (loadMemberHead(t, false, name, nameLength) == E_Head::Error)
                return false;
        }
        // A longer name would be dropped by the tree, silently adding an unnamed member.
        CFields *member = nameLength > kMaxNameLength ? nullptr
                                                      : addMember(level.level(), fields, name,
                                                                  static_cast<unsigned int>(nameLength), id);
        if (member == nullptr) {
            addError(first, kMsgRefused);
            return false;
        }
        if (!readValueOf(*member))
            return recover4Error(TT_fieldsClose);

        tToken t{m_cur.pos(), 0, readPlainSeparator('}'), false};
        if (t.eType == TT_end)
            t = loadToken();
        if (t.eType == TT_fieldsClose || t.eType == TT_comma || t.eType == TT_comment) {
            m_rL.m_bHasPEI = false;
            if (t.eType == TT_comment) {
                t = skipComments(t);
                if (t.eType != TT_comma && t.eType != TT_fieldsClose) {
                    addError(t, kMsgNoComma);
                    return false;
                }
            }
            if (t.eType == TT_fieldsClose) {
                CFieldsVector::moveAllInto(m_vecMembers[level.level()], fields);
                return true;
            }
            continue;
        }
        return addErrorAndRecover(t, kMsgFieldsSeparator, TT_fieldsClose);
    }
}

// array = "[" [ value { { comment } "," value } ] { comment } "]"
bool CSerParser::loadArray(const tToken &open) {
    CFields &array = top();
    CFieldsVector::setActualContainer(array, DT_array);
    array.setOffsetStart(offsetOf(open.pBegin));
    m_cur.skipBlanks();
    if (m_cur.peek() == ']') {
        m_cur.advance();
        return true;
    }
    if (m_cur.peek() == '/' && hasBit(LCBC_COMMENTS)) {
        // A comment on the line of "[" belongs to the array (as the first element would make it).
        if (m_rL.m_pLastCommentField != nullptr)
            m_rL.m_pLastCommentField = &array;
        if (closesEmptyAfterComments(array, ']'))
            return true;
    }
    const CLevelGuard level(m_uiLevel, m_vecMembers);
    for (;;) {
        CFields *element = addMember(level.level(), array, nullptr, 0u, 0u);
        if (element == nullptr) {
            addError(open, kMsgRefused);
            return false;
        }
        if (!readValueOf(*element))
            return recover4Error(TT_arrayClose);

        tToken t{m_cur.pos(), 0, readPlainSeparator(']'), false};
        if (t.eType == TT_end)
            t = skipComments(loadToken());
        if (t.eType == TT_arrayClose || t.eType == TT_comma) {
            m_rL.m_bHasPEI = false;
            if (t.eType == TT_arrayClose) {
                CFieldsVector::moveAllInto(m_vecMembers[level.level()], array);
                return true;
            }
            continue;
        }
        return addErrorAndRecover(t, kMsgArraySeparator, TT_arrayClose);
    }
}

// MARK: - Scalars

bool CSerParser::unescapeInto(const tToken &t, std::string &out) {
    tUnescapeError error{};
    if (unescapeStringBody(t.pBegin + 1, t.pEnd() - 1, hasBit(LCBC_UNICODE_UTF8), out, error))
        return true;
    addError(t, error.szMessage, error.pAt);
    return false;
}

bool CSerParser::allotUnescapeString(const tToken &t, CFields &field) {
    if (!t.bFlag) {
        field.setValue(t.pBegin + 1, static_cast<unsigned int>(t.pEnd() - t.pBegin - 2));
        return true;
    }
    if (!unescapeInto(t, m_strValue))
        return false;
    field.setValue(m_strValue.data(), static_cast<unsigned int>(m_strValue.size()));
    return true;
}

void CSerParser::numberName(const tToken &t, std::string &out) {
    CFields number;
    atonInField(t.pBegin, static_cast<unsigned int>(t.pEnd() - t.pBegin), number);
    out = number.asString();
}

// The value-kind rule and the offsets of a scalar value.
void CSerParser::finishScalar(CFields &field, const char *begin, const char *end) {
    // Only a field given an expression in this load, or the root (which may have had one
    // before), can carry "fix" or "valid"; the members start without one.
    if (m_rL.m_bHasPEI || &field == m_pRoot) {
        const tPacketExpInfo exp = field.pkt_GetExp();
        if (exp.uSkiKind() == 0) {
            if (exp.uSKI() == 1)
                field.setVK(VK_Fixed);
            else if (exp.uSKI() == 2)
                field.setVK(VK_Valid);
        }
    }
    field.setOffsetStart(offsetOf(begin));
    field.setOffsetEnd(offsetOf(end));
}

} // namespace vexl::detail
