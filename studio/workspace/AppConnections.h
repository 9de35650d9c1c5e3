#pragma once

// The application object's calls into windows of other parts of the program (splash,
// Quick Start and About windows, the workspace views) and into the platform (automation
// start, shell registration of the project file type), gathered in one place.

#include <string>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

class CBuildWizardSheet;
class CDocTemplate;
class CLeafcraftDoc;
class CMainFrame;
struct IDispatch;
class CRecentFileList;
class CWnd;

namespace leaf::app {

// The automation runtime of the process is ready (always, on this platform).
bool InitializeAutomation();

// The project file type in HKEY_CLASSES_ROOT: ".lcp" names "Leafcraft.Document", whose
// type name, icon and open command ("<program>" "%1") follow the template's strings.
// Then the same type with the desktop (RegisterDesktopFileType).
void RegisterShellFileTypes(const CDocTemplate& docTemplate);

// Takes that registration back where it names the running program, as an uninstaller
// does: the registry's ".lcp" and "Leafcraft.Document" keys when the type's open command
// starts this program, and the desktop's entry and type (UnregisterDesktopFileType) when
// they are the ones this program writes. A registration of another copy of the program
// stays. False when a key or file of this program's could not be removed.
bool UnregisterShellFileTypes(const CDocTemplate& docTemplate);

// The project file type "application/x-leafcraft-project" (*.lcp) in the user's MIME
// database and the desktop entry "leafstudio" that opens it with `program`, written where
// they differ from what is there. False when a file could not be written.
bool RegisterDesktopFileType(const std::string& program);

// Empty when the build control's class is registered; else where it was looked for and
// how to register it (the program's folder holds the modules and regsvr).
std::string BuildControlRegistrationHint();

// The splash window (bitmap, minimum time); RequestHide lets it go once its time is over,
// Hide removes it at once.
void ShowSplashScreen(UINT bitmapId, UINT minimumMs);
void RequestHideSplashScreen();
void HideSplashScreen();

// The Quick Start dialog: false unless it ended with OK; the choice (1000 blank project,
// 1001 package import, 1002 an existing project) and the chosen recent file (empty for
// "More Files...").
struct StartupChoice {
    int option = 0;
    CString file;
};
bool RunStartupDialog(CRecentFileList* recentFiles, CWnd* parent, StartupChoice& choice);

void RunAboutDialog(CWnd* parent);

// The Build eBook wizard over the document, run modally; `current` names it while it runs.
void RunBuildWizard(CLeafcraftDoc* document, CMainFrame* frame, CBuildWizardSheet*& current);

// The embedded-font selection for the build control's font list: the dialog's result
// (IDOK or IDCANCEL).
int RunFontEmbedDialog(IDispatch* fontList, CLeafcraftDoc* document, CWnd* parent);

// The view classes of the five workspaces, in workspace order.
struct WorkspaceViewClasses {
    const CRuntimeClass* sourceFiles;
    const CRuntimeClass* properties;
    const CRuntimeClass* contents;
    const CRuntimeClass* coverPage;
    const CRuntimeClass* navigation;
};
const WorkspaceViewClasses& GetWorkspaceViewClasses();

}  // namespace leaf::app
