// Checks behind the generated guide tests: each runs one example of the user's guide and
// compares what it does with what the guide says it does.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include <esk_add/esk_add.h>
#include <vexl/vexl.h>

namespace guide {

/// The bytes of a packet as the guide shows them: printable ASCII as it is, others as \xHH.
inline std::string showBytes(const std::string &a_strBytes) {
    std::string l_strOut;
    for (unsigned char c : a_strBytes) {
        if (c >= 0x20 && c <= 0x7E && c != '\\') {
            l_strOut += static_cast<char>(c);
        } else {
            char l_szHex[5];
            std::snprintf(l_szHex, sizeof l_szHex, "\\x%02X", c);
            l_strOut += l_szHex;
        }
    }
    return l_strOut + "\n";
}

/// Loads a guide document with the add-on's keywords known, as the guide's programs do.
inline bool load(const char *a_cpText, unsigned a_uLCBC, vexl::CFields &a_root, std::string &a_strError) {
    EXPECT_TRUE(esk_link());
    vexl::CLoaders l_loaders(a_uLCBC);
    bool l_bOk = l_loaders.loading(std::string(a_cpText), a_root, "", true);
    a_strError = l_loaders.getLastErrMsg();
    return l_bOk;
}

} // namespace guide

/// Runs a guide program with its standard output captured; it must return 0 and print what
/// the guide shows (when the guide shows an output).
inline void expectProgram(int (*a_fnMain)(), const char *a_cpExpected) {
    // Each program starts with a fresh std::cout state, as a process of its own would.
    std::ios l_savedFormat(nullptr);
    l_savedFormat.copyfmt(std::cout);
    std::ostringstream l_out;
    std::streambuf *l_pOld = std::cout.rdbuf(l_out.rdbuf());
    int l_iResult = -1;
    try {
        l_iResult = a_fnMain();
    } catch (...) {
        std::cout.rdbuf(l_pOld);
        std::cout.copyfmt(l_savedFormat);
        throw;
    }
    std::cout.rdbuf(l_pOld);
    std::cout.copyfmt(l_savedFormat);
    EXPECT_EQ(l_iResult, 0);
    if (a_cpExpected) {
        EXPECT_EQ(l_out.str(), a_cpExpected);
    }
}

/// A guide document loads; when the guide shows the tree, writing it back gives that text.
inline void expectLoads(const char *a_cpText, unsigned a_uLCBC, const char *a_cpExpected) {
    vexl::CFields l_root;
    std::string l_strError;
    ASSERT_TRUE(guide::load(a_cpText, a_uLCBC, l_root, l_strError)) << l_strError;
    if (a_cpExpected) {
        // The writer ends a document without a line feed unless asked; a guide block always
        // ends with one.
        std::string l_strText = l_root.toVEXL(vexl::SER_HFW, vexl::SIS_DETAIL, "");
        if (l_strText.empty() || l_strText.back() != '\n')
            l_strText += '\n';
        EXPECT_EQ(l_strText, a_cpExpected);
    }
}

/// A guide document fails to load with the message the guide shows.
inline void expectLoadFails(const char *a_cpText, unsigned a_uLCBC, const char *a_cpExpected) {
    vexl::CFields l_root;
    std::string l_strError;
    ASSERT_FALSE(guide::load(a_cpText, a_uLCBC, l_root, l_strError));
    if (a_cpExpected) {
        EXPECT_EQ(l_strError, a_cpExpected);
    }
}

/// A guide document loads and its whole tree makes the packet the guide shows.
inline void expectPacket(const char *a_cpText, unsigned a_uLCBC, const char *a_cpExpected) {
    vexl::CFields l_root;
    std::string l_strError;
    ASSERT_TRUE(guide::load(a_cpText, a_uLCBC, l_root, l_strError)) << l_strError;
    std::string l_strPacket = l_root.pkt_Make4Children(true);
    if (a_cpExpected) {
        EXPECT_EQ(guide::showBytes(l_strPacket), a_cpExpected);
    }
}
