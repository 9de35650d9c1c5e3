#pragma once

// CBuildWizardSheet: the Build eBook wizard. It owns its own instance of the build
// control (control id 100), the five pages and the messages of the build; RunBuild
// (posted as WM_USER+500 by the progress page once it shows) is the build driver: it
// hands the project to the control in a fixed order, asks about missing and external
// files, prepares and builds the e-book and routes the control's events to the pages.

#include <memory>
#include <vector>

#include "platform/ui/PropertySheet.h"
#include "studio/project/BuildMessage.h"
#include "studio/project/LeafcraftSDK.h"

class CLeafcraftDoc;
class CListCtrl;
class CBuildOutputPage;
class CBuildFontsPage;
class CBuildProgressPage;
class CBuildDonePage;
class CBuildErrorPage;

// The message the progress page posts to start the build.
inline constexpr UINT WM_LC_RUNBUILD = 0x0400 + 500;

class CBuildWizardSheet : public CPropertySheet {
public:
    CBuildWizardSheet(CLeafcraftDoc* document, CWnd* parent);
    ~CBuildWizardSheet() override;

    // IDABORT when the wizard could not start (no control, or a page gave up).
    int DoModal() override;
    // Ends the wizard with a result (IDABORT or IDCANCEL) from any page.
    void EndWizard(int result);
    // Presses Back or Next for the build driver, whatever buttons the page shows.
    void PressWizardButton(int button);

    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

    // The build driver (WM_USER+500).
    void RunBuild();

    // The control's events (its event sink map: control 100, events 1 to 3).
    void OnUpdateProgress(LONG percent, LONG stage, const CString& details);
    void OnLITGenMessage(LONG type, LONG code, const CString& message, const CString& filePath, LONG lineNumber);
    void OnSDKMessage(LONG type, LONG code, const CString& message, const CString& filePath, LONG lineNumber);

    // The build messages and their list format, shared by the progress, done and error pages.
    void ClearMessages();
    const std::vector<std::unique_ptr<CBuildMessage>>& GetMessages() const { return m_messages; }
    void AddMessage(std::unique_ptr<CBuildMessage> message) { m_messages.push_back(std::move(message)); }
    static void InitMessageList(CListCtrl& list);
    static void AddMessageToList(CListCtrl& list, const CBuildMessage& message);

    CLeafcraftDoc* GetDocument() const { return m_pDoc; }
    CLeafcraftSDK& GetSDK() { return m_sdk; }
    BOOL IsFontEmbeddingAvailable() const { return m_bFontsAvailable; }
    // The e-book path the output page settled on.
    CString GetEBookPath() const;
    // The common source folder of the project's sources (no trailing separator).
    CString GetSourceFolder() const;
    // The project file's path; empty when the project was never saved.
    CString GetProjectPath() const;

    CBuildOutputPage& GetOutputPage() { return *m_outputPage; }
    CBuildFontsPage& GetFontsPage() { return *m_fontsPage; }
    CBuildProgressPage& GetProgressPage() { return *m_progressPage; }
    CBuildDonePage& GetDonePage() { return *m_donePage; }
    CBuildErrorPage& GetErrorPage() { return *m_errorPage; }
    // FALSE once the fonts page was removed (no font embedding).
    BOOL HasFontsPage() const;

    // The steps of RunBuild, each showing its own message on failure.
    BOOL WriteDefaultGuideFiles();
    void DeleteDefaultGuideFiles();
    BOOL AddSourceFiles();
    BOOL AddMetaDataItems();
    BOOL AddGuideItems();
    const std::vector<CString>& GetDefaultGuideFiles() const { return m_defaultGuideFiles; }

private:
    void RunBuildSteps();
    // Asks about the files of one collection (13003 or 13004); TRUE to go on.
    BOOL ConfirmFileList(IDispatch* collection, UINT messageId, bool withSourceFolder);

    CLeafcraftDoc* m_pDoc;
    CLeafcraftSDK m_sdk;
    std::vector<std::unique_ptr<CBuildMessage>> m_messages;
    std::vector<CString> m_defaultGuideFiles;
    BOOL m_bFontsAvailable = FALSE;
    BOOL m_bAborted = FALSE;
    std::unique_ptr<CBuildOutputPage> m_outputPage;
    std::unique_ptr<CBuildFontsPage> m_fontsPage;
    std::unique_ptr<CBuildProgressPage> m_progressPage;
    std::unique_ptr<CBuildDonePage> m_donePage;
    std::unique_ptr<CBuildErrorPage> m_errorPage;
};

// A name for a temporary default guide file that does not exist yet:
// "<folder>/~covNNNN.<jpg|htm>" (kind 1 is an image).
CString MakeDefaultGuideFileName(const char* folder, LONG kind);
// Writes the built-in default of a guide type ("<type>.jpg" or "<type>.htm" among the
// program's HTML resources) to a new file; FALSE when there is none or it cannot be written.
BOOL WriteGuideResource(const char* type, LONG kind, const char* path);
// The name list of message 13003/13004: at most nine names, then the tenth or the
// "(%d more files...)" line.
CString MakeFileNameList(const std::vector<CString>& names);
