#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "brick/utf.h"

using namespace brick;

namespace {

struct tFree {
    void operator()(void *a_p) const { std::free(a_p); }
};

std::u16string wide(const char16_t *a_p) {
    return a_p == nullptr ? u"<null>" : std::u16string(a_p);
}

} // namespace

TEST(Utf, EncodesOneTwoAndThreeByteForms) {
    char l_szOut[4];
    EXPECT_STREQ(UCtoUTF8C(u'A', l_szOut), "A");
    EXPECT_STREQ(UCtoUTF8C(u'\u00E9', l_szOut), "\xC3\xA9");
    EXPECT_STREQ(UCtoUTF8C(u'\u07FF', l_szOut), "\xDF\xBF");
    EXPECT_STREQ(UCtoUTF8C(u'\uD55C', l_szOut), "\xED\x95\x9C");
    EXPECT_STREQ(UCtoUTF8C(0xD800, l_szOut), "\xED\xA0\x80"); // a surrogate passes through alone
    EXPECT_EQ(UCtoUTF8C(u'A', nullptr), nullptr);

    std::unique_ptr<char, tFree> l_utf8(WSTRtoUTF8(u"A\u00E9\uD55C"));
    ASSERT_NE(l_utf8, nullptr);
    EXPECT_STREQ(l_utf8.get(), "A\xC3\xA9\xED\x95\x9C");
    EXPECT_EQ(WSTRtoUTF8(u""), nullptr);
    EXPECT_EQ(WSTRtoUTF8(nullptr), nullptr);

    char l_szBuf[16] = "zzzz";
    EXPECT_EQ(FB_WSTRtoUTF8(u"\u00E9x", l_szBuf), 2);
    EXPECT_STREQ(l_szBuf, "\xC3\xA9x");
    EXPECT_EQ(FB_WSTRtoUTF8(u"\u00E9xyz", 1, l_szBuf), 1);
    EXPECT_STREQ(l_szBuf, "\xC3\xA9");
    EXPECT_EQ(FB_WSTRtoUTF8(u"abc", 0, l_szBuf), 0);
    EXPECT_EQ(FB_WSTRtoUTF8(u"", l_szBuf), 0);
    EXPECT_STREQ(l_szBuf, "");
}

TEST(Utf, DecodesUntilTheEndEvenWhenAFormIsCutShort) {
    std::unique_ptr<char16_t, tFree> l_w(UTF8toWSTR("A\xC3\xA9\xED\x95\x9C"));
    EXPECT_EQ(wide(l_w.get()), u"A\u00E9\uD55C");
    // A stray continuation byte stands alone with its low 7 bits.
    l_w.reset(UTF8toWSTR("\x85z"));
    EXPECT_EQ(wide(l_w.get()), u"\x05z");
    // Forms cut short by the terminator end the text; nothing past it is read.
    l_w.reset(UTF8toWSTR("ab\xED\x95"));
    EXPECT_EQ(wide(l_w.get()), u"ab");
    l_w.reset(UTF8toWSTR("ab\xED"));
    EXPECT_EQ(wide(l_w.get()), u"ab");
    l_w.reset(UTF8toWSTR("ab\xC3"));
    EXPECT_EQ(wide(l_w.get()), u"ab");
    l_w.reset(UTF8toWSTR(""));
    EXPECT_EQ(wide(l_w.get()), u"");
    EXPECT_EQ(UTF8toWSTR(nullptr), nullptr);
}

TEST(Utf, CountedDecodingStaysWithinItsLength) {
    const unsigned char l_bytes[] = {'A', 0xC3, 0xA9, 0x85, 0x41, 0xED, 0x95, 0x9C, 0xED, 0x95};
    char16_t l_out[10] = {};
    // 0x85 starts a two-byte form in the counted decoder.
    EXPECT_EQ(FB_UTF8toWSTR(l_bytes, 8, l_out), 8);
    EXPECT_EQ(std::u16string(l_out, 4), u"A\u00E9\u0141\uD55C");
    // The last form needs one byte more than the length gives.
    EXPECT_EQ(FB_UTF8toWSTR(l_bytes, 10, l_out), 8);
    EXPECT_EQ(FB_UTF8toWSTR(l_bytes, 2, l_out), 1);
    EXPECT_EQ(FB_UTF8toWSTR(l_bytes, 0, l_out), 0);
    EXPECT_EQ(FB_UTF8toWSTR(nullptr, 3, l_out), 0);
    // A NUL byte inside the run is a character like any other.
    const unsigned char l_nul[] = {'a', 0, 'b'};
    EXPECT_EQ(FB_UTF8toWSTR(l_nul, 3, l_out), 3);
    EXPECT_EQ(std::u16string(l_out, 3), std::u16string(u"a\0b", 3));
}
