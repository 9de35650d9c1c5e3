// The Word stand-in through automation, as its clients drive it: registration, opening
// documents, bookmarks, built-in properties, closing and quitting, and SaveAs through the
// office suite.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "common/ContentType.h"
#include "outside/word/WordServer.h"
#include "platform/base/File.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/DispatchDriver.h"
#include "platform/registry/RegistryKey.h"
#include "tests/outside/word/DocxFixture.h"
#include "tests/outside/word/WordServerTestSupport.h"
#include "tests/support/FifoWatchdog.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using leaf::DispatchDriver;
using leaf::Variant;

namespace {

DispatchDriver CreateWord() {
    CLSID clsid{};
    leaf::ComPtr<IDispatch> word;
    if (SUCCEEDED(CLSIDFromProgID("Word.Application", &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, word.ReceiveVoid());
    return DispatchDriver(word);
}

DispatchDriver Child(const DispatchDriver& parent, DISPID member) {
    return DispatchDriver(parent.GetProperty(member).ToDispatch());
}

class WordServerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CreateWord()) << "nothing is registered in a fresh registry";
        ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
        word = CreateWord();
        ASSERT_TRUE(word);
        documents = Child(word, wordstub::dispid::ApplicationDocuments);
        fixture.paragraphs = {{"Intro text", {"Intro"}}, {"More", {"beta", "Alpha"}}, {"End", {"_GoBack"}}};
        fixture.title = "A Title";
        fixture.author = "Ann Author";
        fixture.created = "2024-03-01T00:00:00";
        ASSERT_TRUE(fixture.Write(folder / "book.docx"));
    }

    DispatchDriver Open(const std::string& path) {
        return DispatchDriver(documents.Invoke(wordstub::dispid::DocumentsOpen, DISPATCH_METHOD, path).ToDispatch());
    }

    leaf::test::ScopedRegistryRoot registry;  // fresh for each test: the server is registered in SetUp
    leaf::test::TempFolder folder;
    leaf::test::DocxFixture fixture;
    DispatchDriver word;
    DispatchDriver documents;
};

}  // namespace

TEST_F(WordServerTest, RegistersTheVersionThatClientsCheck) {
    leaf::RegistryKey curVer = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Word.Application\\CurVer");
    ASSERT_TRUE(curVer.IsOpen());
    EXPECT_EQ(curVer.ReadString().value_or(""), "Word.Application.12");
    EXPECT_EQ(word.GetProperty(wordstub::dispid::ApplicationVersion).ToUtf8(), "12.0");
}

TEST(WordServerRegistrationTest, WithoutTheOfficeSuiteNothingIsRegistered) {
    leaf::test::ScopedRegistryRoot registry;
    ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
    ASSERT_TRUE(CreateWord());
    // Registering again where the suite is gone removes the earlier registration.
    EXPECT_EQ(leaf::test::RegisterWordServer(""), S_FALSE);
    EXPECT_FALSE(CreateWord());
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Word.Application").IsOpen());
    EXPECT_EQ(leaf::test::RegisterWordServer("/no/such/soffice"), S_FALSE);
    EXPECT_FALSE(CreateWord());
}

TEST(WordServerRegistrationTest, WordFileTypesAreRegisteredWithTheServer) {
    leaf::test::ScopedRegistryRoot registry;
    ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
    // A file's media type and its type name come from what the registration wrote.
    EXPECT_EQ(GetContentType("/book/Chapter.DOC"), "application/msword");
    EXPECT_EQ(GetContentType("/book/chapter.docx"),
              "application/vnd.openxmlformats-officedocument.wordprocessingml.document");
    for (const char* extension : {".doc", ".docx"}) {
        std::string documentClass =
            leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, extension).ReadString("").value_or(std::string());
        ASSERT_FALSE(documentClass.empty()) << extension;
        EXPECT_EQ(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, documentClass).ReadString(""), "Word Document");
    }

    // Going away, the server takes its file types along, but not one another program
    // has taken over since.
    ASSERT_TRUE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, ".docx").WriteString("", "Other.Writer.Document"));
    EXPECT_EQ(leaf::test::RegisterWordServer(""), S_FALSE);
    EXPECT_EQ(GetContentType("/book/chapter.doc"), "");
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, ".doc").IsOpen());
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Word.Document.8").IsOpen());
    EXPECT_EQ(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, ".docx").ReadString(""), "Other.Writer.Document");
}

TEST_F(WordServerTest, OpensDocumentsAndListsBookmarksByName) {
    DispatchDriver document = Open(folder / "book.docx");
    ASSERT_TRUE(document);
    EXPECT_EQ(documents.GetProperty(wordstub::dispid::CollectionCount).ToLong(), 1);

    DispatchDriver bookmarks = Child(document, wordstub::dispid::DocumentBookmarks);
    ASSERT_EQ(bookmarks.GetProperty(wordstub::dispid::CollectionCount).ToLong(), 3) << "hidden ones are left out";
    std::vector<std::pair<std::string, LONG>> listed;
    for (LONG i = 1; i <= 3; ++i) {
        Variant index(i);
        Variant reference;
        reference.vt = VT_BYREF | VT_VARIANT;
        reference.pvarVal = &index;
        DispatchDriver bookmark(
            bookmarks.InvokeHelper(wordstub::dispid::CollectionItem, DISPATCH_METHOD, {reference}).ToDispatch());
        listed.emplace_back(bookmark.GetProperty(wordstub::dispid::BookmarkName).ToUtf8(),
                            bookmark.GetProperty(wordstub::dispid::BookmarkStart).ToLong());
    }
    // Numbered by name; each keeps the position where it starts.
    std::vector<std::pair<std::string, LONG>> expected = {{"Alpha", 11}, {"beta", 11}, {"Intro", 0}};
    EXPECT_EQ(listed, expected);

    leaf::DispatchResult outside = bookmarks.TryInvoke(wordstub::dispid::CollectionItem, DISPATCH_METHOD, {Variant(LONG{4})});
    EXPECT_EQ(outside.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(outside.exceptionCode, wordstub::kWordErrorBadIndex);
}

TEST_F(WordServerTest, BuiltInPropertiesHaveTheirTypes) {
    setenv("TZ", "UTC", 1);
    tzset();
    DispatchDriver document = Open(folder / "book.docx");
    DispatchDriver properties = Child(document, wordstub::dispid::DocumentBuiltInProperties);
    auto value = [&](const char* name) {
        DispatchDriver property(
            properties.Invoke(wordstub::dispid::CollectionItem, DISPATCH_PROPERTYGET, name).ToDispatch());
        return property.TryInvoke(wordstub::dispid::PropertyValue, DISPATCH_PROPERTYGET, {});
    };
    EXPECT_EQ(value("Title").value.ToUtf8(), "A Title");
    EXPECT_EQ(value("author").value.ToUtf8(), "Ann Author");
    EXPECT_EQ(value("Subject").value.ToUtf8(), "") << "a text property the document does not set is empty";
    leaf::DispatchResult created = value("Creation Date");
    ASSERT_EQ(created.value.vt, VT_DATE);
    EXPECT_DOUBLE_EQ(created.value.date, 45352.0);
    EXPECT_EQ(value("Last Print Date").hr, DISP_E_EXCEPTION) << "an unset date has no value";

    leaf::DispatchResult unknown =
        properties.TryInvoke(wordstub::dispid::CollectionItem, DISPATCH_PROPERTYGET, {Variant("Colour")});
    EXPECT_EQ(unknown.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(unknown.exceptionCode, E_INVALIDARG);
}

TEST_F(WordServerTest, MissingFilesFailAndCloseAndQuitEndTheSession) {
    leaf::DispatchResult missing =
        documents.TryInvoke(wordstub::dispid::DocumentsOpen, DISPATCH_METHOD, {Variant(folder / "none.doc")});
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(missing.exceptionCode, wordstub::kWordErrorFileNotFound);
    EXPECT_EQ(documents.GetProperty(wordstub::dispid::CollectionCount).ToLong(), 0);

    DispatchDriver first = Open(folder / "book.docx");
    DispatchDriver blank(documents.Invoke(wordstub::dispid::DocumentsAdd, DISPATCH_METHOD).ToDispatch());
    ASSERT_TRUE(blank);
    EXPECT_EQ(documents.GetProperty(wordstub::dispid::CollectionCount).ToLong(), 2);
    first.Invoke(wordstub::dispid::DocumentActivate, DISPATCH_METHOD);
    first.Invoke(wordstub::dispid::DocumentClose, DISPATCH_METHOD, LONG{0});
    EXPECT_EQ(documents.GetProperty(wordstub::dispid::CollectionCount).ToLong(), 1);
    EXPECT_EQ(first.TryInvoke(wordstub::dispid::DocumentBookmarks, DISPATCH_PROPERTYGET, {}).hr, DISP_E_EXCEPTION)
        << "a closed document answers nothing";
    documents.Invoke(wordstub::dispid::DocumentsClose, DISPATCH_METHOD, LONG{0});
    EXPECT_EQ(documents.GetProperty(wordstub::dispid::CollectionCount).ToLong(), 0);

    word.Invoke(wordstub::dispid::ApplicationQuit, DISPATCH_METHOD, LONG{0});
    EXPECT_EQ(documents.TryInvoke(wordstub::dispid::CollectionCount, DISPATCH_PROPERTYGET, {}).hr, DISP_E_EXCEPTION);
}

TEST_F(WordServerTest, AFifoIsNoDocumentAndIsNeverWaitedOn) {
    const std::string fifo = folder / "pipe.doc";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    leaf::test::FifoWatchdog watchdog(fifo);
    leaf::DispatchResult opened =
        documents.TryInvoke(wordstub::dispid::DocumentsOpen, DISPATCH_METHOD, {Variant(folder / "PIPE.doc")});
    EXPECT_EQ(opened.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(opened.exceptionCode, wordstub::kWordErrorCommandFailed);
    EXPECT_EQ(documents.GetProperty(wordstub::dispid::CollectionCount).ToLong(), 0);
    EXPECT_FALSE(watchdog.Fired()) << "the FIFO was opened";
}

TEST_F(WordServerTest, SaveAsFailsCleanlyWhenTheSuiteDoesNotConvert) {
    // "/bin/true" ends at once without writing anything.
    DispatchDriver document = Open(folder / "book.docx");
    leaf::DispatchResult saved = document.TryInvoke(wordstub::dispid::DocumentSaveAs, DISPATCH_METHOD,
                                                    {Variant(folder / "out.htm"), Variant(LONG{8})});
    EXPECT_EQ(saved.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(saved.exceptionCode, wordstub::kWordErrorCommandFailed);
    EXPECT_FALSE(fs::exists(folder / "out.htm"));
    leaf::DispatchResult format = document.TryInvoke(wordstub::dispid::DocumentSaveAs, DISPATCH_METHOD,
                                                     {Variant(folder / "out.xyz"), Variant(LONG{99})});
    EXPECT_EQ(format.exceptionCode, wordstub::kWordErrorCommandFailed);
}

namespace {

// True once the process has ended (a zombie that nobody reaps counts as ended).
bool HasEnded(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const std::size_t state = line.rfind(')');
    return state == std::string::npos || line.compare(state, 3, ") Z") == 0;
}

// Waits (at most a minute) until the condition holds; whether it did.
bool Eventually(const std::function<bool()>& condition) {
    for (int tries = 0; tries < 1200; ++tries) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

// The folders below `folder` whose names start with `prefix`.
std::vector<fs::path> FoldersNamed(const fs::path& folder, const std::string& prefix) {
    std::vector<fs::path> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_directory() && entry.path().filename().string().rfind(prefix, 0) == 0)
            found.push_back(entry.path());
    return found;
}

}  // namespace

// A build killed while the office suite converts for it takes the suite along (the suite
// runs its main process as a child of its own, as the stand-in here does), and what it and
// the suite left in the temporary folders goes with the next conversion.
TEST(WordServerKillTest, AKilledBuildTakesTheOfficeSuiteAlongAndLeavesNothingForGood) {
    leaf::test::ScopedRegistryRoot registry;
    leaf::test::ScopedTempRoot temp;  // where the office suite's profile folders go
    leaf::test::TempFolder folder;
    const std::string pids = folder / "office.pids";
    const std::string office = folder.WriteFile(
        "office", "#!/bin/sh\n"
                  ": > \"${TMPDIR:-$TMP}/office-scratch.tmp\"\n"
                  "sleep 600 &\n"
                  "echo \"$$ $!\" > '" + pids + ".new' && mv '" + pids + ".new' '" + pids + "'\n"
                  "wait\n");
    fs::permissions(office, fs::perms::owner_all);
    ASSERT_EQ(leaf::test::RegisterWordServer(office), S_OK);
    leaf::test::DocxFixture fixture;
    fixture.paragraphs = {{"Text", {}}};
    ASSERT_TRUE(fixture.Write(folder / "book.docx"));
    fs::create_directory(folder.Path() / "out");

    auto saveAsHtml = [&] {
        DispatchDriver word = CreateWord();
        DispatchDriver documents = Child(word, wordstub::dispid::ApplicationDocuments);
        DispatchDriver document(
            documents.Invoke(wordstub::dispid::DocumentsOpen, DISPATCH_METHOD, folder / "book.docx").ToDispatch());
        return document.TryInvoke(wordstub::dispid::DocumentSaveAs, DISPATCH_METHOD,
                                  {Variant(folder / "out/page.htm"), Variant(LONG{8})});
    };
    const pid_t build = fork();
    ASSERT_GE(build, 0);
    if (build == 0) {
        saveAsHtml();
        _exit(0);
    }
    const bool started = Eventually([&] { return fs::exists(pids); });
    ::kill(build, SIGKILL);
    ::waitpid(build, nullptr, 0);
    ASSERT_TRUE(started) << "the office program did not start";
    pid_t program = 0, child = 0;
    std::ifstream(pids) >> program >> child;
    ASSERT_GT(program, 0);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(Eventually([&] { return HasEnded(program) && HasEnded(child); }))
        << "the office program outlived the build";
    ::kill(program, SIGKILL);
    ::kill(child, SIGKILL);

    // The killed build's profile folder and page scratch folder are marked as its own, and
    // the next conversion ("/bin/true" converts nothing) removes them.
    ASSERT_EQ(FoldersNamed(temp.Path(), "wordstub.").size(), 1u);
    ASSERT_EQ(FoldersNamed(folder.Path() / "out", ".wordstub.").size(), 1u);
    ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
    EXPECT_EQ(saveAsHtml().hr, DISP_E_EXCEPTION);
    for (const fs::directory_entry& entry : fs::directory_iterator(temp.Path()))
        EXPECT_EQ(entry.path(), folder.Path()) << "left in the temporary folder";
    EXPECT_EQ(FoldersNamed(folder.Path() / "out", ".wordstub."), std::vector<fs::path>{});
}

TEST(WordServerOfficeTest, SaveAsHtmlWritesThePageAndItsPictureFolder) {
    leaf::test::ScopedRegistryRoot registry;
    std::string office = leaf::test::InstalledOfficeProgram();
    if (office.empty())
        GTEST_SKIP() << "the office suite is not installed";
    ASSERT_EQ(leaf::test::RegisterWordServer(office), S_OK);
    leaf::test::TempFolder folder;
    leaf::test::DocxFixture fixture;
    fixture.paragraphs = {{"Picture page", {"Top"}}};
    fixture.withPicture = true;
    ASSERT_TRUE(fixture.Write(folder / "pictures.doc"));  // a package under the older extension

    DispatchDriver word = CreateWord();
    DispatchDriver documents = Child(word, wordstub::dispid::ApplicationDocuments);
    DispatchDriver document(
        documents.Invoke(wordstub::dispid::DocumentsOpen, DISPATCH_METHOD, folder / "pictures.doc").ToDispatch());
    std::string target = folder / "$doc0001.htm";
    document.Invoke(wordstub::dispid::DocumentSaveAs, DISPATCH_METHOD, target, LONG{8});

    std::string html;
    ASSERT_TRUE(leaf::ReadFileBytes(target, html));
    EXPECT_NE(html.find("Picture"), std::string::npos);
    ASSERT_TRUE(fs::is_directory(folder / "$doc0001_files"));
    int pictures = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "$doc0001_files")) {
        ++pictures;
        EXPECT_NE(html.find("$doc0001_files/" + entry.path().filename().string()), std::string::npos)
            << "the page links to its picture in the companion folder";
    }
    EXPECT_GE(pictures, 1);
    EXPECT_TRUE(fs::exists(folder / "pictures.doc")) << "the source is left as it was";
    word.Invoke(wordstub::dispid::ApplicationQuit, DISPATCH_METHOD);
}

TEST(WordServerOfficeTest, SaveAsHtmlLinksFromWhereThePageIsWritten) {
    leaf::test::ScopedRegistryRoot registry;
    std::string office = leaf::test::InstalledOfficeProgram();
    if (office.empty())
        GTEST_SKIP() << "the office suite is not installed";
    ASSERT_EQ(leaf::test::RegisterWordServer(office), S_OK);
    // The page goes three folders deep, far from the document and from the temporary folder.
    leaf::test::TempFolder folder;
    leaf::test::DocxFixture fixture;
    fixture.paragraphs = {{"Linking page", {}}};
    fixture.hyperlinks = {"other.htm"};
    fixture.linkedPicture = "pics/red.png";
    fs::create_directories(folder.Path() / "docs");
    ASSERT_TRUE(fixture.Write(folder / "docs/links.docx"));
    std::string other = folder.WriteFile("docs/other.htm", "<p>other</p>");
    std::string picture = folder.WriteFile("docs/pics/red.png", leaf::test::OnePixelPng());
    fs::create_directories(folder.Path() / "a/b/c");

    DispatchDriver word = CreateWord();
    DispatchDriver documents = Child(word, wordstub::dispid::ApplicationDocuments);
    DispatchDriver document(
        documents.Invoke(wordstub::dispid::DocumentsOpen, DISPATCH_METHOD, folder / "docs/links.docx").ToDispatch());
    std::string target = folder / "a/b/c/page.htm";
    document.Invoke(wordstub::dispid::DocumentSaveAs, DISPATCH_METHOD, target, LONG{8});
    word.Invoke(wordstub::dispid::ApplicationQuit, DISPATCH_METHOD);

    std::string html;
    ASSERT_TRUE(leaf::ReadFileBytes(target, html));
    std::vector<fs::path> named;
    for (const char* attribute : {"href=\"", "src=\""}) {
        for (std::size_t at = html.find(attribute); at != std::string::npos; at = html.find(attribute, at + 1)) {
            std::size_t start = at + std::string(attribute).size();
            std::string link = html.substr(start, html.find('"', start) - start);
            if (link.find(':') == std::string::npos)
                named.push_back(fs::weakly_canonical(folder.Path() / "a/b/c" / link));
        }
    }
    EXPECT_TRUE(std::find(named.begin(), named.end(), fs::canonical(other)) != named.end()) << html;
    EXPECT_TRUE(std::find(named.begin(), named.end(), fs::canonical(picture)) != named.end()) << html;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.Path() / "a/b/c"))
        EXPECT_EQ(entry.path().filename().string().rfind(".wordstub", 0), std::string::npos)
            << "the conversion's own folder is gone";
}
