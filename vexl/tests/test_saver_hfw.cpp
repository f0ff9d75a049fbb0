// The human-friendly writers (string and stream): the documented example, array layout rules,
// comments, SIS and SCBC effects, the stream writer's line breaks, and operator<<.

#include "test_saver_trees.h"
#include "vexl/savers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace vexl;
using saver_test::configTree;
using saver_test::fixedExp;
using saver_test::numberArray;

namespace {

std::string hfw(const CFields &root, unsigned char sis = SIS_DETAIL, unsigned int scbc = 0x05) {
    CSaver4SER_HFW s(2);
    s.setSCBC(scbc);
    std::string text = s.saving(root, sis, "");
    EXPECT_FALSE(s.isError()) << s.getLastErrMsg();
    return text;
}

std::string stream(const CFields &root, unsigned char sis = SIS_DETAIL, unsigned int scbc = 0x05) {
    CStreamSaver4SER_HFW s("  ");
    s.setSCBC(scbc);
    std::ostringstream out;
    s.saving(out, root, sis, "");
    EXPECT_FALSE(s.isError()) << s.getLastErrMsg();
    return out.str();
}

// A record { "v" = <arr> } written with SCBC 0x01 and no final line feed.
std::string member(const CFields &arr, unsigned char sis = SIS_DETAIL) {
    CFields root(DT_fields);
    CFields &v = root.addChildRef("v");
    v.setField(arr);
    v.setName("v");
    return hfw(root, sis, 0x01);
}

} // namespace

TEST(SaverHFW, DocumentedExampleByteForByte) {
    const std::string expected = "#7 \"config\" =\n"
                                 "{\n"
                                 "  // the port\n"
                                 "  \"port\" = (ACF4) 8080, // fixed width\n"
                                 "  \"hosts\" =[ \"a\", \"b\" ],\n"
                                 "  \"count\" = 3\n"
                                 "}\n"
                                 "/* end */\n"
                                 "\n";
    const CFields root = configTree();
    EXPECT_EQ(hfw(root), expected);
    EXPECT_EQ(stream(root), expected);
    CSavers savers(0x05);
    EXPECT_EQ(savers.saving(root, SER_HFW, SIS_DETAIL, ""), expected);
    std::ostringstream out;
    savers.saving(out, root, SER_HFW, SIS_DETAIL, "");
    EXPECT_EQ(out.str(), expected);
}

TEST(SaverHFW, WriterIsReusableAndKeepsNoState) {
    CSaver4SER_HFW s(2);
    s.setSCBC(0x05u);
    const std::string first = s.saving(configTree(), SIS_DETAIL, "");
    EXPECT_EQ(s.saving(configTree(), SIS_DETAIL, ""), first);
    EXPECT_EQ(s.saving(CFields(3u), SIS_DETAIL, ""), "3\n");
}

TEST(SaverHFW, EmptyContainersFollowTheEqualsSign) {
    CFields root(DT_fields);
    root.addChildRef("f").setValue(DT_fields);
    root.addChildRef("a").setValue(DT_array);
    EXPECT_EQ(hfw(root, SIS_DETAIL, 0), "{\n  \"f\" ={},\n  \"a\" =[]\n}");
}

TEST(SaverHFW, ShortArraysStayOnOneLine) {
    EXPECT_EQ(member(numberArray(3)), "{\n  \"v\" =[ 0, 1, 2 ]\n}");
    EXPECT_EQ(member(numberArray(3), SIS_DETAIL & ~SIS_SPACING), "{\n  \"v\"=[ 0,1,2 ]\n}");
    // 23 one-digit elements: width 2 x 23 + 2 + 23 = 71.
    CFields digits(DT_array);
    for (int i = 0; i < 23; ++i)
        digits.addArrayAt(CFields(7));
    EXPECT_EQ(member(digits).find('\n', 4), member(digits).rfind('\n'));
}

TEST(SaverHFW, TwentyFiveElementsAreAlwaysMultiLine) {
    // Null elements write no text, so only the element count decides.
    CFields nulls24(DT_array), nulls25(DT_array);
    nulls24.resizeArray(24);
    nulls25.resizeArray(25);
    std::string separators;
    for (int i = 0; i < 23; ++i)
        separators += ", ";
    EXPECT_EQ(member(nulls24), "{\n  \"v\" =[ " + separators + " ]\n}");
    const std::string many = member(nulls25);
    std::string lines;
    for (int i = 0; i < 24; ++i)
        lines += "    ,\n";
    EXPECT_EQ(many, "{\n  \"v\" =\n  [\n" + lines + "    \n  ]\n}");
}

TEST(SaverHFW, WidthLimitIsSeventyFour) {
    // Two strings: width 2 x 2 + 2 + (len + 2) + 2 = len + 10.
    CFields at73(DT_array), at74(DT_array);
    at73.addArrayAt(CFields(std::string(63, 'x')));
    at73.addArrayAt(CFields(""));
    at74.addArrayAt(CFields(std::string(64, 'x')));
    at74.addArrayAt(CFields(""));
    EXPECT_EQ(member(at73), "{\n  \"v\" =[ \"" + std::string(63, 'x') + "\", \"\" ]\n}");
    EXPECT_EQ(member(at74), "{\n  \"v\" =\n  [\n    \"" + std::string(64, 'x') + "\",\n    \"\"\n  ]\n}");
}

TEST(SaverHFW, CommentOrClearedBitMakesArraysMultiLine) {
    CFields arr = numberArray(2);
    const std::string multi = "{\n  \"v\" =\n  [\n    0,\n    1\n  ]\n}";
    CFields root(DT_fields);
    CFields &v = root.addChildRef("v");
    v.setField(arr);
    v.setName("v");
    EXPECT_EQ(hfw(root, SIS_DETAIL, 0), multi);
    arr[1].setComment("// one", CP_Behind);
    EXPECT_EQ(member(arr), "{\n  \"v\" =\n  [\n    0,\n    1 // one\n  ]\n}");
    // Comments not written (SIS without 0x20) still keep the array multi-line.
    EXPECT_EQ(member(arr, SIS_BASIC), multi);
}

TEST(SaverHFW, NestedArraysEachUseTheirOwnTexts) {
    // [[1,2],[3,4],{"a"=1}]: each inner array is measured on its own.
    CFields root(DT_array);
    CFields &a = root.addArrayAt(CFields(DT_array));
    a.addArrayAt(CFields(1));
    a.addArrayAt(CFields(2));
    CFields &b = root.addArrayAt(CFields(DT_array));
    b.addArrayAt(CFields(3));
    b.addArrayAt(CFields(4));
    root.addArrayAt(CFields(DT_fields)).addChildRef("a") = 1;
    const std::string expected = "[\n  [ 1, 2 ],\n  [ 3, 4 ],\n  {\n    \"a\" = 1\n  }\n]";
    EXPECT_EQ(hfw(root, SIS_DETAIL, 0x01), expected);
    EXPECT_EQ(stream(root, SIS_DETAIL, 0x01), expected);
    // An array measured as too wide is written from its measured texts, and the next array
    // starts from an empty list.
    CFields wide(DT_array);
    CFields &w = wide.addArrayAt(CFields(DT_array));
    w.addArrayAt(CFields(std::string(70, 'w')));
    w.addArrayAt(CFields(5));
    CFields &n = wide.addArrayAt(CFields(DT_array));
    n.addArrayAt(CFields(6));
    EXPECT_EQ(hfw(wide, SIS_DETAIL, 0x01),
              "[\n  [\n    \"" + std::string(70, 'w') + "\",\n    5\n  ],\n  [ 6 ]\n]");
}

TEST(SaverHFW, EmptyInformationWritesOnlyTheSkeleton) {
    CFields root(DT_fields);
    root.addChildRef("a") = 1;
    root.addChildRef("b") = 2;
    root.addChildRef("c") = 3;
    EXPECT_EQ(hfw(root, SIS_EMPTY, 0), "{\n  ,\n  ,\n  \n}");
}

TEST(SaverHFW, NullValuesAndFinalLineFeed) {
    CFields root(DT_fields);
    root.addChildRef("n");
    root.addChildRef("m", 4);
    EXPECT_EQ(hfw(root, SIS_BASIC, 0x00), "{\n  \"n\" =,\n  #4 \"m\" =\n}");
    EXPECT_EQ(hfw(root, SIS_BASIC, 0x02), "{\n  \"n\" = null,\n  #4 \"m\" = null\n}");
    EXPECT_EQ(hfw(root, SIS_BASIC, 0x06), "{\n  \"n\" = null,\n  #4 \"m\" = null\n}\n");
}

TEST(SaverHFW, ConfigPresetWritesNoIdsAndNoExpressions) {
    EXPECT_EQ(hfw(configTree(), SIS_CONFIG, 0x01), "\"config\" =\n"
                                                   "{\n"
                                                   "  // the port\n"
                                                   "  \"port\" = 8080, // fixed width\n"
                                                   "  \"hosts\" =[ \"a\", \"b\" ],\n"
                                                   "  \"count\" = 3\n"
                                                   "}\n"
                                                   "/* end */\n");
}

TEST(SaverHFW, MultiLineCommentsAreIndentedPerLine) {
    CFields root(DT_fields);
    CFields &inner = root.addChildRef("inner");
    CFields &x = inner.addChildRef("x");
    x = 1;
    // A line inside a block comment is its text, not a new comment: it is not indented.
    x.setComment("// one\n/* two\n/ 2b */// three", CP_Ahead);
    x.setComment("/* b */", CP_Behind);
    EXPECT_EQ(hfw(root, SIS_DETAIL, 0), "{\n"
                                        "  \"inner\" =\n"
                                        "  {\n"
                                        "    // one\n"
                                        "    /* two\n"
                                        "/ 2b */// three\n"
                                        "    \"x\" = 1 /* b */\n"
                                        "  }\n"
                                        "}");
}

TEST(SaverHFW, CommentBehindEndingInBlankDoesNotSwallowTheNextMember) {
    CFields root(DT_fields);
    root.addChildRef("a") = 1;
    root["a"].setComment("// a ", CP_Behind);
    root.addChildRef("b") = 2;
    EXPECT_EQ(hfw(root, SIS_DETAIL, 0), "{\n  \"a\" = 1, // a \n  \"b\" = 2\n}");
    EXPECT_EQ(stream(root, SIS_DETAIL, 0), "{\n  \"a\" = 1, // a \n  \"b\" = 2\n}");
}

TEST(SaverHFW, StreamWriterBreaksAfterIdPrefix) {
    CFields root(DT_fields);
    CFields &port = root.addChildRef("port", 5);
    port = 8080u;
    root.addChildRef("", 6, true) = 9;
    root.addChildRef("", 8, true).addChildRef("z") = 1;
    EXPECT_EQ(hfw(root, SIS_DETAIL, 0), "{\n"
                                        "  #5 \"port\" = 8080,\n"
                                        "  #6  9,\n"
                                        "  #8 {\n"
                                        "    \"z\" = 1\n"
                                        "  }\n"
                                        "}");
    EXPECT_EQ(stream(root, SIS_DETAIL, 0), "{\n"
                                           "  #5 \n"
                                           "  \"port\" = 8080,\n"
                                           "  #6 \n"
                                           "   9,\n"
                                           "  #8 \n"
                                           "  {\n"
                                           "    \"z\" = 1\n"
                                           "  }\n"
                                           "}");
}

TEST(SaverHFW, StreamWriterMatchesStringWriterOnLargeDocuments) {
    // Larger than one output block of the stream writer.
    CFields root(DT_fields);
    for (unsigned i = 0; i < 3000; ++i) {
        CFields &m = root.addChildRef(("member" + std::to_string(i)).c_str());
        m.addArrayAt(CFields(i));
        m.addArrayAt(CFields("text"));
        if (i % 7 == 0)
            m.setComment("// c", CP_Ahead);
    }
    EXPECT_EQ(stream(root, SIS_DETAIL, 0x05), hfw(root, SIS_DETAIL, 0x05));
    EXPECT_EQ(stream(root, SIS_CONFIG, 0x04), hfw(root, SIS_CONFIG, 0x04));
}

TEST(SaverHFW, StreamInsertionWritesTheDetailForm) {
    std::ostringstream out;
    out << configTree();
    EXPECT_EQ(out.str(), "#7 \"config\" =\n"
                         "{\n"
                         "  // the port\n"
                         "  \"port\" = (ACF4) 8080, // fixed width\n"
                         "  \"hosts\" =\n"
                         "  [\n"
                         "    \"a\",\n"
                         "    \"b\"\n"
                         "  ],\n"
                         "  \"count\" = 3\n"
                         "}\n"
                         "/* end */\n");
}

TEST(SaverHFW, StreamInsertionThrowsAfterPrintingAnError) {
    CFields root(DT_fields);
    root.addChildRef("bad") = 1;
    root["bad"].pkt_SetExp(fixedExp(2, 6)); // index 6 is an empty row of the keyword table
    std::ostringstream out;
    testing::internal::CaptureStderr();
    try {
        out << root;
        FAIL() << "no exception";
    } catch (const CLogicError &e) {
        EXPECT_EQ(std::string(e.what()), "[vexl::operator <<#131] saver: [vexl::ISaver::makePEI#88] '6' was "
                                         "invalid index of internal keyword");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[vexl::operator <<#130] saver: [vexl::ISaver::makePEI#88] '6' was invalid index of internal "
              "keyword\n");
}

TEST(SaverHFW, IndentationUnitsOfAnyText) {
    CFields root(DT_fields);
    root.addChildRef("a").addChildRef("b").addChildRef("c") = 1;
    CStreamSaver4SER_HFW tabs("\t");
    std::ostringstream out;
    tabs.saving(out, root, SIS_CONFIG, "");
    EXPECT_EQ(out.str(), "{\n\t\"a\" =\n\t{\n\t\t\"b\" =\n\t\t{\n\t\t\t\"c\" = 1\n\t\t}\n\t}\n}");
    CSaver4SER_HFW four(4), none(0);
    EXPECT_EQ(
        four.saving(root, SIS_CONFIG, ""),
        "{\n    \"a\" =\n    {\n        \"b\" =\n        {\n            \"c\" = 1\n        }\n    }\n}");
    EXPECT_EQ(none.saving(root, SIS_CONFIG, ""), "{\n\"a\" =\n{\n\"b\" =\n{\n\"c\" = 1\n}\n}\n}");
    // Deep nesting lengthens the indentation beyond any fixed buffer.
    CFields deep(DT_fields);
    CFields *cur = &deep;
    for (int i = 0; i < 40; ++i)
        cur = &cur->addChildRef("d");
    *cur = 5;
    const std::string text = four.saving(deep, SIS_CONFIG, "");
    EXPECT_NE(text.find(std::string(160, ' ') + "\"d\" = 5"), std::string::npos);
    EXPECT_FALSE(four.isError());
}
