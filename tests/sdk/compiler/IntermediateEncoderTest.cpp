// The intermediate-source encoder: what reaches the compiler's markup stream, the
// well-formedness messages, link rewriting, the style-sheet link and progress.

#include <gtest/gtest.h>

#include "sdk/compiler/IntermediateEncoder.h"
#include "sdk/compiler/StyleSheetLink.h"
#include "tests/sdk/compiler/RecordingStreams.h"
#include "tests/support/TempFolder.h"

namespace compilertest {
namespace {

class Encoder : public ::testing::Test {
protected:
    // Encodes the text as a file; the stream's record is in stream->out.
    BOOL Encode(const std::string& text, const char* name = "doc.htm") {
        path = folder.WriteFile(name, text);
        CIntermediateEncoder encoder(&host, &outside, &converted);
        encoder.SetLinkAttributes(linkAttributes);
        stream->lineOut = &line;
        return encoder.EncodeFile(path.c_str(), stream.Get(), &line);
    }

    // Encodes the text as the page at `name` below the work folder of a build whose
    // sources lie in `source`.
    BOOL EncodeBuildPage(const std::string& name, const std::string& text) {
        path = folder.WriteFile("work/" + name, text);
        CIntermediateEncoder encoder(&host, &outside, &converted);
        encoder.SetFolders(CString(source), CString(work));
        return encoder.EncodeFile(CString(path), stream.Get(), &line);
    }

    leaf::test::TempFolder folder;
    RecordingHost host;
    CIntermediateEncoder::WorkPathMap outside;
    CIntermediateEncoder::WorkPathMap converted;
    std::u16string linkAttributes;
    leaf::ComPtr<RecordingMarkupStream> stream{new RecordingMarkupStream()};
    LONG line = 0;
    std::string path;
    const std::string source = folder / "src";
    const std::string work = folder / "work";
};

TEST_F(Encoder, StreamsElementsTextAndEntitiesButNotDeclarations) {
    ASSERT_TRUE(Encode("<?xml version=\"1.0\"?>\n<!DOCTYPE html>\n<html><body class='a b'>\n"
                       "<p>a&amp;b\tc<!-- note --></p></body></html>\n"));
    EXPECT_EQ("\n\n<html><body class=a b>\n<p>a&b\tc</></></>\n", stream->out);
    EXPECT_EQ((std::vector<LONG>{3, 3, 4}), stream->lines);
    EXPECT_EQ(0, stream->ends) << "the caller ends the stream";
}

// Text reaches the stream in runs: what lies between two elements in one call, a long
// text in a few, never a call per character.
TEST_F(Encoder, HandsTextOverInRuns) {
    const std::string words(10000, 'w');
    ASSERT_TRUE(Encode("<p>" + words + "</p><p>a &amp; b<br>c</p>\n"));
    EXPECT_EQ("<p>" + words + "</><p>a & b<br/>c</>\n", stream->out);
    EXPECT_LE(stream->textCalls, 7);
}

TEST_F(Encoder, ClosesEmptyElementsAtOnceAndIgnoresTheirEndTags) {
    ASSERT_TRUE(Encode("<p>x<br>y<img src=a.gif /><hr/></br></p>"));
    EXPECT_EQ("<p>x<br/>y<img src=a.gif/><hr/></>", stream->out);
}

TEST_F(Encoder, AnEndTagWithASlashStillEndsItsElement) {
    ASSERT_TRUE(Encode("<html><p>a</p/></html/>"));
    EXPECT_EQ("<html><p>a</></>", stream->out);
}

TEST_F(Encoder, PassesOverTagsThatNameNoElement) {
    ASSERT_TRUE(Encode("<p>a<`/>b</p>"));
    EXPECT_EQ("<p>ab</>", stream->out);
}

TEST_F(Encoder, MatchesEndTagsWithRegardToCase) {
    EXPECT_FALSE(Encode("<html>\n<p>text\n</P></html>"));
    EXPECT_EQ("The intermediate source file \"" + path + "\" is not well-formed.\n"
              "The \"<p>\" tag on line 2 is not properly closed prior to the \"</P>\" tag on line 3.",
              host.details);
}

TEST_F(Encoder, ListsUnclosedTagsInnermostFirst) {
    EXPECT_FALSE(Encode("<ul>\n<li>one\n"));
    EXPECT_EQ("The intermediate source file \"" + path + "\" is not well-formed.\n"
              "The following tag(s) were left un-closed: <li>, <ul>.",
              host.details);
}

TEST_F(Encoder, ReportsAnEndTagWithNothingOpen) {
    EXPECT_FALSE(Encode("text</div>"));
    EXPECT_EQ("The intermediate source file \"" + path + "\" is not well-formed.\n"
              "The \"</div>\" tag on line 1 has no matching start tag.",
              host.details);
}

TEST_F(Encoder, ReportsFilesThatCannotBeOpenedAndStreamFailures) {
    CIntermediateEncoder encoder(&host, nullptr, nullptr);
    std::string missing = folder / "gone.htm";
    EXPECT_FALSE(encoder.EncodeFile(missing.c_str(), stream.Get(), nullptr));
    EXPECT_EQ("Unable to open the intermediate source file \"" + missing + "\".", host.details);

    stream->failTextAt = 1;  // the text "\nab", in one run
    EXPECT_FALSE(Encode("<p>\nab</p>"));
    EXPECT_EQ("An unexpected encoding error (0x8007000E) occurred while parsing and encoding line 2 of the "
              "intermediate source file \"" + path + "\".",
              host.details);
}

TEST_F(Encoder, InsertsTheStyleSheetLinkIntoTheHeadOnce) {
    linkAttributes = u"rel='stylesheet' href='fonts.css' type='text/css' /";
    ASSERT_TRUE(Encode("<html><HEAD><title>t</title></HEAD><body></body></html>"));
    EXPECT_EQ("<html><HEAD><link rel=stylesheet href=fonts.css type=text/css/><title>t</></><body></></>", stream->out);

    stream = new RecordingMarkupStream();
    ASSERT_TRUE(Encode("<html><body><p>x</p></body></html>"));
    EXPECT_EQ("<html><head><link rel=stylesheet href=fonts.css type=text/css/></><body><p>x</></></>", stream->out);
}

TEST_F(Encoder, RewritesLinksToOutsideAndConvertedItems) {
    outside["/elsewhere/logo.gif"] = "external/logo.gif";
    converted["chapter2.txt"] = "chapter2.htm";
    ASSERT_TRUE(Encode("<p><img src=\"file:///Elsewhere/Logo%2Egif\"><a href='Chapter2.txt#s1'>x</a>"
                       "<a href='other.htm#s1'>y</a><img src=/elsewhere/logo.gif></p>"));
    EXPECT_EQ("<p><img src=external/logo.gif/><a href=chapter2.htm#s1>x</><a href=other.htm#s1>y</>"
              "<img src=external/logo.gif/></>",
              stream->out);
}

// Items whose names differ only in case are entered under each exact name and, for the
// first, under the lower-cased name too: an exact name finds its own item.
TEST_F(Encoder, AnExactNameFindsItsOwnItemBeforeTheLowerCasedOne) {
    converted["FAQ.htm"] = "faq.htm";
    converted["faq.htm"] = "faq1.htm";
    outside["/art/Logo.gif"] = "external/Logo.gif";
    outside["/art/logo.gif"] = "external/logo1.gif";
    ASSERT_TRUE(Encode("<p><a href='FAQ.htm#a'>1</a><a href='faq.htm'>2</a><a href='Faq.HTM'>3</a>"
                       "<img src='/art/Logo.gif'><img src='file:///art/logo.gif'><img src='/ART/LOGO.GIF'></p>"));
    EXPECT_EQ("<p><a href=faq.htm#a>1</><a href=faq1.htm>2</><a href=faq1.htm>3</>"
              "<img src=external/Logo.gif/><img src=external/logo1.gif/><img src=external/logo1.gif/></>",
              stream->out);
}

// With the build's folders, a page's relative links are read from its own folder and
// written relative to it: converted neighbours, outside copies and renamed pictures are
// found from a subfolder, in href, src, style elements and style attributes. A picture
// keeps its own name when a renamed one's name differs from it only in case, and stays
// a picture where it is also a page of the reading order.
TEST_F(Encoder, MapsLinksFromThePagesOwnFolder) {
    folder.WriteFile("src/ch/pics/a.gif", "GIF89a");
    folder.WriteFile("src/ch/pics/A.gif", "GIF89a");
    converted[source + "/ch/Notes.txt"] = work + "/ch/Notes.htm";
    converted[source + "/ch/pics/A.gif"] = work + "/ch/pics/A1.gif";
    converted[source + "/ch/plate.gif"] = work + "/ch/plate.htm";
    outside[folder / "art/o.gif"] = "external/o.gif";
    ASSERT_TRUE(EncodeBuildPage(
        "ch/page.htm",
        "<style>b { background: url(../../art/o.gif) }</style>"
        "<p style=\"background: url('pics/A.gif')\"><a href=\"Notes.txt#x\">n</a><img src=\"pics/a.gif\">"
        "<img src=\"pics/A.gif\"><img src=\"plate.gif\"><a href=\"plate.gif\">p</a>"
        "<a href=\"http://example.com/Notes.txt\">w</a></p>"))
        << host.details;
    EXPECT_EQ("<style>b { background: url(\"../external/o.gif\") }</>"
              "<p style=background: url(&quot;pics/A1.gif&quot;)><a href=Notes.htm#x>n</><img src=pics/a.gif/>"
              "<img src=pics/A1.gif/><img src=plate.gif/><a href=plate.htm>p</>"
              "<a href=http://example.com/Notes.txt>w</></>",
              stream->out);
}

// Links are read as the page means them, character references decoded, and written
// back as attribute text whose link reads as the item's name: what a reader of the link
// would decode, or end its path at, is escaped ("%XX"), a ':' that would end a scheme
// too, and '&' is a reference again. A link the maps do not know stays as written.
TEST_F(Encoder, ReadsReferencesInLinksAndWritesTheMappedLinksEscaped) {
    converted[source + "/n&m.txt"] = work + "/n&m.htm";
    converted[source + "/hash#1.txt"] = work + "/hash#1.htm";
    converted[source + "/q?.txt"] = work + "/q?.htm";
    converted[source + "/pct%41.txt"] = work + "/pct%41.htm";
    converted[source + "/c:x.txt"] = work + "/c:x.htm";
    outside[folder / "art/o&2.gif"] = "external/o&2.gif";
    outside[folder / "art/out.gif"] = "external/out.gif";
    ASSERT_TRUE(EncodeBuildPage(
        "page.htm",
        "<p><a href=\"n&amp;m.txt\">1</a><img src=\"../art/o&amp;2.gif\">"
        "<i style=\"background:url(&quot;../art/out.gif&quot;)\">2</i><a href=\"hash%231.txt#top\">3</a>"
        "<a href=\"q%3F.txt\">4</a><a href=\"pct%2541.txt\">5</a><a href=\"./c:x.txt\">6</a>"
        "<a href=\"n&amp;m.htm?x=1&amp;y\">7</a></p>"))
        << host.details;
    EXPECT_EQ("<p><a href=n&amp;m.htm>1</><img src=external/o&amp;2.gif/>"
              "<i style=background:url(&quot;external/out.gif&quot;)>2</><a href=hash%231.htm#top>3</>"
              "<a href=q%3F.htm>4</><a href=pct%2541.htm>5</><a href=c%3Ax.htm>6</>"
              "<a href=n&amp;m.htm?x=1&amp;y>7</></>",
              stream->out);
}

TEST_F(Encoder, ReportsProgressEveryHundredPositionsAndTheRestAtTheEnd) {
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "word ";
    ASSERT_TRUE(Encode("<p>" + words + "</p>\n"));
    LONG sum = 0;
    for (LONG step : host.steps)
        sum += step;
    EXPECT_EQ(static_cast<LONG>(words.size() + 8), sum);
    EXPECT_GE(host.steps.size(), 3u);

    host.abort = true;
    EXPECT_FALSE(Encode("<p>" + words + "</p>\n"));
}

TEST(StyleSheetLink, IsRelativeToTheDocumentWhenTheyShareAFolder) {
    EXPECT_EQ("rel='stylesheet' href='../fonts.css' type='text/css' /",
              MakeStyleSheetLink("/w/book/sub/a.htm", "/w/book/fonts.css"));
    EXPECT_EQ("rel='stylesheet' href='/w/fonts.css' type='text/css' /", MakeStyleSheetLink("a.htm", "/w/fonts.css"));
}

}  // namespace
}  // namespace compilertest
