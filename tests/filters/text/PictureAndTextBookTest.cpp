// A book whose reading order holds a picture and a text file: the build control finds
// the image and plain-text filters through the registry and prepares the book with them,
// and the filters turn both items into pages as a build's conversion pass asks them to.

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/registry/Profile.h"

#include "filters/image/ImageFilterIds.h"
#include "filters/text/TextFilterIds.h"
#include "tests/filters/text/FilterTestHost.h"
#include "tests/support/TestPictures.h"

namespace filtertest {
namespace {

using leaf::Variant;

class PictureAndTextBook : public sdktest::SdkControlTest {
protected:
    void SetUp() override {
        sdktest::SdkControlTest::SetUp();
        ASSERT_TRUE(leaf::test::RegisterModule("pictureintake.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("plainintake.so"));
        ASSERT_TRUE(control.Initialize());
    }
};

TEST_F(PictureAndTextBook, PreparesAndConvertsBothItems) {
    const std::string picture = Source("book/Art/Cover.PNG", std::string("\x89PNG\r\n\x1a\n", 8) + "pixels");
    const std::string text = Source("book/notes.txt", "Tea\t& cake\n");
    ASSERT_TRUE(control.AddSourceFile(picture, LCF_SPINE)) << control.ErrorCode();
    ASSERT_TRUE(control.AddSourceFile(text, LCF_SPINE)) << control.ErrorCode();
    // A second, plain use of the picture (a guide image) is fine too.
    ASSERT_TRUE(control.AddSourceFile(folder / "book/art/cover.png", 0)) << control.ErrorCode();

    ASSERT_TRUE(control.PrepareEBook()) << control.ErrorCode() << " " << control.ErrorDetails();
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
    EXPECT_TRUE(control.Collection(sdkdispid::GetExternalFiles).empty());

    // The conversion pass: each reading-order item through its filter.
    leaf::ComPtr<IInputFilter> images;
    leaf::ComPtr<IInputFilter> texts;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ImageFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                                     images.ReceiveVoid()));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TextFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                                     texts.ReceiveVoid()));
    ASSERT_EQ(S_OK, images->Initialize());
    ASSERT_EQ(S_OK, texts->Initialize());
    RecordingHost host;
    host.sourceFolder = folder / "book";

    const std::string picturePage = folder / "work-cover.htm";
    const std::string textPage = folder / "work-notes.htm";
    ASSERT_EQ(S_OK, images->Convert(U16(picture).c_str(), U16(picturePage).c_str(), 1, &host));
    ASSERT_EQ(S_OK, texts->Convert(U16(text).c_str(), U16(textPage).c_str(), 1, &host));
    EXPECT_EQ("<html><body>\n<p align=\"center\">\n<img src=\"Cover.PNG\" />\n</p>\n</body></html>",
              ReadBytes(picturePage));
    EXPECT_EQ("<html><body><pre>\nTea &amp; cake\n</pre></body></html>", ReadBytes(textPage));
    EXPECT_EQ((std::vector<LONG>{100, 11}), host.steps);
}

// The whole build: the table of contents gives the chapter tour, the picture becomes a
// page beside its copy, the text file a preformatted page, and the package names them.
TEST(PictureAndTextBuild, BuildsTheBookWithItsChapterTour) {
    namespace fs = std::filesystem;
    leaf::test::TempFolder folder;
    // The page filter of the control's tests reads the table of contents; the image and
    // text filters, registered after it, take their own extensions back.
    for (const char* module : {"leafsdk.so", "sdktestpages.so", "pictureintake.so", "plainintake.so"})
        ASSERT_TRUE(leaf::test::RegisterModule(module)) << module;
    leaf::Profile("Tallbrook Systems, Inc.", "Leafcraft").WriteProfileString("SDK", "TempFolder", (folder / "work").c_str());
    leaf::Profile("Tallbrook Systems, Inc.", "Leafcraft").WriteProfileInt("SDK", "FriendlyTempFolder", 1);
    sdktest::SdkControl control = sdktest::SdkControl::Create();
    ASSERT_TRUE(control.Initialize());

    const std::string toc = folder.WriteFile("book/toc.html",
                                             "<html><body><ul><li><a href=\"Art/Cover.PNG\">The\ncover</a></li>\n"
                                             "<li><a href=\"notes.txt\">Notes &amp; more</a></li></ul></body></html>\n");
    const std::string picture = folder.WriteFile("book/Art/Cover.PNG", leaf::test::OnePixelPng() + "bytes");
    const std::string notes = folder.WriteFile("book/notes.txt", "a\tb <c>\n");
    ASSERT_TRUE(control.AddSourceFile(toc, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(picture, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(notes, LCF_SPINE));
    ASSERT_TRUE(control.CallBool(sdkdispid::AddGuideItem, {Variant("Contents"), Variant("toc"), Variant("toc.html")}));
    ASSERT_TRUE(control.CallBool(sdkdispid::CreateTourFromTOC, {Variant(LONG(0))})) << control.ErrorCode();
    ASSERT_TRUE(control.PrepareEBook()) << control.ErrorCode() << " " << control.ErrorDetails();
    fs::create_directories(folder / "out");
    ASSERT_TRUE(control.BuildEBook({Variant(folder / "out/Book.lit"), Variant("")}))
        << control.ErrorCode() << " " << control.ErrorDetails();

    const std::string work = folder / "work/Book";
    EXPECT_EQ(leaf::test::OnePixelPng() + "bytes", ReadBytes(work + "/Art/Cover.PNG"));
    EXPECT_EQ("<html><body><pre>\na   b &lt;c&gt;\n</pre></body></html>", ReadBytes(work + "/notes.htm"));
    std::string picturePage;
    for (const auto& entry : fs::directory_iterator(work + "/Art"))
        if (entry.path().filename() != "Cover.PNG")
            picturePage = ReadBytes(entry.path().string());
    EXPECT_EQ("<html><body>\n<p align=\"center\">\n<img src=\"Cover.PNG\" />\n</p>\n</body></html>", picturePage);

    const std::string package = ReadBytes(work + "/Book.opf");
    EXPECT_NE(std::string::npos, package.find("name=\"ms-chaptertour\" content=\"chaptertour\"")) << package;
    EXPECT_NE(std::string::npos, package.find("<tour id=\"chaptertour\" title=\"Chapter Tour\" >")) << package;
    EXPECT_NE(std::string::npos, package.find("href=\"notes.htm\"")) << package;
    EXPECT_TRUE(fs::exists(folder / "out/Book.lit"));
}

// A FIFO given as a source, or linked as a page or a picture, never blocks the build: it
// cannot be read, and the control says so instead of waiting for a writer.
TEST(PictureAndTextBuild, FifosAreRefusedInsteadOfBlockingTheBuild) {
    namespace fs = std::filesystem;
    leaf::test::TempFolder folder;
    for (const char* module : {"leafsdk.so", "markupintake.so", "pictureintake.so", "plainintake.so"})
        ASSERT_TRUE(leaf::test::RegisterModule(module)) << module;
    leaf::Profile("Tallbrook Systems, Inc.", "Leafcraft").WriteProfileString("SDK", "TempFolder", (folder / "work").c_str());
    leaf::Profile("Tallbrook Systems, Inc.", "Leafcraft").WriteProfileInt("SDK", "FriendlyTempFolder", 1);
    sdktest::SdkControl control = sdktest::SdkControl::Create();
    ASSERT_TRUE(control.Initialize());

    const std::string page = folder.WriteFile("book/index.html",
                                              "<html><body><a href=\"linked.html\">x</a><img src=\"pic.png\"></body></html>");
    for (const char* name : {"book/linked.html", "book/pic.png", "book/notes.txt"})
        ASSERT_EQ(0, mkfifo((folder / name).c_str(), 0644)) << name;
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook()) << control.ErrorCode() << " " << control.ErrorDetails();
    fs::create_directories(folder / "out");
    EXPECT_FALSE(control.CallBool(sdkdispid::BuildEBook, {Variant(folder / "out/Linked.lit"), Variant("")}));
    EXPECT_NE(LCERR_NONE, control.ErrorCode());
    EXPECT_FALSE(fs::exists(folder / "out/Linked.lit"));

    // Given as a source, it is refused at once.
    ASSERT_TRUE(control.Initialize());
    EXPECT_FALSE(control.AddSourceFile(folder / "book/notes.txt", LCF_SPINE));
    EXPECT_EQ(LCERR_INVALID_FILE, control.ErrorCode());
    EXPECT_EQ(folder / "book/notes.txt" + ": Operation not permitted", control.ErrorDetails());
    EXPECT_TRUE(fs::is_fifo(folder / "book/notes.txt"));
}

}  // namespace
}  // namespace filtertest
