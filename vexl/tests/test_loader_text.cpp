// Text loader: the configuration bits, comment placement, escapes, depth limit, number forms and
// failure states. Fixed documents with their trees live in tests/data/text.

#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "loader/number_decode.h"
#include "loader/ser_tokens.h"
#include "test_loader_support.h"

using vexl_test::expectFails;
using vexl_test::expectLoads;
using vexl_test::loadText;

namespace {

constexpr unsigned kDefault = vexl::LCBC_DEFAULT;

TEST(TextLoaderConfig, RootMustBeContainerUnderBit01) {
    expectLoads("\"just a string\"", "codelist = \"just a string\"\n", kDefault);
    expectFails(
        "\"just a string\"",
        "* Line 1, Column 1\n  A valid VEXL document must be either an DT_array or an DT_fields type.\n",
        kDefault | vexl::LCBC_ROOT_CONTAINER);
    expectLoads("[1]", "array\n  sint = 1\n", kDefault | vexl::LCBC_ROOT_CONTAINER);
}

TEST(TextLoaderConfig, NumbersAsNamesUnderBit02) {
    const unsigned lcbc = kDefault | vexl::LCBC_NUMERIC_NAME;
    expectLoads("{ 12 = \"a\", 1.5 = 2, -3 = 3 }",
                "fields\n  codelist \"12\" = \"a\"\n  sint \"1.5\" = 2\n  sint \"-3\" = 3\n", lcbc);
    expectLoads("#4 7 = true", "bool #4 \"7\" = true\n", lcbc);
    expectFails("{ 12 = \"a\" }", "* Line 1, Column 3\n  Missing '}' or field member name\n", kDefault);
}

TEST(TextLoaderConfig, PacketLengthAtLeastOneUnderBit04) {
    // (ACF0) is the all-zero record, the same as no expression.
    expectLoads("{\"a\" = (ACF0) 1}", "fields\n  sint \"a\" = 1\n", kDefault);
    const auto r = loadText("{\"a\" = (ACF0) 1}", kDefault | vexl::LCBC_PKT_LENGTH_MIN1);
    EXPECT_TRUE(r.bResult);
    EXPECT_FALSE(r.bStatus);
    ASSERT_EQ(r.vecErrors.size(), 1u);
    EXPECT_EQ(r.vecErrors[0].strMessage, "Packet length must bigger than 0");
    EXPECT_EQ(r.vecErrors[0].uiBegin, 7u);
    EXPECT_EQ(r.vecErrors[0].uiEnd, 13u);
}

TEST(TextLoaderConfig, UnicodeEscapesUnderBit08) {
    const unsigned utf8 = kDefault | vexl::LCBC_UNICODE_UTF8;
    expectLoads(R"(["\u0041", "\u00e9", "\u20AC", "\uD83D\uDE00", "\uDE00", "\uD800\u0041"])",
                "array\n  codelist = \"A\"\n  codelist = \"\\xC3\\xA9\"\n  codelist = \"\\xE2\\x82\\xAC\"\n"
                "  codelist = \"\\xF0\\x9F\\x98\\x80\"\n  codelist = \"\\xED\\xB8\\x80\"\n"
                "  codelist = \"\\xF0\\x90\\x81\\x81\"\n",
                utf8);
    expectLoads(R"(["\u0041"])", "array\n  codelist = \"\\x00A\"\n", kDefault);

    // Each escape message, located at the string with the reading position as see-also.
    const struct {
        const char *text;
        unsigned lcbc;
        const char *message;
        unsigned seeColumn;
    } cases[] = {
        {R"(["ab\x4"])", kDefault, "Bad hexa escape sequence in string : two digits expected.", 7},
        {R"(["ab\x4g"])", kDefault, "Bad hexa escape sequence in string", 8},
        {R"(["\u12"])", kDefault, "Bad unicode escape sequence in string : four digits expected.", 5},
        {R"(["\u12x4"])", kDefault, "Bad unicode escape sequence in string", 7},
        {R"(["\u12"])", utf8, "Bad unicode escape sequence in string: four digits expected.", 5},
        {R"(["\u12x4"])", utf8, "Bad unicode escape sequence in string: hexadecimal digit expected.", 7},
        {R"(["\uD83D\u12"])", utf8, "additional six characters expected to parse unicode surrogate pair.", 9},
        {R"(["\uD83Dxxxxxx"])", utf8,
         "expecting another \\u token to begin the second half of a unicode surrogate pair", 9},
        {R"(["\uD83D\uDEzz"])", utf8, "Bad unicode escape sequence in string: hexadecimal digit expected.",
         13},
        {"[\"a\\\x01\"]", kDefault, "Bad escape sequence in string", 5},
        {R"(["a\y"])", kDefault, "Bad escape sequence in string", 5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        expectFails(c.text,
                    std::string("* Line 1, Column 2\n  ") + c.message + "\nSee Line 1, Column " +
                        std::to_string(c.seeColumn) + " for detail.\n",
                    c.lcbc);
    }
}

TEST(TextLoaderConfig, CommentsAcceptedOnlyAtSomePlacesWithoutBit10) {
    const unsigned noComments = vexl::LCBC_MISSING_NULL;
    // Before a name or ID, after an ID and after a value they are always accepted (and not kept).
    expectLoads("{ /*c*/ #2 /*c*/ \"a\" = 1 /*c*/ , \"b\" = [ 1 /*c*/ ] }",
                "fields\n  sint #2 \"a\" = 1\n  array \"b\"\n    sint = 1\n", noComments);
    // Where a value starts they are a syntax error.
    expectFails("{ \"a\" = /*c*/ 1 }",
                "* Line 1, Column 9\n  Syntax error: value, field or array expected.\n", noComments);
    expectLoads("{ \"a\" = /*c*/ 1 }", "fields\n  sint \"a\" = 1 ahead=\"/*c*/\"\n", kDefault);
    // Collection needs both the bit and the argument.
    const auto r = loadText("// x\n{ \"a\" = 1 }", kDefault, false);
    EXPECT_TRUE(r.bResult);
    EXPECT_FALSE(r.tRoot.isComment());
}

TEST(TextLoaderConfig, MissingValuesUnderBit20) {
    expectLoads("[1,]", "array\n  sint = 1\n  null\n", kDefault);
    expectFails("[1,]", "* Line 1, Column 4\n  Syntax error: value, field or array expected.\n",
                vexl::LCBC_COMMENTS);
    expectFails("[,]", "* Line 1, Column 2\n  Syntax error: value, field or array expected.\n",
                vexl::LCBC_COMMENTS);
    expectFails("{,}", "* Line 1, Column 2\n  Syntax error: value, field or array expected.\n",
                vexl::LCBC_COMMENTS);
    // Empty brackets are an empty container, not a missing value, with or without the bit.
    for (unsigned l_uConfig : {kDefault, unsigned(vexl::LCBC_COMMENTS)}) {
        expectLoads("[ ]", "array\n", l_uConfig);
        expectLoads("{\n}", "fields\n", l_uConfig);
        expectLoads("[[],{}]", "array\n  array\n  fields\n", l_uConfig);
    }
    expectLoads("[,]", "array\n  null\n  null\n", kDefault);
    expectLoads("{,}", "fields\n  null\n  null\n", kDefault);
    // The missing value's range is the byte before the terminator and the terminator.
    const auto r = loadText("[ 1 , ]");
    ASSERT_TRUE(r.bResult);
    EXPECT_EQ(r.tRoot.getChildAt(1).getOffsetStart(), 5);
    EXPECT_EQ(r.tRoot.getChildAt(1).getOffsetEnd(), 6);
}

TEST(TextLoaderConfig, DuplicateNamesAndIdsUnderBit40) {
    const unsigned dup = kDefault | vexl::LCBC_DUPLICATE_NAMES;
    expectLoads("{ \"a\" = 1, \"a\" = 2 }", "fields\n  sint \"a\" = 1\n  sint \"a\" = 2\n", dup);
    expectLoads("{ #3 \"a\" = { #3 \"b\" = 1 } }", "fields\n  fields #3 \"a\"\n    sint #3 \"b\" = 1\n", dup);
    // Without it an ID anywhere below refuses the member.
    expectFails("{ #3 \"a\" = { #3 \"b\" = 1 } }",
                "* Line 1, Column 14\n  This field not allow the duplication or a error occured\n", kDefault);
}

TEST(TextLoaderConfig, DuplicatesAreCheckedPerContainerAcrossNesting) {
    // An ID below an earlier member refuses a later member of the same container...
    expectFails("{ #3 \"a\" = 1, \"b\" = { #4 \"c\" = 1 }, #4 \"d\" = 2 }",
                "* Line 1, Column 37\n  This field not allow the duplication or a error occured\n");
    // ...and so does a name, even when the earlier member is a container read in full.
    expectFails("{ \"a\" = { \"x\" = 1 }, \"a\" = 2 }",
                "* Line 1, Column 22\n  This field not allow the duplication or a error occured\n");
    // Containers at the same level, one after the other, do not see each other's members.
    expectLoads(
        "{ \"b\" = { #4 \"x\" = 1 }, \"e\" = { \"x\" = [ 1, { \"x\" = 2 } ] } }",
        "fields\n  fields \"b\"\n    sint #4 \"x\" = 1\n  fields \"e\"\n    array \"x\"\n      sint = 1\n"
        "      fields\n        sint \"x\" = 2\n");
}

TEST(TextLoaderConfig, LargeRecordsKeepTheirRules) {
    // Records past a few hundred members are handed to the tree whole, with the name index built
    // while checking duplicates; lookups, duplicates and later additions must all still hold.
    std::string text = "{";
    for (int i = 0; i < 2000; ++i)
        text += (i ? ", \"n" : " \"n") + std::to_string(i) + "\" = " + std::to_string(i);
    const auto r = loadText(text + " }");
    ASSERT_TRUE(r.bResult) << r.strMessage;
    ASSERT_EQ(r.tRoot.getChildCount(), 2000u);
    EXPECT_EQ(r.tRoot["n1500"].asSint64(), 1500);
    vexl::CFields copy = r.tRoot;
    EXPECT_EQ(copy.addChildPtr("n1999"), nullptr);
    ASSERT_NE(copy.addChildPtr("n2000"), nullptr);
    EXPECT_EQ(copy["n2000"].getDT(), vexl::DT_null);
    EXPECT_EQ(copy.getChildCount(), 2001u);

    const auto dup = loadText(text + ", \"n7\" = 1 }");
    EXPECT_FALSE(dup.bResult);
    const auto ids = loadText("{ #9 \"a\" = 1" + text.substr(1) + ", #9 \"z\" = 2 }");
    EXPECT_FALSE(ids.bResult);

    std::string array = "[0";
    for (int i = 1; i < 3000; ++i)
        array += "," + std::to_string(i);
    const auto a = loadText(array + "]");
    ASSERT_TRUE(a.bResult);
    ASSERT_EQ(a.tRoot.getChildCount(), 3000u);
    EXPECT_EQ(a.tRoot.getChildAt(2999).asSint64(), 2999);
}

TEST(TextLoaderConfig, FixAndValidMarkTheValueKind) {
    // A member's own expression decides; a member after one with "fix" starts plain.
    const auto r = loadText("{ \"a\" = (ANF2fix) 42, \"b\" = 7, \"c\" = (ANF2valid) 5 }");
    ASSERT_TRUE(r.bResult) << r.strMessage;
    EXPECT_EQ(r.tRoot.getChildAt(0).getVK(), vexl::VK_Fixed);
    EXPECT_EQ(r.tRoot.getChildAt(1).getVK(), vexl::VK_Actual);
    EXPECT_EQ(r.tRoot.getChildAt(2).getVK(), vexl::VK_Valid);
    // A scalar root keeps an expression it had before the load, and with it the rule.
    vexl::CFields root;
    vexl::tPacketExpInfo exp{};
    exp.setSKI(1);
    root.pkt_SetExp(exp);
    vexl::CLoader4SER loader(vexl::LCBC_DEFAULT & ~vexl::LCBC_ROOT_CONTAINER);
    ASSERT_TRUE(loader.loadit("42", 2, root, "", false));
    EXPECT_EQ(root.getVK(), root.pkt_GetExp().uSKI() == 1 ? vexl::VK_Fixed : vexl::VK_Actual);
}

TEST(TextLoaderConfig, LoadedTreesOutliveTheirThreadAndKeepLongNames) {
    // Long member names of a loaded tree are carved with its blocks; renaming, copying and
    // destroying them must work on any thread, also after the loading thread has ended.
    std::string text = "{";
    for (int i = 0; i < 400; ++i)
        text += (i ? ", \"a-rather-long-member-name-" : " \"a-rather-long-member-name-") + std::to_string(i) +
                "\" = { \"another-long-name\" = [ " + std::to_string(i) + " ] }";
    text += " }";
    std::vector<vexl::CFields> trees(4);
    {
        std::vector<std::thread> threads;
        for (vexl::CFields &tree : trees)
            threads.emplace_back([&text, &tree] {
                vexl::CLoader4SER loader;
                EXPECT_TRUE(loader.loadit(text.data(), unsigned(text.size()), tree, "", false));
            });
        for (std::thread &th : threads)
            th.join();
    }
    vexl::CFields copy = trees[0];
    ASSERT_EQ(copy.getChildCount(), 400u);
    EXPECT_EQ(std::string(copy.getChildAt(399).getName()), "a-rather-long-member-name-399");
    trees[1][7u].setName("renamed-member-with-a-long-name");
    EXPECT_EQ(std::string(trees[1].getChildAt(7).getName()), "renamed-member-with-a-long-name");
    EXPECT_EQ(trees[2]["a-rather-long-member-name-123"]["another-long-name"].getChildAt(0).asSint64(), 123);
    std::thread other([&trees] { trees[3] = vexl::CFields(); });
    trees[0] = vexl::CFields();
    other.join();
    EXPECT_EQ(std::string(copy.getChildAt(5).getChildAt(0).getName()), "another-long-name");
}

TEST(TextLoaderComments, BehindACloserAfterNestedMembers) {
    // The members of an inner container move into the tree when it closes; a comment on the
    // closer's line then belongs to the container itself, and the outer members keep theirs.
    expectLoads(
        "{ \"a\" = { \"x\" = 1, \"y\" = [ 2, 3 ] }, // of a\n  \"b\" = 2 // of b\n}",
        "fields\n  fields \"a\" behind=\"// of a\"\n    sint \"x\" = 1\n    array \"y\"\n      sint = 2\n"
        "      sint = 3\n  sint \"b\" = 2 behind=\"// of b\"\n");
}

TEST(TextLoaderComments, PlacementByLine) {
    // A comment right after "," on the value's line belongs to the member before; after a line
    // end it waits for the next field; with no field left it joins the root's tail.
    expectLoads("{ \"a\" = 1, // of a\n  \"b\" = 2\n  // before the brace\n}\n// real tail\n",
                "fields tail=\"// before the brace\\n// real tail\"\n  sint \"a\" = 1 behind=\"// of a\"\n"
                "  sint \"b\" = 2\n");
    // A block comment spanning lines after a value is kept for the next field.
    expectLoads("[ 1 /* a\n b */, 2 ]", "array\n  sint = 1\n  sint = 2 ahead=\"/* a\\n b */\"\n");
    // A later comment at the same position replaces an earlier one.
    expectLoads("[ 1 /* one */ /* two */ ]", "array\n  sint = 1 behind=\"/* two */\"\n");
}

TEST(TextLoaderComments, SameLineAfterOpenerBelongsToTheContainer) {
    expectLoads("{ \"a\" = 1, \"b\" = [ // of b\n 2 ] }",
                "fields\n  sint \"a\" = 1\n  array \"b\" behind=\"// of b\"\n    sint = 2\n");
    expectLoads("{ \"a\" = 1, \"b\" = { // of b\n \"c\" = 2 } }",
                "fields\n  sint \"a\" = 1\n  fields \"b\" behind=\"// of b\"\n    sint \"c\" = 2\n");
    // On a later line than the last value it goes ahead of the first member instead.
    expectLoads("{ \"a\" = 1,\n \"b\" = { // of c\n \"c\" = 2 } }",
                "fields\n  sint \"a\" = 1\n  fields \"b\"\n    sint \"c\" = 2 ahead=\"// of c\"\n");
}

TEST(TextLoaderComments, ManyCommentsAfterOneValueStayLinear) {
    std::string text = "[ 1";
    for (int i = 0; i < 20000; ++i)
        text += "\n// comment line\n";
    text += "]";
    const auto r = loadText(text);
    ASSERT_TRUE(r.bResult);
    ASSERT_EQ(r.tRoot.getChildCount(), 1u);
}

TEST(TextLoaderComments, RefusedMemberAfterGrowthKeepsTheCommentTargetValid) {
    // The ninth member makes the gathered members move, then is refused as a duplicate; the
    // comment on its line is read while the load unwinds and must land on a live member.
    std::string text = "{ \"r\" = {";
    for (int i = 1; i <= 8; ++i)
        text += " \"m" + std::to_string(i) + "\" = " + std::to_string(i) + ",";
    text += " \"m1\" = 9 // same line\n }, \"s\" = 1 }";
    const auto r = loadText(text);
    EXPECT_FALSE(r.bResult);
    EXPECT_NE(r.strMessage.find("This field not allow the duplication or a error occured"), std::string::npos)
        << r.strMessage;
}

TEST(TextLoaderDepth, NineHundredNinetyNineLevelsLoadAThousandThrow) {
    auto nested = [](int n) { return std::string(size_t(n), '[') + "1" + std::string(size_t(n), ']'); };
    auto r = loadText(nested(999));
    EXPECT_TRUE(r.bResult);
    vexl::CFields root;
    vexl::CLoader4SER loader;
    const std::string deep = nested(1000);
    try {
        loader.loadit(deep.data(), unsigned(deep.size()), root, "", true);
        ADD_FAILURE() << "no exception";
    } catch (const vexl::CLogicError &e) {
        EXPECT_STREQ(e.what(), "[vexl::CLoader4SER::loadFieldInfo#150] Exceeded s_cnStackDepthLimit");
    }
    EXPECT_EQ(root.getChildCount(), 0u);
    // The loader stays usable.
    EXPECT_TRUE(loader.loadit("[2]", 3, root, "", true));
    EXPECT_EQ(root.getChildCount(), 1u);
}

TEST(TextLoaderFailure, ContainerRootIsEmptiedScalarRootKeepsItsValue) {
    vexl::CFields root;
    root.setName("kept");
    vexl::CLoader4SER loader;
    const std::string bad = "{ \"a\" = 1, \"b\" = [ 1 2 ] }";
    EXPECT_FALSE(loader.loadit(bad.data(), unsigned(bad.size()), root, "", true));
    EXPECT_TRUE(root.isField());
    EXPECT_EQ(root.getChildCount(), 0u);
    EXPECT_EQ(root.getOffsetStart(), 0);
    EXPECT_EQ(root.getOffsetEnd(), 0);
    EXPECT_STREQ(root.getName(), "kept");
    EXPECT_EQ(loader.getLastErrCode(), 0);

    // A scalar root keeps what was stored before the error.
    const std::string scalar = "\"v\"";
    EXPECT_FALSE(vexl::CLoader4SER(vexl::LCBC_DEFAULT | vexl::LCBC_ROOT_CONTAINER)
                     .loadit(scalar.data(), 3, root, "", true));
    EXPECT_EQ(root.asString(), "v");
}

TEST(TextLoaderFailure, ReusedLoaderStartsClean) {
    vexl::CLoader4SER loader;
    vexl::CFields root;
    EXPECT_FALSE(loader.loadit("[1 2]", 5, root, "", true));
    EXPECT_FALSE(loader.getStatus());
    EXPECT_TRUE(loader.loadit("[1,2]", 5, root, "", true));
    EXPECT_TRUE(loader.getStatus());
    EXPECT_EQ(loader.getLastErrMsg(), "");
    EXPECT_EQ(root.getChildCount(), 2u);
}

TEST(TextLoaderOffsets, FieldsRecordTheirTextRanges) {
    const auto r = loadText("#1 { \"a\" = (ACF2) \"xy\", \"b\" = [ true ] }");
    ASSERT_TRUE(r.bResult);
    EXPECT_EQ(r.tRoot.getOffsetStart(), 3);
    EXPECT_EQ(r.tRoot.getOffsetEnd(), 40);
    EXPECT_EQ(r.tRoot.getChildAt(0).getOffsetStart(), 18); // the value replaces the expression's range
    EXPECT_EQ(r.tRoot.getChildAt(0).getOffsetEnd(), 22);
    EXPECT_EQ(r.tRoot.getChildAt(1).getOffsetStart(), 30);
    EXPECT_EQ(r.tRoot.getChildAt(1).getOffsetEnd(), 38);
    EXPECT_EQ(r.tRoot.getChildAt(1).getChildAt(0).getOffsetStart(), 32);
}

TEST(TextLoaderBounds, NoPrefixOfADocumentReadsPastItsEnd) {
    // Every prefix is loaded from a heap block of exactly its size (AddressSanitizer checks the
    // reads): strings, escapes, keywords, comments and expressions cut anywhere.
    const std::string doc =
        "#1 \"r\" = { \"s\" = \"a\\\"b\\x41\\u00e9\\uD83D\\uDE00\\\\\", \"t\" = true, \"f\" = false,"
        " \"n\" = null, \"x\" = (ACV2+1YYMMDD) -1.5e+3, /* c */ \"y\" = [ 1, 2 ] // e\n}";
    for (unsigned lcbc : {kDefault, kDefault | vexl::LCBC_UNICODE_UTF8})
        for (size_t n = 0; n <= doc.size(); ++n)
            (void)loadText(doc.substr(0, n), lcbc);
    EXPECT_TRUE(loadText(doc, kDefault | vexl::LCBC_UNICODE_UTF8).bResult);
}

// Members and elements whose values start plainly (scalars, "{", "[") are read by a shortcut; a comment
// before the value sends the same value through the general reading. Both must give the same tree, offsets,
// result and errors (located 4 columns later behind the comment).
TEST(TextLoaderPlainValues, ShortcutAndGeneralReadingAgree) {
    const std::vector<std::string> values = {"0",
                                             "-0",
                                             "-",
                                             "7",
                                             "2147483647",
                                             "2147483648",
                                             "-2147483648",
                                             "123456789012345678",
                                             "1234567890123456789",
                                             "-9223372036854775808",
                                             "-9223372036854775809",
                                             "18446744073709551616",
                                             "1.5",
                                             "-2.5E-3",
                                             "1.",
                                             "1e",
                                             "1e+",
                                             "1.5x",
                                             "-.5",
                                             "1e999",
                                             "0012",
                                             "\"\"",
                                             "\"ab\"",
                                             "\"a\\\"b\"",
                                             "\"a\\qb\"",
                                             "\"ab",
                                             "\"a\\",
                                             "true",
                                             "tru",
                                             "truex",
                                             "false",
                                             "fals",
                                             "null",
                                             "nul",
                                             "x",
                                             "",
                                             " 7 ",
                                             "\t\"s\"\n",
                                             "{}",
                                             "[]",
                                             "[1,2]",
                                             "(ACF2) \"xy\"",
                                             "#5",
                                             "\x01",
                                             "=1"};
    const std::vector<std::pair<std::string, std::string>> frames = {{"[", "]"},
                                                                     {"[", ",1]"},
                                                                     {"[1,", "]"},
                                                                     {"{\"k\"=", "}"},
                                                                     {"{\"k\"=", ",\"j\"=2}"},
                                                                     {"{#3 \"k\"=", "}"},
                                                                     {"[", " /*c*/ ]"},
                                                                     {"{\"k\"=", "//c\n}"},
                                                                     {"[", "1]"}};
    // Columns after the insertion point move by the comment's 4 bytes.
    auto unshift = [](const std::string &message, size_t column) {
        std::string out;
        size_t at = 0;
        for (size_t p; (p = message.find("Column ", at)) != std::string::npos;) {
            p += 7;
            size_t e = p;
            while (e < message.size() && std::isdigit(static_cast<unsigned char>(message[e])))
                ++e;
            const size_t c = std::stoul(message.substr(p, e - p));
            out += message.substr(at, p - at) + std::to_string(c > column + 4 ? c - 4 : c);
            at = e;
        }
        return out + message.substr(at);
    };
    for (const auto &[open, close] : frames)
        for (const std::string &v : values) {
            const std::string plain = open + v + close;
            const std::string general = open + "/**/" + v + close;
            SCOPED_TRACE(plain);
            const auto a = loadText(plain, kDefault, false);
            const auto b = loadText(general, kDefault, false);
            ASSERT_EQ(a.bResult, b.bResult);
            EXPECT_EQ(a.bStatus, b.bStatus);
            EXPECT_EQ(a.strMessage, unshift(b.strMessage, open.size()));
            EXPECT_EQ(vexl_test::dumpTree(a.tRoot), vexl_test::dumpTree(b.tRoot));
            if (!a.bResult || a.tRoot.getChildCount() != b.tRoot.getChildCount())
                continue;
            for (unsigned i = 0; i < a.tRoot.getChildCount(); ++i) {
                const vexl::CFields &x = a.tRoot.getChildAt(i), &y = b.tRoot.getChildAt(i);
                const int shift = y.getOffsetStart() > int(open.size()) ? 4 : 0;
                EXPECT_EQ(x.getOffsetStart(), y.getOffsetStart() - shift) << i;
                EXPECT_EQ(x.getOffsetEnd(), y.getOffsetEnd() - (y.getOffsetEnd() > int(open.size()) ? 4 : 0))
                    << i;
            }
            // Collecting comments takes the same shortcut; without comments the tree is the same.
            if (close.find('/') == std::string::npos) {
                EXPECT_EQ(vexl_test::dumpTree(loadText(plain, kDefault, true).tRoot),
                          vexl_test::dumpTree(a.tRoot));
            }
        }
}

TEST(TextLoaderPlainValues, NamesOfEveryShortLengthAreKeptExactly) {
    // Short names are copied into their holder in pieces that overlap; every length must come
    // out whole, with nothing of the neighbouring text.
    std::string text = "{";
    std::vector<std::string> names;
    for (size_t n = 1; n <= 20; ++n) {
        std::string name;
        for (size_t i = 0; i < n; ++i)
            name += char('a' + (i * 7 + n) % 26);
        names.push_back(name);
        text += (n > 1 ? ",\"" : "\"") + name + "\"=" + std::to_string(n);
    }
    const auto r = loadText(text + "}");
    ASSERT_TRUE(r.bResult) << r.strMessage;
    ASSERT_EQ(r.tRoot.getChildCount(), names.size());
    for (unsigned i = 0; i < names.size(); ++i) {
        EXPECT_EQ(std::string(r.tRoot.getChildAt(i).getName(), r.tRoot.getChildAt(i).getNameLen()), names[i]);
        EXPECT_EQ(std::strlen(r.tRoot.getChildAt(i).getName()), names[i].size());
    }
}

TEST(TextLoaderNumbers, FastConversionMatchesAtonInField) {
    // The loader converts well-formed numbers itself; results must equal atonInField's exactly
    // (type and bits) on random and edge-case tokens.
    std::vector<std::string> tokens = {"0",
                                       "-0",
                                       "1",
                                       "-1",
                                       "2147483647",
                                       "2147483648",
                                       "-2147483648",
                                       "9223372036854775807",
                                       "9223372036854775808",
                                       "-9223372036854775808",
                                       "-9223372036854775809",
                                       "18446744073709551615",
                                       "18446744073709551616",
                                       "0.1",
                                       "1e300",
                                       "1e-300",
                                       "4.9e-324",
                                       "2.2250738585072014e-308",
                                       "1.7976931348623157e308",
                                       "1e309",
                                       "-1e-400",
                                       "123.456e-7",
                                       "1E+2",
                                       "00012",
                                       "-",
                                       "1.",
                                       "1e",
                                       "1e+",
                                       "-.5",
                                       "1.5x",
                                       "0.30000000000000004"};
    std::mt19937_64 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        std::string t;
        if (rng() & 1)
            t += '-';
        t += std::to_string(rng() % 1000000000);
        if (rng() % 3)
            t += "." + std::to_string(rng());
        if (rng() % 3 == 0)
            t += std::string("e") + (rng() & 1 ? "-" : "+") + std::to_string(rng() % 330);
        tokens.push_back(t);
    }
    for (const std::string &t : tokens) {
        vexl::CFields ours, reference;
        vexl::detail::decodeNumberToken(t.data(), t.size(), ours);
        vexl::atonInField(t.data(), unsigned(t.size()), reference);
        ASSERT_EQ(ours.getDT(), reference.getDT()) << t;
        ASSERT_EQ(ours.getValueRef().m_ullValue, reference.getValueRef().m_ullValue) << t;
    }

    // A value's fraction and exponent are read by the conversion itself; the token it takes and
    // the value must be those of the whole number token, whatever follows it.
    tokens.insert(tokens.end(), {"1.5.3", "1e5e5", "1.e5", "1.5e", "1.5e+", "1.5e-x", "2.5E-3", "-1.0",
                                 "0.5+1", "7.25-2", "1e99999999999", std::string(400, '1') + ".5"});
    for (const std::string &t : tokens) {
        for (const char *after : {"]", " ]", ",0]", "\n]"}) {
            const std::string text = "[" + t + after;
            vexl::detail::CByteCursor cur(text.data() + 1, text.data() + text.size());
            const vexl::detail::tToken whole = vexl::detail::scanSerToken(cur);
            const auto r = loadText(text);
            // The text loads exactly when the grammar's token is the whole of `t`.
            ASSERT_EQ(r.bResult, whole.uLength == t.size()) << text;
            if (!r.bResult)
                continue;
            vexl::CFields reference;
            vexl::detail::decodeNumberToken(whole.pBegin, whole.uLength, reference);
            const vexl::CFields &loaded = r.tRoot.getChildAt(0);
            ASSERT_EQ(loaded.getDT(), reference.getDT()) << text;
            ASSERT_EQ(loaded.getValueRef().m_ullValue, reference.getValueRef().m_ullValue) << text;
            ASSERT_EQ(loaded.getOffsetEnd(), 1 + int(whole.uLength)) << text;
        }
    }
}

} // namespace

namespace {

std::string readCorpus(const std::string &name) {
    std::ifstream in(std::string(VEXL_SHARED_DIR) + "/corpus/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(TextLoaderCorpus, CompactAndIndentedFormsGiveTheSameTree) {
    const std::string compact = readCorpus("twitter.vexl");
    const std::string indented = readCorpus("twitter.hfw.vexl");
    ASSERT_FALSE(compact.empty());
    ASSERT_FALSE(indented.empty());
    const auto a = loadText(compact);
    const auto b = loadText(indented);
    ASSERT_TRUE(a.bResult) << a.strMessage;
    ASSERT_TRUE(b.bResult) << b.strMessage;
    EXPECT_TRUE(a.bStatus && b.bStatus);
    EXPECT_EQ(vexl_test::dumpTree(a.tRoot), vexl_test::dumpTree(b.tRoot));
    EXPECT_EQ(a.tRoot["statuses"].getChildCount(), 100u);
    for (const char *name : {"citm_catalog.vexl", "canada.vexl"}) {
        const auto r = loadText(readCorpus(name));
        EXPECT_TRUE(r.bResult && r.bStatus) << name << ": " << r.strMessage;
    }
}

} // namespace
