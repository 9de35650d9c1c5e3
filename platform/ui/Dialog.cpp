#include "platform/ui/Dialog.h"

#include <QCloseEvent>
#include <QDialog>
#include <QPixmap>
#include <QTimer>

#include "platform/ui/DialogBuilder.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPlacement.h"

using namespace leaf::ui;

// The dialog window: Escape, the close box and the default button's accept go through
// the dialog's commands instead of closing the window directly.
class DialogWindow : public QDialog {
public:
    DialogWindow(CDialog* owner, QWidget* parent) : QDialog(parent), m_owner(owner) {}
    void Forget() { m_owner = nullptr; }
    void accept() override { Command(IDOK); }
    void reject() override { Command(IDCANCEL); }
    void done(int result) override {
        if (m_owner) m_owner->m_endResult = result;
        QDialog::done(result);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        Command(IDCANCEL);
    }

private:
    void Command(int id) {
        if (m_owner) m_owner->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED), 0);
        else QDialog::done(id);
    }
    CDialog* m_owner;
};

namespace leaf::ui {

int RunModalLoop(QDialog& dialog, UINT templateId) {
    ModalFocusReturn focus(dialog.parentWidget());
    QPointer<QDialog> guard(&dialog);
    QTimer::singleShot(0, &dialog, [guard, templateId] {
        if (guard && guard->isVisible()) People().ModalDialogShown(*guard, templateId);
    });
    return dialog.exec();
}

bool GrabToPng(QWidget* widget, const std::string& path) {
    if (!widget) return false;
    if (!widget->isVisible()) widget->adjustSize();
    QPixmap picture = widget->grab();
    return !picture.isNull() && picture.save(QString::fromStdString(path), "PNG");
}

}  // namespace leaf::ui

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent), m_templateId(templateId) {}

CDialog::~CDialog() {
    if (auto* window = dynamic_cast<DialogWindow*>(GetWidget())) window->Forget();
}

BOOL CDialog::CreateFromTemplate(UINT templateId, CWnd* parent, bool modal, bool forceChild) {
    if (GetWidget()) return FALSE;
    const ResourceNode* dialogTemplate = Resources().FindDialog(templateId);
    if (!dialogTemplate) return FALSE;
    m_templateId = templateId;
    if (!m_nIDHelp) m_nIDHelp = templateId;
    m_pParentWnd = parent ? parent : m_pParentWnd;
    QWidget* parentWidget = m_pParentWnd ? m_pParentWnd->GetWidget() : nullptr;
    bool child = forceChild || dialogTemplate->HasFlag("child");
    if (!parentWidget && !child && AfxGetApp()) parentWidget = AfxGetApp()->GetMainWidget();

    QWidget* widget = nullptr;
    if (child) {
        widget = new QWidget(parentWidget);
    } else {
        auto* window = new DialogWindow(this, parentWidget);
        window->setModal(modal);
        widget = window;
    }
    CString caption(dialogTemplate->text);
    caption.Replace("%s", AfxGetAppName());
    widget->setWindowTitle(QString::fromStdString(caption.str()));
    MarkDialogRoot(widget);
    SetControlId(widget, static_cast<int>(templateId));
    std::string error;
    if (!BuildDialogControls(*dialogTemplate, widget, &error)) {
        delete widget;
        return FALSE;
    }
    // The template's natural size, so that a dialog can be measured before it shows.
    widget->adjustSize();
    AttachCreated(widget);
    m_modal = modal;
    m_endResult = -1;
    return TRUE;
}

int CDialog::DoModal() {
    if (!CreateFromTemplate(m_templateId, m_pParentWnd, true)) return -1;
    auto* window = dynamic_cast<QDialog*>(GetWidget());
    if (!window) {
        DestroyWindow();
        return -1;
    }
    SendMessage(WM_INITDIALOG);
    // A dialog that OnInitDialog ended never shows.
    int result = m_endResult;
    if (result == -1 && GetWidget()) {
        m_inLoop = true;
        CenterWindow();
        result = RunModalLoop(*window, m_templateId);
        m_inLoop = false;
        if (m_endResult != -1) result = m_endResult;
    }
    if (GetWidget()) {
        if (auto* dw = dynamic_cast<DialogWindow*>(GetWidget())) dw->Forget();
        DestroyWindow();
    }
    m_modal = false;
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (!CreateFromTemplate(templateId, parent, false)) return FALSE;
    SendMessage(WM_INITDIALOG);
    if (m_endResult != -1) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

void CDialog::EndDialog(int result) {
    m_endResult = result;
    auto* window = dynamic_cast<QDialog*>(GetWidget());
    if (m_modal) {
        if (m_inLoop && window) window->done(result);
    } else if (GetWidget()) {
        GetWidget()->hide();
    }
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnHelp() {
    if (CWinApp* app = AfxGetApp()) app->WinHelp(m_nIDHelp, HELP_CONTEXT);
    else People().Help("", HELP_CONTEXT, m_nIDHelp);
}

BOOL CDialog::OnCmdMsg(UINT id, int code, void* extra, LRESULT* result, bool probe) {
    if (CWnd::OnCmdMsg(id, code, extra, result, probe)) return TRUE;
    if (code != CN_COMMAND) return FALSE;
    if (id == static_cast<UINT>(IDOK) || id == static_cast<UINT>(IDCANCEL) || id == IDC_HELP_BUTTON || id == ID_HELP) {
        if (probe) return TRUE;
        if (id == static_cast<UINT>(IDOK)) OnOK();
        else if (id == static_cast<UINT>(IDCANCEL)) OnCancel();
        else OnHelp();
        return TRUE;
    }
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    return CWnd::WindowProc(message, wParam, lParam);
}
