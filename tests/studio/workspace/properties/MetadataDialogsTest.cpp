#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "platform/ui/ComboBox.h"
#include "platform/ui/Resources.h"
#include "studio/workspace/CreatorDlg.h"
#include "studio/workspace/CreatorFields.h"
#include "studio/workspace/IdentifierDlg.h"
#include "studio/workspace/NewValueDlg.h"
#include "tests/studio/workspace/sources/StudioTestApp.h"

using namespace leaf::test;

namespace {

QComboBox* Combo(QDialog& dialog, int id) { return qobject_cast<QComboBox*>(leaf::ui::FindControl(&dialog, id)); }

std::vector<std::string> Entries(QComboBox* combo) {
    std::vector<std::string> entries;
    for (int i = 0; combo && i < combo->count(); ++i) entries.push_back(combo->itemText(i).toStdString());
    return entries;
}

class MetadataDialogsTest : public testing::Test, public StudioWindowTest {
protected:
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& question : people.Asked("message")) texts.push_back(question.text);
        return texts;
    }
    leaf::CreatorFields fields;
};

}  // namespace

TEST(CreatorFieldsText, FileAsSuggestionsFollowTheShapeOfTheName) {
    auto texts = [](const char* name) {
        std::vector<std::string> result;
        for (const CString& text : leaf::SuggestFileAs(name)) result.push_back(text.str());
        return result;
    };
    EXPECT_EQ(texts("Jane Q. Doe Jr."), (std::vector<std::string>{"Doe, Jane Q., Jr.", "Jane Q. Doe, Jr."}));
    EXPECT_EQ(texts("Doe, Jane"), (std::vector<std::string>{"Doe, Jane", "Jane Doe"}));
    EXPECT_EQ(texts("Plato"), (std::vector<std::string>{"Plato"}));
    EXPECT_EQ(texts("  "), (std::vector<std::string>{}));
    EXPECT_EQ(texts("King, Martin Luther, Jr."), (std::vector<std::string>{"King, Martin Luther, Jr.",
                                                                          "Martin Luther King, Jr."}));
    EXPECT_EQ(texts("Smith Sr."), (std::vector<std::string>{"Smith, Sr."}));
}

TEST(CreatorFieldsText, AttributesAreReadAndBuiltAsTheMetadataElementHasThem) {
    EXPECT_EQ(leaf::AttributeValue("role=\"aut\" file-as=\"Doe, Jane\"", "file-as").str(), "Doe, Jane");
    EXPECT_EQ(leaf::AttributeValue("role=\"aut\" file-as=\"Doe, Jane\"", "role").str(), "aut");
    EXPECT_EQ(leaf::AttributeValue("scheme=\"ISBN", "scheme").str(), "ISBN");
    EXPECT_EQ(leaf::AttributeValue("", "role").str(), "");
    EXPECT_EQ(leaf::CreatorAttributes("aut", "Doe, Jane").str(), "role=\"aut\" file-as=\"Doe, Jane\"");
    EXPECT_EQ(leaf::CreatorAttributes("ill", "").str(), "role=\"ill\"");
    EXPECT_EQ(leaf::CreatorAttributes("", "Doe").str(), "file-as=\"Doe\"");
    EXPECT_EQ(leaf::CreatorAttributes("", "").str(), "");
}

TEST_F(MetadataDialogsTest, RoleMapReadsPairsFromTheStringTable) {
    EXPECT_EQ(fields.RoleMap().size(), 30u);
    EXPECT_EQ(fields.RoleMap().at("Author of afterword, colophon, etc."), "aft");
    EXPECT_EQ(fields.GetRoleName("trl").str(), "Translator");
    EXPECT_EQ(fields.GetRoleName("").str(), "");
    EXPECT_EQ(fields.GetRoleName("xyz").str(), "");
    leaf::CreatorFields odd(" A | a1 |B|b2|dangling");
    EXPECT_EQ(odd.RoleMap().size(), 2u);
    EXPECT_EQ(odd.RoleMap().at("A"), "a1");
}

TEST_F(MetadataDialogsTest, CreatorDialogShowsRoleAndFileAsAndBuildsTheAttributes) {
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Creator Properties");
        EXPECT_EQ(ControlText(dialog, 1070), "Jane Doe");
        QComboBox* roles = Combo(dialog, 1066);
        ASSERT_NE(roles, nullptr);
        EXPECT_EQ(roles->itemText(0), "[role]");
        EXPECT_EQ(roles->itemText(1), "Adapter");
        EXPECT_EQ(roles->currentText(), "Illustrator");
        EXPECT_EQ(Entries(Combo(dialog, 1067)), (std::vector<std::string>{"[file-as]", "Doe, Jane", "Jane Doe"}));
        EXPECT_EQ(Combo(dialog, 1067)->currentText(), "Doe, J.");
        roles->setCurrentIndex(roles->findText("Author"));
        PressButton(dialog, IDOK);
    });
    CCreatorDlg dialog("Jane Doe", "role=\"ill\" file-as=\"Doe, J.\"", &fields);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetName().str(), "Jane Doe");
    EXPECT_EQ(dialog.GetAttributes().str(), "role=\"aut\" file-as=\"Doe, J.\"");
}

TEST_F(MetadataDialogsTest, CreatorWithUnknownRoleShowsThePlaceholderAndNoAttributes) {
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(Combo(dialog, 1066)->currentText(), "[role]");
        EXPECT_EQ(Combo(dialog, 1067)->currentText(), "[file-as]");
        PressButton(dialog, IDOK);
    });
    CCreatorDlg dialog("Plato", "role=\"zzz\"", &fields);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetAttributes().str(), "");
}

TEST_F(MetadataDialogsTest, TypingANewNameKeepsTheFileAsTextWhileSuggestionsFollow) {
    people.AnswerDialog([](QDialog& dialog) {
        Combo(dialog, 1067)->setEditText("Custom, Form");
        auto* name = qobject_cast<QLineEdit*>(leaf::ui::FindControl(&dialog, 1070));
        name->clear();
        QTest::keyClicks(name, "Ann Lee");
        EXPECT_EQ(Entries(Combo(dialog, 1067)), (std::vector<std::string>{"[file-as]", "Lee, Ann", "Ann Lee"}));
        EXPECT_EQ(Combo(dialog, 1067)->currentText(), "Custom, Form");
        PressButton(dialog, IDOK);
    });
    CCreatorDlg dialog("Jane Doe", "", &fields);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetName().str(), "Ann Lee");
    EXPECT_EQ(dialog.GetAttributes().str(), "file-as=\"Custom, Form\"");
}

TEST_F(MetadataDialogsTest, CreatorRefusesAnEmptyNameAndAQuotedFileAs) {
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([](QDialog& dialog) {
        PressButton(dialog, IDOK);
        SetControlText(dialog, 1070, "A \"quoted\" name");
        Combo(dialog, 1067)->setEditText("Bad \"form\"");
        PressButton(dialog, IDOK);
        EXPECT_TRUE(dialog.isVisible());
        Combo(dialog, 1067)->setEditText("");
        PressButton(dialog, IDOK);
    });
    CCreatorDlg dialog("", "", &fields);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetName().str(), "A \"quoted\" name");
    EXPECT_EQ(dialog.GetAttributes().str(), "");
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"You must specify a name.",
                                                         "The \"file-as\" value may not contain quotes."}));
}

TEST_F(MetadataDialogsTest, CreatorWithoutFieldsEndsAtOnce) {
    CCreatorDlg dialog("x", "", nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(people.Asked("dialog").empty());
}

TEST_F(MetadataDialogsTest, IdentifierDialogOffersSchemesAndAcceptsATypedOne) {
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Identifer Properties");
        EXPECT_EQ(Entries(Combo(dialog, 1073)), (std::vector<std::string>{"ISBN", "DOI"}));
        EXPECT_EQ(Combo(dialog, 1073)->currentText(), "DOI");
        EXPECT_EQ(ControlText(dialog, 1074), "10.1000/1");
        SetControlText(dialog, 1074, "");
        PressButton(dialog, IDOK);
        SetControlText(dialog, 1074, "LC-1234");
        Combo(dialog, 1073)->setEditText("L\"C");
        PressButton(dialog, IDOK);
        Combo(dialog, 1073)->setEditText("LCCN");
        PressButton(dialog, IDOK);
    });
    CIdentifierDlg dialog("10.1000/1", "scheme=\"DOI\"");
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetValue().str(), "LC-1234");
    EXPECT_EQ(dialog.GetAttributes().str(), "scheme=\"LCCN\"");
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"You must specify a value.",
                                                         "The \"scheme\" value may not contain quotes."}));

    people.AnswerDialog([](QDialog& dialog) {
        Combo(dialog, 1073)->setEditText("");
        PressButton(dialog, IDOK);
    });
    CIdentifierDlg plain("x", "");
    ASSERT_EQ(plain.DoModal(), IDOK);
    EXPECT_EQ(plain.GetAttributes().str(), "");
}

TEST_F(MetadataDialogsTest, NewValueDialogNamesThePropertyAndLimitsTheText) {
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Subject - New Value");
        PressButton(dialog, IDOK);
        auto* edit = qobject_cast<QLineEdit*>(leaf::ui::FindControl(&dialog, 1031));
        QTest::keyClicks(edit, "Gardening");
        EXPECT_EQ(edit->text(), "Garde");
        PressButton(dialog, IDOK);
    });
    CNewValueDlg dialog("Subject", 5);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetValue().str(), "Garde");
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"The new value cannot be empty."}));
}
