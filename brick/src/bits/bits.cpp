#include "brick/bits.h"

namespace brick {

namespace {

unsigned char countBits(uint32_t a_uiValue, unsigned a_uiWidth, unsigned char *a_pPositions) {
    unsigned char l_ucCount = 0;
    for (unsigned i = 0; i < a_uiWidth; ++i) {
        if ((a_uiValue >> i) & 1U) {
            if (a_pPositions != nullptr) {
                a_pPositions[l_ucCount] = static_cast<unsigned char>(i);
            }
            ++l_ucCount;
        }
    }
    return l_ucCount;
}

} // namespace

unsigned char BitCount(unsigned char a_ucValue, unsigned char *a_pPositions) {
    return countBits(a_ucValue, 8, a_pPositions);
}

unsigned char BitCount(unsigned short a_usValue, unsigned char *a_pPositions) {
    return countBits(a_usValue, 16, a_pPositions);
}

unsigned char BitCount(uint32_t a_uiValue) {
    return static_cast<unsigned char>(__builtin_popcount(a_uiValue));
}

unsigned char BitOn(unsigned char a_ucN) {
    return a_ucN < 8 ? static_cast<unsigned char>(1U << a_ucN) : 0;
}

unsigned short BitOn(unsigned short a_usN) {
    return a_usN < 16 ? static_cast<unsigned short>(1U << a_usN) : 0;
}

unsigned char GetBit(uint32_t a_uiValue, unsigned char a_ucN) {
    return a_ucN < 32 ? static_cast<unsigned char>((a_uiValue >> a_ucN) & 1U) : 0;
}

bool BitSet(uint32_t &a_uiValue, unsigned char a_ucN, bool a_bOn) {
    if (a_ucN > 31) {
        return false;
    }
    a_uiValue = a_bOn ? (a_uiValue | (1U << a_ucN)) : (a_uiValue & ~(1U << a_ucN));
    return true;
}

bool BitSwap(uint32_t &a_uiValue, unsigned char a_ucN) {
    if (a_ucN > 31) {
        return false;
    }
    a_uiValue ^= 1U << a_ucN;
    return true;
}

bool CheckMask(uint32_t a_uiMask) {
    // The four bytes are in network order: reverse them to read bit 31 as
    // the first bit of the first octet.
    const uint32_t l_uiHost =
        (a_uiMask >> 24) | ((a_uiMask >> 8) & 0xFF00U) | ((a_uiMask << 8) & 0xFF0000U) | (a_uiMask << 24);
    // Ones then zeros: the inverted mask plus one is a power of two (or 0).
    const uint32_t l_uiZeros = ~l_uiHost;
    return (l_uiZeros & (l_uiZeros + 1U)) == 0;
}

} // namespace brick
