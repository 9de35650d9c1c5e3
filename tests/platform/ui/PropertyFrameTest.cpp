#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PropertyFrame.h"
#include "platform/ui/Resources.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "tests/platform/ui/UiTestEnvironment.h"

using namespace leaf::ui;

namespace {

class TestPage;

// The page's dialog hands every message to the page, as an option page's dialog
// procedure does.
class PageDialog : public CDialog {
public:
    explicit PageDialog(TestPage& page) : m_page(page) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TestPage& m_page;
};

// An option page over dialog 7000 that keeps its setting in `stored` (its "profile").
class TestPage final : public leaf::ComObject<TestPage, IPropertyPage> {
public:
    explicit TestPage(int initial) : stored(initial) {}
    ~TestPage() override {
        if (site) site->Release();
    }
    int stored;
    int writes = 0;
    int activations = 0;
    int deactivations = 0;
    bool dirty = false;
    bool active = false;
    IPropertyPageSite* site = nullptr;
    std::unique_ptr<PageDialog> dialog;

    HRESULT SetPageSite(IPropertyPageSite* newSite) override {
        if (newSite) {
            if (site) return E_UNEXPECTED;
            site = newSite;
            site->AddRef();
        } else if (site) {
            site->Release();
            site = nullptr;
        }
        return S_OK;
    }
    HRESULT Activate(HWND parent, LPCRECT rect, BOOL) override {
        if (!rect) return E_POINTER;
        if (dialog) return E_UNEXPECTED;
        dialog = std::make_unique<PageDialog>(*this);
        if (!dialog->Create(7000, CWnd::FromHandle(parent))) return E_OUTOFMEMORY;
        dialog->MoveWindow(rect);
        dialog->SetDlgItemInt(7001, static_cast<UINT>(stored));   // loading the controls marks nothing
        ++activations;
        active = true;
        return Show(SW_SHOWNORMAL);
    }
    HRESULT Deactivate() override {
        if (!dialog) return E_UNEXPECTED;
        ++deactivations;
        dialog->DestroyWindow();
        dialog.reset();
        return S_OK;
    }
    HRESULT GetPageInfo(PROPPAGEINFO* info) override {
        if (!info) return E_POINTER;
        std::u16string title = u"HTML";
        info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc((title.size() + 1) * sizeof(OLECHAR)));
        std::copy(title.c_str(), title.c_str() + title.size() + 1, info->pszTitle);
        info->size = {300, 80};
        info->pszDocString = nullptr;
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        return S_OK;
    }
    HRESULT SetObjects(ULONG, IUnknown**) override { return E_NOTIMPL; }
    HRESULT Show(UINT command) override {
        if (!dialog) return E_UNEXPECTED;
        if (command != SW_HIDE && command != SW_SHOWNORMAL && command != SW_SHOW) return E_INVALIDARG;
        dialog->ShowWindow(static_cast<int>(command));
        return S_OK;
    }
    HRESULT Move(LPCRECT rect) override {
        if (!rect) return E_POINTER;
        if (!dialog) return E_UNEXPECTED;
        dialog->MoveWindow(rect);
        return S_OK;
    }
    HRESULT IsPageDirty() override { return dirty ? S_OK : S_FALSE; }
    HRESULT Apply() override {
        if (!site) return E_UNEXPECTED;
        if (dirty) {
            // Reads the field as a page does: a page without a window would read 0 here.
            stored = dialog ? static_cast<int>(dialog->GetDlgItemInt(7001)) : 0;
            ++writes;
        }
        return S_OK;
    }
    HRESULT Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(LPMSG) override { return E_NOTIMPL; }

    void OnPageMessage(UINT message, WPARAM wParam) {
        if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && active) {
            dirty = true;
            if (site) site->OnStatusChange(PROPPAGESTATUS_DIRTY);
        }
    }
};

LRESULT PageDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    m_page.OnPageMessage(message, wParam);
    return CDialog::WindowProc(message, wParam, lParam);
}

constexpr CLSID kFirst = leaf::MakeGuid("{11111111-0000-0000-0000-000000000001}");
constexpr CLSID kSecond = leaf::MakeGuid("{11111111-0000-0000-0000-000000000002}");
constexpr CLSID kMissing = leaf::MakeGuid("{11111111-0000-0000-0000-0000000000FF}");
constexpr CLSID kPageless = leaf::MakeGuid("{11111111-0000-0000-0000-0000000000EE}");

class PropertyFrameTest : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::LoadUiTestResources();
        first = new TestPage(3);
        second = new TestPage(5);
        firstRef = first;
        secondRef = second;
        params.caption = "Options";
        params.factory = [this](REFCLSID clsid, IPropertyPage** page) -> HRESULT {
            TestPage* found = clsid == kFirst ? first : clsid == kSecond ? second : nullptr;
            if (clsid == kPageless) return E_NOINTERFACE;   // an object without an option page
            if (!found) return REGDB_E_CLASSNOTREG;
            found->AddRef();
            *page = found;
            return S_OK;
        };
    }
    CWinApp app{"Leafcraft"};
    ScriptedPeople people;
    TestPage* first = nullptr;
    TestPage* second = nullptr;
    leaf::ComPtr<TestPage> firstRef, secondRef;
    PropertyFrameParams params;
};

QLineEdit* Field(TestPage* page) { return qobject_cast<QLineEdit*>(page->dialog->GetDlgItem(7001)->GetWidget()); }

void Click(QDialog& frame, int id) { qobject_cast<QPushButton*>(FindControl(&frame, id))->click(); }

}  // namespace

TEST_F(PropertyFrameTest, OkAppliesEveryPageFromItsOwnWindowAndNeverWritesFromAnUnshownOne) {
    params.pages = {kFirst, kSecond};
    people.AnswerDialog([&](QDialog& frame) {
        EXPECT_EQ(frame.windowTitle(), "Options");
        EXPECT_EQ(first->activations, 1);    // the first tab is shown
        EXPECT_EQ(second->activations, 0);   // the second is not yet
        EXPECT_EQ(first->dialog->GetWidget()->window(), &frame);   // made inside the frame's tab
        QTest::keyClicks(Field(first), "0");  // 3 becomes 30
        Click(frame, IDOK);
    });
    EXPECT_EQ(ShowPropertyFrame(params), S_OK);
    EXPECT_EQ(first->stored, 30);
    EXPECT_EQ(first->writes, 1);
    // The second page was activated (hidden) before it applied; not changed, so not written.
    EXPECT_EQ(second->activations, 1);
    EXPECT_EQ(second->writes, 0);
    EXPECT_EQ(second->stored, 5);
    EXPECT_EQ(first->deactivations, 1);
    EXPECT_EQ(second->deactivations, 1);
    EXPECT_EQ(first->site, nullptr);   // the frame let go of the pages
    EXPECT_EQ(people.UnansweredCount(), 0);
}

TEST_F(PropertyFrameTest, ApplyAfterAPageWasLeftWritesWhatThePageLastHeld) {
    params.pages = {kFirst, kSecond};
    people.AnswerDialog([&](QDialog& frame) {
        auto* apply = qobject_cast<QPushButton*>(FindControl(&frame, static_cast<int>(ID_APPLY_NOW)));
        EXPECT_FALSE(apply->isEnabled());
        Field(first)->setText("12");
        EXPECT_TRUE(apply->isEnabled());   // the page told its site it is dirty
        frame.findChild<QTabBar*>()->setCurrentIndex(1);
        EXPECT_FALSE(first->dialog->IsWindowVisible());   // hidden, not closed
        EXPECT_TRUE(second->dialog->IsWindowVisible());
        apply->click();
        EXPECT_EQ(first->stored, 12);
        EXPECT_FALSE(apply->isEnabled());
        Click(frame, IDCANCEL);
    });
    EXPECT_EQ(ShowPropertyFrame(params), S_OK);
    EXPECT_EQ(first->stored, 12);
    EXPECT_EQ(first->writes, 1);
}

TEST_F(PropertyFrameTest, CancelAppliesNothing) {
    params.pages = {kFirst};
    people.AnswerDialog([&](QDialog& frame) {
        Field(first)->setText("40");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &escape);
    });
    EXPECT_EQ(ShowPropertyFrame(params), S_OK);
    EXPECT_EQ(first->stored, 3);
    EXPECT_EQ(first->writes, 0);
}

TEST_F(PropertyFrameTest, APageThatCannotBeCreatedIsLeftOutWithAMessage) {
    params.pages = {kMissing, kFirst};
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([&](QDialog& frame) {
        EXPECT_EQ(frame.findChild<QTabBar*>()->count(), 1);
        EXPECT_EQ(frame.findChild<QTabBar*>()->tabText(0), "HTML");
        Field(first)->setText("9");
        Click(frame, IDOK);
    });
    EXPECT_EQ(ShowPropertyFrame(params), S_OK);
    EXPECT_EQ(first->stored, 9);
    auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("{11111111-0000-0000-0000-0000000000FF}"), std::string::npos);
    EXPECT_EQ(messages[0].caption, "Leafcraft");
}

TEST_F(PropertyFrameTest, AClassWithoutAPageIsLeftOutWithoutAMessage) {
    params.pages = {kFirst, kPageless, kSecond};
    QStringList tabs;
    people.AnswerDialog([&](QDialog& frame) {
        QTabBar* bar = frame.findChild<QTabBar*>();
        for (int i = 0; i < bar->count(); ++i) tabs << bar->tabText(i);
        Click(frame, IDCANCEL);
    });
    EXPECT_EQ(ShowPropertyFrame(params), S_OK);
    EXPECT_EQ(tabs.size(), 2);
    EXPECT_TRUE(people.Asked("message").empty());
    // With nothing but such classes there is no frame and nothing to say.
    params.pages = {kPageless};
    EXPECT_EQ(ShowPropertyFrame(params), E_INVALIDARG);
    EXPECT_TRUE(people.Asked("message").empty());
    EXPECT_EQ(people.Asked("dialog").size(), 1u);
}

TEST_F(PropertyFrameTest, TheEntryPointCreatesPagesThroughTheComRuntime) {
    // Nothing is registered under this class id: a message, no frame.
    people.AnswerMessageBox(IDOK);
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 0, 0, nullptr, 0, nullptr, 1, &kMissing, 1033, 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(people.Asked("message").size(), 1u);
    EXPECT_TRUE(people.Asked("dialog").empty());
    EXPECT_EQ(OleCreatePropertyFrame(nullptr, 0, 0, nullptr, 0, nullptr, 1, nullptr, 1033, 0, nullptr), E_POINTER);
}
