// "seq_", "useq_" and "thread" through real packets: made, parsed and checked.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "esk_test_support.h"

namespace {

using esk_test::loadDocument;

unsigned long long packetNumber(const std::string &a_strPacket) {
    return std::stoull(a_strPacket);
}

std::string readFile(const std::string &a_strPath) {
    std::ifstream l_tIn(a_strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(l_tIn), std::istreambuf_iterator<char>());
}

// Slot n counts 1 to 10^n - 1 and then starts again at 1. Other tests may have drawn from the same
// slot before, so the walk starts wherever the counter stands.
TEST(SequenceKeyword, SeqWrapsAfterTheWidthOfItsOption) {
    for (unsigned l_uiOption = 1; l_uiOption <= 3; ++l_uiOption) {
        vexl::CFields l_tRoot =
            loadDocument("{ \"n\" = (ANF4seq_" + std::to_string(l_uiOption) + ") 0, \"t\" = (ACF1) \"|\" }");
        const unsigned long long l_uMax = l_uiOption == 1 ? 9 : l_uiOption == 2 ? 99 : 999;
        unsigned long long l_uPrevious = packetNumber(l_tRoot.pkt_Make4Children(true));
        ASSERT_GE(l_uPrevious, 1u);
        ASSERT_LE(l_uPrevious, l_uMax);
        unsigned l_uiWraps = 0;
        for (unsigned long long i = 0; i < 2 * l_uMax + 1; ++i) {
            const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
            ASSERT_EQ(l_strPacket.size(), 5u);
            const unsigned long long l_uNumber = packetNumber(l_strPacket);
            if (l_uPrevious == l_uMax) {
                ASSERT_EQ(l_uNumber, 1u) << "option " << l_uiOption;
                ++l_uiWraps;
            } else {
                ASSERT_EQ(l_uNumber, l_uPrevious + 1) << "option " << l_uiOption;
            }
            EXPECT_EQ(l_tRoot["n"].getDT(), vexl::DT_uint);
            EXPECT_EQ(l_tRoot["n"].asUint64(), l_uNumber);
            l_uPrevious = l_uNumber;
        }
        EXPECT_EQ(l_uiWraps, 2u) << "option " << l_uiOption;
    }
}

TEST(SequenceKeyword, SeqWithTheWidestOptionCountsOnByOne) {
    vexl::CFields l_tRoot = loadDocument("{ \"n\" = (ANF9seq_9) 0 }");
    const unsigned long long l_uFirst = packetNumber(l_tRoot.pkt_Make4Children(true));
    EXPECT_EQ(packetNumber(l_tRoot.pkt_Make4Children(true)), l_uFirst + 1);
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true).size(), 9u);
}

TEST(SequenceKeyword, UseqFieldsOfOnePacketDrawConsecutiveNumbersAndPersistTheLast) {
    vexl::CFields l_tRoot = loadDocument("{ \"a\" = (ANF3useq_3) 0, \"b\" = (ANF3useq_3) 0 }");
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    ASSERT_EQ(l_strPacket.size(), 6u);
    const unsigned long long l_uFirst = std::stoull(l_strPacket.substr(0, 3));
    const unsigned long long l_uSecond = std::stoull(l_strPacket.substr(3));
    EXPECT_EQ(l_uSecond, l_uFirst == 999 ? 1 : l_uFirst + 1);
    char l_szStored[11];
    std::snprintf(l_szStored, sizeof(l_szStored), "%010llu", l_uSecond);
    EXPECT_EQ(readFile(esk_test::workFolder() + "/vxseq_1_3"), l_szStored);
}

// Runs the probe program (on the shared libraries) in `a_strFolder` and returns what it printed.
std::string runProbe(const std::string &a_strFolder, const char *a_cpMode) {
    int l_anPipe[2];
    if (pipe(l_anPipe) != 0)
        return "pipe failed";
    const pid_t l_nChild = fork();
    if (l_nChild == 0) {
        dup2(l_anPipe[1], STDOUT_FILENO);
        close(l_anPipe[0]);
        close(l_anPipe[1]);
        if (chdir(a_strFolder.c_str()) == 0)
            execl(ESK_USEQ_PROBE, ESK_USEQ_PROBE, a_cpMode, static_cast<char *>(nullptr));
        _exit(127);
    }
    close(l_anPipe[1]);
    std::string l_strOut;
    char l_acBuffer[256];
    ssize_t l_nRead;
    while ((l_nRead = read(l_anPipe[0], l_acBuffer, sizeof(l_acBuffer))) > 0)
        l_strOut.append(l_acBuffer, size_t(l_nRead));
    close(l_anPipe[0]);
    int l_nStatus = 0;
    waitpid(l_nChild, &l_nStatus, 0);
    if (!WIFEXITED(l_nStatus) || WEXITSTATUS(l_nStatus) != 0)
        l_strOut += " [exit " + std::to_string(WEXITSTATUS(l_nStatus)) + "]";
    return l_strOut;
}

std::string freshFolder() {
    std::string l_strFolder = esk_test::workFolder() + "/probe.XXXXXX";
    return mkdtemp(l_strFolder.data()) != nullptr ? l_strFolder : std::string();
}

TEST(SequenceKeyword, UseqContinuesAfterARestartFromItsSlotFile) {
    const std::string l_strFolder = freshFolder();
    ASSERT_FALSE(l_strFolder.empty());
    EXPECT_EQ(runProbe(l_strFolder, "make"), "001002");
    EXPECT_EQ(readFile(l_strFolder + "/vxseq_1_3"), "0000000002");
    EXPECT_EQ(runProbe(l_strFolder, "make"), "003004");
    EXPECT_EQ(readFile(l_strFolder + "/vxseq_1_3"), "0000000004");
    // Only the slot that was drawn from has a file.
    for (int l_nSlot = 0; l_nSlot < 10; ++l_nSlot) {
        const std::string l_strFile = l_strFolder + "/vxseq_1_" + std::to_string(l_nSlot);
        EXPECT_EQ(std::filesystem::exists(l_strFile), l_nSlot == 3) << l_nSlot;
    }
}

TEST(SequenceKeyword, LinkingTheAddOnTouchesNoFile) {
    const std::string l_strFolder = freshFolder();
    ASSERT_FALSE(l_strFolder.empty());
    EXPECT_EQ(runProbe(l_strFolder, "link"), "");
    EXPECT_TRUE(std::filesystem::is_empty(l_strFolder));
    // The first draw from a slot creates that slot's file and no other.
    EXPECT_EQ(runProbe(l_strFolder, "draw"), "1 1");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(l_strFolder), {}), 1);
    EXPECT_EQ(readFile(l_strFolder + "/vxseq_1_3"), "0000000001");
}

TEST(SequenceKeyword, UseqFailsWhenItsSlotFileCannotBeWritten) {
    const std::string l_strFolder = freshFolder();
    ASSERT_FALSE(l_strFolder.empty());
    // A directory in place of the slot file: it cannot be opened for writing by anyone. The step
    // reports the failure, and the packet is made without the two fields.
    ASSERT_EQ(mkdir((l_strFolder + "/vxseq_1_3").c_str(), 0755), 0);
    EXPECT_EQ(runProbe(l_strFolder, "draw"), "-5 0");
    EXPECT_EQ(runProbe(l_strFolder, "make"), "");
    // A working directory that no longer exists: the slot file cannot be created.
    EXPECT_EQ(runProbe(l_strFolder, "orphan"), "-5 0");
}

TEST(SequenceKeyword, TheFirstPacketHookLinksTheRemainingHooks) {
    const std::string l_strFolder = freshFolder();
    ASSERT_FALSE(l_strFolder.empty());
    EXPECT_EQ(runProbe(l_strFolder, "lazy"), "001002 linked");
}

TEST(SequenceKeyword, ThreadTakesTheNumberBehindTheUserPointer) {
    vexl::CFields l_tRoot = loadDocument("{ \"t\" = (ANF10thread) 42, \"u\" = (BNF4thread) 7 }");
    const uint32_t l_uiThread = 3735928559u;
    l_tRoot["t"].pkt_SetOSA4User(&l_uiThread);
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    // No pointer on "u": it keeps 7.
    EXPECT_EQ(l_strPacket, std::string("3735928559") + std::string("\x00\x00\x00\x07", 4));
    EXPECT_EQ(l_tRoot["t"].asUint64(), 3735928559u);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children(l_strPacket.data(), unsigned(l_strPacket.size())), 0u);

    // A pointer set on every thread field at once.
    const uint32_t l_uiOther = 5;
    EXPECT_EQ(l_tRoot.pkt_SetOSA4SKI(1, 3, &l_uiOther), 2);
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true),
              std::string("0000000005") + std::string("\x00\x00\x00\x05", 4));
}

TEST(SequenceKeyword, ChecksRefuseZeroAndAcceptAFieldEndingAtTheEndOfTheData) {
    vexl::CFields l_tRoot = loadDocument("{ \"h\" = (ACF2) \"AB\", \"s\" = (ANF3seq_2) 0, "
                                         "\"u\" = (ANF3useq_2) 0, \"t\" = (ANF3thread) 0 }");
    // Each field failing in turn reports its own position plus one.
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("AB001002003", 11), 0u);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("AB000002003", 11), 3u);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("AB001000003", 11), 6u);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("AB001002000", 11), 9u);
    // Not a number, or cut short.
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("AB0a1002003", 11), 3u);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("AB001002-03", 11), 9u);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children("AB00100200", 10), 9u);
    // A made packet checks and parses back.
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children(l_strPacket.data(), unsigned(l_strPacket.size())), 9u)
        << "the thread field without a user pointer holds 0";
    vexl::CFields l_tCopy = loadDocument("{ \"h\" = (ACF2) \"\", \"s\" = (ANF3seq_2) 0, "
                                         "\"u\" = (ANF3useq_2) 0, \"t\" = (ANF3thread) 0 }");
    EXPECT_EQ(l_tCopy.pkt_Parse4Children(l_strPacket.data(), unsigned(l_strPacket.size()), true), 0);
    EXPECT_EQ(l_tCopy["s"].asUint64(), l_tRoot["s"].asUint64());
    EXPECT_EQ(l_tCopy["u"].asUint64(), l_tRoot["u"].asUint64());
}

} // namespace
