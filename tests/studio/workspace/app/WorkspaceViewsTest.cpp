// The Navigation and Cover Page workspaces: the tour editor hosted in the Navigation view
// carrying out the tour commands, and the guide links chosen in the Cover Page view.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <string>
#include <vector>

#include "platform/ui/ListCtrl.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/LeafcraftCoverPageView.h"
#include "studio/workspace/LeafcraftIconView.h"
#include "studio/workspace/LeafcraftStructNavView.h"
#include "studio/workspace/MainFrame.h"
#include "tests/studio/workspace/app/AppFixture.h"

using leaf::test::AppFixture;

namespace {

class WorkspaceViews : public AppFixture {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    void Command(UINT id) { Frame()->SendMessage(WM_COMMAND, id, 0); }
    bool Enabled(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        ui.DoUpdate(Frame(), TRUE);
        return ui.m_enabled;
    }
    int Messages(const std::string& part) const {
        int count = 0;
        for (const auto& question : m_people.Asked("message"))
            if (question.text.find(part) != std::string::npos) ++count;
        return count;
    }

    // Tours "Walk" (a.htm, b.htm) and "Run" (c.htm), then the Navigation workspace.
    CLeafcraftStructNavView* OpenNavigation() {
        auto walk = std::make_unique<CLCTour>("Walk", "walk");
        walk->AddSite(std::make_unique<CLCTourSite>("A", "a.htm"));
        walk->AddSite(std::make_unique<CLCTourSite>("B", "b.htm"));
        auto run = std::make_unique<CLCTour>("Run", "run");
        run->AddSite(std::make_unique<CLCTourSite>("C", "c.htm"));
        Document()->m_tours.push_back(std::move(walk));
        Document()->m_tours.push_back(std::move(run));
        Document()->SetModifiedFlag(FALSE);
        ClickIcon(4);
        return dynamic_cast<CLeafcraftStructNavView*>(Frame()->GetWorkspaceView());
    }
    static HTREEITEM Child(CTreeCtrl& tree, HTREEITEM parent, int index) {
        HTREEITEM item = parent ? tree.GetChildItem(parent) : tree.GetRootItem();
        for (int i = 0; item && i < index; ++i) item = tree.GetNextSiblingItem(item);
        return item;
    }
    std::vector<std::string> TourTitles() const {
        std::vector<std::string> titles;
        for (int i = 0; i < Document()->GetTourCount(); ++i) titles.push_back(Document()->GetTour(i)->m_strTitle.str());
        return titles;
    }
    std::vector<std::string> TreeTexts(CTreeCtrl& tree, HTREEITEM parent) {
        std::vector<std::string> texts;
        for (HTREEITEM item = parent ? tree.GetChildItem(parent) : tree.GetRootItem(); item;
             item = tree.GetNextSiblingItem(item))
            texts.push_back(tree.GetItemText(item).str());
        return texts;
    }
    // Types a label into the item's editor and ends the edit.
    static void TypeLabel(CTreeCtrl& tree, HTREEITEM item, const char* text) {
        tree.EndLabelEdit(FALSE);
        auto* editor = qobject_cast<QLineEdit*>(tree.EditLabel(item));
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        tree.EndLabelEdit(TRUE);
    }
};

using Strings = std::vector<std::string>;

TEST_F(WorkspaceViews, NavigationShowsToursWithTheirSitesAndAddsAndRenames) {
    CLeafcraftStructNavView* view = OpenNavigation();
    ASSERT_NE(view, nullptr);
    CTourTreeCtrl& tree = view->GetTourTree();
    EXPECT_EQ(TreeTexts(tree, nullptr), (Strings{"Walk", "Run"}));
    EXPECT_EQ(TreeTexts(tree, Child(tree, nullptr, 0)), (Strings{"a.htm", "b.htm"}));
    EXPECT_EQ(tree.GetDocument(), Document());

    Command(ID_TOUR_ADD);
    EXPECT_EQ(TourTitles(), (Strings{"Walk", "Run", "New Tour"}));
    EXPECT_TRUE(Document()->IsModified());
    HTREEITEM added = Child(tree, nullptr, 2);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(tree.GetSelectedItem(), added);
    TypeLabel(tree, added, "  Evening walk ");
    EXPECT_EQ(Document()->GetTour(2)->m_strTitle, "Evening walk");
    EXPECT_EQ(tree.GetItemText(added), "Evening walk");
    // An empty label is refused: the title stays.
    TypeLabel(tree, added, "   ");
    EXPECT_EQ(Document()->GetTour(2)->m_strTitle, "Evening walk");

    // A site is added after the selected site, with the new-site text as its link.
    tree.SelectItem(Child(tree, Child(tree, nullptr, 0), 0));
    Command(ID_SITE_ADD);
    ASSERT_EQ(Document()->GetTour(0)->GetSiteCount(), 3);
    EXPECT_EQ(Document()->GetTour(0)->GetSite(1)->m_strHref, "New Site Link");
    HTREEITEM site = Child(tree, Child(tree, nullptr, 0), 1);
    TypeLabel(tree, site, "intro.htm");
    EXPECT_EQ(Document()->GetTour(0)->GetSite(1)->m_strHref, "intro.htm");
}

TEST_F(WorkspaceViews, TourCommandsMoveMakeDefaultAndRemoveKeepingTheRecords) {
    CLeafcraftStructNavView* view = OpenNavigation();
    ASSERT_NE(view, nullptr);
    CTourTreeCtrl& tree = view->GetTourTree();

    tree.SelectItem(Child(tree, nullptr, 0));
    EXPECT_FALSE(Enabled(ID_TOUR_MOVEUP));
    EXPECT_TRUE(Enabled(ID_TOUR_MOVEDOWN));
    EXPECT_FALSE(Enabled(ID_TOUR_DEFAULT));
    EXPECT_FALSE(Enabled(ID_SITE_REMOVE));
    EXPECT_TRUE(Enabled(ID_TOUR_REMOVE));
    Command(ID_TOUR_MOVEDOWN);
    EXPECT_EQ(TourTitles(), (Strings{"Run", "Walk"}));
    EXPECT_EQ(TreeTexts(tree, nullptr), (Strings{"Run", "Walk"}));
    // The moved tour keeps its id and its sites, and stays selected.
    EXPECT_EQ(Document()->GetTour(1)->m_strID, "walk");
    EXPECT_EQ(Document()->GetTour(1)->GetSiteCount(), 2);
    EXPECT_EQ(tree.GetSelectedItem(), Child(tree, nullptr, 1));
    EXPECT_TRUE(Document()->IsModified());

    Command(ID_TOUR_DEFAULT);
    EXPECT_EQ(TourTitles(), (Strings{"Walk", "Run"}));

    // Sites move within their tour.
    tree.SelectItem(Child(tree, Child(tree, nullptr, 0), 1));
    EXPECT_TRUE(Enabled(ID_SITE_REMOVE));
    EXPECT_FALSE(Enabled(ID_TOUR_REMOVE));
    Command(ID_TOUR_MOVEUP);
    EXPECT_EQ(Document()->GetTour(0)->GetSite(0)->m_strHref, "b.htm");
    EXPECT_EQ(Document()->GetTour(0)->GetSite(0)->m_strTitle, "B");
    Command(ID_SITE_REMOVE);
    ASSERT_EQ(Document()->GetTour(0)->GetSiteCount(), 1);
    EXPECT_EQ(Document()->GetTour(0)->GetSite(0)->m_strHref, "a.htm");

    // Removing a tour asks first; No keeps it.
    tree.SelectItem(Child(tree, nullptr, 1));
    m_people.AnswerMessageBox(IDNO);
    Command(ID_TOUR_REMOVE);
    EXPECT_EQ(TourTitles(), (Strings{"Walk", "Run"}));
    m_people.AnswerMessageBox(IDYES);
    Command(ID_TOUR_REMOVE);
    EXPECT_EQ(TourTitles(), (Strings{"Walk"}));
    EXPECT_EQ(Messages("Are you sure you want to delete the selected tour?"), 2);
}

TEST_F(WorkspaceViews, BrowsingASiteSetsItsLink) {
    CLeafcraftStructNavView* view = OpenNavigation();
    ASSERT_NE(view, nullptr);
    CTourTreeCtrl& tree = view->GetTourTree();
    std::string chosen = WriteSource("chapter.htm");
    tree.SelectItem(Child(tree, Child(tree, nullptr, 1), 0));
    m_people.AnswerFiles({chosen});
    Command(ID_SITE_BROWSE);
    EXPECT_EQ(Document()->GetTour(1)->GetSite(0)->m_strHref, chosen);
    EXPECT_EQ(tree.GetItemText(Child(tree, Child(tree, nullptr, 1), 0)), chosen);
    // Cancelling changes nothing.
    m_people.AnswerFiles({});
    Command(ID_SITE_BROWSE);
    EXPECT_EQ(Document()->GetTour(1)->GetSite(0)->m_strHref, chosen);
}

class CoverPage : public WorkspaceViews {
protected:
    CLeafcraftCoverPageView* Open() {
        ClickIcon(3);
        return dynamic_cast<CLeafcraftCoverPageView*>(Frame()->GetWorkspaceView());
    }
    CListCtrl* List(CLeafcraftCoverPageView* view) {
        return view->GetDlgItemAs<CListCtrl>(static_cast<int>(CLeafcraftCoverPageView::IDC_GUIDE_LIST));
    }
    // Selects the row of a guide type title.
    int Select(CListCtrl* list, const char* title) {
        for (int row = 0; row < list->GetItemCount(); ++row)
            if (list->GetItemText(row, 0) == title) {
                list->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                return row;
            }
        return -1;
    }
    void Press(CLeafcraftCoverPageView* view, UINT id) {
        view->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    bool ButtonEnabled(CLeafcraftCoverPageView* view, UINT id) {
        CWnd* button = view->GetDlgItem(static_cast<int>(id));
        return button && button->IsWindowEnabled();
    }
};

TEST_F(CoverPage, AGuideLinkGetsAFileTheDefaultOrNothing) {
    CLeafcraftCoverPageView* view = Open();
    ASSERT_NE(view, nullptr);
    CListCtrl* list = List(view);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(ButtonEnabled(view, CLeafcraftCoverPageView::IDC_GUIDE_BROWSE));

    int row = Select(list, "Cover image");
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->GetItemText(row, 1), "(default)");
    EXPECT_TRUE(ButtonEnabled(view, CLeafcraftCoverPageView::IDC_GUIDE_BROWSE));
    CWnd* description = view->GetDlgItem(static_cast<int>(CLeafcraftCoverPageView::IDC_GUIDE_DESCRIPTION));
    ASSERT_NE(description, nullptr);
    EXPECT_NE(description->GetWindowText().str().find("Recommended size: 510x680"), std::string::npos);

    std::string picture = WriteSource("cover.jpg", "x");
    m_people.AnswerFiles({picture});
    Press(view, CLeafcraftCoverPageView::IDC_GUIDE_BROWSE);
    CLCCoverPage* item = Document()->GetGuideItem("other.ms-coverimage-standard", FALSE);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->m_nMode, CLCCoverPage::modeUser);
    EXPECT_EQ(item->m_strPath, picture);
    EXPECT_EQ(list->GetItemText(row, 1), picture);
    EXPECT_TRUE(Document()->IsModified());
    // The dialog offered the type's own filter.
    ASSERT_FALSE(m_people.Asked("files").empty());
    EXPECT_EQ(m_people.Asked("files").back().caption.find("Image files"), 0u);

    Press(view, CLeafcraftCoverPageView::IDC_GUIDE_NONE);
    EXPECT_EQ(item->m_nMode, CLCCoverPage::modeNone);
    EXPECT_TRUE(item->m_strPath.IsEmpty());
    EXPECT_EQ(list->GetItemText(row, 1), "(none)");
    Press(view, CLeafcraftCoverPageView::IDC_GUIDE_DEFAULT);
    EXPECT_EQ(item->m_nMode, CLCCoverPage::modeDefault);
    EXPECT_EQ(list->GetItemText(row, 1), "(default)");
}

TEST_F(CoverPage, ALinkWithoutADefaultCannotBeSetToIt) {
    CLeafcraftCoverPageView* view = Open();
    ASSERT_NE(view, nullptr);
    CListCtrl* list = List(view);
    ASSERT_NE(list, nullptr);
    int row = Select(list, "Copyright link");
    ASSERT_GE(row, 0);
    EXPECT_FALSE(ButtonEnabled(view, CLeafcraftCoverPageView::IDC_GUIDE_DEFAULT));
    Press(view, CLeafcraftCoverPageView::IDC_GUIDE_DEFAULT);
    CLCCoverPage* item = Document()->GetGuideItem("copyright-page", FALSE);
    EXPECT_TRUE(!item || item->m_nMode != CLCCoverPage::modeDefault);
    EXPECT_FALSE(Document()->IsModified());
}

}  // namespace
