#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "platform/ui/ListBox.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/View.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/LCMetaData.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/MetaDataDefinition.h"
#include "studio/workspace/LeafcraftPropertiesView.h"
#include "tests/studio/workspace/sources/StudioTestApp.h"

using namespace leaf::test;

namespace {

std::unique_ptr<CMetaDataDefinition> Definition(const char* name, const char* label, int type,
                                                std::vector<CString> choices = {}, bool customize = false,
                                                bool sort = false) {
    auto definition = std::make_unique<CMetaDataDefinition>();
    definition->m_strName = name;
    definition->m_strLabel = label;
    definition->m_nPromptType = type;
    definition->m_choices = std::move(choices);
    definition->m_bCustomize = customize;
    definition->m_bSort = sort;
    definition->m_strNotes = "First line\\nSecond line";
    return definition;
}

class PropertiesViewTest : public testing::Test, public StudioWindowTest {
protected:
    void SetUp() override {
        auto& definitions = leaf::GetApplicationLists().m_metaDataDefinitions;
        definitions.clear();
        definitions.push_back(Definition("dc:Title", "Title", 1));
        definitions.push_back(Definition("dc:Description", "Description", 2));
        definitions.push_back(Definition("dc:Language", "Language", 3, {"English", "French"}, true));
        definitions.push_back(Definition("dc:Subject", "Subject", 4, {"Art", "History", "Poetry"}, true));
        definitions.push_back(Definition("dc:Creator", "Author", 5, {}, true));
        definitions.push_back(Definition("dc:Identifier", "Identifier", 6, {}, true));
        definitions.push_back(Definition("dc:Contributor", "Contributors", 5, {}, true, true));
        hostWidget = std::make_unique<QWidget>();
        hostWidget->resize(800, 600);
        host.Attach(hostWidget.get());
    }
    void TearDown() override {
        if (view && view->GetWidget()) view->DestroyWindow();
        view.reset();
        host.Detach();
        hostWidget.reset();
        leaf::GetApplicationLists().m_metaDataDefinitions.clear();
    }
    void Open() {
        view = std::make_unique<CLeafcraftPropertiesView>();
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        ASSERT_TRUE(view->Create(&host, 59648, &context));
        view->OnInitialUpdate();
        QCoreApplication::sendPostedEvents();
    }
    void Choose(int line) {
        view->GetDlgItemAs<CListBox>(1021)->SetCurSel(line);
        view->OnPropertySelected();
    }
    CListCtrl& List(UINT id) { return *view->GetDlgItemAs<CListCtrl>(id); }
    std::vector<std::string> Rows(UINT id, int column = 0) {
        std::vector<std::string> rows;
        for (int i = 0; i < List(id).GetItemCount(); ++i) rows.push_back(List(id).GetItemText(i, column).str());
        return rows;
    }
    // Selects the rows at once, as one click or drag of a person does.
    void SelectRows(UINT id, std::initializer_list<int> rows) {
        QAbstractItemView* list = List(id).View();
        QItemSelection selection;
        for (int row : rows) selection.select(list->model()->index(row, 0), list->model()->index(row, 0));
        list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        if (rows.size() > 0)
            list->selectionModel()->setCurrentIndex(list->model()->index(*rows.begin(), 0), QItemSelectionModel::NoUpdate);
        view->OnValueSelectionChanged(nullptr, nullptr);
    }
    bool Visible(UINT id) { return !view->GetDlgItem(static_cast<int>(id))->GetWidget()->isHidden(); }
    CLCMetaData& Item(const char* name) { return *doc.GetMetaData(name, TRUE); }
    std::vector<std::string> Values(const char* name) {
        std::vector<std::string> values;
        for (const CString& value : Item(name).m_values) values.push_back(value.str());
        return values;
    }
    std::vector<std::string> Attributes(const char* name) {
        std::vector<std::string> values;
        for (const CString& value : Item(name).m_attributes) values.push_back(value.str());
        return values;
    }
    bool Enabled(UINT id) {
        CCmdUI state;
        state.m_nID = id;
        state.m_enabled = FALSE;
        view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state);
        return state.m_enabled;
    }

    TempFolder folder;
    std::unique_ptr<QWidget> hostWidget;
    CWnd host;
    CLeafcraftDoc doc;
    std::unique_ptr<CLeafcraftPropertiesView> view;
};

}  // namespace

TEST_F(PropertiesViewTest, EnteringWithAnEmptyTitleTakesTheFirstSourcesTitle) {
    doc.AddSourceFile(CString(folder.WriteFile("a.htm", "<title>A Book</title>")), 0);
    doc.SetModifiedFlag(FALSE);
    Open();
    EXPECT_EQ(doc.GetTitle().str(), "A Book");
    EXPECT_TRUE(doc.IsModified());
    auto* properties = view->GetDlgItemAs<CListBox>(1021);
    ASSERT_EQ(properties->GetCount(), 7);
    CString label;
    properties->GetText(4, label);
    EXPECT_EQ(label.str(), "Author");
    // The first property's editor came up through the posted selection change.
    EXPECT_TRUE(Visible(1025));
    CString shown;
    view->GetDlgItemText(1025, shown);
    EXPECT_EQ(shown.str(), "A Book");
    view->GetDlgItemText(1030, shown);
    EXPECT_EQ(shown.str(), "First line\nSecond line");
}

TEST_F(PropertiesViewTest, WithoutSourcesTheTitleStaysEmpty) {
    Open();
    EXPECT_EQ(doc.GetTitle().str(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(view->ValidateWorkspace(TRUE));
}

TEST_F(PropertiesViewTest, EditsGoIntoTheValueAtOnce) {
    Open();
    Choose(1);
    EXPECT_TRUE(Visible(1022));
    EXPECT_FALSE(Visible(1025));
    view->SetDlgItemText(1022, "About this book");
    EXPECT_EQ(Item("dc:Description").m_strValue.str(), "About this book");
    EXPECT_TRUE(doc.IsModified());
    doc.SetModifiedFlag(FALSE);
    view->SetDlgItemText(1022, "About this book");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(PropertiesViewTest, SingleChoiceSetsTheValueAndTheEntryRowClearsIt) {
    Item("dc:Language").AddValue("French");
    Open();
    Choose(2);
    EXPECT_TRUE(Visible(1100));
    EXPECT_EQ(Rows(1100), (std::vector<std::string>{"English", "French", "[new]"}));
    EXPECT_EQ(List(1100).GetNextItem(-1, LVNI_SELECTED), 1);
    doc.SetModifiedFlag(FALSE);
    SelectRows(1100, {1});   // the chosen text again: nothing changes
    EXPECT_FALSE(doc.IsModified());
    SelectRows(1100, {0});
    EXPECT_EQ(Values("dc:Language"), (std::vector<std::string>{"English"}));
    EXPECT_TRUE(doc.IsModified());
    SelectRows(1100, {2});
    EXPECT_TRUE(Values("dc:Language").empty());
}

TEST_F(PropertiesViewTest, MultipleChoiceTakesTheSelectedSetOnlyWhenItChanges) {
    Item("dc:Subject").AddValue("History");
    Item("dc:Subject").AddValue("Gardening");   // a value that is no choice gets its own row
    Open();
    Choose(3);
    EXPECT_TRUE(Visible(1102));
    EXPECT_EQ(Rows(1102), (std::vector<std::string>{"Art", "History", "Poetry", "Gardening", "[new]"}));
    doc.SetModifiedFlag(FALSE);
    SelectRows(1102, {1, 3});
    EXPECT_FALSE(doc.IsModified());
    SelectRows(1102, {0, 2, 4});
    EXPECT_EQ(Values("dc:Subject"), (std::vector<std::string>{"Art", "Poetry"}));
    EXPECT_EQ(Attributes("dc:Subject"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(PropertiesViewTest, ANewValueThroughTheEntryRowReplacesTheSelection) {
    Item("dc:Subject").AddValue("Art");
    Open();
    Choose(3);
    SelectRows(1102, {3});
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Subject - New Value");
        SetControlText(dialog, 1031, "Travel");
        PressButton(dialog, IDOK);
    });
    view->OnValueDblClk(nullptr, nullptr);
    EXPECT_EQ(Values("dc:Subject"), (std::vector<std::string>{"Travel"}));
    EXPECT_EQ(Rows(1102), (std::vector<std::string>{"Art", "History", "Poetry", "Travel", "[new]"}));
    EXPECT_EQ(List(1102).GetNextItem(-1, LVNI_SELECTED), 3);
    auto* subject = leaf::GetApplicationLists().FindMetaDataDefinition("dc:Subject");
    ASSERT_EQ(subject->m_addedValues.size(), 1u);
}

TEST_F(PropertiesViewTest, CreatorsShowRoleAndFileAsAndTheEntryRowAddsAnAuthor) {
    Item("dc:Creator").AddValue("Jane Doe", "role=\"ill\" file-as=\"Doe, Jane\"");
    Open();
    Choose(4);
    EXPECT_EQ(List(1100).GetColumnHeading(0).str(), "Author");
    EXPECT_EQ(List(1100).GetColumnHeading(2).str(), "file-as");
    EXPECT_EQ(Rows(1100), (std::vector<std::string>{"Jane Doe", "[new]"}));
    EXPECT_EQ(Rows(1100, 1), (std::vector<std::string>{"Illustrator", ""}));
    EXPECT_EQ(Rows(1100, 2), (std::vector<std::string>{"Doe, Jane", ""}));

    SelectRows(1100, {1});
    people.AnswerDialog([](QDialog& dialog) {
        auto* roles = qobject_cast<QComboBox*>(leaf::ui::FindControl(&dialog, 1066));
        EXPECT_EQ(roles->currentText(), "Author");
        SetControlText(dialog, 1070, "Sam Roe");
        PressButton(dialog, IDOK);
    });
    view->OnValueDblClk(nullptr, nullptr);
    EXPECT_EQ(Values("dc:Creator"), (std::vector<std::string>{"Jane Doe", "Sam Roe"}));
    EXPECT_EQ(Attributes("dc:Creator")[1], "role=\"aut\"");
    EXPECT_EQ(Rows(1100), (std::vector<std::string>{"Jane Doe", "Sam Roe", "[new]"}));
    EXPECT_TRUE(doc.IsModified());

    // Editing a value row changes it in place.
    SelectRows(1100, {0});
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(ControlText(dialog, 1070), "Jane Doe");
        SetControlText(dialog, 1070, "Jane Q. Doe");
        PressButton(dialog, IDOK);
    });
    view->OnValueDblClk(nullptr, nullptr);
    EXPECT_EQ(Values("dc:Creator"), (std::vector<std::string>{"Jane Q. Doe", "Sam Roe"}));
    EXPECT_EQ(Attributes("dc:Creator")[0], "role=\"ill\" file-as=\"Doe, Jane\"");
}

TEST_F(PropertiesViewTest, ValueRowsMoveAndDeleteButTheEntryRowNeverMoves) {
    Item("dc:Identifier").AddValue("1-23", "scheme=\"ISBN\"");
    Item("dc:Identifier").AddValue("10.1/x", "scheme=\"DOI\"");
    Open();
    Choose(5);
    EXPECT_EQ(Rows(1100, 1), (std::vector<std::string>{"ISBN", "DOI", ""}));
    SelectRows(1100, {0});
    EXPECT_FALSE(Enabled(41001));
    EXPECT_TRUE(Enabled(41002));
    view->OnMoveValueDown();
    EXPECT_EQ(Values("dc:Identifier"), (std::vector<std::string>{"10.1/x", "1-23"}));
    EXPECT_EQ(Attributes("dc:Identifier"), (std::vector<std::string>{"scheme=\"DOI\"", "scheme=\"ISBN\""}));
    EXPECT_EQ(Rows(1100), (std::vector<std::string>{"10.1/x", "1-23", "[new]"}));
    EXPECT_EQ(List(1100).GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_FALSE(Enabled(41002));   // the last value row: the entry row does not move
    EXPECT_TRUE(Enabled(41001));

    SelectRows(1100, {2});
    EXPECT_FALSE(Enabled(41003));
    SelectRows(1100, {0});
    people.AnswerMessageBox(IDNO);
    view->OnDeleteValue();
    EXPECT_EQ(Values("dc:Identifier").size(), 2u);
    people.AnswerMessageBox(IDYES);
    view->OnDeleteValue();
    EXPECT_EQ(Values("dc:Identifier"), (std::vector<std::string>{"1-23"}));
    EXPECT_EQ(Rows(1100), (std::vector<std::string>{"1-23", "[new]"}));
    ASSERT_EQ(people.Asked("message").size(), 2u);
    EXPECT_EQ(people.Asked("message")[0].text, "Are you sure you want to delete the selected item?");
}

TEST_F(PropertiesViewTest, ASortedCreatorListKeepsRowsTiedToTheirValues) {
    Item("dc:Contributor").AddValue("Zed", "role=\"edt\"");
    Item("dc:Contributor").AddValue("Abe", "role=\"trl\"");
    Open();
    Choose(6);
    EXPECT_TRUE(Visible(1101));
    // Every row takes its place in the order, the entry row too.
    EXPECT_EQ(Rows(1101), (std::vector<std::string>{"[new]", "Abe", "Zed"}));
    EXPECT_EQ(Rows(1101, 1), (std::vector<std::string>{"", "Translator", "Editor"}));
    SelectRows(1101, {1});
    EXPECT_FALSE(Enabled(41001));   // sorted lists leave the state alone
    people.AnswerMessageBox(IDYES);
    view->OnDeleteValue();
    EXPECT_EQ(Values("dc:Contributor"), (std::vector<std::string>{"Zed"}));
    EXPECT_EQ(Attributes("dc:Contributor"), (std::vector<std::string>{"role=\"edt\""}));
}

TEST_F(PropertiesViewTest, TheValueMenuOffersMoveAndDeleteForValueRowsOnly) {
    Item("dc:Creator").AddValue("Ann", "role=\"aut\"");
    Item("dc:Creator").AddValue("Bob", "role=\"edt\"");
    Open();
    Choose(4);
    SelectRows(1100, {1});
    people.AnswerMenu(CLeafcraftPropertiesView::ID_MOVE_VALUE_UP);
    view->OnContextMenu(view.get(), POINT{-1, -1});
    ASSERT_EQ(people.Asked("menu").size(), 1u);
    EXPECT_EQ(Values("dc:Creator"), (std::vector<std::string>{"Bob", "Ann"}));
    EXPECT_EQ(Rows(1100, 1), (std::vector<std::string>{"Editor", "Author", ""}));

    SelectRows(1100, {2});   // the entry row: no menu
    view->OnContextMenu(view.get(), POINT{-1, -1});
    EXPECT_EQ(people.Asked("menu").size(), 1u);

    // Ctrl+Down in the list moves the selected value down.
    SelectRows(1100, {0});
    leaf::ui::NoteKeyModifiers(Qt::ControlModifier);
    NMLVKEYDOWN down;
    down.wVKey = VK_DOWN;
    EXPECT_NE(leaf::ui::NotifyParent(List(1100).GetWidget(), &down.hdr, LVN_KEYDOWN), 0);
    leaf::ui::NoteKeyModifiers(Qt::NoModifier);
    EXPECT_EQ(Values("dc:Creator"), (std::vector<std::string>{"Ann", "Bob"}));
}

TEST_F(PropertiesViewTest, AMenuAskedForFromTheKeyboardActsOnTheCurrentRow) {
    Item("dc:Identifier").AddValue("1-23", "scheme=\"ISBN\"");
    Item("dc:Identifier").AddValue("10.1/x", "scheme=\"DOI\"");
    Open();
    Choose(5);
    SelectRows(1100, {1});
    // The pointer is nowhere near the list: the menu is for the current row.
    QCursor::setPos(-5000, -5000);
    people.AnswerMenu(CLeafcraftPropertiesView::ID_MOVE_VALUE_UP);
    NMLISTVIEW click;
    click.iItem = 1;
    click.iSubItem = 0;
    leaf::ui::NotifyParent(List(1100).GetWidget(), &click.hdr, NM_RCLICK);
    ASSERT_EQ(people.Asked("menu").size(), 1u);
    EXPECT_EQ(Values("dc:Identifier"), (std::vector<std::string>{"10.1/x", "1-23"}));

    // Over the entry row there is no menu.
    SelectRows(1100, {2});
    click.iItem = 2;
    leaf::ui::NotifyParent(List(1100).GetWidget(), &click.hdr, NM_RCLICK);
    EXPECT_EQ(people.Asked("menu").size(), 1u);
}

TEST_F(PropertiesViewTest, ValueListColumnsTakeTheListsWidthForEachProperty) {
    Open();
    hostWidget->show();
    view->GetWidget()->resize(hostWidget->size());
    const auto fills = [&](UINT id) {
        auto* tree = qobject_cast<QTreeView*>(List(id).View());
        int span = 0;
        for (int column = 0; column < List(id).GetColumnCount(); ++column) span += List(id).GetColumnWidth(column);
        return tree && tree->isVisible() && span == tree->viewport()->width();
    };
    // A one-column list, the creators' three columns, and the same lists after the view grew.
    for (QSize size : {QSize(800, 600), QSize(1100, 760)}) {
        view->GetWidget()->resize(size);
        for (const auto& [line, id] : {std::pair{2, 1100u}, std::pair{4, 1100u}, std::pair{3, 1102u}}) {
            Choose(line);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            EXPECT_TRUE(fills(id)) << "property " << line << " at " << size.width();
        }
    }
}
