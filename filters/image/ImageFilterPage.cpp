#include "filters/image/ImageFilterPage.h"

#include <sstream>
#include <string>

#include "filters/framework/FilterApp.h"
#include "filters/image/ImageFilter.h"
#include "filters/image/ImageFilterIds.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Resources.h"

CImageFilterPage::CImageFilterPage(IUnknown* owner, UINT dialogId, CImageFilter& filter)
    : CFilterPropertyPage(owner, dialogId), m_filter(filter) {}

void CImageFilterPage::LoadControls(CDialog& page) {
    auto* list = page.GetDlgItemAs<CComboBox>(IDC_IMAGE_ALIGN);
    if (list == nullptr)
        return;
    // The alignments offered: the pieces of "center | left | right", trimmed.
    std::istringstream pieces(leaf::ui::LoadResString(IDS_IMAGE_ALIGNMENTS).str());
    for (std::string piece; std::getline(pieces, piece, '|');) {
        CString alignment(piece);
        alignment.Trim();
        if (!alignment.IsEmpty())
            list->AddString(alignment.c_str());
    }
    if (const CFilterApp* app = CFilterApp::GetApp())
        m_filter.SetAlign(app->GetProfileString(CImageFilter::kProfileSection, CImageFilter::kAlignEntry,
                                                CImageFilter::kDefaultAlign));
    list->SelectString(-1, m_filter.GetAlign().c_str());
}

void CImageFilterPage::HoldControls(CDialog& page) {
    auto* list = page.GetDlgItemAs<CComboBox>(IDC_IMAGE_ALIGN);
    const int selection = list != nullptr ? list->GetCurSel() : CB_ERR;
    if (selection == CB_ERR) {
        m_held.reset();
        return;
    }
    CString alignment;
    list->GetLBText(selection, alignment);
    m_held = alignment.Left(kMaxAlignLength);
}

void CImageFilterPage::SaveHeld() {
    if (!m_held)
        return;
    m_filter.SetAlign(*m_held);
    if (CFilterApp* app = CFilterApp::GetApp())
        app->WriteProfileString(CImageFilter::kProfileSection, CImageFilter::kAlignEntry, m_held->c_str());
}

LRESULT CImageFilterPage::OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE)
        SetDirty(TRUE);
    return DefPageMessage(page, message, wParam, lParam);
}
