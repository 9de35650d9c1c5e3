// The program's window hooks: anchoring children to a resizable parent, idle-time command
// update of a form's controls, tracking sizes, and the recent-file menu entry.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "platform/ui/FrameWnd.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"
#include "studio/workspace/AnchorHook.h"
#include "studio/workspace/CmdUIHook.h"
#include "studio/workspace/MinMaxHook.h"
#include "studio/workspace/MruMenuHook.h"

namespace {

// A window of our own over a fresh top-level widget, deleted with the test.
class TestWindow : public CWnd {
public:
    TestWindow() { Attach(new QWidget); }
    ~TestWindow() override { delete Detach(); }
};

QPushButton* AddButton(QWidget* parent, int id, QRect geometry = {}) {
    auto* button = new QPushButton(QStringLiteral("b%1").arg(id), parent);
    leaf::ui::SetControlId(button, id);
    if (!geometry.isNull()) button->setGeometry(geometry);
    return button;
}

void Resize(QWidget* widget, int width, int height) {
    QSize old = widget->size();
    widget->resize(width, height);
    QResizeEvent event(QSize(width, height), old);
    QCoreApplication::sendEvent(widget, &event);
}

}  // namespace

TEST(AnchorHook, MovesAndStretchesChildrenByTheirFlags) {
    TestWindow form;
    QWidget* widget = form.GetWidget();
    widget->resize(200, 100);
    struct Child {
        int id;
        WORD flags;
        QRect expected;   // after the parent grew by 40, 20
    };
    const std::vector<Child> children = {
        {1, 0x0011, QRect(50, 10, 50, 20)},    // moves with the right edge
        {2, 0x1010, QRect(10, 40, 90, 40)},    // stretches both ways
        {3, 0x0000, QRect(10, 70, 50, 20)},    // stays
        {4, 0x1100, QRect(100, 60, 50, 20)},   // moves down with the bottom edge
        {5, 0x0010, QRect(100, 10, 90, 20)},   // stretches to the right
    };
    const std::vector<QRect> start = {QRect(10, 10, 50, 20), QRect(10, 40, 50, 20), QRect(10, 70, 50, 20),
                                      QRect(100, 40, 50, 20), QRect(100, 10, 50, 20)};
    for (size_t i = 0; i < children.size(); ++i) AddButton(widget, children[i].id, start[i]);

    CAnchorHook hook;
    ASSERT_TRUE(hook.Install(&form));
    for (const Child& child : children) hook.SetAnchor(static_cast<UINT>(child.id), child.flags);
    EXPECT_EQ(hook.GetRecordedSize().cx, 200);

    Resize(widget, 240, 120);
    for (const Child& child : children)
        EXPECT_EQ(leaf::ui::FindControl(widget, child.id)->geometry(), child.expected) << "control " << child.id;

    // A minimise moves nothing; the next size is measured from the last normal one.
    form.SendMessage(WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_EQ(leaf::ui::FindControl(widget, 1)->geometry(), children[0].expected);
    Resize(widget, 250, 120);
    EXPECT_EQ(leaf::ui::FindControl(widget, 1)->geometry(), QRect(60, 10, 50, 20));
    EXPECT_EQ(hook.GetRecordedSize().cx, 250);
}

TEST(AnchorHook, TheDesignSizeIsWhereChangesAreMeasuredFrom) {
    TestWindow form;
    QWidget* widget = form.GetWidget();
    widget->resize(300, 100);
    auto* layout = new QVBoxLayout(widget);
    QPushButton* laidOut = AddButton(widget, 7);
    layout->addWidget(laidOut);
    AddButton(widget, 8, QRect(0, 0, 40, 20));

    CAnchorHook hook;
    SIZE design{280, 100};
    ASSERT_TRUE(hook.Install(&form, &design));
    hook.SetAnchor(7, 0x0011);
    hook.SetAnchor(8, 0x0011);
    Resize(widget, 300, 100);   // 20 wider than the design size
    EXPECT_EQ(leaf::ui::FindControl(widget, 8)->geometry(), QRect(20, 0, 40, 20));

    CAnchorHook unattached;
    EXPECT_FALSE(unattached.Install(nullptr));
    EXPECT_FALSE(hook.Install(&form));   // attached already
}

namespace {

// A form built as the workspace forms are: a column holding a row with a stretching edit
// and a button, a stretch, and a button at the bottom.
void BuildRowForm(QWidget* widget, int width, int height) {
    auto* column = new QVBoxLayout(widget);
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    auto* edit = new QLineEdit(widget);
    leaf::ui::SetControlId(edit, 1);
    row->addWidget(edit, 1);
    row->addWidget(AddButton(widget, 2));
    column->addStretch(1);
    column->addWidget(AddButton(widget, 3));
    widget->resize(width, height);
    column->activate();
}

}  // namespace

TEST(AnchorHook, ControlsInTheLayoutsRowsArePlacedOnlyByTheLayout) {
    TestWindow form;
    QWidget* widget = form.GetWidget();
    BuildRowForm(widget, 300, 200);
    CAnchorHook hook;
    ASSERT_TRUE(hook.Install(&form));
    hook.SetAnchor(1, CAnchorHook::ANCHOR_RIGHT);
    hook.SetAnchor(2, CAnchorHook::ANCHOR_LEFT | CAnchorHook::ANCHOR_RIGHT);
    hook.SetAnchor(3, CAnchorHook::ANCHOR_TOP | CAnchorHook::ANCHOR_BOTTOM);
    for (QSize size : {QSize(700, 500), QSize(260, 180), QSize(640, 420)}) Resize(widget, size.width(), size.height());

    TestWindow fresh;
    BuildRowForm(fresh.GetWidget(), 640, 420);
    for (int id : {1, 2, 3})
        EXPECT_EQ(leaf::ui::FindControl(widget, id)->geometry(), leaf::ui::FindControl(fresh.GetWidget(), id)->geometry())
            << "control " << id;
    EXPECT_EQ(hook.GetRecordedSize().cx, 640);
}

namespace {

// A form whose update handlers drive its buttons.
class Form : public TestWindow {
public:
    Form() {
        MapUpdateUI(10, [this](CCmdUI* ui) { ui->Enable(canApply); });
        MapUpdateUI(11, [](CCmdUI* ui) { ui->SetCheck(1); });
        MapCommand(12, [] {});
    }
    void OnIdleUpdateCmdUI(BOOL) override { ++passedOn; }
    BOOL canApply = FALSE;
    int passedOn = 0;
};

}  // namespace

TEST(CmdUIHook, IdleUpdateRunsTheFormsHandlersForEachControl) {
    Form form;
    QWidget* widget = form.GetWidget();
    auto* layout = new QVBoxLayout(widget);
    layout->addWidget(AddButton(widget, 10));
    layout->addWidget(AddButton(widget, 11));
    auto* group = new QGroupBox(widget);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(AddButton(group, 12));
    groupLayout->addWidget(AddButton(group, 13));
    layout->addWidget(group);

    CCmdUIHook hook;
    ASSERT_TRUE(hook.Install(&form, TRUE));

    // Hidden: nothing is updated, but the message goes on to the window.
    form.SendMessage(WM_IDLEUPDATECMDUI, 0, 0);
    EXPECT_TRUE(leaf::ui::FindControl(widget, 10)->isEnabled());
    EXPECT_EQ(form.passedOn, 1);

    widget->show();
    CWinApp app("Hooks");
    app.RegisterWindow(&form);
    app.OnIdle(0);
    EXPECT_TRUE(app.OnIdle(1));   // one registered window updated per idle call
    EXPECT_FALSE(app.OnIdle(2));
    EXPECT_FALSE(leaf::ui::FindControl(widget, 10)->isEnabled());
    EXPECT_TRUE(qobject_cast<QPushButton*>(leaf::ui::FindControl(widget, 11))->isChecked());
    EXPECT_TRUE(leaf::ui::FindControl(widget, 12)->isEnabled());    // a command handler exists
    EXPECT_FALSE(leaf::ui::FindControl(widget, 13)->isEnabled());   // no handler at all
    EXPECT_EQ(form.passedOn, 2);

    form.canApply = TRUE;
    form.SendMessage(WM_IDLEUPDATECMDUI, 0, 0);
    EXPECT_TRUE(leaf::ui::FindControl(widget, 10)->isEnabled());

    // Without the disable-if-no-handler flag a control without handlers is left alone.
    CCmdUIHook lenient;
    TestWindow other;
    AddButton(other.GetWidget(), 20);
    other.GetWidget()->show();
    ASSERT_TRUE(lenient.Install(&other, FALSE));
    other.SendMessage(WM_IDLEUPDATECMDUI, 0, 0);
    EXPECT_TRUE(leaf::ui::FindControl(other.GetWidget(), 20)->isEnabled());
    EXPECT_FALSE(lenient.Install(nullptr, FALSE));
}

namespace {

// A window whose own handling of the tracking sizes runs after the hook's.
class SizedWindow : public TestWindow {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_GETMINMAXINFO && widenMinimum) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x += 5;
        return TestWindow::WindowProc(message, wParam, lParam);
    }
    bool widenMinimum = false;
};

}  // namespace

TEST(MinMaxHook, SizesComeFromArgumentsOrTheCurrentSize) {
    SizedWindow window;
    QWidget* widget = window.GetWidget();
    widget->resize(300, 200);
    RECT outer;
    window.GetWindowRect(&outer);

    CMinMaxHook current;
    SIZE sameAsNow{-1, -1};
    ASSERT_TRUE(current.Install(&window, &sameAsNow, nullptr));
    EXPECT_EQ(current.GetMinimum().cx, outer.right - outer.left);
    EXPECT_EQ(current.GetMinimum().cy, outer.bottom - outer.top);
    EXPECT_EQ(current.GetMaximum().cx, -2);   // none
    EXPECT_EQ(widget->minimumSize(), QSize(outer.right - outer.left, outer.bottom - outer.top));
    EXPECT_EQ(widget->maximumWidth(), QWIDGETSIZE_MAX);
    ASSERT_TRUE(current.HookWindow(nullptr));

    SizedWindow other;
    other.widenMinimum = true;
    CMinMaxHook given;
    SIZE minimum{100, 80};
    SIZE maximum{400, 300};
    ASSERT_TRUE(given.Install(&other, &minimum, &maximum));
    // The window's own handling saw the record after the hook and changed it.
    EXPECT_EQ(other.GetWidget()->minimumSize(), QSize(105, 80));
    EXPECT_EQ(other.GetWidget()->maximumSize(), QSize(400, 300));

    MINMAXINFO info;
    other.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxTrackSize.x, 400);
    EXPECT_EQ(info.ptMinTrackSize.x, 105);

    CMinMaxHook none;
    EXPECT_FALSE(none.Install(nullptr, &minimum, nullptr));
}

namespace {

std::unique_ptr<CMenu> FileMenuBar() {
    auto file = std::make_unique<CMenu>();
    file->CreatePopupMenu();
    file->AppendMenu(MF_STRING, 40000, "&New");
    file->AppendMenu(MF_SEPARATOR);
    file->AppendMenu(MF_STRING | MF_GRAYED, ID_FILE_MRU_FILE1, "Recent File");
    file->AppendMenu(MF_SEPARATOR);
    file->AppendMenu(MF_STRING, ID_APP_EXIT, "E&xit");
    auto bar = std::make_unique<CMenu>();
    bar->CreateMenu();
    bar->AppendPopup("&File", std::move(file));
    return bar;
}

std::vector<UINT> Ids(const CMenu& menu) {
    std::vector<UINT> ids;
    for (UINT i = 0; i < menu.GetMenuItemCount(); ++i) ids.push_back(menu.GetMenuItemID(static_cast<int>(i)));
    return ids;
}

// A program with a recent-file list of four and a frame window with the File menu bar.
class MruMenuHook : public testing::Test {
protected:
    void SetUp() override {
        app.SetRegistryKey("Leaf Tests");
        app.LoadStdProfileSettings(4);
        ASSERT_TRUE(frame.Create("Hooks"));
        frame.SetMenu(FileMenuBar());
    }

    CWinApp app{"Hooks"};
    CFrameWnd frame;
    CMruMenuHook hook;
};

}  // namespace

TEST_F(MruMenuHook, EmptyListHidesThePlaceholderAndItsSeparator) {
    CMenu* file = frame.GetMenu()->GetSubMenu(0);

    EXPECT_FALSE(hook.Install(&frame, nullptr));
    ASSERT_TRUE(hook.Install(&frame, app.m_pRecentFileList));

    file->UpdateForPopup(&frame, 0);
    EXPECT_TRUE(hook.IsRemoved());
    EXPECT_EQ(Ids(*file), (std::vector<UINT>{40000, 0, ID_APP_EXIT}));
    // Opening again changes nothing more.
    file->UpdateForPopup(&frame, 0);
    EXPECT_EQ(Ids(*file), (std::vector<UINT>{40000, 0, ID_APP_EXIT}));

    // With an entry the layout separator, entry, separator comes back at its old place,
    // and the class library fills in the entry.
    app.AddToRecentFileList("/books/a.lcp");
    file->UpdateForPopup(&frame, 0);
    EXPECT_EQ(Ids(*file), (std::vector<UINT>{40000, 0, ID_FILE_MRU_FILE1, 0, ID_APP_EXIT}));
    CString text;
    file->GetMenuString(ID_FILE_MRU_FILE1, text, MF_BYCOMMAND);
    EXPECT_EQ(text.str(), "&1 /books/a.lcp");
    EXPECT_EQ(file->GetMenuState(ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED, 0u);

    // Other popups are left alone.
    CMenu other;
    other.CreatePopupMenu();
    other.AppendMenu(MF_STRING, 41000, "&Banner Image");
    other.UpdateForPopup(&frame, 1);
    EXPECT_EQ(Ids(other), (std::vector<UINT>{41000}));
}

TEST_F(MruMenuHook, EveryFilePopupPutOnTheWindowIsHandled) {
    ASSERT_TRUE(hook.Install(&frame, app.m_pRecentFileList));
    frame.GetMenu()->GetSubMenu(0)->UpdateForPopup(&frame, 0);
    ASSERT_TRUE(hook.IsRemoved());

    // A view swaps in a menu of its own: its File popup loses the empty entry too.
    frame.SetMenu(FileMenuBar());
    CMenu* file = frame.GetMenu()->GetSubMenu(0);
    file->UpdateForPopup(&frame, 0);
    EXPECT_EQ(Ids(*file), (std::vector<UINT>{40000, 0, ID_APP_EXIT}));

    // And gets it back once the list has an entry, wherever the hook removed it first.
    app.AddToRecentFileList("/books/b.lcp");
    file->UpdateForPopup(&frame, 0);
    EXPECT_EQ(Ids(*file), (std::vector<UINT>{40000, 0, ID_FILE_MRU_FILE1, 0, ID_APP_EXIT}));

    // A popup without Exit is never taken for the File popup.
    CMenu other;
    other.CreatePopupMenu();
    other.AppendMenu(MF_STRING, 41000, "&Banner Image");
    other.UpdateForPopup(&frame, 1);
    EXPECT_EQ(Ids(other), (std::vector<UINT>{41000}));
}
