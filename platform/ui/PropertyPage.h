#pragma once

// CPropertyPage: one page of a property sheet or wizard, made from a child dialog
// template; its tab title is the template's caption. The sheet creates the page's window
// the first time it becomes active.

#include "platform/ui/Dialog.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId = 0, UINT captionId = 0);

    // Activation: OnSetActive when the page comes to the front (FALSE: the sheet skips
    // it), OnKillActive when it leaves (FALSE: it stays).
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    // OK and Apply: OnApply for each page that was created (FALSE keeps the sheet open);
    // the default calls OnOK and clears the modified flag.
    virtual BOOL OnApply();
    void OnOK() override;
    void OnCancel() override;
    virtual BOOL OnQueryCancel() { return TRUE; }
    // Wizards: 0 moves to the neighbouring page, -1 stays, another value names the
    // template id of the page to go to. OnWizardFinish FALSE keeps the wizard open.
    virtual LRESULT OnWizardBack() { return 0; }
    virtual LRESULT OnWizardNext() { return 0; }
    virtual BOOL OnWizardFinish() { return TRUE; }

    // Marks the page changed (the sheet enables Apply).
    void SetModified(BOOL changed = TRUE);
    BOOL IsModified() const { return m_modified; }
    CString GetTitle() const;
    CPropertySheet* GetSheet() const { return m_sheet; }

private:
    friend class CPropertySheet;
    CPropertySheet* m_sheet = nullptr;
    UINT m_captionId = 0;
    BOOL m_modified = FALSE;
};
