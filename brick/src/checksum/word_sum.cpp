#include "checksum/word_sum.h"

#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace brick_detail {

// The sum of big-endian words is 256 x (sum of the bytes at even offsets)
// plus (sum of the bytes at odd offsets).  Both byte sums are taken 16 bytes
// at a time with psadbw, which adds eight bytes into a 64-bit lane: once
// over all bytes, once over the odd-offset bytes shifted down within each
// 16-bit lane.  Nothing depends on the host byte order.

#if defined(__SSE2__)

namespace {

/// The 16-byte form; every x86-64 processor has SSE2.
uint64_t sumWordsSse2(const unsigned char *a_pData, std::size_t a_uiEvenLen) {
    const __m128i l_zero = _mm_setzero_si128();
    __m128i l_all0 = l_zero, l_all1 = l_zero; // sums of every byte
    __m128i l_odd0 = l_zero, l_odd1 = l_zero; // sums of the odd-offset bytes
    const unsigned char *l_p = a_pData;
    std::size_t l_uiLeft = a_uiEvenLen;
    for (; l_uiLeft >= 64; l_p += 64, l_uiLeft -= 64) {
        const __m128i l_v0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(l_p));
        const __m128i l_v1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(l_p + 16));
        const __m128i l_v2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(l_p + 32));
        const __m128i l_v3 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(l_p + 48));
        l_all0 = _mm_add_epi64(l_all0, _mm_sad_epu8(l_v0, l_zero));
        l_odd0 = _mm_add_epi64(l_odd0, _mm_sad_epu8(_mm_srli_epi16(l_v0, 8), l_zero));
        l_all1 = _mm_add_epi64(l_all1, _mm_sad_epu8(l_v1, l_zero));
        l_odd1 = _mm_add_epi64(l_odd1, _mm_sad_epu8(_mm_srli_epi16(l_v1, 8), l_zero));
        l_all0 = _mm_add_epi64(l_all0, _mm_sad_epu8(l_v2, l_zero));
        l_odd0 = _mm_add_epi64(l_odd0, _mm_sad_epu8(_mm_srli_epi16(l_v2, 8), l_zero));
        l_all1 = _mm_add_epi64(l_all1, _mm_sad_epu8(l_v3, l_zero));
        l_odd1 = _mm_add_epi64(l_odd1, _mm_sad_epu8(_mm_srli_epi16(l_v3, 8), l_zero));
    }
    for (; l_uiLeft >= 16; l_p += 16, l_uiLeft -= 16) {
        const __m128i l_v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(l_p));
        l_all0 = _mm_add_epi64(l_all0, _mm_sad_epu8(l_v, l_zero));
        l_odd0 = _mm_add_epi64(l_odd0, _mm_sad_epu8(_mm_srli_epi16(l_v, 8), l_zero));
    }
    uint64_t l_lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(l_lanes), _mm_add_epi64(l_all0, l_all1));
    uint64_t l_ulAll = l_lanes[0] + l_lanes[1];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(l_lanes), _mm_add_epi64(l_odd0, l_odd1));
    uint64_t l_ulOdd = l_lanes[0] + l_lanes[1];
    for (; l_uiLeft >= 2; l_p += 2, l_uiLeft -= 2) {
        l_ulAll += l_p[0] + l_p[1];
        l_ulOdd += l_p[1];
    }
    return ((l_ulAll - l_ulOdd) << 8) + l_ulOdd;
}

/// The same over 32 bytes per step, for processors with AVX2.
__attribute__((target("avx2"))) uint64_t sumWordsAvx2(const unsigned char *a_pData, std::size_t a_uiEvenLen) {
    const __m256i l_zero = _mm256_setzero_si256();
    __m256i l_all0 = l_zero, l_all1 = l_zero;
    __m256i l_odd0 = l_zero, l_odd1 = l_zero;
    const unsigned char *l_p = a_pData;
    std::size_t l_uiLeft = a_uiEvenLen;
    for (; l_uiLeft >= 128; l_p += 128, l_uiLeft -= 128) {
        const __m256i l_v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(l_p));
        const __m256i l_v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(l_p + 32));
        const __m256i l_v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(l_p + 64));
        const __m256i l_v3 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(l_p + 96));
        l_all0 = _mm256_add_epi64(l_all0, _mm256_sad_epu8(l_v0, l_zero));
        l_odd0 = _mm256_add_epi64(l_odd0, _mm256_sad_epu8(_mm256_srli_epi16(l_v0, 8), l_zero));
        l_all1 = _mm256_add_epi64(l_all1, _mm256_sad_epu8(l_v1, l_zero));
        l_odd1 = _mm256_add_epi64(l_odd1, _mm256_sad_epu8(_mm256_srli_epi16(l_v1, 8), l_zero));
        l_all0 = _mm256_add_epi64(l_all0, _mm256_sad_epu8(l_v2, l_zero));
        l_odd0 = _mm256_add_epi64(l_odd0, _mm256_sad_epu8(_mm256_srli_epi16(l_v2, 8), l_zero));
        l_all1 = _mm256_add_epi64(l_all1, _mm256_sad_epu8(l_v3, l_zero));
        l_odd1 = _mm256_add_epi64(l_odd1, _mm256_sad_epu8(_mm256_srli_epi16(l_v3, 8), l_zero));
    }
    uint64_t l_lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(l_lanes), _mm256_add_epi64(l_all0, l_all1));
    const uint64_t l_ulAll = l_lanes[0] + l_lanes[1] + l_lanes[2] + l_lanes[3];
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(l_lanes), _mm256_add_epi64(l_odd0, l_odd1));
    const uint64_t l_ulOdd = l_lanes[0] + l_lanes[1] + l_lanes[2] + l_lanes[3];
    // The rest (under 128 bytes, even) goes through the 16-byte form.
    return ((l_ulAll - l_ulOdd) << 8) + l_ulOdd + sumWordsSse2(l_p, l_uiLeft);
}

using tSumFn = uint64_t (*)(const unsigned char *, std::size_t);

tSumFn pickSum() {
    return __builtin_cpu_supports("avx2") ? sumWordsAvx2 : sumWordsSse2;
}

} // namespace

uint64_t sumBigEndianWords(const unsigned char *a_pData, std::size_t a_uiEvenLen) {
    // Chosen once, on first use; short runs skip the indirect call.
    static const tSumFn s_fpSum = pickSum();
    return a_uiEvenLen < 128 ? sumWordsSse2(a_pData, a_uiEvenLen) : s_fpSum(a_pData, a_uiEvenLen);
}

#else

uint64_t sumBigEndianWords(const unsigned char *a_pData, std::size_t a_uiEvenLen) {
    return sumBigEndianWordsPortable(a_pData, a_uiEvenLen);
}

#endif

uint64_t sumBigEndianWordsPortable(const unsigned char *a_pData, std::size_t a_uiEvenLen) {
    // Portable form: 16-bit lanes of a 64-bit word gather the even- and the
    // odd-offset bytes; 256 rounds at most before a lane could overflow.
    constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FFULL;
    uint64_t l_ulEven = 0, l_ulOdd = 0;
    const unsigned char *l_p = a_pData;
    std::size_t l_uiLeft = a_uiEvenLen;
    while (l_uiLeft >= 8) {
        uint64_t l_laneEven = 0, l_laneOdd = 0;
        for (int l_iRound = 0; l_iRound < 256 && l_uiLeft >= 8; ++l_iRound, l_p += 8, l_uiLeft -= 8) {
            uint64_t l_v;
            std::memcpy(&l_v, l_p, 8);
            l_laneEven += l_v & kLowBytes;
            l_laneOdd += (l_v >> 8) & kLowBytes;
        }
        for (int l_iLane = 0; l_iLane < 4; ++l_iLane) {
            l_ulEven += (l_laneEven >> (16 * l_iLane)) & 0xFFFFU;
            l_ulOdd += (l_laneOdd >> (16 * l_iLane)) & 0xFFFFU;
        }
    }
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    std::swap(l_ulEven, l_ulOdd);
#endif
    for (; l_uiLeft >= 2; l_p += 2, l_uiLeft -= 2) {
        l_ulEven += l_p[0];
        l_ulOdd += l_p[1];
    }
    return (l_ulEven << 8) + l_ulOdd;
}

} // namespace brick_detail
