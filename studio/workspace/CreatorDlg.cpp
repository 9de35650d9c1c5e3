#include "studio/workspace/CreatorDlg.h"

#include "platform/ui/PeopleService.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Resources.h"

namespace {
constexpr int kNameEdit = 1070;
constexpr int kRoleCombo = 1066;
constexpr int kFileAsCombo = 1067;
constexpr int kFieldLimit = 200;
constexpr UINT kNoName = 10146;
constexpr UINT kQuotedFileAs = 10147;
}  // namespace

CCreatorDlg::CCreatorDlg(const char* name, const char* attributes, const leaf::CreatorFields* fields, CWnd* parent)
    : CDialog(IDD, parent), m_name(name ? name : ""), m_attributes(attributes ? attributes : ""), m_fields(fields) {
    MapControl(kNameEdit, EN_CHANGE, &CCreatorDlg::OnNameChanged);
}

BOOL CCreatorDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    auto* roles = GetDlgItemAs<CComboBox>(kRoleCombo);
    auto* fileAs = GetDlgItemAs<CComboBox>(kFileAsCombo);
    if (!roles || !fileAs || !m_fields) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_fields->FillRoleCombo(roles);
    if (auto* edit = GetDlgItemAs<CEdit>(kNameEdit)) edit->SetLimitText(kFieldLimit);
    fileAs->LimitText(kFieldLimit);
    CString role = leaf::AttributeValue(m_attributes.c_str(), "role");
    CString fileAsText = leaf::AttributeValue(m_attributes.c_str(), "file-as");
    SetDlgItemText(kNameEdit, m_name.c_str());
    m_fields->SelectRole(roles, role.c_str());
    m_fields->FillFileAsCombo(fileAs, m_name.c_str());
    m_fields->SetFileAsText(fileAs, fileAsText.c_str());
    m_initialised = true;
    return TRUE;
}

void CCreatorDlg::OnNameChanged() {
    if (!m_initialised) return;
    auto* fileAs = GetDlgItemAs<CComboBox>(kFileAsCombo);
    if (!fileAs) return;
    // The suggestions follow the name; the file-as text the user has is kept.
    CString kept = m_fields->GetFileAsText(fileAs);
    CString name;
    GetDlgItemText(kNameEdit, name);
    m_fields->FillFileAsCombo(fileAs, name.c_str());
    m_fields->SetFileAsText(fileAs, kept.c_str());
}

void CCreatorDlg::OnOK() {
    CString name;
    GetDlgItemText(kNameEdit, name);
    if (name.IsEmpty()) {
        AfxMessageBox(kNoName, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString role = m_fields->GetSelectedRoleCode(GetDlgItemAs<CComboBox>(kRoleCombo));
    CString fileAs = m_fields->GetFileAsText(GetDlgItemAs<CComboBox>(kFileAsCombo));
    if (fileAs.Find('"') >= 0) {
        AfxMessageBox(kQuotedFileAs, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_name = name;
    m_attributes = leaf::CreatorAttributes(role.c_str(), fileAs.c_str());
    CDialog::OnOK();
}
