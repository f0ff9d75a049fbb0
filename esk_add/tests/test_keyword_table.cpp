// Keyword names, indices and options, and the registration of the hooks.

#include <gtest/gtest.h>

#include "esk_test_support.h"
#include "hooks/packet_hooks.h"
#include "keywords/keyword_table.h"
#include "vexl/savers.h"

namespace {

using namespace esk_add;

TEST(KeywordIndex, ValidatesIndexAndOption) {
    EXPECT_EQ(eskCheckIdx(0, 1), -1);
    EXPECT_EQ(eskCheckIdx(8, 1), 0);
    EXPECT_EQ(eskCheckIdx(65535, 0), 0);
    for (unsigned short l_usSeq : {1, 2}) {
        EXPECT_EQ(eskCheckIdx(l_usSeq, 0), -2);
        EXPECT_EQ(eskCheckIdx(l_usSeq, 10), -3);
        EXPECT_EQ(eskCheckIdx(l_usSeq, 255), -3);
        EXPECT_EQ(eskCheckIdx(l_usSeq, 1), l_usSeq);
        EXPECT_EQ(eskCheckIdx(l_usSeq, 9), l_usSeq);
    }
    for (unsigned short l_usIndex = 3; l_usIndex <= 7; ++l_usIndex)
        for (unsigned char l_ucOption : {0, 9, 15, 200})
            EXPECT_EQ(eskCheckIdx(l_usIndex, l_ucOption), l_usIndex);
}

TEST(KeywordIndex, TranslatesExactTextsOnly) {
    EXPECT_EQ(eskGetIdx(nullptr, 1), -1);
    EXPECT_EQ(eskGetIdx("", 1), -1);
    EXPECT_EQ(eskGetIdx("seq_", 1), 1);
    EXPECT_EQ(eskGetIdx("useq_", 9), 2);
    EXPECT_EQ(eskGetIdx("thread", 0), 3);
    EXPECT_EQ(eskGetIdx("chksumbegin", 0), 4);
    EXPECT_EQ(eskGetIdx("chksumset", 0), 5);
    EXPECT_EQ(eskGetIdx("sizedef4mul", 3), 6);
    EXPECT_EQ(eskGetIdx("sizeset4mul", 3), 7);
    // Case, missing or extra characters: unknown.
    EXPECT_EQ(eskGetIdx("seq", 1), 0);
    EXPECT_EQ(eskGetIdx("Seq_", 1), 0);
    EXPECT_EQ(eskGetIdx("seq_1", 1), 0);
    EXPECT_EQ(eskGetIdx("chksumsetx", 0), 0);
    EXPECT_EQ(eskGetIdx("sizeset_", 1), 0);
    // The option rules of the sequences.
    EXPECT_EQ(eskGetIdx("seq_", 0), -2);
    EXPECT_EQ(eskGetIdx("useq_", 10), -3);
}

TEST(KeywordIndex, GivesTextsOfValidIndicesOnly) {
    EXPECT_STREQ(eskGetTxt(1, 1), "seq_");
    EXPECT_STREQ(eskGetTxt(2, 5), "useq_");
    EXPECT_STREQ(eskGetTxt(5, 0), "chksumset");
    EXPECT_STREQ(eskGetTxt(7, 12), "sizeset4mul");
    EXPECT_EQ(eskGetTxt(0, 0), nullptr);
    EXPECT_EQ(eskGetTxt(8, 0), nullptr);
    EXPECT_EQ(eskGetTxt(1, 0), nullptr);
    EXPECT_EQ(eskGetTxt(2, 10), nullptr);
}

TEST(KeywordLink, RegistersTheSixHooksUnderSlotOne) {
    ASSERT_TRUE(esk_link());
    EXPECT_EQ(vexl::CFields::getCheckIdxFP4ESK(1), &eskCheckIdx);
    EXPECT_EQ(vexl::CFields::getGetIdxFP4ESK(1), &eskGetIdx);
    EXPECT_EQ(vexl::CFields::getGetTxtFP4ESK(1), &eskGetTxt);
    EXPECT_EQ(vexl::CFields::getAllotPktFP4ESK(1), &eskAllotPkt);
    EXPECT_EQ(vexl::CFields::getParsePktFP4ESK(1), &eskParsePkt);
    EXPECT_EQ(vexl::CFields::getCheckPktFP4ESK(1), &eskCheckPkt);
    EXPECT_EQ(vexl::CFields::getAllotPktFP4ESK(2), nullptr);
    EXPECT_TRUE(esk_link()); // registering again is harmless
    EXPECT_EQ(vexl::CFields::getAllotPktFP4ESK(1), &eskAllotPkt);
}

TEST(KeywordText, ReadsAndWritesEveryKeywordInDocuments) {
    const std::string l_strText = "{\n"
                                  "  \"a\" = (ANF4seq_1) 0,\n"
                                  "  \"b\" = (ANF6useq_9) 0,\n"
                                  "  \"c\" = (BNF4thread) 0,\n"
                                  "  \"d\" = (ACF2chksumbegin) \"ab\",\n"
                                  "  \"e\" = (BCF2chksumset) \"\",\n"
                                  "  \"f\" = (ANF2sizedef4mul) 0,\n"
                                  "  \"g\" = (ACD0sizeset4mul) \"x\"\n"
                                  "}";
    vexl::CFields l_tRoot = esk_test::loadDocument(l_strText);
    ASSERT_EQ(l_tRoot.getChildCount(), 7u);
    const uint16_t l_ausIndex[7] = {1, 2, 3, 4, 5, 6, 7};
    const uint8_t l_aucOption[7] = {1, 9, 0, 0, 0, 0, 0};
    for (unsigned i = 0; i < 7; ++i) {
        const vexl::tPacketExpInfo l_tExp = l_tRoot[i].pkt_GetExp();
        EXPECT_EQ(l_tExp.uSkiKind(), 1) << i;
        EXPECT_EQ(l_tExp.uSKI(), l_ausIndex[i]) << i;
        EXPECT_EQ(l_tExp.uSkiOption(), l_aucOption[i]) << i;
    }
    vexl::CSavers l_tSavers;
    const std::string l_strSaved = l_tSavers.saving(l_tRoot, vexl::SER_PKT, vexl::SIS_BASIC, "");
    EXPECT_EQ(l_strSaved, "{\"a\"=(ANF4seq_1)0,\"b\"=(ANF6useq_9)0,\"c\"=(BNF4thread)0,"
                          "\"d\"=(ACF2chksumbegin)\"ab\",\"e\"=(BCF2chksumset)\"\","
                          "\"f\"=(ANF2sizedef4mul)0,\"g\"=(ACD0sizeset4mul)\"x\"}");
}

TEST(KeywordText, RefusesSequencesWithoutAUsableOption) {
    for (const char *l_cpExp : {"(ANF4seq_)", "(ANF4useq_)", "(ANF4seq)", "(ANF4Seq_1)"}) {
        ASSERT_TRUE(esk_link());
        vexl::CFields l_tRoot;
        vexl::CLoaders l_tLoaders(vexl::LCBC_DEFAULT);
        l_tLoaders.loading(std::string("{ \"a\" = ") + l_cpExp + " 0 }", l_tRoot, "", true);
        const std::vector<vexl::tErrorRange> l_vecErrors = l_tLoaders.getSERLoader().getLoadErrors();
        ASSERT_EQ(l_vecErrors.size(), 1u) << l_cpExp;
        EXPECT_EQ(l_vecErrors[0].strMessage, "Found not a supporting-keyword index in packet expression")
            << l_cpExp;
    }
}

} // namespace
