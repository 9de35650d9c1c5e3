// BuildEBook as a client sees it, against real folders: the work folder and what lands
// in it, the package file's text, the events of the conversion pass, and the state the
// control is left in on every way out.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <regex>

#include "platform/base/File.h"
#include "platform/base/ScratchFolder.h"
#include "platform/registry/RegistryKey.h"
#include "platform/registry/Profile.h"
#include "tests/sdk/control/SdkTestSupport.h"
#include "tests/support/KilledChild.h"
#include "tests/support/TestPictures.h"

namespace sdktest {
namespace {

namespace fs = std::filesystem;
using leaf::Variant;
using leaf::test::OnePixelGif;
using leaf::test::OnePixelPng;

std::string ReadText(const std::string& path) {
    std::string text;
    EXPECT_TRUE(leaf::ReadFileBytes(path, text)) << path;
    return text;
}

// Every file below a folder, relative to it, sorted (a work folder's owner mark aside).
std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != ".leafcraft-owner")
            files.push_back(fs::relative(entry.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

// The manifest line of an href in a package file's text.
std::string ManifestLine(const std::string& package, const std::string& href) {
    size_t at = package.find("href=\"" + href + "\" media-type");
    if (at == std::string::npos)
        return "";
    size_t start = package.rfind('\n', at) + 1;
    return package.substr(start, package.find('\n', at) - start);
}

// A picture of 30000 bytes, which the control copies in several blocks.
std::string BigGif() {
    const std::string gif = OnePixelGif();
    return gif + std::string(30000 - gif.size(), 'x');
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class SdkBuild : public SdkControlTest {
protected:
    void SetUp() override {
        SdkControlTest::SetUp();
        ASSERT_TRUE(leaf::test::RegisterModule("sdktestpages.so"));
        ASSERT_TRUE(control.Initialize());
        sink = leaf::ComPtr<EventSink>(new EventSink());
        control.Advise(sink.Get());
        SetSetting("TempFolder", folder / "work");
        SetSetting("FriendlyTempFolder", 1);
    }

    void SetSetting(const char* name, const std::string& value) {
        profile.WriteProfileString("SDK", name, value.c_str());
    }
    void SetSetting(const char* name, int value) { profile.WriteProfileInt("SDK", name, value); }

    // The build's answer; a failure is traced with its code and details, the e-book of a
    // build that succeeds checked with epubcheck.
    bool Build(const std::string& eBookPath) const {
        fs::create_directories(fs::path(eBookPath).parent_path());
        bool built = control.BuildEBook({Variant(eBookPath), Variant("")});
        if (!built)
            std::cerr << "build failed: " << control.ErrorCode() << " " << control.ErrorDetails() << "\n";
        return built;
    }

    // A one-page book, prepared.
    std::string PrepareOnePage() {
        std::string page = Source("book/index.html", "<html><body>one page</body></html>");
        EXPECT_TRUE(control.AddSourceFile(page, LCF_SPINE));
        EXPECT_TRUE(control.PrepareEBook());
        return page;
    }

    // Builds a page with a 30000-byte picture, calling `change` with the picture's path
    // once its copy has written the first block; true when the build succeeds.
    bool BuildWhileThePictureChanges(const std::function<void(const std::string&)>& change) {
        const std::string page = Source("book/index.html", "<img src=\"big.gif\">");
        const std::string big = Source("book/big.gif", BigGif());
        EXPECT_TRUE(control.AddSourceFile(page, LCF_SPINE));
        EXPECT_TRUE(control.PrepareEBook());
        int seen = 0;
        sink->handler = [&](const std::string& event) {
            if (event.find("big.gif") != std::string::npos && ++seen == 2) change(big);
        };
        return Build(folder / "out/a.lit");
    }

    leaf::Profile profile{"Tallbrook Systems, Inc.", "Leafcraft"};
    leaf::ComPtr<EventSink> sink;
};

TEST_F(SdkBuild, BuildsTheWorkFolderAndThePackageOfANestedBook) {
    leaf::test::TempFolder elsewhere;
    std::string logo = elsewhere.WriteFile("logo.gif", OnePixelGif() + "logo");
    std::string index = Source("book/index.html", "<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body>\n"
                                                  "<a href=\"chapters/one.html#top\">one</a>\n"
                                                  "<a href=\"../outside/page.html\">outside</a>\n"
                                                  "<a href=\"http://web.example/x.htm\">web</a>\n"
                                                  "<img src=\"Pics/Cover.GIF\"><img src=\"missing.gif\">\n"
                                                  "<img src=\"" + logo + "\"></body></html>\n");
    Source("book/chapters/one.html", "<img src=\"../pics/inner.png\"><a href=\"../index.html\">back</a>");
    Source("book/pics/cover.gif", OnePixelGif() + "cover");
    Source("book/pics/inner.png", OnePixelPng() + "inner");
    Source("book/style.css", "body { color: #abc; background-color: fff }\n");
    std::string notes = Source("book/notes.txt", "notes text");
    Source("outside/page.html", "<html></html>");

    ASSERT_TRUE(control.AddSourceFile(index, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(notes, LCF_SPINE));
    LONG tour = control.Call(sdkdispid::AddTour, {Variant("Chapters"), Variant("chapters")}).value.lVal;
    ASSERT_TRUE(control.CallBool(sdkdispid::AddTourSite, {Variant(tour), Variant("Notes"), Variant("notes.txt#s3")}));
    ASSERT_TRUE(control.CallBool(sdkdispid::AddGuideItem, {Variant("Notes"), Variant("text"), Variant("notes.txt")}));
    ASSERT_TRUE(control.CallBool(sdkdispid::AddGuideItem,
                                 {Variant("Cover"), Variant("other.ms-coverimage"), Variant("pics/cover.gif")}));

    ASSERT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, control.ErrorCode());
    EXPECT_EQ(std::vector<std::string>{folder / "book/missing.gif"}, control.Collection(sdkdispid::GetMissingFiles));
    EXPECT_EQ(std::vector<std::string>{folder / "outside/page.html"}, control.Collection(sdkdispid::GetExternalFiles));

    sink->events.clear();
    ASSERT_TRUE(Build(folder / "out/My Book.lit"));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());

    // The work folder holds every item at its place, converted or copied.
    std::string work = folder / "work/My Book";
    EXPECT_EQ((std::vector<std::string>{"My Book.opf", "chapters/one.html", "external/logo.gif", "index.html",
                                        "notes.htm", "pics/cover.gif", "pics/inner.png", "style.css"}),
              ListFiles(work));
    EXPECT_EQ(0u, ReadText(work + "/index.html").find("<!-- converted -->"));
    EXPECT_NE(std::string::npos, ReadText(work + "/notes.htm").find("<pre>notes text</pre>"));
    EXPECT_EQ("body { color: #AABBCC; background-color: #FFFFFF }\n", ReadText(work + "/style.css"));
    EXPECT_EQ(OnePixelGif() + "cover", ReadText(work + "/pics/cover.gif"));
    EXPECT_EQ(OnePixelGif() + "logo", ReadText(work + "/external/logo.gif"));

    // The package names the items by their places in the work folder.
    std::string package = ReadText(work + "/My Book.opf");
    EXPECT_NE(std::string::npos, ManifestLine(package, "index.html").find("media-type=\"text/html\""));
    EXPECT_NE(std::string::npos, ManifestLine(package, "notes.htm").find("media-type=\"text/html\""));
    EXPECT_NE(std::string::npos, ManifestLine(package, "chapters/one.html").find("media-type=\"text/html\""));
    EXPECT_NE(std::string::npos, ManifestLine(package, "style.css").find("media-type=\"text/css\""));
    EXPECT_NE(std::string::npos, ManifestLine(package, "pics/cover.gif").find("media-type=\"image/gif\""));
    EXPECT_NE(std::string::npos, ManifestLine(package, "pics/inner.png").find("media-type=\"image/png\""));
    EXPECT_NE(std::string::npos, ManifestLine(package, "external/logo.gif").find("media-type=\"image/gif\""));
    EXPECT_EQ(std::string::npos, package.find(folder.Path().string()));
    EXPECT_EQ(std::string::npos, package.find("missing.gif"));
    EXPECT_NE(std::string::npos, package.find("href=\"notes.htm#s3\""));
    EXPECT_NE(std::string::npos, package.find("type=\"text\" title=\"Notes\" href=\"notes.htm\""));
    EXPECT_NE(std::string::npos, package.find("title=\"Cover\" href=\"pics/cover.gif\""));
    EXPECT_NE(std::string::npos, package.find("name=\"lcver-"));

    // The conversion pass: 0 first, 100 last, never going back, and the items in
    // manifest order (relative to the source folder; outside items by their path).
    auto end = std::find(sink->events.begin(), sink->events.end(), "progress 100 2 ");
    ASSERT_NE(sink->events.end(), end);
    EXPECT_EQ("progress 0 2 ", sink->events.front());
    std::vector<std::string> details;
    int lastPercent = 0;
    for (const std::string& event : std::vector<std::string>(sink->events.begin(), end)) {
        ASSERT_EQ(0u, event.find("progress ")) << event;
        int percent = std::stoi(event.substr(9));
        EXPECT_GE(percent, lastPercent) << event;
        EXPECT_LE(percent, 100);
        lastPercent = percent;
        EXPECT_EQ(" 2 ", event.substr(event.find(' ', 9), 3)) << event;
        std::string detail = event.substr(event.find(' ', 9) + 3);
        if (!detail.empty() && (details.empty() || details.back() != detail))
            details.push_back(detail);
    }
    EXPECT_EQ((std::vector<std::string>{"index.html", "notes.txt", "style.css", "chapters/one.html", "pics/inner.png",
                                        "pics/cover.gif", logo}),
              details);
}

TEST_F(SdkBuild, GivesEveryConvertedItemItsOwnPlace) {
    ASSERT_TRUE(control.AddSourceFile(Source("book/a.tpg", "a"), LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(Source("book/a.txt", "a text"), LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(Source("book/b9.htm", "<p>b9</p>"), LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(Source("book/b9.tpg", "b9 page"), LCF_SPINE));
    // A UTF-16 page is copied as it is.
    std::string wide("\xFF\xFE", 2);
    for (char ch : std::string("<html><body>wide</body></html>"))
        wide += std::string{ch, '\0'};
    ASSERT_TRUE(control.AddSourceFile(Source("book/wide.htm", wide), LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    ASSERT_TRUE(Build(folder / "out/units.lit"));

    std::string work = folder / "work/units";
    EXPECT_EQ((std::vector<std::string>{"a.htm", "a1.htm", "b10.htm", "b9.htm", "units.opf", "wide.htm"}),
              ListFiles(work));
    EXPECT_NE(std::string::npos, ReadText(work + "/a1.htm").find("a text"));
    EXPECT_NE(std::string::npos, ReadText(work + "/b10.htm").find("b9 page"));
    EXPECT_EQ(wide, ReadText(work + "/wide.htm"));
}

TEST_F(SdkBuild, OutsideFilesOfOneNameGetTheirOwnPlaces) {
    leaf::test::TempFolder art;
    leaf::test::TempFolder more;
    std::string first = art.WriteFile("logo.gif", OnePixelGif() + "first");
    std::string second = more.WriteFile("Logo.gif", OnePixelGif() + "second");
    std::string page = Source("book/index.html", "<img src=\"" + first + "\"><img src=\"" + second + "\">");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    ASSERT_TRUE(Build(folder / "out/art.lit"));

    std::string work = folder / "work/art";
    EXPECT_EQ((std::vector<std::string>{"art.opf", "external/Logo1.gif", "external/logo.gif", "index.html"}),
              ListFiles(work));
    EXPECT_EQ(OnePixelGif() + "first", ReadText(work + "/external/logo.gif"));
    EXPECT_EQ(OnePixelGif() + "second", ReadText(work + "/external/Logo1.gif"));
}

TEST_F(SdkBuild, WorkFolderNeverTakesTheSourcesOrTheEBooksFolder) {
    std::string page = PrepareOnePage();
    std::string outSentinel = Source("out/keep.txt", "keep");

    // Named after the source folder, below its parent: the work folder would be the
    // sources' own folder.
    SetSetting("TempFolder", folder.Path().string());
    EXPECT_FALSE(Build(folder / "elsewhere/book.lit"));
    EXPECT_EQ(LCERR_CREATETARGETDIR, control.ErrorCode());
    EXPECT_EQ(folder / "book" + ": it would hold the book's sources or the e-book", control.ErrorDetails());
    EXPECT_EQ("<html><body>one page</body></html>", ReadText(page));

    // The e-book's own folder.
    EXPECT_FALSE(Build(folder / "out/out.lit"));
    EXPECT_EQ(LCERR_CREATETARGETDIR, control.ErrorCode());
    EXPECT_EQ("keep", ReadText(outSentinel));

    // A work folder holding the sources' folder.
    SetSetting("TempFolder", fs::path(folder.Path()).parent_path().string());
    EXPECT_FALSE(Build(folder / ("out/" + folder.Path().filename().string() + ".lit")));
    EXPECT_EQ(LCERR_CREATETARGETDIR, control.ErrorCode());
    EXPECT_EQ("<html><body>one page</body></html>", ReadText(page));

    // A base folder that is a file.
    SetSetting("TempFolder", Source("afile", "x"));
    EXPECT_FALSE(Build(folder / "out/x.lit"));
    EXPECT_EQ(LCERR_CREATETARGETDIR, control.ErrorCode());
    EXPECT_EQ(folder / "afile/x" + ": Not a directory", control.ErrorDetails());

    // After all that the control still builds.
    SetSetting("TempFolder", folder / "work");
    EXPECT_TRUE(Build(folder / "out/x.lit"));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
}

TEST_F(SdkBuild, FriendlyNamesOfDotsAndLinksDeleteNothingOfTheUsers) {
    PrepareOnePage();
    std::string sentinel = Source("work/keep.txt", "keep");
    std::string userData = Source("mine/data.txt", "mine");
    fs::create_symlink(folder / "mine", folder / "work/link");

    EXPECT_TRUE(Build(folder / "out/..lit"));
    EXPECT_TRUE(fs::exists(folder / "work/New Folder/index.html"));
    EXPECT_TRUE(Build(folder / "out/.lit"));
    EXPECT_EQ("keep", ReadText(sentinel));

    // A folder of the e-book's name that is a link: the link goes, not what it names.
    EXPECT_TRUE(Build(folder / "out/link.lit"));
    EXPECT_FALSE(fs::is_symlink(folder / "work/link"));
    EXPECT_TRUE(fs::exists(folder / "work/link/index.html"));
    EXPECT_EQ("mine", ReadText(userData));

    // A long name keeps its first 50 characters.
    EXPECT_TRUE(Build(folder / ("out/" + std::string(60, 'n') + ".LIT")));
    EXPECT_TRUE(fs::exists(folder / ("work/" + std::string(50, 'n') + "/index.html")));
}

// Two builds of one e-book with friendly names: the second, started while the first
// works in the folder, fails by name and leaves the folder whole; once the first is done
// the name is free again.
TEST_F(SdkBuild, AFriendlyWorkFolderInUseByAnotherBuildIsNeverDeleted) {
    const std::string page = Source("book/index.html", "<img src=\"big.gif\">");
    Source("book/big.gif", BigGif());
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    bool secondBuilt = true;
    long secondError = 0;
    std::string secondDetails;
    bool pageStayed = false;
    sink->handler = [&](const std::string& event) {
        if (event.find("big.gif") == std::string::npos || secondError != 0)
            return;
        SdkControl second = SdkControl::Create();
        ASSERT_TRUE(second.Initialize() && second.AddSourceFile(page, LCF_SPINE) && second.PrepareEBook());
        secondBuilt = second.BuildEBook({Variant(folder / "out/a.lit"), Variant("")});
        secondError = second.ErrorCode();
        secondDetails = second.ErrorDetails();
        pageStayed = fs::exists(folder / "work/a/index.html");
    };
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    EXPECT_FALSE(secondBuilt);
    EXPECT_EQ(LCERR_CREATETARGETDIR, secondError);
    EXPECT_NE(std::string::npos, secondDetails.find("work/a")) << secondDetails;
    EXPECT_NE(std::string::npos, secondDetails.find("another build is using it")) << secondDetails;
    EXPECT_TRUE(pageStayed) << "the first build's folder was deleted under it";
    EXPECT_EQ(30000u, fs::file_size(folder / "work/a/big.gif"));

    sink->handler = nullptr;
    EXPECT_TRUE(Build(folder / "out/a.lit")) << "the name is free once its build is done";
}

// A folder that a build in another process holds (its mark locked) is left alone too.
TEST_F(SdkBuild, AFriendlyWorkFolderHeldByAnotherProcessStays) {
    PrepareOnePage();
    const std::string held = Source("work/a/index.html", "theirs");
    const std::string mark = folder / ("work/a/" + std::string(leaf::kScratchFolderMark));
    std::ofstream(mark) << "2147483000\n";
    const int fd = ::open(mark.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, flock(fd, LOCK_EX));
    EXPECT_FALSE(Build(folder / "out/a.lit"));
    EXPECT_EQ(LCERR_CREATETARGETDIR, control.ErrorCode());
    EXPECT_EQ("theirs", ReadText(held));
    ::close(fd);
    // Unlocked and its process gone, it is an earlier build's leftover and goes.
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    EXPECT_NE(std::string::npos, ReadText(held).find("one page"));
}

TEST_F(SdkBuild, TimeNamedWorkFoldersAreNeverShared) {
    SetSetting("FriendlyTempFolder", 0);
    PrepareOnePage();
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    std::vector<std::string> folders;
    for (const auto& entry : fs::directory_iterator(folder / "work"))
        folders.push_back(entry.path().filename().string());
    EXPECT_EQ(3u, folders.size());
    // Month, day, two-digit year, then hours, minutes and seconds; a counter when taken.
    const std::regex timeName("(0[1-9]|1[0-2])(0[1-9]|[12][0-9]|3[01])[0-9]{2}"
                              "-([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9](-[0-9]+)?");
    for (const std::string& name : folders) {
        EXPECT_TRUE(fs::exists(folder / ("work/" + name + "/a.opf"))) << name;
        EXPECT_TRUE(std::regex_match(name, timeName)) << name;
    }
}

TEST_F(SdkBuild, FailuresReportTheirCodeAndLeaveTheControlReady) {
    std::string page = Source("book/index.html", "<img src=\"pic.gif\">");
    Source("book/pic.gif", OnePixelGif());
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());

    // The picture becomes a folder between the preparation and the build: it cannot be copied.
    fs::remove(folder / "book/pic.gif");
    fs::create_directories(folder / "book/pic.gif");
    EXPECT_FALSE(Build(folder / "out/a.lit"));
    EXPECT_EQ(LCERR_COPYFAIL, control.ErrorCode());
    EXPECT_EQ(folder / "book/pic.gif" + ": it is not a regular file", control.ErrorDetails());
    fs::remove(folder / "book/pic.gif");
    Source("book/pic.gif", OnePixelGif());

    // The spine file disappears between the preparation and the build.
    fs::rename(page, folder / "moved.html");
    EXPECT_FALSE(Build(folder / "out/a.lit"));
    EXPECT_EQ(LCERR_CONVERTFAIL, control.ErrorCode());
    EXPECT_EQ(page + " (No such file or directory)", control.ErrorDetails());

    // A filter's own text stays as the details.
    Source("book/index.html", "CONVERT-FAILS <img src=\"pic.gif\">");
    EXPECT_FALSE(Build(folder / "out/a.lit"));
    EXPECT_EQ(LCERR_CONVERTFAIL, control.ErrorCode());
    EXPECT_EQ(page + ": cannot convert", control.ErrorDetails());

    // Aborted from the client's handler.
    Source("book/index.html", "<img src=\"pic.gif\">");
    sink->handler = [&](const std::string& event) {
        if (event.find("pic.gif") != std::string::npos)
            control.CallBool(sdkdispid::AbortBuild);
    };
    EXPECT_FALSE(Build(folder / "out/a.lit"));
    EXPECT_EQ(LCERR_ABORTED, control.ErrorCode());
    sink->handler = nullptr;

    // No flag is left set: the same prepared package builds.
    EXPECT_TRUE(Build(folder / "out/a.lit"));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_FALSE(control.CallBool(sdkdispid::AbortBuild));
    EXPECT_EQ(LCERR_ILLEGAL, control.ErrorCode());

    // Refusals before anything starts.
    EXPECT_FALSE(control.CallBool(sdkdispid::BuildEBook, {Variant::NullBstr(), Variant("")}));
    EXPECT_EQ(LCERR_POINTER, control.ErrorCode());
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    EXPECT_FALSE(Build(folder / "out/a.lit"));
    EXPECT_EQ(LCERR_ILLEGAL, control.ErrorCode());
}

TEST_F(SdkBuild, QueuedWorkFoldersGoWithTheControlUnlessKept) {
    PrepareOnePage();
    ASSERT_TRUE(Build(folder / "out/first.lit"));
    std::string page = folder / "book/index.html";
    fs::remove(page);
    EXPECT_FALSE(Build(folder / "out/second.lit"));
    EXPECT_TRUE(fs::exists(folder / "work/first"));
    EXPECT_TRUE(fs::exists(folder / "work/second"));
    control.Release();
    EXPECT_FALSE(fs::exists(folder / "work/first"));
    EXPECT_FALSE(fs::exists(folder / "work/second"));
    EXPECT_TRUE(fs::exists(folder / "work"));

    SetSetting("AutoDelete", 0);
    control = SdkControl::Create();
    ASSERT_TRUE(control.Initialize());
    PrepareOnePage();
    ASSERT_TRUE(Build(folder / "out/third.lit"));
    control.Release();
    EXPECT_TRUE(fs::exists(folder / "work/third/index.html"));
}

// The names of the folders in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(SdkBuild, WorkFoldersOfAKilledBuildGoWithTheNextBuildAndNoOthers) {
    SetSetting("FriendlyTempFolder", 0);
    const std::string page = Source("book/index.html", "<img src=\"big.gif\">");
    Source("book/big.gif", BigGif());
    // Killed while it copies the picture: the control never deletes its work folder.
    auto killedBuild = [&] {
        return leaf::test::RunUntilKilled([&](const leaf::test::KillHere& killHere) {
            SdkControl build = SdkControl::Create();
            leaf::ComPtr<EventSink> events(new EventSink());
            build.Advise(events.Get());
            events->handler = [&](const std::string& event) {
                if (event.find("big.gif") != std::string::npos)
                    killHere();
            };
            if (build.Initialize() && build.AddSourceFile(page, LCF_SPINE) && build.PrepareEBook())
                build.CallBool(sdkdispid::BuildEBook, {Variant(folder / "out/a.lit"), Variant("")});
            _exit(1);
        });
    };
    fs::create_directories(folder / "work/010126-000000");  // the user's, of a work folder's name
    Source("work/010126-000000/keep.htm", "mine");
    Source("work/notes/keep.htm", "mine");
    ASSERT_NE(0, killedBuild());
    std::vector<std::string> left = FolderNames(folder / "work");
    ASSERT_EQ(3u, left.size());
    const std::string killed = left[0] == "010126-000000" ? left[1] : left[0];
    ASSERT_NE("notes", killed);
    EXPECT_TRUE(fs::exists(folder / ("work/" + killed + "/index.html")));

    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    EXPECT_FALSE(fs::exists(folder / ("work/" + killed))) << "the killed build's folder goes";
    EXPECT_TRUE(fs::exists(folder / "work/010126-000000/keep.htm"));
    EXPECT_TRUE(fs::exists(folder / "work/notes/keep.htm"));
    EXPECT_EQ(3u, FolderNames(folder / "work").size()) << "the user's two and this build's";

    // Folders that are to be kept are kept, also those of killed builds.
    SetSetting("AutoDelete", 0);
    ASSERT_NE(0, killedBuild());
    std::vector<std::string> kept = FolderNames(folder / "work");
    ASSERT_EQ(4u, kept.size());
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(folder / ("work/" + name))) << name;

    // A build that ended, its folder queued for deletion with the control, in a process
    // killed before its control went.
    SetSetting("AutoDelete", 1);
    const std::vector<std::string> before = FolderNames(folder / "work");
    ASSERT_NE(0, leaf::test::RunUntilKilled([&](const leaf::test::KillHere& killHere) {
        // A child killed once it has built: its e-book is not checked.
        SdkControl build = SdkControl::Create();
        if (build.Initialize() && build.AddSourceFile(page, LCF_SPINE) && build.PrepareEBook() &&
            build.CallBool(sdkdispid::BuildEBook, {Variant(folder / "out/b.lit"), Variant("")}))
            killHere();
        _exit(1);
    }));
    std::vector<std::string> queued;
    for (const std::string& name : FolderNames(folder / "work"))
        if (std::find(before.begin(), before.end(), name) == before.end())
            queued.push_back(name);
    ASSERT_EQ(1u, queued.size());
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    EXPECT_FALSE(fs::exists(folder / ("work/" + queued[0])));
    for (const std::string& name : before)
        EXPECT_TRUE(fs::exists(folder / ("work/" + name))) << name;
}

TEST_F(SdkBuild, CopiesToTheEndOfTheDataWhenAFileShrinksWhileRead) {
    EXPECT_TRUE(BuildWhileThePictureChanges([](const std::string& big) { fs::resize_file(big, 100); }));
    EXPECT_EQ(10240u, fs::file_size(folder / "work/a/big.gif"));
}

TEST_F(SdkBuild, CopiesOnlyWhatAFileHeldWhenItsCopyBegan) {
    EXPECT_TRUE(BuildWhileThePictureChanges(
        [](const std::string& big) { std::ofstream(big, std::ios::app) << std::string(50000, 'y'); }));
    EXPECT_EQ(BigGif(), ReadText(folder / "work/a/big.gif"));
}

TEST_F(SdkBuild, ForcedOebMediaTypesLastForTheWriteAndVersionItemsAreNotRepeated) {
    Source("book/style.css", "p { }");
    std::string page = Source("book/index.html", "<link href=\"style.css\">");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());

    SetSetting("ForceOEBOutput", 1);
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    std::string forced = ReadText(folder / "work/a/a.opf");
    EXPECT_NE(std::string::npos, ManifestLine(forced, "index.html").find("\"text/x-oeb1-document\""));
    EXPECT_NE(std::string::npos, ManifestLine(forced, "style.css").find("\"text/x-oeb1-css\""));

    SetSetting("ForceOEBOutput", 0);
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    std::string plain = ReadText(folder / "work/a/a.opf");
    EXPECT_NE(std::string::npos, ManifestLine(plain, "index.html").find("\"text/html\""));
    EXPECT_NE(std::string::npos, ManifestLine(plain, "style.css").find("\"text/css\""));
    EXPECT_GT(Count(plain, "name=\"lcver-"), 0u);
    EXPECT_EQ(Count(forced, "name=\"lcver-"), Count(plain, "name=\"lcver-"));
}

TEST_F(SdkBuild, LinkThroughAFileAsIfItWereAFolderIsMissing) {
    std::string page = Source("book/index.html", "<img src=\"index.html/pic.gif\"><img src=\"pic.gif\">");
    Source("book/pic.gif", OnePixelGif());
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    EXPECT_EQ(std::vector<std::string>{folder / "book/index.html/pic.gif"},
              control.Collection(sdkdispid::GetMissingFiles));
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    EXPECT_EQ((std::vector<std::string>{"a.opf", "index.html", "pic.gif"}), ListFiles(folder / "work/a"));
}

TEST_F(SdkBuild, FilesAddedToAWorkFolderBelongToTheirBuildOnly) {
    ASSERT_TRUE(control.AddSourceFile(Source("book/index.html", "ADDS-OUTPUT"), LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    for (int build = 0; build < 2; ++build) {
        // The second build of the same name starts from a fresh folder of that name.
        ASSERT_TRUE(Build(folder / "out/a.lit")) << build;
        EXPECT_EQ((std::vector<std::string>{"a.opf", "extra.css", "index.html"}), ListFiles(folder / "work/a"));
        std::string package = ReadText(folder / "work/a/a.opf");
        EXPECT_EQ(1u, Count(package, "href=\"extra.css\"")) << package;
        EXPECT_NE(std::string::npos, ManifestLine(package, "extra.css").find("\"text/css\""));
    }
}

TEST_F(SdkBuild, LongPathsReachTheFiltersWhole) {
    const std::string deep = std::string(90, 'd') + "/" + std::string(90, 'e') + "/" + std::string(90, 'f');
    std::string page = Source("book/index.html", "<a href=\"" + deep + "/page.html\">deep</a>");
    Source("book/" + deep + "/deep.css", "p { color: #123 }");
    Source("book/" + deep + "/page.html", "<link href=\"deep.css\"><p>deep page</p>");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    ASSERT_TRUE(Build(folder / "out/a.lit"));
    ASSERT_GT((folder / ("work/a/" + deep + "/page.html")).size(), 300u);
    EXPECT_NE(std::string::npos, ReadText(folder / ("work/a/" + deep + "/page.html")).find("deep page"));
    EXPECT_EQ("p { color: #112233 }", ReadText(folder / ("work/a/" + deep + "/deep.css")));
}

// The client object of a build: SelectEmbeddedFonts (dispatch id 1) answers `answer`.
class FontChooser final : public leaf::ComObject<FontChooser, IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (dispid != 1)
            return DISP_E_MEMBERNOTFOUND;
        ++calls;
        if (result != nullptr) {
            result->vt = VT_I4;
            result->lVal = answer;
        }
        return S_OK;
    }

    LONG answer = 0;
    int calls = 0;
};

TEST_F(SdkBuild, ClientCancellingTheFontChoiceAbortsTheBuild) {
    control = SdkControl::CreateWithFontEmbedder();
    ASSERT_TRUE(control.CallBool(sdkdispid::IsFontEmbeddingAvailable));
    ASSERT_TRUE(control.Initialize());
    PrepareOnePage();

    leaf::ComPtr<FontChooser> chooser(new FontChooser());
    auto build = [&](Variant embed) {
        fs::create_directories(folder / "out");
        return control.BuildEBook(
            {Variant(folder / "out/fonts.lit"), Variant(""), embed, Variant(static_cast<IDispatch*>(chooser.Get()))});
    };
    EXPECT_FALSE(build(Variant(true)));
    EXPECT_EQ(LCERR_ABORTED, control.ErrorCode());
    EXPECT_EQ("", control.ErrorDetails());
    EXPECT_EQ(1, chooser->calls);
    EXPECT_TRUE(fs::exists(folder / "work/fonts/index.html"));

    // Only a boolean asks for fonts.
    EXPECT_TRUE(build(Variant(LONG(1))));
    EXPECT_EQ(1, chooser->calls);
    chooser->answer = 1;
    EXPECT_TRUE(build(Variant(true)));
    EXPECT_EQ(2, chooser->calls);

    control.Release();
    EXPECT_FALSE(fs::exists(folder / "work/fonts"));
}

TEST_F(SdkBuild, AbortDuringTheFontStepEndsTheBuildAsAborted) {
    control = SdkControl::CreateWithFontEmbedder();
    ASSERT_TRUE(control.Initialize());
    sink = leaf::ComPtr<EventSink>(new EventSink());
    control.Advise(sink.Get());
    sink->handler = [&](const std::string& event) {
        if (event.rfind("message 7 0 fonts", 0) == 0)
            control.CallBool(sdkdispid::AbortBuild);
    };
    PrepareOnePage();

    for (const char* step : {"analyse", "embed"}) {
        setenv("LEAF_TEST_EMBEDDER_STEP", step, 1);
        const std::string eBook = folder / (std::string("out/") + step + ".lit");
        fs::create_directories(folder / "out");
        EXPECT_FALSE(control.CallBool(sdkdispid::BuildEBook, {Variant(eBook), Variant(""), Variant(true)})) << step;
        EXPECT_EQ(LCERR_ABORTED, control.ErrorCode()) << step;
        EXPECT_FALSE(fs::exists(eBook)) << step;
        // The build ended at the font step: no package was written for the compiler.
        EXPECT_TRUE(fs::exists(folder / (std::string("work/") + step + "/index.html"))) << step;
        EXPECT_FALSE(fs::exists(folder / (std::string("work/") + step + "/" + step + ".opf"))) << step;
    }
    unsetenv("LEAF_TEST_EMBEDDER_STEP");
}

TEST_F(SdkBuild, AFailedFontStepNamesTheWorkFolder) {
    control = SdkControl::CreateWithFontEmbedder();
    ASSERT_TRUE(control.Initialize());
    PrepareOnePage();
    setenv("LEAF_TEST_EMBEDDER_FAIL", "embed", 1);
    fs::create_directories(folder / "out");
    const bool built =
        control.CallBool(sdkdispid::BuildEBook, {Variant(folder / "out/fonts.lit"), Variant(""), Variant(true)});
    unsetenv("LEAF_TEST_EMBEDDER_FAIL");
    EXPECT_FALSE(built);
    EXPECT_EQ(LCERR_UNEXPECTED, control.ErrorCode());
    EXPECT_EQ(folder / "work/fonts" + ": the fonts could not be embedded", control.ErrorDetails());
}

// The e-book path may name one of the book's own files under any spelling; the build is
// refused before anything is written, naming the file.
TEST_F(SdkBuild, TheEBookNeverTakesThePlaceOfOneOfTheBooksFiles) {
    const std::string page = Source("book/index.html", "<link rel=\"stylesheet\" href=\"style.css\"><img src=\"pic.gif\">");
    const std::string contents = Source("book/contents.html", "<a href=\"index.html\">start</a>");
    const std::string style = Source("book/style.css", "p { }");
    const std::string picture = Source("book/pic.gif", OnePixelGif());
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(contents, LCF_HTML_GUIDE_ITEM));
    ASSERT_TRUE(control.PrepareEBook());
    fs::create_directories(folder / "out");
    fs::create_hard_link(picture, folder / "out/hard.lit");
    fs::create_symlink(style, folder / "out/link.lit");

    struct Case {
        std::string eBook, bookFile;
    };
    for (const Case& c : {Case{page, page}, Case{folder / "book/./contents.html", contents},
                          Case{folder / "out/link.lit", style}, Case{folder / "out/hard.lit", picture}}) {
        SCOPED_TRACE(c.eBook);
        EXPECT_FALSE(Build(c.eBook));
        EXPECT_EQ(LCERR_CREATEEBOOK, control.ErrorCode());
        EXPECT_NE(std::string::npos, control.ErrorDetails().find(c.bookFile)) << control.ErrorDetails();
        EXPECT_FALSE(fs::exists(folder / "work"));
    }
    EXPECT_EQ("<link rel=\"stylesheet\" href=\"style.css\"><img src=\"pic.gif\">", ReadText(page));
    EXPECT_EQ("<a href=\"index.html\">start</a>", ReadText(contents));
    EXPECT_EQ("p { }", ReadText(style));
    EXPECT_EQ(OnePixelGif(), ReadText(picture));

    // Another file of the same folder is no book file.
    EXPECT_TRUE(Build(folder / "book/book.lit"));
}

// A copy or conversion that fails names the source and why: here the place of its work
// copy is taken by a file, which the client's handler puts there just before.
TEST_F(SdkBuild, FailedCopiesAndConversionsNameTheFileAndTheReason) {
    const std::string page = Source("book/index.html", "<img src=\"pics/a.gif\"><a href=\"sub/two.html\">2</a>");
    const std::string picture = Source("book/pics/a.gif", OnePixelGif());
    const std::string second = Source("book/sub/two.html", "<p>two</p>");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());

    struct Case {
        std::string item, blocked, source;
        LONG code;
        std::string details;
    };
    const std::string work = folder / "work";
    // The handler blocks a folder of the work folder at the event before its item is
    // converted: every conversion runs on the client's thread, so that none has made the
    // folder ahead of that event.
    setenv("LEAF_FILTER_WORKERS", "1", 1);
    for (const Case& c : {Case{"pics/a.gif", "copy/pics", picture, LCERR_COPYFAIL,
                                picture + ": cannot create " + work + "/copy/pics/a.gif: Not a directory"},
                          Case{"sub/two.html", "convert/sub", second, LCERR_CONVERTFAIL,
                                second + " (cannot create " + work + "/convert/sub/two.html: Not a directory)"}}) {
        SCOPED_TRACE(c.item);
        const std::string name = fs::path(c.blocked).parent_path().string();
        sink->handler = [&](const std::string& event) {
            if (event.find(" 2 " + c.item) != std::string::npos && !fs::exists(work + "/" + c.blocked))
                Source("work/" + c.blocked, "in the way");
        };
        EXPECT_FALSE(Build(folder / ("out/" + name + ".lit")));
        EXPECT_EQ(c.code, control.ErrorCode());
        EXPECT_EQ(c.details, control.ErrorDetails());
    }
    unsetenv("LEAF_FILTER_WORKERS");
    sink->handler = nullptr;

    // A write that the system refuses part way (here: past the largest file this process
    // may write, as a full disk would) names the copy and the reason.
    Source("book/pics/a.gif", BigGif());
    ASSERT_TRUE(control.PrepareEBook());
    struct rlimit before {};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &before));
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = before;
    limited.rlim_cur = 20000;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limited));
    const bool built = Build(folder / "out/limited.lit");
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(built);
    EXPECT_EQ(LCERR_COPYFAIL, control.ErrorCode());
    EXPECT_EQ(picture + ": cannot write " + work + "/limited/pics/a.gif: " + std::strerror(EFBIG), control.ErrorDetails());
}

// File names that a reader of an href would decode or cut short are escaped in the
// package file, so the compiler asks for the items by their own names.
TEST_F(SdkBuild, HrefsOfFileNamesWithPercentHashAndQuestionMarkReadBackAsTheNames) {
    const std::string percent = Source("book/pct%41%.html", "<p>percent</p>");
    const std::string hash = Source("book/hash#x.html", "<img src=\"q?.gif\">");
    Source("book/q?.gif", OnePixelGif());
    ASSERT_TRUE(control.AddSourceFile(percent, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(hash, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    ASSERT_TRUE(Build(folder / "out/names.lit"));
    const std::string package = ReadText(folder / "work/names/names.opf");
    EXPECT_NE("", ManifestLine(package, "pct%2541%25.html")) << package;
    EXPECT_NE("", ManifestLine(package, "hash%23x.html")) << package;
    EXPECT_NE("", ManifestLine(package, "q%3F.gif")) << package;
    EXPECT_EQ(OnePixelGif(), ReadText(folder / "work/names/q?.gif"));
}

// What the author entered that the package file cannot carry fails the build with the
// package file and the item named; nothing is left out without a word.
TEST_F(SdkBuild, MetadataThePackageCannotCarryFailsTheBuildByName) {
    PrepareOnePage();
    ASSERT_TRUE(control.CallBool(sdkdispid::AddMetaData,
                                 {Variant("my field"), Variant(""), Variant("mine"), Variant(LONG(LCF_DUBLIN_CORE))}));
    ASSERT_TRUE(control.PrepareEBook());
    EXPECT_FALSE(Build(folder / "out/meta.lit"));
    EXPECT_EQ(LCERR_CREATEPACKAGEFILE, control.ErrorCode());
    const std::string details = control.ErrorDetails();
    EXPECT_EQ(0u, details.find(folder / "work/meta/meta.opf: ")) << details;
    EXPECT_NE(std::string::npos, details.find("\"my field\"")) << details;
    EXPECT_FALSE(fs::exists(folder / "work/meta/meta.opf"));
}

// Pictures and fonts that a style sheet names are packaged like a page's; those that do
// not exist are listed as missing, a font from outside the folder as outside. A style
// sheet that a style sheet imports counts too.
TEST_F(SdkBuild, FilesNamedByStyleSheetsArePackagedOrListed) {
    leaf::test::TempFolder elsewhere;
    const std::string outside = elsewhere.WriteFile("art/logo.png", OnePixelPng() + "logo");
    const std::string outsideFont = elsewhere.WriteFile("fonts/sans.ttf", "TTF");
    const std::string page = Source("book/index.html", "<link rel=\"stylesheet\" href=\"css/style.css\">");
    Source("book/css/style.css", "@import url(more.css);\n"
                                 "body { background: url('../pics/paper.gif') }\n"
                                 "@font-face { src: url(\"../fonts/serif.ttf\") }\n"
                                 "h1 { background: url(gone.png) url(" + outside + ") }\n"
                                 "@font-face { src: url(" + outsideFont + ") }\n");
    Source("book/css/more.css", "p { list-style: url(dot.gif) }");
    Source("book/pics/paper.gif", OnePixelGif() + "paper");
    Source("book/fonts/serif.ttf", "TTF");
    Source("book/css/dot.gif", OnePixelGif() + "dot");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, control.ErrorCode());
    EXPECT_EQ(std::vector<std::string>{folder / "book/css/gone.png"}, control.Collection(sdkdispid::GetMissingFiles));
    // Only pictures and style sheets may come from outside the source folder.
    EXPECT_EQ(std::vector<std::string>{outsideFont}, control.Collection(sdkdispid::GetExternalFiles));

    ASSERT_TRUE(Build(folder / "out/styled.lit"));
    const std::string package = ReadText(folder / "work/styled/styled.opf");
    for (const char* href : {"css/style.css", "css/more.css", "pics/paper.gif", "fonts/serif.ttf", "css/dot.gif",
                             "external/logo.png"})
        EXPECT_EQ(1u, Count(package, "href=\"" + std::string(href) + "\"")) << href << "\n" << package;
    EXPECT_EQ("TTF", ReadText(folder / "work/styled/fonts/serif.ttf"));
    // The style sheet reaches the outside picture at its copy; its own files as named.
    const std::string style = ReadText(folder / "work/styled/css/style.css");
    EXPECT_NE(std::string::npos, style.find("url(\"../external/logo.png\")")) << style;
    EXPECT_NE(std::string::npos, style.find("url('../pics/paper.gif')")) << style;
}

}  // namespace
}  // namespace sdktest
