#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/TourTreeCtrl.h"

namespace {

using leaf::ui::ScriptedPeople;

// The main window: carries out (records) the tour commands the editor sends it.
class RecordingMainWindow : public CWnd {
public:
    RecordingMainWindow() {
        AttachCreated(new QWidget);
        MapCommandRange(ID_TOUR_ADD, ID_SITE_BROWSE, [this](UINT id) { commands.push_back(id); });
    }
    std::vector<UINT> commands;
};

// The host of the editor: a window holding the tree, filled from the document.
class TourTreeCtrlTest : public testing::Test {
protected:
    void SetUp() override {
        if (!AfxGetApp()) m_app = std::make_unique<CWinApp>("TourTest");
        m_previousMain = AfxGetApp()->m_pMainWnd;
        AfxGetApp()->m_pMainWnd = &m_main;
        m_host.reset(new HostWindow);
        ASSERT_TRUE(m_tree.Create(m_host.get(), 1300));
        m_tree.GetWidget()->setGeometry(0, 0, 240, 400);
        m_host->GetWidget()->resize(240, 400);
        m_host->GetWidget()->show();
        m_tree.SetScrollDelay(1);
        m_tree.SetScrollInterval(1);
        m_tree.SetScrollMargin(12);
    }
    void TearDown() override {
        AfxGetApp()->m_pMainWnd = m_previousMain;
    }

    struct HostWindow : CWnd {
        HostWindow() { AttachCreated(new QWidget); }
    };

    // Tours "T0".."Tn" with sites "T<i>/s<j>.htm" titled "Site <i>.<j>".
    void MakeTours(const std::vector<int>& siteCounts) {
        for (size_t i = 0; i < siteCounts.size(); ++i) {
            auto tour = std::make_unique<CLCTour>(CString(("T" + std::to_string(i)).c_str()), CString(("id" + std::to_string(i)).c_str()));
            for (int j = 0; j < siteCounts[i]; ++j)
                tour->AddSite(std::make_unique<CLCTourSite>(
                    CString(("Site " + std::to_string(i) + "." + std::to_string(j)).c_str()),
                    CString(("T" + std::to_string(i) + "/s" + std::to_string(j) + ".htm").c_str())));
            m_document.m_tours.push_back(std::move(tour));
        }
        Fill();
    }
    void Fill() {
        m_tree.DeleteAllItems();
        m_tree.SetDocument(&m_document);
        for (int i = 0; i < m_document.GetTourCount(); ++i) {
            CLCTour* tour = m_document.GetTour(i);
            HTREEITEM item = m_tree.InsertItem(tour->m_strTitle.GetString(), 0, 0, TVI_ROOT, TVI_LAST, FALSE);
            for (int j = 0; j < tour->GetSiteCount(); ++j)
                m_tree.InsertItem(tour->GetSite(j)->m_strHref.GetString(), 0, 0, item, TVI_LAST, FALSE);
            m_tree.Expand(item, TVE_EXPAND);
        }
        m_document.SetModifiedFlag(FALSE);
    }
    HTREEITEM Tour(int i) {
        HTREEITEM item = m_tree.GetRootItem();
        while (item && i-- > 0) item = m_tree.GetNextSiblingItem(item);
        return item;
    }
    HTREEITEM Site(int tour, int j) {
        HTREEITEM item = m_tree.GetChildItem(Tour(tour));
        while (item && j-- > 0) item = m_tree.GetNextSiblingItem(item);
        return item;
    }
    POINT Centre(HTREEITEM item) {
        RECT rect;
        EXPECT_TRUE(m_tree.DragDrop()->GetItemRect(item, &rect, TRUE));
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    static LPARAM At(POINT point) {
        return MAKELPARAM(static_cast<unsigned>(static_cast<WORD>(point.x)), static_cast<unsigned>(static_cast<WORD>(point.y)));
    }
    void BeginDrag(HTREEITEM item, bool right = false) {
        NMTREEVIEW begin;
        begin.hdr.code = right ? leaf::ui::TVN_BEGINRDRAG : leaf::ui::TVN_BEGINDRAG;
        begin.itemNew.hItem = item;
        begin.ptDrag = Centre(item);
        m_tree.SendMessage(leaf::ui::WM_REFLECT_NOTIFY, 1300, reinterpret_cast<LPARAM>(&begin));
        ASSERT_TRUE(m_tree.IsDragging());
    }
    void Drop(HTREEITEM on, bool ctrl) {
        POINT point = Centre(on);
        WPARAM flags = ctrl ? leaf::ui::MK_CONTROL : 0;
        m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, flags | leaf::ui::MK_LBUTTON, At(point));
        m_tree.SendMessage(leaf::ui::WM_LBUTTONUP, flags, At(point));
    }
    // The document as "T0[a,b] T1[c]" with site hrefs, and checks that the tree says the same.
    std::string Records() {
        std::string text;
        for (int i = 0; i < m_document.GetTourCount(); ++i) {
            CLCTour* tour = m_document.GetTour(i);
            text += (i ? " " : "") + std::string(tour->m_strTitle.GetString()) + "[";
            EXPECT_EQ(m_tree.GetItemText(Tour(i)), tour->m_strTitle);
            for (int j = 0; j < tour->GetSiteCount(); ++j) {
                text += (j ? "," : "") + std::string(tour->GetSite(j)->m_strHref.GetString());
                EXPECT_EQ(m_tree.GetItemText(Site(i, j)), tour->GetSite(j)->m_strHref);
            }
            EXPECT_EQ(Site(i, tour->GetSiteCount()), nullptr);
            text += "]";
        }
        EXPECT_EQ(Tour(m_document.GetTourCount()), nullptr);
        return text;
    }

    std::unique_ptr<CWinApp> m_app;
    CWnd* m_previousMain = nullptr;
    RecordingMainWindow m_main;
    std::unique_ptr<HostWindow> m_host;
    CTourTreeCtrl m_tree;
    CLeafcraftDoc m_document;
};

TEST_F(TourTreeCtrlTest, InsertsAndDeletesKeepRecordsInStep) {
    CTourTreeCtrl detached;
    ASSERT_TRUE(detached.Create(m_host.get(), 1301));
    EXPECT_EQ(detached.InsertItem("x", 0, 0, TVI_ROOT, TVI_LAST, TRUE), nullptr);
    HTREEITEM plain = detached.InsertItem("x", 0, 0, TVI_ROOT, TVI_LAST, FALSE);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(detached.DeleteItem(plain));

    MakeTours({2, 1});
    HTREEITEM first = m_tree.InsertItem("New Tour", 0, 0, TVI_ROOT, TVI_FIRST, TRUE);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(m_document.IsModified());
    EXPECT_EQ(m_document.GetTour(0)->m_strTitle, "New Tour");
    EXPECT_EQ(m_document.GetTour(0)->m_strID, "");
    m_tree.InsertItem("/b/new.htm", 0, 0, Tour(1), Site(1, 0), TRUE);
    EXPECT_EQ(m_document.GetTour(1)->GetSite(1)->m_strHref, "/b/new.htm");
    EXPECT_EQ(m_document.GetTour(1)->GetSite(1)->m_strTitle, "");
    EXPECT_EQ(Records(), "New Tour[] T0[T0/s0.htm,/b/new.htm,T0/s1.htm] T1[T1/s0.htm]");
    m_document.SetModifiedFlag(FALSE);
    EXPECT_TRUE(m_tree.DeleteItem(Site(1, 0)));
    EXPECT_TRUE(m_document.IsModified());
    EXPECT_TRUE(m_tree.DeleteItem(Tour(1)));
    EXPECT_EQ(Records(), "New Tour[] T1[T1/s0.htm]");
}

TEST_F(TourTreeCtrlTest, DropTargetsAreAlwaysAnotherTour) {
    MakeTours({2, 1, 0});
    BeginDrag(Site(0, 0));
    EXPECT_EQ(m_tree.ResolveDropTarget(Site(0, 0)), nullptr);   // itself
    EXPECT_EQ(m_tree.ResolveDropTarget(Tour(0)), nullptr);      // its tour
    EXPECT_EQ(m_tree.ResolveDropTarget(Site(0, 1)), nullptr);   // a site of its tour
    EXPECT_EQ(m_tree.ResolveDropTarget(Tour(1)), Tour(1));
    EXPECT_EQ(m_tree.ResolveDropTarget(Site(1, 0)), Tour(1));
    EXPECT_EQ(m_tree.ResolveDropTarget(nullptr), nullptr);
    m_tree.EndDrag();
    BeginDrag(Tour(0));
    EXPECT_EQ(m_tree.ResolveDropTarget(Tour(0)), nullptr);
    EXPECT_EQ(m_tree.ResolveDropTarget(Site(0, 1)), nullptr);   // its own site
    EXPECT_EQ(m_tree.ResolveDropTarget(Tour(2)), Tour(2));
    EXPECT_EQ(m_tree.ResolveDropTarget(Site(1, 0)), Tour(1));
    EXPECT_FALSE(m_tree.EndDrag() && m_tree.EndDrag());
}

TEST_F(TourTreeCtrlTest, SiteDroppedOnAnotherToursSiteMovesToItsEndOrCopiesWithCtrl) {
    MakeTours({2, 2});
    BeginDrag(Site(0, 0));
    Drop(Site(1, 0), false);
    EXPECT_FALSE(m_tree.IsDragging());
    EXPECT_TRUE(m_document.IsModified());
    EXPECT_EQ(Records(), "T0[T0/s1.htm] T1[T1/s0.htm,T1/s1.htm,T0/s0.htm]");
    // The moved site keeps its title.
    EXPECT_EQ(m_document.GetTour(1)->GetSite(2)->m_strTitle, "Site 0.0");
    EXPECT_EQ(m_tree.GetSelectedItem(), Site(1, 2));

    BeginDrag(Site(1, 0));
    Drop(Tour(0), true);
    EXPECT_EQ(Records(), "T0[T0/s1.htm,T1/s0.htm] T1[T1/s0.htm,T1/s1.htm,T0/s0.htm]");
    EXPECT_EQ(m_document.GetTour(0)->GetSite(1)->m_strTitle, "Site 1.0");
}

TEST_F(TourTreeCtrlTest, TourDroppedOnTourGivesItsSitesAndGoesUnlessCtrl) {
    MakeTours({2, 1, 0});
    BeginDrag(Tour(0));
    Drop(Site(1, 0), true);
    EXPECT_EQ(Records(), "T0[T0/s0.htm,T0/s1.htm] T1[T1/s0.htm,T0/s0.htm,T0/s1.htm] T2[]");
    EXPECT_EQ(m_tree.GetSelectedItem(), Tour(1));
    EXPECT_TRUE(m_tree.IsExpanded(Tour(1)));
    BeginDrag(Tour(0));
    Drop(Tour(2), false);
    EXPECT_EQ(Records(), "T1[T1/s0.htm,T0/s0.htm,T0/s1.htm] T2[T0/s0.htm,T0/s1.htm]");
    EXPECT_EQ(m_document.GetTour(1)->GetSite(1)->m_strTitle, "Site 0.1");
    EXPECT_EQ(m_document.GetTour(0)->m_strID, "id1");
}

TEST_F(TourTreeCtrlTest, RefusedDropsChangeNothing) {
    MakeTours({2, 1});
    const std::string before = Records();
    BeginDrag(Site(0, 0));
    Drop(Site(0, 0), false);
    BeginDrag(Site(0, 0));
    Drop(Tour(0), false);
    BeginDrag(Site(0, 0));
    Drop(Site(0, 1), true);
    BeginDrag(Tour(0));
    Drop(Site(0, 1), false);
    EXPECT_EQ(Records(), before);
    EXPECT_FALSE(m_document.IsModified());
    // Over a refused place the no-drop cursor shows.
    BeginDrag(Site(0, 0));
    m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, leaf::ui::MK_LBUTTON, At(Centre(Tour(0))));
    EXPECT_EQ(m_tree.CurrentCursor().shape(), Qt::ForbiddenCursor);
    m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, leaf::ui::MK_LBUTTON | leaf::ui::MK_CONTROL, At(Centre(Tour(1))));
    EXPECT_EQ(m_tree.CurrentCursor().shape(), Qt::DragCopyCursor);
    m_tree.SendMessage(WM_KEYDOWN, 0, 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(m_tree.GetWidget(), &release);
    EXPECT_EQ(m_tree.CurrentCursor().shape(), Qt::DragMoveCursor);
    m_tree.EndDrag();
}

TEST_F(TourTreeCtrlTest, HoverNearTheBottomScrollsUntilItCannot) {
    MakeTours(std::vector<int>(30, 0));
    BeginDrag(Tour(1));
    int height = m_tree.DragDrop()->ClientHeight();
    POINT bottom{20, height - 3};
    m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, leaf::ui::MK_LBUTTON, At(bottom));
    std::vector<HTREEITEM> firsts{m_tree.DragDrop()->GetFirstVisibleItem()};
    for (int step = 0; step < 60; ++step) {
        m_tree.SendMessage(WM_TIMER, kDragScrollTimer, 0);
        firsts.push_back(m_tree.DragDrop()->GetFirstVisibleItem());
    }
    // One line per step, then it stops at the end of the list.
    EXPECT_EQ(firsts[1], Tour(1));
    EXPECT_EQ(firsts[2], Tour(2));
    EXPECT_EQ(firsts.back(), firsts[firsts.size() - 2]);
    EXPECT_NE(firsts.back(), Tour(0));
    m_tree.EndDrag();
}

TEST_F(TourTreeCtrlTest, HoveringACollapsedTourWithASiteExpandsIt) {
    MakeTours({1, 2});
    m_tree.Expand(Tour(1), TVE_COLLAPSE);
    BeginDrag(Site(0, 0));
    POINT over = Centre(Tour(1));
    m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, leaf::ui::MK_LBUTTON, At(over));
    EXPECT_FALSE(m_tree.IsExpanded(Tour(1)));
    m_tree.SendMessage(WM_TIMER, kDragScrollTimer, 0);
    EXPECT_TRUE(m_tree.IsExpanded(Tour(1)));
    m_tree.EndDrag();
}

TEST_F(TourTreeCtrlTest, RightDragAsksCopyMoveOrCancel) {
    MakeTours({1, 1});
    ScriptedPeople people;
    people.AnswerMenu(ID_TREE_DRAGCANCEL);
    people.AnswerMenu(ID_TREE_DRAGMOVE);
    BeginDrag(Site(0, 0), true);
    m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, leaf::ui::MK_RBUTTON, At(Centre(Tour(1))));
    m_tree.SendMessage(leaf::ui::WM_RBUTTONUP, 0, At(Centre(Tour(1))));
    EXPECT_EQ(Records(), "T0[T0/s0.htm] T1[T1/s0.htm]");
    BeginDrag(Site(0, 0), true);
    m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, leaf::ui::MK_RBUTTON, At(Centre(Tour(1))));
    m_tree.SendMessage(leaf::ui::WM_RBUTTONUP, 0, At(Centre(Tour(1))));
    EXPECT_EQ(Records(), "T0[] T1[T1/s0.htm,T0/s0.htm]");
    ASSERT_EQ(people.Asked("menu").size(), 2u);
    EXPECT_NE(people.Asked("menu")[0].text.find("Move Here"), std::string::npos);
    EXPECT_EQ(people.Asked("menu")[0].defaultItem, "&Move Here");
    // With Ctrl held at the drop, copying is what a left-button drop would do: the default.
    people.AnswerMenu(ID_TREE_DRAGCANCEL);
    BeginDrag(Site(1, 1), true);
    m_tree.SendMessage(leaf::ui::WM_MOUSEMOVE, leaf::ui::MK_RBUTTON, At(Centre(Tour(0))));
    m_tree.SendMessage(leaf::ui::WM_RBUTTONUP, leaf::ui::MK_CONTROL, At(Centre(Tour(0))));
    ASSERT_EQ(people.Asked("menu").size(), 3u);
    EXPECT_EQ(people.Asked("menu")[2].defaultItem, "&Copy Here");
    EXPECT_EQ(people.UnansweredCount(), 0);
    EXPECT_EQ(m_tree.DragDrop()->GetDropHilightItem(), nullptr);
}

TEST_F(TourTreeCtrlTest, KeysAndDoubleClicksBecomeMainWindowCommands) {
    MakeTours({1, 1});
    QWidget* tree = m_tree.GetWidget();
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(tree, &event);
    };
    m_tree.SelectItem(Site(0, 0));
    press(Qt::Key_Up, Qt::ControlModifier);
    press(Qt::Key_Down, Qt::ControlModifier);
    press(Qt::Key_Insert, Qt::ControlModifier);
    press(Qt::Key_Insert, Qt::NoModifier);
    press(Qt::Key_Delete, Qt::NoModifier);
    press(Qt::Key_Delete, Qt::ShiftModifier);   // not a command
    m_tree.SelectItem(Tour(1));
    press(Qt::Key_Delete, Qt::NoModifier);
    press(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);   // not a command
    EXPECT_EQ(m_main.commands, (std::vector<UINT>{ID_TOUR_MOVEUP, ID_TOUR_MOVEDOWN, ID_TOUR_ADD, ID_SITE_ADD,
                                                  ID_SITE_REMOVE, ID_TOUR_REMOVE}));
    m_main.commands.clear();
    // A double click on a site browses; on a tour it is the tree's own.
    NMHDR click;
    click.code = NM_DBLCLK;
    m_tree.SelectItem(Site(1, 0));
    EXPECT_EQ(m_tree.SendMessage(leaf::ui::WM_REFLECT_NOTIFY, 1300, reinterpret_cast<LPARAM>(&click)), 1);
    m_tree.SelectItem(Tour(1));
    EXPECT_EQ(m_tree.SendMessage(leaf::ui::WM_REFLECT_NOTIFY, 1300, reinterpret_cast<LPARAM>(&click)), 0);
    EXPECT_EQ(m_main.commands, std::vector<UINT>{ID_SITE_BROWSE});
}

TEST_F(TourTreeCtrlTest, ContextMenusByItemKindGoToTheMainWindow) {
    MakeTours({1});
    ScriptedPeople people;
    people.AnswerMenu(ID_TOUR_REMOVE);
    people.AnswerMenu(ID_SITE_REMOVE);
    people.AnswerMenu(ID_TOUR_ADD);
    m_tree.SelectItem(Tour(0));
    m_tree.SendMessage(WM_CONTEXTMENU, 0, MAKELPARAM(0xFFFF, 0xFFFF));   // from the keyboard
    POINT site = Centre(Site(0, 0));
    QPoint screen = m_tree.Tree()->viewport()->mapToGlobal(QPoint(site.x, site.y));
    m_tree.SendMessage(WM_CONTEXTMENU, 0, At(POINT{screen.x(), screen.y()}));
    EXPECT_EQ(m_tree.GetSelectedItem(), Site(0, 0));
    QPoint empty = m_tree.Tree()->viewport()->mapToGlobal(QPoint(20, 380));
    m_tree.SendMessage(WM_CONTEXTMENU, 0, At(POINT{empty.x(), empty.y()}));
    EXPECT_EQ(m_main.commands, (std::vector<UINT>{ID_TOUR_REMOVE, ID_SITE_REMOVE, ID_TOUR_ADD}));
    std::vector<ScriptedPeople::Question> menus = people.Asked("menu");
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_NE(menus[0].text.find("Remove Tour"), std::string::npos);
    EXPECT_NE(menus[1].text.find("Remove Site"), std::string::npos);
    EXPECT_EQ(menus[2].text.find("Remove"), std::string::npos);
}

TEST_F(TourTreeCtrlTest, MouseDragThroughTheTreeMovesASite) {
    MakeTours({2, 1});
    QWidget* viewport = m_tree.Tree()->viewport();
    auto send = [&](QEvent::Type type, POINT at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at.x, at.y), viewport->mapToGlobal(QPointF(at.x, at.y)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    POINT from = Centre(Site(0, 1));
    POINT to = Centre(Tour(1));
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, POINT{from.x, from.y + 30}, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(m_tree.IsDragging());
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(m_tree.DragDrop()->GetDropHilightItem(), Tour(1));
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(m_tree.IsDragging());
    EXPECT_EQ(Records(), "T0[T0/s0.htm] T1[T1/s0.htm,T0/s1.htm]");
}

TEST_F(TourTreeCtrlTest, LosingTheFocusEndsADragAndLabelsStayShort) {
    MakeTours({1, 1});
    BeginDrag(Site(0, 0));
    NMHDR lost;
    lost.code = NM_KILLFOCUS;
    m_tree.SendMessage(leaf::ui::WM_REFLECT_NOTIFY, 1300, reinterpret_cast<LPARAM>(&lost));
    EXPECT_FALSE(m_tree.IsDragging());
    EXPECT_EQ(m_tree.DragDrop()->GetDropHilightItem(), nullptr);

    QWidget* editor = m_tree.EditLabel(Tour(0));
    QApplication::processEvents();
    auto* line = qobject_cast<QLineEdit*>(editor);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->maxLength(), kMaxLabelLength);
    m_tree.EndLabelEdit(FALSE);
}

}  // namespace
