// Values on the hot paths of making and parsing: a code list set or received again takes the
// node's own block when it fits (and gives up a block far too large), and received numbers with
// a leading "-" store exactly what the general number reader stores, and runs of digits read
// eight at a time give what one at a time gives.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "packet/packet_bytes.h"
#include "test_packet_support.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

using namespace vexl;
using vexl_packet_test::leaf;

namespace {

const char *codes(const CFields &a_tField) {
    const char *l_cp = nullptr;
    a_tField.getCodePoint(&l_cp);
    return l_cp;
}

} // namespace

// MARK: - Setting a code list again

TEST(CodeListReuse, ShorterAndEqualTextsStayInTheBlock) {
    CFields l_tField("gateway-01");
    const char *const l_cpBlock = codes(l_tField);
    l_tField.setValue("gw", 2);
    EXPECT_EQ(codes(l_tField), l_cpBlock);
    EXPECT_EQ(l_tField.asString(), "gw");
    EXPECT_EQ(l_tField.getRawBytes(), 2u);
    l_tField.setValue(std::string("abc\0de", 6));
    EXPECT_EQ(codes(l_tField), l_cpBlock);
    EXPECT_EQ(l_tField.asString(), std::string("abc\0de", 6));
    l_tField.setValue("0123456789");
    EXPECT_EQ(codes(l_tField), l_cpBlock);
    EXPECT_EQ(l_tField.asString(), "0123456789");
    // The zero byte behind the bytes is kept, so the list still reads as C text.
    EXPECT_STREQ(codes(l_tField), "0123456789");
}

TEST(CodeListReuse, LongerTextsAndOwnBytesAreCopiedCorrectly) {
    CFields l_tField("abc");
    const std::string l_strLong(300, 'x');
    l_tField.setValue(l_strLong);
    EXPECT_EQ(l_tField.asString(), l_strLong);
    // A part of the node's own bytes, overlapping where it lands.
    l_tField.setValue("0123456789");
    l_tField.setValue(codes(l_tField) + 3, 5);
    EXPECT_EQ(l_tField.asString(), "34567");
    l_tField.setValue(codes(l_tField), 5);
    EXPECT_EQ(l_tField.asString(), "34567");
}

TEST(CodeListReuse, AFarLargerBlockIsNotKeptForAShortText) {
    CFields l_tField(std::string(100000, 'y'));
    const char *const l_cpBlock = codes(l_tField);
    l_tField.setValue("ok");
    EXPECT_NE(codes(l_tField), l_cpBlock);
    EXPECT_EQ(l_tField.asString(), "ok");
}

TEST(CodeListReuse, OnlyTheActualOwnedSlotIsReused) {
    // A borrowed text is never written.
    static const char s_acBorrowed[] = "borrowed";
    CFields l_tField{CStaticString(s_acBorrowed)};
    l_tField.setValue("new");
    EXPECT_EQ(l_tField.asString(), "new");
    EXPECT_STREQ(s_acBorrowed, "borrowed");
    // The second slot keeps its own rules (setting it resets the value kind).
    CFields l_tDual("actual");
    l_tDual.setValue("fixed", VK_Fixed);
    l_tDual.setVK(VK_Fixed);
    l_tDual.setValue("fix", VK_Fixed);
    EXPECT_EQ(l_tDual.getVK(), VK_Actual);
    EXPECT_EQ(l_tDual.asString(), "actual");
    // Numbers turn into a code list and back.
    CFields l_tNumber(42);
    l_tNumber.setValue("42");
    EXPECT_EQ(l_tNumber.getDT(), DT_codelist);
    l_tNumber.setValue(7);
    EXPECT_EQ(l_tNumber.getDT(), DT_sint);
}

// MARK: - Received values

TEST(ReceivedValues, VariableTextReusesItsBlock) {
    CFields l_tField = leaf("", "ACV2+0");
    ASSERT_EQ(l_tField.pkt_Parse4OneSelf("07hello", 7, true), 0);
    const char *const l_cpBlock = codes(l_tField);
    ASSERT_EQ(l_tField.pkt_Parse4OneSelf("04hi", 4, true), 0);
    EXPECT_EQ(codes(l_tField), l_cpBlock);
    EXPECT_EQ(l_tField.asString(), "hi");
    EXPECT_EQ(l_tField.pkt_GetExp().uLength(), 4u);
    ASSERT_EQ(l_tField.pkt_Parse4OneSelf("06four", 6, true), 0);
    EXPECT_EQ(l_tField.asString(), "four");
}

TEST(ReceivedValues, NumbersStoreWhatTheGeneralReaderStores) {
    const char *const l_apTexts[] = {"-0000042",
                                     "-0",
                                     "-",
                                     "--1",
                                     "-12a",
                                     "+12",
                                     " 12",
                                     "-9",
                                     "-123456789012345678",
                                     "-1234567890123456789",
                                     "-9223372036854775808",
                                     "-9223372036854775809",
                                     "2147483647",
                                     "2147483648",
                                     "-2147483649",
                                     "0000000000000000000",
                                     "12.5",
                                     "-12.5"};
    for (const char *l_cpText : l_apTexts) {
        const std::string l_strText = l_cpText;
        CFields l_tWant;
        ASSERT_TRUE(atonInField(l_strText.data(), unsigned(l_strText.size()), l_tWant));
        // A fresh field and one that already holds a number of either type.
        for (CFields l_tField : {leaf(DT_null, "ANF0"), leaf(-5, "ANF0"), leaf(5ULL << 40, "ANF0")}) {
            tPacketExpInfo l_tExp = l_tField.pkt_GetExp();
            l_tExp.setLength(unsigned(l_strText.size()));
            l_tField.pkt_SetExp(l_tExp);
            ASSERT_EQ(l_tField.pkt_Parse4OneSelf(l_strText.data(), unsigned(l_strText.size()), true), 0)
                << l_cpText;
            EXPECT_EQ(l_tField.getDT(), l_tWant.getDT()) << l_cpText;
            EXPECT_EQ(l_tField.getValueRef().m_ullValue, l_tWant.getValueRef().m_ullValue) << l_cpText;
        }
        CFields l_tVariable = leaf(DT_null, "ANV2+0");
        const std::string l_strPacket =
            (l_strText.size() + 2 < 10 ? "0" : "") + std::to_string(l_strText.size() + 2) + l_strText;
        ASSERT_EQ(l_tVariable.pkt_Parse4OneSelf(l_strPacket.data(), unsigned(l_strPacket.size()), true), 0);
        EXPECT_EQ(l_tVariable.getDT(), l_tWant.getDT()) << l_cpText;
        EXPECT_EQ(l_tVariable.getValueRef().m_ullValue, l_tWant.getValueRef().m_ullValue) << l_cpText;
    }
}

TEST(ReceivedValues, DigitRunsReadEightAtATimeAsOneByOne) {
    std::mt19937 l_rng(12);
    for (int l_nRound = 0; l_nRound < 20000; ++l_nRound) {
        std::string l_strText(1 + l_rng() % 19, '0');
        for (char &c : l_strText)
            c = char('0' + l_rng() % 10);
        if (l_rng() % 2 == 0) // one byte that is not a digit, next to the digits or far from them
            l_strText[l_rng() % l_strText.size()] = "/:\x00 \xB0\x39\x3F-"[l_rng() % 8];
        bool l_bDigits = true;
        uint64_t l_uWant = 0;
        for (char c : l_strText) {
            l_bDigits = l_bDigits && c >= '0' && c <= '9';
            l_uWant = l_uWant * 10 + unsigned(c - '0');
        }
        uint64_t l_uGot = 0;
        ASSERT_EQ(detail::readPlainDigits(l_strText.data(), unsigned(l_strText.size()), l_uGot), l_bDigits)
            << l_strText;
        if (l_bDigits) {
            ASSERT_EQ(l_uGot, l_uWant) << l_strText;
        }
    }
}
