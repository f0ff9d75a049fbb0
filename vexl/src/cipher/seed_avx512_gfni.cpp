// SEED with AVX-512 and GFNI: sixteen blocks per register.
//
// This file is compiled with AVX-512 (F, BW, VL) and GFNI enabled; it runs only when the CPU has
// them (see seedPathSupported). The S-boxes come from GF2P8AFFINEINVQB: one affine map takes each
// byte from SEED's field basis to the AES field's, the instruction inverts it there and applies a
// second affine map that folds in the way back, SEED's power (x^-8 or x^-4) and the S-box's own
// affine map. S1 serves bytes 0 and 2 of every word, S2 bytes 1 and 3 (a byte-masked second
// instruction). G's masks then mix the four bytes with rotations and three-input logic.

#include "seed_paths.h"

#ifdef VEXL_SEED_X86

#include "seed_lanes.h"

#include <immintrin.h>

// GCC 12's AVX-512 broadcast intrinsics start from an "undefined" register and trip its
// uninitialised-use warning after inlining; nothing here reads an undefined value.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace vexl::detail {

namespace {

struct tOps512 {
    using V = __m512i;
    static constexpr size_t kLanes = 16;
    static constexpr size_t kGroups = 4;

    explicit tOps512(const tSeedWideConstants &c) noexcept
        : m_toAes(_mm512_set1_epi64(static_cast<long long>(c.m_uiToAes))),
          m_s1(_mm512_set1_epi64(static_cast<long long>(c.m_uiS1))),
          m_s2(_mm512_set1_epi64(static_cast<long long>(c.m_uiS2))),
          m_mix0(_mm512_set1_epi32(static_cast<int>(c.m_auiMix[0]))),
          m_mix1(_mm512_set1_epi32(static_cast<int>(c.m_auiMix[1]))),
          m_mix2(_mm512_set1_epi32(static_cast<int>(c.m_auiMix[2]))),
          m_mix3(_mm512_set1_epi32(static_cast<int>(c.m_auiMix[3]))),
          m_swap(
              _mm512_broadcast_i32x4(_mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12))) {}

    static V bxor(V a, V b) noexcept { return _mm512_xor_si512(a, b); }
    static V add(V a, V b) noexcept { return _mm512_add_epi32(a, b); }
    static V broadcast(uint32_t k) noexcept { return _mm512_set1_epi32(static_cast<int>(k)); }

    V g(V x) const noexcept {
        const V y = _mm512_gf2p8affine_epi64_epi8(x, m_toAes, 0);
        V s = _mm512_gf2p8affineinv_epi64_epi8(y, m_s1, kSeedS1Const);
        s = _mm512_mask_gf2p8affineinv_epi64_epi8(s, 0xAAAAAAAAAAAAAAAAULL, y, m_s2, kSeedS2Const);
        // (a & b) ^ c is truth table 0x6A for inputs a=0xF0, b=0xCC, c=0xAA.
        V z = _mm512_and_si512(s, m_mix0);
        z = _mm512_ternarylogic_epi32(_mm512_rol_epi32(s, 8), m_mix1, z, 0x6A);
        z = _mm512_ternarylogic_epi32(_mm512_rol_epi32(s, 16), m_mix2, z, 0x6A);
        return _mm512_ternarylogic_epi32(_mm512_rol_epi32(s, 24), m_mix3, z, 0x6A);
    }

    // 16 blocks to four registers: w0 holds word 0 (big-endian) of every block, and so on.
    // The 4x4 word transpose inside each 128-bit lane is its own inverse, so store uses it too.
    static void transpose(V &a, V &b, V &c, V &d) noexcept {
        const V t0 = _mm512_unpacklo_epi32(a, b), t1 = _mm512_unpacklo_epi32(c, d);
        const V t2 = _mm512_unpackhi_epi32(a, b), t3 = _mm512_unpackhi_epi32(c, d);
        a = _mm512_unpacklo_epi64(t0, t1);
        b = _mm512_unpackhi_epi64(t0, t1);
        c = _mm512_unpacklo_epi64(t2, t3);
        d = _mm512_unpackhi_epi64(t2, t3);
    }
    void load(const unsigned char *p, V &w0, V &w1, V &w2, V &w3) const noexcept {
        w0 = _mm512_shuffle_epi8(_mm512_loadu_si512(p), m_swap);
        w1 = _mm512_shuffle_epi8(_mm512_loadu_si512(p + 64), m_swap);
        w2 = _mm512_shuffle_epi8(_mm512_loadu_si512(p + 128), m_swap);
        w3 = _mm512_shuffle_epi8(_mm512_loadu_si512(p + 192), m_swap);
        transpose(w0, w1, w2, w3);
    }
    void store(unsigned char *p, V w0, V w1, V w2, V w3) const noexcept {
        transpose(w0, w1, w2, w3);
        _mm512_storeu_si512(p, _mm512_shuffle_epi8(w0, m_swap));
        _mm512_storeu_si512(p + 64, _mm512_shuffle_epi8(w1, m_swap));
        _mm512_storeu_si512(p + 128, _mm512_shuffle_epi8(w2, m_swap));
        _mm512_storeu_si512(p + 192, _mm512_shuffle_epi8(w3, m_swap));
    }

    V m_toAes, m_s1, m_s2, m_mix0, m_mix1, m_mix2, m_mix3, m_swap;
};

} // namespace

void seedBlocksAvx512Gfni(const uint32_t *a_pRoundKeys, const unsigned char *a_pIn, unsigned char *a_pOut,
                          size_t a_uiBlocks, bool a_bDecrypt) noexcept {
    const tOps512 l_ops(seedWideConstants());
    laneRun(l_ops, a_pRoundKeys, a_pIn, a_pOut, a_uiBlocks, a_bDecrypt);
    // laneRun cleared registers 0 to 15; AVX-512 adds 16 to 31.
    __asm__ volatile("vpxord %%xmm16, %%xmm16, %%xmm16\n\tvpxord %%xmm17, %%xmm17, %%xmm17\n\t"
                     "vpxord %%xmm18, %%xmm18, %%xmm18\n\tvpxord %%xmm19, %%xmm19, %%xmm19\n\t"
                     "vpxord %%xmm20, %%xmm20, %%xmm20\n\tvpxord %%xmm21, %%xmm21, %%xmm21\n\t"
                     "vpxord %%xmm22, %%xmm22, %%xmm22\n\tvpxord %%xmm23, %%xmm23, %%xmm23\n\t"
                     "vpxord %%xmm24, %%xmm24, %%xmm24\n\tvpxord %%xmm25, %%xmm25, %%xmm25\n\t"
                     "vpxord %%xmm26, %%xmm26, %%xmm26\n\tvpxord %%xmm27, %%xmm27, %%xmm27\n\t"
                     "vpxord %%xmm28, %%xmm28, %%xmm28\n\tvpxord %%xmm29, %%xmm29, %%xmm29\n\t"
                     "vpxord %%xmm30, %%xmm30, %%xmm30\n\tvpxord %%xmm31, %%xmm31, %%xmm31"
                     :
                     :
                     : "xmm16", "xmm17", "xmm18", "xmm19", "xmm20", "xmm21", "xmm22", "xmm23", "xmm24",
                       "xmm25", "xmm26", "xmm27", "xmm28", "xmm29", "xmm30", "xmm31");
}

} // namespace vexl::detail

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#endif
