#include "platform/ui/FrameWnd.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLayout>
#include <QMainWindow>
#include <functional>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QThread>

#include "platform/ui/ControlBars.h"
#include "platform/ui/KeyLocks.h"
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

CFrameWnd* GetParentFrameOf(const CWnd* window) {
    QWidget* widget = window ? window->GetWidget() : nullptr;
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget())
        if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(w))) return frame;
    return nullptr;
}

namespace {

// The frame's window: the close box goes through WM_CLOSE, so the document is asked first.
class FrameWindow : public QMainWindow {
public:
    explicit FrameWindow(CFrameWnd* owner) : m_owner(owner) {}
    void Forget() { m_owner = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (!m_owner) {
            QMainWindow::closeEvent(event);
            return;
        }
        // The frame decides: it destroys itself when it may close.
        event->ignore();
        m_owner->SendMessage(WM_CLOSE);
    }

private:
    CFrameWnd* m_owner;
};

}  // namespace

CFrameWnd::CFrameWnd() { MapStandardCommands(); }

CFrameWnd::~CFrameWnd() {
    m_accelerators.Clear();
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
    if (auto* window = dynamic_cast<FrameWindow*>(GetWidget())) window->Forget();
}

void CFrameWnd::MapStandardCommands() {
    for (UINT bar : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        MapCommand(bar, [this, bar] {
            if (CControlBar* control = GetControlBar(bar)) ShowControlBar(control, !IsControlBarVisible(bar), FALSE);
        });
        MapUpdateUI(bar, [this, bar](CCmdUI* ui) {
            // A frame without that bar leaves the item to the rest of the routing.
            if (GetControlBar(bar)) ui->SetCheck(IsControlBarVisible(bar) ? 1 : 0);
            else ui->ContinueRouting();
        });
    }
    // The key indicators show their text while the lock is on.
    const std::pair<UINT, leaf::ui::LockKey> indicators[] = {{ID_INDICATOR_CAPS, leaf::ui::LockKey::Caps},
                                                             {ID_INDICATOR_NUM, leaf::ui::LockKey::Num},
                                                             {ID_INDICATOR_SCRL, leaf::ui::LockKey::Scroll}};
    for (const auto& indicator : indicators) {
        const leaf::ui::LockKey key = indicator.second;
        MapUpdateUI(indicator.first, [key](CCmdUI* ui) { ui->Enable(leaf::ui::IsLockKeyOn(key)); });
    }
}

BOOL CFrameWnd::Create(const char* title) {
    if (GetWidget()) return FALSE;
    auto* window = new FrameWindow(this);
    CString caption(title ? title : AfxGetAppName());
    if (m_strTitle.IsEmpty()) m_strTitle = caption;
    window->setWindowTitle(QString::fromStdString(caption.str()));
    AttachCreated(window);
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context) {
    if (GetWidget()) return FALSE;
    m_resourceId = resourceId;
    m_frameStyle = style;
    // The application part of the caption: the first field of the resource string.
    CString title = LoadResString(resourceId);
    if (int lineBreak = title.Find('\n'); lineBreak >= 0) title = title.Left(lineBreak);
    if (title.IsEmpty()) title = AfxGetAppName();
    m_strTitle = title;
    if (!Create(title.c_str())) return FALSE;
    if (parent && parent->GetWidget()) GetWidget()->setParent(parent->GetWidget(), Qt::Window);
    auto menu = std::make_unique<CMenu>();
    if (menu->LoadMenu(resourceId)) SetMenu(std::move(menu));
    LoadAccelTable(resourceId);
    CREATESTRUCT create;
    create.lpCreateParams = context;
    create.hwndParent = parent;
    create.style = style;
    create.lpszName = m_strTitle.c_str();
    if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow();
        return FALSE;
    }
    OnUpdateFrameTitle(TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT createStruct) {
    auto* context = createStruct ? static_cast<CCreateContext*>(createStruct->lpCreateParams) : nullptr;
    if (!OnCreateClient(createStruct, context)) return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
    if (context && context->m_pNewViewClass) return CreateView(context, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
    if (!context || !context->m_pNewViewClass || !context->m_pNewViewClass->m_pfnCreateObject || !MainWindow())
        return nullptr;
    CObject* object = context->m_pNewViewClass->CreateObject();
    auto* view = dynamic_cast<CView*>(object);
    if (!view) {
        delete object;
        return nullptr;
    }
    if (!view->Create(this, id, context)) {
        delete view;
        return nullptr;
    }
    view->m_bAutoDelete = TRUE;
    MainWindow()->setCentralWidget(view->GetWidget());
    return view;
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (QMainWindow* window = MainWindow())
        if (QLayout* layout = window->layout()) layout->activate();
}

void CFrameWnd::InitialUpdateFrame(CDocument* document, BOOL makeVisible) {
    // The frame's first view becomes active when none is.
    if (!GetActiveView()) {
        // The first view with the first pane's id (a splitter carries that id too).
        std::function<CView*(QWidget*)> find = [&](QWidget* parent) -> CView* {
            for (QObject* object : parent->children()) {
                auto* child = qobject_cast<QWidget*>(object);
                if (!child || child->isWindow()) continue;
                auto* view = dynamic_cast<CView*>(CWnd::FromHandlePermanent(child));
                if (view && view->GetDlgCtrlID() == static_cast<int>(AFX_IDW_PANE_FIRST)) return view;
                if (!view)
                    if (CView* found = find(child)) return found;
            }
            return nullptr;
        };
        if (CView* view = GetWidget() ? find(GetWidget()) : nullptr) SetActiveView(view, FALSE);
    }
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    if (makeVisible) {
        ShowWindow(SW_SHOW);
    }
    OnUpdateFrameTitle(TRUE);
    (void)document;
}

QMainWindow* CFrameWnd::MainWindow() const { return qobject_cast<QMainWindow*>(GetWidget()); }

void CFrameWnd::SetMenu(std::unique_ptr<CMenu> menu) {
    m_menu = std::move(menu);
    DrawMenuBar();
}

std::unique_ptr<CMenu> CFrameWnd::TakeMenu() {
    std::unique_ptr<CMenu> menu = std::move(m_menu);
    DrawMenuBar();
    return menu;
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

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
    CView* previous = GetActiveView();
    if (view == previous) return;
    m_activeView = view;
    m_activeViewWidget = view ? view->GetWidget() : nullptr;
    if (notify) {
        if (previous) previous->OnActivateView(FALSE, view, previous);
        if (view) view->OnActivateView(TRUE, view, previous);
    }
}

CView* CFrameWnd::GetActiveView() const {
    // A view whose window went is no longer active.
    return m_activeViewWidget ? m_activeView : nullptr;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

void CFrameWnd::SetTitle(const char* title) {
    m_strTitle = title ? title : "";
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
    CDocument* document = GetActiveDocument();
    if (addToTitle && (m_frameStyle & FWS_ADDTOTITLE) && document)
        UpdateFrameTitleForDocument(document->GetTitle().c_str());
    else
        UpdateFrameTitleForDocument(nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(const char* documentName) {
    CString caption;
    if (documentName && *documentName) {
        if (m_frameStyle & FWS_PREFIXTITLE)
            caption = CString(documentName) + " - " + m_strTitle;
        else
            caption = m_strTitle + " - " + documentName;
    } else {
        caption = m_strTitle;
    }
    if (GetWindowText() != caption) SetWindowText(caption.c_str());
}

void CFrameWnd::ShowControlBar(UINT barId, BOOL show) {
    QMainWindow* window = MainWindow();
    if (!window) return;
    if (QWidget* bar = FindControl(window, static_cast<int>(barId))) bar->setVisible(show != FALSE);
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL) {
    if (!bar || !bar->GetWidget()) return;
    bar->GetWidget()->setVisible(show != FALSE);
    RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT barId) const {
    QMainWindow* window = MainWindow();
    QWidget* bar = window ? FindControl(window, static_cast<int>(barId)) : nullptr;
    return bar ? dynamic_cast<CControlBar*>(CWnd::FromHandlePermanent(bar)) : nullptr;
}

void CFrameWnd::EnableDocking(DWORD dockStyle) {
    m_dockStyle = dockStyle & CBRS_ALIGN_ANY;
    QMainWindow* window = MainWindow();
    if (!window) return;
    // The frame's bars may now use (or no longer use) these sides.
    for (QWidget* child : window->findChildren<QWidget*>())
        if (auto* bar = dynamic_cast<CControlBar*>(CWnd::FromHandlePermanent(child)); bar && bar->GetDockingFrame() == this)
            bar->OnDockingChanged();
}

void CFrameWnd::DockControlBar(CControlBar* bar, UINT dockBarId, LPCRECT) {
    if (!bar || bar->GetDockingFrame() != this) return;
    DWORD allowed = bar->GetAllowedDockSides();
    DWORD side = 0;
    switch (dockBarId) {
        case AFX_IDW_DOCKBAR_TOP: side = CBRS_ALIGN_TOP; break;
        case AFX_IDW_DOCKBAR_BOTTOM: side = CBRS_ALIGN_BOTTOM; break;
        case AFX_IDW_DOCKBAR_LEFT: side = CBRS_ALIGN_LEFT; break;
        case AFX_IDW_DOCKBAR_RIGHT: side = CBRS_ALIGN_RIGHT; break;
        case 0: {
            DWORD wanted = bar->GetBarStyle() & allowed;
            for (DWORD candidate : {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT})
                if (!side && (wanted & candidate)) side = candidate;
            break;
        }
        default: return;
    }
    if (!side || !(allowed & side)) return;
    if (bar->DockOn(side)) RecalcLayout();
}

BOOL CFrameWnd::IsControlBarVisible(UINT barId) const {
    QMainWindow* window = MainWindow();
    QWidget* bar = window ? FindControl(window, static_cast<int>(barId)) : nullptr;
    return bar && !bar->isHidden();
}

void CFrameWnd::GetMessageString(UINT id, CString& message) const { message = CommandPrompt(id); }

void CFrameWnd::SetMessageText(const char* text) {
    if (QMainWindow* window = MainWindow()) window->statusBar()->showMessage(QString::fromUtf8(text ? text : ""));
}

CString CFrameWnd::GetMessageText() const {
    QMainWindow* window = MainWindow();
    return window ? CString(window->statusBar()->currentMessage().toStdString()) : CString();
}

void CFrameWnd::OnClose() {
    if (m_closing) return;
    CDocument* document = GetActiveDocument();
    if (document && !document->CanCloseFrame(this)) return;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        // The main window closes the program's documents; each takes its frames along.
        m_closing = true;
        app->CloseAllDocuments(FALSE);
        // The documents took this frame along (it may be deleted: only compare).
        if (app->m_pMainWnd != this) return;
        m_closing = false;
    }
    DestroyWindow();
}

void CFrameWnd::OnEndSession(BOOL ending) {
    if (!ending || m_closing) return;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        m_closing = true;
        app->CloseAllDocuments(TRUE);
        if (app->m_pMainWnd != this) return;
        m_closing = false;
    }
    DestroyWindow();
}

void CFrameWnd::OnDropFiles(HDROP drop) {
    CWinApp* app = AfxGetApp();
    if (!app || !drop) return;
    if (QWidget* window = GetWidget()) window->activateWindow();
    UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr);
    std::vector<CString> paths;
    for (UINT i = 0; i < count; ++i) {
        CString path;
        DragQueryFile(drop, i, &path);
        paths.push_back(path);
    }
    DragFinish(drop);
    // The list is copied first: opening a file may destroy windows (and the drop).
    for (const CString& path : paths) app->OpenDocumentFile(path.c_str());
}

void CFrameWnd::OnDestroy() {
    // The frame's views go with it, before its document is told anything more.
    std::vector<QPointer<QWidget>> views;
    std::function<void(QWidget*)> collect = [&](QWidget* parent) {
        for (QObject* object : parent->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (!child) continue;
            if (dynamic_cast<CView*>(CWnd::FromHandlePermanent(child))) views.emplace_back(child);
            else collect(child);
        }
    };
    if (GetWidget()) collect(GetWidget());
    m_activeView = nullptr;
    m_activeViewWidget = nullptr;
    for (const QPointer<QWidget>& widget : views)
        if (widget)
            if (CWnd* view = CWnd::FromHandlePermanent(widget)) view->DestroyWindow();
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) {
        // The program ends with its main window: the running event loops return. Unlike
        // quit(), exit() cannot be turned down by another top-level window that is open;
        // without a running loop it is not called, as it would end the next loop at once.
        app->m_pMainWnd = nullptr;
        if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
    }
    CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    // The active view (and through it its document) first, then the frame, then the application.
    if (CView* view = GetActiveView(); view && view->OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    if (CWnd::OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, extra, result, probe);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETMESSAGESTRING: {
            CString prompt;
            GetMessageString(static_cast<UINT>(wParam), prompt);
            SetMessageText(prompt.c_str());
            return 0;
        }
        case WM_CREATE: return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
        case WM_CLOSE: OnClose(); return 0;
        case WM_ENDSESSION: OnEndSession(static_cast<BOOL>(wParam)); return 0;
        default: break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
