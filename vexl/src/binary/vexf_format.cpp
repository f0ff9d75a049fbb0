// The packet expression checks shared by the binary reader and writer.

#include "binary/vexf_format.h"

#include <cstring>

#include "packet/internal_keywords.h"
#include "vexl/hooks.h"

namespace vexl::detail {

const char *checkStoredPEI(const tPacketExpInfo &exp) noexcept {
    if (exp.uVarWidth > 9)
        return "Packet variable length must be little than 10";
    if (exp.uSkiOption() >= 10)
        return "Supporting-keyword option value must be little than 10";
    const uint16_t l_uiIndex = exp.uSKI();
    if (l_uiIndex == 0)
        return nullptr;
    const uint8_t l_ucKind = exp.uSkiKind();
    if (l_ucKind != 0) {
        const tCheckIdxFP4ESK l_fpCheck = CEskHooks::getCheckIdxFP4ESK(l_ucKind);
        if (l_fpCheck == nullptr)
            return "Not exist supporting-keyword kind";
        const int l_nResult = l_fpCheck(l_uiIndex, exp.uSkiOption());
        if (l_nResult == 0)
            return "Not exist supporting-keyword index";
        if (l_nResult < 0)
            return "Invalid index or option for supporting-keyword";
        return nullptr;
    }
    const char *l_cpName = internalKeywordName(l_uiIndex);
    if (l_cpName == nullptr || l_cpName[0] == '\0')
        return "Invalid internal supporting-keyword index";
    const size_t l_uiLen = std::strlen(l_cpName);
    if (l_cpName[l_uiLen - 1] == '_' && exp.uSkiOption() == 0)
        return "Supporting-keyword option value must be bigger than 0";
    return nullptr;
}

} // namespace vexl::detail
