#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "gen_test_util.h"
#include "nxgenerator/lock_gsn10.h"

using gentest::readFile;
using gentest::TempDir;
using gentest::writeFile;

TEST(CnxLockGSN10, SlotsWrapAtTheirWidth) {
    CnxLockGSN10 l_gen;
    for (uint32_t i = 1; i <= 9; ++i) {
        EXPECT_EQ(l_gen.GetAt(1), i);
    }
    EXPECT_EQ(l_gen.GetAt(1), 1U);
    for (uint32_t i = 1; i <= 99; ++i) {
        ASSERT_EQ(l_gen.GetAt(2), i);
    }
    EXPECT_EQ(l_gen.GetAt(2), 1U);
    EXPECT_EQ(l_gen.GetAt(0), 1U);
    EXPECT_EQ(l_gen.GetAt(9), 1U);
    EXPECT_EQ(l_gen.GetAt(10), 0U);
    EXPECT_EQ(l_gen.GetAt(-1), 0U);
    EXPECT_FALSE(l_gen.ResetAt(10, false));
    EXPECT_FALSE(l_gen.ResetAt(-1, false));
    EXPECT_TRUE(l_gen.ResetAt(1, false));
    EXPECT_EQ(l_gen.GetAt(1), 1U);
}

TEST(CnxLockGSN10, PreservedObjectCreatesAllTenFilesAndRewritesThemInPlace) {
    TempDir l_dir;
    {
        CnxLockGSN10 l_gen(true, 7, l_dir.folder().c_str(), "seq");
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(readFile(l_dir.file("seq_7_" + std::to_string(i))), "0000000000") << i;
        }
        EXPECT_EQ(l_gen.GetAt(3), 1U);
        EXPECT_EQ(l_gen.GetAt(3), 2U);
        EXPECT_EQ(readFile(l_dir.file("seq_7_3")), "0000000002");
    }
    CnxLockGSN10 l_again(true, 7, l_dir.folder().c_str(), "seq");
    EXPECT_EQ(l_again.GetAt(3), 3U);
    EXPECT_EQ(l_again.GetAt(4), 1U);
    // A reset without preserve counts from 1 again and leaves the file alone.
    EXPECT_TRUE(l_again.ResetAt(3, false));
    EXPECT_EQ(l_again.GetAt(3), 1U);
    EXPECT_EQ(readFile(l_dir.file("seq_7_3")), "0000000003");
    // A reset with preserve reloads the stored number.
    EXPECT_TRUE(l_again.ResetAt(3, true));
    EXPECT_EQ(l_again.GetAt(3), 4U);
}

TEST(CnxLockGSN10, StoredTextIsReadByItsLeadingDigits) {
    TempDir l_dir;
    struct {
        int iSlot;
        const char *cpStored;
        uint32_t uiNext;
    } const l_cases[] = {
        {0, "4294967294", 4294967295U}, // slot 0 reaches the largest value ...
        {1, "9", 1},                    // at the maximum: wraps to 1
        {2, "0000000500", 1},           // above the maximum: wraps to 1
        {3, "12ab", 13},                // digits up to the first other byte
        {4, "abc", 1},                  // no digits reads as 0
        {5, "", 1},                     // empty file
        {6, "7", 8},                    // shorter than ten bytes
        {7, "99999999999", 1},          // beyond 32 bits clamps, then wraps
        {9, "0000001234\n", 1235},      // bytes after the tenth are ignored
    };
    for (const auto &l_case : l_cases) {
        writeFile(l_dir.file("vxseq_2_" + std::to_string(l_case.iSlot)), l_case.cpStored);
    }
    CnxLockGSN10 l_gen(true, 2, l_dir.folder().c_str());
    for (const auto &l_case : l_cases) {
        EXPECT_EQ(l_gen.GetAt(l_case.iSlot), l_case.uiNext) << "slot " << l_case.iSlot;
    }
    EXPECT_EQ(l_gen.GetAt(0), 1U); // ... and wraps to 1 after it
    EXPECT_EQ(readFile(l_dir.file("vxseq_2_3")), "0000000013");
    EXPECT_EQ(readFile(l_dir.file("vxseq_2_9")), "0000001235\n");
}

TEST(CnxLockGSN10, FailedStoreReturnsZeroAndUsesTheNumberUp) {
    TempDir l_dir;
    // A folder that does not exist: no file can be opened.
    const std::string l_strMissing = l_dir.folder() + "missing/";
    CnxLockGSN10 l_gen(true, 1, l_strMissing.c_str());
    EXPECT_EQ(l_gen.GetAt(5), 0U);
    std::filesystem::create_directory(l_strMissing);
    gentest::writeFile(l_strMissing + "vxseq_1_5", "0000000000");
    // GetAt opens the file once it exists; the failed number stays used up.
    EXPECT_EQ(l_gen.GetAt(5), 2U);
    EXPECT_EQ(readFile(l_strMissing + "vxseq_1_5"), "0000000002");

    // A slot file whose writes fail (a full device) never hands out a number.
    if (std::filesystem::exists("/dev/full")) {
        std::filesystem::create_symlink("/dev/full", l_dir.file("vxseq_3_4"));
        CnxLockGSN10 l_full(true, 3, l_dir.folder().c_str());
        EXPECT_EQ(l_full.GetAt(4), 0U);
        EXPECT_EQ(l_full.GetAt(4), 0U);
        EXPECT_EQ(l_full.GetAt(3), 1U);
    }
}

TEST(CnxLockGSN10, FolderIsNormalisedToForwardSlashesWithATrailingSlash) {
    TempDir l_dir;
    std::filesystem::create_directories(l_dir.folder() + "a/b");
    std::string l_strFolder = l_dir.folder() + "a\\b";
    CnxLockGSN10 l_gen(true, 4, l_strFolder.c_str(), "n");
    EXPECT_EQ(l_gen.GetAt(1), 1U);
    EXPECT_EQ(readFile(l_dir.folder() + "a/b/n_4_1"), "0000000001");
}

TEST(CnxLockGSN10, EmptyFolderMeansTheWorkingDirectory) {
    TempDir l_dir;
    const auto l_previous = std::filesystem::current_path();
    std::filesystem::current_path(l_dir.folder());
    {
        CnxLockGSN10 l_gen(true, 5, "", "wd");
        EXPECT_EQ(l_gen.GetAt(2), 1U);
    }
    std::filesystem::current_path(l_previous);
    EXPECT_EQ(readFile(l_dir.file("wd_5_2")), "0000000001");
}

TEST(CnxLockGSN10, RefusedNamesLeaveTheSlotFilesWhereTheyWere) {
    TempDir l_dir;
    TempDir l_other;
    CnxLockGSN10 l_gen(true, 6, l_dir.folder().c_str(), "old");
    EXPECT_FALSE(l_gen.SetPreserveAll(6, l_other.folder().c_str(), "elevenchars"));
    EXPECT_FALSE(l_gen.SetPreserveAll(6, nullptr, nullptr));
    EXPECT_FALSE(l_gen.SetPreserveAll(6, std::string(239, 'f').c_str(), nullptr));
    EXPECT_TRUE(l_gen.ResetAt(0, true));
    EXPECT_EQ(l_gen.GetAt(0), 1U);
    EXPECT_EQ(readFile(l_dir.file("old_6_0")), "0000000001");
    EXPECT_FALSE(std::filesystem::exists(l_other.file("elevenchars_6_0")));

    // Accepted names take effect at the next reset; null keeps the base name.
    EXPECT_TRUE(l_gen.SetPreserveAll(8, l_other.folder().c_str(), nullptr));
    EXPECT_EQ(l_gen.GetAt(0), 2U);
    EXPECT_EQ(readFile(l_dir.file("old_6_0")), "0000000002");
    l_gen.ResetAll(true);
    EXPECT_EQ(l_gen.GetAt(0), 1U);
    EXPECT_EQ(readFile(l_other.file("old_8_0")), "0000000001");
    EXPECT_EQ(readFile(l_other.file("old_8_9")), "0000000000");
}
