// Registration and unregistration of a filter server, driven in-process with the
// registration data a module would load from its string table.

#include <gtest/gtest.h>

#include "filters/framework/FilterRegistration.h"
#include "platform/registry/Registry.h"
#include "tests/filters/framework/RegistryReading.h"

namespace {

using leaf::test::KeyExists;
using leaf::test::ReadString;

const std::string kFiltersKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters";
const std::string kExtensionsKey = ".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters";
constexpr CLSID kSampleClsid = leaf::MakeGuid("{095fc680-8a1e-11d3-a93f-d495ab4af745}");
const std::string kSampleClsidText = "{095FC680-8A1E-11D3-A93F-D495AB4AF745}";

CFilterRegistration Sample(const std::string& name, const std::string& extensions, CLSID clsid = kSampleClsid) {
    CFilterRegistration r;
    r.clsid = clsid;
    r.modulePath = "/opt/leafcraft/" + name + ".so";
    r.description = name + " Leafcraft Input Filter";
    r.progId = "Leafcraft." + name + ".1.0";
    r.independentProgId = "Leafcraft." + name;
    r.extensions = extensions;
    r.filtersKeyTemplate = kFiltersKey + "\\%s";
    r.extensionKeyTemplate = kExtensionsKey + "\\%s";
    return r;
}

TEST(FilterRegistration, WritesEveryEntryWithItsValue) {
    CFilterRegistration r = Sample("HtmlFilter", ".htm|.html");
    ASSERT_EQ(RegisterFilterServer(r), S_OK);

    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.HtmlFilter"), "HtmlFilter Leafcraft Input Filter");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.HtmlFilter\\CurVer"), "Leafcraft.HtmlFilter.1.0");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.HtmlFilter\\CLSID"), kSampleClsidText);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.HtmlFilter.1.0"), "HtmlFilter Leafcraft Input Filter");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "Leafcraft.HtmlFilter.1.0\\CLSID"), kSampleClsidText);

    const std::string classKey = "CLSID\\" + kSampleClsidText;
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey), "HtmlFilter Leafcraft Input Filter");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32"), "/opt/leafcraft/HtmlFilter.so");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\ProgID"), "Leafcraft.HtmlFilter.1.0");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey + "\\VersionIndependentProgID"), "Leafcraft.HtmlFilter");
    // The classes root is a view of the machine's Software\Classes.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + classKey + "\\InprocServer32"));

    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kFiltersKey + "\\Leafcraft.HtmlFilter"),
              "HtmlFilter Leafcraft Input Filter");
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.htm"), "Leafcraft.HtmlFilter");
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.html"), "Leafcraft.HtmlFilter");
}

TEST(FilterRegistration, RegisteringAgainKeepsOneSetOfEntries) {
    CFilterRegistration r = Sample("TextFilter", ".txt");
    ASSERT_EQ(RegisterFilterServer(r), S_OK);
    r.modulePath = "/usr/lib/leafcraft/plainintake.so";
    ASSERT_EQ(RegisterFilterServer(r), S_OK);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, "CLSID\\" + kSampleClsidText + "\\InprocServer32"),
              "/usr/lib/leafcraft/plainintake.so");
    DWORD subKeys = 0;
    HKEY filters = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kFiltersKey.c_str(), 0, KEY_READ, &filters), ERROR_SUCCESS);
    RegQueryInfoKey(filters, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                    nullptr, nullptr);
    RegCloseKey(filters);
    EXPECT_EQ(subKeys, 1u);
}

TEST(FilterRegistration, TrimsTheExtensionListAndEachPiece) {
    ASSERT_EQ(RegisterFilterServer(Sample("HtmlFilter", " .htm | .html ")), S_OK);
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.htm"), "Leafcraft.HtmlFilter");
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.html"), "Leafcraft.HtmlFilter");
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\ .htm "));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.htm "));
}

TEST(FilterRegistration, EmptyPiecesNeverWriteTheParentKey) {
    ASSERT_EQ(RegisterFilterServer(Sample("ImageFilter", ".png||.gif|")), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.png"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.gif"));
    // The extensions key itself must not name a filter.
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey), std::nullopt);
}

TEST(FilterRegistration, FirstKeyThatCannotBeCreatedEndsRegistration) {
    // A line break cannot be stored in a key name.
    HRESULT hr = RegisterFilterServer(Sample("HtmlFilter", ".htm|.b\nad|.html"));
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(static_cast<DWORD>(hr), 0x80070057u);
    // What came before stays; nothing after the failing key is written.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + kSampleClsidText + "\\InprocServer32"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kFiltersKey + "\\Leafcraft.HtmlFilter"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.htm"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.html"));
}

TEST(FilterRegistration, RefusesMissingStringsWithoutWritingAnything) {
    CFilterRegistration noProgId = Sample("HtmlFilter", ".htm");
    noProgId.independentProgId.clear();
    CFilterRegistration noTemplate = Sample("HtmlFilter", ".htm");
    noTemplate.extensionKeyTemplate.clear();
    for (const CFilterRegistration& r : {noProgId, noTemplate}) {
        EXPECT_EQ(RegisterFilterServer(r), SELFREG_E_CLASS);
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + kSampleClsidText));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kFiltersKey));
        EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey));
    }
}

TEST(FilterUnregistration, LeavesNothingOfTheFilter) {
    CFilterRegistration r = Sample("HtmlFilter", " .htm | .html ");
    ASSERT_EQ(RegisterFilterServer(r), S_OK);
    UnregisterFilterServer(r);
    for (const std::string& path : {std::string("Leafcraft.HtmlFilter"), std::string("Leafcraft.HtmlFilter.1.0"),
                                    "CLSID\\" + kSampleClsidText})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, path)) << path;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kFiltersKey + "\\Leafcraft.HtmlFilter"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.htm"));
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.html"));
    // Unregistering what is not there is harmless.
    UnregisterFilterServer(r);
}

TEST(FilterUnregistration, LeavesAnExtensionAnotherFilterTookOver) {
    constexpr CLSID kOther = leaf::MakeGuid("{0C2BC6A0-8B01-11D3-A7CA-00E02911C5ED}");
    CFilterRegistration first = Sample("HtmlFilter", ".htm|.html");
    CFilterRegistration second = Sample("OtherFilter", ".html|.xhtml", kOther);
    ASSERT_EQ(RegisterFilterServer(first), S_OK);
    ASSERT_EQ(RegisterFilterServer(second), S_OK);
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.html"), "Leafcraft.OtherFilter");

    UnregisterFilterServer(first);
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.htm"));
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.html"), "Leafcraft.OtherFilter");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kFiltersKey + "\\Leafcraft.OtherFilter"));
}

TEST(FilterUnregistration, OwnerIsComparedWithCase) {
    CFilterRegistration r = Sample("HtmlFilter", ".htm");
    ASSERT_EQ(RegisterFilterServer(r), S_OK);
    ASSERT_EQ(RegSetValue(HKEY_USERS, (kExtensionsKey + "\\.htm").c_str(), REG_SZ, "leafcraft.htmlfilter", 0),
              ERROR_SUCCESS);
    UnregisterFilterServer(r);
    EXPECT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.htm"), "leafcraft.htmlfilter");
}

TEST(FilterUnregistration, RemovesExtensionsOfAFilterWithALongProgId) {
    // Longer than any fixed read buffer: the owner check must read the whole value.
    const std::string name(150, 'L');
    CFilterRegistration r = Sample(name, ".long");
    ASSERT_EQ(RegisterFilterServer(r), S_OK);
    ASSERT_EQ(ReadString(HKEY_USERS, kExtensionsKey + "\\.long"), "Leafcraft." + name);
    UnregisterFilterServer(r);
    EXPECT_FALSE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.long"));

    // A longer owner that merely starts with this ProgID is another filter.
    ASSERT_EQ(RegisterFilterServer(r), S_OK);
    ASSERT_EQ(RegSetValue(HKEY_USERS, (kExtensionsKey + "\\.long").c_str(), REG_SZ,
                          ("Leafcraft." + name + "X").c_str(), 0),
              ERROR_SUCCESS);
    UnregisterFilterServer(r);
    EXPECT_TRUE(KeyExists(HKEY_USERS, kExtensionsKey + "\\.long"));
}

struct SplitCase {
    const char* list;
    std::vector<std::string> pieces;
};

void PrintTo(const SplitCase& split, std::ostream* out) {
    *out << '"' << split.list << '"';
}

class ExtensionListSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(ExtensionListSplit, GivesTrimmedPieces) {
    EXPECT_EQ(SplitExtensionList(GetParam().list), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ExtensionListSplit,
    testing::Values(SplitCase{".htm|.html", {".htm", ".html"}}, SplitCase{" .htm | .html ", {".htm", ".html"}},
                    SplitCase{".doc", {".doc"}}, SplitCase{".png|.gif|.jpg|.jpeg", {".png", ".gif", ".jpg", ".jpeg"}},
                    SplitCase{"\t.a\t|\t.b ", {".a", ".b"}}, SplitCase{"|.a||", {".a"}}, SplitCase{"   ", {}},
                    SplitCase{"", {}}));

TEST(FilterKeyTemplate, ReplacesOnePlaceholder) {
    EXPECT_EQ(FormatKeyTemplate("Filters\\%s", ".htm"), "Filters\\.htm");
    EXPECT_EQ(FormatKeyTemplate("100%% %s\\%s", "x"), "100% x\\%s");
    EXPECT_EQ(FormatKeyTemplate("Filters\\%s", "%d%n"), "Filters\\%d%n");
}

}  // namespace
