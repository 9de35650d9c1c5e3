#pragma once

// CWarningDlg: a warning that the author may silence for good. The dialog shows one of the
// warning templates (230-234); ticking "Do not show this message again" (1060) and
// confirming with OK stores 1 under the warning's key in the profile section
// "Suppressable Warnings", and from then on DoModal answers IDOK at once without showing
// anything. Cancel never suppresses. Callers go on only when DoModal answers IDOK.

#include "platform/ui/Dialog.h"

class CWarningDlg : public CDialog {
public:
    // The warning templates and their keys.
    static constexpr UINT IDD_TOC_HEADINGS = 230;     // "TOC Headings"
    static constexpr UINT IDD_NO_READER = 231;        // "No Reader"
    static constexpr UINT IDD_PPC_FIND_ISSUE = 232;   // "PPC Find Issue"
    static constexpr UINT IDD_FALLBACKS = 233;        // "Fallbacks"
    static constexpr UINT IDD_TOUR_HEADINGS = 234;    // no caller
    static constexpr UINT IDC_DONT_SHOW_AGAIN = 1060;
    static constexpr const char* kSection = "Suppressable Warnings";

    CWarningDlg(UINT templateId, const char* key, CWnd* parent = nullptr);

    // Whether the warning under `key` has been silenced by the current user.
    static BOOL IsSuppressed(const char* key);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnHelp() override;

    const CString& GetKey() const { return m_key; }

private:
    CString m_key;
};
