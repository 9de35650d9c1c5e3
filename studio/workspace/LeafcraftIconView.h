#pragma once

// CLeafcraftIconView: the column of large workspace icons in the left pane of the main
// frame. White text on black, one item per workspace with its picture from the icon strip
// (bitmap 301); activating an item (one click) sends the workspace command 50000 + i to
// the main window. Commands that reach it are offered to the workspace view first, so the
// workspace's commands work while the icon column has the focus.

#include <memory>

#include "platform/ui/ImageList.h"
#include "platform/ui/View.h"

class CLeafcraftIconView : public CListView {
public:
    DECLARE_DYNCREATE(CLeafcraftIconView)

    CLeafcraftIconView();
    ~CLeafcraftIconView() override;

    BOOL Create(CWnd* parent, UINT id, CCreateContext* context = nullptr) override;
    void OnInitialUpdate() override;
    // Sends the selected item's workspace command to the main window.
    void OnItemActivate();
    // Selects and focuses the item.
    void SelectItem(int index);
    // The selected item, -1 when none.
    int GetSelectedItem() const;

    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;

private:
    CImageList m_imageList;
};
