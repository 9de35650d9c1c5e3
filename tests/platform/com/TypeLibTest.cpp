#include <gtest/gtest.h>

#include "platform/com/ComRuntime.h"
#include "platform/com/TypeLib.h"
#include "platform/registry/RegistryKey.h"
#include "tests/platform/com/ServerFixture.h"
#include "tests/platform/com/module/TestComIds.h"

namespace {

using namespace testcom;

class TypeLibTest : public leaf::test::RegisteredServerTest {
protected:
    void SetUp() override {
        RegisteredServerTest::SetUp();
        ASSERT_EQ(LoadRegTypeLib(LIBID_TestComLib, 1, 0, 0, library.Receive()), S_OK);
    }
    leaf::ComPtr<ITypeLib> library;
};

TEST_F(TypeLibTest, RegistryHoldsTheLibraryAndItsInterfaces) {
    std::string version = "TypeLib\\" + leaf::GuidToString(LIBID_TestComLib) + "\\1.0";
    EXPECT_EQ(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, version).ReadString(), "Leaf Test Automation Library");
    EXPECT_TRUE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, version + "\\0\\linux64").ReadString());
    EXPECT_TRUE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, version + "\\FLAGS").IsOpen());
    leaf::RegistryKey iface = leaf::RegistryKey::Open(
        HKEY_CLASSES_ROOT, "Interface\\" + leaf::GuidToString(DIID__DTestObjectEvents) + "\\TypeLib");
    EXPECT_EQ(iface.ReadString(), leaf::GuidToString(LIBID_TestComLib));
    EXPECT_EQ(iface.ReadString("Version"), "1.0");
}

TEST_F(TypeLibTest, VersionsMatchByMajorAndAtLeastTheMinor) {
    leaf::ComPtr<ITypeLib> other;
    EXPECT_EQ(LoadRegTypeLib(LIBID_TestComLib, 2, 0, 0, other.Receive()), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(LoadRegTypeLib(LIBID_TestComLib, 1, 1, 0, other.Receive()), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(LoadRegTypeLib(GUID_NULL, 1, 0, 0, other.Receive()), TYPE_E_LIBNOTREGISTERED);
    TLIBATTR attributes{};
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes.guid, LIBID_TestComLib);
    EXPECT_EQ(attributes.wMajorVerNum, 1);
}

TEST_F(TypeLibTest, DescribesInterfacesMembersAndParameters) {
    EXPECT_EQ(library->GetTypeInfoCount(), 5u);  // one enum, three interfaces, one coclass
    leaf::ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(DIID__DTestObject, info.Receive()), S_OK);
    TYPEKIND kind{};
    EXPECT_EQ(info->GetTypeKind(&kind), S_OK);
    EXPECT_EQ(kind, TKIND_DISPATCH);

    BSTR names[4] = {};
    UINT count = 0;
    ASSERT_EQ(info->GetNames(DISPID_Configure, names, 4, &count), S_OK);
    ASSERT_EQ(count, 4u);
    EXPECT_EQ(leaf::BstrToUtf8(names[0]), "Configure");
    EXPECT_EQ(leaf::BstrToUtf8(names[3]), "extra");
    for (BSTR name : names)
        SysFreeString(name);
    EXPECT_EQ(info->GetNames(99, names, 4, &count), TYPE_E_ELEMENTNOTFOUND);

    const leaf::MemberDescription* member = nullptr;
    ASSERT_EQ(info->GetMember(DISPID_Name, DISPATCH_PROPERTYPUT, &member), S_OK);
    EXPECT_EQ(member->kind, leaf::MemberKind::PropertyPut);
    ASSERT_EQ(info->GetMember(DISPID_Configure, DISPATCH_METHOD, &member), S_OK);
    EXPECT_TRUE(member->params[2].optional);
    EXPECT_EQ(member->params[2].type, VT_VARIANT);

    leaf::Bstr name, doc;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, name.Receive(), doc.Receive(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.ToUtf8(), "_DTestObject");
    EXPECT_EQ(doc.ToUtf8(), "Dispatch interface for the test object");
    ASSERT_EQ(library->GetDocumentation(-1, name.Receive(), doc.Receive(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.ToUtf8(), "TestComLib");

    leaf::ComPtr<ITypeLib> container;
    UINT index = 99;
    ASSERT_EQ(info->GetContainingTypeLib(container.Receive(), &index), S_OK);
    EXPECT_EQ(index, 1u);
}

TEST_F(TypeLibTest, EnumsAndCoclasses) {
    leaf::ComPtr<ITypeInfo> colours;
    ASSERT_EQ(library->GetTypeInfoOfName(u"ENUMCOLORS", colours.Receive()), S_OK);
    LONG value = 0;
    EXPECT_EQ(colours->GetEnumValue(u"colorblue", &value), S_OK);
    EXPECT_EQ(value, 4);
    EXPECT_EQ(colours->GetEnumValue(u"ColorPurple", &value), TYPE_E_ELEMENTNOTFOUND);

    leaf::ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_TestObject, coclass.Receive()), S_OK);
    const leaf::CoClassDescription* description = coclass->GetCoClassDescription();
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(description->defaultInterface, DIID__DTestObject);
    EXPECT_EQ(description->defaultSourceInterface, DIID__DTestObjectEvents);
    EXPECT_EQ(coclass->GetInterfaceDescription(), nullptr);
}

TEST_F(TypeLibTest, ObjectTypeInfoComesFromTheRegisteredLibrary) {
    leaf::ComPtr<IDispatch> object = CreateTestObject();
    leaf::ComPtr<ITypeInfo> info;
    ASSERT_EQ(object->GetTypeInfo(0, 0, info.Receive()), S_OK);
    leaf::ComPtr<ITypeLib> container;
    ASSERT_EQ(info->GetContainingTypeLib(container.Receive(), nullptr), S_OK);
    EXPECT_EQ(container->GetDescription()->libid, LIBID_TestComLib);
    EXPECT_EQ(object->GetTypeInfo(1, 0, info.Receive()), DISP_E_BADINDEX);
}

TEST_F(TypeLibTest, UnregisteringOneVersionLeavesNoKeys) {
    EXPECT_EQ(UnRegisterTypeLib(LIBID_TestComLib, 1, 0, 0, SYS_LINUX64), S_OK);
    EXPECT_EQ(UnRegisterTypeLib(LIBID_TestComLib, 1, 0, 0, SYS_LINUX64), TYPE_E_LIBNOTREGISTERED);
    leaf::ComPtr<ITypeLib> again;
    EXPECT_EQ(LoadRegTypeLib(LIBID_TestComLib, 1, 0, 0, again.Receive()), TYPE_E_LIBNOTREGISTERED);
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "TypeLib\\" + leaf::GuidToString(LIBID_TestComLib))
                     .IsOpen());
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Interface\\" + leaf::GuidToString(DIID__DTestCollection))
                     .IsOpen());
}

}  // namespace
