#pragma once
// Helpers shared by the loader tests: a readable dump of a tree, and loading through every entry
// path with the caller named in failures.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <source_location>
#include <sstream>
#include <string>
#include <vector>

#include "vexl/loaders.h"
#include "vexl/utilities.h"

namespace vexl_test {

/// One line per node, children indented by two spaces:
///   <type> [#id] ["name"] [= value] [pei=ACF len=4 width=.. cal=.. ski=kind:index:option]
///   [vk=Fixed|Valid] [ahead="..."] [behind="..."] [tail="..."]
inline void dumpTree(const vexl::CFields &f, std::string &out, int depth = 0) {
    out.append(size_t(depth) * 2, ' ');
    out += vexl::DATA_TYPE_WORDS[f.getDT()];
    if (f.getID() != 0)
        out += " #" + std::to_string(f.getID());
    if (f.getNameLen() != 0)
        out += " " + vexl::ToQuotedEscapeString(f.getName(), f.getNameLen());
    if (!f.isArray() && !f.isField() && !f.isNull()) {
        out += " = ";
        if (f.isCodelist()) {
            const char *p = nullptr;
            const unsigned n = f.getCodePoint(&p);
            out += vexl::ToQuotedEscapeString(n ? p : "", n);
        } else {
            out += f.asString();
        }
    }
    const vexl::tPacketExpInfo e = f.pkt_GetExp();
    if (!vexl::CFields::pkt_IsNullExp(e)) {
        out += " pei=";
        out += "AB"[e.ePacketCode()];
        out += "CN"[e.eRuntimeCode()];
        out += "FVD?"[e.eLengthCode()];
        out += " len=" + std::to_string(e.uLength());
        if (e.uVarWidth != 0)
            out += " width=" + std::to_string(e.uVarWidth);
        if (e.nCalibration != 0)
            out += " cal=" + std::to_string(e.nCalibration);
        if (e.uSKI() != 0)
            out += " ski=" + std::to_string(e.uSkiKind()) + ":" + std::to_string(e.uSKI()) + ":" +
                   std::to_string(e.uSkiOption());
    }
    if (f.getVK() != vexl::VK_Actual)
        out += std::string(" vk=") + vexl::VALUE_KIND_NAMES[f.getVK()];
    static const char *const kPositions[3] = {"ahead", "behind", "tail"};
    for (int p = 0; p < 3; ++p) {
        const auto pos = vexl::E_CommentPosition(p);
        if (f.hasComment(pos))
            out += std::string(" ") + kPositions[p] + "=" +
                   vexl::ToQuotedEscapeString(f.getCommentPtr(pos), f.getCommentLen(pos));
    }
    out += '\n';
    for (unsigned i = 0; i < f.getChildCount(); ++i)
        dumpTree(f.getChildAt(i), out, depth + 1);
}

inline std::string dumpTree(const vexl::CFields &f) {
    std::string out;
    dumpTree(f, out);
    return out;
}

/// Loads `text` with a fresh text loader of configuration `lcbc`, comments collected. The text is
/// copied into a heap block of exactly its size, so AddressSanitizer reports any read past it.
struct tLoad {
    bool bResult = false;
    bool bStatus = false;
    std::string strMessage;
    std::vector<vexl::tErrorRange> vecErrors;
    vexl::CFields tRoot;
};

inline tLoad loadText(const std::string &text, unsigned lcbc = vexl::LCBC_DEFAULT, bool collect = true) {
    tLoad r;
    std::unique_ptr<char[]> copy(new char[text.size() ? text.size() : 1]);
    std::memcpy(copy.get(), text.data(), text.size());
    vexl::CLoader4SER loader(lcbc);
    r.bResult = loader.loadit(copy.get(), unsigned(text.size()), r.tRoot, "", collect);
    r.bStatus = loader.getStatus();
    r.strMessage = loader.getLastErrMsg();
    r.vecErrors = loader.getLoadErrors();
    return r;
}

/// Expects `text` to load with no error and its tree to dump as `tree`.
inline void expectLoads(const std::string &text, const std::string &tree, unsigned lcbc = vexl::LCBC_DEFAULT,
                        std::source_location where = std::source_location::current()) {
    SCOPED_TRACE(::testing::Message() << "called from " << where.file_name() << ":" << where.line());
    const tLoad r = loadText(text, lcbc);
    EXPECT_TRUE(r.bResult) << r.strMessage;
    EXPECT_TRUE(r.bStatus);
    EXPECT_EQ(dumpTree(r.tRoot), tree);
}

/// Expects `text` to fail with exactly `message` as the last error message.
inline void expectFails(const std::string &text, const std::string &message,
                        unsigned lcbc = vexl::LCBC_DEFAULT,
                        std::source_location where = std::source_location::current()) {
    SCOPED_TRACE(::testing::Message() << "called from " << where.file_name() << ":" << where.line());
    const tLoad r = loadText(text, lcbc);
    EXPECT_FALSE(r.bResult);
    EXPECT_FALSE(r.bStatus);
    EXPECT_EQ(r.strMessage, message);
}

} // namespace vexl_test
