// Round trip of the text writers through the text loader: random trees of every data type,
// names and strings of any bytes, IDs, packet expressions with internal and hook-registered
// keywords, comments at all three positions and nesting are written by each text writer and
// loaded back; the result must equal the tree, up to the losses the notation itself has.

#include "test_saver_trees.h"
#include "vexl/loaders.h"
#include "vexl/savers.h"
#include "vexl/utilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

using namespace vexl;

namespace {

// MARK: - External keywords of the test (slot 13)

constexpr unsigned char kSlot = 13;

int testKeywordIndex(const char *name, unsigned char) {
    if (std::strcmp(name, "seq_") == 0)
        return 1;
    if (std::strcmp(name, "chk") == 0)
        return 9;
    return 0;
}

const char *testKeywordText(unsigned short index, unsigned char) {
    return index == 1 ? "seq_" : index == 9 ? "chk" : nullptr;
}

struct tKeywordSlot {
    tKeywordSlot() {
        CFields::setGetIdxFP4ESK(kSlot, testKeywordIndex);
        CFields::setGetTxtFP4ESK(kSlot, testKeywordText);
    }
    ~tKeywordSlot() {
        CFields::setGetIdxFP4ESK(kSlot, nullptr);
        CFields::setGetTxtFP4ESK(kSlot, nullptr);
    }
};

// MARK: - Random trees

class CTreeMaker {
public:
    // `scbc` is the configuration the tree will be written with.
    CTreeMaker(uint32_t seed, unsigned int scbc) : m_tRng(seed), m_uiSCBC(scbc) {}

    CFields root() {
        m_uiNextID = 1 + unsigned(m_tRng() % 1000) * 1000;
        CFields r(chance(2) ? DT_fields : DT_array);
        if (chance(2))
            r.setName(bytes(1 + m_tRng() % 12));
        if (chance(2))
            r.setID(nextID());
        fill(r, 0);
        comments(r, true);
        return r;
    }

private:
    bool chance(unsigned n) { return m_tRng() % n == 0; }
    unsigned nextID() { return m_uiNextID += 1 + unsigned(m_tRng() % 7); }

    // Any bytes, zero bytes and escapes included.
    std::string bytes(size_t n) {
        std::string s(n, '\0');
        for (auto &c : s) {
            switch (m_tRng() % 4) {
            case 0:
                c = char(m_tRng() % 256);
                break;
            case 1:
                c = "\"\\/\b\f\n\r\t\x00\x7F"[m_tRng() % 10];
                break;
            default:
                c = char('a' + m_tRng() % 26);
                break;
            }
        }
        return s;
    }

    // Comment text without line ends, and without '*' inside a block comment.
    std::string commentWords(bool block) {
        std::string s;
        const size_t n = m_tRng() % 10;
        for (size_t i = 0; i < n; ++i) {
            char c = char(32 + m_tRng() % 224);
            if (c == '\n' || c == '\r' || (block && c == '*'))
                c = 'x';
            s.push_back(c);
        }
        return s;
    }

    // Comments in the forms the loader stores: ahead, lines of "//" and "/*" comments joined,
    // one trailing line feed dropped; behind, one comment on the value's line; tail on the root.
    void comments(CFields &f, bool isRoot, bool behind = true) {
        if (chance(4)) {
            std::string ahead;
            const unsigned n = 1 + unsigned(m_tRng() % 3);
            for (unsigned i = 0; i < n; ++i) {
                if (chance(2))
                    ahead += "//" + commentWords(false) + "\n";
                else
                    ahead += "/*" + commentWords(true) + (chance(3) ? "\n" + commentWords(true) : "") + "*/";
            }
            if (!ahead.empty() && ahead.back() == '\n')
                ahead.pop_back();
            f.setComment(ahead, CP_Ahead);
        }
        if (behind && chance(4))
            f.setComment(chance(2) ? "//" + commentWords(false) : "/*" + commentWords(true) + "*/",
                         CP_Behind);
        if (isRoot && chance(3))
            f.setComment("/*" + commentWords(true) + "*/", CP_Tail);
    }

    tPacketExpInfo expression() {
        tPacketExpInfo e{};
        e.setPacketCode(E_PacketExpCode(m_tRng() % 2));
        e.setRuntimeCode(E_RuntimeExpCode(m_tRng() % 2));
        const auto lec = E_LengthExpCode(m_tRng() % 3);
        e.setLengthCode(lec);
        if (lec == LEC_VARIABLE) {
            e.uVarWidth = uint8_t(m_tRng() % 10);
            e.nCalibration = int8_t(int(m_tRng() % 256) - 128);
            e.setLength(e.uVarWidth);
        } else {
            e.setLength(chance(4) ? uint32_t(m_tRng()) : uint32_t(m_tRng() % 100));
        }
        switch (m_tRng() % 6) {
        case 0: { // internal keyword with a name
            static const uint16_t named[] = {11, 12, 13, 14, 15, 16, 17, 18, 19,
                                             20, 31, 32, 33, 34, 35, 36, 37, 38};
            e.setSKI(named[m_tRng() % (sizeof(named) / sizeof(named[0]))]);
            break;
        }
        case 1: // sizedef_/sizeset_ with an option 0 to 9
            e.setSKI(uint16_t(3 + m_tRng() % 2));
            e.setSkiOption(unsigned(m_tRng() % 10));
            break;
        case 2: // external keyword of the test slot
            e.setSkiKind(kSlot);
            if (chance(2)) {
                e.setSKI(1);
                e.setSkiOption(unsigned(m_tRng() % 10));
            } else {
                e.setSKI(9);
            }
            break;
        default:
            break;
        }
        return e;
    }

    void scalar(CFields &f) {
        switch (m_tRng() % 9) {
        case 0:
            f.setValue(DT_null);
            break;
        case 1:
            f.setValue(chance(2));
            break;
        case 2:
            f.setValue(static_cast<long long>(m_tRng()));
            break;
        case 3:
            f.setValue(static_cast<long long>(int(m_tRng() % 2001) - 1000));
            break;
        case 4:
            f.setValue(static_cast<unsigned long long>(m_tRng()) << (m_tRng() % 33));
            break;
        case 5: {
            uint64_t bits = m_tRng();
            double d;
            std::memcpy(&d, &bits, sizeof(d));
            if (chance(3))
                d = double(int(m_tRng() % 1000)) / 8.0;
            f.setValue(d);
            break;
        }
        case 6:
            f.setValue(std::string());
            break;
        default: {
            const std::string s = bytes(m_tRng() % 40);
            f.setValue(s);
            break;
        }
        }
        if (chance(3)) {
            tPacketExpInfo e = expression();
            if (chance(6)) { // fix or valid: the value is also the second value, or another one
                e.setSkiKind(0);
                e.setSkiOption(0);
                e.setSKI(uint16_t(1 + m_tRng() % 2));
                f.setVK(e.uSKI() == 1 ? VK_Fixed : VK_Valid);
                if (chance(2) && f.getDT() == DT_uint) {
                    const E_ValueKind vk = f.getVK();
                    f.setValue(static_cast<unsigned long long>(m_tRng() % 100), VK_Fixed);
                    f.setVK(vk);
                }
            }
            f.pkt_SetExp(e);
        }
    }

    void fill(CFields &f, int depth) {
        const unsigned n = unsigned(m_tRng() % (depth == 0 ? 8 : 6));
        const bool isFields = f.getDT() == DT_fields;
        for (unsigned i = 0; i < n; ++i) {
            CFields *child = nullptr;
            if (isFields) {
                std::string name;
                if (!chance(6)) {
                    // Unique within the record: an index suffix after any bytes.
                    name = bytes(m_tRng() % 10) + "#" + std::to_string(i);
                }
                child = f.child_AddPtr(name.data(), unsigned(name.size()), chance(3) ? nextID() : 0, false);
            } else {
                child = &f.addArrayAt(CFields());
            }
            if (child == nullptr)
                continue;
            const unsigned kind = unsigned(m_tRng() % 10);
            if (kind < 2 && depth < 4) {
                child->setValue(kind == 0 ? DT_fields : DT_array);
                fill(*child, depth + 1); // may stay empty too
            } else if (kind < 3) {
                child->setValue(chance(2) ? DT_fields : DT_array); // written "{}" or "[]"
            } else {
                scalar(*child);
            }
            // A null written as nothing leaves the comment behind the last member or element where
            // its value should stand, and the loader takes it for a comment ahead of the value.
            const bool writesNothing = child->getDT() == DT_null && !(m_uiSCBC & SCBC_NULL_WORD);
            comments(*child, false, !(writesNothing && i + 1 == n));
        }
    }

    std::mt19937 m_tRng;
    unsigned int m_uiSCBC;
    unsigned m_uiNextID = 1;
};

// MARK: - The tree the loader must give back

// What the notation keeps of `f`, written with `scbc`: integers and integral doubles come back
// with the type the loader gives their text, NaN as null, a "fix"/"valid" field whose two values differ as
// the second value (SCBC 0x08) or as the actual value without the keyword, a V expression with its width as
// length.
void expect(CFields &f, unsigned int scbc, bool keepComments) {
    if (!keepComments && f.isComment()) {
        f.setComment("", CP_Ahead);
        f.setComment("", CP_Behind);
        f.setComment("", CP_Tail);
    }
    const E_DataType t = f.getDT();
    if (t == DT_fields || t == DT_array) {
        for (CFields &c : f)
            expect(c, scbc, keepComments);
        return;
    }
    tPacketExpInfo e = f.pkt_GetExp();
    if (e.eLengthCode() == LEC_VARIABLE)
        e.setLength(e.uVarWidth);
    if (e.uSkiKind() == 0 && (e.uSKI() == 1 || e.uSKI() == 2) && !f.isEqualDualValue()) {
        if (scbc & SCBC_DUAL_VALUE) {
            // Only unsigned second values are generated.
            const E_ValueKind vk = f.getVK();
            const unsigned long long second = f.getValueRef(VK_Fixed).m_ullValue;
            f.setVK(VK_Actual);
            f.setValue(second);
            f.setVK(vk);
        } else {
            e.setSKI(0);
            f.setVK(VK_Actual);
        }
    }
    f.pkt_SetExp(e);
    const E_ValueKind vk = f.getVK();
    if (t == DT_sint || t == DT_uint || t == DT_double) {
        const std::string text = t == DT_sint   ? ToString(f.getValueRef().m_llValue)
                                 : t == DT_uint ? ToString(f.getValueRef().m_ullValue)
                                                : ToString(f.getValueRef().m_dValue);
        f.setVK(VK_Actual);
        if (text == "null") {
            f.setValue(DT_null);
        } else {
            CFields number;
            atonInField(text.data(), unsigned(text.size()), number);
            f.setValue(number);
        }
        f.setVK(vk);
    }
}

// The first difference between two trees as a path and a reason, or "".
std::string difference(const CFields &a, const CFields &b, bool comments, const std::string &path = "$") {
    if (a.getDT() != b.getDT())
        return path + ": type " + std::to_string(a.getDT()) + " vs " + std::to_string(b.getDT());
    if (a.getNameLen() != b.getNameLen() || std::memcmp(a.getName(), b.getName(), a.getNameLen()) != 0)
        return path + ": name";
    if (a.getID() != b.getID())
        return path + ": ID " + std::to_string(a.getID()) + " vs " + std::to_string(b.getID());
    if (!(a.pkt_GetExp() == b.pkt_GetExp()))
        return path + ": packet expression";
    if (a.getVK() != b.getVK())
        return path + ": value kind";
    if (a.getVK() != VK_Actual) {
        const bool same = a.getDT(VK_Fixed) == b.getDT(VK_Fixed) &&
                          (a.getDT(VK_Fixed) == DT_codelist
                               ? a.asString(VK_Fixed) == b.asString(VK_Fixed)
                               : a.getValueRef(VK_Fixed).m_ullValue == b.getValueRef(VK_Fixed).m_ullValue);
        if (!same)
            return path + ": second value " + a.asString(VK_Fixed) + " vs " + b.asString(VK_Fixed) +
                   " types " + std::to_string(a.getDT(VK_Fixed)) + "/" + std::to_string(b.getDT(VK_Fixed));
    }
    if (comments) {
        for (E_CommentPosition p : {CP_Ahead, CP_Behind, CP_Tail}) {
            const bool ha = a.hasComment(p) && a.getCommentLen(p) != 0;
            const bool hb = b.hasComment(p) && b.getCommentLen(p) != 0;
            if (ha != hb || (ha && a.getCommentCopy(p) != b.getCommentCopy(p)))
                return path + ": comment " + std::to_string(p) + " [" + a.getCommentCopy(p) + "] vs [" +
                       b.getCommentCopy(p) + "]";
        }
    }
    if (a.getDT() == DT_fields || a.getDT() == DT_array) {
        if (a.getChildCount() != b.getChildCount())
            return path + ": child count";
        for (unsigned i = 0; i < a.getChildCount(); ++i) {
            const std::string d =
                difference(a.getChildAt(i), b.getChildAt(i), comments, path + "/" + std::to_string(i));
            if (!d.empty())
                return d;
        }
        return "";
    }
    if (a.getDT() == DT_double) {
        const double x = a.getValueRef().m_dValue, y = b.getValueRef().m_dValue;
        return std::memcmp(&x, &y, sizeof(x)) == 0 ? "" : path + ": " + ToString(x) + " vs " + ToString(y);
    }
    return a == b ? "" : path + ": value [" + a.asString() + "] vs [" + b.asString() + "]";
}

CFields load(const std::string &text, bool &ok, std::string &message) {
    CLoader4SER loader(LCBC_DEFAULT);
    CFields root;
    ok = loader.loadit(text.data(), unsigned(text.size()), root, "", true) && loader.getStatus();
    message = loader.getLastErrMsg();
    return root;
}

void checkRoundTrip(const CFields &tree, const std::string &text, unsigned int scbc, bool comments,
                    const char *writer, uint32_t seed) {
    bool ok = false;
    std::string message;
    const CFields back = load(text, ok, message);
    ASSERT_TRUE(ok) << writer << " seed " << seed << "\n" << message << "\n" << text;
    CFields expected(tree);
    expect(expected, scbc, comments);
    const std::string d = difference(expected, back, comments);
    ASSERT_EQ(d, "") << writer << " seed " << seed << " scbc " << scbc << "\n" << text;
}

} // namespace

TEST(RoundTripText, RandomTreesThroughEveryTextWriter) {
    tKeywordSlot slot;
    for (uint32_t seed = 1; seed <= 3000; ++seed) {
        const unsigned int scbc = seed % 16;
        const CFields tree = CTreeMaker(seed, scbc).root();
        CSaver4SER_HFW hfw(2);
        hfw.setSCBC(scbc);
        const std::string hfwText = hfw.saving(tree, SIS_DETAIL, "");
        ASSERT_FALSE(hfw.isError()) << hfw.getLastErrMsg();
        checkRoundTrip(tree, hfwText, scbc, true, "human-friendly", seed);

        CStreamSaver4SER_HFW stream("\t");
        stream.setSCBC(scbc);
        std::ostringstream out;
        stream.saving(out, tree, SIS_DETAIL, "");
        checkRoundTrip(tree, out.str(), scbc, true, "stream", seed);

        CSaver4SER_PKT pkt;
        pkt.setSCBC(scbc);
        pkt.setCompatibilityYAML(seed % 3 == 0);
        const std::string pktText = pkt.saving(tree, SIS_DETAIL, "");
        ASSERT_FALSE(pkt.isError()) << pkt.getLastErrMsg();
        checkRoundTrip(tree, pktText, scbc, false, "packet-style", seed);
        if (HasFatalFailure())
            return;
    }
}

TEST(RoundTripText, EmptyContainersAndLoneNullsStayApart) {
    // Without the null word a lone null is written as "null" all the same: "[]" and "{}" are
    // empty containers.
    CFields root(DT_fields);
    root.addChildRef("emptyArray").setValue(DT_array);
    root.addChildRef("emptyFields").setValue(DT_fields);
    root.addChildRef("loneNull").addArrayAt(CFields());
    root.addChildRef("unnamedNull").addChildRef("", 0, true);
    root.addChildRef("nested").addArrayAt(CFields(DT_array)).addArrayAt(CFields(DT_fields));
    ASSERT_EQ(root["unnamedNull"].getDT(), DT_array);
    root["unnamedNull"].setValue(DT_fields);
    root["unnamedNull"].child_AddRef(nullptr, 0, 0, true);
    for (unsigned int scbc : {0u, SCBC_ONELINE_ARRAY, SCBC_NULL_WORD | SCBC_FINAL_LF}) {
        CSaver4SER_HFW hfw(2);
        hfw.setSCBC(scbc);
        checkRoundTrip(root, hfw.saving(root, SIS_DETAIL, ""), scbc, true, "human-friendly", scbc);
        CStreamSaver4SER_HFW stream(" ");
        stream.setSCBC(scbc);
        std::ostringstream out;
        stream.saving(out, root, SIS_DETAIL, "");
        checkRoundTrip(root, out.str(), scbc, true, "stream", scbc);
        CSaver4SER_PKT pkt;
        pkt.setSCBC(scbc);
        const std::string text = pkt.saving(root, SIS_DETAIL, "");
        checkRoundTrip(root, text, scbc, false, "packet-style", scbc);
        if (scbc == 0) {
            EXPECT_EQ(text, R"({"emptyArray"=[],"emptyFields"={},"loneNull"=[null],"unnamedNull"={null},)"
                            R"("nested"=[[{}]]})");
        }
    }
}

TEST(RoundTripText, EmptyCodeListStaysAnEmptyCodeList) {
    CFields root(DT_fields);
    root.addChildRef("empty") = "";
    for (unsigned char er : {SER_HFW, SER_PKT}) {
        bool ok = false;
        std::string message;
        const CFields back = load(root.toVEXL(er, SIS_DETAIL, ""), ok, message);
        ASSERT_TRUE(ok) << message;
        EXPECT_EQ(back["empty"].getDT(), DT_codelist);
        EXPECT_EQ(back["empty"].getRawBytes(), 0u);
    }
}

TEST(RoundTripText, CorpusDocumentsReadBackUnchanged) {
    for (const char *name : {"twitter.vexl", "citm_catalog.vexl", "canada.vexl", "twitter.hfw.vexl"}) {
        std::ifstream in(std::string(VEXL_SHARED_DIR) + "/corpus/" + name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        std::stringstream ss;
        ss << in.rdbuf();
        bool ok = false;
        std::string message;
        const CFields doc = load(ss.str(), ok, message);
        ASSERT_TRUE(ok) << name << ": " << message;
        for (unsigned char er : {SER_HFW, SER_PKT}) {
            CSavers savers(er == SER_HFW ? 0x05u : 0x08u);
            const std::string text = savers.saving(doc, er, SIS_DETAIL, "");
            ASSERT_FALSE(savers.isError()) << savers.getLastErrMsg();
            const CFields back = load(text, ok, message);
            ASSERT_TRUE(ok) << name << ": " << message;
            EXPECT_EQ(difference(doc, back, true), "") << name << " rule " << int(er);
            // Writing what was read gives the same text again.
            EXPECT_EQ(savers.saving(back, er, SIS_DETAIL, ""), text) << name;
        }
    }
}
