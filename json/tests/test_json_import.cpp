// JSON to tree: the mapping of each JSON construct, and every kind of refused input with its
// location.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "vexl/json.h"

namespace {

using vexl::CFields;
using vexl::json::fromJSON;
using vexl::json::tJsonError;
using vexl::json::tJsonReadOptions;

CFields load(const std::string &text) {
    CFields l_t;
    tJsonError l_e;
    EXPECT_TRUE(fromJSON(text, l_t, &l_e)) << text << ": " << l_e.sMessage << " at " << l_e.uOffset;
    return l_t;
}

tJsonError refuse(const std::string &text, const tJsonReadOptions &options = {}) {
    CFields l_t("untouched");
    tJsonError l_e;
    EXPECT_FALSE(fromJSON(text, l_t, &l_e, options)) << text;
    EXPECT_EQ(l_t.asString(), "untouched") << text;
    EXPECT_FALSE(l_e.sMessage.empty()) << text;
    return l_e;
}

TEST(JsonImportMapping, ContainersKeepOrderAndEmptyOnesStayEmpty) {
    CFields t = load(R"({"b": [], "a": {}, "c": [1, [2, 3], {"x": null}]})");
    ASSERT_TRUE(t.isField());
    ASSERT_EQ(t.getChildCount(), 3u);
    EXPECT_STREQ(t[0u].getName(), "b");
    EXPECT_STREQ(t[1u].getName(), "a");
    EXPECT_TRUE(t["b"].isArray());
    EXPECT_EQ(t["b"].getChildCount(), 0u);
    EXPECT_TRUE(t["a"].isField());
    EXPECT_EQ(t["a"].getChildCount(), 0u);
    const CFields &c = t["c"];
    ASSERT_EQ(c.getChildCount(), 3u);
    EXPECT_EQ(c[1u].getChildCount(), 2u);
    EXPECT_EQ(c[1u][1u].asSint64(), 3);
    EXPECT_TRUE(c[2u]["x"].isNull());
    EXPECT_TRUE(c[2u].isValidChild("x"));

    EXPECT_TRUE(load("[]").isArray());
    EXPECT_EQ(load("[]").getChildCount(), 0u);
    EXPECT_TRUE(load(" {} ").isField());
}

TEST(JsonImportMapping, ScalarsAndTheirTypes) {
    CFields t = load(R"([true, false, null, "x", 0, -1, 2147483647, 2147483648, 9223372036854775807,
        9223372036854775808, 18446744073709551615, -9223372036854775808, 18446744073709551616,
        -9223372036854775809, 0.5, 1e2, -0, -0.0])");
    EXPECT_EQ(t[0u].getDT(), vexl::DT_bool);
    EXPECT_TRUE(t[0u].asBool());
    EXPECT_FALSE(t[1u].asBool());
    EXPECT_TRUE(t[2u].isNull());
    EXPECT_EQ(t[3u].asString(), "x");
    EXPECT_EQ(t[4u].getDT(), vexl::DT_sint);
    EXPECT_EQ(t[5u].getValueRef().m_llValue, -1);
    EXPECT_EQ(t[6u].getDT(), vexl::DT_sint);
    EXPECT_EQ(t[7u].getDT(), vexl::DT_uint);
    EXPECT_EQ(t[8u].getValueRef().m_ullValue, 9223372036854775807ull);
    EXPECT_EQ(t[9u].getDT(), vexl::DT_uint);
    EXPECT_EQ(t[9u].getValueRef().m_ullValue, 9223372036854775808ull);
    EXPECT_EQ(t[10u].getValueRef().m_ullValue, 18446744073709551615ull);
    EXPECT_EQ(t[11u].getDT(), vexl::DT_sint);
    EXPECT_EQ(t[11u].getValueRef().m_llValue, CFields::minSint64);
    EXPECT_EQ(t[12u].getDT(), vexl::DT_double);
    EXPECT_EQ(t[12u].asDouble(), 18446744073709551616.0);
    EXPECT_EQ(t[13u].getDT(), vexl::DT_double);
    EXPECT_EQ(t[14u].asDouble(), 0.5);
    EXPECT_EQ(t[15u].getDT(), vexl::DT_double);
    for (unsigned i : {16u, 17u}) {
        EXPECT_EQ(t[i].getDT(), vexl::DT_double) << i;
        EXPECT_TRUE(std::signbit(t[i].asDouble())) << i;
    }
}

TEST(JsonImportMapping, NumbersAtTheEdgesOfTheDoubleRange) {
    CFields t = load("[1E400, -1e999, 1e-320, 1e-400, -2e-400, 4.9e-324, 1.7976931348623157e308, 0e9999,"
                     "0.1, 123456789012345678901234567890]");
    EXPECT_TRUE(std::isinf(t[0u].asDouble()) && t[0u].asDouble() > 0);
    EXPECT_TRUE(std::isinf(t[1u].asDouble()) && t[1u].asDouble() < 0);
    EXPECT_EQ(t[2u].asDouble(), 1e-320);
    EXPECT_EQ(t[3u].asDouble(), 0.0);
    EXPECT_TRUE(std::signbit(t[4u].asDouble()));
    EXPECT_EQ(t[5u].asDouble(), 4.9e-324);
    EXPECT_EQ(t[6u].asDouble(), 1.7976931348623157e308);
    EXPECT_EQ(t[7u].asDouble(), 0.0);
    EXPECT_EQ(t[8u].asDouble(), 0.1);
    EXPECT_EQ(t[9u].asDouble(), 123456789012345678901234567890.0);
    // A big number as the root and inside a string-heavy neighbourhood.
    EXPECT_TRUE(std::isinf(load("1e400").asDouble()));
    CFields s = load(R"({"1e400": "1e400", "v": 1e400, "w": "x\"1e999"})");
    EXPECT_EQ(s["1e400"].asString(), "1e400");
    EXPECT_TRUE(std::isinf(s["v"].asDouble()));
    EXPECT_EQ(s["w"].asString(), "x\"1e999");
}

TEST(JsonImportMapping, EscapesAndUtf8) {
    CFields t = load(R"(["\"\\\/\b\f\n\r\t", "\u00e9\u20AC\ud83d\ude00", "a\u0000b", "é€😀"])");
    EXPECT_EQ(t[0u].asString(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(t[1u].asString(), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(t[2u].getRawBytes(), 3u);
    EXPECT_EQ(t[2u].asString(), std::string("a\0b", 3));
    EXPECT_EQ(t[3u].asString(), "é€😀");
}

TEST(JsonImportMapping, KeysEmptyDuplicateAndLong) {
    CFields t = load(R"({"": 1, "a": 2})");
    EXPECT_EQ(t.getChildCount(), 2u);
    EXPECT_EQ(t[0u].getNameLen(), 0u);
    EXPECT_EQ(t[0u].asSint64(), 1);

    const std::string l_strName(255, 'n');
    EXPECT_TRUE(load("{\"" + l_strName + "\": 1}").isValidChild(l_strName));
    tJsonError e = refuse("{\"a\": {\"" + l_strName + "x\": 1}}");
    EXPECT_EQ(e.sPath, "a." + l_strName + "x");

    e = refuse(R"({"a": 1, "b": {"c": 1, "c": 2}})");
    EXPECT_NE(e.sMessage.find("Duplicate"), std::string::npos);
    EXPECT_EQ(e.sPath, "b.c");
    EXPECT_EQ(e.uOffset, 26u); // just after the repeated key
    refuse(R"({"": 1, "": 2})");

    // Large objects are checked through the name index too.
    std::string l_strWide = "{";
    for (int i = 0; i < 100; ++i)
        l_strWide += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    refuse(l_strWide + "\"k7\":0}");
    EXPECT_EQ(load(l_strWide + "\"k100\":0}").getChildCount(), 101u);

    tJsonReadOptions keep;
    keep.bAllowDuplicateKeys = true;
    CFields d;
    ASSERT_TRUE(fromJSON(R"({"c": 1, "c": 2, "": 3, "": 4})", d, nullptr, keep));
    ASSERT_EQ(d.getChildCount(), 4u);
    EXPECT_EQ(d[1u].asSint64(), 2);
    EXPECT_STREQ(d[1u].getName(), "c");
}

TEST(JsonImportRefusal, SyntaxErrorsGiveOffsetLineAndColumn) {
    tJsonError e = refuse("{\n  \"a\": [1, 2,,]\n}");
    EXPECT_EQ(e.uLine, 2u);
    EXPECT_EQ(e.uColumn, 14u);
    EXPECT_EQ(e.uOffset, 15u); // the second comma
    EXPECT_TRUE(e.sPath.empty());

    for (const char *bad : {"",
                            " ",
                            "[1,]",
                            "{\"a\":1,}",
                            "[1 2]",
                            "{\"a\" 1}",
                            "{a:1}",
                            "[01]",
                            "[1.]",
                            "[.5]",
                            "[1e]",
                            "[-]",
                            "[+1]",
                            "[NaN]",
                            "[Infinity]",
                            "tru",
                            "nul",
                            "[\"a]",
                            "\"\\x\"",
                            "\"\\u12\"",
                            "[1] [2]",
                            "{} x",
                            "'a'",
                            "[\"\t\"]",
                            "// c\n[]",
                            "[\"\\ud800\"]",
                            "[\"\\ud800\\u0041\"]",
                            "[1e400,]"})
        refuse(bad);
}

TEST(JsonImportRefusal, BadBytesAreRefused) {
    // Raw malformed UTF-8, overlong forms, encoded surrogates, a lone low surrogate escape.
    for (const char *bad : {"[\"\xFF\"]", "[\"\xC0\xAF\"]", "[\"\xED\xA0\x80\"]", "[\"\\udc00\"]",
                            "[\"\xF4\x90\x80\x80\"]", "[\"\xE2\x82\"]", "{\"\xC3\":1}"})
        refuse(bad);
    tJsonError e = refuse("{\"a\": [\"ok\", \"\xFF\"]}");
    EXPECT_EQ(e.sPath, "a[1]");
    // A zero byte is never part of JSON text, not even after the value.
    e = refuse(std::string("[1]\0[2]", 7));
    EXPECT_EQ(e.uOffset, 3u);
    refuse(std::string("[\"a\0\"]", 6));
}

TEST(JsonImportRefusal, DepthLimitMatchesTheTextLoader) {
    auto nested = [](int n, const std::string &inner) {
        return std::string(size_t(n), '[') + inner + std::string(size_t(n), ']');
    };
    EXPECT_TRUE(load(nested(999, "1")).isArray());
    EXPECT_TRUE(load(nested(1000, "")).isArray());
    tJsonError e = refuse(nested(1000, "1"));
    EXPECT_NE(e.sMessage.find("depth"), std::string::npos);
    refuse(nested(5000, "1"));
    std::string l_strObjects;
    for (int i = 0; i < 999; ++i)
        l_strObjects += "{\"k\":";
    EXPECT_TRUE(load(l_strObjects + "1" + std::string(999, '}')).isField());
    refuse(l_strObjects + "{\"k\":1}" + std::string(999, '}'));

    tJsonReadOptions shallow;
    shallow.uMaxDepth = 2;
    CFields t;
    EXPECT_TRUE(fromJSON("[[1]]", t, nullptr, shallow));
    EXPECT_FALSE(fromJSON("[[[1]]]", t, nullptr, shallow));
    e = tJsonError{};
    EXPECT_FALSE(fromJSON(R"({"a": {"b": {"c": 1}}})", t, &e, shallow));
    EXPECT_EQ(e.sPath, "a.b.c");
}

TEST(JsonImportTarget, OutKeepsItsOwnNameAndIsUntouchedOnFailure) {
    CFields root;
    CFields &member = root.addChildRef("m");
    member = 5;
    ASSERT_TRUE(fromJSON(R"({"x": [1]})", member));
    EXPECT_STREQ(root[0u].getName(), "m");
    EXPECT_EQ(root["m"]["x"][0u].asSint64(), 1);

    CFields tree = load(R"({"keep": true})");
    EXPECT_FALSE(fromJSON(R"({"keep": false, "x": [1,}})", tree));
    EXPECT_TRUE(tree["keep"].asBool());
    EXPECT_EQ(tree.getChildCount(), 1u);
    // Without an error record the call still fails cleanly.
    EXPECT_FALSE(fromJSON("[", tree, nullptr));
}

} // namespace
