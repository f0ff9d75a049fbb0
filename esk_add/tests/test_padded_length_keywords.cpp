// "sizedef4mul" and "sizeset4mul" through real packets: padding while making, the padded length
// while parsing and checking, and the refusals.

#include <gtest/gtest.h>

#include <string>

#include "esk_test_support.h"

namespace {

using esk_test::hex;
using esk_test::loadDocument;

const char *const kPairDocument = "{ \"len\" = (ANF2sizedef4mul) 0, \"data\" = (ACD0sizeset4mul) \"hello\", "
                                  "\"tail\" = (ACF3) \"END\" }";

TEST(PaddedLengthKeyword, PadsFiveBytesToEightAndWritesFiveIntoItsPartner) {
    vexl::CFields l_tRoot = loadDocument(kPairDocument);
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    EXPECT_EQ(hex(l_strPacket), hex(std::string("05hello\xFF\xFF\xFF") + "END"));
    EXPECT_EQ(l_tRoot["len"].getDT(), vexl::DT_uint);
    EXPECT_EQ(l_tRoot["len"].asUint64(), 5u);
    EXPECT_EQ(l_tRoot["data"].pkt_GetExp().uLength(), 8u);
    EXPECT_EQ(hex(l_tRoot["data"].asString()), hex("hello\xFF\xFF\xFF"));
    EXPECT_EQ(l_tRoot.pkt_DetailCheck4Children(l_strPacket.data(), unsigned(l_strPacket.size())), 0u);
    // The pad is now part of the value: made again, the field counts 8 bytes of its own.
    EXPECT_EQ(hex(l_tRoot.pkt_Make4Children(true)), hex(std::string("08hello\xFF\xFF\xFF") + "END"));

    // Parsed into a fresh tree: the partner's 5 makes the field read 8 bytes.
    vexl::CFields l_tParsed = loadDocument(kPairDocument);
    EXPECT_EQ(l_tParsed.pkt_Parse4Children(l_strPacket.data(), unsigned(l_strPacket.size()), true), 0);
    EXPECT_EQ(l_tParsed["data"].pkt_GetExp().uLength(), 8u);
    EXPECT_EQ(hex(l_tParsed["data"].asString()), hex("hello\xFF\xFF\xFF"));
    EXPECT_EQ(l_tParsed["tail"].asString(), "END");
    // Checking a fresh tree sets the same length on the way.
    vexl::CFields l_tChecked = loadDocument(kPairDocument);
    EXPECT_EQ(l_tChecked.pkt_DetailCheck4Children(l_strPacket.data(), unsigned(l_strPacket.size())), 0u);
    EXPECT_EQ(l_tChecked["data"].pkt_GetExp().uLength(), 8u);
}

TEST(PaddedLengthKeyword, LeavesAMultipleOfFourAsItIs) {
    vexl::CFields l_tRoot = loadDocument("{ \"len\" = (ANF2sizedef4mul) 0, \"data\" = (ACD0sizeset4mul) "
                                         "\"abcdefgh\" }");
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "08abcdefgh");
    EXPECT_EQ(l_tRoot["data"].asString(), "abcdefgh");
    EXPECT_EQ(l_tRoot["data"].pkt_GetExp().uLength(), 8u);
}

TEST(PaddedLengthKeyword, PadsBinaryFieldsAndBorrowedBytes) {
    vexl::CFields l_tRoot =
        loadDocument("{ \"len\" = (BNF1sizedef4mul) 0, \"data\" = (BCD0sizeset4mul) \"\" }");
    static const char s_acBorrowed[] = "hey";
    l_tRoot["data"] = vexl::CStaticString(s_acBorrowed);
    // The borrowed text is copied into the field and padded; the text itself is untouched.
    EXPECT_EQ(hex(l_tRoot.pkt_Make4Children(true)), hex(std::string("\x03hey\xFF", 5)));
    EXPECT_STREQ(s_acBorrowed, "hey");
    // A number has no bytes to pad: its encoder fills the 8 places with its own zeros.
    vexl::CFields l_tNumber =
        loadDocument("{ \"len\" = (ANF1sizedef4mul) 0, \"data\" = (ACD0sizeset4mul) 12345 }");
    EXPECT_EQ(l_tNumber.pkt_Make4Children(true), "500012345");
}

TEST(PaddedLengthKeyword, WithoutAMarkerOrWithAnotherOptionTheFieldIsMadeAsItIs) {
    vexl::CFields l_tRoot = loadDocument("{ \"data\" = (ACF5sizeset4mul) \"hello\" }");
    EXPECT_EQ(l_tRoot.pkt_Make4Children(true), "hello");
    EXPECT_EQ(l_tRoot["data"].pkt_GetExp().uLength(), 5u);
}

TEST(PaddedLengthKeyword, RefusesASizeThatIsNoNumberOrDoesNotFit) {
    // A negative or textual size: the padded field is left out of the packet.
    vexl::CFields l_tNegative = loadDocument("{ \"len\" = (ANF2sizedef4mul) -3, \"data\" = (ACD0sizeset4mul) "
                                             "\"hello\" }");
    EXPECT_EQ(l_tNegative.pkt_Make4Children(true), "-3");
    vexl::CFields l_tText = loadDocument("{ \"len\" = (ACF2sizedef4mul) \"ab\", \"data\" = (ACD0sizeset4mul) "
                                         "\"hello\" }");
    EXPECT_EQ(l_tText.pkt_Make4Children(true), "ab");
    // A variable size field whose new text is longer than the old one, with nothing after it in
    // the packet: rewriting it would run past the end of the packet, so the field is refused.
    vexl::CFields l_tGrows = loadDocument("{ \"len\" = (ANV1+0sizedef4mul) 0, \"data\" = (ACD0sizeset4mul) "
                                          "\"hello world!\" }");
    EXPECT_EQ(l_tGrows.pkt_Make4Children(true), "20");
    EXPECT_EQ(l_tGrows["len"].asUint64(), 0u) << "the size field keeps the value its bytes show";
}

TEST(PaddedLengthKeyword, ReadsSizesThatEndAtTheEndOfTheDataAndRefusesBrokenOnes) {
    // The size field ends exactly at the end of the data: it is read, and the padded field, which
    // has no bytes left, reports 8 missing.
    vexl::CFields l_tRoot = loadDocument(kPairDocument);
    EXPECT_EQ(l_tRoot.pkt_Parse4Children("05", 2, true), -8 - 3);
    EXPECT_EQ(l_tRoot["data"].pkt_GetExp().uLength(), 8u);
    // A size of 0 changes nothing.
    vexl::CFields l_tZero = loadDocument(kPairDocument);
    EXPECT_EQ(l_tZero.pkt_Parse4Children("00END", 5, true), 0);
    EXPECT_EQ(l_tZero["data"].pkt_GetExp().uLength(), 0u);
    EXPECT_EQ(l_tZero["tail"].asString(), "END");
    // Cut short, not a number, negative: no size is recorded.
    for (const char *l_cpBad : {"0", "x5hello", "-5hello"}) {
        vexl::CFields l_tBad = loadDocument(kPairDocument);
        const std::string l_strBad = l_cpBad;
        l_tBad.pkt_Parse4Children(l_strBad.data(), unsigned(l_strBad.size()), true);
        EXPECT_EQ(l_tBad["data"].pkt_GetExp().uLength(), 0u) << l_strBad;
    }
    // A size above 32 bits, or one that rounds up past 32 bits, is no length.
    vexl::CFields l_tHuge =
        loadDocument("{ \"len\" = (ANF11sizedef4mul) 0, \"data\" = (ACD0sizeset4mul) \"\" }");
    l_tHuge.pkt_Parse4Children("99999999999", 11, true);
    EXPECT_EQ(l_tHuge["data"].pkt_GetExp().uLength(), 0u);
    l_tHuge.pkt_Parse4Children("04294967295", 11, true);
    EXPECT_EQ(l_tHuge["data"].pkt_GetExp().uLength(), 0u);
    l_tHuge.pkt_Parse4Children("04294967292", 11, true);
    EXPECT_EQ(l_tHuge["data"].pkt_GetExp().uLength(), 4294967292u);
}

} // namespace
