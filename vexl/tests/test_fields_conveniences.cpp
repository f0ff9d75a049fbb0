// Paths, at(), getOrCreate(), typed reads with fallbacks, records and arrays from initializer
// lists, and the std::string_view overloads beside the character-pointer ones.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "test_fields_support.h"
#include "vexl/fields.h"

using namespace vexl;
using vexl_test::raisesLogic;

namespace {

// {name: "vexl", server: {port: 8080, hosts: ["a", "b"]}, "a.b[c]": 1}, with ID 7 on the
// server and ID 9 on its second host.
CFields sampleConfig() {
    CFields l_cfg =
        CFields::record({{"name", "vexl"},
                         {"server", CFields::record({{"port", 8080}, {"hosts", CFields::array({"a", "b"})}})},
                         {"a.b[c]", 1}});
    l_cfg["server"].setID(7);
    l_cfg["server"]["hosts"][1].setID(9);
    return l_cfg;
}

// The message of the CPathError that at(path) raises, or "" when it raises nothing.
std::string atMessage(const CFields &node, std::string_view path, std::string *missing = nullptr) {
    try {
        node.at(path);
    } catch (const CPathError &e) {
        EXPECT_EQ(e.getPath(), path);
        if (missing != nullptr)
            *missing = e.getMissing();
        return e.what();
    }
    return std::string();
}

} // namespace

// MARK: - Paths

TEST(FieldsPaths, FindPathWalksNamesIndexesAndIDs) {
    CFields l_cfg = sampleConfig();
    ASSERT_NE(l_cfg.findPath("server.port"), nullptr);
    EXPECT_EQ(l_cfg.findPath("server.port")->asSint32(), 8080);
    EXPECT_EQ(l_cfg.findPath("server.hosts[1]")->asString(), "b");
    EXPECT_EQ(l_cfg.findPath("server.hosts.[0]")->asString(), "a");
    EXPECT_EQ(l_cfg.findPath("[1][1][0]")->asString(), "a"); // indexes into records too
    EXPECT_EQ(l_cfg.findPath("#7.port")->asSint32(), 8080);
    EXPECT_EQ(l_cfg.findPath("#9")->asString(), "b");
    EXPECT_EQ(l_cfg.findPath("server#9"), &l_cfg["server"]["hosts"][1]);
    EXPECT_EQ(l_cfg.findPath("server#7"), &l_cfg["server"]); // the start node itself counts
    EXPECT_EQ(l_cfg.findPath(""), &l_cfg);

    EXPECT_EQ(l_cfg.findPath("server.hosts[2]"), nullptr);
    EXPECT_EQ(l_cfg.findPath("server.hosts[99999999999999999999]"), nullptr);
    EXPECT_EQ(l_cfg.findPath("server.Port"), nullptr);
    EXPECT_EQ(l_cfg.findPath("name.x"), nullptr);         // a code list has no members
    EXPECT_EQ(l_cfg.findPath("name[0]"), nullptr);        // nor elements
    EXPECT_EQ(l_cfg.findPath("server.hosts#7"), nullptr); // IDs are searched below only
    EXPECT_EQ(l_cfg.findPath("#4294967296"), nullptr);

    // The writable form hands out the node itself.
    *l_cfg.findPath("server.port") = 9090;
    EXPECT_EQ(l_cfg["server"]["port"].asSint32(), 9090);
}

TEST(FieldsPaths, EscapedNamesAndMalformedPaths) {
    CFields l_cfg = sampleConfig();
    EXPECT_EQ(l_cfg.findPath(R"(a\.b\[c\])")->asSint32(), 1);
    EXPECT_EQ(l_cfg.findPath(R"(\n\ame)")->asString(), "vexl"); // "\" before any byte is that byte
    l_cfg.getOrCreate("x#y\\z") = 2;
    EXPECT_EQ(l_cfg.findPath(R"(x\#y\\z)")->asSint32(), 2);
    EXPECT_EQ(l_cfg.findPath("a.b[c]"), nullptr); // unescaped: a member "a" first

    for (const char *l_sz :
         {".name", "name.", "server..port", "server.hosts[]", "server.hosts[x]", "server.hosts[0",
          "server.hosts[0]x", "#", "#0", "#7x", "#7.port]", "name\\", "na]me", "server.hosts[-1]"})
        EXPECT_EQ(l_cfg.findPath(l_sz), nullptr) << l_sz;

    // A name of 256 bytes matches nothing, not its first 255 bytes.
    std::string l_strLong(255, 'n');
    l_cfg.getOrCreate(l_strLong) = 3;
    EXPECT_EQ(l_cfg.findPath(l_strLong)->asSint32(), 3);
    EXPECT_EQ(l_cfg.findPath(l_strLong + "n"), nullptr);
}

TEST(FieldsPaths, AtRaisesNamingThePathAndTheMissingStep) {
    CFields l_cfg = sampleConfig();
    EXPECT_EQ(l_cfg.at("server.hosts[0]").asString(), "a");
    l_cfg.at("server.port") = 1;
    EXPECT_EQ(l_cfg["server"]["port"].asSint32(), 1);

    std::string l_strMissing;
    EXPECT_EQ(atMessage(l_cfg, "server.timeout.ms", &l_strMissing),
              R"(path "server.timeout.ms": no member "timeout" under "server")");
    EXPECT_EQ(l_strMissing, "timeout");
    EXPECT_EQ(atMessage(l_cfg, "server.hosts[5]", &l_strMissing),
              R"(path "server.hosts[5]": no element [5] (2 children) under "server.hosts")");
    EXPECT_EQ(l_strMissing, "[5]");
    EXPECT_EQ(atMessage(l_cfg, "name.first"),
              R"(path "name.first": no member "first" (not a record: codelist) under "name")");
    EXPECT_EQ(atMessage(l_cfg, "#3"), R"(path "#3": no node with ID 3)");
    EXPECT_EQ(atMessage(l_cfg, "typo..x", &l_strMissing), R"(path "typo..x": malformed at offset 4)");
    EXPECT_EQ(l_strMissing, "typo..x");

    // Catchable as the standard exception, like std::map::at; a const tree raises the same.
    const CFields &l_const = l_cfg;
    EXPECT_THROW(l_const.at("nothing"), std::out_of_range);
    EXPECT_THROW(CFields().at("a"), CPathError);
}

// MARK: - Members created on first use

TEST(FieldsGetOrCreate, CreatesOnceAndRefusesNonRecords) {
    CFields l_cfg;
    l_cfg.setName("cfg");
    l_cfg["timeout"] = 5; // a lookup that finds nothing writes into a throwaway node
    EXPECT_TRUE(l_cfg.isNull());

    l_cfg.getOrCreate("timeout") = 5;
    EXPECT_EQ(l_cfg.getDT(), DT_fields);
    EXPECT_STREQ(l_cfg.getName(), "cfg");
    l_cfg.getOrCreate("retries") = 3;
    EXPECT_EQ(&l_cfg.getOrCreate("timeout"), &l_cfg[0u]);
    EXPECT_EQ(l_cfg.getChildCount(), 2u);
    EXPECT_EQ(l_cfg["timeout"].asSint32(), 5);

    const char *const l_szFn = "vexl::CFields::getOrCreate";
    CFields l_array = CFields::array({1});
    EXPECT_TRUE(raisesLogic([&] { l_array.getOrCreate("a"); }, l_szFn, "requires DT_fields"));
    EXPECT_EQ(l_array.getChildCount(), 1u);
    CFields l_number(4);
    EXPECT_TRUE(raisesLogic([&] { l_number.getOrCreate("a"); }, l_szFn, "requires DT_fields"));
    EXPECT_TRUE(raisesLogic([&] { l_cfg.getOrCreate(""); }, l_szFn, "name length out of range(0)"));
    EXPECT_TRUE(raisesLogic([&] { l_cfg.getOrCreate(std::string(256, 'x')); }, l_szFn,
                            "name length out of range(256)"));
    EXPECT_EQ(l_cfg.getChildCount(), 2u);
}

// MARK: - Typed reads

TEST(FieldsTypedAccess, GetConvertsAsTheAsCallsAndRaisesOnFailure) {
    CFields l_cfg = sampleConfig();
    const CFields &l_port = l_cfg["server"]["port"];
    EXPECT_EQ(l_port.get<int>(), 8080);
    EXPECT_EQ(l_port.get<uint16_t>(), 8080u);
    EXPECT_EQ(l_port.get<long>(), 8080L);
    EXPECT_EQ(l_port.get<unsigned long long>(), 8080ull);
    EXPECT_EQ(l_port.get<double>(), 8080.0);
    EXPECT_EQ(l_port.get<float>(), 8080.0f);
    EXPECT_TRUE(l_port.get<bool>());
    EXPECT_EQ(l_port.get<std::string>(), "8080");
    EXPECT_EQ(l_cfg["name"].get<std::string>(), "vexl");
    EXPECT_EQ(CFields().get<int>(), 0); // null reads as zero, as asSint32 reads it

    // Narrow integers refuse what does not fit instead of wrapping.
    EXPECT_TRUE(raisesLogic([&] { (void)l_port.get<int8_t>(); }, "vexl::CFields::get",
                            "Value out of range for a 1-byte integer"));
    EXPECT_TRUE(raisesLogic([&] { (void)CFields(-1).get<uint16_t>(); }, "vexl::CFields::asUint32",
                            "LSint out of Uint32 range"));
    EXPECT_EQ(CFields(-128).get<int8_t>(), -128);
    EXPECT_TRUE(raisesLogic([&] { (void)CFields(-129).get<int8_t>(); }, "vexl::CFields::get",
                            "Value out of range for a 1-byte integer"));
    EXPECT_EQ(CFields(65535u).get<uint16_t>(), 65535u);
    EXPECT_TRUE(raisesLogic([&] { (void)CFields(-1).get<unsigned>(); }, "vexl::CFields::asUint32",
                            "LSint out of Uint32 range"));
    EXPECT_TRUE(raisesLogic([&] { (void)l_cfg["name"].get<int>(); }, "vexl::CFields::asSint32",
                            "Value is not convertible to Sint32."));
    EXPECT_THROW((void)l_cfg["server"].get<std::string>(), CLogicError);
}

TEST(FieldsTypedAccess, TryGetAndValueOrNeverRaise) {
    CFields l_cfg = sampleConfig();
    EXPECT_EQ(l_cfg["server"]["port"].tryGet<int>(), std::optional<int>(8080));
    EXPECT_EQ(l_cfg["server"]["port"].tryGet<int8_t>(), std::nullopt);
    EXPECT_EQ(l_cfg["name"].tryGet<int>(), std::nullopt);
    EXPECT_EQ(l_cfg["server"].tryGet<std::string>(), std::nullopt);
    EXPECT_EQ(l_cfg["missing"].tryGet<int>(), std::nullopt); // null: no value, not 0
    EXPECT_EQ(l_cfg["missing"].tryGet<std::string>(), std::nullopt);
    EXPECT_EQ(CFields(false).tryGet<bool>(), std::optional<bool>(false));

    EXPECT_EQ(l_cfg["timeout"].value_or(30), 30);
    EXPECT_EQ(l_cfg["server"]["port"].value_or(1), 8080);
    EXPECT_EQ(l_cfg["name"].value_or(1.5), 1.5);
    EXPECT_EQ(l_cfg["name"].value_or("none"), "vexl");
    EXPECT_EQ(l_cfg["server"]["port"].value_or("none"), "8080"); // as asString writes numbers
    EXPECT_EQ(l_cfg["missing"].value_or("none"), "none");
    EXPECT_EQ(l_cfg["server"].value_or(std::string("none")), "none");

    EXPECT_EQ(l_cfg.value_or("server.port", 1), 8080);
    EXPECT_EQ(l_cfg.value_or("server.hosts[1]", "z"), "b");
    EXPECT_EQ(l_cfg.value_or("server.hosts[2]", "z"), "z");
    EXPECT_EQ(l_cfg.value_or("server..port", 7u), 7u);
    static_assert(std::is_same_v<decltype(l_cfg.value_or("x")), std::string>);
    static_assert(std::is_same_v<decltype(l_cfg.value_or("p", "x")), std::string>);
    static_assert(std::is_same_v<decltype(l_cfg.value_or(0)), int>);
    static_assert(noexcept(l_cfg.value_or("p", 0)));
}

// MARK: - Construction from lists

TEST(FieldsConstruction, RecordsAndArraysFromInitializerLists) {
    auto l_cfg = CFields::record({{"name", "vexl"}, {"port", 8080}, {"hosts", CFields::array({"a", "b"})}});
    ASSERT_EQ(l_cfg.getDT(), DT_fields);
    ASSERT_EQ(l_cfg.getChildCount(), 3u);
    EXPECT_STREQ(l_cfg[0u].getName(), "name");
    EXPECT_EQ(l_cfg[0u].getDT(), DT_codelist);
    EXPECT_EQ(l_cfg["port"].getDT(), DT_sint);
    EXPECT_EQ(l_cfg["hosts"].getDT(), DT_array);
    EXPECT_EQ(l_cfg["hosts"][1].asString(), "b");
    EXPECT_EQ(l_cfg["hosts"][0].getNameLen(), 0u);

    // A repeated name keeps its place and takes the later value; values keep their IDs and
    // comments but take the given name.
    CFields l_tagged(true);
    l_tagged.setName("other");
    l_tagged.setID(5);
    l_tagged.setComment("// on", CP_Behind);
    auto l_dup = CFields::record({{"a", 1}, {"b", 2}, {"a", l_tagged}});
    ASSERT_EQ(l_dup.getChildCount(), 2u);
    EXPECT_STREQ(l_dup[0u].getName(), "a");
    EXPECT_TRUE(l_dup[0u].asBool());
    EXPECT_EQ(l_dup[0u].getID(), 5u);
    EXPECT_EQ(l_dup[0u].getCommentCopy(CP_Behind), "// on");
    EXPECT_EQ(l_dup.findID(5), &l_dup[0u]);

    EXPECT_EQ(CFields::array({}).getDT(), DT_array);
    EXPECT_EQ(CFields::array({}).getChildCount(), 0u);
    EXPECT_EQ(CFields::record({}).getDT(), DT_fields);
    auto l_mixed = CFields::array({1, -2, 2.5, true, "x", CFields(), CFields::array({})});
    EXPECT_EQ(l_mixed.getChildCount(), 7u);
    EXPECT_EQ(l_mixed[1].asSint32(), -2);
    EXPECT_EQ(l_mixed[5].getDT(), DT_null);
    EXPECT_EQ(l_mixed[6].getDT(), DT_array);

    EXPECT_TRUE(raisesLogic(
        [] {
            (void)CFields::record({{"", 1}});
        },
        "vexl::CFields::record", "name length out of range(0)"));
}

// MARK: - std::string_view overloads

TEST(FieldsStringViews, ViewsNeedNoTerminatingZero) {
    // Every view below is a slice of a longer text, so reading up to a zero byte would overrun
    // the view and find other names.
    const std::string l_strText = "portable|hosts";
    const std::string_view l_svPort = std::string_view(l_strText).substr(0, 4); // "port"
    const std::string_view l_svHosts = std::string_view(l_strText).substr(9);   // "hosts"

    CFields l_root;
    l_root.addChildRef(l_svPort) = 1;
    EXPECT_STREQ(l_root[0u].getName(), "port");
    EXPECT_EQ(l_root.addChildPtr(l_svPort), nullptr);
    EXPECT_NE(l_root.addChildPtr(l_svPort, 0, true), nullptr);
    EXPECT_EQ(l_root.getChildCount(), 2u);
    EXPECT_TRUE(l_root.isValidChild(l_svPort));
    EXPECT_FALSE(l_root.isValidChild(std::string_view(l_strText).substr(0, 3)));
    EXPECT_EQ(l_root.findChildAt(l_svPort), &l_root[0u]);
    EXPECT_EQ(l_root[l_svPort].asSint32(), 1);
    EXPECT_EQ(std::as_const(l_root)[l_svPort].asSint32(), 1);
    EXPECT_EQ(l_root.copyChildAt(l_svPort, CFields(9)).asSint32(), 1);
    EXPECT_EQ(l_root.copyChildAt(l_svHosts, CFields(9)).asSint32(), 9);
    EXPECT_TRUE(l_root.removeChildAt(l_svPort));
    EXPECT_EQ(l_root.getChildCount(), 1u);

    CFields l_leaf;
    EXPECT_TRUE(l_leaf.setName(l_svHosts));
    EXPECT_STREQ(l_leaf.getName(), "hosts");
    EXPECT_FALSE(l_leaf.setName(std::string_view()));
    EXPECT_FALSE(l_leaf.setName(std::string(256, 'x')));
    EXPECT_STREQ(l_leaf.getName(), "hosts");

    // Text values keep exactly the view's bytes, zero bytes included.
    const std::string_view l_svBytes("a\0b", 3);
    l_leaf = l_svBytes;
    EXPECT_EQ(l_leaf.getRawBytes(), 3u);
    EXPECT_EQ(l_leaf.asString(), std::string(l_svBytes));
    l_leaf.setValue(l_svPort, VK_Fixed);
    EXPECT_EQ(l_leaf.asString(VK_Fixed), "port");
    EXPECT_EQ(CFields(l_svHosts).asString(), "hosts");
    EXPECT_EQ(CFields(std::string_view()).getDT(), DT_codelist);
    l_leaf.setComment(std::string_view("// c|rest").substr(0, 4), CP_Ahead);
    EXPECT_EQ(l_leaf.getCommentCopy(CP_Ahead), "// c");
}

namespace {

// The calls users write with literals, std::string, character pointers and borrowed text must
// compile as before (no ambiguity with the view overloads).
template <class N>
concept NameArgument = requires(CFields &f, const CFields &c, N n, CFields *out) {
    f[n];
    c[n];
    f.setName(n);
    f.addChildRef(n);
    f.addChildPtr(n);
    f.addChildRef(n, 1u, true);
    c.isValidChild(n);
    c.copyChildAt(n, CFields::null);
    f.removeChildAt(n);
    f.removeChildAt(n, out);
};
template <class T>
concept TextArgument = requires(CFields &f, T t) {
    f = t;
    f.setValue(t);
    f.setValue(t, VK_Fixed);
    CFields(t);
    CFields::array({t, t});
    CFields::record({{"a", t}});
};

static_assert(NameArgument<const char *>);
static_assert(NameArgument<const char (&)[4]>);
static_assert(NameArgument<const std::string &>);
static_assert(NameArgument<std::string &>);
static_assert(NameArgument<std::string_view>);
static_assert(TextArgument<const char *>);
static_assert(TextArgument<const char (&)[4]>);
static_assert(TextArgument<const std::string &>);
static_assert(TextArgument<std::string_view>);
static_assert(TextArgument<const CStaticString &>);
static_assert(requires(CFields & f) {
    f[0];
    f[0u];
    f.removeChildAt(0);
    f.isValidChild(0);
    f.setValue(1);
    f.setValue(true);
    f = 0;
    f = 2.5;
    f.setName("a", 1u);
    f.setComment("// x", CP_Ahead);
    f.setComment(std::string("// x"), CP_Ahead);
});

} // namespace

TEST(FieldsStringViews, CharacterPointersAndBorrowedTextKeepTheirOverloads) {
    // A CStaticString still borrows and a character pointer still copies; a literal index 0
    // is still an index, not a null name.
    static const char s_szText[] = "borrowed";
    CFields l_node;
    l_node = CStaticString(s_szText);
    const char *l_p = nullptr;
    ASSERT_EQ(l_node.getCodePoint(&l_p), 8u);
    EXPECT_EQ(l_p, s_szText);
    l_node = s_szText;
    ASSERT_EQ(l_node.getCodePoint(&l_p), 8u);
    EXPECT_NE(l_p, s_szText);

    CFields l_array = CFields::array({"x"});
    EXPECT_EQ(l_array[0].asString(), "x");
    EXPECT_TRUE(raisesLogic([&] { l_array[-1]; }, "vexl::CFields::operator []", "index cannot be negative"));
}
