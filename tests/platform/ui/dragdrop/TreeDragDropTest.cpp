#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <memory>
#include <vector>

#include "platform/ui/dragdrop/TreeDragDrop.h"

namespace {

using namespace leaf::ui;

struct Received {
    UINT message;
    UINT code;          // the notification code of a reflected notification
    WPARAM wParam;
    POINT point;
    HTREEITEM item;     // the dragged item of a begin-drag
};

// A tree that handles its own drags: it records what reaches it and takes the capture
// when a drag begins.
class RecordingTree : public CTreeCtrl {
public:
    std::vector<Received> received;
    std::unique_ptr<TreeDragDrop> dragDrop;
    LRESULT handleReflected = 1;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_REFLECT_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            Received entry{message, header->code, wParam, {}, nullptr};
            if (header->code == TVN_BEGINDRAG || header->code == TVN_BEGINRDRAG) {
                auto* begin = reinterpret_cast<NMTREEVIEW*>(lParam);
                entry.item = begin->itemNew.hItem;
                entry.point = begin->ptDrag;
                dragDrop->SetCapture();
            }
            received.push_back(entry);
            return handleReflected;
        }
        if (message == WM_MOUSEMOVE || message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_KEYDOWN ||
            message == WM_KEYUP || message == WM_CONTEXTMENU) {
            received.push_back({message, 0, wParam, PointFromLParam(lParam), nullptr});
            if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) dragDrop->ReleaseCapture();
            return 0;
        }
        return CTreeCtrl::WindowProc(message, wParam, lParam);
    }
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

class TreeDragDropTest : public testing::Test {
protected:
    void SetUp() override {
        ResourceNode node;
        node.kind = "tree";
        QWidget* widget = CTreeCtrl::CreateFromTemplate(node);
        widget->resize(200, 120);
        m_tree.Attach(widget);
        widget->setProperty("leafOwnedByWnd", true);
        for (int i = 0; i < 20; ++i) {
            HTREEITEM item = m_tree.InsertItem(("Tour " + std::to_string(i)).c_str());
            m_items.push_back(item);
            m_tree.InsertItem("site", item);
        }
        widget->show();
        m_tree.dragDrop = std::make_unique<TreeDragDrop>(m_tree);
    }
    void TearDown() override {
        m_tree.dragDrop.reset();
        delete m_tree.Detach();
    }
    QWidget* Viewport() { return m_tree.Tree()->viewport(); }
    QPoint Centre(HTREEITEM item) {
        RECT rect;
        EXPECT_TRUE(m_tree.dragDrop->GetItemRect(item, &rect, TRUE));
        return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }
    std::vector<UINT> Messages() const {
        std::vector<UINT> messages;
        for (const Received& entry : m_tree.received) messages.push_back(entry.message == WM_REFLECT_NOTIFY ? entry.code : entry.message);
        return messages;
    }

    RecordingTree m_tree;
    std::vector<HTREEITEM> m_items;
};

TEST_F(TreeDragDropTest, LeftDragBeginsPastTheDragDistanceAndFollowsTheCapture) {
    QPoint start = Centre(m_items[1]);
    SendMouse(Viewport(), QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    SendMouse(Viewport(), QEvent::MouseMove, start + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(m_tree.received.empty());   // not yet a drag
    QPoint far = start + QPoint(0, QApplication::startDragDistance() + 20);
    SendMouse(Viewport(), QEvent::MouseMove, far, Qt::NoButton, Qt::LeftButton);
    ASSERT_EQ(m_tree.received.size(), 1u);
    EXPECT_EQ(m_tree.received[0].code, TVN_BEGINDRAG);
    EXPECT_EQ(m_tree.received[0].item, m_items[1]);
    EXPECT_EQ(m_tree.received[0].point.y, start.y());
    SendMouse(Viewport(), QEvent::MouseMove, far + QPoint(0, 5), Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    SendMouse(Viewport(), QEvent::MouseButtonRelease, far + QPoint(0, 5), Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    EXPECT_EQ(Messages(), (std::vector<UINT>{TVN_BEGINDRAG, WM_MOUSEMOVE, WM_LBUTTONUP}));
    EXPECT_EQ(m_tree.received[1].wParam, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(m_tree.received[1].point.y, far.y() + 5);
    EXPECT_EQ(m_tree.received[2].wParam, MK_CONTROL);
    EXPECT_FALSE(m_tree.dragDrop->HasCapture());
    // Without the capture, moves are the tree's own again.
    SendMouse(Viewport(), QEvent::MouseMove, far, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(m_tree.received.size(), 3u);
}

TEST_F(TreeDragDropTest, RightButtonDragsOrClicksWhenItComesUp) {
    QPoint start = Centre(m_items[0]);
    SendMouse(Viewport(), QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, start, Viewport()->mapToGlobal(start));
    QApplication::sendEvent(Viewport(), &menu);
    SendMouse(Viewport(), QEvent::MouseButtonRelease, start, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(Messages(), std::vector<UINT>{NM_RCLICK});
    m_tree.received.clear();
    SendMouse(Viewport(), QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
    SendMouse(Viewport(), QEvent::MouseMove, start + QPoint(0, 40), Qt::NoButton, Qt::RightButton);
    SendMouse(Viewport(), QEvent::MouseButtonRelease, start + QPoint(0, 40), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(Messages(), (std::vector<UINT>{TVN_BEGINRDRAG, WM_RBUTTONUP}));
}

TEST_F(TreeDragDropTest, KeysGoToTheTreeWhileItHoldsTheCapture) {
    m_tree.dragDrop->SetCapture();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, QString(), true);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(m_tree.Tree(), &down);
    QApplication::sendEvent(m_tree.Tree(), &repeat);
    QApplication::sendEvent(m_tree.Tree(), &up);
    ASSERT_EQ(Messages(), (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP}));
    EXPECT_EQ(m_tree.received[0].wParam, static_cast<WPARAM>(VK_CONTROL));
    m_tree.dragDrop->ReleaseCapture();
    // Without it a key is offered as TVN_KEYDOWN; a handled key goes no further.
    m_tree.received.clear();
    QTreeWidgetItem* before = m_tree.Tree()->currentItem();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(m_tree.Tree(), &key);
    EXPECT_EQ(Messages(), std::vector<UINT>{TVN_KEYDOWN});
    EXPECT_EQ(m_tree.Tree()->currentItem(), before);
}

TEST_F(TreeDragDropTest, HitTestHighlightAndScrolling) {
    EXPECT_EQ(m_tree.dragDrop->HitTest(POINT{Centre(m_items[2]).x(), Centre(m_items[2]).y()}), m_items[2]);
    EXPECT_EQ(m_tree.dragDrop->HitTest(POINT{5, 5000}), nullptr);
    EXPECT_TRUE(m_tree.dragDrop->SelectDropTarget(m_items[3]));
    EXPECT_EQ(m_tree.dragDrop->GetDropHilightItem(), m_items[3]);
    m_tree.dragDrop->SelectDropTarget(nullptr);
    EXPECT_EQ(m_tree.dragDrop->GetDropHilightItem(), nullptr);

    EXPECT_EQ(m_tree.dragDrop->GetFirstVisibleItem(), m_items[0]);
    EXPECT_FALSE(m_tree.dragDrop->ScrollLine(true));   // at the top already
    EXPECT_TRUE(m_tree.dragDrop->ScrollLine(false));
    EXPECT_EQ(m_tree.dragDrop->GetFirstVisibleItem(), m_items[1]);
    EXPECT_TRUE(m_tree.dragDrop->ScrollLine(true));
    EXPECT_EQ(m_tree.dragDrop->GetFirstVisibleItem(), m_items[0]);
    while (m_tree.dragDrop->ScrollLine(false)) {
    }
    // At the bottom the last tour is on screen and the first is not.
    RECT last;
    EXPECT_TRUE(m_tree.dragDrop->GetItemRect(m_items[19], &last, FALSE));
    EXPECT_LE(last.bottom, m_tree.dragDrop->ClientHeight());
    EXPECT_NE(m_tree.dragDrop->GetFirstVisibleItem(), m_items[0]);
}

TEST_F(TreeDragDropTest, DragImageOnlyForItemsOnScreen) {
    std::unique_ptr<DragImage> image = m_tree.dragDrop->CreateDragImage(m_items[0]);
    ASSERT_NE(image, nullptr);
    image->BeginDrag(POINT{3, 3});
    image->DragEnter(Viewport(), POINT{20, 20});
    EXPECT_TRUE(image->IsShown());
    image->DragShowNolock(FALSE);
    EXPECT_FALSE(image->IsShown());
    image->EndDrag();
    EXPECT_FALSE(image->IsShown());
    // A collapsed tour's site has no place on screen.
    EXPECT_EQ(m_tree.dragDrop->CreateDragImage(m_tree.GetChildItem(m_items[0])), nullptr);
}

}  // namespace
