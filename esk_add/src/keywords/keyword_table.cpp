// The keyword table and the name/index hooks.

#include "keywords/keyword_table.h"

#include <cstring>

namespace esk_add {

namespace {

struct tKeywordRow {
    const char *cpText;
    unsigned uiLength;
};

// Indexed by keyword index; row 0 is unused.
constexpr tKeywordRow s_aKeywords[ESK_KEYWORD_COUNT + 1] = {
    {nullptr, 0},        {"seq_", 4},      {"useq_", 5},        {"thread", 6},
    {"chksumbegin", 11}, {"chksumset", 9}, {"sizedef4mul", 11}, {"sizeset4mul", 11},
};

// The option rules of the two sequence keywords; every other keyword takes any option.
int applyOptionRule(unsigned a_uiIndex, unsigned char a_ucOption) noexcept {
    if (a_uiIndex == EKW_seq || a_uiIndex == EKW_useq) {
        if (a_ucOption == 0)
            return ESK_NO_OPTION;
        if (a_ucOption > 9)
            return ESK_BIG_OPTION;
    }
    return int(a_uiIndex);
}

} // namespace

const char *keywordText(unsigned index) noexcept {
    return index >= 1 && index <= ESK_KEYWORD_COUNT ? s_aKeywords[index].cpText : nullptr;
}

int eskCheckIdx(unsigned short index, unsigned char option) {
    if (index == 0)
        return ESK_BAD_INDEX;
    if (index > ESK_KEYWORD_COUNT)
        return ESK_UNKNOWN;
    return applyOptionRule(index, option);
}

int eskGetIdx(const char *text, unsigned char option) {
    if (text == nullptr || text[0] == '\0')
        return ESK_BAD_INDEX;
    const size_t l_uLength = std::strlen(text);
    for (unsigned l_uiIndex = 1; l_uiIndex <= ESK_KEYWORD_COUNT; ++l_uiIndex) {
        const tKeywordRow &l_tRow = s_aKeywords[l_uiIndex];
        if (l_uLength == l_tRow.uiLength && std::memcmp(text, l_tRow.cpText, l_uLength) == 0)
            return applyOptionRule(l_uiIndex, option);
    }
    return ESK_UNKNOWN;
}

const char *eskGetTxt(unsigned short index, unsigned char option) {
    return eskCheckIdx(index, option) < 1 ? nullptr : s_aKeywords[index].cpText;
}

} // namespace esk_add
