#include "platform/ui/PropertySheet.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "platform/ui/DialogBuilder.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPlacement.h"

using namespace leaf::ui;

namespace {

// The sheet's window: Escape and the close box press Cancel. It stays centred over its
// owner when its layout grows it.
class SheetWindow : public QDialog {
public:
    SheetWindow(CPropertySheet* sheet, QWidget* parent) : QDialog(parent), m_sheet(sheet) {}
    void Forget() { m_sheet = nullptr; }
    // Centres the window over its owner and notes the size it has there.
    void Place() {
        PlaceOverOwner(this);
        m_placedSize = size();
    }
    void reject() override {
        if (m_sheet) m_sheet->PressButton(PSBTN_CANCEL);
        else QDialog::reject();
    }
    void accept() override {
        if (m_sheet) m_sheet->PressButton(m_sheet->IsWizard() ? PSBTN_NEXT : PSBTN_OK);
        else QDialog::accept();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        reject();
    }
    bool event(QEvent* event) override {
        // The layout has handled the request before the window sees it: when what the window
        // shows needed more room than it had (a page filled after it showed, a wider button),
        // the layout grew the window from its top left corner, and it is centred again.
        const bool handled = QDialog::event(event);
        if (event->type() == QEvent::LayoutRequest && isVisible() && m_placedSize.isValid() && size() != m_placedSize)
            Place();
        return handled;
    }
    void resizeEvent(QResizeEvent* event) override {
        QDialog::resizeEvent(event);
        // The size a person gives the window by its frame keeps the window where it is.
        if (event->spontaneous() && m_placedSize.isValid()) m_placedSize = size();
    }

private:
    CPropertySheet* m_sheet;
    QSize m_placedSize;
};

constexpr int kButtonIds[7] = {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDOK, static_cast<int>(ID_APPLY_NOW), IDCANCEL, IDHELP};

}  // namespace

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : m_title(caption ? caption : ""), m_parent(parent), m_start(static_cast<int>(selectPage)) {}

CPropertySheet::~CPropertySheet() {
    if (auto* window = dynamic_cast<SheetWindow*>(m_dialog.data())) window->Forget();
    for (CPropertyPage* page : m_pages)
        if (page->m_sheet == this) page->m_sheet = nullptr;
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page) return;
    page->m_sheet = this;
    m_pages.push_back(page);
    if (m_tabs) {
        SilentChanges silent(m_tabs);
        m_tabs->addTab(QString::fromStdString(page->GetTitle().str()));
        m_stack->addWidget(new QWidget);
    }
}

void CPropertySheet::RemovePage(int index) {
    if (index < 0 || index >= GetPageCount()) return;
    CPropertyPage* page = m_pages[static_cast<size_t>(index)];
    if (page->GetWidget()) page->DestroyWindow();
    page->m_sheet = nullptr;
    m_pages.erase(m_pages.begin() + index);
    if (m_stack) {
        SilentChanges silent(m_tabs);
        QWidget* slot = m_stack->widget(index);
        m_stack->removeWidget(slot);
        delete slot;
        if (m_tabs) m_tabs->removeTab(index);
    }
    if (m_active == index) {
        m_active = -1;
        if (m_dialog && GetPageCount() > 0) MoveTo(std::min(index, GetPageCount() - 1));
    } else if (m_active > index) {
        --m_active;
    }
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* page) const {
    for (int i = 0; i < GetPageCount(); ++i)
        if (m_pages[static_cast<size_t>(i)] == page) return i;
    return -1;
}

void CPropertySheet::SetTitle(const char* title) {
    m_title = title ? title : "";
    if (m_dialog) m_dialog->setWindowTitle(QString::fromStdString(m_title));
}

void CPropertySheet::SetWizardButtons(DWORD flags) {
    m_wizardButtons = flags;
    UpdateButtons();
}

void CPropertySheet::SetFinishText(const char* text) {
    m_finishText = text ? text : "";
    if (m_buttons[PSBTN_FINISH]) m_buttons[PSBTN_FINISH]->setText(QString::fromStdString(m_finishText));
    // A finish text turns the wizard's last step into a single Finish button.
    m_wizardButtons = (m_wizardButtons & ~PSWIZB_NEXT) | PSWIZB_FINISH;
    UpdateButtons();
}

QPushButton* CPropertySheet::Button(int button) const {
    return button >= 0 && button < 7 ? m_buttons[button] : nullptr;
}

void CPropertySheet::Build() {
    QWidget* parentWidget = m_parent ? m_parent->GetWidget() : (AfxGetApp() ? AfxGetApp()->GetMainWidget() : nullptr);
    auto* window = new SheetWindow(this, parentWidget);
    m_dialog = window;
    window->setModal(true);
    CString title(m_title);
    title.Replace("%s", AfxGetAppName());
    window->setWindowTitle(QString::fromStdString(title.str()));
    MarkDialogRoot(window);
    auto* layout = new QVBoxLayout(window);
    if (!m_wizard) {
        m_tabs = new QTabBar(window);
        m_tabs->setExpanding(false);
        layout->addWidget(m_tabs);
    }
    m_stack = new QStackedWidget(window);
    m_stack->setFrameShape(m_wizard ? QFrame::NoFrame : QFrame::StyledPanel);
    layout->addWidget(m_stack, 1);
    for (CPropertyPage* page : m_pages) {
        if (m_tabs) m_tabs->addTab(QString::fromStdString(page->GetTitle().str()));
        m_stack->addWidget(new QWidget);
    }
    if (m_wizard) {
        auto* line = new QFrame(window);
        line->setFrameShape(QFrame::HLine);
        layout->addWidget(line);
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    const char* texts[7] = {"< &Back", "&Next >", "Finish", "OK", "&Apply", "Cancel", "Help"};
    std::vector<int> shown = m_wizard ? std::vector<int>{PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_CANCEL}
                                      : std::vector<int>{PSBTN_OK, PSBTN_CANCEL, PSBTN_APPLYNOW};
    for (int button : shown) {
        auto* push = new QPushButton(QString::fromUtf8(texts[button]), window);
        push->setAutoDefault(false);
        SetControlId(push, kButtonIds[button]);
        QObject::connect(push, &QPushButton::clicked, push, [this, button] { PressButton(button); });
        m_buttons[button] = push;
        row->addWidget(push);
    }
    if (!m_finishText.empty() && m_buttons[PSBTN_FINISH]) m_buttons[PSBTN_FINISH]->setText(QString::fromStdString(m_finishText));
    layout->addLayout(row);
    if (m_buttons[PSBTN_OK]) m_buttons[PSBTN_OK]->setDefault(true);
    if (m_buttons[PSBTN_APPLYNOW]) m_buttons[PSBTN_APPLYNOW]->setEnabled(false);
    if (m_tabs) {
        QObject::connect(m_tabs, &QTabBar::currentChanged, m_tabs, [this](int index) {
            if (SilentChanges::IsSilent(m_tabs) || index == m_active) return;
            if (!MoveTo(index)) {
                SilentChanges silent(m_tabs);
                m_tabs->setCurrentIndex(m_active);
            }
        });
    }
    Attach(window);
}

QSize CPropertySheet::LargestPageSize() const {
    // Each page's template is built once, unattached and uninitialised, to measure it.
    QSize largest;
    for (CPropertyPage* page : m_pages) {
        const ResourceNode* pageTemplate = Resources().FindDialog(page->GetTemplateId());
        if (!pageTemplate) continue;
        QWidget probe;
        if (!BuildDialogControls(*pageTemplate, &probe)) continue;
        largest = largest.expandedTo(probe.sizeHint());
    }
    return largest;
}

void CPropertySheet::KeepPageInView() {
    // A page larger than its template measured grows the sheet, which then opens again
    // over its owner; a smaller one keeps the sheet's size.
    if (!m_dialog || !m_dialog->isVisible()) return;
    const QSize needed = m_dialog->sizeHint().expandedTo(m_dialog->minimumSizeHint());
    if (needed.width() <= m_dialog->width() && needed.height() <= m_dialog->height()) return;
    m_dialog->resize(m_dialog->size().expandedTo(needed));
    if (auto* window = dynamic_cast<SheetWindow*>(m_dialog.data())) window->Place();
}

bool CPropertySheet::EnsurePageWindow(int index) {
    CPropertyPage* page = GetPage(index);
    if (!page) return false;
    if (page->GetWidget()) return true;
    page->m_sheet = this;
    if (!page->CreateFromTemplate(page->GetTemplateId(), this, false, true)) return false;
    QWidget* slot = m_stack->widget(index);
    m_stack->insertWidget(index, page->GetWidget());
    m_stack->removeWidget(slot);
    delete slot;
    page->SendMessage(WM_INITDIALOG);
    return true;
}

bool CPropertySheet::MoveTo(int index) {
    if (index < 0 || index >= GetPageCount() || !m_dialog) return false;
    if (CPropertyPage* current = GetActivePage(); current && index != m_active && current->GetWidget()) {
        if (!current->OnKillActive()) return false;
    }
    int step = index >= m_active ? 1 : -1;
    // A wizard page that refuses activation is skipped in the direction of travel.
    for (int candidate = index; candidate >= 0 && candidate < GetPageCount(); candidate += step) {
        if (!EnsurePageWindow(candidate)) return false;
        CPropertyPage* page = GetPage(candidate);
        int previous = m_active;
        m_active = candidate;
        m_stack->setCurrentIndex(candidate);
        if (m_tabs) {
            SilentChanges silent(m_tabs);
            m_tabs->setCurrentIndex(candidate);
        }
        if (page->OnSetActive()) {
            UpdateButtons();
            KeepPageInView();
            return true;
        }
        if (!m_wizard) {
            m_active = previous;
            if (previous >= 0) m_stack->setCurrentIndex(previous);
            return false;
        }
    }
    return false;
}

BOOL CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) return FALSE;
    if (!m_dialog) {
        m_start = index;
        return TRUE;
    }
    return MoveTo(index);
}

void CPropertySheet::UpdateButtons() {
    if (!m_wizard || !m_buttons[PSBTN_NEXT]) return;
    m_buttons[PSBTN_BACK]->setEnabled(m_wizardButtons & PSWIZB_BACK);
    bool finishing = m_wizardButtons & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH);
    m_buttons[PSBTN_NEXT]->setVisible(!finishing);
    m_buttons[PSBTN_NEXT]->setEnabled(m_wizardButtons & PSWIZB_NEXT);
    m_buttons[PSBTN_FINISH]->setVisible(finishing);
    m_buttons[PSBTN_FINISH]->setEnabled(m_wizardButtons & PSWIZB_FINISH);
    (finishing ? m_buttons[PSBTN_FINISH] : m_buttons[PSBTN_NEXT])->setDefault(true);
}

void CPropertySheet::PageModified(CPropertyPage*) {
    if (m_buttons[PSBTN_APPLYNOW]) m_buttons[PSBTN_APPLYNOW]->setEnabled(true);
}

bool CPropertySheet::ApplyAll() {
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* page = GetPage(i);
        if (!page->GetWidget()) continue;   // a page never shown has nothing to apply
        if (!page->OnApply()) {
            MoveTo(i);
            return false;
        }
    }
    if (m_buttons[PSBTN_APPLYNOW]) m_buttons[PSBTN_APPLYNOW]->setEnabled(false);
    return true;
}

void CPropertySheet::Finish(int result) {
    m_result = result;
    if (m_inLoop && m_dialog) m_dialog->done(result);
}

BOOL CPropertySheet::PressButton(int button) {
    if (!m_dialog) return FALSE;
    QPushButton* push = Button(button);
    if (push && !push->isEnabled()) return FALSE;
    CPropertyPage* page = GetActivePage();
    switch (button) {
        case PSBTN_BACK:
        case PSBTN_NEXT: {
            if (!m_wizard || !page) return FALSE;
            LRESULT target = button == PSBTN_NEXT ? page->OnWizardNext() : page->OnWizardBack();
            if (target == -1) return TRUE;
            int index = m_active + (button == PSBTN_NEXT ? 1 : -1);
            if (target != 0) {
                index = -1;
                for (int i = 0; i < GetPageCount(); ++i)
                    if (GetPage(i)->GetTemplateId() == static_cast<UINT>(target)) index = i;
            }
            MoveTo(index);
            return TRUE;
        }
        case PSBTN_FINISH:
            if (!m_wizard || !page) return FALSE;
            if (page->OnWizardFinish()) Finish(ID_WIZFINISH);
            return TRUE;
        case PSBTN_OK:
            if (page && !page->OnKillActive()) return TRUE;
            if (ApplyAll()) Finish(IDOK);
            return TRUE;
        case PSBTN_APPLYNOW:
            if (page && !page->OnKillActive()) return TRUE;
            ApplyAll();
            return TRUE;
        case PSBTN_CANCEL:
            if (page && !page->OnQueryCancel()) return TRUE;
            for (CPropertyPage* each : m_pages)
                if (each->GetWidget()) each->OnCancel();
            Finish(IDCANCEL);
            return TRUE;
        case PSBTN_HELP:
            if (page) page->OnHelp();
            return TRUE;
        default: return FALSE;
    }
}

int CPropertySheet::DoModal() {
    if (m_dialog || m_pages.empty()) return -1;
    Build();
    // The sheet opens at the size of its largest page and keeps it from page to page.
    m_stack->setMinimumSize(LargestPageSize());
    m_result = -1;
    UpdateButtons();
    SendMessage(WM_INITDIALOG);
    if (!MoveTo(std::clamp(m_start, 0, GetPageCount() - 1))) MoveTo(0);
    int result = m_result;
    if (result == -1) {
        m_inLoop = true;
        if (auto* window = dynamic_cast<SheetWindow*>(m_dialog.data())) window->Place();
        result = RunModalLoop(*m_dialog, 0);
        m_inLoop = false;
        if (m_result != -1) result = m_result;
    }
    if (auto* window = dynamic_cast<SheetWindow*>(m_dialog.data())) window->Forget();
    m_active = -1;
    m_tabs = nullptr;
    m_stack = nullptr;
    for (auto& button : m_buttons) button = nullptr;
    for (CPropertyPage* page : m_pages)
        if (page->GetWidget()) page->DestroyWindow();
    DestroyWindow();
    return result;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    return CWnd::WindowProc(message, wParam, lParam);
}
