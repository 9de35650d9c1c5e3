#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTextBrowser>
#include <sys/stat.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/ModulePath.h"
#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchDriver.h"
#include "platform/ui/browser/DocHostUIHandler.h"
#include "platform/ui/browser/WebBrowser.h"
#include "tests/support/FifoWatchdog.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::ComPtr;
using leaf::Variant;

// Records the browser's events; a test may cancel navigations from BeforeNavigate2.
class EventRecorder final : public leaf::ComObject<EventRecorder, IDispatch> {
public:
    struct Event {
        DISPID dispid;
        std::string address;
    };
    std::vector<Event> events;
    std::function<bool(const std::string&)> cancel;

    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        // Arguments arrive last first: the address is the second declared argument.
        const VARIANT& url = params->rgvarg[params->cArgs - 2];
        std::string address = url.vt == (VT_BYREF | VT_VARIANT) ? Variant(*url.pvarVal).ToUtf8() : Variant(url).ToUtf8();
        events.push_back({dispid, address});
        if (dispid == leaf::ui::DISPID_BEFORENAVIGATE2 && cancel && cancel(address)) {
            VARIANT& flag = params->rgvarg[0];
            EXPECT_EQ(flag.vt, VT_BYREF | VT_BOOL);
            *flag.pboolVal = VARIANT_TRUE;
        }
        return S_OK;
    }
    std::vector<DISPID> Dispids() const {
        std::vector<DISPID> ids;
        for (const Event& event : events) ids.push_back(event.dispid);
        return ids;
    }
};

// A handler object whose default member answers a fixed value and counts its calls.
class Answer final : public leaf::ComObject<Answer, IDispatch> {
public:
    explicit Answer(bool value) : value(value) {}
    bool value;
    int calls = 0;
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (dispid != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
        ++calls;
        if (result) Variant(value).CopyTo(result);
        return S_OK;
    }
};

class WebBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        m_parent = std::make_unique<QWidget>();
        m_browser = leaf::ui::CreateWebBrowser(m_parent.get());
        m_browser->resize(400, 300);
        m_browser->show();
        m_recorder = ComPtr<EventRecorder>(new EventRecorder);
        ComPtr<IConnectionPointContainer> points;
        ASSERT_EQ(Browser()->QueryInterface(IID_IConnectionPointContainer, points.ReceiveVoid()), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(leaf::ui::DIID_WebBrowserEvents, m_point.Receive()), S_OK);
        ASSERT_EQ(m_point->Advise(static_cast<IDispatch*>(m_recorder.Get()), &m_cookie), S_OK);
    }
    void TearDown() override {
        if (m_point) m_point->Unadvise(m_cookie);
    }

    IDispatch* Browser() const { return leaf::ui::WebBrowserDispatch(m_browser); }
    leaf::DispatchResult Navigate(const std::string& address) const {
        return leaf::DispatchDriver(Browser()).TryInvoke(leaf::ui::DISPID_WEB_NAVIGATE, DISPATCH_METHOD,
                                                         {Variant(address)});
    }
    leaf::DispatchDriver Document() const {
        return leaf::DispatchDriver(
            leaf::DispatchDriver(Browser()).GetProperty(leaf::ui::DISPID_WEB_DOCUMENT).ToDispatch());
    }

    leaf::test::TempFolder m_folder;
    std::unique_ptr<QWidget> m_parent;
    QWidget* m_browser = nullptr;
    ComPtr<EventRecorder> m_recorder;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

TEST_F(WebBrowserTest, NavigateShowsTheFileAndFiresTheEventsInOrder) {
    std::string page = m_folder.WriteFile("book/page.htm", "<html><head><title>Chapter</title></head><body>Once upon</body></html>");
    ASSERT_EQ(Navigate(page).hr, S_OK);
    EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "Once upon");
    EXPECT_EQ(leaf::ui::WebBrowserLocation(m_browser), page);
    EXPECT_EQ(m_recorder->Dispids(), (std::vector<DISPID>{leaf::ui::DISPID_BEFORENAVIGATE2,
                                                          leaf::ui::DISPID_NAVIGATECOMPLETE2,
                                                          leaf::ui::DISPID_DOCUMENTCOMPLETE}));
    for (const auto& event : m_recorder->events) EXPECT_EQ(event.address, page);
    EXPECT_EQ(Document().GetProperty(leaf::ui::DISPID_DOC_TITLE).ToUtf8(), "Chapter");
    EXPECT_EQ(leaf::DispatchDriver(Browser()).GetProperty("LocationURL").ToUtf8(), page);
}

TEST_F(WebBrowserTest, Utf16PagesOfEitherByteOrderShowTheirText) {
    const std::u16string text = u"<p>\u00C9t\u00E9 \u4E2D</p>";
    for (const bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t unit : text) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        ASSERT_EQ(Navigate(m_folder.WriteFile(bigEndian ? "be.htm" : "le.htm", bytes)).hr, S_OK);
        EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "\xC3\x89t\xC3\xA9 \xE4\xB8\xAD") << bigEndian;
    }
}

TEST_F(WebBrowserTest, CancelledNavigationKeepsThePageAndCompletesNothing) {
    std::string first = m_folder.WriteFile("a.htm", "<p>first</p>");
    std::string second = m_folder.WriteFile("b.htm", "<p>second</p>");
    Navigate(first);
    ComPtr<IDispatch> firstDocument = Document().GetDispatch();
    m_recorder->events.clear();
    m_recorder->cancel = [](const std::string&) { return true; };
    Navigate(second);
    EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "first");
    EXPECT_EQ(m_recorder->Dispids(), std::vector<DISPID>{leaf::ui::DISPID_BEFORENAVIGATE2});
    EXPECT_EQ(Document().GetDispatch(), firstDocument.Get());
}

TEST_F(WebBrowserTest, ClickedLinkIsANavigationThatHandlersMayCancel) {
    std::string target = m_folder.WriteFile("sub/next.htm", "<p>next page</p>");
    std::string page = m_folder.WriteFile("start.htm", "<p><a href=\"sub/next.htm\">go</a></p>");
    Navigate(page);
    m_recorder->events.clear();
    m_recorder->cancel = [](const std::string&) { return true; };
    auto* view = qobject_cast<QTextBrowser*>(m_browser);
    ASSERT_NE(view, nullptr);
    emit view->anchorClicked(QUrl("sub/next.htm"));
    ASSERT_EQ(m_recorder->events.size(), 1u);
    EXPECT_EQ(m_recorder->events[0].address, target);
    EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "go");
    m_recorder->cancel = nullptr;
    emit view->anchorClicked(QUrl("sub/next.htm"));
    EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "next page");
}

TEST_F(WebBrowserTest, ResourceAddressesServeThisProgramsPagesOnly) {
    leaf::ui::RegisterWebResource("TESTPAGE.HTM", "<p>built in</p>");
    Navigate(leaf::ui::WebResourceAddress("TestPage.htm"));
    EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "built in");
    std::string content;
    EXPECT_FALSE(leaf::ui::FindWebResource("res:///elsewhere/program/TESTPAGE.HTM", content));
    EXPECT_FALSE(leaf::ui::FindWebResource(leaf::ui::WebResourceAddress("MISSING.HTM"), content));
    EXPECT_TRUE(leaf::ui::FindWebResource("RES://" + leaf::GetExecutablePath() + "/testpage.htm", content));
    EXPECT_EQ(content, "<p>built in</p>");
}

TEST_F(WebBrowserTest, StyleSheetsAreInsertedByIndexAndGoWithThePage) {
    std::string red = m_folder.WriteFile("red.css", "p { color: red; }");
    std::string blue = m_folder.WriteFile("blue.css", "p { color: blue; }");
    leaf::ui::RegisterWebResource("GREEN.CSS", "p { color: green; }");
    Navigate(m_folder.WriteFile("page.htm", "<p>text</p>"));
    leaf::DispatchDriver document = Document();
    Variant sheet = document.Invoke(leaf::ui::DISPID_DOC_CREATESTYLESHEET, DISPATCH_METHOD, red, LONG{-1});
    leaf::DispatchDriver sheetDriver(sheet.ToDispatch());
    EXPECT_EQ(sheetDriver.GetProperty(leaf::ui::DISPID_STYLESHEET_CSSTEXT).ToUtf8(), "p { color: red; }");
    document.Invoke(leaf::ui::DISPID_DOC_CREATESTYLESHEET, DISPATCH_METHOD, blue, LONG{0});
    document.Invoke(leaf::ui::DISPID_DOC_CREATESTYLESHEET, DISPATCH_METHOD,
                    leaf::ui::WebResourceAddress("green.css"), LONG{1});
    EXPECT_EQ(leaf::ui::WebBrowserAddedStyle(m_browser), "p { color: blue; }\np { color: green; }\np { color: red; }\n");
    // A style sheet that cannot be read is refused; the page keeps what it had.
    leaf::DispatchResult missing = document.TryInvoke(leaf::ui::DISPID_DOC_CREATESTYLESHEET, DISPATCH_METHOD,
                                                      {Variant(m_folder / "none.css"), Variant(LONG{0})});
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    // The next page starts without them, and the old document no longer reaches the browser.
    Navigate(m_folder.WriteFile("other.htm", "<p>other</p>"));
    EXPECT_EQ(leaf::ui::WebBrowserAddedStyle(m_browser), "");
    EXPECT_EQ(document.TryInvoke(leaf::ui::DISPID_DOC_CREATESTYLESHEET, DISPATCH_METHOD, {Variant(red)}).hr,
              DISP_E_EXCEPTION);
}

TEST_F(WebBrowserTest, SelectStartHandlerAnsweringFalseKeepsTextUnselected) {
    Navigate(m_folder.WriteFile("page.htm", "<p>Some words to select with the mouse</p>"));
    ComPtr<Answer> handler(new Answer(false));
    Document().SetProperty(leaf::ui::DISPID_DOC_ONSELECTSTART, Variant(static_cast<IDispatch*>(handler.Get())));
    EXPECT_EQ(Document().GetProperty(leaf::ui::DISPID_DOC_ONSELECTSTART).ToDispatch().Get(),
              static_cast<IDispatch*>(handler.Get()));
    auto* view = qobject_cast<QTextBrowser*>(m_browser);
    QWidget* viewport = view->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseMove(viewport, QPoint(150, 10));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(handler->calls, 1);
    EXPECT_FALSE(view->textCursor().hasSelection());
    EXPECT_FALSE(view->textInteractionFlags() & Qt::TextSelectableByMouse);
    // A handler that allows it gives the normal behaviour back.
    handler->value = true;
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(handler->calls, 2);
    EXPECT_TRUE(view->textInteractionFlags() & Qt::TextSelectableByMouse);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(5, 10));
}

TEST_F(WebBrowserTest, NavigateAfterTheWindowIsGoneFailsWithoutHarm) {
    ComPtr<IDispatch> automation(Browser());
    m_point->Unadvise(m_cookie);
    m_point = nullptr;
    delete m_browser;
    leaf::DispatchResult result = leaf::DispatchDriver(automation).TryInvoke(
        leaf::ui::DISPID_WEB_NAVIGATE, DISPATCH_METHOD, {Variant("about:blank")});
    EXPECT_EQ(result.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(leaf::DispatchDriver(automation).GetProperty(leaf::ui::DISPID_WEB_DOCUMENT).ToDispatch().Get(), nullptr);
}

TEST_F(WebBrowserTest, AddressesThatCannotBeReadShowAnEmptyPage) {
    Navigate(m_folder.WriteFile("page.htm", "<p>there</p>"));
    for (const std::string& address : {m_folder / "missing.htm", std::string("http://example.invalid/"),
                                       std::string("about:blank")}) {
        Navigate(address);
        EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "") << address;
        EXPECT_EQ(leaf::ui::WebBrowserLocation(m_browser), address);
    }
}

// A FIFO is no page: it shows empty, and is never waited on.
TEST_F(WebBrowserTest, AFifoShowsAnEmptyPageWithoutBeingWaitedOn) {
    const std::string fifo = m_folder / "pipe.htm";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& address : {fifo, "file://" + fifo}) {
        Navigate(m_folder.WriteFile("page.htm", "<p>there</p>"));
        leaf::test::FifoWatchdog watchdog(fifo);
        Navigate(address);
        EXPECT_FALSE(watchdog.Fired()) << address << " was opened";
        EXPECT_EQ(leaf::ui::WebBrowserPlainText(m_browser), "") << address;
    }
}

// A host that asks for no border and takes every key.
class KeyTakingHost final : public leaf::ComObject<KeyTakingHost, IDocHostUIHandler> {
public:
    int keys = 0;
    int menus = 0;
    HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        ++menus;
        return S_OK;
    }
    HRESULT GetHostInfo(DOCHOSTUIINFO* info) override {
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
        return S_OK;
    }
    HRESULT ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*) override { return S_OK; }
    HRESULT HideUI() override { return S_OK; }
    HRESULT UpdateUI() override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return E_NOTIMPL; }
    HRESULT OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
    HRESULT OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
    HRESULT ResizeBorder(LPCRECT, IUnknown*, BOOL) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG*, const GUID*, DWORD) override {
        ++keys;
        return S_OK;
    }
    HRESULT GetOptionKeyPath(char16_t**, DWORD) override { return E_NOTIMPL; }
    HRESULT GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
    HRESULT GetExternal(IDispatch**) override { return E_NOTIMPL; }
    HRESULT TranslateUrl(DWORD, char16_t*, char16_t**) override { return E_NOTIMPL; }
    HRESULT FilterDataObject(IUnknown*, IUnknown**) override { return E_NOTIMPL; }
};

TEST(WebBrowserHostTest, HostDecidesBorderKeysAndContextMenu) {
    QWidget parent;
    ComPtr<KeyTakingHost> host(new KeyTakingHost);
    QWidget* browser = leaf::ui::CreateWebBrowser(&parent, host.Get());
    auto* view = qobject_cast<QTextBrowser*>(browser);
    EXPECT_EQ(view->frameShape(), QFrame::NoFrame);
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(host->keys, 1);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(view->viewport(), &menu);
    EXPECT_EQ(host->menus, 1);

    QWidget* plain = leaf::ui::CreateWebBrowser(&parent);
    EXPECT_NE(qobject_cast<QTextBrowser*>(plain)->frameShape(), QFrame::NoFrame);
}

}  // namespace
