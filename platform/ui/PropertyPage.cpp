#include "platform/ui/PropertyPage.h"

#include "platform/ui/PropertySheet.h"
#include "platform/ui/Resources.h"

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId), m_captionId(captionId) {}

BOOL CPropertyPage::OnSetActive() { return TRUE; }
BOOL CPropertyPage::OnKillActive() { return TRUE; }

BOOL CPropertyPage::OnApply() {
    OnOK();
    m_modified = FALSE;
    return TRUE;
}

// A page never ends the sheet itself: the sheet's buttons do.
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL changed) {
    m_modified = changed;
    if (changed && m_sheet) m_sheet->PageModified(this);
}

CString CPropertyPage::GetTitle() const {
    if (m_captionId) return leaf::ui::LoadResString(m_captionId);
    if (const auto* dialogTemplate = leaf::ui::Resources().FindDialog(GetTemplateId())) return CString(dialogTemplate->text);
    return {};
}
