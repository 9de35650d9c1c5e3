// The control's small methods through IDispatch: initialisation and filter discovery,
// the error convention, argument handling (null and empty strings, omitted and wrongly
// typed arguments), source files, metadata, guide items and tours.

#include <dlfcn.h>

#include <cstring>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "platform/com/ComRuntime.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryKey.h"
#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

using leaf::Variant;

constexpr const char* kExtensionsKey = ".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters";

TEST(SdkInitialize, FailsWithoutFiltersAndSucceedsOnceTheyAreInstalled) {
    ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so"));
    SdkControl control = SdkControl::Create();
    EXPECT_FALSE(control.Initialize());
    EXPECT_EQ(LCERR_NO_FILTERS, control.ErrorCode());

    ASSERT_TRUE(leaf::test::RegisterModule("sdktestintake.so"));
    EXPECT_TRUE(control.Initialize());
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
}

TEST(SdkInitialize, SecondInitializeAfterFailedFirstReleasesWhatTheFirstLoaded) {
    ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so"));
    ASSERT_TRUE(leaf::test::RegisterModule("sdktestintake.so"));
    // The filters load, but no extension maps to them.
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_USERS, (std::string(kExtensionsKey) + "\\.src").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_USERS, (std::string(kExtensionsKey) + "\\.page").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_USERS, (std::string(kExtensionsKey) + "\\.broken").c_str()));
    {
        SdkControl control = SdkControl::Create();
        EXPECT_FALSE(control.Initialize());
        EXPECT_EQ(LCERR_NO_FILTERS, control.ErrorCode());

        leaf::RegistryKey::Create(HKEY_USERS, std::string(kExtensionsKey) + "\\.src").WriteString("", "LeafcraftTest.SdkFilter");
        EXPECT_TRUE(control.Initialize());
    }
    // With the control gone, no filter object of the test module is left alive.
    void* module = dlopen((leaf::test::BinDir() + "/sdktestintake.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(nullptr, module);
    void* canUnload = dlsym(module, "DllCanUnloadNow");
    ASSERT_NE(nullptr, canUnload);
    HRESULT (*function)() = nullptr;
    std::memcpy(&function, &canUnload, sizeof function);
    EXPECT_EQ(S_OK, function());
    dlclose(module);
}

class SdkMethods : public SdkControlTest {};

TEST_F(SdkMethods, EveryMethodButFourFailsBeforeInitialize) {
    struct Case {
        DISPID id;
        std::vector<Variant> arguments;
        VARTYPE resultType;
    };
    const std::vector<Case> cases = {
        {sdkdispid::GetBrowseFilter, {}, VT_BSTR},
        {sdkdispid::ValidateSourceFile, {Variant("a.src")}, VT_BOOL},
        {sdkdispid::AddSourceFile, {Variant("a.src"), Variant(LONG(1))}, VT_BOOL},
        {sdkdispid::AddMetaData, {Variant("dc:Title"), Variant(""), Variant("T"), Variant(LONG(2))}, VT_BOOL},
        {sdkdispid::AddGuideItem, {Variant("Contents"), Variant("toc"), Variant("toc.htm")}, VT_BOOL},
        {sdkdispid::ImportPackageFile, {Variant("book.opf")}, VT_BOOL},
        {sdkdispid::CreateTourFromTOC, {Variant(LONG(0))}, VT_BOOL},
        {sdkdispid::PrepareEBook, {}, VT_BOOL},
        {sdkdispid::GetMissingFiles, {}, VT_DISPATCH},
        {sdkdispid::GetExternalFiles, {}, VT_DISPATCH},
        {sdkdispid::BuildEBook, {Variant("book.lit"), Variant("")}, VT_BOOL},
        {sdkdispid::AbortBuild, {}, VT_BOOL},
        {sdkdispid::AddTour, {Variant("Chapters"), Variant("chapters")}, VT_I4},
        {sdkdispid::AddTourSite, {Variant(LONG(0)), Variant("One"), Variant("a.htm")}, VT_BOOL},
    };
    for (const Case& c : cases) {
        leaf::DispatchResult result = control.Call(c.id, c.arguments);
        ASSERT_EQ(S_OK, result.hr) << "dispid " << c.id;
        ASSERT_EQ(c.resultType, result.value.vt) << "dispid " << c.id;
        switch (c.resultType) {
        case VT_BOOL: EXPECT_EQ(VARIANT_FALSE, result.value.boolVal) << "dispid " << c.id; break;
        case VT_I4: EXPECT_EQ(0, result.value.lVal); break;
        case VT_BSTR: EXPECT_EQ(nullptr, result.value.bstrVal); break;
        case VT_DISPATCH: EXPECT_EQ(nullptr, result.value.pdispVal); break;
        }
        EXPECT_EQ(LCERR_UNINITIALIZED, control.ErrorCode()) << "dispid " << c.id;
    }
    // These three touch nothing.
    EXPECT_FALSE(control.CallBool(sdkdispid::IsFontEmbeddingAvailable));
    EXPECT_EQ(LCERR_UNINITIALIZED, control.ErrorCode());
    EXPECT_EQ("", control.ErrorDetails());
}

TEST_F(SdkMethods, BrowseFilterGroupsTheMappedExtensionsByTypeName) {
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".src").WriteString("", "TestSrcFile");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "TestSrcFile").WriteString("", "Test Source File");
    // A filter that is listed but whose class is not registered is skipped silently.
    leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE, "Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\Nobody.Filter");
    leaf::RegistryKey::Create(HKEY_USERS, std::string(kExtensionsKey) + "\\.nob").WriteString("", "Nobody.Filter");
    ASSERT_TRUE(control.Initialize());

    leaf::DispatchResult result = control.Call(sdkdispid::GetBrowseFilter);
    ASSERT_EQ(VT_BSTR, result.value.vt);
    // .broken belongs to a filter that refused to initialise, .nob to one that is absent.
    EXPECT_EQ("Supported Source Files|*.page;*.src|PAGE Files|*.page|Test Source Files|*.src|All Files (*.*)|*.*||",
              result.value.ToUtf8());
}

TEST_F(SdkMethods, ValidateSourceFileReportsEachKindOfBadFile) {
    ASSERT_TRUE(control.Initialize());
    std::string good = Source("book/a.src");
    std::string upper = Source("book/B.SRC");
    std::string noDot = Source("book/readme");
    std::string dottedFolder = Source("book/a.b/readme");
    std::string broken = Source("book/c.broken");
    std::string unknown = Source("book/d.xyz");
    struct Case {
        std::string path;
        bool valid;
        LONG code;
    };
    const Case cases[] = {
        {good, true, LCERR_NONE},
        {upper, true, LCERR_NONE},
        {folder / "book/missing.src", false, LCERR_MISSING_FILE},
        {noDot, false, LCERR_INVALID_FILE},
        {dottedFolder, false, LCERR_INVALID_FILE_TYPE},  // ".b/readme" is the extension
        {broken, false, LCERR_INVALID_FILE_TYPE},
        {unknown, false, LCERR_INVALID_FILE_TYPE},
        {"", false, LCERR_MISSING_FILE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.valid, control.CallBool(sdkdispid::ValidateSourceFile, {Variant(c.path)})) << c.path;
        EXPECT_EQ(c.code, control.ErrorCode()) << c.path;
        // A type that no filter takes is named as such, with the file.
        std::string details = c.code == LCERR_INVALID_FILE_TYPE
                                  ? "The file \"" + c.path + "\" is of a type that is not supported: no installed " +
                                        "input filter takes \"" + c.path.substr(c.path.rfind('.')) + "\" files."
                                  : c.path;
        EXPECT_EQ(c.valid ? std::string() : details, control.ErrorDetails()) << c.path;
    }
    EXPECT_FALSE(control.CallBool(sdkdispid::ValidateSourceFile, {Variant::NullBstr()}));
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());

    // A folder, whatever its name, is no source; the details say so.
    std::filesystem::create_directories(folder / "book/chapters.src");
    for (DISPID method : {sdkdispid::ValidateSourceFile, sdkdispid::AddSourceFile}) {
        std::vector<Variant> arguments = {Variant(folder / "book/chapters.src")};
        if (method == sdkdispid::AddSourceFile)
            arguments.push_back(Variant(LONG(LCF_SPINE)));
        EXPECT_FALSE(control.CallBool(method, arguments));
        EXPECT_EQ(LCERR_INVALID_FILE, control.ErrorCode());
        EXPECT_EQ(folder / "book/chapters.src" + ": Is a directory", control.ErrorDetails());
    }
    // Nor is a FIFO: it is refused at once instead of blocking the build later.
    ASSERT_EQ(0, mkfifo((folder / "book/pipe.src").c_str(), 0644));
    for (DISPID method : {sdkdispid::ValidateSourceFile, sdkdispid::AddSourceFile}) {
        std::vector<Variant> arguments = {Variant(folder / "book/pipe.src")};
        if (method == sdkdispid::AddSourceFile)
            arguments.push_back(Variant(LONG(LCF_SPINE)));
        EXPECT_FALSE(control.CallBool(method, arguments));
        EXPECT_EQ(LCERR_INVALID_FILE, control.ErrorCode());
        EXPECT_EQ(folder / "book/pipe.src" + ": Operation not permitted", control.ErrorDetails());
    }
}

TEST_F(SdkMethods, ArgumentsAreCheckedAndCoercedLikeAnyAutomationCall) {
    ASSERT_TRUE(control.Initialize());
    std::string path = Source("book/a.src");

    EXPECT_FALSE(control.CallBool(sdkdispid::AddSourceFile, {Variant::NullBstr(), Variant(LONG(1))}));
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());
    EXPECT_FALSE(control.CallBool(sdkdispid::AddSourceFile, {Variant(""), Variant(LONG(1))}));
    EXPECT_EQ(LCERR_MISSING_FILE, control.ErrorCode());

    // A number given as text is coerced; text that is no number is refused by Invoke.
    EXPECT_TRUE(control.CallBool(sdkdispid::AddSourceFile, {Variant(path), Variant("1")}));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, control.Call(sdkdispid::AddSourceFile, {Variant(path), Variant("spine")}).hr);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, control.Call(sdkdispid::AddSourceFile, {Variant(path)}).hr);
    EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, control.Call(sdkdispid::AddSourceFile, {Variant(path), Variant::Missing()}).hr);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, control.Call(19).hr);
    leaf::DispatchDriver driver(control.Get());
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, driver.TryInvoke(sdkdispid::Initialize, DISPATCH_PROPERTYPUT, {Variant(true)}).hr);

    // Empty strings are values like any other; null ones are refused.
    EXPECT_TRUE(control.CallBool(sdkdispid::AddMetaData, {Variant(""), Variant(""), Variant(""), Variant(LONG(2))}));
    EXPECT_FALSE(control.CallBool(sdkdispid::AddMetaData,
                                  {Variant("dc:Title"), Variant::NullBstr(), Variant("T"), Variant(LONG(2))}));
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());
    EXPECT_TRUE(control.CallBool(sdkdispid::AddGuideItem, {Variant(""), Variant(""), Variant("")}));
    EXPECT_FALSE(control.CallBool(sdkdispid::AddGuideItem, {Variant("T"), Variant("toc"), Variant::NullBstr()}));
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());
    EXPECT_FALSE(control.CallBool(sdkdispid::ImportPackageFile, {Variant::NullBstr()}));
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());
}

TEST_F(SdkMethods, MetadataNeedsOneOfTheTwoFlags) {
    ASSERT_TRUE(control.Initialize());
    struct Case {
        LONG flags;
        bool accepted;
    };
    for (const Case& c : {Case{LCF_DUBLIN_CORE, true}, Case{LCF_SUPPLEMENTAL, true},
                          Case{LCF_DUBLIN_CORE | LCF_SUPPLEMENTAL, true}, Case{0, false}, Case{LCF_SPINE, false}}) {
        EXPECT_EQ(c.accepted, control.CallBool(sdkdispid::AddMetaData,
                                               {Variant("dc:Creator"), Variant(""), Variant("A"), Variant(c.flags)}))
            << c.flags;
        EXPECT_EQ(c.accepted ? LCERR_NONE : LCERR_INVALIDARG, control.ErrorCode());
    }
}

TEST_F(SdkMethods, ToursAreNumberedFromZeroAndSitesNeedAnExistingTour) {
    ASSERT_TRUE(control.Initialize());
    leaf::DispatchResult first = control.Call(sdkdispid::AddTour, {Variant("Chapters"), Variant("chapters")});
    EXPECT_EQ(0, first.value.lVal);
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_EQ(1, control.Call(sdkdispid::AddTour, {Variant("Pictures"), Variant("pictures")}).value.lVal);
    EXPECT_EQ(0, control.Call(sdkdispid::AddTour, {Variant::NullBstr(), Variant("x")}).value.lVal);
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());

    for (LONG index : {-1, 2}) {
        EXPECT_FALSE(control.CallBool(sdkdispid::AddTourSite, {Variant(index), Variant("One"), Variant("a.htm")}));
        EXPECT_EQ(LCERR_INVALIDARG, control.ErrorCode()) << index;
    }
    EXPECT_TRUE(control.CallBool(sdkdispid::AddTourSite, {Variant(LONG(1)), Variant("One"), Variant("a.htm#s1")}));
    EXPECT_FALSE(control.CallBool(sdkdispid::AddTourSite, {Variant(LONG(1)), Variant::NullBstr(), Variant("a.htm")}));
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());
}

TEST_F(SdkMethods, AbortBuildOutsideARunIsIllegal) {
    ASSERT_TRUE(control.Initialize());
    EXPECT_FALSE(control.CallBool(sdkdispid::AbortBuild));
    EXPECT_EQ(LCERR_ILLEGAL, control.ErrorCode());
}

TEST_F(SdkMethods, FontEmbeddingIsAvailableOnlyWithAWorkingEmbedder) {
    EXPECT_FALSE(control.CallBool(sdkdispid::IsFontEmbeddingAvailable));
    EXPECT_TRUE(SdkControl::CreateWithFontEmbedder().CallBool(sdkdispid::IsFontEmbeddingAvailable));
    // The component cannot work here.
    EXPECT_FALSE(SdkControl::CreateWithFontEmbedder(false).CallBool(sdkdispid::IsFontEmbeddingAvailable));
}

}  // namespace
}  // namespace sdktest
