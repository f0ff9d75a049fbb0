#include "brick/checksum.h"

#include "checksum/word_sum.h"

using brick_detail::foldCarries;
using brick_detail::sumBigEndianWords;

namespace brick {

unsigned short CHKSUM_Make(const char *a_cpData, int a_iLength, unsigned char a_ucPad) {
    if (a_cpData == nullptr || a_iLength <= 0) {
        return 0xFFFF;
    }
    const auto *l_p = reinterpret_cast<const unsigned char *>(a_cpData);
    const auto l_uiLen = static_cast<std::size_t>(a_iLength);
    uint64_t l_ulSum = sumBigEndianWords(l_p, l_uiLen & ~std::size_t{1});
    if ((l_uiLen & 1U) != 0) {
        l_ulSum += (static_cast<uint32_t>(l_p[l_uiLen - 1]) << 8) | a_ucPad;
    }
    return static_cast<unsigned short>(~foldCarries(l_ulSum) & 0xFFFFU);
}

bool CHKSUM_Check(const char *a_cpData, int a_iLength, unsigned char a_ucPad) {
    if (a_cpData == nullptr || a_iLength <= 0) {
        return false;
    }
    const auto *l_p = reinterpret_cast<const unsigned char *>(a_cpData);
    const auto l_uiLen = static_cast<std::size_t>(a_iLength);
    uint64_t l_ulSum;
    if ((l_uiLen & 1U) == 0) {
        l_ulSum = sumBigEndianWords(l_p, l_uiLen);
    } else {
        if (l_uiLen < 3) {
            return false;
        }
        // Even-length data, the last data byte padded, then the stored checksum.
        l_ulSum = sumBigEndianWords(l_p, l_uiLen - 3);
        l_ulSum += (static_cast<uint32_t>(l_p[l_uiLen - 3]) << 8) | a_ucPad;
        l_ulSum += (static_cast<uint32_t>(l_p[l_uiLen - 2]) << 8) | l_p[l_uiLen - 1];
    }
    return foldCarries(l_ulSum) == 0xFFFFU;
}

} // namespace brick
