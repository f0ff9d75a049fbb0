// Type-0 table encoding, its decoder's rejection of malformed text, and the password block.

#include "cipher/transform.h"
#include "cipher/vernam.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace vexl::detail;

namespace {

std::string encode(const std::string &a_plain) {
    std::string out(vernamEncodedSize(a_plain.size()), '\0');
    const size_t n = vernamEncode(reinterpret_cast<const unsigned char *>(a_plain.data()), a_plain.size(),
                                  reinterpret_cast<unsigned char *>(out.data()));
    out.resize(n);
    return out;
}

// Decoded text, or "<rejected>" when the decoder returns 0.
std::string decode(const std::string &a_text) {
    std::string out(vernamDecodedCapacity(a_text.size()), '\0');
    const size_t n = vernamDecode(reinterpret_cast<const unsigned char *>(a_text.data()), a_text.size(),
                                  reinterpret_cast<unsigned char *>(out.data()));
    if (n == 0)
        return "<rejected>";
    out.resize(n);
    return out;
}

} // namespace

TEST(Vernam, EncodesWithTheLibraryTable) {
    EXPECT_EQ(encode("A"), "YY..");
    EXPECT_EQ(encode("AB"), "YMq.");
    EXPECT_EQ(encode("ABC"), "YMb7");
    EXPECT_EQ(encode("739"), "12Rd");
    EXPECT_EQ(encode("Hello, vexl!"), "uiSNZiDNqcXVCiUI");
    EXPECT_EQ(encode(std::string("\xff\xff\xff", 3)), "ffff");
    EXPECT_EQ(encode(std::string("\xfa\xfb\xfc\xfd\xfe\xff", 6)), "AJJDfykf");
    EXPECT_EQ(encode(""), "");
}

TEST(Vernam, FourBytesGiveEightSymbolsEndingInTwoPads) {
    const std::string plain("\x00\x01\x02\x03", 4);
    const std::string text = encode(plain);
    EXPECT_EQ(text, "--Wm-U..");
    EXPECT_EQ(decode(text), plain);
}

TEST(Vernam, RoundTripsEveryLengthAndByteValue) {
    std::mt19937 rng(7);
    for (size_t len = 1; len <= 200; ++len) {
        std::string plain(len, '\0');
        for (auto &c : plain)
            c = static_cast<char>(rng());
        const std::string text = encode(plain);
        ASSERT_EQ(text.size(), (len + 2) / 3 * 4);
        ASSERT_EQ(decode(text), plain) << "length " << len;
    }
}

TEST(Vernam, DecodesInPlace) {
    std::string buf = encode("in place works");
    const size_t n = vernamDecode(reinterpret_cast<const unsigned char *>(buf.data()), buf.size(),
                                  reinterpret_cast<unsigned char *>(buf.data()));
    EXPECT_EQ(buf.substr(0, n), "in place works");
}

TEST(Vernam, RejectsBadLengths) {
    EXPECT_EQ(decode(""), "<rejected>");
    EXPECT_EQ(decode("Y"), "<rejected>");
    EXPECT_EQ(decode("YMb"), "<rejected>");
    EXPECT_EQ(decode("YMb7Y"), "<rejected>");
    EXPECT_EQ(decode("YMb7YMq"), "<rejected>");
}

TEST(Vernam, RejectsBytesOutsideTheTable) {
    const std::string good = "uiSNZiDNqcXVCiUI";
    for (const char bad : {'=', '/', '\0', ' ', '\n', '\x80', '\xff'}) {
        for (size_t pos = 0; pos < good.size(); ++pos) {
            std::string text = good;
            text[pos] = bad;
            EXPECT_EQ(decode(text), "<rejected>")
                << "byte " << int(static_cast<unsigned char>(bad)) << " at " << pos;
        }
    }
}

TEST(Vernam, RejectsMisplacedPads) {
    EXPECT_EQ(decode("...."), "<rejected>");
    EXPECT_EQ(decode("Y..."), "<rejected>");
    EXPECT_EQ(decode("YM.q"), "<rejected>");     // pad followed by a symbol
    EXPECT_EQ(decode("YY..YMb7"), "<rejected>"); // padded group before the last
    EXPECT_EQ(decode("YMq.YMb7"), "<rejected>");
    EXPECT_EQ(decode(".Mb7YMb7"), "<rejected>");
    // The accepted forms for comparison.
    EXPECT_EQ(decode("YY.."), "A");
    EXPECT_EQ(decode("YMq."), "AB");
}

TEST(Vernam, TypeZeroTransformIgnoresKeyAndFlag) {
    const char plain[] = "body bytes";
    unsigned char *out = nullptr;
    const size_t n = encryptData(CT_VERNAM, plain, 10, nullptr, 0, &out, true);
    ASSERT_EQ(n, 16u);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(out), n), encode("body bytes"));

    unsigned char *back = nullptr;
    const size_t m = decryptData(CT_VERNAM, out, n, "ignored", 7, &back);
    ASSERT_EQ(m, 10u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(back), m), "body bytes");
    freeWiped(back, m);
    std::free(out);

    // A malformed body is a failure with nothing allocated.
    back = reinterpret_cast<unsigned char *>(1);
    EXPECT_EQ(decryptData(CT_VERNAM, "YM.q", 4, nullptr, 0, &back), 0u);
    EXPECT_EQ(back, nullptr);
}

TEST(PasswordBlock, EncodesUpToTheLongestFittingPassword) {
    unsigned char block[kMaxPasswordBlock];
    const std::string longest(189, 'p');
    EXPECT_EQ(encodePasswordBlock(longest.data(), longest.size(), block), 252u);
    const std::string tooLong(190, 'p');
    EXPECT_EQ(encodePasswordBlock(tooLong.data(), tooLong.size(), block), 0u);
    EXPECT_EQ(encodePasswordBlock("", 0, block), 0u);
    EXPECT_EQ(encodePasswordBlock(nullptr, 3, block), 0u);

    ASSERT_EQ(encodePasswordBlock("739", 3, block), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(block), 4), "12Rd");
    unsigned char password[kMaxPasswordLen];
    ASSERT_EQ(decodePasswordBlock(block, 4, password), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(password), 3), "739");
}

TEST(PasswordBlock, ComparesLengthAndBytes) {
    unsigned char block[kMaxPasswordBlock];
    const size_t n = encodePasswordBlock("secret", 6, block);
    EXPECT_EQ(checkPasswordBlock(block, n, "secret", 6), E_PasswordCheck::Match);
    EXPECT_EQ(checkPasswordBlock(block, n, "secre", 5), E_PasswordCheck::Mismatch);
    EXPECT_EQ(checkPasswordBlock(block, n, "secret!", 7), E_PasswordCheck::Mismatch);
    EXPECT_EQ(checkPasswordBlock(block, n, "Secret", 6), E_PasswordCheck::Mismatch);
    EXPECT_EQ(checkPasswordBlock(block, n, nullptr, 0), E_PasswordCheck::Mismatch);
    block[1] = '=';
    EXPECT_EQ(checkPasswordBlock(block, n, "secret", 6), E_PasswordCheck::Undecodable);
    EXPECT_EQ(checkPasswordBlock(block, 0, "secret", 6), E_PasswordCheck::Undecodable);
}

// MARK: - Every path

namespace {

// Runs `check` once per path this CPU has, with that path forced, and restores the path.
template <typename F> void forEachPath(F check) {
    const E_VernamPath before = vernamCurrentPath();
    for (const E_VernamPath path : {E_VernamPath::Portable, E_VernamPath::Avx2, E_VernamPath::Avx512Vbmi}) {
        if (!vernamUsePath(path))
            continue;
        SCOPED_TRACE("path " + std::to_string(int(path)));
        check();
    }
    vernamUsePath(before);
}

std::string randomBytes(std::mt19937 &rng, size_t len) {
    std::string s(len, '\0');
    for (auto &c : s)
        c = static_cast<char>(rng());
    return s;
}

} // namespace

TEST(VernamPaths, TheBestPathIsSupportedAndAnUnsupportedOneIsRefused) {
    EXPECT_TRUE(vernamPathSupported(vernamBestPath()));
    EXPECT_TRUE(vernamPathSupported(E_VernamPath::Portable));
    if (!vernamPathSupported(E_VernamPath::Avx512Vbmi)) {
        const E_VernamPath before = vernamCurrentPath();
        EXPECT_FALSE(vernamUsePath(E_VernamPath::Avx512Vbmi));
        EXPECT_EQ(vernamCurrentPath(), before);
    }
}

TEST(VernamPaths, EveryPathEncodesAndDecodesLikeThePortableOne) {
    // Lengths around the 32- and 64-symbol blocks and the 48-byte encoding block, and long ones.
    std::mt19937 rng(11);
    std::vector<std::pair<std::string, std::string>> cases; // plain, portable text
    ASSERT_TRUE(vernamUsePath(E_VernamPath::Portable));
    for (size_t len = 1; len <= 400; ++len)
        cases.emplace_back(randomBytes(rng, len), "");
    for (size_t len : {4095u, 4096u, 4097u, 100000u})
        cases.emplace_back(randomBytes(rng, len), "");
    for (auto &[plain, text] : cases)
        text = encode(plain);
    vernamUsePath(vernamBestPath());
    forEachPath([&] {
        for (const auto &[plain, text] : cases) {
            ASSERT_EQ(encode(plain), text) << "length " << plain.size();
            ASSERT_EQ(decode(text), plain) << "length " << plain.size();
            std::string buf = text; // in place
            const size_t n = vernamDecode(reinterpret_cast<const unsigned char *>(buf.data()), buf.size(),
                                          reinterpret_cast<unsigned char *>(buf.data()));
            ASSERT_EQ(buf.substr(0, n), plain) << "in place, length " << plain.size();
        }
    });
}

TEST(VernamPaths, EveryPathRejectsAForeignByteOrPadAnywhere) {
    std::mt19937 rng(5);
    const std::string text = encode(randomBytes(rng, 300)); // 400 symbols
    forEachPath([&] {
        for (const char bad : {'.', '=', '\0', ' ', '\x1f', '\x7f', '\x80', '\xa0', '\xff'}) {
            for (size_t pos = 0; pos < text.size() - 4; pos += 7) {
                std::string broken = text;
                broken[pos] = bad;
                ASSERT_EQ(decode(broken), "<rejected>")
                    << "byte " << int(static_cast<unsigned char>(bad)) << " at " << pos;
            }
        }
    });
}

TEST(VernamPaths, EveryPathWritesNothingBeyondTheDecodedBytes) {
    std::mt19937 rng(3);
    forEachPath([&] {
        for (size_t len : {48u, 96u, 192u, 333u}) {
            const std::string plain = randomBytes(rng, len);
            const std::string text = encode(plain);
            std::vector<unsigned char> out(vernamDecodedCapacity(text.size()) + 64, 0xA5);
            const size_t n =
                vernamDecode(reinterpret_cast<const unsigned char *>(text.data()), text.size(), out.data());
            ASSERT_EQ(n, len);
            for (size_t i = vernamDecodedCapacity(text.size()); i < out.size(); ++i)
                ASSERT_EQ(out[i], 0xA5) << "length " << len << " byte " << i;
        }
    });
}
