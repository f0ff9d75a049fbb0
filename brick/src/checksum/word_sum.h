#pragma once

#include <cstddef>
#include <cstdint>

namespace brick_detail {

/// Plain integer sum of the big-endian 16-bit words of an even-length run.
/// Below 2^48 bytes it cannot overflow, so folding it gives the ones'
/// complement sum exactly.
uint64_t sumBigEndianWords(const unsigned char *a_pData, std::size_t a_uiEvenLen);

/// The same sum without vector instructions; the fallback on hosts without
/// SSE2, and a second opinion for the tests.
uint64_t sumBigEndianWordsPortable(const unsigned char *a_pData, std::size_t a_uiEvenLen);

/// Folds the carries above bit 15 back in until 16 bits remain.
inline uint32_t foldCarries(uint64_t a_ulSum) {
    while ((a_ulSum >> 16) != 0) {
        a_ulSum = (a_ulSum & 0xFFFFU) + (a_ulSum >> 16);
    }
    return static_cast<uint32_t>(a_ulSum);
}

} // namespace brick_detail
