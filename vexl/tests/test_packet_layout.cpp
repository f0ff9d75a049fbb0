// Compiled packet layouts against the recursive walk over the tree: random layouts and values
// (every code, data type and keyword family, external hooks from a table below, the clock
// fixed), compared on making, measuring, parsing and checking, also after the tree changes
// between calls; and the calls that make into the caller's memory.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "packet/packet_plan.h"
#include "test_packet_support.h"
#include "vexl/fields.h"

using namespace vexl;
using vexl_packet_test::addLeaf;
using vexl_packet_test::CClockScope;
using vexl_packet_test::fixedClock;
using vexl_packet_test::pei;

namespace {

// MARK: - External keywords of the tests (slot 9)

constexpr unsigned char kSlot = 9;

// Index 1 sets the field to 7, index 2 leaves it out, index 3 also marks the packet made so far.
int allotHook(unsigned short index, unsigned char, CFields &field) {
    if (index == 2)
        return 0;
    field.setValue(7ULL);
    if (index == 3) {
        auto *l_pPacket = static_cast<std::string *>(field.pkt_GetISA4ESK().pData);
        if (l_pPacket != nullptr && !l_pPacket->empty())
            (*l_pPacket)[0] = '#';
    }
    return 1;
}

// Records the position it was called at in the field's user pointer.
int parseHook(unsigned short, unsigned char, CFields &field) {
    field.pkt_SetOSA4User(reinterpret_cast<const void *>(uintptr_t(field.pkt_GetISA4ESK().uPosition) + 1));
    return 1;
}

class CHookScope {
public:
    CHookScope() {
        CFields::setAllotPktFP4ESK(kSlot, allotHook);
        CFields::setParsePktFP4ESK(kSlot, parseHook);
    }
    ~CHookScope() {
        CFields::setAllotPktFP4ESK(kSlot, nullptr);
        CFields::setParsePktFP4ESK(kSlot, nullptr);
    }
};

// MARK: - Random layouts and values

class CGenerator {
public:
    explicit CGenerator(uint32_t seed, bool keywords, bool fixedOnly = false)
        : m_rng(seed), m_bKeywords(keywords), m_bFixedOnly(fixedOnly) {}

    unsigned below(unsigned n) { return unsigned(m_rng() % n); }

    tPacketExpInfo expression() {
        tPacketExpInfo l_tExp{};
        l_tExp.setPacketCode(below(2) ? PEC_BINARY : PEC_ASCII);
        l_tExp.setRuntimeCode(below(2) ? REC_NUMBER : REC_CHARACTER);
        if (m_bFixedOnly) {
            // The layouts of fixed records: every field fixed and at least one byte wide.
            l_tExp.setLengthCode(LEC_FIXED);
            l_tExp.setLength(1 + (below(8) == 0 ? below(40) : below(16)));
            return l_tExp;
        }
        const unsigned l_uCode = below(20);
        if (l_uCode < 11) {
            l_tExp.setLengthCode(LEC_FIXED);
            // Mostly short fields; some past 32 bytes, where the short copies hand over.
            l_tExp.setLength(below(8) == 0 ? below(70) : below(21));
        } else if (l_uCode < 16) {
            l_tExp.setLengthCode(LEC_VARIABLE);
            l_tExp.uVarWidth = uint8_t(below(4));
            l_tExp.nCalibration = int8_t(int(below(7)) - 3);
            l_tExp.setLength(l_tExp.uVarWidth);
        } else if (l_uCode < 19) {
            l_tExp.setLengthCode(LEC_DYNAMIC);
            l_tExp.setLength(below(13));
        } else {
            l_tExp.setLengthCode(E_LengthExpCode(3)); // never produced, but storable
            l_tExp.setLength(below(5));
        }
        if (m_bKeywords && below(4) == 0) {
            static const unsigned s_auInternal[] = {1,  2,  3,  3,  4,  4,  11, 12, 13, 14, 15, 16,
                                                    17, 18, 19, 20, 31, 32, 33, 34, 35, 36, 37, 38};
            if (below(5) == 0) {
                l_tExp.setSkiKind(kSlot);
                l_tExp.setSKI(uint16_t(1 + below(3)));
            } else {
                const unsigned l_uIndex = s_auInternal[below(sizeof(s_auInternal) / sizeof(s_auInternal[0]))];
                l_tExp.setSKI(uint16_t(l_uIndex));
                if (l_uIndex == 3 || l_uIndex == 4)
                    l_tExp.setSkiOption(below(3));
            }
        }
        return l_tExp;
    }

    void value(CFields &a_tField) {
        switch (below(8)) {
        case 0:
            a_tField.setValue(DT_null);
            break;
        case 1:
            a_tField.setValue(below(2) == 1);
            break;
        case 2:
            a_tField.setValue(static_cast<long long>(m_rng() % 2000001) - 1000000 -
                              (below(8) == 0 ? (1LL << 40) : 0));
            break;
        case 3:
            a_tField.setValue(below(4) == 0 ? (uint64_t(m_rng()) << 32 | m_rng()) : uint64_t(below(100000)));
            break;
        case 4:
            a_tField.setValue((double(below(20001)) - 10000.0) / double(1 + below(8)));
            break;
        case 5: {
            // Borrowed text, measured each time it is read.
            static const char *const s_apBorrowed[] = {"",
                                                       "Y",
                                                       "AB",
                                                       "KRW",
                                                       "gateway-01",
                                                       "192.168.100.201",
                                                       "a borrowed text of more than thirty-two bytes"};
            a_tField = CStaticString(s_apBorrowed[below(7)]);
            break;
        }
        default: {
            std::string l_strText(below(6) == 0 ? below(45) : below(21), '\0');
            for (char &c : l_strText)
                c = below(3) == 0 ? char(m_rng()) : char('0' + below(10));
            a_tField.setValue(l_strText);
            break;
        }
        }
    }

    void leaf(CFields &a_tField) {
        value(a_tField);
        a_tField.pkt_SetExp(expression());
        // Fixed and valid values of the same type for the light check.
        if (below(4) == 0 && a_tField.getDT() != DT_null) {
            // A copy of the actual value, or a small number that may differ from it.
            if (below(2) == 0)
                a_tField.setValue(static_cast<long long>(below(3)), VK_Fixed);
            a_tField.setVK(below(2) ? VK_Fixed : VK_Valid);
        }
    }

    // A record of 1 to 12 members, some of them records or arrays (possibly empty).
    void record(CFields &a_tNode, unsigned a_uDepth) {
        const unsigned l_uCount = 1 + below(12);
        for (unsigned i = 0; i < l_uCount; ++i) {
            CFields &l_tChild = a_tNode.getDT() == DT_array ? a_tNode.addChildRef(nullptr)
                                                            : a_tNode.addChildRef("f", 0, true);
            const unsigned l_uKind = below(10);
            if (a_uDepth < 2 && l_uKind == 0) {
                l_tChild.setValue(below(2) ? DT_fields : DT_array);
                if (below(4) != 0)
                    record(l_tChild, a_uDepth + 1);
            } else {
                leaf(l_tChild);
            }
        }
    }

private:
    std::mt19937 m_rng;
    bool m_bKeywords;
    bool m_bFixedOnly;
};

// MARK: - Comparing trees

void collect(CFields &a_tNode, std::vector<CFields *> &a_vecLeaves, std::vector<CFields *> &a_vecContainers) {
    for (CFields &l_tChild : a_tNode) {
        if (l_tChild.getDT() == DT_fields || l_tChild.getDT() == DT_array) {
            a_vecContainers.push_back(&l_tChild);
            collect(l_tChild, a_vecLeaves, a_vecContainers);
        } else {
            a_vecLeaves.push_back(&l_tChild);
        }
    }
}

// Everything the engine may change: types, values, expressions, user pointers, structure.
bool sameTree(const CFields &a, const CFields &b) {
    if (a.getDT() != b.getDT() || !(a.pkt_GetExp() == b.pkt_GetExp()) || a.getVK() != b.getVK() ||
        a.pkt_GetOSA4User() != b.pkt_GetOSA4User() || a.getChildCount() != b.getChildCount())
        return false;
    if (a.getDT() == DT_codelist) {
        if (a.asString() != b.asString())
            return false;
    } else if (a.getDT() != DT_fields && a.getDT() != DT_array &&
               a.getValueRef().m_ullValue != b.getValueRef().m_ullValue) {
        return false;
    }
    for (unsigned i = 0; i < a.getChildCount(); ++i)
        if (!sameTree(a.getChildAt(i), b.getChildAt(i)))
            return false;
    return true;
}

// The outcome of one call: its result or its error, as text.
template <typename F> std::string outcome(F &&a_fCall) {
    try {
        return "ok:" + a_fCall();
    } catch (const std::exception &e) {
        return std::string("error:") + e.what();
    }
}

// Runs every call on `layout` (compiled, reused across calls) and on `walked` (the recursive
// walk), which start equal, and expects equal results and equal trees after each call.
void compareCalls(CFields &layout, CFields &walked, CGenerator &gen, const char *stage) {
    for (bool l_bKeywords : {false, true}) {
        SCOPED_TRACE(std::string(stage) + (l_bKeywords ? " keywords" : " no keywords"));
        EXPECT_EQ(layout.pkt_Len4Children(l_bKeywords).uWord,
                  detail::referenceLen4Children(walked, l_bKeywords).uWord);
        for (bool l_bValid : {false, true})
            EXPECT_EQ(layout.pkt_Check4Children(l_bValid), detail::referenceCheck4Children(walked, l_bValid));

        const std::string l_strWant =
            outcome([&] { return detail::CPacketPlan::referenceMake(walked, l_bKeywords); });
        EXPECT_EQ(outcome([&] { return layout.pkt_Make4Children(l_bKeywords); }), l_strWant);
        ASSERT_TRUE(sameTree(layout, walked));
        // The same bytes into a buffer and appended to a string with content.
        if (l_strWant.rfind("ok:", 0) == 0) {
            const std::string l_strPacket = l_strWant.substr(3);
            std::vector<char> l_vecBuffer(l_strPacket.size() + 4, '\x5A');
            EXPECT_EQ(layout.pkt_Make4ChildrenTo(l_vecBuffer.data(), l_vecBuffer.size(), l_bKeywords),
                      l_strPacket.size());
            EXPECT_EQ(std::string(l_vecBuffer.data(), l_strPacket.size()), l_strPacket);
            EXPECT_EQ(l_vecBuffer.back(), '\x5A');
            std::string l_strOut = "head";
            EXPECT_EQ(layout.pkt_Append4Children(l_strOut, l_bKeywords), l_strPacket.size());
            EXPECT_EQ(l_strOut, "head" + l_strPacket);
            detail::CPacketPlan::referenceMake(walked, l_bKeywords);
            detail::CPacketPlan::referenceMake(walked, l_bKeywords);
            ASSERT_TRUE(sameTree(layout, walked));

            // Parsing: the packet, cut short, damaged, with digits, with bytes to spare.
            std::vector<std::string> l_vecInputs = {l_strPacket, l_strPacket + "tail"};
            if (!l_strPacket.empty()) {
                l_vecInputs.push_back(l_strPacket.substr(0, gen.below(unsigned(l_strPacket.size()))));
                std::string l_strDamaged = l_strPacket;
                for (unsigned i = 0; i < 3; ++i) {
                    const char l_acBytes[] = {'-', '0', '9', ' ', '\0', '\xFF', '+', '.'};
                    l_strDamaged[gen.below(unsigned(l_strDamaged.size()))] = l_acBytes[gen.below(8)];
                }
                l_vecInputs.push_back(l_strDamaged);
            }
            std::string l_strDigits(gen.below(60), '0');
            for (char &c : l_strDigits)
                c = char('0' + gen.below(10));
            l_vecInputs.push_back(l_strDigits);
            for (const std::string &l_strInput : l_vecInputs) {
                for (bool l_bStore : {false, true}) {
                    const int l_nWant = detail::CPacketPlan::referenceParse(
                        walked, l_strInput.data(), unsigned(l_strInput.size()), l_bStore);
                    EXPECT_EQ(
                        layout.pkt_Parse4Children(l_strInput.data(), unsigned(l_strInput.size()), l_bStore),
                        l_nWant);
                    ASSERT_TRUE(sameTree(layout, walked)) << "parse of " << l_strInput.size() << " bytes";
                }
            }
        }
    }
}

// One change to the tree, the same on both trees (the generator's state decides which).
void mutate(CFields &a_tRoot, uint32_t a_uSeed) {
    CGenerator l_gen(a_uSeed, true);
    std::vector<CFields *> l_vecLeaves, l_vecContainers;
    collect(a_tRoot, l_vecLeaves, l_vecContainers);
    const unsigned l_uRootCount = a_tRoot.getChildCount();
    switch (l_gen.below(9)) {
    case 0: // a packet expression
        if (!l_vecLeaves.empty())
            l_vecLeaves[l_gen.below(unsigned(l_vecLeaves.size()))]->pkt_SetExp(l_gen.expression());
        break;
    case 1: // a child added
        l_gen.leaf(a_tRoot.addChildRef("new", 0, true));
        break;
    case 2: // a child removed
        if (l_uRootCount > 1)
            a_tRoot.removeChildAt(l_gen.below(l_uRootCount));
        break;
    case 3: { // a child moved to the end
        if (l_uRootCount > 1) {
            CFields l_tMoved;
            a_tRoot.removeChildAt(l_gen.below(l_uRootCount), &l_tMoved);
            a_tRoot.addChildRef("moved", 0, true).setField(l_tMoved);
        }
        break;
    }
    case 4: // a value of another type
        if (!l_vecLeaves.empty())
            l_gen.value(*l_vecLeaves[l_gen.below(unsigned(l_vecLeaves.size()))]);
        break;
    case 5: // a leaf becomes a record
        if (!l_vecLeaves.empty()) {
            CFields &l_tLeaf = *l_vecLeaves[l_gen.below(unsigned(l_vecLeaves.size()))];
            l_tLeaf.setValue(DT_fields);
            l_gen.leaf(l_tLeaf.addChildRef("inner", 0, true));
        }
        break;
    case 6: // a nested container grows (its block moves) or is emptied
        if (!l_vecContainers.empty()) {
            CFields &l_tNode = *l_vecContainers[l_gen.below(unsigned(l_vecContainers.size()))];
            if (l_gen.below(3) == 0) {
                l_tNode.removeChildAll();
            } else {
                for (unsigned i = 0; i < 5; ++i)
                    l_gen.leaf(l_tNode.getDT() == DT_array ? l_tNode.addChildRef(nullptr)
                                                           : l_tNode.addChildRef("g", 0, true));
            }
        }
        break;
    case 7: { // the last child replaced by another in the same place
        CFields l_tOld;
        a_tRoot.removeChildAt(l_uRootCount - 1, &l_tOld);
        l_gen.leaf(a_tRoot.addChildRef("same", 0, true));
        break;
    }
    default: // a variable field's recorded length, as a stored parse sets it
        for (CFields *l_pLeaf : l_vecLeaves) {
            tPacketExpInfo l_tExp = l_pLeaf->pkt_GetExp();
            if (l_tExp.eLengthCode() == LEC_VARIABLE) {
                l_tExp.setLength(l_tExp.uLength() + 3);
                l_pLeaf->pkt_SetExp(l_tExp);
            }
        }
        break;
    }
}

} // namespace

// MARK: - Sameness

TEST(PacketLayout, RandomLayoutsMatchTheWalkOverTheTree) {
    CClockScope l_clock(fixedClock);
    CHookScope l_hooks;
    for (uint32_t l_uSeed = 1; l_uSeed <= 300; ++l_uSeed) {
        SCOPED_TRACE("seed " + std::to_string(l_uSeed));
        CGenerator l_gen(l_uSeed, l_uSeed % 2 == 0);
        CFields l_tLayout(DT_fields);
        l_gen.record(l_tLayout, 0);
        CFields l_tWalked(l_tLayout);
        ASSERT_TRUE(sameTree(l_tLayout, l_tWalked));
        compareCalls(l_tLayout, l_tWalked, l_gen, "first");
        // Changes between calls: the kept layout must follow each of them.
        for (uint32_t l_uStep = 0; l_uStep < 6; ++l_uStep) {
            const uint32_t l_uMutation = l_uSeed * 131 + l_uStep;
            mutate(l_tLayout, l_uMutation);
            mutate(l_tWalked, l_uMutation);
            ASSERT_TRUE(sameTree(l_tLayout, l_tWalked));
            compareCalls(l_tLayout, l_tWalked, l_gen, "after a change");
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(PacketLayout, FixedRecordsMatchTheWalkOverTheTree) {
    // Records of fixed fields only take the shortest paths of making and parsing. The changes
    // between calls may bring in other fields and keywords.
    CClockScope l_clock(fixedClock);
    CHookScope l_hooks;
    for (uint32_t l_uSeed = 1; l_uSeed <= 200; ++l_uSeed) {
        SCOPED_TRACE("seed " + std::to_string(l_uSeed));
        CGenerator l_gen(l_uSeed, false, true);
        CFields l_tLayout(DT_fields);
        l_gen.record(l_tLayout, 0);
        CFields l_tWalked(l_tLayout);
        compareCalls(l_tLayout, l_tWalked, l_gen, "first");
        for (uint32_t l_uStep = 0; l_uStep < 4; ++l_uStep) {
            const uint32_t l_uMutation = l_uSeed * 131 + l_uStep;
            mutate(l_tLayout, l_uMutation);
            mutate(l_tWalked, l_uMutation);
            compareCalls(l_tLayout, l_tWalked, l_gen, "after a change");
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(PacketLayout, AFieldParsedFromItsOwnBytesKeepsThem) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", "abcd", "ACF4");
    ASSERT_EQ(l_tRoot.pkt_Make4Children(false), "abcd");
    const char *l_cpOwn = nullptr;
    ASSERT_EQ(l_tRoot[0u].getCodePoint(&l_cpOwn), 4u);
    EXPECT_EQ(l_tRoot.pkt_Parse4Children(l_cpOwn, 4, true), 0);
    EXPECT_EQ(l_tRoot[0u].asString(), "abcd");
}

TEST(PacketLayout, CopiesDoNotShareALayout) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", 12, "ANF4");
    addLeaf(l_tRoot, "b", "xy", "ACF3");
    ASSERT_EQ(l_tRoot.pkt_Make4Children(false), "0012xy ");
    CFields l_tCopy(l_tRoot);
    l_tCopy[0u].pkt_SetExp(pei("ANF2"));
    EXPECT_EQ(l_tCopy.pkt_Make4Children(false), "12xy ");
    EXPECT_EQ(l_tRoot.pkt_Make4Children(false), "0012xy ");
    // A moved tree takes its layout along and still follows changes.
    CFields l_tMoved(std::move(l_tRoot));
    l_tMoved[1u] = "abcd";
    EXPECT_EQ(l_tMoved.pkt_Make4Children(false), "0012abc");
    l_tMoved.pkt_ReleaseLayout();
    EXPECT_EQ(l_tMoved.pkt_Make4Children(false), "0012abc");
}

// MARK: - Making into the caller's memory

TEST(PacketMakeTo, BufferTooSmallGetsNothingAndTheNeededLength) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", 7, "ANF3");
    addLeaf(l_tRoot, "b", "text", "ACV2+0");
    const std::string l_strWant = l_tRoot.pkt_Make4Children(false);
    ASSERT_EQ(l_strWant, "00706text");
    char l_acBuffer[16];
    std::memset(l_acBuffer, '*', sizeof(l_acBuffer));
    EXPECT_EQ(l_tRoot.pkt_Make4ChildrenTo(l_acBuffer, l_strWant.size() - 1, false), l_strWant.size());
    EXPECT_EQ(std::string(l_acBuffer, sizeof(l_acBuffer)), std::string(16, '*'));
    EXPECT_EQ(l_tRoot.pkt_Make4ChildrenTo(nullptr, 100, false), l_strWant.size());
    EXPECT_EQ(l_tRoot.pkt_Make4ChildrenTo(l_acBuffer, l_strWant.size(), false), l_strWant.size());
    EXPECT_EQ(std::string(l_acBuffer, l_strWant.size()), l_strWant);
    EXPECT_EQ(l_acBuffer[l_strWant.size()], '*');
    // A field alone, and a subtree.
    CFields l_tLeaf = vexl_packet_test::leaf(5, "ANF2");
    EXPECT_EQ(l_tLeaf.pkt_Make4ChildrenTo(l_acBuffer, 2, false), 2u);
    EXPECT_EQ(std::string(l_acBuffer, 2), "05");
    EXPECT_EQ(l_tRoot.pkt_Make4ChildrenTo(l_acBuffer, 3, false, &l_tRoot[0u]), 3u);
    EXPECT_EQ(std::string(l_acBuffer, 3), "007");
}

TEST(PacketMakeTo, FixedLayoutsAllocateNothingOnceWarm) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "n", 123456, "ANF10");
    addLeaf(l_tRoot, "t", "gateway-01", "ACF16");
    addLeaf(l_tRoot, "b", -2, "BNF4");
    std::string l_strOut;
    l_strOut.reserve(64);
    l_tRoot.pkt_Append4Children(l_strOut, false);
    const char *const l_cpData = l_strOut.data();
    const std::string l_strFirst = l_strOut;
    for (int i = 0; i < 3; ++i) {
        l_strOut.clear();
        EXPECT_EQ(l_tRoot.pkt_Append4Children(l_strOut, true), 30u);
    }
    EXPECT_EQ(l_strOut.data(), l_cpData);
    EXPECT_EQ(l_strOut, l_strFirst);
    EXPECT_EQ(l_strOut, std::string("0000123456gateway-01      ") + std::string("\xFF\xFF\xFF\xFE", 4));
}

TEST(PacketMakeTo, KeywordLayoutsGiveTheSameBytesAsAMake) {
    CClockScope l_clock(fixedClock);
    CFields l_tRoot;
    addLeaf(l_tRoot, "size", 0, "ANF2sizedef_1");
    addLeaf(l_tRoot, "date", 0, "ANF8YYYYMMDD");
    addLeaf(l_tRoot, "text", "hello", "ACD0sizeset_1");
    const std::string l_strWant = l_tRoot.pkt_Make4Children(true);
    ASSERT_EQ(l_strWant, "0520240305hello");
    char l_acBuffer[32];
    EXPECT_EQ(l_tRoot.pkt_Make4ChildrenTo(l_acBuffer, sizeof(l_acBuffer), true), l_strWant.size());
    EXPECT_EQ(std::string(l_acBuffer, l_strWant.size()), l_strWant);
    std::string l_strOut = ">";
    EXPECT_EQ(l_tRoot.pkt_Append4Children(l_strOut, true), l_strWant.size());
    EXPECT_EQ(l_strOut, ">" + l_strWant);
}

TEST(PacketMakeTo, AFailingKeywordStepLeavesTheStringAsItWas) {
    CFields l_tRoot;
    addLeaf(l_tRoot, "a", 1, "ANF2");
    addLeaf(l_tRoot, "x", 1, "ANF2x12:1"); // no hook in slot 12
    std::string l_strOut = "keep";
    EXPECT_THROW(l_tRoot.pkt_Append4Children(l_strOut, true), CLogicError);
    EXPECT_EQ(l_strOut, "keep");
}
