// The 10-byte packet expression: members that read and assign like plain members land on their
// bits and bytes, leave their neighbours alone, and agree with the accessors and raw bytes.

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "vexl/packet_exp.h"

using namespace vexl;

namespace {

std::array<uint8_t, 10> bytesOf(const tPacketExpInfo &e) {
    std::array<uint8_t, 10> l_a{};
    std::memcpy(l_a.data(), &e, sizeof(e));
    return l_a;
}

} // namespace

TEST(PacketExpRecord, EachMemberSetsItsOwnBitsAndBytes) {
    struct tCase {
        void (*fnSet)(tPacketExpInfo &);
        std::array<uint8_t, 10> aExpected;
    };
    const tCase l_acCases[] = {
        {[](tPacketExpInfo &e) { e.ePacketCode = PEC_BINARY; }, {0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.eRuntimeCode = REC_NUMBER; }, {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.eLengthCode = LEC_DYNAMIC; }, {0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.uVarWidth = 3; }, {0, 3, 0, 0, 0, 0, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.nCalibration = -2; }, {0, 0, 0xFE, 0, 0, 0, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.uSkiKind = 13; }, {0, 0, 0, 0x0D, 0, 0, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.uSkiOption = 9; }, {0, 0, 0, 0x90, 0, 0, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.uSKI = 0x1234; }, {0, 0, 0, 0, 0x34, 0x12, 0, 0, 0, 0}},
        {[](tPacketExpInfo &e) { e.uLength = 0x89ABCDEFu; }, {0, 0, 0, 0, 0, 0, 0xEF, 0xCD, 0xAB, 0x89}},
        // Bits beyond a member's width are dropped, as a bit-field drops them.
        {[](tPacketExpInfo &e) { e.uSkiKind = 0x1F; }, {0, 0, 0, 0x0F, 0, 0, 0, 0, 0, 0}},
    };
    for (const tCase &l_case : l_acCases) {
        tPacketExpInfo l_e{};
        l_case.fnSet(l_e);
        EXPECT_EQ(bytesOf(l_e), l_case.aExpected);
    }
}

TEST(PacketExpRecord, MembersKeepTheirNeighboursAndAgreeWithTheAccessors) {
    tPacketExpInfo l_e{};
    l_e.ePacketCode = PEC_BINARY;
    l_e.eRuntimeCode = REC_NUMBER;
    l_e.eLengthCode = LEC_VARIABLE;
    l_e.uVarWidth = 2;
    l_e.nCalibration = 5;
    l_e.uSkiKind = 1;
    l_e.uSkiOption = 3;
    l_e.uSKI = 2;
    l_e.uLength = 8;
    EXPECT_EQ(bytesOf(l_e), (std::array<uint8_t, 10>{0x07, 2, 5, 0x31, 2, 0, 8, 0, 0, 0}));

    // Read as plain members, by call, through the raw bytes.
    EXPECT_TRUE(l_e.eLengthCode == LEC_VARIABLE);
    EXPECT_EQ(l_e.ePacketCode(), PEC_BINARY);
    EXPECT_EQ(l_e.eRuntimeCode(), REC_NUMBER);
    EXPECT_EQ(l_e.uSkiKind(), 1u);
    EXPECT_EQ(l_e.uSkiOption + 0, 3);
    EXPECT_EQ(l_e.uSKI(), 2u);
    EXPECT_EQ(l_e.uLength + 1u, 9u);
    EXPECT_EQ(l_e.ucCodes, 0x07);
    EXPECT_EQ(l_e.ucSkiKindOpt, 0x31);
    switch (l_e.eLengthCode) {
    case LEC_VARIABLE:
        break;
    default:
        ADD_FAILURE() << "switch on the member";
    }

    // Changing one member of a shared byte leaves the others.
    l_e.eRuntimeCode = REC_CHARACTER;
    EXPECT_EQ(l_e.ePacketCode(), PEC_BINARY);
    EXPECT_EQ(l_e.eLengthCode(), LEC_VARIABLE);
    l_e.uSkiOption = 0;
    EXPECT_EQ(l_e.uSkiKind(), 1u);
    // The setters are the same assignments.
    tPacketExpInfo l_f{};
    l_f.setPacketCode(PEC_BINARY);
    l_f.setLengthCode(LEC_VARIABLE);
    l_f.uVarWidth = 2;
    l_f.nCalibration = 5;
    l_f.setSkiKind(1);
    l_f.setSKI(2);
    l_f.setLength(8);
    EXPECT_TRUE(l_f == l_e);

    // A member copied from another record takes that value only (through its value).
    tPacketExpInfo l_g{};
    l_g.eLengthCode = l_e.eLengthCode();
    l_g.uLength = l_e.uLength;
    EXPECT_EQ(bytesOf(l_g), (std::array<uint8_t, 10>{0x04, 0, 0, 0, 0, 0, 8, 0, 0, 0}));
    tPacketExpInfo l_h = l_e;
    EXPECT_TRUE(l_h == l_e);
}
