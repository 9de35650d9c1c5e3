#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <QWidget>

#include "platform/base/File.h"
#include "platform/registry/Registry.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/Wnd.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/ReaderFolders.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(PathHelpersTest, NormalizePath)
{
    struct Case {
        const char* in;
        bool ok;
        const char* out;
    };
    const Case cases[] = {
        {"/a/b/../c.htm", true, "/a/c.htm"},
        {"C:\\a\\b\\..\\c.htm", true, "C:/a/c.htm"},
        {"/a/./b/./c.htm", true, "/a/b/c.htm"},
        {"a/../../x", false, "a/../../x"},
        {"/../x", false, "/../x"},
        {"../x", true, "../x"},
        {"/a/b/c/../../d", true, "/a/d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        CString path = c.in;
        EXPECT_EQ(NormalizePath(path), c.ok ? TRUE : FALSE);
        EXPECT_EQ(path, c.out);
    }
}

TEST(PathHelpersTest, MakeAbsolutePathJoinsToTheBaseFolder)
{
    CString out;
    EXPECT_TRUE(MakeAbsolutePath("/proj/book.lcp", "src/a.htm", out));
    EXPECT_EQ(out, "/proj/src/a.htm");
    EXPECT_TRUE(MakeAbsolutePath("/proj/book.lcp", "..\\other\\b.htm", out));
    EXPECT_EQ(out, "/other/b.htm");
    EXPECT_FALSE(MakeAbsolutePath("/proj/book.lcp", "", out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(MakeAbsolutePath("/proj/book.lcp", "../../x", out));
}

TEST(PathHelpersTest, AbsolutePaths)
{
    EXPECT_TRUE(IsAbsolutePath("/x"));
    EXPECT_TRUE(IsAbsolutePath("\\\\server\\share"));
    EXPECT_TRUE(IsAbsolutePath("C:\\Book"));
    EXPECT_FALSE(IsAbsolutePath("src/a.htm"));
    EXPECT_FALSE(IsAbsolutePath(""));
    EXPECT_FALSE(IsAbsolutePath(nullptr));
}

TEST(PathHelpersTest, FilesAndFolders)
{
    leaf::test::TempFolder folder;
    std::string file = folder.WriteFile("Pics/Cover.GIF", "x");
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_TRUE(FileExists((folder / "pics/cover.gif").c_str()));
    EXPECT_FALSE(PathExists(file.c_str()));
    EXPECT_TRUE(PathExists((folder / "Pics").c_str()));
    EXPECT_FALSE(FileExists((folder / "Pics").c_str()));
    EXPECT_FALSE(FileExists(nullptr));
    EXPECT_FALSE(PathExists(nullptr));

    std::string deep = folder / "a/b/c";
    EXPECT_TRUE(CreateFolderTree(deep.c_str()));
    EXPECT_TRUE(PathExists(deep.c_str()));
    EXPECT_TRUE(CreateFolderTree(deep.c_str()));
    EXPECT_FALSE(CreateFolderTree((folder / "Pics/Cover.GIF/sub").c_str()));
}

class ValidateOutputPathTest : public testing::Test {
protected:
    leaf::test::TempFolder folder;
    leaf::ui::ScriptedPeople people;

    // The message shown, with its number recognised by its text.
    std::string OnlyMessage() const
    {
        auto asked = people.Asked("message");
        return asked.size() == 1 ? asked[0].text : "(" + std::to_string(asked.size()) + " messages)";
    }
};

TEST_F(ValidateOutputPathTest, InvalidCharactersAndFolders)
{
    EXPECT_FALSE(ValidateOutputPath(CString(folder / "bad?name.lit")));
    EXPECT_NE(OnlyMessage().find("invalid characters"), std::string::npos);

    leaf::ui::ScriptedPeople second;
    EXPECT_FALSE(ValidateOutputPath(CString(folder.Path().string())));
    ASSERT_EQ(second.Asked("message").size(), 1u);
    EXPECT_NE(second.Asked("message")[0].text.find("already exists as a folder"), std::string::npos);
}

TEST_F(ValidateOutputPathTest, ExistingFileAsksBeforeOverwriting)
{
    std::string book = folder.WriteFile("book.lit", "old");
    people.AnswerMessageBox(IDNO);
    EXPECT_FALSE(ValidateOutputPath(CString(book)));
    people.AnswerMessageBox(IDYES);
    EXPECT_TRUE(ValidateOutputPath(CString(book)));
    std::string contents;
    leaf::ReadFileBytes(book, contents);
    EXPECT_EQ(contents, "old");

    // Read-only: a second question, then the attribute goes.
    ASSERT_TRUE(leaf::SetFileAttributes(book.c_str(), CFile::readOnly));
    people.AnswerMessageBox(IDYES);
    people.AnswerMessageBox(IDNO);
    EXPECT_FALSE(ValidateOutputPath(CString(book)));
    people.AnswerMessageBox(IDYES);
    people.AnswerMessageBox(IDYES);
    EXPECT_TRUE(ValidateOutputPath(CString(book)));
    BYTE attributes = 0;
    ASSERT_TRUE(leaf::GetFileAttributes(book.c_str(), attributes));
    EXPECT_FALSE(attributes & CFile::readOnly);
    EXPECT_EQ(people.UnansweredCount(), 0);
}

// The e-book path may not name one of the book's sources, however spelled or linked;
// nothing is asked and the file stays as it is.
TEST_F(ValidateOutputPathTest, OneOfTheBooksOwnFilesIsRefused)
{
    const std::string page = folder.WriteFile("book/page.html", "<p>page</p>");
    std::filesystem::create_symlink(page, folder / "link.lit");
    for (const std::string& path : {page, folder / "book/../book/page.html", folder / "link.lit"}) {
        leaf::ui::ScriptedPeople asked;
        EXPECT_FALSE(ValidateOutputPath(CString(path), {CString(page)})) << path;
        ASSERT_EQ(asked.Asked("message").size(), 1u) << path;
        EXPECT_NE(asked.Asked("message")[0].text.find("one of the book's own files"), std::string::npos);
    }
    std::string contents;
    leaf::ReadFileBytes(page, contents);
    EXPECT_EQ(contents, "<p>page</p>");
    // Another existing file is offered for overwriting as before.
    const std::string other = folder.WriteFile("other.lit", "old");
    people.AnswerMessageBox(IDYES);
    EXPECT_TRUE(ValidateOutputPath(CString(other), {CString(page)}));
}

TEST_F(ValidateOutputPathTest, MissingFolderIsCreatedOnRequest)
{
    std::string book = folder / "out/deeper/book.lit";
    people.AnswerMessageBox(IDNO);
    EXPECT_FALSE(ValidateOutputPath(CString(book)));
    EXPECT_FALSE(PathExists((folder / "out").c_str()));
    people.AnswerMessageBox(IDYES);
    EXPECT_TRUE(ValidateOutputPath(CString(book)));
    EXPECT_TRUE(PathExists((folder / "out/deeper").c_str()));
    EXPECT_FALSE(FileExists(book.c_str()));   // the probe is removed again
}

TEST_F(ValidateOutputPathTest, UnwritableFolderIsReported)
{
    if (geteuid() == 0) GTEST_SKIP() << "the super-user writes anywhere";
    std::string locked = folder / "locked";
    ASSERT_TRUE(CreateFolderTree(locked.c_str()));
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    EXPECT_FALSE(ValidateOutputPath(CString(locked + "/book.lit")));
    EXPECT_NE(OnlyMessage().find("Unable to create the specified path"), std::string::npos);
    chmod(locked.c_str(), 0755);
}

TEST(FolderDisplayFormTest, RoundTrip)
{
    CString path = "/home/u/Docs/Books/novel";
    EXPECT_TRUE(ToFolderDisplayForm(path, "/home/u/Docs"));
    EXPECT_EQ(path, "<Docs>/Books/novel");
    EXPECT_TRUE(FromFolderDisplayForm(path, "/home/u/Docs/"));
    EXPECT_EQ(path, "/home/u/Docs/Books/novel");

    CString base = "/home/u/docs";
    EXPECT_TRUE(ToFolderDisplayForm(base, "/home/u/Docs"));
    EXPECT_EQ(base, "<Docs>/");

    CString other = "/home/u/Documents/x";
    EXPECT_FALSE(ToFolderDisplayForm(other, "/home/u/Docs"));
    EXPECT_EQ(other, "/home/u/Documents/x");
    EXPECT_FALSE(FromFolderDisplayForm(other, "/home/u/Docs"));

    CString chosen = "/media/card/books/x";
    EXPECT_TRUE(ToFolderDisplayForm(chosen, std::vector<CString>{"/home/u/Docs", "/media/card"}));
    EXPECT_EQ(chosen, "<card>/books/x");
    EXPECT_TRUE(FromFolderDisplayForm(chosen, std::vector<CString>{"/home/u/Docs", "/media/card"}));
    EXPECT_EQ(chosen, "/media/card/books/x");
}

void SetRegistryString(HKEY root, const char* key, const char* name, const std::string& value)
{
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKey(root, key, &opened), ERROR_SUCCESS);
    RegSetValueEx(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(opened);
}

TEST(ReaderFoldersTest, ReaderIsFoundThroughTheRegistry)
{
    leaf::test::ScopedRegistryRoot registry;
    leaf::test::TempFolder folder;
    EXPECT_EQ(GetReaderInstallDir(), "");
    EXPECT_EQ(GetReaderPath(), "");

    SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\EBook", "InstallDir", "/nowhere");
    SetRegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\EBook", "InstallDir", folder.Path().string() + "/");
    EXPECT_EQ(GetReaderInstallDir(), CString(folder.Path().string()));
    EXPECT_EQ(GetReaderPath(), "");
    std::string ebook = folder.WriteFile("eBook.exe", "");
    EXPECT_EQ(GetReaderPath(), CString(ebook));
    std::string reader = folder.WriteFile("MSReader.exe", "");
    EXPECT_EQ(GetReaderPath(), CString(reader));
}

TEST(ReaderFoldersTest, LibraryAndDeviceFolders)
{
    leaf::test::ScopedRegistryRoot registry;
    leaf::test::TempFolder folder;
    setenv("XDG_DOCUMENTS_DIR", (folder / "docs").c_str(), 1);
    EXPECT_EQ(GetReaderLibraryDir(FALSE), "");
    EXPECT_EQ(GetReaderLibraryDir(TRUE), CString(folder / "docs/My Library"));
    SetRegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\EBook", "ContentDir", "/lib/");
    EXPECT_EQ(GetReaderLibraryDir(TRUE), "/lib");
    unsetenv("XDG_DOCUMENTS_DIR");

    const char* partners = "Software\\Microsoft\\Windows CE Services\\Partners";
    std::string present = folder.WriteFile("device/keep", "");
    SetRegistryString(HKEY_CURRENT_USER, (std::string(partners) + "\\P1\\Services\\Synchronization").c_str(),
                      "Briefcase Path", folder / "device/");
    SetRegistryString(HKEY_CURRENT_USER, (std::string(partners) + "\\P2\\Services\\Synchronization").c_str(),
                      "Briefcase Path", folder / "gone");
    std::vector<CString> folders{"stale"};
    EXPECT_EQ(GetDeviceSyncFolders(folders), 1);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0], CString(folder / "device"));
}

}  // namespace

namespace {

TEST(ApplyAppTitleTest, PercentSBecomesTheApplicationTitle)
{
    QWidget window;
    window.setWindowTitle("About %s - 100%");
    ApplyAppTitle(CWnd::FromHandle(&window));
    EXPECT_EQ(window.windowTitle().toStdString(), "About Leafcraft - 100%");
    window.setWindowTitle("No placeholder");
    ApplyAppTitle(CWnd::FromHandle(&window));
    EXPECT_EQ(window.windowTitle().toStdString(), "No placeholder");
    ApplyAppTitle(nullptr);
}

TEST(DeleteRegistrySubkeyTest, OnlyTheProgramsOwnKeyIsTouched)
{
    leaf::test::ScopedRegistryRoot registry;
    const char* program = "Software\\Tallbrook Systems, Inc.\\Leafcraft";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKey(HKEY_CURRENT_USER, (std::string(program) + "\\Auto-save\\1234").c_str(), &key), ERROR_SUCCESS);
    RegCloseKey(key);
    DeleteRegistrySubkey("Auto-save\\1234");
    EXPECT_NE(RegOpenKey(HKEY_CURRENT_USER, (std::string(program) + "\\Auto-save\\1234").c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, (std::string(program) + "\\Auto-save").c_str(), &key), ERROR_SUCCESS);
    RegCloseKey(key);
    DeleteRegistrySubkey("");   // never the program's key itself
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, program, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace
