// SEED with AVX2 and GFNI (VEX-encoded): eight blocks per register.
//
// Compiled with AVX2 and GFNI enabled; runs only when the CPU has both. The S-boxes are computed
// as in the AVX-512 path (GF2P8AFFINEINVQB after a change of field basis); S1 and S2 are blended
// by byte, and G's four rotations are byte shuffles.

#include "seed_paths.h"

#ifdef VEXL_SEED_X86

#include "seed_lanes.h"
#include "seed_lanes_avx2.h"

namespace vexl::detail {

namespace {

struct tOpsAvx2Gfni : tAvx2Words {
    static constexpr size_t kGroups = 4;

    explicit tOpsAvx2Gfni(const tSeedWideConstants &c) noexcept
        : m_toAes(_mm256_set1_epi64x(static_cast<long long>(c.m_uiToAes))),
          m_s1(_mm256_set1_epi64x(static_cast<long long>(c.m_uiS1))),
          m_s2(_mm256_set1_epi64x(static_cast<long long>(c.m_uiS2))),
          m_mix0(_mm256_set1_epi32(static_cast<int>(c.m_auiMix[0]))),
          m_mix1(_mm256_set1_epi32(static_cast<int>(c.m_auiMix[1]))),
          m_mix2(_mm256_set1_epi32(static_cast<int>(c.m_auiMix[2]))),
          m_mix3(_mm256_set1_epi32(static_cast<int>(c.m_auiMix[3]))) {}

    // Every word rotated left by 8, 16 and 24 bits.
    static V rot8(V x) noexcept {
        return _mm256_shuffle_epi8(x, _mm256_setr_epi8(3, 0, 1, 2, 7, 4, 5, 6, 11, 8, 9, 10, 15, 12, 13, 14,
                                                       3, 0, 1, 2, 7, 4, 5, 6, 11, 8, 9, 10, 15, 12, 13, 14));
    }
    static V rot16(V x) noexcept {
        return _mm256_shuffle_epi8(x, _mm256_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13,
                                                       2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13));
    }
    static V rot24(V x) noexcept {
        return _mm256_shuffle_epi8(x, _mm256_setr_epi8(1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12,
                                                       1, 2, 3, 0, 5, 6, 7, 4, 9, 10, 11, 8, 13, 14, 15, 12));
    }

    V g(V x) const noexcept {
        const V y = _mm256_gf2p8affine_epi64_epi8(x, m_toAes, 0);
        const V s1 = _mm256_gf2p8affineinv_epi64_epi8(y, m_s1, kSeedS1Const);
        const V s2 = _mm256_gf2p8affineinv_epi64_epi8(y, m_s2, kSeedS2Const);
        // S2 in the odd bytes (1 and 3 of every word), S1 in the even ones.
        const V s = _mm256_blendv_epi8(s1, s2, _mm256_set1_epi16(static_cast<short>(0x8000)));
        V z = _mm256_and_si256(s, m_mix0);
        z = _mm256_xor_si256(z, _mm256_and_si256(rot8(s), m_mix1));
        z = _mm256_xor_si256(z, _mm256_and_si256(rot16(s), m_mix2));
        return _mm256_xor_si256(z, _mm256_and_si256(rot24(s), m_mix3));
    }

    V m_toAes, m_s1, m_s2, m_mix0, m_mix1, m_mix2, m_mix3;
};

} // namespace

void seedBlocksAvx2Gfni(const uint32_t *a_pRoundKeys, const unsigned char *a_pIn, unsigned char *a_pOut,
                        size_t a_uiBlocks, bool a_bDecrypt) noexcept {
    const tOpsAvx2Gfni l_ops(seedWideConstants());
    laneRun(l_ops, a_pRoundKeys, a_pIn, a_pOut, a_uiBlocks, a_bDecrypt);
}

} // namespace vexl::detail

#endif
