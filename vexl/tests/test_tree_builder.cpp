// The front-to-back tree builder used by readers outside the core library.

#include <gtest/gtest.h>

#include <string>

#include "tree/tree_builder.h"
#include "vexl/fields.h"

namespace {

using vexl::CFields;
using vexl::detail::CTreeBuilder;

TEST(TreeBuilder, NestedContainersGetTheirMembersWhenTheyClose) {
    CFields root;
    {
        CTreeBuilder b;
        b.open(root, vexl::DT_fields, 0);
        b.appendMember(1, "n", 1, true)->setValue(1);
        CFields &list = *b.appendMember(1, "list", 4, true);
        b.open(list, vexl::DT_array, 1);
        for (int i = 0; i < 600; ++i) // more than one handover block
            b.appendElement(2).setValue(i);
        b.close(list, 1);
        CFields &empty = *b.appendMember(1, "e", 1, true);
        b.open(empty, vexl::DT_fields, 1);
        b.close(empty, 1);
        EXPECT_EQ(b.appendMember(1, "n", 1, true), nullptr); // a gathered name
        EXPECT_NE(b.appendMember(1, "n", 1, false), nullptr);
        EXPECT_NE(b.appendMember(1, nullptr, 0, true), nullptr);
        EXPECT_NE(b.appendMember(1, nullptr, 0, true), nullptr); // unnamed: never compared
        b.close(root, 0);
    }
    ASSERT_EQ(root.getChildCount(), 6u);
    EXPECT_EQ(root["list"].getChildCount(), 600u);
    EXPECT_EQ(root["list"][599u].asSint64(), 599);
    EXPECT_TRUE(root["e"].isField());
    EXPECT_EQ(root["e"].getChildCount(), 0u);
    EXPECT_EQ(root[3u].getNameLen(), 1u);
    EXPECT_EQ(root[4u].getNameLen(), 0u);
    // The built tree is an ordinary one: lookups, additions and copies work.
    root.addChildRef("later") = 2;
    CFields copy(root);
    EXPECT_TRUE(copy == root);
    EXPECT_EQ(copy["later"].asSint64(), 2);
}

TEST(TreeBuilder, AnUnfinishedBuildReleasesWhatItGathered) {
    CFields root;
    {
        CTreeBuilder b;
        b.open(root, vexl::DT_array, 0);
        CFields &inner = b.appendElement(1);
        b.open(inner, vexl::DT_fields, 1);
        const std::string longName(200, 'x');
        b.appendMember(2, longName.data(), unsigned(longName.size()), true)->setValue(std::string(100, 'v'));
        // No close: the builder goes away with members gathered at two levels.
    }
    EXPECT_TRUE(root.isArray());
    EXPECT_EQ(root.getChildCount(), 0u);
    // A level is reused after an unfinished container.
    CTreeBuilder b;
    b.open(root, vexl::DT_array, 0);
    b.appendElement(1).setValue(true);
    b.open(root, vexl::DT_array, 0);
    b.appendElement(1).setValue(false);
    b.close(root, 0);
    ASSERT_EQ(root.getChildCount(), 1u);
    EXPECT_FALSE(root[0u].asBool());
}

} // namespace
