#include "studio/workspace/SourceSortDlg.h"

#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"

namespace {
const char* const kSection = "Settings";
const char* const kSortType = "Sort Type";
constexpr int kSmartSort = 1071;
constexpr int kLastMethod = 1076;
constexpr int kOrderGroup = 1070;
constexpr int kAscending = 1077;
constexpr int kDescending = 1078;

// The method buttons after Smart Sort, with the key each stands for.
struct MethodButton {
    int id;
    int key;
};
constexpr MethodButton kMethods[] = {{1072, 2}, {1073, 4}, {1074, 8}, {1075, 16}, {1076, 32}};
}  // namespace

CSourceSortDlg::CSourceSortDlg(CWnd* parent) : CDialog(IDD, parent) {
    for (int id = kSmartSort; id <= kLastMethod; ++id)
        MapControl(static_cast<UINT>(id), BN_CLICKED, [this] { UpdateOrderControls(); });
}

BOOL CSourceSortDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    int value = 1;
    if (CWinApp* app = AfxGetApp()) value = static_cast<int>(app->GetProfileInt(kSection, kSortType, 1));
    int method = kSmartSort;
    for (const MethodButton& button : kMethods)
        if ((value & 0xFF) == button.key) method = button.id;
    CheckRadioButton(kSmartSort, kLastMethod, method);
    CheckRadioButton(kAscending, kDescending, ((value >> 8) & 0xFF) == 0x02 ? kDescending : kAscending);
    UpdateOrderControls();
    return TRUE;
}

void CSourceSortDlg::UpdateOrderControls() {
    BOOL enable = IsDlgButtonChecked(kSmartSort) != BST_CHECKED;
    for (int id : {kOrderGroup, kAscending, kDescending})
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
}

void CSourceSortDlg::OnOK() {
    int value = 1;
    for (const MethodButton& button : kMethods)
        if (IsDlgButtonChecked(button.id) == BST_CHECKED) {
            int order = IsDlgButtonChecked(kDescending) == BST_CHECKED ? 2 : 1;
            value = button.key | (order << 8);
        }
    m_value = value;
    if (CWinApp* app = AfxGetApp()) app->WriteProfileInt(kSection, kSortType, m_value);
    CDialog::OnOK();
}
