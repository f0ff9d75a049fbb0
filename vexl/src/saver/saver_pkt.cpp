// The packet-style writer: the whole tree on one line without blanks.

#include "vexl/savers.h"

#include <cstdint>
#include <cstring>

#include "saver/text_format.h"

namespace vexl {

CSaver4SER_PKT::~CSaver4SER_PKT() = default;

// 1. SIS without spacing, so that no blank is ever written.
// 2. The root's "#ID" and name, and its value.
// 3. A final line feed with SCBC 0x04.
std::string CSaver4SER_PKT::saving(const CFields &root, unsigned char sis, const char * /*password*/) {
    m_strOutput.clear();
    m_ucSIS = static_cast<unsigned char>(sis & ~SIS_SPACING);
    {
        detail::COutBuf l_tOut(m_strOutput);
        writeMember(l_tOut, root);
        if (BC32_Check(SCBC_FINAL_LF))
            l_tOut.put('\n');
    }
    // The document is handed over; the next call starts with room for one of the same size.
    std::string l_strDoc = std::move(m_strOutput);
    m_strOutput = std::string();
    // Slack beyond the last size: writers reserve an item's worst case before writing it, and a
    // reallocation near the end would copy the whole document.
    m_strOutput.reserve(l_strDoc.size() + l_strDoc.size() / 16 + 4096);
    return l_strDoc;
}

namespace {

// True when the field has no packet expression (all ten bytes zero, read as two words).
inline bool hasNoExpression(const CFields &field) noexcept {
    const tPacketExpInfo l_tExp = field.pkt_GetExp();
    uint64_t l_ullHead = 0;
    uint16_t l_usTail = 0;
    std::memcpy(&l_ullHead, &l_tExp, sizeof(l_ullHead));
    std::memcpy(&l_usTail, reinterpret_cast<const char *>(&l_tExp) + sizeof(l_ullHead), sizeof(l_usTail));
    return (l_ullHead | l_usTail) == 0;
}

} // namespace

// "#ID", the quoted name with "=" (or "= "), then the value. After an ID without a name, a
// value that begins with a digit is preceded by a lone "=": the loader would otherwise read its
// digits as more digits of the ID.
void CSaver4SER_PKT::writeMember(detail::COutBuf &out, const CFields &field) {
    bool l_bIdOnly = false;
    if ((m_ucSIS & SIS_ID) && field.getID() != 0) {
        out.put('#');
        detail::appendUint(out, field.getID());
        l_bIdOnly = true;
    }
    if ((m_ucSIS & SIS_NAME) && field.getNameLen() != 0) {
        detail::appendQuotedEscaped(out, field.getName(), field.getNameLen());
        if (m_bCompatibilityYAML)
            out.append("= ", 2);
        else
            out.put('=');
        l_bIdOnly = false;
    }
    if (!l_bIdOnly) {
        writeField(out, field);
        return;
    }
    const size_t l_uiAt = out.size();
    writeField(out, field);
    if (out.size() > l_uiAt) {
        const auto c = static_cast<unsigned char>(out.data()[l_uiAt]);
        if (c >= '0' && c <= '9')
            out.insert(l_uiAt, '=');
    }
}

// Containers: "[" elements "]" or "{" members "}", separated by ",". Scalars: the expression and
// the value (`makePEIandValue`); the usual value without an expression is written directly.
void CSaver4SER_PKT::writeField(detail::COutBuf &out, const CFields &field) {
    const E_DataType l_eType = field.getDT();
    if (l_eType == DT_array || l_eType == DT_fields) {
        const bool l_bFields = l_eType == DT_fields;
        out.put(l_bFields ? '{' : '[');
        const size_t l_uiInside = out.size();
        const CFields *const l_pBegin = field.begin();
        const CFields *const l_pEnd = field.end();
        detail::prefetchNodes(l_pBegin, l_pEnd);
        for (const CFields *c = l_pBegin; c != l_pEnd; ++c) {
            if (c + 1 != l_pEnd)
                detail::prefetchField(c + 1);
            if (c != l_pBegin)
                out.put(',');
            if (l_bFields)
                writeMember(out, *c);
            else
                writeField(out, *c);
        }
        // An only child written as nothing (a null without name, ID or expression, with the null
        // word off) is written as "null": brackets with nothing in them are an empty container.
        if (l_pEnd - l_pBegin == 1 && l_pBegin->getDT() == DT_null && out.size() == l_uiInside)
            out.append("null", 4);
        out.put(l_bFields ? '}' : ']');
        return;
    }
    if ((m_ucSIS & SIS_VALUE) && (!(m_ucSIS & SIS_PKTEXP) || hasNoExpression(field))) {
        switch (l_eType) {
        case DT_sint:
            detail::appendSint(out, field.getValueRef().m_llValue);
            return;
        case DT_uint:
            detail::appendUint(out, field.getValueRef().m_ullValue);
            return;
        case DT_null:
            if (BC32_Check(SCBC_NULL_WORD))
                out.append("null", 4);
            return;
        case DT_codelist: {
            const char *l_cpData = nullptr;
            const unsigned int l_uiLen = field.getCodePoint(&l_cpData);
            detail::appendQuotedEscaped(out, l_cpData, l_uiLen);
            return;
        }
        default:
            break;
        }
    }
    unsigned char l_ucFlags = 0;
    appendPEIandValue(out, field, l_ucFlags);
}

} // namespace vexl
