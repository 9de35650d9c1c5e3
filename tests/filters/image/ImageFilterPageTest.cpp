// The image filter's option page: the alignments it offers, the stored alignment it selects
// (the first entry that begins with it, in any letter case, or none), and what Apply keeps.

#include <string>

#include <gtest/gtest.h>

#include <QComboBox>

#include "filters/image/ImageFilterIds.h"
#include "filters/image/ImageFilterPage.h"
#include "tests/filters/pages/OptionPageHost.h"

namespace filtertest {
namespace {

constexpr int kDialog = static_cast<int>(IDD_IMAGE_FILTER_PAGE);

TEST(ImageFilterPage, SelectsTheFirstAlignmentThatBeginsWithTheStoredOne) {
    const struct {
        const char* stored;   // null: nothing stored
        int selected;
    } cases[] = {{nullptr, 0}, {"right", 2}, {"LEFT", 1}, {"ri", 2}, {"justify", -1}, {"centered", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        leaf::Profile profile = OptionPageHost::FilterProfile();
        if (c.stored) {
            ASSERT_TRUE(profile.WriteProfileString("Image Filter", "Align", c.stored));
        }
        OptionPageHost host("pictureintake.so");
        ASSERT_TRUE(host.Open(CLSID_ImageFilter));
        auto* list = host.Control<QComboBox>(kDialog, IDC_IMAGE_ALIGN);
        ASSERT_NE(nullptr, list);
        ASSERT_EQ(3, list->count());
        EXPECT_EQ("center", list->itemText(0).toStdString());
        EXPECT_EQ("left", list->itemText(1).toStdString());
        EXPECT_EQ("right", list->itemText(2).toStdString());
        EXPECT_EQ(c.selected, list->currentIndex());
    }
}

TEST(ImageFilterPage, ApplyWithoutASelectionKeepsTheStoredAlignment) {
    ASSERT_TRUE(OptionPageHost::FilterProfile().WriteProfileString("Image Filter", "Align", "justify"));
    OptionPageHost host("pictureintake.so");
    ASSERT_TRUE(host.Open(CLSID_ImageFilter));
    auto* list = host.Control<QComboBox>(kDialog, IDC_IMAGE_ALIGN);
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(-1, list->currentIndex());
    // A change notice without a choice: the page is dirty, but has nothing to save.
    emit list->activated(-1);
    ASSERT_EQ(S_OK, host.page->IsPageDirty());
    EXPECT_EQ(S_OK, host.page->Apply());
    EXPECT_EQ("justify", OptionPageHost::FilterProfile().GetProfileString("Image Filter", "Align", "").str());

    // A choice is stored.
    list->setCurrentIndex(2);
    EXPECT_EQ(S_OK, host.page->Apply());
    EXPECT_EQ("right", OptionPageHost::FilterProfile().GetProfileString("Image Filter", "Align", "").str());
}

}  // namespace
}  // namespace filtertest
