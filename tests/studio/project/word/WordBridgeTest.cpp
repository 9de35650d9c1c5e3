// The Word bridge against the Word stand-in: bookmark lists in document order, document
// properties, start-up with the add-in's load behaviour, and what happens without Word.

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/WordAddin.h"
#include "common/WordBridge.h"
#include "platform/registry/RegistryKey.h"
#include "studio/project/WordBookmarkReader.h"
#include "studio/project/WordPropertyReader.h"
#include "tests/outside/word/DocxFixture.h"
#include "tests/outside/word/WordServerTestSupport.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr const char* kAddinsKey = "Software\\Microsoft\\Office\\Word\\Addins\\";

class WordBridgeTest : public testing::Test {
protected:
    void SetUp() override {
        ResetWordAddinName();
        ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
    }

    std::string WriteDocument(const std::string& name, std::vector<leaf::test::DocxParagraph> paragraphs,
                              const std::string& title = std::string()) {
        leaf::test::DocxFixture fixture;
        fixture.paragraphs = std::move(paragraphs);
        fixture.title = title;
        std::string path = folder / name;
        EXPECT_TRUE(fixture.Write(path));
        return path;
    }

    // The add-in keys and Word's registration of one test are not the next one's.
    leaf::test::ScopedRegistryRoot registry;
    leaf::test::TempFolder folder;
};

std::vector<std::string> Names(const std::vector<CString>& names) {
    std::vector<std::string> result;
    for (const CString& name : names)
        result.push_back(name.str());
    return result;
}

}  // namespace

TEST_F(WordBridgeTest, BookmarksComeInDocumentOrderAndByNameAtOnePosition) {
    std::string path = WriteDocument("book.doc", {{"Opening", {"Zulu"}},
                                                  {"Second", {"mike", "Alpha", "_Hidden"}},
                                                  {"Third", {"Bravo"}}});
    CWordBookmarkReader reader;
    std::vector<CString> names;
    ASSERT_EQ(reader.GetBookmarks(path.c_str(), &names), S_OK);
    EXPECT_EQ(Names(names), (std::vector<std::string>{"Zulu", "Alpha", "mike", "Bravo"}));
    EXPECT_TRUE(reader.IsWordRunning());

    // Word stays running for the next document; one without bookmarks gives none.
    std::string empty = WriteDocument("empty.doc", {{"Nothing marked", {}}});
    names.push_back("stale");
    EXPECT_EQ(reader.GetBookmarks(empty.c_str(), &names), S_OK);
    EXPECT_TRUE(names.empty());

    EXPECT_EQ(reader.Close(), S_OK);
    EXPECT_FALSE(reader.IsWordRunning());
    EXPECT_EQ(reader.Close(), 0);
}

TEST_F(WordBridgeTest, MissingFilesAndArgumentsFailWithoutStartingWord) {
    CWordBookmarkReader bookmarks;
    std::vector<CString> names{"left over"};
    EXPECT_EQ(bookmarks.GetBookmarks((folder / "missing.doc").c_str(), &names), E_INVALIDARG);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(bookmarks.GetBookmarks(nullptr, &names), E_POINTER);
    EXPECT_EQ(bookmarks.GetBookmarks("x", nullptr), E_POINTER);
    EXPECT_FALSE(bookmarks.IsWordRunning());

    CWordPropertyReader properties;
    CString text("left over");
    EXPECT_EQ(properties.GetProperty((folder / "missing.doc").c_str(), "Title", &text), E_INVALIDARG);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(properties.GetProperty("x", nullptr, &text), E_POINTER);
    EXPECT_FALSE(properties.IsWordRunning());
}

TEST_F(WordBridgeTest, WithoutWordEveryCallFailsAndTheNextTriesAgain) {
    ASSERT_EQ(leaf::test::RegisterWordServer(""), S_FALSE);  // unregisters the stand-in
    std::string path = WriteDocument("book.doc", {{"Text", {"Mark"}}});
    CWordBookmarkReader reader;
    std::vector<CString> names;
    HRESULT hr = reader.GetBookmarks(path.c_str(), &names);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_FALSE(reader.IsWordRunning());

    ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
    EXPECT_EQ(reader.GetBookmarks(path.c_str(), &names), S_OK);
    EXPECT_EQ(Names(names), std::vector<std::string>{"Mark"});
}

TEST_F(WordBridgeTest, PropertiesReadAsText) {
    std::string path = WriteDocument("titled.doc", {{"Body", {}}}, "The Book's Title");
    CWordPropertyReader reader;
    CString text;
    ASSERT_EQ(reader.GetProperty(path.c_str(), "Title", &text), S_OK);
    EXPECT_EQ(text.str(), "The Book's Title");
    ASSERT_EQ(reader.GetProperty(path.c_str(), "Number of Pages", &text), S_OK);
    EXPECT_EQ(text.str(), "0");
    // An unknown name gives the failure of the call that asked for it.
    EXPECT_EQ(reader.GetProperty(path.c_str(), "No Such Property", &text), DISP_E_EXCEPTION);
    EXPECT_TRUE(text.IsEmpty());
    // The failed reading left no document open: the next one still works.
    ASSERT_EQ(reader.GetProperty(path.c_str(), "Title", &text), S_OK);
    EXPECT_EQ(text.str(), "The Book's Title");
}

TEST_F(WordBridgeTest, StartingWordLeavesTheAddinsLoadBehaviourAsItWas) {
    leaf::RegistryKey addin =
        leaf::RegistryKey::Create(HKEY_CURRENT_USER, std::string(kAddinsKey) + "WordRMRComAddin.RMRComAddin.1");
    ASSERT_TRUE(addin.WriteDword("LoadBehavior", 3));
    COleDispatchDriver word;
    ASSERT_EQ(StartWord(&word), S_OK);
    EXPECT_TRUE(word.GetDispatch() != nullptr);
    EXPECT_STREQ(GetWordAddinName(), "WordRMRComAddin.RMRComAddin.1");
    DWORD value = 0;
    ASSERT_TRUE(GetWordAddinLoadBehavior(GetWordAddinName(), &value));
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(StartWord(&word), E_INVALIDARG) << "a driver that holds Word already";
    auto owned = std::make_unique<COleDispatchDriver>(word.GetDispatch());
    word.ReleaseDispatch();
    EXPECT_EQ(QuitWord(owned), S_OK);
    EXPECT_FALSE(owned);
}

TEST(WordBridgeStartTest, TheAddinDoesNotLoadWhileWordStartsAndAFailedStartRestoresIt) {
    leaf::test::ScopedRegistryRoot registry;
    ResetWordAddinName();
    // A module that records the add-in's value at the moment Word is created.
    const std::string clsid = "{0F0E0D0C-0B0A-0908-0706-050403020100}";
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Word.Application\\CLSID").WriteString("", clsid);
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32")
        .WriteString("", leaf::test::BinDir() + "/wordprobe.so");
    leaf::RegistryKey addin =
        leaf::RegistryKey::Create(HKEY_CURRENT_USER, std::string(kAddinsKey) + "WordRMRComAddin.RMRComAddin.1");
    ASSERT_TRUE(addin.WriteDword("LoadBehavior", 3));

    COleDispatchDriver word;
    EXPECT_EQ(StartWord(&word), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(word.GetDispatch(), nullptr);
    leaf::RegistryKey probe = leaf::RegistryKey::Open(HKEY_CURRENT_USER, "Software\\WordProbe");
    EXPECT_EQ(probe.ReadDword("SeenLoadBehavior").value_or(0), 2u) << "load-at-start-up is off while Word starts";
    DWORD value = 0;
    ASSERT_TRUE(GetWordAddinLoadBehavior(GetWordAddinName(), &value));
    EXPECT_EQ(value, 3u) << "and the user's value is back afterwards";
}

TEST_F(WordBridgeTest, WithoutTheVersionedAddinKeyTheShortNameIsUsedForGood) {
    COleDispatchDriver word;
    ASSERT_EQ(StartWord(&word), S_OK);
    EXPECT_STREQ(GetWordAddinName(), "WordRMRComAddin.RMRComAddin");
    EXPECT_FALSE(OpenWordAddinKey(GetWordAddinName()).IsOpen()) << "nothing is written without an add-in key";

    leaf::RegistryKey shortKey =
        leaf::RegistryKey::Create(HKEY_CURRENT_USER, std::string(kAddinsKey) + "WordRMRComAddin.RMRComAddin");
    ASSERT_TRUE(shortKey.WriteDword("LoadBehavior", 9));
    COleDispatchDriver second;
    ASSERT_EQ(StartWord(&second), S_OK);
    DWORD value = 0;
    ASSERT_TRUE(GetWordAddinLoadBehavior("WordRMRComAddin.RMRComAddin", &value));
    EXPECT_EQ(value, 9u);
}

TEST_F(WordBridgeTest, DocumentFunctionsCheckTheirDrivers) {
    COleDispatchDriver empty;
    COleDispatchDriver document;
    EXPECT_EQ(OpenWordDocument(nullptr, &document, "x", FALSE), E_INVALIDARG);
    EXPECT_EQ(OpenWordDocument(&empty, &document, "x", FALSE), E_INVALIDARG);
    EXPECT_EQ(CloseWordDocument(&empty, &document), E_INVALIDARG);
    std::unique_ptr<COleDispatchDriver> none;
    EXPECT_EQ(QuitWord(none), S_FALSE);

    COleDispatchDriver word;
    ASSERT_EQ(StartWord(&word), S_OK);
    EXPECT_EQ(OpenWordDocument(&word, &document, nullptr, FALSE), E_INVALIDARG);
    // Word's own failure comes back as its error code.
    EXPECT_EQ(OpenWordDocument(&word, &document, (folder / "missing.doc").c_str(), FALSE),
              static_cast<HRESULT>(0x800A1436));
    EXPECT_EQ(document.GetDispatch(), nullptr);
    std::string path = WriteDocument("open.doc", {{"Text", {}}});
    ASSERT_EQ(OpenWordDocument(&word, &document, path.c_str(), FALSE), S_OK);
    EXPECT_EQ(OpenWordDocument(&word, &document, path.c_str(), FALSE), E_INVALIDARG) << "already attached";
    EXPECT_EQ(CloseWordDocument(&word, &document), S_OK);
}

namespace {

LONG OpenDocumentCount(const COleDispatchDriver& word) {
    COleDispatchDriver documents(word.GetProperty(wordid::kApplicationDocuments).ToDispatch());
    return documents.GetProperty(wordid::kCollectionCount).ToLong();
}

}  // namespace

TEST_F(WordBridgeTest, AFailedOpenClosesWhatWasOpenAndQuitEndsWord) {
    COleDispatchDriver word;
    ASSERT_EQ(StartWord(&word), S_OK);
    std::string path = WriteDocument("open.doc", {{"Text", {}}});
    COleDispatchDriver first;
    ASSERT_EQ(OpenWordDocument(&word, &first, path.c_str(), FALSE), S_OK);
    EXPECT_EQ(OpenDocumentCount(word), 1);
    COleDispatchDriver second;
    EXPECT_TRUE(FAILED(OpenWordDocument(&word, &second, (folder / "missing.doc").c_str(), FALSE)));
    EXPECT_EQ(OpenDocumentCount(word), 0) << "every document is closed after a failed open";

    // Quitting ends the application itself, not only this driver's hold on it.
    COleDispatchDriver watcher(word.GetDispatch());
    auto owned = std::make_unique<COleDispatchDriver>(word.GetDispatch());
    word.ReleaseDispatch();
    EXPECT_EQ(QuitWord(owned), S_OK);
    EXPECT_FALSE(owned);
    leaf::DispatchResult after = watcher.TryInvoke(wordid::kApplicationDocuments, DISPATCH_PROPERTYGET, {});
    EXPECT_TRUE(FAILED(after.hr)) << "Word has quit";
}
