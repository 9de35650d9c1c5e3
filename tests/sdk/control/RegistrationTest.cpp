// The module as an installer and a late-bound client see it: registration and its
// removal, the type library's names, the version block.

#include <gtest/gtest.h>

#include "platform/com/ComRuntime.h"
#include "platform/com/TypeLib.h"
#include "platform/com/VersionInfo.h"
#include "platform/registry/RegistryKey.h"
#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

bool ClassKeyExists() {
    return leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID\\{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}").IsOpen();
}

TEST(SdkRegistration, RegisterThenUnregisterLeavesNothingBehind) {
    ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so"));
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(kLeafcraftSDKProgId, &clsid));
    EXPECT_EQ(CLSID_LeafcraftSDK, clsid);
    EXPECT_TRUE(ClassKeyExists());
    leaf::RegistryKey misc =
        leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID\\{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}\\MiscStatus\\1");
    EXPECT_EQ(std::optional<std::string>("132241"), misc.ReadString());  // 0x20491
    leaf::ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_LeafcraftTypeLib, 1, 0, 0, library.Receive()));

    ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so", /*unregister=*/true));
    EXPECT_NE(S_OK, CLSIDFromProgID(kLeafcraftSDKProgId, &clsid));
    EXPECT_FALSE(ClassKeyExists());
    leaf::ComPtr<ITypeLib> gone;
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, LoadRegTypeLib(LIBID_LeafcraftTypeLib, 1, 0, 0, gone.Receive()));
}

TEST(SdkRegistration, UnregisteredControlCannotBeCreated) {
    leaf::ComPtr<IDispatch> object;
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              CoCreateInstance(CLSID_LeafcraftSDK, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.ReceiveVoid()));
}

TEST(SdkRegistration, VersionBlockIsReadableFromTheFile) {
    std::optional<leaf::VersionInfo> info = leaf::ReadFileVersionInfo(leaf::test::BinDir() + "/leafsdk.so");
    ASSERT_TRUE(info);
    EXPECT_EQ(std::optional<std::string>("2, 0, 2, 0215"), info->Query("FileVersion"));
    EXPECT_EQ(std::optional<std::string>("Tallbrook Systems, Inc."), info->Query("CompanyName"));
    EXPECT_EQ(std::optional<std::string>("Leafcraft SDK Control"), info->Query("FileDescription"));
    EXPECT_EQ(std::optional<std::string>(""), info->Query("OLESelfRegister"));
}

class SdkNames : public SdkControlTest {};

TEST_F(SdkNames, MethodNamesResolveToTheirDispatchIds) {
    struct Case {
        const char16_t* name;
        DISPID id;
    };
    const Case cases[] = {{u"Initialize", 1},       {u"GetErrorCode", 2},   {u"ImportPackageFile", 9},
                          {u"PrepareEBook", 11},    {u"BuildEBook", 14},    {u"AddTourSite", 18},
                          {u"addsourcefile", 6},    {u"GETMISSINGFILES", 12}};
    for (const Case& c : cases) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(c.name)};
        DISPID id = 0;
        EXPECT_EQ(S_OK, control.Get()->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
        EXPECT_EQ(c.id, id);
    }
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(u"CompileEverything")};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, control.Get()->GetIDsOfNames(IID_NULL, unknown, 1, 0, &id));
}

TEST_F(SdkNames, TypeLibraryPublishesTheEnumerationsAndInterfaces) {
    leaf::ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_LeafcraftTypeLib, 1, 0, 0, library.Receive()));
    leaf::ComPtr<ITypeInfo> errors;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfName(u"enumErrorCodes", errors.Receive()));
    LONG value = 0;
    EXPECT_EQ(S_OK, errors->GetEnumValue(u"LCWARN_INVALIDDEPENDENCIES", &value));
    EXPECT_EQ(100, value);
    EXPECT_EQ(S_OK, errors->GetEnumValue(u"LCERR_TOUR_NO_TOC_LINKS", &value));
    EXPECT_EQ(83, value);
    leaf::ComPtr<ITypeInfo> flags;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfName(u"enumFlags", flags.Receive()));
    EXPECT_EQ(S_OK, flags->GetEnumValue(u"LCF_SCAN_DEPENDENCIES", &value));
    EXPECT_EQ(0x10000, value);

    for (const IID& iid : {DIID__DLeafcraftSDK, DIID__DLeafcraftSDKEvents, DIID__DStringCollection, CLSID_LeafcraftSDK}) {
        leaf::ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, library->GetTypeInfoOfGuid(iid, info.Receive())) << leaf::GuidToString(iid);
    }
    // The control's own type information is the registered library's.
    leaf::ComPtr<ITypeInfo> own;
    ASSERT_EQ(S_OK, control.Get()->GetTypeInfo(0, 0, own.Receive()));
    GUID guid{};
    ASSERT_EQ(S_OK, own->GetGuid(&guid));
    EXPECT_EQ(DIID__DLeafcraftSDK, guid);
}

}  // namespace
}  // namespace sdktest
