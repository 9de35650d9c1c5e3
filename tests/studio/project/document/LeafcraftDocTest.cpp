#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <filesystem>

#include "platform/base/File.h"
#include "platform/registry/Registry.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/LeafcraftDoc.h"
#include "tests/studio/project/document/ArchiveBytes.h"
#include "tests/support/FifoWatchdog.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::test::ArchiveBytes;

// The document with the calls into other windows answered by the test.
class TestDoc : public CLeafcraftDoc {
public:
    TestDoc() { m_bAutoDelete = FALSE; }

    std::deque<std::string> locateAnswers;   // "" cancels
    int locateCalls = 0;
    std::vector<CString> locatedFolders;      // the folder each locate question names
    int fallbackAnswer = IDOK;
    int fallbackCalls = 0;

protected:
    BOOL LocateSourceFolder(const CString&, const CString& storedFolder, CString& chosen) override
    {
        ++locateCalls;
        locatedFolders.push_back(storedFolder);
        if (locateAnswers.empty() || locateAnswers.front().empty()) return FALSE;
        chosen = CString(locateAnswers.front());
        locateAnswers.pop_front();
        return TRUE;
    }
    int ShowFallbackWarning() override
    {
        ++fallbackCalls;
        return fallbackAnswer;
    }
    CString ReadWordTitle(const CString&) override { return "Word Title"; }
};

class LeafcraftDocTest : public testing::Test {
protected:
    LeafcraftDocTest() { app.SetRegistryKey("Tallbrook Systems, Inc."); }

    std::string Page(const std::string& relative, const std::string& title = "")
    {
        return folder.WriteFile(relative, title.empty() ? "<p>text</p>" : "<title>" + title + "</title>");
    }

    leaf::test::ScopedRegistryRoot registry;
    CWinApp app{"Leafcraft"};
    leaf::ui::ScriptedPeople people;
    leaf::test::TempFolder folder;
};

TEST_F(LeafcraftDocTest, Version10RoundTrip)
{
    TestDoc doc;
    ASSERT_TRUE(doc.AddSourceFile(CString(Page("book/src/one.htm", "Chapter One")), 0));
    ASSERT_TRUE(doc.AddSourceFile(CString(Page("book/src/two.txt")), 1));
    doc.UpdateSourceFolder();
    doc.SetTitle("The Book");
    doc.GetMetaData("dc:Creator", TRUE)->AddValue("Ann", "role=\"aut\"");
    doc.m_marketing["blurb"] = std::make_unique<CLCMarketing>();
    doc.m_marketing["blurb"]->m_strValue = "Buy it";
    CLCCoverPage* cover = doc.GetGuideItem("Other.MS-CoverImage", TRUE);
    cover->m_strPath = CString(folder / "book/cover.jpg");
    cover->m_nMode = CLCCoverPage::modeUser;
    auto tour = std::make_unique<CLCTour>("Main", "t1");
    tour->AddSite(std::make_unique<CLCTourSite>("Start", CString(folder / "book/src/one.htm#top")));
    doc.m_tours.push_back(std::move(tour));
    doc.m_strEBookName = "book.lit";
    doc.m_bEmbedFonts = 1;
    doc.SetFontChoice("Georgia Bold", 2);
    doc.SetFontChoice("Verdana", 1);
    doc.m_strOutputFolder = "/out";

    std::string project = folder / "book/book.lcp";
    ASSERT_TRUE(doc.SerializeToPath(CString(project), FALSE));
    std::string bytes;
    ASSERT_TRUE(leaf::ReadFileBytes(project, bytes));
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x0A\x00\x00\x00", 4));
    EXPECT_NE(bytes.find("src/one.htm"), std::string::npos);
    EXPECT_EQ(bytes.find(folder / "book/src/one.htm"), std::string::npos);   // stored relative

    TestDoc back;
    ASSERT_TRUE(back.SerializeToPath(CString(project), TRUE));
    EXPECT_EQ(back.m_strSourceFolder, CString(folder / "book/src"));
    ASSERT_EQ(back.GetSourceCount(), 2);
    EXPECT_EQ(back.GetSourceFile(0)->m_strPath, CString(folder / "book/src/one.htm"));
    EXPECT_EQ(back.GetSourceFile(0)->m_strTitle, "Chapter One");
    EXPECT_EQ(back.GetSourceFile(1)->m_strTitle, "two.txt");
    EXPECT_TRUE(back.IsSourceFile(CString(folder / "BOOK/SRC/ONE.HTM")));
    EXPECT_EQ(back.GetTitle(), "The Book");
    EXPECT_EQ(back.GetMetaData("dc:Creator", FALSE)->m_attributes, std::vector<CString>{"role=\"aut\""});
    EXPECT_EQ(back.m_marketing.at("blurb")->m_strValue, "Buy it");
    ASSERT_NE(back.GetGuideItem("other.ms-coverimage", FALSE), nullptr);
    EXPECT_EQ(back.GetGuideItem("other.ms-coverimage", FALSE)->m_strPath, CString(folder / "book/cover.jpg"));
    EXPECT_EQ(back.GetGuideItem("other.ms-coverimage", FALSE)->m_nMode, CLCCoverPage::modeUser);
    ASSERT_EQ(back.GetTourCount(), 1);
    EXPECT_EQ(back.GetTour(0)->GetSite(0)->m_strHref, CString(folder / "book/src/one.htm#top"));
    EXPECT_EQ(back.m_strEBookName, "book.lit");
    EXPECT_EQ(back.m_bEmbedFonts, 1);
    EXPECT_EQ(back.GetFontChoice("georgia bold"), 2);
    EXPECT_EQ(back.GetFontChoice("Verdana"), 1);
    EXPECT_EQ(back.m_fontChoices.size(), 2u);
    EXPECT_EQ(back.m_strOutputFolder, "/out");
    EXPECT_FALSE(back.IsModified());
}

// A version-10 body as the original program writes it: Windows separators in the stored
// relative paths, the shared class index, the font list with its end pair.
ArchiveBytes OriginalVersion10()
{
    ArchiveBytes b;
    b.Dword(10).Str("C:\\Books\\Novel\\src");
    b.Count(2);
    b.NewClass(2, "CLCSourceFile").Str("src\\a.htm").Str("Chapter A");   // class 1, object 2
    b.KnownClass(1).Str("src\\b.htm").Str("Chapter B");                    // object 3
    b.Count(1).Str("dc:Title");
    b.NewClass(2, "CLCMetaData").Str("My Book").Count(0).Str("").Count(0);
    b.Count(0);
    b.Count(1).Str("other.ms-coverimage");
    b.NewClass(3, "CLCCoverPage").Str("cover.jpg").Dword(2);
    b.Str("novel.lit").Dword(1);
    b.Str("georgia").Dword(2).Str("???").Dword(0xFFFFFFFF);
    b.Count(1);
    b.NewClass(1, "CLCTour").Str("Main").Str("tour1").Count(1);
    b.NewClass(2, "CLCTourSite").Str("Start").Str("src\\a.htm#top");
    b.Str("C:\\Out");
    return b;
}

TEST_F(LeafcraftDocTest, FileOfTheOriginalProgramLoads)
{
    std::string project = folder.WriteFile("novel/novel.lcp", OriginalVersion10().str());
    TestDoc doc;
    ASSERT_TRUE(doc.SerializeToPath(CString(project), TRUE));
    ASSERT_EQ(doc.GetSourceCount(), 2);
    EXPECT_EQ(doc.GetSourceFile(1)->m_strPath, CString(folder / "novel/src/b.htm"));
    EXPECT_EQ(doc.GetSourceFile(1)->m_strTitle, "Chapter B");
    EXPECT_EQ(doc.m_strSourceFolder, "C:/Books/Novel/src");
    EXPECT_EQ(doc.GetTitle(), "My Book");
    EXPECT_EQ(doc.GetGuideItem("other.ms-coverimage", FALSE)->m_strPath, CString(folder / "novel/cover.jpg"));
    EXPECT_EQ(doc.m_strEBookName, "novel.lit");
    EXPECT_EQ(doc.GetFontChoice("georgia"), 2);
    EXPECT_EQ(doc.GetTour(0)->GetSite(0)->m_strHref, CString(folder / "novel/src/a.htm#top"));
    EXPECT_EQ(doc.m_strOutputFolder, "C:\\Out");
}

TEST_F(LeafcraftDocTest, OlderVersionsLeaveLaterFieldsEmpty)
{
    auto body = [](DWORD version) {
        ArchiveBytes b;
        b.Dword(version).Str("").Count(0).Count(0).Count(0).Count(0);
        if (version > 5) b.Str("name.lit");
        if (version > 6) b.Dword(1);
        if (version > 7) b.Str("font").Dword(2).Str("???").Dword(0xFFFFFFFF);
        if (version > 8) b.Count(0);
        return b;
    };
    {
        TestDoc doc;
        ASSERT_TRUE(doc.SerializeToPath(CString(folder.WriteFile("v9.lcp", body(9).str())), TRUE));
        EXPECT_EQ(doc.m_strEBookName, "name.lit");
        EXPECT_EQ(doc.GetFontChoice("font"), 2);
        EXPECT_EQ(doc.m_strOutputFolder, "");
    }
    {
        TestDoc doc;
        doc.m_bEmbedFonts = 1;
        ASSERT_TRUE(doc.SerializeToPath(CString(folder.WriteFile("v5.lcp", body(5).str())), TRUE));
        EXPECT_EQ(doc.m_strEBookName, "");
        EXPECT_EQ(doc.m_bEmbedFonts, 0);
        EXPECT_TRUE(doc.m_fontChoices.empty());
        EXPECT_EQ(doc.GetTourCount(), 0);
    }
}

TEST_F(LeafcraftDocTest, FontListEnds)
{
    auto withFonts = [](const std::function<void(ArchiveBytes&)>& fonts) {
        ArchiveBytes b;
        b.Dword(10).Str("").Count(0).Count(0).Count(0).Count(0).Str("").Dword(0);
        fonts(b);
        b.Count(0).Str("/after");
        return b;
    };
    struct Case {
        const char* name;
        std::function<void(ArchiveBytes&)> fonts;
        size_t entries;
    };
    const Case cases[] = {
        {"first key is the end mark", [](ArchiveBytes& b) { b.Str("???").Dword(0xFFFFFFFF); }, 0},
        {"end mark in another case", [](ArchiveBytes& b) { b.Str("a").Dword(1).Str("???").Dword(0); }, 1},
        {"a choice of -1 ends the list", [](ArchiveBytes& b) { b.Str("a").Dword(1).Str("b").Dword(0xFFFFFFFF); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDoc doc;
        ASSERT_TRUE(doc.SerializeToPath(CString(folder.WriteFile("fonts.lcp", withFonts(c.fonts).str())), TRUE));
        EXPECT_EQ(doc.m_fontChoices.size(), c.entries);
        EXPECT_EQ(doc.m_strOutputFolder, "/after");   // the fields after the list stay in step
    }
}

TEST_F(LeafcraftDocTest, Version2MovesTitleCreatorAndPathsIntoItems)
{
    ArchiveBytes b;
    b.Dword(2).Str("").Count(0).Str("Old Title").Str("Old Author");
    b.Count(1).Str("dc:Creator").NewClass(2, "CLCMetaData").Str("").Count(1).Str("Second").Str("").Count(1).Str("x");
    b.Str("toc.htm").Str("").Str("C:\\cover.jpg");
    b.Count(0).Str("dropped").Str("dropped");
    b.Str("").Str("Author, Old");
    TestDoc doc;
    ASSERT_TRUE(doc.SerializeToPath(CString(folder.WriteFile("v2.lcp", b.str())), TRUE));
    EXPECT_EQ(doc.GetTitle(), "Old Title");
    CLCMetaData* creator = doc.GetMetaData("dc:Creator", FALSE);
    ASSERT_NE(creator, nullptr);
    EXPECT_EQ(creator->m_values, (std::vector<CString>{"Old Author", "Second"}));
    EXPECT_EQ(creator->m_attributes, (std::vector<CString>{"file-as=\"Author, Old\"", "x"}));
    EXPECT_EQ(doc.GetGuideItem("toc", FALSE)->m_strPath, "toc.htm");
    EXPECT_EQ(doc.GetGuideItem("other.ms-coverimage", FALSE)->m_strPath, "C:/cover.jpg");
    EXPECT_EQ(doc.GetGuideItem("other.ms-thumbimage", FALSE)->m_nMode, CLCCoverPage::modeDefault);
    EXPECT_EQ(doc.GetGuideItem("copyright-page", FALSE)->m_nMode, CLCCoverPage::modeNone);
    EXPECT_EQ(doc.m_strEBookName, "");
}

TEST_F(LeafcraftDocTest, Version4KeepsItsCopyrightPage)
{
    ArchiveBytes b;
    b.Dword(4).Str("").Count(0).Count(0).Str("").Str("thumb.jpg").Str("");
    b.Count(0).Str("").Str("").Str("copyright.htm");
    TestDoc doc;
    ASSERT_TRUE(doc.SerializeToPath(CString(folder.WriteFile("v4.lcp", b.str())), TRUE));
    EXPECT_EQ(doc.GetGuideItem("copyright-page", FALSE)->m_strPath, "copyright.htm");
    EXPECT_EQ(doc.GetGuideItem("copyright-page", FALSE)->m_nMode, CLCCoverPage::modeUser);
    EXPECT_EQ(doc.GetGuideItem("other.ms-thumbimage", FALSE)->m_strPath, "thumb.jpg");
    EXPECT_EQ(doc.GetMetaData("dc:Title", FALSE), nullptr);   // version 4 has no title field
}

TEST_F(LeafcraftDocTest, NewerOrDamagedFilesFailAndLeaveNothingBehind)
{
    ArchiveBytes newer;
    newer.Dword(11);
    TestDoc doc;
    doc.SetTitle("kept?");
    EXPECT_FALSE(doc.SerializeToPath(CString(folder.WriteFile("v11.lcp", newer.str())), TRUE));
    EXPECT_TRUE(doc.m_metaData.empty());

    std::string cut = OriginalVersion10().str();
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(doc.SerializeToPath(CString(folder.WriteFile("cut.lcp", cut)), TRUE));
    EXPECT_EQ(doc.GetSourceCount(), 0);

    EXPECT_FALSE(doc.OnOpenDocument((folder.WriteFile("v11b.lcp", newer.str())).c_str()));
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text, "Unexpected file format.");
}

TEST_F(LeafcraftDocTest, EveryCutAndFlippedByteIsRefusedSafely)
{
    const std::string whole = OriginalVersion10().str();
    std::string project = folder / "damaged.lcp";
    for (size_t length = 0; length < whole.size(); ++length) {
        folder.WriteFile("damaged.lcp", whole.substr(0, length));
        TestDoc doc;
        EXPECT_FALSE(doc.SerializeToPath(CString(project), TRUE)) << "cut at " << length;
        EXPECT_EQ(doc.GetSourceCount(), 0);
    }
    // Flipped bytes may still load (a different string, say); they must never crash.
    for (size_t at = 0; at < whole.size(); ++at) {
        std::string damaged = whole;
        damaged[at] = static_cast<char>(damaged[at] ^ 0xFF);
        folder.WriteFile("damaged.lcp", damaged);
        TestDoc doc;
        doc.SerializeToPath(CString(project), TRUE);
    }
}

TEST_F(LeafcraftDocTest, AddAndRemoveSources)
{
    TestDoc doc;
    std::string one = Page("src/one.htm", "First  and\n Best");
    int duplicates = 0;
    EXPECT_TRUE(doc.AddSourceFile(CString(one), 0, &duplicates));
    EXPECT_EQ(doc.GetSourceFile(0)->m_strTitle, "First and Best");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(doc.AddSourceFile(CString(folder / "SRC/One.HTM"), 1, &duplicates));
    EXPECT_FALSE(doc.AddSourceFile(CString(one), 1, nullptr));
    EXPECT_EQ(duplicates, 1);
    EXPECT_EQ(doc.GetSourceCount(), 1);

    // A Word document, known by the content type its extension has in the registry.
    HKEY type = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, ".doc", &type), ERROR_SUCCESS);
    const char msword[] = "application/msword";
    RegSetValueEx(type, "Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(msword), sizeof msword);
    RegCloseKey(type);
    EXPECT_TRUE(doc.AddSourceFile(CString(folder / "src/report.doc"), 0));
    EXPECT_EQ(doc.GetSourceFile(0)->m_strTitle, "Word Title");

    // Titles from the files can be switched off in the options.
    app.WriteProfileInt("Options", "Extract HTML Titles", 0);
    EXPECT_TRUE(doc.AddSourceFile(CString(Page("src/three.htm", "Ignored")), 5));
    EXPECT_EQ(doc.GetSourceCount(), 6);
    EXPECT_EQ(doc.GetSourceFile(3), nullptr);   // slots up to the index stay empty
    EXPECT_EQ(doc.GetSourceFile(5)->m_strTitle, "three.htm");

    EXPECT_FALSE(doc.RemoveSourceFile(3));
    EXPECT_FALSE(doc.RemoveSourceFile(6));
    EXPECT_TRUE(doc.RemoveSourceFile(1));
    EXPECT_FALSE(doc.IsSourceFile(CString(one)));
    EXPECT_TRUE(doc.AddSourceFile(CString(one), 0));
}

// A FIFO, socket or device is no source: it is refused, not counted as a duplicate, and
// never opened for its title (a FIFO's open would wait for a writer).
TEST_F(LeafcraftDocTest, SpecialFilesAreRefusedAsSourcesWithoutBeingRead)
{
    TestDoc doc;
    std::filesystem::create_directories(folder.Path() / "src");
    const std::string fifo = folder / "src/pipe.htm";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    int duplicates = 0;
    {
        leaf::test::FifoWatchdog watchdog(fifo);
        EXPECT_FALSE(doc.AddSourceFile(CString(fifo), 0, &duplicates));
        EXPECT_FALSE(doc.AddSourceFile(CString(folder / "SRC/PIPE.HTM"), 0, &duplicates)) << "nor in other letters";
        EXPECT_FALSE(watchdog.Fired()) << "the FIFO was opened";
    }
    EXPECT_FALSE(doc.AddSourceFile(CString("/dev/null"), 0, &duplicates));
    EXPECT_EQ(duplicates, 0);
    EXPECT_EQ(doc.GetSourceCount(), 0);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(LeafcraftDocTest, FilesWhoseNamesDifferOnlyInCaseAreTwoSources)
{
    TestDoc doc;
    std::string upper = Page("src/FAQ.html", "Upper");
    std::string lower = Page("src/faq.html", "Lower");
    EXPECT_TRUE(doc.AddSourceFile(CString(upper), 0));
    EXPECT_FALSE(doc.IsSourceFile(CString(lower)));
    EXPECT_TRUE(doc.AddSourceFile(CString(lower), 1));
    EXPECT_EQ(doc.GetSourceCount(), 2);
    // Another spelling of one of them is that one (the first match in sorted order).
    EXPECT_TRUE(doc.IsSourceFile(CString(folder / "src/Faq.HTML")));
    EXPECT_FALSE(doc.AddSourceFile(CString(folder / "src/Faq.HTML"), 2));

    EXPECT_TRUE(doc.RemoveSourceFile(0));
    EXPECT_FALSE(doc.IsSourceFile(CString(upper)));
    EXPECT_TRUE(doc.IsSourceFile(CString(lower)));

    // A source whose file has gone since is still known, in any spelling, and removed.
    std::string gone = Page("src/Gone.html");
    EXPECT_TRUE(doc.AddSourceFile(CString(gone), 1));
    std::remove(gone.c_str());
    EXPECT_TRUE(doc.IsSourceFile(CString(gone)));
    EXPECT_TRUE(doc.IsSourceFile(CString(folder / "src/GONE.html")));
    EXPECT_TRUE(doc.RemoveSourceFile(1));
    EXPECT_FALSE(doc.IsSourceFile(CString(gone)));
    EXPECT_TRUE(doc.IsSourceFile(CString(lower)));
}

TEST_F(LeafcraftDocTest, CommonSourceFolder)
{
    struct Case {
        std::vector<std::string> paths;
        const char* folder;
    };
    const Case cases[] = {
        {{}, ""},
        {{"/book/src/a.htm"}, "/book/src"},
        {{"/book/src/a.htm", "/book/src/sub/b.htm"}, "/book/src"},
        {{"/book/src/a.htm", "/BOOK/Pics/c.gif"}, "/book"},
        {{"/book/a.htm", "/booklet/b.htm"}, ""},
        {{"/book/src/a.htm", "/other/b.htm"}, ""},
    };
    for (const Case& c : cases) {
        TestDoc doc;
        for (const std::string& path : c.paths) doc.m_sources.push_back(std::make_unique<CLCSourceFile>(CString(path), "t"));
        doc.m_sources.insert(doc.m_sources.begin(), nullptr);   // empty slots are skipped
        EXPECT_EQ(doc.UpdateSourceFolder(), c.folder);
        EXPECT_EQ(doc.m_strSourceFolder, c.folder);
    }
}

class RelocationTest : public LeafcraftDocTest {
protected:
    // A project saved at old/book.lcp with its sources in old/src, then moved.
    std::string SaveProject()
    {
        TestDoc doc;
        doc.AddSourceFile(CString(Page("old/src/a.htm")), 0);
        doc.AddSourceFile(CString(Page("old/src/b.htm")), 1);
        doc.AddSourceFile(CString("/elsewhere/outside.htm"), 2);
        doc.UpdateSourceFolder();
        CLCCoverPage* cover = doc.GetGuideItem("other.ms-coverimage", TRUE);
        cover->m_strPath = CString(folder / "old/src/cover.jpg");
        // Stored absolute, so that moving the project file alone does not move them.
        doc.m_tours.push_back(std::make_unique<CLCTour>("T", "t"));
        doc.m_tours[0]->AddSite(std::make_unique<CLCTourSite>("S", CString(folder / "old/src/b.htm#x")));
        std::string path = folder / "old/book.lcp";
        EXPECT_TRUE(doc.SerializeToPath(CString(path), FALSE));
        return path;
    }
};

TEST_F(RelocationTest, SourcesWhereTheyWereAreNotMoved)
{
    std::string project = SaveProject();
    TestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(project.c_str()));
    EXPECT_EQ(doc.locateCalls, 0);
    EXPECT_EQ(doc.GetSourceFile(0)->m_strPath, CString(folder / "old/src/a.htm"));
    EXPECT_TRUE(doc.IsSourceFile(CString(folder / "old/src/b.htm")));
}

// A project written on another machine: every path stored absolute under C:\Books\Novel\src,
// a cover image on another drive.
ArchiveBytes ProjectFromElsewhere()
{
    ArchiveBytes b;
    b.Dword(10).Str("C:\\Books\\Novel\\src");
    b.Count(2);
    b.NewClass(2, "CLCSourceFile").Str("C:\\Books\\Novel\\src\\a.htm").Str("A");
    b.KnownClass(1).Str("C:\\Books\\Novel\\src\\part\\b.htm").Str("B");
    b.Count(0).Count(0);
    b.Count(2).Str("other.ms-coverimage").NewClass(3, "CLCCoverPage").Str("D:\\Art\\cover.jpg").Dword(2);
    b.Str("copyright-page").KnownClass(4).Str("C:\\Books\\Novel\\src\\legal.htm").Dword(2);
    b.Str("").Dword(0).Str("???").Dword(0xFFFFFFFF);
    b.Count(1).NewClass(1, "CLCTour").Str("T").Str("t").Count(1);
    b.NewClass(2, "CLCTourSite").Str("S").Str("C:\\Books\\Novel\\src\\part\\b.htm#x");
    b.Str("");
    return b;
}

TEST_F(RelocationTest, SourcesFoundBesideTheProjectFile)
{
    Page("moved/part/b.htm");
    std::string project = folder.WriteFile("moved/book.lcp", ProjectFromElsewhere().str());
    TestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(project.c_str()));
    EXPECT_EQ(doc.locateCalls, 0);
    CString moved = CString(folder / "moved");
    EXPECT_EQ(doc.m_strSourceFolder, moved);
    EXPECT_EQ(doc.GetSourceFile(0)->m_strPath, moved + "/a.htm");
    EXPECT_EQ(doc.GetSourceFile(1)->m_strPath, moved + "/part/b.htm");
    EXPECT_TRUE(doc.IsSourceFile(moved + "/PART/b.htm"));
    EXPECT_EQ(doc.GetGuideItem("copyright-page", FALSE)->m_strPath, moved + "/legal.htm");
    EXPECT_EQ(doc.GetGuideItem("other.ms-coverimage", FALSE)->m_strPath, "D:/Art/cover.jpg");
    EXPECT_EQ(doc.GetTour(0)->GetSite(0)->m_strHref, moved + "/part/b.htm#x");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(RelocationTest, TheLocateDialogIsAskedAfterTheProjectFolder)
{
    Page("found/a.htm");
    std::string project = folder.WriteFile("project/book.lcp", ProjectFromElsewhere().str());
    TestDoc doc;
    doc.locateAnswers = {folder / "wrong", folder / "found/"};
    ASSERT_TRUE(doc.OnOpenDocument(project.c_str()));
    EXPECT_EQ(doc.locateCalls, 2);
    EXPECT_EQ(doc.m_strSourceFolder, CString(folder / "found"));
    EXPECT_EQ(doc.GetSourceFile(0)->m_strPath, CString(folder / "found/a.htm"));
}

TEST_F(RelocationTest, TheLocateDialogNamesTheFolderTheProjectStored)
{
    // The project file alone moves away from its sources, which it stored relative to
    // itself: they now resolve below its new folder, where they are not.
    std::string project;
    {
        TestDoc doc;
        doc.AddSourceFile(CString(Page("old/src/a.htm")), 0);
        doc.AddSourceFile(CString(Page("old/src/part/b.htm")), 1);
        doc.UpdateSourceFolder();
        project = folder / "old/book.lcp";
        ASSERT_TRUE(doc.SerializeToPath(CString(project), FALSE));
    }
    std::filesystem::create_directories(folder / "moved");
    const std::string moved = folder / "moved/book.lcp";
    std::filesystem::rename(project, moved);
    TestDoc doc;
    doc.locateAnswers = {folder / "old/src"};
    ASSERT_TRUE(doc.OnOpenDocument(moved.c_str()));
    ASSERT_EQ(doc.locateCalls, 1);
    EXPECT_EQ(doc.locatedFolders[0], CString(folder / "old/src"));
    EXPECT_EQ(doc.m_strSourceFolder, CString(folder / "old/src"));
    EXPECT_EQ(doc.GetSourceFile(1)->m_strPath, CString(folder / "old/src/part/b.htm"));
}

TEST_F(RelocationTest, TheRootChosenAsTheSourceFolderKeepsSinglePaths)
{
    // Sources stored below C:\Gone whose folders now start at the root: one in the
    // temporary folder, one in a folder of the root that holds no such file.
    Page("a.htm");
    std::string below = folder.Path().string().substr(1);   // without its leading "/"
    std::replace(below.begin(), below.end(), '/', '\\');
    ArchiveBytes b;
    b.Dword(10).Str("C:\\Gone");
    b.Count(2);
    b.NewClass(2, "CLCSourceFile").Str("C:\\Gone\\" + below + "\\a.htm").Str("A");
    b.KnownClass(1).Str("C:\\Gone\\etc\\no-such-page.htm").Str("B");
    b.Count(0).Count(0).Count(0).Str("").Dword(0).Str("???").Dword(0xFFFFFFFF);
    b.Count(0).Str("");
    std::string project = folder.WriteFile("project/book.lcp", b.str());
    TestDoc doc;
    doc.locateAnswers = {"/"};
    ASSERT_TRUE(doc.OnOpenDocument(project.c_str()));
    EXPECT_EQ(doc.locateCalls, 1);
    EXPECT_EQ(doc.m_strSourceFolder, "/");
    EXPECT_EQ(doc.GetSourceFile(0)->m_strPath, CString(folder / "a.htm"));
    EXPECT_EQ(doc.GetSourceFile(1)->m_strPath, "/etc/no-such-page.htm");
    EXPECT_TRUE(doc.IsSourceFile(CString(folder / "a.htm")));
}

TEST_F(RelocationTest, CancellingLeavesTheSourcesOnTheProjectFolder)
{
    std::string project = folder.WriteFile("project/book.lcp", ProjectFromElsewhere().str());
    TestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(project.c_str()));
    EXPECT_EQ(doc.locateCalls, 1);
    EXPECT_EQ(doc.GetSourceFile(0)->m_strPath, CString(folder / "project/a.htm"));
}

TEST_F(RelocationTest, ProjectWithoutSourcesIsNotRelocated)
{
    ArchiveBytes b;
    b.Dword(10).Str("C:\\Gone").Count(0).Count(0).Count(0).Count(0).Str("").Dword(0).Str("???").Dword(0xFFFFFFFF);
    b.Count(0).Str("");
    TestDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(folder.WriteFile("empty.lcp", b.str()).c_str()));
    EXPECT_EQ(doc.locateCalls, 0);
    EXPECT_EQ(doc.m_strSourceFolder, "");
    EXPECT_TRUE(doc.IsModified());   // the stored folder was stale
}

TEST_F(LeafcraftDocTest, DefaultEBookName)
{
    TestDoc doc;
    EXPECT_EQ(doc.GetDefaultEBookName(), "eBook.epub");
    doc.m_strEBookName.Empty();
    doc.SetTitle("War: \"Peace\" / Part <1>?");
    EXPECT_EQ(doc.GetDefaultEBookName(), "War Peace  Part 1.epub");
    doc.SetTitle("Changed");
    EXPECT_EQ(doc.GetDefaultEBookName(), "War Peace  Part 1.epub");
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(LeafcraftDocTest, PublisherFallsBackToTheProductName)
{
    TestDoc doc;
    EXPECT_EQ(doc.GetPublisher(), "Leafcraft");
    doc.GetMetaData("dc:Publisher", TRUE)->m_strValue = "Tallbrook";
    EXPECT_EQ(doc.GetPublisher(), "Tallbrook");
}

TEST_F(LeafcraftDocTest, NewDocumentGetsTheDefaultChoicesOfLists)
{
    leaf::ApplicationLists& lists = leaf::GetApplicationLists();
    auto list = std::make_unique<CMetaDataDefinition>();
    list->m_strName = "dc:Language";
    list->m_nPromptType = CMetaDataDefinition::promptList;
    list->m_strDefaultChoice = " en \\n\\n fr";
    auto creator = std::make_unique<CMetaDataDefinition>();
    creator->m_strName = "dc:Creator";
    creator->m_nPromptType = CMetaDataDefinition::promptListCreator;
    creator->m_strDefaultChoice = "Ann";
    lists.m_metaDataDefinitions.push_back(std::move(list));
    lists.m_metaDataDefinitions.push_back(std::move(creator));

    TestDoc doc;
    doc.SetTitle("old");
    ASSERT_TRUE(doc.OnNewDocument());
    CLCMetaData* language = doc.GetMetaData("dc:Language", FALSE);
    ASSERT_NE(language, nullptr);
    EXPECT_EQ(language->m_values, (std::vector<CString>{"en", "fr"}));
    EXPECT_EQ(language->m_attributes, (std::vector<CString>{"", ""}));
    EXPECT_EQ(doc.GetMetaData("dc:Creator", FALSE), nullptr);
    EXPECT_EQ(doc.GetMetaData("dc:Title", FALSE), nullptr);
    lists.m_metaDataDefinitions.clear();
}

TEST_F(LeafcraftDocTest, ImportPackage)
{
    leaf::ApplicationLists& lists = leaf::GetApplicationLists();
    for (auto [name, type] : {std::pair{"dc:Title", CMetaDataDefinition::promptEdit},
                              std::pair{"dc:Creator", CMetaDataDefinition::promptListCreator}}) {
        auto definition = std::make_unique<CMetaDataDefinition>();
        definition->m_strName = name;
        definition->m_nPromptType = type;
        lists.m_metaDataDefinitions.push_back(std::move(definition));
    }
    Page("pkg/text/one.htm", "One");
    Page("pkg/two.htm");
    std::string opf = folder.WriteFile(
        "pkg/book.opf",
        "<?xml version=\"1.0\"?>\n<package unique-identifier=\"id\"><metadata><dc-metadata>"
        "<dc:Title>Imported</dc:Title><dc:Creator role=\"aut\">Ann</dc:Creator><dc:Subject>Skipped</dc:Subject>"
        "</dc-metadata></metadata><manifest>"
        "<item id=\"a\" href=\"text/one.htm\" media-type=\"text/x-oeb1-document\"/>"
        "<item id=\"b\" href=\"text/../two.htm\" media-type=\"text/x-oeb1-document\"/>"
        "</manifest><spine><itemref idref=\"b\"/><itemref idref=\"a\"/></spine></package>\n");
    TestDoc doc;
    ASSERT_TRUE(doc.ImportPackage(CString(opf)));
    EXPECT_EQ(doc.fallbackCalls, 0);
    ASSERT_EQ(doc.GetSourceCount(), 2);
    EXPECT_EQ(doc.GetSourceFile(0)->m_strPath, CString(folder / "pkg/two.htm"));
    EXPECT_EQ(doc.GetSourceFile(1)->m_strTitle, "One");
    EXPECT_EQ(doc.m_strSourceFolder, CString(folder / "pkg"));
    EXPECT_EQ(doc.GetTitle(), "Imported");
    EXPECT_EQ(doc.GetMetaData("dc:Creator", FALSE)->m_values, std::vector<CString>{"Ann"});
    EXPECT_NE(doc.GetMetaData("dc:Creator", FALSE)->m_attributes[0].Find("aut"), -1);
    EXPECT_EQ(doc.GetMetaData("dc:Subject", FALSE), nullptr);
    EXPECT_TRUE(doc.IsModified());

    std::string withFallback = folder.WriteFile(
        "pkg/fallback.opf",
        "<package><manifest><item id=\"a\" href=\"two.htm\" media-type=\"text/x-oeb1-document\" fallback=\"b\"/>"
        "</manifest><spine><itemref idref=\"a\"/></spine></package>");
    TestDoc refused;
    refused.fallbackAnswer = IDCANCEL;
    EXPECT_FALSE(refused.ImportPackage(CString(withFallback)));
    EXPECT_EQ(refused.fallbackCalls, 1);
    EXPECT_EQ(refused.GetSourceCount(), 0);

    // A spine that lists a page twice (and names an item the manifest lacks) gives one
    // row per page, in spine order, with no empty slot; every row can be removed.
    Page("pkg/three.htm");
    std::string repeated = folder.WriteFile(
        "pkg/repeated.opf",
        "<package><manifest>"
        "<item id=\"a\" href=\"text/one.htm\" media-type=\"text/x-oeb1-document\"/>"
        "<item id=\"b\" href=\"two.htm\" media-type=\"text/x-oeb1-document\"/>"
        "<item id=\"c\" href=\"three.htm\" media-type=\"text/x-oeb1-document\"/>"
        "</manifest><spine><itemref idref=\"a\"/><itemref idref=\"b\"/><itemref idref=\"a\"/>"
        "<itemref idref=\"gone\"/><itemref idref=\"c\"/></spine></package>");
    TestDoc twice;
    ASSERT_TRUE(twice.ImportPackage(CString(repeated)));
    ASSERT_EQ(twice.GetSourceCount(), 3);
    for (int i = 0; i < 3; ++i) ASSERT_NE(twice.GetSourceFile(i), nullptr) << i;
    EXPECT_EQ(twice.GetSourceFile(0)->m_strPath, CString(folder / "pkg/text/one.htm"));
    EXPECT_EQ(twice.GetSourceFile(1)->m_strPath, CString(folder / "pkg/two.htm"));
    EXPECT_EQ(twice.GetSourceFile(2)->m_strPath, CString(folder / "pkg/three.htm"));
    while (twice.GetSourceCount() > 0) ASSERT_TRUE(twice.RemoveSourceFile(twice.GetSourceCount() - 1));

    TestDoc missing;
    EXPECT_FALSE(missing.ImportPackage(CString(folder / "none.opf")));
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_NE(people.Asked("message")[0].text.find("Unable to load the specified Open eBook package file"),
              std::string::npos);
    lists.m_metaDataDefinitions.clear();
}

TEST_F(LeafcraftDocTest, ReadOnlyProjectFileIsNotOverwritten)
{
    std::string project = folder.WriteFile("book.lcp", "old contents");
    ASSERT_TRUE(leaf::SetFileAttributes(project.c_str(), CFile::readOnly));
    TestDoc doc;
    EXPECT_FALSE(doc.OnSaveDocument(project.c_str()));
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text,
              "The specified Leafcraft Project file \"" + project + "\" is read-only and cannot be overwritten.");
    std::string contents;
    leaf::ReadFileBytes(project, contents);
    EXPECT_EQ(contents, "old contents");

    // The Save command refuses it too, before any Save As.
    doc.SetPathName(project.c_str(), FALSE);
    doc.OnFileSave();
    ASSERT_EQ(people.Asked("message").size(), 2u);
    EXPECT_TRUE(people.Asked("files").empty());

    // A normal save stores the sources relative to the file it writes.
    std::string writable = folder / "new.lcp";
    doc.SetTitle("Saved");
    ASSERT_TRUE(doc.AddSourceFile(CString(Page("src/a.htm")), 0));
    ASSERT_TRUE(doc.OnSaveDocument(writable.c_str()));
    EXPECT_FALSE(doc.IsModified());
    std::string bytes;
    leaf::ReadFileBytes(writable, bytes);
    EXPECT_NE(bytes.find("src/a.htm"), std::string::npos);
    EXPECT_EQ(bytes.find(folder / "src/a.htm"), std::string::npos);
    TestDoc back;
    ASSERT_TRUE(back.SerializeToPath(CString(writable), TRUE));
    EXPECT_EQ(back.GetTitle(), "Saved");
    EXPECT_EQ(back.GetSourceFile(0)->m_strPath, CString(folder / "src/a.htm"));
}

}  // namespace
