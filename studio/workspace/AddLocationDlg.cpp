#include "studio/workspace/AddLocationDlg.h"

#include <QEvent>
#include <QWidget>

#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"

namespace {
const char* const kSection = "Settings";
const char* const kAddLocation = "Add Location";
constexpr int kTopButton = 1082;
constexpr int kSelectedButton = 1083;
constexpr int kEndButton = 1084;

// A double click on one of the option buttons acts as OK.
class DoubleClickAsOk : public QObject {
public:
    explicit DoubleClickAsOk(CDialog* dialog) : m_dialog(dialog) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_dialog->OnOK();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CDialog* m_dialog;
};
}  // namespace

CAddLocationDlg::CAddLocationDlg(CWnd* parent) : CDialog(IDD, parent) {}

CAddLocationDlg::~CAddLocationDlg() = default;

BOOL CAddLocationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    int stored = kSelected;
    if (CWinApp* app = AfxGetApp()) stored = static_cast<int>(app->GetProfileInt(kSection, kAddLocation, kSelected));
    int button = stored == kTop ? kTopButton : stored == kEnd ? kEndButton : kSelectedButton;
    CheckRadioButton(kTopButton, kEndButton, button);
    m_doubleClicks = std::make_unique<DoubleClickAsOk>(this);
    for (int id = kTopButton; id <= kEndButton; ++id)
        if (CWnd* control = GetDlgItem(id); control && control->GetWidget())
            control->GetWidget()->installEventFilter(m_doubleClicks.get());
    return TRUE;
}

void CAddLocationDlg::OnOK() {
    if (IsDlgButtonChecked(kTopButton) == BST_CHECKED) m_location = kTop;
    else if (IsDlgButtonChecked(kEndButton) == BST_CHECKED) m_location = kEnd;
    else m_location = kSelected;
    if (CWinApp* app = AfxGetApp()) app->WriteProfileInt(kSection, kAddLocation, m_location);
    CDialog::OnOK();
}
