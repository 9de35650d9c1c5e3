// The About box: the program's title, and the component table in its order with the
// versions read from the component files.

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QTreeView>
#include <QHeaderView>
#include <QStandardItemModel>

#include "platform/registry/RegistryKey.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/Wnd.h"
#include "studio/workspace/AboutDlg.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

using leaf::ui::FindControl;
using leaf::ui::ScriptedPeople;

namespace {

constexpr const char* kFiltersKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\";

// A ProgID whose class names `path` as its in-process server, listed as a filter.
void RegisterComponent(const std::string& progId, const std::string& clsid, const std::string& path,
                       bool asFilter = true) {
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, progId + "\\CLSID").WriteString("", clsid);
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32").WriteString("", path);
    if (asFilter)
        leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE, kFiltersKey + progId).WriteString("", progId);
}

std::vector<std::string> Strings(const std::vector<CString>& paths) {
    std::vector<std::string> result;
    for (const CString& path : paths)
        result.push_back(path.str());
    return result;
}

}  // namespace

TEST(AboutDlgComponentsTest, ControlFirstThenFiltersByNameThenCompilerAndReader) {
    RegisterComponent("Leafcraft.WordFilter", "{00000000-0000-0000-0000-000000000001}", "/m/wordintake.so");
    RegisterComponent("leafcraft.htmlFilter", "{00000000-0000-0000-0000-000000000002}", "/m/markupintake.so");
    RegisterComponent("Leafcraft.ImageFilter", "{00000000-0000-0000-0000-000000000003}", "/m/pictureintake.so");
    RegisterComponent("Leafcraft.SDK", "{00000000-0000-0000-0000-000000000004}", "/c/leafsdk.so", false);
    EXPECT_EQ(Strings(CAboutDlg::GetComponentPaths()),
              (std::vector<std::string>{"/c/leafsdk.so", "/m/markupintake.so", "/m/pictureintake.so",
                                        "/m/wordintake.so", "/c/LITGen.so", ""}));
}

TEST(AboutDlgComponentsTest, WithoutTheBuildControlThereIsNoCompilerEntry) {
    RegisterComponent("Leafcraft.TextFilter", "{00000000-0000-0000-0000-000000000005}", "/m/plainintake.so");
    EXPECT_EQ(Strings(CAboutDlg::GetComponentPaths()),
              (std::vector<std::string>{"", "/m/plainintake.so", ""}));
}

TEST(AboutDlgTest, ShowsTitleAndTheComponentsWithVersions) {
    ASSERT_TRUE(leaf::test::RegisterModule("markupintake.so"));
    ASSERT_TRUE(leaf::test::RegisterModule("wordintake.so"));
    // A registered component without version information is left out.
    RegisterComponent("Leafcraft.ZFilter", "{00000000-0000-0000-0000-000000000006}", "/bin/true");

    ScriptedPeople people;
    std::string caption, title;
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
    people.AnswerDialog([&](QDialog& dialog) {
        caption = dialog.windowTitle().toStdString();
        auto* titleLabel = qobject_cast<QLabel*>(FindControl(&dialog, CAboutDlg::IDC_TITLE));
        ASSERT_NE(titleLabel, nullptr);
        title = titleLabel->text().toStdString();
        auto* list = CWnd::FromHandleAs<CListCtrl>(FindControl(&dialog, CAboutDlg::IDC_COMPONENTS));
        ASSERT_NE(list, nullptr);
        for (int column = 0; column < list->GetColumnCount(); ++column)
            headings.push_back(list->GetColumnHeading(column).str());
        EXPECT_EQ(list->GetColumnWidth(0), 160);
        EXPECT_EQ(list->GetColumnWidth(1), 80);
        for (int row = 0; row < list->GetItemCount(); ++row)
            rows.push_back({list->GetItemText(row, 0).str(), list->GetItemText(row, 1).str(),
                            list->GetItemText(row, 2).str()});
        dialog.accept();
    });
    CAboutDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(caption, "About Leafcraft");
    EXPECT_EQ(title, "Leafcraft");
    EXPECT_EQ(headings, (std::vector<std::string>{"Component", "Version", "Date"}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "HTML Leafcraft Input Filter");
    EXPECT_EQ(rows[1][0], "Word Leafcraft Input Filter");
    EXPECT_EQ(rows[0][1], "2, 0, 2, 0215");
    EXPECT_EQ(rows[0][2].size(), 10u) << "mm/dd/yyyy";
    EXPECT_EQ(rows[0][2][2], '/');
}
