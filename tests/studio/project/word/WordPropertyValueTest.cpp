// How a property value becomes text, by its type.

#include <gtest/gtest.h>

#include <cstdlib>

#include "studio/project/WordPropertyReader.h"

namespace {

leaf::Variant Typed(VARTYPE type, void (*fill)(VARIANT&)) {
    leaf::Variant value;
    value.vt = type;
    fill(value);
    return value;
}

struct ValueCase {
    const char* label;
    leaf::Variant value;
    const char* text;
};

}  // namespace

TEST(WordPropertyValueTest, EachTypeReadsAsItsText) {
    setenv("TZ", "UTC", 1);
    const ValueCase cases[] = {
        {"short", Typed(VT_I2, [](VARIANT& v) { v.iVal = -7; }), "-7"},
        {"true", Typed(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }), "-1"},
        {"signed byte", Typed(VT_I1, [](VARIANT& v) { v.cVal = static_cast<char>(-3); }), "-3"},
        {"byte", Typed(VT_UI1, [](VARIANT& v) { v.bVal = 200; }), "200"},
        {"unsigned short", Typed(VT_UI2, [](VARIANT& v) { v.uiVal = 65535; }), "65535"},
        {"long", leaf::Variant(LONG{123456}), "123456"},
        {"unsigned long", Typed(VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; }), "4000000000"},
        {"float", Typed(VT_R4, [](VARIANT& v) { v.fltVal = 1.5f; }), "1.500000"},
        {"double", leaf::Variant(2.25), "2.250000"},
        {"currency", Typed(VT_CY, [](VARIANT& v) { v.cyVal.int64 = -123450; }), "-12.345"},
        {"date", Typed(VT_DATE, [](VARIANT& v) { v.date = 45352.0; }), "03/01/2024"},
        {"date and time", Typed(VT_DATE, [](VARIANT& v) { v.date = 45352.75; }), "03/01/2024 18:00:00"},
        {"string", leaf::Variant("Title text"), "Title text"},
        {"empty", leaf::Variant(), ""},
        {"null", leaf::Variant::Null(), ""},
    };
    for (const ValueCase& test : cases)
        EXPECT_EQ(WordPropertyValueText(test.value).str(), test.text) << test.label;
}

TEST(WordPropertyValueTest, ReferencesAreFollowed) {
    LONG number = 42;
    VARIANT reference;
    reference.vt = VT_BYREF | VT_I4;
    reference.plVal = &number;
    EXPECT_EQ(WordPropertyValueText(reference).str(), "42");

    leaf::Variant inner("inside");
    VARIANT toVariant;
    toVariant.vt = VT_BYREF | VT_VARIANT;
    toVariant.pvarVal = &inner;
    EXPECT_EQ(WordPropertyValueText(toVariant).str(), "inside");

    VARIANT dangling;
    dangling.vt = VT_BYREF | VT_I4;
    dangling.plVal = nullptr;
    EXPECT_EQ(WordPropertyValueText(dangling).str(), "");
}
