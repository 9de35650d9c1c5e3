#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/registry/RegistryKey.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/shell/Clipboard.h"
#include "platform/ui/shell/CommandLine.h"
#include "platform/ui/shell/FolderBrowser.h"
#include "platform/ui/shell/PathCompaction.h"
#include "platform/ui/shell/RecycleBin.h"
#include "platform/ui/shell/ShellFileInfo.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::ui::ScriptedPeople;

struct CommandLineCase {
    const char* line;
    std::vector<std::string> arguments;
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, CutsLikeThePlatform) {
    EXPECT_EQ(leaf::ui::CommandLineToArgs(GetParam().line), GetParam().arguments) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    testing::Values(CommandLineCase{"", {}}, CommandLineCase{"   \t ", {}},
                    CommandLineCase{"/usr/bin/reader /books/a.lit", {"/usr/bin/reader", "/books/a.lit"}},
                    CommandLineCase{"\"/opt/My Reader/run\"  \"/my books/a b.lit\"", {"/opt/My Reader/run", "/my books/a b.lit"}},
                    CommandLineCase{"edit \"say \"\"hi\"\"\" x", {"edit", "say \"hi\"", "x"}},
                    CommandLineCase{"a\\\\\"b c\" d", {"a\\b c", "d"}},
                    CommandLineCase{"a\\\"b c\\d", {"a\"b", "c\\d"}},
                    CommandLineCase{"tool \"\" last", {"tool", "", "last"}},
                    CommandLineCase{"x\"y z\"w", {"xy zw"}}));

TEST(StartCommandLineTest, StartsTheProgramWithItsArgumentsThroughThePeopleSeam) {
    ScriptedPeople people;
    EXPECT_TRUE(leaf::ui::StartCommandLine("\"/opt/read er/bin\" --open \"/b/x y.lit\""));
    ASSERT_EQ(people.Asked("process").size(), 1u);
    EXPECT_EQ(people.Asked("process")[0].text, "/opt/read er/bin");
    EXPECT_EQ(people.Asked("process")[0].arguments, (std::vector<std::string>{"--open", "/b/x y.lit"}));
    // A line naming no program starts nothing.
    EXPECT_FALSE(leaf::ui::StartCommandLine("   "));
    EXPECT_FALSE(leaf::ui::StartCommandLine(nullptr));
    EXPECT_FALSE(leaf::ui::StartCommandLine("\"\" arg"));
    EXPECT_EQ(people.Asked("process").size(), 1u);
    // A failed start is reported.
    people.SetProcessStartResult(false);
    EXPECT_FALSE(leaf::ui::StartCommandLine("/bin/missing"));
    EXPECT_EQ(WinExec("/bin/missing", SW_SHOWNORMAL), 2u);
    people.SetProcessStartResult(true);
    EXPECT_GT(WinExec("/bin/reader book.lit", SW_SHOWNORMAL), 31u);
}

TEST(FileTypeNameTest, RegistryFirstThenMimeDescriptionThenExtension) {
    ASSERT_TRUE(leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".lcp").WriteString("", "Leafcraft.Document"));
    ASSERT_TRUE(leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Leafcraft.Document").WriteString("", "Leafcraft Project"));
    ASSERT_TRUE(leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".nodesc").WriteString("", "Nothing.Here"));
    EXPECT_EQ(leaf::ui::GetFileTypeName("/p/book.lcp", false), "Leafcraft Project");
    EXPECT_EQ(leaf::ui::GetFileTypeName("/p/BOOK.LCP", false), "Leafcraft Project");
    EXPECT_EQ(leaf::ui::GetFileTypeName("/p/a.nodesc", false), "NODESC File");
    EXPECT_EQ(leaf::ui::GetFileTypeName("/p/a.zq7", false), "ZQ7 File");
    EXPECT_EQ(leaf::ui::GetFileTypeName("/p/README", false), "File");
    EXPECT_EQ(leaf::ui::GetFileTypeName("/p/folder.d", true), "File Folder");
}

TEST(SHGetFileInfoTest, NamesTypesAndSharedIconIndexes) {
    leaf::test::TempFolder folder;
    std::string a = folder.WriteFile("one.zq7", "x");
    std::string b = folder.WriteFile("Two.ZQ7", "y");
    SHFILEINFO info;
    ASSERT_NE(SHGetFileInfo(a.c_str(), 0, &info, SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON), 0u);
    EXPECT_EQ(info.szDisplayName, "one.zq7");
    EXPECT_EQ(info.szTypeName, "ZQ7 File");
    int fileIndex = info.iIcon;
    SHFILEINFO second;
    ASSERT_NE(SHGetFileInfo(b.c_str(), 0, &second, SHGFI_SYSICONINDEX), 0u);
    EXPECT_EQ(second.iIcon, fileIndex);
    SHFILEINFO folderInfo;
    ASSERT_NE(SHGetFileInfo(folder.Path().string().c_str(), 0, &folderInfo, SHGFI_TYPENAME | SHGFI_SYSICONINDEX), 0u);
    EXPECT_EQ(folderInfo.szTypeName, "File Folder");
    EXPECT_NE(folderInfo.iIcon, fileIndex);
    EXPECT_GE(leaf::ui::GetSystemImageList(TRUE)->GetImageCount(), 2);
    EXPECT_EQ(leaf::ui::GetSystemImageList(TRUE)->GetImageCount(), leaf::ui::GetSystemImageList(FALSE)->GetImageCount());

    // A path that does not exist: only with the attributes given.
    std::string missing = folder / "gone.zq7";
    SHFILEINFO none;
    EXPECT_EQ(SHGetFileInfo(missing.c_str(), FILE_ATTRIBUTE_NORMAL, &none, SHGFI_TYPENAME), 0u);
    ASSERT_NE(SHGetFileInfo(missing.c_str(), FILE_ATTRIBUTE_NORMAL, &none, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES), 0u);
    EXPECT_EQ(none.szTypeName, "ZQ7 File");
    ASSERT_NE(SHGetFileInfo(missing.c_str(), FILE_ATTRIBUTE_DIRECTORY, &none, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES), 0u);
    EXPECT_EQ(none.szTypeName, "File Folder");
    // A file found in another letter case answers with the spelling on disk.
    ASSERT_NE(SHGetFileInfo((folder / "ONE.ZQ7").c_str(), 0, &info, SHGFI_DISPLAYNAME), 0u);
    EXPECT_EQ(info.szDisplayName, "one.zq7");
}

TEST(ClipboardTest, FileListsReadOnlyWhileOpenAndOnlyLocalFiles) {
    ASSERT_TRUE(leaf::ui::SetClipboardFileList({"/books/a.htm", "/books/b c.htm"}));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    EXPECT_EQ(leaf::ui::GetClipboardFileList(), nullptr);   // not open
    ASSERT_TRUE(OpenClipboard());
    EXPECT_FALSE(OpenClipboard());   // open already
    HDROP list = leaf::ui::GetClipboardFileList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(DragQueryFile(list, 0xFFFFFFFF, nullptr), 2u);
    CString path;
    DragQueryFile(list, 1, &path);
    EXPECT_EQ(path, "/books/b c.htm");
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());

    QApplication::clipboard()->setText("just text");
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    auto* web = new QMimeData;
    web->setUrls({QUrl("http://example.invalid/page.htm")});
    QApplication::clipboard()->setMimeData(web);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    ASSERT_TRUE(OpenClipboard());
    EXPECT_EQ(leaf::ui::GetClipboardFileList(), nullptr);
    CloseClipboard();
}

TEST(FolderBrowserTest, AnswersExistingFoldersWithoutTrailingSeparator) {
    leaf::test::TempFolder folder;
    std::filesystem::create_directories(folder.Path() / "Sources");
    std::string file = folder.WriteFile("note.txt", "x");
    ScriptedPeople people;
    people.AnswerFolder((folder / "sources") + "//");
    people.AnswerFolder(file);
    people.AnswerFolder(file);
    people.AnswerFolder("");
    constexpr UINT flags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    EXPECT_EQ(leaf::ui::BrowseForFolder(nullptr, "Select the folder", flags, "/start"), folder / "Sources");
    EXPECT_EQ(leaf::ui::BrowseForFolder(nullptr, "Select", flags), "");   // a file is no folder
    EXPECT_EQ(leaf::ui::BrowseForFolder(nullptr, "Select", 0), file);     // anything goes without the flag
    EXPECT_EQ(leaf::ui::BrowseForFolder(nullptr, "Select", flags), "");   // cancelled
    ASSERT_EQ(people.Asked("folder").size(), 4u);
    EXPECT_EQ(people.Asked("folder")[0].text, "Select the folder");
}

TEST(PathCompactionTest, KeepsTheBeginningAndTheFileName) {
    QFont font("Sans", 10);
    QFontMetrics metrics(font);
    const std::string path = "/home/author/books/a-long-series/volume-three/chapters/chapter-twelve.htm";
    int full = metrics.horizontalAdvance(QString::fromStdString(path));
    EXPECT_EQ(leaf::ui::CompactPath(path.c_str(), metrics, full), path.c_str());
    for (int width : {full * 3 / 4, full / 2}) {
        std::string compact = leaf::ui::CompactPath(path.c_str(), metrics, width).GetString();
        EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(compact)), width) << compact;
        EXPECT_NE(compact.find("..."), std::string::npos) << compact;
        EXPECT_EQ(compact.rfind("/chapter-twelve.htm"), compact.size() - std::string("/chapter-twelve.htm").size());
        EXPECT_EQ(compact.rfind("/home", 0), 0u) << compact;
    }
    // Narrower than the file name: what is left still fits.
    int tiny = metrics.horizontalAdvance("/chapter");
    std::string cut = leaf::ui::CompactPath(path.c_str(), metrics, tiny).GetString();
    EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(cut)), tiny) << cut;
}

TEST(PathCompactionTest, SetsADialogItemToFitItsWidth) {
    CWnd dialog;
    auto* widget = new QWidget;
    auto* label = new QLabel(widget);
    leaf::ui::SetControlId(label, 1060);
    label->setGeometry(0, 0, 120, 20);
    dialog.Attach(widget);
    const char* path = "/home/author/books/a-long-series/volume-three/chapters/chapter-twelve.htm";
    EXPECT_TRUE(PathSetDlgItemPath(&dialog, 1060, path));
    std::string shown = label->text().toStdString();
    EXPECT_NE(shown, path);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
    EXPECT_FALSE(PathSetDlgItemPath(&dialog, 1061, path));
    dialog.Detach();
    delete widget;
}

}  // namespace

namespace {

// Points the desktop's data folder (which holds the user's trash) at a folder of the test.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const std::string& folder) {
        if (const char* previous = std::getenv("XDG_DATA_HOME")) m_previous = previous, m_had = true;
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
    }
    ~ScopedDataHome() {
        if (m_had) setenv("XDG_DATA_HOME", m_previous.c_str(), 1);
        else unsetenv("XDG_DATA_HOME");
    }

private:
    std::string m_previous;
    bool m_had = false;
};

TEST(RecycleBinTest, MovesTheFileIntoTheTrashWhereItCanBeFound) {
    leaf::test::TempFolder folder;
    ScopedDataHome data(folder / "data");
    std::string source = folder.WriteFile("book/chapter.htm", "<h1>old</h1>");
    ASSERT_TRUE(leaf::ui::MoveToRecycleBin(source.c_str()));
    EXPECT_FALSE(std::filesystem::exists(source));
    std::filesystem::path trashed = folder.Path() / "data" / "Trash" / "files" / "chapter.htm";
    ASSERT_TRUE(std::filesystem::exists(trashed));
    EXPECT_EQ(std::filesystem::file_size(trashed), 12u);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "data" / "Trash" / "info" / "chapter.htm.trashinfo"));
    // A second file of that name gets a name of its own; the first stays.
    folder.WriteFile("book/chapter.htm", "<h1>newer</h1>");
    ASSERT_TRUE(leaf::ui::MoveToRecycleBin(source.c_str()));
    EXPECT_EQ(std::filesystem::file_size(trashed), 12u);
    EXPECT_EQ(std::filesystem::file_size(folder.Path() / "data" / "Trash" / "files" / "chapter.2.htm"), 14u);
    std::ifstream info(folder.Path() / "data" / "Trash" / "info" / "chapter.htm.trashinfo");
    std::string text((std::istreambuf_iterator<char>(info)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("[Trash Info]\nPath=" + source + "\nDeletionDate=", 0), 0u) << text;
    // Nothing there: nothing moved.
    EXPECT_FALSE(leaf::ui::MoveToRecycleBin(source.c_str()));
    EXPECT_FALSE(leaf::ui::MoveToRecycleBin(""));
}

TEST(RecycleBinTest, NoTrashToBeHadMovesNothing) {
    leaf::test::TempFolder folder;
    std::string blocker = folder.WriteFile("data", "a file where the data folder should be");
    ScopedDataHome data(blocker);
    std::string source = folder.WriteFile("keep.htm", "x");
    EXPECT_FALSE(leaf::ui::MoveToRecycleBin(source.c_str()));
    EXPECT_TRUE(std::filesystem::exists(source));
}

}  // namespace
