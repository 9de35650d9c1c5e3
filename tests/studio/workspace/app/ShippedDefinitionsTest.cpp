// The program with the metadata definition file it ships: in the Properties workspace an
// author enters, changes, reorders and removes authors and identifiers through the lists'
// entry rows, the dialogs they open and the value commands.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <string>
#include <vector>

#include "platform/ui/Wnd.h"
#include "studio/project/LCMetaData.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/LeafcraftPropertiesView.h"
#include "studio/workspace/MainFrame.h"
#include "tests/studio/workspace/app/AppFixture.h"

using leaf::test::AppFixture;

namespace {

void Type(QDialog& dialog, int id, const char* text) {
    QWidget* control = leaf::ui::FindControl(&dialog, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control)) combo->setEditText(text);
    else ADD_FAILURE() << "no field " << id;
}

void Press(QDialog& dialog, int id) {
    auto* button = qobject_cast<QPushButton*>(leaf::ui::FindControl(&dialog, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

class ShippedDefinitions : public AppFixture {
protected:
    void SetUp() override {
        m_app->m_metaDataPath = LEAF_SHIPPED_DEFINITIONS;
        ASSERT_TRUE(Start());
        ClickIcon(1);
        view = dynamic_cast<CLeafcraftPropertiesView*>(Frame()->GetWorkspaceView());
        ASSERT_NE(view, nullptr);
    }

    // Chooses the property with that label in the property list, as a click does.
    void ChooseProperty(const char* label) {
        auto* properties = qobject_cast<QListWidget*>(Control(CLeafcraftPropertiesView::IDC_PROPERTY_LIST));
        ASSERT_NE(properties, nullptr);
        QList<QListWidgetItem*> found = properties->findItems(label, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << label;
        properties->setCurrentItem(found.front());
    }
    QAbstractItemView* Values() {
        return qobject_cast<QAbstractItemView*>(Control(CLeafcraftPropertiesView::IDC_VALUE_LIST));
    }
    std::vector<std::string> Rows(int column = 0) {
        std::vector<std::string> rows;
        QAbstractItemModel* model = Values()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows.push_back(model->index(row, column).data().toString().toStdString());
        return rows;
    }
    void Select(int row) {
        QModelIndex index = Values()->model()->index(row, 0);
        Values()->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        Values()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
    void DoubleClick(int row) {
        Select(row);
        emit Values()->doubleClicked(Values()->model()->index(row, 0));
    }
    QWidget* Control(UINT id) { return leaf::ui::FindControl(view->GetWidget(), static_cast<int>(id)); }
    void Command(UINT id) { Frame()->SendMessage(WM_COMMAND, id, 0); }
    std::vector<std::string> Stored(const char* name, bool attributes = false) {
        std::vector<std::string> values;
        CLCMetaData* item = Document()->GetMetaData(name, TRUE);
        for (const CString& value : attributes ? item->m_attributes : item->m_values) values.push_back(value.str());
        return values;
    }

    CLeafcraftPropertiesView* view = nullptr;
};

TEST_F(ShippedDefinitions, AuthorsAreAddedChangedReorderedAndRemoved) {
    ChooseProperty("Author");
    ASSERT_TRUE(Values()->isVisible());
    // An empty list still offers the row that adds an author.
    ASSERT_EQ(Rows(), (std::vector<std::string>{"[new author]"}));

    for (const char* name : {"Jane Doe", "Sam Roe"}) {
        m_people.AnswerDialog([name](QDialog& dialog) {
            Type(dialog, 1070, name);
            Press(dialog, IDOK);
        });
        DoubleClick(static_cast<int>(Rows().size()) - 1);
    }
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Jane Doe", "Sam Roe", "[new author]"}));
    EXPECT_EQ(Rows(1), (std::vector<std::string>{"Author", "Author", ""}));
    EXPECT_EQ(Stored("dc:Creator"), (std::vector<std::string>{"Jane Doe", "Sam Roe"}));
    EXPECT_TRUE(Document()->IsModified());

    // Changing a name in place.
    m_people.AnswerDialog([](QDialog& dialog) {
        Type(dialog, 1070, "Jane Q. Doe");
        Press(dialog, IDOK);
    });
    DoubleClick(0);
    EXPECT_EQ(Stored("dc:Creator"), (std::vector<std::string>{"Jane Q. Doe", "Sam Roe"}));

    // Ctrl+Up's command moves the second author first.
    Select(1);
    Command(CLeafcraftPropertiesView::ID_MOVE_VALUE_UP);
    EXPECT_EQ(Stored("dc:Creator"), (std::vector<std::string>{"Sam Roe", "Jane Q. Doe"}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Sam Roe", "Jane Q. Doe", "[new author]"}));

    // Del's command removes the selected author once confirmed.
    Select(0);
    m_people.AnswerMessageBox(IDYES);
    Command(CLeafcraftPropertiesView::ID_DELETE_VALUE);
    EXPECT_EQ(Stored("dc:Creator"), (std::vector<std::string>{"Jane Q. Doe"}));
    EXPECT_EQ(Stored("dc:Creator", true), (std::vector<std::string>{"role=\"aut\""}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Jane Q. Doe", "[new author]"}));
}

TEST_F(ShippedDefinitions, IdentifiersAreAddedReorderedAndRemoved) {
    ChooseProperty("Identifier");
    ASSERT_EQ(Rows(), (std::vector<std::string>{"[new identifier]"}));
    struct Entry {
        const char* value;
        const char* scheme;
    };
    for (Entry entry : {Entry{"978-0-00-000000-2", "ISBN"}, Entry{"urn:uuid:1234", "UUID"}}) {
        m_people.AnswerDialog([entry](QDialog& dialog) {
            Type(dialog, 1074, entry.value);
            Type(dialog, 1073, entry.scheme);
            Press(dialog, IDOK);
        });
        DoubleClick(static_cast<int>(Rows().size()) - 1);
    }
    EXPECT_EQ(Rows(), (std::vector<std::string>{"978-0-00-000000-2", "urn:uuid:1234", "[new identifier]"}));
    EXPECT_EQ(Rows(1), (std::vector<std::string>{"ISBN", "UUID", ""}));

    Select(0);
    Command(CLeafcraftPropertiesView::ID_MOVE_VALUE_DOWN);
    EXPECT_EQ(Stored("dc:Identifier"), (std::vector<std::string>{"urn:uuid:1234", "978-0-00-000000-2"}));
    EXPECT_EQ(Stored("dc:Identifier", true), (std::vector<std::string>{"scheme=\"UUID\"", "scheme=\"ISBN\""}));

    Select(1);
    m_people.AnswerMessageBox(IDYES);
    Command(CLeafcraftPropertiesView::ID_DELETE_VALUE);
    EXPECT_EQ(Stored("dc:Identifier"), (std::vector<std::string>{"urn:uuid:1234"}));
}

}  // namespace
