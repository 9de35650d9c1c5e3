#pragma once

// A filter's option page hosted in a window of the test: the page object created by class
// id, given a site that counts its dirty reports, and its window made inside the host.

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/PropertyPage.h"
#include "platform/registry/Profile.h"
#include "platform/ui/Wnd.h"
#include "tests/support/ChildProcess.h"

namespace filtertest {

class PageSite final : public leaf::ComObject<PageSite, IPropertyPageSite> {
public:
    int dirtyReports = 0;
    HRESULT OnStatusChange(DWORD flags) override {
        if (flags & PROPPAGESTATUS_DIRTY)
            ++dirtyReports;
        return S_OK;
    }
    HRESULT GetLocaleID(DWORD* lcid) override {
        *lcid = 1033;
        return S_OK;
    }
    HRESULT GetPageContainer(IUnknown** container) override {
        *container = nullptr;
        return E_NOTIMPL;
    }
    HRESULT TranslateAccelerator(LPMSG) override { return S_FALSE; }
};

class OptionPageHost {
public:
    explicit OptionPageHost(const char* module) {
        EXPECT_TRUE(leaf::test::RegisterModule(module)) << module;
        window.resize(480, 240);
        window.show();
    }
    ~OptionPageHost() {
        if (page) {
            page->Deactivate();
            page->SetPageSite(nullptr);
        }
    }

    // Creates and activates the page of `clsid`; false when any step failed.
    bool Open(const CLSID& clsid) {
        if (CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.ReceiveVoid()) != S_OK)
            return false;
        static constexpr RECT kRect{0, 0, 480, 240};
        return page->SetPageSite(site.Get()) == S_OK &&
               page->Activate(leaf::ui::HandleFromWidget(&window), &kRect, TRUE) == S_OK;
    }

    // A control of the page made from dialog `dialogId`, of Qt class T.
    template <class T> T* Control(int dialogId, int controlId) {
        QWidget* pageWindow = leaf::ui::FindControl(&window, dialogId);
        return pageWindow ? qobject_cast<T*>(leaf::ui::FindControl(pageWindow, controlId)) : nullptr;
    }

    static leaf::Profile FilterProfile() { return leaf::Profile("Tallbrook Systems, Inc.", "Leafcraft"); }

    QWidget window;
    leaf::ComPtr<PageSite> site = new PageSite;
    leaf::ComPtr<IPropertyPage> page;
};

}  // namespace filtertest
