#include "platform/ui/FrameWnd.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>

#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"

using namespace leaf::ui;

CString CommandPrompt(UINT id) {
    CString text = LoadResString(id);
    int lineBreak = text.Find('\n');
    return lineBreak < 0 ? text : text.Left(lineBreak);
}

CString CommandTip(UINT id) {
    CString text = LoadResString(id);
    int lineBreak = text.Find('\n');
    return lineBreak < 0 ? CString() : text.Mid(lineBreak + 1);
}

BOOL CView::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    if (CWnd::OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, extra, result, probe);
}

BOOL CAcceleratorTable::Load(UINT id, CWnd* target) {
    const std::vector<AcceleratorEntry>* table = Resources().FindAccelerators(id);
    if (!table || !target || !target->GetWidget()) return FALSE;
    Clear();
    QPointer<QWidget> widget = target->GetWidget();
    for (const AcceleratorEntry& entry : *table) {
        QKeySequence keys(QString::fromStdString(entry.keys));
        if (keys.isEmpty()) continue;
        auto shortcut = std::make_unique<QShortcut>(keys, widget);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setProperty("leafCommand", entry.command);
        UINT command = entry.command;
        QObject::connect(shortcut.get(), &QShortcut::activated, shortcut.get(), [widget, command] {
            if (widget) CWnd::FromHandle(widget)->SendMessage(WM_COMMAND, MAKEWPARAM(command, 1), 0);
        });
        m_shortcuts.push_back(std::move(shortcut));
    }
    return TRUE;
}

void CAcceleratorTable::Clear() { m_shortcuts.clear(); }

UINT CAcceleratorTable::CommandOf(const char* keys) const {
    QKeySequence wanted(QString::fromUtf8(keys ? keys : ""));
    for (const auto& shortcut : m_shortcuts)
        if (shortcut->key() == wanted) return shortcut->property("leafCommand").toUInt();
    return 0;
}

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() { m_accelerators.Clear(); }

BOOL CFrameWnd::Create(const char* title) {
    if (GetWidget()) return FALSE;
    auto* window = new QMainWindow;
    CString caption(title ? title : AfxGetAppName());
    window->setWindowTitle(QString::fromStdString(caption.str()));
    AttachCreated(window);
    return TRUE;
}

QMainWindow* CFrameWnd::MainWindow() const { return qobject_cast<QMainWindow*>(GetWidget()); }

void CFrameWnd::SetMenu(std::unique_ptr<CMenu> menu) {
    m_menu = std::move(menu);
    DrawMenuBar();
}

void CFrameWnd::DrawMenuBar() {
    QMainWindow* window = MainWindow();
    if (!window) return;
    if (!m_menu) {
        window->menuBar()->clear();
        return;
    }
    m_menu->FillMenuBar(window->menuBar(), this);
}

void CFrameWnd::GetMessageString(UINT id, CString& message) const { message = CommandPrompt(id); }

void CFrameWnd::SetMessageText(const char* text) {
    if (QMainWindow* window = MainWindow()) window->statusBar()->showMessage(QString::fromUtf8(text ? text : ""));
}

CString CFrameWnd::GetMessageText() const {
    QMainWindow* window = MainWindow();
    return window ? CString(window->statusBar()->currentMessage().toStdString()) : CString();
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    // The active view (and through it its document) first, then the frame, then the application.
    if (m_activeView && m_activeView->OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    if (CWnd::OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, extra, result, probe);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETMESSAGESTRING) {
        CString prompt;
        GetMessageString(static_cast<UINT>(wParam), prompt);
        SetMessageText(prompt.c_str());
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
