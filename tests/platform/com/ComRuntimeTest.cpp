#include <gtest/gtest.h>

#include <filesystem>

#include "platform/com/ComRuntime.h"
#include "platform/com/Dispatch.h"
#include "platform/registry/RegistryKey.h"
#include "tests/platform/com/ServerFixture.h"
#include "tests/platform/com/module/TestComIds.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace testcom;
using leaf::test::RunRegsvr;

constexpr CLSID kUnregistered = leaf::MakeGuid("{0BADC0DE-0000-4000-8000-000000000001}");

void RegisterClassPath(REFCLSID clsid, const std::string& path) {
    leaf::RegistryKey key =
        leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "CLSID\\" + leaf::GuidToString(clsid) + "\\InprocServer32");
    ASSERT_TRUE(key.IsOpen());
    ASSERT_TRUE(key.WriteString("", path));
}

HRESULT Create(REFCLSID clsid, leaf::ComPtr<IUnknown>& object) {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.ReceiveVoid());
}

class ComRuntimeTest : public leaf::test::RegisteredServerTest {};

TEST_F(ComRuntimeTest, RegistrationWritesClassProgIdAndTypeLibraryKeys) {
    std::string clsid = leaf::GuidToString(CLSID_TestObject);
    leaf::RegistryKey server = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32");
    ASSERT_TRUE(server.IsOpen());
    EXPECT_EQ(std::filesystem::path(server.ReadString().value_or("")),
              std::filesystem::canonical(leaf::test::TestObjectModulePath()));
    EXPECT_EQ(server.ReadString("ThreadingModel"), "Apartment");
    EXPECT_EQ(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "LeafTest.TestObject.1\\CLSID").ReadString(), clsid);
    EXPECT_EQ(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "LeafTest.TestObject\\CurVer").ReadString(),
              "LeafTest.TestObject.1");

    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_TestObject, &progId), S_OK);
    EXPECT_EQ(std::u16string(progId), u"LeafTest.TestObject.1");
    CoTaskMemFree(progId);
}

TEST_F(ComRuntimeTest, CreatesByProgIdAndAsksForInterfaces) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"LeafTest.TestObject.1", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestObject);
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(Create(clsid, object), S_OK);
    EXPECT_TRUE(object.As<IDispatch>());
    leaf::ComPtr<IDispatch> viaOwnIid;
    EXPECT_EQ(object->QueryInterface(DIID__DTestObject, viaOwnIid.ReceiveVoid()), S_OK);
    leaf::ComPtr<IClassFactory> notOffered;
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, notOffered.ReceiveVoid()), E_NOINTERFACE);
    EXPECT_FALSE(notOffered);

    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory, &refused), E_NOINTERFACE);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(CoCreateInstance(clsid, object.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &refused),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &refused), REGDB_E_CLASSNOTREG);
}

TEST_F(ComRuntimeTest, UnregisteringRemovesEverything) {
    leaf::test::ChildResult result = RunRegsvr({"-u", leaf::test::TestObjectModulePath()});
    ASSERT_EQ(result.exitStatus, 0) << result.out;
    leaf::ComPtr<IUnknown> object;
    EXPECT_EQ(Create(CLSID_TestObject, object), REGDB_E_CLASSNOTREG);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID("LeafTest.TestObject", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID("LeafTest.TestObject.1", &clsid), CO_E_CLASSSTRING);
    for (const std::string& key :
         {"CLSID\\" + leaf::GuidToString(CLSID_TestObject), "TypeLib\\" + leaf::GuidToString(LIBID_TestComLib),
          "Interface\\" + leaf::GuidToString(DIID__DTestObject)})
        EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, key).IsOpen()) << key;
}

TEST_F(ComRuntimeTest, ProgIdFollowsCurVerAndStopsAtLoops) {
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Alias.Object\\CurVer").WriteString("", "LeafTest.TestObject.1");
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID("Alias.Object", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestObject);

    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Loop.A\\CurVer").WriteString("", "Loop.B");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Loop.B\\CurVer").WriteString("", "Loop.A");
    EXPECT_EQ(CLSIDFromProgID("Loop.A", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID(static_cast<const char*>(nullptr), &clsid), CO_E_CLASSSTRING);
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Broken.Object\\CLSID").WriteString("", "not a guid");
    EXPECT_EQ(CLSIDFromProgID("Broken.Object", &clsid), CO_E_CLASSSTRING);
}

TEST(ComRuntimeErrors, UnregisteredMissingAndBrokenModules) {
    leaf::ComPtr<IUnknown> object;
    EXPECT_EQ(Create(kUnregistered, object), REGDB_E_CLASSNOTREG);

    leaf::test::TempFolder folder;
    RegisterClassPath(kUnregistered, folder / "missing.so");
    EXPECT_EQ(Create(kUnregistered, object), CO_E_DLLNOTFOUND);

    RegisterClassPath(kUnregistered, folder.WriteFile("garbage.so", "this is not a shared object"));
    EXPECT_EQ(Create(kUnregistered, object), CO_E_ERRORINDLL);

    RegisterClassPath(kUnregistered, leaf::test::NoEntryModulePath());
    EXPECT_EQ(Create(kUnregistered, object), CO_E_ERRORINDLL);
    EXPECT_FALSE(object);
}

TEST(ComRuntimeErrors, ClassNotInTheModuleIsNotAvailable) {
    // The class points at a real server that does not serve it.
    RegisterClassPath(kUnregistered, leaf::test::TestObjectModulePath());
    leaf::ComPtr<IUnknown> object;
    EXPECT_EQ(Create(kUnregistered, object), CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(ComRuntimeTest, UnusedModulesUnloadOnlyWhenNoObjectLives) {
    leaf::ComPtr<IUnknown> object;
    ASSERT_EQ(Create(CLSID_TestObject, object), S_OK);
    CoFreeUnusedLibraries();
    // Still loaded: the object works.
    EXPECT_TRUE(object.As<IDispatch>());
    object = nullptr;
    CoFreeUnusedLibraries();
    ASSERT_EQ(Create(CLSID_TestObject, object), S_OK) << "loads again after unloading";
}

TEST(ComRuntimeInit, InitialisationCounts) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    OleUninitialize();
}

TEST(Regsvr, ReportsWhatFailed) {
    leaf::test::ChildResult missing = RunRegsvr({"/nonexistent/module.so"});
    EXPECT_NE(missing.exitStatus, 0);
    EXPECT_NE(missing.out.find("no such file"), std::string::npos) << missing.out;

    leaf::test::ChildResult noEntry = RunRegsvr({leaf::test::NoEntryModulePath()});
    EXPECT_NE(noEntry.exitStatus, 0);
    EXPECT_NE(noEntry.out.find("DllRegisterServer"), std::string::npos) << noEntry.out;

    leaf::test::ChildResult usage = RunRegsvr({});
    EXPECT_NE(usage.exitStatus, 0);
    EXPECT_NE(usage.out.find("usage"), std::string::npos);
}

// A copy of regsvr in a tree with a registry of its own (as a build tree has), run with
// LEAF_REGISTRY unset, and a copy in a tree without one.
TEST(Regsvr, RegistersIntoTheRegistryOfItsOwnTreeElseIntoTheUsers) {
    leaf::test::TempFolder trees;
    leaf::test::ScopedRegistryRoot restoresTheRoot;
    leaf::test::ScopedFolderVariable config("XDG_CONFIG_HOME");
    unsetenv("LEAF_REGISTRY");
    std::string userRegistry = config.Path() + "/leafcraft/registry";
    std::string treeRegistry = trees / "build/registry";
    trees.WriteFile("build/registry/HKEY_LOCAL_MACHINE.reg", "Windows Registry Editor Version 5.00\n\n; end of registry hive\n");
    for (const char* copy : {"build/bin", "installed/lib"}) {
        std::filesystem::create_directories(trees.Path() / copy);
        std::filesystem::copy_file(leaf::test::RegsvrPath(), trees.Path() / copy / "regsvr");
    }
    auto registeredIn = [](const std::string& folder) {
        setenv("LEAF_REGISTRY", folder.c_str(), 1);
        std::string clsid = leaf::GuidToString(CLSID_TestObject);
        bool registered = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32").IsOpen();
        unsetenv("LEAF_REGISTRY");
        return registered;
    };

    leaf::test::ChildResult inTree =
        leaf::test::RunChild(trees / "build/bin/regsvr", {"-s", leaf::test::TestObjectModulePath()});
    ASSERT_EQ(inTree.exitStatus, 0) << inTree.out << inTree.err;
    EXPECT_TRUE(registeredIn(treeRegistry));
    EXPECT_FALSE(registeredIn(userRegistry));

    leaf::test::ChildResult installed =
        leaf::test::RunChild(trees / "installed/lib/regsvr", {"-s", leaf::test::TestObjectModulePath()});
    ASSERT_EQ(installed.exitStatus, 0) << installed.out << installed.err;
    EXPECT_TRUE(registeredIn(userRegistry));
}

}  // namespace
