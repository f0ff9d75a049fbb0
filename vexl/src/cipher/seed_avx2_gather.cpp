// SEED with AVX2 gathers: eight blocks per register, G read from the four 256-word tables the
// portable path uses, one gather per table. For CPUs with AVX2 but without GFNI.
//
// Compiled with AVX2 enabled (and nothing newer); runs only when the CPU has AVX2.

#include "seed_paths.h"

#ifdef VEXL_SEED_X86

#include "seed_lanes.h"
#include "seed_lanes_avx2.h"

namespace vexl::detail {

namespace {

struct tOpsAvx2Gather : tAvx2Words {
    static constexpr size_t kGroups = 2;

    explicit tOpsAvx2Gather(const tSeedWideConstants &c) noexcept
        : m_apSS{reinterpret_cast<const int *>(c.m_apSS[0]), reinterpret_cast<const int *>(c.m_apSS[1]),
                 reinterpret_cast<const int *>(c.m_apSS[2]), reinterpret_cast<const int *>(c.m_apSS[3])} {}

    V g(V x) const noexcept {
        const V l_byte = _mm256_set1_epi32(0xFF);
        const V i0 = _mm256_and_si256(x, l_byte);
        const V i1 = _mm256_and_si256(_mm256_srli_epi32(x, 8), l_byte);
        const V i2 = _mm256_and_si256(_mm256_srli_epi32(x, 16), l_byte);
        const V i3 = _mm256_srli_epi32(x, 24);
        // Every index is below 256, so every gather stays inside its table.
        const V z0 = _mm256_i32gather_epi32(m_apSS[0], i0, 4);
        const V z1 = _mm256_i32gather_epi32(m_apSS[1], i1, 4);
        const V z2 = _mm256_i32gather_epi32(m_apSS[2], i2, 4);
        const V z3 = _mm256_i32gather_epi32(m_apSS[3], i3, 4);
        return _mm256_xor_si256(_mm256_xor_si256(z0, z1), _mm256_xor_si256(z2, z3));
    }

    const int *m_apSS[4];
};

} // namespace

void seedBlocksAvx2Gather(const uint32_t *a_pRoundKeys, const unsigned char *a_pIn, unsigned char *a_pOut,
                          size_t a_uiBlocks, bool a_bDecrypt) noexcept {
    const tOpsAvx2Gather l_ops(seedWideConstants());
    laneRun(l_ops, a_pRoundKeys, a_pIn, a_pOut, a_uiBlocks, a_bDecrypt);
}

} // namespace vexl::detail

#endif
