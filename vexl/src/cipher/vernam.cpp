#include "vernam.h"

#include <array>
#include <atomic>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VEXL_VERNAM_AVX2 1
#endif

namespace vexl::detail {

namespace {

static_assert(sizeof kVernamSymbols == 65, "64 symbols");

constexpr uint8_t kBad = 0xFF; // neither a symbol nor the pad
constexpr uint8_t kPad = 0x40; // the pad; any value >= 0x40 is not a 6-bit symbol value

// Reverse table over all 256 byte values, so no input byte can index outside it.
constexpr std::array<uint8_t, 256> makeReverse() {
    std::array<uint8_t, 256> r{};
    for (auto &v : r)
        v = kBad;
    for (unsigned i = 0; i < 64; ++i)
        r[static_cast<unsigned char>(kVernamSymbols[i])] = static_cast<uint8_t>(i);
    r[static_cast<unsigned char>(kVernamPad)] = kPad;
    return r;
}
constexpr std::array<uint8_t, 256> kReverse = makeReverse();

constexpr bool symbolsDistinct() {
    for (unsigned i = 0; i < 64; ++i) {
        if (kReverse[static_cast<unsigned char>(kVernamSymbols[i])] != i)
            return false;
    }
    return kReverse[static_cast<unsigned char>(kVernamPad)] == kPad;
}
static_assert(symbolsDistinct(), "the 64 symbols and the pad must be distinct bytes");

#ifdef VEXL_VERNAM_AVX2
// Symbol value of each byte below 0x80, with bit 7 set for bytes that are not a symbol (the pad
// included). Every symbol lies in 0x20..0x7F.
struct tWideTable {
    uint8_t auc[128];
};
constexpr tWideTable makeWideTable() {
    tWideTable t{};
    for (unsigned c = 0; c < 128; ++c)
        t.auc[c] = kReverse[c] < kPad ? kReverse[c] : 0x80;
    return t;
}
constexpr tWideTable kWide = makeWideTable();

// The AVX2 coders look a byte up in 16-entry tables by its low nibble. Subtracting 0x10 per
// step, the byte stays a valid index (bit 7 clear) for the steps up to its high nibble, so the
// XOR of what the steps find is the entry of its own nibble row when each table holds the XOR of
// its row and the row before. `rowDeltas<N>(table, first)` makes those N tables from the
// 16-byte rows of `table` starting at row `first`.
template <unsigned N> struct tRowDeltas { uint8_t aauc[N][16]; };
template <unsigned N, typename T> constexpr tRowDeltas<N> rowDeltas(const T *a_pTable, unsigned a_uFirst) {
    tRowDeltas<N> t{};
    for (unsigned r = 0; r < N; ++r)
        for (unsigned l = 0; l < 16; ++l) {
            const unsigned h = a_uFirst + r;
            const unsigned char l_ucEntry = static_cast<unsigned char>(a_pTable[h * 16 + l]);
            t.aauc[r][l] =
                uint8_t(l_ucEntry ^ (r > 0 ? static_cast<unsigned char>(a_pTable[(h - 1) * 16 + l]) : 0));
        }
    return t;
}

// The decoder's rows 0x2_ to 0x7_ of symbol values.
constexpr tRowDeltas<6> kDeltas = rowDeltas<6>(kWide.auc, 2);

// Decodes 32-symbol blocks while at least 8 symbols follow the block (the stores write 4 bytes
// beyond a block's 24, which the following groups' output covers). A block holding a pad or a
// byte without a symbol value stops the loop and is left to the scalar loop, which reports it
// exactly. Returns the symbols consumed.
__attribute__((target("avx2"))) size_t decodeBlocksAvx2(const unsigned char *a_pIn, size_t a_uiLen,
                                                        unsigned char *a_pOut) noexcept {
#define VEXL_VERNAM_ROW(h)                                                                                   \
    _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(kDeltas.aauc[h])))
    const __m256i l_row2 = VEXL_VERNAM_ROW(0), l_row3 = VEXL_VERNAM_ROW(1), l_row4 = VEXL_VERNAM_ROW(2),
                  l_row5 = VEXL_VERNAM_ROW(3), l_row6 = VEXL_VERNAM_ROW(4), l_row7 = VEXL_VERNAM_ROW(5);
#undef VEXL_VERNAM_ROW
    const __m256i l_step = _mm256_set1_epi8(0x10);
    const __m256i l_first = _mm256_set1_epi8(0x20);
    const __m256i l_pairs = _mm256_set1_epi32(0x01400140);
    const __m256i l_words = _mm256_set1_epi32(0x00011000);
    const __m256i l_pack = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0,
                                            6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    size_t i = 0;
    for (; i + 40 <= a_uiLen; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(a_pIn + i));
        const __m256i i2 = _mm256_sub_epi8(x, l_first), i3 = _mm256_sub_epi8(i2, l_step),
                      i4 = _mm256_sub_epi8(i3, l_step), i5 = _mm256_sub_epi8(i4, l_step),
                      i6 = _mm256_sub_epi8(i5, l_step), i7 = _mm256_sub_epi8(i6, l_step);
        const __m256i v = _mm256_xor_si256(
            _mm256_xor_si256(
                _mm256_xor_si256(_mm256_shuffle_epi8(l_row2, i2), _mm256_shuffle_epi8(l_row3, i3)),
                _mm256_xor_si256(_mm256_shuffle_epi8(l_row4, i4), _mm256_shuffle_epi8(l_row5, i5))),
            _mm256_xor_si256(_mm256_shuffle_epi8(l_row6, i6), _mm256_shuffle_epi8(l_row7, i7)));
        // Below 0x20 (as signed bytes, 0x80 and up too) or a table entry with bit 7: not a symbol.
        const __m256i bad = _mm256_or_si256(v, _mm256_cmpgt_epi8(l_first, x));
        if (_mm256_movemask_epi8(bad) != 0)
            break; // a pad or a foreign byte: the scalar loop takes over
        // Four 6-bit values per group into 24 bits, then the three bytes high first.
        const __m256i bytes =
            _mm256_shuffle_epi8(_mm256_madd_epi16(_mm256_maddubs_epi16(v, l_pairs), l_words), l_pack);
        unsigned char *o = a_pOut + i / 4 * 3;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_castsi256_si128(bytes));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 12), _mm256_extracti128_si256(bytes, 1));
    }
    return i;
}

// The encoder's four rows of symbols: 6-bit value v minus 16 per step stays a valid index for
// the rows up to its own.
constexpr tRowDeltas<4> kSymbolDeltas = rowDeltas<4>(kVernamSymbols, 0);

// Encodes 24-byte blocks into 32 symbols while 4 more bytes follow (each half reads 16 bytes for
// its 12). Each 32-bit lane receives (b1, b0, b2, b1) of its group; two masked multiplies move
// the four 6-bit fields into the four bytes, which four nibble rows map to symbols. Returns the
// bytes consumed (a multiple of 24).
__attribute__((target("avx2"))) size_t encodeBlocksAvx2(const unsigned char *a_pIn, size_t a_uiLen,
                                                        unsigned char *a_pOut) noexcept {
#define VEXL_VERNAM_ROW(h)                                                                                   \
    _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(kSymbolDeltas.aauc[h])))
    const __m256i l_row0 = VEXL_VERNAM_ROW(0), l_row1 = VEXL_VERNAM_ROW(1), l_row2 = VEXL_VERNAM_ROW(2),
                  l_row3 = VEXL_VERNAM_ROW(3);
#undef VEXL_VERNAM_ROW
    const __m256i l_spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0, 2, 1,
                                              4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m256i l_step = _mm256_set1_epi8(0x10);
    size_t i = 0;
    for (; i + 28 <= a_uiLen; i += 24) {
        const __m256i x = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(a_pIn + i))),
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(a_pIn + i + 12)), 1);
        const __m256i g = _mm256_shuffle_epi8(x, l_spread);
        // Word 0 of a lane is b0:b1, word 1 is b1:b2; fields a, c by a high multiply, b, d by a
        // low one.
        const __m256i ac = _mm256_mulhi_epu16(_mm256_and_si256(g, _mm256_set1_epi32(0x0FC0FC00)),
                                              _mm256_set1_epi32(0x04000040));
        const __m256i bd = _mm256_mullo_epi16(_mm256_and_si256(g, _mm256_set1_epi32(0x003F03F0)),
                                              _mm256_set1_epi32(0x01000010));
        const __m256i i0 = _mm256_or_si256(ac, bd), i1 = _mm256_sub_epi8(i0, l_step),
                      i2 = _mm256_sub_epi8(i1, l_step), i3 = _mm256_sub_epi8(i2, l_step);
        const __m256i sym = _mm256_xor_si256(
            _mm256_xor_si256(_mm256_shuffle_epi8(l_row0, i0), _mm256_shuffle_epi8(l_row1, i1)),
            _mm256_xor_si256(_mm256_shuffle_epi8(l_row2, i2), _mm256_shuffle_epi8(l_row3, i3)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(a_pOut + i / 3 * 4), sym);
    }
    return i;
}

#define VEXL_VBMI_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#if defined(__GNUC__) && !defined(__clang__)
// GCC 12 sees the "undefined" pass-through operand of its own masked-permute intrinsics as
// uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// Decodes 64-symbol blocks while at least one group follows the block (the last group may hold
// pads and is always the scalar loop's). One two-table byte permute looks up 64 symbols; each
// block's 48 bytes are stored under a mask, so nothing is written past them. Stops, like the
// AVX2 loop, at a block holding anything but symbols. Returns the symbols consumed.
VEXL_VBMI_TARGET size_t decodeBlocksVbmi(const unsigned char *a_pIn, size_t a_uiLen,
                                         unsigned char *a_pOut) noexcept {
    const __m512i l_lo = _mm512_loadu_si512(kWide.auc);
    const __m512i l_hi = _mm512_loadu_si512(kWide.auc + 64);
    const __m512i l_pairs = _mm512_set1_epi32(0x01400140);
    const __m512i l_words = _mm512_set1_epi32(0x00011000);
    alignas(64) static constexpr uint8_t s_aucPack[64] = {
        2,  1,  0,  6,  5,  4,  10, 9,  8,  14, 13, 12, 18, 17, 16, 22, 21, 20, 26, 25, 24, 30,
        29, 28, 34, 33, 32, 38, 37, 36, 42, 41, 40, 46, 45, 44, 50, 49, 48, 54, 53, 52, 58, 57,
        56, 62, 61, 60, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0};
    const __m512i l_pack = _mm512_load_si512(s_aucPack);
    constexpr __mmask64 kOut = (__mmask64(1) << 48) - 1;
    size_t i = 0;
    for (; i + 64 + 4 <= a_uiLen; i += 64) {
        const __m512i x = _mm512_loadu_si512(a_pIn + i);
        const __m512i v = _mm512_permutex2var_epi8(l_lo, x, l_hi); // low 7 bits index both tables
        if (_mm512_movepi8_mask(_mm512_or_si512(v, x)) != 0)
            break; // a byte from 0x80 up, a pad or a foreign byte: the scalar loop takes over
        const __m512i bytes =
            _mm512_permutexvar_epi8(l_pack, _mm512_madd_epi16(_mm512_maddubs_epi16(v, l_pairs), l_words));
        _mm512_mask_storeu_epi8(a_pOut + i / 4 * 3, kOut, bytes);
    }
    return i;
}

// Encodes 48-byte blocks into 64 symbols: a byte permute gives each 32-bit lane the bytes
// (b1, b0, b2, b1) of its group, a multishift picks the four 6-bit fields out of them, and a
// permute over the 64 symbols (which only reads the low 6 bits of each index) maps them. Loads
// are masked to the block's 48 bytes. Returns the bytes consumed (a multiple of 48).
VEXL_VBMI_TARGET size_t encodeBlocksVbmi(const unsigned char *a_pIn, size_t a_uiLen,
                                         unsigned char *a_pOut) noexcept {
    const __m512i l_symbols = _mm512_loadu_si512(kVernamSymbols);
    const __m512i l_spread = _mm512_setr_epi32(
        0x01020001, 0x04050304, 0x07080607, 0x0a0b090a, 0x0d0e0c0d, 0x10110f10, 0x13141213, 0x16171516,
        0x191a1819, 0x1c1d1b1c, 0x1f201e1f, 0x22232122, 0x25262425, 0x28292728, 0x2b2c2a2b, 0x2e2f2d2e);
    const __m512i l_shifts = _mm512_set1_epi64(0x3036242a1016040aLL);
    constexpr __mmask64 kIn = (__mmask64(1) << 48) - 1;
    size_t i = 0;
    for (; i + 48 <= a_uiLen; i += 48) {
        const __m512i x = _mm512_maskz_loadu_epi8(kIn, a_pIn + i);
        const __m512i fields = _mm512_multishift_epi64_epi8(l_shifts, _mm512_permutexvar_epi8(l_spread, x));
        _mm512_storeu_si512(a_pOut + i / 3 * 4, _mm512_permutexvar_epi8(fields, l_symbols));
    }
    return i;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

E_VernamPath detectBestPath() noexcept {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi"))
        return E_VernamPath::Avx512Vbmi;
    if (__builtin_cpu_supports("avx2"))
        return E_VernamPath::Avx2;
    return E_VernamPath::Portable;
}
#else
E_VernamPath detectBestPath() noexcept {
    return E_VernamPath::Portable;
}
#endif

// Decided once at start-up (Portable until then, which only means the scalar loops).
const E_VernamPath s_eBest = detectBestPath();
std::atomic<E_VernamPath> s_ePath{s_eBest};

} // namespace

size_t vernamEncode(const unsigned char *a_pIn, size_t a_uiLen, unsigned char *a_pOut) noexcept {
    const unsigned char *l_pIn = a_pIn;
    unsigned char *l_pOut = a_pOut;
    size_t l_uiLeft = a_uiLen;
#ifdef VEXL_VERNAM_AVX2
    const E_VernamPath l_ePath = s_ePath.load(std::memory_order_relaxed);
    if (l_ePath != E_VernamPath::Portable) {
        const size_t l_uiDone = l_ePath == E_VernamPath::Avx512Vbmi
                                    ? encodeBlocksVbmi(a_pIn, a_uiLen, a_pOut)
                                    : encodeBlocksAvx2(a_pIn, a_uiLen, a_pOut);
        l_pIn += l_uiDone;
        l_pOut += l_uiDone / 3 * 4;
        l_uiLeft -= l_uiDone;
    }
#endif
    for (; l_uiLeft >= 3; l_uiLeft -= 3, l_pIn += 3, l_pOut += 4) {
        const uint32_t v = (uint32_t{l_pIn[0]} << 16) | (uint32_t{l_pIn[1]} << 8) | l_pIn[2];
        l_pOut[0] = static_cast<unsigned char>(kVernamSymbols[v >> 18]);
        l_pOut[1] = static_cast<unsigned char>(kVernamSymbols[(v >> 12) & 0x3F]);
        l_pOut[2] = static_cast<unsigned char>(kVernamSymbols[(v >> 6) & 0x3F]);
        l_pOut[3] = static_cast<unsigned char>(kVernamSymbols[v & 0x3F]);
    }
    if (l_uiLeft != 0) {
        // Complete the final 1 or 2 bytes with zero bits; pad up to 4 symbols.
        const uint32_t v = (uint32_t{l_pIn[0]} << 16) | (l_uiLeft == 2 ? uint32_t{l_pIn[1]} << 8 : 0U);
        l_pOut[0] = static_cast<unsigned char>(kVernamSymbols[v >> 18]);
        l_pOut[1] = static_cast<unsigned char>(kVernamSymbols[(v >> 12) & 0x3F]);
        l_pOut[2] = static_cast<unsigned char>(l_uiLeft == 2 ? kVernamSymbols[(v >> 6) & 0x3F] : kVernamPad);
        l_pOut[3] = static_cast<unsigned char>(kVernamPad);
        l_pOut += 4;
    }
    return static_cast<size_t>(l_pOut - a_pOut);
}

size_t vernamDecode(const unsigned char *a_pIn, size_t a_uiLen, unsigned char *a_pOut) noexcept {
    if (a_uiLen == 0 || a_uiLen % 4 != 0)
        return 0;
    const unsigned char *l_pIn = a_pIn;
    const unsigned char *const l_pLast = a_pIn + a_uiLen - 4; // the only group that may hold pads
    unsigned char *l_pOut = a_pOut;
#ifdef VEXL_VERNAM_AVX2
    const E_VernamPath l_ePath = s_ePath.load(std::memory_order_relaxed);
    if (l_ePath != E_VernamPath::Portable) {
        const size_t l_uiDone = l_ePath == E_VernamPath::Avx512Vbmi
                                    ? decodeBlocksVbmi(a_pIn, a_uiLen, a_pOut)
                                    : decodeBlocksAvx2(a_pIn, a_uiLen, a_pOut);
        l_pIn += l_uiDone;
        l_pOut += l_uiDone / 4 * 3;
    }
#endif
    for (; l_pIn != l_pLast; l_pIn += 4, l_pOut += 3) {
        const uint32_t a = kReverse[l_pIn[0]], b = kReverse[l_pIn[1]], c = kReverse[l_pIn[2]],
                       d = kReverse[l_pIn[3]];
        if ((a | b | c | d) >= kPad) // a pad or an unknown byte before the last group
            return 0;
        const uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
        l_pOut[0] = static_cast<unsigned char>(v >> 16);
        l_pOut[1] = static_cast<unsigned char>(v >> 8);
        l_pOut[2] = static_cast<unsigned char>(v);
    }
    const uint32_t a = kReverse[l_pIn[0]], b = kReverse[l_pIn[1]], c = kReverse[l_pIn[2]],
                   d = kReverse[l_pIn[3]];
    if ((a | b) >= kPad || c == kBad || d == kBad || (c == kPad && d != kPad))
        return 0;
    // Pads count as zero bits; they only shorten the result.
    const uint32_t v = (a << 18) | (b << 12) | ((c & 0x3F) << 6) | (d & 0x3F);
    l_pOut[0] = static_cast<unsigned char>(v >> 16);
    size_t l_uiTail = 1;
    if (c != kPad) {
        l_pOut[1] = static_cast<unsigned char>(v >> 8);
        ++l_uiTail;
        if (d != kPad) {
            l_pOut[2] = static_cast<unsigned char>(v);
            ++l_uiTail;
        }
    }
    return static_cast<size_t>(l_pOut - a_pOut) + l_uiTail;
}

// MARK: - Paths

E_VernamPath vernamBestPath() noexcept {
    return s_eBest;
}

bool vernamPathSupported(E_VernamPath a_ePath) noexcept {
    switch (a_ePath) {
    case E_VernamPath::Portable:
        return true;
    case E_VernamPath::Avx2:
        return s_eBest != E_VernamPath::Portable;
    case E_VernamPath::Avx512Vbmi:
        return s_eBest == E_VernamPath::Avx512Vbmi;
    }
    return false;
}

bool vernamUsePath(E_VernamPath a_ePath) noexcept {
    if (!vernamPathSupported(a_ePath))
        return false;
    s_ePath.store(a_ePath, std::memory_order_relaxed);
    return true;
}

E_VernamPath vernamCurrentPath() noexcept {
    return s_ePath.load(std::memory_order_relaxed);
}

} // namespace vexl::detail
