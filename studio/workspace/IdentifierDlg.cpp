#include "studio/workspace/IdentifierDlg.h"

#include "platform/ui/PeopleService.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Resources.h"
#include "studio/workspace/CreatorFields.h"

namespace {
constexpr int kValueEdit = 1074;
constexpr int kSchemeCombo = 1073;
constexpr int kFieldLimit = 200;
constexpr UINT kSchemes = 559;
constexpr UINT kNoValue = 10148;
constexpr UINT kQuotedScheme = 10149;
}  // namespace

CIdentifierDlg::CIdentifierDlg(const char* value, const char* attributes, CWnd* parent)
    : CDialog(IDD, parent), m_value(value ? value : ""), m_attributes(attributes ? attributes : "") {}

BOOL CIdentifierDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    auto* schemes = GetDlgItemAs<CComboBox>(kSchemeCombo);
    if (schemes) {
        std::string list = leaf::ui::LoadResString(kSchemes).str();
        size_t start = 0;
        while (start <= list.size()) {
            size_t bar = list.find('|', start);
            CString part(list.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            part.Trim();
            schemes->AddString(part.c_str());
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        schemes->LimitText(kFieldLimit);
    }
    if (auto* edit = GetDlgItemAs<CEdit>(kValueEdit)) edit->SetLimitText(kFieldLimit);
    SetDlgItemText(kValueEdit, m_value.c_str());
    SetDlgItemText(kSchemeCombo, leaf::AttributeValue(m_attributes.c_str(), "scheme").c_str());
    return TRUE;
}

void CIdentifierDlg::OnOK() {
    CString value;
    GetDlgItemText(kValueEdit, value);
    if (value.IsEmpty()) {
        AfxMessageBox(kNoValue, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The field shows the chosen entry or the scheme typed after it.
    CString scheme;
    GetDlgItemText(kSchemeCombo, scheme);
    if (scheme.Find('"') >= 0) {
        AfxMessageBox(kQuotedScheme, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_value = value;
    m_attributes.Empty();
    if (!scheme.IsEmpty()) m_attributes.Format("scheme=\"%s\"", scheme.c_str());
    CDialog::OnOK();
}
