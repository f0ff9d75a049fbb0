// Showing and reading message bytes.

#include "message.h"

#include <cstdio>

namespace vexl::tool {

std::string quoteBytes(std::string_view bytes) {
    std::string l_strOut = "\"";
    for (const char l_c : bytes) {
        const auto l_uc = static_cast<unsigned char>(l_c);
        if (l_c == '"' || l_c == '\\') {
            l_strOut += '\\';
            l_strOut += l_c;
        } else if (l_uc >= 0x20 && l_uc < 0x7F) {
            l_strOut += l_c;
        } else {
            char l_acBuf[5];
            std::snprintf(l_acBuf, sizeof(l_acBuf), "\\x%02X", l_uc);
            l_strOut += l_acBuf;
        }
    }
    return l_strOut + "\"";
}

std::string hexDump(std::string_view bytes) {
    std::string l_strOut;
    char l_acBuf[32];
    for (size_t l_uiRow = 0; l_uiRow < bytes.size(); l_uiRow += 16) {
        std::snprintf(l_acBuf, sizeof(l_acBuf), "%08zx:", l_uiRow);
        l_strOut += l_acBuf;
        std::string l_strText;
        for (size_t i = 0; i < 16; ++i) {
            if (i % 2 == 0)
                l_strOut += ' ';
            if (l_uiRow + i < bytes.size()) {
                const auto l_uc = static_cast<unsigned char>(bytes[l_uiRow + i]);
                std::snprintf(l_acBuf, sizeof(l_acBuf), "%02x", l_uc);
                l_strOut += l_acBuf;
                l_strText += (l_uc >= 0x20 && l_uc < 0x7F) ? char(l_uc) : '.';
            } else {
                l_strOut += "  ";
            }
        }
        l_strOut += "  " + l_strText + "\n";
    }
    return l_strOut;
}

bool fromHex(std::string_view text, std::string &out) {
    out.clear();
    int l_nHigh = -1;
    for (const char l_c : text) {
        int l_nDigit;
        if (l_c >= '0' && l_c <= '9')
            l_nDigit = l_c - '0';
        else if (l_c >= 'a' && l_c <= 'f')
            l_nDigit = l_c - 'a' + 10;
        else if (l_c >= 'A' && l_c <= 'F')
            l_nDigit = l_c - 'A' + 10;
        else if (l_c == ' ' || l_c == '\n' || l_c == '\t' || l_c == '\r')
            continue;
        else
            return false;
        if (l_nHigh < 0) {
            l_nHigh = l_nDigit;
        } else {
            out += char((l_nHigh << 4) | l_nDigit);
            l_nHigh = -1;
        }
    }
    return l_nHigh < 0;
}

std::string expressionText(const CFields &field) {
    CFields l_tBare;
    l_tBare.setValue(field.getDT() == DT_fields || field.getDT() == DT_array ? CFields() : field);
    l_tBare.pkt_SetExp(field.pkt_GetExp());
    CSaver4SER_PKT l_tSaver;
    return l_tSaver.saving(l_tBare, SIS_PKTEXP, "");
}

} // namespace vexl::tool
