// Binary documents that must be refused: every header and transform failure, every record
// check, truncation at every byte, the depth limit, and the trees the writer refuses because
// its reader could not read them back.

#include "test_binary_support.h"

using namespace vexl_binary_test;
using vexl::CFields;

namespace {

// A direct load through the binary loader (the dispatcher would copy the same message).
struct tDirect {
    bool ok;
    std::string message;
    int code;
    std::vector<vexl::tErrorRange> errors;
};

tDirect loadDirect(const std::string &doc, CFields &root, const char *password = "",
                   unsigned lcbc = vexl::LCBC_DEFAULT) {
    vexl::CLoader4BER loader(lcbc);
    const bool ok = loader.loadit(doc.data(), unsigned(doc.size()), root, password, true);
    EXPECT_EQ(loader.getStatus(), ok);
    return tDirect{ok, loader.getLastErrMsg(), loader.getLastErrCode(), loader.getLoadErrors()};
}

std::string headerText(const tDirect &r) {
    return afterPrefix(r.message, "vexl::CLoader4BER::loadHeader");
}
std::string bodyText(const tDirect &r) {
    return afterPrefix(r.message, "vexl::CLoader4BER::decryptField");
}

// A document with a root array holding one value record built by `record`.
template <class F> std::string oneValue(F &&record, bool big = false) {
    CDocBuilder b(big);
    b.container(vexl::DT_array, 0, 1).name("").comments();
    record(b);
    return b.document();
}

// Offset of the first child record in `oneValue` documents.
constexpr unsigned kChild = 22;

} // namespace

// MARK: - Header

TEST(BinaryHeaderErrors, ShortOrMissingData) {
    CFields root;
    vexl::CLoader4BER loader;
    EXPECT_FALSE(loader.loadit(nullptr, 0, root, "", true));
    EXPECT_EQ(afterPrefix(loader.getLastErrMsg(), "vexl::CLoader4BER::loadHeader"),
              "BER header pointer was NULL");
    EXPECT_FALSE(loader.getStatus());

    const std::string doc = save(CFields(1));
    const tDirect r = loadDirect(doc.substr(0, 13), root);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(headerText(r), "Very shorter VEXF file size(13)");
    EXPECT_EQ(r.code, -991);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].uiBegin, 0u);

    // The dispatcher hands it over and copies the message.
    const tLoad d = load(doc.substr(0, 13), root);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(afterPrefix(d.message, "vexl::CLoader4BER::loadHeader"), "Very shorter VEXF file size(13)");
    EXPECT_EQ(d.code, -991);
}

TEST(BinaryHeaderErrors, HeaderSizeAndEncryptionType) {
    CFields root;
    std::string doc = save(CFields(1));
    doc[8] = 12;
    EXPECT_EQ(headerText(loadDirect(doc, root)), "Mismatched size of VEXF header structure(12)");
    doc[8] = 0;
    doc[9] = 13; // 13 big-endian in a little-endian document
    EXPECT_EQ(headerText(loadDirect(doc, root)), "Mismatched size of VEXF header structure(3328)");

    doc = save(CFields(1));
    doc[11] = 2;
    const tDirect r = loadDirect(doc, root);
    EXPECT_EQ(headerText(r), "Mismatched encryption type(2)");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].uiBegin, 11u);

    // Magic and version are not checked.
    doc = save(CFields(1));
    doc[4] = 0x7F;
    CFields back;
    EXPECT_TRUE(loadDirect(doc, back).ok);
}

TEST(BinaryHeaderErrors, Passwords) {
    CFields root;
    const std::string doc = save(CFields(1), vexl::SIS_DETAIL, "secret");
    EXPECT_EQ(headerText(loadDirect(doc, root, "")), "Input the password");
    EXPECT_EQ(headerText(loadDirect(doc, root, nullptr)), "Input the password");
    EXPECT_EQ(headerText(loadDirect(doc, root, "Secret")), "Mismatched password");
    EXPECT_EQ(headerText(loadDirect(doc, root, "secret!")), "Mismatched password");
    EXPECT_EQ(headerText(loadDirect(doc, root, "secre")), "Mismatched password");
    EXPECT_TRUE(loadDirect(doc, root, "secret").ok);

    // Only the first 16 bytes key the cipher, but the whole password is compared.
    const std::string longDoc = save(CFields(1), vexl::SIS_DETAIL, "0123456789abcdefXYZ");
    EXPECT_EQ(headerText(loadDirect(longDoc, root, "0123456789abcdefXY")), "Mismatched password");

    // A block that is no type-0 text.
    std::string bad = doc;
    bad[13] = '\x01';
    EXPECT_EQ(headerText(loadDirect(bad, root, "secret")), "Failed to the password decryption(retval=0)");

    // A block longer than the document.
    std::string cut = CDocBuilder().header(1, 200) + std::string(7, 'x');
    EXPECT_EQ(headerText(loadDirect(cut, root, "secret")), "Very shorter VEXF file size(20)");
}

TEST(BinaryHeaderErrors, BodyTransform) {
    CFields root;
    CDocBuilder b;
    b.plainValue(vexl::DT_uint, std::string(8, '\1'));

    // A SEED body without password block needs the caller's password, which is then the key.
    const std::string seedDoc = b.document("key");
    std::string noBlock = seedDoc.substr(0, 12) + '\0' + seedDoc.substr(13 + 4);
    EXPECT_EQ(bodyText(loadDirect(noBlock, root, "")), "'SEED' encryption need the key");
    EXPECT_TRUE(loadDirect(noBlock, root, "key").ok);
    EXPECT_EQ(root.asUint64(), 0x0101010101010101ULL);

    const std::string doc = b.document();
    const tDirect shortBody = loadDirect(doc.substr(0, 13 + 4), root);
    EXPECT_EQ(bodyText(shortBody), "Very shorter field-data size(4)");
    EXPECT_EQ(bodyText(loadDirect(doc.substr(0, doc.size() - 1), root)),
              "Failed to the field-data decryption(retval=0)");
    std::string foreign = doc;
    foreign[20] = '\x01'; // not one of the 64 symbols
    EXPECT_EQ(bodyText(loadDirect(foreign, root)), "Failed to the field-data decryption(retval=0)");
}

TEST(BinaryHeaderErrors, FailedLoadLeavesAnEmptyRoot) {
    CFields root;
    root.addChildRef("old") = 1;
    const std::string doc = save(CFields(1), vexl::SIS_DETAIL, "pw");
    EXPECT_FALSE(loadDirect(doc, root, "other").ok);
    EXPECT_EQ(root.getChildCount(), 0u);
}

// MARK: - Records

TEST(BinaryRecordErrors, TypesIDsAndTheRootCheck) {
    CFields root;
    CDocBuilder b;
    b.valueHead(9, 0).pei().name("").comments().u32(0);
    tDirect r = loadDirect(b.document(), root);
    EXPECT_EQ(r.message, recordError(0, "Syntax error: value, field or array expected."));
    EXPECT_EQ(r.code, 0);

    r = loadDirect(oneValue([](CDocBuilder &c) { c.valueHead(vexl::DT_uint, 0x80000000u).pei(); }), root);
    EXPECT_EQ(r.message, recordError(kChild, "Failed to set the field ID"));
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].uiBegin, kChild);
    EXPECT_EQ(root.getChildCount(), 0u);

    const std::string scalar = save(CFields("text"));
    EXPECT_TRUE(loadDirect(scalar, root).ok);
    EXPECT_EQ(loadDirect(scalar, root, "", vexl::LCBC_DEFAULT | vexl::LCBC_ROOT_CONTAINER).message,
              recordError(0, "A valid VEXL document must be either an DT_array or an DT_fields type."));
}

TEST(BinaryRecordErrors, PacketExpressionChecks) {
    struct tCase {
        unsigned codes, width, kindOpt, index;
        const char *message;
    } cases[] = {
        {0x04, 10, 0x00, 0, "Packet variable length must be little than 10"},
        {0x00, 0, 0xA0, 0, "Supporting-keyword option value must be little than 10"},
        {0x00, 0, 0x00, 3, "Supporting-keyword option value must be bigger than 0"},
        {0x00, 0, 0x00, 4, "Supporting-keyword option value must be bigger than 0"},
        {0x00, 0, 0x00, 5, "Invalid internal supporting-keyword index"},
        {0x00, 0, 0x00, 39, "Invalid internal supporting-keyword index"},
        {0x00, 0, 0x0D, 1, "Not exist supporting-keyword kind"},
    };
    CFields root;
    for (const tCase &c : cases) {
        const std::string doc = oneValue([&](CDocBuilder &b) {
            b.valueHead(vexl::DT_uint, 0)
                .pei(c.codes, c.width, 0, c.kindOpt, c.index, 4)
                .name("")
                .comments()
                .u32(0);
        });
        EXPECT_EQ(loadDirect(doc, root).message, recordError(kChild, c.message)) << c.message;
    }

    // An external keyword is checked by the check-index hook of its kind.
    const CTestHook hook;
    auto withIndex = [](unsigned index) {
        return oneValue([&](CDocBuilder &b) {
            b.valueHead(vexl::DT_uint, 0).pei(0, 0, 0, kTestSlot, index, 0).name("").comments().u32(0);
        });
    };
    EXPECT_TRUE(loadDirect(withIndex(20), root).ok);
    EXPECT_EQ(loadDirect(withIndex(21), root).message,
              recordError(kChild, "Not exist supporting-keyword index"));
    vexl::CEskHooks::setCheckIdxFP4ESK(kTestSlot, [](unsigned short, unsigned char) { return -1; });
    EXPECT_EQ(loadDirect(withIndex(20), root).message,
              recordError(kChild, "Invalid index or option for supporting-keyword"));
}

TEST(BinaryRecordErrors, ValuesAndComments) {
    CFields root;
    // A number longer than 8 bytes is refused, never copied.
    std::string doc = oneValue([](CDocBuilder &b) {
        b.valueHead(vexl::DT_sint, 0).pei().name("").comments().u32(9).raw(std::string(9, '\xAB'));
    });
    EXPECT_EQ(loadDirect(doc, root).message,
              recordError(kChild, "Number value length must be little than 9"));

    // A comment that does not start with "/" is a load error, not an exception.
    doc = oneValue([](CDocBuilder &b) { b.valueHead(vexl::DT_null, 0).pei().name("").comments("x").u32(0); });
    EXPECT_EQ(loadDirect(doc, root).message, recordError(kChild, "Comments must start with /"));
    vexl::CLoader4BER noComments(vexl::LCBC_MISSING_NULL);
    EXPECT_TRUE(noComments.loadit(doc.data(), unsigned(doc.size()), root, "", true));

    // A null value's stored bytes are skipped; a bool takes its first byte.
    CDocBuilder b;
    b.container(vexl::DT_array, 0, 2).name("").comments();
    b.plainValue(vexl::DT_null, "junk");
    b.plainValue(vexl::DT_bool, std::string("\0\1", 2));
    ASSERT_TRUE(loadDirect(b.document(), root).ok);
    EXPECT_TRUE(root[0u].isNull());
    EXPECT_FALSE(root[1u].asBool());
}

TEST(BinaryRecordErrors, EveryTruncationFails) {
    const CTestHook hook;
    const CFields tree = CRandomTree(5).make(3);
    const std::string body = plainBody(save(tree));
    ASSERT_GT(body.size(), 100u);
    for (size_t cut = 8; cut < body.size(); ++cut) {
        CDocBuilder b;
        b.raw(body.substr(0, cut));
        CFields root;
        const tDirect r = loadDirect(b.document(), root);
        ASSERT_FALSE(r.ok) << "cut at " << cut;
        ASSERT_NE(r.message.find("\n  No more parsing. Over the data length.\n"), std::string::npos)
            << r.message;
    }
}

TEST(BinaryRecordErrors, ChildCountIsNotTrusted) {
    CDocBuilder b;
    b.container(vexl::DT_fields, 0, 0xFFFFFFFFu).name("").comments();
    b.plainValue(vexl::DT_bool, "\1");
    CFields root;
    const tDirect r = loadDirect(b.document(), root);
    EXPECT_EQ(r.message, recordError(kChild + 33, "No more parsing. Over the data length."));
    EXPECT_EQ(root.getChildCount(), 0u);
}

TEST(BinaryRecordErrors, ErrorListAndSummary) {
    CFields root;
    const std::string doc = oneValue([](CDocBuilder &b) { b.valueHead(7, 3).pei(0x04, 12); });
    vexl::CLoader4BER loader;
    EXPECT_FALSE(loader.loadit(doc.data(), unsigned(doc.size()), root, "", true));
    EXPECT_EQ(loader.getLastErrCode(), 0);
    EXPECT_EQ(loader.getLastErrMsg(), recordError(kChild, "Packet variable length must be little than 10"));
    const auto errors = loader.getLoadErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].uiBegin, kChild);
    EXPECT_EQ(errors[0].uiEnd, kChild + 15u);
    // The loader is reusable.
    const std::string good = save(CFields(3u));
    EXPECT_TRUE(loader.loadit(good.data(), unsigned(good.size()), root, "", true));
    EXPECT_TRUE(loader.getStatus());
    EXPECT_EQ(loader.getLastErrMsg(), "");
}

// MARK: - Depth limit

namespace {

CFields nestedArrays(unsigned levels) {
    CFields root(vexl::DT_array);
    CFields *cur = &root;
    for (unsigned i = 1; i < levels; ++i)
        cur = &cur->addArrayAt(CFields(vexl::DT_array));
    return root;
}

} // namespace

TEST(BinaryDepthLimit, ReaderThrowsAndWriterRefuses) {
    // 1001 levels: the root and 1000 below it.
    const std::string doc = save(nestedArrays(1001));
    CFields root;
    EXPECT_TRUE(loadDirect(doc, root).ok);

    vexl::CSaver4BER_BASIC saver;
    EXPECT_EQ(saver.saving(nestedArrays(1002), vexl::SIS_DETAIL, ""), "");
    EXPECT_EQ(afterPrefix(saver.getLastErrMsg(), "vexl::CSaver4BER_BASIC::makeField"),
              "Exceeded s_cnStackDepthLimit");

    CDocBuilder b;
    for (int i = 0; i < 1002; ++i)
        b.container(vexl::DT_array, 0, i < 1001 ? 1 : 0).name("").comments();
    vexl::CLoader4BER loader;
    const std::string deep = b.document();
    try {
        loader.loadit(deep.data(), unsigned(deep.size()), root, "", true);
        ADD_FAILURE() << "no exception";
    } catch (const vexl::CLogicError &e) {
        EXPECT_EQ(afterPrefix(e.what(), "vexl::CLoader4BER::loadFieldInfo"), "Exceeded s_cnStackDepthLimit");
    }
    EXPECT_EQ(root.getChildCount(), 0u);
    EXPECT_TRUE(loader.loadit(doc.data(), unsigned(doc.size()), root, "", true));
}

// MARK: - Trees the writer refuses

TEST(BinaryWriterRefuses, ExpressionsItsReaderWouldRefuse) {
    struct tCase {
        unsigned width, kind, option, index;
        const char *message;
    } cases[] = {
        {0, 0, 0, 3, "Supporting-keyword option value must be bigger than 0"},
        {0, 0, 0, 4, "Supporting-keyword option value must be bigger than 0"},
        {0, 0, 12, 3, "Supporting-keyword option value must be little than 10"},
        {10, 0, 0, 0, "Packet variable length must be little than 10"},
        {0, 0, 0, 7, "Invalid internal supporting-keyword index"},
        {0, 14, 0, 2, "Not exist supporting-keyword kind"},
    };
    for (const tCase &c : cases) {
        CFields root;
        vexl::tPacketExpInfo exp{};
        exp.uVarWidth = uint8_t(c.width);
        exp.setSkiKind(c.kind);
        exp.setSkiOption(c.option);
        exp.setSKI(uint16_t(c.index));
        root.addChildRef("x").pkt_SetExp(exp);
        vexl::CSaver4BER_BASIC saver;
        EXPECT_EQ(saver.saving(root, vexl::SIS_DETAIL, ""), "") << c.message;
        EXPECT_EQ(afterPrefix(saver.getLastErrMsg(), "vexl::CSaver4BER_BASIC::makeField"), c.message);
        EXPECT_EQ(saver.getLastErrCode(), -991);
        // Without expressions the same tree is written.
        EXPECT_NE(saver.saving(root, vexl::SIS_BASIC & ~vexl::SIS_PKTEXP, ""), "");
    }
}

// The body decoder takes long stretches of clean symbols in wide blocks: a foreign byte or a pad
// anywhere in a long body must still refuse the whole body.
TEST(BinaryHeaderErrors, ForeignByteAnywhereInALongBody) {
    CDocBuilder b;
    b.container(vexl::DT_array, 0, 40).name("").comments();
    for (int i = 0; i < 40; ++i)
        b.plainValue(vexl::DT_uint, std::string(8, char(i)));
    const std::string doc = b.document();
    CFields root;
    ASSERT_TRUE(loadDirect(doc, root).ok);
    for (size_t at = 13; at < doc.size(); ++at) {
        for (char bad : {'\x01', '.', '\xC4'}) {
            std::string broken = doc;
            if (broken[at] == bad)
                continue;
            broken[at] = bad;
            const tDirect r = loadDirect(broken, root);
            // A pad is allowed only in the last group, where it may still decode.
            if (bad == '.' && at + 4 >= doc.size())
                continue;
            ASSERT_EQ(bodyText(r), "Failed to the field-data decryption(retval=0)") << "at " << at;
        }
    }
}
