// Fuzz target: received packets of arbitrary bytes against a layout that mixes ASCII and binary,
// bytes and numbers, fixed, variable and dynamic lengths, nested containers and keywords
// (size pairs, fix and valid values, a date, an external keyword).
//
// The same layout without its keywords runs through the compiled layout the tree keeps, and a
// copy through the recursive walk: results and stored values must agree, on the packet and on
// the packet made again from what was received.
//
// The first input byte chooses the options (store or measure, which checks run); the rest is the
// packet. Every entry point must stay inside the data: results are counts, never reads beyond
// it. An external hook checks that the inner arguments it is handed describe the data exactly.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "packet/packet_plan.h"
#include "vexl/fields.h"

using namespace vexl;

namespace {

constexpr unsigned char kSlot = 3;

tPacketExpInfo expression(E_PacketExpCode a_ePacket, E_RuntimeExpCode a_eRuntime, E_LengthExpCode a_eLength,
                          uint32_t a_uiNumber, int a_nCalibration = 0, unsigned a_uiKind = 0,
                          uint16_t a_usIndex = 0, unsigned a_uiOption = 0) {
    tPacketExpInfo l_tExp{};
    l_tExp.setPacketCode(a_ePacket);
    l_tExp.setRuntimeCode(a_eRuntime);
    l_tExp.setLengthCode(a_eLength);
    if (a_eLength == LEC_VARIABLE) {
        l_tExp.uVarWidth = uint8_t(a_uiNumber);
        l_tExp.nCalibration = int8_t(a_nCalibration);
    }
    l_tExp.setLength(a_uiNumber);
    l_tExp.setSkiKind(a_uiKind);
    l_tExp.setSKI(a_usIndex);
    l_tExp.setSkiOption(a_uiOption);
    return l_tExp;
}

template <typename T> CFields &add(CFields &a_tRecord, const T &a_tValue, const tPacketExpInfo &a_tExp) {
    CFields &l_tField =
        a_tRecord.isArray() ? a_tRecord.addArrayAt(CFields()) : a_tRecord.addChildRef("f", 0, true);
    l_tField = CFields(a_tValue);
    l_tField.pkt_SetExp(a_tExp);
    return l_tField;
}

CFields buildLayout() {
    constexpr auto A = PEC_ASCII, B = PEC_BINARY;
    constexpr auto C = REC_CHARACTER, N = REC_NUMBER;
    constexpr auto F = LEC_FIXED, V = LEC_VARIABLE, D = LEC_DYNAMIC;
    CFields l_tRoot(DT_fields);
    add(l_tRoot, "HEAD", expression(A, C, F, 4));
    add(l_tRoot, 0u, expression(A, N, F, 5));
    add(l_tRoot, 0, expression(B, N, F, 3));
    add(l_tRoot, DT_null, expression(A, C, V, 2, 0));
    add(l_tRoot, 0u, expression(A, N, V, 1, 1));
    add(l_tRoot, DT_null, expression(B, C, V, 1, 0));
    add(l_tRoot, 0, expression(B, N, V, 2, -1));
    add(l_tRoot, 0u, expression(A, C, F, 2, 0, 0, 3, 1)); // sizedef_1
    add(l_tRoot, "", expression(A, C, D, 0, 0, 0, 4, 1)); // sizeset_1
    add(l_tRoot, 0.0, expression(B, N, F, 9));
    add(l_tRoot, 0u, expression(A, N, F, 8, 0, 0, 31)); // YYYYMMDD
    add(l_tRoot, "abc", expression(A, C, F, 3, 0, 0, 1)).setVK(VK_Fixed);
    add(l_tRoot, 7, expression(A, N, F, 2, 0, 0, 2)).setVK(VK_Valid);
    CFields &l_tList = l_tRoot.addChildRef("list", 0, true);
    add(l_tList, "x", expression(A, C, F, 1));
    add(l_tList, true, expression(B, C, V, 1, 0));
    CFields &l_tInner = l_tRoot.addChildRef("inner", 0, true);
    add(l_tInner, DT_null, expression(A, C, V, 10, 0));
    add(l_tInner, DT_null, expression(B, N, V, 9, 3));
    add(l_tInner, 0u, expression(B, N, F, 2, 0, 0, 3, 2));      // sizedef_2
    add(l_tInner, DT_null, expression(B, C, D, 0, 0, 0, 4, 2)); // sizeset_2
    add(l_tRoot, 0u, expression(A, N, F, 12, 0, 0, 35));        // YYMMDDhhmmSS
    add(l_tRoot, DT_null, expression(A, C, F, 3, 0, kSlot, 9)); // external keyword
    add(l_tRoot, false, expression(B, C, F, 2));
    return l_tRoot;
}

// The external keyword's hooks read what the inner arguments describe, so a wrong position or
// length shows up as an out-of-bounds read.
int readHook(unsigned short, unsigned char, CFields &a_tField) {
    const tInnerSupportedArgs4ESK &l_tArgs = a_tField.pkt_GetISA4ESK();
    // Null data is handed on as no data at all.
    if ((l_tArgs.pData == nullptr && l_tArgs.uDataLen != 0) || l_tArgs.uPosition > l_tArgs.uDataLen ||
        l_tArgs.pMemo == nullptr)
        std::abort();
    const auto *l_p = static_cast<const unsigned char *>(l_tArgs.pData);
    unsigned l_uSum = 0;
    for (uint32_t i = l_tArgs.uPosition; i < l_tArgs.uDataLen; ++i)
        l_uSum += l_p[i];
    return int(l_uSum & 1u) + 1;
}

int allotHook(unsigned short, unsigned char, CFields &a_tField) {
    const tInnerSupportedArgs4ESK &l_tArgs = a_tField.pkt_GetISA4ESK();
    if (l_tArgs.pData == nullptr || l_tArgs.pMemo == nullptr)
        std::abort();
    return static_cast<const std::string *>(l_tArgs.pData)->size() % 2 == 0 ? 1 : 0;
}

const CFields &layout() {
    static const CFields s_tLayout = [] {
        CFields::setAllotPktFP4ESK(kSlot, allotHook);
        CFields::setParsePktFP4ESK(kSlot, readHook);
        CFields::setCheckPktFP4ESK(kSlot, readHook);
        return buildLayout();
    }();
    return s_tLayout;
}

void dropKeywords(CFields &a_tNode) {
    for (CFields &l_tChild : a_tNode) {
        tPacketExpInfo l_tExp = l_tChild.pkt_GetExp();
        l_tExp.setSKI(0);
        l_tExp.setSkiKind(0);
        l_tExp.setSkiOption(0);
        l_tChild.pkt_SetExp(l_tExp);
        dropKeywords(l_tChild);
    }
}

const CFields &plainLayout() {
    static const CFields s_tLayout = [] {
        CFields l_tRoot = buildLayout();
        dropKeywords(l_tRoot);
        return l_tRoot;
    }();
    return s_tLayout;
}

// A record of fixed fields only (the layouts' shortest paths): text and numbers, ASCII and
// binary, narrow and wide, one of them in a nested record.
const CFields &fixedRecord() {
    static const CFields s_tLayout = [] {
        constexpr auto A = PEC_ASCII, B = PEC_BINARY;
        constexpr auto C = REC_CHARACTER, N = REC_NUMBER;
        constexpr auto F = LEC_FIXED;
        CFields l_tRoot(DT_fields);
        add(l_tRoot, 1234567u, expression(A, N, F, 10));
        add(l_tRoot, "SVC1", expression(A, C, F, 4));
        add(l_tRoot, 20240305090703ULL, expression(A, N, F, 14));
        add(l_tRoot, "gateway-01", expression(A, C, F, 16));
        add(l_tRoot, 42u, expression(A, N, F, 3));
        add(l_tRoot, "a text wider than thirty-two bytes, cut", expression(A, C, F, 36));
        add(l_tRoot, -5, expression(A, N, F, 6));
        add(l_tRoot, 7u, expression(B, N, F, 4));
        add(l_tRoot, "bin", expression(B, C, F, 5));
        CFields &l_tInner = l_tRoot.addChildRef("inner", 0, true);
        add(l_tInner, 99u, expression(A, N, F, 20));
        add(l_tInner, DT_null, expression(A, C, F, 2));
        add(l_tRoot, "Y", expression(A, C, F, 1));
        return l_tRoot;
    }();
    return s_tLayout;
}

// The compiled layout of `a_tLayout` against the walk over `a_tWalked` (equal trees).
void compareWithWalk(CFields &a_tLayout, CFields &a_tWalked, const char *a_cpData, unsigned a_uiSize,
                     bool a_bStore) {
    using detail::CPacketPlan;
    if (a_tLayout.pkt_Parse4Children(a_cpData, a_uiSize, a_bStore) !=
        CPacketPlan::referenceParse(a_tWalked, a_cpData, a_uiSize, a_bStore))
        std::abort();
    const std::string l_strMade = a_tLayout.pkt_Make4Children(false);
    if (l_strMade != CPacketPlan::referenceMake(a_tWalked, false))
        std::abort();
    if (a_tLayout.pkt_Len4Children(false).uWord != detail::referenceLen4Children(a_tWalked, false).uWord)
        std::abort();
}

void visitLeaves(CFields &a_tNode, const char *a_cpData, unsigned a_uiSize) {
    for (CFields &l_tChild : a_tNode) {
        if (l_tChild.isField() || l_tChild.isArray()) {
            visitLeaves(l_tChild, a_cpData, a_uiSize);
            continue;
        }
        const int l_nLeft = l_tChild.pkt_Parse4OneSelf(a_cpData, a_uiSize, false);
        if (l_nLeft > int(a_uiSize))
            std::abort();
        l_tChild.pkt_DetailCheck4OneSelf(a_cpData, a_uiSize);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *a_pData, size_t a_uiSize) {
    if (a_uiSize == 0)
        return 0;
    const unsigned char l_ucOptions = a_pData[0];
    const char *l_cpPacket = reinterpret_cast<const char *>(a_pData + 1);
    const unsigned l_uiSize = unsigned(a_uiSize - 1);
    const bool l_bStore = (l_ucOptions & 1u) != 0;

    CFields l_tTree(layout());
    const int l_nLeft = l_tTree.pkt_Parse4Children(l_cpPacket, l_uiSize, l_bStore);
    if (l_nLeft > int(l_uiSize))
        std::abort();
    const unsigned l_uiFailedAt = l_tTree.pkt_DetailCheck4Children(l_cpPacket, l_uiSize);
    if (l_uiFailedAt > l_uiSize + 1)
        std::abort();
    l_tTree.pkt_Check4Children(false);
    l_tTree.pkt_Check4Children(true);
    if (l_ucOptions & 2u)
        visitLeaves(l_tTree, l_cpPacket, l_uiSize);
    if (l_ucOptions & 4u) {
        // What was received, made again, must parse without reading past the new packet either.
        const std::string l_strMade = l_tTree.pkt_Make4Children((l_ucOptions & 8u) != 0);
        CFields l_tAgain(layout());
        l_tAgain.pkt_Parse4Children(l_strMade.data(), unsigned(l_strMade.size()), true);
        l_tAgain.pkt_DetailCheck4Children(l_strMade.data(), unsigned(l_strMade.size()));
    }
    if (l_ucOptions & 16u)
        l_tTree.pkt_Parse4Children(nullptr, l_uiSize, l_bStore);
    l_tTree.pkt_Len4Children((l_ucOptions & 32u) != 0);

    CFields l_tLayout(plainLayout());
    CFields l_tWalked(plainLayout());
    compareWithWalk(l_tLayout, l_tWalked, l_cpPacket, l_uiSize, l_bStore);
    const std::string l_strMade = l_tLayout.pkt_Make4Children(false);
    compareWithWalk(l_tLayout, l_tWalked, l_strMade.data(), unsigned(l_strMade.size()), true);

    // The same for a record of fixed fields, parsed twice so that values are taken in place.
    CFields l_tFixed(fixedRecord());
    CFields l_tFixedWalked(fixedRecord());
    for (int l_nRound = 0; l_nRound < 2; ++l_nRound)
        compareWithWalk(l_tFixed, l_tFixedWalked, l_cpPacket, l_uiSize, l_bStore);
    const std::string l_strFixed = l_tFixed.pkt_Make4Children(false);
    compareWithWalk(l_tFixed, l_tFixedWalked, l_strFixed.data(), unsigned(l_strFixed.size()), true);
    return 0;
}
