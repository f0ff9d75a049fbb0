#include "vernam.h"

#include <array>
#include <cstdint>

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
