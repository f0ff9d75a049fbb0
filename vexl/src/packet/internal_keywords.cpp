#include "internal_keywords.h"

#include <cstring>

namespace vexl::detail {

namespace {

// Row i holds the name of index i; rows without a keyword are empty and never match.
constexpr const char *kNames[kInternalKeywordCount + 1] = {
    "",
    "fix",
    "valid",
    "sizedef_",
    "sizeset_",
    "",
    "",
    "",
    "",
    "",
    "",
    "DOY",
    "DOW",
    "YYYY",
    "YY",
    "MM",
    "DD",
    "hh",
    "mm",
    "SS",
    "sss",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "YYYYMMDD",
    "YYMMDD",
    "hhmmSS",
    "hhmmSSsss",
    "YYMMDDhhmmSS",
    "YYMMDDhhmmSSsss",
    "YYYYMMDDhhmmSS",
    "YYYYMMDDhhmmSSsss",
};

} // namespace

const char *internalKeywordName(unsigned a_uiIdx) noexcept {
    if (a_uiIdx == 0 || a_uiIdx > kInternalKeywordCount || kNames[a_uiIdx][0] == '\0')
        return nullptr;
    return kNames[a_uiIdx];
}

unsigned internalKeywordIndex(const char *a_cpName, size_t a_uiLen) noexcept {
    if (a_cpName == nullptr || a_uiLen == 0)
        return 0;
    for (unsigned i = 1; i <= kInternalKeywordCount; ++i) {
        const char *l_cpRow = kNames[i];
        if (l_cpRow[0] != '\0' && std::strlen(l_cpRow) == a_uiLen &&
            std::memcmp(l_cpRow, a_cpName, a_uiLen) == 0)
            return i;
    }
    return 0;
}

} // namespace vexl::detail
