// The lossless check: for every leaf that takes bytes in a message, compares its value with what
// the encoders write for it. The bytes themselves come from the public make call on a copy of
// the leaf, so the check follows the encoders whatever they become; this file only decides
// whether those bytes still say the value.

#include "vexl/packet_check.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "vexl/savers.h"
#include "vexl/utilities.h"

namespace vexl {

namespace {

// The content the ASCII encoders start from: the value's own text.
std::string asciiText(const CFields &a_tLeaf) {
    switch (a_tLeaf.getDT()) {
    case DT_bool:
        return a_tLeaf.getValueRef().m_bValue ? "1" : "0";
    case DT_sint:
        return ToString(a_tLeaf.getValueRef().m_llValue);
    case DT_uint:
        return ToString(a_tLeaf.getValueRef().m_ullValue);
    case DT_double:
        return ToString(a_tLeaf.getValueRef().m_dValue);
    case DT_codelist: {
        const char *l_cp = nullptr;
        const unsigned int l_uiLen = a_tLeaf.getCodePoint(&l_cp);
        return l_uiLen != 0 ? std::string(l_cp, l_uiLen) : std::string();
    }
    default:
        return std::string();
    }
}

// Number of decimal digits of `a_uValue` (at least 1).
unsigned int decimalDigits(uint64_t a_uValue) {
    unsigned int l_uiDigits = 1;
    while (a_uValue >= 10) {
        a_uValue /= 10;
        ++l_uiDigits;
    }
    return l_uiDigits;
}

// True when the text reads as one number (integer or floating point, nothing around it).
bool isNumberText(const std::string &a_strText) {
    long long l_llValue = 0;
    unsigned long long l_ullValue = 0;
    const unsigned int l_uiLen = unsigned(a_strText.size());
    if (aton64(a_strText.data(), l_uiLen, l_llValue) || aton64(a_strText.data(), l_uiLen, l_ullValue))
        return true;
    if (a_strText.empty() || a_strText.front() == ' ' || a_strText.front() == '\t')
        return false;
    char *l_pEnd = nullptr;
    errno = 0;
    std::strtod(a_strText.c_str(), &l_pEnd);
    return l_pEnd == a_strText.c_str() + a_strText.size() && errno == 0;
}

// True when `a_uValue` needs more than `a_uiBytes` bytes (below 8).
bool exceedsBytes(uint64_t a_uValue, uint32_t a_uiBytes) {
    return a_uiBytes < 8 && (a_uValue >> (8 * a_uiBytes)) != 0;
}

// A bare copy of the leaf: its value and expression, without keyword, name, ID or comments.
CFields bareCopy(const CFields &a_tLeaf) {
    CFields l_tCopy;
    l_tCopy.setValue(a_tLeaf);
    tPacketExpInfo l_tExp = a_tLeaf.pkt_GetExp();
    l_tExp.setSKI(0);
    l_tExp.setSkiKind(0);
    l_tExp.setSkiOption(0);
    l_tCopy.pkt_SetExp(l_tExp);
    return l_tCopy;
}

// Decides whether the leaf's value survives; on a loss sets the reason and the message.
bool findLoss(const CFields &a_tLeaf, const tPacketExpInfo &a_tExp, E_LossReason &a_eReason,
              std::string &a_strMessage) {
    const E_DataType l_eType = a_tLeaf.getDT();
    if (l_eType == DT_null)
        return false;
    const bool l_bVariable = a_tExp.eLengthCode() == LEC_VARIABLE;
    const uint32_t l_uiWidth = a_tExp.uVarWidth;
    const uint32_t l_uiLength = a_tExp.uLength();
    const bool l_bNumber = l_eType == DT_sint || l_eType == DT_uint || l_eType == DT_double;

    if (a_tExp.ePacketCode() == PEC_ASCII) {
        const std::string l_strText = asciiText(a_tLeaf);
        if (a_tExp.eRuntimeCode() == REC_NUMBER && l_eType == DT_codelist && !l_strText.empty() &&
            !isNumberText(l_strText)) {
            a_eReason = LR_Type;
            a_strMessage = "text that is not a number in a number field";
            return true;
        }
        if (l_bVariable) {
            const int64_t l_nPrefix = int64_t(l_uiWidth) - a_tExp.nCalibration + int64_t(l_strText.size());
            if (l_nPrefix < 0 || l_nPrefix > int64_t(0xFFFFFFFFu) ||
                decimalDigits(uint64_t(l_nPrefix)) > l_uiWidth) {
                a_eReason = LR_Prefix;
                a_strMessage = "length prefix " + std::to_string(l_nPrefix) + " does not fit " +
                               std::to_string(l_uiWidth) + " digit(s)";
                return true;
            }
            return false;
        }
        if (l_strText.size() > l_uiLength) {
            a_eReason = (l_bNumber || l_eType == DT_bool) ? LR_Digits : LR_Text;
            a_strMessage = std::to_string(l_strText.size()) +
                           (a_eReason == LR_Digits ? " digit(s)" : " byte(s) of text") + " in a " +
                           std::to_string(l_uiLength) + "-byte field";
            return true;
        }
        return false;
    }

    // Binary fields.
    if (l_bVariable) {
        const int64_t l_nPrefix = int64_t(l_uiWidth) - a_tExp.nCalibration + int64_t(a_tLeaf.getRawBytes());
        if (l_nPrefix < 0 || exceedsBytes(uint64_t(l_nPrefix), l_uiWidth)) {
            a_eReason = LR_Prefix;
            a_strMessage = "length prefix " + std::to_string(l_nPrefix) + " does not fit " +
                           std::to_string(l_uiWidth) + " byte(s)";
            return true;
        }
        return false;
    }
    switch (l_eType) {
    case DT_bool:
        return false; // a fixed field has at least one byte here
    case DT_codelist:
        if (a_tLeaf.getRawBytes() > l_uiLength) {
            a_eReason = LR_Text;
            a_strMessage = std::to_string(a_tLeaf.getRawBytes()) + " byte(s) in a " +
                           std::to_string(l_uiLength) + "-byte field";
            return true;
        }
        return false;
    case DT_sint:
        if (a_tLeaf.getValueRef().m_llValue < 0) {
            if (l_uiLength < 8) {
                a_eReason = LR_Sign;
                a_strMessage = "negative number in a " + std::to_string(l_uiLength) +
                               "-byte binary field, read back without its sign";
                return true;
            }
            return false;
        }
        [[fallthrough]];
    case DT_uint:
        if (exceedsBytes(a_tLeaf.getValueRef().m_ullValue, l_uiLength)) {
            a_eReason = LR_Digits;
            a_strMessage = "number needs more than " + std::to_string(l_uiLength) + " byte(s)";
            return true;
        }
        return false;
    case DT_double: {
        uint64_t l_uBits = 0;
        const double l_dValue = a_tLeaf.getValueRef().m_dValue;
        std::memcpy(&l_uBits, &l_dValue, sizeof(l_uBits));
        if (exceedsBytes(l_uBits, l_uiLength)) {
            a_eReason = LR_Digits;
            a_strMessage = "double needs 8 bytes, the field has " + std::to_string(l_uiLength);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

// The expression or the value of a bare leaf as the packet-style writer renders it.
std::string renderPart(const CFields &a_tBare, unsigned char a_ucSIS) {
    CSaver4SER_PKT l_tSaver;
    l_tSaver.setSCBC(SCBC_DEFAULT | 0x02u); // null written as "null"
    return l_tSaver.saving(a_tBare, a_ucSIS, "");
}

void walk(const CFields &a_tNode, std::string &a_strPath, std::vector<tLossEntry> &a_vecOut) {
    const bool l_bRecord = a_tNode.getDT() == DT_fields;
    unsigned int l_uiIndex = 0;
    for (const CFields &l_tChild : a_tNode) {
        const size_t l_uiMark = a_strPath.size();
        if (l_bRecord && l_tChild.getNameLen() != 0) {
            if (!a_strPath.empty())
                a_strPath += '.';
            // Names are written as path steps: ".", "[", "]", "#" and "\\" get a "\\" in front.
            const char *const l_cpName = l_tChild.getName();
            for (unsigned int i = 0; i < l_tChild.getNameLen(); ++i) {
                const char l_c = l_cpName[i];
                if (l_c == '.' || l_c == '[' || l_c == ']' || l_c == '#' || l_c == '\\')
                    a_strPath += '\\';
                a_strPath += l_c;
            }
        } else if (l_bRecord && l_tChild.getID() != 0 && a_strPath.empty()) {
            a_strPath += '#' + std::to_string(l_tChild.getID());
        } else {
            a_strPath += '[' + std::to_string(l_uiIndex) + ']';
        }
        const E_DataType l_eType = l_tChild.getDT();
        if (l_eType == DT_fields || l_eType == DT_array) {
            walk(l_tChild, a_strPath, a_vecOut);
        } else {
            const tPacketExpInfo l_tExp = l_tChild.pkt_GetExp();
            const bool l_bTakesBytes = l_tExp.eLengthCode() == LEC_VARIABLE  ? l_tExp.uVarWidth != 0
                                       : l_tExp.eLengthCode() <= LEC_DYNAMIC ? l_tExp.uLength() != 0
                                                                             : false;
            E_LossReason l_eReason = LR_Digits;
            std::string l_strMessage;
            if (l_bTakesBytes && findLoss(l_tChild, l_tExp, l_eReason, l_strMessage)) {
                CFields l_tBare = bareCopy(l_tChild);
                tLossEntry l_tEntry;
                l_tEntry.strPath = a_strPath;
                l_tEntry.strExpression = renderPart(l_tBare, 0x08);
                l_tEntry.strValue = renderPart(l_tBare, 0x10);
                l_tEntry.strWritten = l_tBare.pkt_Make4OneSelf(false);
                l_tEntry.strMessage = std::move(l_strMessage);
                l_tEntry.eReason = l_eReason;
                l_tEntry.pField = &l_tChild;
                a_vecOut.push_back(std::move(l_tEntry));
            }
        }
        a_strPath.resize(l_uiMark);
        ++l_uiIndex;
    }
}

} // namespace

std::vector<tLossEntry> pkt_CheckLossless(const CFields &layout) {
    std::vector<tLossEntry> l_vecOut;
    std::string l_strPath;
    if (layout.getDT() == DT_fields || layout.getDT() == DT_array) {
        walk(layout, l_strPath, l_vecOut);
    } else {
        // A single leaf is checked on its own: wrap it so that the walk sees it as a child.
        CFields l_tWrapper(DT_array);
        l_tWrapper.addArrayAt(layout);
        walk(l_tWrapper, l_strPath, l_vecOut);
        for (tLossEntry &l_tEntry : l_vecOut) {
            l_tEntry.strPath.clear();
            l_tEntry.pField = &layout;
        }
    }
    return l_vecOut;
}

} // namespace vexl
