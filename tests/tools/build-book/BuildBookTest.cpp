// build-book run as a person or a script runs it: a child process against the built
// control and filters, registered in the test's own registry. What it prints, and its
// exit status: 0 for a book, the control's error code with "error N: details" for a
// failed step, 2 for a wrong command line, 3 when there is no control.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/com/TypeLib.h"
#include "platform/ui/Resources.h"
#include "sdk/LeafcraftSDK.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/EpubCheck.h"
#include "tests/support/TempFolder.h"

namespace buildbooktest {
namespace {

namespace fs = std::filesystem;
using leaf::test::ChildResult;
using leaf::test::RegisterModule;
using leaf::test::RunChild;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

bool HasModule(const std::string& name) { return fs::exists(fs::path(leaf::test::BinDir()) / name); }

class BuildBook : public testing::Test {
protected:
    // Runs build/bin/build-book with the arguments.
    ChildResult Run(const std::vector<std::string>& arguments, const std::string& workingFolder = "") const {
        ChildResult result = RunChild(leaf::test::BinDir() + "/build-book", arguments, workingFolder);
        EXPECT_TRUE(result.started) << "build-book could not be started";
        return result;
    }

    // The control, every filter this tree has built, and the control's test filter
    // (".src" sources that do what their lines say).
    void RegisterControlAndFilters() const {
        ASSERT_TRUE(RegisterModule("leafsdk.so"));
        for (const char* filter : {"markupintake.so", "pictureintake.so", "plainintake.so", "FontEmbedder.so"}) {
            if (HasModule(filter)) {
                EXPECT_TRUE(RegisterModule(filter)) << filter;
            }
        }
        ASSERT_TRUE(RegisterModule("sdktestintake.so"));
    }

    // The code of the "error N:" line on standard error; -1 when there is none.
    static int ReportedErrorCode(const ChildResult& result) {
        std::smatch match;
        static const std::regex errorLine("error ([0-9]+)");
        return std::regex_search(result.err, match, errorLine) ? std::stoi(match[1]) : -1;
    }

    leaf::test::ScopedRegistryRoot registry;  // children inherit it
    leaf::test::TempFolder folder;
};

TEST_F(BuildBook, AWrongCommandLineShowsTheUsageAndExitsWithTwo) {
    const std::vector<std::vector<std::string>> wrongLines = {
        {}, {"out.lit"}, {"--frobnicate", "out.lit", "a.html"}, {"out.lit", "a.html", "--title"}};
    for (const std::vector<std::string>& arguments : wrongLines) {
        ChildResult result = Run(arguments);
        EXPECT_EQ(2, result.exitStatus);
        EXPECT_TRUE(Contains(result.err, "usage: build-book")) << result.err;
        EXPECT_EQ("", result.out);
    }
    ChildResult help = Run({"--help"});
    EXPECT_EQ(0, help.exitStatus);
    EXPECT_TRUE(Contains(help.out, "usage: build-book"));
    EXPECT_EQ("", help.err);
}

TEST_F(BuildBook, WithoutARegisteredControlExitsWithThree) {
    std::string page = folder.WriteFile("book/a.html", "<p>x</p>");
    ChildResult result = Run({folder / "out.lit", page});
    EXPECT_EQ(3, result.exitStatus);
    EXPECT_TRUE(Contains(result.err, "cannot create the build control Leafcraft.SDK")) << result.err;
}

TEST_F(BuildBook, AControlWithoutFiltersFailsToInitialiseWithItsCode) {
    ASSERT_TRUE(RegisterModule("leafsdk.so"));
    std::string page = folder.WriteFile("book/a.html", "<p>x</p>");
    ChildResult result = Run({folder / "out.lit", page});
    EXPECT_EQ(21, result.exitStatus);  // no filters
    EXPECT_TRUE(Contains(result.err, "cannot initialise the build control: error 21: No input filter could be loaded"))
        << result.err;
}

// Every code the control can report (the members of the enumeration it publishes) has a
// text of its own in the string table build-book prints from, not the general one.
TEST_F(BuildBook, EveryCodeOfTheControlHasATextOfItsOwn) {
    ASSERT_TRUE(RegisterModule("leafsdk.so"));
    leaf::ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_LeafcraftTypeLib, 1, 0, 0, library.Receive()));
    leaf::ComPtr<ITypeInfo> codes;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfName(u"enumErrorCodes", codes.Receive()));
    const leaf::EnumDescription* description = codes->GetEnumDescription();
    ASSERT_NE(nullptr, description);
    const CString general = leaf::ui::LoadResString(12099);
    ASSERT_FALSE(general.IsEmpty());
    for (const leaf::EnumMemberDescription& code : description->members) {
        CString text;
        EXPECT_TRUE(leaf::ui::LoadString(12000 + static_cast<UINT>(code.value), text)) << code.name;
        EXPECT_NE(general, text) << code.name;
    }
}

TEST_F(BuildBook, AMissingSourceFailsWithTheControlsCodeAndItsPath) {
    RegisterControlAndFilters();
    std::string present = folder.WriteFile("book/a.src", "");
    ChildResult result = Run({folder / "out.lit", present, folder / "book/gone.src"});
    EXPECT_EQ(30, result.exitStatus);
    EXPECT_TRUE(Contains(result.err, "error 30: A source file could not be found (" + folder / "book/gone.src" + ").\n"))
        << result.err;
    EXPECT_FALSE(fs::exists(folder / "out.lit"));
}

// Each failure is printed with the text of its code and its details on one line: the
// file and, where the system knows it, why.
TEST_F(BuildBook, FailuresArePrintedWithTheTextOfTheirCode) {
    RegisterControlAndFilters();
    fs::create_directories(folder / "book/chapters.src");
    ChildResult folderSource = Run({folder / "out.lit", folder / "book/chapters.src"});
    EXPECT_EQ(31, folderSource.exitStatus);
    EXPECT_TRUE(Contains(folderSource.err, "error 31: A source file is invalid (" + folder / "book/chapters.src" +
                                               ": Is a directory).\n"))
        << folderSource.err;

    // A code whose text takes no details has them after it; one without a text of its
    // own gets the general one.
    std::string page = folder.WriteFile("book/a.src", "");
    ChildResult ownFile = Run({page, page});
    EXPECT_EQ(64, ownFile.exitStatus);
    EXPECT_TRUE(Contains(ownFile.err, "error 64: Unable to create the eBook file (" + page + ": ")) << ownFile.err;
    EXPECT_EQ("", ReadFile(page));
}

// A contents page that gives no chapter tour is reported with the text of the code, and
// the build goes on.
TEST_F(BuildBook, AContentsPageThatGivesNoTourIsReportedWithTheTextOfItsCode) {
    RegisterControlAndFilters();
    std::string page = folder.WriteFile("book/a.src", "");
    std::string contents = folder.WriteFile("book/contents.src", "");  // not an HTML page
    ChildResult result = Run({"--toc", contents, folder / "out.lit", page});
    EXPECT_TRUE(Contains(result.out, "no chapter tour made from the table of contents: error 81: The table of "
                                     "contents cannot give a chapter tour: it must be a whole HTML page"))
        << result.out;
    EXPECT_TRUE(Contains(result.out, "[  0%] preparing a.src\n")) << result.out;
}

TEST_F(BuildBook, ASourceOfAnUnknownKindFailsWithTheControlsCode) {
    RegisterControlAndFilters();
    std::string odd = folder.WriteFile("book/notes.odd", "?");
    ChildResult result = Run({folder / "out.lit", odd});
    EXPECT_EQ(32, result.exitStatus);
    EXPECT_EQ(32, ReportedErrorCode(result));
    EXPECT_TRUE(Contains(result.err, odd)) << result.err;
}

TEST_F(BuildBook, RelativePathsAreTakenFromTheWorkingFolder) {
    RegisterControlAndFilters();
    folder.WriteFile("book/a.src", "");
    ChildResult result = Run({"out.lit", "book/a.src", "book/b.src"}, folder.Path().string());
    EXPECT_EQ(30, result.exitStatus);
    EXPECT_TRUE(Contains(result.err, "error 30: A source file could not be found (" + folder / "book/b.src" + ")"))
        << result.err;
    EXPECT_TRUE(Contains(result.out, "building " + folder / "out.lit" + " from 2 sources")) << result.out;
}

TEST_F(BuildBook, PrintsProgressAndMessagesButNotTheCompilersChatter) {
    RegisterControlAndFilters();
    std::string source = folder.WriteFile("book/a.src", "msg 4250 chatter\n"
                                                        "msg 1106 more-chatter\n"
                                                        "msg 4500 worth-reading\n");
    ChildResult result = Run({folder / "out.lit", source});
    EXPECT_TRUE(Contains(result.out, "[  0%] preparing a.src\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "compiler message 4500: worth-reading (" + source + ")\n")) << result.out;
    EXPECT_FALSE(Contains(result.out, "chatter")) << result.out;
}

TEST_F(BuildBook, MissingAndOutsideFilesAreListedAndTheBuildGoesOn) {
    RegisterControlAndFilters();
    leaf::test::TempFolder elsewhere;
    std::string outsidePage = elsewhere.WriteFile("page.htm", "<p>elsewhere</p>");
    std::string source = folder.WriteFile("book/a.src", "dep gone.gif\n"
                                                        "dep " + outsidePage + "\n");
    ChildResult result = Run({"--title", "Lists", folder / "out.lit", source});

    EXPECT_TRUE(Contains(result.out, "warning 100: Some linked files are missing or lie outside the source folder"))
        << result.out;
    EXPECT_TRUE(Contains(result.out, "  missing: " + folder / "book/gone.gif" + "\n")) << result.out;
    EXPECT_TRUE(Contains(result.out, "  outside: " + outsidePage + "\n")) << result.out;
    // It went on to the build, where the test filter refuses to convert its source.
    EXPECT_TRUE(Contains(result.out, "converting a.src")) << result.out;
    EXPECT_EQ(63, result.exitStatus);
    EXPECT_EQ(63, ReportedErrorCode(result));
    EXPECT_TRUE(Contains(result.err, "cannot build the e-book \"" + folder / "out.lit" +
                                         "\": error 63: An error occurred while converting source files. " + source))
        << result.err;
}

// A book with every kind of page the filters make: an HTML contents page that gives the
// chapter tour, a chapter whose fonts are embedded, a picture as a page and a text file
// as a page. It is a valid EPUB that calibre reads.
TEST_F(BuildBook, ABookOfEveryKindOfPageIsAValidEpub) {
    if (!HasModule("LITGen.so") || !HasModule("FontEmbedder.so"))
        GTEST_SKIP() << "the e-book compiler or the font embedder is not in " << leaf::test::BinDir();
    RegisterControlAndFilters();
    const std::string png("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
                          "\x00\x01\x08\x06\x00\x00\x00\x1F\x15\xC4\x89\x00\x00\x00\x0D\x49\x44\x41\x54\x78\xDA\x63\x64"
                          "\x60\xF8\x5F\x0F\x00\x02\x87\x01\x80\xEB\x47\xBA\x92\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42"
                          "\x60\x82",
                          70);
    const std::string toc = folder.WriteFile(
        "book/toc.html", "<html><head><title>Contents</title></head><body><h1>Contents</h1><ul>"
                         "<li><a href=\"chapter.html\">The chapter</a></li><li><a href=\"art/plate.png\">A plate</a></li>"
                         "<li><a href=\"notes.txt\">Notes &amp; more</a></li></ul></body></html>\n");
    const std::string chapter = folder.WriteFile(
        "book/chapter.html", "<html><head><title>The chapter</title><style>p { font-family: \"DejaVu Sans\" }</style>"
                             "</head><body><h1>The chapter</h1><p>Set in an embedded font.</p></body></html>\n");
    const std::string plate = folder.WriteFile("book/art/plate.png", png);
    const std::string notes = folder.WriteFile("book/notes.txt", "Notes\n\ta <b> & c\n");
    const std::string eBook = folder / "every.epub";
    ChildResult result = Run({"--title", "Every Page", "--author", "Ann Author", "--toc", toc, "--embed-fonts", eBook,
                              toc, chapter, plate, notes});
    ASSERT_EQ(0, result.exitStatus) << result.out << result.err;
    EXPECT_TRUE(Contains(result.out, "font DejaVu Sans: embedded")) << result.out;
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    leaf::test::ExpectCalibreReads(eBook, "Every Page", "Ann Author");

    ChildResult unzip = RunChild("unzip", {"-q", eBook, "-d", folder / "unpacked"});
    ASSERT_EQ(0, unzip.exitStatus) << unzip.err;
    const std::string opf = ReadFile(folder / "unpacked/every.opf");
    EXPECT_TRUE(Contains(opf, "media-type=\"font/ttf\"")) << opf;
    // The navigation lists the pages the contents page links to, the converted ones by
    // their new names.
    const std::string nav = ReadFile(folder / "unpacked/nav.xhtml");
    EXPECT_TRUE(Contains(nav, "<a href=\"chapter.html\">The chapter</a>")) << nav;
    EXPECT_TRUE(Contains(nav, "<a href=\"notes.htm\">Notes &amp; more</a>")) << nav;
    EXPECT_TRUE(Contains(nav, ">A plate</a>")) << nav;
}

// The sample book of examples/, built as the README's run command builds it, checked
// with epubcheck and calibre, and unpacked: the package document and one item for every
// source, picture and style sheet.
class SampleBook : public BuildBook {
protected:
    static std::vector<std::string> ReadingOrder() {
        std::vector<std::string> sources;
        std::istringstream list(ReadFile(fs::path(LEAF_SAMPLE_BOOK_DIR) / "book.list"));
        std::string line;
        while (std::getline(list, line))
            if (!line.empty() && line[0] != '#')
                sources.push_back(std::string(LEAF_SAMPLE_BOOK_DIR) + "/" + line);
        return sources;
    }

    // Every file below a folder, with its contents.
    static std::vector<std::pair<fs::path, std::string>> FilesBelow(const fs::path& root) {
        std::vector<std::pair<fs::path, std::string>> files;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.emplace_back(entry.path(), ReadFile(entry.path()));
        return files;
    }
};

TEST_F(SampleBook, BuildsIntoAnArchiveWhoseItemsMatchTheSources) {
    if (!HasModule("LITGen.so"))
        GTEST_SKIP() << "the e-book compiler LITGen.so is not in " << leaf::test::BinDir();
    RegisterControlAndFilters();
    std::vector<std::string> arguments = {"--title", "The Lamplighter of Fenwick Lane", "--author",
                                          "The Leafcraft Authors", "--toc",
                                          std::string(LEAF_SAMPLE_BOOK_DIR) + "/toc.html", folder / "sample.epub"};
    std::vector<std::string> sources = ReadingOrder();
    ASSERT_EQ(5u, sources.size());
    arguments.insert(arguments.end(), sources.begin(), sources.end());

    ChildResult result = Run(arguments);
    ASSERT_EQ(0, result.exitStatus) << result.out << result.err;
    EXPECT_TRUE(Contains(result.out, "built " + folder / "sample.epub")) << result.out;
    EXPECT_FALSE(Contains(result.out, "warning 100")) << result.out;  // every link of the book resolves
    // An EPUB that epubcheck finds no error in, and that calibre reads with its title and author.
    EXPECT_TRUE(leaf::test::PassesEpubCheck(folder / "sample.epub"));
    leaf::test::ExpectCalibreReads(folder / "sample.epub", "The Lamplighter of Fenwick Lane", "The Leafcraft Authors");

    ChildResult unzip = RunChild("unzip", {"-q", folder / "sample.epub", "-d", folder / "unpacked"});
    ASSERT_EQ(0, unzip.exitStatus) << unzip.err;
    auto files = FilesBelow(folder / "unpacked");

    // The package file names the book and reads the five sources in order.
    auto package = std::find_if(files.begin(), files.end(), [](const auto& file) {
        return file.first.extension() == ".opf";
    });
    ASSERT_NE(files.end(), package);
    const std::string& opf = package->second;
    EXPECT_TRUE(Contains(opf, "The Lamplighter of Fenwick Lane")) << opf;
    EXPECT_TRUE(Contains(opf, "The Leafcraft Authors")) << opf;
    std::size_t itemrefs = 0;
    for (std::size_t at = opf.find("<itemref"); at != std::string::npos; at = opf.find("<itemref", at + 1))
        ++itemrefs;
    EXPECT_EQ(5u, itemrefs) << opf;

    // Each source's text, and each picture byte for byte, is in an item of its own.
    auto itemHolding = [&](const std::string& text) {
        return std::count_if(files.begin(), files.end(), [&](const auto& file) {
            return file.first != package->first && Contains(file.second, text);
        });
    };
    for (const char* passage : {"A short story in three chapters", "There were eleven lamps on the lane",
                                "One November night a gale came in from the sea", "They lit the lamps together",
                                "dedicated to the public domain", "text-indent: 1.5em"})
        EXPECT_GE(itemHolding(passage), 1) << passage;
    for (const char* picture : {"pictures/lamp.png", "pictures/lane.png"}) {
        std::string bytes = ReadFile(fs::path(LEAF_SAMPLE_BOOK_DIR) / picture);
        EXPECT_TRUE(std::any_of(files.begin(), files.end(), [&](const auto& file) { return file.second == bytes; }))
            << picture;
    }
}

}  // namespace
}  // namespace buildbooktest
