// The Word filter as the build control drives it: the HTML filter, the Word filter and
// the Word stand-in registered in the test's own registry, the filter created by its
// CLSID, with a host that records what it is told.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <filesystem>

#include "common/InputFilter.h"
#include "filters/word/WordFilter.h"
#include "filters/word/WordFilterIds.h"
#include "platform/base/File.h"
#include "platform/base/ScratchFolder.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "tests/filters/html/RecordingHost.h"
#include "tests/outside/word/DocxFixture.h"
#include "tests/outside/word/WordServerTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FifoWatchdog.h"
#include "tests/support/KilledChild.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using htmltest::RecordingHost;

namespace {

std::u16string U(const std::string& text) { return leaf::Utf8ToUtf16(text); }

// The filter's own files in its temporary folder: everything but its owner's mark.
std::vector<std::string> PagesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != ".leafcraft-owner")
            names.push_back(entry.path().filename().string());
    return names;
}

void SetWordVersion(const char* progId) {
    leaf::RegistryKey curVer = leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Word.Application\\CurVer");
    ASSERT_TRUE(curVer.WriteString("", progId));
}

class WordFilterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(leaf::test::RegisterModule("markupintake.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("wordintake.so"));
        ASSERT_EQ(leaf::test::RegisterWordServer(OfficeProgram()), S_OK);
    }

    virtual std::string OfficeProgram() { return "/bin/true"; }

    // Folder numbers and page numbers count on through the process, test after test: the
    // tests find the filter's folder and pages rather than expect numbers.
    fs::path FolderNumbered(int number) const {
        char name[32];
        std::snprintf(name, sizeof name, "wordintake.%.3d", number);
        return temp.Path() / name;
    }
    // The filter's temporary folder: the one below the test's that this process marked.
    fs::path FilterFolder() const {
        for (const fs::directory_entry& entry : fs::directory_iterator(temp.Path()))
            if (entry.path().filename().string().rfind("wordintake.", 0) == 0 &&
                leaf::ScratchFolderMarkOwner(entry.path().string()) == getpid())
                return entry.path();
        return fs::path();
    }
    static int NumberOf(const fs::path& folder) { return std::stoi(folder.filename().string().substr(11)); }
    // The number the next filter tries first: a filter made and let go again took it.
    int NextFolderNumber() {
        leaf::ComPtr<IInputFilter> probe = CreateFilter();
        EXPECT_EQ(probe->Initialize(), S_OK);
        return NumberOf(FilterFolder());
    }
    // The pages the filter made, in the order it made them.
    std::vector<fs::path> Pages() const {
        std::vector<fs::path> pages;
        for (const fs::directory_entry& entry : fs::directory_iterator(FilterFolder()))
            if (entry.path().extension() == ".htm")
                pages.push_back(entry.path());
        std::sort(pages.begin(), pages.end());
        return pages;
    }

    leaf::ComPtr<IInputFilter> CreateFilter() {
        leaf::ComPtr<IInputFilter> filter;
        EXPECT_EQ(CoCreateInstance(CLSID_WordFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                                   filter.ReceiveVoid()),
                  S_OK);
        return filter;
    }

    std::string WriteDocument(const std::string& name, bool withPicture = false) {
        leaf::test::DocxFixture fixture;
        fixture.paragraphs = {{"Chapter " + name, {"Start"}}};
        fixture.withPicture = withPicture;
        std::string path = books / name;
        EXPECT_TRUE(fixture.Write(path));
        return path;
    }

    // Modules registered and Word's version set in a registry of this test's own.
    leaf::test::ScopedRegistryRoot registry;
    leaf::test::TempFolder temp;
    // The filter's temporary folder goes below a folder of the test's own (named with a
    // trailing '/', which the filter drops).
    leaf::test::ScopedVariable tmp{"TMP", temp.Path().string() + "/"};
    leaf::test::TempFolder books;
    RecordingHost host;
};

}  // namespace

TEST(WordFilterInstalledTest, WordNineOrLaterIsRequired) {
    leaf::test::ScopedRegistryRoot registry;
    struct Case {
        const char* curVer;
        BOOL installed;
    };
    for (Case test : {Case{"Word.Application.8", FALSE}, Case{"Word.Application.9", TRUE},
                      Case{"Word.Application.10", TRUE}, Case{"Word.Application", FALSE}, Case{"", FALSE}}) {
        SetWordVersion(test.curVer);
        EXPECT_EQ(CWordFilter::IsWordInstalled(), test.installed) << test.curVer;
    }
    leaf::RegistryKey classes = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Word.Application");
    ASSERT_EQ(RegDeleteKey(classes.Handle(), "CurVer"), ERROR_SUCCESS);
    EXPECT_FALSE(CWordFilter::IsWordInstalled()) << "no CurVer key";
}

TEST(WordFilterFoldersTest, FolderPathsAreCreatedWholeAndDeletedWhole) {
    leaf::test::TempFolder folder;
    std::string deep = folder / "a/b/c";
    EXPECT_FALSE(CWordFilter::FolderExists(deep.c_str()));
    EXPECT_TRUE(CWordFilter::CreateFolderPath(deep.c_str()));
    EXPECT_TRUE(CWordFilter::FolderExists(deep.c_str()));
    EXPECT_TRUE(CWordFilter::CreateFolderPath(deep.c_str())) << "an existing folder is fine";
    std::string file = folder.WriteFile("a/file.txt", "x");
    EXPECT_FALSE(CWordFilter::FolderExists(file.c_str()));
    EXPECT_FALSE(CWordFilter::FolderExists(nullptr));
    CWordFilter::DeleteFolderTree((folder / "a").c_str());
    EXPECT_FALSE(fs::exists(folder / "a"));
}

TEST_F(WordFilterTest, WithoutWordNineTheFilterDoesNotInitialise) {
    SetWordVersion("Word.Application.8");
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->Initialize(), E_FAIL);
    EXPECT_EQ(FilterFolder(), fs::path()) << "no temporary folder";
    // The check is repeated at the next call.
    SetWordVersion("Word.Application.10");
    EXPECT_EQ(filter->Initialize(), S_OK);
    EXPECT_TRUE(fs::is_directory(FilterFolder()));
}

TEST_F(WordFilterTest, TemporaryFoldersTakeTheNextFreeNumberAndGoWhenEmpty) {
    const int first = NextFolderNumber();
    fs::create_directory(FolderNumbered(first));
    {
        leaf::ComPtr<IInputFilter> filter = CreateFilter();
        ASSERT_EQ(filter->Initialize(), S_OK);
        EXPECT_EQ(FilterFolder(), FolderNumbered(first + 1));
    }
    EXPECT_FALSE(fs::exists(FolderNumbered(first + 1))) << "removed with the filter";
    EXPECT_TRUE(fs::exists(FolderNumbered(first))) << "another's folder stays";
}

TEST_F(WordFilterTest, TemporaryFoldersOfAKilledBuildGoWithTheNextFilterAndNoOthers) {
    // The user's folder of a filter-like name, without the filter's mark.
    const int first = NextFolderNumber();
    fs::create_directory(FolderNumbered(first));
    std::string users = (FolderNumbered(first) / "notes.htm").string();
    ASSERT_TRUE(leaf::WriteFileAtomically(users, "mine"));
    const pid_t killed = leaf::test::RunUntilKilled([&] {
        static leaf::ComPtr<IInputFilter> filter;  // alive when the build is killed
        filter = CreateFilter();
        if (filter->Initialize() != S_OK)
            _exit(1);
    });
    ASSERT_NE(0, killed);
    const fs::path left = FolderNumbered(first + 1);
    ASSERT_TRUE(fs::is_directory(left)) << "the killed build's folder";
    ASSERT_TRUE(leaf::WriteFileAtomically((left / "$doc0001.htm").string(), "a page it made"));
    fs::create_directory(left / "$doc0001_files");
    ASSERT_TRUE(leaf::WriteFileAtomically((left / "$doc0001_files/image001.gif").string(), "GIF89a"));
    // A link of a filter's name to a killed build's folder is no folder of the filter's.
    fs::create_directory(temp.Path() / "elsewhere");
    temp.WriteFile("elsewhere/.leafcraft-owner", std::to_string(killed) + "\n");
    fs::create_directory_symlink(temp.Path() / "elsewhere", FolderNumbered(first + 2));
    {
        leaf::ComPtr<IInputFilter> filter = CreateFilter();
        ASSERT_EQ(filter->Initialize(), S_OK);
        EXPECT_FALSE(fs::exists(left / "$doc0001.htm"));
        EXPECT_FALSE(fs::exists(left / "$doc0001_files"));
    }
    EXPECT_FALSE(fs::exists(left));
    std::string kept;
    ASSERT_TRUE(leaf::ReadFileBytes(users, kept));
    EXPECT_EQ(kept, "mine");
    EXPECT_TRUE(fs::is_symlink(FolderNumbered(first + 2)));
    EXPECT_TRUE(fs::exists(temp.Path() / "elsewhere/.leafcraft-owner"));
}

TEST_F(WordFilterTest, TemporaryFolderNamesHeldByFilesOrLinksArePassedOver) {
    // Names in use by something other than a folder cannot become the filter's folder.
    const int first = NextFolderNumber();
    std::string blocker = FolderNumbered(first).string();
    ASSERT_TRUE(leaf::WriteFileAtomically(blocker, "not a folder"));
    fs::create_symlink(temp.Path() / "nowhere", FolderNumbered(first + 1));
    {
        leaf::ComPtr<IInputFilter> filter = CreateFilter();
        ASSERT_EQ(filter->Initialize(), S_OK);
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(FolderNumbered(first + 2))));
        EXPECT_EQ(fs::status(FolderNumbered(first + 2)).permissions() & fs::perms::others_all, fs::perms::none)
            << "the folder is private";
    }
    EXPECT_FALSE(fs::exists(FolderNumbered(first + 2)));
    std::string kept;
    ASSERT_TRUE(leaf::ReadFileBytes(blocker, kept));
    EXPECT_EQ(kept, "not a folder");
    EXPECT_TRUE(fs::is_symlink(FolderNumbered(first + 1)));
    EXPECT_FALSE(fs::exists(temp.Path() / "nowhere")) << "the link was not followed";
}

TEST_F(WordFilterTest, WithEveryTemporaryNameTakenPrepareFailsAndTouchesNoOtherFolder) {
    // Every name the filter may take is another build's folder.
    for (int number = 1; number <= 999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "wordintake.%.3d", number);
        fs::create_directory(temp.Path() / name);
    }
    std::string marker = temp.WriteFile("wordintake.999/theirs.htm", "another build's page");
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK) << "the filter can still measure documents";
    std::string document = WriteDocument("book.doc");
    EXPECT_EQ(filter->Prepare(U(document).c_str(), nullptr, &host), kNoIntermediateName);
    EXPECT_EQ(host.errorDetails, "No temporary folder could be made for the HTML page of the Word document in \"" +
                                     temp.Path().string() +
                                     "\": the names wordintake.001 to wordintake.998 are all taken.");
    EXPECT_TRUE(host.dependencies.empty());
    int entries = 0;
    for (const fs::directory_entry& folder : fs::directory_iterator(temp.Path()))
        if (folder.path().filename().string().rfind("wordintake.", 0) == 0)
            entries += static_cast<int>(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()));
    EXPECT_EQ(entries, 1) << "nothing was written into another build's folder";
    filter.Reset();
    std::string kept;
    ASSERT_TRUE(leaf::ReadFileBytes(marker, kept));
    EXPECT_EQ(kept, "another build's page");
    EXPECT_TRUE(fs::is_directory(temp.Path() / "wordintake.999")) << "nor was another's folder removed";

    // A name freed since is found by the next filter of the process (whose save then
    // reaches Word: "/bin/true" converts nothing).
    fs::remove(temp.Path() / "wordintake.500");
    filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK);
    EXPECT_EQ(filter->Prepare(U(document).c_str(), nullptr, &host), static_cast<HRESULT>(0x800A1066));
    EXPECT_TRUE(fs::exists(temp.Path() / "wordintake.500/.leafcraft-owner"));
}

TEST_F(WordFilterTest, WithoutATemporaryFolderPrepareSaysWhy) {
    // The temporary folder lies below a file, where no folder can be made.
    const std::string file = temp.WriteFile("file", "not a folder");
    leaf::test::ScopedVariable below{"TMP", file + "/tmp"};
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK);
    EXPECT_EQ(filter->Prepare(U(WriteDocument("book.doc")).c_str(), nullptr, &host), kNoIntermediateName);
    EXPECT_EQ(host.errorDetails, "No temporary folder could be made for the HTML page of the Word document in \"" +
                                     file + "/tmp\": Not a directory.");
}

// A FIFO or device is no document: it is refused at once, never handed to Word (which
// would wait on it for ever).
TEST_F(WordFilterTest, SpecialFilesAreRefusedAsDocuments) {
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK);
    const std::string fifo = books / "pipe.doc";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    leaf::test::FifoWatchdog watchdog(fifo);
    for (const std::string& path : {fifo, books / "PIPE.DOC", std::string("/dev/null")}) {
        host.errorDetails.clear();
        EXPECT_EQ(filter->Prepare(U(path).c_str(), nullptr, &host), STG_E_PATHNOTFOUND) << path;
        EXPECT_EQ(host.errorDetails, "it is not a regular file") << path;
        LONG units = -1;
        EXPECT_EQ(filter->GetSize(U(path).c_str(), 0, &units), STG_E_PATHNOTFOUND) << path;
        EXPECT_EQ(units, 0);
    }
    EXPECT_TRUE(host.dependencies.empty());
    EXPECT_EQ(PagesIn(FilterFolder()), std::vector<std::string>{});
    EXPECT_FALSE(watchdog.Fired()) << "the FIFO was opened";
}

TEST_F(WordFilterTest, ConvertWithoutPrepareReportsTheMissingIntermediate) {
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK);
    std::string document = WriteDocument("linked.doc");
    EXPECT_EQ(filter->Convert(U(document).c_str(), U(books / "out.htm").c_str(), 1, &host), E_FAIL);
    EXPECT_EQ(host.errorDetails,
              "Could not find the intermediate .html file corresponding to the Word document file \"" + document +
                  "\".  \nMake sure this Word document is not a hyperlinked .doc file.");
    EXPECT_EQ(filter->Convert(nullptr, U("x").c_str(), 0, &host), E_POINTER);
    EXPECT_EQ(filter->Prepare(U(document).c_str(), nullptr, nullptr), E_POINTER);
}

TEST_F(WordFilterTest, SizesAreTheDocumentsOwn) {
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK);
    std::string document = books.WriteFile("sized.doc", std::string(1000, 'x'));
    LONG units = -1;
    ASSERT_EQ(filter->GetSize(U(document).c_str(), kFilterScanDependencies | 1, &units), S_OK);
    EXPECT_EQ(units, 1000);
    ASSERT_EQ(filter->GetSize(U(document).c_str(), 1, &units), S_OK);
    EXPECT_EQ(units, 2000);
    EXPECT_EQ(filter->GetSize(U(books / "none.doc").c_str(), 0, &units), STG_E_PATHNOTFOUND);
}

TEST_F(WordFilterTest, AFailedSaveReportsWordsErrorAndLeavesNothing) {
    // The stand-in's office program here ("/bin/true") converts nothing.
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK);
    std::string document = WriteDocument("book.doc");
    HRESULT hr = filter->Prepare(U(document).c_str(), nullptr, &host);
    EXPECT_EQ(hr, static_cast<HRESULT>(0x800A1066));
    EXPECT_EQ(host.errorDetails.rfind("Word reported the following error when attempting to save the current "
                                      "document as an HTML file:\n",
                                      0),
              0u)
        << host.errorDetails;
    EXPECT_TRUE(host.dependencies.empty());
    EXPECT_EQ(PagesIn(FilterFolder()), std::vector<std::string>{});

    // A missing document fails in Word's open, with its error code.
    host.errorDetails.clear();
    EXPECT_EQ(filter->Prepare(U(books / "none.doc").c_str(), nullptr, &host), static_cast<HRESULT>(0x800A1436));
    EXPECT_FALSE(host.errorDetails.empty());
}

TEST_F(WordFilterTest, WhenWordCannotStartTheNextPrepareTriesAgain) {
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    ASSERT_EQ(filter->Initialize(), S_OK);
    std::string document = WriteDocument("book.doc");
    ASSERT_EQ(leaf::test::RegisterWordServer(""), S_FALSE);  // Word goes away after the check
    HRESULT started = filter->Prepare(U(document).c_str(), nullptr, &host);
    EXPECT_TRUE(FAILED(started));
    EXPECT_NE(started, static_cast<HRESULT>(0x800A1066)) << "Word never ran";
    EXPECT_EQ(PagesIn(FilterFolder()), std::vector<std::string>{});

    // Back again: this time Word starts and reaches the save ("/bin/true" converts nothing).
    ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
    EXPECT_EQ(filter->Prepare(U(document).c_str(), nullptr, &host), static_cast<HRESULT>(0x800A1066));
}

TEST_F(WordFilterTest, WithoutTheHtmlFilterInitialiseFails) {
    ASSERT_TRUE(leaf::test::RegisterModule("markupintake.so", true));
    leaf::ComPtr<IInputFilter> filter = CreateFilter();
    EXPECT_TRUE(FAILED(filter->Initialize()));
    // Nothing to forward to: the other calls refuse instead of failing on a missing object.
    std::string document = WriteDocument("book.doc");
    EXPECT_EQ(filter->Prepare(U(document).c_str(), nullptr, &host), E_UNEXPECTED);
    LONG units = 0;
    EXPECT_EQ(filter->GetSize(U(document).c_str(), 0, &units), E_UNEXPECTED);
}

namespace {

class WordFilterOfficeTest : public WordFilterTest {
protected:
    void SetUp() override {
        if (leaf::test::InstalledOfficeProgram().empty())
            GTEST_SKIP() << "the office suite is not installed";
        WordFilterTest::SetUp();
    }
    std::string OfficeProgram() override { return leaf::test::InstalledOfficeProgram(); }
};

}  // namespace

TEST_F(WordFilterOfficeTest, DocumentsBecomePagesWhosePicturesLieBesideTheDocument) {
    std::string first = WriteDocument("First.doc", true);
    std::string second = WriteDocument("second.doc");
    fs::path work;
    {
        leaf::ComPtr<IInputFilter> filter = CreateFilter();
        ASSERT_EQ(filter->Initialize(), S_OK);
        work = FilterFolder();
        ASSERT_EQ(filter->Prepare(U(first).c_str(), nullptr, &host), S_OK) << host.errorDetails;
        ASSERT_EQ(filter->Prepare(U(second).c_str(), nullptr, &host), S_OK) << host.errorDetails;
        const std::vector<fs::path> pages = Pages();
        ASSERT_EQ(pages.size(), 2u) << "a page for each document";

        // The picture Word wrote beside the first page is reported under the document's folder.
        const std::string pictures = pages[0].stem().string() + "_files/";
        bool pictureMapped = false;
        for (const auto& [path, mapped] : host.dependencies) {
            if (path.find(pictures) == std::string::npos)
                continue;
            EXPECT_EQ(path.rfind(work.string(), 0), 0u) << path;
            std::string expected = books.Path().string() + "/" + pictures;
            EXPECT_EQ(mapped.rfind(expected, 0), 0u) << mapped;
            pictureMapped = true;
        }
        EXPECT_TRUE(pictureMapped);

        // Convert finds the page of a document named in other letter case.
        std::string upper = books.Path().string() + "/FIRST.DOC";
        std::string output = books / "out.htm";
        ASSERT_EQ(filter->Convert(U(upper).c_str(), U(output).c_str(), 1, &host), S_OK) << host.errorDetails;
        std::string html;
        ASSERT_TRUE(leaf::ReadFileBytes(output, html));
        EXPECT_NE(html.find("Chapter"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(work)) << "pages, picture folders and the temporary folder are removed";
    EXPECT_TRUE(fs::exists(first));
}

TEST_F(WordFilterOfficeTest, ADocumentPreparedTwiceLeavesNothingBehind) {
    std::string document = WriteDocument("again.doc", true);
    fs::path work;
    {
        leaf::ComPtr<IInputFilter> filter = CreateFilter();
        ASSERT_EQ(filter->Initialize(), S_OK);
        work = FilterFolder();
        ASSERT_EQ(filter->Prepare(U(document).c_str(), nullptr, &host), S_OK) << host.errorDetails;
        ASSERT_EQ(filter->Prepare(U(document).c_str(), nullptr, &host), S_OK) << host.errorDetails;
        // The second page is the one converted; the first stays while the filter lives.
        const std::vector<fs::path> pages = Pages();
        ASSERT_EQ(pages.size(), 2u);
        EXPECT_TRUE(fs::exists(work / (pages[0].stem().string() + "_files")));
        std::string output = books / "again.htm";
        ASSERT_EQ(filter->Convert(U(document).c_str(), U(output).c_str(), 1, &host), S_OK) << host.errorDetails;
        std::string html;
        ASSERT_TRUE(leaf::ReadFileBytes(output, html));
        EXPECT_NE(html.find("Chapter"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(work)) << "both pages, their pictures and the temporary folder are removed";
}
