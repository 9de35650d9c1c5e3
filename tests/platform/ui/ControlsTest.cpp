#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/SimpleControls.h"
#include "platform/ui/TreeCtrl.h"
#include "tests/platform/ui/UiTestEnvironment.h"

using namespace leaf::ui;

namespace {

// A modeless dialog that records the notifications of its controls.
class RecordingDialog : public CDialog {
public:
    std::vector<std::pair<int, UINT>> commands;   // (id, code)
    std::vector<UINT> notifies;
    std::vector<std::string> endEdits;             // texts of end-of-edit records ("<null>" for a cancel)
    std::vector<int> changedItems;
    bool acceptEdits = true;
    bool vetoBegin = false;
    bool refuseSpin = false;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND && lParam) commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (message == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            notifies.push_back(header->code);
            if (header->code == LVN_ENDLABELEDIT) {
                auto* info = reinterpret_cast<NMLVDISPINFO*>(lParam);
                endEdits.push_back(info->item.pszText ? info->item.pszText : "<null>");
                return acceptEdits;
            }
            if (header->code == TVN_ENDLABELEDIT) {
                auto* info = reinterpret_cast<NMTVDISPINFO*>(lParam);
                endEdits.push_back(info->item.pszText ? info->item.pszText : "<null>");
                return acceptEdits;
            }
            if (header->code == LVN_BEGINLABELEDIT || header->code == TVN_BEGINLABELEDIT) return vetoBegin;
            if (header->code == LVN_ITEMCHANGED) {
                auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
                if (change->uNewState & LVIS_SELECTED) changedItems.push_back(change->iItem);
            }
            if (header->code == UDN_DELTAPOS) return refuseSpin;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
    size_t Count(int id, UINT code) const { return std::count(commands.begin(), commands.end(), std::make_pair(id, code)); }
    size_t Count(UINT code) const { return std::count(notifies.begin(), notifies.end(), code); }
};

class ControlsTest : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::LoadUiTestResources();
        ASSERT_TRUE(dialog.Create(500));
        dialog.ShowWindow(SW_SHOW);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.GetWidget()));
    }
    void TearDown() override { dialog.DestroyWindow(); }
    ScriptedPeople people;
    RecordingDialog dialog;
};

int CompareDescending(LPARAM a, LPARAM b, LPARAM) { return a > b ? -1 : a < b ? 1 : 0; }

}  // namespace

TEST_F(ControlsTest, EveryTemplateControlCarriesItsId) {
    for (int id : {511, 512, 513, 521, 522, 530, 540, 550, 551, 560, 561, 570, 571, 580, 590, 591, 510, 520})
        EXPECT_NE(dialog.GetDlgItem(id), nullptr) << id;
    EXPECT_NE(qobject_cast<QTreeView*>(dialog.GetDlgItem(570)->GetWidget()), nullptr);   // report mode
    EXPECT_EQ(qobject_cast<QTreeView*>(dialog.GetDlgItem(571)->GetWidget()), nullptr);   // icon mode
}

TEST_F(ControlsTest, RadioGroupsAreExclusiveWithinTheirGroupOnly) {
    auto* left = qobject_cast<QRadioButton*>(dialog.GetDlgItem(511)->GetWidget());
    auto* right = qobject_cast<QRadioButton*>(dialog.GetDlgItem(513)->GetWidget());
    auto* large = qobject_cast<QRadioButton*>(dialog.GetDlgItem(522)->GetWidget());
    left->click();
    large->click();
    right->click();
    EXPECT_FALSE(left->isChecked());
    EXPECT_TRUE(right->isChecked());
    EXPECT_TRUE(large->isChecked());
    EXPECT_EQ(dialog.GetCheckedRadioButton(511, 513), 513);
    dialog.CheckRadioButton(511, 513, 512);
    EXPECT_EQ(dialog.GetCheckedRadioButton(511, 513), 512);
    EXPECT_EQ(dialog.GetCheckedRadioButton(521, 522), 522);
    EXPECT_EQ(dialog.Count(513, BN_CLICKED), 1u);
}

TEST_F(ControlsTest, ThreeStateCheckBoxAndSilentCodeChanges) {
    auto* box = dialog.GetDlgItemAs<CButton>(530);
    box->SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(box->GetCheck(), BST_INDETERMINATE);
    EXPECT_EQ(dialog.Count(530, BN_CLICKED), 0u);   // code sends no click
    box->Click();
    EXPECT_EQ(dialog.Count(530, BN_CLICKED), 1u);
}

TEST_F(ControlsTest, EditReportsEveryChange) {
    auto* edit = dialog.GetDlgItemAs<CEdit>(540);
    edit->SetWindowText("abc");
    QTest::keyClicks(edit->GetWidget(), "de");
    EXPECT_STREQ(edit->GetWindowText().c_str(), "abcde");
    EXPECT_EQ(dialog.Count(540, EN_CHANGE), 3u);
    edit->SetLimitText(4);
    EXPECT_EQ(edit->GetLimitText(), 4u);
    edit->SetSel(1, 3);
    int start = 0, end = 0;
    edit->GetSel(start, end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
}

TEST_F(ControlsTest, SortedListBoxKeepsOrderAndFindsCaseInsensitively) {
    auto* list = dialog.GetDlgItemAs<CListBox>(550);
    list->AddString("pear");
    list->AddString("Apple");
    list->AddString("banana");
    EXPECT_EQ(list->AddString("apricot"), 1);
    CString text;
    list->GetText(0, text);
    EXPECT_STREQ(text.c_str(), "Apple");
    EXPECT_EQ(list->FindString(-1, "BAN"), 2);
    EXPECT_EQ(list->FindStringExact(-1, "PEAR"), 3);
    EXPECT_EQ(list->FindString(2, "ap"), 0);   // wraps round
    EXPECT_EQ(list->FindString(-1, "kiwi"), LB_ERR);
    list->SetItemData(2, 99);
    EXPECT_EQ(list->GetItemData(2), 99);
    EXPECT_EQ(list->SetCurSel(3), 3);
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_EQ(dialog.Count(550, LBN_SELCHANGE), 0u);   // a selection by code is silent
    EXPECT_EQ(list->DeleteString(7), LB_ERR);
    EXPECT_EQ(list->DeleteString(0), 3);

    auto* multi = dialog.GetDlgItemAs<CListBox>(551);
    for (const char* s : {"one", "two", "three"}) multi->AddString(s);
    EXPECT_EQ(multi->GetItemData(0), 0);
    multi->SetSel(0);
    multi->SetSel(2);
    int items[3] = {};
    EXPECT_EQ(multi->GetSelItems(3, items), 2);
    EXPECT_EQ(items[1], 2);
}

TEST_F(ControlsTest, ComboBoxSelectsByPrefixAndReportsOnlyAPersonsChoice) {
    auto* combo = dialog.GetDlgItemAs<CComboBox>(561);
    for (const char* s : {"center", "left", "right"}) combo->AddString(s);
    EXPECT_EQ(combo->GetCurSel(), CB_ERR);   // adding selects nothing
    EXPECT_EQ(combo->SelectString(-1, "LE"), 1);
    EXPECT_EQ(combo->SelectString(-1, "justify"), CB_ERR);
    EXPECT_EQ(combo->GetCurSel(), 1);   // a failed search keeps the selection
    EXPECT_EQ(dialog.Count(561, CBN_SELCHANGE), 0u);
    combo->ChooseEntry(2);
    EXPECT_EQ(dialog.Count(561, CBN_SELCHANGE), 1u);
    CString text;
    combo->GetLBText(combo->GetCurSel(), text);
    EXPECT_STREQ(text.c_str(), "right");
    QTest::keyClick(combo->GetWidget(), Qt::Key_Up);   // a person moves the choice with a key
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(dialog.Count(561, CBN_SELCHANGE), 2u);

    auto* sorted = dialog.GetDlgItemAs<CComboBox>(560);
    sorted->AddString("Zeta");
    sorted->AddString("alpha");
    EXPECT_EQ(sorted->FindStringExact(-1, "ZETA"), 1);
}

TEST_F(ControlsTest, ListViewItemsColumnsDataAndSelection) {
    auto* list = dialog.GetDlgItemAs<CListCtrl>(570);
    EXPECT_EQ(list->InsertColumn(0, "Title", LVCFMT_LEFT, 175), 0);
    EXPECT_EQ(list->InsertColumn(1, "Size", LVCFMT_RIGHT, 75), 1);
    EXPECT_STREQ(list->GetColumnHeading(1).c_str(), "Size");
    EXPECT_EQ(list->GetColumnWidth(0), 175);
    for (int i = 0; i < 3; ++i) {
        int item = list->InsertItem(i, ("Chapter " + std::to_string(i + 1)).c_str());
        list->SetItemText(item, 1, (std::to_string(i + 1) + "KB").c_str());
        list->SetItemData(item, 100 + i);
    }
    EXPECT_EQ(list->InsertItem(0, "Cover"), 0);
    EXPECT_EQ(list->GetItemCount(), 4);
    EXPECT_STREQ(list->GetItemText(1, 0).c_str(), "Chapter 1");
    EXPECT_STREQ(list->GetItemText(3, 1).c_str(), "3KB");
    EXPECT_EQ(list->GetItemData(3), 102);
    EXPECT_EQ(list->FindItemData(101), 2);

    list->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list->SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list->GetSelectedCount(), 2u);
    EXPECT_EQ(list->GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list->GetNextItem(1, LVNI_SELECTED), 3);
    EXPECT_EQ(list->GetNextItem(3, LVNI_SELECTED), -1);
    EXPECT_EQ(dialog.changedItems, (std::vector<int>{1, 3}));

    // Sorting by data keeps the selection on the same items.
    list->SortItems(CompareDescending, 0);
    EXPECT_STREQ(list->GetItemText(0, 0).c_str(), "Chapter 3");
    EXPECT_STREQ(list->GetItemText(3, 0).c_str(), "Cover");
    EXPECT_EQ(list->GetItemState(0, LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_EQ(list->GetItemState(2, LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_EQ(list->GetSelectedCount(), 2u);
    EXPECT_TRUE(list->DeleteItem(0));
    EXPECT_FALSE(list->DeleteItem(10));
    EXPECT_EQ(list->GetItemCount(), 3);
}

TEST_F(ControlsTest, ListViewLabelEditingAsksTheDialog) {
    auto* list = dialog.GetDlgItemAs<CListCtrl>(570);
    list->InsertColumn(0, "Title");
    list->InsertItem(0, "Old title");

    // The dialog refuses the new text: the label stays.
    dialog.acceptEdits = false;
    auto* editor = qobject_cast<QLineEdit*>(list->EditLabel(0));
    ASSERT_NE(editor, nullptr);
    editor->setText("Refused");
    list->EndLabelEdit(TRUE);
    EXPECT_STREQ(list->GetItemText(0, 0).c_str(), "Old title");

    dialog.acceptEdits = true;
    editor = qobject_cast<QLineEdit*>(list->EditLabel(0));
    ASSERT_NE(editor, nullptr);
    editor->setText("New title");
    list->EndLabelEdit(TRUE);
    EXPECT_STREQ(list->GetItemText(0, 0).c_str(), "New title");

    editor = qobject_cast<QLineEdit*>(list->EditLabel(0));
    ASSERT_NE(editor, nullptr);
    editor->setText("Cancelled");
    list->EndLabelEdit(FALSE);
    EXPECT_STREQ(list->GetItemText(0, 0).c_str(), "New title");
    EXPECT_EQ(dialog.endEdits, (std::vector<std::string>{"Refused", "New title", "<null>"}));

    dialog.vetoBegin = true;
    EXPECT_EQ(list->EditLabel(0), nullptr);
    EXPECT_EQ(dialog.Count(LVN_BEGINLABELEDIT), 4u);
}

TEST_F(ControlsTest, ListViewKeysAndImages) {
    auto* list = dialog.GetDlgItemAs<CListCtrl>(570);
    list->InsertColumn(0, "Title");
    CImageList images;
    images.Create(16, 16);
    QPixmap strip(48, 16);
    strip.fill(Qt::red);
    EXPECT_EQ(images.Add(strip), 0);
    EXPECT_EQ(images.GetImageCount(), 3);
    list->SetImageList(&images, LVSIL_SMALL);
    list->InsertItem(0, "With image", 2);
    EXPECT_EQ(list->GetItemImage(0), 2);
    EXPECT_FALSE(list->Model()->item(0, 0)->icon().isNull());
    QTest::keyClick(list->GetWidget(), Qt::Key_Delete);
    QTest::keyClick(list->GetWidget(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(dialog.Count(LVN_KEYDOWN), 2u);
    EXPECT_TRUE(GetKeyState(VK_CONTROL) & 0x8000);
}

TEST_F(ControlsTest, TreeViewStructureSelectionAndLabelEditing) {
    auto* tree = dialog.GetDlgItemAs<CTreeCtrl>(580);
    HTREEITEM tour = tree->InsertItem("Tour");
    HTREEITEM b = tree->InsertItem("b site", tour);
    HTREEITEM a = tree->InsertItem("A site", tour, TVI_SORT);
    HTREEITEM first = tree->InsertItem("first", tour, TVI_FIRST);
    tree->SetItemData(b, 7);
    EXPECT_EQ(tree->GetCount(), 4u);
    EXPECT_EQ(tree->GetChildItem(tour), first);
    EXPECT_EQ(tree->GetNextSiblingItem(first), a);
    EXPECT_EQ(tree->GetNextSiblingItem(a), b);
    EXPECT_EQ(tree->GetNextSiblingItem(b), nullptr);
    EXPECT_EQ(tree->GetPrevSiblingItem(a), first);
    EXPECT_EQ(tree->GetParentItem(b), tour);
    EXPECT_EQ(tree->GetItemData(b), 7);
    EXPECT_TRUE(tree->ItemHasChildren(tour));
    tree->Expand(tour, TVE_EXPAND);
    EXPECT_TRUE(tree->IsExpanded(tour));
    tree->SelectItem(b);
    EXPECT_EQ(tree->GetSelectedItem(), b);
    EXPECT_GE(dialog.Count(TVN_SELCHANGED), 1u);

    auto* editor = qobject_cast<QLineEdit*>(tree->EditLabel(a));
    ASSERT_NE(editor, nullptr);
    editor->setText("Renamed");
    tree->EndLabelEdit(TRUE);
    EXPECT_STREQ(tree->GetItemText(a).c_str(), "Renamed");
    EXPECT_TRUE(tree->DeleteItem(tour));
    EXPECT_EQ(tree->GetCount(), 0u);
}

TEST_F(ControlsTest, TabsProgressAndTooltips) {
    auto* tabs = dialog.GetDlgItemAs<CTabCtrl>(590);
    tabs->InsertItem(0, "General");
    tabs->InsertItem(1, "Fonts");
    EXPECT_EQ(tabs->GetItemCount(), 2);
    EXPECT_EQ(tabs->SetCurSel(1), 0);
    EXPECT_EQ(dialog.Count(TCN_SELCHANGE), 0u);
    EXPECT_STREQ(tabs->GetItemText(1).c_str(), "Fonts");

    auto* progress = dialog.GetDlgItemAs<CProgressCtrl>(591);
    progress->SetRange32(0, 50);
    progress->SetStep(20);
    EXPECT_EQ(progress->StepIt(), 0);
    EXPECT_EQ(progress->StepIt(), 20);
    EXPECT_EQ(progress->GetPos(), 40);
    progress->StepIt();   // past the end: wraps round
    EXPECT_EQ(progress->GetPos(), 10);
    EXPECT_EQ(progress->SetPos(500), 10);
    EXPECT_EQ(progress->GetPos(), 50);

    CToolTipCtrl tips;
    tips.Create(&dialog);
    tips.AddTool(dialog.GetDlgItem(540), "Type here");
    EXPECT_EQ(dialog.GetDlgItem(540)->GetWidget()->toolTip(), "Type here");
    tips.Activate(FALSE);
    EXPECT_TRUE(dialog.GetDlgItem(540)->GetWidget()->toolTip().isEmpty());
    EXPECT_STREQ(tips.GetText(dialog.GetDlgItem(540)).c_str(), "Type here");
}

namespace {

// Dialog 7000 on a host widget, with its spin control 7002 and the spin's buddy 7001.
class UpDown : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::LoadUiTestResources();
        parent.Attach(&host);
        ASSERT_TRUE(page.Create(7000, &parent));
        spin = page.GetDlgItemAs<CSpinButtonCtrl>(7002);
    }
    void TearDown() override {
        page.DestroyWindow();
        parent.Detach();
    }

    QWidget host;
    CWnd parent;
    RecordingDialog page;
    CSpinButtonCtrl* spin = nullptr;
};

}  // namespace

TEST_F(UpDown, StepsItsBuddyWithinTheRangeAndAsksFirst) {
    spin->SetRange(1, 64);
    spin->SetPos(63);
    EXPECT_STREQ(page.GetDlgItem(7001)->GetWindowText().c_str(), "63");
    spin->PressArrow(+1);
    spin->PressArrow(+1);   // at the top: nothing changes
    EXPECT_EQ(spin->GetPos(), 64);
    page.refuseSpin = true;
    spin->PressArrow(-1);
    EXPECT_EQ(spin->GetPos(), 64);
    page.refuseSpin = false;
    spin->PressArrow(-1);
    EXPECT_EQ(spin->GetPos(), 63);
    EXPECT_EQ(page.GetDlgItemInt(7001), 63u);
    EXPECT_EQ(page.Count(7001, EN_CHANGE), 3u);   // each change of the buddy's text
    EXPECT_EQ(spin->GetBuddy(), page.GetDlgItem(7001));
}

TEST_F(UpDown, AHeldArrowMovesByTheIncrementOfItsTime) {
    spin->SetRange(0, 60);   // the buddy takes two digits
    spin->SetPos(10);
    spin->PressArrow(+1, 5000);   // no table: always one
    EXPECT_EQ(spin->GetPos(), 11);

    const UDACCEL table[] = {{0, 2}, {2, 5}, {4, 20}};
    EXPECT_FALSE(spin->SetAccel(0, table));
    ASSERT_TRUE(spin->SetAccel(3, table));
    UDACCEL read[3];
    EXPECT_EQ(spin->GetAccel(3, read), 3);
    EXPECT_EQ(read[1].nSec, 2u);
    EXPECT_EQ(read[1].nInc, 5u);
    struct Case {
        int heldMilliseconds;
        int delta;
        int expected;
    };
    for (const Case& c : {Case{0, +1, 13}, Case{1999, +1, 15}, Case{2000, +1, 20}, Case{4500, -1, 0},
                          Case{4500, +1, 20}, Case{9000, +1, 40}, Case{9000, +5, 60}, Case{9000, +1, 60}}) {
        spin->PressArrow(c.delta, c.heldMilliseconds);
        EXPECT_EQ(spin->GetPos(), c.expected) << c.heldMilliseconds;
    }
    spin->SetPos(55);
    spin->PressArrow(+1, 9000);   // past the top: stops at it
    EXPECT_EQ(spin->GetPos(), 60);

    const UDACCEL later[] = {{1, 7}};
    ASSERT_TRUE(spin->SetAccel(1, later));
    spin->PressArrow(-1, 500);   // before the first entry's time: one
    EXPECT_EQ(spin->GetPos(), 59);
    spin->PressArrow(-1, 1000);
    EXPECT_EQ(spin->GetPos(), 52);
}

TEST_F(UpDown, ItsFieldForTwoDigitsIsAsWideAsTheyAreBesideItsArrows) {
    host.resize(600, 100);
    host.show();
    auto* field = qobject_cast<QLineEdit*>(page.GetDlgItem(7001)->GetWidget());
    ASSERT_NE(field, nullptr);
    page.SetDlgItemText(7001, "63");
    const int digits = field->fontMetrics().horizontalAdvance(QStringLiteral("63"));
    // Room for its digits, not a line of text; the arrows follow it.
    EXPECT_GT(field->width(), digits);
    EXPECT_LT(field->width(), digits * 4);
    EXPECT_LT(spin->GetWidget()->x() - (field->x() + field->width()), 12);
}
