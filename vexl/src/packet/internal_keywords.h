#pragma once

#include <cstddef>
#include <cstdint>

namespace vexl::detail {

/// Highest index of the internal supporting-keyword table (indices run from 1).
inline constexpr unsigned kInternalKeywordCount = 38;

/// Internal supporting-keyword indices with a fixed meaning in the packet engine.
enum E_InternalKeyword : uint16_t {
    IKW_fix = 1,
    IKW_valid = 2,
    IKW_sizedef = 3,
    IKW_sizeset = 4,
    IKW_DOY = 11,
    IKW_DOW = 12,
    IKW_YYYY = 13,
    IKW_YY = 14,
    IKW_MM = 15,
    IKW_DD = 16,
    IKW_hh = 17,
    IKW_mm = 18,
    IKW_SS = 19,
    IKW_sss = 20,
    IKW_YYYYMMDD = 31,
    IKW_YYMMDD = 32,
    IKW_hhmmSS = 33,
    IKW_hhmmSSsss = 34,
    IKW_YYMMDDhhmmSS = 35,
    IKW_YYMMDDhhmmSSsss = 36,
    IKW_YYYYMMDDhhmmSS = 37,
    IKW_YYYYMMDDhhmmSSsss = 38,
};

/// Name of internal keyword `a_uiIdx`, or nullptr when the index is 0, above 38 or an empty row.
const char *internalKeywordName(unsigned a_uiIdx) noexcept;

/// Index (1 to 38) of the internal keyword whose name is exactly the `a_uiLen` bytes at `a_cpName`
/// (case-sensitive), or 0 when no row matches. Empty rows never match.
unsigned internalKeywordIndex(const char *a_cpName, size_t a_uiLen) noexcept;

} // namespace vexl::detail
