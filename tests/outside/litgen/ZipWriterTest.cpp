// The e-book compiler's archive writer and the deflating of items, checked by outside
// readers: unzip's own test of an archive, and python3's zipfile reading every entry back
// and comparing it with what went in. What a ZIP archive without ZIP64 extensions cannot
// hold is refused.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "outside/litgen/StoredContent.h"
#include "outside/litgen/ZipWriter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

// Bytes that deflating does not make smaller.
std::string Noise(size_t size) {
    std::string bytes;
    for (std::uint32_t state = 7; bytes.size() < size;) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 23);
    }
    return bytes;
}

struct Entry {
    std::string name;
    std::string content;
    bool compress;
};

bool Add(CZipWriter& archive, const Entry& entry) {
    std::string deflated;
    const litgen::StoredForm form = litgen::StoreContent(entry.content, entry.compress, deflated);
    return archive.Add(entry.name, form, form.deflated ? deflated : entry.content);
}

TEST(ZipWriter, OutsideReadersReadBackEveryEntryInOrder) {
    leaf::test::TempFolder folder;
    std::string page;
    for (int i = 0; i < 3000; ++i)
        page += "<p>Paragraph " + std::to_string(i) + " of the chapter.</p>\n";
    const std::vector<Entry> entries = {
        {"mimetype", "application/epub+zip", false},
        {"META-INF/container.xml", "<container/>\n", true},  // too short to shrink: stored
        {"chapter.html", page, true},
        {"images/plate.png", Noise(70000), false},
        {"noise.txt", Noise(5000), true},  // deflating would make it larger: stored
        {"empty.css", "", true},
        {"caf\xC3\xA9/na\xC3\xAFve.html", "<p>caf\xC3\xA9</p>", true},
    };
    const std::string path = folder / "book.epub";
    CZipWriter archive;
    ASSERT_TRUE(archive.Create(path)) << archive.Error();
    for (const Entry& entry : entries)
        ASSERT_TRUE(Add(archive, entry)) << archive.Error();
    ASSERT_TRUE(archive.Finish()) << archive.Error();

    const leaf::test::ChildResult tested = leaf::test::RunChild("unzip", {"-t", path});
    EXPECT_EQ(0, tested.exitStatus) << tested.out << tested.err;
    EXPECT_NE(std::string::npos, tested.out.find("No errors detected")) << tested.out;

    // python3 reads each entry, checks its checksum, and compares it with the file of the
    // same content; it also says how each entry is held.
    std::vector<std::string> arguments = {"-c",
                                          "import sys, zipfile\n"
                                          "archive = zipfile.ZipFile(sys.argv[1])\n"
                                          "assert archive.testzip() is None\n"
                                          "for info, expected in zip(archive.infolist(), sys.argv[2:]):\n"
                                          "    same = archive.read(info) == open(expected, 'rb').read()\n"
                                          "    print(info.filename, info.compress_type, len(info.extra), same)\n",
                                          path};
    for (size_t i = 0; i < entries.size(); ++i)
        arguments.push_back(folder.WriteFile("expected" + std::to_string(i), entries[i].content));
    const leaf::test::ChildResult read = leaf::test::RunChild("python3", arguments);
    EXPECT_EQ(0, read.exitStatus) << read.err;
    EXPECT_EQ("mimetype 0 0 True\n"
              "META-INF/container.xml 0 0 True\n"
              "chapter.html 8 0 True\n"
              "images/plate.png 0 0 True\n"
              "noise.txt 0 0 True\n"
              "empty.css 0 0 True\n"
              "caf\xC3\xA9/na\xC3\xAFve.html 0 0 True\n",
              read.out);
}

TEST(ZipWriter, RefusesWhatAnArchiveWithoutZip64CannotHold) {
    leaf::test::TempFolder folder;
    CZipWriter archive;
    ASSERT_TRUE(archive.Create(folder / "big.zip"));
    // A size or name the headers cannot give.
    litgen::StoredForm huge;
    huge.size = std::uint64_t{5} << 30;
    huge.deflated = true;
    EXPECT_FALSE(archive.Add("huge.html", huge, "x"));
    EXPECT_NE(std::string::npos, archive.Error().find("4 GiB")) << archive.Error();
    EXPECT_FALSE(archive.Add(std::string(70000, 'n'), litgen::StoredForm(), ""));
    // The most entries it holds, and not one more.
    std::string none;
    const litgen::StoredForm empty = litgen::StoreContent("", false, none);
    size_t added = 0;
    while (archive.Add("e" + std::to_string(added), empty, ""))
        ++added;
    EXPECT_EQ(65534u, added);
    EXPECT_NE(std::string::npos, archive.Error().find("65,534")) << archive.Error();
    ASSERT_TRUE(archive.Finish()) << archive.Error();
    const leaf::test::ChildResult read = leaf::test::RunChild(
        "python3", {"-c", "import sys, zipfile; print(len(zipfile.ZipFile(sys.argv[1]).infolist()))", folder / "big.zip"});
    EXPECT_EQ("65534\n", read.out) << read.err;

    // An archive is never written over a file that is there.
    CZipWriter again;
    EXPECT_FALSE(again.Create(folder / "big.zip"));
}

TEST(StoredContent, DeflatedTextComesBackAndDamageIsNoticed) {
    const std::string text(100000, 'a');
    std::string deflated;
    const litgen::StoredForm form = litgen::StoreContent(text, true, deflated);
    ASSERT_TRUE(form.deflated);
    EXPECT_LT(deflated.size(), 1000u);
    std::string back;
    ASSERT_TRUE(litgen::RestoreContent(form, deflated, back));
    EXPECT_EQ(text, back);

    // Held as it is where asked, or where deflating does not make it smaller.
    EXPECT_FALSE(litgen::StoreContent(text, false, deflated).deflated);
    EXPECT_TRUE(deflated.empty());
    const std::string noise = Noise(20000);
    const litgen::StoredForm kept = litgen::StoreContent(noise, true, deflated);
    EXPECT_FALSE(kept.deflated);
    ASSERT_TRUE(litgen::RestoreContent(kept, noise, back));
    EXPECT_EQ(noise, back);

    // Bytes that are not what was stored are refused.
    std::string page;
    for (int i = 0; i < 2000; ++i)
        page += "<p>Paragraph " + std::to_string(i) + "</p>\n";
    std::string damaged;
    const litgen::StoredForm other = litgen::StoreContent(page, true, damaged);
    ASSERT_TRUE(other.deflated);
    damaged[damaged.size() / 2] ^= 0x10;
    EXPECT_FALSE(litgen::RestoreContent(other, damaged, back));
    EXPECT_FALSE(litgen::RestoreContent(kept, noise.substr(1), back));
}

}  // namespace
