// The text filter's option page: the stored tab stop it shows (outside 1..64 shown as 4)
// and the number Apply stores (outside 1..64 stored as 4).

#include <string>

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "filters/text/TextFilterIds.h"
#include "filters/text/TextFilterPage.h"
#include "tests/filters/pages/OptionPageHost.h"

namespace filtertest {
namespace {

constexpr int kDialog = static_cast<int>(IDD_TEXT_FILTER_PAGE);

TEST(TextFilterPage, ShowsTheStoredTabStop) {
    const struct {
        int stored;
        const char* shown;
    } cases[] = {{12, "12"}, {1, "1"}, {64, "64"}, {65, "4"}, {0, "4"}, {-2, "4"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(OptionPageHost::FilterProfile().WriteProfileInt("Text Filter", "TabStop", c.stored));
        OptionPageHost host("plainintake.so");
        ASSERT_TRUE(host.Open(CLSID_TextFilter));
        auto* field = host.Control<QLineEdit>(kDialog, IDC_TEXT_TAB_STOP);
        ASSERT_NE(nullptr, field);
        EXPECT_EQ(c.shown, field->text().toStdString());
    }
}

TEST(TextFilterPage, ApplyStoresTheFieldsNumberWithinItsRange) {
    const struct {
        const char* typed;
        int stored;
    } cases[] = {{"9", 9}, {"64", 64}, {"65", 4}, {"-5", 4}, {"0", 4}};
    OptionPageHost host("plainintake.so");
    ASSERT_TRUE(host.Open(CLSID_TextFilter));
    auto* field = host.Control<QLineEdit>(kDialog, IDC_TEXT_TAB_STOP);
    ASSERT_NE(nullptr, field);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        field->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(S_OK, host.page->IsPageDirty());
        EXPECT_EQ(S_OK, host.page->Apply());
        EXPECT_EQ(c.stored,
                  static_cast<int>(OptionPageHost::FilterProfile().GetProfileInt("Text Filter", "TabStop", 1000)));
    }
}

}  // namespace
}  // namespace filtertest
