// Each filter's option page as an IPropertyPage object, created by class id through the
// COM runtime and hosted in a window of the test: the page protocol, its title and size,
// dirty tracking, and what Apply writes to the profile.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "filters/html/HtmlFilterIds.h"
#include "filters/html/HtmlFilterPage.h"
#include "filters/image/ImageFilterIds.h"
#include "filters/image/ImageFilterPage.h"
#include "filters/text/TextFilterIds.h"
#include "filters/text/TextFilterPage.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "tests/filters/pages/FilterPagesTestSupport.h"
#include "tests/filters/pages/OptionPageHost.h"

namespace pagetest {
namespace {

using leaf::ComPtr;

// The frame's side of the protocol: counts the page's reports.
using RecordingSite = filtertest::PageSite;

struct PageCase {
    const char* name;
    CLSID clsid;
    int dialogId;
    const char* title;
    const char* section;   // the profile section the page writes
};

const PageCase kPages[] = {
    {"HTML", CLSID_HtmlFilter, static_cast<int>(IDD_HTML_FILTER_PAGE), "HTML", "HTML Filter"},
    {"image", CLSID_ImageFilter, static_cast<int>(IDD_IMAGE_FILTER_PAGE), "Images", "Image Filter"},
    {"text", CLSID_TextFilter, static_cast<int>(IDD_TEXT_FILTER_PAGE), "Text", "Text Filter"},
};

bool SectionExists(const char* section) {
    return leaf::RegistryKey::Open(HKEY_CURRENT_USER, std::string("Software\\Tallbrook Systems, Inc.\\Leafcraft\\") + section)
        .IsOpen();
}

class FilterPageTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterFilterModules();
        host.resize(480, 240);
        host.show();
        site = new RecordingSite;
    }
    void TearDown() override { DeleteClosedWindows(); }

    ComPtr<IPropertyPage> CreatePage(const PageCase& page) {
        ComPtr<IPropertyPage> created;
        EXPECT_EQ(CoCreateInstance(page.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, created.ReceiveVoid()),
                  S_OK)
            << page.name;
        return created;
    }

    // A page with the site set and its window made inside the host.
    ComPtr<IPropertyPage> ActivePage(const PageCase& page) {
        ComPtr<IPropertyPage> created = CreatePage(page);
        if (!created)
            return created;
        EXPECT_EQ(created->SetPageSite(site.Get()), S_OK);
        EXPECT_EQ(created->Activate(Host(), &kRect, TRUE), S_OK);
        return created;
    }

    // A change of the page's setting as a person makes it.
    void ChangeSetting(const PageCase& page) {
        if (page.dialogId == static_cast<int>(IDD_HTML_FILTER_PAGE)) {
            TypeInto(PageControl<QLineEdit>(&host, page.dialogId, IDC_HTML_LEVEL), "12");
        } else if (page.dialogId == static_cast<int>(IDD_IMAGE_FILTER_PAGE)) {
            QTest::keyClick(PageControl<QComboBox>(&host, page.dialogId, IDC_IMAGE_ALIGN), Qt::Key_Down);   // left
        } else {
            TypeInto(PageControl<QLineEdit>(&host, page.dialogId, IDC_TEXT_TAB_STOP), "7");
        }
    }

    // The setting as the profile holds it, as text ("" when not stored).
    static std::string StoredSetting(const PageCase& page) {
        leaf::Profile profile = FilterProfile();
        if (page.dialogId == static_cast<int>(IDD_IMAGE_FILTER_PAGE))
            return profile.GetProfileString(page.section, "Align", "").str();
        const char* entry = page.dialogId == static_cast<int>(IDD_HTML_FILTER_PAGE) ? "WalkLinkLevel" : "TabStop";
        const int value = static_cast<int>(profile.GetProfileInt(page.section, entry, -1000));
        return value == -1000 ? std::string() : std::to_string(value);
    }

    HWND Host() { return leaf::ui::HandleFromWidget(&host); }

    static constexpr RECT kRect{0, 0, 480, 240};
    QWidget host;
    ComPtr<RecordingSite> site;
};

TEST_F(FilterPageTest, TitleIsTheDialogsStringAndSizeTheDialogsOwn) {
    for (const PageCase& page : kPages) {
        SCOPED_TRACE(page.name);
        ComPtr<IPropertyPage> object = CreatePage(page);
        ASSERT_TRUE(object);
        EXPECT_EQ(object->GetPageInfo(nullptr), E_POINTER);
        PROPPAGEINFO info{};
        ASSERT_EQ(object->GetPageInfo(&info), S_OK);
        EXPECT_EQ(info.cb, sizeof(PROPPAGEINFO));
        ASSERT_NE(info.pszTitle, nullptr);
        EXPECT_EQ(leaf::Utf16ToUtf8(info.pszTitle), page.title);
        EXPECT_GT(info.size.cx, 20);
        EXPECT_GT(info.size.cy, 10);
        EXPECT_EQ(info.pszDocString, nullptr);
        EXPECT_EQ(info.pszHelpFile, nullptr);
        EXPECT_EQ(info.dwHelpContext, 0u);
        CoTaskMemFree(info.pszTitle);
        // Measuring leaves no window behind.
        EXPECT_EQ(PageWindow(&host, page.dialogId), nullptr);
    }
}

TEST_F(FilterPageTest, ProtocolOutOfOrderIsRefused) {
    for (const PageCase& page : kPages) {
        SCOPED_TRACE(page.name);
        ComPtr<IPropertyPage> object = CreatePage(page);
        ASSERT_TRUE(object);
        RECT moved{10, 20, 210, 120};
        // No window yet.
        EXPECT_EQ(object->Show(SW_SHOW), E_UNEXPECTED);
        EXPECT_EQ(object->Move(&moved), E_UNEXPECTED);
        EXPECT_EQ(object->Move(nullptr), E_POINTER);
        EXPECT_EQ(object->Deactivate(), E_UNEXPECTED);
        EXPECT_EQ(object->Activate(Host(), nullptr, TRUE), E_POINTER);
        // No site yet.
        EXPECT_EQ(object->Apply(), E_UNEXPECTED);
        EXPECT_EQ(object->SetObjects(0, nullptr), E_NOTIMPL);
        EXPECT_EQ(object->Help(nullptr), E_NOTIMPL);
        EXPECT_EQ(object->TranslateAccelerator(nullptr), E_NOTIMPL);

        EXPECT_EQ(object->SetPageSite(site.Get()), S_OK);
        ComPtr<RecordingSite> other = new RecordingSite;
        EXPECT_EQ(object->SetPageSite(other.Get()), E_UNEXPECTED);

        ASSERT_EQ(object->Activate(Host(), &kRect, TRUE), S_OK);
        QWidget* window = PageWindow(&host, page.dialogId);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(object->Activate(Host(), &kRect, TRUE), E_UNEXPECTED);
        EXPECT_EQ(object->Show(SW_SHOWNA), E_INVALIDARG);
        EXPECT_EQ(object->Show(SW_HIDE), S_OK);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(object->Show(SW_SHOW), S_OK);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(object->Move(&moved), S_OK);
        EXPECT_EQ(window->geometry(), QRect(10, 20, 200, 100));

        EXPECT_EQ(object->Deactivate(), S_OK);
        EXPECT_EQ(PageWindow(&host, page.dialogId), nullptr);
        EXPECT_EQ(object->Deactivate(), E_UNEXPECTED);
        EXPECT_EQ(object->SetPageSite(nullptr), S_OK);
        EXPECT_EQ(object->SetPageSite(other.Get()), S_OK);   // the first site was let go
        EXPECT_EQ(object->SetPageSite(nullptr), S_OK);
    }
}

TEST_F(FilterPageTest, LoadingTheControlsMarksNothingAndApplyThenWritesNothing) {
    for (const PageCase& page : kPages) {
        SCOPED_TRACE(page.name);
        ComPtr<IPropertyPage> object = ActivePage(page);
        ASSERT_TRUE(object);
        EXPECT_EQ(object->IsPageDirty(), S_FALSE);
        EXPECT_EQ(site->dirtyReports, 0);
        EXPECT_EQ(object->Apply(), S_OK);
        EXPECT_FALSE(SectionExists(page.section));
        EXPECT_EQ(object->Deactivate(), S_OK);
        EXPECT_EQ(object->Apply(), S_OK);
        EXPECT_FALSE(SectionExists(page.section));
        object->SetPageSite(nullptr);
    }
}

TEST_F(FilterPageTest, APersonsChangeMarksThePageAndApplyWritesIt) {
    const char* const expected[] = {"12", "left", "7"};
    for (size_t i = 0; i < std::size(kPages); ++i) {
        const PageCase& page = kPages[i];
        SCOPED_TRACE(page.name);
        site->dirtyReports = 0;
        ComPtr<IPropertyPage> object = ActivePage(page);
        ASSERT_TRUE(object);
        ChangeSetting(page);
        EXPECT_EQ(object->IsPageDirty(), S_OK);
        EXPECT_GE(site->dirtyReports, 1);
        EXPECT_FALSE(SectionExists(page.section));   // nothing is written before Apply
        EXPECT_EQ(object->Apply(), S_OK);
        EXPECT_EQ(StoredSetting(page), expected[i]);
        EXPECT_EQ(object->IsPageDirty(), S_OK);      // Apply leaves the flag as it was
        object->Deactivate();
        object->SetPageSite(nullptr);
    }
}

TEST_F(FilterPageTest, ApplyAfterThePageClosedWritesWhatItLastHeld) {
    const char* const expected[] = {"12", "left", "7"};
    for (size_t i = 0; i < std::size(kPages); ++i) {
        const PageCase& page = kPages[i];
        SCOPED_TRACE(page.name);
        ComPtr<IPropertyPage> object = ActivePage(page);
        ASSERT_TRUE(object);
        ChangeSetting(page);
        ASSERT_EQ(object->Deactivate(), S_OK);
        EXPECT_EQ(object->Apply(), S_OK);
        EXPECT_EQ(StoredSetting(page), expected[i]);
        object->SetPageSite(nullptr);
    }
}

TEST_F(FilterPageTest, HtmlCheckBoxEnablesTheLevelAndClearingItStoresZero) {
    const PageCase& page = kPages[0];
    ComPtr<IPropertyPage> object = ActivePage(page);
    ASSERT_TRUE(object);
    auto* box = PageControl<QAbstractButton>(&host, page.dialogId, IDC_HTML_PROCESS_LINKS);
    auto* field = PageControl<QLineEdit>(&host, page.dialogId, IDC_HTML_LEVEL);
    QWidget* spin = leaf::ui::FindControl(PageWindow(&host, page.dialogId), IDC_HTML_LEVEL_SPIN);
    QWidget* label = leaf::ui::FindControl(PageWindow(&host, page.dialogId), IDC_HTML_LEVEL_LABEL);
    ASSERT_TRUE(box && field && spin && label);
    EXPECT_TRUE(box->isChecked());   // the default level 3
    EXPECT_EQ(field->text(), "3");

    box->click();
    EXPECT_EQ(object->IsPageDirty(), S_OK);
    for (QWidget* control : {static_cast<QWidget*>(field), spin, label})
        EXPECT_FALSE(control->isEnabled());
    ASSERT_EQ(object->Apply(), S_OK);
    EXPECT_EQ(StoredSetting(page), "0");

    box->click();
    for (QWidget* control : {static_cast<QWidget*>(field), spin, label})
        EXPECT_TRUE(control->isEnabled());
    ASSERT_EQ(object->Apply(), S_OK);
    EXPECT_EQ(StoredSetting(page), "3");
    object->Deactivate();
    object->SetPageSite(nullptr);
}

}  // namespace
}  // namespace pagetest
