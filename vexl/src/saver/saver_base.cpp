// The saver base: configuration, encryption type, and the text of one scalar field (its packet
// expression and its value) shared by the two text writers.

#include "vexl/savers.h"

#include <cstdio>
#include <cstring>

#include "packet/internal_keywords.h"
#include "saver/text_format.h"

namespace vexl {

namespace {

// Appends the decimal digits of `value` at `p`; returns the position after them.
char *putUint(char *p, unsigned int value) {
    char l_acTmp[10];
    unsigned int n = 0;
    do {
        l_acTmp[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n != 0)
        *p++ = l_acTmp[--n];
    return p;
}

} // namespace

// MARK: - Construction (Public)

ISaver::ISaver(unsigned int scbc) : CBitCombi32(scbc), m_ucSIS(SIS_ALL), m_ucCryptType(0), m_szPEI{} {}

ISaver::ISaver(const ISaver &other)
    : CErrorBase(other), CBitCombi32(other), m_ucSIS(other.m_ucSIS), m_ucCryptType(other.m_ucCryptType),
      m_strWork(other.m_strWork) {
    std::memcpy(m_szPEI, other.m_szPEI, sizeof(m_szPEI));
}

ISaver &ISaver::operator=(const ISaver &other) {
    if (this != &other) {
        CErrorBase::operator=(other);
        CBitCombi32::operator=(static_cast<const CBitCombi32 &>(other));
        m_ucSIS = other.m_ucSIS;
        m_ucCryptType = other.m_ucCryptType;
        m_strWork = other.m_strWork;
        std::memcpy(m_szPEI, other.m_szPEI, sizeof(m_szPEI));
    }
    return *this;
}

ISaver::~ISaver() = default;
IStringSaver::~IStringSaver() = default;
IStreamSaver::~IStreamSaver() = default;

bool ISaver::setCryptType(unsigned char type) noexcept {
    if (type != 0)
        return false;
    m_ucCryptType = type;
    return true;
}

// MARK: - Packet expression text (Protected)

// "(" code letters, length or width and calibration, keyword name and option, ")".
// 1. Containers carry no expression: user error, empty text.
// 2. The longest fixed part is "(ACV255-128" (11 bytes) or "(ACF4294967295" (14 bytes); the
//    keyword with a two-digit option, ")" and the zero byte must fit the rest of 256 bytes.
unsigned int ISaver::formatPEI(char *buf, E_DataType type, const tPacketExpInfo &exp, unsigned char &flags) {
    if (type == DT_array || type == DT_fields) {
        setUserError(-991, "[%s#%d] '%s' data type was not supported", "vexl::ISaver::makePEI", 38,
                     DATA_TYPE_WORDS[type]);
        buf[0] = '\0';
        return 0;
    }
    char *p = buf;
    *p++ = '(';
    *p++ = exp.ePacketCode() == PEC_BINARY ? 'B' : 'A';
    *p++ = exp.eRuntimeCode() == REC_NUMBER ? 'N' : 'C';
    switch (exp.eLengthCode()) {
    case LEC_FIXED:
        *p++ = 'F';
        p = putUint(p, exp.uLength());
        break;
    case LEC_DYNAMIC:
        *p++ = 'D';
        p = putUint(p, (m_ucSIS & SIS_VALUE) ? exp.uLength() : 0u);
        break;
    case LEC_VARIABLE: {
        // The width is written even when it is 0: "(ACV)" alone is too short for the reader.
        *p++ = 'V';
        p = putUint(p, exp.uVarWidth);
        const int l_nCal = exp.nCalibration;
        *p++ = l_nCal < 0 ? '-' : '+';
        p = putUint(p, unsigned(l_nCal < 0 ? -l_nCal : l_nCal));
        break;
    }
    default:
        // Length code 3 is never produced by the library; the reader knows only F, V and D.
        setUserError(-991, "[%s#%d] Unknown packet length code(%u)", "vexl::ISaver::makePEI", 68,
                     unsigned(exp.eLengthCode()));
        *p++ = 'F';
        p = putUint(p, exp.uLength());
        break;
    }

    const unsigned int l_uiSKI = exp.uSKI();
    if (l_uiSKI != 0) {
        const unsigned int l_uiKind = exp.uSkiKind();
        const unsigned int l_uiOpt = exp.uSkiOption();
        const char *l_cpName = nullptr;
        if (l_uiKind == 0) {
            l_cpName = detail::internalKeywordName(l_uiSKI);
            if (l_cpName == nullptr)
                setUserError(-991, "[%s#%d] '%u' was invalid index of internal keyword",
                             "vexl::ISaver::makePEI", 88, l_uiSKI);
        } else if (tGetTxtFP4ESK l_fpText = CFields::getGetTxtFP4ESK(static_cast<unsigned char>(l_uiKind))) {
            l_cpName = l_fpText(static_cast<unsigned short>(l_uiSKI), static_cast<unsigned char>(l_uiOpt));
        }
        if (l_cpName != nullptr) {
            // Room left for the name: the option (at most 2 digits), ")" and the zero byte.
            const size_t l_uiRoom = size_t(256 - (p - buf)) - 4;
            const size_t l_uiLen = strnlen(l_cpName, l_uiRoom + 1);
            if (l_uiLen > l_uiRoom) {
                setUserError(-991, "[%s#%d] Supporting-keyword text too long(kind=%u, index=%u)",
                             "vexl::ISaver::makePEI", 99, l_uiKind, l_uiSKI);
            } else {
                std::memcpy(p, l_cpName, l_uiLen);
                p += l_uiLen;
                if (l_uiOpt != 0)
                    p = putUint(p, l_uiOpt);
            }
        }
    }
    *p++ = ')';
    *p = '\0';
    flags |= WF_PKTEXP;
    return unsigned(p - buf);
}

const char *ISaver::makePEI(E_DataType type, const tPacketExpInfo &exp, unsigned char &flags) {
    formatPEI(m_szPEI, type, exp, flags);
    return m_szPEI;
}

void ISaver::appendPEI(detail::COutBuf &out, E_DataType type, const tPacketExpInfo &exp,
                       unsigned char &flags) {
    char *p = out.reserve(256);
    out.commit(p + formatPEI(p, type, exp, flags));
}

// MARK: - Scalar field text (Protected)

// 1. Containers are refused.
// 2. The expression, when written: a "fix"/"valid" keyword whose two values differ either
//    selects the second value (SCBC 0x08, when there is one) or is left out.
// 3. A space between what was written and the value (human-friendly spacing).
// 4. The value of the selected slot.
void ISaver::appendPEIandValue(detail::COutBuf &out, const CFields &field, unsigned char &flags) {
    const E_DataType l_eType = field.getDT();
    if (l_eType == DT_array || l_eType == DT_fields) {
        setUserError(-991, "[%s#%d] '%s' data type was not supported", "vexl::ISaver::makePEIandValue", 54,
                     DATA_TYPE_WORDS[l_eType]);
        return;
    }
    const unsigned int l_uiSIS = m_ucSIS;
    E_ValueKind l_eSlot = VK_Actual;
    if (l_uiSIS & SIS_PKTEXP) {
        tPacketExpInfo l_tExp = field.pkt_GetExp();
        // All ten bytes zero means no expression (read as two words).
        uint64_t l_ullHead = 0;
        uint16_t l_usTail = 0;
        std::memcpy(&l_ullHead, &l_tExp, sizeof(l_ullHead));
        std::memcpy(&l_usTail, reinterpret_cast<const char *>(&l_tExp) + sizeof(l_ullHead), sizeof(l_usTail));
        if ((l_ullHead | l_usTail) != 0) {
            if ((l_uiSIS & SIS_SPACING) && (flags & (WF_ID | WF_NAME)))
                out.put(' ');
            const unsigned int l_uiSKI = l_tExp.uSKI();
            if (l_tExp.uSkiKind() == 0 && (l_uiSKI == detail::IKW_fix || l_uiSKI == detail::IKW_valid) &&
                !field.isEqualDualValue()) {
                // A field without a second value keeps its keyword and its actual value: writing
                // the empty second slot would lose the value.
                if (BC32_Check(SCBC_DUAL_VALUE)) {
                    if (field.getDT(VK_Fixed) != DT_null)
                        l_eSlot = VK_Fixed;
                } else {
                    l_tExp.setSKI(0);
                }
            }
            appendPEI(out, l_eType, l_tExp, flags);
        }
    }
    if (!(l_uiSIS & SIS_VALUE))
        return;
    if ((l_uiSIS & SIS_SPACING) && (BC32_Check(SCBC_NULL_WORD) || l_eType != DT_null) &&
        (flags & (WF_ID | WF_NAME | WF_PKTEXP)))
        out.put(' ');

    const uMultiValue &l_rVal = field.getValueRef(l_eSlot);
    switch (field.getDT(l_eSlot)) {
    case DT_null:
        if (BC32_Check(SCBC_NULL_WORD)) {
            out.append("null", 4);
            flags |= WF_VALUE;
        }
        return;
    case DT_bool:
        if (field.asBool(l_eSlot))
            out.append("true", 4);
        else
            out.append("false", 5);
        break;
    case DT_sint:
        detail::appendSint(out, l_rVal.m_llValue);
        break;
    case DT_uint:
        detail::appendUint(out, l_rVal.m_ullValue);
        break;
    case DT_double:
        detail::appendDouble(out, l_rVal.m_dValue);
        break;
    case DT_codelist: {
        // Written whole, zero bytes included; an empty list is written "" so that it reads
        // back as an empty list rather than as a missing value.
        const char *l_cpData = nullptr;
        const unsigned int l_uiLen = field.getCodePoint(&l_cpData, l_eSlot);
        detail::appendQuotedEscaped(out, l_cpData, l_uiLen);
        break;
    }
    default:
        setUserError(-991, "[%s#%d] Unknown data type(%d)", "vexl::ISaver::makePEIandValue", 126,
                     int(field.getDT(l_eSlot)));
        return;
    }
    flags |= WF_VALUE;
}

std::string ISaver::makePEIandValue(const CFields &field, unsigned char &flags) {
    m_strWork.clear();
    {
        detail::COutBuf l_tOut(m_strWork);
        appendPEIandValue(l_tOut, field, flags);
    }
    return m_strWork;
}

} // namespace vexl
