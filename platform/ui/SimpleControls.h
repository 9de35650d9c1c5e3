#pragma once

// The small controls: static text and icons, progress bar, up-down control, tab control
// and tooltips.

#include <QWidget>

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

// The up-down control's widget: two arrow buttons that step the number in its buddy
// edit field within a range. Each step asks the dialog first (UDN_DELTAPOS; a non-zero
// answer refuses it), then writes the buddy's text (so the field reports EN_CHANGE).
class UpDownWidget : public QWidget {
public:
    UpDownWidget();
    int lower = 0;
    int upper = 100;
    int position = 0;
    int buddyId = 0;
    void Step(int delta);
    QWidget* Buddy() const;
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
    // Presses the up (delta +1) or down (-1) arrow as a person would.
    void PressArrow(int delta);

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
