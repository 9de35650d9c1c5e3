// The reading program's stand-in as the authoring program and the desktop meet it: its
// registration (made only where the desktop has an application for EPUB publications)
// is what the program's Reader lookup finds, and it hands e-books to the desktop's
// opener, which here is a stand-in on PATH that records what it was asked to open.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/base/File.h"
#include "platform/registry/RegistryKey.h"
#include "studio/project/ReaderFolders.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using leaf::test::ScopedVariable;

// A ZIP archive with these entries, stored in this order.
void WriteArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const auto& [name, data] : entries) {
        zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
        ASSERT_NE(source, nullptr);
        zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
        ASSERT_GE(index, 0);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

void WriteEpub(const std::string& path) {
    WriteArchive(path, {{"mimetype", "application/epub+zip"},
                        {"META-INF/container.xml", "<?xml version=\"1.0\"?><container/>"}});
}

class ReaderStandIn : public testing::Test {
protected:
    void SetUp() override {
        // The desktop the stand-in meets is the test's own: its helper programs and its
        // application entries.
        path = std::make_unique<ScopedVariable>("PATH", tools.Path().string());
        dataHome = std::make_unique<ScopedVariable>("XDG_DATA_HOME", (data.Path() / "home").string());
        dataDirs = std::make_unique<ScopedVariable>("XDG_DATA_DIRS", (data.Path() / "system").string());
    }

    void WriteTool(const std::string& name, const std::string& body) {
        std::string file = tools.WriteFile(name, "#!/bin/sh\n" + body);
        fs::permissions(file, fs::perms::owner_all);
    }

    // xdg-mime names `desktopId` as the default application for EPUB publications
    // (none when it is empty).
    void SetEpubApplication(const std::string& desktopId) {
        std::string answer = desktopId.empty() ? "" : "  echo '" + desktopId + "'\n";
        WriteTool("xdg-mime", "if [ \"$1 $2 $3\" = 'query default application/epub+zip' ]; then\n" + answer +
                                  "  :\nfi\nexit 0\n");
    }

    // A program that records its arguments, one a line, in "<name>.log".
    std::string RecordingTool(const std::string& name) {
        std::string log = (tools.Path() / (name + ".log")).string();
        WriteTool(name, "for argument in \"$@\"; do printf '%s\\n' \"$argument\" >> '" + log + "'; done\n");
        return log;
    }

    std::vector<std::string> Recorded(const std::string& log) {
        std::vector<std::string> lines;
        std::ifstream file(log);
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    std::string Reader() const { return fs::canonical(leaf::test::BinDir() + "/reader/MSReader.exe").string(); }

    int RunReader(const std::vector<std::string>& arguments) {
        return leaf::test::RunChild(Reader(), arguments).exitStatus;
    }

    leaf::test::TempFolder tools;
    leaf::test::TempFolder data;
    leaf::test::TempFolder books;
    std::unique_ptr<ScopedVariable> path;
    std::unique_ptr<ScopedVariable> dataHome;
    std::unique_ptr<ScopedVariable> dataDirs;
};

TEST_F(ReaderStandIn, RegistersWhereTheDesktopHasAnEpubApplication) {
    SetEpubApplication("viewer.desktop");
    ASSERT_EQ(RunReader({"--register"}), 0);
    EXPECT_EQ(GetReaderInstallDir(), CString(fs::path(Reader()).parent_path().string()));
    EXPECT_EQ(GetReaderPath(), CString(Reader())) << "the program's lookup finds the stand-in";

    // Once the desktop has no such application, registering again leaves no Reader.
    SetEpubApplication("");
    ASSERT_EQ(RunReader({"--register"}), 0);
    EXPECT_EQ(GetReaderPath(), CString());

    SetEpubApplication("viewer.desktop");
    ASSERT_EQ(RunReader({"--register"}), 0);
    ASSERT_EQ(RunReader({"--unregister"}), 0);
    EXPECT_EQ(GetReaderPath(), CString());
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\EBook").IsOpen())
        << "the emptied key goes too";
}

TEST_F(ReaderStandIn, WithoutLeafRegistryTheTreesRegistryIsUsed) {
    // A tree laid out as a build's: bin/reader/MSReader.exe beside bin's other programs,
    // and the tree's registry folder beside bin.
    leaf::test::TempFolder tree;
    fs::create_directories(tree.Path() / "bin/reader");
    fs::copy_file(Reader(), tree.Path() / "bin/reader/MSReader.exe");
    std::string hive = tree.WriteFile("registry/HKEY_LOCAL_MACHINE.reg",
                                      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE]\n\n"
                                      "; end of registry hive\n");
    SetEpubApplication("viewer.desktop");
    {
        // Without the tree's registry the user's would be used: here a folder of the test's own.
        leaf::test::ScopedFolderVariable home("HOME");
        leaf::test::ScopedFolderVariable config("XDG_CONFIG_HOME");
        ScopedVariable noRegistry("LEAF_REGISTRY", "");
        ASSERT_EQ(leaf::test::RunChild((tree.Path() / "bin/reader/MSReader.exe").string(), {"--register"}).exitStatus,
                  0);
    }
    std::string text;
    ASSERT_TRUE(leaf::ReadFileBytes(hive, text));
    EXPECT_NE(text.find("\"InstallDir\"=\"" + fs::canonical(tree.Path() / "bin/reader").string() + "\""),
              std::string::npos)
        << text;
    EXPECT_EQ(GetReaderPath(), CString()) << "the test's own registry was left alone";
}

TEST_F(ReaderStandIn, AnotherReadersRegistrationStays) {
    ASSERT_TRUE(leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\EBook")
                    .WriteString("InstallDir", "/opt/other-reader"));
    SetEpubApplication("");
    EXPECT_EQ(RunReader({"--register"}), 0);
    EXPECT_EQ(RunReader({"--unregister"}), 0);
    EXPECT_EQ(GetReaderInstallDir(), CString("/opt/other-reader"));
}

TEST_F(ReaderStandIn, EBooksReachTheOpenerUnderANameTheDesktopKnows) {
    std::string log = RecordingTool("xdg-open");
    std::string epub = books / "book.epub";
    WriteEpub(epub);
    std::string upper = books / "Upper.EPUB";
    WriteEpub(upper);
    std::string plain = books.WriteFile("plain.lit", "not an archive");
    std::string otherZip = books / "other.lit";
    WriteArchive(otherZip, {{"mimetype", "application/zip"}});
    std::string noMimetype = books / "nomime.lit";
    WriteArchive(noMimetype, {{"content.opf", "<package/>"}});
    for (const std::string& asIs : {epub, upper, plain, otherZip, noMimetype}) {
        fs::remove(log);
        ASSERT_EQ(RunReader({asIs}), 0) << asIs;
        EXPECT_EQ(Recorded(log), std::vector<std::string>{asIs});
    }

    // An EPUB publication named ".lit" is given to the desktop through a ".epub" link.
    std::string lit = books / "Novel.lit";
    WriteEpub(lit);
    fs::remove(log);
    ASSERT_EQ(RunReader({lit}), 0);
    std::vector<std::string> opened = Recorded(log);
    ASSERT_EQ(opened.size(), 1u);
    fs::path link(opened[0]);
    EXPECT_EQ(link.filename(), "Novel.epub");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), lit);
    struct stat folder;
    ASSERT_EQ(::lstat(link.parent_path().parent_path().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u) << "the links' folder is the user's alone";

    // The same book gets the same link; a book of the same name elsewhere its own.
    fs::remove(log);
    ASSERT_EQ(RunReader({lit}), 0);
    fs::create_directories(books.Path() / "other");
    std::string sameName = books / "other/Novel.lit";
    WriteEpub(sameName);
    ASSERT_EQ(RunReader({sameName}), 0);
    opened = Recorded(log);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], link.string());
    EXPECT_NE(opened[1], link.string());
    EXPECT_EQ(fs::read_symlink(opened[1]), sameName);
    EXPECT_EQ(fs::read_symlink(link), lit);
}

TEST_F(ReaderStandIn, WithoutXdgOpenGioOpens) {
    std::string log = RecordingTool("gio");
    std::string epub = books / "book.epub";
    WriteEpub(epub);
    ASSERT_EQ(RunReader({epub}), 0);
    EXPECT_EQ(Recorded(log), (std::vector<std::string>{"open", epub}));
}

TEST_F(ReaderStandIn, RefusesWhatItCannotOpen) {
    std::string log = RecordingTool("xdg-open");
    std::string epub = books / "book.epub";
    WriteEpub(epub);
    EXPECT_EQ(RunReader({books / "missing.lit"}), 1);
    EXPECT_EQ(RunReader({books.Path().string()}), 1) << "a folder is no e-book";
    EXPECT_EQ(RunReader({"--bogus"}), 1);
    EXPECT_EQ(RunReader({epub, epub}), 1);
    EXPECT_TRUE(Recorded(log).empty());

    // An opener that fails is reported; without any opener nothing can be shown.
    WriteTool("xdg-open", "exit 2\n");
    EXPECT_EQ(RunReader({epub}), 4);
    fs::remove(tools.Path() / "xdg-open");
    EXPECT_EQ(RunReader({epub}), 3);
}

TEST_F(ReaderStandIn, WithoutABookTheDesktopsApplicationStarts) {
    std::string log = RecordingTool("viewer");
    SetEpubApplication("vendor-viewer.desktop");
    // Entries may lie in a sub-folder named by the first part of their id.
    std::string entry = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + (tools.Path() / "viewer").string() +
                        " --library %U \"two words\"\n[Desktop Action edit]\nExec=editor\n";
    fs::create_directories(data.Path() / "system/applications/vendor");
    std::ofstream(data.Path() / "system/applications/vendor/viewer.desktop") << entry;
    ASSERT_EQ(RunReader({}), 0);
    EXPECT_EQ(Recorded(log), (std::vector<std::string>{"--library", "two words"}));

    // An entry of the user's own comes first.
    std::string userLog = RecordingTool("userviewer");
    fs::create_directories(data.Path() / "home/applications");
    std::ofstream(data.Path() / "home/applications/vendor-viewer.desktop")
        << "[Desktop Entry]\nExec=" << (tools.Path() / "userviewer").string() << " --mine %f\n";
    ASSERT_EQ(RunReader({}), 0);
    EXPECT_EQ(Recorded(userLog), std::vector<std::string>{"--mine"});
    EXPECT_EQ(Recorded(log).size(), 2u) << "the system's entry did not run again";

    SetEpubApplication("");
    EXPECT_EQ(RunReader({}), 3);
}

}  // namespace
