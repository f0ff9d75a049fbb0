#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "brick/format.h"
#include "brick/str_edit.h"
#include "brick/str_search.h"

using namespace brick;

TEST(StrSearch, FindsEveryOccurrenceFromTheStart) {
    EXPECT_EQ(instrA(0, "aaab", "aab"), 1);
    EXPECT_EQ(instrA(2, "abcabc", "abc"), 3);
    EXPECT_EQ(instrA(4, "abcabc", "abc"), -1);
    EXPECT_EQ(instrA(6, "abcabc", "c"), -1);
    EXPECT_EQ(instrA(-1, "abc", "a"), -1);
    EXPECT_EQ(instrA(0, "abc", ""), -1);
    EXPECT_EQ(instrA(0, nullptr, "a"), -1);
    EXPECT_EQ(instrB(0, "ab\0cd", 5, "cd"), 3);
    EXPECT_EQ(instrBB(0, "ab\0cd", 5, "\0c", 2), 2);
    EXPECT_EQ(instrBB(0, "abc", 3, "abcd", 4), -1);
    EXPECT_EQ(findstring("xxabxx", 6, 1, "ab", 2), 2);
    EXPECT_EQ(findnextA(0, "xxab", "ab"), 4);
    EXPECT_EQ(findnextB(0, "xxab", 3, "ab"), -1);
    EXPECT_EQ(findchar("a,b,c", 5, 2, ','), 3);
    EXPECT_EQ(findchar("a,b,c", 5, 5, ','), -1);
    EXPECT_EQ(instr_charA(0, "abc", 'c'), 2);
    EXPECT_EQ(instr_charA(0, "abc", '\0'), -1);
}

TEST(StrSearch, CountsFieldsAndWildcards) {
    EXPECT_EQ(countChar("a,b,,c", ','), 3);
    EXPECT_EQ(countChar(nullptr, ','), 0);
    const std::string l_str300(300, 'z');
    EXPECT_EQ(getcharcount(l_str300.c_str(), 0, 300, 'z'), 255);
    EXPECT_EQ(getcharcount("zzz", 1, 3, 'z'), 2);
    EXPECT_EQ(getcharcount("zzz", 2, 1, 'z'), 0);
    EXPECT_EQ(getcharcount(nullptr, 0, 3, 'z'), 0);

    char l_szOut[16];
    EXPECT_EQ(countPos("a,bc,d", ',', 0, l_szOut), 0);
    EXPECT_STREQ(l_szOut, "a");
    EXPECT_EQ(countPos("a,bc,d", ',', 1, l_szOut), 2);
    EXPECT_STREQ(l_szOut, "bc");
    EXPECT_EQ(countPos("a,bc,d", ',', 2, l_szOut), 5);
    EXPECT_STREQ(l_szOut, "d");
    EXPECT_EQ(countPos("a,bc,d", ',', 3, l_szOut), -1);
    EXPECT_STREQ(l_szOut, "");
    EXPECT_EQ(countPos("a,,", ',', 2, l_szOut), 3);
    EXPECT_STREQ(l_szOut, "");

    EXPECT_TRUE(ms_isApplicable("*.txt", "notes.txt"));
    EXPECT_FALSE(ms_isApplicable("*.txt", "notes.txt.bak"));
    EXPECT_TRUE(ms_isApplicable("a?c*", "abcdef"));
    EXPECT_TRUE(ms_isApplicable("*a*b*c*", "xxaxxbxxcxx"));
    EXPECT_FALSE(ms_isApplicable("?", ""));
    EXPECT_TRUE(ms_isApplicable("**", ""));
    EXPECT_FALSE(ms_isApplicable("abc", "ab"));
    EXPECT_FALSE(ms_isApplicable(nullptr, "ab"));
    // Many stars against a long miss stays fast (no exponential backtracking).
    EXPECT_FALSE(ms_isApplicable("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a').c_str()));
    EXPECT_TRUE(ms_isAppearAll("***x", 3));
    EXPECT_FALSE(ms_isAppearAll("***x", 4));
    EXPECT_FALSE(ms_isAppearAll("*", 0));
}

TEST(StrEdit, CutsWithinTheirBounds) {
    char l_szOut[16];
    EXPECT_EQ(leftstrA("abcdef", 3, l_szOut), 3);
    EXPECT_STREQ(l_szOut, "abc");
    EXPECT_EQ(leftstrA("ab", 3, l_szOut), 2);
    EXPECT_EQ(leftstrB("abcdef", 6, 2, l_szOut), 2);
    EXPECT_EQ(leftstrB("abcdef", 6, 7, l_szOut), 6);

    EXPECT_EQ(midstrA("abcdef", 2, 3, l_szOut), 3);
    EXPECT_STREQ(l_szOut, "cde");
    EXPECT_EQ(midstrA("abcdef", 4, 3, l_szOut), 7);
    EXPECT_STREQ(l_szOut, "");
    // A start and count whose sum overflows must not pass the bound.
    EXPECT_EQ(midstrA("abcdef", 2, 0x7FFFFFFF, l_szOut), 0x7FFFFFFF);
    EXPECT_STREQ(l_szOut, "");
    EXPECT_EQ(midstrA("abcdef", 7, 1, l_szOut), 8);

    std::memset(l_szOut, 'x', sizeof l_szOut);
    EXPECT_EQ(midstrB("abcdef", 1, 3, l_szOut), 4);
    EXPECT_EQ(std::string(l_szOut, 4), "bcdx");
    EXPECT_EQ(midstrB(nullptr, 1, 3, l_szOut), -1);
    EXPECT_EQ(midstrBZ("abcdef", 1, 3, l_szOut), 3);
    EXPECT_STREQ(l_szOut, "bcd");
    std::memset(l_szOut, 'x', sizeof l_szOut);
    EXPECT_EQ(midstrBB("abcdef", 6, 4, 2, l_szOut), 6);
    EXPECT_EQ(std::string(l_szOut, 2), "ef");
    EXPECT_EQ(midstrBB("abcdef", 6, 5, 2, l_szOut), 7);
    EXPECT_EQ(midstrBB("abcdef", 6, 1, 0x7FFFFFFF, l_szOut), 0x7FFFFFFF);
    EXPECT_EQ(l_szOut[0], 'e');

    EXPECT_EQ(rightstrA("abcdef", 4, l_szOut), 2);
    EXPECT_STREQ(l_szOut, "ef");
    EXPECT_EQ(rightstrA("abcdef", 6, l_szOut), 7);
    EXPECT_EQ(rightstrB("abcdef", 6, 3, l_szOut), 6);
    EXPECT_EQ(std::string(l_szOut, 3), "def");
    EXPECT_EQ(rightstrB("abcdef", 3, 3, l_szOut), 4);

    EXPECT_EQ(strcpyB(l_szOut, "xyz", 0), nullptr);
    EXPECT_EQ(strcpyB(l_szOut, "xyz", 2), l_szOut);
    char l_szBuf[8] = "------";
    EXPECT_EQ(strcatB(l_szBuf, 0, "ab", 2), 2);
    EXPECT_EQ(strcatB(l_szBuf, 4, "cd", 2), 6);
    EXPECT_STREQ(l_szBuf, "ab--cd");
}

TEST(StrEdit, RewritesInPlace) {
    char l_szText[32] = "a.b.c";
    EXPECT_EQ(replaceChar(l_szText, '.', '/'), 2);
    EXPECT_STREQ(l_szText, "a/b/c");
    EXPECT_EQ(replaceChar(l_szText, '\0', 'x'), 0);
    std::strcpy(l_szText, "MiXeD \xC3\x89");
    EXPECT_STREQ(toLowerCase(l_szText), "mixed \xC3\x89");
    EXPECT_STREQ(toUpperCase(l_szText), "MIXED \xC3\x89");

    std::strcpy(l_szText, " \t\r\n\f ");
    EXPECT_STREQ(trim(l_szText), "");
    std::strcpy(l_szText, "\t two words \n");
    EXPECT_STREQ(trim(l_szText), "two words");
    std::strcpy(l_szText, "\vkeep\v"); // vertical tab is not trimmed
    EXPECT_STREQ(trim(l_szText), "\vkeep\v");

    std::strcpy(l_szText, "a\\nb\\t\\0\\9\\q\\");
    EXPECT_EQ(unescapeChar(l_szText), 10);
    EXPECT_EQ(std::string(l_szText), std::string("a\nb\t\\0\x09\\q\\"));
    EXPECT_EQ(unescapeChar(nullptr), -1);
}

TEST(StrEdit, CountedIntegerReader) {
    EXPECT_EQ(atoiN("  -0042x", 8), -42);
    EXPECT_EQ(atoiN("x12", 3), 0);
    EXPECT_EQ(atoiN("\t\r\n+17", 6), 17);
    EXPECT_EQ(atoiN("12345", 3), 123);
    EXPECT_EQ(atoiN("000000000000123", 15), 123); // leading zeros are not significant
    EXPECT_EQ(atoiN("2147483648", 10), -2147483647 - 1);
    EXPECT_EQ(atoiN("4294967297", 10), 1);           // modulo 2^32
    EXPECT_EQ(atoiN("12345678901", 11), 1234567890); // at most ten digits
    EXPECT_EQ(atoiN("- 5", 3), 0);
    EXPECT_EQ(atoiN("7", 0), 0);
    EXPECT_EQ(atoiN(nullptr, 3), 0);
}

TEST(Format, BoundedNewBuffers) {
    char *l_cpOut = nullptr;
    EXPECT_EQ(brick::asprintf(&l_cpOut, "%s-%d", "id", 42), 5);
    ASSERT_NE(l_cpOut, nullptr);
    EXPECT_STREQ(l_cpOut, "id-42");
    std::free(l_cpOut);

    char l_cSentinel = 0;
    l_cpOut = &l_cSentinel;
    EXPECT_EQ(brick::asprintf(&l_cpOut, "%s", ""), 0);
    EXPECT_EQ(l_cpOut, &l_cSentinel);
    const std::string l_str512(512, 'k');
    EXPECT_EQ(brick::asprintf(&l_cpOut, "%s", l_str512.c_str()), 512);
    EXPECT_EQ(std::strlen(l_cpOut), 512U);
    std::free(l_cpOut);
    l_cpOut = &l_cSentinel;
    EXPECT_EQ(brick::asprintf(&l_cpOut, "%s!", l_str512.c_str()), -1);
    EXPECT_EQ(l_cpOut, &l_cSentinel);
    EXPECT_EQ(brick::asprintf(nullptr, "x"), -1);

    // The C library's asprintf is untouched: it still formats any length.
    char *l_cpLibc = nullptr;
    ASSERT_EQ(::asprintf(&l_cpLibc, "%s!", l_str512.c_str()), 513);
    std::free(l_cpLibc);
}

TEST(Format, TraceWritesToStandardErrorCutAt1027) {
    int l_fds[2];
    ASSERT_EQ(pipe(l_fds), 0);
    std::fflush(stderr);
    const int l_iSaved = dup(STDERR_FILENO);
    dup2(l_fds[1], STDERR_FILENO);
    brick::trace("trace %d;", 7);
    brick::trace("%s", std::string(2000, 'L').c_str());
    brick::trace("%s", std::string(600, 'F').c_str()); // format itself is short: kept
    const std::string l_strLongFormat(513, 'X');
    brick::trace(l_strLongFormat.c_str(), 0); // format too long: refused
    std::fflush(stderr);
    dup2(l_iSaved, STDERR_FILENO);
    close(l_iSaved);
    close(l_fds[1]);
    std::string l_strGot;
    char l_buf[4096];
    for (ssize_t n; (n = read(l_fds[0], l_buf, sizeof l_buf)) > 0;) {
        l_strGot.append(l_buf, static_cast<size_t>(n));
    }
    close(l_fds[0]);
    EXPECT_EQ(l_strGot, "trace 7;" + std::string(1027, 'L') + std::string(600, 'F'));
}
