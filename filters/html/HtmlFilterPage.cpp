#include "filters/html/HtmlFilterPage.h"

#include "filters/framework/FilterApp.h"
#include "filters/html/HtmlFilter.h"
#include "filters/html/HtmlFilterIds.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/SimpleControls.h"

CHtmlFilterPage::CHtmlFilterPage(IUnknown* owner, UINT dialogId, CHtmlFilter& filter)
    : CFilterPropertyPage(owner, dialogId), m_filter(filter) {}

void CHtmlFilterPage::LoadControls(CDialog& page) {
    const int level = CHtmlFilter::ReadWalkLinkLevel();
    m_filter.SetWalkLinkLevel(level);
    if (auto* spin = page.GetDlgItemAs<CSpinButtonCtrl>(IDC_HTML_LEVEL_SPIN))
        spin->SetRange(1, kMaxWalkLinkLevel);
    // Level 0 shows as 1 with the box cleared, so that checking the box offers a level.
    page.SetDlgItemInt(IDC_HTML_LEVEL, static_cast<UINT>(level == 0 ? 1 : level));
    page.CheckDlgButton(IDC_HTML_PROCESS_LINKS, level != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableLevelControls(page);
}

void CHtmlFilterPage::HoldControls(CDialog& page) {
    int level = 0;
    if (page.IsDlgButtonChecked(IDC_HTML_PROCESS_LINKS) == BST_CHECKED)
        level = static_cast<int>(page.GetDlgItemInt(IDC_HTML_LEVEL, nullptr, TRUE));
    m_held = CHtmlFilter::ClampWalkLinkLevel(level);
}

void CHtmlFilterPage::SaveHeld() {
    if (!m_held)
        return;
    m_filter.SetWalkLinkLevel(*m_held);
    if (CFilterApp* app = CFilterApp::GetApp())
        app->WriteProfileInt(kHtmlFilterSection, kWalkLinkLevelEntry, m_filter.GetWalkLinkLevel());
}

LRESULT CHtmlFilterPage::OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (HIWORD(wParam) == BN_CLICKED) {
            EnableLevelControls(page);
            SetDirty(TRUE);
        } else if (HIWORD(wParam) == EN_CHANGE) {
            SetDirty(TRUE);
        }
    }
    return DefPageMessage(page, message, wParam, lParam);
}

void CHtmlFilterPage::EnableLevelControls(CDialog& page) {
    const BOOL enable = page.IsDlgButtonChecked(IDC_HTML_PROCESS_LINKS) == BST_CHECKED;
    for (int id : {IDC_HTML_LEVEL, IDC_HTML_LEVEL_SPIN, IDC_HTML_LEVEL_LABEL})
        if (CWnd* control = page.GetDlgItem(id))
            control->EnableWindow(enable);
}
