// The Word filter as part of a build: the build control finds it through its
// registration for ".doc" and ".docx", the preparation of a book whose page is a Word
// document with a picture reports nothing missing, the picture being named beside the
// document, and the built book (checked with epubcheck) names its pictures and links where
// the book holds them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

#include "platform/base/Path.h"
#include "sdk/LeafcraftSDK.h"
#include "tests/outside/word/DocxFixture.h"
#include "tests/outside/word/WordServerTestSupport.h"
#include "tests/sdk/control/SdkTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/EBookArchive.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::Variant;

class WordFilterBookTest : public testing::Test {
protected:
    void SetUp() override {
        if (leaf::test::InstalledOfficeProgram().empty())
            GTEST_SKIP() << "the office suite is not installed";
        ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("markupintake.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("wordintake.so"));
        ASSERT_EQ(leaf::test::RegisterWordServer(leaf::test::InstalledOfficeProgram()), S_OK);
        control = sdktest::SdkControl::Create();
        ASSERT_NE(control.Get(), nullptr);
    }

    // Adds the documents as the reading order, prepares and builds the e-book (checked
    // with epubcheck); its entries.
    std::map<std::string, std::string> Build(const std::vector<std::string>& documents, const std::string& eBook) {
        EXPECT_TRUE(control.Initialize()) << control.ErrorDetails();
        for (const std::string& document : documents)
            EXPECT_TRUE(control.AddSourceFile(document, LCF_SPINE)) << document << ": " << control.ErrorDetails();
        EXPECT_TRUE(control.PrepareEBook()) << control.ErrorDetails();
        EXPECT_EQ(control.ErrorCode(), LCERR_NONE) << control.ErrorDetails();
        std::filesystem::create_directories(std::filesystem::path(eBook).parent_path());
        EXPECT_TRUE(control.BuildEBook({Variant(eBook), Variant("")})) << control.ErrorDetails();
        return leaf::test::UnpackEBook(eBook);
    }

    leaf::test::ScopedRegistryRoot registry;
    leaf::test::ScopedTempRoot temp;  // the build's and the filter's temporary folders
    leaf::test::TempFolder books;
    sdktest::SdkControl control;
};

}  // namespace

// The office suite gives a page of a document it saved "direction: ltr" on every
// paragraph, which EPUB does not allow in style: the e-book is valid all the same.
TEST_F(WordFilterBookTest, ABookOfAWordDocumentWithAPictureBuilds) {
    leaf::test::DocxFixture fixture;
    fixture.paragraphs = {{"The first chapter", {"Start"}}};
    fixture.withPicture = true;
    fixture.directionInStyles = true;
    std::string document = books / "chapter.doc";
    ASSERT_TRUE(fixture.Write(document));

    std::map<std::string, std::string> entries = Build({document}, books / "out/doc.lit");
    ASSERT_EQ(entries.count("chapter.htm"), 1u);
    const std::string text = std::regex_replace(entries["chapter.htm"], std::regex("\\s+"), " ");
    EXPECT_NE(text.find("The first chapter"), std::string::npos) << text;
}

namespace {

// The src and href values of a page, in order.
std::vector<std::string> LinksOf(const std::string& page) {
    std::vector<std::string> links;
    static const std::regex link(R"((?:src|href)\s*=\s*["']([^"']*)["'])", std::regex::icase);
    for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it)
        links.push_back((*it)[1].str());
    return links;
}

std::string Unescaped(const std::string& link) {
    std::string text;
    for (std::size_t i = 0; i < link.size(); ++i) {
        if (link[i] == '%' && i + 2 < link.size()) {
            text += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            text += link[i];
        }
    }
    return text;
}

}  // namespace

TEST_F(WordFilterBookTest, ADocxChapterBuildsWithItsTextPicturesAndLinks) {
    // The chapter lies one folder below the book's source folder, so that its links to
    // the other page and to the linked picture have to climb out of its folder.
    leaf::test::DocxFixture fixture;
    fixture.paragraphs = {{"The first chapter", {"Start"}}, {"More text", {}}};
    fixture.withPicture = true;
    fixture.linkedPicture = "../pics/red.png";
    fixture.directionInStyles = true;
    fixture.hyperlinks = {"../other.htm", "https://example.org/page"};
    std::string chapter = books / "text/chapter.docx";
    std::filesystem::create_directories(books.Path() / "text");
    ASSERT_TRUE(fixture.Write(chapter));
    std::string other = books.WriteFile("other.htm", "<html><body><p>The other page</p></body></html>");
    books.WriteFile("pics/red.png", leaf::test::OnePixelPng());

    // Both Word extensions are offered under the type name the Word registration gave them.
    ASSERT_TRUE(control.Initialize()) << control.ErrorDetails();
    const std::string browse = control.Call(sdkdispid::GetBrowseFilter).value.ToUtf8();
    EXPECT_NE(browse.find("|Word Document Files|*.doc;*.docx|"), std::string::npos) << browse;
    std::map<std::string, std::string> entries = Build({chapter, other}, books / "out/book.lit");
    ASSERT_FALSE(entries.empty());
    std::string pageName;
    for (const auto& [name, bytes] : entries)
        if (leaf::path::FilePart(name) == "chapter.htm")
            pageName = name;
    ASSERT_FALSE(pageName.empty()) << "the chapter's page is in the book";
    const std::string& page = entries[pageName];
    // The word processor breaks its lines where it likes.
    const std::string text = std::regex_replace(page, std::regex("\\s+"), " ");
    EXPECT_NE(text.find("The first chapter"), std::string::npos) << page;
    EXPECT_NE(text.find("More text"), std::string::npos) << page;

    // Every local link of the page names an entry of the book; the pictures are PNGs.
    const std::string pageFolder = leaf::path::FolderPart(pageName);
    int pictures = 0;
    bool linksToOtherPage = false;
    bool keepsWebLink = false;
    for (const std::string& link : LinksOf(page)) {
        if (link.rfind("https:", 0) == 0) {
            keepsWebLink = link == "https://example.org/page";
            continue;
        }
        if (link.empty() || link[0] == '#' || link.find(':') != std::string::npos)
            continue;  // the style sheet link and fragments of the page itself
        std::string target = leaf::path::LexicallyNormal(
            leaf::path::Join(pageFolder, Unescaped(link.substr(0, link.find('#')))));
        auto entry = entries.find(target);
        ASSERT_TRUE(entry != entries.end()) << "the page links to " << link << ", which the book does not hold";
        if (entry->second.rfind("\x89PNG", 0) == 0)
            ++pictures;
        if (leaf::path::FilePart(target) == "other.htm")
            linksToOtherPage = true;
    }
    EXPECT_EQ(pictures, 2) << "the picture held in the document and the one it links to";
    EXPECT_TRUE(linksToOtherPage);
    EXPECT_TRUE(keepsWebLink);
}
