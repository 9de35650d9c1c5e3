// The page writer on its own: element streams like the ones the control sends for
// carelessly written HTML, each written as a content document that xmllint reads as
// well-formed XML and that holds the expected XHTML.

#include <gtest/gtest.h>

#include <set>

#include "outside/litgen/XhtmlSerializer.h"
#include "platform/base/CString.h"
#include "platform/base/TextEncoding.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

using Target = CXhtmlSerializer::Target;

// The items of the e-book the pages link to: two of them under safe names of their own,
// and a picture readers need not show.
CXhtmlSerializer::TargetInfo LookUp(const std::string& path) {
    for (const char* page : {"other.htm", "page.htm", "sub/page.htm"})
        if (leaf::ToLowerAscii(path) == page)
            return {Target::ContentDocument, page, page, ""};
    if (path == "hash#1.htm")
        return {Target::ContentDocument, path, "hash_1.htm", ""};
    for (const char* picture : {"pics/a b.png", "pic.png"})
        if (path == picture)
            return {Target::OtherItem, picture, picture, ""};
    if (path == "what?.gif")
        return {Target::OtherItem, path, "what_.gif", ""};
    if (path == "scan.bmp")
        return {Target::OtherItem, path, path, "image/bmp"};
    return {};
}

// Streams markup written as tags into the writer, as the encoder would: "<x a=\"v\">"
// starts an element, "<x/>" one without content, "</x>" ends the innermost, "<!--c-->"
// is a comment, everything else is text (decoded as the encoder sends it, so a "<" is
// written "&lt;" here; attribute values as written).
void Stream(CXhtmlSerializer& page, const std::string& markup) {
    size_t at = 0;
    while (at < markup.size()) {
        if (markup[at] != '<') {
            const size_t end = markup.find('<', at);
            std::string text = markup.substr(at, end - at);
            for (size_t lt = text.find("&lt;"); lt != std::string::npos; lt = text.find("&lt;", lt + 1))
                text.replace(lt, 4, "<");
            page.WriteText(leaf::Utf8ToUtf16(text));
            at = end == std::string::npos ? markup.size() : end;
            continue;
        }
        if (markup.compare(at, 4, "<!--") == 0) {
            const size_t end = markup.find("-->", at);
            page.WriteComment(leaf::Utf8ToUtf16(markup.substr(at + 4, end - at - 4)));
            at = end + 3;
            continue;
        }
        const size_t end = markup.find('>', at);
        std::string tag = markup.substr(at + 1, end - at - 1);
        at = end + 1;
        if (tag[0] == '/') {
            page.EndElement();
            continue;
        }
        const bool empty = tag.back() == '/';
        if (empty)
            tag.pop_back();
        const size_t space = tag.find(' ');
        CXhtmlSerializer::Attributes attributes;
        for (size_t pos = space; pos != std::string::npos && pos < tag.size();) {
            const size_t equals = tag.find("=\"", pos);
            if (equals == std::string::npos)
                break;
            const size_t close = tag.find('"', equals + 2);
            const size_t nameStart = tag.find_first_not_of(' ', pos);
            attributes.emplace_back(leaf::Utf8ToUtf16(tag.substr(nameStart, equals - nameStart)),
                                    leaf::Utf8ToUtf16(tag.substr(equals + 2, close - equals - 2)));
            pos = close + 1;
        }
        page.StartElement(leaf::Utf8ToUtf16(tag.substr(0, space)), attributes, !empty);
    }
}

struct Case {
    const char* name;
    std::string path;
    std::string markup;
    std::vector<std::string> expected;  // each found in the document
    std::vector<std::string> absent;    // none found
};

class XhtmlSerializerCase : public ::testing::TestWithParam<Case> {};

bool WellFormed(const std::string& document, std::string& report) {
    leaf::test::TempFolder folder;
    const std::string path = folder.WriteFile("page.xhtml", document);
    const leaf::test::ChildResult result =
        leaf::test::RunChild("xmllint", {"--noout", "--nonet", path}, "", leaf::test::ErrorOutput::Merged);
    report = result.started ? result.out : "xmllint (Debian package libxml2-utils) could not be started";
    return result.started && result.exitStatus == 0;
}

TEST_P(XhtmlSerializerCase, WritesWellFormedXhtml) {
    const Case& test = GetParam();
    CXhtmlSerializer page(test.path, test.path, LookUp);
    Stream(page, test.markup);
    const std::string document = page.Finish();
    std::string report;
    EXPECT_TRUE(WellFormed(document, report)) << report << document;
    EXPECT_EQ(0u, document.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
                                "<html xmlns=\"http://www.w3.org/1999/xhtml\""))
        << document;
    EXPECT_NE(std::string::npos, document.find("<title>")) << document;
    for (const std::string& part : test.expected)
        EXPECT_NE(std::string::npos, document.find(part)) << part << "\n" << document;
    for (const std::string& part : test.absent)
        EXPECT_EQ(std::string::npos, document.find(part)) << part << "\n" << document;
}

const Case kCases[] = {
    {"BlockEndsParagraph", "page.htm", "<p>a<div>b</div>c</p>", {"<body><p>a</p><div>b</div>c</body>"}, {}},
    {"BlockInPhrasingBecomesSpan", "page.htm", "<b>x<p>y</p></b>", {"<b>x<span>y</span></b>"}, {}},
    {"StrayListContentGetsItems", "page.htm", "<ul>stray<li>one</li><p>two</p></ul>",
     {"<ul><li>stray</li><li>one</li><li><p>two</p></li></ul>"}, {}},
    {"StrayTableContentGetsRowsAndCells", "page.htm", "<table><td>c</td>t</table>",
     {"<table><tr><td>c</td><td>t</td></tr></table>"}, {}},
    // XHTML holds columns in column groups, and rows in row groups or directly, not both.
    {"TableColumnsGetTheirGroupAndRowsOneForm", "page.htm",
     "<table><col align=\"left\"/><col/><tbody><tr><td>a</td></tr></tbody><tr><td>b</td></tr></table>"
     "<table><tr><td>c</td></tr><tbody><tr><td>d</td></tr></tbody></table>",
     {"<table><colgroup><col style=\"text-align: left\" /><col /></colgroup><tbody><tr><td>a</td></tr></tbody>"
      "<tbody><tr><td>b</td></tr></tbody></table>",
      "<table><tr><td>c</td></tr><tr><td>d</td></tr></table>"},
     {}},
    {"FontBecomesStyledSpan", "page.htm", "<font color=\"red\" face=\"Serif\" size=\"5\">r</font>",
     {"<span style=\"color: red; font-family: Serif; font-size: x-large\">r</span>"}, {"<font"}},
    {"CenterBecomesDiv", "page.htm", "<center>c</center>", {"<div style=\"text-align: center\">c</div>"}, {}},
    {"PresentationalAndUnknownAttributes", "page.htm", "<p align=\"right\" foo=\"bar\" style=\"margin: 0\">x</p>",
     {"<p data-foo=\"bar\" style=\"text-align: right; margin: 0\">x</p>"}, {" align="}},
    {"TextAndAttributesEscaped", "page.htm", "<p title=\"say &quot;hi&quot; &amp; AT&T\">a & b &lt; c > d</p>",
     {"title=\"say &quot;hi&quot; &amp; AT&amp;T\"", ">a &amp; b &lt; c &gt; d</p>"}, {}},
    {"CharactersXmlDisallowsReplaced", "page.htm", "<p>a\x01" "b\xEF\xBF\xBF" "c</p>",
     {"<p>a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c</p>"}, {}},
    {"CharsetDeclarationSaysUtf8", "page.htm",
     "<html><head><title>T</title><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"/>"
     "</head><body>x</body></html>",
     {"<meta charset=\"utf-8\" />", "<title>T</title>"}, {"windows-1252"}},
    {"TitleFromFirstHeading", "page.htm", "<h1>Big <i>Heading</i></h1><h2>Less</h2>", {"<title>Big Heading</title>"}, {}},
    {"TitleFromFileName", "sub/page.htm", "<p>x</p>", {"<title>page</title>"}, {}},
    {"StyleWithMarkupCharactersInCdata", "page.htm", "<style>a::before { content: \"&lt;&>\" }</style>",
     {"<style><![CDATA[a::before { content: \"<&>\" }]]></style>"}, {}},
    {"StyleInBodyMovesToHead", "page.htm", "<body><style>p { }</style><p>x</p></body>",
     {"<style>p { }</style>\n</head>", "<body><p>x</p></body>"}, {}},
    {"LinksToNothingKeptAsData", "page.htm",
     "<a href=\"missing.htm\">m</a><a href=\"other.htm#s\">o</a><a href=\"http://x.org/a b\">w</a>"
     "<img src=\"gone.png\" alt=\"Gone\"/>",
     {"<a data-href=\"missing.htm\">m</a>", "<a href=\"other.htm#s\">o</a>", "href=\"http://x.org/a%20b\"",
      "<span>Gone</span>"},
     {"gone.png"}},
    {"LinkLetterCaseMadeTheItemsOwn", "page.htm", "<a href=\"Other.HTM\">o</a>", {"<a href=\"other.htm\">o</a>"}, {}},
    {"SourcesRelativeToThePageEscaped", "sub/page.htm", "<img src=\"../pics/a b.png\" alt=\"\"/>",
     {"<img src=\"../pics/a%20b.png\" alt=\"\" />"}, {}},
    {"DuplicateIdKeptAsData", "page.htm", "<p id=\"a\">1</p><p id=\"a\">2</p>",
     {"<p id=\"a\">1</p><p data-id=\"a\">2</p>"}, {}},
    {"UnknownElementsBecomeSpanOrDiv", "page.htm", "<p><o:p>x</o:p></p><foo><p>y</p></foo>",
     {"<p><span>x</span></p><div><p>y</p></div>"}, {"o:p", "<foo"}},
    {"LinkInsideLinkBecomesSpan", "page.htm", "<p id=\"x\">x</p><a href=\"#x\">1<a href=\"#x\">2</a></a>",
     {"<a href=\"#x\">1<span data-href=\"#x\">2</span></a>"}, {}},
    {"EmptyElementsStayOpenAndClosed", "page.htm", "<div/><a name=\"n\"/><br/>", {"<div></div><a name=\"n\" id=\"n\"></a><br />"}, {}},
    {"ContentBeforeBodyAndBodyAttributes", "page.htm", "x<body bgcolor=\"#fff\">y</body>",
     {"<body style=\"background-color: #fff\">xy</body>"}, {"bgcolor"}},
    {"CommentCannotHoldTwoDashes", "page.htm", "<p>a<!--a--b-->b</p>", {"<!--a- -b-->"}, {}},
    {"LanguagesAgree", "page.htm", "<html lang=\"fr\" xml:lang=\"de\"><body>x</body></html>",
     {"lang=\"fr\" xml:lang=\"fr\""}, {"\"de\""}},
    {"LinkToAPlaceThePageLacksKeptAsData", "page.htm",
     "<p id=\"t\">x</p><a href=\"#t\">ok</a><a href=\"#gone\">bad</a><a href=\"page.htm#gone\">again</a>",
     {"<a href=\"#t\">ok</a><a data-href=\"#gone\">bad</a><a href=\"page.htm\">again</a>"}, {}},
    {"AriaNameThatIsNoXmlNameKeptAsData", "page.htm", "<p aria-/x=\"1\" aria-label=\"ok\">x</p>",
     {"<p data-aria--x=\"1\" aria-label=\"ok\">x</p>"}, {}},
    {"DefinitionBeforeAnyTermGetsAnEmptyTerm", "page.htm", "<dl><dd>d</dd><dt>t</dt><dd>e</dd></dl>",
     {"<dl><dt></dt><dd>d</dd><dt>t</dt><dd>e</dd></dl>"}, {}},
    // A contents list of terms only, and terms whose nested list was closed before them.
    {"TermsWithoutDefinitionGetAnEmptyOne", "page.htm",
     "<dl>\n<dt>a</dt>\n<dd><dl><dt>b</dt><dt>c</dt></dl></dd><dt>d</dt>\n</dl>",
     {"<dl>\n<dt>a</dt>\n<dd><dl><dt>b</dt><dt>c</dt><dd></dd></dl></dd><dt>d</dt>\n<dd></dd></dl>"}, {}},
    {"StrayListInDefinitionListGetsItsDefinition", "page.htm", "<dl><dt>a</dt><dl><dt>b</dt></dl></dl>",
     {"<dl><dt>a</dt><dd><dl><dt>b</dt><dd></dd></dl></dd></dl>"}, {}},
    {"FrameHoldsNothingItsTextFollows", "page.htm", "<p><iframe src=\"other.htm\">fallback</iframe></p>",
     {"<p><iframe src=\"other.htm\"></iframe>fallback</p>"}, {}},
    {"ElementsWithoutTheirRequiredAttribute", "page.htm",
     "<map id=\"m\">x</map><p><object>o</object><img alt=\"no source\"/></p><p aria-x=\"1\">y</p>",
     {"<div id=\"m\">x</div>", "<p><span>o</span><span>no source</span></p>", "<p data-aria-x=\"1\">y</p>"}, {}},
    {"NothingInteractiveInsideALink", "page.htm",
     "<p><a href=\"other.htm\">go <select name=\"s\"><option>o</option></select><input type=\"text\"/></a>"
     "<area href=\"other.htm\" alt=\"\"/><iframe src=\"gone.htm\"></iframe><a href=\"other.htm\" type=\"square\">t</a></p>",
     {"<a href=\"other.htm\">go <span id=\"s\"><span>o</span></span></a>",
      "<iframe data-src=\"gone.htm\"></iframe>", "<a href=\"other.htm\" data-type=\"square\">t</a>"},
     {"<area", "<input", "<select"}},
    {"PictureSizes", "page.htm", "<img src=\"pic.png\" alt=\"\" width=\"50%\" height=\"10\"/>",
     {"<img src=\"pic.png\" alt=\"\" height=\"10\" style=\"width: 50%\" />"}, {}},
    // Readers show an object's text where they cannot show its picture.
    {"PictureReadersNeedNotShowBecomesAnObject", "sub/page.htm",
     "<p><img src=\"../scan.bmp\" alt=\"A  scan\" class=\"c\" usemap=\"#m\" id=\"s\"/><a href=\"#s\">"
     "<img src=\"../scan.bmp\"/></a></p>",
     {"<p><object data=\"../scan.bmp\" type=\"image/bmp\" class=\"c\" id=\"s\">A scan</object><a href=\"#s\">",
      "<object data=\"../scan.bmp\" type=\"image/bmp\">scan.bmp</object></a>"},
     {"<img", "usemap"}},
    {"ReferencesNameItemsByTheirNamesInTheEBook", "page.htm",
     "<style>p { background: url(what%3F.gif) }</style><p style=\"background: url('what%3F.gif#x')\">"
     "<a href=\"hash%231.htm#top\">h</a><img src=\"what%3F.gif\" alt=\"w\"/></p>",
     {"p { background: url(\"what_.gif\") }", "style=\"background: url(&quot;what_.gif#x&quot;)\"",
      "<a href=\"hash_1.htm#top\">h</a>", "<img src=\"what_.gif\" alt=\"w\" />"},
     {"%3F", "%23"}},
    // EPUB allows no direction in style: a style attribute's becomes the element's dir.
    {"DirectionOfAStyleAttributeBecomesDir", "page.htm",
     "<p style=\"direction: rtl; color: red\">r</p><p dir=\"rtl\" style=\"DIRECTION:ltr !important\">l</p>"
     "<p style=\"unicode-bidi: embed; flex-direction: row\">f</p>",
     {"<p style=\"color: red\" dir=\"rtl\">r</p>", "<p dir=\"ltr\">l</p>", "<p style=\"flex-direction: row\">f</p>"},
     {"unicode-bidi", " direction"}},
    // Roles an element may not take are kept as data, as other attributes it may not carry.
    {"RolesAnElementMayNotTakeKeptAsData", "page.htm",
     "<details role=\"navigation\" id=\"toc\"><summary>s</summary>x</details><nav role=\"navigation\">n</nav>"
     "<div role=\"navigation main\">a</div><div role=\"Note\">b</div><div role=\"note\">c</div>"
     "<ol role=\"list\"><li role=\"doc-endnote\">e</li></ol><menu><li role=\"doc-endnote\">m</li></menu>"
     "<p><a href=\"other.htm\" role=\"doc-noteref\">1</a><a href=\"other.htm\" role=\"heading\">2</a>"
     "<a role=\"heading\">3</a><input type=\"CheckBox\" role=\"switch\"/><input type=\"date\" role=\"textbox\"/>"
     "<input role=\"textbox\"/></p>",
     {"<details data-role=\"navigation\" id=\"toc\">", "<nav role=\"navigation\">",
      "<div data-role=\"navigation main\">a</div><div data-role=\"Note\">b</div><div role=\"note\">c</div>",
      "<ol role=\"list\"><li role=\"doc-endnote\">e</li></ol><menu><li data-role=\"doc-endnote\">m</li></menu>",
      "<a href=\"other.htm\" role=\"doc-noteref\">1</a><a href=\"other.htm\" data-role=\"heading\">2</a>"
      "<a role=\"heading\">3</a><input type=\"CheckBox\" role=\"switch\" /><input type=\"date\" data-role=\"textbox\" />"
      "<input role=\"textbox\" />"},
     {}},
    {"RoleOfTheDocumentAndItsBody", "page.htm", "<html role=\"document\"><body role=\"main\">x</body></html>",
     {"<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" data-role=\"document\">",
      "<body data-role=\"main\">x</body>"},
     {}},
    // An attribute that is on by being there names itself, whatever value it came with.
    {"BooleanAttributesNameThemselves", "page.htm",
     "<p hidden=\"\"><input type=\"checkbox\" checked=\"\" disabled=\"true\"/></p>"
     "<details open=\"\"><summary>s</summary></details><p checked=\"\">x</p>",
     {"<p hidden=\"hidden\"><input type=\"checkbox\" checked=\"checked\" disabled=\"disabled\" /></p>",
      "<details open=\"open\">", "<p data-checked=\"\">x</p>"},
     {}},
    // The object of EPUB's content documents has no typemustmatch.
    {"TypeMustMatchOfAnObjectKeptAsData", "page.htm",
     "<object data=\"pic.png\" type=\"image/png\" typemustmatch=\"\">p</object>",
     {"<object data=\"pic.png\" type=\"image/png\" data-typemustmatch=\"\">p</object>"}, {}},
    {"DirectionLeavesStyleElements", "page.htm",
     "<style>p { direction: rtl } a:hover { color: red; unicode-bidi: bidi-override; }</style><p>x</p>",
     {"<style>p { } a:hover { color: red; }</style>"}, {"direction", "bidi"}},
};

INSTANTIATE_TEST_SUITE_P(Markup, XhtmlSerializerCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(XhtmlSerializer, CountsWhatItChangedAndCollectsLinksAndIds) {
    CXhtmlSerializer page("page.htm", "page.htm", LookUp);
    Stream(page, "<p id=\"top\">A <font>b</font><widget rank=\"1\">w</widget><a href=\"missing.htm\">x</a> <a href=\"other.htm#s\">Other\n page</a>"
                 "\x02</p><script>if (a &lt; b) go();</script>");
    const std::string document = page.Finish();
    const CXhtmlSerializer::Changes& changes = page.GetChanges();
    EXPECT_EQ(1u, changes.elements);    // the unknown element
    EXPECT_EQ(1u, changes.attributes);  // the attribute no element has
    EXPECT_EQ(1u, changes.links);
    EXPECT_EQ(1u, changes.characters);
    EXPECT_TRUE(page.HasScript());
    EXPECT_NE(std::string::npos, document.find("<script><![CDATA[if (a < b) go();]]></script>")) << document;
    ASSERT_EQ(1u, page.Links().size());
    EXPECT_EQ("other.htm", page.Links()[0].path);
    EXPECT_EQ("s", page.Links()[0].fragment);
    EXPECT_EQ("Other page", page.Links()[0].text);
    EXPECT_EQ(std::set<std::string>{"top"}, page.Ids());

    CXhtmlSerializer sound("page.htm", "page.htm", LookUp);
    Stream(sound, "<html><head><title>T</title></head><body><p>fine <em>text</em></p></body></html>");
    sound.Finish();
    EXPECT_EQ(0u, sound.GetChanges().Total());
    EXPECT_FALSE(sound.HasScript());
}

// A role kept as data is counted as any attribute kept only as data, on the document's
// own element too; a role the element may take is no change.
TEST(XhtmlSerializer, CountsTheRolesItKeptAsData) {
    CXhtmlSerializer page("page.htm", "page.htm", LookUp);
    Stream(page, "<html role=\"document\" lang=\"en\"><body><details role=\"navigation\"><summary>s</summary></details>"
                 "<nav role=\"navigation\">n</nav><ul><li role=\"doc-endnote\">e</li></ul></body></html>");
    page.Finish();
    EXPECT_EQ(2u, page.GetChanges().attributes);
    EXPECT_EQ(2u, page.GetChanges().Total());
}

// Only what makes the text read otherwise counts: a direction from right to left and an
// override of the bidirectional algorithm in style elements, an override in a style
// attribute (whose direction its element's dir keeps); and the text that came as the
// content of an element that holds none, as the rest of a page after an unclosed embed.
TEST(XhtmlSerializer, CountsTheDirectionsItLosesAndTheTextAVoidElementHeld) {
    CXhtmlSerializer page("page.htm", "page.htm", LookUp);
    Stream(page, "<style>p { direction: ltr } q { direction: rtl } b { unicode-bidi: isolate-override }</style>"
                 "<p style=\"direction: rtl; unicode-bidi: plaintext\">a</p><p style=\"unicode-bidi: embed\">b</p>"
                 "<embed src=\"pic.png\">&lt;p>rest of the page&lt;/p></embed>");
    const std::string document = page.Finish();
    EXPECT_EQ(3u, page.GetChanges().styles);
    EXPECT_EQ(1u, page.GetChanges().heldText);
    EXPECT_NE(std::string::npos, document.find("<embed src=\"pic.png\" />&lt;p&gt;rest of the page&lt;/p&gt;"))
        << document;

    CXhtmlSerializer sound("page.htm", "page.htm", LookUp);
    Stream(sound, "<style>p { direction: ltr }</style><p style=\"direction: ltr; unicode-bidi: isolate\">x</p>"
                  "<embed src=\"pic.png\"/><p>&lt;p> as text</p>");
    sound.Finish();
    EXPECT_EQ(0u, sound.GetChanges().Total());

    // An input that came as a container holds markup, not raw text: what it held follows
    // it, as HTML readers put it, and nothing is said of it.
    CXhtmlSerializer input("page.htm", "page.htm", LookUp);
    Stream(input, "<pre><input type=\"checkbox\"><code>import { a } from 'b';</code> &lt;Object></input></pre>");
    const std::string written = input.Finish();
    EXPECT_EQ(0u, input.GetChanges().Total());
    EXPECT_NE(std::string::npos,
              written.find("<pre><input type=\"checkbox\" /><code>import { a } from 'b';</code> &lt;Object&gt;</pre>"))
        << written;
}

// A style element's rules that readers of EPUB cannot read are counted as they go; its
// nested rules are written flat without a count, and style attributes stay as written.
TEST(XhtmlSerializer, CountsTheStyleRulesItLeavesOut) {
    CXhtmlSerializer page("page.htm", "page.htm", LookUp);
    Stream(page, "<style>a { b { c: d } } p:has(> q), [x=y i] { color: red }</style>"
                 "<p style=\"color: red; margin: 0\">x</p>");
    const std::string document = page.Finish();
    EXPECT_EQ(1u, page.GetChanges().styleRules);
    EXPECT_EQ(1u, page.GetChanges().Total());
    EXPECT_NE(std::string::npos, document.find("<style>a b { c: d }\n </style>")) << document;
    EXPECT_NE(std::string::npos, document.find("<p style=\"color: red; margin: 0\">x</p>")) << document;
}

// A page the e-book holds under a safe name writes its links from where it stands there.
TEST(XhtmlSerializer, APageUnderASafeNameLinksFromThere) {
    CXhtmlSerializer page("a?b/page.htm", "a_b/page.htm", LookUp);
    Stream(page, "<p style=\"background: url(../pic.png)\"><a href=\"../hash%231.htm\">h</a></p>");
    const std::string document = page.Finish();
    EXPECT_NE(std::string::npos, document.find("<p style=\"background: url(&quot;../pic.png&quot;)\">"
                                               "<a href=\"../hash_1.htm\">h</a></p>"))
        << document;
}

TEST(XhtmlSerializer, AnchorsNamedTheOldWayAreThePlacesLinksFind) {
    CXhtmlSerializer page("page.htm", "page.htm", LookUp);
    Stream(page, "<p><a href=\"#intro\">Intro</a> <a href=\"#gone\">Gone</a></p><h2><a name=\"intro\">1.</a> Intro</h2>"
                 "<p><a name=\"intro\">again</a><a name=\"own\" id=\"own-id\">x</a></p>");
    const std::string document = page.Finish();
    EXPECT_EQ((std::set<std::string>{"intro", "own-id"}), page.Ids());
    EXPECT_NE(std::string::npos, document.find("href=\"#intro\"")) << document;
    EXPECT_EQ(1u, page.GetChanges().links);  // only the link to a place no anchor names
    EXPECT_EQ(std::string::npos, document.find("id=\"own\"")) << document;
    std::string report;
    EXPECT_TRUE(WellFormed(document, report)) << report << document;
}

}  // namespace
