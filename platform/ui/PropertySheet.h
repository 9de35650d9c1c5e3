#pragma once

// CPropertySheet: pages shown as tabs with OK, Cancel and Apply, or in wizard mode one at
// a time with Back, Next, Finish and Cancel. DoModal answers IDOK, IDCANCEL or, for a
// wizard that finished, ID_WIZFINISH (12325). The buttons can be pressed by code
// (PressButton), which is how tests and the program drive a running sheet.

#include <QPointer>
#include <QSize>
#include <vector>

#include "platform/ui/PropertyPage.h"

class QDialog;
class QPushButton;
class QStackedWidget;
class QTabBar;

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(const char* caption = nullptr, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    void RemovePage(int index);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(CPropertyPage* page) const;
    int GetActiveIndex() const { return m_active; }
    CPropertyPage* GetActivePage() const { return GetPage(m_active); }
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

    void SetTitle(const char* title);
    void SetWizardMode() { m_wizard = true; }
    BOOL IsWizard() const { return m_wizard; }
    void SetWizardButtons(DWORD flags);
    DWORD GetWizardButtons() const { return m_wizardButtons; }
    void SetFinishText(const char* text);
    // PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_OK, PSBTN_APPLYNOW, PSBTN_CANCEL, PSBTN_HELP.
    BOOL PressButton(int button);

    virtual int DoModal();
    virtual BOOL OnInitDialog() { return TRUE; }

    // Called by pages.
    void PageModified(CPropertyPage* page);
    QPushButton* Button(int button) const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Build();
    bool EnsurePageWindow(int index);
    bool ApplyAll();
    void Finish(int result);
    void UpdateButtons();
    bool MoveTo(int index);
    // The size that holds the largest page, from the pages' templates.
    QSize LargestPageSize() const;
    // Grows the shown sheet (and centres it again) when the active page needs more room.
    void KeepPageInView();

    std::string m_title;
    CWnd* m_parent = nullptr;
    std::vector<CPropertyPage*> m_pages;
    int m_start = 0;
    int m_active = -1;
    bool m_wizard = false;
    DWORD m_wizardButtons = PSWIZB_BACK | PSWIZB_NEXT;
    std::string m_finishText;
    QPointer<QDialog> m_dialog;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_buttons[7] = {};
    int m_result = -1;
    bool m_inLoop = false;
};
