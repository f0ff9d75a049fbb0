// JSON text to a tree: RapidJSON's SAX reader drives a builder that adds each value where it
// belongs.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include "number_text.h"
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

// Receives the reader's events and builds the tree. The containers being filled are kept on a
// stack: a container's children do not move while a deeper one is filled, because values are
// only ever added to the innermost container.
class CTreeBuilder {
public:
    using Ch = char;

    CTreeBuilder(CFields &root, const tJsonReadOptions &options, const char *buffer,
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
        CFields &l_rRecord = *m_vecOpen.back();
        if (m_vecOpen.size() > m_uMaxDepth)
            return fail(kMsgDepth, nullptr, name, length);
        if (length > CAllotString::MAX_LENGTH)
            return fail(kMsgLongName, nullptr, name, length);
        if (!detail::isValidUtf8(name, length))
            return fail(kMsgUtf8, nullptr);
        CFields *l_pMember;
        if (length == 0) {
            // The empty key: an unnamed member (at most one unless duplicates are allowed).
            if (m_vecUnnamed.back() && !m_bAllowDuplicates)
                return fail(kMsgDuplicate, nullptr, name, length);
            m_vecUnnamed.back() = true;
            l_pMember = &l_rRecord.child_AddRef(nullptr, 0, 0, true);
        } else if (m_bAllowDuplicates) {
            l_pMember = &l_rRecord.child_AddRef(name, length, 0, true);
        } else {
            l_pMember = l_rRecord.child_AddPtr(name, length, 0, false);
            if (l_pMember == nullptr)
                return fail(kMsgDuplicate, nullptr, name, length);
        }
        m_pSlot = l_pMember;
        return true;
    }

    bool EndObject(rapidjson::SizeType) {
        m_vecOpen.pop_back();
        m_vecUnnamed.pop_back();
        return true;
    }
    bool EndArray(rapidjson::SizeType) {
        m_vecOpen.pop_back();
        m_vecUnnamed.pop_back();
        return true;
    }

    // MARK: - Failure

    /// True when the builder stopped the reader (then `message()` and `path()` tell why).
    bool failed() const noexcept { return m_szMessage != nullptr; }
    const char *message() const noexcept { return m_szMessage; }
    const std::string &path() const noexcept { return m_strPath; }

private:
    // The node that receives the next value: the member named by the last key, the root, or a
    // new element of the innermost array. Null (after recording the error) when too deep.
    CFields *target() {
        CFields *l_p = m_pSlot;
        if (l_p != nullptr) {
            m_pSlot = nullptr;
            return l_p;
        }
        if (m_vecOpen.size() > m_uMaxDepth) {
            fail(kMsgDepth, nullptr);
            return nullptr;
        }
        return &m_vecOpen.back()->child_AddRef(nullptr, 0, 0, true);
    }

    template <typename T> bool setNumber(T value) {
        CFields *l_p = target();
        return l_p != nullptr && (l_p->setValue(value), true);
    }

    bool open(E_DataType type) {
        // A member of a record at the limit was already refused by its key.
        if (m_pSlot == nullptr && m_vecOpen.size() > m_uMaxDepth)
            return fail(kMsgDepth, nullptr);
        CFields *l_p = target();
        if (l_p == nullptr)
            return false;
        l_p->setValue(type);
        m_vecOpen.push_back(l_p);
        m_vecUnnamed.push_back(false);
        return true;
    }

    // Records the error and the member path: of `node` when given (the root or a value already
    // placed in the innermost container), else of the next member (named `name`) or element of
    // the innermost container.
    bool fail(const char *message, const CFields *node, const char *name = nullptr, size_t length = 0) {
        m_szMessage = message;
        std::string l_str;
        for (size_t i = 0; i + 1 < m_vecOpen.size(); ++i)
            appendStep(l_str, *m_vecOpen[i], m_vecOpen[i + 1]);
        if (!m_vecOpen.empty()) {
            const CFields &l_rTop = *m_vecOpen.back();
            if (node != nullptr) {
                appendStep(l_str, l_rTop, node);
            } else if (length != 0) {
                if (!l_str.empty())
                    l_str += '.';
                l_str.append(name, length);
            } else {
                l_str += '[' + std::to_string(l_rTop.getChildCount()) + ']';
            }
        }
        m_strPath = std::move(l_str);
        return false;
    }

    static void appendStep(std::string &path, const CFields &parent, const CFields *child) {
        const size_t l_uIndex = size_t(child - parent.begin());
        if (parent.isField() && child->getNameLen() != 0) {
            if (!path.empty())
                path += '.';
            path.append(child->getName(), child->getNameLen());
        } else {
            path += '[' + std::to_string(l_uIndex) + ']';
        }
    }

    CFields *m_pSlot;                 // receives the next value (null: append to the array)
    std::vector<CFields *> m_vecOpen; // containers being filled, outermost first
    std::vector<bool> m_vecUnnamed;   // per open container: has an unnamed member
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
        CTreeBuilder l_tBuilder(l_tTree, options, l_strBuffer.c_str(), l_vecBig, text);
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
