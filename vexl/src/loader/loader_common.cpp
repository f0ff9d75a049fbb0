// ILoaderCommon: the field stack, the error list and the last-error message shared by the text
// and binary loaders.

#include <cinttypes>
#include <cstdio>

#include "loader/text_location.h"
#include "vexl/loaders.h"

namespace vexl {

ILoaderCommon::ILoaderCommon(unsigned int lcbc)
    : ILoaderBase(lcbc), m_pTextBegin(nullptr), m_pTextEnd(nullptr), m_pCur(nullptr),
      m_pLastValueEnd(nullptr), m_pLastCommentField(nullptr), m_uiDepth(0), m_bAllowPEI(false),
      m_bHasPEI(false) {}

ILoaderCommon::ILoaderCommon(const ILoaderCommon &other) = default;
ILoaderCommon &ILoaderCommon::operator=(const ILoaderCommon &other) = default;
ILoaderCommon::~ILoaderCommon() = default;

void ILoaderCommon::clearError() {
    CErrorBase::clearError();
    m_dqErrors.clear();
}

bool ILoaderCommon::getStatus() const {
    return m_dqErrors.empty();
}

std::vector<tErrorRange> ILoaderCommon::getLoadErrors() const {
    std::vector<tErrorRange> ranges;
    ranges.reserve(m_dqErrors.size());
    for (const tLoadError &e : m_dqErrors)
        ranges.push_back(tErrorRange{static_cast<uint32_t>(e.stToken.pBegin - m_pTextBegin),
                                     static_cast<uint32_t>(e.stToken.pEnd - m_pTextBegin), e.strMessage});
    return ranges;
}

// MARK: - Field stack

CFields &ILoaderCommon::getStackTopField() {
    return *m_dqFieldStack.back();
}

CFields *ILoaderCommon::addChild2StackTop(const char *name, unsigned int length, unsigned int id) {
    m_bAllowPEI = true;
    CFields *member =
        getStackTopField().child_AddPtr(name, length, id, m_LCBC.BC32_Check(LCBC_DUPLICATE_NAMES));
    // The addition may have moved the earlier children: re-derive the field a same-line comment
    // belongs to instead of keeping a pointer across it.
    if (member != nullptr && m_pLastCommentField != nullptr)
        m_pLastCommentField = getLastThirdField4Stack();
    return member;
}

CFields *ILoaderCommon::addChild2StackTop(const char *name, unsigned int id) {
    unsigned int length = 0;
    if (name != nullptr)
        while (name[length] != '\0')
            ++length;
    return addChild2StackTop(name, length, id);
}

CFields *ILoaderCommon::getLastField4Stack() {
    for (auto it = m_dqFieldStack.rbegin(); it != m_dqFieldStack.rend(); ++it) {
        CFields *entry = *it;
        if (entry == nullptr)
            continue;
        const unsigned int count = entry->getChildCount();
        if ((entry->isArray() || entry->isField()) && count > 0)
            return entry->begin() + (count - 1);
        return entry;
    }
    return nullptr;
}

CFields *ILoaderCommon::getLastThirdField4Stack() {
    for (auto it = m_dqFieldStack.rbegin(); it != m_dqFieldStack.rend(); ++it) {
        CFields *entry = *it;
        if (entry == nullptr)
            continue;
        const unsigned int count = entry->getChildCount();
        if (count >= 2)
            return entry->begin() + (count - 2); // the previous sibling of the newest child
        return entry;                            // the newest child is the first: its container
    }
    return nullptr;
}

CFields *ILoaderCommon::getLastCommentField4Stack() {
    for (auto it = m_dqFieldStack.rbegin(); it != m_dqFieldStack.rend(); ++it) {
        CFields *entry = *it;
        if (entry == nullptr)
            continue;
        const unsigned int count = entry->getChildCount();
        for (unsigned int i = count; i > 0; --i) {
            CFields *child = entry->begin() + (i - 1);
            if (child->isComment())
                return child;
        }
        if (entry->isComment())
            return entry;
    }
    return nullptr;
}

// MARK: - Errors

bool ILoaderCommon::pushError(const CFields &field, const std::string &message) {
    const long long length = m_pTextEnd - m_pTextBegin;
    const long long start = field.getOffsetStart();
    const long long end = field.getOffsetEnd();
    if (start < 0 || start > end || end > length)
        return false;
    m_dqErrors.push_back(
        tLoadError{tTokenInfo{TT_error, m_pTextBegin + start, m_pTextBegin + end}, message, nullptr});
    return true;
}

bool ILoaderCommon::pushError(const CFields &field, const std::string &message, const CFields &seeAlso) {
    const long long length = m_pTextEnd - m_pTextBegin;
    const long long seeStart = seeAlso.getOffsetStart();
    const long long seeEnd = seeAlso.getOffsetEnd();
    if (seeStart < 0 || seeStart > seeEnd || seeEnd > length)
        return false;
    if (!pushError(field, message))
        return false;
    m_dqErrors.back().pSeeAlso = m_pTextBegin + seeStart;
    return true;
}

namespace {

// One block of the last-error message; `location` formats a position.
template <class Locate>
std::string buildErrorBlocks(const std::deque<tLoadError> &errors, Locate &&location) {
    std::string text;
    size_t slot = 0;
    for (const tLoadError &e : errors) {
        text += "* ";
        text += location(slot++);
        text += "\n  ";
        text += e.strMessage;
        text += '\n';
        if (e.pSeeAlso != nullptr) {
            text += "See ";
            text += location(slot++);
            text += " for detail.\n";
        }
    }
    return text;
}

} // namespace

void ILoaderCommon::makeLastErrMsg4Lines() {
    CErrorBase::clearError();
    std::vector<const char *> positions;
    for (const tLoadError &e : m_dqErrors) {
        positions.push_back(e.stToken.pBegin);
        if (e.pSeeAlso != nullptr)
            positions.push_back(e.pSeeAlso);
    }
    const std::vector<detail::tLineColumn> where =
        detail::locateLineColumns(m_pTextBegin, m_pTextEnd, positions);
    const std::string text = buildErrorBlocks(m_dqErrors, [&](size_t slot) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Line %" PRIu64 ", Column %" PRIu64, where[slot].uiLine,
                      where[slot].uiColumn);
        return std::string(buf);
    });
    addErrMsg(text.c_str());
}

void ILoaderCommon::makeLastErrMsg4Offsets() {
    CErrorBase::clearError();
    std::vector<const char *> positions;
    for (const tLoadError &e : m_dqErrors) {
        positions.push_back(e.stToken.pBegin);
        if (e.pSeeAlso != nullptr)
            positions.push_back(e.pSeeAlso);
    }
    const std::string text = buildErrorBlocks(m_dqErrors, [&](size_t slot) {
        const char *p = positions[slot];
        if (p < m_pTextBegin)
            return std::string();
        char buf[32];
        std::snprintf(buf, sizeof buf, "Offset %u", static_cast<unsigned int>(p - m_pTextBegin));
        return std::string(buf);
    });
    addErrMsg(text.c_str());
}

} // namespace vexl
