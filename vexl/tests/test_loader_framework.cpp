// Loader framework: encoding-rule recognition, the dispatcher, stream entry points, the error
// list and message, and the field stack helpers.

#include <sstream>

#include "test_loader_support.h"

namespace {

using vexl::CFields;
using vexl::CLoader4SER;
using vexl::CLoaders;

std::string header(unsigned char byte10, size_t size = 13) {
    std::string h = "VEXF";
    h.resize(size, '\0');
    if (size > 10)
        h[10] = static_cast<char>(byte10);
    return h;
}

TEST(LoaderFramework, GetERReadsMagicAndByteTen) {
    EXPECT_EQ(vexl::ILoaderBase::getER(nullptr, 20), -1);
    EXPECT_EQ(vexl::ILoaderBase::getER("", 0), -1);
    // Too short for the magic: text, even when it begins like the magic.
    EXPECT_EQ(vexl::ILoaderBase::getER("{}", 2), 0);
    EXPECT_EQ(vexl::ILoaderBase::getER("7", 1), 0);
    EXPECT_EQ(vexl::ILoaderBase::getER("VEX", 3), 0);
    EXPECT_EQ(vexl::ILoaderBase::getER("{\"a\"=1}", 7), 0);
    EXPECT_EQ(vexl::ILoaderBase::getER(header(4).data(), 13), 2);
    EXPECT_EQ(vexl::ILoaderBase::getER(header(5).data(), 13), 2);
    EXPECT_EQ(vexl::ILoaderBase::getER(header(3).data(), 13), 1);
    EXPECT_EQ(vexl::ILoaderBase::getER(header(6).data(), 13), -1);
    // A "VEXF" document without a byte 10 has no rule (and byte 10 is never read).
    EXPECT_EQ(vexl::ILoaderBase::getER(header(0, 10).data(), 10), -1);
    EXPECT_EQ(vexl::ILoaderBase::getER("VEXF", 4), -1);
}

TEST(LoaderFramework, DispatcherRefusesWhatHasNoEncodingRule) {
    CLoaders loaders;
    CFields root;
    EXPECT_FALSE(loaders.loadit(nullptr, 5, root, "", true));
    EXPECT_FALSE(loaders.loadit("{}", 0, root, "", true));
    EXPECT_TRUE(loaders.getStatus()); // the error state is left as it was

    const std::string unknown = "[vexl::CLoaders::loadit#82] Unknown encoding rule(-1)";
    for (const std::string &doc : {header(6), header(0x0E), header(4, 10)}) {
        EXPECT_FALSE(loaders.loading(doc, root, "", true));
        EXPECT_EQ(loaders.getLastErrCode(), -991);
        EXPECT_EQ(loaders.getLastErrMsg(), unknown);
        EXPECT_FALSE(loaders.getStatus());
    }
    // A successful load clears the error state.
    EXPECT_TRUE(loaders.loading(std::string("[1]\n"), root, "", true));
    EXPECT_TRUE(loaders.getStatus());
}

TEST(LoaderFramework, DocumentsOfOneToThreeBytesLoadAsText) {
    CLoaders loaders;
    CFields root;
    ASSERT_TRUE(loaders.loading(std::string("42"), root, "", true)) << loaders.getLastErrMsg();
    EXPECT_EQ(root.getDT(), vexl::DT_sint);
    EXPECT_EQ(root.asSint32(), 42);
    ASSERT_TRUE(loaders.loading(std::string("7\n"), root, "", true)) << loaders.getLastErrMsg();
    EXPECT_EQ(root.asSint32(), 7);
    ASSERT_TRUE(loaders.loading(std::string("\"\""), root, "", true)) << loaders.getLastErrMsg();
    EXPECT_EQ(root.getDT(), vexl::DT_codelist);
    EXPECT_EQ(root.getRawBytes(), 0u);
    ASSERT_TRUE(loaders.loading(std::string("{}"), root, "", true)) << loaders.getLastErrMsg();
    EXPECT_EQ(root.getDT(), vexl::DT_fields);
    EXPECT_EQ(root.getChildCount(), 0u);
    ASSERT_TRUE(loaders.loading(std::string("[]"), root, "", true)) << loaders.getLastErrMsg();
    EXPECT_EQ(root.getDT(), vexl::DT_array);
    EXPECT_EQ(root.getChildCount(), 0u);
    EXPECT_TRUE(loaders.getStatus());
    // A loaded empty container takes children like any other.
    root.addArrayAt(vexl::CFields(1));
    root.addArrayAt(vexl::CFields(2));
    EXPECT_EQ(root.getChildCount(), 2u);
    EXPECT_EQ(root[1].asSint32(), 2);

    // Short text that is not a document fails as the text loader says, not as an unknown rule.
    EXPECT_FALSE(loaders.loading(std::string("VEX"), root, "", true));
    EXPECT_EQ(loaders.getLastErrMsg().find("Unknown encoding rule"), std::string::npos);
    EXPECT_FALSE(loaders.getLastErrMsg().empty());
}

TEST(LoaderFramework, VexfWithTextRuleGoesToTheTextLoader) {
    CLoaders loaders;
    CFields root;
    EXPECT_FALSE(loaders.loading(header(0), root, "", true));
    EXPECT_EQ(loaders.getLastErrCode(), 0);
    EXPECT_EQ(loaders.getLastErrMsg(), "* Line 1, Column 1\n  Missing '}' or field member name\n");
    EXPECT_FALSE(loaders.loading(header(1), root, "", true));
    EXPECT_EQ(loaders.getLastErrMsg(), "* Line 1, Column 1\n  Missing '}' or field member name\n");
}

TEST(LoaderFramework, DispatcherCopiesALongMessageCutTo511) {
    // Twelve rejected expressions are listed before the error that ends the load.
    std::string doc = "{";
    for (int i = 0; i < 12; ++i)
        doc += "\"m" + std::to_string(i) + "\" = (XCF1) 1,\n";
    doc += "\"z\" = ]";
    CLoaders loaders;
    CFields root;
    EXPECT_FALSE(loaders.loading(doc, root, "", true));
    const std::string &inner = loaders.getSERLoader().getLastErrMsg();
    EXPECT_GT(inner.size(), 511u);
    EXPECT_EQ(loaders.getSERLoader().getLoadErrors().size(), 13u);
    EXPECT_EQ(loaders.getLastErrMsg(), inner.substr(0, 511));
    EXPECT_EQ(loaders.getLastErrCode(), 0);
    EXPECT_FALSE(loaders.getStatus());
}

TEST(LoaderFramework, CompletedParseWithErrorsIsTrueButNotClean) {
    CLoaders loaders;
    CFields root;
    EXPECT_TRUE(loaders.loading(std::string("{ \"a\" = (XCF1) 5 }"), root, "", true));
    EXPECT_TRUE(loaders.getStatus());
    EXPECT_FALSE(loaders.getSERLoader().getStatus());
    const auto errors = loaders.getSERLoader().getLoadErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].uiBegin, 8u);
    EXPECT_EQ(errors[0].uiEnd, 14u);
    EXPECT_EQ(errors[0].strMessage, "Mismatched syntax for packet E_PacketExpCode");
    EXPECT_EQ(root["a"].asSint32(), 5);
    EXPECT_TRUE(CFields::pkt_IsNullExp(root["a"].pkt_GetExp()));
}

TEST(LoaderFramework, StreamsStopAtByteFF) {
    std::istringstream in(std::string("[1, 2]\xFF garbage", 15));
    CFields root;
    CLoader4SER loader;
    EXPECT_TRUE(loader.loading(in, root, "", true));
    EXPECT_EQ(root.getChildCount(), 2u);
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, " garbage");

    std::istringstream again(std::string("{\"k\" = \"v\"}\xFF[1]", 15));
    CFields viaOperator;
    again >> viaOperator;
    EXPECT_EQ(viaOperator["k"].asString(), "v");
}

TEST(LoaderFramework, ExtractionThrowsWithTheMessage) {
    std::istringstream in("[1 2]");
    CFields root;
    testing::internal::CaptureStderr();
    try {
        in >> root;
        ADD_FAILURE() << "no exception";
    } catch (const vexl::CLogicError &e) {
        EXPECT_STREQ(
            e.what(),
            "[vexl::operator >>#117] * Line 1, Column 4\n  Missing ',' or ']' in array declaration\n");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[vexl::operator >>#116] * Line 1, Column 4\n  Missing ',' or ']' in array declaration\n");
}

TEST(LoaderFramework, ConfigurationAndCopies) {
    CLoaders loaders;
    EXPECT_EQ(loaders.getLCBC(), 48u);
    loaders.setLCBC(vexl::CLoaderConfig(0x3A));
    EXPECT_EQ(loaders.getLCBC(), 0x3Au);
    loaders.setLCBC(-1);
    EXPECT_EQ(loaders.getLCBC(), 0xFFFFFFFFu);
    loaders.setLCBC(0x31u);
    CLoaders copy(loaders);
    EXPECT_EQ(copy.getLCBC(), 0x31u);
    // The dispatcher's configuration reaches the text loader: bit 0x01 refuses a scalar root.
    CFields root;
    EXPECT_FALSE(copy.loading(std::string("\"s\" "), root, "", true));
    EXPECT_EQ(
        copy.getLastErrMsg(),
        "* Line 1, Column 1\n  A valid VEXL document must be either an DT_array or an DT_fields type.\n");
}

TEST(LoaderFramework, LineAndColumnCountEveryLineEnd) {
    // LF, CR LF and a lone CR each end one line.
    const auto r = vexl_test::loadText("[\n1,\r\n2,\r3,\n\r4 x]");
    ASSERT_FALSE(r.bResult);
    EXPECT_EQ(r.strMessage, "* Line 6, Column 3\n  Missing ',' or ']' in array declaration\n");
}

// Exposes the protected field stack helpers.
class CStackProbe : public CLoader4SER {
public:
    void start(const char *text, size_t size, CFields &root) {
        m_pTextBegin = text;
        m_pTextEnd = text + size;
        m_dqFieldStack.clear();
        m_dqFieldStack.push_back(&root);
    }
    void push(CFields *f) { m_dqFieldStack.push_back(f); }
    using ILoaderCommon::addChild2StackTop;
    using ILoaderCommon::getLastCommentField4Stack;
    using ILoaderCommon::getLastField4Stack;
    using ILoaderCommon::getLastThirdField4Stack;
    using ILoaderCommon::pushError;
    void setCommentField(CFields *f) { m_pLastCommentField = f; }
    CFields *commentField() const { return m_pLastCommentField; }
    bool allowPEI() const { return m_bAllowPEI; }
};

TEST(LoaderFramework, FieldStackHelpers) {
    CStackProbe probe;
    CFields root;
    probe.start("", 0, root);
    EXPECT_EQ(probe.getLastField4Stack(), &root);
    EXPECT_EQ(probe.getLastCommentField4Stack(), nullptr);

    CFields *first = probe.addChild2StackTop("a", 0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(probe.allowPEI());
    EXPECT_EQ(probe.getLastThirdField4Stack(), &root);   // the first child: its container
    EXPECT_EQ(probe.addChild2StackTop("a", 0), nullptr); // duplicate name refused

    probe.setCommentField(&root);
    CFields *second = probe.addChild2StackTop("b", 0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(probe.commentField(), root.begin()); // moved to the field before "b"
    EXPECT_EQ(probe.getLastThirdField4Stack(), root.begin());
    EXPECT_EQ(probe.getLastField4Stack(), root.begin() + 1);

    root.begin()->setComment("// c", vexl::CP_Behind);
    EXPECT_EQ(probe.getLastCommentField4Stack(), root.begin());
}

TEST(LoaderFramework, PushErrorNeedsARangeInsideTheText) {
    CStackProbe probe;
    CFields root;
    const char text[] = "0123456789";
    probe.start(text, 10, root);
    CFields f;
    f.setOffsetStart(2);
    f.setOffsetEnd(5);
    EXPECT_TRUE(probe.pushError(f, "inside"));
    CFields see;
    see.setOffsetStart(7);
    see.setOffsetEnd(8);
    EXPECT_TRUE(probe.pushError(f, "with see", see));
    for (auto [s, e] : {std::pair{-1, 3}, std::pair{4, 3}, std::pair{2, 11}}) {
        CFields bad;
        bad.setOffsetStart(s);
        bad.setOffsetEnd(e);
        EXPECT_FALSE(probe.pushError(bad, "outside"));
        EXPECT_FALSE(probe.pushError(f, "bad see", bad));
    }
    const auto errors = probe.getLoadErrors();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].uiBegin, 2u);
    EXPECT_EQ(errors[0].uiEnd, 5u);
    EXPECT_EQ(errors[1].strMessage, "with see");
    EXPECT_FALSE(probe.getStatus());
    probe.clearError();
    EXPECT_TRUE(probe.getStatus());
}

} // namespace
