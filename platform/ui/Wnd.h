#pragma once

// CWnd: a window of the layer over a QWidget. Every control carries its numeric id
// (the widget property "leafId"); GetDlgItem finds it among the window's children.
// Messages sent to a window travel as a MessageEvent through Qt's event filters, so
// window hooks (WndHook.h, event filters installed later) see them before the window's
// own WindowProc; posted messages are queued in order.

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <typeindex>

#include "platform/com/Guid.h"
#include "platform/ui/CmdTarget.h"

class QObject;
class QTimer;
struct IDispatch;
struct IUnknown;

namespace leaf::ui {
class ControlSite;
}

namespace leaf::ui {

// A message as a Qt event; `result` carries the answer back to SendMessage.
class MessageEvent : public QEvent {
public:
    static QEvent::Type EventType();
    MessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam) {}
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
};

inline HWND HandleFromWidget(QWidget* widget) { return reinterpret_cast<HWND>(widget); }
inline QWidget* WidgetFromHandle(HWND handle) { return reinterpret_cast<QWidget*>(handle); }

// Control ids on widgets. A widget without an id answers 0.
void SetControlId(QWidget* widget, int id);
int ControlId(const QWidget* widget);
// The child with that id, searched below `parent` without entering other dialogs
// (a page inside a sheet keeps its own ids).
QWidget* FindControl(const QWidget* parent, int id);

// Sends WM_COMMAND (id, code) for a control to the window that owns it (the nearest
// ancestor with a window object).
void NotifyCommand(QWidget* control, UINT code);
// Sends WM_NOTIFY for a control; `header` is filled with the sender. Returns the answer.
LRESULT NotifyParent(QWidget* control, NMHDR* header, UINT code);

// The event the last hook consumed: later filters of the same event leave it alone.
bool IsEventConsumed(const QEvent* event);
void MarkEventConsumed(const QEvent* event);

}  // namespace leaf::ui

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;

    // The widget. A window object made with Create* or Attach owns the association;
    // the widget itself is owned by its Qt parent, or by this object when it has none.
    QWidget* GetWidget() const { return m_widget; }
    HWND GetSafeHwnd() const { return leaf::ui::HandleFromWidget(m_widget); }
    BOOL Attach(QWidget* widget);
    QWidget* Detach();
    // Attaches this object to the control with that id inside `parent`.
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // The window object of a widget: its permanent one, else a temporary one that lives
    // as long as the widget. Null for a null widget.
    static CWnd* FromHandle(QWidget* widget);
    static CWnd* FromHandle(HWND handle) { return FromHandle(leaf::ui::WidgetFromHandle(handle)); }
    static CWnd* FromHandlePermanent(QWidget* widget);
    // A wrapper of a given class (CEdit, CButton, ...) for a widget: the permanent object
    // when it is of that class, else a temporary one of that class.
    template <class T> static T* FromHandleAs(QWidget* widget) {
        if (!widget) return nullptr;
        if (auto* permanent = dynamic_cast<T*>(FromHandlePermanent(widget))) return permanent;
        return static_cast<T*>(TemporaryWrapper(widget, typeid(T), [] { return std::unique_ptr<CWnd>(new T); }));
    }

    // Ids and children.
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int id);
    CWnd* GetDlgItem(int id) const;
    template <class T> T* GetDlgItemAs(int id) const { return FromHandleAs<T>(leaf::ui::FindControl(m_widget, id)); }
    CWnd* GetParent() const;
    CWnd* GetTopLevelParent() const;

    // Text.
    void SetWindowText(const char* text);
    CString GetWindowText() const;
    int GetWindowTextLength() const { return GetWindowText().GetLength(); }
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    // The number at the start of the control's text, as the platform reads it: optional
    // sign (when signed) and decimal digits. `translated` tells whether one was there.
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    int GetCheckedRadioButton(int firstId, int lastId) const;
    // The check state of a window that can be checked (a button); used by CCmdUI.
    virtual void SetCheckState(int check);

    // Showing, enabling, focus.
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    void SetFocus();
    BOOL IsWindow() const { return m_widget != nullptr; }

    // Geometry: window rectangles in screen coordinates, client rectangles from 0,0,
    // moves in the parent's coordinates.
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void Invalidate(BOOL erase = TRUE);

    // Timers by id: WM_TIMER with the id arrives every `elapse` ms until KillTimer.
    // Setting an id that runs already restarts it.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);
    BOOL DestroyWindow();

    // Files dropped from outside: with accept, a drop of local files sends WM_DROPFILES
    // (OnDropFiles) with the list of their paths.
    void DragAcceptFiles(BOOL accept = TRUE);
    virtual void OnDropFiles(HDROP drop);

    // Hosts a control made by CLSID (CoCreateInstance from the module registered for it)
    // as a child window of `parent` with control id `id`; WS_VISIBLE in `style` shows it.
    // The control's events (its first connection point, an event dispatch interface) go
    // to `parent` as CN_EVENT with the control id, where an event sink map (MapEvent)
    // handles them. FALSE when the control cannot be made (nothing is left behind).
    virtual BOOL CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect,
                               CWnd* parent, UINT id);
    // The hosted control's IUnknown and IDispatch (no reference added); null when this
    // window hosts none.
    IUnknown* GetControlUnknown() const;
    IDispatch* GetControlDispatch() const;

    // The message handling chain.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnDestroy();
    virtual void PostNcDestroy();
    // Command-update of the window's children at idle (WM_IDLEUPDATECMDUI).
    virtual void OnIdleUpdateCmdUI(BOOL disableIfNoHandler);

    // Routes a command: by default to this window only; frames route further.
    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;

protected:
    // Binds a new widget to this object (the widget becomes owned by this object while it
    // has no Qt parent).
    void AttachCreated(QWidget* widget);

private:
    friend class WndEventBridge;
    bool HandleQtEvent(QObject* watched, QEvent* event);
    void WidgetDestroyed();
    static CWnd* TemporaryWrapper(QWidget* widget, std::type_index type, std::unique_ptr<CWnd> (*make)());

    QPointer<QWidget> m_widget;
    std::unique_ptr<QObject> m_bridge;
    std::unique_ptr<leaf::ui::ControlSite> m_controlSite;
    std::map<UINT_PTR, std::unique_ptr<QTimer>> m_timers;
    bool m_destroying = false;
    bool m_temporary = false;
};
