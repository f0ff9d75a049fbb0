// The packet-style writer: the whole tree on one line without blanks.

#include "vexl/savers.h"

#include "saver/text_format.h"

namespace vexl {

CSaver4SER_PKT::~CSaver4SER_PKT() = default;

// 1. SIS without spacing, so that no blank is ever written.
// 2. The root's "#ID" and name, and its value.
// 3. A final line feed with SCBC 0x04.
std::string CSaver4SER_PKT::saving(const CFields &root, unsigned char sis, const char * /*password*/) {
    const size_t l_uiLast = m_strOutput.capacity();
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
    m_strOutput.reserve(l_uiLast < l_strDoc.size() ? l_strDoc.size() : l_uiLast);
    return l_strDoc;
}

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
    const size_t l_uiAt = out.size();
    writeField(out, field);
    if (l_bIdOnly && out.size() > l_uiAt) {
        const auto c = static_cast<unsigned char>(out.data()[l_uiAt]);
        if (c >= '0' && c <= '9')
            out.insert(l_uiAt, '=');
    }
}

void CSaver4SER_PKT::writeField(detail::COutBuf &out, const CFields &field) {
    switch (field.getDT()) {
    case DT_array: {
        out.put('[');
        const CFields *const l_pBegin = field.begin();
        const CFields *const l_pEnd = field.end();
        detail::prefetchNodes(l_pBegin, l_pEnd);
        for (const CFields *e = l_pBegin; e != l_pEnd; ++e) {
            if (e + 1 != l_pEnd)
                detail::prefetchField(e + 1);
            if (e != l_pBegin)
                out.put(',');
            writeField(out, *e);
        }
        out.put(']');
        break;
    }
    case DT_fields: {
        out.put('{');
        const CFields *const l_pBegin = field.begin();
        const CFields *const l_pEnd = field.end();
        detail::prefetchNodes(l_pBegin, l_pEnd);
        for (const CFields *m = l_pBegin; m != l_pEnd; ++m) {
            if (m + 1 != l_pEnd)
                detail::prefetchField(m + 1);
            if (m != l_pBegin)
                out.put(',');
            writeMember(out, *m);
        }
        out.put('}');
        break;
    }
    default: {
        unsigned char l_ucFlags = 0;
        appendPEIandValue(out, field, l_ucFlags);
        break;
    }
    }
}

} // namespace vexl
