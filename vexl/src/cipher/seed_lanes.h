#pragma once

// SEED over many blocks in vector registers, shared by the wide paths.
//
// A register holds the same 32-bit word of as many blocks as it has 32-bit lanes, so one vector
// instruction advances all those blocks; `Ops::kGroups` such register sets run side by side to
// hide the latency of the G chain. `Ops` supplies the instruction set: the vector type `V`, lane
// count `kLanes`, `load`/`store` of `kLanes` blocks (byte order and transpose included),
// `bxor`, `add`, `broadcast` and the G function `g`.
//
// Included only by the files of the wide paths, each compiled for its own instruction set.
// Everything here has internal linkage, so no copy built for one instruction set can be picked
// by the linker for code built for another.
//
// Round keys are broadcast from the 32-word schedule where they are used; no widened copy of
// them is kept on purpose. What the compiler spills (state words, perhaps a broadcast key) and
// the tail buffer that pads the last partial register set are wiped before returning, and the
// vector registers are cleared, as the scalar schedule is wiped when its key goes.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <string.h> // explicit_bzero

namespace vexl::detail {
namespace {

// One Feistel half-round on every register set: (l0,l1) ^= F(K, r0||r1).
template <class Ops, size_t N>
inline __attribute__((always_inline)) void
laneFeistel(const Ops &a_ops, typename Ops::V (&l0)[N], typename Ops::V (&l1)[N],
            const typename Ops::V (&r0)[N], const typename Ops::V (&r1)[N], const uint32_t *k) noexcept {
    using V = typename Ops::V;
    const V k0 = a_ops.broadcast(k[0]);
    const V k1 = a_ops.broadcast(k[1]);
    V a[N], b[N];
#pragma GCC unroll 4
    for (size_t j = 0; j < N; ++j) {
        a[j] = a_ops.bxor(r0[j], k0);
        b[j] = a_ops.g(a_ops.bxor(a[j], a_ops.bxor(r1[j], k1)));
    }
#pragma GCC unroll 4
    for (size_t j = 0; j < N; ++j)
        a[j] = a_ops.g(a_ops.add(a[j], b[j]));
#pragma GCC unroll 4
    for (size_t j = 0; j < N; ++j)
        b[j] = a_ops.g(a_ops.add(a[j], b[j]));
#pragma GCC unroll 4
    for (size_t j = 0; j < N; ++j) {
        l0[j] = a_ops.bxor(l0[j], a_ops.add(a[j], b[j]));
        l1[j] = a_ops.bxor(l1[j], b[j]);
    }
}

// N register sets of blocks through all 16 rounds. Decryption is encryption with the round keys
// in reverse order. Not inlined into the block loop, so the compiler has no reason to hoist the
// 32 broadcast keys out of it into a stack copy.
template <class Ops, size_t N, bool Decrypt>
__attribute__((noinline)) void laneGroups(const Ops &a_ops, const uint32_t *rk, const unsigned char *in,
                                          unsigned char *out) noexcept {
    using V = typename Ops::V;
    constexpr size_t kBytes = Ops::kLanes * 16;
    V l0[N], l1[N], r0[N], r1[N];
#pragma GCC unroll 4
    for (size_t j = 0; j < N; ++j)
        a_ops.load(in + j * kBytes, l0[j], l1[j], r0[j], r1[j]);
#pragma GCC unroll 16
    for (unsigned round = 0; round < 16; round += 2) {
        laneFeistel<Ops, N>(a_ops, l0, l1, r0, r1, Decrypt ? rk + 2 * (15 - round) : rk + 2 * round);
        laneFeistel<Ops, N>(a_ops, r0, r1, l0, l1, Decrypt ? rk + 2 * (14 - round) : rk + 2 * (round + 1));
    }
    // The last round does not swap the halves.
#pragma GCC unroll 4
    for (size_t j = 0; j < N; ++j)
        a_ops.store(out + j * kBytes, r0[j], r1[j], l0[j], l1[j]);
}

template <class Ops, bool Decrypt>
void laneBlocks(const Ops &a_ops, const uint32_t *rk, const unsigned char *in, unsigned char *out,
                size_t blocks) noexcept {
    constexpr size_t kSet = Ops::kLanes;
    constexpr size_t kWide = Ops::kGroups * kSet;
    for (; blocks >= kWide; blocks -= kWide, in += kWide * 16, out += kWide * 16)
        laneGroups<Ops, Ops::kGroups, Decrypt>(a_ops, rk, in, out);
    for (; blocks >= kSet; blocks -= kSet, in += kSet * 16, out += kSet * 16)
        laneGroups<Ops, 1, Decrypt>(a_ops, rk, in, out);
    if (blocks != 0) {
        // Fewer blocks than one register set: run them padded with zeros in a local buffer.
        unsigned char buf[kSet * 16] = {};
        std::memcpy(buf, in, blocks * 16);
        laneGroups<Ops, 1, Decrypt>(a_ops, rk, buf, buf);
        std::memcpy(out, buf, blocks * 16);
        explicit_bzero(buf, sizeof buf);
    }
}

// Overwrites the stack just below the caller's frame, where `laneGroups` ran (its frame and red
// zone take a few hundred bytes), then clears the vector registers 0 to 15.
__attribute__((noinline)) void wipeLaneScratch() noexcept {
    unsigned char l_auc[2048];
    explicit_bzero(l_auc, sizeof l_auc);
    _mm256_zeroall();
}

template <class Ops>
void laneRun(const Ops &a_ops, const uint32_t *rk, const unsigned char *in, unsigned char *out, size_t blocks,
             bool decrypt) noexcept {
    if (decrypt)
        laneBlocks<Ops, true>(a_ops, rk, in, out, blocks);
    else
        laneBlocks<Ops, false>(a_ops, rk, in, out, blocks);
    wipeLaneScratch();
}

} // namespace
} // namespace vexl::detail
