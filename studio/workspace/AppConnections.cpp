#include "studio/workspace/AppConnections.h"

#include <filesystem>

#include "platform/base/ModulePath.h"
#include "platform/com/ComRegistry.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/HiveStore.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/RecentFileList.h"
#include "platform/ui/shell/DesktopRegistration.h"
#include "sdk/LeafcraftSDK.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/workspace/AboutDlg.h"
#include "studio/workspace/FontEmbedDlg.h"
#include "studio/workspace/LeafcraftContentsView.h"
#include "studio/workspace/LeafcraftCoverPageView.h"
#include "studio/workspace/LeafcraftPropertiesView.h"
#include "studio/workspace/LeafcraftSrcFilesView.h"
#include "studio/workspace/MainFrame.h"
#include "studio/workspace/SplashWnd.h"
#include "studio/workspace/StartupDlg.h"
#include "studio/workspace/LeafcraftStructNavView.h"

// The texts of resources/desktop, compiled in.
std::string_view DesktopEntryTemplate();
std::string_view ProjectMimeInfo();

namespace leaf::app {

bool InitializeAutomation() { return SUCCEEDED(OleInitialize(nullptr)); }

namespace {

// The open command the registry's project type names: "<program>" "%1".
std::string OpenCommand(const std::string& program) { return "\"" + program + "\" \"%1\""; }

// The project file type as the desktop knows it, opened with `program`.
leaf::ui::DesktopFileType ProjectDesktopType(const std::string& program) {
    std::string entry(DesktopEntryTemplate());
    const std::string placeholder = "@LEAFSTUDIO@";
    if (size_t at = entry.find(placeholder); at != std::string::npos)
        entry.replace(at, placeholder.size(), leaf::ui::QuoteDesktopExecArgument(program));
    return {"leafcraft", std::string(ProjectMimeInfo()), "leafstudio", entry};
}

}  // namespace

void RegisterShellFileTypes(const CDocTemplate& docTemplate) {
    CString extension, typeId, typeName;
    if (!docTemplate.GetDocString(extension, CDocTemplate::filterExt) ||
        !docTemplate.GetDocString(typeId, CDocTemplate::regFileTypeId))
        return;
    docTemplate.GetDocString(typeName, CDocTemplate::regFileTypeName);
    std::string program = GetExecutablePath();

    RegistryKey type = RegistryKey::Create(HKEY_CLASSES_ROOT, typeId.str());
    if (type.IsOpen()) {
        type.WriteString("", typeName.str());
        RegistryKey::Create(type.Handle(), "DefaultIcon").WriteString("", program + ",0");
        RegistryKey::Create(type.Handle(), "shell\\open\\command").WriteString("", OpenCommand(program));
        RegistryKey::Create(HKEY_CLASSES_ROOT, extension.str()).WriteString("", typeId.str());
    }
    // The desktop's registration does not depend on the registry's.
    RegisterDesktopFileType(program);
}

bool UnregisterShellFileTypes(const CDocTemplate& docTemplate) {
    CString extension, typeId;
    if (!docTemplate.GetDocString(extension, CDocTemplate::filterExt) ||
        !docTemplate.GetDocString(typeId, CDocTemplate::regFileTypeId))
        return true;
    const std::string program = GetExecutablePath();
    bool removed = true;
    if (comreg::ReadString(typeId.str() + "\\shell\\open\\command") == OpenCommand(program)) {
        if (comreg::ReadString(extension.str()) == typeId.str())
            removed = comreg::DeleteTree(extension.str());
        removed = comreg::DeleteTree(typeId.str()) && removed;
    }
    return leaf::ui::UnregisterDesktopFileType(ProjectDesktopType(program)) && removed;
}

bool RegisterDesktopFileType(const std::string& program) {
    return leaf::ui::RegisterDesktopFileType(ProjectDesktopType(program)).succeeded;
}

std::string BuildControlRegistrationHint() {
    RegistryKey server =
        RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID\\" + GuidToString(CLSID_LeafcraftSDK) + "\\InprocServer32");
    if (server.IsOpen()) return {};
    std::string folder = std::filesystem::path(GetExecutablePath()).parent_path().string();
    return "The build control Leafcraft.SDK is not registered in " + registry::MachineRegistryFolder() +
           ". Register it with:  " + folder + "/regsvr " + folder +
           "/leafsdk.so  (or run \"make install\", or point LEAF_REGISTRY at a registry that holds it).";
}

void ShowSplashScreen(UINT bitmapId, UINT minimumMs) { CSplashWnd::ShowSplashScreen(bitmapId, minimumMs); }
void RequestHideSplashScreen() { CSplashWnd::RequestHide(); }
void HideSplashScreen() { CSplashWnd::HideSplashScreen(); }

bool RunStartupDialog(CRecentFileList* recentFiles, CWnd* parent, StartupChoice& choice) {
    CStartupDlg dialog(recentFiles, parent);
    if (dialog.DoModal() != IDOK) return false;
    choice.option = dialog.GetChosenOption();
    choice.file = dialog.GetChosenFile();
    return true;
}

void RunAboutDialog(CWnd* parent) {
    CAboutDlg dialog(parent);
    dialog.DoModal();
}

void RunBuildWizard(CLeafcraftDoc* document, CMainFrame* frame, CBuildWizardSheet*& current) {
    CBuildWizardSheet wizard(document, frame);
    current = &wizard;
    wizard.DoModal();
    current = nullptr;
}

int RunFontEmbedDialog(IDispatch* fontList, CLeafcraftDoc* document, CWnd* parent) {
    CFontEmbedDlg dialog(fontList, document, parent);
    return dialog.DoModal();
}

const WorkspaceViewClasses& GetWorkspaceViewClasses() {
    static const WorkspaceViewClasses classes{
        RUNTIME_CLASS(CLeafcraftSrcFilesView), RUNTIME_CLASS(CLeafcraftPropertiesView),
        RUNTIME_CLASS(CLeafcraftContentsView), RUNTIME_CLASS(CLeafcraftCoverPageView),
        RUNTIME_CLASS(CLeafcraftStructNavView)};
    return classes;
}

}  // namespace leaf::app
