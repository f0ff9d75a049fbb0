// Children: adding with the name and ID rules, indexing, finding, counting, copying out and
// removing; and the lookup indexes of large records staying first-match correct.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "test_fields_support.h"
#include "tree/block_pool.h"
#include "vexl/fields.h"

using namespace vexl;
using vexl_test::raisesLogic;

namespace {
const char *const s_szIndex = "vexl::CFields::operator []";
} // namespace

TEST(FieldsChildren, AddChildRefTurnsNullIntoFieldsAndFindsExistingNames) {
    CFields l_root;
    l_root.setName("root");
    l_root.setID(1);
    CFields &l_a = l_root.addChildRef("a");
    EXPECT_EQ(l_root.getDT(), DT_fields);
    EXPECT_STREQ(l_root.getName(), "root"); // kept across the change of type
    EXPECT_STREQ(l_a.getName(), "a");
    l_a = 1;
    EXPECT_EQ(&l_root.addChildRef("a"), &l_root[0u]);
    EXPECT_EQ(l_root.getChildCount(), 1u);
    EXPECT_EQ(l_root.addChildPtr("a"), nullptr);

    CFields &l_second = l_root.addChildRef("a", 0, true);
    l_second = 2;
    EXPECT_EQ(l_root.getChildCount(), 2u);
    EXPECT_EQ(l_root["a"].asSint32(), 1); // lookups return the first

    CFields &l_unnamed = l_root.addChildRef(nullptr);
    EXPECT_EQ(l_unnamed.getNameLen(), 0u);
    EXPECT_EQ(l_root.getChildCount(), 3u);

    CFields l_list;
    l_list.addChildRef(nullptr, 5) = "x";
    EXPECT_EQ(l_list.getDT(), DT_array);
    EXPECT_EQ(l_list[0].getID(), 0u); // arrays ignore names and IDs

    CFields l_value(3);
    EXPECT_TRUE(raisesLogic([&] { l_value.addChildRef("a"); }, "vexl::CFields::addChildRef",
                            "requires DT_fields or DT_array"));
}

TEST(FieldsChildren, IDRulesWhenAdding) {
    CFields l_root;
    l_root.setID(10);
    CFields &l_mid = l_root.addChildRef("mid", 11);
    CFields &l_grand = l_mid.addChildRef("grand", 12);
    l_grand = "g";
    EXPECT_EQ(&l_root.addChildRef("other", 12), &l_root["mid"]["grand"]);
    EXPECT_EQ(&l_root.addChildRef("other", 10), &l_root); // this node included
    EXPECT_EQ(l_root.addChildPtr("other", 12), nullptr);
    CFields &l_big = l_root.addChildRef("big", 2147483648u);
    EXPECT_EQ(l_big.getID(), 0u); // too large: added without ID
    CFields &l_long = l_root.addChildRef(std::string(256, 'n').c_str());
    EXPECT_EQ(l_long.getNameLen(), 0u); // too long: added without name

    EXPECT_EQ(l_root.findID(0), nullptr);
    EXPECT_EQ(l_root.findID(10), &l_root);
    EXPECT_EQ(l_root.findID(12)->asString(), "g");
    EXPECT_EQ(l_root.findID(12, &l_root["mid"]), &l_root["mid"]["grand"]);
    EXPECT_EQ(l_root.getChildIdx4ID(11), 0);
    EXPECT_EQ(l_root.getChildIdx4ID(12), -1); // direct children only
    EXPECT_EQ(l_root.getChildID4Name("mid"), 11u);
    EXPECT_EQ(l_root.getChildID4Name("none"), 0u);
    EXPECT_STREQ(l_root.getChildName4ID(11), "mid");
    EXPECT_STREQ(l_root.getChildName4ID(0), "");

    CFields &l_noName = l_root.addChildRef(nullptr, 7);
    (void)l_noName;
    EXPECT_STREQ(l_root.getChildName4ID(7), "");
    EXPECT_TRUE(l_root.setChildName4ID(7, "seven"));
    EXPECT_STREQ(l_root.getChildName4ID(7), "seven");
    EXPECT_FALSE(l_root.setChildName4ID(8, "eight"));
    EXPECT_FALSE(l_root.setChildName4ID(7, ""));
}

TEST(FieldsChildren, Counting) {
    CFields l_root;
    l_root.addChildRef("a") = 1;
    CFields &l_b = l_root.addChildRef("b");
    for (int i = 0; i < 3; ++i)
        l_b.addArrayAt(CFields(i));
    EXPECT_EQ(l_root.getChildCount(), 2u);
    EXPECT_EQ(l_root.getMemberCount(), 5u);
    EXPECT_EQ(l_root.getMemberCount(&l_root["b"]), 3u);
    EXPECT_FALSE(CFields(0).emptyChild());
    EXPECT_TRUE(CFields().emptyChild());
    EXPECT_TRUE(CFields(DT_fields).emptyChild());
    EXPECT_FALSE(l_root.emptyChild());
    EXPECT_TRUE(l_root.isValidChild(1u));
    EXPECT_FALSE(l_root.isValidChild(2));
    EXPECT_TRUE(l_root.isValidChild("b"));
    EXPECT_FALSE(l_root.isValidChild(std::string("c")));
    int l_nSum = 0;
    for (const CFields &l_item : l_root["b"])
        l_nSum += l_item.asSint32();
    EXPECT_EQ(l_nSum, 3);
}

TEST(FieldsChildren, IndexOperators) {
    CFields l_root;
    l_root.addChildRef("a") = 1;
    l_root.addChildRef("b") = 2;
    const CFields &l_const = l_root;
    EXPECT_TRUE(raisesLogic([&] { l_root[2]; }, s_szIndex, "found not a field for the index"));
    EXPECT_EQ(&l_const[2], &CFields::nullRef);
    EXPECT_TRUE(raisesLogic([&] { l_root[-1]; }, s_szIndex, "index cannot be negative"));
    EXPECT_TRUE(raisesLogic([&] { l_const[-1]; }, s_szIndex, "index cannot be negative"));
    CFields l_value(1);
    EXPECT_TRUE(raisesLogic([&] { l_value[0]; }, s_szIndex, "requires DT_fields or DT_array"));
    const CFields &l_constValue = l_value;
    EXPECT_TRUE(raisesLogic([&] { l_constValue[0]; }, s_szIndex, "requires DT_array or DT_fields"));
    EXPECT_EQ(&l_value.getChildAt(0), &CFields::nullRef);
    EXPECT_EQ(l_root[size_t(1)].asSint32(), 2);
    EXPECT_EQ(l_root[std::string("b")].asSint32(), 2);
    EXPECT_EQ(l_root[CStaticString("a")].asSint32(), 1);
}

TEST(FieldsChildren, ResizeArray) {
    CFields l_list;
    l_list.setOffsetStart(4);
    l_list.resizeArray(3);
    EXPECT_EQ(l_list.getChildCount(), 3u);
    EXPECT_TRUE(l_list[2].isNull());
    l_list[0] = "first";
    l_list.resizeArray(1);
    EXPECT_EQ(l_list.getChildCount(), 1u);
    EXPECT_EQ(l_list[0].asString(), "first");
    l_list.resizeArray(0);
    EXPECT_EQ(l_list.getChildCount(), 0u);
    EXPECT_EQ(l_list.getOffsetStart(), 0);
    CFields l_record(DT_fields);
    EXPECT_TRUE(
        raisesLogic([&] { l_record.resizeArray(2); }, "vexl::CFields::resizeArray", "requires DT_array"));
}

TEST(FieldsChildren, AddArrayAtCopiesWholeOrValueOnly) {
    CFields l_src(5);
    l_src.setName("named");
    l_src.setID(3);
    CFields l_list;
    l_list.setName("list");
    EXPECT_STREQ(l_list.addArrayAt(l_src).getName(), "named");
    EXPECT_STREQ(l_list.getName(), "list");
    CFields &l_valueOnly = l_list.addArrayAt(l_src, true);
    EXPECT_EQ(l_valueOnly.getNameLen(), 0u);
    EXPECT_EQ(l_valueOnly.getID(), 0u);
    EXPECT_EQ(l_valueOnly.asSint32(), 5);
    CFields l_moved("m");
    l_list.addArrayAt(std::move(l_moved));
    EXPECT_EQ(l_moved.asString(), "m"); // copied, not consumed

    // Appending an element of the same array, many times (each append may move the elements).
    for (int i = 0; i < 50; ++i)
        l_list.addArrayAt(l_list[0]);
    EXPECT_EQ(l_list.getChildCount(), 53u);
    EXPECT_STREQ(l_list[52].getName(), "named");
    EXPECT_EQ(l_list[52].asSint32(), 5);

    CFields l_record(DT_fields);
    EXPECT_TRUE(raisesLogic([&] { l_record.addArrayAt(CFields(1)); }, "vexl::CFields::addArrayAt",
                            "requires DT_array"));
}

TEST(FieldsChildren, RemovingKeepsEveryLaterSiblingWhole) {
    CFields l_root;
    for (int i = 0; i < 20; ++i) {
        CFields &l_child = l_root.addChildRef(("m" + std::to_string(i)).c_str(), unsigned(100 + i));
        l_child = i;
        l_child.setValue(i * 10, VK_Fixed);
        l_child.setVK(i % 2 ? VK_Fixed : VK_Valid);
        l_child.setComment("// c" + std::to_string(i), CP_Behind);
    }
    CFields l_out;
    EXPECT_TRUE(l_root.removeChildAt(3u, &l_out));
    EXPECT_STREQ(l_out.getName(), "m3");
    EXPECT_EQ(l_out.getVK(), VK_Fixed);
    EXPECT_EQ(l_out.asSint32(VK_Fixed), 30);
    ASSERT_EQ(l_root.getChildCount(), 19u);
    for (unsigned i = 0; i < 19; ++i) {
        int l_n = int(i < 3 ? i : i + 1);
        const CFields &l_child = l_root[i];
        EXPECT_EQ(l_child.getName(), "m" + std::to_string(l_n));
        EXPECT_EQ(l_child.getID(), unsigned(100 + l_n));
        EXPECT_EQ(l_child.asSint32(), l_n);
        EXPECT_EQ(l_child.getVK(), l_n % 2 ? VK_Fixed : VK_Valid);
        EXPECT_EQ(l_child.getDT(VK_Fixed), DT_sint);
        EXPECT_EQ(l_child.asSint32(VK_Fixed), l_n * 10);
        EXPECT_EQ(l_child.getCommentCopy(CP_Behind), "// c" + std::to_string(l_n));
    }
    EXPECT_TRUE(l_root.removeChildAt("m10"));
    EXPECT_FALSE(l_root.isValidChild("m10"));
    EXPECT_EQ(l_root["m11"].asSint32(VK_Fixed), 110);
    EXPECT_FALSE(l_root.removeChildAt(50u));
    EXPECT_FALSE(l_root.removeChildAt("none"));
    EXPECT_FALSE(CFields(1).removeChildAt(0u));

    CFields l_one;
    l_one.addChildRef("only") = 9;
    CFields l_got;
    EXPECT_TRUE(l_one.removeChildAt(0u, &l_got));
    EXPECT_EQ(l_got.asSint32(), 9);
    EXPECT_EQ(l_one.getChildCount(), 0u);
    EXPECT_TRUE(l_one.isField());
}

TEST(FieldsChildren, RemoveAllLeavesNoSequence) {
    CFields l_root;
    l_root.setName("keep");
    l_root.addChildRef("a") = 1;
    l_root.removeAll(DT_fields);
    EXPECT_TRUE(l_root.isField());
    EXPECT_EQ(l_root.getChildCount(), 0u);
    EXPECT_STREQ(l_root.getName(), "keep");
    EXPECT_EQ(l_root.findChildAt("a", 1), nullptr);
    EXPECT_TRUE(raisesLogic([&] { l_root.addChildRef("b"); }, "vexl::CFields::addChildRef",
                            "m_tValue.m_tActValue.m_uMultiValue.m_pFV=NULL memory pointer"));
    l_root.setValue(DT_fields);
    l_root.addChildRef("b") = 2;
    EXPECT_EQ(l_root.getChildCount(), 1u);
    l_root.removeAll(DT_sint);
    EXPECT_EQ(l_root.getDT(), DT_sint);
    EXPECT_EQ(l_root.asSint64(), 0);
}

TEST(FieldsChildren, CopyChildAtWithFallback) {
    CFields l_root;
    l_root.addChildRef("a") = 1;
    CFields l_fallback("fb");
    EXPECT_EQ(l_root.copyChildAt(0u, l_fallback).asSint32(), 1);
    EXPECT_EQ(l_root.copyChildAt(4u, l_fallback).asString(), "fb");
    EXPECT_EQ(l_root.copyChildAt("a", l_fallback).asSint32(), 1);
    EXPECT_EQ(l_root.copyChildAt(std::string("z"), l_fallback).asString(), "fb");
    EXPECT_TRUE(raisesLogic([&] { CFields(1).copyChildAt(0u, l_fallback); }, s_szIndex,
                            "requires DT_array or DT_fields"));
}

// Large records use a name index and a subtree ID cache; these cases change names and IDs
// behind the index's back and check that lookups still give the first match.
TEST(FieldsChildren, LargeRecordLookupsStayFirstMatch) {
    CFields l_root;
    const int l_cnCount = 200;
    for (int i = 0; i < l_cnCount; ++i)
        l_root.addChildRef(("k" + std::to_string(i)).c_str()) = i;
    EXPECT_EQ(l_root["k150"].asSint32(), 150);

    // A duplicate added later is never returned before the first.
    l_root.addChildRef("k10", 0, true) = -10;
    EXPECT_EQ(l_root["k10"].asSint32(), 10);
    EXPECT_EQ(l_root.addChildPtr("k10"), nullptr);

    // Renaming through a reference.
    l_root[5u].setName("renamed");
    EXPECT_EQ(l_root["renamed"].asSint32(), 5);
    EXPECT_FALSE(l_root.isValidChild("k5"));
    l_root[7u].setName("k150"); // now an earlier child carries the name
    EXPECT_EQ(l_root["k150"].asSint32(), 7);

    // Moving a child out leaves it nameless: the later duplicate becomes the first.
    CFields l_taken(std::move(l_root[10u]));
    EXPECT_EQ(l_taken.asSint32(), 10);
    EXPECT_EQ(l_root["k10"].asSint32(), -10);

    // Removal shifts indexes.
    EXPECT_TRUE(l_root.removeChildAt(0u));
    EXPECT_EQ(l_root.getChildIdx4Name("k1", 2), 0);
    EXPECT_EQ(l_root["k199"].asSint32(), 199);

    // swapField and setField rename too.
    l_root[1u].swapField(l_root[2u], false); // "k2" and "k3" change places
    EXPECT_EQ(l_root.getChildIdx4Name("k2", 2), 2);
    CFields l_src(1000);
    l_src.setName("k3");
    l_root[0u].setField(l_src);
    EXPECT_EQ(l_root.getChildIdx4Name("k3", 2), 0);

    // IDs: the cache must see IDs set through references and in grandchildren.
    EXPECT_NE(l_root.addChildPtr("fresh", 500), nullptr);
    EXPECT_EQ(l_root.addChildPtr("fresh2", 500), nullptr);
    l_root[20u].setID(501);
    EXPECT_EQ(l_root.addChildPtr("x", 501), nullptr);
    l_root["k30"] = DT_fields;
    l_root["k30"].addChildRef("inner", 502);
    EXPECT_EQ(&l_root.addChildRef("y", 502), &l_root["k30"]["inner"]);
    CFields l_withIds;
    l_withIds.addChildRef("deep", 503);
    l_root["k31"] = l_withIds; // a bare value: its children (with their IDs) are taken
    EXPECT_EQ(l_root.addChildPtr("z", 503), nullptr);
    // An ID that disappeared is free again.
    l_root[20u].setID(0);
    EXPECT_NE(l_root.addChildPtr("w", 501), nullptr);
}

TEST(FieldsChildren, EmptyContainersAreIndependent) {
    CFields l_a(DT_fields), l_b(DT_array);
    CFields l_copy(l_a);
    l_copy.addChildRef("x") = 1;
    EXPECT_EQ(l_a.getChildCount(), 0u);
    EXPECT_EQ(l_copy.getChildCount(), 1u);
    l_b.addArrayAt(CFields(2));
    EXPECT_EQ(CFields(DT_array).getChildCount(), 0u);
    EXPECT_TRUE(l_a.reserveChildren(100));
    EXPECT_FALSE(CFields(1).reserveChildren(1));
    for (int i = 0; i < 100; ++i)
        l_a.addChildRef(("n" + std::to_string(i)).c_str()) = i;
    CFields l_big(l_a);
    EXPECT_EQ(l_big["n99"].asSint32(), 99);
    EXPECT_TRUE(l_big == l_a);
    l_a.removeChildAll();
    EXPECT_EQ(l_big.getChildCount(), 100u);
    EXPECT_EQ(l_a.begin(), l_a.end());
}

TEST(FieldsChildren, TreesMoveBetweenThreads) {
    // Children blocks are carved from per-thread chunks; a tree built on one thread must be
    // destroyable on another, also after the building thread has ended.
    auto build = [](int seed) {
        auto root = std::make_unique<vexl::CFields>(vexl::DT_fields);
        for (int i = 0; i < 300; ++i) {
            vexl::CFields &rec = root->addChildRef(("r" + std::to_string(i)).c_str());
            rec.addChildRef("a") = seed + i;
            rec.addChildRef("list").addArrayAt(vexl::CFields(i));
        }
        return root;
    };
    std::vector<std::unique_ptr<vexl::CFields>> built(8);
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([&, t] { built[size_t(t)] = build(t * 1000); });
        for (std::thread &th : threads)
            th.join();
    }
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(built[size_t(t)]->getChildAt(299).getChildAt(0).asSint64(), t * 1000 + 299);
    // Half are destroyed here, half on other threads while this one builds more.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] { built[size_t(t)].reset(); });
    std::unique_ptr<vexl::CFields> more = build(7);
    for (int t = 4; t < 8; ++t)
        built[size_t(t)].reset();
    for (std::thread &th : threads)
        th.join();
    EXPECT_EQ(more->getChildCount(), 300u);
}

TEST(FieldsChildren, ReleasedChunksAreReusedForLaterBlocks) {
    // A chunk whose blocks are all released is kept for the thread's next chunk, so that loading
    // and dropping trees in turn reuses the same memory.
    using vexl::detail::allocChildrenBlock;
    using vexl::detail::freeChildrenBlock;
    struct tBlock {
        void *pBlock;
        void *pChunk;
    };
    auto carveUntilNextChunk = [](std::vector<tBlock> &blocks) {
        void *chunk = nullptr;
        void *block = allocChildrenBlock(1024, true, chunk);
        blocks.push_back({block, chunk});
        void *const start = chunk;
        while (chunk == start) {
            block = allocChildrenBlock(1024, true, chunk);
            blocks.push_back({block, chunk});
        }
        return chunk;
    };
    void *probeChunk = nullptr;
    void *const probe = allocChildrenBlock(64, true, probeChunk);
    freeChildrenBlock(probe, probeChunk);
    if (probeChunk == nullptr)
        GTEST_SKIP() << "blocks come from the heap in this build";
    std::vector<tBlock> blocks;
    void *const first = carveUntilNextChunk(blocks); // a chunk started by this test
    const void *const second = carveUntilNextChunk(blocks);
    // Release every block of `first`; the thread has moved on to `second`, so `first` is free.
    std::vector<tBlock> kept;
    for (const tBlock &b : blocks) {
        if (b.pChunk == first)
            freeChildrenBlock(b.pBlock, b.pChunk);
        else
            kept.push_back(b);
    }
    EXPECT_NE(second, first);
    // Were `first` handed back to the heap, this allocation of a chunk's size would take it.
    void *const other = std::malloc(size_t(64) << 10);
    const void *const third = carveUntilNextChunk(kept);
    EXPECT_EQ(third, first);
    for (const tBlock &b : kept)
        freeChildrenBlock(b.pBlock, b.pChunk);
    std::free(other);
}

TEST(FieldsChildren, DestroyingATreeReleasesEveryChunk) {
    // Destroying a tree gathers the releases of its blocks by chunk; every chunk must still come
    // free. A tree built on a thread that has ended holds only retired chunks, so all of them
    // go to the cache when it is destroyed.
    void *chunk = nullptr;
    void *const probe = vexl::detail::allocChildrenBlock(64, true, chunk);
    vexl::detail::freeChildrenBlock(probe, chunk);
    if (chunk == nullptr)
        GTEST_SKIP() << "blocks come from the heap in this build";
    // Records of two small blocks each: 100 fill part of one chunk, 2000 about nine.
    for (const int records : {100, 2000}) {
        std::unique_ptr<vexl::CFields> tree;
        std::thread([&tree, records] {
            vexl::CFields root(vexl::DT_fields);
            for (int i = 0; i < records; ++i) {
                vexl::CFields &rec = root.addChildRef(("record" + std::to_string(i)).c_str());
                rec.addChildRef("a") = i;
                rec.addChildRef("list").addArrayAt(vexl::CFields(i));
            }
            tree = std::make_unique<vexl::CFields>(root); // a copy's blocks are carved
        }).join();
        ASSERT_EQ(tree->getChildCount(), unsigned(records));
        const size_t built = vexl::detail::cachedChunkCount();
        if (built > 100)
            GTEST_SKIP() << "the cache is too full to tell";
        tree.reset();
        if (records == 100)
            EXPECT_EQ(vexl::detail::cachedChunkCount(), built + 1);
        else
            EXPECT_GE(vexl::detail::cachedChunkCount(), built + 8);
    }
}
