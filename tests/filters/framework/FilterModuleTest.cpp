// A real filter module on the framework (testintake.so, and testtakeover.so which claims
// one of its extensions): its exports, registration, creation through the COM runtime,
// object identity and lifetime, and the filter calls with a host.

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/PropertyPage.h"
#include "platform/registry/Registry.h"
#include "tests/filters/framework/RegistryReading.h"
#include "tests/filters/framework/testfilter/TestFilterIds.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::ComPtr;
using leaf::test::KeyExists;
using leaf::test::ReadString;

const std::string kFiltersKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters";
const std::string kExtensionsKey = ".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters";
constexpr IID IID_Unoffered = leaf::MakeGuid("{11111111-2222-3333-4444-555555555555}");

// A function exported by a loaded module (a symbol's address copied into a function pointer).
template <class Function>
void FindExport(void* handle, const char* name, Function*& function) {
    void* symbol = dlsym(handle, name);
    static_assert(sizeof(symbol) == sizeof(function));
    std::memcpy(&function, &symbol, sizeof function);
}

// The four exports of one loaded module.
struct FilterModule {
    std::string path;
    void* handle = nullptr;
    HRESULT (*getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT (*canUnloadNow)() = nullptr;
    HRESULT (*registerServer)() = nullptr;
    HRESULT (*unregisterServer)() = nullptr;

    explicit FilterModule(const std::string& name)
        : path(std::filesystem::canonical(leaf::test::BinDir() + "/" + name + ".so").string()) {
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return;
        FindExport(handle, "DllGetClassObject", getClassObject);
        FindExport(handle, "DllCanUnloadNow", canUnloadNow);
        FindExport(handle, "DllRegisterServer", registerServer);
        FindExport(handle, "DllUnregisterServer", unregisterServer);
    }
    // The module stays loaded: the COM runtime may hold it too.

    bool Complete() const { return getClassObject && canUnloadNow && registerServer && unregisterServer; }
};

// A host that records what a filter tells it.
class RecordingHost : public IFilterHost {
public:
    struct Dependency {
        std::string path;
        std::string mapped;  // "(null)" when none was passed
        bool operator==(const Dependency&) const = default;
    };

    std::vector<Dependency> dependencies;
    std::string errorDetails;
    std::string sourceFolder = "/books/source";
    HRESULT dependencyResult = S_OK;
    LONG stepped = 0;
    int steps = 0;
    int abortAtStep = -1;  // StepProgress fails from this call on

    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT SetErrorDetails(LPCOLESTR text) override {
        errorDetails = leaf::Utf16ToUtf8(text);
        return S_OK;
    }
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mapped) override {
        dependencies.push_back({leaf::Utf16ToUtf8(path), mapped ? leaf::Utf16ToUtf8(mapped) : "(null)"});
        return dependencyResult;
    }
    HRESULT GetSourceFolder(BSTR* folder) override {
        if (folder == nullptr)
            return E_POINTER;
        *folder = leaf::Bstr::FromUtf8(sourceFolder).Detach();
        return S_OK;
    }
    HRESULT StepProgress(LONG units) override {
        stepped += units;
        return ++steps > abortAtStep && abortAtStep >= 0 ? E_ABORT : S_OK;
    }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return S_OK; }
    HRESULT AddOutputFile(LPCOLESTR) override { return S_OK; }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return S_OK; }
};

std::u16string U16(const std::string& text) {
    return leaf::Utf8ToUtf16(text);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FilterModuleTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(intake.handle, nullptr) << dlerror();
        ASSERT_TRUE(intake.Complete());
    }

    ComPtr<IInputFilter> CreateRegisteredFilter() {
        EXPECT_EQ(intake.registerServer(), S_OK);
        ComPtr<IInputFilter> filter;
        EXPECT_EQ(CoCreateInstance(CLSID_TestFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                                   filter.ReceiveVoid()),
                  S_OK);
        return filter;
    }

    FilterModule intake{"testintake"};
    leaf::test::TempFolder folder;
};

TEST_F(FilterModuleTest, ExportsOnlyTheFourEntryPoints) {
    // The framework's own classes stay inside the module.
    EXPECT_EQ(dlsym(intake.handle, "FilterServerRegister"), nullptr);
    EXPECT_EQ(dlsym(intake.handle, "_ZN10CFilterApp6GetAppEv"), nullptr);
}

TEST_F(FilterModuleTest, RegisterServerWritesTheModuleEntries) {
    ASSERT_EQ(intake.registerServer(), S_OK);
    const std::string classKey = "CLSID\\" + leaf::GuidToString(CLSID_TestFilter);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey), "Test Leafcraft Input Filter");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32"), intake.path);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\ProgID"), "Leafcraft.TestFilter.1.0");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\VersionIndependentProgID"), "Leafcraft.TestFilter");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.TestFilter\\CurVer"), "Leafcraft.TestFilter.1.0");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.TestFilter\\CLSID"), leaf::GuidToString(CLSID_TestFilter));
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.TestFilter.1.0\\CLSID"),
              leaf::GuidToString(CLSID_TestFilter));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kFiltersKey + "\\Leafcraft.TestFilter"), "Test Leafcraft Input Filter");
    // The module's list reads " .tst | .test ".
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.tst"), "Leafcraft.TestFilter");
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.test"), "Leafcraft.TestFilter");

    // The runtime finds the class by either ProgID.
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID("Leafcraft.TestFilter", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestFilter);
}

TEST_F(FilterModuleTest, RegistersThroughTheRegistrationTool) {
    if (!std::filesystem::exists(leaf::test::RegsvrPath()))
        GTEST_SKIP() << "regsvr is not built";
    ASSERT_EQ(leaf::test::RunProgram(leaf::test::RegsvrPath(), {"-s", intake.path}), 0);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "CLSID\\" + leaf::GuidToString(CLSID_TestFilter) + "\\InprocServer32"),
              intake.path);
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.tst"), "Leafcraft.TestFilter");
    ASSERT_EQ(leaf::test::RunProgram(leaf::test::RegsvrPath(), {"-u", "-s", intake.path}), 0);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + leaf::GuidToString(CLSID_TestFilter)));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.tst"));
}

TEST_F(FilterModuleTest, UnregisterServerLeavesNothing) {
    ASSERT_EQ(intake.registerServer(), S_OK);
    ASSERT_EQ(intake.unregisterServer(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + leaf::GuidToString(CLSID_TestFilter)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Leafcraft.TestFilter"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Leafcraft.TestFilter.1.0"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kFiltersKey + "\\Leafcraft.TestFilter"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.tst"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.test"));
    EXPECT_EQ(intake.unregisterServer(), S_OK);
}

TEST_F(FilterModuleTest, LastRegisteredFilterOwnsASharedExtension) {
    FilterModule takeover("testtakeover");
    ASSERT_TRUE(takeover.Complete());
    ASSERT_EQ(intake.registerServer(), S_OK);
    ASSERT_EQ(takeover.registerServer(), S_OK);
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.tst"), "Leafcraft.TestFilter");
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.test"), "Leafcraft.TakeoverFilter");

    ASSERT_EQ(intake.unregisterServer(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.tst"));
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.test"), "Leafcraft.TakeoverFilter");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kFiltersKey + "\\Leafcraft.TakeoverFilter"));

    ASSERT_EQ(takeover.unregisterServer(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.test"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.tko"));
}

TEST_F(FilterModuleTest, ClassObjectOnlyForTheModulesOwnClass) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(intake.getClassObject(CLSID_TakeoverFilter, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(intake.getClassObject(CLSID_TestFilter, IID_IClassFactory, nullptr), E_POINTER);

    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(intake.getClassObject(CLSID_TestFilter, IID_IInputFilter, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(intake.canUnloadNow(), S_OK);
}

TEST_F(FilterModuleTest, LiveFactoriesAndObjectsKeepTheModuleLoaded) {
    EXPECT_EQ(intake.canUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(intake.getClassObject(CLSID_TestFilter, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
    EXPECT_EQ(intake.canUnloadNow(), S_FALSE);

    ComPtr<IUnknown> sameFactory;
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, sameFactory.ReceiveVoid()), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(factory.Get()), sameFactory.Get());
    sameFactory.Reset();

    ComPtr<IInputFilter> filter;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IInputFilter, filter.ReceiveVoid()), S_OK);
    // A lock does not keep the module: only live objects do.
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(intake.canUnloadNow(), S_FALSE);
    filter.Reset();
    EXPECT_EQ(intake.canUnloadNow(), S_OK);
}

TEST_F(FilterModuleTest, UnofferedInterfaceLeavesNoObjectAlive) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(intake.getClassObject(CLSID_TestFilter, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_Unoffered, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    factory.Reset();
    EXPECT_EQ(intake.canUnloadNow(), S_OK);
}

TEST_F(FilterModuleTest, OuterObjectIsIgnored) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(intake.getClassObject(CLSID_TestFilter, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
    ComPtr<IInputFilter> filter;
    EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IInputFilter, filter.ReceiveVoid()), S_OK);
    EXPECT_TRUE(filter);
}

TEST_F(FilterModuleTest, BothFacesAreOneObject) {
    ComPtr<IInputFilter> filter = CreateRegisteredFilter();
    ASSERT_TRUE(filter);

    ComPtr<IPropertyPage> page;
    ASSERT_EQ(filter->QueryInterface(IID_IPropertyPage, page.ReceiveVoid()), S_OK);
    ASSERT_TRUE(page);
    EXPECT_NE(static_cast<void*>(page.Get()), static_cast<void*>(filter.Get()));
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);  // the page's own table, not the filter's

    ComPtr<IInputFilter> back;
    ASSERT_EQ(page->QueryInterface(IID_IInputFilter, back.ReceiveVoid()), S_OK);
    EXPECT_EQ(back.Get(), filter.Get());
    ComPtr<IUnknown> identityFromPage;
    ComPtr<IUnknown> identityFromFilter;
    ASSERT_EQ(page->QueryInterface(IID_IUnknown, identityFromPage.ReceiveVoid()), S_OK);
    ASSERT_EQ(filter->QueryInterface(IID_IUnknown, identityFromFilter.ReceiveVoid()), S_OK);
    EXPECT_EQ(identityFromPage.Get(), identityFromFilter.Get());
    ComPtr<IPropertyPage> pageAgain;
    ASSERT_EQ(page->QueryInterface(IID_IPropertyPage, pageAgain.ReceiveVoid()), S_OK);
    EXPECT_EQ(pageAgain.Get(), page.Get());

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(page->QueryInterface(IID_Unoffered, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    // One count across both faces: each face counts the other's references.
    ULONG count = page->AddRef();
    EXPECT_EQ(filter->AddRef(), count + 1);
    EXPECT_EQ(page->Release(), count);
    EXPECT_EQ(filter->Release(), count - 1);

    back.Reset();
    identityFromPage.Reset();
    identityFromFilter.Reset();
    pageAgain.Reset();
    filter.Reset();
    EXPECT_EQ(intake.canUnloadNow(), S_FALSE);  // the page's reference keeps the object
    EXPECT_EQ(page.Detach()->Release(), 0u);
    EXPECT_EQ(intake.canUnloadNow(), S_OK);
}

TEST_F(FilterModuleTest, FilterWithoutPageAnswersOnlyItsFilterFace) {
    FilterModule takeover("testtakeover");
    ASSERT_TRUE(takeover.Complete());
    ASSERT_EQ(takeover.registerServer(), S_OK);
    ComPtr<IInputFilter> filter;
    ASSERT_EQ(CoCreateInstance(CLSID_TakeoverFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                               filter.ReceiveVoid()),
              S_OK);
    void* page = reinterpret_cast<void*>(1);
    EXPECT_EQ(filter->QueryInterface(IID_IPropertyPage, &page), E_NOINTERFACE);
    EXPECT_EQ(page, nullptr);
    ComPtr<IUnknown> identity;
    EXPECT_EQ(filter->QueryInterface(IID_IUnknown, identity.ReceiveVoid()), S_OK);
    EXPECT_EQ(static_cast<void*>(identity.Get()), static_cast<void*>(filter.Get()));
    EXPECT_EQ(takeover.canUnloadNow(), S_FALSE);
    identity.Reset();
    filter.Reset();
    EXPECT_EQ(takeover.canUnloadNow(), S_OK);
}

TEST_F(FilterModuleTest, CreatingAnUnregisteredClassFails) {
    ComPtr<IInputFilter> filter;
    EXPECT_EQ(CoCreateInstance(CLSID_TestFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                               filter.ReceiveVoid()),
              REGDB_E_CLASSNOTREG);
}

TEST_F(FilterModuleTest, GetSizeReportsTheFileSize) {
    ComPtr<IInputFilter> filter = CreateRegisteredFilter();
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->Initialize(), S_OK);
    std::string source = folder.WriteFile("book/chapter.tst", std::string(5000, 'x'));
    LONG units = -1;
    EXPECT_EQ(filter->GetSize(U16(source).c_str(), kFilterScanDependencies | kFilterReadingOrderItem, &units), S_OK);
    EXPECT_EQ(units, 5000);
    EXPECT_EQ(filter->GetSize(U16(folder / "missing.tst").c_str(), 0, &units), STG_E_PATHNOTFOUND);
    EXPECT_EQ(filter->GetSize(nullptr, 0, &units), E_POINTER);
    EXPECT_EQ(filter->GetSize(U16(source).c_str(), 0, nullptr), E_POINTER);
}

TEST_F(FilterModuleTest, PrepareReportsDependenciesThroughTheHost) {
    ComPtr<IInputFilter> filter = CreateRegisteredFilter();
    ASSERT_TRUE(filter);
    std::string source = folder.WriteFile("book/chapter.tst", "text\ndep pics/a.gif\nsrcdep style.css\n");
    RecordingHost host;
    ASSERT_EQ(filter->Prepare(U16(source).c_str(), nullptr, &host), S_OK);
    std::vector<RecordingHost::Dependency> expected = {{folder / "book/pics/a.gif", "(null)"},
                                                       {"/books/source/style.css", "(null)"}};
    EXPECT_EQ(host.dependencies, expected);

    RecordingHost mappedHost;
    ASSERT_EQ(filter->Prepare(U16(source).c_str(), u"/projects/word", &mappedHost), S_OK);
    ASSERT_FALSE(mappedHost.dependencies.empty());
    EXPECT_EQ(mappedHost.dependencies[0].mapped, "/projects/word/pics/a.gif");
}

TEST_F(FilterModuleTest, PrepareFailuresReachTheCaller) {
    ComPtr<IInputFilter> filter = CreateRegisteredFilter();
    ASSERT_TRUE(filter);
    std::string source = folder.WriteFile("chapter.test", "dep a.gif\ndep b.gif\n");

    RecordingHost refusing;
    refusing.dependencyResult = E_OUTOFMEMORY;
    EXPECT_EQ(filter->Prepare(U16(source).c_str(), nullptr, &refusing), E_OUTOFMEMORY);
    EXPECT_EQ(refusing.dependencies.size(), 1u);

    RecordingHost host;
    std::string missing = folder / "none.tst";
    EXPECT_EQ(filter->Prepare(U16(missing).c_str(), nullptr, &host), E_FAIL);
    EXPECT_EQ(host.errorDetails, "Unable to open \"" + missing + "\"");

    EXPECT_EQ(filter->Prepare(nullptr, nullptr, &host), E_POINTER);
    EXPECT_EQ(filter->Prepare(U16(source).c_str(), nullptr, nullptr), E_POINTER);
}

TEST_F(FilterModuleTest, ConvertCopiesAndStepsProgress) {
    ComPtr<IInputFilter> filter = CreateRegisteredFilter();
    ASSERT_TRUE(filter);
    std::string content;
    for (int i = 0; i < 10000; ++i)
        content += static_cast<char>('a' + i % 26);
    std::string source = folder.WriteFile("chapter.tst", content);
    std::string destination = folder / "out.htm";
    RecordingHost host;
    ASSERT_EQ(filter->Convert(U16(source).c_str(), U16(destination).c_str(), kFilterReadingOrderItem, &host), S_OK);
    EXPECT_EQ(ReadFile(destination), content);
    LONG units = 0;
    ASSERT_EQ(filter->GetSize(U16(source).c_str(), 0, &units), S_OK);
    EXPECT_EQ(host.stepped, units);
    EXPECT_GT(host.steps, 1);
}

TEST_F(FilterModuleTest, ConvertStopsWhenTheHostAborts) {
    ComPtr<IInputFilter> filter = CreateRegisteredFilter();
    ASSERT_TRUE(filter);
    std::string source = folder.WriteFile("chapter.tst", std::string(20000, 'z'));
    std::string destination = folder / "out.htm";
    RecordingHost host;
    host.abortAtStep = 1;
    EXPECT_EQ(filter->Convert(U16(source).c_str(), U16(destination).c_str(), 0, &host), E_ABORT);
    EXPECT_EQ(host.steps, 2);  // no step after the refused one
    EXPECT_FALSE(std::filesystem::exists(destination));

    RecordingHost plain;
    EXPECT_EQ(filter->Convert(U16(source).c_str(), nullptr, 0, &plain), E_POINTER);
    EXPECT_EQ(filter->Convert(U16(folder / "none.tst").c_str(), U16(destination).c_str(), 0, &plain), E_FAIL);
    EXPECT_FALSE(plain.errorDetails.empty());
}

}  // namespace
