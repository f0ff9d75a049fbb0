#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "brick/char_class.h"
#include "brick/scanner.h"

using namespace brick;

TEST(CharClass, ClassesAndStringTests) {
    EXPECT_TRUE(isSpaceChar('\0'));
    EXPECT_TRUE(isSpaceChar(' '));
    EXPECT_TRUE(isSpaceChar('\x7F'));
    EXPECT_FALSE(isSpaceChar('!'));
    EXPECT_FALSE(isSpaceChar('\x80'));
    EXPECT_FALSE(isSpaceChar('\xA0'));
    std::string l_strSpecial;
    for (int c = 0; c < 256; ++c) {
        if (isSpecialChar(static_cast<char>(c))) {
            l_strSpecial += static_cast<char>(c);
        }
    }
    EXPECT_EQ(l_strSpecial, "!\"#$%&'()*+,-./:;<=>?@[\\]^`{|}");

    EXPECT_TRUE(isHexa('f'));
    EXPECT_FALSE(isHexa('g'));
    EXPECT_TRUE(isHexa("00aF", false));
    EXPECT_FALSE(isHexa("-1f", false));
    EXPECT_TRUE(isHexa("-1f", true));
    EXPECT_FALSE(isHexa("1-f", true));
    EXPECT_TRUE(isHexa("12zz", 2U, false));
    EXPECT_FALSE(isHexa("12", 3U, false)); // the NUL is not a digit
    EXPECT_FALSE(isHexa("", false));
    EXPECT_FALSE(isHexa(nullptr, true));
    EXPECT_TRUE(isDecimal("+0123", true));
    EXPECT_FALSE(isDecimal("12a", false));
    EXPECT_TRUE(isDecimal("12a", 2U, false));
    EXPECT_FALSE(isDecimal("12", 0U, false));
    EXPECT_TRUE(isAlphabetic("abcXYZ"));
    EXPECT_FALSE(isAlphabetic("ab1"));
    EXPECT_TRUE(isAlphabetic("ab1", 2U));
    EXPECT_FALSE(isAlphabetic("\xC3\xA9"));
}

TEST(Scanner, ForwardTokens) {
    const char *l_cpData = "alpha beta,gamma  delta";
    const uint32_t l_uiLen = static_cast<uint32_t>(std::strlen(l_cpData));
    EXPECT_EQ(findtoken(l_cpData, l_uiLen, 0, "beta"), l_uiLen); // followed by ',' not a space
    EXPECT_EQ(findtoken(l_cpData, l_uiLen, 0, "gamma"), 11U);
    EXPECT_EQ(findtoken(l_cpData, l_uiLen, 0, "delta"), 18U);
    EXPECT_EQ(findtoken(l_cpData, l_uiLen, 19, "delta"), l_uiLen);
    EXPECT_EQ(findtoken(l_cpData, l_uiLen, 0, ""), l_uiLen);

    char l_szOut[kMaxTokenChars + 1];
    EXPECT_EQ(nexttoken(l_cpData, l_uiLen, 5, l_szOut, nullptr, false), 16U);
    EXPECT_STREQ(l_szOut, "beta,gamma");
    EXPECT_EQ(nexttoken(l_cpData, l_uiLen, 5, l_szOut, nullptr, true), 10U);
    EXPECT_STREQ(l_szOut, "beta");
    EXPECT_EQ(nexttoken(l_cpData, l_uiLen, 5, l_szOut, "m", false), 13U);
    EXPECT_STREQ(l_szOut, "beta,ga");
    EXPECT_EQ(nexttoken(l_cpData, l_uiLen, 18, l_szOut, nullptr, false), l_uiLen);
    EXPECT_STREQ(l_szOut, "delta");
    // A word longer than 100 characters is cut there.
    const std::string l_strLong(150, 'w');
    EXPECT_EQ(nexttoken(l_strLong.c_str(), 150, 0, l_szOut, nullptr, false), 100U);
    EXPECT_EQ(std::strlen(l_szOut), 100U);

    char l_cFound = 'x';
    EXPECT_EQ(nextchar(l_cpData, l_uiLen, 0, ",z", l_cFound), 10U);
    EXPECT_EQ(l_cFound, ',');
    EXPECT_EQ(nextchar(l_cpData, l_uiLen, 11, ",", l_cFound), l_uiLen);
    EXPECT_EQ(l_cFound, '\0');
    EXPECT_EQ(nextchar(" ,,x", 4, 0, true), 3U);
    EXPECT_EQ(nextchar(" ,,x", 4, 0, false), 1U);
    EXPECT_EQ(firstSC(l_cpData, l_uiLen, 0, l_cFound), 10U);
    EXPECT_EQ(l_cFound, ',');
    EXPECT_EQ(firstSC("ab_c~", 5, 0, l_cFound), 5U);
}

TEST(Scanner, ExtractAndBackwardTokens) {
    char l_szOut[kMaxTokenChars + 1];
    char l_cFound = 'x';
    EXPECT_EQ(extracttoken(";;ab;cd", 7, 0, ";", l_szOut, l_cFound), 4);
    EXPECT_STREQ(l_szOut, "ab");
    EXPECT_EQ(l_cFound, ';');
    EXPECT_EQ(extracttoken(";;ab;cd", 7, 4, ";", l_szOut, l_cFound), 7);
    EXPECT_STREQ(l_szOut, "cd");
    EXPECT_EQ(l_cFound, '\0');
    EXPECT_EQ(extracttoken("ab;;", 4, 2, ";", l_szOut, l_cFound), -1);
    EXPECT_EQ(extracttoken("ab", 2, 2, ";", l_szOut, l_cFound), -1);
    // A long run is copied up to 100 characters; the index still ends the run.
    const std::string l_strLong = std::string(300, 'q') + ";";
    EXPECT_EQ(extracttoken(l_strLong.c_str(), 301, 0, ";", l_szOut, l_cFound), 300);
    EXPECT_EQ(std::strlen(l_szOut), 100U);

    EXPECT_EQ(pretoken("abc def", 7, 6, l_szOut), 4U);
    EXPECT_STREQ(l_szOut, "def");
    EXPECT_EQ(pretoken("abc def", 7, 2, l_szOut), 0U);
    EXPECT_STREQ(l_szOut, "abc");
    EXPECT_EQ(pretoken("abc def", 7, 3, l_szOut), 0U);
    EXPECT_EQ(pretoken("   x", 4, 2, l_szOut), 4U);
    EXPECT_STREQ(l_szOut, "");
    EXPECT_EQ(pretoken("abc", 3, 3, l_szOut), 3U);
    const std::string l_strWord = "x " + std::string(200, 'p');
    EXPECT_EQ(pretoken(l_strWord.c_str(), 202, 201, l_szOut), 2U);
    EXPECT_EQ(std::string(l_szOut), std::string(100, 'p'));

    EXPECT_EQ(findbackcharA("a/b/c", '/', 0), 3);
    EXPECT_EQ(findbackcharA("a/b/c", '/', 2), 1);
    EXPECT_EQ(findbackcharB("a/b/c", 5, '/', 5), -1);
    EXPECT_EQ(findbackcharB("a/b/c", 5, '/', -1), -1);
    EXPECT_EQ(findbackcharB("abc", 3, '/', 0), -1);

    const char *l_cpText = "  key=value rest";
    EXPECT_EQ(skipSpaces(l_cpText), l_cpText + 2);
    EXPECT_EQ(move2Space(l_cpText + 2, '='), l_cpText + 5);
    EXPECT_EQ(move2Space(l_cpText + 6, '='), l_cpText + 11);
    EXPECT_EQ(*move2Space("abc", '='), '\0');
    EXPECT_EQ(skipSpaces(static_cast<const char *>(nullptr)), nullptr);
}

TEST(Scanner, AdjustAndOverwrite) {
    char l_szOut[8];
    EXPECT_STREQ(adjustText(l_szOut, 8, "short", "..."), "short");
    EXPECT_STREQ(adjustText(l_szOut, 8, "much longer", "..."), "much...");
    EXPECT_STREQ(adjustText(l_szOut, 8, "much longer", nullptr), "much lo");
    EXPECT_STREQ(adjustText(l_szOut, 8, "much longer", "12345678"), "much lo");
    EXPECT_STREQ(adjustText(l_szOut, 1, "abc", "."), "");
    EXPECT_EQ(adjustText(l_szOut, 0, "abc", "."), nullptr);

    char l_szBuf[12];
    std::memcpy(l_szBuf, "abcdefghij", 11);
    EXPECT_TRUE(OverwriteTxt(l_szBuf, 12, 1, "12", 5, false, false, '0'));
    EXPECT_STREQ(l_szBuf, "a00012ghij");
    EXPECT_TRUE(OverwriteTxt(l_szBuf, 12, 1, "12", 5, true, true, '.'));
    EXPECT_STREQ(l_szBuf, "a12...");
    EXPECT_TRUE(OverwriteTxt(l_szBuf, 12, 0, "toolongtext", 3, false, true, ' '));
    EXPECT_EQ(std::string(l_szBuf, 6), "too...");
    // The slot is cut at the buffer end; a huge width cannot wrap around.
    EXPECT_TRUE(OverwriteTxt(l_szBuf, 12, 8, "xyzw", 0xFFFFFFF0U, true, true, '-'));
    EXPECT_STREQ(l_szBuf + 8, "xyz");
    EXPECT_FALSE(OverwriteTxt(l_szBuf, 12, 11, "x", 1, true, true, '-'));
    EXPECT_FALSE(OverwriteTxt(l_szBuf, 12, 12, "x", 1, false, true, '-'));
    EXPECT_TRUE(OverwriteTxt(l_szBuf, 12, 11, "x", 1, false, true, '-'));
    EXPECT_TRUE(OverwriteTxt(l_szBuf, 12, 2, "", 3, true, true, '-'));
    EXPECT_FALSE(OverwriteTxt(nullptr, 12, 2, "a", 3, true, true, '-'));
    EXPECT_TRUE(OverwriteInt(l_szBuf, 12, 0, -42, 6, true, false, ' '));
    EXPECT_STREQ(l_szBuf, "   -42");
}

TEST(Scanner, SplitPathsAndFiles) {
    char l_szDir[64], l_szFile[64];
    EXPECT_EQ(splitPath("a/b\\c/d.txt", l_szDir, l_szFile, true, false), 3);
    EXPECT_STREQ(l_szDir, "a/b");
    EXPECT_STREQ(l_szFile, "c/d.txt");
    EXPECT_EQ(splitPath("a/b/c.txt", l_szDir, l_szFile, false, true), 3);
    EXPECT_STREQ(l_szDir, "a\\b\\");
    EXPECT_STREQ(l_szFile, "c.txt");
    EXPECT_EQ(splitPath("plain", l_szDir, l_szFile, true, true), -1);
    EXPECT_STREQ(l_szDir, "");
    EXPECT_STREQ(l_szFile, "plain");
    EXPECT_EQ(splitPath("", l_szDir, l_szFile, true, true), -1);
    EXPECT_EQ(splitPath("a/b", nullptr, l_szFile, true, true), -1);

    char l_szBase[64], l_szExt[4];
    EXPECT_TRUE(splitFile("arch.tar.gz", l_szBase, l_szExt, sizeof l_szExt));
    EXPECT_STREQ(l_szBase, "arch.tar");
    EXPECT_STREQ(l_szExt, "gz");
    EXPECT_TRUE(splitFile("name.long", l_szBase, l_szExt, sizeof l_szExt));
    EXPECT_STREQ(l_szBase, "name");
    EXPECT_STREQ(l_szExt, "");
    EXPECT_TRUE(splitFile("name.txt", l_szBase, nullptr, 0));
    EXPECT_FALSE(splitFile("noext", l_szBase, l_szExt, sizeof l_szExt));
    EXPECT_STREQ(l_szBase, "");
    EXPECT_FALSE(splitFile("a.b", l_szBase, l_szExt, 1));
    EXPECT_FALSE(splitFile("", l_szBase, l_szExt, 4));
}
