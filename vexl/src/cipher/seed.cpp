#include "seed.h"
#include "seed_paths.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>

#include <string.h> // explicit_bzero

namespace vexl::detail {

namespace {

// MARK: - Tables, built at compile time from the cipher's algebraic definition

// The two S-boxes are affine maps of powers in GF(2^8) with the polynomial x^8+x^6+x^5+x+1:
//   S1(x) = A1 * x^247 + 0xA9,   S2(x) = A2 * x^251 + 0x38.
// Each matrix is stored by columns: entry k is the image of input bit k.
constexpr unsigned kFieldPoly = 0x163;
constexpr unsigned kAesPoly = 0x11B; // the field GFNI's inverse works in
constexpr uint8_t kA1[8] = {0x2c, 0xd0, 0x69, 0xc2, 0x41, 0x44, 0x58, 0xe2};
constexpr uint8_t kA2[8] = {0xd0, 0x2a, 0xe1, 0x2c, 0x21, 0x30, 0xa2, 0x6c};

constexpr uint8_t gfMul(unsigned a, unsigned b, unsigned poly = kFieldPoly) {
    unsigned r = 0;
    while (b != 0) {
        if (b & 1U)
            r ^= a;
        b >>= 1;
        a <<= 1;
        if (a & 0x100U)
            a ^= poly;
    }
    return static_cast<uint8_t>(r);
}

constexpr uint8_t gfPow(uint8_t x, unsigned e, unsigned poly = kFieldPoly) {
    uint8_t r = 1;
    uint8_t base = x;
    for (; e != 0; e >>= 1) {
        if (e & 1U)
            r = gfMul(r, base, poly);
        base = gfMul(base, base, poly);
    }
    return r;
}

constexpr uint8_t affine(const uint8_t (&cols)[8], uint8_t v, uint8_t c) {
    uint8_t r = c;
    for (int k = 0; k < 8; ++k)
        if ((v >> k) & 1U)
            r ^= cols[k];
    return r;
}

// The G function mixes the four S-box outputs Y0..Y3 (Y0 from the low byte) into
// Z3..Z0 with these masks; SSi[x] holds the share of input byte i for every x, so
// G(X) = SS0[X0] ^ SS1[X1] ^ SS2[X2] ^ SS3[X3].
constexpr uint32_t kM0 = 0xfc, kM1 = 0xf3, kM2 = 0xcf, kM3 = 0x3f;

constexpr uint32_t spread(uint32_t s, uint32_t m3, uint32_t m2, uint32_t m1, uint32_t m0) {
    return ((s & m3) << 24) | ((s & m2) << 16) | ((s & m1) << 8) | (s & m0);
}

using Table = std::array<uint32_t, 256>;

constexpr std::array<Table, 4> makeTables() {
    std::array<Table, 4> t{};
    for (unsigned x = 0; x < 256; ++x) {
        const uint32_t s1 = affine(kA1, gfPow(static_cast<uint8_t>(x), 247), kSeedS1Const);
        const uint32_t s2 = affine(kA2, gfPow(static_cast<uint8_t>(x), 251), kSeedS2Const);
        t[0][x] = spread(s1, kM3, kM2, kM1, kM0);
        t[1][x] = spread(s2, kM0, kM3, kM2, kM1);
        t[2][x] = spread(s1, kM1, kM0, kM3, kM2);
        t[3][x] = spread(s2, kM2, kM1, kM0, kM3);
    }
    return t;
}

constexpr std::array<Table, 4> kSS = makeTables();
static_assert(kSS[0][0] == 0x2989a1a8 && kSS[1][0] == 0x38380830, "S-box generation");

// MARK: - Constants of the wide paths

// GF2P8AFFINEINVQB inverts each byte in the AES field (x^8+x^4+x^3+x+1) and then applies an
// affine map given as an 8x8 bit matrix. SEED's field is another representation of GF(2^8): with
// beta a root of SEED's polynomial in the AES field, the map phi sending x^k to beta^k is a field
// isomorphism and linear over GF(2). Since x^255 = 1,
//   x^247 = x^-8 = phi^-1((phi(x)^-1)^8)   and   x^251 = x^-4 = phi^-1((phi(x)^-1)^4),
// and raising to the 4th or 8th power is linear over GF(2) as well. Hence
//   S1(x) = L1 * inv(phi(x)) + 0xA9 with L1 = A1 * phi^-1 * (z -> z^8),
//   S2(x) = L2 * inv(phi(x)) + 0x38 with L2 = A2 * phi^-1 * (z -> z^4):
// one affine instruction with phi, then the inverting instruction with L1 or L2. Zero maps to zero
// on both sides (SEED's powers and the instruction's inverse alike).

struct tLinear {
    uint8_t cols[8]; // entry k: the image of bit k
};

constexpr uint8_t findBeta() {
    for (unsigned b = 2; b < 256; ++b) {
        const auto v = static_cast<uint8_t>(gfPow(static_cast<uint8_t>(b), 8, kAesPoly) ^
                                            gfPow(static_cast<uint8_t>(b), 6, kAesPoly) ^
                                            gfPow(static_cast<uint8_t>(b), 5, kAesPoly) ^ b ^ 1U);
        if (v == 0)
            return static_cast<uint8_t>(b);
    }
    return 0;
}
constexpr uint8_t kBeta = findBeta();
static_assert(kBeta != 0, "SEED's polynomial has a root in the AES field");

constexpr tLinear makeToAes() {
    tLinear m{};
    for (unsigned k = 0; k < 8; ++k)
        m.cols[k] = gfPow(kBeta, k, kAesPoly);
    return m;
}
constexpr tLinear kToAes = makeToAes();

constexpr std::array<uint8_t, 256> makeFromAes() {
    std::array<uint8_t, 256> t{};
    for (unsigned x = 0; x < 256; ++x)
        t[affine(kToAes.cols, static_cast<uint8_t>(x), 0)] = static_cast<uint8_t>(x);
    return t;
}
constexpr std::array<uint8_t, 256> kFromAes = makeFromAes();

// z -> A * phi^-1(z^power), linear in z.
constexpr tLinear makeSboxMap(const uint8_t (&a_cols)[8], unsigned a_uPower) {
    tLinear m{};
    for (unsigned k = 0; k < 8; ++k)
        m.cols[k] = affine(a_cols, kFromAes[gfPow(static_cast<uint8_t>(1U << k), a_uPower, kAesPoly)], 0);
    return m;
}

// The instruction's matrix layout: byte 7-i of the quadword is the row giving output bit i.
constexpr uint64_t gfniMatrix(const tLinear &a_m) {
    uint64_t q = 0;
    for (unsigned i = 0; i < 8; ++i) {
        unsigned row = 0;
        for (unsigned k = 0; k < 8; ++k)
            row |= ((a_m.cols[k] >> i) & 1U) << k;
        q |= uint64_t{row} << (8 * (7 - i));
    }
    return q;
}

// Models of the two instructions on one byte, to check the matrices without running them.
constexpr uint8_t gfniAffine(uint64_t a_uiMatrix, uint8_t x, uint8_t b) {
    unsigned r = 0;
    for (unsigned i = 0; i < 8; ++i) {
        unsigned v = static_cast<unsigned>(a_uiMatrix >> (8 * (7 - i))) & x;
        v ^= v >> 4;
        v ^= v >> 2;
        v ^= v >> 1;
        r |= (v & 1U) << i;
    }
    return static_cast<uint8_t>(r ^ b);
}
constexpr std::array<uint8_t, 256> makeAesInverse() {
    std::array<uint8_t, 256> t{};
    for (unsigned x = 1; x < 256; ++x)
        t[x] = gfPow(static_cast<uint8_t>(x), 254, kAesPoly);
    return t; // and 0 -> 0
}
constexpr std::array<uint8_t, 256> kAesInverse = makeAesInverse();

constexpr uint8_t gfniAffineInv(uint64_t a_uiMatrix, uint8_t x, uint8_t b) {
    return gfniAffine(a_uiMatrix, kAesInverse[x], b);
}

constexpr uint64_t kGfniToAes = gfniMatrix(kToAes);
constexpr uint64_t kGfniS1 = gfniMatrix(makeSboxMap(kA1, 8));
constexpr uint64_t kGfniS2 = gfniMatrix(makeSboxMap(kA2, 4));

// G's masks for the wide form Z = sum over k of (rotl(Y, 8k) & mix[k]), Y the four S-box outputs
// (Y0 in the low byte): byte j of rotl(Y, 8k) is Y(j-k), which G masks with m((2j-k) mod 4).
constexpr std::array<uint32_t, 4> makeMix() {
    constexpr uint32_t m[4] = {kM0, kM1, kM2, kM3};
    std::array<uint32_t, 4> mix{};
    for (unsigned k = 0; k < 4; ++k)
        for (unsigned j = 0; j < 4; ++j)
            mix[k] |= m[(2 * j + 4 - k) % 4] << (8 * j);
    return mix;
}
constexpr std::array<uint32_t, 4> kMix = makeMix();

constexpr uint32_t rotl32(uint32_t v, unsigned n) {
    return n == 0 ? v : (v << n) | (v >> (32 - n));
}

// S1 and S2 the way the GFNI paths compute them, for every byte.
constexpr std::array<std::array<uint8_t, 256>, 2> makeWideSboxes() {
    std::array<std::array<uint8_t, 256>, 2> t{};
    for (unsigned x = 0; x < 256; ++x) {
        const uint8_t v = gfniAffine(kGfniToAes, static_cast<uint8_t>(x), 0);
        t[0][x] = gfniAffineInv(kGfniS1, v, kSeedS1Const);
        t[1][x] = gfniAffineInv(kGfniS2, v, kSeedS2Const);
    }
    return t;
}
constexpr std::array<std::array<uint8_t, 256>, 2> kWideSboxes = makeWideSboxes();

// G the way the GFNI paths compute it: S1 on bytes 0 and 2, S2 on bytes 1 and 3, then the masks.
constexpr uint32_t wideG(uint32_t x) {
    uint32_t y = 0;
    for (unsigned i = 0; i < 4; ++i)
        y |= uint32_t{kWideSboxes[i % 2][(x >> (8 * i)) & 0xFF]} << (8 * i);
    uint32_t z = 0;
    for (unsigned k = 0; k < 4; ++k)
        z ^= rotl32(y, 8 * k) & kMix[k];
    return z;
}

// G is the XOR of one share per input byte on both sides, so every byte value at every position
// (the other bytes zero) covers all 2^32 inputs.
constexpr bool wideGMatchesTables() {
    const uint32_t zero = kSS[0][0] ^ kSS[1][0] ^ kSS[2][0] ^ kSS[3][0];
    for (unsigned i = 0; i < 4; ++i)
        for (unsigned x = 0; x < 256; ++x)
            if (wideG(x << (8 * i)) != (kSS[i][x] ^ kSS[i][0] ^ zero))
                return false;
    return true;
}
static_assert(wideGMatchesTables(), "the GFNI matrices and G masks give SEED's G for every input byte");

constexpr tSeedWideConstants kWide = {kGfniToAes,
                                      kGfniS1,
                                      kGfniS2,
                                      {kMix[0], kMix[1], kMix[2], kMix[3]},
                                      {kSS[0].data(), kSS[1].data(), kSS[2].data(), kSS[3].data()}};

// Key schedule constants: the golden-ratio word rotated left by the round number.
constexpr std::array<uint32_t, 16> makeRoundConstants() {
    std::array<uint32_t, 16> kc{};
    for (unsigned i = 0; i < 16; ++i)
        kc[i] = i == 0 ? 0x9e3779b9U : (0x9e3779b9U << i) | (0x9e3779b9U >> (32 - i));
    return kc;
}
constexpr std::array<uint32_t, 16> kKC = makeRoundConstants();

// MARK: - Round primitives

inline uint32_t funcG(uint32_t x) noexcept {
    return kSS[0][x & 0xff] ^ kSS[1][(x >> 8) & 0xff] ^ kSS[2][(x >> 16) & 0xff] ^ kSS[3][x >> 24];
}

inline uint32_t load32(const unsigned char *p) noexcept {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

inline void store32(unsigned char *p, uint32_t v) noexcept {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

// One Feistel half-round: (l0,l1) ^= F(K, r0||r1).
inline void feistel(uint32_t &l0, uint32_t &l1, uint32_t r0, uint32_t r1, const uint32_t *k) noexcept {
    uint32_t a = r0 ^ k[0];
    uint32_t b = r1 ^ k[1];
    b = funcG(a ^ b);
    a = funcG(a + b);
    b = funcG(a + b);
    a += b;
    l0 ^= a;
    l1 ^= b;
}

// Runs N independent blocks side by side. A round is a chain of three dependent G
// lookups, so interleaving blocks lets the processor overlap their table loads.
// Decryption is encryption with the round keys taken in reverse order.
template <size_t N, bool Decrypt>
inline void cryptLanes(const uint32_t *rk, const unsigned char *in, unsigned char *out) noexcept {
    uint32_t l0[N], l1[N], r0[N], r1[N];
#pragma GCC unroll 8
    for (size_t j = 0; j < N; ++j) {
        const unsigned char *p = in + j * kSeedBlockSize;
        l0[j] = load32(p);
        l1[j] = load32(p + 4);
        r0[j] = load32(p + 8);
        r1[j] = load32(p + 12);
    }
#pragma GCC unroll 16
    for (unsigned round = 0; round < 16; round += 2) {
        const uint32_t *k1 = Decrypt ? rk + 2 * (15 - round) : rk + 2 * round;
        const uint32_t *k2 = Decrypt ? rk + 2 * (14 - round) : rk + 2 * (round + 1);
#pragma GCC unroll 8
        for (size_t j = 0; j < N; ++j)
            feistel(l0[j], l1[j], r0[j], r1[j], k1);
#pragma GCC unroll 8
        for (size_t j = 0; j < N; ++j)
            feistel(r0[j], r1[j], l0[j], l1[j], k2);
    }
    // The last round does not swap the halves.
#pragma GCC unroll 8
    for (size_t j = 0; j < N; ++j) {
        unsigned char *p = out + j * kSeedBlockSize;
        store32(p, r0[j]);
        store32(p + 4, r1[j]);
        store32(p + 8, l0[j]);
        store32(p + 12, l1[j]);
    }
}

template <bool Decrypt>
void cryptBlocks(const uint32_t *rk, const unsigned char *in, unsigned char *out, size_t blocks) noexcept {
    constexpr size_t kLanes = 4;
    for (; blocks >= kLanes; blocks -= kLanes) {
        cryptLanes<kLanes, Decrypt>(rk, in, out);
        in += kLanes * kSeedBlockSize;
        out += kLanes * kSeedBlockSize;
    }
    for (; blocks != 0; --blocks) {
        cryptLanes<1, Decrypt>(rk, in, out);
        in += kSeedBlockSize;
        out += kSeedBlockSize;
    }
}

// Third example of RFC 4269, appendix B.
constexpr unsigned char kTestKey[16] = {0x47, 0x06, 0x48, 0x08, 0x51, 0xE6, 0x1B, 0xE8,
                                        0x5D, 0x74, 0xBF, 0xB3, 0xFD, 0x95, 0x61, 0x85};
constexpr unsigned char kTestPlain[16] = {0x83, 0xA2, 0xF8, 0xA2, 0x88, 0x64, 0x1F, 0xB9,
                                          0xA4, 0xE9, 0xA5, 0xCC, 0x2F, 0x13, 0x1C, 0x7D};
constexpr unsigned char kTestCipher[16] = {0xEE, 0x54, 0xD1, 0x3E, 0xBC, 0xAE, 0x70, 0x6D,
                                           0x22, 0x6B, 0xC3, 0x14, 0x2C, 0xD4, 0x0D, 0x4A};

// MARK: - Path choice

constexpr unsigned kAutoPath = SP_COUNT; // no path forced: the best one
std::atomic<unsigned> s_uiForcedPath{kAutoPath};

bool cpuRuns(E_SeedPath a_ePath) noexcept {
#ifdef VEXL_SEED_X86
    __builtin_cpu_init();
    const bool l_bAvx2 = __builtin_cpu_supports("avx2") != 0;
    const bool l_bGfni = __builtin_cpu_supports("gfni") != 0;
    switch (a_ePath) {
    case SP_AVX2_GATHER:
        return l_bAvx2;
    case SP_AVX2_GFNI:
        return l_bAvx2 && l_bGfni;
    case SP_AVX512_GFNI:
        return l_bGfni && __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
               __builtin_cpu_supports("avx512vl") != 0;
    default:
        break;
    }
#endif
    return a_ePath == SP_PORTABLE;
}

void runBlocks(const uint32_t *rk, const unsigned char *in, unsigned char *out, size_t blocks,
               bool decrypt) noexcept {
    switch (seedActivePath()) {
#ifdef VEXL_SEED_X86
    case SP_AVX512_GFNI:
        seedBlocksAvx512Gfni(rk, in, out, blocks, decrypt);
        return;
    case SP_AVX2_GFNI:
        seedBlocksAvx2Gfni(rk, in, out, blocks, decrypt);
        return;
    case SP_AVX2_GATHER:
        seedBlocksAvx2Gather(rk, in, out, blocks, decrypt);
        return;
#endif
    default:
        if (decrypt)
            cryptBlocks<true>(rk, in, out, blocks);
        else
            cryptBlocks<false>(rk, in, out, blocks);
        return;
    }
}

} // namespace

// MARK: - Paths (Public)

const tSeedWideConstants &seedWideConstants() noexcept {
    return kWide;
}

const char *seedPathName(E_SeedPath a_ePath) noexcept {
    switch (a_ePath) {
    case SP_PORTABLE:
        return "portable";
    case SP_AVX2_GATHER:
        return "avx2-gather";
    case SP_AVX2_GFNI:
        return "avx2-gfni";
    case SP_AVX512_GFNI:
        return "avx512-gfni";
    default:
        return "";
    }
}

bool seedPathSupported(E_SeedPath a_ePath) noexcept {
    return a_ePath < SP_COUNT && cpuRuns(a_ePath);
}

E_SeedPath seedBestPath() noexcept {
    static const E_SeedPath s_eBest = [] {
        for (unsigned p = SP_COUNT; p-- > SP_PORTABLE;)
            if (seedPathSupported(static_cast<E_SeedPath>(p)))
                return static_cast<E_SeedPath>(p);
        return SP_PORTABLE;
    }();
    return s_eBest;
}

E_SeedPath seedActivePath() noexcept {
    const unsigned l_uForced = s_uiForcedPath.load(std::memory_order_relaxed);
    return l_uForced == kAutoPath ? seedBestPath() : static_cast<E_SeedPath>(l_uForced);
}

bool seedSelectPath(E_SeedPath a_ePath) noexcept {
    if (!seedPathSupported(a_ePath))
        return false;
    s_uiForcedPath.store(a_ePath, std::memory_order_relaxed);
    return true;
}

// MARK: - CSeedKey (Private)

void CSeedKey::expand(const unsigned char *a_pKey) noexcept {
    uint32_t k0 = load32(a_pKey);
    uint32_t k1 = load32(a_pKey + 4);
    uint32_t k2 = load32(a_pKey + 8);
    uint32_t k3 = load32(a_pKey + 12);
    for (unsigned i = 0; i < 16; ++i) {
        m_auiRoundKeys[2 * i] = funcG(k0 + k2 - kKC[i]);
        m_auiRoundKeys[2 * i + 1] = funcG(k1 - k3 + kKC[i]);
        if (i % 2 == 0) { // rounds 1, 3, ...: K0||K1 rotated right by 8 bits
            const uint32_t t = k0;
            k0 = (k0 >> 8) | (k1 << 24);
            k1 = (k1 >> 8) | (t << 24);
        } else { // rounds 2, 4, ...: K2||K3 rotated left by 8 bits
            const uint32_t t = k2;
            k2 = (k2 << 8) | (k3 >> 24);
            k3 = (k3 << 8) | (t >> 24);
        }
    }
    explicit_bzero(&k0, sizeof k0);
    explicit_bzero(&k1, sizeof k1);
    explicit_bzero(&k2, sizeof k2);
    explicit_bzero(&k3, sizeof k3);
    m_bReady = true;
}

// MARK: - CSeedKey (Public)

bool CSeedKey::setKey(const unsigned char *a_pKey, size_t a_uiKeyLen) noexcept {
    clear();
    if (a_pKey == nullptr || a_uiKeyLen != kSeedKeySize || !seedSelfTestPassed())
        return false;
    expand(a_pKey);
    return true;
}

void CSeedKey::encryptBlocks(const unsigned char *a_pIn, unsigned char *a_pOut,
                             size_t a_uiBlocks) const noexcept {
    runBlocks(m_auiRoundKeys, a_pIn, a_pOut, a_uiBlocks, false);
}

void CSeedKey::decryptBlocks(const unsigned char *a_pIn, unsigned char *a_pOut,
                             size_t a_uiBlocks) const noexcept {
    runBlocks(m_auiRoundKeys, a_pIn, a_pOut, a_uiBlocks, true);
}

void CSeedKey::clear() noexcept {
    explicit_bzero(m_auiRoundKeys, sizeof m_auiRoundKeys);
    m_bReady = false;
}

// MARK: - Self-test

bool seedKnownAnswer(const unsigned char *a_pKey, const unsigned char *a_pPlain,
                     const unsigned char *a_pCipher) noexcept {
    CSeedKey key;
    key.expand(a_pKey);
    unsigned char block[kSeedBlockSize];
    key.encryptBlocks(a_pPlain, block, 1);
    bool ok = std::memcmp(block, a_pCipher, kSeedBlockSize) == 0;
    if (!ok) {
        std::fputs("SEED test encryption failed.\n", stderr);
    } else {
        key.decryptBlocks(block, block, 1);
        ok = std::memcmp(block, a_pPlain, kSeedBlockSize) == 0;
        if (!ok)
            std::fputs("SEED test decryption failed.\n", stderr);
    }
    explicit_bzero(block, sizeof block);
    return ok;
}

bool seedSelfTestPassed() noexcept {
    // A function-local static is initialised exactly once, and every thread that reaches it
    // waits for the first one to finish, so the test neither repeats nor races.
    static const bool s_bPassed = seedKnownAnswer(kTestKey, kTestPlain, kTestCipher);
    return s_bPassed;
}

} // namespace vexl::detail
