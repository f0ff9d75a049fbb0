// The short copies and fills that write fixed fields: every length from 0 past the point where
// they hand over to the library, compared with memcpy/memset, with guard bytes on both sides of
// the destination so that a store outside the field is caught.

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "packet/fixed_write.h"
#include "util/short_copy.h"

using namespace vexl::detail;

namespace {

constexpr size_t kGuard = 40;
constexpr size_t kMax = 80;

// A destination with guard bytes around it; `at` is where the field starts.
struct tGuarded {
    char acBytes[kGuard + kMax + kGuard];
    tGuarded() { std::memset(acBytes, '#', sizeof(acBytes)); }
    char *at() { return acBytes + kGuard; }
    // True when nothing outside [at, at + n) changed.
    bool untouchedOutside(size_t n) const {
        for (size_t i = 0; i < sizeof(acBytes); ++i)
            if ((i < kGuard || i >= kGuard + n) && acBytes[i] != '#')
                return false;
        return true;
    }
};

std::string source(size_t n) {
    std::string l_str(n, '\0');
    for (size_t i = 0; i < n; ++i)
        l_str[i] = char('a' + i % 26);
    return l_str;
}

} // namespace

TEST(PacketFixedWrite, CopyAndFillMatchTheLibraryAtEveryLengthAndStayInside) {
    for (size_t n = 0; n <= kMax; ++n) {
        // The source is a block of exactly n bytes, so a read past it is caught by the sanitizers.
        const std::string l_strSource = source(n);
        std::unique_ptr<char[]> l_pSource(new char[n == 0 ? 1 : n]);
        std::memcpy(l_pSource.get(), l_strSource.data(), n);
        tGuarded l_tCopy;
        copyShort(l_tCopy.at(), l_pSource.get(), n);
        EXPECT_EQ(std::string(l_tCopy.at(), n), l_strSource) << "copy of " << n;
        EXPECT_TRUE(l_tCopy.untouchedOutside(n)) << "copy of " << n;

        for (const char l_cFill : {' ', '0', '\0', '\xAD'}) {
            tGuarded l_tFill;
            fillShort(l_tFill.at(), l_cFill, n);
            EXPECT_EQ(std::string(l_tFill.at(), n), std::string(n, l_cFill)) << "fill of " << n;
            EXPECT_TRUE(l_tFill.untouchedOutside(n)) << "fill of " << n;
        }
    }
}

TEST(PacketFixedWrite, PaddedTextIsCutOrFilledToTheWidth) {
    for (size_t l_uiWidth = 0; l_uiWidth <= 70; ++l_uiWidth) {
        for (size_t l_uiLen = 0; l_uiLen <= 70; l_uiLen += (l_uiLen < 40 ? 1 : 7)) {
            const std::string l_strText = source(l_uiLen);
            std::string l_strWant = l_strText.substr(0, l_uiWidth);
            l_strWant.resize(l_uiWidth, ' ');
            tGuarded l_tOut;
            writePadded(l_tOut.at(), l_strText.data(), l_uiLen, l_uiWidth, ' ');
            ASSERT_EQ(std::string(l_tOut.at(), l_uiWidth), l_strWant) << l_uiLen << " in " << l_uiWidth;
            ASSERT_TRUE(l_tOut.untouchedOutside(l_uiWidth)) << l_uiLen << " in " << l_uiWidth;
        }
    }
}

TEST(PacketFixedWrite, DigitsAreRightAlignedWithZerosInFront) {
    const unsigned long long l_auValues[] = {
        0, 7, 42, 999, 1000, 1234567, 99999999, 100000000, 20240305090703ULL, 18446744073709551615ULL};
    for (const unsigned long long l_uValue : l_auValues) {
        const size_t l_uiDigits = std::to_string(l_uValue).size();
        for (size_t l_uiWidth = l_uiDigits; l_uiWidth <= 40; ++l_uiWidth) {
            char l_acWant[64];
            std::snprintf(l_acWant, sizeof(l_acWant), "%0*llu", int(l_uiWidth), l_uValue);
            tGuarded l_tOut;
            writeDigitsRight(l_tOut.at(), l_uValue, l_uiWidth);
            ASSERT_EQ(std::string(l_tOut.at(), l_uiWidth), l_acWant) << l_uValue << " in " << l_uiWidth;
            ASSERT_TRUE(l_tOut.untouchedOutside(l_uiWidth)) << l_uValue << " in " << l_uiWidth;
        }
    }
    // Random numbers of every digit count in every width they fit, and the eight-digit word
    // over a stride of its whole range (every lane's carries).
    std::mt19937_64 l_rng(20261209);
    for (unsigned l_uiDigits = 1; l_uiDigits <= 20; ++l_uiDigits) {
        for (int l_nRound = 0; l_nRound < 200; ++l_nRound) {
            std::string l_strText(l_uiDigits, '0');
            for (size_t i = 0; i < l_uiDigits; ++i)
                l_strText[i] = char('0' + l_rng() % 10);
            if (l_uiDigits == 20 && l_strText > "18446744073709551615")
                l_strText.replace(0, 2, "10");
            const unsigned long long l_uValue = std::stoull(l_strText);
            for (size_t l_uiWidth = l_uiDigits; l_uiWidth <= 24; ++l_uiWidth) {
                const std::string l_strWant = std::string(l_uiWidth - l_uiDigits, '0') + l_strText;
                tGuarded l_tOut;
                writeDigitsRight(l_tOut.at(), l_uValue, l_uiWidth);
                ASSERT_EQ(std::string(l_tOut.at(), l_uiWidth), l_strWant) << l_uValue << " in " << l_uiWidth;
                ASSERT_TRUE(l_tOut.untouchedOutside(l_uiWidth));
            }
        }
    }
    for (uint32_t l_uValue = 0; l_uValue < 100000000; l_uValue += 9973) {
        char l_acWant[16];
        std::snprintf(l_acWant, sizeof(l_acWant), "%08u", l_uValue);
        const uint64_t l_uDigits = eightDigitChars(l_uValue);
        char l_acGot[8];
        std::memcpy(l_acGot, &l_uDigits, 8);
        if (std::endian::native == std::endian::little) {
            ASSERT_EQ(std::string(l_acGot, 8), l_acWant) << l_uValue;
        }
    }
}

TEST(PacketFixedWrite, WritingWithRoomGivesTheSameFieldAndStaysInTheRoom) {
    // Text padded with spaces or zero bytes, every length in every width up to the room.
    for (size_t l_uiWidth = 1; l_uiWidth <= kSlack; ++l_uiWidth) {
        for (size_t l_uiLen = 0; l_uiLen <= kSlack + 8; ++l_uiLen) {
            const std::string l_strText = source(l_uiLen);
            for (const bool l_bSpaces : {true, false}) {
                std::string l_strWant = l_strText.substr(0, l_uiWidth);
                l_strWant.resize(l_uiWidth, l_bSpaces ? ' ' : '\0');
                tGuarded l_tOut;
                writePaddedWithRoom(l_tOut.at(), l_strText.data(), l_uiLen, l_uiWidth, l_bSpaces);
                ASSERT_EQ(std::string(l_tOut.at(), l_uiWidth), l_strWant) << l_uiLen << " in " << l_uiWidth;
                ASSERT_TRUE(l_tOut.untouchedOutside(kSlack)) << l_uiLen << " in " << l_uiWidth;
            }
        }
    }
    // Numbers of every digit count in every width up to 16 they fit.
    std::mt19937_64 l_rng(7);
    for (size_t l_uiWidth = 1; l_uiWidth <= 16; ++l_uiWidth) {
        for (int l_nRound = 0; l_nRound < 300; ++l_nRound) {
            unsigned long long l_uLimit = 1;
            for (size_t i = 0, l_n = 1 + l_rng() % l_uiWidth; i < l_n; ++i)
                l_uLimit *= 10;
            const unsigned long long l_uValue = l_rng() % l_uLimit;
            char l_acWant[32];
            std::snprintf(l_acWant, sizeof(l_acWant), "%0*llu", int(l_uiWidth), l_uValue);
            tGuarded l_tOut;
            writeDigitsWithRoom(l_tOut.at(), l_uValue, l_uiWidth);
            ASSERT_EQ(std::string(l_tOut.at(), l_uiWidth), l_acWant) << l_uValue << " in " << l_uiWidth;
            ASSERT_TRUE(l_tOut.untouchedOutside(16)) << l_uValue << " in " << l_uiWidth;
        }
    }
    for (uint32_t l_uValue = 0; l_uValue < 10000; ++l_uValue) {
        const uint32_t l_uWord = fourDigitChars(l_uValue);
        char l_acGot[4], l_acWant[8];
        std::memcpy(l_acGot, &l_uWord, 4);
        std::snprintf(l_acWant, sizeof(l_acWant), "%04u", l_uValue);
        if (std::endian::native == std::endian::little) {
            ASSERT_EQ(std::string(l_acGot, 4), l_acWant);
        }
    }
}

TEST(PacketFixedWrite, MovesWithinOneBlockMatchMemmove) {
    // Both directions and every shift, as when a value is set from its own bytes.
    for (size_t n = 0; n <= 48; ++n) {
        for (size_t l_uiFrom = 0; l_uiFrom <= 8; ++l_uiFrom) {
            for (size_t l_uiTo = 0; l_uiTo <= 8; ++l_uiTo) {
                std::string l_strWant = source(64), l_strGot = l_strWant;
                std::memmove(l_strWant.data() + l_uiTo, l_strWant.data() + l_uiFrom, n);
                moveBytes(l_strGot.data() + l_uiTo, l_strGot.data() + l_uiFrom, n);
                ASSERT_EQ(l_strGot, l_strWant) << n << " bytes from " << l_uiFrom << " to " << l_uiTo;
            }
        }
    }
}
