#include <gtest/gtest.h>

#include "platform/com/DispatchDriver.h"
#include "platform/com/EnumVariant.h"
#include "tests/platform/com/ServerFixture.h"
#include "tests/platform/com/module/TestComIds.h"

namespace {

using leaf::Variant;
using namespace testcom;

class DispatchTest : public leaf::test::RegisteredServerTest {
protected:
    void SetUp() override {
        RegisteredServerTest::SetUp();
        object = CreateTestObject();
        ASSERT_TRUE(object);
    }

    // Calls with rgvarg exactly as given (last argument first).
    HRESULT RawInvoke(DISPID id, WORD flags, std::vector<VARIANT> reversed, Variant* result = nullptr,
                      UINT* argumentError = nullptr) {
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()),
                          0};
        Variant ignored;
        UINT ignoredError = 0;
        return object->Invoke(id, IID_NULL, 0, flags, &params, result ? result : &ignored, nullptr,
                              argumentError ? argumentError : &ignoredError);
    }

    leaf::ComPtr<IDispatch> object;
};

TEST_F(DispatchTest, NamesResolveWithoutRegardToCase) {
    std::u16string member = u"CONFIGURE", first = u"Name", third = u"EXTRA", unknown = u"nothing";
    LPOLESTR names[] = {member.data(), first.data(), third.data()};
    DISPID ids[3] = {};
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 3, 0, ids), S_OK);
    EXPECT_EQ(ids[0], DISPID_Configure);
    EXPECT_EQ(ids[1], 0);
    EXPECT_EQ(ids[2], 2);

    LPOLESTR bad[] = {unknown.data()};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, bad, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    LPOLESTR badParam[] = {member.data(), unknown.data()};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, badParam, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_Configure);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(object->GetIDsOfNames(IID_IDispatch, names, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);

    UINT count = 0;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
}

TEST_F(DispatchTest, NullAndEmptyStringsArriveAsSent) {
    leaf::DispatchDriver driver(object);
    EXPECT_EQ(driver.Invoke(DISPID_Describe, DISPATCH_METHOD, Variant::NullBstr()).ToUtf8(), "null");
    EXPECT_EQ(driver.Invoke(DISPID_Describe, DISPATCH_METHOD, "").ToUtf8(), "empty");
    EXPECT_EQ(driver.Invoke("describe", DISPATCH_METHOD, u"héllo").ToUtf8(), "text:héllo:5");
    // A number where a string is declared is coerced to its text.
    EXPECT_EQ(driver.Invoke(DISPID_Describe, DISPATCH_METHOD, LONG{12}).ToUtf8(), "text:12:2");
}

TEST_F(DispatchTest, ArgumentsAreCoercedOrRefusedWithTheirIndex) {
    leaf::DispatchDriver driver(object);
    EXPECT_EQ(driver.Invoke(DISPID_Add, DISPATCH_METHOD, "40", 2.0).lVal, 42);

    Variant result;
    UINT argumentError = 99;
    // Add(a = 1, b = "x"): b is rgvarg[0].
    EXPECT_EQ(RawInvoke(DISPID_Add, DISPATCH_METHOD, {Variant("x"), Variant(LONG{1})}, &result, &argumentError),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argumentError, 0u);
    // Add(a = "x", b = 1): a is rgvarg[1].
    EXPECT_EQ(RawInvoke(DISPID_Add, DISPATCH_METHOD, {Variant(LONG{1}), Variant("x")}, &result, &argumentError),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argumentError, 1u);
    EXPECT_EQ(RawInvoke(DISPID_Add, DISPATCH_METHOD, {Variant(LONG{1}), Variant(1e12)}, &result, &argumentError),
              DISP_E_OVERFLOW);
    EXPECT_EQ(argumentError, 1u);
    EXPECT_EQ(RawInvoke(DISPID_Add, DISPATCH_METHOD, {Variant(LONG{1}), Variant::Null()}, &result, &argumentError),
              DISP_E_TYPEMISMATCH);
}

TEST_F(DispatchTest, ArgumentCountsAndOptionalArguments) {
    leaf::DispatchDriver driver(object);
    EXPECT_EQ(driver.Invoke(DISPID_Configure, DISPATCH_METHOD, "a", true).ToUtf8(), "a|on|missing");
    EXPECT_EQ(driver.Invoke(DISPID_Configure, DISPATCH_METHOD, "a", LONG{0}, Variant::Missing()).ToUtf8(),
              "a|off|missing");
    EXPECT_EQ(driver.Invoke(DISPID_Configure, DISPATCH_METHOD, "b", "True", LONG{7}).ToUtf8(), "b|on|vt3:7");
    EXPECT_EQ(driver.Invoke(DISPID_Scale, DISPATCH_METHOD, 1.5).dblVal, 3.0);
    EXPECT_EQ(driver.Invoke(DISPID_Scale, DISPATCH_METHOD, 1.5, LONG{4}).dblVal, 6.0);

    EXPECT_EQ(RawInvoke(DISPID_Configure, DISPATCH_METHOD, {Variant("only")}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(RawInvoke(DISPID_Add, DISPATCH_METHOD, {Variant(LONG{1}), Variant(LONG{2}), Variant(LONG{3})}),
              DISP_E_BADPARAMCOUNT);
    UINT argumentError = 99;
    EXPECT_EQ(RawInvoke(DISPID_Add, DISPATCH_METHOD, {Variant(LONG{1}), Variant::Missing()}, nullptr, &argumentError),
              DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(argumentError, 1u);
}

TEST_F(DispatchTest, UnknownMembersAndNamedArguments) {
    EXPECT_EQ(RawInvoke(99, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(RawInvoke(DISPID_Fire, DISPATCH_PROPERTYPUT, {Variant(LONG{1})}), DISP_E_MEMBERNOTFOUND);

    VARIANT args[] = {Variant(LONG{1}), Variant(LONG{2})};
    DISPID named[] = {0};
    DISPPARAMS params{args, named, 2, 1};
    Variant result;
    EXPECT_EQ(object->Invoke(DISPID_Add, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
}

TEST_F(DispatchTest, PropertiesGetAndPut) {
    leaf::DispatchDriver driver(object);
    EXPECT_EQ(driver.GetProperty("Name").ToUtf8(), "unnamed");
    driver.SetProperty(DISPID_Name, Variant("renamed"));
    EXPECT_EQ(driver.GetProperty(DISPID_Name).ToUtf8(), "renamed");
    driver.SetProperty("name", Variant(LONG{5}));
    EXPECT_EQ(driver.GetProperty(DISPID_Name).ToUtf8(), "5");
}

TEST_F(DispatchTest, HandlerErrorsBecomeAutomationExceptions) {
    Variant message("bad index");
    DISPPARAMS params{&message, nullptr, 1, 0};
    EXCEPINFO info{};
    Variant result;
    ASSERT_EQ(object->Invoke(DISPID_Fail, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &info, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_INVALIDARG);
    EXPECT_EQ(leaf::BstrToUtf8(info.bstrDescription), "bad index");
    EXPECT_EQ(leaf::BstrToUtf8(info.bstrSource), "TestObject");
    leaf::ClearExcepInfo(&info);

    leaf::DispatchDriver driver(object);
    try {
        driver.Invoke(DISPID_Fail, DISPATCH_METHOD, "thrown");
        FAIL() << "expected a DispatchError";
    } catch (const leaf::DispatchError& error) {
        EXPECT_EQ(error.Result(), DISP_E_EXCEPTION);
        EXPECT_EQ(error.ExceptionCode(), E_INVALIDARG);
        EXPECT_EQ(error.Description(), "thrown");
    }
    leaf::DispatchResult missing = driver.TryInvoke("NoSuchMember", DISPATCH_METHOD, {});
    EXPECT_EQ(missing.hr, DISP_E_UNKNOWNNAME);
}

TEST_F(DispatchTest, CollectionCountItemAndEnumerator) {
    leaf::DispatchDriver driver(object);
    leaf::ComPtr<IDispatch> items = driver.Invoke(DISPID_GetItems, DISPATCH_METHOD).ToDispatch();
    ASSERT_TRUE(items);
    leaf::DispatchDriver collection(items);
    EXPECT_EQ(collection.GetProperty("Count").lVal, 3);
    EXPECT_EQ(collection.Invoke(DISPID_Item, DISPATCH_PROPERTYGET, LONG{1}).ToUtf8(), "alpha");
    EXPECT_EQ(collection.Invoke(DISPID_Item, DISPATCH_PROPERTYGET, LONG{3}).ToUtf8(), "gamma");
    for (LONG outside : {0, 4, -1}) {
        leaf::DispatchResult result = collection.TryInvoke(DISPID_Item, DISPATCH_PROPERTYGET, {Variant(outside)});
        EXPECT_EQ(result.hr, DISP_E_EXCEPTION) << outside;
        EXPECT_EQ(result.exceptionCode, E_INVALIDARG) << outside;
    }
    EXPECT_EQ(collection.TryInvoke(DISPID_Count, DISPATCH_PROPERTYPUT, {Variant(LONG{1})}).hr, DISP_E_MEMBERNOTFOUND);

    Variant newEnum = collection.GetProperty(DISPID_NEWENUM);
    ASSERT_EQ(newEnum.vt, VT_UNKNOWN);
    leaf::ComPtr<IEnumVARIANT> enumerator;
    ASSERT_EQ(newEnum.punkVal->QueryInterface(IID_IEnumVARIANT, enumerator.ReceiveVoid()), S_OK);
    VARIANT values[4];
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(4, values, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 3u);
    std::vector<std::string> texts;
    for (ULONG i = 0; i < fetched; ++i) {
        texts.push_back(leaf::BstrToUtf8(values[i].bstrVal));
        VariantClear(&values[i]);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"alpha", "beta", "gamma"}));
}

}  // namespace
