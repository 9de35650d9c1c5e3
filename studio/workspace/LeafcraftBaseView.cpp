#include "studio/workspace/LeafcraftBaseView.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <cstdint>

#include "platform/ui/FrameWnd.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/WinApp.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/LeafcraftApp.h"
#include "studio/workspace/MainFrame.h"
#include "studio/workspace/StudioBitmaps.h"

namespace {
constexpr UINT IDR_CONTEXT_MENUS = 120;
constexpr int kBannerImageMenu = 2;

CMainFrame* MainFrame() { return dynamic_cast<CMainFrame*>(AfxGetMainWnd()); }
}  // namespace

// The banner band above a workspace form: the view's widget keeps its top margin free,
// and this filter paints the band there and offers the banner menu on a right click.
class BannerBand : public QObject {
public:
    explicit BannerBand(CLeafcraftBaseView* view) : m_view(view) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) return false;
        int band = m_view->GetBannerBandHeight();
        if (event->type() == QEvent::Paint) {
            QPainter painter(widget);
            painter.fillRect(widget->rect(), Qt::white);
            if (band > 0) {
                QRect area(0, 0, widget->width(), band);
                painter.fillRect(area, widget->palette().color(QPalette::Button));
                const QPixmap& banner = m_view->GetBanner();
                // Unscaled, left-aligned, centred vertically in the band.
                if (!banner.isNull()) {
                    painter.setClipRect(area);
                    painter.drawPixmap(0, (band - banner.height()) / 2, banner);
                }
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && band > 0) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton && mouse->position().y() < band) {
                m_view->OnBannerContextMenu(mouse->globalPosition().toPoint());
                return true;
            }
        }
        return false;
    }

private:
    CLeafcraftBaseView* m_view;
};

CLeafcraftBaseView::CLeafcraftBaseView(UINT formId, UINT bannerId, UINT menuId)
    : CFormView(formId), m_formId(formId), m_bannerId(bannerId), m_menuId(menuId) {
    if (menuId)
        if (CLeafcraftApp* app = CLeafcraftApp::Get()) m_ownMenu = app->LoadWorkspaceMenu(menuId);
}

CLeafcraftBaseView::~CLeafcraftBaseView() {
    if (QWidget* widget = GetWidget()) widget->removeEventFilter(m_band.get());
}

QWidget* CLeafcraftBaseView::CreateViewWidget(QWidget* parent) {
    QWidget* widget = m_formId ? CFormView::CreateViewWidget(parent) : CView::CreateViewWidget(parent);
    if (!widget) return nullptr;
    widget->setAutoFillBackground(false);
    m_band = std::make_unique<BannerBand>(this);
    widget->installEventFilter(m_band.get());
    widget->setContentsMargins(0, GetBannerBandHeight(), 0, 0);
    return widget;
}

BOOL CLeafcraftBaseView::ValidateWorkspace(BOOL) { return FALSE; }

void CLeafcraftBaseView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    if (m_ownMenu && !m_menuSwapped) {
        if (CMainFrame* frame = MainFrame()) {
            m_previousMenuId = frame->GetWorkspaceMenuId();
            frame->InstallMenu(std::move(m_ownMenu), m_menuId);
            m_menuSwapped = true;
        }
    }
    LoadBanner();
    RecalcBannerBand();
}

void CLeafcraftBaseView::OnDestroy() {
    if (m_menuSwapped) {
        if (CMainFrame* frame = MainFrame()) frame->SetWorkspaceMenu(m_previousMenuId);
        m_menuSwapped = false;
    }
    CFormView::OnDestroy();
}

LRESULT CLeafcraftBaseView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOLORCHANGE) LoadBanner();
    return CFormView::WindowProc(message, wParam, lParam);
}

void CLeafcraftBaseView::LoadBanner() {
    m_banner = m_bannerId ? leaf::app::LoadStudioBitmap(m_bannerId) : QPixmap();
    if (QWidget* widget = GetWidget()) widget->update();
}

BOOL CLeafcraftBaseView::BannersShown() { return leaf::GetAppProfileInt("Settings", "Show Banners", 1) != 0; }

int CLeafcraftBaseView::GetBannerBandHeight() const { return BannersShown() ? kBannerBandHeight : 0; }

void CLeafcraftBaseView::RecalcBannerBand() {
    if (QWidget* widget = GetWidget()) {
        widget->setContentsMargins(0, GetBannerBandHeight(), 0, 0);
        widget->update();
    }
}

void CLeafcraftBaseView::ShowControl(UINT id, BOOL show) {
    if (CWnd* control = GetDlgItem(static_cast<int>(id))) control->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

CString CLeafcraftBaseView::ExpandLineBreaks(const CString& text) {
    CString expanded(text);
    expanded.Replace("\\n", "\r\n");
    return expanded;
}

void CLeafcraftBaseView::OnBannerContextMenu(const QPoint& screenPoint) {
    CLeafcraftApp* app = CLeafcraftApp::Get();
    if (!app) return;
    std::unique_ptr<CMenu> menu = app->LoadWorkspaceMenu(IDR_CONTEXT_MENUS);
    CMenu* popup = menu ? menu->GetSubMenu(kBannerImageMenu) : nullptr;
    if (!popup) return;
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x(), screenPoint.y(), AfxGetMainWnd());
}

CLeafcraftDoc* CLeafcraftBaseView::FindLeafcraftDoc() {
    if (auto* document = dynamic_cast<CLeafcraftDoc*>(GetDocument())) return document;
    auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    return frame ? dynamic_cast<CLeafcraftDoc*>(frame->GetActiveDocument()) : nullptr;
}

void CLeafcraftBaseView::SendCommand(UINT id) {
    CWnd* main = AfxGetMainWnd();
    if (main && main != this) main->SendMessage(WM_COMMAND, id, 0);
    else ExecuteCommand(id);
}

void CLeafcraftBaseView::TrackContextMenu(CMenu* popup, const QPoint& screenPoint) {
    if (!popup) return;
    CWnd* owner = AfxGetMainWnd();
    if (!owner) owner = this;
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x(), screenPoint.y(), owner);
}

POINT CLeafcraftBaseView::ContextMenuPoint(LPARAM lParam) {
    auto bits = static_cast<std::uintptr_t>(lParam);
    return POINT{static_cast<short>(LOWORD(bits)), static_cast<short>(HIWORD(bits))};
}

QPoint CLeafcraftBaseView::ListItemCentre(CListCtrl* list, int item) {
    QAbstractItemView* view = list ? list->View() : nullptr;
    if (!view) return QPoint();
    return view->viewport()->mapToGlobal(view->visualRect(view->model()->index(item, 0)).center());
}

int CLeafcraftBaseView::ListItemAt(CListCtrl* list, const QPoint& screenPoint) {
    QAbstractItemView* view = list ? list->View() : nullptr;
    if (!view) return -1;
    QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(screenPoint));
    return index.isValid() ? index.row() : -1;
}
