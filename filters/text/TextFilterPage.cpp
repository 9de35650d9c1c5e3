#include "filters/text/TextFilterPage.h"

#include "filters/framework/FilterApp.h"
#include "filters/text/TextFilter.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/SimpleControls.h"

CTextFilterPage::CTextFilterPage(IUnknown* owner, UINT dialogId, CTextFilter& filter)
    : CFilterPropertyPage(owner, dialogId), m_filter(filter) {}

void CTextFilterPage::LoadControls(CDialog& page) {
    if (const CFilterApp* app = CFilterApp::GetApp())
        m_filter.SetTabStop(static_cast<int>(
            app->GetProfileInt(CTextFilter::kProfileSection, CTextFilter::kTabStopEntry, CTextFilter::kDefaultTabStop)));
    if (auto* spin = page.GetDlgItemAs<CSpinButtonCtrl>(IDC_TEXT_TAB_STOP_SPIN))
        spin->SetRange(1, CTextFilter::kMaxTabStop);
    page.SetDlgItemInt(IDC_TEXT_TAB_STOP, static_cast<UINT>(m_filter.GetTabStop()));
}

void CTextFilterPage::HoldControls(CDialog& page) {
    // A value outside 1..64 counts as 4.
    const int tabStop = static_cast<int>(page.GetDlgItemInt(IDC_TEXT_TAB_STOP, nullptr, TRUE));
    m_held = tabStop < 1 || tabStop > CTextFilter::kMaxTabStop ? CTextFilter::kDefaultTabStop : tabStop;
}

void CTextFilterPage::SaveHeld() {
    if (!m_held)
        return;
    m_filter.SetTabStop(*m_held);
    if (CFilterApp* app = CFilterApp::GetApp())
        app->WriteProfileInt(CTextFilter::kProfileSection, CTextFilter::kTabStopEntry, m_filter.GetTabStop());
}

LRESULT CTextFilterPage::OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE)
        SetDirty(TRUE);
    return DefPageMessage(page, message, wParam, lParam);
}
