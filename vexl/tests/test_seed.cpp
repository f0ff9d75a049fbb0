// SEED block cipher and the type-1 body transform: the published vectors, OpenSSL's SEED-ECB as a
// reference on random data, the last-block rules and the failure results.

#include "cipher/seed.h"
#include "cipher/seed_paths.h"
#include "cipher/transform.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace vexl::detail;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes fromHex(const std::string &a_hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < a_hex.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoul(a_hex.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes toBytes(const std::string &a_s) {
    return Bytes(a_s.begin(), a_s.end());
}

Bytes iota(size_t a_n) {
    Bytes b(a_n);
    for (size_t i = 0; i < a_n; ++i)
        b[i] = static_cast<unsigned char>(i);
    return b;
}

struct Vector {
    Bytes key, plain, cipher;
};

// "key plaintext ciphertext" lines in hex; '#' starts a comment line.
std::vector<Vector> loadVectors() {
    std::vector<Vector> out;
    std::ifstream in(VEXL_SHARED_DIR "/vectors/seed.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string k, p, c;
        fields >> k >> p >> c;
        Vector v{fromHex(k), fromHex(p), fromHex(c)};
        EXPECT_TRUE(v.key.size() == 16 && !v.plain.empty() && v.plain.size() % 16 == 0 &&
                    v.cipher.size() == v.plain.size())
            << "malformed vector line: " << line;
        out.push_back(std::move(v));
    }
    return out;
}

const Vector *findVector(const std::vector<Vector> &a_all, const Bytes &a_key) {
    for (const auto &v : a_all)
        if (v.key == a_key)
            return &v;
    return nullptr;
}

// SEED-ECB key for a password: its first 16 bytes, then zeros.
Bytes seedKeyOf(const Bytes &a_password) {
    Bytes key(16, 0);
    std::memcpy(key.data(), a_password.data(), std::min<size_t>(16, a_password.size()));
    return key;
}

Bytes encryptBody(const Bytes &a_plain, const Bytes &a_password, bool a_bLastBlock) {
    unsigned char *out = nullptr;
    const size_t n = encryptData(CT_SEED, a_plain.data(), a_plain.size(), a_password.data(),
                                 a_password.size(), &out, a_bLastBlock);
    Bytes result(out, out + n);
    std::free(out);
    return result;
}

Bytes decryptBody(const Bytes &a_cipher, const Bytes &a_password) {
    unsigned char *out = nullptr;
    const size_t n =
        decryptData(CT_SEED, a_cipher.data(), a_cipher.size(), a_password.data(), a_password.size(), &out);
    Bytes result(out, out + n);
    freeWiped(out, n);
    return result;
}

// OpenSSL's SEED-ECB without padding, from the legacy provider. Loaded once; null when unavailable.
EVP_CIPHER *opensslSeed() {
    static EVP_CIPHER *const s_cipher = [] {
        if (OSSL_PROVIDER_load(nullptr, "legacy") == nullptr ||
            OSSL_PROVIDER_load(nullptr, "default") == nullptr)
            return static_cast<EVP_CIPHER *>(nullptr);
        return EVP_CIPHER_fetch(nullptr, "SEED-ECB", nullptr);
    }();
    return s_cipher;
}

Bytes opensslCrypt(const Bytes &a_key, const Bytes &a_in, bool a_bEncrypt) {
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    Bytes out(a_in.size() + 16);
    int n = 0, tail = 0;
    const bool ok =
        EVP_CipherInit_ex2(ctx, opensslSeed(), a_key.data(), nullptr, a_bEncrypt ? 1 : 0, nullptr) == 1 &&
        EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
        EVP_CipherUpdate(ctx, out.data(), &n, a_in.data(), static_cast<int>(a_in.size())) == 1 &&
        EVP_CipherFinal_ex(ctx, out.data() + n, &tail) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EXPECT_TRUE(ok) << "OpenSSL SEED-ECB failed";
    out.resize(static_cast<size_t>(n + tail));
    return out;
}

// Every published vector encrypts to its ciphertext and decrypts back in place, on the path
// in use.
void expectPublishedVectors() {
    const auto vectors = loadVectors();
    ASSERT_GE(vectors.size(), 6u);
    for (const auto &v : vectors) {
        CSeedKey key;
        ASSERT_TRUE(key.setKey(v.key.data(), v.key.size()));
        Bytes out(v.plain.size());
        key.encryptBlocks(v.plain.data(), out.data(), out.size() / 16);
        EXPECT_EQ(out, v.cipher);
        key.decryptBlocks(out.data(), out.data(), out.size() / 16); // in place
        EXPECT_EQ(out, v.plain);
    }
}

} // namespace

TEST(SeedVectors, EveryPublishedVectorEncryptsAndDecrypts) {
    expectPublishedVectors(); // on the path chosen for this CPU
}

TEST(SeedVectors, PasswordsArePaddedOrCutToSixteenBytes) {
    const auto vectors = loadVectors();
    for (const std::string password : {"739", "a-much-longer-password-than-16"}) {
        const Vector *v = findVector(vectors, seedKeyOf(toBytes(password)));
        ASSERT_NE(v, nullptr) << password;
        EXPECT_EQ(encryptBody(v->plain, toBytes(password), false), v->cipher) << password;
        EXPECT_EQ(decryptBody(v->cipher, toBytes(password)), v->plain) << password;
    }
    // Only the first 16 bytes count.
    EXPECT_EQ(encryptBody(iota(48), toBytes("a-much-longer-password-than-16"), false),
              encryptBody(iota(48), toBytes("a-much-longer-paXXX"), false));
}

TEST(SeedSelfTest, PassesAndReportsAMismatch) {
    EXPECT_TRUE(seedSelfTestPassed());
    EXPECT_TRUE(seedSelfTestPassed()); // remembered, not repeated

    const Bytes key = fromHex("4706480851E61BE85D74BFB3FD956185");
    const Bytes plain = fromHex("83A2F8A288641FB9A4E9A5CC2F131C7D");
    Bytes cipher = fromHex("EE54D13EBCAE706D226BC3142CD40D4A");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(seedKnownAnswer(key.data(), plain.data(), cipher.data()));
    cipher[15] ^= 1;
    EXPECT_FALSE(seedKnownAnswer(key.data(), plain.data(), cipher.data()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "SEED test encryption failed.\n");
}

TEST(SeedKeySetup, NeedsExactlySixteenBytes) {
    const Bytes key(17, 0x5A);
    CSeedKey k;
    EXPECT_FALSE(k.setKey(key.data(), 15));
    EXPECT_FALSE(k.setKey(key.data(), 17));
    EXPECT_FALSE(k.setKey(nullptr, 16));
    EXPECT_FALSE(k.ready());
    ASSERT_TRUE(k.setKey(key.data(), 16));
    EXPECT_TRUE(k.ready());
    k.clear();
    EXPECT_FALSE(k.ready());
}

TEST(SeedTransform, FortyByteBodyKeepsItsLastEightBytesInTheClear) {
    const Bytes plain = iota(40), password = toBytes("739");
    const Bytes out = encryptBody(plain, password, false);
    ASSERT_EQ(out.size(), 40u);
    CSeedKey key;
    ASSERT_TRUE(key.setKey(seedKeyOf(password).data(), 16));
    Bytes blocks(32);
    key.encryptBlocks(plain.data(), blocks.data(), 2);
    EXPECT_TRUE(std::equal(blocks.begin(), blocks.end(), out.begin()));
    EXPECT_TRUE(std::equal(plain.begin() + 32, plain.end(), out.begin() + 32));
    EXPECT_EQ(decryptBody(out, password), plain);
}

TEST(SeedTransform, LastBlockFlagPadsAndEncryptsTheTail) {
    const Bytes plain = iota(40), password = toBytes("739");
    const Bytes out = encryptBody(plain, password, true);
    ASSERT_EQ(out.size(), 48u);
    EXPECT_EQ(encryptedSize(CT_SEED, 40, true), 48u);
    Bytes padded = plain;
    padded.resize(48, 0);
    EXPECT_EQ(out, encryptBody(padded, password, false));
    EXPECT_EQ(decryptBody(out, password), padded);
}

TEST(SeedTransform, InputShorterThanABlockIsAlwaysPadded) {
    const Bytes plain = toBytes("ten bytes!"), password = toBytes("pw");
    for (const bool flag : {false, true}) {
        const Bytes out = encryptBody(plain, password, flag);
        ASSERT_EQ(out.size(), 16u);
        Bytes expected = plain;
        expected.resize(16, 0);
        EXPECT_EQ(decryptBody(out, password), expected);
    }
}

TEST(SeedTransform, EncryptsAndDecryptsInPlace) {
    const Bytes plain = iota(16 * 9 + 5), password = toBytes("in place");
    Bytes buf = plain;
    ASSERT_EQ(
        encryptInto(CT_SEED, buf.data(), buf.size(), password.data(), password.size(), buf.data(), false),
        buf.size());
    EXPECT_EQ(buf, encryptBody(plain, password, false));
    ASSERT_EQ(decryptInto(CT_SEED, buf.data(), buf.size(), password.data(), password.size(), buf.data()),
              buf.size());
    EXPECT_EQ(buf, plain);
}

TEST(SeedTransform, FailuresReturnZeroAndAllocateNothing) {
    const Bytes plain = iota(32);
    unsigned char *out = nullptr;
    auto enc = [&](unsigned type, const void *in, size_t n, const void *key, size_t keyLen) {
        out = reinterpret_cast<unsigned char *>(&out); // must be reset to null
        const size_t r = encryptData(type, in, n, key, keyLen, &out, false);
        EXPECT_EQ(out, nullptr);
        return r;
    };
    EXPECT_EQ(enc(CT_SEED, nullptr, 32, "pw", 2), 0u);
    EXPECT_EQ(enc(CT_SEED, plain.data(), 0, "pw", 2), 0u);
    EXPECT_EQ(enc(CT_SEED, plain.data(), 32, nullptr, 2), 0u);
    EXPECT_EQ(enc(CT_SEED, plain.data(), 32, "pw", 0), 0u);
    EXPECT_EQ(enc(2, plain.data(), 32, "pw", 2), 0u);
    EXPECT_EQ(encryptData(CT_SEED, plain.data(), 32, "pw", 2, nullptr, false), 0u);

    out = reinterpret_cast<unsigned char *>(&out);
    EXPECT_EQ(decryptData(CT_SEED, plain.data(), 32, "", 0, &out), 0u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(decryptData(7, plain.data(), 32, "pw", 2, &out), 0u);
    EXPECT_EQ(encryptedSize(CT_SEED, 0, true), 0u);

    EXPECT_STREQ(cryptTypeName(CT_VERNAM), "VERNAM");
    EXPECT_STREQ(cryptTypeName(CT_SEED), "SEED");
    EXPECT_STREQ(cryptTypeName(2), "");
}

TEST(SeedOpenSsl, RandomBuffersMatchSeedEcb) {
    if (opensslSeed() == nullptr)
        GTEST_SKIP() << "OpenSSL's legacy provider (SEED-ECB) could not be loaded";
    std::mt19937 rng(2024);
    for (int round = 0; round < 200; ++round) {
        Bytes key(16), plain(16 * (1 + rng() % 40));
        for (auto &b : key)
            b = static_cast<unsigned char>(rng());
        for (auto &b : plain)
            b = static_cast<unsigned char>(rng());
        CSeedKey ours;
        ASSERT_TRUE(ours.setKey(key.data(), key.size()));
        Bytes cipher(plain.size());
        ours.encryptBlocks(plain.data(), cipher.data(), plain.size() / 16);
        ASSERT_EQ(cipher, opensslCrypt(key, plain, true)) << "round " << round;
        Bytes back(plain.size());
        ours.decryptBlocks(cipher.data(), back.data(), plain.size() / 16);
        ASSERT_EQ(back, plain) << "round " << round;
    }
}

TEST(SeedOpenSsl, BodyTransformMatchesSeedEcbOnWholeBlocks) {
    if (opensslSeed() == nullptr)
        GTEST_SKIP() << "OpenSSL's legacy provider (SEED-ECB) could not be loaded";
    std::mt19937 rng(99);
    for (int round = 0; round < 100; ++round) {
        Bytes password(1 + rng() % 40), plain(16 + rng() % 300);
        for (auto &b : password)
            b = static_cast<unsigned char>(rng());
        for (auto &b : plain)
            b = static_cast<unsigned char>(rng());
        const size_t whole = plain.size() / 16 * 16;
        const Bytes ours = encryptBody(plain, password, false);
        const Bytes ref =
            opensslCrypt(seedKeyOf(password), Bytes(plain.begin(), plain.begin() + whole), true);
        ASSERT_EQ(ours.size(), plain.size());
        ASSERT_TRUE(std::equal(ref.begin(), ref.end(), ours.begin())) << "round " << round;
        ASSERT_TRUE(std::equal(plain.begin() + whole, plain.end(), ours.begin() + whole))
            << "round " << round;
        ASSERT_EQ(decryptBody(ours, password), plain) << "round " << round;
    }
}

// MARK: - Every implementation path

namespace {

// Forces one path for the life of the object, then restores the automatic choice's path.
class CPathScope {
public:
    explicit CPathScope(E_SeedPath a_ePath) : m_bOk(seedSelectPath(a_ePath)) {}
    ~CPathScope() { seedSelectPath(seedBestPath()); }
    bool ok() const { return m_bOk; }

private:
    bool m_bOk;
};

std::vector<E_SeedPath> supportedPaths() {
    std::vector<E_SeedPath> out;
    for (unsigned p = SP_PORTABLE; p < SP_COUNT; ++p)
        if (seedPathSupported(static_cast<E_SeedPath>(p)))
            out.push_back(static_cast<E_SeedPath>(p));
    return out;
}

Bytes randomBytes(std::mt19937 &a_rng, size_t a_n) {
    Bytes b(a_n);
    for (auto &c : b)
        c = static_cast<unsigned char>(a_rng());
    return b;
}

} // namespace

TEST(SeedPaths, ChoiceAndOverride) {
    EXPECT_TRUE(seedPathSupported(SP_PORTABLE));
    EXPECT_FALSE(seedPathSupported(SP_COUNT));
    EXPECT_TRUE(seedPathSupported(seedBestPath()));
    EXPECT_EQ(seedActivePath(), seedBestPath());
    for (unsigned p = SP_PORTABLE; p < SP_COUNT; ++p) {
        const auto path = static_cast<E_SeedPath>(p);
        EXPECT_STRNE(seedPathName(path), "");
        if (seedPathSupported(path)) {
            EXPECT_LE(p, unsigned{seedBestPath()}) << "the widest supported path is the default";
        }
    }
    EXPECT_STREQ(seedPathName(SP_COUNT), "");
    {
        CPathScope forced(SP_PORTABLE);
        ASSERT_TRUE(forced.ok());
        EXPECT_EQ(seedActivePath(), SP_PORTABLE);
        EXPECT_FALSE(seedSelectPath(SP_COUNT));
        EXPECT_EQ(seedActivePath(), SP_PORTABLE) << "a refused choice changes nothing";
    }
    EXPECT_EQ(seedActivePath(), seedBestPath());
#if defined(__x86_64__)
    // This project's build machines have every path; a CPU without them only runs fewer.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("gfni")) {
        EXPECT_EQ(seedBestPath(), SP_AVX512_GFNI);
    }
#endif
}

TEST(SeedPaths, EveryPathGivesThePublishedVectors) {
    for (const E_SeedPath path : supportedPaths()) {
        SCOPED_TRACE(seedPathName(path));
        CPathScope forced(path);
        ASSERT_TRUE(forced.ok());
        expectPublishedVectors();
    }
}

// Block counts 0 to 70 cover every tail of every path's step (8 or 16 blocks per register, up to
// four register sets side by side: at most 64 blocks), and a large buffer covers the long run. Encryption is
// checked against OpenSSL, decryption against the plaintext, both in place and out of place, and the bytes
// just past the end are never written.
TEST(SeedPaths, EveryPathMatchesOpenSslOnEveryLength) {
    if (opensslSeed() == nullptr)
        GTEST_SKIP() << "OpenSSL's legacy provider (SEED-ECB) could not be loaded";
    std::mt19937 rng(13);
    std::vector<size_t> counts;
    for (size_t n = 0; n <= 70; ++n)
        counts.push_back(n);
    counts.push_back(4099);
    for (const size_t blocks : counts) {
        const Bytes key = randomBytes(rng, 16), plain = randomBytes(rng, blocks * 16);
        const Bytes expected = blocks == 0 ? Bytes{} : opensslCrypt(key, plain, true);
        for (const E_SeedPath path : supportedPaths()) {
            SCOPED_TRACE(std::string(seedPathName(path)) + ", blocks " + std::to_string(blocks));
            CPathScope forced(path);
            ASSERT_TRUE(forced.ok());
            CSeedKey ours;
            ASSERT_TRUE(ours.setKey(key.data(), key.size()));

            Bytes out(plain.size() + 16, 0xEE); // a guard block after the end
            ours.encryptBlocks(plain.data(), out.data(), blocks);
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.begin()));
            ASSERT_EQ(Bytes(out.end() - 16, out.end()), Bytes(16, 0xEE));

            Bytes back(plain.size() + 16, 0xEE);
            ours.decryptBlocks(out.data(), back.data(), blocks);
            ASSERT_TRUE(std::equal(plain.begin(), plain.end(), back.begin()));
            ASSERT_EQ(Bytes(back.end() - 16, back.end()), Bytes(16, 0xEE));

            ours.encryptBlocks(back.data(), back.data(), blocks); // in place
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), back.begin()));
            ours.decryptBlocks(back.data(), back.data(), blocks);
            ASSERT_TRUE(std::equal(plain.begin(), plain.end(), back.begin()));
            ASSERT_EQ(Bytes(back.end() - 16, back.end()), Bytes(16, 0xEE));
        }
    }
}

// Unaligned buffers and the body transform go through the same paths.
TEST(SeedPaths, EveryPathAgreesOnUnalignedBodies) {
    std::mt19937 rng(7);
    const Bytes password = toBytes("unaligned"), data = randomBytes(rng, 16 * 45 + 11);
    CPathScope portable(SP_PORTABLE);
    ASSERT_TRUE(portable.ok());
    const Bytes reference = encryptBody(data, password, true);
    for (const E_SeedPath path : supportedPaths()) {
        SCOPED_TRACE(seedPathName(path));
        CPathScope forced(path);
        ASSERT_TRUE(forced.ok());
        Bytes buf(data.size() + 3);
        std::copy(data.begin(), data.end(), buf.begin() + 3);
        CSeedKey key;
        ASSERT_TRUE(key.setKey(seedKeyOf(password).data(), 16));
        key.encryptBlocks(buf.data() + 3, buf.data() + 3, data.size() / 16);
        EXPECT_TRUE(std::equal(buf.begin() + 3, buf.begin() + 3 + data.size() / 16 * 16, reference.begin()));
        EXPECT_EQ(encryptBody(data, password, true), reference);
        EXPECT_EQ(decryptBody(reference, password), [&] {
            Bytes padded = data;
            padded.resize(reference.size(), 0);
            return padded;
        }());
    }
}

// One key shared by several threads, each on its own buffer, as parallel document loads do: the
// wide paths keep nothing in the key object or in shared scratch memory.
TEST(SeedPaths, ThreadsShareOneKeyAndAgree) {
    std::mt19937 rng(21);
    const Bytes keyBytes = randomBytes(rng, 16), plain = randomBytes(rng, 16 * 137);
    CSeedKey key;
    ASSERT_TRUE(key.setKey(keyBytes.data(), 16));
    Bytes expected(plain.size());
    {
        CPathScope portable(SP_PORTABLE);
        ASSERT_TRUE(portable.ok());
        key.encryptBlocks(plain.data(), expected.data(), plain.size() / 16);
    }
    std::vector<Bytes> results(4, Bytes(plain.size()));
    std::vector<std::thread> threads;
    for (auto &out : results)
        threads.emplace_back([&key, &plain, &out] {
            for (int i = 0; i < 20; ++i) {
                key.encryptBlocks(plain.data(), out.data(), plain.size() / 16);
                key.decryptBlocks(out.data(), out.data(), plain.size() / 16);
            }
            key.encryptBlocks(plain.data(), out.data(), plain.size() / 16);
        });
    for (auto &t : threads)
        t.join();
    for (const auto &out : results)
        EXPECT_EQ(out, expected);
}
