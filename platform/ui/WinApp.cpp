#include "platform/ui/WinApp.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include "platform/ui/PeopleService.h"
#include "platform/ui/Wnd.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

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
    QApplication::exec();
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
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
