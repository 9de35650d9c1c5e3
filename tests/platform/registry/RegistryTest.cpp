// The registry functions: values of every type, names, sizes, enumeration, deletion and
// the classes root.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryKey.h"
#include "platform/registry/RegistryTree.h"
#include "tests/platform/registry/RegistryTestSupport.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {
namespace {

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, "Software\\Test", &m_key), ERROR_SUCCESS); }
    void TearDown() override { RegCloseKey(m_key); }

    // Moves to a copy of the registry root, so that what follows reads the hive files
    // afresh instead of this process's parsed trees.
    void ReopenFromCopy() {
        std::string previous = m_roots.back()->Path();
        m_roots.push_back(std::make_unique<ScopedRegistryRoot>());
        std::filesystem::copy(previous, m_roots.back()->Path(), std::filesystem::copy_options::recursive |
                                                                     std::filesystem::copy_options::overwrite_existing);
    }

    std::vector<std::unique_ptr<ScopedRegistryRoot>> m_roots = [] {
        std::vector<std::unique_ptr<ScopedRegistryRoot>> roots;
        roots.push_back(std::make_unique<ScopedRegistryRoot>());
        return roots;
    }();
    HKEY m_key = nullptr;
};

struct ValueCase {
    const char* label;
    const char* name;
    DWORD type;
    std::string written;
    std::string read;  // the stored form: strings end in one NUL, lists in two
};

std::vector<ValueCase> ValueCases() {
    using namespace std::string_literals;
    return {
        {"string", "Plain", REG_SZ, "hello\0"s, "hello\0"s},
        {"defaultValue", "", REG_SZ, "the default\0"s, "the default\0"s},
        {"stringWithoutNul", "ThreadingModel", REG_SZ, "Apartment"s, "Apartment\0"s},
        {"stringCutAtNul", "Cut", REG_SZ, "kept\0dropped\0"s, "kept\0"s},
        {"emptyString", "Empty", REG_SZ, ""s, "\0"s},
        {"escapes", "quote\"and\\back\\\\slash", REG_SZ, "a \"quoted\" C:\\path\\ \\\0"s,
         "a \"quoted\" C:\\path\\ \\\0"s},
        {"lineBreaks", "Lines", REG_SZ, "one\ntwo\r\nthree\0"s, "one\ntwo\r\nthree\0"s},
        {"utf8", "Grüße ✓", REG_SZ, "Größe — 大き\0"s, "Größe — 大き\0"s},
        {"semicolonAndBracket", "; not a comment", REG_SZ, "[not a key]\0"s, "[not a key]\0"s},
        {"expandable", "Path", REG_EXPAND_SZ, "%TEMP%\\ü\0"s, "%TEMP%\\ü\0"s},
        {"multiString", "List", REG_MULTI_SZ, "one\0twö\0three\0\0"s, "one\0twö\0three\0\0"s},
        {"multiStringUnterminated", "List2", REG_MULTI_SZ, "a\0b"s, "a\0b\0\0"s},
        {"emptyMultiString", "List3", REG_MULTI_SZ, ""s, "\0"s},
        {"dword", "Count", REG_DWORD, Bytes({0x2a, 0, 0, 0}), Bytes({0x2a, 0, 0, 0})},
        {"dwordHighBits", "Mask", REG_DWORD, Bytes({0xff, 0xfe, 0x00, 0x80}), Bytes({0xff, 0xfe, 0x00, 0x80})},
        {"binary", "Blob", REG_BINARY, Bytes({0, 1, 0x7f, 0x80, 0xff, 0, '\n', '"'}),
         Bytes({0, 1, 0x7f, 0x80, 0xff, 0, '\n', '"'})},
        {"emptyBinary", "NoBytes", REG_BINARY, ""s, ""s},
        {"none", "Nothing", REG_NONE, Bytes({1, 2}), Bytes({1, 2})},
        {"otherType", "Qword", 11, Bytes({1, 2, 3, 4, 5, 6, 7, 8}), Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
    };
}

TEST_F(RegistryTest, EveryValueTypeRoundTripsThroughTheHiveFile) {
    std::vector<ValueCase> cases = ValueCases();
    for (const ValueCase& value : cases)
        ASSERT_EQ(SetValue(m_key, value.name, value.type, value.written), ERROR_SUCCESS) << value.label;

    for (int pass = 0; pass < 2; ++pass) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_READ, &key), ERROR_SUCCESS);
        for (const ValueCase& value : cases) {
            QueriedValue read = QueryValue(key, value.name);
            EXPECT_EQ(read.result, ERROR_SUCCESS) << value.label << " pass " << pass;
            EXPECT_EQ(read.type, value.type) << value.label << " pass " << pass;
            EXPECT_EQ(read.data, value.read) << value.label << " pass " << pass;
        }
        RegCloseKey(key);
        ReopenFromCopy();
    }
}

TEST_F(RegistryTest, NullAndEmptyValueNamesBothMeanTheDefaultValue) {
    ASSERT_EQ(SetValue(m_key, nullptr, REG_SZ, std::string("dflt", 5)), ERROR_SUCCESS);
    EXPECT_EQ(QueryValue(m_key, "").data, std::string("dflt", 5));
    char buffer[16];
    LONG size = sizeof buffer;
    ASSERT_EQ(RegQueryValue(HKEY_CURRENT_USER, "Software\\Test", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(size, 5);
    EXPECT_EQ(RegDeleteValue(m_key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(QueryValue(m_key, "").result, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SetValueCreatesTheSubKeyAndQueryValueOfAKeyWithoutDefaultGivesEmpty) {
    ASSERT_EQ(RegSetValue(m_key, "A\\B", REG_SZ, "value", 0), ERROR_SUCCESS);
    char buffer[16];
    LONG size = sizeof buffer;
    ASSERT_EQ(RegQueryValue(m_key, "a\\b", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "value");
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValue(m_key, "A", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(size, 1);
    EXPECT_EQ(RegQueryValue(m_key, "Missing", buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValue(m_key, "A", REG_DWORD, "x", 2), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, TooSmallBuffersGiveMoreDataWithTheSizeNeeded) {
    ASSERT_EQ(SetValue(m_key, "Text", REG_SZ, "0123456789"), ERROR_SUCCESS);

    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    DWORD type = 0;
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueEx(m_key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(buffer[4], 'x') << "nothing is written past the buffer";
    size = 11;
    EXPECT_EQ(RegQueryValueEx(m_key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "0123456789");
    EXPECT_EQ(RegQueryValueEx(m_key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), nullptr),
              ERROR_INVALID_PARAMETER);

    ASSERT_EQ(RegSetValue(m_key, "Sub", REG_SZ, "abcdef", 0), ERROR_SUCCESS);
    LONG longSize = 3;
    EXPECT_EQ(RegQueryValue(m_key, "Sub", buffer, &longSize), ERROR_MORE_DATA);
    EXPECT_EQ(longSize, 7);
    EXPECT_EQ(RegQueryValue(m_key, "Sub", nullptr, &longSize), ERROR_SUCCESS);
    EXPECT_EQ(longSize, 7);

    // Names: the buffer must hold the name and its NUL; the size reports the length.
    DWORD nameSize = 3;
    EXPECT_EQ(RegEnumKeyEx(m_key, 0, buffer, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(nameSize, 3u);
    nameSize = 4;
    EXPECT_EQ(RegEnumKeyEx(m_key, 0, buffer, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "Sub");
    EXPECT_EQ(RegEnumKey(m_key, 0, buffer, 3), ERROR_MORE_DATA);

    nameSize = 4;
    size = 2;
    EXPECT_EQ(RegEnumValue(m_key, 0, buffer, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(buffer + 8), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    nameSize = 4;
    size = 0;
    EXPECT_EQ(RegEnumValue(m_key, 0, buffer, &nameSize, nullptr, &type, nullptr, &size), ERROR_MORE_DATA)
        << "the name 'Text' needs five bytes";
    EXPECT_EQ(nameSize, 4u);
}

TEST_F(RegistryTest, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
    HKEY created = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(m_key, "MixedCase\\Inner", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(created);
    ASSERT_EQ(RegCreateKeyEx(m_key, "MIXEDCASE\\inner", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    ASSERT_EQ(SetValue(created, "ValueName", REG_SZ, "first"), ERROR_SUCCESS);
    ASSERT_EQ(SetValue(created, "VALUENAME", REG_SZ, "second"), ERROR_SUCCESS);
    RegCloseKey(created);

    RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, "software\\TEST\\mixedcase\\INNER");
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.ValueNames(), std::vector<std::string>{"ValueName"});
    EXPECT_EQ(key.ReadString("valuename"), "second");
    EXPECT_EQ(RegistryKey::Open(HKEY_CURRENT_USER, "Software\\Test").SubKeyNames(),
              std::vector<std::string>{"MixedCase"});
    // Only ASCII letters fold: other characters must match exactly.
    ASSERT_TRUE(RegistryKey::Create(m_key, "Ärger").IsOpen());
    EXPECT_FALSE(RegistryKey::Open(m_key, "äRGER").IsOpen());
    EXPECT_TRUE(RegistryKey::Open(m_key, "ÄRGER").IsOpen());
}

TEST_F(RegistryTest, EnumerationFollowsCreationOrderAndShiftsAfterADelete) {
    for (const char* name : {"Charlie", "alpha", "Bravo"}) {
        ASSERT_TRUE(RegistryKey::Create(m_key, name).IsOpen());
        ASSERT_EQ(SetDword(m_key, name, 1), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegistryKey::Open(m_key, "").SubKeyNames(), (std::vector<std::string>{"Charlie", "alpha", "Bravo"}));
    EXPECT_EQ(RegistryKey::Open(m_key, "").ValueNames(), (std::vector<std::string>{"Charlie", "alpha", "Bravo"}));

    ASSERT_EQ(RegDeleteKey(m_key, "ALPHA"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValue(m_key, "charlie"), ERROR_SUCCESS);
    char name[32];
    ASSERT_EQ(RegEnumKey(m_key, 1, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Bravo");
    EXPECT_EQ(RegEnumKey(m_key, 2, name, sizeof name), ERROR_NO_MORE_ITEMS);
    DWORD nameSize = sizeof name;
    ASSERT_EQ(RegEnumValue(m_key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "alpha");
    EXPECT_EQ(nameSize, 5u);
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValue(m_key, 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    // A key created again goes to the end.
    ASSERT_TRUE(RegistryKey::Create(m_key, "Alpha").IsOpen());
    EXPECT_EQ(RegistryKey::Open(m_key, "").SubKeyNames(), (std::vector<std::string>{"Charlie", "Bravo", "Alpha"}));
}

TEST_F(RegistryTest, DeletingAKeyWithSubKeysIsRefusedAndDeletedKeysReportIt) {
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKey(m_key, "Parent\\Child", &child), ERROR_SUCCESS);
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKey(m_key, "Parent", &parent), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKey(m_key, "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(RegistryKey::Open(m_key, "Parent\\Child").IsOpen()) << "nothing was deleted";
    EXPECT_EQ(RegDeleteKey(m_key, "Parent\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(m_key, "Parent\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(child, "x", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(QueryValue(child, "x").result, ERROR_KEY_DELETED);
    char name[8];
    EXPECT_EQ(RegEnumKey(child, 0, name, sizeof name), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKey(m_key, "Parent"), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKey(parent, "Again", &child), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(parent), ERROR_INVALID_HANDLE);

    // The roots and the keys every hive keeps cannot be deleted.
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Classes"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_USERS, ".default"), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, ClassesRootIsAViewOfLocalMachineClasses) {
    ASSERT_EQ(RegSetValue(HKEY_CLASSES_ROOT, "Leafcraft.Thing\\CLSID", REG_SZ, "{0C2BC6A0-8B01-11D3-A7CA-00E02911C5ED}", 0),
              ERROR_SUCCESS);
    RegistryKey viaMachine = RegistryKey::Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\classes\\Leafcraft.Thing\\CLSID");
    EXPECT_EQ(viaMachine.ReadString(), "{0C2BC6A0-8B01-11D3-A7CA-00E02911C5ED}");
    ASSERT_TRUE(viaMachine.WriteString("Extra", "both ways"));
    EXPECT_EQ(RegistryKey::Open(HKEY_CLASSES_ROOT, "leafcraft.thing\\clsid").ReadString("Extra"), "both ways");
    std::string hive;
    std::ifstream in(m_roots.back()->Path() + "/HKEY_LOCAL_MACHINE.reg");
    hive.assign(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(hive.find("[HKEY_LOCAL_MACHINE\\Software\\Classes\\Leafcraft.Thing\\CLSID]"), std::string::npos) << hive;
    EXPECT_TRUE(RegistryKey::Open(HKEY_USERS, ".Default").IsOpen()) << "HKEY_USERS always has .Default";
}

TEST_F(RegistryTest, QueryInfoKeyCountsAndMeasures) {
    ASSERT_TRUE(RegistryKey::Create(m_key, "Short").IsOpen());
    ASSERT_TRUE(RegistryKey::Create(m_key, "TheLongestName").IsOpen());
    ASSERT_EQ(SetValue(m_key, "v", REG_BINARY, std::string(40, 'b')), ERROR_SUCCESS);
    ASSERT_EQ(SetValue(m_key, "LongerName", REG_SZ, "x"), ERROR_SUCCESS);
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValue = 0;
    ASSERT_EQ(RegQueryInfoKey(m_key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxValueName,
                              &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSubKey, 14u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxValueName, 10u);
    EXPECT_EQ(maxValue, 40u);
}

TEST_F(RegistryTest, BadArgumentsAreRefused) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKey(m_key, "Missing", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegCreateKey(m_key, "a\\\\b", &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKey(m_key, "\\a", &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKey(m_key, "line\nbreak", &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetValue(m_key, "line\nbreak", REG_SZ, "x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetValue(m_key, "Short", REG_DWORD, "ab"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(m_key, "NoData", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKey(reinterpret_cast<HKEY>(0x1234), "x", &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKey(m_key, "x", nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteValue(m_key, "Missing"), ERROR_FILE_NOT_FOUND);
    // A trailing separator is accepted.
    ASSERT_EQ(RegCreateKey(m_key, "Trailing\\", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegistryKey::Open(m_key, "").SubKeyNames(), std::vector<std::string>{"Trailing"});
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryTest, RegistryKeyReadsOnlyMatchingTypes) {
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, "Software\\Test\\Typed");
    ASSERT_TRUE(key.WriteDword("Number", 7));
    ASSERT_TRUE(key.WriteString("Text", "seven"));
    ASSERT_TRUE(key.WriteBinary("Bytes", {7, 0, 7}));
    EXPECT_EQ(key.ReadDword("Number"), 7u);
    EXPECT_EQ(key.ReadString("Number"), std::nullopt);
    EXPECT_EQ(key.ReadDword("Text"), std::nullopt);
    EXPECT_EQ(key.ReadBinary("Bytes"), (std::vector<BYTE>{7, 0, 7}));
    EXPECT_EQ(key.ReadString("Missing"), std::nullopt);
    std::string longName(300, 'n');
    ASSERT_TRUE(key.WriteString(longName, std::string(5000, 'v')));
    EXPECT_EQ(key.ReadString(longName), std::string(5000, 'v'));
    EXPECT_EQ(key.ValueNames().back(), longName);

    RegistryKey moved = std::move(key);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, "Software\\Nowhere").IsOpen());
}

// A key deeper than a hive file may hold is refused when it is created, so that nothing
// is stored that could not be read back.
TEST_F(RegistryTest, KeysDeeperThanAHiveHoldsAreNotCreated) {
    std::string path;
    for (size_t depth = 1; depth < leaf::registry::kMaxKeyDepth - 2; ++depth)
        path += "k\\";
    path += "last";  // Software\Test\... is now exactly as deep as allowed
    HKEY deepest = nullptr;
    ASSERT_EQ(RegCreateKey(m_key, path.c_str(), &deepest), ERROR_SUCCESS);
    HKEY tooDeep = nullptr;
    EXPECT_EQ(RegCreateKey(deepest, "one-more", &tooDeep), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(tooDeep, nullptr);
    EXPECT_EQ(RegSetValue(deepest, "one-more", REG_SZ, "x", 1), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(SetValue(deepest, "v", REG_SZ, "kept"), ERROR_SUCCESS);
    RegCloseKey(deepest);

    ReopenFromCopy();
    HKEY reopened = nullptr;
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, ("Software\\Test\\" + path).c_str(), &reopened), ERROR_SUCCESS);
    EXPECT_EQ(QueryValue(reopened, "v").data, std::string("kept\0", 5));
    RegCloseKey(reopened);
}

}  // namespace
}  // namespace leaf::test
