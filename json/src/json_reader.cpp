// JSON text to a tree: RapidJSON's SAX reader drives a builder that adds each value where it
// belongs.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include "number_text.h"
#include "tree/tree_builder.h"
#include "utf8_check.h"
#include "vexl/json.h"

namespace vexl::json {

namespace {

using detail::tBigNumber;

constexpr unsigned kDepthCeiling = 999;

// In place: strings are unescaped inside our copy of the text and handed over without another
// copy; numbers come as their text, converted by `detail::storeNumber` (exact integers,
// correctly rounded doubles).
constexpr unsigned kParseFlags = rapidjson::kParseInsituFlag | rapidjson::kParseNumbersAsStringsFlag;

constexpr const char *kMsgDuplicate = "Duplicate member name in an object.";
constexpr const char *kMsgLongName = "Member name longer than 255 bytes.";
constexpr const char *kMsgDepth = "Nesting deeper than the depth limit.";
constexpr const char *kMsgUtf8 = "String is not valid UTF-8.";
constexpr const char *kMsgZeroByte = "Zero byte in the text.";

// Receives the reader's events and builds the tree through the core library's builder: the
// members of each open container are gathered per nesting level and handed over when it closes.
// The open containers are kept on a stack (index = level); a container's node does not move
// while its members are gathered, because only the innermost level grows.
class CJsonHandler {
public:
    using Ch = char;

    CJsonHandler(CFields &root, const tJsonReadOptions &options, const char *buffer,
                 const std::vector<tBigNumber> &big, std::string_view original)
        : m_pSlot(&root), m_bAllowDuplicates(options.bAllowDuplicateKeys),
          m_uMaxDepth(std::min(options.uMaxDepth, kDepthCeiling)), m_pBuffer(buffer), m_rBig(big),
          m_svOriginal(original) {
        m_vecOpen.reserve(32);
    }

    // MARK: - Events

    bool Null() { return target() != nullptr; }
    bool Bool(bool value) {
        CFields *l_p = target();
        return l_p != nullptr && (l_p->setValue(value), true);
    }
    // Only number text arrives (kParseNumbersAsStringsFlag); these complete the handler concept.
    bool Int(int value) { return setNumber(static_cast<long long>(value)); }
    bool Uint(unsigned value) { return setNumber(static_cast<long long>(value)); }
    bool Int64(int64_t value) { return setNumber(static_cast<long long>(value)); }
    bool Uint64(uint64_t value) { return setNumber(static_cast<unsigned long long>(value)); }
    bool Double(double value) { return setNumber(value); }

    bool RawNumber(const char *text, rapidjson::SizeType length, bool) {
        CFields *l_p = target();
        if (l_p == nullptr)
            return false;
        if (length == 1 && *text == '0' && !m_rBig.empty()) {
            // A number the reader was given as "0": convert the original token.
            const size_t l_uOffset = size_t(text - m_pBuffer);
            auto it = std::lower_bound(m_rBig.begin(), m_rBig.end(), l_uOffset,
                                       [](const tBigNumber &b, size_t off) { return b.uOffset < off; });
            if (it != m_rBig.end() && it->uOffset == l_uOffset) {
                detail::storeNumber(m_svOriginal.data() + it->uOffset, it->uLength, *l_p);
                return true;
            }
        }
        detail::storeNumber(text, length, *l_p);
        return true;
    }

    bool String(const char *text, rapidjson::SizeType length, bool) {
        if (!detail::isValidUtf8(text, length))
            return fail(kMsgUtf8, m_pSlot);
        CFields *l_p = target();
        if (l_p == nullptr)
            return false;
        l_p->setValue(text, length);
        return true;
    }

    bool StartObject() { return open(DT_fields); }
    bool StartArray() { return open(DT_array); }

    bool Key(const char *name, rapidjson::SizeType length, bool) {
        const uint32_t l_uLevel = uint32_t(m_vecOpen.size());
        if (l_uLevel > m_uMaxDepth)
            return fail(kMsgDepth, nullptr, name, length);
        if (length > CAllotString::MAX_LENGTH)
            return fail(kMsgLongName, nullptr, name, length);
        if (!detail::isValidUtf8(name, length))
            return fail(kMsgUtf8, nullptr);
        tOpen &l_rTop = m_vecOpen.back();
        if (length == 0) {
            // The empty key: an unnamed member (at most one unless duplicates are allowed).
            if (l_rTop.bUnnamed && !m_bAllowDuplicates)
                return fail(kMsgDuplicate, nullptr, name, length);
            l_rTop.bUnnamed = true;
        }
        CFields *l_pMember = m_tBuilder.appendMember(l_uLevel, name, length, !m_bAllowDuplicates);
        if (l_pMember == nullptr)
            return fail(kMsgDuplicate, nullptr, name, length);
        ++l_rTop.uCount;
        m_pSlot = l_pMember;
        return true;
    }

    bool EndObject(rapidjson::SizeType) { return close(); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    // MARK: - Failure

    /// True when the handler stopped the reader (then `message()` and `path()` tell why).
    bool failed() const noexcept { return m_szMessage != nullptr; }
    const char *message() const noexcept { return m_szMessage; }
    const std::string &path() const noexcept { return m_strPath; }

private:
    struct tOpen {
        CFields *pNode;  // the container
        uint32_t uCount; // members appended so far
        bool bUnnamed;   // one of them is unnamed
    };

    // The node that receives the next value: the member named by the last key, the root, or a
    // new element of the innermost array. Null (after recording the error) when too deep.
    CFields *target() {
        CFields *l_p = m_pSlot;
        if (l_p != nullptr) {
            m_pSlot = nullptr;
            return l_p;
        }
        const uint32_t l_uLevel = uint32_t(m_vecOpen.size());
        if (l_uLevel > m_uMaxDepth) {
            fail(kMsgDepth, nullptr);
            return nullptr;
        }
        ++m_vecOpen.back().uCount;
        return &m_tBuilder.appendElement(l_uLevel);
    }

    template <typename T> bool setNumber(T value) {
        CFields *l_p = target();
        return l_p != nullptr && (l_p->setValue(value), true);
    }

    bool open(E_DataType type) {
        CFields *l_p = target();
        if (l_p == nullptr)
            return false;
        m_tBuilder.open(*l_p, type, uint32_t(m_vecOpen.size()));
        m_vecOpen.push_back(tOpen{l_p, 0, false});
        return true;
    }

    bool close() {
        m_tBuilder.close(*m_vecOpen.back().pNode, uint32_t(m_vecOpen.size() - 1));
        m_vecOpen.pop_back();
        return true;
    }

    // Records the error and the member path: of `node` when given (the root or the member named
    // by the last key), else of the next member (named `name`) or element of the innermost
    // container.
    bool fail(const char *message, const CFields *node, const char *name = nullptr, size_t length = 0) {
        m_szMessage = message;
        std::string l_str;
        for (size_t i = 0; i + 1 < m_vecOpen.size(); ++i)
            appendStep(l_str, m_vecOpen[i], m_vecOpen[i + 1].pNode, m_vecOpen[i].uCount - 1);
        if (!m_vecOpen.empty()) {
            const tOpen &l_rTop = m_vecOpen.back();
            if (node != nullptr)
                appendStep(l_str, l_rTop, node, l_rTop.uCount - 1);
            else if (length != 0)
                appendName(l_str, name, length);
            else
                l_str += '[' + std::to_string(l_rTop.uCount) + ']';
        }
        m_strPath = std::move(l_str);
        return false;
    }

    static void appendName(std::string &path, const char *name, size_t length) {
        if (!path.empty())
            path += '.';
        path.append(name, length);
    }
    static void appendStep(std::string &path, const tOpen &parent, const CFields *child, uint32_t index) {
        if (parent.pNode->isField() && child->getNameLen() != 0)
            appendName(path, child->getName(), child->getNameLen());
        else
            path += '[' + std::to_string(index) + ']';
    }

    vexl::detail::CTreeBuilder m_tBuilder;
    CFields *m_pSlot;             // receives the next value (null: append to the array)
    std::vector<tOpen> m_vecOpen; // containers being filled, outermost first
    const bool m_bAllowDuplicates;
    const unsigned m_uMaxDepth;
    const char *const m_pBuffer; // start of the text being parsed (our copy)
    const std::vector<tBigNumber> &m_rBig;
    const std::string_view m_svOriginal;
    const char *m_szMessage = nullptr;
    std::string m_strPath;
};

void locate(std::string_view text, size_t offset, tJsonError &error) {
    offset = std::min(offset, text.size());
    error.uOffset = offset;
    unsigned l_uLine = 1;
    size_t l_uLineStart = 0;
    for (size_t i = 0; i < offset; ++i)
        if (text[i] == '\n') {
            ++l_uLine;
            l_uLineStart = i + 1;
        }
    error.uLine = l_uLine;
    error.uColumn = unsigned(offset - l_uLineStart + 1);
}

} // namespace

bool fromJSON(std::string_view text, CFields &out, tJsonError *error, const tJsonReadOptions &options) {
    auto report = [&](const char *message, size_t offset, std::string path) {
        if (error != nullptr) {
            *error = tJsonError{};
            error->sMessage = message;
            error->sPath = std::move(path);
            locate(text, offset, *error);
        }
        return false;
    };
    if (const void *l_pZero = std::memchr(text.data(), 0, text.size()))
        return report(kMsgZeroByte, size_t(static_cast<const char *>(l_pZero) - text.data()), {});

    std::vector<tBigNumber> l_vecBig;
    std::string l_strBuffer;
    for (;;) {
        // The reader works in place on a zero-terminated copy, with the big numbers as "0".
        l_strBuffer.reserve(text.size() + 1);
        l_strBuffer.assign(text.data(), text.size());
        for (const tBigNumber &b : l_vecBig) {
            l_strBuffer[b.uOffset] = '0';
            std::fill_n(&l_strBuffer[b.uOffset + 1], b.uLength - 1, ' ');
        }
        CFields l_tTree;
        CJsonHandler l_tBuilder(l_tTree, options, l_strBuffer.c_str(), l_vecBig, text);
        rapidjson::InsituStringStream l_tStream(&l_strBuffer[0]);
        rapidjson::Reader l_tReader;
        const rapidjson::ParseResult l_tResult = l_tReader.Parse<kParseFlags>(l_tStream, l_tBuilder);
        if (!l_tResult.IsError()) {
            out = std::move(l_tTree);
            return true;
        }
        if (l_tResult.Code() == rapidjson::kParseErrorNumberTooBig) {
            // Find every number the reader may refuse and hand them over as "0"; a second
            // refusal of a number already handed over cannot happen, but would end the loop.
            std::vector<tBigNumber> l_vecFound = detail::findBigNumbers(text);
            if (l_vecFound.size() > l_vecBig.size()) {
                l_vecBig = std::move(l_vecFound);
                continue;
            }
        }
        if (l_tBuilder.failed())
            return report(l_tBuilder.message(), l_tResult.Offset(), l_tBuilder.path());
        return report(rapidjson::GetParseError_En(l_tResult.Code()), l_tResult.Offset(), {});
    }
}

} // namespace vexl::json
