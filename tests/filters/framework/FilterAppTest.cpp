// The application object and the exports' behaviour around it, in-process: each test
// runs in a process of its own, so each declares the one application object it needs.

#include <gtest/gtest.h>

#include "filters/framework/FilterApp.h"
#include "filters/framework/FilterClassFactory.h"
#include "filters/framework/FilterServer.h"
#include "filters/framework/SimpleFilterObject.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Resources.h"
#include "tests/filters/framework/RegistryReading.h"

namespace {

constexpr CLSID kAppClsid = leaf::MakeGuid("{E88992A0-8AFF-11D3-A7CA-00E02911C5ED}");

class CNullFilter : public CSimpleFilterObject {
public:
    HRESULT Initialize() override { return S_OK; }
    HRESULT Prepare(LPCOLESTR, LPCOLESTR, IFilterHost*) override { return S_OK; }
    HRESULT Convert(LPCOLESTR, LPCOLESTR, LONG, IFilterHost*) override { return S_OK; }
    HRESULT GetSize(LPCOLESTR, LONG, LONG* units) override { return units ? (*units = 1, S_OK) : E_POINTER; }
};

// A factory that cannot make its object, as when memory is short.
class CStarvedFactory : public CFilterClassFactory {
protected:
    IInputFilter* CreateObject() override { return nullptr; }
};

class CTestApp : public CFilterApp {
public:
    bool starvedFactory = false;
    bool noFactory = false;

    CLSID GetCLSID() const override { return kAppClsid; }
    CFilterClassFactory* CreateClassFactory() override {
        if (noFactory)
            return nullptr;
        if (starvedFactory)
            return new CStarvedFactory;
        return new TFilterClassFactory<CNullFilter>;
    }
};

void SetCompanyString() {
    leaf::ui::Resources().SetString(IDS_FILTER_COMPANY, "Tallbrook Systems, Inc.");
}

TEST(FilterApp, WithoutAnApplicationObjectEveryExportFails) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(FilterServerGetClassObject(kAppClsid, IID_IClassFactory, &object), E_FAIL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(FilterServerCanUnloadNow(), E_FAIL);
    EXPECT_EQ(FilterServerRegister(), E_FAIL);
    EXPECT_EQ(FilterServerUnregister(), E_FAIL);
}

TEST(FilterApp, StartUpSetsTheProfileFromTheCompanyString) {
    SetCompanyString();
    CTestApp app;
    ASSERT_EQ(CFilterApp::GetApp(), &app);
    EXPECT_EQ(app.GetAppName(), "Leafcraft");
    ASSERT_NE(app.GetProfile(), nullptr);
    EXPECT_EQ(app.GetProfile()->BaseKeyPath(), "Software\\Tallbrook Systems, Inc.\\Leafcraft");
    EXPECT_TRUE(app.WriteProfileInt("Text Filter", "TabStop", 8));
    EXPECT_EQ(app.GetProfileInt("Text Filter", "TabStop", 4), 8u);
    EXPECT_TRUE(leaf::test::KeyExists(HKEY_CURRENT_USER, "Software\\Tallbrook Systems, Inc.\\Leafcraft\\Text Filter"));
}

TEST(FilterApp, MissingCompanyStringFailsTheModule) {
    CTestApp app;
    EXPECT_EQ(CFilterApp::GetApp(), nullptr);
    EXPECT_EQ(FilterServerCanUnloadNow(), E_FAIL);
    EXPECT_EQ(FilterServerRegister(), E_FAIL);
}

TEST(FilterApp, CountsFactoriesAndObjects) {
    SetCompanyString();
    CTestApp app;
    EXPECT_EQ(app.GetObjectCount(), 0);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(FilterServerGetClassObject(kAppClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(app.GetObjectCount(), 1);
    IInputFilter* filter = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IInputFilter, reinterpret_cast<void**>(&filter)), S_OK);
    EXPECT_EQ(app.GetObjectCount(), 2);
    EXPECT_EQ(FilterServerCanUnloadNow(), S_FALSE);
    EXPECT_EQ(filter->Release(), 0u);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(app.GetObjectCount(), 0);
    EXPECT_EQ(FilterServerCanUnloadNow(), S_OK);
}

TEST(FilterApp, ShortMemoryGivesOutOfMemoryAndLeavesNothing) {
    SetCompanyString();
    CTestApp app;
    void* object = reinterpret_cast<void*>(1);
    app.noFactory = true;
    EXPECT_EQ(FilterServerGetClassObject(kAppClsid, IID_IClassFactory, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);

    app.noFactory = false;
    app.starvedFactory = true;
    IClassFactory* factory = nullptr;
    ASSERT_EQ(FilterServerGetClassObject(kAppClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IInputFilter, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    factory->Release();
    EXPECT_EQ(app.GetObjectCount(), 0);
}

}  // namespace
