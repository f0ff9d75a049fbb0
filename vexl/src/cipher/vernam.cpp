#include "vernam.h"

#include <array>
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
// Wide decoding of whole 32-symbol blocks that hold only symbols (no pad, no other byte). Every
// symbol lies in 0x20..0x7F, so a byte is looked up in the 16-entry table of its high nibble;
// bytes without a symbol value come out with bit 7 set and stop the wide loop, leaving that block
// to the scalar loop, which reports it exactly as before.
struct tNibbleTables {
    uint8_t aauc[8][16];
};
constexpr tNibbleTables makeNibbleTables() {
    tNibbleTables t{};
    for (unsigned c = 0; c < 128; ++c)
        t.aauc[c >> 4][c & 15] = kReverse[c] < kPad ? kReverse[c] : 0x80;
    return t;
}
constexpr tNibbleTables kNibbles = makeNibbleTables();
static_assert(kNibbles.aauc[0][0] == 0x80 && kNibbles.aauc[1][15] == 0x80, "no symbol below 0x20");

// Decodes 32-symbol blocks while at least 8 symbols follow the block (the stores write 4 bytes
// beyond a block's 24, which the following groups' output covers). Returns the symbols consumed.
__attribute__((target("avx2"))) size_t decodeBlocksAvx2(const unsigned char *a_pIn, size_t a_uiLen,
                                                        unsigned char *a_pOut) noexcept {
    __m256i l_aLut[8];
    for (unsigned h = 2; h < 8; ++h)
        l_aLut[h] =
            _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(kNibbles.aauc[h])));
    const __m256i l_low = _mm256_set1_epi8(0x0F);
    const __m256i l_pack = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0,
                                            6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    size_t i = 0;
    for (; i + 40 <= a_uiLen; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(a_pIn + i));
        const __m256i lo = _mm256_and_si256(x, l_low);
        const __m256i hi = _mm256_and_si256(_mm256_srli_epi16(x, 4), l_low);
        __m256i v = _mm256_set1_epi8(char(0x80));
        for (int h = 2; h < 8; ++h)
            v = _mm256_blendv_epi8(v, _mm256_shuffle_epi8(l_aLut[h], lo),
                                   _mm256_cmpeq_epi8(hi, _mm256_set1_epi8(char(h))));
        if (_mm256_movemask_epi8(v) != 0)
            break; // a pad or a foreign byte: the scalar loop takes over
        // Four 6-bit values per group into 24 bits, then the three bytes high first.
        const __m256i pairs = _mm256_maddubs_epi16(v, _mm256_set1_epi32(0x01400140));
        const __m256i words = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
        const __m256i bytes = _mm256_shuffle_epi8(words, l_pack);
        unsigned char *o = a_pOut + i / 4 * 3;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm256_castsi256_si128(bytes));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 12), _mm256_extracti128_si256(bytes, 1));
    }
    return i;
}

// Decided once at start-up (false until then, which only means the scalar loop).
const bool s_bAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

} // namespace

size_t vernamEncode(const unsigned char *a_pIn, size_t a_uiLen, unsigned char *a_pOut) noexcept {
    const unsigned char *l_pIn = a_pIn;
    unsigned char *l_pOut = a_pOut;
    size_t l_uiLeft = a_uiLen;
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
    if (s_bAvx2) {
        const size_t l_uiDone = decodeBlocksAvx2(a_pIn, a_uiLen, a_pOut);
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

} // namespace vexl::detail
