#include "studio/workspace/NewValueDlg.h"

#include "platform/ui/PeopleService.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Resources.h"

namespace {
constexpr int kValueEdit = 1031;
constexpr UINT kEmptyValue = 10002;
}  // namespace

CNewValueDlg::CNewValueDlg(const char* caption, int maxLength, CWnd* parent)
    : CDialog(IDD, parent), m_caption(caption ? caption : ""), m_maxLength(maxLength) {}

BOOL CNewValueDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The template's caption "%s - New Value" takes the property's label.
    if (const leaf::ui::ResourceNode* dialogTemplate = leaf::ui::Resources().FindDialog(GetTemplateId())) {
        CString caption = dialogTemplate->text;
        caption.Replace("%s", m_caption.str());
        SetWindowText(caption.c_str());
    }
    if (auto* edit = GetDlgItemAs<CEdit>(kValueEdit)) edit->SetLimitText(m_maxLength > 0 ? static_cast<UINT>(m_maxLength) : 0);
    return TRUE;
}

void CNewValueDlg::OnOK() {
    CString value;
    GetDlgItemText(kValueEdit, value);
    if (value.IsEmpty()) {
        AfxMessageBox(kEmptyValue, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_value = value;
    CDialog::OnOK();
}
