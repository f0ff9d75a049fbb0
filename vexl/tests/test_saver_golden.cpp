// Golden documents: one tree with every feature the writers handle, written under several
// save-information presets by each text writer and compared byte for byte with the files in
// tests/data/saver/. Every golden file also loads back through the text loader.
//
// To accept a deliberate change of output, run the test program with VEXL_UPDATE_GOLDEN=1 and
// review the diff of the data files.

#include "test_saver_trees.h"
#include "vexl/loaders.h"
#include "vexl/savers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

using namespace vexl;
using saver_test::fixedExp;

namespace {

const char *goldenKeywordText(unsigned short index, unsigned char) {
    return index == 1 ? "seq_" : nullptr;
}
int goldenKeywordIndex(const char *name, unsigned char) {
    return std::strcmp(name, "seq_") == 0 ? 1 : 0;
}

// A record with nesting, every scalar type, escapes, IDs, expressions and comments.
CFields featureTree() {
    CFields root(DT_fields);
    root.setName("features");
    root.setID(1);
    root.setComment("// written by the golden test\n/* two\n/ lines */", CP_Ahead);
    root.setComment("/* tail */", CP_Tail);

    CFields &id = root.addChildRef("id", 10);
    id = 42u;
    id.pkt_SetExp(fixedExp(4));
    id.setComment("// the record number", CP_Behind);

    root.addChildRef("name \"quoted\"\t\\") = std::string("caf\xC3\xA9\x00!", 7);
    root.addChildRef("flag") = true;
    root.addChildRef("negative") = -9223372036854775807LL - 1;
    root.addChildRef("big") = 18446744073709551615ULL;
    root.addChildRef("ratio") = 0.1;
    root.addChildRef("huge") = 1e300;
    root.addChildRef("nothing");
    root.addChildRef("empty") = "";

    CFields &fixed = root.addChildRef("fixed");
    fixed = 5u;
    fixed.setValue(7u, VK_Fixed);
    fixed.setVK(VK_Fixed);
    fixed.pkt_SetExp(fixedExp(2, 1));

    CFields &length = root.addChildRef("length");
    length = 12u;
    length.pkt_SetExp(fixedExp(4, 3, 1));
    CFields &body = root.addChildRef("body");
    body = "hello world!";
    tPacketExpInfo d = fixedExp(12, 4, 1);
    d.setLengthCode(LEC_DYNAMIC);
    body.pkt_SetExp(d);
    CFields &var = root.addChildRef("var");
    var = "abc";
    tPacketExpInfo v{};
    v.setLengthCode(LEC_VARIABLE);
    v.setRuntimeCode(REC_NUMBER);
    v.setPacketCode(PEC_BINARY);
    v.uVarWidth = 2;
    v.nCalibration = -3;
    v.setLength(2);
    var.pkt_SetExp(v);
    CFields &seq = root.addChildRef("seq");
    seq = 1u;
    tPacketExpInfo s = fixedExp(8, 1, 3);
    s.setSkiKind(12);
    seq.pkt_SetExp(s);
    CFields &date = root.addChildRef("date");
    date = "20240101";
    date.pkt_SetExp(fixedExp(8, 31));

    CFields &matrix = root.addChildRef("matrix");
    for (int r = 0; r < 3; ++r) {
        CFields &row = matrix.addArrayAt(CFields(DT_array));
        for (int c = 0; c < 3; ++c)
            row.addArrayAt(CFields(r * 3 + c));
    }
    matrix.addArrayAt(CFields(DT_array));
    matrix.addArrayAt(CFields(DT_fields));
    CFields &tagged = root.addChildRef("tagged");
    tagged.addArrayAt(CFields("a"));
    tagged.addArrayAt(CFields("b")).setComment("// second", CP_Behind);
    tagged.addArrayAt(CFields("c")).setComment("// third, ahead", CP_Ahead);

    CFields &inner = root.addChildRef("inner", 20);
    inner.setValue(DT_fields);
    inner.setComment("// inner record", CP_Ahead);
    inner.addChildRef("", 21, true) = 3;
    inner.addChildRef("x") = 1.5;
    inner.addChildRef("y").setValue(DT_null);
    return root;
}

std::string goldenPath(const std::string &name) {
    return std::string(VEXL_TEST_DATA_DIR) + "/saver/" + name;
}

void checkGolden(const std::string &name, const std::string &text) {
    const std::string path = goldenPath(name);
    if (std::getenv("VEXL_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(text, ss.str()) << name;
    CLoader4SER loader(LCBC_DEFAULT);
    CFields back;
    EXPECT_TRUE(loader.loadit(text.data(), unsigned(text.size()), back, "", true) && loader.getStatus())
        << name << "\n"
        << loader.getLastErrMsg();
}

struct tGoldenHooks {
    tGoldenHooks() {
        CFields::setGetTxtFP4ESK(12, goldenKeywordText);
        CFields::setGetIdxFP4ESK(12, goldenKeywordIndex);
    }
    ~tGoldenHooks() {
        CFields::setGetTxtFP4ESK(12, nullptr);
        CFields::setGetIdxFP4ESK(12, nullptr);
    }
};

} // namespace

TEST(SaverGolden, HumanFriendlyUnderEachPreset) {
    tGoldenHooks hooks;
    const CFields tree = featureTree();
    const struct {
        const char *file;
        unsigned char sis;
        unsigned int scbc;
    } cases[] = {
        {"features.detail.hfw.vexl", SIS_DETAIL, 0x05},
        {"features.config.hfw.vexl", SIS_CONFIG, 0x07},
        {"features.basic.hfw.vexl", SIS_BASIC, 0x0C},
        {"features.valueless.hfw.vexl", SIS_VALUELESS, 0x01},
        {"features.nameless.hfw.vexl", SIS_NAMELESS, 0x05},
        {"features.onlypkt.hfw.vexl", SIS_ONLYPKT, 0x05},
    };
    for (const auto &c : cases) {
        CSaver4SER_HFW saver(2);
        saver.setSCBC(c.scbc);
        checkGolden(c.file, saver.saving(tree, c.sis, ""));
        EXPECT_FALSE(saver.isError()) << saver.getLastErrMsg();
    }
}

TEST(SaverGolden, StreamWriter) {
    tGoldenHooks hooks;
    CStreamSaver4SER_HFW saver("  ");
    saver.setSCBC(0x05u);
    std::ostringstream out;
    saver.saving(out, featureTree(), SIS_DETAIL, "");
    checkGolden("features.detail.stream.vexl", out.str());
}

TEST(SaverGolden, PacketStyle) {
    tGoldenHooks hooks;
    CSaver4SER_PKT saver;
    saver.setSCBC(0x06u);
    checkGolden("features.detail.pkt.vexl", saver.saving(featureTree(), SIS_DETAIL, ""));
    saver.setCompatibilityYAML(true);
    checkGolden("features.yaml.pkt.vexl", saver.saving(featureTree(), SIS_BASIC, ""));
    saver.setCompatibilityYAML(false);
    checkGolden("features.onlypkt.pkt.vexl", saver.saving(featureTree(), SIS_ONLYPKT, ""));
}
