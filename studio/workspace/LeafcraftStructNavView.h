#pragma once

// CLeafcraftStructNavView: the Navigation workspace. It hosts the tour tree editor over
// the project's navigation tours (each tour with its sites) and carries out the tour
// commands that the editor, the Tour menu and the context menus send to the main window:
// add, remove, move and rename tours and sites, make a tour the first (default) one, and
// browse for the file a site links to. Its contents are always consistent, so it always
// lets the user leave.

#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/TourTreeCtrl.h"

class CLCTour;

class CLeafcraftStructNavView : public CLeafcraftBaseView {
public:
    DECLARE_DYNCREATE(CLeafcraftStructNavView)
    static constexpr UINT IDD = 264;
    static constexpr UINT IDC_TOUR_TREE = 1310;
    // Texts of new items and the question before a tour goes.
    static constexpr UINT IDS_NEW_SITE = 578;
    static constexpr UINT IDS_NEW_TOUR = 579;
    static constexpr UINT IDS_CONFIRM_REMOVE_TOUR = 13009;

    CLeafcraftStructNavView();
    ~CLeafcraftStructNavView() override;

    BOOL ValidateWorkspace(BOOL report) override;
    void OnInitialUpdate() override;
    // Fills the tree from the document's tours (titles) and their sites (links).
    void FillTourTree();
    CTourTreeCtrl& GetTourTree() { return m_tree; }

    // The tour commands.
    void OnAddTour();
    void OnRemoveTour();
    void OnMoveUp();
    void OnMoveDown();
    void OnMakeDefault();
    void OnAddSite();
    void OnRemoveSite();
    void OnBrowseSite();
    void OnRename();
    void OnUpdateTourCommand(CCmdUI* ui);

private:
    // The selected item's tour index and site index (-1 when the item is a tour); FALSE
    // when nothing is selected.
    BOOL GetSelection(int& tour, int& site) const;
    // Refills the tree and selects the tour (site -1) or the site.
    void SelectRecord(int tour, int site);
    // Moves the selected tour (or site) by `offset` places among its siblings.
    void MoveSelected(int offset);
    // Applies the end of a label edit to the record; FALSE refuses the text.
    BOOL OnEndLabelEdit(NMTVDISPINFO* info);

    CTourTreeCtrl m_tree;
    bool m_treeReady = false;
};
