#include <gtest/gtest.h>

#include "platform/com/ClassFactory.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ModuleLock.h"
#include "platform/com/PropertyPage.h"
#include "tests/platform/com/ServerFixture.h"
#include "tests/platform/com/module/TestComIds.h"

namespace {

using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT (*)();

class ModuleExportsTest : public testing::Test {
protected:
    void SetUp() override {
        HRESULT error = S_OK;
        void* module = leaf::LoadComModule(leaf::test::TestObjectModulePath(), error);
        ASSERT_NE(module, nullptr) << std::hex << error;
        getClassObject = leaf::FindModuleFunction<GetClassObjectFunction>(module, "DllGetClassObject");
        canUnloadNow = leaf::FindModuleFunction<CanUnloadNowFunction>(module, "DllCanUnloadNow");
        ASSERT_TRUE(getClassObject && canUnloadNow);
        ASSERT_EQ(canUnloadNow(), S_OK);
    }

    leaf::ComPtr<IClassFactory> Factory() {
        leaf::ComPtr<IClassFactory> factory;
        EXPECT_EQ(getClassObject(testcom::CLSID_TestObject, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
        return factory;
    }

    GetClassObjectFunction getClassObject = nullptr;
    CanUnloadNowFunction canUnloadNow = nullptr;
};

TEST_F(ModuleExportsTest, ForeignClassesAreNotAvailable) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(getClassObject(testcom::CLSID_TestObject, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(canUnloadNow(), S_OK) << "the refused factory was destroyed";
}

TEST_F(ModuleExportsTest, LiveObjectsAndLocksKeepTheModule) {
    leaf::ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.ReceiveVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory = nullptr;
    object = nullptr;
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "locked";
    EXPECT_EQ(Factory()->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(ModuleExportsTest, AnInterfaceTheObjectLacksDestroysIt) {
    leaf::ComPtr<IClassFactory> factory = Factory();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    factory = nullptr;
    EXPECT_EQ(canUnloadNow(), S_OK);
}

// Classes of our own: refused aggregation by default, offered when a class opts in.
class Plain final : public leaf::ComObject<Plain, IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

class Aggregatable final : public leaf::ComObject<Aggregatable, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT LockServer(BOOL) override { return E_NOTIMPL; }

    static inline IUnknown* lastOuter = nullptr;
    static HRESULT CreateAggregated(IUnknown* outer, REFIID, void** object) {
        lastOuter = outer;
        *object = nullptr;
        return S_FALSE;
    }
};

TEST(ClassFactoryTest, AggregationOnlyWhenTheClassOffersIt) {
    LONG before = leaf::ModuleLock::Count();
    {
        leaf::ComPtr<IClassFactory> plain(leaf::CreateClassFactory<Plain>());
        leaf::ComPtr<IDispatch> object;
        EXPECT_EQ(plain->CreateInstance(plain.Get(), IID_IUnknown, object.ReceiveVoid()), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(plain->CreateInstance(nullptr, IID_IDispatch, object.ReceiveVoid()), S_OK);
        EXPECT_EQ(leaf::ModuleLock::Count(), before + 2);

        leaf::ComPtr<IClassFactory> aggregatable(leaf::CreateClassFactory<Aggregatable>());
        void* inner = nullptr;
        EXPECT_EQ(aggregatable->CreateInstance(plain.Get(), IID_IUnknown, &inner), S_FALSE);
        EXPECT_EQ(Aggregatable::lastOuter, plain.Get());
    }
    EXPECT_EQ(leaf::ModuleLock::Count(), before);
}

}  // namespace
