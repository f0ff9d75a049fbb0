// Round trips: JSON -> tree -> JSON gives the same JSON value (checked with an independent
// reference reader) for a corpus of edge cases and the three benchmark documents; tree -> JSON
// -> tree gives an equal tree; and the documents agree with their text-notation versions.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "json_reference.h"
#include "vexl/json.h"
#include "vexl/loaders.h"

namespace {

using vexl::CFields;
using vexl::json::fromJSON;
using vexl::json::tJsonError;
using vexl::json::tJsonWriteOptions;
using vexl::json::toJSON;

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Equal values (operator==) and, unlike it, equal member names throughout.
bool sameTree(const CFields &a, const CFields &b) {
    if (!(a == b) || a.getChildCount() != b.getChildCount())
        return false;
    for (unsigned i = 0; i < a.getChildCount(); ++i) {
        const CFields &x = a.getChildAt(i), &y = b.getChildAt(i);
        if (x.getNameLen() != y.getNameLen() || std::string(x.getName(), x.getNameLen()) != y.getName() ||
            !sameTree(x, y))
            return false;
    }
    return true;
}

// JSON -> tree -> JSON (compact and pretty) must give the same JSON value; the tree read back
// from the output must equal the first tree, and writing it again must give the same bytes.
void expectRoundTrip(const std::string &json) {
    SCOPED_TRACE(json.size() > 200 ? json.substr(0, 200) + "..." : json);
    CFields tree;
    tJsonError e;
    ASSERT_TRUE(fromJSON(json, tree, &e)) << e.sMessage << " at " << e.uOffset;
    const auto original = vexl_test::CRefReader(json).read();
    ASSERT_TRUE(original.has_value()) << "the reference reader refuses the input";
    for (bool pretty : {false, true}) {
        tJsonWriteOptions options;
        options.bPretty = pretty;
        std::string out;
        ASSERT_TRUE(toJSON(tree, out, &e, options)) << e.sMessage << " at " << e.sPath;
        const auto written = vexl_test::CRefReader(out).read();
        ASSERT_TRUE(written.has_value()) << "output is not JSON: " << out.substr(0, 200);
        std::string where;
        EXPECT_TRUE(vexl_test::refEqual(*original, *written, where)) << where;

        CFields again;
        ASSERT_TRUE(fromJSON(out, again, &e)) << e.sMessage;
        EXPECT_TRUE(sameTree(again, tree));
        std::string out2;
        ASSERT_TRUE(toJSON(again, out2, &e, options));
        EXPECT_EQ(out2, out);
    }
}

TEST(JsonRoundTrip, EdgeCaseCorpus) {
    const char *const corpus[] = {
        // scalars as the root
        "null",
        "true",
        "false",
        "0",
        "-1",
        "\"\"",
        "\"x\"",
        "1.5",
        " 7 ",
        // numbers
        "[-0, -0.0, 0.0, 1E400, -1E400, 1e-400, 9223372036854775808, -9223372036854775808,"
        " 9223372036854775807, 18446744073709551615, 18446744073709551616, 1e-320, 4.9e-324,"
        " 0.1, 0.3, 1e22, 1E+22, 2.2250738585072014e-308, 1.7976931348623157e308, 2147483647,"
        " 2147483648, -2147483649, 100000000000000000000000, 3.141592653589793, 5e-1, 1.0]",
        // strings: every escape, surrogate pairs, raw multibyte, zero bytes, long strings
        R"(["\"", "\\", "\/", "\b", "\f", "\n", "\r", "\t", "\u0000", "\u001F", "\u007f", "\u00e9"])",
        R"(["\ud83d\ude00", "\uD834\uDD1E", "\uFFFF", "\u0800", "\uE000", "\u10FF"])",
        "[\"é\", \"€\", \"😀\", \"\xF4\x8F\xBF\xBF\", \"mixed ascii and é€😀 and \\n escapes, 0123456789\"]",
        // containers
        "[]",
        "{}",
        "[[]]",
        "[{}]",
        "{\"a\":[]}",
        "{\"a\":{}}",
        "[[], {}, [[]], {\"\": {}}]",
        R"({"a": 1, "b": [true, false, null], "c": {"d": {"e": [1, [2, [3, [4]]]]}}})",
        R"({"": 0, "x": {"": [""]}})",
        R"({"k1":1,"k2":2,"k3":3,"k4":4,"k5":5,"k6":6,"k7":7,"k8":8,"k9":9,"k10":10,"k11":11,"k12":12,"k13":13})",
        // white space of every kind
        " \t\r\n[ 1 ,\n\t2 ]\r\n ",
    };
    for (const char *json : corpus)
        expectRoundTrip(json);
}

TEST(JsonRoundTrip, DeepNestingUpToTheLimit) {
    expectRoundTrip(std::string(999, '[') + "1" + std::string(999, ']'));
    expectRoundTrip(std::string(1000, '[') + std::string(1000, ']'));
    std::string objects;
    for (int i = 0; i < 998; ++i)
        objects += "{\"k\":";
    expectRoundTrip(objects + "[1]" + std::string(998, '}'));
}

TEST(JsonRoundTrip, LongStringsAndWideContainers) {
    std::string s = "[\"";
    for (int i = 0; i < 5000; ++i)
        s += i % 97 == 0 ? "\\n\\u0001\\\"é" : "abcdefg";
    expectRoundTrip(s + "\"]");
    std::string wide = "{";
    for (int i = 0; i < 3000; ++i)
        wide += (i ? ",\"m" : "\"m") + std::to_string(i) + "\":[" + std::to_string(i) + ",{}]";
    expectRoundTrip(wide + "}");
}

class JsonCorpusDocument : public ::testing::TestWithParam<const char *> {};

TEST_P(JsonCorpusDocument, RoundTripsExactly) {
    const std::string json = readFile(std::string(VEXL_SHARED_DIR) + "/corpus/" + GetParam() + ".json");
    ASSERT_FALSE(json.empty()) << "corpus not found under " << VEXL_SHARED_DIR;
    expectRoundTrip(json);
}

// The JSON document and its text-notation version give the same tree.
TEST_P(JsonCorpusDocument, AgreesWithTheTextNotationVersion) {
    const std::string dir = std::string(VEXL_SHARED_DIR) + "/corpus/";
    const std::string json = readFile(dir + GetParam() + ".json");
    const std::string text = readFile(dir + GetParam() + ".vexl");
    ASSERT_FALSE(json.empty());
    ASSERT_FALSE(text.empty());
    CFields fromJson, fromText;
    ASSERT_TRUE(fromJSON(json, fromJson));
    vexl::CLoader4SER loader;
    ASSERT_TRUE(loader.loadit(text.data(), unsigned(text.size()), fromText, "", false));

    // Empty containers ("[]", "{}") load empty from both notations.
    EXPECT_TRUE(sameTree(fromJson, fromText));
}

INSTANTIATE_TEST_SUITE_P(Corpus, JsonCorpusDocument, ::testing::Values("twitter", "citm_catalog", "canada"));

} // namespace
