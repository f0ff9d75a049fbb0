// Text of one scalar field: number and string forms, the packet expression, and the value with
// its spacing, null, "fix"/"valid" and error rules.

#include "saver/text_format.h"
#include "vexl/savers.h"
#include "vexl/utilities.h"

#include <bit>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using namespace vexl;

namespace {

// Exposes the protected field-text steps of the saver base.
class CProbeSaver : public IStringSaver {
public:
    using ISaver::makePEI;
    using ISaver::makePEIandValue;
    std::string saving(const CFields &, unsigned char, const char *) override { return {}; }
    void setSIS(unsigned char sis) { m_ucSIS = sis; }
};

tPacketExpInfo exp(E_PacketExpCode a, E_RuntimeExpCode c, E_LengthExpCode l, uint32_t length,
                   uint16_t ski = 0, unsigned kind = 0, unsigned option = 0) {
    tPacketExpInfo e{};
    e.setPacketCode(a);
    e.setRuntimeCode(c);
    e.setLengthCode(l);
    e.setLength(length);
    e.setSKI(ski);
    e.setSkiKind(kind);
    e.setSkiOption(option);
    return e;
}

tPacketExpInfo varExp(uint8_t width, int8_t calibration) {
    tPacketExpInfo e = exp(PEC_ASCII, REC_CHARACTER, LEC_VARIABLE, width);
    e.uVarWidth = width;
    e.nCalibration = calibration;
    return e;
}

std::string pei(CProbeSaver &s, const tPacketExpInfo &e, E_DataType t = DT_uint) {
    unsigned char flags = 0;
    return s.makePEI(t, e, flags);
}

std::string field(CProbeSaver &s, const CFields &f, unsigned char flags = 0) {
    return s.makePEIandValue(f, flags);
}

std::string quoteBytes(const std::string &bytes) {
    std::string out;
    detail::appendQuotedEscaped(out, bytes.data(), bytes.size());
    return out;
}

const char *testKeywordText(unsigned short index, unsigned char) {
    static const std::string s_strLong(300, 'k');
    switch (index) {
    case 1:
        return "seq_";
    case 2:
        return s_strLong.c_str();
    case 3:
        return nullptr;
    default:
        return "chk";
    }
}

// Registers the test's get-text hook in slot 13 for the lifetime of the object.
struct tHookSlot {
    tHookSlot() { CFields::setGetTxtFP4ESK(13, testKeywordText); }
    ~tHookSlot() { CFields::setGetTxtFP4ESK(13, nullptr); }
};

} // namespace

// MARK: - Numbers and quoted strings

TEST(SaverTextFormat, DoublesMatchPrintfSeventeenDigits) {
    // The writers format doubles with std::to_chars; the documented form is "%.17g".
    std::mt19937_64 rng(11);
    const double fixedCases[] = {0.0,
                                 -0.0,
                                 0.1,
                                 1.0,
                                 1e300,
                                 -1e-300,
                                 5e-324,
                                 2.2250738585072014e-308,
                                 123456789012345678.0,
                                 1e17,
                                 1e16,
                                 0.5,
                                 -65.613616999999977,
                                 std::numeric_limits<double>::max()};
    auto check = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof(buf), "%.17g", v);
        std::string out;
        detail::appendDouble(out, v);
        ASSERT_EQ(out, buf) << "bits " << std::hex << std::bit_cast<uint64_t>(v);
    };
    for (double v : fixedCases)
        check(v);
    for (int i = 0; i < 200000; ++i) {
        uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof(v));
        if (std::isfinite(v))
            check(v);
        check(std::ldexp(double(rng() >> 11), int(rng() % 200) - 100));
    }
}

TEST(SaverTextFormat, DoublesNearTiesPowersAndShortDecimalsMatchPrintf) {
    auto check = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof(buf), "%.17g", v);
        std::string out;
        detail::appendDouble(out, v);
        ASSERT_EQ(out, buf);
    };
    // Powers of ten and their neighbours, where the decimal exponent changes.
    for (int e = -320; e <= 308; ++e) {
        const double p = std::strtod(("1e" + std::to_string(e)).c_str(), nullptr);
        check(p);
        check(std::nextafter(p, 0.0));
        check(std::nextafter(p, std::numeric_limits<double>::infinity()));
        check(-p);
    }
    // Numbers typed with few digits (most data), and 17-digit texts as GeoJSON stores them.
    std::mt19937_64 rng(5);
    for (int i = 0; i < 100000; ++i) {
        const long long mant = static_cast<long long>(rng() % 100000000000000000ULL);
        const int exp10 = int(rng() % 60) - 30;
        check(std::strtod((std::to_string(mant) + "e" + std::to_string(exp10)).c_str(), nullptr));
        check(std::strtod((std::to_string(rng() % 100000) + "." + std::to_string(rng() % 1000)).c_str(),
                          nullptr));
    }
    // Exact binary fractions whose decimal expansion ends in 5 just past the 17th digit (exact
    // ties, rounded to even), and integers around 2^53.
    for (int k = 1; k < 70; ++k)
        for (uint64_t m = 1; m < 2000; m += 37)
            check(std::ldexp(double((uint64_t(1) << 52) + m), -k));
    for (uint64_t n = (uint64_t(1) << 53) - 1000; n < (uint64_t(1) << 53) + 1000; ++n)
        check(double(n));
}

TEST(SaverTextFormat, SpecialDoublesAndIntegersMatchToString) {
    const double specials[] = {std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), -0.0, 1e300};
    for (double v : specials) {
        std::string out;
        detail::appendDouble(out, v);
        EXPECT_EQ(out, ToString(v));
    }
    const long long sints[] = {0, -1, 42, std::numeric_limits<long long>::min(),
                               std::numeric_limits<long long>::max()};
    for (long long v : sints) {
        std::string out;
        detail::appendSint(out, v);
        EXPECT_EQ(out, ToString(v));
    }
    std::string out;
    detail::appendUint(out, 18446744073709551615ULL);
    EXPECT_EQ(out, "18446744073709551615");
    // Every digit count, at both ends of its range, after text already written.
    unsigned long long power = 1;
    for (int digits = 1; digits <= 20; ++digits) {
        const unsigned long long low = digits == 1 ? 0 : power;
        const unsigned long long high = digits == 20 ? 18446744073709551615ULL : power * 10 - 1;
        for (unsigned long long v : {low, high}) {
            std::string text = "x=";
            detail::appendUint(text, v);
            EXPECT_EQ(text, "x=" + std::to_string(v));
        }
        if (digits < 20)
            power *= 10;
    }
    // Random values of every length, inner zeros included.
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const unsigned long long v = rng() >> (rng() % 64);
        std::string text;
        detail::appendUint(text, v);
        ASSERT_EQ(text, std::to_string(v));
        const long long w = static_cast<long long>(rng()) >> (rng() % 64);
        text.clear();
        detail::appendSint(text, w);
        ASSERT_EQ(text, std::to_string(w));
    }
    for (unsigned long long v :
         {100000000ULL, 100000001ULL, 1000000000000000000ULL, 10000000000000000001ULL}) {
        std::string text;
        detail::appendUint(text, v);
        EXPECT_EQ(text, std::to_string(v));
    }
}

TEST(SaverTextFormat, QuotedStringsMatchToQuotedEscapeStringForEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(char(c));
    EXPECT_EQ(quoteBytes(all), ToQuotedEscapeString(all.c_str()));
    EXPECT_EQ(quoteBytes("a\"b"), "\"a\\\"b\"");
    EXPECT_EQ(quoteBytes("\x01"), "\"\\x01\"");
    EXPECT_EQ(quoteBytes("\b\t\n\f\r\\/"), "\"\\b\\t\\n\\f\\r\\\\/\"");
    EXPECT_EQ(quoteBytes(""), "\"\"");
    // Zero bytes are written whole, as \x00, where the zero-terminated form would stop.
    const std::string withZero("\xD5\x5C\xAE\x00", 4);
    EXPECT_EQ(quoteBytes(withZero), "\"\\xD5\\\\\\xAE\\x00\"");
    EXPECT_EQ(quoteBytes(std::string("\x00\x41", 2)), "\"\\x00A\"");
    // Long runs of escapes and plain text alternate without loss.
    std::string mixed;
    for (int i = 0; i < 100; ++i)
        mixed += std::string(i % 7, 'a') + std::string(i % 5, '\xE9');
    EXPECT_EQ(quoteBytes(mixed), ToQuotedEscapeString(mixed.data(), unsigned(mixed.size())));
}

// MARK: - Packet expression text

TEST(SaverPacketExpression, WritesCodesLengthsAndCalibrations) {
    CProbeSaver s;
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 8)), "(ACF8)");
    EXPECT_EQ(pei(s, exp(PEC_BINARY, REC_NUMBER, LEC_FIXED, 4)), "(BNF4)");
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4294967295u)), "(ACF4294967295)");
    EXPECT_EQ(pei(s, varExp(3, 0)), "(ACV3+0)");
    EXPECT_EQ(pei(s, varExp(2, 5)), "(ACV2+5)");
    EXPECT_EQ(pei(s, varExp(2, -128)), "(ACV2-128)");
    // A zero width is written too, so that the text stays readable.
    EXPECT_EQ(pei(s, varExp(0, 7)), "(ACV0+7)");
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 8, 31)), "(ACF8YYYYMMDD)");
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 3, 0, 1)), "(ACF4sizedef_1)");
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 3, 0, 0)), "(ACF4sizedef_)");
    EXPECT_FALSE(s.isError());
}

TEST(SaverPacketExpression, DynamicLengthIsWrittenOnlyWithValues) {
    CProbeSaver s;
    const tPacketExpInfo d = exp(PEC_ASCII, REC_CHARACTER, LEC_DYNAMIC, 12, 4, 0, 1);
    s.setSIS(SIS_DETAIL);
    EXPECT_EQ(pei(s, d), "(ACD12sizeset_1)");
    s.setSIS(SIS_VALUELESS);
    EXPECT_EQ(pei(s, d), "(ACD0sizeset_1)");
}

TEST(SaverPacketExpression, SetsItsFlagAndReturnsTheBuffer) {
    CProbeSaver s;
    unsigned char flags = WF_NAME;
    const char *text = s.makePEI(DT_sint, exp(PEC_ASCII, REC_NUMBER, LEC_FIXED, 2), flags);
    EXPECT_STREQ(text, "(ANF2)");
    EXPECT_EQ(flags, WF_NAME | WF_PKTEXP);
}

TEST(SaverPacketExpression, ContainersAndBadInternalIndicesAreReported) {
    CProbeSaver s;
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 1), DT_fields), "");
    EXPECT_EQ(s.getLastErrCode(), -991);
    EXPECT_EQ(s.getLastErrMsg(), "[vexl::ISaver::makePEI#38] 'fields' data type was not supported");
    s.clearError();
    // Index 5 is an empty row and 39 lies beyond the table: the keyword is left out.
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 5)), "(ACF4)");
    EXPECT_EQ(s.getLastErrMsg(), "[vexl::ISaver::makePEI#88] '5' was invalid index of internal keyword");
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 39)), "(ACF4)");
    EXPECT_EQ(s.getLastErrCode(), -991);
}

TEST(SaverPacketExpression, ExternalKeywordsComeFromTheGetTextHook) {
    CProbeSaver s;
    // Without a hook in the slot the keyword is left out silently.
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 9, 13)), "(ACF4)");
    EXPECT_FALSE(s.isError());
    tHookSlot hook;
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 9, 13)), "(ACF4chk)");
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 1, 13, 2)), "(ACF4seq_2)");
    // A null text writes no keyword; a text that cannot fit the buffer is refused, not overrun.
    EXPECT_EQ(pei(s, exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4, 3, 13)), "(ACF4)");
    EXPECT_FALSE(s.isError());
    EXPECT_EQ(pei(s, exp(PEC_BINARY, REC_CHARACTER, LEC_FIXED, 4294967295u, 2, 13, 15)), "(BCF4294967295)");
    EXPECT_EQ(s.getLastErrCode(), -991);
    EXPECT_NE(s.getLastErrMsg().find("Supporting-keyword text too long"), std::string::npos);
}

// MARK: - Scalar field text

TEST(SaverFieldText, ExampleMemberWithIdAndName) {
    CProbeSaver s;
    CFields port(8080u);
    port.pkt_SetExp(exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 4));
    EXPECT_EQ(field(s, port, WF_ID | WF_NAME), " (ACF4) 8080");
    EXPECT_EQ(field(s, port, 0), "(ACF4) 8080");
    s.setSIS(SIS_DETAIL & ~SIS_SPACING);
    EXPECT_EQ(field(s, port, WF_NAME), "(ACF4)8080");
    s.setSIS(SIS_CONFIG); // no packet expressions
    EXPECT_EQ(field(s, port, WF_NAME), " 8080");
}

TEST(SaverFieldText, ValuesByType) {
    CProbeSaver s;
    EXPECT_EQ(field(s, CFields(true)), "true");
    EXPECT_EQ(field(s, CFields(false)), "false");
    EXPECT_EQ(field(s, CFields(-5)), "-5");
    EXPECT_EQ(field(s, CFields(18446744073709551615ULL)), "18446744073709551615");
    EXPECT_EQ(field(s, CFields(0.1)), "0.10000000000000001");
    EXPECT_EQ(field(s, CFields("a\tb")), "\"a\\tb\"");
    EXPECT_EQ(field(s, CFields(std::string("\xD5\x5C\xAE\x00", 4))), "\"\\xD5\\\\\\xAE\\x00\"");
}

TEST(SaverFieldText, NullIsWrittenOnlyWithItsConfigurationBit) {
    CProbeSaver s;
    unsigned char flags = WF_NAME;
    EXPECT_EQ(s.makePEIandValue(CFields(), flags), "");
    EXPECT_EQ(flags, WF_NAME);
    s.setSCBC(0x0Au);
    EXPECT_EQ(s.makePEIandValue(CFields(), flags), " null");
    EXPECT_EQ(flags, WF_NAME | WF_VALUE);
}

TEST(SaverFieldText, EmptyCodeListIsWrittenAsEmptyString) {
    // Writing nothing would read back as a missing value, i.e. null.
    CProbeSaver s;
    unsigned char flags = WF_NAME;
    EXPECT_EQ(s.makePEIandValue(CFields(""), flags), " \"\"");
    EXPECT_EQ(flags, WF_NAME | WF_VALUE);
}

TEST(SaverFieldText, FixKeywordWithDifferentSecondValue) {
    CFields f(5u);
    f.setValue(7u, VK_Fixed);
    f.setVK(VK_Fixed);
    f.pkt_SetExp(exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 1, 1));
    CProbeSaver s; // SCBC 8: the second value is written and the keyword kept
    EXPECT_EQ(field(s, f), "(ACF1fix) 7");
    s.setSCBC(0u); // without it the actual value, and the keyword is dropped
    EXPECT_EQ(field(s, f), "(ACF1) 5");
    // Equal values keep the keyword either way.
    CFields g(5u);
    g.pkt_SetExp(exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 1, 2));
    g.setVK(VK_Valid);
    EXPECT_EQ(field(s, g), "(ACF1valid) 5");
}

TEST(SaverFieldText, FixKeywordWithoutSecondValueKeepsTheActualValue) {
    CFields f(5u);
    f.pkt_SetExp(exp(PEC_ASCII, REC_CHARACTER, LEC_FIXED, 1, 1));
    CProbeSaver s;
    EXPECT_EQ(field(s, f), "(ACF1fix) 5");
}

TEST(SaverFieldText, ContainersAreRefused) {
    CProbeSaver s;
    CFields arr(DT_array);
    EXPECT_EQ(field(s, arr), "");
    EXPECT_EQ(s.getLastErrCode(), -991);
    EXPECT_EQ(s.getLastErrMsg(), "[vexl::ISaver::makePEIandValue#54] 'array' data type was not supported");
}

TEST(SaverBase, ConfigurationAndCryptType) {
    CProbeSaver s;
    EXPECT_EQ(s.getSCBC(), 8u);
    s.setSCBC(-1);
    EXPECT_EQ(s.getSCBC(), 0xFFFFFFFFu);
    EXPECT_TRUE(s.setCryptType(0));
    EXPECT_FALSE(s.setCryptType(1));
    EXPECT_EQ(s.getCryptType(), 0);
    CSavers d(0x05);
    EXPECT_EQ(d.getSCBC(), 5u);
}
