// Start-up of the program: the main window with its workspaces, first-run help, and the
// recovery of a project that a crashed run left in an auto-save copy.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/registry/Registry.h"
#include "platform/ui/ListCtrl.h"
#include "platform/registry/RegistryKey.h"
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <sys/stat.h>

#include "platform/base/File.h"
#include "platform/base/ModulePath.h"
#include "platform/ui/shell/DesktopRegistration.h"

#include "platform/ui/Wnd.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/AppConnections.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/AutoSaveLock.h"
#include "studio/workspace/DocHostSite.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/LeafcraftIconView.h"
#include "studio/workspace/MainFrame.h"
#include "tests/studio/workspace/app/AppFixture.h"

namespace fs = std::filesystem;
using leaf::test::AppFixture;

namespace {

class Startup : public AppFixture {
protected:
    // A copy of a project with one source, as a crashed run leaves it, with its entry.
    std::string LeaveOrphanCopy(const std::string& keyName, const std::string& lockPath = "") {
        std::string source = WriteSource("chapter1.htm");
        std::string copy = (m_temp.Path() / "LCAS0042.tmp").string();
        {
            CLeafcraftDoc project;
            project.AddSourceFile(source.c_str(), 0);
            EXPECT_TRUE(project.SerializeToPath(copy.c_str(), FALSE));
        }
        leaf::RegistryKey key = leaf::RegistryKey::Create(
            HKEY_CURRENT_USER, leaf::Profile(leaf::kCompanyKey, leaf::kProfileName).BaseKeyPath() + "\\Auto-save\\" + keyName);
        key.WriteString("Path", copy);
        if (!lockPath.empty()) key.WriteString("Lock", lockPath);
        return copy;
    }
    int RestoreQuestions() const {
        int count = 0;
        for (const auto& question : m_people.Asked("message"))
            if (question.text.find("not closed properly") != std::string::npos) ++count;
        return count;
    }
};

TEST_F(Startup, APlainStartShowsTheMainWindowWithWorkspaceZero) {
    ASSERT_TRUE(Start());
    CMainFrame* frame = Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->IsWindowVisible());
    ASSERT_NE(Document(), nullptr);
    EXPECT_EQ(frame->GetCurrentWorkspace(), 0);
    ASSERT_NE(frame->GetWorkspaceView(), nullptr);
    ASSERT_NE(frame->GetIconView(), nullptr);
    EXPECT_EQ(frame->GetIconView()->GetListCtrl().GetItemCount(), 5);
    EXPECT_EQ(frame->GetIconView()->GetSelectedItem(), 0);
    EXPECT_NE(frame->GetSDKControl(), nullptr);
    EXPECT_TRUE(frame->GetWindowText().Find("Leafcraft") >= 0) << frame->GetWindowText().c_str();
    // The profile lives under the company's key.
    EXPECT_EQ(leaf::AppProfile().BaseKeyPath(), "Software\\Tallbrook Systems, Inc.\\Leafcraft");
}

TEST_F(Startup, HostedBrowsersGetTheProgramsHostHandler) {
    using leaf::ComPtr;
    ASSERT_TRUE(Start());
    auto* manager = dynamic_cast<CDocHostOccManager*>(AfxGetOccManager());
    ASSERT_NE(manager, nullptr);
    COleControlSite* site = manager->CreateSite(nullptr);
    ComPtr<IUnknown> unknown;
    unknown.Attach(site->GetControllingUnknown());
    ComPtr<IDocHostUIHandler> handler;
    EXPECT_EQ(unknown->QueryInterface(IID_IDocHostUIHandler, handler.ReceiveVoid()), S_OK);
    // The manager does not outlive the application object.
    m_app->CloseAllDocuments(TRUE);
    if (CWnd* main = m_app->m_pMainWnd) main->DestroyWindow();
    m_app.reset();
    EXPECT_EQ(dynamic_cast<CDocHostOccManager*>(AfxGetOccManager()), nullptr);
}

TEST_F(Startup, TheProjectFileTypeIsRegisteredWithTheShell) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, ".lcp").ReadString().value_or(""), "Leafcraft.Document");
    leaf::RegistryKey type = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Leafcraft.Document");
    EXPECT_EQ(type.ReadString().value_or(""), "Leafcraft Project");
    std::string open = leaf::RegistryKey::Open(type.Handle(), "shell\\open\\command").ReadString().value_or("");
    EXPECT_NE(open.find("\"%1\""), std::string::npos) << open;
}

// An uninstaller takes the registration back where it names this program; one that
// names another copy of the program stays, in the registry and on the desktop.
TEST_F(Startup, UnregisteringTakesBackOnlyThisProgramsRegistration) {
    leaf::test::ScopedFolderVariable data("XDG_DATA_HOME");
    const std::string entryPath = data.Path() + "/applications/leafstudio.desktop";
    const std::string mimePath = data.Path() + "/mime/packages/leafcraft.xml";
    auto openCommand = [] {
        return leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Leafcraft.Document\\shell\\open\\command").ReadString();
    };
    ASSERT_TRUE(Start());
    ASSERT_TRUE(std::filesystem::exists(entryPath));
    const std::string ours = openCommand().value_or("");

    const std::string other = "\"/opt/other/leafstudio\" \"%1\"";
    ASSERT_TRUE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Leafcraft.Document\\shell\\open\\command")
                    .WriteString("", other));
    leaf::WriteFileAtomically(entryPath, "[Desktop Entry]\nExec=/opt/other/leafstudio %f\n");
    EXPECT_TRUE(CLeafcraftApp::UnregisterShellFileTypes());
    EXPECT_EQ(openCommand().value_or(""), other);
    EXPECT_TRUE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, ".lcp").IsOpen());
    EXPECT_TRUE(std::filesystem::exists(entryPath));
    EXPECT_TRUE(std::filesystem::exists(mimePath));

    ASSERT_TRUE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Leafcraft.Document\\shell\\open\\command")
                    .WriteString("", ours));
    std::filesystem::remove(entryPath);
    leaf::app::RegisterDesktopFileType(leaf::GetExecutablePath());
    EXPECT_TRUE(CLeafcraftApp::UnregisterShellFileTypes());
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, ".lcp").IsOpen());
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Leafcraft.Document").IsOpen());
    EXPECT_FALSE(std::filesystem::exists(entryPath));
    EXPECT_FALSE(std::filesystem::exists(mimePath));
}

// The start-up registers the project type with the desktop too: the MIME package and the
// desktop entry that opens it with this program, written only when they differ.
TEST_F(Startup, TheProjectTypeReachesTheDesktopAndAnUnchangedStartWritesNothing) {
    leaf::test::ScopedFolderVariable data("XDG_DATA_HOME");
    std::string entryPath = data.Path() + "/applications/leafstudio.desktop";
    std::string mimePath = data.Path() + "/mime/packages/leafcraft.xml";
    auto read = [](const std::string& path) {
        std::string contents;
        leaf::ReadFileBytes(path, contents);
        return contents;
    };
    auto inode = [](const std::string& path) {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    };

    ASSERT_TRUE(Start());
    std::string program = QCoreApplication::applicationFilePath().toStdString();
    std::string entry = read(entryPath);
    EXPECT_NE(entry.find("\nExec=" + leaf::ui::QuoteDesktopExecArgument(program) + " %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nMimeType=application/x-leafcraft-project;\n"), std::string::npos) << entry;
    std::string mime = read(mimePath);
    EXPECT_NE(mime.find("type=\"application/x-leafcraft-project\""), std::string::npos) << mime;
    EXPECT_NE(mime.find("<glob pattern=\"*.lcp\"/>"), std::string::npos) << mime;
    ino_t entryInode = inode(entryPath);
    ino_t mimeInode = inode(mimePath);

    // A second start of the same program finds both as they should be.
    m_app->CloseAllDocuments(TRUE);
    if (CWnd* main = m_app->m_pMainWnd) main->DestroyWindow();
    m_app = std::make_unique<CLeafcraftApp>();
    m_app->m_metaDataPath = leaf::test::WriteDefinitionFile(m_folder);
    ASSERT_TRUE(Start());
    EXPECT_EQ(inode(entryPath), entryInode);
    EXPECT_EQ(inode(mimePath), mimeInode);
}

TEST_F(Startup, TheFirstRunOpensWhatsNewOnce) {
    ASSERT_TRUE(Start());
    auto help = m_people.Asked("help");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].context, 0x200CEu);
    EXPECT_EQ(m_app->GetProfileInt("Settings", "What's New", 0), 1u);
}

TEST_F(Startup, NoDefinitionFileEndsTheStart) {
    m_app->m_metaDataPath = (m_folder.Path() / "missing.dat").string();
    EXPECT_FALSE(Start());
    EXPECT_EQ(m_app->m_pMainWnd, nullptr);
}

TEST_F(Startup, AnOrphanCopyRestoredWithYesLoadsIntoAnUnnamedModifiedProject) {
    std::string copy = LeaveOrphanCopy("0x0BADF00D", (m_temp.Path() / "gone.lock").string());
    m_people.AnswerMessageBox(IDYES);
    ASSERT_TRUE(Start());
    EXPECT_EQ(RestoreQuestions(), 1);
    EXPECT_TRUE(m_app->RestoredAutoSave());
    ASSERT_NE(Document(), nullptr);
    EXPECT_EQ(Document()->GetSourceCount(), 1);
    EXPECT_TRUE(Document()->IsModified());
    EXPECT_TRUE(Document()->GetPathName().IsEmpty());
    EXPECT_FALSE(fs::exists(copy));
    for (const std::string& key : AutoSaveKeys()) EXPECT_NE(key, "0x0BADF00D");
}

TEST_F(Startup, AnOrphanCopyRefusedWithNoIsDeletedWithItsKeyAndStaleLock) {
    std::string staleLock = m_temp.WriteFile("LCAS-0x0BADF00D.lock", "");
    std::string copy = LeaveOrphanCopy("0x0BADF00D", staleLock);
    m_people.AnswerMessageBox(IDNO);
    ASSERT_TRUE(Start());
    EXPECT_EQ(RestoreQuestions(), 1);
    EXPECT_FALSE(m_app->RestoredAutoSave());
    EXPECT_EQ(Document()->GetSourceCount(), 0);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_FALSE(fs::exists(staleLock));
    for (const std::string& key : AutoSaveKeys()) EXPECT_NE(key, "0x0BADF00D");
}

// Runs that ended without their normal exit leave their lock files; the next start
// removes those whose process is gone and whose lock is free, and nothing else.
TEST_F(Startup, StaleLockFilesGoAtTheNextStartAndTheRestoreOfferStays) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string temp = m_temp.Path().string();
    const auto gone = static_cast<unsigned>(child);
    auto lockFile = [&](unsigned instanceId) {
        std::string path = leaf::AutoSaveLock::LockFilePath(temp, instanceId);
        std::ofstream(path) << "";
        return path;
    };
    const std::string entryLock = lockFile(gone);
    const std::string staleFirst = lockFile(gone + (1u << 24));
    const std::string staleSecond = lockFile(gone + (2u << 24));
    // Another running program's lock stays, whatever process id its name gives.
    leaf::AutoSaveLock held;
    ASSERT_TRUE(held.Acquire(leaf::AutoSaveLock::LockFilePath(temp, gone + (3u << 24))));
    // A running process's file stays while unlocked (it may be about to lock it).
    const std::string live = lockFile(static_cast<unsigned>(getppid()));
    const std::vector<std::string> others = {m_temp.WriteFile("LCAS-0x1234.lock", ""),
                                             m_temp.WriteFile("LCAS-0xZZZZZZZZ.lock", ""),
                                             m_temp.WriteFile("notes.lock", "")};
    std::string copy = LeaveOrphanCopy("0x0BADF00D", entryLock);
    m_people.AnswerMessageBox(IDNO);

    ASSERT_TRUE(Start());
    EXPECT_EQ(RestoreQuestions(), 1) << "the copy of the run that ended is still offered";
    EXPECT_FALSE(fs::exists(staleFirst));
    EXPECT_FALSE(fs::exists(staleSecond));
    EXPECT_TRUE(fs::exists(held.Path()));
    EXPECT_TRUE(leaf::AutoSaveLock::IsLockedByOther(held.Path()));
    EXPECT_TRUE(fs::exists(live));
    for (const std::string& other : others) EXPECT_TRUE(fs::exists(other)) << other;
    const auto ownId = static_cast<unsigned>(std::stoul(Frame()->GetAutoSaveKey().str().substr(12), nullptr, 16));
    const std::string own = leaf::AutoSaveLock::LockFilePath(temp, ownId);
    EXPECT_TRUE(leaf::AutoSaveLock::IsLockedByOther(own)) << "the frame holds its own lock";
}

TEST_F(Startup, ACopyOfARunningInstanceIsNotOffered) {
    leaf::AutoSaveLock running;
    ASSERT_TRUE(running.Acquire((m_temp.Path() / "running.lock").string()));
    std::string copy = LeaveOrphanCopy("0x00001234", running.Path());
    ASSERT_TRUE(Start());
    EXPECT_EQ(RestoreQuestions(), 0);
    EXPECT_TRUE(fs::exists(copy));
}

TEST_F(Startup, AnEntryWhoseCopyIsGoneIsRemovedSilently) {
    std::string copy = LeaveOrphanCopy("0x00000001");
    fs::remove(copy);
    CString path, key;
    m_app->SetRegistryKey(leaf::kCompanyKey);
    m_app->SetAppName(leaf::kProfileName);
    EXPECT_FALSE(m_app->FindOrphanAutoSave(path, key));
    EXPECT_TRUE(AutoSaveKeys().empty());
}

TEST_F(Startup, RestoringWinsOverAFileOnTheCommandLine) {
    std::string other = WriteSource("other.htm");
    std::string project = (m_folder.Path() / "named.lcp").string();
    {
        CLeafcraftDoc named;
        named.AddSourceFile(other.c_str(), 0);
        named.AddSourceFile(WriteSource("more.htm").c_str(), 1);
        ASSERT_TRUE(named.SerializeToPath(project.c_str(), FALSE));
    }
    LeaveOrphanCopy("0x0BADF00D");
    m_people.AnswerMessageBox(IDYES);
    ASSERT_TRUE(Start({project}));
    EXPECT_EQ(Document()->GetSourceCount(), 1);   // the copy's, not the named file's two
    EXPECT_TRUE(Document()->GetPathName().IsEmpty());
}

TEST_F(Startup, AProjectNamedOnTheCommandLineOpens) {
    std::string project = (m_folder.Path() / "named.lcp").string();
    {
        CLeafcraftDoc named;
        named.AddSourceFile(WriteSource("one.htm").c_str(), 0);
        named.UpdateSourceFolder();
        ASSERT_TRUE(named.SerializeToPath(project.c_str(), FALSE));
    }
    ASSERT_TRUE(Start({project}));
    EXPECT_EQ(Document()->GetSourceCount(), 1);
    EXPECT_FALSE(Document()->IsModified());
}

void Choose(QDialog& dialog, int radio) {
    auto* option = qobject_cast<QAbstractButton*>(leaf::ui::FindControl(&dialog, radio));
    ASSERT_NE(option, nullptr) << radio;
    option->setChecked(true);
    auto* ok = qobject_cast<QAbstractButton*>(leaf::ui::FindControl(&dialog, IDOK));
    ASSERT_NE(ok, nullptr);
    ok->click();
}

std::vector<UINT> DialogTemplates(const leaf::ui::ScriptedPeople& people) {
    std::vector<UINT> templates;
    for (const auto& question : people.Asked("dialog")) templates.push_back(question.flags);
    return templates;
}

TEST_F(Startup, QuickStartImportLeadsToTheImportDialog) {
    leaf::AppProfile().WriteProfileInt("Options", "Show Startup Dialog", 1);
    m_people.AnswerDialog([](QDialog& dialog) { Choose(dialog, 1001); });
    m_people.AnswerDialog([](QDialog& dialog) { dialog.reject(); });
    ASSERT_TRUE(Start());
    EXPECT_EQ(DialogTemplates(m_people), (std::vector<UINT>{201, 203}));
}

TEST_F(Startup, QuickStartIsNotShownWhenAFileWasOpenedOrItIsSwitchedOff) {
    std::string project = (m_folder.Path() / "named.lcp").string();
    {
        CLeafcraftDoc named;
        ASSERT_TRUE(named.SerializeToPath(project.c_str(), FALSE));
    }
    leaf::AppProfile().WriteProfileInt("Options", "Show Startup Dialog", 1);
    ASSERT_TRUE(Start({project}));
    EXPECT_TRUE(m_people.Asked("dialog").empty());
    leaf::AppProfile().WriteProfileInt("Options", "Show Startup Dialog", 0);
    m_app->ShowStartupDialog();
    EXPECT_TRUE(m_people.Asked("dialog").empty());
}

TEST_F(Startup, NewProjectWithImportGoesOnToTheImportDialog) {
    ASSERT_TRUE(Start());
    m_people.AnswerDialog([](QDialog& dialog) { Choose(dialog, 1001); });
    m_people.AnswerDialog([](QDialog& dialog) { dialog.reject(); });
    m_app->OnFileNew();
    EXPECT_EQ(DialogTemplates(m_people), (std::vector<UINT>{202, 203}));
    // A blank project asks nothing more.
    m_people.AnswerDialog([](QDialog& dialog) { Choose(dialog, 1000); });
    m_app->OnFileNew();
    EXPECT_EQ(DialogTemplates(m_people), (std::vector<UINT>{202, 203, 202}));
    EXPECT_EQ(m_people.UnansweredCount(), 0);
}

class FewColoursApp : public CLeafcraftApp {
protected:
    BOOL CheckDisplayColours() override { return FALSE; }
};

TEST_F(Startup, APaletteDisplayIsWarnedAboutOnceAndStartUpGoesOn) {
    std::string definitions = m_app->m_metaDataPath.str();
    m_app.reset();
    m_app = std::make_unique<FewColoursApp>();
    m_app->m_metaDataPath = definitions.c_str();
    ASSERT_TRUE(Start());
    int warnings = 0;
    for (const auto& question : m_people.Asked("message"))
        if (question.text.find("more than 256 colors") != std::string::npos) ++warnings;
    EXPECT_EQ(warnings, 1);
    EXPECT_NE(Frame(), nullptr);
}

TEST_F(Startup, ARecentFileThatFailsButExistsStaysAtTheTop) {
    ASSERT_TRUE(Start());
    ASSERT_NE(m_app->m_pRecentFileList, nullptr);
    std::string broken = m_folder.WriteFile("broken.lcp", "not a project");
    std::string gone = (m_folder.Path() / "gone.lcp").string();
    m_app->AddToRecentFileList(gone.c_str());
    m_app->AddToRecentFileList(broken.c_str());
    // broken is entry 0, gone entry 1.
    m_app->OnCmdMsg(ID_FILE_MRU_FILE1 + 1, CN_COMMAND, nullptr);
    EXPECT_EQ(m_app->m_pRecentFileList->GetSize() > 0 ? (*m_app->m_pRecentFileList)[0] : CString(), broken.c_str());
    EXPECT_TRUE((*m_app->m_pRecentFileList)[1].IsEmpty());
    m_app->OnCmdMsg(ID_FILE_MRU_FILE1, CN_COMMAND, nullptr);
    EXPECT_EQ((*m_app->m_pRecentFileList)[0], broken.c_str());
}

TEST_F(Startup, LaunchReaderStartsTheReadingProgramWhenItIsInstalled) {
    std::string reader = m_folder.WriteFile("reader/MSReader.exe", "");
    leaf::RegistryKey::Create(HKEY_CURRENT_USER, "Software\\Microsoft\\EBook")
        .WriteString("InstallDir", (m_folder.Path() / "reader").string());
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame()->IsReaderFound());
    Frame()->SendMessage(WM_COMMAND, CMainFrame::ID_FILE_LAUNCH_READER, 0);
    auto starts = m_people.Asked("process");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].text, reader);
}

TEST_F(Startup, WithoutAReadingProgramLaunchIsDisabled) {
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame()->IsReaderFound());
    CCmdUI update;
    update.m_nID = CMainFrame::ID_FILE_LAUNCH_READER;
    update.DoUpdate(Frame(), TRUE);
    EXPECT_FALSE(update.m_enabled);
}

}  // namespace
