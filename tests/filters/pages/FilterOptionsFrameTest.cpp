// The installed filters' option pages in one property frame, as the filter-options
// program and the authoring program's Options command show it: a script plays the
// person, changes each setting through the pages' controls, presses Apply, Cancel or OK,
// and reopens the frame to see what was stored. A PNG of each page is saved in the
// test's output folder.

#include <filesystem>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "filters/html/HtmlFilterIds.h"
#include "filters/html/HtmlFilterPage.h"
#include "filters/image/ImageFilterIds.h"
#include "filters/image/ImageFilterPage.h"
#include "filters/text/TextFilterIds.h"
#include "filters/text/TextFilterPage.h"
#include "platform/com/Guid.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "tests/filters/pages/FilterPagesTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tools/filter-options/FilterOptions.h"

namespace pagetest {
namespace {

using leaf::ui::ScriptedPeople;

constexpr int kHtml = static_cast<int>(IDD_HTML_FILTER_PAGE);
constexpr int kImages = static_cast<int>(IDD_IMAGE_FILTER_PAGE);
constexpr int kText = static_cast<int>(IDD_TEXT_FILTER_PAGE);

void Press(QDialog& frame, int id) {
    auto* button = qobject_cast<QPushButton*>(leaf::ui::FindControl(&frame, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

bool ApplyEnabled(QDialog& frame) {
    auto* apply = qobject_cast<QPushButton*>(leaf::ui::FindControl(&frame, static_cast<int>(ID_APPLY_NOW)));
    return apply != nullptr && apply->isEnabled();
}

// Brings the tab with that title to the front.
void ShowTab(QDialog& frame, const QString& title) {
    auto* tabs = frame.findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == title) {
            tabs->setCurrentIndex(i);
            return;
        }
    FAIL() << "no tab " << title.toStdString();
}

QStringList TabTitles(QDialog& frame) {
    QStringList titles;
    if (auto* tabs = frame.findChild<QTabBar*>())
        for (int i = 0; i < tabs->count(); ++i)
            titles << tabs->tabText(i);
    return titles;
}

QLineEdit* LevelField(QDialog& frame) { return PageControl<QLineEdit>(&frame, kHtml, IDC_HTML_LEVEL); }
QAbstractButton* LinksBox(QDialog& frame) { return PageControl<QAbstractButton>(&frame, kHtml, IDC_HTML_PROCESS_LINKS); }
QComboBox* AlignList(QDialog& frame) { return PageControl<QComboBox>(&frame, kImages, IDC_IMAGE_ALIGN); }
QLineEdit* TabField(QDialog& frame) { return PageControl<QLineEdit>(&frame, kText, IDC_TEXT_TAB_STOP); }

// Chooses an alignment from the list with the keyboard, as a person does.
void ChooseAlignment(QComboBox* list, const QString& alignment) {
    ASSERT_NE(list, nullptr);
    const int wanted = list->findText(alignment);
    ASSERT_GE(wanted, 0) << alignment.toStdString();
    while (list->currentIndex() < wanted)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > wanted)
        QTest::keyClick(list, Qt::Key_Up);
}

class FilterOptionsFrameTest : public testing::Test {
protected:
    void SetUp() override { RegisterFilterModules(); }
    void TearDown() override { DeleteClosedWindows(); }

    // Opens the frame; `script` plays the person while it shows.
    void OpenFrame(ScriptedPeople::DialogScript script) {
        people.AnswerDialog(std::move(script));
        EXPECT_EQ(leaf::filteroptions::ShowFilterOptions(nullptr), S_OK);
        DeleteClosedWindows();
        EXPECT_EQ(people.UnansweredCount(), 0);
    }

    CWinApp app{"Leafcraft"};
    ScriptedPeople people;
    leaf::Profile profile = FilterProfile();
};

TEST_F(FilterOptionsFrameTest, ThePagesStandInProgIdOrderWithTheirDefaultsAndArePictured) {
    const std::string folder = OutputFolder();
    OpenFrame([&](QDialog& frame) {
        EXPECT_EQ(TabTitles(frame), QStringList({"HTML", "Images", "Text"}));
        // The first page is shown; the others are made when their tab comes up.
        ASSERT_NE(PageWindow(&frame, kHtml), nullptr);
        EXPECT_EQ(PageWindow(&frame, kHtml)->window(), &frame);   // the module's widgets live in the frame
        EXPECT_EQ(PageWindow(&frame, kImages), nullptr);
        EXPECT_FALSE(ApplyEnabled(frame));

        ASSERT_TRUE(LinksBox(frame) && LevelField(frame));
        EXPECT_TRUE(LinksBox(frame)->isChecked());
        EXPECT_EQ(LevelField(frame)->text(), "3");
        EXPECT_TRUE(leaf::ui::GrabToPng(&frame, folder + "/html-page.png"));

        ShowTab(frame, "Images");
        ASSERT_NE(AlignList(frame), nullptr);
        EXPECT_EQ(AlignList(frame)->count(), 3);
        EXPECT_EQ(AlignList(frame)->itemText(0), "center");
        EXPECT_EQ(AlignList(frame)->itemText(2), "right");
        EXPECT_EQ(AlignList(frame)->currentText(), "center");
        EXPECT_TRUE(leaf::ui::GrabToPng(&frame, folder + "/images-page.png"));

        ShowTab(frame, "Text");
        ASSERT_NE(TabField(frame), nullptr);
        EXPECT_EQ(TabField(frame)->text(), "4");
        EXPECT_TRUE(leaf::ui::GrabToPng(&frame, folder + "/text-page.png"));
        EXPECT_FALSE(ApplyEnabled(frame));   // showing pages changes nothing
        Press(frame, IDOK);
    });
    for (const char* name : {"html-page.png", "images-page.png", "text-page.png"})
        EXPECT_GT(std::filesystem::file_size(folder + "/" + name), 1000u) << name;
    // OK on pages nobody changed writes nothing.
    EXPECT_FALSE(leaf::RegistryKey::Open(HKEY_CURRENT_USER, "Software\\Tallbrook Systems, Inc.\\Leafcraft").IsOpen());
}

TEST_F(FilterOptionsFrameTest, OkStoresEveryChangeAndTheReopenedFrameShowsIt) {
    OpenFrame([&](QDialog& frame) {
        TypeInto(LevelField(frame), "5");
        EXPECT_TRUE(ApplyEnabled(frame));
        ShowTab(frame, "Images");
        ChooseAlignment(AlignList(frame), "right");
        ShowTab(frame, "Text");
        TypeInto(TabField(frame), "8");
        Press(frame, IDOK);
    });
    EXPECT_EQ(profile.GetProfileInt("HTML Filter", "WalkLinkLevel", -1), 5u);
    EXPECT_EQ(profile.GetProfileString("Image Filter", "Align", "?"), "right");
    EXPECT_EQ(profile.GetProfileInt("Text Filter", "TabStop", -1), 8u);

    OpenFrame([&](QDialog& frame) {
        EXPECT_EQ(LevelField(frame)->text(), "5");
        ShowTab(frame, "Images");
        EXPECT_EQ(AlignList(frame)->currentText(), "right");
        ShowTab(frame, "Text");
        EXPECT_EQ(TabField(frame)->text(), "8");
        Press(frame, IDCANCEL);
    });
}

TEST_F(FilterOptionsFrameTest, CancelStoresNothing) {
    profile.WriteProfileInt("Text Filter", "TabStop", 6);
    OpenFrame([&](QDialog& frame) {
        TypeInto(LevelField(frame), "9");
        ShowTab(frame, "Images");
        ChooseAlignment(AlignList(frame), "left");
        ShowTab(frame, "Text");
        EXPECT_EQ(TabField(frame)->text(), "6");
        TypeInto(TabField(frame), "2");
        Press(frame, IDCANCEL);
    });
    EXPECT_EQ(profile.GetProfileInt("HTML Filter", "WalkLinkLevel", -1), static_cast<UINT>(-1));
    EXPECT_EQ(profile.GetProfileString("Image Filter", "Align", "?"), "?");
    EXPECT_EQ(profile.GetProfileInt("Text Filter", "TabStop", -1), 6u);
}

TEST_F(FilterOptionsFrameTest, ApplyWritesAtOnceAndLaterChangesWaitForTheirOwn) {
    OpenFrame([&](QDialog& frame) {
        // A page left for another tab still applies what it holds.
        TypeInto(LevelField(frame), "7");
        ShowTab(frame, "Text");
        TypeInto(TabField(frame), "3");
        Press(frame, static_cast<int>(ID_APPLY_NOW));
        EXPECT_FALSE(ApplyEnabled(frame));
        EXPECT_EQ(profile.GetProfileInt("HTML Filter", "WalkLinkLevel", -1), 7u);
        EXPECT_EQ(profile.GetProfileInt("Text Filter", "TabStop", -1), 3u);
        // The image page was never shown: it was made to apply, and wrote nothing.
        EXPECT_EQ(profile.GetProfileString("Image Filter", "Align", "?"), "?");

        TypeInto(TabField(frame), "12");
        EXPECT_TRUE(ApplyEnabled(frame));
        Press(frame, IDCANCEL);
    });
    EXPECT_EQ(profile.GetProfileInt("Text Filter", "TabStop", -1), 3u);
}

TEST_F(FilterOptionsFrameTest, HtmlLevelIsClampedAndZeroShowsAsAClearedBox) {
    OpenFrame([&](QDialog& frame) {
        TypeInto(LevelField(frame), "99");
        Press(frame, IDOK);
    });
    EXPECT_EQ(profile.GetProfileInt("HTML Filter", "WalkLinkLevel", -1), 64u);

    OpenFrame([&](QDialog& frame) {
        EXPECT_EQ(LevelField(frame)->text(), "64");
        // The arrows stay within 1..64.
        QWidget* spin = leaf::ui::FindControl(PageWindow(&frame, kHtml), IDC_HTML_LEVEL_SPIN);
        PressArrow(spin, +1);
        EXPECT_EQ(LevelField(frame)->text(), "64");
        PressArrow(spin, -1);
        EXPECT_EQ(LevelField(frame)->text(), "63");
        LinksBox(frame)->click();
        EXPECT_FALSE(LevelField(frame)->isEnabled());
        Press(frame, IDOK);
    });
    EXPECT_EQ(profile.GetProfileInt("HTML Filter", "WalkLinkLevel", -1), 0u);

    OpenFrame([&](QDialog& frame) {
        EXPECT_FALSE(LinksBox(frame)->isChecked());
        EXPECT_EQ(LevelField(frame)->text(), "1");
        EXPECT_FALSE(LevelField(frame)->isEnabled());
        Press(frame, IDCANCEL);
    });

    // A stored value out of range is read clamped.
    profile.WriteProfileInt("HTML Filter", "WalkLinkLevel", 500);
    OpenFrame([&](QDialog& frame) {
        EXPECT_EQ(LevelField(frame)->text(), "64");
        Press(frame, IDCANCEL);
    });
}

TEST_F(FilterOptionsFrameTest, TextTabStopOutsideItsRangeCountsAsFour) {
    const struct {
        const char* typed;
        UINT stored;
    } cases[] = {{"0", 4}, {"65", 4}, {"64", 64}, {"1", 1}, {"", 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        profile.WriteProfileInt("Text Filter", "TabStop", 10);
        OpenFrame([&](QDialog& frame) {
            ShowTab(frame, "Text");
            TypeInto(TabField(frame), c.typed);
            Press(frame, IDOK);
        });
        EXPECT_EQ(profile.GetProfileInt("Text Filter", "TabStop", -1), c.stored);
    }
    profile.WriteProfileInt("Text Filter", "TabStop", -3);
    OpenFrame([&](QDialog& frame) {
        ShowTab(frame, "Text");
        EXPECT_EQ(TabField(frame)->text(), "4");
        PressArrow(leaf::ui::FindControl(PageWindow(&frame, kText), IDC_TEXT_TAB_STOP_SPIN), +1);
        EXPECT_EQ(TabField(frame)->text(), "5");
        Press(frame, IDCANCEL);
    });
}

TEST_F(FilterOptionsFrameTest, ImageAlignmentIsFoundByItsBeginningWithoutRegardToCase) {
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {{"LEFT", "left"}, {"r", "right"}, {"justify", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        profile.WriteProfileString("Image Filter", "Align", c.stored);
        OpenFrame([&](QDialog& frame) {
            ShowTab(frame, "Images");
            EXPECT_EQ(AlignList(frame)->currentText(), c.shown);
            Press(frame, IDOK);
        });
        // Unchanged, so the stored text stays as it was.
        EXPECT_EQ(profile.GetProfileString("Image Filter", "Align", "?"), c.stored);
    }
}

TEST_F(FilterOptionsFrameTest, AFilterWhoseModuleIsMissingIsLeftOutWithAMessage) {
    // A filter registered by ProgID and class whose module file is gone.
    const std::string clsid = "{5A1E0000-0000-4000-8000-0000000000AA}";
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Leafcraft.BrokenFilter\\CLSID").WriteString("", clsid);
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32")
        .WriteString("", leaf::test::BinDir() + "/no-such-brokenintake.so");
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\ProgID").WriteString("", "Leafcraft.BrokenFilter");
    leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE, std::string(leaf::filteroptions::kFiltersKey) + "\\Leafcraft.BrokenFilter")
        .WriteString("", "Broken Leafcraft Input Filter");

    people.AnswerMessageBox(IDOK);
    OpenFrame([&](QDialog& frame) {
        EXPECT_EQ(TabTitles(frame), QStringList({"HTML", "Images", "Text"}));
        ShowTab(frame, "Text");
        TypeInto(TabField(frame), "6");
        Press(frame, IDOK);
    });
    auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("Leafcraft.BrokenFilter"), std::string::npos) << messages[0].text;
    EXPECT_EQ(profile.GetProfileInt("Text Filter", "TabStop", -1), 6u);
}

TEST_F(FilterOptionsFrameTest, ProgIdsAreSortedWithoutRegardToCaseAfterTheGeneralOptions) {
    for (const char* name : {"leafcraft.zeta", "Leafcraft.Alpha"})
        leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE, std::string(leaf::filteroptions::kFiltersKey) + "\\" + name);
    EXPECT_EQ(leaf::filteroptions::OptionPageProgIds(),
              (std::vector<std::string>{"Leafcraft.GeneralOptions", "Leafcraft.Alpha", "Leafcraft.HtmlFilter",
                                        "Leafcraft.ImageFilter", "Leafcraft.TextFilter", "leafcraft.zeta"}));
    // Only the names with a class become pages, in the same order.
    std::vector<CLSID> classes = leaf::filteroptions::OptionPageClasses(leaf::filteroptions::OptionPageProgIds());
    EXPECT_EQ(classes, (std::vector<CLSID>{CLSID_HtmlFilter, CLSID_ImageFilter, CLSID_TextFilter}));
}

}  // namespace
}  // namespace pagetest
