// The image filter (pictureintake.so) through its COM object: the page made for a
// reading-order picture, the byte-for-byte copy of any other, sizes, progress, abort,
// failures, the alignment read from the profile and the extensions it registers.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "filters/image/ImageFilterIds.h"
#include "platform/registry/Profile.h"
#include "platform/registry/RegistryKey.h"
#include "tests/filters/text/FilterTestHost.h"

namespace filtertest {
namespace {

class ImageFilterTest : public testing::Test {
protected:
    void SetUp() override {
        filter = CreateFilter("pictureintake.so", CLSID_ImageFilter);
        ASSERT_NE(nullptr, filter.Get());
        ASSERT_EQ(S_OK, filter->Initialize());
    }

    HRESULT Convert(const std::string& source, LONG flags) {
        return filter->Convert(U16(source).c_str(), U16(destination).c_str(), flags, &host);
    }

    leaf::test::TempFolder folder;
    std::string destination = folder / "out.htm";
    leaf::ComPtr<IInputFilter> filter;
    RecordingHost host;
};

TEST_F(ImageFilterTest, ReadingOrderPictureBecomesAPage) {
    const struct {
        const char* name;
        std::string align;
        std::string source;
        std::string imgLine;
    } cases[] = {
        {"folder separators of both kinds", "right", "C:\\Book\\art/cover.jpg", "<img src=\"cover.jpg\" />"},
        {"backslash last", "center", "/book/art\\pic.png", "<img src=\"pic.png\" />"},
        {"no folder", "left", "plain.gif", "<img src=\"plain.gif\" />"},
        {"name escaped for the attribute", "center", "/book/a \"b\" & <c>'.png",
         "<img src=\"a &quot;b&quot; &amp; &lt;c&gt;&#39;.png\" />"},
    };
    leaf::Profile profile("Tallbrook Systems, Inc.", "Leafcraft");
    for (const auto& c : cases) {
        ASSERT_TRUE(profile.WriteProfileString("Image Filter", "Align", c.align.c_str()));
        ASSERT_EQ(S_OK, filter->Initialize());
        host.steps.clear();
        EXPECT_EQ(S_OK, Convert(c.source, kFilterReadingOrderItem)) << c.name;
        EXPECT_EQ("<html><body>\n<p align=\"" + c.align + "\">\n" + c.imgLine + "\n</p>\n</body></html>",
                  ReadBytes(destination))
            << c.name;
        EXPECT_EQ(std::vector<LONG>{100}, host.steps) << c.name;
    }
}

TEST_F(ImageFilterTest, PageFailures) {
    host.sourceFolderFails = true;
    EXPECT_EQ(E_UNEXPECTED, Convert("/x/a.png", 1));
    host.sourceFolderFails = false;
    destination = folder / "no-such-folder/out.htm";
    EXPECT_EQ(static_cast<HRESULT>(0x80040214), Convert("/x/a.png", 1));
    destination = folder / "out.htm";
    host.abortAtStep = 0;
    EXPECT_EQ(E_ABORT, Convert("/x/a.png", 1));
    EXPECT_TRUE(host.errorDetails.empty());
}

TEST_F(ImageFilterTest, OtherPicturesAreCopiedByteForByte) {
    std::string bytes;
    for (int i = 0; i < 25000; ++i)
        bytes.push_back(static_cast<char>(i * 7));
    const std::string source = folder.WriteFile("Art/Pic.PNG", bytes);
    EXPECT_EQ(S_OK, Convert(source, 0));
    EXPECT_EQ(bytes, ReadBytes(destination));
    EXPECT_EQ((std::vector<LONG>{10240, 10240, 4520}), host.steps);

    // Found whatever the letter case of the link.
    host.steps.clear();
    EXPECT_EQ(S_OK, Convert(folder / "art/pic.png", 0));
    EXPECT_EQ(bytes, ReadBytes(destination));

    host.steps.clear();
    host.abortAtStep = 1;
    EXPECT_EQ(E_ABORT, Convert(source, 0));
    EXPECT_EQ(2u, host.steps.size());

    host.abortAtStep = -1;
    EXPECT_EQ(E_UNEXPECTED, Convert(folder / "missing.png", 0));
}

TEST_F(ImageFilterTest, SizesAndPrepare) {
    const std::string source = folder.WriteFile("a.jpg", std::string(25000, 'j'));
    const std::u16string missing = U16(folder / "missing.jpg");
    LONG units = -1;
    EXPECT_EQ(S_OK, filter->GetSize(U16(source).c_str(), 0, &units));
    EXPECT_EQ(25000, units);
    EXPECT_EQ(S_OK, filter->GetSize(U16(source).c_str(), 1, &units));
    EXPECT_EQ(100, units);
    EXPECT_EQ(S_OK, filter->GetSize(missing.c_str(), 0x10001, &units));
    EXPECT_EQ(0, units);
    EXPECT_EQ(STG_E_PATHNOTFOUND, filter->GetSize(missing.c_str(), 1, &units));
    EXPECT_EQ(E_POINTER, filter->GetSize(nullptr, 0, &units));

    EXPECT_EQ(S_OK, filter->Prepare(U16(source).c_str(), u"/map", &host));
    EXPECT_EQ(std::vector<std::string>{source + "|(null)"}, host.dependencies);
    EXPECT_EQ(E_POINTER, filter->Prepare(U16(source).c_str(), nullptr, nullptr));
    EXPECT_EQ(E_POINTER, filter->Convert(U16(source).c_str(), nullptr, 0, &host));
}

TEST_F(ImageFilterTest, RegistersItsExtensions) {
    for (const char* extension : {".png", ".gif", ".jpg", ".jpeg"}) {
        leaf::RegistryKey key = leaf::RegistryKey::Open(
            HKEY_USERS, std::string(".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\") + extension);
        EXPECT_EQ(std::optional<std::string>("Leafcraft.ImageFilter"), key.ReadString()) << extension;
    }
}

// Neither the copy nor the page is ever written over the picture itself, whichever name
// leads there.
TEST_F(ImageFilterTest, ConvertingAPictureOntoItselfIsRefused) {
    const std::string picture = folder.WriteFile("Art/Cover.png", "\x89PNG picture bytes");
    const std::string hardLink = folder / "Art/link.png";
    ASSERT_EQ(0, link(picture.c_str(), hardLink.c_str()));
    for (const std::string& target : {picture, folder / "art/COVER.PNG", hardLink}) {
        destination = target;
        EXPECT_EQ(E_UNEXPECTED, Convert(picture, 0)) << target;
        EXPECT_EQ(static_cast<HRESULT>(0x80040214), Convert(picture, 1)) << target;
        EXPECT_EQ("\x89PNG picture bytes", ReadBytes(picture)) << target;
    }
    destination = folder.WriteFile("Art/cover.png", "");  // another file, though it differs only in case
    EXPECT_EQ(S_OK, Convert(picture, 0));
    EXPECT_EQ("\x89PNG picture bytes", ReadBytes(destination));
}

// A FIFO is no picture: refused at once, never opened (a writer is held open here so
// that a filter that does open it cannot hang).
TEST_F(ImageFilterTest, SpecialFilesAreRefused) {
    const std::string fifo = folder / "pipe.png";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_LE(0, writer);
    EXPECT_EQ(E_UNEXPECTED, Convert(fifo, 0));
    LONG units = -1;
    EXPECT_EQ(STG_E_PATHNOTFOUND, filter->GetSize(U16(fifo).c_str(), 0, &units));
    destination = fifo;
    EXPECT_EQ(static_cast<HRESULT>(0x80040214), Convert("/x/a.png", 1));
    EXPECT_EQ(E_UNEXPECTED, Convert(folder.WriteFile("a.png", "png"), 0));
    char buffer[16];
    EXPECT_EQ(-1, ::read(writer, buffer, sizeof buffer)) << "nothing was written into the FIFO";
    ::close(writer);
}

}  // namespace
}  // namespace filtertest
