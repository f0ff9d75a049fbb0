// Text and number utilities: ToString forms, the quoting and unescaping tables, the counted
// integer parser and its limits, the number-token parser, and the heap copies.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "test_fields_support.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

using namespace vexl;
using vexl_test::raisesLogic;

TEST(Utilities, ToStringIntegers) {
    EXPECT_EQ(ToString(-9223372036854775807LL - 1), "-9223372036854775808");
    EXPECT_EQ(ToString(18446744073709551615ULL), "18446744073709551615");
    EXPECT_EQ(ToString(-1), "-1");
    EXPECT_EQ(ToString(4294967295u), "4294967295");
    EXPECT_EQ(ToString(0), "0");
    EXPECT_EQ(ToString(true), "true");
    EXPECT_EQ(ToString(false), "false");
}

TEST(Utilities, ToStringDouble) {
    EXPECT_EQ(ToString(0.1), "0.10000000000000001");
    EXPECT_EQ(ToString(1.0), "1");
    EXPECT_EQ(ToString(1e300), "1.0000000000000001e+300");
    EXPECT_EQ(ToString(-0.0), "-0");
    EXPECT_EQ(ToString(std::numeric_limits<double>::infinity()), "1e+9999");
    EXPECT_EQ(ToString(-std::numeric_limits<double>::infinity()), "-1e+9999");
    EXPECT_EQ(ToString(std::nan("")), "null");
    EXPECT_EQ(ToString(5e-324), "4.9406564584124654e-324");
}

TEST(Utilities, ToStringDoubleIgnoresADecimalCommaLocale) {
    const char *l_szOld = std::setlocale(LC_NUMERIC, nullptr);
    std::string l_strOld = l_szOld != nullptr ? l_szOld : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr)
        GTEST_SKIP() << "no decimal-comma locale installed";
    std::string l_str = ToString(2.5);
    CFields l_node;
    atonInField("1.5", 3, l_node);
    std::setlocale(LC_NUMERIC, l_strOld.c_str());
    EXPECT_EQ(l_str, "2.5");
    EXPECT_EQ(l_node.asDouble(), 1.5);
}

TEST(Utilities, QuotingTable) {
    EXPECT_EQ(ToQuotedEscapeString("plain text"), "\"plain text\"");
    EXPECT_EQ(ToQuotedEscapeString("a\"b"), "\"a\\\"b\"");
    EXPECT_EQ(ToQuotedEscapeString("\x01"), "\"\\x01\"");
    EXPECT_EQ(ToQuotedEscapeString(""), "\"\"");
    EXPECT_EQ(ToQuotedEscapeString(nullptr), "\"\"");
    EXPECT_EQ(ToQuotedEscapeString("\b\t\n\f\r\\/"), "\"\\b\\t\\n\\f\\r\\\\/\"");
    EXPECT_EQ(ToQuotedEscapeString("\x7f\x80\xff\x1f"), "\"\\x7F\\x80\\xFF\\x1F\"");
    EXPECT_EQ(ToQuotedEscapeString("\xc3\xa9"), "\"\\xC3\\xA9\"");
    // The counted form writes zero bytes and never reads past its length.
    EXPECT_EQ(ToQuotedEscapeString("\xD5\x5C\xAE\x00tail", 4), "\"\\xD5\\\\\\xAE\\x00\"");
    EXPECT_EQ(ToQuotedEscapeString("abc", 2), "\"ab\"");
}

TEST(Utilities, UnescapingTable) {
    EXPECT_EQ(ToUnescapeString("a\\tb", true), "a\tb");
    EXPECT_EQ(ToUnescapeString("ab\"cd", true), "ab");
    EXPECT_EQ(ToUnescapeString("\\q", true), "");
    EXPECT_EQ(ToUnescapeString("\\u00e9", true), "\xC3\xA9");
    EXPECT_EQ(ToUnescapeString("\\u00e9", false), std::string("\x00\xE9", 2));
    EXPECT_EQ(ToUnescapeString("\\\"\\/\\\\\\b\\f\\n\\r\\t", true), "\"/\\\b\f\n\r\t");
    EXPECT_EQ(ToUnescapeString("\\x41\\x7a", true), "Az");
    EXPECT_EQ(ToUnescapeString("x\\x4", true), "x"); // a digit missing: the zero stops it
    EXPECT_EQ(ToUnescapeString("x\\", true), "x");   // a backslash at the very end
    EXPECT_EQ(ToUnescapeString("\\ud83d\\ude00", true), "\xF0\x9F\x98\x80");
    EXPECT_EQ(ToUnescapeString("a\\ud83dz", true), "a"); // half a surrogate pair
    EXPECT_EQ(ToUnescapeString("\\u12", false), "");
    EXPECT_EQ(ToUnescapeString("\\u0041\\u07ff\\uffff", true), "A\xDF\xBF\xEF\xBF\xBF");
    EXPECT_EQ(ToUnescapeString("\\!", true), ""); // below '"'
    EXPECT_EQ(ToUnescapeString("\\y", true), ""); // above 'x'
    EXPECT_EQ(ToUnescapeString(nullptr, true), "");
}

TEST(Utilities, Aton64Signed) {
    long long l_n = 99;
    EXPECT_TRUE(aton64("-12", 3, l_n));
    EXPECT_EQ(l_n, -12);
    EXPECT_FALSE(aton64("12a", 3, l_n));
    EXPECT_EQ(l_n, 0);
    EXPECT_TRUE(aton64("+7", 2, l_n));
    EXPECT_EQ(l_n, 7);
    EXPECT_TRUE(aton64("123", 2, l_n)); // exactly `length` bytes
    EXPECT_EQ(l_n, 12);
    EXPECT_TRUE(aton64("", 0, l_n));
    EXPECT_EQ(l_n, 0);
    EXPECT_FALSE(aton64(" 1", 2, l_n));
    EXPECT_FALSE(aton64(nullptr, 0, l_n));
    EXPECT_TRUE(aton64("-9223372036854775808", 20, l_n));
    EXPECT_EQ(l_n, -9223372036854775807LL - 1);
    EXPECT_TRUE(aton64("9223372036854775807", 19, l_n));
    EXPECT_EQ(l_n, 9223372036854775807LL);
    l_n = 5;
    EXPECT_FALSE(aton64("9223372036854775808", 19, l_n)); // overflow is false
    EXPECT_EQ(l_n, 0);
    EXPECT_FALSE(aton64("-9223372036854775809", 20, l_n));
    EXPECT_FALSE(aton64("18446744073709551615", 20, l_n));
}

TEST(Utilities, Aton64Unsigned) {
    unsigned long long l_u = 99;
    EXPECT_FALSE(aton64("-1", 2, l_u));
    EXPECT_EQ(l_u, 0u);
    EXPECT_TRUE(aton64("+18446744073709551615", 21, l_u));
    EXPECT_EQ(l_u, 18446744073709551615ULL);
    EXPECT_FALSE(aton64("18446744073709551616", 20, l_u));
    EXPECT_EQ(l_u, 0u);
    EXPECT_FALSE(aton64("99999999999999999999", 20, l_u));
    EXPECT_FALSE(aton64("1.0", 3, l_u));
}

TEST(Utilities, AtonInField) {
    CFields l_node;
    EXPECT_TRUE(atonInField("2147483647", 10, l_node));
    EXPECT_EQ(l_node.getDT(), DT_sint);
    atonInField("2147483648", 10, l_node);
    EXPECT_EQ(l_node.getDT(), DT_uint);
    EXPECT_EQ(l_node.asUint64(), 2147483648ULL);
    atonInField("-5", 2, l_node);
    EXPECT_EQ(l_node.getDT(), DT_sint);
    EXPECT_EQ(l_node.asSint64(), -5);
    atonInField("1.5", 3, l_node);
    EXPECT_EQ(l_node.getDT(), DT_double);
    EXPECT_EQ(l_node.asDouble(), 1.5);
    atonInField("99999999999999999999", 20, l_node);
    EXPECT_EQ(l_node.getDT(), DT_double);
    EXPECT_EQ(l_node.asDouble(), 1e20);
    atonInField("-9223372036854775808", 20, l_node);
    EXPECT_EQ(l_node.asSint64(), -9223372036854775807LL - 1);
    atonInField("18446744073709551615", 20, l_node);
    EXPECT_EQ(l_node.getDT(), DT_uint);
    atonInField("abc", 3, l_node);
    EXPECT_EQ(l_node.getDT(), DT_double);
    EXPECT_EQ(l_node.asDouble(), 0.0);
    // Only the counted bytes take part: "1.5" followed by more digits stays 1.5.
    atonInField("1.57", 3, l_node);
    EXPECT_EQ(l_node.asDouble(), 1.5);
    std::string l_strLong = "2." + std::string(100, '5');
    atonInField(l_strLong.data(), 5, l_node);
    EXPECT_EQ(l_node.asDouble(), 2.555);
}

TEST(Utilities, DuplicateStreams) {
    char *l_p = duplicatePrefixedStream("", 0);
    const char l_acExpect[5] = {0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(l_p, l_acExpect, 5), 0);
    std::free(l_p);
    l_p = duplicatePrefixedStream("ab\0c", 4);
    uint32_t l_uLen;
    std::memcpy(&l_uLen, l_p, 4);
    EXPECT_EQ(l_uLen, 4u);
    EXPECT_EQ(std::memcmp(l_p + 4, "ab\0c\0", 5), 0);
    std::free(l_p);
    l_p = duplicateStream("xyz", 2);
    EXPECT_STREQ(l_p, "xy");
    std::free(l_p);
    EXPECT_TRUE(raisesLogic([] { duplicatePrefixedStream("", 2147483643u); }, "vexl::duplicatePrefixedStream",
                            "a_uiSrcLen too big for prefixing"));
}
