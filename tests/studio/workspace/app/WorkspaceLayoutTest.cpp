// How the started program first opens and how its workspace forms follow the main window:
// resized several times, each workspace's controls stand where a freshly made view of
// the same size puts them, inside the view and below its banner; the main window opens
// large on the screen; the source list's columns take the list's width.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QListWidget>
#include <QMainWindow>
#include <QRect>
#include <QScreen>
#include <QTreeView>
#include <map>
#include <sstream>

#include "platform/ui/ListCtrl.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/LeafcraftIconView.h"
#include "studio/workspace/LeafcraftPropertiesView.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/LeafcraftSrcFilesView.h"
#include "studio/workspace/MainFrame.h"
#include "tests/studio/workspace/app/AppFixture.h"

using leaf::test::AppFixture;

namespace {

using ControlRects = std::map<int, QRect>;

std::string Describe(const ControlRects& rects) {
    std::ostringstream out;
    for (const auto& [id, rect] : rects)
        out << id << ": " << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height() << "\n";
    return out.str();
}

void Settle() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

class WorkspaceLayout : public AppFixture {
protected:
    void SetUp() override {
        // The program's own definitions: the Properties workspace shows each kind of editor.
        m_app->m_metaDataPath = LEAF_SHIPPED_DEFINITIONS;
        ASSERT_TRUE(Start());
        Settle();
    }

    QMainWindow* Window() const { return Frame()->MainWindow(); }
    void ResizeWindow(int width, int height) {
        Window()->resize(width, height);
        Settle();
    }
    QWidget* ViewWidget() const {
        CLeafcraftBaseView* view = Frame()->GetWorkspaceView();
        return view ? view->GetWidget() : nullptr;
    }
    void Open(int workspace) {
        ClickIcon(workspace);
        Settle();
    }
    // Chooses the property with that label in the Properties workspace, as a click does.
    void ChooseProperty(const char* label) {
        auto* properties = qobject_cast<QListWidget*>(
            leaf::ui::FindControl(ViewWidget(), CLeafcraftPropertiesView::IDC_PROPERTY_LIST));
        ASSERT_NE(properties, nullptr);
        const QList<QListWidgetItem*> found = properties->findItems(label, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << label;
        properties->setCurrentItem(found.front());
        Settle();
    }
    // The visible controls of the workspace view, by id, in the view's coordinates.
    ControlRects Rects() const {
        ControlRects rects;
        QWidget* view = ViewWidget();
        if (!view) return rects;
        for (QWidget* child : view->findChildren<QWidget*>()) {
            const int id = leaf::ui::ControlId(child);
            if (id <= 0 || !child->isVisibleTo(view) || child->property("leafDialogRoot").toBool()) continue;
            rects[id] = QRect(child->mapTo(view, QPoint(0, 0)), child->size());
        }
        return rects;
    }
};

struct WorkspaceCase {
    int workspace;
    const char* name;
    const char* property;   // the property chosen in the Properties workspace, or null
};

class ResizedWorkspace : public WorkspaceLayout, public testing::WithParamInterface<WorkspaceCase> {};

TEST_P(ResizedWorkspace, PlacesItsControlsAsAFreshViewOfTheSameSize) {
    const WorkspaceCase& workspace = GetParam();
    Open(workspace.workspace);
    if (workspace.property) ChooseProperty(workspace.property);
    const int iconBarWidth = Frame()->GetIconView()->GetWidget()->width();
    // Large, small, large again: each change is measured by the form's own layout.
    for (QSize size : {QSize(1240, 980), QSize(640, 470), QSize(1180, 900), QSize(900, 700)})
        ResizeWindow(size.width(), size.height());
    const ControlRects resized = Rects();
    ASSERT_FALSE(resized.empty());
    // The workspace takes every change of the window; the icon bar keeps its width.
    EXPECT_EQ(Frame()->GetIconView()->GetWidget()->width(), iconBarWidth);

    const QWidget* view = ViewWidget();
    const int bannerBottom = Frame()->GetWorkspaceView()->GetBannerBandHeight();
    for (const auto& [id, rect] : resized) {
        EXPECT_GE(rect.top(), bannerBottom) << "control " << id << " over the banner";
        EXPECT_LE(rect.left() + rect.width(), view->width()) << "control " << id << " off the right edge";
        EXPECT_LE(rect.top() + rect.height(), view->height()) << "control " << id << " off the bottom edge";
    }

    // Away and back: the workspace's view is made afresh at the window's present size.
    Open(workspace.workspace == 0 ? 1 : 0);
    Open(workspace.workspace);
    if (workspace.property) ChooseProperty(workspace.property);
    const ControlRects fresh = Rects();
    EXPECT_EQ(Describe(resized), Describe(fresh));
}

INSTANTIATE_TEST_SUITE_P(EveryWorkspace, ResizedWorkspace,
                         testing::Values(WorkspaceCase{0, "SourceFiles", nullptr},
                                         WorkspaceCase{1, "PropertiesWithTheTitle", "Title"},
                                         WorkspaceCase{1, "PropertiesWithTheAuthors", "Author"},
                                         WorkspaceCase{2, "TableOfContents", nullptr},
                                         WorkspaceCase{3, "CoverPage", nullptr},
                                         WorkspaceCase{4, "Navigation", nullptr}),
                         [](const testing::TestParamInfo<WorkspaceCase>& info) { return info.param.name; });

TEST_F(WorkspaceLayout, TheMainWindowOpensLargeOnTheScreen) {
    const QRect available = Window()->screen()->availableGeometry();
    const QRect frame = Window()->frameGeometry();
    EXPECT_GE(frame.width() * 5, available.width() * 4);
    EXPECT_GE(frame.height() * 5, available.height() * 4);
    EXPECT_TRUE(available.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                           << frame.height();
}

TEST_F(WorkspaceLayout, TheCoverPageListsColumnsTakeTheListsWidth) {
    Open(3);
    auto* tree = qobject_cast<QTreeView*>(leaf::ui::FindControl(ViewWidget(), 1300));
    ASSERT_NE(tree, nullptr);
    for (QSize size : {QSize(640, 470), QSize(1240, 980)}) {
        ResizeWindow(size.width(), size.height());
        EXPECT_EQ(tree->columnWidth(0) + tree->columnWidth(1), tree->viewport()->width()) << size.width();
    }
}

TEST_F(WorkspaceLayout, SourceListColumnsTakeTheListsWidth) {
    auto* view = dynamic_cast<CLeafcraftSrcFilesView*>(Frame()->GetWorkspaceView());
    ASSERT_NE(view, nullptr);
    auto* tree = qobject_cast<QTreeView*>(view->GetListCtrl()->View());
    ASSERT_NE(tree, nullptr);
    const auto columnsSpan = [&] {
        int width = 0;
        for (int column = 0; column < tree->header()->count(); ++column) width += tree->columnWidth(column);
        return width;
    };
    for (QSize size : {QSize(640, 470), QSize(1240, 980)}) {
        ResizeWindow(size.width(), size.height());
        // Every column shows, "Modified" last, ending at the list's right edge.
        EXPECT_EQ(columnsSpan(), tree->viewport()->width()) << size.width();
        EXPECT_GT(tree->columnWidth(4), 60) << size.width();
        EXPECT_GT(tree->columnWidth(0), tree->columnWidth(2)) << "the shares stay as designed";
    }
    // A column the user sizes keeps its width when the window changes again.
    tree->header()->resizeSection(0, 90);
    ResizeWindow(900, 700);
    EXPECT_EQ(tree->columnWidth(0), 90);
}

using FirstUse = AppFixture;

TEST_F(FirstUse, WhileQuickStartIsUpTheEmptyListsCommandsAreDisabled) {
    leaf::AppProfile().WriteProfileInt("Options", "Show Startup Dialog", 1);
    std::map<int, bool> enabled;
    m_people.AnswerDialog([&](QDialog& dialog) {
        auto* view = dynamic_cast<CLeafcraftSrcFilesView*>(Frame()->GetWorkspaceView());
        ASSERT_NE(view, nullptr);
        for (int id : {1033, 1034, 1035, 1037, 43000}) {
            auto* button = qobject_cast<QAbstractButton*>(leaf::ui::FindControl(view->GetWidget(), id));
            ASSERT_NE(button, nullptr) << id;
            enabled[id] = button->isEnabled();
        }
        dialog.reject();
    });
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_people.UnansweredCount(), 0);
    const std::map<int, bool> expected = {{1033, true}, {1034, false}, {1035, false}, {1037, false}, {43000, false}};
    EXPECT_EQ(enabled, expected);
}

}  // namespace
