// Comments the human-friendly writers refuse: everything they write must read back as the same
// comment, and a comment that would not makes the whole write fail, naming its field.

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "vexl/loaders.h"
#include "vexl/savers.h"

using namespace vexl;

namespace {

// {"a" = 1, "b" = ["x", 2.5], "c" = {"d" = true}}
CFields sampleTree() {
    return CFields::record(
        {{"a", 1}, {"b", CFields::array({"x", 2.5})}, {"c", CFields::record({{"d", true}})}});
}

struct tWritten {
    std::string strText;
    std::string strError; // empty when the write succeeded
};

tWritten writeString(const CFields &tree) {
    CSaver4SER_HFW l_saver(2);
    l_saver.setSCBC(SCBC_ONELINE_ARRAY | SCBC_NULL_WORD);
    tWritten l_t{l_saver.saving(tree, SIS_DETAIL, ""), std::string()};
    if (l_saver.isError())
        l_t.strError = l_saver.getLastErrMsg();
    return l_t;
}

tWritten writeStream(const CFields &tree) {
    CStreamSaver4SER_HFW l_saver("\t");
    l_saver.setSCBC(SCBC_NULL_WORD);
    std::ostringstream l_out;
    l_saver.saving(l_out, tree, SIS_DETAIL, "");
    return tWritten{l_out.str(), l_saver.isError() ? l_saver.getLastErrMsg() : std::string()};
}

// The comment tokens of a text as the loader keeps them: blanks between tokens dropped, line
// ends as LF, a "//" token with its line end, one trailing line end dropped.
std::string tokensOf(const std::string &text) {
    std::string l_str;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 2, "//") == 0) {
            const size_t l_uEnd = text.find_first_of("\r\n", i);
            l_str += text.substr(i, l_uEnd == std::string::npos ? std::string::npos : l_uEnd - i) + "\n";
            i = l_uEnd == std::string::npos ? text.size() : l_uEnd;
        } else if (text.compare(i, 2, "/*") == 0) {
            const size_t l_uEnd = text.find("*/", i + 2);
            for (size_t k = i; k < l_uEnd + 2; ++k)
                if (text[k] == '\r') {
                    l_str += '\n';
                    if (k + 1 < l_uEnd && text[k + 1] == '\n')
                        ++k;
                } else {
                    l_str += text[k];
                }
            i = l_uEnd + 2;
        } else {
            ++i; // a blank or a line end between tokens
        }
    }
    if (!l_str.empty() && l_str.back() == '\n')
        l_str.pop_back();
    return l_str;
}

// The first node or comment that differs, or "".
std::string difference(const CFields &a, const CFields &b, const std::string &path = "$") {
    if (a.getDT() != b.getDT() || a.getChildCount() != b.getChildCount() ||
        std::string(a.getName()) != b.getName())
        return path + ": node";
    if (a.getChildCount() == 0 && !(a == b))
        return path + ": value";
    for (E_CommentPosition l_ePos : {CP_Ahead, CP_Behind, CP_Tail})
        if (tokensOf(a.getCommentCopy(l_ePos)) != tokensOf(b.getCommentCopy(l_ePos)))
            return path + ": comment " + std::to_string(l_ePos) + " [" + a.getCommentCopy(l_ePos) + "] vs [" +
                   b.getCommentCopy(l_ePos) + "]";
    for (unsigned i = 0; i < a.getChildCount(); ++i) {
        const std::string l_str =
            difference(a.getChildAt(i), b.getChildAt(i), path + "/" + std::to_string(i));
        if (!l_str.empty())
            return l_str;
    }
    return "";
}

CFields load(const std::string &text, std::string &error) {
    CLoader4SER l_loader(LCBC_DEFAULT);
    CFields l_root;
    if (!l_loader.loadit(text.data(), unsigned(text.size()), l_root, "", true) || !l_loader.getStatus())
        error = l_loader.getLastErrMsg().empty() ? "load failed" : l_loader.getLastErrMsg();
    return l_root;
}

} // namespace

TEST(SaverComments, RefusedCommentsFailTheWholeWriteAndNameTheirField) {
    struct tCase {
        const char *cpPath; // where the comment goes ("" the root)
        E_CommentPosition ePos;
        const char *cpText;
        const char *cpError;
    };
    const tCase l_acCases[] = {
        {"b[1]", CP_Ahead, "/* note", R"(The comment ahead of "b[1]" would not read back: an unclosed "/*")"},
        {"a", CP_Behind, "// x\n\"z\" = 1",
         R"(The comment behind "a" would not read back: a line break behind a field)"},
        {"c.d", CP_Ahead, "// x\n\"z\" = 1,",
         R"(The comment ahead of "c.d" would not read back: text outside a comment token)"},
        {"c", CP_Ahead, "/* a */ b */",
         R"(The comment ahead of "c" would not read back: text outside a comment token)"},
        {"", CP_Tail, "/* a */ tail",
         "The comment at the tail of the root would not read back: text outside a "
         "comment token"},
        {"b", CP_Behind, "/* a */ /* b */",
         R"(The comment behind "b" would not read back: more than one comment token behind a field)"},
        {"a", CP_Behind, "/* a\n b */",
         R"(The comment behind "a" would not read back: a line break behind a field)"},
    };
    for (const tCase &l_case : l_acCases) {
        CFields l_tree = sampleTree();
        l_tree.at(l_case.cpPath).setComment(l_case.cpText, l_case.ePos);
        for (const tWritten &l_written : {writeString(l_tree), writeStream(l_tree)}) {
            EXPECT_EQ(l_written.strText, "") << l_case.cpText;
            EXPECT_NE(l_written.strError.find(l_case.cpError), std::string::npos) << l_case.cpText << "\n"
                                                                                  << l_written.strError;
        }
    }

    // Blanks and line ends between complete tokens pass; the tokens read back.
    CFields l_tree = sampleTree();
    l_tree.at("b[0]").setComment("/* one */  // two\n\n/* three\n */", CP_Ahead);
    l_tree.at("c").setComment("// same line ", CP_Behind);
    l_tree.setComment("/* end */ ", CP_Tail);
    const tWritten l_written = writeString(l_tree);
    ASSERT_EQ(l_written.strError, "");
    std::string l_strError;
    const CFields l_back = load(l_written.strText, l_strError);
    ASSERT_EQ(l_strError, "") << l_written.strText;
    EXPECT_EQ(difference(l_tree, l_back), "") << l_written.strText;
}

TEST(SaverComments, LoadedCommentsAlwaysPassEvenWithZeroBytes) {
    // A zero byte inside a comment would cut the stored text and lose its "*/".
    using namespace std::string_literals;
    const std::string l_strDoc =
        "// head\n{ \"a\" = 1, /* a\0b */\n  // ahead of b\n"s +
        "  \"b\" = [ 2 /* in */ ], /* x */ /* y */\n  \"c\" = 3 // behind c\r\n} /* end */\n"s +
        "/* tail \0 more */\n// last"s;
    std::string l_strError;
    const CFields l_tree = load(l_strDoc, l_strError);
    ASSERT_EQ(l_strError, "");
    EXPECT_EQ(l_tree["a"].getCommentCopy(CP_Behind), "/* a b */");
    for (const tWritten &l_written : {writeString(l_tree), writeStream(l_tree)}) {
        ASSERT_EQ(l_written.strError, "");
        const CFields l_back = load(l_written.strText, l_strError);
        ASSERT_EQ(l_strError, "") << l_written.strText;
        EXPECT_EQ(difference(l_tree, l_back), "") << l_written.strText;
    }
}

TEST(SaverComments, RandomCommentsReadBackEqualOrTheWriteFails) {
    static const char s_acAlphabet[] = {'/', '/', '*', '*', ' ', '\n', '\r', '\t',
                                        'a', '"', '}', ',', '=', '1',  ']'};
    const char *const l_acpPaths[] = {"", "a", "b", "b[0]", "b[1]", "c", "c.d"};
    unsigned l_uWritten = 0, l_uRefused = 0;
    for (uint32_t l_uSeed = 1; l_uSeed <= 1500; ++l_uSeed) {
        std::mt19937 l_rng(l_uSeed);
        CFields l_tree = sampleTree();
        const unsigned l_uComments = 1 + l_rng() % 3;
        for (unsigned i = 0; i < l_uComments; ++i) {
            std::string l_strText = l_rng() % 2 ? "//" : "/*";
            const size_t l_uLength = l_rng() % 12;
            for (size_t k = 0; k < l_uLength; ++k)
                l_strText += s_acAlphabet[l_rng() % sizeof(s_acAlphabet)];
            if (l_rng() % 3 == 0)
                l_strText += l_strText.compare(0, 2, "/*") == 0 ? "*/" : "\n//x";
            const char *const l_cpPath = l_acpPaths[l_rng() % 7];
            // Only the root keeps a comment at the tail: elsewhere it is written where the next
            // field's comment ahead would stand.
            E_CommentPosition l_ePos = E_CommentPosition(l_rng() % 3);
            if (l_ePos == CP_Tail && *l_cpPath != '\0')
                l_ePos = CP_Ahead;
            l_tree.at(l_cpPath).setComment(l_strText, l_ePos);
        }
        for (const tWritten &l_written : {writeString(l_tree), writeStream(l_tree)}) {
            if (!l_written.strError.empty()) {
                ++l_uRefused;
                ASSERT_EQ(l_written.strText, "") << "seed " << l_uSeed;
                ASSERT_NE(l_written.strError.find("would not read back"), std::string::npos)
                    << l_written.strError;
                continue;
            }
            ++l_uWritten;
            std::string l_strError;
            const CFields l_back = load(l_written.strText, l_strError);
            ASSERT_EQ(l_strError, "") << "seed " << l_uSeed << "\n" << l_written.strText;
            ASSERT_EQ(difference(l_tree, l_back), "") << "seed " << l_uSeed << "\n" << l_written.strText;
        }
    }
    // Both outcomes are common, so neither branch is left untested.
    EXPECT_GT(l_uWritten, 300u);
    EXPECT_GT(l_uRefused, 300u);
}
