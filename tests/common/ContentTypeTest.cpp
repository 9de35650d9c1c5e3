#include "common/ContentType.h"

#include <gtest/gtest.h>

#include "platform/registry/Registry.h"

namespace {

void RegisterContentType(const char* extension, const char* type)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, extension, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(type),
                            static_cast<DWORD>(strlen(type) + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(GetContentType, BuiltInTableIgnoresCase)
{
    struct Case { const char* name; const char* type; };
    for (const Case c : {Case{"a.css", "text/css"}, Case{"BOOK.HTML", "text/html"}, Case{"x.Htm", "text/html"},
                         Case{"notes.txt", "text/plain"}, Case{"p.gif", "image/gif"}, Case{"p.JFIF", "image/jpeg"},
                         Case{"p.jpe", "image/jpeg"}, Case{"p.jpeg", "image/jpeg"}, Case{"p.jpg", "image/jpeg"},
                         Case{"p.png", "image/png"}, Case{"f.eot", "application/vnd.ms-fontobject"},
                         Case{"f.ttf", "font/ttf"}, Case{"F.OTF", "font/otf"}, Case{"f.woff", "font/woff"},
                         Case{"f.woff2", "font/woff2"}}) {
        EXPECT_EQ(GetContentType(c.name).str(), c.type) << c.name;
    }
}

TEST(GetContentType, ExtensionComesFromTheFileName)
{
    EXPECT_EQ(GetContentType("noextension"), "");
    EXPECT_EQ(GetContentType("/books/v1.2/readme"), "");
    EXPECT_EQ(GetContentType("C:\\books\\v1.2\\readme"), "");
    EXPECT_EQ(GetContentType("/books/v1.2/page.htm"), "text/html");
    EXPECT_EQ(GetContentType("archive.tar.png"), "image/png");
}

TEST(GetContentType, RegistryAnswersForOtherExtensions)
{
    EXPECT_EQ(GetContentType("song.xyz"), "");
    RegisterContentType(".xyz", "audio/x-test");
    EXPECT_EQ(GetContentType("song.XYZ"), "audio/x-test");

    // A long registered type is read whole.
    const std::string longType = "application/" + std::string(300, 'q');
    RegisterContentType(".long", longType.c_str());
    EXPECT_EQ(GetContentType("a.long").str(), longType);
}

TEST(GetContentType, RegistryOnlySkipsTheTable)
{
    EXPECT_EQ(GetContentType("a.htm", TRUE), "");
    RegisterContentType(".htm", "text/x-registered");
    EXPECT_EQ(GetContentType("a.htm", TRUE), "text/x-registered");
    EXPECT_EQ(GetContentType("a.htm", FALSE), "text/html");
}

TEST(IsWordContentType, BothWordFormsAndNothingElse)
{
    for (const char* word : {"application/msword", "Application/MSWord",
                             "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
                             "APPLICATION/VND.OPENXMLFORMATS-OFFICEDOCUMENT.WORDPROCESSINGML.DOCUMENT"})
        EXPECT_TRUE(IsWordContentType(word)) << word;
    for (const char* other : {"", "text/html", "application/mswordx", "application/msword ",
                              "application/vnd.openxmlformats-officedocument.wordprocessingml.template",
                              "application/vnd.openxmlformats-officedocument.presentationml.presentation"})
        EXPECT_FALSE(IsWordContentType(other)) << other;
}

TEST(SplitFragment, SplitsKnownTypesAtTheLastHash)
{
    struct Case { const char* path; BOOL textOnly; const char* pathPart; const char* fragment; };
    for (const Case c : {Case{"page.htm#top", FALSE, "page.htm", "#top"},
                         Case{"#top", FALSE, "", "#top"},
                         Case{"#top", TRUE, "", "#top"},
                         Case{"file.unknown#x", FALSE, "file.unknown#x", ""},
                         Case{"page.htm", FALSE, "page.htm", ""},
                         Case{"pic.jpg#a", FALSE, "pic.jpg", "#a"},
                         Case{"pic.jpg#a", TRUE, "pic.jpg#a", ""},
                         Case{"a#b.htm#c", TRUE, "a#b.htm", "#c"},
                         Case{"STYLE.CSS#x", TRUE, "STYLE.CSS", "#x"}}) {
        CString pathPart = "stale", fragment = "stale";
        SplitFragment(c.path, pathPart, fragment, c.textOnly);
        EXPECT_EQ(pathPart.str(), c.pathPart) << c.path;
        EXPECT_EQ(fragment.str(), c.fragment) << c.path;
    }
}

TEST(SplitFragment, OutputMayBeTheInput)
{
    CString path = "page.htm#top";
    CString fragment;
    SplitFragment(path, path, fragment, TRUE);
    EXPECT_EQ(path, "page.htm");
    EXPECT_EQ(fragment, "#top");
}

}  // namespace
