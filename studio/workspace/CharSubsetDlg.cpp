#include "studio/workspace/CharSubsetDlg.h"

#include <QApplication>
#include <QLayout>
#include <QPointer>
#include <QStyle>

#include "platform/ui/WinApp.h"
#include "studio/workspace/CharGridWnd.h"

namespace {
constexpr int kGridPlaceholder = 1141;
}

CCharSubsetDlg::CCharSubsetDlg(const char* faceName, LONG weight, BOOL italic, const char* characters, CWnd* parent)
    : CDialog(761, parent), m_strFaceName(faceName), m_nWeight(weight), m_bItalic(italic), m_strCharacters(characters) {}

CCharSubsetDlg::~CCharSubsetDlg() = default;

BOOL CCharSubsetDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    QWidget* window = GetWidget();
    if (window && AfxGetApp())
        window->setWindowIcon(QApplication::windowIcon());
    CString caption;
    caption.Format("Characters from '%s'", m_strFaceName.c_str());
    SetWindowText(caption.c_str());

    // The grid takes the placeholder's place in the layout.
    CWnd* placeholder = GetDlgItem(kGridPlaceholder);
    QWidget* placeholderWidget = placeholder ? placeholder->GetWidget() : nullptr;
    RECT rect{0, 0, 320, 200};
    m_grid = std::make_unique<CCharGridWnd>(m_strFaceName.c_str(), m_nWeight, m_bItalic, m_strCharacters.c_str());
    if (!placeholderWidget || !m_grid->Create(rect, this, kGridPlaceholder)) {
        m_grid.reset();
        EndDialog(IDABORT);
        return TRUE;
    }
    QWidget* grid = m_grid->GetWidget();
    grid->setMinimumSize(placeholderWidget->minimumSize().expandedTo(QSize(320, 200)));
    grid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (QLayout* layout = placeholderWidget->parentWidget() ? placeholderWidget->parentWidget()->layout() : nullptr) {
        if (QLayoutItem* old = layout->replaceWidget(placeholderWidget, grid, Qt::FindChildrenRecursively))
            delete old;
    }
    QPointer<QWidget> leftOver(placeholderWidget);
    placeholder->DestroyWindow();
    delete leftOver.data();
    // The first size is the smallest the dialog may take; the grid grows with it and the
    // Close button keeps its place at the bottom right.
    if (window) window->adjustSize();
    const SIZE initialSize{-1, -1};
    m_minMaxHook.Install(this, &initialSize);
    m_anchorHook.Install(this);
    m_anchorHook.SetAnchor(kGridPlaceholder, CAnchorHook::ANCHOR_RIGHT | CAnchorHook::ANCHOR_BOTTOM);
    m_anchorHook.SetAnchor(IDCANCEL, CAnchorHook::ANCHOR_LEFT | CAnchorHook::ANCHOR_RIGHT | CAnchorHook::ANCHOR_TOP |
                                         CAnchorHook::ANCHOR_BOTTOM);
    return TRUE;
}

void CCharSubsetDlg::OnDestroy() {
    if (m_grid)
        m_grid->DestroyWindow();
    CDialog::OnDestroy();
}
