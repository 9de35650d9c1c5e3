// The table-of-contents link collector on real pages: links in document order with their
// text as written and their hrefs as the page means them, links spread over lines or with white space inside the tag, nested
// and broken anchors, long titles, UTF-16 pages and progress reports.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/TextEncoding.h"
#include "sdk/control/TOCLinkCollector.h"
#include "tests/support/TempFolder.h"

namespace {

struct Link {
    std::string title;
    std::string href;
    bool operator==(const Link&) const = default;
};

void PrintTo(const Link& link, std::ostream* out) { *out << "{" << link.title << " -> " << link.href << "}"; }

std::vector<Link> Collect(const std::string& path, CTocLinkCollector& collector) {
    std::vector<CTocLink> links;
    collector.ParseFile(path, links);
    std::vector<Link> result;
    for (const CTocLink& link : links)
        result.push_back({leaf::Utf16ToUtf8(link.title), leaf::Utf16ToUtf8(link.href)});
    return result;
}

std::vector<Link> CollectPage(const std::string& page) {
    leaf::test::TempFolder folder;
    CTocLinkCollector collector;
    return Collect(folder.WriteFile("toc.htm", page), collector);
}

TEST(TocLinkCollector, FindsLinksAsWritten) {
    const struct {
        const char* name;
        std::string page;
        std::vector<Link> links;
    } cases[] = {
        {"plain list", "<ul><li><a href=\"ch1.htm\">One</a></li><li><A HREF='ch2.htm#s2'>Two</A></ul>\n",
         {{"One", "ch1.htm"}, {"Two", "ch2.htm#s2"}}},
        {"tag over lines, spaces round =", "<a\n  class=x\n\thref = \"ch1.htm\"\n>Chapter\nOne</a>\n",
         {{"Chapter One", "ch1.htm"}}},
        {"punctuation stays, white space collapses",
         "<a href=\"a.htm\">\n  10.\tDHAT:   a dynamic\r\n heap analysis tool  </a>\n",
         {{"10. DHAT: a dynamic heap analysis tool", "a.htm"}}},
        {"entity stays as written", "<p><a href=\"a.htm\">Salt &amp; Pepper</a>\n", {{"Salt &amp; Pepper", "a.htm"}}},
        {"references in the href are read, escapes kept",
         "<a href=\"a&amp;b.htm\">A</a><a href=\"n&#38;m.txt#x\">N</a><a href=\"t%3Fwo.txt?a=1&copy=2\">T</a>\n",
         {{"A", "a&b.htm"}, {"N", "n&m.txt#x"}, {"T", "t%3Fwo.txt?a=1&copy=2"}}},
        {"markup inside the text is dropped", "<a href=\"a.htm\"><b>Bold</b> <i>it</i></a>\n", {{"Bold it", "a.htm"}}},
        {"no href, no text, empty href", "<a name=top>Top</a><a href=\"i.htm\"><img src=x.gif></a><a href=\"\">E</a>\n",
         {}},
        {"a new anchor drops the open one", "<a href=\"1.htm\">first<a href=\"2.htm\">second</a>\n",
         {{"second", "2.htm"}}},
        {"duplicates and outside links kept in order",
         "<a href=\"c.htm\">C</a><a href=\"http://example.com/\">Web</a><a href=\"c.htm\">C</a>\n",
         {{"C", "c.htm"}, {"Web", "http://example.com/"}, {"C", "c.htm"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.links, CollectPage(c.page)) << c.name;
}

TEST(TocLinkCollector, LongTitlesAreCutAtFiftyCharacters) {
    const std::string fifty(50, 'x');
    EXPECT_EQ((std::vector<Link>{{fifty + "...", "a.htm"}}),
              CollectPage("<a href=\"a.htm\">" + fifty + "yyyyyyyyyyyyyy</a>\n"));
    EXPECT_EQ((std::vector<Link>{{fifty, "a.htm"}}), CollectPage("<a href=\"a.htm\">" + fifty + "</a>\n"));
    // A character outside the basic plane is not cut in half.
    EXPECT_EQ((std::vector<Link>{{std::string(49, 'x') + "...", "a.htm"}}),
              CollectPage("<a href=\"a.htm\">" + std::string(49, 'x') + "\xF0\x9F\x98\x80 tail</a>\n"));
}

TEST(TocLinkCollector, ReadsUnicodePagesAndMissingFiles) {
    leaf::test::TempFolder folder;
    std::u16string page = u"\xFEFF<a href=\"k\x00E9.htm\">Caf\x00E9</a>\r\n";
    std::string bytes;
    for (char16_t unit : page) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    CTocLinkCollector collector;
    EXPECT_EQ((std::vector<Link>{{"Caf\xC3\xA9", "k\xC3\xA9.htm"}}), Collect(folder.WriteFile("u.htm", bytes), collector));
    EXPECT_TRUE(Collect(folder / "missing.htm", collector).empty());
}

TEST(TocLinkCollector, ReportsProgressUpToTheFileSize) {
    struct Progress {
        LONG total = 0;
        int calls = 0;
        int stopAfter = -1;
    } progress;
    auto callback = [](LONG units, void* context) -> BOOL {
        auto* p = static_cast<Progress*>(context);
        p->total += units;
        ++p->calls;
        return p->stopAfter < 0 || p->calls < p->stopAfter;
    };
    leaf::test::TempFolder folder;
    std::string page;
    for (int i = 0; i < 50; ++i)
        page += "<a href=\"c" + std::to_string(i) + ".htm\">Chapter number " + std::to_string(i) + "</a>\n";
    const std::string path = folder.WriteFile("toc.htm", page);

    CTocLinkCollector collector(callback, &progress);
    EXPECT_EQ(50u, Collect(path, collector).size());
    EXPECT_EQ(static_cast<LONG>(page.size()), progress.total);
    EXPECT_GT(progress.calls, 5);

    progress = Progress{};
    progress.stopAfter = 2;
    EXPECT_LT(Collect(path, collector).size(), 50u);  // a FALSE answer stops the parse
}

}  // namespace
