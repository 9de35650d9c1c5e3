#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

namespace {

using leaf::Variant;

Variant Make(VARTYPE type) {
    Variant value;
    value.vt = type;
    return value;
}
Variant I1(CHAR v) { Variant r = Make(VT_I1); r.cVal = v; return r; }
Variant UI1(BYTE v) { Variant r = Make(VT_UI1); r.bVal = v; return r; }
Variant I2(SHORT v) { Variant r = Make(VT_I2); r.iVal = v; return r; }
Variant UI2(USHORT v) { Variant r = Make(VT_UI2); r.uiVal = v; return r; }
Variant I4(LONG v) { return Variant(v); }
Variant UI4(ULONG v) { Variant r = Make(VT_UI4); r.ulVal = v; return r; }
Variant I8(LONGLONG v) { Variant r = Make(VT_I8); r.llVal = v; return r; }
Variant UI8(ULONGLONG v) { Variant r = Make(VT_UI8); r.ullVal = v; return r; }
Variant R4(float v) { Variant r = Make(VT_R4); r.fltVal = v; return r; }
Variant R8(double v) { return Variant(v); }
Variant Cy(LONGLONG v) { Variant r = Make(VT_CY); r.cyVal.int64 = v; return r; }
Variant Bool(bool v) { return Variant(v); }
Variant Text(const char* v) { return Variant(v); }

struct Coercion {
    const char* name;
    Variant from;
    VARTYPE to;
    HRESULT expected;
    Variant result;  // checked when expected is S_OK
};

void PrintTo(const Coercion& coercion, std::ostream* out) { *out << coercion.name; }

class CoercionTest : public testing::TestWithParam<Coercion> {};

TEST_P(CoercionTest, ConvertsOrRefuses) {
    const Coercion& c = GetParam();
    Variant dest = Text("untouched");
    HRESULT hr = VariantChangeType(&dest, &c.from, 0, c.to);
    EXPECT_EQ(hr, c.expected);
    if (c.expected == S_OK) {
        EXPECT_EQ(dest.vt, c.to);
        EXPECT_TRUE(dest == c.result) << "got " << dest.ToUtf8("(not text)");
    } else {
        EXPECT_EQ(dest.ToUtf8(), "untouched") << "a failed conversion leaves the destination alone";
    }
}

const Coercion kCoercions[] = {
    // Between integers, with range checks on both ends.
    {"I4toI2", I4(-32768), VT_I2, S_OK, I2(-32768)},
    {"I4toI2Overflow", I4(32768), VT_I2, DISP_E_OVERFLOW, {}},
    {"I4toUI1Negative", I4(-1), VT_UI1, DISP_E_OVERFLOW, {}},
    {"I4toUI1", I4(255), VT_UI1, S_OK, UI1(255)},
    {"UI4toI4Overflow", UI4(0x80000000u), VT_I4, DISP_E_OVERFLOW, {}},
    {"UI8toI8Overflow", UI8(0x8000000000000000ull), VT_I8, DISP_E_OVERFLOW, {}},
    {"I8toUI8", I8(std::numeric_limits<LONGLONG>::max()), VT_UI8, S_OK, UI8(0x7FFFFFFFFFFFFFFFull)},
    {"I1toUI2Negative", I1(-5), VT_UI2, DISP_E_OVERFLOW, {}},
    {"UI2toI1", UI2(127), VT_I1, S_OK, I1(127)},
    // Reals to integers round half to even; out of range and NaN overflow.
    {"R8HalfDown", R8(2.5), VT_I4, S_OK, I4(2)},
    {"R8HalfUp", R8(3.5), VT_I4, S_OK, I4(4)},
    {"R8NegativeHalf", R8(-2.5), VT_I4, S_OK, I4(-2)},
    {"R8toI4Overflow", R8(2147483648.0), VT_I4, DISP_E_OVERFLOW, {}},
    {"R8toI4Edge", R8(2147483647.4), VT_I4, S_OK, I4(2147483647)},
    {"R8NaN", R8(std::nan("")), VT_I4, DISP_E_OVERFLOW, {}},
    {"R8toUI8Huge", R8(1e20), VT_UI8, DISP_E_OVERFLOW, {}},
    {"R8toR4Overflow", R8(1e39), VT_R4, DISP_E_OVERFLOW, {}},
    {"R4toR8", R4(0.5f), VT_R8, S_OK, R8(0.5)},
    {"I4toR8", I4(-7), VT_R8, S_OK, R8(-7.0)},
    {"CYtoI4", Cy(25000), VT_I4, S_OK, I4(2)},  // 2.5 rounds to even
    {"R8toCY", R8(1.23456), VT_CY, S_OK, Cy(12346)},
    // Text.
    {"TextToI4", Text(" 42 "), VT_I4, S_OK, I4(42)},
    {"TextNegative", Text("-17"), VT_I4, S_OK, I4(-17)},
    {"TextPlus", Text("+8"), VT_I2, S_OK, I2(8)},
    {"TextReal", Text("2.5e1"), VT_R8, S_OK, R8(25.0)},
    {"TextRealToI4", Text("1.5"), VT_I4, S_OK, I4(2)},
    {"TextOverflow", Text("70000"), VT_I2, DISP_E_OVERFLOW, {}},
    {"TextHuge", Text("1e400"), VT_R8, DISP_E_OVERFLOW, {}},
    {"TextWords", Text("twelve"), VT_I4, DISP_E_TYPEMISMATCH, {}},
    {"TextEmpty", Text(""), VT_I4, DISP_E_TYPEMISMATCH, {}},
    {"TextTrailing", Text("12abc"), VT_I4, DISP_E_TYPEMISMATCH, {}},
    {"TextInfinity", Text("inf"), VT_R8, DISP_E_TYPEMISMATCH, {}},
    {"TextTwoSigns", Text("+-1"), VT_I4, DISP_E_TYPEMISMATCH, {}},
    {"TextHex", Text("0x10"), VT_I4, DISP_E_TYPEMISMATCH, {}},
    {"TextLeadingPoint", Text("-.5"), VT_R8, S_OK, R8(-0.5)},
    {"TextBigUnsigned", Text("18446744073709551615"), VT_UI8, S_OK, UI8(18446744073709551615ull)},
    {"I4ToText", I4(-12), VT_BSTR, S_OK, Text("-12")},
    {"R8ToText", R8(0.1), VT_BSTR, S_OK, Text("0.1")},
    {"R4ToText", R4(0.1f), VT_BSTR, S_OK, Text("0.1")},
    {"CYToText", Cy(-12345), VT_BSTR, S_OK, Text("-1.2345")},
    {"UI8ToText", UI8(18446744073709551615ull), VT_BSTR, S_OK, Text("18446744073709551615")},
    // Booleans.
    {"TrueToI4", Bool(true), VT_I4, S_OK, I4(-1)},
    {"FalseToR8", Bool(false), VT_R8, S_OK, R8(0.0)},
    {"NonZeroToBool", I4(7), VT_BOOL, S_OK, Bool(true)},
    {"ZeroToBool", R8(0.0), VT_BOOL, S_OK, Bool(false)},
    {"TextTrue", Text("True"), VT_BOOL, S_OK, Bool(true)},
    {"TextFalseLower", Text(" false "), VT_BOOL, S_OK, Bool(false)},
    {"TextNumberToBool", Text("0"), VT_BOOL, S_OK, Bool(false)},
    {"TextYes", Text("yes"), VT_BOOL, DISP_E_TYPEMISMATCH, {}},
    {"BoolToText", Bool(true), VT_BSTR, S_OK, Text("True")},
    {"BoolToUI1", Bool(true), VT_UI1, DISP_E_OVERFLOW, {}},
    // Empty, null and error values.
    {"EmptyToI4", Variant(), VT_I4, S_OK, I4(0)},
    {"EmptyToText", Variant(), VT_BSTR, S_OK, Text("")},
    {"EmptyToBool", Variant(), VT_BOOL, S_OK, Bool(false)},
    {"NullToI4", Variant::Null(), VT_I4, DISP_E_TYPEMISMATCH, {}},
    {"NullToText", Variant::Null(), VT_BSTR, DISP_E_TYPEMISMATCH, {}},
    {"ErrorToI4", Variant::Error(E_FAIL), VT_I4, DISP_E_TYPEMISMATCH, {}},
    {"ErrorToError", Variant::Error(E_FAIL), VT_ERROR, S_OK, Variant::Error(E_FAIL)},
    {"I4ToError", I4(1), VT_ERROR, DISP_E_TYPEMISMATCH, {}},
    {"TextToDispatch", Text("x"), VT_DISPATCH, DISP_E_TYPEMISMATCH, {}},
    {"BadTarget", I4(1), VT_VARIANT, DISP_E_BADVARTYPE, {}},
};

INSTANTIATE_TEST_SUITE_P(Variant, CoercionTest, testing::ValuesIn(kCoercions),
                         [](const testing::TestParamInfo<Coercion>& info) { return std::string(info.param.name); });

TEST(VariantTest, NullBstrStaysNullThroughCopyAndCoercion) {
    Variant null = Variant::NullBstr();
    Variant copy(null);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_EQ(copy.bstrVal, nullptr);
    Variant coerced;
    ASSERT_EQ(VariantChangeType(&coerced, &null, 0, VT_BSTR), S_OK);
    EXPECT_EQ(coerced.bstrVal, nullptr);
    // As a number, a null string reads like an empty one: not a number.
    EXPECT_EQ(VariantChangeType(&coerced, &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(VariantTest, ReferencesAreFollowed) {
    LONG number = 41;
    Variant reference = Make(VT_BYREF | VT_I4);
    reference.plVal = &number;
    Variant text;
    ASSERT_EQ(VariantChangeType(&text, &reference, 0, VT_BSTR), S_OK);
    EXPECT_EQ(text.ToUtf8(), "41");

    Variant inner = Text("inside");
    Variant outer = Make(VT_BYREF | VT_VARIANT);
    outer.pvarVal = &inner;
    Variant copy;
    ASSERT_EQ(VariantCopyInd(&copy, &outer), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, inner.bstrVal) << "the string is copied, not shared";
    EXPECT_EQ(copy.ToUtf8(), "inside");

    // In place: the source is the destination.
    ASSERT_EQ(VariantChangeType(&reference, &reference, 0, VT_R8), S_OK);
    EXPECT_EQ(reference.vt, VT_R8);
    EXPECT_EQ(reference.dblVal, 41.0);
    EXPECT_EQ(number, 41);
}

TEST(VariantTest, UnknownTypesAreRefusedByClearAndCopy) {
    VARIANT odd;
    VariantInit(&odd);
    odd.vt = 0x0FFF;
    EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
    Variant copy;
    EXPECT_EQ(VariantCopy(&copy, &odd), DISP_E_BADVARTYPE);
    EXPECT_TRUE(copy.IsEmpty());
}

// An object with a value property, to count references and answer conversions.
class Counter final : public leaf::ComObject<Counter, IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        return Variant("123").Detach(result);
    }
    ULONG References() const { return RefCount(); }
};

TEST(VariantTest, ObjectsAreReferencedCopiedAndConverted) {
    leaf::ComPtr<Counter> counter(new Counter);
    {
        Variant held(static_cast<IDispatch*>(counter.Get()));
        EXPECT_EQ(counter->References(), 2u);
        Variant copy(held);
        EXPECT_EQ(counter->References(), 3u);
        Variant asUnknown;
        ASSERT_EQ(VariantChangeType(&asUnknown, &held, 0, VT_UNKNOWN), S_OK);
        EXPECT_EQ(counter->References(), 4u);
        Variant value;
        ASSERT_EQ(VariantChangeType(&value, &asUnknown, 0, VT_I4), S_OK) << "through the value property";
        EXPECT_EQ(value.lVal, 123);
        EXPECT_EQ(VariantChangeType(&value, &held, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
        ASSERT_EQ(VariantChangeType(&value, &asUnknown, 0, VT_DISPATCH), S_OK);
        EXPECT_EQ(value.pdispVal, static_cast<IDispatch*>(counter.Get()));
    }
    EXPECT_EQ(counter->References(), 1u) << "every copy released its reference";
}

TEST(VariantTest, WrapperConstructorsAndReadings) {
    EXPECT_EQ(Variant(true).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Variant(false).boolVal, VARIANT_FALSE);
    EXPECT_EQ(Variant(LONG{5}).vt, VT_I4);
    EXPECT_EQ(Variant(u"wide").ToUtf8(), "wide");
    EXPECT_EQ(Variant("3.75").ToDouble(), 3.75);
    EXPECT_EQ(Variant("abc").ToLong(-1), -1);
    EXPECT_TRUE(Variant::Missing().IsMissing());
    EXPECT_EQ(Variant::Missing().scode, DISP_E_PARAMNOTFOUND);

    Variant moved = Text("moved");
    Variant target(std::move(moved));
    EXPECT_TRUE(moved.IsEmpty());
    EXPECT_EQ(target.ToUtf8(), "moved");
    VARIANT raw;
    VariantInit(&raw);
    ASSERT_EQ(target.Detach(&raw), S_OK);
    EXPECT_TRUE(target.IsEmpty());
    Variant taken = Variant::Take(&raw);
    EXPECT_EQ(raw.vt, VT_EMPTY);
    EXPECT_EQ(taken.ToUtf8(), "moved");
}

}  // namespace
