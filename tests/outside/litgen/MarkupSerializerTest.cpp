// The compiler's re-serialisation of an element stream, and its reading of the package.

#include <gtest/gtest.h>

#include "outside/litgen/MarkupSerializer.h"
#include "outside/litgen/PackageManifest.h"

namespace {

TEST(MarkupSerializer, WritesElementsAttributesAndEscapedText) {
    CMarkupSerializer serializer;
    serializer.StartElement(u"p", {{u"class", u"a\"b"}, {u"title", u"x &amp; y"}}, true);
    serializer.WriteText(u"1 < 2 & 3 > 0");
    serializer.StartElement(u"br", {}, false);
    EXPECT_TRUE(serializer.EndElement());
    EXPECT_FALSE(serializer.EndElement());
    // Attribute values stay as written (their references are not decoded), so only the
    // delimiting quote is escaped.
    EXPECT_EQ("<p class=\"a&quot;b\" title=\"x &amp; y\">1 &lt; 2 &amp; 3 &gt; 0<br /></p>", serializer.Text());
}

TEST(MarkupSerializer, KeepsStyleAndScriptTextAndJoinsSurrogatePairs) {
    CMarkupSerializer serializer;
    serializer.StartElement(u"STYLE", {}, true);
    serializer.WriteText(u"a > b { }");
    serializer.EndElement();
    serializer.StartElement(u"p", {}, true);
    // One unit per call, as the encoder writes: the pair is one character.
    serializer.WriteText(u"\xD83D");
    serializer.WriteText(u"\xDE00");
    serializer.EndElement();
    EXPECT_EQ("<STYLE>a > b { }</STYLE><p>\xF0\x9F\x98\x80</p>", serializer.Text());
}

TEST(PackageManifest, ReadsItemsOfTheManifestOnly) {
    CPackageManifest manifest;
    manifest.OnStartElement(u"package", {}, true);
    manifest.OnStartElement(u"item", {{u"id", u"stray"}, {u"href", u"no.htm"}}, false);
    manifest.OnStartElement(u"manifest", {}, true);
    manifest.OnStartElement(u"item", {{u"ID", u"a&amp;b"}, {u"href", u"sub/a%20b.htm"}, {u"media-type", u"text/html"}},
                            false);
    manifest.OnEndElement();
    manifest.OnStartElement(u"item", {{u"id", u"late"}, {u"href", u"late.htm"}}, false);
    ASSERT_TRUE(manifest.SawPackage());
    ASSERT_EQ(1u, manifest.Items().size());
    EXPECT_EQ("a&b", manifest.Items()[0].id);
    EXPECT_EQ("sub/a b.htm", manifest.Items()[0].href);
    EXPECT_EQ("text/html", manifest.Items()[0].mediaType);
}

TEST(PackageManifest, DecodesReferencesAndEscapesSafely) {
    EXPECT_EQ("<&>\"'A\xC3\xA9", CPackageManifest::DecodeReferences("&lt;&amp;&gt;&quot;&apos;&#65;&#xE9;"));
    EXPECT_EQ("&bogus; &#0; &", CPackageManifest::DecodeReferences("&bogus; &#0; &"));
    EXPECT_EQ("a b%zz%2%00", CPackageManifest::DecodePercent("a%20b%zz%2%00"));
}

}  // namespace
