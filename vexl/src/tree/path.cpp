// Paths to nodes below a node: "server.hosts[0]", "#12.port", names with "\"-escapes. One walker
// serves the lookup that returns null (`findPath`) and the one that raises (`at`).

#include <string>
#include <string_view>

#include "vexl/fields.h"

namespace vexl {

namespace {

enum E_PathFailure : int {
    PF_None = 0,
    PF_Malformed, // the path breaks the syntax at m_uStart
    PF_NoMember,  // the name step [m_uStart, m_uEnd) matched no member
    PF_NoIndex,   // the index step matched no child
    PF_NoID,      // the ID step matched no node
};

struct tPathWalk {
    const CFields *pNode = nullptr; // the node reached; null on failure
    E_PathFailure eFailure = PF_None;
    size_t uStart = 0; // the failing step (as written)
    size_t uEnd = 0;
    size_t uAbove = 0;                // the steps before the failing one: [0, uAbove)
    const CFields *pParent = nullptr; // the node the failing step started from
};

bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// Reads a decimal number of up to 10 digits at `pos` (moved past it). False when no digit
// follows; `tooBig` tells a number above 4294967295 (it then matches nothing).
bool readNumber(std::string_view path, size_t &pos, unsigned long long &value, bool &tooBig) noexcept {
    size_t l_uFirst = pos;
    value = 0;
    tooBig = false;
    while (pos < path.size() && isDigit(path[pos])) {
        if (value > 0xFFFFFFFFull)
            tooBig = true;
        else
            value = value * 10 + unsigned(path[pos] - '0');
        ++pos;
    }
    if (value > 0xFFFFFFFFull)
        tooBig = true;
    return pos != l_uFirst;
}

// Walks `path` from `root`. After the first step that finds nothing, the rest is still read so
// that a malformed path is reported as such wherever its fault lies.
tPathWalk walkPath(const CFields &root, std::string_view path) noexcept {
    tPathWalk l_t;
    const CFields *l_pNode = &root;
    size_t l_uPos = 0;
    const size_t l_uSize = path.size();
    bool l_bNameAllowed = true; // at the start and after "."
    size_t l_uDone = 0;         // end of the last complete step
    auto fail = [&](E_PathFailure failure, size_t start, size_t end) {
        // The first missing step is reported, unless the path turns out malformed.
        if (l_t.eFailure == PF_None || failure == PF_Malformed) {
            l_t.eFailure = failure;
            l_t.uStart = start;
            l_t.uEnd = end;
            l_t.uAbove = l_uDone;
            l_t.pParent = l_pNode;
        }
        l_pNode = nullptr;
    };

    while (l_uPos < l_uSize && l_t.eFailure != PF_Malformed) {
        const size_t l_uStart = l_uPos;
        char c = path[l_uPos];
        if (c == '.') {
            // A separator needs a step on both sides.
            if (l_uPos == 0 || l_uPos + 1 == l_uSize || path[l_uPos + 1] == '.') {
                fail(PF_Malformed, l_uPos, l_uPos + 1);
                break;
            }
            ++l_uPos;
            l_bNameAllowed = true;
            continue;
        }
        if (c == '[') {
            unsigned long long l_ull;
            bool l_bTooBig;
            ++l_uPos;
            if (!readNumber(path, l_uPos, l_ull, l_bTooBig) || l_uPos >= l_uSize || path[l_uPos] != ']') {
                fail(PF_Malformed, l_uStart, l_uPos);
                break;
            }
            ++l_uPos;
            if (l_pNode != nullptr) {
                E_DataType l_dt = l_pNode->getDT();
                if (l_bTooBig || (l_dt != DT_array && l_dt != DT_fields) || l_ull >= l_pNode->getChildCount())
                    fail(PF_NoIndex, l_uStart, l_uPos);
                else
                    l_pNode = &l_pNode->getChildAt(unsigned(l_ull));
            }
            l_bNameAllowed = false;
            l_uDone = l_uPos;
            continue;
        }
        if (c == '#') {
            unsigned long long l_ull;
            bool l_bTooBig;
            ++l_uPos;
            if (!readNumber(path, l_uPos, l_ull, l_bTooBig) || l_ull == 0 ||
                (l_uPos < l_uSize && path[l_uPos] != '.' && path[l_uPos] != '[' && path[l_uPos] != '#')) {
                fail(PF_Malformed, l_uStart, l_uPos);
                break;
            }
            if (l_pNode != nullptr) {
                const CFields *l_pFound = (l_bTooBig || l_ull > CFields::maxID)
                                              ? nullptr
                                              : l_pNode->findID(unsigned(l_ull), l_pNode);
                if (l_pFound == nullptr)
                    fail(PF_NoID, l_uStart, l_uPos);
                else
                    l_pNode = l_pFound;
            }
            l_bNameAllowed = false;
            l_uDone = l_uPos;
            continue;
        }
        // A name: up to the next unescaped ".", "[" or "#".
        if (!l_bNameAllowed || c == ']') {
            fail(PF_Malformed, l_uStart, l_uPos + 1);
            break;
        }
        char l_acName[CAllotString::MAX_LENGTH + 1];
        size_t l_uLen = 0;
        bool l_bBad = false;
        while (l_uPos < l_uSize) {
            char l_c = path[l_uPos];
            if (l_c == '.' || l_c == '[' || l_c == '#')
                break;
            if (l_c == ']') {
                l_bBad = true;
                break;
            }
            if (l_c == '\\') {
                if (l_uPos + 1 == l_uSize) {
                    l_bBad = true;
                    break;
                }
                l_c = path[++l_uPos];
            }
            if (l_uLen < sizeof(l_acName))
                l_acName[l_uLen] = l_c;
            ++l_uLen; // a name above 255 bytes matches no member
            ++l_uPos;
        }
        if (l_bBad) {
            fail(PF_Malformed, l_uStart, l_uPos + 1);
            break;
        }
        if (l_pNode != nullptr) {
            const CFields *l_pChild = l_uLen <= CAllotString::MAX_LENGTH
                                          ? l_pNode->findChildAt(l_acName, unsigned(l_uLen))
                                          : nullptr;
            if (l_pChild == nullptr)
                fail(PF_NoMember, l_uStart, l_uPos);
            else
                l_pNode = l_pChild;
        }
        l_bNameAllowed = false;
        l_uDone = l_uPos;
    }
    if (l_t.eFailure == PF_None)
        l_t.pNode = l_pNode;
    return l_t;
}

std::string quoted(std::string_view text) {
    std::string l_str;
    l_str.reserve(text.size() + 2);
    l_str += '"';
    l_str += text;
    l_str += '"';
    return l_str;
}

} // namespace

const CFields *CFields::findPath(std::string_view path) const noexcept {
    return walkPath(*this, path).pNode;
}

const CFields &CFields::at(std::string_view path) const {
    tPathWalk l_t = walkPath(*this, path);
    if (l_t.pNode != nullptr)
        return *l_t.pNode;
    std::string l_strPath(path);
    std::string l_strStep(path.substr(l_t.uStart, l_t.uEnd - l_t.uStart));
    std::string l_strMsg = "path " + quoted(path) + ": ";
    switch (l_t.eFailure) {
    case PF_Malformed:
        l_strMsg += "malformed at offset " + std::to_string(l_t.uStart);
        throw CPathError(l_strPath, l_strPath, l_strMsg);
    case PF_NoMember:
        l_strMsg += "no member " + quoted(l_strStep);
        if (!l_t.pParent->isField())
            l_strMsg += std::string(" (not a record: ") + DATA_TYPE_WORDS[l_t.pParent->getDT()] + ")";
        break;
    case PF_NoIndex:
        l_strMsg += "no element " + l_strStep;
        if (l_t.pParent->isField() || l_t.pParent->isArray())
            l_strMsg += " (" + std::to_string(l_t.pParent->getChildCount()) + " children)";
        else
            l_strMsg += std::string(" (not a container: ") + DATA_TYPE_WORDS[l_t.pParent->getDT()] + ")";
        break;
    default:
        l_strMsg += "no node with ID " + l_strStep.substr(1);
        break;
    }
    std::string_view l_svAbove = path.substr(0, l_t.uAbove);
    if (!l_svAbove.empty())
        l_strMsg += " under " + quoted(l_svAbove);
    throw CPathError(l_strPath, l_strStep, l_strMsg);
}

} // namespace vexl
