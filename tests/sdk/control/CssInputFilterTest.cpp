// The built-in style-sheet filter on its own: colour values rewritten line by line, lines
// of any length kept whole, line ends, sizes and the abort answer of the host.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"
#include "sdk/control/CssInputFilter.h"
#include "tests/support/TempFolder.h"

namespace {

struct RewriteCase {
    const char* line;
    const char* expected;
};

class CssRewriteLine : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(CssRewriteLine, WritesColoursInTheSixDigitForm) {
    std::string line = GetParam().line;
    BOOL changed = CCssInputFilter::RewriteLine(line);
    EXPECT_EQ(GetParam().expected, line);
    EXPECT_EQ(std::string(GetParam().line) != GetParam().expected, changed != FALSE);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CssRewriteLine,
    ::testing::Values(RewriteCase{"color:#abc;", "color:#AABBCC;"},
                      RewriteCase{"color:#FFF;", "color:#FFFFFF;"},
                      RewriteCase{"color: ffcc00", "color: #FFCC00"},
                      RewriteCase{"color: #AbCdEf", "color: #AbCdEf"},
                      RewriteCase{"color: black", "color: black"},
                      RewriteCase{"color: blue; background-color: beige", "color: blue; background-color: beige"},
                      RewriteCase{"color: red", "color: red"},
                      RewriteCase{"color: caf\xC3\xA9-au-lait", "color: caf\xC3\xA9-au-lait"},
                      RewriteCase{"color:#abcd", "color:#ABCD00"},
                      RewriteCase{"color:#abcde", "color:#ABCD0E"},
                      RewriteCase{"COLOR: #abc", "COLOR: #abc"},
                      RewriteCase{"color #abc", "color #abc"},
                      RewriteCase{"color: #", "color: #"},
                      RewriteCase{"color: #aabbccdd", "color: #aabbccdd"},
                      RewriteCase{"color: a#bc", "color: a#bc"},
                      RewriteCase{"p{color:#123}h1{border-color :\t#0f0;background-color:fed}",
                                  "p{color:#112233}h1{border-color :\t#00FF00;background-color:#FFEEDD}"},
                      RewriteCase{"a{color:", "a{color:"}));

class FakeHost final : public IFilterHost {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT SetErrorDetails(LPCOLESTR) override { return S_OK; }
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR) override {
        dependencies.push_back(leaf::Utf16ToUtf8(std::u16string_view(path)));
        return S_OK;
    }
    HRESULT GetSourceFolder(BSTR*) override { return E_NOTIMPL; }
    HRESULT StepProgress(LONG units) override {
        steps.push_back(units);
        return abort ? E_ABORT : S_OK;
    }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return S_OK; }
    HRESULT AddOutputFile(LPCOLESTR) override { return S_OK; }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return S_OK; }

    std::vector<LONG> steps;
    std::vector<std::string> dependencies;
    bool abort = false;
};

class CssConvert : public ::testing::Test {
protected:
    HRESULT Convert(const std::string& contents) {
        std::string source = folder.WriteFile("style.css", contents);
        return filter.Convert(leaf::Utf8ToUtf16(source).c_str(), leaf::Utf8ToUtf16(folder / "out.css").c_str(), 0,
                              &host);
    }
    std::string Output() const {
        std::string text;
        EXPECT_TRUE(leaf::ReadFileBytes(folder / "out.css", text));
        return text;
    }

    leaf::test::TempFolder folder;
    CCssInputFilter filter;
    FakeHost host;
};

TEST_F(CssConvert, KeepsAMinifiedStyleSheetWhole) {
    // One line far longer than any read buffer, with colours all along it.
    std::string line;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        line += ".c" + std::to_string(i) + "{color:#abc;margin:0}";
        expected += ".c" + std::to_string(i) + "{color:#AABBCC;margin:0}";
    }
    ASSERT_EQ(S_OK, Convert(line));
    EXPECT_EQ(expected, Output());
    EXPECT_EQ(std::vector<LONG>{static_cast<LONG>(line.size())}, host.steps);
}

TEST_F(CssConvert, WritesPlatformLineEndsAndCountsEveryLine) {
    ASSERT_EQ(S_OK, Convert("a { color: #fff }\r\nb { }\r\n"));
    EXPECT_EQ("a { color: #FFFFFF }\nb { }\n", Output());
    EXPECT_EQ((std::vector<LONG>{19, 7}), host.steps);  // the bytes of each line in the file
}

TEST_F(CssConvert, StopsWhenTheHostAnswersAbort) {
    host.abort = true;
    EXPECT_EQ(E_ABORT, Convert("a{}\nb{}\nc{}\n"));
    EXPECT_EQ(1u, host.steps.size());
}

TEST_F(CssConvert, ReportsMissingSourcesAndNullArguments) {
    EXPECT_EQ(static_cast<HRESULT>(0x80030003),
              filter.Convert(leaf::Utf8ToUtf16(folder / "none.css").c_str(),
                             leaf::Utf8ToUtf16(folder / "out.css").c_str(), 0, &host));
    EXPECT_EQ(E_POINTER, filter.Convert(u"a.css", u"b.css", 0, nullptr));
    int somewhere = 0;
    void* other = &somewhere;
    EXPECT_EQ(E_NOTIMPL, filter.QueryInterface(IID_IUnknown, &other));
    EXPECT_EQ(nullptr, other);
    LONG units = 7;
    EXPECT_EQ(static_cast<HRESULT>(0x80030003), filter.GetSize(leaf::Utf8ToUtf16(folder / "none.css").c_str(), 0, &units));
    EXPECT_EQ(0, units);
    std::string source = folder.WriteFile("sized.css", "12345");
    EXPECT_EQ(S_OK, filter.GetSize(leaf::Utf8ToUtf16(source).c_str(), 0, &units));
    EXPECT_EQ(5, units);
}

TEST_F(CssConvert, UrlsOfOutsideFilesReachTheirCopiesInTheWorkFolder) {
    const std::map<std::string, std::string> outside = {{"/art/logo.gif", "external/logo.gif"},
                                                        {"/art/say \"hi\".png", "external/say \"hi\".png"}};
    filter.SetWorkPaths(&outside, nullptr, folder.Path().string(), folder / "work");
    const std::string source = folder.WriteFile(
        "css/style.css", "a { background: url(/ART/logo.gif#x) url(local.png) }\n"
                         "b { background: url('../../../../../../../../art/say%20\"hi\".png'); color: #abc }\n");
    ASSERT_EQ(S_OK, filter.Convert(leaf::Utf8ToUtf16(source).c_str(),
                                   leaf::Utf8ToUtf16(folder.WriteFile("work/css/out.css", "")).c_str(), 0, &host));
    std::string text;
    ASSERT_TRUE(leaf::ReadFileBytes(folder / "work/css/out.css", text));
    // Written as a link: what a reader of the link would decode is escaped.
    EXPECT_EQ("a { background: url(\"../external/logo.gif#x\") url(local.png) }\n"
              "b { background: url(\"../external/say%20%22hi%22.png\"); color: #AABBCC }\n",
              text);
}

TEST_F(CssConvert, UrlsOfOutsideFilesWhoseNamesDifferOnlyInCaseReachTheirOwnCopies) {
    // As the control enters them: each exact name, and the first under its lower-cased name.
    const std::map<std::string, std::string> outside = {{"/art/Logo.gif", "external/Logo.gif"},
                                                        {"/art/logo.gif", "external/logo1.gif"}};
    filter.SetWorkPaths(&outside, nullptr, folder.Path().string(), folder / "work");
    const std::string source =
        folder.WriteFile("css/style.css", "a { background: url(/art/Logo.gif) url(/art/logo.gif) url(/ART/LOGO.GIF) }\n");
    ASSERT_EQ(S_OK, filter.Convert(leaf::Utf8ToUtf16(source).c_str(),
                                   leaf::Utf8ToUtf16(folder.WriteFile("work/css/out.css", "")).c_str(), 0, &host));
    std::string text;
    ASSERT_TRUE(leaf::ReadFileBytes(folder / "work/css/out.css", text));
    EXPECT_EQ("a { background: url(\"../external/Logo.gif\") url(\"../external/logo1.gif\") "
              "url(\"../external/logo1.gif\") }\n",
              text);
}

// Pictures of the source folder whose names differ only in case: the later one took a
// name of its own, which the style sheet's url() follows (escaped as a link), while a
// url() of the other's exact name stays as written.
TEST_F(CssConvert, UrlsOfRenamedPicturesReachTheirNewNames) {
    folder.WriteFile("book/pics/a.gif", "GIF89a");
    folder.WriteFile("book/pics/A.gif", "GIF89a");
    folder.WriteFile("book/pics/b#1.gif", "GIF89a");
    const std::map<std::string, std::string> converted = {{folder / "book/pics/A.gif", folder / "work/pics/A1.gif"},
                                                          {folder / "book/pics/b#1.gif", folder / "work/pics/b#2.gif"}};
    filter.SetWorkPaths(nullptr, &converted, folder / "book", folder / "work");
    const std::string source = folder.WriteFile(
        "book/css/style.css", "a { background: url(../pics/a.gif) url(../pics/A.gif) url('../pics/b%231.gif') }\n");
    ASSERT_EQ(S_OK, filter.Convert(leaf::Utf8ToUtf16(source).c_str(),
                                   leaf::Utf8ToUtf16(folder.WriteFile("work/css/style.css", "")).c_str(), 0, &host));
    std::string text;
    ASSERT_TRUE(leaf::ReadFileBytes(folder / "work/css/style.css", text));
    EXPECT_EQ("a { background: url(../pics/a.gif) url(\"../pics/A1.gif\") url(\"../pics/b%232.gif\") }\n", text);
}

TEST_F(CssConvert, PrepareReportsTheFilesTheStyleSheetNames) {
    std::string source = folder.WriteFile("css/style.css",
                                          "@font-face { src: url(\"../fonts/serif.ttf\") }\n"
                                          "body { background: url(paper%20white.png) }\n"
                                          "/* url(old.png) */ h1 { background: url(/art/logo.gif) }\n"
                                          "p { background: url(http://web.example/a.png) url(file:///art/b.png) }\n");
    ASSERT_EQ(S_OK, filter.Prepare(leaf::Utf8ToUtf16(source).c_str(), nullptr, &host));
    EXPECT_EQ((std::vector<std::string>{folder / "fonts/serif.ttf", folder / "css/paper white.png", "/art/logo.gif",
                                        "http://web.example/a.png", "/art/b.png"}),
              host.dependencies);

    // A style sheet that cannot be read names nothing and is no failure.
    host.dependencies.clear();
    EXPECT_EQ(S_OK, filter.Prepare(leaf::Utf8ToUtf16(folder / "none.css").c_str(), nullptr, &host));
    EXPECT_EQ(std::vector<std::string>{}, host.dependencies);
    EXPECT_EQ(E_POINTER, filter.Prepare(nullptr, nullptr, &host));
}

}  // namespace
