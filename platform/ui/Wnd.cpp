#include "platform/ui/Wnd.h"

#include <QAbstractButton>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPointer>
#include <QMimeData>
#include <QUrl>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <functional>
#include <limits>
#include <vector>

#include "platform/ui/ControlSite.h"
#include "platform/ui/WindowPlacement.h"

namespace leaf::ui {

namespace {

const char* const kIdProperty = "leafId";
const char* const kWndProperty = "leafWnd";
const char* const kDialogRootProperty = "leafDialogRoot";
const QEvent* g_consumedEvent = nullptr;

bool IsDialogRoot(const QWidget* widget) { return widget->property(kDialogRootProperty).toBool(); }

// Depth-first in creation order, not entering other dialogs.
template <class Visit> bool VisitControls(const QWidget* parent, Visit&& visit) {
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow()) continue;
        if (visit(child)) return true;
        if (!IsDialogRoot(child) && VisitControls(child, visit)) return true;
    }
    return false;
}

// The window that receives a control's notifications: the nearest ancestor with a window
// object or that is a dialog, else the direct parent.
QWidget* OwnerOf(QWidget* control) {
    for (QWidget* w = control->parentWidget(); w; w = w->parentWidget())
        if (CWnd::FromHandlePermanent(w) || IsDialogRoot(w)) return w;
    return control->parentWidget();
}

LRESULT SendTo(QWidget* widget, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!widget) return 0;
    MessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(widget, &event);
    return event.result;
}

// Holds the temporary window objects of a widget; dies with it.
class TemporaryWrappers : public QObject {
public:
    using QObject::QObject;
    std::map<std::type_index, std::unique_ptr<CWnd>> wrappers;
};

}  // namespace

QEvent::Type MessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void SetControlId(QWidget* widget, int id) {
    if (widget) widget->setProperty(kIdProperty, id);
}

int ControlId(const QWidget* widget) { return widget ? widget->property(kIdProperty).toInt() : 0; }

QWidget* FindControl(const QWidget* parent, int id) {
    if (!parent) return nullptr;
    QWidget* found = nullptr;
    VisitControls(parent, [&](QWidget* child) {
        if (child->property(kIdProperty).isValid() && ControlId(child) == id) {
            found = child;
            return true;
        }
        return false;
    });
    return found;
}

void NotifyCommand(QWidget* control, UINT code) {
    if (!control) return;
    SendTo(OwnerOf(control), WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(ControlId(control)), code),
           reinterpret_cast<LPARAM>(HandleFromWidget(control)));
}

LRESULT NotifyParent(QWidget* control, NMHDR* header, UINT code) {
    if (!control || !header) return 0;
    header->hwndFrom = HandleFromWidget(control);
    header->idFrom = static_cast<UINT_PTR>(ControlId(control));
    header->code = code;
    return SendTo(OwnerOf(control), WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

bool IsEventConsumed(const QEvent* event) { return event && event == g_consumedEvent; }
void MarkEventConsumed(const QEvent* event) { g_consumedEvent = event; }

}  // namespace leaf::ui

using namespace leaf::ui;

// Delivers the widget's events to its window object.
class WndEventBridge : public QObject {
public:
    explicit WndEventBridge(CWnd* owner) : m_owner(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return m_owner->HandleQtEvent(watched, event); }

private:
    CWnd* m_owner;
};

CWnd::CWnd() = default;

CWnd::~CWnd() {
    m_timers.clear();
    m_controlSite.reset();
    if (m_temporary || !m_widget) return;
    QWidget* widget = Detach();
    // A window object that made its widget destroys it with itself.
    if (widget && widget->property("leafOwnedByWnd").toBool()) delete widget;
}

BOOL CWnd::Attach(QWidget* widget) {
    if (!widget || m_widget || FromHandlePermanent(widget)) return FALSE;
    m_widget = widget;
    widget->setProperty(kWndProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    m_bridge = std::make_unique<WndEventBridge>(this);
    widget->installEventFilter(m_bridge.get());
    QObject::connect(widget, &QObject::destroyed, m_bridge.get(), [this] { WidgetDestroyed(); });
    return TRUE;
}

void CWnd::AttachCreated(QWidget* widget) {
    if (!Attach(widget)) return;
    widget->setProperty("leafOwnedByWnd", true);
}

QWidget* CWnd::Detach() {
    QWidget* widget = m_widget;
    if (widget) {
        widget->removeEventFilter(m_bridge.get());
        widget->setProperty(kWndProperty, QVariant());
    }
    m_bridge.reset();
    m_widget = nullptr;
    return widget;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent) return FALSE;
    return Attach(FindControl(parent->GetWidget(), static_cast<int>(id)));
}

CWnd* CWnd::FromHandlePermanent(QWidget* widget) {
    if (!widget) return nullptr;
    QVariant value = widget->property(kWndProperty);
    return value.isValid() ? reinterpret_cast<CWnd*>(value.value<quintptr>()) : nullptr;
}

CWnd* CWnd::FromHandle(QWidget* widget) { return FromHandleAs<CWnd>(widget); }

CWnd* CWnd::TemporaryWrapper(QWidget* widget, std::type_index type, std::unique_ptr<CWnd> (*make)()) {
    TemporaryWrappers* holder = nullptr;
    for (QObject* child : widget->children())
        if ((holder = dynamic_cast<TemporaryWrappers*>(child))) break;
    if (!holder) holder = new TemporaryWrappers(widget);
    auto& slot = holder->wrappers[type];
    if (!slot) {
        slot = make();
        slot->m_widget = widget;
        slot->m_temporary = true;
    }
    return slot.get();
}

void CWnd::WidgetDestroyed() {
    // The widget went away under us (its parent was destroyed): the window object
    // sees the end of its window as it would with DestroyWindow.
    m_timers.clear();
    if (m_controlSite) m_controlSite->ForgetWidget();
    m_controlSite.reset();
    m_widget = nullptr;
    if (m_destroying) return;
    m_destroying = true;
    OnDestroy();
    PostNcDestroy();
}

int CWnd::GetDlgCtrlID() const { return ControlId(m_widget); }

int CWnd::SetDlgCtrlID(int id) {
    int previous = GetDlgCtrlID();
    SetControlId(m_widget, id);
    return previous;
}

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(FindControl(m_widget, id)); }

CWnd* CWnd::GetParent() const {
    if (!m_widget) return nullptr;
    if (m_widget->isWindow()) return FromHandle(m_widget->parentWidget());
    return FromHandle(OwnerOf(m_widget));
}

CWnd* CWnd::GetTopLevelParent() const { return m_widget ? FromHandle(m_widget->window()) : nullptr; }

void CWnd::SetWindowText(const char* text) {
    if (!m_widget) return;
    QString value = QString::fromUtf8(text ? text : "");
    if (auto* edit = qobject_cast<QLineEdit*>(m_widget)) {
        if (edit->text() != value) edit->setText(value);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(m_widget)) {
        if (plain->toPlainText() != value) plain->setPlainText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(m_widget)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(m_widget)) {
        label->setText(value);
    } else if (auto* group = qobject_cast<QGroupBox*>(m_widget)) {
        group->setTitle(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(m_widget); combo && combo->isEditable()) {
        combo->setEditText(value);
    } else {
        m_widget->setWindowTitle(value);
    }
}

CString CWnd::GetWindowText() const {
    if (!m_widget) return {};
    QString value;
    if (auto* edit = qobject_cast<QLineEdit*>(m_widget)) value = edit->text();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(m_widget)) value = plain->toPlainText();
    else if (auto* button = qobject_cast<QAbstractButton*>(m_widget)) value = button->text();
    else if (auto* label = qobject_cast<QLabel*>(m_widget)) value = label->text();
    else if (auto* group = qobject_cast<QGroupBox*>(m_widget)) value = group->title();
    else if (auto* combo = qobject_cast<QComboBox*>(m_widget)) value = combo->currentText();
    else value = m_widget->windowTitle();
    return CString(value.toStdString());
}

void CWnd::SetDlgItemText(int id, const char* text) {
    if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    CWnd* item = GetDlgItem(id);
    text = item ? item->GetWindowText() : CString();
    return text.GetLength();
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
    CString text;
    if (isSigned) text.Format("%d", static_cast<int>(value));
    else text.Format("%u", value);
    SetDlgItemText(id, text.c_str());
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
    if (translated) *translated = FALSE;
    CWnd* item = GetDlgItem(id);
    if (!item) return 0;
    CString text = item->GetWindowText();
    text.Trim();
    const std::string& s = text.str();
    size_t i = 0;
    bool negative = false;
    if (isSigned && i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i == s.size()) return 0;
    unsigned long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return 0;
        value = value * 10 + static_cast<unsigned>(s[i] - '0');
        if (value > (isSigned ? 2147483648ULL : 4294967295ULL)) return 0;   // out of range: not a number
    }
    if (isSigned && !negative && value > 2147483647ULL) return 0;
    if (translated) *translated = TRUE;
    return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

void CWnd::SetCheckState(int check) {
    auto* button = qobject_cast<QAbstractButton*>(m_widget.data());
    if (!button) return;
    auto* box = qobject_cast<QCheckBox*>(button);
    if (box && check == BST_INDETERMINATE) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
        return;
    }
    if (!button->isCheckable()) button->setCheckable(true);
    button->setChecked(check == BST_CHECKED);
}

void CWnd::CheckDlgButton(int id, UINT check) {
    if (CWnd* item = GetDlgItem(id)) item->SetCheckState(static_cast<int>(check));
}

UINT CWnd::IsDlgButtonChecked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(FindControl(m_widget, id));
    if (!button) return BST_UNCHECKED;
    if (auto* box = qobject_cast<QCheckBox*>(button); box && box->checkState() == Qt::PartiallyChecked)
        return BST_INDETERMINATE;
    return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id)
        if (auto* button = qobject_cast<QAbstractButton*>(FindControl(m_widget, id))) {
            // Unchecking a member of an exclusive group needs the group's exclusivity lifted.
            if (id != checkId && button->isChecked()) {
                bool exclusive = button->autoExclusive();
                button->setAutoExclusive(false);
                button->setChecked(false);
                button->setAutoExclusive(exclusive);
            }
        }
    CheckDlgButton(checkId, BST_CHECKED);
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) const {
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(id) == BST_CHECKED) return id;
    return 0;
}

BOOL CWnd::ShowWindow(int command) {
    if (!m_widget) return FALSE;
    BOOL wasVisible = m_widget->isVisible();
    switch (command) {
        case SW_HIDE: m_widget->hide(); break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE: m_widget->showMinimized(); break;
        case SW_SHOWMAXIMIZED: m_widget->showMaximized(); break;
        case SW_RESTORE: m_widget->showNormal(); break;
        default: m_widget->show(); break;
    }
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const { return m_widget && m_widget->isVisible(); }

BOOL CWnd::EnableWindow(BOOL enable) {
    if (!m_widget) return FALSE;
    BOOL wasDisabled = !m_widget->isEnabled();
    m_widget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_widget && m_widget->isEnabled(); }

void CWnd::SetFocus() {
    if (m_widget) m_widget->setFocus(Qt::OtherFocusReason);
}

void CWnd::GetWindowRect(LPRECT rect) const {
    if (!rect) return;
    *rect = {};
    if (!m_widget) return;
    QRect r = m_widget->isWindow() ? m_widget->frameGeometry() : QRect(m_widget->mapToGlobal(QPoint(0, 0)), m_widget->size());
    *rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (!rect) return;
    *rect = {};
    if (m_widget) *rect = {0, 0, m_widget->width(), m_widget->height()};
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    if (!m_widget) return;
    m_widget->setGeometry(x, y, std::max(0, width), std::max(0, height));
    if (repaint) m_widget->update();
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
    if (rect) MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    if (!m_widget) return;
    QWidget* over = alternateOwner ? alternateOwner->GetWidget() : m_widget->parentWidget();
    if (m_widget->isWindow()) {
        // A window opens centred on the owner's window that is on screen, inside the work area.
        leaf::ui::PlaceOverOwner(m_widget, over);
        return;
    }
    QRect area;
    if (over) area = QRect(over->window()->mapToGlobal(QPoint(0, 0)), over->window()->size());
    else if (QScreen* screen = m_widget->screen()) area = screen->availableGeometry();
    if (area.isEmpty()) return;
    QSize size = m_widget->frameGeometry().size();
    QPoint topLeft(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2);
    m_widget->move(m_widget->parentWidget()->mapFromGlobal(topLeft));
}

void CWnd::Invalidate(BOOL) {
    if (m_widget) m_widget->update();
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) {
    if (!m_widget || id == 0) return 0;
    auto& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
            if (m_widget) SendTo(m_widget, WM_TIMER, id, 0);
        });
    }
    timer->start(static_cast<int>(std::min<UINT>(elapse, std::numeric_limits<int>::max())));
    return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) { return m_timers.erase(id) ? TRUE : FALSE; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return SendTo(m_widget, message, wParam, lParam); }

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_widget) return FALSE;
    QCoreApplication::postEvent(m_widget, new MessageEvent(message, wParam, lParam));
    return TRUE;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep) {
    if (!m_widget) return;
    // A handler may create, move or delete windows, so the children are taken before any
    // is sent to, and a child that is gone by its turn is passed over.
    std::function<void(QWidget*)> send = [&](QWidget* parent) {
        std::vector<QPointer<QWidget>> children;
        for (QObject* object : parent->children()) {
            if (auto* child = qobject_cast<QWidget*>(object)) children.emplace_back(child);
        }
        for (const QPointer<QWidget>& child : children) {
            if (!child) continue;
            SendTo(child, message, wParam, lParam);
            if (deep && child) send(child);
        }
    };
    send(m_widget);
}

BOOL CWnd::DestroyWindow() {
    if (!m_widget || m_destroying) return FALSE;
    m_destroying = true;
    SendMessage(WM_DESTROY);
    SendMessage(WM_NCDESTROY);
    m_timers.clear();
    m_controlSite.reset();
    QWidget* widget = Detach();
    // Deleted once control returns to the event loop: the call may come from one of the
    // widget's own handlers. Hidden at once so that it is gone for the person.
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
    PostNcDestroy();
    return TRUE;
}

bool CWnd::HandleQtEvent(QObject* watched, QEvent* event) {
    if (watched != m_widget) return false;
    if (event->type() == MessageEvent::EventType()) {
        if (IsEventConsumed(event)) return true;
        auto* message = static_cast<MessageEvent*>(event);
        message->result = WindowProc(message->message, message->wParam, message->lParam);
        return true;
    }
    if (IsEventConsumed(event)) return false;
    if (m_widget->property("leafAcceptFiles").toBool()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            bool files = false;
            if (drag->mimeData())
                for (const QUrl& url : drag->mimeData()->urls()) files = files || url.isLocalFile();
            if (files) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            DropList list;
            if (drop->mimeData())
                for (const QUrl& url : drop->mimeData()->urls())
                    if (url.isLocalFile()) list.paths.push_back(url.toLocalFile().toStdString());
            QPoint at = drop->position().toPoint();
            list.point = {at.x(), at.y()};
            if (!list.paths.empty()) {
                drop->acceptProposedAction();
                SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(&list), 0);
                return true;
            }
        }
    }
    if (event->type() == QEvent::Resize) {
        auto* resize = static_cast<QResizeEvent*>(event);
        UINT type = m_widget->isMinimized() ? SIZE_MINIMIZED : m_widget->isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
        WindowProc(WM_SIZE, type, MAKELPARAM(static_cast<unsigned>(resize->size().width()),
                                             static_cast<unsigned>(resize->size().height())));
    }
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (OnCommand(wParam, lParam)) return 0;
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (OnNotify(wParam, lParam, &result)) return result;
            break;
        }
        case WM_TIMER: OnTimer(wParam); return 0;
        case WM_SIZE: OnSize(static_cast<UINT>(wParam), LOWORD(static_cast<WPARAM>(lParam)), HIWORD(static_cast<WPARAM>(lParam))); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        case WM_IDLEUPDATECMDUI: OnIdleUpdateCmdUI(static_cast<BOOL>(wParam)); return 0;
        case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
        default: break;
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) { return 0; }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (lParam == 0 && code <= 1) {
        // From a menu or an accelerator: a command whose update disables it does not run.
        CCmdUI state;
        state.m_nID = id;
        OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state);
        if (!state.m_enabled) return TRUE;
        code = CN_COMMAND;
    }
    return OnCmdMsg(id, code, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    return OnCmdMsg(static_cast<UINT>(header->idFrom), CN_NOTIFY, header, result);
}

void CWnd::OnTimer(UINT_PTR) {}
void CWnd::OnDropFiles(HDROP) {}

void CWnd::DragAcceptFiles(BOOL accept) {
    if (!m_widget) return;
    m_widget->setAcceptDrops(accept != FALSE);
    m_widget->setProperty("leafAcceptFiles", accept != FALSE);
}

BOOL CWnd::CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (m_widget || !parent || !parent->GetWidget()) return FALSE;
    std::unique_ptr<ControlSite> site = ControlSite::Create(clsid, parent->GetWidget(), id, style);
    if (!site) return FALSE;
    QWidget* widget = site->Widget();
    widget->setGeometry(rect.left, rect.top, std::max<LONG>(0, rect.right - rect.left), std::max<LONG>(0, rect.bottom - rect.top));
    if (windowName) widget->setWindowTitle(QString::fromUtf8(windowName));
    AttachCreated(widget);
    m_controlSite = std::move(site);
    return TRUE;
}

IUnknown* CWnd::GetControlUnknown() const { return m_controlSite ? m_controlSite->Unknown() : nullptr; }

IDispatch* CWnd::GetControlDispatch() const { return m_controlSite ? m_controlSite->Dispatch() : nullptr; }
void CWnd::OnSize(UINT, int, int) {}
void CWnd::OnDestroy() {}
void CWnd::PostNcDestroy() {}
void CWnd::OnIdleUpdateCmdUI(BOOL) {}

BOOL CWnd::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    return CCmdTarget::OnCmdMsg(id, code, extra, result, probe);
}

UINT DragQueryFile(HDROP drop, UINT index, CString* path) {
    if (!drop) return 0;
    if (index == 0xFFFFFFFF) return static_cast<UINT>(drop->paths.size());
    if (index >= drop->paths.size()) {
        if (path) path->Empty();
        return 0;
    }
    if (path) *path = CString(drop->paths[index]);
    return static_cast<UINT>(drop->paths[index].size());
}

BOOL DragQueryPoint(HDROP drop, POINT* point) {
    if (!drop || !point) return FALSE;
    *point = drop->point;
    return TRUE;
}
