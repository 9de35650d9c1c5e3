#pragma once

// CLeafcraftBaseView: the base of every workspace view. A form view that brings its own
// menu (swapped into the main window while the view lives, with the workspace items), a
// banner band above its client area (110 pixels while "Settings"/"Show Banners" is on,
// with the workspace's banner picture centred vertically in it and the banner context
// menu on a right click), a white background, and ValidateWorkspace, which the main frame
// asks before the user leaves the workspace or builds: a view answers FALSE to keep the
// user in it (with `report`, after telling why).

#include <QPixmap>
#include <QPoint>
#include <memory>

#include "platform/ui/Menu.h"
#include "platform/ui/View.h"

class CLeafcraftDoc;
class CListCtrl;

class CLeafcraftBaseView : public CFormView {
public:
    // The height of the banner band while banners are shown.
    static constexpr int kBannerBandHeight = 110;
    static constexpr UINT ID_VIEW_BANNERS = 41000;

    // A view without a form (formId 0) is a plain white widget.
    CLeafcraftBaseView(UINT formId, UINT bannerId, UINT menuId);
    ~CLeafcraftBaseView() override;

    // FALSE keeps the user in the workspace; the base answers FALSE.
    virtual BOOL ValidateWorkspace(BOOL report);

    void OnInitialUpdate() override;
    void OnDestroy() override;

    // Rebuilds the banner picture (also on a system colour change).
    void LoadBanner();
    // Recomputes the band after banners were switched on or off.
    void RecalcBannerBand();
    // Shows or hides a child control when it exists.
    void ShowControl(UINT id, BOOL show);
    // "\n" written as the two characters backslash and n becomes a line break (CR LF).
    static CString ExpandLineBreaks(const CString& text);
    // Whether "Settings"/"Show Banners" (default 1) is on.
    static BOOL BannersShown();

    UINT GetBannerId() const { return m_bannerId; }
    const QPixmap& GetBanner() const { return m_banner; }
    // The band's current height: 110 while banners are shown, else 0.
    int GetBannerBandHeight() const;
    UINT GetMenuId() const { return m_menuId; }
    BOOL HasSwappedMenu() const { return m_menuSwapped; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreateViewWidget(QWidget* parent) override;
    // The banner band's context menu (sub-menu 2 "BannerImage" of menu 120) at a screen point.
    void OnBannerContextMenu(const QPoint& screenPoint);

    // The project the view shows: its own document, else the main window's active one.
    CLeafcraftDoc* FindLeafcraftDoc();
    // Sends a command to the main window (which routes it to the active view), or runs it
    // here when there is none.
    void SendCommand(UINT id);
    // Shows a context menu at a screen point, its commands going to the main window (to
    // this view when there is none).
    void TrackContextMenu(CMenu* popup, const QPoint& screenPoint);
    // The screen point of a WM_CONTEXTMENU message (-1,-1 when it comes from the keyboard).
    static POINT ContextMenuPoint(LPARAM lParam);
    // The screen point at the centre of a list item, and the item under a screen point
    // (-1 for none).
    static QPoint ListItemCentre(CListCtrl* list, int item);
    static int ListItemAt(CListCtrl* list, const QPoint& screenPoint);

private:
    friend class BannerBand;
    UINT m_formId;
    UINT m_bannerId;
    QPixmap m_banner;
    UINT m_menuId;
    // The menu the main window showed before this view put its own there.
    UINT m_previousMenuId = 0;
    bool m_menuSwapped = false;
    // The view's own menu until it is handed to the main window.
    std::unique_ptr<CMenu> m_ownMenu;
    std::unique_ptr<QObject> m_band;
};
