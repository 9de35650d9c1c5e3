#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "tests/support/TempFolder.h"

// Two serializable classes of the test's own; the names are what the stream carries.
class CArchiveTestItem : public CObject {
public:
    DECLARE_SERIAL(CArchiveTestItem)
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring()) {
            archive << m_value;
        } else {
            m_schema = archive.GetObjectSchema();
            archive >> m_value;
        }
    }
    CString m_value;
    UINT m_schema = 0;
};
IMPLEMENT_SERIAL(CArchiveTestItem, 3)

class CArchiveTestPair : public CObject {
public:
    DECLARE_SERIAL(CArchiveTestPair)
    void Serialize(CArchive& archive) override
    {
        if (archive.IsStoring()) {
            archive << m_first.get() << m_second.get();
        } else {
            CArchiveTestItem* first = nullptr;
            CArchiveTestItem* second = nullptr;
            archive >> first;
            m_first.reset(first);
            archive >> second;
            m_second.reset(second);
        }
    }
    std::unique_ptr<CArchiveTestItem> m_first;
    std::unique_ptr<CArchiveTestItem> m_second;
};
IMPLEMENT_SERIAL(CArchiveTestPair, 1)

namespace {

using Bytes = std::vector<unsigned char>;

class ArchiveTest : public testing::Test {
protected:
    // Writes through an archive and returns the file's bytes.
    template <class Fn>
    Bytes Store(Fn write)
    {
        const std::string path = folder / "stored.bin";
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store);
        write(archive);
        archive.Close();
        file.Close();
        std::string contents;
        EXPECT_TRUE(leaf::ReadFileBytes(path, contents));
        return Bytes(contents.begin(), contents.end());
    }

    // An archive that loads the given bytes.
    struct Loader {
        std::unique_ptr<CFile> file;
        std::unique_ptr<CArchive> archive;
    };
    Loader Load(const Bytes& bytes)
    {
        const std::string path = folder.WriteFile("load.bin", std::string(bytes.begin(), bytes.end()));
        Loader loader;
        loader.file = std::make_unique<CFile>(path.c_str(), CFile::modeRead);
        loader.archive = std::make_unique<CArchive>(loader.file.get(), CArchive::load);
        return loader;
    }

    static int CauseOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const CArchiveException& error) {
            return error.m_cause;
        }
        return CArchiveException::none;
    }

    leaf::test::TempFolder folder;
};

TEST_F(ArchiveTest, IntegersAreLittleEndian)
{
    Bytes bytes = Store([](CArchive& ar) {
        ar << static_cast<BYTE>(0x12) << static_cast<WORD>(0x3456) << static_cast<DWORD>(0x789ABCDE)
           << static_cast<LONG>(-2);
    });
    EXPECT_EQ(bytes, (Bytes{0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78, 0xFE, 0xFF, 0xFF, 0xFF}));

    Loader loader = Load(bytes);
    BYTE b = 0;
    WORD w = 0;
    DWORD d = 0;
    LONG l = 0;
    *loader.archive >> b >> w >> d >> l;
    EXPECT_EQ(b, 0x12);
    EXPECT_EQ(w, 0x3456);
    EXPECT_EQ(d, 0x789ABCDEu);
    EXPECT_EQ(l, -2);
}

TEST_F(ArchiveTest, StringLengthPrefixesAtEveryBoundary)
{
    struct Case {
        size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        CString text(std::string(c.length, 'x'));
        Bytes bytes = Store([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(c.prefix.size())), c.prefix);
        Loader loader = Load(bytes);
        CString back;
        *loader.archive >> back;
        EXPECT_EQ(back, text);
    }
}

TEST_F(ArchiveTest, Utf16StringsAreReadAsUtf8)
{
    // 0xFF, WORD 0xFFFE, then a length of 2 units and "é€" in UTF-16LE.
    Loader loader = Load({0xFF, 0xFE, 0xFF, 0x02, 0xE9, 0x00, 0xAC, 0x20, 0x03, 'a', 'b', 'c'});
    CString wide;
    CString narrow;
    *loader.archive >> wide >> narrow;
    EXPECT_EQ(wide, "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(narrow, "abc");
}

TEST_F(ArchiveTest, CountsUseAWordUntilFFFF)
{
    Bytes bytes = Store([](CArchive& ar) {
        ar.WriteCount(0xFFFE);
        ar.WriteCount(0xFFFF);
    });
    EXPECT_EQ(bytes, (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    Loader loader = Load(bytes);
    EXPECT_EQ(loader.archive->ReadCount(), 0xFFFEu);
    EXPECT_EQ(loader.archive->ReadCount(), 0xFFFFu);
}

TEST_F(ArchiveTest, ObjectReferencesShareOneIndexCounter)
{
    CArchiveTestItem a1, a2;
    a1.m_value = "one";
    a2.m_value = "two";
    CArchiveTestPair pair;
    Bytes bytes = Store([&](CArchive& ar) {
        ar << static_cast<const CObject*>(nullptr);
        ar << &a1;     // new class (index 1), object 2
        ar << &pair;   // new class (3), object 4, holding two nulls
        ar << &a2;     // known class 1: 0x8001, object 5
    });
    Bytes expected = {0x00, 0x00,                                                    // null
                      0xFF, 0xFF, 0x03, 0x00, 0x10, 0x00};                          // class record
    for (char ch : std::string("CArchiveTestItem")) expected.push_back(static_cast<unsigned char>(ch));
    expected.insert(expected.end(), {0x03, 'o', 'n', 'e'});
    expected.insert(expected.end(), {0xFF, 0xFF, 0x01, 0x00, 0x10, 0x00});
    for (char ch : std::string("CArchiveTestPair")) expected.push_back(static_cast<unsigned char>(ch));
    expected.insert(expected.end(), {0x00, 0x00, 0x00, 0x00});
    expected.insert(expected.end(), {0x01, 0x80, 0x03, 't', 'w', 'o'});
    EXPECT_EQ(bytes, expected);

    Loader loader = Load(bytes);
    CArchiveTestItem* null = nullptr;
    CArchiveTestItem* first = nullptr;
    CArchiveTestPair* loadedPair = nullptr;
    CArchiveTestItem* second = nullptr;
    *loader.archive >> null >> first >> loadedPair >> second;
    std::unique_ptr<CArchiveTestItem> ownFirst(first), ownSecond(second);
    std::unique_ptr<CArchiveTestPair> ownPair(loadedPair);
    EXPECT_EQ(null, nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(loadedPair, nullptr);
    EXPECT_EQ(first->m_value, "one");
    EXPECT_EQ(second->m_value, "two");
    EXPECT_EQ(first->m_schema, 3u);
    EXPECT_EQ(loadedPair->m_first, nullptr);
}

TEST_F(ArchiveTest, OlderSchemaIsHandedToTheObjectAndNewerFails)
{
    Bytes older = {0xFF, 0xFF, 0x02, 0x00, 0x10, 0x00};
    for (char ch : std::string("CArchiveTestItem")) older.push_back(static_cast<unsigned char>(ch));
    older.insert(older.end(), {0x01, 'x'});
    {
        Loader loader = Load(older);
        CArchiveTestItem* item = nullptr;
        *loader.archive >> item;
        std::unique_ptr<CArchiveTestItem> own(item);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->m_schema, 2u);
        EXPECT_EQ(item->m_value, "x");
    }
    Bytes newer = older;
    newer[2] = 0x04;
    Loader loader = Load(newer);
    EXPECT_EQ(CauseOf([&] {
                  CArchiveTestItem* item = nullptr;
                  *loader.archive >> item;
                  delete item;
              }),
              CArchiveException::badSchema);
}

TEST_F(ArchiveTest, DamagedStreamsFailWithTheirCause)
{
    Bytes unknownClass = {0xFF, 0xFF, 0x01, 0x00, 0x03, 0x00, 'C', 'X', 'Y'};
    Bytes unknownIndex = {0x05, 0x80};
    Bytes repeatedObject = {0xFF, 0xFF, 0x03, 0x00, 0x10, 0x00};
    for (char ch : std::string("CArchiveTestItem")) repeatedObject.push_back(static_cast<unsigned char>(ch));
    repeatedObject.insert(repeatedObject.end(), {0x00, 0x02, 0x00});   // object 2 referenced again
    Bytes cutShort = {0xFF, 0xFF, 0x03};
    struct Case {
        const char* name;
        Bytes bytes;
        int cause;
    };
    const Case cases[] = {
        {"unknown class", unknownClass, CArchiveException::badClass},
        {"unknown class index", unknownIndex, CArchiveException::badIndex},
        {"repeated object", repeatedObject, CArchiveException::badIndex},
        {"cut short", cutShort, CArchiveException::endOfFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loader loader = Load(c.bytes);
        EXPECT_EQ(CauseOf([&] {
                      CArchiveTestItem* item = nullptr;
                      *loader.archive >> item;
                      delete item;
                      *loader.archive >> item;
                      delete item;
                  }),
                  c.cause);
    }
}

TEST_F(ArchiveTest, WrongClassWhereAnotherIsExpectedFails)
{
    CArchiveTestPair pair;
    Bytes bytes = Store([&](CArchive& ar) { ar << &pair; });
    Loader loader = Load(bytes);
    EXPECT_EQ(CauseOf([&] {
                  CArchiveTestItem* item = nullptr;
                  *loader.archive >> item;
                  delete item;
              }),
              CArchiveException::badClass);
}

TEST_F(ArchiveTest, BogusLengthsRunIntoTheEndOfTheFile)
{
    // A string claiming 4 GB and a count claiming 4 G entries, in a tiny file.
    Loader strings = Load({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'});
    EXPECT_EQ(CauseOf([&] { strings.archive->ReadString(); }), CArchiveException::endOfFile);
    Loader wide = Load({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(CauseOf([&] { wide.archive->ReadString(); }), CArchiveException::endOfFile);
}

TEST_F(ArchiveTest, LargeWritesPassThroughTheBuffer)
{
    CString big(std::string(10000, 'q'));
    Bytes bytes = Store([&](CArchive& ar) {
        for (int i = 0; i < 5; ++i) ar << big << static_cast<DWORD>(i);
    });
    Loader loader = Load(bytes);
    for (DWORD i = 0; i < 5; ++i) {
        CString text;
        DWORD number = 99;
        *loader.archive >> text >> number;
        EXPECT_EQ(text, big);
        EXPECT_EQ(number, i);
    }
    EXPECT_EQ(CauseOf([&] {
                  BYTE extra;
                  *loader.archive >> extra;
              }),
              CArchiveException::endOfFile);
}

TEST_F(ArchiveTest, DirectionIsEnforced)
{
    Loader loader = Load({0x01});
    EXPECT_EQ(CauseOf([&] { *loader.archive << static_cast<BYTE>(1); }), CArchiveException::readOnly);
    EXPECT_TRUE(loader.archive->IsLoading());
    EXPECT_FALSE(loader.archive->IsStoring());
}

}  // namespace
