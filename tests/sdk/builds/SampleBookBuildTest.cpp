// The sample book of examples/ built through the automation surface with the real
// filters and the e-book compiler, then unpacked: the package names every item and
// reads the sources in order, each page is well nested and holds its source's text,
// the pictures and the style sheet are there byte for byte.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/sdk/builds/BuildsTestSupport.h"

namespace buildstest {
namespace {

namespace fs = std::filesystem;

const std::string kSampleBook = LEAF_SAMPLE_BOOK_DIR;

std::vector<std::string> ReadingOrder() {
    std::vector<std::string> sources;
    std::istringstream list(ReadBytes(kSampleBook + "/book.list"));
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line[0] != '#')
            sources.push_back(kSampleBook + "/" + line);
    return sources;
}

// The paragraphs and headings of an HTML source, each as its text.
std::vector<std::string> Passages(const std::string& html) {
    std::vector<std::string> passages;
    for (const char* tag : {"p", "h1", "h2"}) {
        const std::string start = std::string("<") + tag;
        const std::string end = std::string("</") + tag + ">";
        for (size_t at = html.find(start); at != std::string::npos; at = html.find(start, at + 1)) {
            const char next = html[at + start.size()];
            if (next != '>' && next != ' ')
                continue;
            size_t close = html.find(end, at);
            if (close != std::string::npos)
                passages.push_back(TextOf(html.substr(at, close - at)));
        }
    }
    return passages;
}

class SampleBookBuild : public EBookBuild {};

TEST_F(SampleBookBuild, UnpacksIntoAPackageAndItemsThatMatchTheSources) {
    StartControl();
    const std::vector<std::string> spine = ReadingOrder();
    ASSERT_EQ(5u, spine.size());
    Prepare(spine);
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
    const std::string eBook = folder / "out/sample.lit";
    ASSERT_TRUE(Build(eBook));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_EQ("progress 100 3 ", sink->events.back());

    auto entries = UnpackEBook(eBook);
    ASSERT_EQ(1u, entries.count("sample.opf")) << "no package in the e-book";
    const std::string package = entries["sample.opf"];

    // The package names every item of the archive and nothing else; the items are the
    // five sources (the text file as a page), both pictures and the style sheet, beside
    // the navigation document and the NCX.
    std::vector<ManifestEntry> manifest = ManifestOf(package);
    std::map<std::string, ManifestEntry> byHref;
    for (const ManifestEntry& entry : manifest)
        byHref[entry.href] = entry;
    std::set<std::string> hrefs, archived;
    for (const ManifestEntry& entry : manifest)
        hrefs.insert(entry.href);
    for (const auto& [name, bytes] : entries)
        if (name != "sample.opf" && name != "mimetype" && name != "META-INF/container.xml")
            archived.insert(name);
    EXPECT_EQ(hrefs, archived);
    EXPECT_EQ((std::set<std::string>{"afterword.htm", "chapter1.html", "chapter2.html", "chapter3.html", "nav.xhtml",
                                     "pictures/lamp.png", "pictures/lane.png", "style.css", "toc.html", "toc.ncx"}),
              hrefs);
    EXPECT_EQ("text/css", byHref["style.css"].mediaType);
    EXPECT_EQ("image/png", byHref["pictures/lamp.png"].mediaType);
    EXPECT_EQ("application/xhtml+xml", byHref["afterword.htm"].mediaType);

    // The spine reads the sources in the list's order.
    std::vector<std::string> order;
    for (const std::string& id : SpineOf(package))
        for (const ManifestEntry& entry : manifest)
            if (entry.id == id)
                order.push_back(entry.href);
    EXPECT_EQ((std::vector<std::string>{"toc.html", "chapter1.html", "chapter2.html", "chapter3.html",
                                        "afterword.htm"}),
              order);

    // Each page is well nested and holds every paragraph and heading of its source.
    for (const char* page : {"toc.html", "chapter1.html", "chapter2.html", "chapter3.html"}) {
        SCOPED_TRACE(page);
        const std::string& item = entries[page];
        EXPECT_EQ("", NestingFault(item));
        const std::string itemText = TextOf(item);
        const std::vector<std::string> passages = Passages(ReadBytes(kSampleBook + "/" + page));
        EXPECT_GE(passages.size(), 2u);
        for (const std::string& passage : passages)
            EXPECT_NE(std::string::npos, itemText.find(passage)) << passage;
    }
    // The pages still link the style sheet, each other and the converted text page.
    EXPECT_NE(std::string::npos, entries["toc.html"].find("href=\"style.css\""));
    EXPECT_NE(std::string::npos, entries["toc.html"].find("href=\"chapter2.html\""));
    EXPECT_NE(std::string::npos, entries["toc.html"].find("href=\"afterword.htm\""));
    EXPECT_NE(std::string::npos, entries["toc.html"].find("src=\"pictures/lamp.png\""));

    // The text page holds the text file's words, in order, as preformatted text.
    const std::string& afterword = entries["afterword.htm"];
    EXPECT_EQ("", NestingFault(afterword));
    EXPECT_NE(std::string::npos, afterword.find("<pre>"));
    EXPECT_EQ(CollapseSpace(ReadBytes(kSampleBook + "/afterword.txt")), TextOf(afterword));

    // Pictures and the style sheet byte for byte.
    for (const char* file : {"pictures/lamp.png", "pictures/lane.png", "style.css"})
        EXPECT_EQ(ReadBytes(kSampleBook + "/" + file), entries[file]) << file;

    // No compiler message for a sound book, and nothing left beside the e-book.
    EXPECT_EQ(std::vector<std::string>{}, Messages());
    EXPECT_EQ(std::vector<std::string>{"sample.lit"}, FilesIn(folder / "out"));
}

}  // namespace
}  // namespace buildstest
