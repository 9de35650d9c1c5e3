#include "platform/ui/WinApp.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include "platform/base/Path.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/FrameworkStrings.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Wnd.h"

namespace {
CWinApp* g_app = nullptr;
// Set while AfxWinMain runs: an application object destroyed meanwhile is being destroyed
// by exit() called from inside the program (Qt ends the process that way when the
// display's connection breaks, as it does when a desktop session ends).
bool g_inWinMain = false;
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->GetMainWnd() : nullptr; }

// Modules without windows of their own (the build control) pump the program's messages
// after each event they fire by calling this symbol when the process has it. It
// dispatches every waiting message; a quit request made meanwhile stays with the loop
// that will see it. Without an application object there is nothing to pump.
LEAF_EXPORT_C void LeafPumpWaitingMessages() {
    if (g_app && QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

const char* AfxGetAppName() { return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : ""; }

CWinApp::CWinApp(const char* appName) {
    g_app = this;
    SetAppName(appName);
}

CWinApp::~CWinApp() {
    if (g_inWinMain) {
        // exit() from inside the running program: the modules' static objects may be
        // gone already (they were made after this object, so they go before it), and
        // the windows and documents would reach into them as they go. They are left to
        // the process's end, untouched, and so is a document's auto-save copy, which the
        // next start offers to restore.
        m_pMainWnd = nullptr;
        for (auto& docTemplate : m_templates) static_cast<void>(docTemplate.release());
        static_cast<void>(m_recentFiles.release());
        m_pRecentFileList = nullptr;
        if (g_app == this) g_app = nullptr;
        return;
    }
    // The main window goes first (its views leave their documents), then the templates
    // with their documents. A program's window goes in AfxWinMain, before the program
    // returns from main; this is for an application object that ends while Qt runs on.
    // Windows can only go while Qt is still there; after it they are left to the
    // process's end.
    if (QCoreApplication::instance()) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) frame->DestroyWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    m_pMainWnd = nullptr;
    m_templates.clear();
    m_pRecentFileList = nullptr;
    m_recentFiles.reset();
    if (g_app == this) g_app = nullptr;
}

void CWinApp::SetAppName(const char* name) {
    if (name) {
        m_appName = name;
    } else {
        // The program file's name without its folder and extension.
        QFileInfo program(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
        m_appName = program.completeBaseName().toStdString();
    }
    m_pszAppName = m_appName.c_str();
    if (!m_registryKey.empty()) m_profile = std::make_unique<leaf::Profile>(m_registryKey, m_appName);
}

QWidget* CWinApp::GetMainWidget() const { return m_pMainWnd ? m_pMainWnd->GetWidget() : nullptr; }

void CWinApp::SetRegistryKey(const char* key) {
    m_registryKey = key ? key : "";
    m_pszRegistryKey = m_registryKey.empty() ? nullptr : m_registryKey.c_str();
    if (m_registryKey.empty()) m_profile.reset();
    else m_profile = std::make_unique<leaf::Profile>(m_registryKey, m_appName);
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) const {
    return m_profile ? m_profile->GetProfileInt(section, entry, defaultValue) : static_cast<UINT>(defaultValue);
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) const {
    if (!m_profile) return CString(defaultValue);
    return m_profile->GetProfileString(section, entry, defaultValue);
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
    return m_profile ? m_profile->WriteProfileInt(section, entry, value) : FALSE;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    return m_profile ? m_profile->WriteProfileString(section, entry, value) : FALSE;
}

int CWinApp::Run() {
    InstallIdleProcessing();
    m_running = true;
    QApplication::exec();
    m_running = false;
    return ExitInstance();
}

void CWinApp::InstallIdleProcessing() {
    if (m_idleInstalled) return;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) return;
    m_idleInstalled = true;
    m_idleContext = std::make_unique<QObject>();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_idleContext.get(), [this] { IdleStep(); });
}

void CWinApp::IdleStep() {
    if (m_inIdle) return;
    m_inIdle = true;
    BOOL more = OnIdle(m_idleCount);
    m_inIdle = false;
    if (more) {
        // More idle work: wake the loop once more so that it comes back here.
        ++m_idleCount;
        QTimer::singleShot(0, m_idleContext.get(), [] {});
    } else {
        // The idle work is done; the next time the loop waits a new idle period begins.
        m_idleCount = 0;
    }
}

BOOL CWinApp::OnIdle(LONG count) {
    if (count <= 0) {
        m_idleIndex = 0;
        if (m_pMainWnd && m_pMainWnd->IsWindowVisible()) {
            m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
            m_pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        }
        return TRUE;
    }
    // Windows that died since they registered drop out of the list.
    while (m_idleIndex < m_registered.size()) {
        QPointer<QWidget> window = m_registered[m_idleIndex];
        if (!window) {
            m_registered.erase(m_registered.begin() + static_cast<std::ptrdiff_t>(m_idleIndex));
            continue;
        }
        ++m_idleIndex;
        leaf::ui::MessageEvent update(WM_IDLEUPDATECMDUI, 0, 0);
        QCoreApplication::sendEvent(window, &update);
        return TRUE;
    }
    return FALSE;
}

void CWinApp::RegisterWindow(CWnd* window) {
    if (!window || !window->GetWidget()) return;
    for (const auto& registered : m_registered)
        if (registered == window->GetWidget()) return;
    m_registered.emplace_back(window->GetWidget());
}

void CWinApp::UnregisterWindow(CWnd* window) {
    if (!window) return;
    for (size_t i = 0; i < m_registered.size(); ++i) {
        if (m_registered[i] == window->GetWidget()) {
            m_registered.erase(m_registered.begin() + static_cast<std::ptrdiff_t>(i));
            if (m_idleIndex > i) --m_idleIndex;
            return;
        }
    }
}

void CWinApp::AddDocTemplate(CDocTemplate* docTemplate) {
    if (docTemplate) m_templates.emplace_back(docTemplate);
}

BOOL CWinApp::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    if (CCmdTarget::OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    const bool recentFile = id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16;
    if (code == CN_UPDATE_COMMAND_UI) {
        if (id != ID_FILE_MRU_FILE1) return FALSE;
        if (probe) return TRUE;
        auto* update = static_cast<CCmdUI*>(extra);
        if (!update) return TRUE;
        if (m_pRecentFileList) m_pRecentFileList->UpdateMenu(update);
        else update->Enable(FALSE);
        return TRUE;
    }
    if (code != CN_COMMAND) return FALSE;
    if (id != ID_FILE_NEW && id != ID_FILE_OPEN && id != ID_APP_EXIT && !recentFile) return FALSE;
    if (probe) return TRUE;
    if (id == ID_FILE_NEW) OnFileNew();
    else if (id == ID_FILE_OPEN) OnFileOpen();
    else if (id == ID_APP_EXIT) OnAppExit();
    else OnOpenRecentFile(id);
    return TRUE;
}

void CWinApp::OnFileNew() {
    // With one template, a new document of that kind; the current one is asked first.
    if (CDocTemplate* docTemplate = GetFirstDocTemplate()) docTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    CString path;
    if (!DoPromptFileName(path, AFX_IDS_OPENFILE, 0, TRUE, nullptr)) return;
    OpenDocumentFile(path.c_str());
}

CDocument* CWinApp::OpenDocumentFile(const char* path) {
    CDocTemplate* docTemplate = GetFirstDocTemplate();
    if (!docTemplate || !path || !*path) return nullptr;
    // A file that is open already is not loaded again: its frame comes to the front.
    if (auto* single = dynamic_cast<CSingleDocTemplate*>(docTemplate)) {
        CDocument* open = single->GetDocument();
        // The same file in any letter case; another file whose name differs only in case
        // is opened.
        if (open && !open->GetPathName().IsEmpty() &&
            leaf::path::CaseKey(open->GetPathName().str()) == leaf::path::CaseKey(path)) {
            if (QWidget* window = GetMainWidget()) window->activateWindow();
            return open;
        }
    }
    return docTemplate->OpenDocumentFile(path);
}

BOOL CWinApp::OnOpenRecentFile(UINT id) {
    if (id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_FILE16 || !m_pRecentFileList) return FALSE;
    int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    CString path = (*m_pRecentFileList)[index];
    if (path.IsEmpty()) return FALSE;
    if (!OpenDocumentFile(path.c_str())) {
        // The entry that failed goes (found again by path: opening may have moved it).
        for (int i = 0; i < m_pRecentFileList->GetSize(); ++i) {
            if ((*m_pRecentFileList)[i] == path) {
                m_pRecentFileList->Remove(i);
                break;
            }
        }
        m_pRecentFileList->WriteList();
    }
    return TRUE;
}

void CWinApp::OnAppExit() {
    if (!m_pMainWnd) return;
    // Exit closes the main window as its close box does: the window's close asks the
    // documents (WM_CLOSE) and, when they agree, the window goes and the program with it.
    if (QWidget* window = m_pMainWnd->GetWidget()) window->close();
    else m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::DoPromptFileName(CString& path, UINT titleId, DWORD, BOOL openFileDialog, CDocTemplate* docTemplate) {
    leaf::ui::FileDialogRequest request;
    request.save = !openFileDialog;
    request.title = leaf::ui::FrameworkString(titleId).str();
    std::string filter;
    if (docTemplate) {
        filter = docTemplate->GetFileFilter().str();
        CString extension;
        if (docTemplate->GetDocString(extension, CDocTemplate::filterExt)) {
            request.defaultExtension = extension.str();
            if (!request.defaultExtension.empty() && request.defaultExtension[0] == '.')
                request.defaultExtension.erase(0, 1);
        }
    } else {
        for (const auto& each : m_templates) filter += each->GetFileFilter().str();
    }
    filter += leaf::ui::FrameworkString(AFX_IDS_ALLFILTER).str() + "|*|";
    request.filter = filter;
    int slash = path.ReverseFind('/');
    if (slash >= 0) {
        request.initialFolder = path.Left(slash).str();
        request.initialName = path.Mid(slash + 1).str();
    } else {
        request.initialName = path.str();
    }
    std::vector<std::string> chosen = leaf::ui::People().ChooseFiles(GetMainWidget(), request);
    if (chosen.empty() || chosen.front().empty()) return FALSE;
    path = CString(chosen.front());
    return TRUE;
}

BOOL CWinApp::SaveAllModified() {
    for (const auto& each : m_templates)
        if (!each->SaveAllModified()) return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL endSession) {
    for (const auto& each : m_templates) each->CloseAllDocuments(endSession);
}

void CWinApp::LoadStdProfileSettings(UINT maxMRU) {
    if (maxMRU == 0) return;
    m_recentFiles = std::make_unique<CRecentFileList>(ID_FILE_MRU_FILE1, "Recent File List", "File%d", static_cast<int>(maxMRU));
    m_pRecentFileList = m_recentFiles.get();
    m_pRecentFileList->ReadList();
}

void CWinApp::AddToRecentFileList(const char* path) {
    if (!m_pRecentFileList || !path || !*path) return;
    m_pRecentFileList->Add(path);
    m_pRecentFileList->WriteList();
}

int CWinApp::DoMessageBox(const char* text, UINT type, UINT) {
    return leaf::ui::People().MessageBox(GetMainWidget(), text ? text : "", AfxGetAppName(), type);
}

void CWinApp::WinHelp(DWORD data, UINT command) {
    leaf::ui::People().Help(m_pszHelpFilePath ? m_pszHelpFilePath : "", command, data);
}

int AfxWinMain(int argc, char** argv) {
    QApplication qt(argc, argv);
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    g_inWinMain = true;
    int result = app->InitInstance() ? app->Run() : app->ExitInstance();
    // The main window (and the controls it hosts) goes while Qt and the modules it uses
    // are still there, before the program's static objects go at its end.
    if (auto* frame = dynamic_cast<CFrameWnd*>(app->m_pMainWnd)) frame->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    g_inWinMain = false;
    return result;
}
