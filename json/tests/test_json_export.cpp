// Tree to JSON: the text of each value kind, escaping, pretty layout, and every node that JSON
// cannot hold, reported with its member path or left out on request.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "vexl/json.h"

namespace {

using vexl::CFields;
using vexl::json::tJsonError;
using vexl::json::tJsonWriteOptions;
using vexl::json::toJSON;

std::string write(const CFields &tree, const tJsonWriteOptions &options = {}) {
    std::string l_str;
    tJsonError l_e;
    EXPECT_TRUE(toJSON(tree, l_str, &l_e, options)) << l_e.sMessage << " at " << l_e.sPath;
    return l_str;
}

tJsonError refuse(const CFields &tree, const tJsonWriteOptions &options = {}) {
    std::string l_str = "untouched";
    tJsonError l_e;
    EXPECT_FALSE(toJSON(tree, l_str, &l_e, options));
    EXPECT_EQ(l_str, "untouched");
    EXPECT_FALSE(l_e.sMessage.empty());
    EXPECT_EQ(l_e.uOffset, 0u);
    return l_e;
}

TEST(JsonExportValues, EveryKindWritesItsJsonForm) {
    CFields t;
    t.addChildRef("n");
    t.addChildRef("t") = true;
    t.addChildRef("f") = false;
    t.addChildRef("i") = -42;
    t.addChildRef("min") = CFields::minSint64;
    t.addChildRef("u") = CFields::maxUint64;
    t.addChildRef("s") = "text";
    t.addChildRef("e") = std::string();
    t.addChildRef("a").setValue(vexl::DT_array);
    t.addChildRef("o").setValue(vexl::DT_fields);
    EXPECT_EQ(write(t), R"({"n":null,"t":true,"f":false,"i":-42,"min":-9223372036854775808,)"
                        R"("u":18446744073709551615,"s":"text","e":"","a":[],"o":{}})");
    EXPECT_EQ(write(CFields(vexl::DT_codelist)), "\"\"");
    EXPECT_EQ(write(CFields()), "null");
}

TEST(JsonExportValues, DoublesAreShortestAndStayDoubles) {
    auto one = [](double d) { return write(CFields(d)); };
    EXPECT_EQ(one(0.1), "0.1");
    EXPECT_EQ(one(1.0), "1.0");
    EXPECT_EQ(one(-0.0), "-0.0");
    EXPECT_EQ(one(1e22), "1e+22");
    EXPECT_EQ(one(1e-320), "1e-320");
    EXPECT_EQ(one(5e-324), "5e-324");
    EXPECT_EQ(one(1.7976931348623157e308), "1.7976931348623157e+308");
    EXPECT_EQ(one(123456789012345683968.0), "123456789012345683968.0");
    EXPECT_EQ(one(std::numeric_limits<double>::infinity()), "1e400");
    EXPECT_EQ(one(-std::numeric_limits<double>::infinity()), "-1e400");
    CFields t;
    t.addChildRef("x").addArrayAt(CFields(std::nan("")));
    EXPECT_EQ(refuse(t).sPath, "x[0]");
}

TEST(JsonExportStrings, EscapesAndUtf8Check) {
    EXPECT_EQ(write(CFields(std::string("\"\\/\b\f\n\r\t\x01\x1f\x7f", 11))),
              R"("\"\\/\b\f\n\r\t\u0001\u001f)"
              "\x7f\"");
    EXPECT_EQ(write(CFields(std::string("a\0b", 3))), R"("a\u0000b")");
    // Long runs go through the eight-byte path: specials at every position of a word.
    for (size_t at = 0; at < 17; ++at) {
        std::string s(17, 'x');
        s[at] = '"';
        std::string expected = "\"" + s + "\"";
        expected.insert(at + 1, "\\");
        EXPECT_EQ(write(CFields(s)), expected) << at;
    }
    EXPECT_EQ(write(CFields("é€😀 plain ascii tail")), "\"é€😀 plain ascii tail\"");
    // Every length, clean or with a special or a multi-byte character last, as values and as
    // names (short names are read from their holder as one word).
    for (size_t len = 1; len <= 24; ++len) {
        const std::string clean(len, 'k');
        std::string quoted = clean;
        quoted.back() = '"';
        std::string accented = clean.substr(1) + "\xC3\xA9";
        for (const std::string &text : {clean, quoted, accented}) {
            std::string escaped = text;
            if (text.back() == '"')
                escaped.insert(escaped.size() - 1, "\\");
            EXPECT_EQ(write(CFields(text)), '"' + escaped + '"') << len;
            CFields record;
            record.addChildRef(text.c_str()) = 1;
            EXPECT_EQ(write(record), "{\"" + escaped + "\":1}") << len;
        }
    }

    for (const char *bad : {"\xFF", "abcdefgh\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"}) {
        CFields t;
        t.addChildRef("list").addArrayAt(CFields("ok"));
        t["list"].addArrayAt(CFields(bad));
        const tJsonError e = refuse(t);
        EXPECT_EQ(e.sPath, "list[1]") << bad;
        EXPECT_NE(e.sMessage.find("UTF-8"), std::string::npos);
    }
    CFields named;
    named.addChildRef("a").addChildRef("\xFF") = 1;
    EXPECT_EQ(refuse(named).sPath, "a.\xFF");
}

TEST(JsonExportLayout, PrettyIndentsAndKeepsEmptyContainersShort) {
    CFields t;
    t.addChildRef("a") = 1;
    t.addChildRef("b").addArrayAt(CFields(true));
    t["b"].addArrayAt(CFields(vexl::DT_fields));
    t.addChildRef("c").setValue(vexl::DT_array);
    tJsonWriteOptions pretty;
    pretty.bPretty = true;
    EXPECT_EQ(write(t, pretty), "{\n  \"a\": 1,\n  \"b\": [\n    true,\n    {}\n  ],\n  \"c\": []\n}");
    pretty.uIndent = 0;
    EXPECT_EQ(write(t, pretty), "{\n\"a\": 1,\n\"b\": [\ntrue,\n{}\n],\n\"c\": []\n}");
}

TEST(JsonExportNames, TheGivenNodesOwnNameIsNotPartOfItsValue) {
    CFields t;
    t.setName("doc");
    t.addChildRef("server").addChildRef("port") = 80;
    EXPECT_EQ(write(t), R"({"server":{"port":80}})");
    EXPECT_EQ(write(t["server"]), R"({"port":80})");
}

TEST(JsonExportNames, UnnamedAndRepeatedMembers) {
    CFields t;
    t.addChildRef("a") = 1;
    t.child_AddRef(nullptr, 0, 0, true) = 2; // an unnamed member of a record
    t.child_AddRef("a", 1, 0, true) = 3;
    EXPECT_EQ(write(t), R"({"a":1,"":2,"a":3})");
}

TEST(JsonExportExtras, ReportedWithPathOrDroppedOnRequest) {
    auto tree = [] {
        CFields t;
        t.addChildRef("srv").addChildRef("hosts").addArrayAt(CFields("a"));
        t["srv"]["hosts"].addArrayAt(CFields("b"));
        return t;
    };
    tJsonWriteOptions drop;
    drop.bDropExtras = true;
    struct tCase {
        const char *szWhat;
        void (*fnAdd)(CFields &);
        const char *szPath;
    };
    const tCase cases[] = {
        {"ID", [](CFields &t) { t["srv"]["hosts"][1u].setID(7); }, "srv.hosts[1]"},
        {"comment", [](CFields &t) { t["srv"].setComment("// note", vexl::CP_Behind); }, "srv"},
        {"packet expression",
         [](CFields &t) {
             vexl::tPacketExpInfo exp{};
             exp.aucLength[0] = 4;
             t["srv"]["hosts"][0u].pkt_SetExp(exp);
         },
         "srv.hosts[0]"},
        {"fixed or valid", [](CFields &t) { t["srv"]["hosts"][0u].setVK(vexl::VK_Fixed); }, "srv.hosts[0]"},
        {"fixed or valid", [](CFields &t) { t["srv"]["hosts"][1u].setValue("x", vexl::VK_Valid); },
         "srv.hosts[1]"},
        {"ID", [](CFields &t) { t.setID(3); }, ""},
        {"array element", [](CFields &t) { t["srv"]["hosts"][1u].setName("x"); }, "srv.hosts[1]"},
    };
    const std::string plain = write(tree());
    for (const tCase &c : cases) {
        CFields t = tree();
        c.fnAdd(t);
        const tJsonError e = refuse(t);
        EXPECT_NE(e.sMessage.find(c.szWhat), std::string::npos) << e.sMessage;
        EXPECT_EQ(e.sPath, c.szPath) << c.szWhat;
        EXPECT_EQ(write(t, drop), plain) << c.szWhat;
    }
}

TEST(JsonExportLimits, DepthBeyondTheLimitIsRefused) {
    CFields deep;
    CFields *p = &deep;
    for (int i = 0; i < 999; ++i)
        p = &p->addArrayAt(CFields(vexl::DT_array));
    EXPECT_EQ(write(deep).size(), 2000u); // 1000 empty-nested arrays
    p->addArrayAt(CFields(1));
    const tJsonError e = refuse(deep);
    EXPECT_NE(e.sMessage.find("depth"), std::string::npos);
}

} // namespace
