#pragma once

// Block loading and the word arithmetic shared by the two AVX2 paths: eight blocks per 256-bit
// register. Included only by those paths' files (compiled with AVX2); internal linkage.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace vexl::detail {
namespace {

struct tAvx2Words {
    using V = __m256i;
    static constexpr size_t kLanes = 8;

    static V bxor(V a, V b) noexcept { return _mm256_xor_si256(a, b); }
    static V add(V a, V b) noexcept { return _mm256_add_epi32(a, b); }
    static V broadcast(uint32_t k) noexcept { return _mm256_set1_epi32(static_cast<int>(k)); }

    // Reverses the bytes of every 32-bit word (the blocks hold big-endian words).
    static V swap(V x) noexcept {
        return _mm256_shuffle_epi8(x, _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12,
                                                       3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
    }
    // 4x4 word transpose inside each 128-bit lane (one block per lane); its own inverse.
    static void transpose(V &a, V &b, V &c, V &d) noexcept {
        const V t0 = _mm256_unpacklo_epi32(a, b), t1 = _mm256_unpacklo_epi32(c, d);
        const V t2 = _mm256_unpackhi_epi32(a, b), t3 = _mm256_unpackhi_epi32(c, d);
        a = _mm256_unpacklo_epi64(t0, t1);
        b = _mm256_unpackhi_epi64(t0, t1);
        c = _mm256_unpacklo_epi64(t2, t3);
        d = _mm256_unpackhi_epi64(t2, t3);
    }
    static void load(const unsigned char *p, V &w0, V &w1, V &w2, V &w3) noexcept {
        w0 = swap(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)));
        w1 = swap(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32)));
        w2 = swap(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 64)));
        w3 = swap(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 96)));
        transpose(w0, w1, w2, w3);
    }
    static void store(unsigned char *p, V w0, V w1, V w2, V w3) noexcept {
        transpose(w0, w1, w2, w3);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), swap(w0));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p + 32), swap(w1));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p + 64), swap(w2));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p + 96), swap(w3));
    }
};

} // namespace
} // namespace vexl::detail
