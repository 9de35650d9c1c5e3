#pragma once

// The small controls: static text and icons, progress bar, up-down control, tab control
// and tooltips.

#include <QElapsedTimer>
#include <QWidget>
#include <vector>

#include "platform/ui/ResourceScript.h"
#include "platform/ui/Wnd.h"

class CStatic : public CWnd {
public:
    // Template: label (text; a "&" makes the next control its mnemonic target), icon
    // (flag warning, information, question or error).
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    int SetPos(int position);        // the previous position; clamped to the range
    int GetPos() const;
    int OffsetPos(int delta);
    int SetStep(int step);           // the previous step
    // Advances by the step; past the upper end it wraps round to the lower end.
    int StepIt();

    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};

// One step of an up-down control's acceleration: once an arrow has been held for nSec
// seconds, each repeat moves by nInc.
struct UDACCEL {
    UINT nSec = 0;
    UINT nInc = 1;
};

// The up-down control's widget: two arrow buttons that step the number in its buddy
// edit field within a range. Each step asks the dialog first (UDN_DELTAPOS; a non-zero
// answer refuses it), then writes the buddy's text (so the field reports EN_CHANGE).
// While an arrow is held, its repeats move by the increment of the acceleration table.
class UpDownWidget : public QWidget {
public:
    UpDownWidget();
    int lower = 0;
    int upper = 100;
    int position = 0;
    int buddyId = 0;
    std::vector<UDACCEL> acceleration{UDACCEL{}};
    void Step(int delta);
    // The increment of an arrow held for this long: that of the last entry whose time has
    // come, 1 before the first.
    int IncrementAfter(qint64 heldMilliseconds) const;
    QWidget* Buddy() const;

private:
    void Repeat(int direction);
    QElapsedTimer m_held;
};

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(int lower, int upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
    int SetPos(int position);        // also shown in the buddy; the previous position
    int GetPos() const;              // the buddy's number when it has one
    CWnd* SetBuddy(CWnd* buddy);     // the previous buddy
    CWnd* GetBuddy() const;
    // The acceleration table (entries in rising order of time); FALSE for none.
    BOOL SetAccel(int count, const UDACCEL* entries);
    int GetAccel(int count, UDACCEL* entries) const;  // the number of entries
    // Presses the up (delta +1) or down (-1) arrow as a person would, for a repeat that
    // comes after the arrow has been held so long.
    void PressArrow(int delta, int heldMilliseconds = 0);

    // Option buddy=ID names the edit field it steps.
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};

class CTabCtrl : public CWnd {
public:
    int InsertItem(int index, const char* text);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);        // the previous selection; code sends no notification
    CString GetItemText(int index) const;

    // A change by a person sends TCN_SELCHANGE.
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};

class CToolTipCtrl {
public:
    BOOL Create(CWnd* parent);
    BOOL AddTool(CWnd* window, const char* text);
    void UpdateTipText(const char* text, CWnd* window);
    CString GetText(CWnd* window) const;
    void Activate(BOOL activate);

private:
    QPointer<QWidget> m_parent;
    bool m_active = true;
};
