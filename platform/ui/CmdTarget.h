#pragma once

// CCmdTarget: an object that handles commands by id. Handlers live in tables keyed by
// command id (the message-map idea): a derived class fills its tables in its
// constructor with MapCommand, MapUpdateUI and friends, naming member functions.
// CCmdUI is the command-update record: a handler enables, checks or retitles the menu
// item, toolbar button or control that shows a command.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "platform/ui/WinDefs.h"

class CCmdTarget;
class CCmdUI;
struct IDispatch;
struct DISPPARAMS;

namespace leaf::ui {
// The IDispatch face of a command target (DispatchMap.h makes it).
class AutomationFace {
public:
    virtual ~AutomationFace() = default;
    virtual IDispatch* Dispatch() = 0;
};
}  // namespace leaf::ui
class CMenu;
class CWnd;

// Codes given to OnCmdMsg with a command id.
inline constexpr int CN_COMMAND = 0;
inline constexpr int CN_UPDATE_COMMAND_UI = -1;
inline constexpr int CN_NOTIFY = 0x4E;   // a WM_NOTIFY record travels as the extra argument
inline constexpr int CN_EVENT = -5;        // an event of a hosted control: extra is an AFX_EVENT

// An event fired by a control hosted in a window (CWnd::CreateControl): the control's id
// travels as the command id, the event's dispatch id and arguments here. m_bHandled tells
// the control site whether some handler took it.
struct AFX_EVENT {
    long m_dispid = 0;
    DISPPARAMS* m_pDispParams = nullptr;   // arguments as IDispatch::Invoke has them (last first)
    BOOL m_bHandled = FALSE;
};

// Run-time classes for window classes (views, frames, documents) that a template or a
// splitter creates by class: DECLARE_DYNCREATE in the class, IMPLEMENT_DYNCREATE in its
// source; RUNTIME_CLASS(name) names the class. DYNAMIC is the same without a factory.
#define DECLARE_DYNCREATE(className) \
    static const CRuntimeClass class##className; \
    static CObject* CreateObject(); \
    const CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_DYNCREATE(className, baseClassName) \
    CObject* className::CreateObject() { return new className; } \
    const CRuntimeClass className::class##className = {#className, 0xFFFF, &className::CreateObject}; \
    const CRuntimeClass* className::GetRuntimeClass() const { return &class##className; }
#define DECLARE_DYNAMIC(className) \
    static const CRuntimeClass class##className; \
    const CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_DYNAMIC(className, baseClassName) \
    const CRuntimeClass className::class##className = {#className, 0xFFFF, nullptr}; \
    const CRuntimeClass* className::GetRuntimeClass() const { return &class##className; }

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);   // 0 clear, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(const char* text);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Routes the record to `target`; when no update handler answers and
    // `disableIfNoHandler` is set, the item is enabled exactly when some target
    // handles the command. Returns whether a handler answered.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    // The number of items of the menu being updated; a handler that inserts or removes
    // items (the recent-file list) moves m_nIndex and m_nIndexMax with them.
    UINT m_nIndexMax = 0;
    CMenu* m_pMenu = nullptr;
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    // What the handlers asked for (a record not tied to a menu or window keeps it).
    BOOL m_enabled = TRUE;
    int m_check = 0;
    bool m_checkChanged = false;
    CString m_text;
    bool m_textChanged = false;
};

class CCmdTarget : public CObject {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Handles a command, its update or a notification. `extra` is the CCmdUI for
    // CN_UPDATE_COMMAND_UI and the NMHDR (with an LRESULT* in `result`) for CN_NOTIFY.
    // With `probe` set nothing runs: the answer says whether a handler exists.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false);

    // The object's IDispatch when automation is enabled (EnableAutomation in
    // DispatchMap.h), else null. With `addRef` the caller gets a reference of its own.
    IDispatch* GetIDispatch(BOOL addRef);
    BOOL IsAutomationEnabled() const { return m_automation != nullptr; }

    // Runs the command through this target's routing as a menu or accelerator would:
    // a command whose update says disabled is not executed. Returns whether it ran.
    BOOL ExecuteCommand(UINT id);

protected:
    // Gives the object an IDispatch answering from T::GetDispatchTable(); T is the
    // object's own class. Defined in DispatchMap.h, which the caller includes.
    template <class T> void EnableAutomation();

    // The tables. A command id with a handler for CN_COMMAND, a range, a control
    // notification (id and code), an update handler, a notification handler.
    void MapCommand(UINT id, std::function<void()> handler);
    void MapCommandRange(UINT first, UINT last, std::function<void(UINT)> handler);
    void MapControl(UINT id, UINT code, std::function<void()> handler);
    void MapUpdateUI(UINT id, std::function<void(CCmdUI*)> handler);
    void MapUpdateUIRange(UINT first, UINT last, std::function<void(CCmdUI*)> handler);
    void MapNotify(UINT id, UINT code, std::function<void(NMHDR*, LRESULT*)> handler);
    // The event sink map: an event `dispid` of the hosted control `controlId`. The
    // handler gets the event's arguments (leaf::ui::EventArgument reads them in order)
    // and answers TRUE when it handled the event.
    void MapEvent(UINT controlId, long dispid, std::function<BOOL(DISPPARAMS*)> handler);

    // The same with member functions of the derived class.
    template <class T> void MapCommand(UINT id, void (T::*fn)()) {
        T* self = static_cast<T*>(this);
        MapCommand(id, [self, fn] { (self->*fn)(); });
    }
    template <class T> void MapCommandRange(UINT first, UINT last, void (T::*fn)(UINT)) {
        T* self = static_cast<T*>(this);
        MapCommandRange(first, last, [self, fn](UINT id) { (self->*fn)(id); });
    }
    template <class T> void MapControl(UINT id, UINT code, void (T::*fn)()) {
        T* self = static_cast<T*>(this);
        MapControl(id, code, [self, fn] { (self->*fn)(); });
    }
    template <class T> void MapUpdateUI(UINT id, void (T::*fn)(CCmdUI*)) {
        T* self = static_cast<T*>(this);
        MapUpdateUI(id, [self, fn](CCmdUI* ui) { (self->*fn)(ui); });
    }
    template <class T> void MapNotify(UINT id, UINT code, void (T::*fn)(NMHDR*, LRESULT*)) {
        T* self = static_cast<T*>(this);
        MapNotify(id, code, [self, fn](NMHDR* hdr, LRESULT* r) { (self->*fn)(hdr, r); });
    }

private:
    std::unique_ptr<leaf::ui::AutomationFace> m_automation;
    struct Range {
        UINT first, last;
        std::function<void(UINT)> handler;
    };
    struct UpdateRange {
        UINT first, last;
        std::function<void(CCmdUI*)> handler;
    };
    std::map<UINT, std::function<void()>> m_commands;
    std::vector<Range> m_commandRanges;
    std::map<std::pair<UINT, UINT>, std::function<void()>> m_controls;
    std::map<UINT, std::function<void(CCmdUI*)>> m_updates;
    std::vector<UpdateRange> m_updateRanges;
    std::map<std::pair<UINT, UINT>, std::function<void(NMHDR*, LRESULT*)>> m_notifies;
    std::map<std::pair<UINT, long>, std::function<BOOL(DISPPARAMS*)>> m_events;
};
