// Values: both slots and the value kind, every range error of the conversions, type tests,
// convertibility, raw access to code lists, and the ordering of values.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_fields_support.h"
#include "vexl/fields.h"

using namespace vexl;
using vexl_test::raisesLogic;

namespace {
const char *const s_szSetValue = "vexl::CFields::setValue";
} // namespace

TEST(FieldsValues, SecondSlotAndValueKind) {
    CFields l_node(1);
    l_node.setValue(2, VK_Valid);
    l_node.setVK(VK_Valid);
    l_node.setValue(5, VK_Fixed); // clearing the second slot resets the kind
    EXPECT_EQ(l_node.getVK(), VK_Actual);
    EXPECT_EQ(l_node.asSint32(VK_Fixed), 5);
    EXPECT_TRUE(l_node.setVK(VK_Fixed));
    EXPECT_EQ(l_node.getVK(), VK_Fixed);
    EXPECT_EQ(l_node.asSint32(VK_Valid), 5); // any non-zero kind reads the second slot
    EXPECT_TRUE(l_node.setVK(VK_Actual));
    EXPECT_TRUE(l_node.isNull(VK_Fixed));
    EXPECT_FALSE(l_node.setVK(VK_Variant));

    EXPECT_TRUE(raisesLogic([&] { l_node.setValue(1, VK_Variant); }, s_szSetValue, "Unknown value type(3)"));
    EXPECT_TRUE(raisesLogic([&] { l_node.setValue(E_DataType(9)); }, s_szSetValue, "Unknown data type(9)"));
    EXPECT_TRUE(raisesLogic([&] { l_node.setValue(E_DataType(9), VK_Fixed); }, s_szSetValue,
                            "Mismatched data type(9) for value type(1)"));
    EXPECT_FALSE(l_node.setValue(DT_fields, VK_Fixed));
    EXPECT_TRUE(l_node.isNull(VK_Fixed));
    EXPECT_TRUE(raisesLogic([&] { l_node.setValue(static_cast<const char *>(nullptr), VK_Fixed); },
                            s_szSetValue, "Value paramter has NULL pointer"));
}

TEST(FieldsValues, SetVKCopiesTheActualValueIntoAnEmptySecondSlot) {
    CFields l_node("abc");
    EXPECT_TRUE(l_node.setVK(VK_Valid));
    EXPECT_EQ(l_node.asString(VK_Valid), "abc");
    EXPECT_NE(l_node.getValuePtr(VK_Valid), l_node.getValuePtr()); // an own copy
    l_node = "changed";
    EXPECT_EQ(l_node.asString(VK_Valid), "abc");
    EXPECT_TRUE(l_node.isEqualDualValue() == false);

    CFields l_record(DT_fields);
    EXPECT_FALSE(l_record.setVK(VK_Fixed));
    EXPECT_EQ(l_record.getVK(), VK_Actual);

    // A second value already present: only the kind changes.
    CFields l_num(1);
    l_num.setValue(9, VK_Fixed);
    EXPECT_TRUE(l_num.setVK(VK_Valid));
    EXPECT_EQ(l_num.asSint32(VK_Valid), 9);
}

TEST(FieldsValues, SetValueFromANodeCopiesKindAndBothSlots) {
    CFields l_src("v");
    l_src.setVK(VK_Fixed);
    CFields l_dst = 3;
    l_dst.setName("dst");
    EXPECT_TRUE(l_dst.setValue(l_src));
    EXPECT_EQ(l_dst.getVK(), VK_Fixed);
    EXPECT_EQ(l_dst.asString(VK_Fixed), "v");
    EXPECT_STREQ(l_dst.getName(), "dst");
    EXPECT_TRUE(l_dst.isEqualDualValue());
}

TEST(FieldsValues, IntegerRangeErrors) {
    struct tCase {
        CFields tNode;
        int nWhich; // 0 asSint32, 1 asUint32, 2 asSint64, 3 asUint64
        const char *szFn;
        const char *szText;
    };
    std::vector<tCase> l_cases;
    l_cases.push_back({CFields(2147483648LL), 0, "vexl::CFields::asSint32", "LSint out of Sint32 range"});
    l_cases.push_back({CFields(-2147483649LL), 0, "vexl::CFields::asSint32", "LSint out of Sint32 range"});
    l_cases.push_back({CFields(2147483648ULL), 0, "vexl::CFields::asSint32", "LUint out of Sint32 range"});
    l_cases.push_back({CFields(2147483648.0), 0, "vexl::CFields::asSint32", "double out of Sint32 range"});
    l_cases.push_back({CFields(-1), 1, "vexl::CFields::asUint32", "LSint out of Uint32 range"});
    l_cases.push_back({CFields(4294967296LL), 1, "vexl::CFields::asUint32", "LSint out of Uint32 range"});
    l_cases.push_back({CFields(4294967296ULL), 1, "vexl::CFields::asUint32", "LUint out of Uint32 range"});
    l_cases.push_back({CFields(-0.5), 1, "vexl::CFields::asUint32", "double out of Uint32 range"});
    l_cases.push_back({CFields(4294967296.0), 1, "vexl::CFields::asUint32", "double out of Uint32 range"});
    l_cases.push_back(
        {CFields(9223372036854775808ULL), 2, "vexl::CFields::asSint64", "LUint out of Sint64 range"});
    l_cases.push_back(
        {CFields(9223372036854775808.0), 2, "vexl::CFields::asSint64", "double out of Sint64 range"});
    l_cases.push_back({CFields(-1e19), 2, "vexl::CFields::asSint64", "double out of Sint64 range"});
    l_cases.push_back({CFields(-1), 3, "vexl::CFields::asUint64", "LSint out of Uint64 range"});
    l_cases.push_back(
        {CFields(18446744073709551616.0), 3, "vexl::CFields::asUint64", "double out of Uint64 range"});
    l_cases.push_back({CFields(-1.0), 3, "vexl::CFields::asUint64", "double out of Uint64 range"});
    l_cases.push_back({CFields(std::nan("")), 0, "vexl::CFields::asSint32", "double out of Sint32 range"});
    l_cases.push_back({CFields("s"), 0, "vexl::CFields::asSint32", "Value is not convertible to Sint32."});
    l_cases.push_back(
        {CFields(DT_array), 1, "vexl::CFields::asUint32", "Value is not convertible to Uint32."});
    l_cases.push_back({CFields("s"), 2, "vexl::CFields::asSint64", "CFields is not convertible to Sint64."});
    l_cases.push_back(
        {CFields(DT_fields), 3, "vexl::CFields::asUint64", "CFields is not convertible to Uint64."});
    for (const tCase &l_case : l_cases) {
        const CFields &l_node = l_case.tNode;
        EXPECT_TRUE(raisesLogic(
            [&] {
                switch (l_case.nWhich) {
                case 0:
                    l_node.asSint32();
                    break;
                case 1:
                    l_node.asUint32();
                    break;
                case 2:
                    l_node.asSint64();
                    break;
                default:
                    l_node.asUint64();
                }
            },
            l_case.szFn, l_case.szText))
            << l_case.szText;
    }
    // The edges that fit.
    EXPECT_EQ(CFields(-1.9).asSint32(), -1);
    EXPECT_EQ(CFields(-2147483648.0).asSint32(), -2147483647 - 1);
    EXPECT_EQ(CFields(4294967295.0).asUint32(), 4294967295u);
    EXPECT_EQ(CFields(0.9).asUint32(), 0u);
    EXPECT_EQ(CFields(9223372036854775808.0).asUint64(), 9223372036854775808ULL);
    EXPECT_EQ(CFields(-9223372036854775807LL - 1).asSint64(), -9223372036854775807LL - 1);
    EXPECT_EQ(CFields(true).asUint32(), 1u);
    EXPECT_EQ(CFields().asSint64(), 0);
}

TEST(FieldsValues, OtherConversions) {
    EXPECT_TRUE(raisesLogic([] { CFields("x").asBool(); }, "vexl::CFields::asBool",
                            "CFields is not convertible to bool."));
    EXPECT_TRUE(raisesLogic([] { CFields(DT_array).asDouble(); }, "vexl::CFields::asDouble",
                            "CFields is not convertible to double."));
    EXPECT_TRUE(raisesLogic([] { CFields("x").asFloat(); }, "vexl::CFields::asFloat",
                            "CFields is not convertible to float."));
    EXPECT_TRUE(raisesLogic([] { CFields(DT_fields).asString(); }, "vexl::CFields::asString",
                            "Type is not convertible to string"));
    EXPECT_TRUE(CFields(std::nan("")).asBool());
    EXPECT_FALSE(CFields(0.0).asBool());
    EXPECT_EQ(CFields(true).asString(), "true");
    EXPECT_EQ(CFields(-5).asString(), "-5");
    EXPECT_EQ(CFields(0.1).asString(), "0.10000000000000001");
    EXPECT_EQ(CFields().asString(), "");
    EXPECT_EQ(CFields(3u).asDouble(), 3.0);
    EXPECT_EQ(CFields(16777217).asFloat(), 16777216.0f);
}

TEST(FieldsValues, ToSint64AndToUint64) {
    unsigned long long l_u = 7;
    EXPECT_TRUE(CFields("4096").toUint64(l_u));
    EXPECT_EQ(l_u, 4096u);
    EXPECT_FALSE(CFields("40x").toUint64(l_u));
    EXPECT_EQ(l_u, 0u);
    long long l_s = 7;
    EXPECT_TRUE(CFields("-12").toSint64(l_s));
    EXPECT_EQ(l_s, -12);
    EXPECT_FALSE(CFields("18446744073709551615").toSint64(l_s)); // too large for signed
    EXPECT_EQ(l_s, 0);
    EXPECT_TRUE(CFields(8.0).toSint64(l_s));
    EXPECT_EQ(l_s, 8);
    EXPECT_FALSE(CFields(8.5).toSint64(l_s));
    EXPECT_FALSE(CFields(true).toUint64(l_u));
    CFields l_empty("x");
    l_empty.setValue(DT_codelist); // a code list without data
    EXPECT_FALSE(l_empty.toUint64(l_u));
    EXPECT_TRUE(raisesLogic([&] { CFields(-1).toUint64(l_u); }, "vexl::CFields::asUint64",
                            "LSint out of Uint64 range"));
}

TEST(FieldsValues, TypeTestsAndConvertibility) {
    EXPECT_FALSE(CFields(3.5).isSint32());
    EXPECT_TRUE(CFields(3.5).isConvertible(DT_sint));
    EXPECT_TRUE(CFields(3.0).isSint32());
    EXPECT_TRUE(CFields(2147483647u).isSint32());
    EXPECT_FALSE(CFields(2147483648u).isSint32());
    EXPECT_TRUE(CFields(4294967295LL).isUint32());
    EXPECT_FALSE(CFields(-1).isUint64());
    EXPECT_TRUE(CFields(9223372036854775807ULL).isSint64());
    EXPECT_FALSE(CFields(9223372036854775808ULL).isSint64());
    EXPECT_FALSE(CFields(true).isNumeric());
    EXPECT_FALSE(CFields("1").isIntegral());
    EXPECT_TRUE(CFields(1.5).isDouble());

    EXPECT_TRUE(CFields(0).isConvertible(DT_null));
    EXPECT_FALSE(CFields("x").isConvertible(DT_null));
    EXPECT_TRUE(CFields("").isConvertible(DT_null));
    EXPECT_TRUE(CFields(DT_array).isConvertible(DT_null));
    EXPECT_TRUE(CFields().isConvertible(DT_fields));
    EXPECT_FALSE(CFields(DT_array).isConvertible(DT_fields));
    EXPECT_TRUE(CFields(true).isConvertible(DT_double));
    EXPECT_FALSE(CFields("1").isConvertible(DT_bool));
    EXPECT_TRUE(CFields(-1).isConvertible(DT_sint));
    EXPECT_FALSE(CFields(-1).isConvertible(DT_uint));
    EXPECT_TRUE(CFields(1.0).isConvertible(DT_codelist));
    EXPECT_TRUE(raisesLogic([] { CFields().isConvertible(E_DataType(8)); }, "vexl::CFields::isConvertible",
                            "Unknown data type(8)"));
}

TEST(FieldsValues, RawAccessAndResizeCodes) {
    EXPECT_EQ(CFields(true).getRawBytes(), 1u);
    EXPECT_EQ(CFields(1.0).getRawBytes(), 8u);
    EXPECT_EQ(CFields(DT_fields).getRawBytes(), 0u);
    EXPECT_EQ(CFields(DT_fields).getValuePtr(), nullptr);
    CFields l_num(0x0102030405060708LL);
    EXPECT_EQ(*static_cast<const long long *>(l_num.getValuePtr()), 0x0102030405060708LL);

    CFields l_codes("7");
    EXPECT_TRUE(l_codes.resizeCodes(2, '0'));
    EXPECT_EQ(l_codes.asString(), "70");
    const char *l_p = nullptr;
    EXPECT_EQ(l_codes.getCodePoint(&l_p), 2u);
    EXPECT_EQ(std::string(l_p, 3), std::string("70\0", 3));
    EXPECT_TRUE(l_codes.resizeCodes(1, 'x'));
    EXPECT_EQ(l_codes.asString(), "7");
    EXPECT_FALSE(l_codes.resizeCodes(2147483643u, 'x'));
    EXPECT_FALSE(CFields(CStaticString("7")).resizeCodes(2, '0'));
    EXPECT_FALSE(CFields(1).resizeCodes(2, '0'));

    // Setting a code list from its own bytes.
    l_codes = "abcdef";
    l_codes.getCodePoint(&l_p);
    l_codes.setValue(l_p + 2, 3);
    EXPECT_EQ(l_codes.asString(), "cde");
}

TEST(FieldsValues, DualValueEquality) {
    CFields l_node(1.0);
    l_node.setValue(1.0, VK_Fixed);
    EXPECT_TRUE(l_node.isEqualDualValue());
    l_node = std::nan("");
    l_node.setValue(std::nan(""), VK_Fixed);
    EXPECT_FALSE(l_node.isEqualDualValue());
    CFields l_mixed(1);
    l_mixed.setValue(1u, VK_Fixed);
    EXPECT_FALSE(l_mixed.isEqualDualValue()); // types differ
    CFields l_null;
    l_null.setVK(VK_Fixed);
    EXPECT_TRUE(l_null.isEqualDualValue());
}

TEST(FieldsValues, OrderingAndEquality) {
    EXPECT_EQ(CFields(1).compare(CFields(0u)), -1); // the signed type orders first
    EXPECT_EQ(CFields(0u).compare(CFields(-5)), 1);
    EXPECT_TRUE(CFields("ab") < CFields("abc"));
    EXPECT_TRUE(CFields("b") > CFields("abc"));
    EXPECT_TRUE(CFields("\x80") > CFields("\x7f")); // bytes compare unsigned
    CFields l_noData("x");
    l_noData.setValue(DT_codelist);
    EXPECT_TRUE(l_noData < CFields(""));
    EXPECT_FALSE(CFields() < CFields());
    EXPECT_TRUE(CFields(false) < CFields(true));
    EXPECT_FALSE(CFields(std::nan("")) < CFields(1.0));
    EXPECT_NE(CFields(std::nan("")), CFields(std::nan("")));
    EXPECT_EQ(CFields(1).compare(CFields(1)), 0);
    EXPECT_TRUE(CFields(2) >= CFields(2));
    EXPECT_TRUE(CFields(2) <= CFields(3));

    CFields l_a(7), l_b(7);
    l_a.setName("a");
    l_b.setName("b");
    l_b.setID(3);
    EXPECT_EQ(l_a, l_b); // names and IDs are ignored

    CFields l_x, l_y;
    l_x.addArrayAt(CFields(1));
    l_y.addArrayAt(CFields(1));
    EXPECT_EQ(l_x, l_y);
    l_y.addArrayAt(CFields(0));
    EXPECT_TRUE(l_x < l_y); // fewer children
    l_x.addArrayAt(CFields(2));
    EXPECT_TRUE(l_y < l_x); // same count: the first differing child decides
    EXPECT_EQ(CFields("a\0b", 3), CFields("a\0b", 3));
    EXPECT_NE(CFields("a\0b", 3), CFields("a\0c", 3));
}
