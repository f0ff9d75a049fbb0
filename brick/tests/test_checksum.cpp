#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "brick/checksum.h"
#include "checksum/word_sum.h"

using brick::CHKSUM_Check;
using brick::CHKSUM_Make;

namespace {

// Independent reference: one big-endian word per step, 64-bit sum.
uint64_t refSum(const std::vector<unsigned char> &a_data, size_t a_uiLen, unsigned char a_ucPad) {
    uint64_t l_ulSum = 0;
    for (size_t i = 0; i < a_uiLen; i += 2) {
        l_ulSum += (a_data[i] << 8) | (i + 1 < a_uiLen ? a_data[i + 1] : a_ucPad);
    }
    return l_ulSum;
}

uint16_t refFold(uint64_t a_ulSum) {
    while (a_ulSum >> 16) {
        a_ulSum = (a_ulSum & 0xFFFF) + (a_ulSum >> 16);
    }
    return static_cast<uint16_t>(a_ulSum);
}

uint16_t refMake(const std::vector<unsigned char> &a_data, unsigned char a_ucPad) {
    return a_data.empty() ? 0xFFFF : static_cast<uint16_t>(~refFold(refSum(a_data, a_data.size(), a_ucPad)));
}

const char *bytes(const std::vector<unsigned char> &a_data) {
    return reinterpret_cast<const char *>(a_data.data());
}

std::vector<unsigned char> withChecksum(std::vector<unsigned char> a_data, unsigned char a_ucPad) {
    const uint16_t l_usSum = CHKSUM_Make(bytes(a_data), static_cast<int>(a_data.size()), a_ucPad);
    a_data.push_back(static_cast<unsigned char>(l_usSum >> 8));
    a_data.push_back(static_cast<unsigned char>(l_usSum & 0xFF));
    return a_data;
}

std::vector<unsigned char> fromHex(const std::string &a_strHex) {
    std::vector<unsigned char> l_out;
    for (size_t i = 0; i + 1 < a_strHex.size(); i += 2) {
        l_out.push_back(static_cast<unsigned char>(std::stoi(a_strHex.substr(i, 2), nullptr, 16)));
    }
    return l_out;
}

} // namespace

TEST(Checksum, AgreesWithTheSharedVectors) {
    std::ifstream l_in(VEXL_SHARED_DIR "/vectors/checksum.txt");
    ASSERT_TRUE(l_in.is_open());
    int l_iCases = 0;
    for (std::string l_strLine; std::getline(l_in, l_strLine);) {
        if (l_strLine.empty() || l_strLine[0] == '#') {
            continue;
        }
        std::istringstream l_fields(l_strLine);
        std::string l_strData, l_strSum;
        l_fields >> l_strData >> l_strSum;
        const auto l_data = fromHex(l_strData);
        EXPECT_EQ(CHKSUM_Make(bytes(l_data), static_cast<int>(l_data.size()), 0),
                  std::stoi(l_strSum, nullptr, 16))
            << l_strLine;
        EXPECT_TRUE(CHKSUM_Check(bytes(withChecksum(l_data, 0)), static_cast<int>(l_data.size() + 2), 0));
        ++l_iCases;
    }
    EXPECT_GE(l_iCases, 3);
}

TEST(Checksum, EmptyAndShortInputs) {
    EXPECT_EQ(CHKSUM_Make("", 0, 0), 0xFFFF);
    EXPECT_EQ(CHKSUM_Make("\x01", -1, 0), 0xFFFF);
    EXPECT_EQ(CHKSUM_Make(nullptr, 4, 0), 0xFFFF);
    EXPECT_EQ(CHKSUM_Make("\x01", 1, 0x10), 0xFEEF);
    EXPECT_FALSE(CHKSUM_Check("", 0, 0));
    EXPECT_FALSE(CHKSUM_Check(nullptr, 4, 0));
    EXPECT_FALSE(CHKSUM_Check("\xFF", 1, 0));
    EXPECT_TRUE(CHKSUM_Check("\xFF\xFF", 2, 0));
    // One data byte and its checksum: the data byte is padded with pad.
    EXPECT_TRUE(CHKSUM_Check("\x01\xFE\xFF", 3, 0));
    EXPECT_FALSE(CHKSUM_Check("\x01\xFE\xFF", 3, 1));
    EXPECT_TRUE(CHKSUM_Check("\x01\xFE\xFE", 3, 1));
}

TEST(Checksum, MatchesAByteByByteReferenceForEveryLengthUpTo4096) {
    std::mt19937 l_rng(12345);
    std::vector<unsigned char> l_data;
    for (size_t l_uiLen = 0; l_uiLen <= 4096; ++l_uiLen) {
        l_data.resize(l_uiLen);
        for (auto &l_b : l_data) {
            l_b = static_cast<unsigned char>(l_rng());
        }
        const unsigned char l_ucPad = static_cast<unsigned char>(l_uiLen % 3 == 0 ? 0 : l_rng());
        ASSERT_EQ(CHKSUM_Make(bytes(l_data), static_cast<int>(l_uiLen), l_ucPad), refMake(l_data, l_ucPad))
            << "length " << l_uiLen;
        if (l_uiLen == 0) {
            continue;
        }
        auto l_sealed = withChecksum(l_data, l_ucPad);
        const int l_iSealed = static_cast<int>(l_sealed.size());
        ASSERT_TRUE(CHKSUM_Check(bytes(l_sealed), l_iSealed, l_ucPad)) << "length " << l_uiLen;
        // Any single flipped bit changes the sum.
        const size_t l_uiBit = l_rng() % (l_sealed.size() * 8);
        l_sealed[l_uiBit / 8] ^= static_cast<unsigned char>(1U << (l_uiBit % 8));
        ASSERT_FALSE(CHKSUM_Check(bytes(l_sealed), l_iSealed, l_ucPad)) << "length " << l_uiLen;
    }
}

TEST(Checksum, StaysExactBeyondTheCarryLimitOfA32BitSum) {
    // 2 MiB of 0xFF: 2^20 words of 0xFFFF overflow a 32-bit sum.
    std::vector<unsigned char> l_data(2U << 20, 0xFF);
    l_data[7] = 0x12;
    EXPECT_EQ(CHKSUM_Make(bytes(l_data), static_cast<int>(l_data.size()), 0), refMake(l_data, 0));
    EXPECT_TRUE(CHKSUM_Check(bytes(withChecksum(l_data, 0)), static_cast<int>(l_data.size() + 2), 0));
}

TEST(Checksum, VectorAndPortableWordSumsAgree) {
    std::mt19937 l_rng(99);
    std::vector<unsigned char> l_data(70000);
    for (auto &l_b : l_data) {
        l_b = static_cast<unsigned char>(l_rng());
    }
    for (size_t l_uiLen : {0UL, 2UL, 14UL, 16UL, 62UL, 64UL, 66UL, 2050UL, 4098UL, 70000UL}) {
        EXPECT_EQ(brick_detail::sumBigEndianWords(l_data.data(), l_uiLen), refSum(l_data, l_uiLen, 0));
        EXPECT_EQ(brick_detail::sumBigEndianWordsPortable(l_data.data(), l_uiLen),
                  refSum(l_data, l_uiLen, 0));
    }
}
