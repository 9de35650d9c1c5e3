#include <gtest/gtest.h>

#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <memory>

#include "platform/com/DispatchDriver.h"
#include "platform/com/ModuleLock.h"
#include "platform/ui/browser/WebBrowser.h"
#include "studio/workspace/CancelWebEvent.h"
#include "studio/workspace/DocHostSite.h"
#include "studio/workspace/HtmlDocument.h"
#include "studio/workspace/WebPreview.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::ComPtr;
using leaf::Variant;

constexpr UINT kPreviewId = 1200;

// A window with a placeholder where a preview goes, forwarding the browser's events to
// the preview through its event sink map, as a view does.
class PreviewHost : public CWnd {
public:
    PreviewHost() {
        auto* widget = new QWidget;
        auto* layout = new QVBoxLayout(widget);
        m_placeholder = new QLabel("The browser is not available.");
        leaf::ui::SetControlId(m_placeholder, kPreviewId);
        layout->addWidget(new QLabel("Preview:"));
        layout->addWidget(m_placeholder);
        AttachCreated(widget);
        widget->resize(500, 400);
        MapEvent(kPreviewId, leaf::ui::DISPID_BEFORENAVIGATE2, [this](DISPPARAMS* params) {
            ++before;
            return preview.OnBeforeNavigate2(params);
        });
        MapEvent(kPreviewId, leaf::ui::DISPID_NAVIGATECOMPLETE2, [this](DISPPARAMS* params) {
            ++complete;
            return preview.OnNavigateComplete2(params);
        });
    }
    CWebPreview preview;
    QLabel* m_placeholder;
    int before = 0;
    int complete = 0;
};

class BrowserHostingTest : public testing::Test {
protected:
    void SetUp() override { AfxEnableControlContainer(&m_manager); }
    void TearDown() override { AfxEnableControlContainer(nullptr); }

    QTextBrowser* View(CWebPreview& preview) { return qobject_cast<QTextBrowser*>(preview.Browser().GetWidget()); }

    CDocHostOccManager m_manager;
    leaf::test::TempFolder m_folder;
};

TEST_F(BrowserHostingTest, PreviewTakesThePlaceholdersPlaceAndId) {
    PreviewHost host;
    QPointer<QLabel> placeholder = host.m_placeholder;
    ASSERT_TRUE(host.preview.Create(&host, kPreviewId));
    EXPECT_TRUE(host.preview.IsEnabled());
    EXPECT_TRUE(placeholder.isNull());
    QWidget* browser = leaf::ui::FindControl(host.GetWidget(), kPreviewId);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser, host.preview.Browser().GetWidget());
    EXPECT_NE(leaf::ui::WebBrowserDispatch(browser), nullptr);
    EXPECT_EQ(host.GetWidget()->layout()->indexOf(browser), 1);
    // The client edge is on; the program's site asked for no border of the browser's own.
    EXPECT_EQ(View(host.preview)->frameShadow(), QFrame::Sunken);
}

TEST_F(BrowserHostingTest, WithoutThePlaceholderThePreviewStaysOff) {
    PreviewHost host;
    EXPECT_FALSE(host.preview.Create(&host, kPreviewId + 1));
    EXPECT_FALSE(host.preview.IsEnabled());
    host.preview.Show("about:blank", TRUE);   // nothing happens
    EXPECT_EQ(host.before, 0);
}

TEST_F(BrowserHostingTest, OnlyPagesTheOwnerShowsAreNavigated) {
    PreviewHost host;
    ASSERT_TRUE(host.preview.Create(&host, kPreviewId));
    std::string first = m_folder.WriteFile("first.htm", "<p><a href=\"second.htm\">on</a></p>");
    std::string second = m_folder.WriteFile("second.htm", "<p>second</p>");
    host.preview.Show(first.c_str(), FALSE);
    EXPECT_EQ(host.before, 1);
    EXPECT_EQ(host.complete, 1);
    EXPECT_EQ(leaf::ui::WebBrowserPlainText(host.preview.Browser().GetWidget()), "on");
    // A link clicked in the preview, or a navigation the owner did not arm, goes nowhere.
    emit View(host.preview)->anchorClicked(QUrl("second.htm"));
    host.preview.Browser().Navigate(second.c_str());
    EXPECT_EQ(host.before, 3);
    EXPECT_EQ(host.complete, 1);
    EXPECT_EQ(leaf::ui::WebBrowserLocation(host.preview.Browser().GetWidget()), first);
    host.preview.Show(second.c_str(), FALSE);
    EXPECT_EQ(leaf::ui::WebBrowserPlainText(host.preview.Browser().GetWidget()), "second");
}

TEST_F(BrowserHostingTest, FinishedPageGetsTheDefaultStyleFirstAndRefusesSelection) {
    PreviewHost host;
    ASSERT_TRUE(host.preview.Create(&host, kPreviewId));
    QWidget* browser = host.preview.Browser().GetWidget();
    std::string page = m_folder.WriteFile("page.htm", "<html><head><style>p { color: red; }</style></head><p>x</p></html>");
    host.preview.Show(page.c_str(), TRUE);
    EXPECT_TRUE(browser->updatesEnabled());
    std::string added = leaf::ui::WebBrowserAddedStyle(browser);
    EXPECT_EQ(added.rfind("body {", 0), 0u) << added;
    EXPECT_NE(added.find("color: #008080"), std::string::npos);
    // The handlers are objects answering FALSE, kept alive by the document alone.
    leaf::DispatchDriver document(host.preview.Browser().GetDocument());
    document.GetDispatch()->Release();   // GetDocument's reference; the driver holds its own
    EXPECT_EQ(CCancelWebEvent::LiveCount(), 1);
    Variant handler = document.GetProperty(leaf::ui::DISPID_DOC_ONSELECTSTART);
    EXPECT_EQ(handler.ToDispatch().Get(), document.GetProperty(leaf::ui::DISPID_DOC_ONDRAGSTART).ToDispatch().Get());
    EXPECT_FALSE(leaf::DispatchDriver(handler.ToDispatch()).Invoke(DISPID_VALUE, DISPATCH_METHOD).ToBool(true));
    handler.Clear();
    document.ReleaseDispatch();
    // A page shown without the default style keeps only its own.
    host.preview.Show(page.c_str(), FALSE);
    EXPECT_EQ(leaf::ui::WebBrowserAddedStyle(browser), "");
    EXPECT_EQ(CCancelWebEvent::LiveCount(), 1);   // the first page's handler went with its document
}

TEST(CancelWebEventTest, AnswersFalseByNameAndAsDefaultMemberAndLocksTheServer) {
    LONG locksBefore = leaf::ModuleLock::Count();
    {
        ComPtr<IDispatch> object = CCancelWebEvent::Create();
        EXPECT_EQ(CCancelWebEvent::LiveCount(), 1);
        EXPECT_GT(leaf::ModuleLock::Count(), locksBefore);
        leaf::DispatchDriver driver(object);
        EXPECT_EQ(driver.GetDispId("ReturnFalse"), 1);
        Variant byId = driver.Invoke(1, DISPATCH_METHOD);
        EXPECT_EQ(byId.Type(), VT_BOOL);
        EXPECT_FALSE(byId.ToBool(true));
        EXPECT_FALSE(driver.Invoke(DISPID_VALUE, DISPATCH_METHOD).ToBool(true));
        // Held elsewhere, it outlives the creator's reference.
        ComPtr<IDispatch> holder = object;
        object = nullptr;
        EXPECT_EQ(CCancelWebEvent::LiveCount(), 1);
        EXPECT_FALSE(leaf::DispatchDriver(holder).Invoke(1, DISPATCH_METHOD).ToBool(true));
    }
    EXPECT_EQ(CCancelWebEvent::LiveCount(), 0);
    EXPECT_EQ(leaf::ModuleLock::Count(), locksBefore);
}

TEST(DocHostSiteTest, AnswersTheBrowsersHostQuestions) {
    CDocHostOccManager manager;
    COleControlSite* site = manager.CreateSite(nullptr);
    ComPtr<IUnknown> unknown;
    unknown.Attach(site->GetControllingUnknown());
    ComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(unknown->QueryInterface(IID_IDocHostUIHandler, handler.ReceiveVoid()), S_OK);
    ComPtr<IUnknown> back;
    ASSERT_EQ(handler->QueryInterface(IID_IUnknown, back.ReceiveVoid()), S_OK);
    EXPECT_EQ(back.Get(), unknown.Get());

    DOCHOSTUIINFO info;
    EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 4u);
    EXPECT_EQ(info.dwDoubleClick, 0u);
    POINT point;
    EXPECT_EQ(handler->ShowContextMenu(0, &point, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler->HideUI(), S_OK);
    EXPECT_EQ(handler->UpdateUI(), S_OK);
    MSG message;
    EXPECT_EQ(handler->TranslateAccelerator(&message, nullptr, 0), S_FALSE);
    EXPECT_EQ(handler->EnableModeless(TRUE), E_NOTIMPL);
    EXPECT_EQ(handler->ResizeBorder(nullptr, nullptr, FALSE), E_NOTIMPL);
    EXPECT_EQ(handler->GetExternal(nullptr), E_NOTIMPL);
    EXPECT_EQ(handler->FilterDataObject(nullptr, nullptr), E_NOTIMPL);
    // A plain site has no host handler.
    COccManager plain;
    ComPtr<IUnknown> plainSite;
    plainSite.Attach(plain.CreateSite(nullptr)->GetControllingUnknown());
    ComPtr<IDocHostUIHandler> none;
    EXPECT_EQ(plainSite->QueryInterface(IID_IDocHostUIHandler, none.ReceiveVoid()), E_NOINTERFACE);
}

TEST_F(BrowserHostingTest, ProgramPagesAreServed) {
    PreviewHost host;
    ASSERT_TRUE(host.preview.Create(&host, kPreviewId));
    host.preview.Show(CWebPreview::ResourceAddress("NoPreview.htm").GetString(), FALSE);
    EXPECT_NE(leaf::ui::WebBrowserPlainText(host.preview.Browser().GetWidget())
                  .find("[No preview is available for this file type.]"),
              std::string::npos);
    std::string css;
    EXPECT_TRUE(leaf::ui::FindWebResource(CWebPreview::ResourceAddress("ReaderDefault-TOC.css").GetString(), css));
    EXPECT_TRUE(leaf::ui::FindWebResource(CWebPreview::ResourceAddress("blank.htm").GetString(), css));
    EXPECT_EQ(css, "<html><body scroll=\"no\"></body></html>");
}

}  // namespace
