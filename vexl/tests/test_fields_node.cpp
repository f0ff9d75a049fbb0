// The node: construction, names and their duplication policies, comments, IDs, whole-field copy,
// assignment, move and swap, and the shared null nodes.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "test_fields_support.h"
#include "vexl/fields.h"

using namespace vexl;
using vexl_test::raisesLogic;

namespace {

const char *const s_szSetValue = "vexl::CFields::setValue";

// A node with every part set: value with a fixed second value, name, ID, comments, packet
// expression, offsets and user pointer.
CFields makeRichNode(const char *name, unsigned id, long long value) {
    CFields l_node(value);
    l_node.setValue(value + 1, VK_Fixed);
    l_node.setVK(VK_Fixed);
    l_node.setName(name);
    l_node.setID(id);
    l_node.setComment("// ahead", CP_Ahead);
    l_node.setComment("/* behind */", CP_Behind);
    tPacketExpInfo l_pei{};
    l_pei.setLengthCode(LEC_FIXED);
    l_pei.setLength(8);
    l_node.pkt_SetExp(l_pei);
    l_node.setOffsetStart(3);
    l_node.setOffsetEnd(9);
    l_node.pkt_SetOSA4User(&s_szSetValue);
    return l_node;
}

void expectRichNode(const CFields &node, const char *name, unsigned id, long long value) {
    EXPECT_STREQ(node.getName(), name);
    EXPECT_EQ(node.getID(), id);
    EXPECT_EQ(node.getDT(), DT_sint);
    EXPECT_EQ(node.asSint64(), value);
    EXPECT_EQ(node.getVK(), VK_Fixed);
    EXPECT_EQ(node.asSint64(VK_Fixed), value + 1);
    EXPECT_STREQ(node.getCommentPtr(CP_Ahead), "// ahead");
    EXPECT_STREQ(node.getCommentPtr(CP_Behind), "/* behind */");
    EXPECT_EQ(node.pkt_GetExp().uLength(), 8u);
    EXPECT_EQ(node.getOffsetStart(), 3);
    EXPECT_EQ(node.getOffsetEnd(), 9);
    EXPECT_EQ(node.pkt_GetOSA4User(), &s_szSetValue);
}

} // namespace

TEST(FieldsNode, DefaultIsAnEmptyNullNode) {
    CFields l_node;
    EXPECT_EQ(l_node.getDT(), DT_null);
    EXPECT_EQ(l_node.getVK(), VK_Actual);
    EXPECT_EQ(l_node.getID(), 0u);
    EXPECT_STREQ(l_node.getName(), "");
    EXPECT_EQ(l_node.getNameLen(), 0u);
    EXPECT_FALSE(l_node.isComment());
    EXPECT_TRUE(CFields::pkt_IsNullExp(l_node.pkt_GetExp()));
    EXPECT_TRUE(!l_node);
}

TEST(FieldsNode, ConstructorsPickTheDataType) {
    EXPECT_EQ(CFields(-1).getDT(), DT_sint);
    EXPECT_EQ(CFields(-1).asSint64(), -1);
    EXPECT_EQ(CFields(4294967295u).getDT(), DT_uint);
    EXPECT_EQ(CFields(4294967295u).asUint64(), 4294967295ull);
    EXPECT_EQ(CFields(true).getDT(), DT_bool);
    EXPECT_EQ(CFields(2.5).getDT(), DT_double);
    EXPECT_EQ(CFields(int64_t(-7)).asSint64(), -7);   // long on this platform
    EXPECT_EQ(CFields(uint64_t(7)).getDT(), DT_uint); // unsigned long
    EXPECT_EQ(CFields(DT_fields).getChildCount(), 0u);
    EXPECT_TRUE(CFields(DT_array).isArray());
    EXPECT_TRUE(raisesLogic([] { CFields l_bad(E_DataType(8)); }, s_szSetValue, "Unknown data type(8)"));
}

TEST(FieldsNode, CodeListConstructorsOwnOrBorrow) {
    const char l_acBytes[5] = {'a', 'b', '\0', 'c', 'd'};
    CFields l_counted(l_acBytes, 5);
    EXPECT_EQ(l_counted.getRawBytes(), 5u);
    EXPECT_EQ(l_counted.asString(), std::string(l_acBytes, 5));

    static const char s_szBorrowed[] = "static text";
    CFields l_borrowed{CStaticString(s_szBorrowed)};
    EXPECT_EQ(l_borrowed.getValuePtr(), static_cast<const void *>(s_szBorrowed));
    CFields l_copy(l_borrowed); // a borrowed list stays borrowed: the pointer is shared
    EXPECT_EQ(l_copy.getValuePtr(), static_cast<const void *>(s_szBorrowed));

    CFields l_owned(std::string("xyz"));
    CFields l_ownedCopy(l_owned);
    EXPECT_NE(l_ownedCopy.getValuePtr(), l_owned.getValuePtr());
    EXPECT_EQ(l_ownedCopy.asString(), "xyz");

    EXPECT_TRUE(raisesLogic([] { CFields l_bad(static_cast<const char *>(nullptr)); }, s_szSetValue,
                            "Value paramter has NULL pointer"));
}

TEST(FieldsNode, NameLimitsAndPolicies) {
    CFields l_node;
    EXPECT_TRUE(l_node.setName("old"));
    std::string l_s255(255, 'n'), l_s256(256, 'n');
    EXPECT_FALSE(l_node.setName(l_s256.c_str()));
    EXPECT_STREQ(l_node.getName(), "old");
    EXPECT_FALSE(l_node.setName("", 0));
    EXPECT_FALSE(l_node.setName(static_cast<const char *>(nullptr)));
    EXPECT_TRUE(l_node.setName(l_s255.c_str()));
    EXPECT_EQ(l_node.getNameLen(), 255u);
    EXPECT_EQ(l_node.getNameHolder().getDP(), DP_Duplicate);

    // Setting a node's name from its own name text.
    EXPECT_TRUE(l_node.setName(l_node.getName() + 200, 55));
    EXPECT_EQ(std::string(l_node.getName()), std::string(55, 'n'));
    EXPECT_TRUE(l_node.setName("short"));
    EXPECT_TRUE(l_node.setName(l_node.getName() + 1, 3));
    EXPECT_STREQ(l_node.getName(), "hor");
}

TEST(FieldsNode, CopyKeepsStaticNamesAndDuplicatesBorrowedOnes) {
    static const char s_szStatic[] = "static-name";
    CFields l_static;
    l_static.setName(s_szStatic, 11, DP_Static);
    CFields l_staticCopy(l_static);
    EXPECT_EQ(l_staticCopy.getName(), s_szStatic);
    EXPECT_EQ(l_staticCopy.getNameHolder().getDP(), DP_Static);
    EXPECT_TRUE(l_staticCopy.getNameHolder().isStaticString());

    char l_acBorrowed[] = "a borrowed member name";
    CFields l_borrowed;
    l_borrowed.setName(l_acBorrowed, unsigned(std::strlen(l_acBorrowed)), DP_Borrowed);
    EXPECT_EQ(l_borrowed.getName(), l_acBorrowed);
    CFields l_borrowedCopy(l_borrowed);
    EXPECT_NE(l_borrowedCopy.getName(), l_acBorrowed);
    EXPECT_EQ(l_borrowedCopy.getNameHolder().getDP(), DP_Duplicate);
    l_acBorrowed[0] = 'A'; // the copy owns its bytes
    EXPECT_STREQ(l_borrowedCopy.getName(), "a borrowed member name");

    // Assignment (non-bare source) and setField follow the same rules.
    CFields l_target;
    l_target.setField(l_static);
    EXPECT_EQ(l_target.getName(), s_szStatic);
    l_target = l_borrowed;
    EXPECT_EQ(l_target.getNameHolder().getDP(), DP_Duplicate);
    EXPECT_STREQ(l_target.getName(), "A borrowed member name");
}

TEST(FieldsNode, MoveCarriesTheWholeNode) {
    for (const char *l_name : {"x", "a name longer than the inline store"}) {
        CFields l_src = makeRichNode(l_name, 7, 40);
        CFields l_moved(std::move(l_src));
        expectRichNode(l_moved, l_name, 7, 40);
        // The source is an empty null node: it keeps no fixed value of a type it no longer has.
        EXPECT_EQ(l_src.getDT(), DT_null);
        EXPECT_EQ(l_src.getDT(VK_Fixed), DT_null);
        EXPECT_EQ(l_src.getVK(), VK_Actual);
        EXPECT_EQ(l_src.getNameLen(), 0u);
        EXPECT_EQ(l_src.getID(), 0u);
        EXPECT_FALSE(l_src.isComment());
    }
}

TEST(FieldsNode, CopyAndSetFieldCopyEverythingButAZeroID) {
    CFields l_src = makeRichNode("member", 7, 5);
    CFields l_copy(l_src);
    expectRichNode(l_copy, "member", 7, 5);

    CFields l_target = makeRichNode("target", 9, 1);
    CFields l_noId = makeRichNode("source", 0, 3);
    EXPECT_TRUE(l_target.setField(l_noId));
    EXPECT_EQ(l_target.getID(), 9u); // a source without ID keeps the target's
    EXPECT_STREQ(l_target.getName(), "source");
    EXPECT_EQ(l_target.asSint64(VK_Fixed), 4);

    // A source without comments destroys the target's comments.
    CFields l_plain(1);
    l_plain.setName("p");
    l_target.setField(l_plain);
    EXPECT_FALSE(l_target.isComment());
}

TEST(FieldsNode, SetFieldFromItselfOrADescendant) {
    CFields l_root = makeRichNode("root", 1, 2);
    EXPECT_TRUE(l_root.setField(l_root));
    expectRichNode(l_root, "root", 1, 2);

    CFields l_tree;
    l_tree.setName("tree");
    l_tree.addChildRef("a").addChildRef("b") = "deep";
    l_tree["a"].addChildRef("c") = 3;
    EXPECT_TRUE(l_tree.setField(l_tree["a"]));
    EXPECT_STREQ(l_tree.getName(), "a");
    EXPECT_EQ(l_tree.getChildCount(), 2u);
    EXPECT_EQ(l_tree["b"].asString(), "deep");
    EXPECT_EQ(l_tree["c"].asSint32(), 3);

    CFields l_values(DT_fields);
    l_values.addChildRef("k") = "text";
    EXPECT_TRUE(l_values.setValue(l_values["k"]));
    EXPECT_EQ(l_values.asString(), "text");
}

TEST(FieldsNode, AssigningABareValueKeepsNameIDAndComments) {
    CFields l_node = makeRichNode("named", 7, 1);
    l_node = CFields(5);
    EXPECT_STREQ(l_node.getName(), "named");
    EXPECT_EQ(l_node.getID(), 7u);
    EXPECT_EQ(l_node.asSint64(), 5);
    EXPECT_TRUE(l_node.isComment());
    EXPECT_EQ(l_node.pkt_GetExp().uLength(), 8u);
    EXPECT_EQ(l_node.getVK(), VK_Actual);

    // A source with a name is no bare value: the whole field is assigned.
    CFields l_named(6);
    l_named.setName("other");
    l_node = l_named;
    EXPECT_STREQ(l_node.getName(), "other");
    EXPECT_EQ(l_node.getID(), 7u); // its ID is 0, so the target's stays
    EXPECT_FALSE(l_node.isComment());
}

TEST(FieldsNode, SwapValueAndSwapField) {
    CFields l_a = makeRichNode("a", 1, 10);
    CFields l_b("text");
    l_b.setName("b");
    l_b.setID(2);
    l_a.swapValue(l_b, false);
    EXPECT_EQ(l_a.asString(), "text");
    EXPECT_EQ(l_b.asSint64(), 10);
    EXPECT_STREQ(l_a.getName(), "a");
    EXPECT_EQ(l_a.pkt_GetExp().uLength(), 8u); // without the flag the expressions stay
    EXPECT_EQ(l_a.pkt_GetOSA4User(), &s_szSetValue);

    l_a.swapValue(l_b, true); // the other user pointer is null: both keep theirs
    EXPECT_EQ(l_a.asSint64(), 10);
    EXPECT_TRUE(CFields::pkt_IsNullExp(l_a.pkt_GetExp()));
    EXPECT_EQ(l_b.pkt_GetExp().uLength(), 8u);
    EXPECT_EQ(l_a.pkt_GetOSA4User(), &s_szSetValue);
    EXPECT_EQ(l_b.pkt_GetOSA4User(), nullptr);

    CFields l_c = makeRichNode("c", 3, 30);
    CFields l_d(4);
    l_c.swapField(l_d, true); // l_d has no ID and no name: l_c keeps both
    EXPECT_EQ(l_c.getID(), 3u);
    EXPECT_STREQ(l_c.getName(), "c");
    EXPECT_EQ(l_c.asSint64(), 4);
    EXPECT_FALSE(l_c.isComment());
    EXPECT_TRUE(l_d.isComment());
    EXPECT_EQ(l_d.getOffsetEnd(), 9);

    CFields l_e = makeRichNode("e", 5, 50);
    l_d.setName("d");
    l_d.setID(6);
    l_e.swapField(l_d, false);
    EXPECT_STREQ(l_e.getName(), "d");
    EXPECT_STREQ(l_d.getName(), "e");
    EXPECT_EQ(l_e.getID(), 6u);
    EXPECT_EQ(l_d.getID(), 5u);
}

TEST(FieldsNode, Comments) {
    CFields l_node;
    EXPECT_TRUE(raisesLogic([&] { l_node.setComment("x", CP_Ahead); }, "vexl::CHeapString::setComment",
                            "Comments must start with /"));
    EXPECT_TRUE(raisesLogic([&] { l_node.setComment(static_cast<const char *>(nullptr), CP_Ahead); }, "",
                            "mismatched condition"));
    EXPECT_FALSE(l_node.isComment());
    l_node.setComment("// line\n", CP_Ahead);
    EXPECT_EQ(l_node.getCommentCopy(CP_Ahead), "// line");
    EXPECT_EQ(l_node.getCommentLen(CP_Ahead), 7u);
    EXPECT_FALSE(l_node.hasComment(CP_Tail));
    l_node.setComment("", CP_Tail);
    EXPECT_TRUE(l_node.hasComment(CP_Tail)); // an empty text counts
    EXPECT_EQ(l_node.getCommentPtr(CP_Behind), nullptr);
    l_node.setComment(l_node.getCommentPtr(CP_Ahead) + 1, CP_Ahead); // from its own text
    EXPECT_EQ(l_node.getCommentCopy(CP_Ahead), "/ line");
}

TEST(FieldsNode, IDLimit) {
    CFields l_node;
    EXPECT_TRUE(l_node.setID(2147483647u));
    EXPECT_FALSE(l_node.setID(2147483648u));
    EXPECT_EQ(l_node.getID(), 2147483647u);
    EXPECT_TRUE(l_node.setID(0));
    EXPECT_EQ(l_node.getID(), 0u);
}

TEST(FieldsNode, FreeNullIsResetAndPerThread) {
    CFields l_root(DT_fields);
    CFields &l_missing = l_root["missing"];
    EXPECT_EQ(&l_missing, &CFields::freeNull);
    l_missing.addChildRef("_unicode_") = "written into the shared node";
    l_missing.setName("stale");
    CFields &l_again = l_root["also-missing"];
    EXPECT_TRUE(l_again.isNull());
    EXPECT_EQ(l_again.getNameLen(), 0u);
    EXPECT_EQ(l_again.getChildCount(), 0u);

    const CFields &l_const = static_cast<const CFields &>(l_root)["missing"];
    EXPECT_EQ(&l_const, &CFields::nullRef);
    EXPECT_EQ(&CFields::nullRef, &CFields::null);

    const CFields *l_pMain = &CFields::freeNull;
    const CFields *l_pOther = nullptr;
    std::thread([&] { l_pOther = &CFields::freeNull; }).join();
    EXPECT_NE(l_pMain, l_pOther);
}

TEST(FieldsNode, CompactLayout) {
    EXPECT_EQ(sizeof(CFields), 72u);
    EXPECT_EQ(sizeof(tPacketExpInfo), 10u);
    EXPECT_EQ(sizeof(uMultiValue), 8u);
}
