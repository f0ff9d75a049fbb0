// Binary documents that load back: the exact bytes the writer produces, random trees through
// every password kind, the writer's options, second values, big-endian documents and the body
// under a password checked against OpenSSL's SEED-ECB.

#include "test_binary_support.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <fstream>
#include <iterator>

using namespace vexl_binary_test;
using vexl::CFields;

namespace {

// A record with one member, as the writer lays it out with every option.
CFields smallTree() {
    CFields root;
    root.setName("r");
    root.setID(7);
    CFields &a = root.addChildRef("a", 9);
    a = 5u;
    vexl::tPacketExpInfo exp{};
    exp.setLength(4); // (ACF4)
    a.pkt_SetExp(exp);
    return root;
}

} // namespace

TEST(BinaryWriter, LaysOutHeaderAndRecordsExactly) {
    const std::string doc = save(smallTree());
    EXPECT_EQ(doc.substr(0, 13), std::string("VEXF\x00\x00\x05\x01\x0D\x00\x05\x00\x00", 13));

    CDocBuilder expected;
    expected.container(vexl::DT_fields, 7, 1).name("r").comments();
    expected.valueHead(vexl::DT_uint, 9).pei(0, 0, 0, 0, 0, 4).name("a").comments().u32(8).u64(5);
    EXPECT_EQ(plainBody(doc), expected.body());
    EXPECT_EQ(doc, expected.document());
}

TEST(BinaryWriter, OptionsLeaveOutTheirPartsAsZeros) {
    CFields root = smallTree();
    root["a"].setComment("// note", vexl::CP_Behind);

    CDocBuilder none; // only the shape remains
    none.container(vexl::DT_fields, 0, 1).name("").comments();
    none.valueHead(vexl::DT_uint, 0).pei().name("").comments().u32(0);
    EXPECT_EQ(plainBody(save(root, 0)), none.body());

    CDocBuilder comments;
    comments.container(vexl::DT_fields, 0, 1).name("").comments();
    comments.valueHead(vexl::DT_uint, 0).pei().name("").comments("", "// note").u32(0);
    EXPECT_EQ(plainBody(save(root, vexl::SIS_COMMENT)), comments.body());

    // What each option brings back.
    CFields back;
    ASSERT_TRUE(load(save(root, vexl::SIS_NAME | vexl::SIS_VALUE), back).ok);
    EXPECT_STREQ(back["a"].getName(), "a");
    EXPECT_EQ(back["a"].getID(), 0u);
    EXPECT_EQ(back["a"].asUint32(), 5u);
    EXPECT_TRUE(CFields::pkt_IsNullExp(back["a"].pkt_GetExp()));
    EXPECT_FALSE(back["a"].isComment());

    ASSERT_TRUE(load(save(root, vexl::SIS_ID | vexl::SIS_PKTEXP), back).ok);
    EXPECT_EQ(back.getID(), 7u);
    EXPECT_EQ(back[0u].getID(), 9u);
    EXPECT_EQ(back[0u].getNameLen(), 0u);
    EXPECT_EQ(back[0u].pkt_GetExp().uLength(), 4u);
    EXPECT_EQ(back[0u].getDT(), vexl::DT_uint);
    EXPECT_EQ(back[0u].asUint64(), 0u);
}

TEST(BinaryRoundTrip, FieldsWithOneUintMember) {
    const CFields root = smallTree();
    CFields back;
    const tLoad r = load(save(root), back);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(treeDiff(root, back), "");
}

TEST(BinaryRoundTrip, RandomTreesWithEveryPasswordKind) {
    const CTestHook hook;
    const std::string longPassword(100, 'p');
    const std::string maxPassword(189, 'm'); // the longest whose block fits in 255 bytes
    const char *passwords[] = {"", "abc", "0123456789abcdef", longPassword.c_str(), maxPassword.c_str()};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const CFields tree = CRandomTree(seed).make();
        for (const char *password : passwords) {
            const std::string doc = save(tree, vexl::SIS_DETAIL, password);
            EXPECT_EQ(doc[11], *password ? 1 : 0);
            CFields back;
            const tLoad r = load(doc, back, password);
            ASSERT_TRUE(r.ok) << "seed " << seed << " password length " << strlen(password) << ": "
                              << r.message;
            ASSERT_EQ(treeDiff(tree, back), "") << "seed " << seed << " password length " << strlen(password);
        }
    }
}

TEST(BinaryRoundTrip, EmptyContainersLoadBack) {
    CFields root;
    root.addChildRef("list").setValue(vexl::DT_array);
    root.addChildRef("record").setValue(vexl::DT_fields);
    CFields back;
    const tLoad r = load(save(root), back);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(back["list"].isArray());
    EXPECT_EQ(back["list"].getChildCount(), 0u);
    EXPECT_TRUE(back["record"].isField());
    EXPECT_EQ(treeDiff(root, back), "");
}

TEST(BinaryRoundTrip, EmptyStringsStayEmptyCodeLists) {
    // An empty code list and one without data are stored alike (length 0); both load back as an
    // empty code list, which is what "" reads as in the text notation.
    CFields root;
    root.addChildRef("empty").setValue("", 0u);
    root.addChildRef("nodata").setValue(vexl::DT_codelist);
    root.addChildRef("list").addChildRef("") = "";
    for (const char *password : {"", "pw"}) {
        CFields back;
        const tLoad r = load(save(root, vexl::SIS_DETAIL, password), back, password);
        ASSERT_TRUE(r.ok) << r.message;
        for (const CFields *f : {&back["empty"], &back["nodata"], &back["list"][0]}) {
            EXPECT_EQ(f->getDT(), vexl::DT_codelist);
            const char *p = nullptr;
            EXPECT_EQ(f->getCodePoint(&p), 0u);
            EXPECT_NE(p, nullptr) << "an empty code list has data";
        }
        EXPECT_TRUE(back["empty"] == root["empty"]);
        EXPECT_TRUE(back["list"] == root["list"]);
    }
    CFields fromText;
    ASSERT_TRUE(load("{\"s\"=\"\",\"a\"=[\"\",\"x\"]}", fromText).ok);
    CFields back;
    ASSERT_TRUE(load(save(fromText), back).ok);
    EXPECT_TRUE(back == fromText);
}

TEST(BinaryRoundTrip, IDsLoadedBelowANodeOfALargeTreeAreFound) {
    // The root being loaded is a member of a large record whose ID lookups are cached: the IDs
    // the document gives must be found there afterwards, and in the loaded tree itself.
    CFields doc;
    CFields &list = doc.addChildRef("list");
    for (unsigned i = 0; i < 40; ++i)
        list.addChildRef("").setID(1000 + i);
    doc.addChildRef("leaf", 77) = 1u;
    const std::string bytes = save(doc);

    CFields outer;
    for (unsigned i = 0; i < 40; ++i)
        outer.addChildRef(("m" + std::to_string(i)).c_str(), i + 1) = i;
    CFields &target = outer["m5"];
    EXPECT_EQ(outer.findID(1017), nullptr); // builds the cache without the ID
    ASSERT_TRUE(load(bytes, target).ok);
    const CFields *found = outer.findID(1017);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &target["list"][17]);
    EXPECT_EQ(target.findID(77), &target["leaf"]);
    EXPECT_TRUE(target == doc);
}

TEST(BinaryRoundTrip, ReloadingReplacesTheRoot) {
    CFields back;
    back.addChildRef("stale") = 1;
    back.setValue(2, vexl::VK_Fixed);
    ASSERT_TRUE(load(save(smallTree()), back).ok);
    EXPECT_EQ(treeDiff(smallTree(), back), "");
}

TEST(BinaryRoundTrip, WithoutCommentCollectionCommentsAreSkipped) {
    CFields root = smallTree();
    root.setComment("// top", vexl::CP_Ahead);
    const std::string doc = save(root);
    CFields back;
    vexl::CLoaders noComments(vexl::LCBC_MISSING_NULL); // comment bit off
    ASSERT_TRUE(noComments.loading(doc, back, "", true));
    EXPECT_FALSE(back.isComment());
    vexl::CLoaders loaders;
    ASSERT_TRUE(loaders.loading(doc, back, "", false));
    EXPECT_FALSE(back.isComment());
    ASSERT_TRUE(loaders.loading(doc, back, "", true));
    EXPECT_EQ(back.getCommentCopy(vexl::CP_Ahead), "// top");
}

// Comments come back as the tree held them, however often they are written and read: one that
// ends in a line feed keeps it, and one with a zero byte in its record ends there.
TEST(BinaryRoundTrip, CommentsSurviveRepeatedWrites) {
    CFields root = smallTree();
    root.setComment("// a\n\n", vexl::CP_Ahead);        // holds "// a\n"
    root["a"].setComment("/* b */\n", vexl::CP_Behind); // holds "/* b */"
    CFields back;
    ASSERT_TRUE(load(save(root), back).ok);
    EXPECT_EQ(back.getCommentCopy(vexl::CP_Ahead), "// a\n");
    EXPECT_EQ(back["a"].getCommentCopy(vexl::CP_Behind), "/* b */");
    CFields again;
    ASSERT_TRUE(load(save(back), again).ok);
    EXPECT_EQ(save(again), save(root));

    CDocBuilder b;
    b.container(vexl::DT_array, 0, 1).name("").comments(std::string("// c\n\0\0", 7));
    b.plainValue(vexl::DT_null, "");
    ASSERT_TRUE(load(b.document(), back).ok);
    EXPECT_EQ(back.getCommentCopy(vexl::CP_Ahead), "// c\n");
    ASSERT_TRUE(load(save(back), again).ok);
    EXPECT_EQ(save(again), save(back));
}

// A "fix"/"valid" keyword whose second value differs from the actual one: with SCBC 0x08 the
// record carries the second value; without it the keyword is dropped.
TEST(BinaryRoundTrip, SecondValuesOfFixAndValid) {
    CFields root;
    CFields &port = root.addChildRef("port");
    port = 8080u;
    port.setValue(443u, vexl::VK_Fixed);
    port.setVK(vexl::VK_Fixed);
    vexl::tPacketExpInfo exp{};
    exp.setLength(4);
    exp.setSKI(1); // fix
    port.pkt_SetExp(exp);

    CFields back;
    ASSERT_TRUE(load(save(root, vexl::SIS_DETAIL, "", vexl::SCBC_DUAL_VALUE), back).ok);
    EXPECT_EQ(back["port"].asUint32(), 443u);
    EXPECT_EQ(back["port"].getVK(), vexl::VK_Fixed);
    EXPECT_EQ(back["port"].asUint32(vexl::VK_Fixed), 443u);
    EXPECT_EQ(back["port"].pkt_GetExp().uSKI(), 1u);

    ASSERT_TRUE(load(save(root, vexl::SIS_DETAIL, "", 0), back).ok);
    EXPECT_EQ(back["port"].asUint32(), 8080u);
    EXPECT_EQ(back["port"].getVK(), vexl::VK_Actual);
    EXPECT_EQ(back["port"].pkt_GetExp().uSKI(), 0u);
    EXPECT_EQ(back["port"].pkt_GetExp().uLength(), 4u);

    // A second value of another type goes with its own type byte.
    port.setValue("https", vexl::VK_Valid);
    port.setVK(vexl::VK_Valid);
    exp.setSKI(2); // valid
    port.pkt_SetExp(exp);
    ASSERT_TRUE(load(save(root, vexl::SIS_DETAIL, "", vexl::SCBC_DUAL_VALUE), back).ok);
    EXPECT_EQ(back["port"].asString(), "https");
    EXPECT_EQ(back["port"].getVK(), vexl::VK_Valid);
}

// One writer for several documents: its body buffer is kept between calls, and must neither leak
// bytes of an earlier, larger body nor be damaged by a refused tree.
TEST(BinaryRoundTrip, AWriterIsReusable) {
    const CTestHook hook;
    vexl::CSaver4BER_BASIC saver;
    const CFields big = CRandomTree(3).make(5);
    const CFields small = smallTree();
    CFields refused;
    vexl::tPacketExpInfo bad{};
    bad.setSKI(3); // sizedef_ without option
    refused.addChildRef("x").pkt_SetExp(bad);
    for (const char *password : {"", "pw"}) {
        EXPECT_EQ(saver.saving(big, vexl::SIS_DETAIL, password), save(big, vexl::SIS_DETAIL, password));
        EXPECT_EQ(saver.saving(small, vexl::SIS_DETAIL, password), save(small, vexl::SIS_DETAIL, password));
        EXPECT_EQ(saver.saving(refused, vexl::SIS_DETAIL, password), "");
        saver.clearError();
        EXPECT_EQ(saver.saving(small, vexl::SIS_DETAIL, password), save(small, vexl::SIS_DETAIL, password));
        EXPECT_FALSE(saver.isError());
    }
}

TEST(BinaryRoundTrip, ThroughTheSaverDispatcher) {
    vexl::CSavers savers;
    EXPECT_FALSE(savers.setCryptType(1));
    EXPECT_EQ(savers.getCryptType(), 0);
    const std::string doc = savers.saving(smallTree(), vexl::BER_BASIC, vexl::SIS_DETAIL, "secret");
    EXPECT_FALSE(savers.isError()) << savers.getLastErrMsg();
    EXPECT_EQ(vexl::ILoaderBase::getER(doc.data(), unsigned(doc.size())), 2);
    CFields back;
    ASSERT_TRUE(load(doc, back, "secret").ok);
    EXPECT_EQ(treeDiff(smallTree(), back), "");
    EXPECT_EQ(smallTree().toVEXL(vexl::BER_BASIC, vexl::SIS_DETAIL, ""), save(smallTree()));
}

// MARK: - Big-endian documents

TEST(BinaryBigEndian, EveryNumberIsSwapped) {
    auto build = [](bool big) {
        CDocBuilder b(big);
        b.container(vexl::DT_array, 0x01020304, 6).name("big").comments("// a", "", "/* t */");
        b.valueHead(vexl::DT_sint, 77)
            .pei(0x05, 3, -2, 0x00, 0, 3)
            .name("s")
            .comments()
            .u32(8)
            .u64(uint64_t(-123456789012345LL));
        b.valueHead(vexl::DT_uint, 0)
            .pei(0x00, 0, 0, 0x10, 3, 0x01020304)
            .name("")
            .comments()
            .u32(8)
            .u64(0x8877665544332211ULL);
        b.valueHead(vexl::DT_double, 0).pei().name("").comments().u32(8).u64(0x400921FB54442D18ULL); // pi
        b.plainValue(vexl::DT_codelist, std::string("ab\0c", 4));
        b.plainValue(vexl::DT_bool, "\x01");
        b.valueHead(vexl::DT_uint, 0).pei().name("").comments().u32(4).u32(0xDEADBEEF);
        return b.document();
    };
    CFields little, big;
    const tLoad rl = load(build(false), little);
    ASSERT_TRUE(rl.ok) << rl.message;
    const tLoad rb = load(build(true), big);
    ASSERT_TRUE(rb.ok) << rb.message;
    EXPECT_EQ(treeDiff(little, big), "");

    EXPECT_EQ(big.getID(), 0x01020304u);
    EXPECT_EQ(big.getCommentCopy(vexl::CP_Tail), "/* t */");
    EXPECT_EQ(big[0u].asSint64(), -123456789012345LL);
    EXPECT_EQ(big[0u].pkt_GetExp().eLengthCode(), vexl::LEC_VARIABLE);
    EXPECT_EQ(big[0u].pkt_GetExp().nCalibration, -2);
    EXPECT_EQ(big[1u].asUint64(), 0x8877665544332211ULL);
    EXPECT_EQ(big[1u].pkt_GetExp().uSKI(), 3u);
    EXPECT_EQ(big[1u].pkt_GetExp().uSkiOption(), 1u);
    EXPECT_EQ(big[1u].pkt_GetExp().uLength(), 0x01020304u);
    EXPECT_DOUBLE_EQ(big[2u].asDouble(), 3.141592653589793);
    EXPECT_EQ(big[3u].asString(), std::string("ab\0c", 4));
    EXPECT_TRUE(big[4u].asBool());
    EXPECT_EQ(big[5u].asUint64(), 0xDEADBEEFu);
}

// A 4-byte number fills the low 32 bits without sign extension; other short numbers go through an
// 8-byte buffer that is swapped as a whole in a big-endian document.
TEST(BinaryBigEndian, ShortNumbers) {
    for (bool big : {false, true}) {
        CDocBuilder b(big);
        b.container(vexl::DT_array, 0, 2).name("").comments();
        b.valueHead(vexl::DT_sint, 0).pei().name("").comments().u32(4).u32(0xFFFFFFFFu);
        b.valueHead(vexl::DT_uint, 0).pei().name("").comments().u32(2).raw("\x01\x02");
        CFields root;
        ASSERT_TRUE(load(b.document(), root).ok);
        EXPECT_EQ(root[0u].asSint64(), 4294967295LL);
        EXPECT_EQ(root[1u].asUint64(), big ? 0x0102000000000000ULL : 0x0201u);
    }
}

// MARK: - The encrypted body

namespace {

EVP_CIPHER *opensslSeed() {
    static EVP_CIPHER *const s_cipher = [] {
        if (OSSL_PROVIDER_load(nullptr, "legacy") == nullptr ||
            OSSL_PROVIDER_load(nullptr, "default") == nullptr)
            return static_cast<EVP_CIPHER *>(nullptr);
        return EVP_CIPHER_fetch(nullptr, "SEED-ECB", nullptr);
    }();
    return s_cipher;
}

// OpenSSL's SEED-ECB decryption of the whole blocks of `cipher`; the tail is copied.
std::string opensslDecrypt(const std::string &key16, const std::string &cipher) {
    const size_t whole = cipher.size() / 16 * 16;
    std::string out(whole + 16, '\0');
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    int n = 0, tail = 0;
    const bool ok =
        EVP_CipherInit_ex2(ctx, opensslSeed(), reinterpret_cast<const unsigned char *>(key16.data()), nullptr,
                           0, nullptr) == 1 &&
        EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
        EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char *>(out.data()), &n,
                         reinterpret_cast<const unsigned char *>(cipher.data()), int(whole)) == 1 &&
        EVP_CipherFinal_ex(ctx, reinterpret_cast<unsigned char *>(out.data()) + n, &tail) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EXPECT_TRUE(ok);
    out.resize(size_t(n + tail));
    return out + cipher.substr(whole);
}

} // namespace

TEST(BinaryEncryption, OpenSSLSeedEcbGivesBackThePlainRecords) {
    if (opensslSeed() == nullptr)
        GTEST_SKIP() << "OpenSSL offers no SEED-ECB here";
    const CTestHook hook;
    const std::string longPassword = "a password longer than sixteen bytes";
    for (const std::string &password : {std::string("abc"), std::string("0123456789abcdef"), longPassword}) {
        const CFields tree = CRandomTree(99).make();
        const std::string plain = plainBody(save(tree));
        const std::string doc = save(tree, vexl::SIS_DETAIL, password.c_str());
        const size_t block = static_cast<unsigned char>(doc[12]);
        EXPECT_EQ(block, (password.size() + 2) / 3 * 4);
        const std::string body = doc.substr(13 + block);
        ASSERT_EQ(body.size(), plain.size());
        std::string key = password.substr(0, 16);
        key.resize(16, '\0');
        EXPECT_EQ(opensslDecrypt(key, body), plain) << "password " << password;
        // The last n % 16 bytes are stored in the clear (a documented property of the format).
        const size_t tail = plain.size() % 16;
        EXPECT_EQ(body.substr(body.size() - tail), plain.substr(plain.size() - tail));
    }
}

TEST(BinaryEncryption, PasswordLengthLimit) {
    vexl::CSaver4BER_BASIC saver;
    const std::string tooLong(190, 'x'); // encodes to 256 bytes
    EXPECT_EQ(saver.saving(smallTree(), vexl::SIS_DETAIL, tooLong.c_str()), "");
    EXPECT_EQ(afterPrefix(saver.getLastErrMsg(), "vexl::CSaver4BER_BASIC::writeHeader"),
              "Very longer password length detected before encryption(256)");
    EXPECT_NE(saver.getLastErrCode(), 0);
}

// MARK: - The corpus

TEST(BinaryRoundTrip, CorpusDocumentsLoadBackUnchanged) {
    for (const char *name : {"twitter", "citm_catalog", "canada"}) {
        std::ifstream in(std::string(VEXL_SHARED_DIR) + "/corpus/" + name + ".vexl", std::ios::binary);
        ASSERT_TRUE(in) << name;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        CFields tree;
        ASSERT_TRUE(load(text, tree).ok) << name;
        for (const char *password : {"", "corpus"}) {
            CFields back;
            const tLoad r = load(save(tree, vexl::SIS_DETAIL, password), back, password);
            ASSERT_TRUE(r.ok) << name << ": " << r.message;
            EXPECT_EQ(treeDiff(tree, back).substr(0, 2000), "") << name;
            EXPECT_TRUE(back == tree) << name << (*password ? " with a password" : "");
        }
    }
}
