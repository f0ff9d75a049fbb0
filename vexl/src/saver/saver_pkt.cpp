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
    writeMember(root);
    if (BC32_Check(SCBC_FINAL_LF))
        m_strOutput.push_back('\n');
    std::string l_strDoc = std::move(m_strOutput);
    m_strOutput = std::string();
    m_strOutput.reserve(l_uiLast < l_strDoc.size() ? l_strDoc.size() : l_uiLast);
    return l_strDoc;
}

// "#ID", the quoted name with "=" (or "= "), then the value. After an ID without a name, a
// value that begins with a digit is preceded by a lone "=": the loader would otherwise read its
// digits as more digits of the ID.
void CSaver4SER_PKT::writeMember(const CFields &field) {
    bool l_bIdOnly = false;
    if ((m_ucSIS & SIS_ID) && field.getID() != 0) {
        m_strOutput.push_back('#');
        detail::appendUint(m_strOutput, field.getID());
        l_bIdOnly = true;
    }
    if ((m_ucSIS & SIS_NAME) && field.getNameLen() != 0) {
        detail::appendQuotedEscaped(m_strOutput, field.getName(), field.getNameLen());
        if (m_bCompatibilityYAML)
            m_strOutput.append("= ", 2);
        else
            m_strOutput.push_back('=');
        l_bIdOnly = false;
    }
    const size_t l_uiAt = m_strOutput.size();
    writeField(field);
    if (l_bIdOnly && m_strOutput.size() > l_uiAt) {
        const auto c = static_cast<unsigned char>(m_strOutput[l_uiAt]);
        if (c >= '0' && c <= '9')
            m_strOutput.insert(l_uiAt, 1, '=');
    }
}

void CSaver4SER_PKT::writeField(const CFields &field) {
    switch (field.getDT()) {
    case DT_array: {
        m_strOutput.push_back('[');
        const CFields *const l_pEnd = field.end();
        for (const CFields *e = field.begin(); e != l_pEnd; ++e) {
            if (e != field.begin())
                m_strOutput.push_back(',');
            writeField(*e);
        }
        m_strOutput.push_back(']');
        break;
    }
    case DT_fields: {
        m_strOutput.push_back('{');
        const CFields *const l_pEnd = field.end();
        for (const CFields *m = field.begin(); m != l_pEnd; ++m) {
            if (m != field.begin())
                m_strOutput.push_back(',');
            writeMember(*m);
        }
        m_strOutput.push_back('}');
        break;
    }
    default: {
        unsigned char l_ucFlags = 0;
        appendPEIandValue(m_strOutput, field, l_ucFlags);
        break;
    }
    }
}

} // namespace vexl
