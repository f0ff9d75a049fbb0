// A tree to JSON text: one recursive walk writing into a growing buffer.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "utf8_check.h"
#include "vexl/json.h"

namespace vexl::json {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the eight-byte string scans read words as little-endian");

constexpr unsigned kDepthLimit = 999;
constexpr unsigned kIndentCeiling = 16;

constexpr const char *kMsgNaN = "NaN cannot be written in JSON.";
constexpr const char *kMsgUtf8 = "Code list is not valid UTF-8.";
constexpr const char *kMsgNameUtf8 = "Member name is not valid UTF-8.";
constexpr const char *kMsgDepth = "Nesting deeper than the depth limit.";
constexpr const char *kMsgID = "The ID cannot be written in JSON (bDropExtras leaves it out).";
constexpr const char *kMsgComment = "The comment cannot be written in JSON (bDropExtras leaves it out).";
constexpr const char *kMsgPacket =
    "The packet expression cannot be written in JSON (bDropExtras leaves it out).";
constexpr const char *kMsgSecond =
    "The fixed or valid value cannot be written in JSON (bDropExtras leaves it out).";
constexpr const char *kMsgElementName =
    "The name of an array element cannot be written in JSON (bDropExtras leaves it out).";

// "\u00XX" escapes of the bytes below 0x20, except the five with a short form.
constexpr char kHex[] = "0123456789abcdef";

// 0: written as it is; 1: needs an escape or a UTF-8 check (non-ASCII, '"', '\\', < 0x20).
struct tByteClass {
    unsigned char auc[256];
    constexpr tByteClass() : auc{} {
        for (unsigned i = 0; i < 256; ++i)
            auc[i] = (i < 0x20 || i == '"' || i == '\\' || i >= 0x80) ? 1 : 0;
    }
};
constexpr tByteClass kByteClass;

class CJsonWriter {
public:
    explicit CJsonWriter(const tJsonWriteOptions &options)
        : m_bPretty(options.bPretty), m_bDropExtras(options.bDropExtras),
          m_uIndent(options.uIndent > kIndentCeiling ? kIndentCeiling : options.uIndent) {}

    ~CJsonWriter() { std::free(m_pBuffer); }
    CJsonWriter(const CJsonWriter &) = delete;
    CJsonWriter &operator=(const CJsonWriter &) = delete;

    bool writeRoot(const CFields &root, std::string &out) {
        if (!writeValue(root, 0))
            return false;
        out.assign(m_pBuffer, size_t(m_pPos - m_pBuffer));
        return true;
    }

    const char *message() const noexcept { return m_szMessage; }
    /// The member path, built from the steps recorded while the failure unwound.
    std::string path() const {
        std::string l_str;
        for (auto it = m_vecSteps.rbegin(); it != m_vecSteps.rend(); ++it) {
            if (it->front() != '[' && !l_str.empty())
                l_str += '.';
            l_str += *it;
        }
        return l_str;
    }

private:
    // MARK: - Buffer

    // Room for `bytes` more bytes at m_pPos. The buffer is a plain heap block grown by
    // realloc: a std::string would clear every byte it grows by, and large blocks are moved by
    // remapping their pages rather than copying them.
    void reserve(size_t bytes) {
        if (size_t(m_pEnd - m_pPos) < bytes)
            grow(bytes);
    }
    [[gnu::noinline]] void grow(size_t bytes) {
        const size_t l_uUsed = size_t(m_pPos - m_pBuffer);
        size_t l_uSize = size_t(m_pEnd - m_pBuffer) * 2;
        if (l_uSize < 65536)
            l_uSize = 65536;
        if (l_uSize < l_uUsed + bytes)
            l_uSize = l_uUsed + bytes;
        char *l_p = static_cast<char *>(std::realloc(m_pBuffer, l_uSize));
        if (l_p == nullptr)
            throw std::bad_alloc();
        m_pBuffer = l_p;
        m_pPos = l_p + l_uUsed;
        m_pEnd = l_p + l_uSize;
    }
    void put(char c) { *m_pPos++ = c; }
    void putRaw(const char *text, size_t length) {
        std::memcpy(m_pPos, text, length);
        m_pPos += length;
    }
    void newline(unsigned depth) {
        const size_t l_uSpaces = size_t(depth) * m_uIndent;
        reserve(l_uSpaces + 1);
        put('\n');
        std::memset(m_pPos, ' ', l_uSpaces);
        m_pPos += l_uSpaces;
    }

    bool fail(const char *message) {
        m_szMessage = message;
        return false;
    }
    // Adds the step to `child` (the index-th child of `parent`) to the path of a failure.
    bool failStep(const CFields &parent, const CFields &child, unsigned index) {
        if (parent.isField() && child.getNameLen() != 0)
            m_vecSteps.emplace_back(child.getName(), child.getNameLen());
        else
            m_vecSteps.push_back('[' + std::to_string(index) + ']');
        return false;
    }

    // MARK: - Values

    // What JSON cannot hold, checked on every node unless extras are dropped.
    bool checkExtras(const CFields &node) {
        // One test for the common node that has none of them.
        const vexl::tPacketExpInfo l_tExp = node.pkt_GetExp();
        uint64_t l_uExp8;
        uint16_t l_uExp2;
        std::memcpy(&l_uExp8, &l_tExp, 8);
        std::memcpy(&l_uExp2, reinterpret_cast<const char *>(&l_tExp) + 8, 2);
        if ((node.getID() | unsigned(node.isComment()) | unsigned(node.getVK()) |
             unsigned(node.getDT(VK_Fixed)) | l_uExp8 | l_uExp2) == 0)
            return true;
        if (node.getID() != 0)
            return fail(kMsgID);
        if (node.isComment() &&
            (node.hasComment(CP_Ahead) || node.hasComment(CP_Behind) || node.hasComment(CP_Tail)))
            return fail(kMsgComment);
        if (!CFields::pkt_IsNullExp(node.pkt_GetExp()))
            return fail(kMsgPacket);
        // A second value counts even when the node's kind does not (yet) say fixed or valid.
        if (node.getVK() != VK_Actual || node.getDT(VK_Fixed) != DT_null)
            return fail(kMsgSecond);
        return true;
    }

    bool writeValue(const CFields &node, unsigned depth) {
        if (!m_bDropExtras && !checkExtras(node))
            return false;
        switch (node.getDT()) {
        case DT_null:
            reserve(4);
            putRaw("null", 4);
            return true;
        case DT_bool:
            reserve(5);
            if (node.getValueRef().m_bValue)
                putRaw("true", 4);
            else
                putRaw("false", 5);
            return true;
        case DT_sint: {
            reserve(24);
            m_pPos = std::to_chars(m_pPos, m_pEnd, node.getValueRef().m_llValue).ptr;
            return true;
        }
        case DT_uint: {
            reserve(24);
            m_pPos = std::to_chars(m_pPos, m_pEnd, node.getValueRef().m_ullValue).ptr;
            return true;
        }
        case DT_double:
            return writeDouble(node.getValueRef().m_dValue);
        case DT_codelist: {
            const char *l_p = nullptr;
            const unsigned l_uLen = node.getCodePoint(&l_p);
            if (!writeString(l_p, l_uLen))
                return fail(kMsgUtf8);
            return true;
        }
        case DT_array:
            return writeArray(node, depth);
        case DT_fields:
            return writeFields(node, depth);
        }
        return true;
    }

    bool writeDouble(double value) {
        reserve(32);
        if (std::isnan(value))
            return fail(kMsgNaN);
        if (std::isinf(value)) {
            if (value < 0)
                put('-');
            putRaw("1e400", 5);
            return true;
        }
        char *const l_pStart = m_pPos;
        m_pPos = std::to_chars(m_pPos, m_pEnd, value).ptr;
        // A double always shows a fraction or an exponent, so that it reads back as a double;
        // only an integral value can lack both.
        if (std::trunc(value) != value)
            return true;
        for (const char *p = l_pStart; p < m_pPos; ++p)
            if (*p == '.' || *p == 'e')
                return true;
        putRaw(".0", 2);
        return true;
    }

    bool writeArray(const CFields &node, unsigned depth) {
        if (depth >= kDepthLimit && node.getChildCount() != 0)
            return fail(kMsgDepth);
        const CFields *l_pBegin = node.begin();
        const CFields *const l_pEnd = node.end();
        reserve(2);
        put('[');
        for (const CFields *p = l_pBegin; p != l_pEnd; ++p) {
            if (p != l_pBegin) {
                reserve(1);
                put(',');
            }
            if (m_bPretty)
                newline(depth + 1);
            if (p->getNameLen() != 0 && !m_bDropExtras)
                return fail(kMsgElementName), failStep(node, *p, unsigned(p - l_pBegin));
            if (!writeValue(*p, depth + 1))
                return failStep(node, *p, unsigned(p - l_pBegin));
        }
        if (m_bPretty && l_pBegin != l_pEnd)
            newline(depth);
        reserve(1);
        put(']');
        return true;
    }

    bool writeFields(const CFields &node, unsigned depth) {
        if (depth >= kDepthLimit && node.getChildCount() != 0)
            return fail(kMsgDepth);
        const CFields *l_pBegin = node.begin();
        const CFields *const l_pEnd = node.end();
        reserve(2);
        put('{');
        for (const CFields *p = l_pBegin; p != l_pEnd; ++p) {
            if (p != l_pBegin) {
                reserve(1);
                put(',');
            }
            if (m_bPretty)
                newline(depth + 1);
            if (!writeName(*p))
                return fail(kMsgNameUtf8), failStep(node, *p, unsigned(p - l_pBegin));
            reserve(2);
            put(':');
            if (m_bPretty)
                put(' ');
            if (!writeValue(*p, depth + 1))
                return failStep(node, *p, unsigned(p - l_pBegin));
        }
        if (m_bPretty && l_pBegin != l_pEnd)
            newline(depth);
        reserve(1);
        put('}');
        return true;
    }

    // The bytes of `w` that need care (below 0x20, '"', '\\', 0x80 and above) have their top bit
    // set in the result. A byte above a flagged one may be flagged too (a borrow), never one
    // below it, so a clean result is exact and the lowest flag is a true one.
    static uint64_t specialBytes(uint64_t w) noexcept {
        const uint64_t l_uLow = w - 0x2020202020202020ull; // < 0x20
        const uint64_t l_uQuote = w ^ 0x2222222222222222ull;
        const uint64_t l_uSlash = w ^ 0x5C5C5C5C5C5C5C5Cull;
        const uint64_t l_uQuoteZ = (l_uQuote - 0x0101010101010101ull) & ~l_uQuote;
        const uint64_t l_uSlashZ = (l_uSlash - 0x0101010101010101ull) & ~l_uSlash;
        return (l_uLow | l_uQuoteZ | l_uSlashZ | w) & 0x8080808080808080ull;
    }

    // A member name: short names kept inside their holder are read as one word (the holder has
    // room for it), the others as any string. The bytes past the name are masked off (the word
    // is little-endian, so their flags cannot reach the name's bytes).
    bool writeName(const CFields &member) {
        const unsigned l_uLen = member.getNameLen();
        const CAllotString &l_rName = member.getNameHolder();
        const uintptr_t l_uText = reinterpret_cast<uintptr_t>(l_rName.getData());
        const uintptr_t l_uHolder = reinterpret_cast<uintptr_t>(&l_rName);
        if (l_uLen != 0 && l_uLen < 8 && l_uText >= l_uHolder &&
            l_uText + 8 <= l_uHolder + sizeof(CAllotString)) {
            uint64_t w;
            std::memcpy(&w, l_rName.getData(), 8);
            if ((specialBytes(w) & (~0ull >> (64 - 8 * l_uLen))) == 0) {
                reserve(10);
                put('"');
                std::memcpy(m_pPos, &w, 8);
                m_pPos += l_uLen;
                put('"');
                return true;
            }
        }
        return writeString(member.getName(), l_uLen);
    }

    // Writes the quoted, escaped string; false (nothing usable written) when it is not UTF-8.
    bool writeString(const char *text, size_t length) {
        reserve(length * 6 + 10);
        put('"');
        const unsigned char *s = reinterpret_cast<const unsigned char *>(text);
        const unsigned char *const end = s + length;
        bool l_bAfterWord = false; // the bytes just before `s` were copied as they are
        while (s < end) {
            // Runs of bytes that need nothing, eight at a time.
            while (end - s >= 8) {
                uint64_t w;
                std::memcpy(&w, s, 8);
                if (specialBytes(w) != 0)
                    break;
                std::memcpy(m_pPos, s, 8);
                m_pPos += 8;
                s += 8;
                l_bAfterWord = true;
            }
            if (s == end)
                break;
            if (l_bAfterWord && end - s < 8) {
                // The tail as the string's last eight bytes, rewriting the bytes before it that
                // were copied as they are.
                uint64_t w;
                std::memcpy(&w, end - 8, 8);
                if (specialBytes(w) == 0) {
                    const size_t l_uTail = size_t(end - s);
                    std::memcpy(m_pPos - (8 - l_uTail), end - 8, 8);
                    m_pPos += l_uTail;
                    break;
                }
            }
            l_bAfterWord = false;
            const unsigned c = *s;
            if (kByteClass.auc[c] == 0) {
                *m_pPos++ = char(c);
                ++s;
                continue;
            }
            if (c >= 0x80) {
                // One UTF-8 sequence, checked and copied.
                const unsigned l_uSeq = detail::utf8SequenceLength(s, size_t(end - s));
                if (l_uSeq == 0)
                    return false;
                // A fixed-size copy when four bytes can be read (room was reserved for six per
                // byte); the sequence's own length at the very end.
                if (end - s >= 4)
                    std::memcpy(m_pPos, s, 4);
                else
                    std::memcpy(m_pPos, s, l_uSeq);
                m_pPos += l_uSeq;
                s += l_uSeq;
                continue;
            }
            *m_pPos++ = '\\';
            switch (c) {
            case '"':
                *m_pPos++ = '"';
                break;
            case '\\':
                *m_pPos++ = '\\';
                break;
            case '\b':
                *m_pPos++ = 'b';
                break;
            case '\f':
                *m_pPos++ = 'f';
                break;
            case '\n':
                *m_pPos++ = 'n';
                break;
            case '\r':
                *m_pPos++ = 'r';
                break;
            case '\t':
                *m_pPos++ = 't';
                break;
            default:
                putRaw("u00", 3);
                *m_pPos++ = kHex[c >> 4];
                *m_pPos++ = kHex[c & 15];
                break;
            }
            ++s;
        }
        put('"');
        return true;
    }

    char *m_pBuffer = nullptr;
    char *m_pPos = nullptr;
    char *m_pEnd = nullptr;
    const bool m_bPretty;
    const bool m_bDropExtras;
    const unsigned m_uIndent;
    const char *m_szMessage = nullptr;
    std::vector<std::string> m_vecSteps; // path steps of a failure, innermost first
};

} // namespace

bool toJSON(const CFields &tree, std::string &out, tJsonError *error, const tJsonWriteOptions &options) {
    CJsonWriter l_tWriter(options);
    if (l_tWriter.writeRoot(tree, out))
        return true;
    if (error != nullptr) {
        *error = tJsonError{};
        error->sMessage = l_tWriter.message();
        error->sPath = l_tWriter.path();
    }
    return false;
}

} // namespace vexl::json
