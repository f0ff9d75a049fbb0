// Data-driven text loader cases: every file in tests/data/text is one case, its name says what
// to expect (see tests/data/text/README.md). Unrecognised names fail the suite.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "test_loader_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = fs::path(VEXL_TEST_DATA_DIR) / "text";

std::string readFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// ok_<case>.vexl, bad_<case>@<line>:<column>.vexl, warn_<case>@<line>:<column>.vexl
const std::regex kCaseName(R"(^(ok|bad|warn)_[a-z0-9_]+(@([0-9]+):([0-9]+))?\.vexl$)");
const std::regex kCompanionName(R"(^(ok|bad|warn)_[a-z0-9_]+(@[0-9]+:[0-9]+)?\.(tree|err)$)");

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(kDataDir)) {
        const std::string name = entry.path().filename().string();
        if (std::regex_match(name, kCaseName))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LoaderDataFiles, EveryFileNameIsRecognised) {
    ASSERT_TRUE(fs::is_directory(kDataDir)) << kDataDir;
    size_t cases = 0;
    for (const auto &entry : fs::directory_iterator(kDataDir)) {
        const std::string name = entry.path().filename().string();
        if (name == "README.md")
            continue;
        std::smatch m;
        if (std::regex_match(name, m, kCaseName)) {
            ++cases;
            const bool ok = m[1] == "ok";
            EXPECT_EQ(ok, !m[2].matched) << name << ": ok_ cases have no location, others need one";
            const fs::path companion = fs::path(entry.path()).replace_extension(ok ? ".tree" : ".err");
            EXPECT_TRUE(fs::exists(companion)) << name << " needs " << companion.filename();
        } else if (std::regex_match(name, kCompanionName)) {
            const fs::path owner = fs::path(entry.path()).replace_extension(".vexl");
            EXPECT_TRUE(fs::exists(owner)) << name << " has no case file";
        } else {
            ADD_FAILURE() << "unrecognised file name in " << kDataDir << ": " << name;
        }
    }
    EXPECT_GT(cases, 20u);
}

class LoaderDataCase : public ::testing::TestWithParam<std::string> {};

TEST_P(LoaderDataCase, LoadsAsNamed) {
    const std::string name = GetParam();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(name, m, kCaseName));
    const std::string kind = m[1];
    const std::string text = readFile(kDataDir / name);
    const std::string expected =
        readFile(fs::path(kDataDir / name).replace_extension(kind == "ok" ? ".tree" : ".err"));
    const vexl_test::tLoad r = vexl_test::loadText(text);

    // The dispatcher gives the same result as the text loader (documents of 3 bytes or fewer
    // have no encoding rule for it); so does a stream when the text holds no byte 0xFF.
    vexl::CFields viaDispatcher;
    vexl::CLoaders loaders;
    const bool dispatched = loaders.loading(text, viaDispatcher, "", true);
    if (text.size() > 3) {
        EXPECT_EQ(dispatched, r.bResult);
        EXPECT_EQ(vexl_test::dumpTree(viaDispatcher), vexl_test::dumpTree(r.tRoot));
    }
    if (text.find('\xFF') == std::string::npos) {
        vexl::CFields viaStream;
        std::istringstream in(text);
        EXPECT_EQ(vexl::CLoader4SER().loading(in, viaStream, "", true), r.bResult);
        EXPECT_EQ(vexl_test::dumpTree(viaStream), vexl_test::dumpTree(r.tRoot));
    }

    if (kind == "ok") {
        EXPECT_TRUE(r.bResult) << r.strMessage;
        EXPECT_TRUE(r.bStatus);
        EXPECT_EQ(vexl_test::dumpTree(r.tRoot), expected);
        return;
    }
    EXPECT_FALSE(r.bStatus);
    ASSERT_FALSE(r.vecErrors.empty());
    // Line and column of the first error, from its offset.
    const uint32_t offset = r.vecErrors.front().uiBegin;
    unsigned line = 1, column = 1;
    for (uint32_t i = 0; i < offset; ++i) {
        if (text[i] == '\r' && !(i + 1 < offset && text[i + 1] == '\n')) {
            ++line, column = 1;
        } else if (text[i] == '\n') {
            ++line, column = 1;
        } else if (text[i] != '\r') {
            ++column;
        }
    }
    EXPECT_EQ(std::to_string(line) + ":" + std::to_string(column),
              std::string(m[3]) + ":" + std::string(m[4]));
    if (kind == "bad") {
        EXPECT_FALSE(r.bResult);
        EXPECT_EQ(r.strMessage, expected);
        if (text.size() > 3) {
            EXPECT_EQ(loaders.getLastErrMsg(), expected.substr(0, 511));
        }
    } else { // warn: the parse completes, the errors are listed
        EXPECT_TRUE(r.bResult);
        EXPECT_EQ(r.strMessage, "");
        std::string messages;
        for (const auto &e : r.vecErrors)
            messages += e.strMessage + "\n";
        EXPECT_EQ(messages, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(TextFiles, LoaderDataCase, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string n = info.param.substr(0, info.param.find_first_of("@."));
                             return n;
                         });

} // namespace
