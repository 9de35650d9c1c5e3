#include "platform/ui/PropertyFrame.h"

#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogBuilder.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPlacement.h"
#include "platform/ui/Wnd.h"

namespace leaf::ui {

namespace {

class Frame;

// The frame as the site of one page. It outlives the frame only as long as a page still
// holds it; after the frame ends its calls do nothing.
class FrameSite final : public leaf::ComObject<FrameSite, IPropertyPageSite> {
public:
    FrameSite(Frame* frame, DWORD lcid) : m_frame(frame), m_lcid(lcid) {}
    void Connect(Frame* frame) { m_frame = frame; }
    void Disconnect() { m_frame = nullptr; }
    HRESULT OnStatusChange(DWORD flags) override;
    HRESULT GetLocaleID(DWORD* lcid) override {
        if (!lcid) return E_POINTER;
        *lcid = m_lcid;
        return S_OK;
    }
    HRESULT GetPageContainer(IUnknown** container) override {
        if (container) *container = nullptr;
        return E_NOTIMPL;
    }
    HRESULT TranslateAccelerator(LPMSG) override { return S_FALSE; }

private:
    Frame* m_frame;
    DWORD m_lcid;
};

struct PageEntry {
    leaf::ComPtr<IPropertyPage> page;
    leaf::ComPtr<FrameSite> site;
    std::string title;
    SIZE size;
    QWidget* container = nullptr;
    bool active = false;
};

// The frame's window: Escape and the close box cancel.
class FrameWindow : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override { QDialog::done(IDCANCEL); }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        reject();
    }
};

// Keeps a page's window fitted to its tab when the frame is resized.
class ContainerResize : public QObject {
public:
    explicit ContainerResize(PageEntry* entry) : m_entry(entry) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize && m_entry->active) {
            RECT rect{0, 0, m_entry->container->width(), m_entry->container->height()};
            m_entry->page->Move(&rect);
        }
        return false;
    }

private:
    PageEntry* m_entry;
};

class Frame {
public:
    explicit Frame(std::vector<PageEntry> pages) : m_pages(std::move(pages)) {
        for (PageEntry& entry : m_pages) entry.site->Connect(this);
    }

    int Run(const PropertyFrameParams& params) {
        FrameWindow window(WidgetFromHandle(params.owner));
        window.setWindowTitle(QString::fromStdString(params.caption.empty() ? "Properties" : params.caption));
        MarkDialogRoot(&window);
        auto* layout = new QVBoxLayout(&window);
        m_tabs = new QTabBar(&window);
        m_tabs->setExpanding(false);
        m_stack = new QStackedWidget(&window);
        layout->addWidget(m_tabs);
        layout->addWidget(m_stack, 1);
        std::vector<std::unique_ptr<ContainerResize>> fitters;
        for (PageEntry& entry : m_pages) {
            m_tabs->addTab(QString::fromStdString(entry.title));
            entry.container = new QWidget;
            entry.container->setMinimumSize(std::max<LONG>(entry.size.cx, 1), std::max<LONG>(entry.size.cy, 1));
            m_stack->addWidget(entry.container);
            fitters.push_back(std::make_unique<ContainerResize>(&entry));
            entry.container->installEventFilter(fitters.back().get());
        }
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        auto* ok = new QPushButton(QStringLiteral("OK"), &window);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), &window);
        m_apply = new QPushButton(QStringLiteral("&Apply"), &window);
        SetControlId(ok, IDOK);
        SetControlId(cancel, IDCANCEL);
        SetControlId(m_apply, static_cast<int>(ID_APPLY_NOW));
        ok->setDefault(true);
        m_apply->setEnabled(false);
        for (QPushButton* button : {ok, cancel, m_apply}) {
            button->setAutoDefault(false);
            row->addWidget(button);
        }
        layout->addLayout(row);
        m_window = &window;

        QObject::connect(m_tabs, &QTabBar::currentChanged, &window, [this](int index) { ShowPage(index); });
        QObject::connect(ok, &QPushButton::clicked, &window, [this] {
            if (ApplyAll()) m_window->done(IDOK);
        });
        QObject::connect(cancel, &QPushButton::clicked, &window, [this] { m_window->done(IDCANCEL); });
        QObject::connect(m_apply, &QPushButton::clicked, &window, [this] { ApplyAll(); });

        ShowPage(0);
        // Centred on the owner and inside the work area, as every dialog opens.
        window.adjustSize();
        PlaceOverOwner(&window, window.parentWidget());
        int result = RunModalLoop(window, 0);
        Close();
        m_window = nullptr;
        return result;
    }

    void PageDirty() {
        if (m_apply) m_apply->setEnabled(true);
    }

private:
    bool Activate(PageEntry& entry) {
        if (entry.active) return true;
        RECT rect{0, 0, std::max(entry.container->width(), static_cast<int>(entry.size.cx)),
                  std::max(entry.container->height(), static_cast<int>(entry.size.cy))};
        if (FAILED(entry.page->Activate(HandleFromWidget(entry.container), &rect, TRUE))) return false;
        entry.active = true;
        return true;
    }

    void ShowPage(int index) {
        if (index < 0 || index >= static_cast<int>(m_pages.size())) return;
        if (m_current >= 0 && m_current != index && m_pages[static_cast<size_t>(m_current)].active)
            m_pages[static_cast<size_t>(m_current)].page->Show(SW_HIDE);
        m_current = index;
        m_stack->setCurrentIndex(index);
        PageEntry& entry = m_pages[static_cast<size_t>(index)];
        if (Activate(entry)) entry.page->Show(SW_SHOWNORMAL);
    }

    // Every page gets its window before it applies: one never shown is activated hidden.
    bool ApplyAll() {
        bool ok = true;
        for (PageEntry& entry : m_pages) {
            if (!entry.active) {
                if (!Activate(entry)) continue;
                entry.page->Show(SW_HIDE);
            }
            if (FAILED(entry.page->Apply())) ok = false;
        }
        if (m_apply) m_apply->setEnabled(false);
        return ok;
    }

    void Close() {
        for (PageEntry& entry : m_pages) {
            if (entry.active) entry.page->Deactivate();
            entry.active = false;
            entry.page->SetPageSite(nullptr);
            entry.site->Disconnect();
        }
    }

    std::vector<PageEntry> m_pages;
    QDialog* m_window = nullptr;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_apply = nullptr;
    int m_current = -1;
};

HRESULT FrameSite::OnStatusChange(DWORD flags) {
    if (m_frame && (flags & PROPPAGESTATUS_DIRTY)) m_frame->PageDirty();
    return S_OK;
}

std::string DescribeClass(REFCLSID clsid) {
    LPOLESTR progId = nullptr;
    if (SUCCEEDED(ProgIDFromCLSID(clsid, &progId)) && progId) {
        std::string name = leaf::Utf16ToUtf8(progId);
        CoTaskMemFree(progId);
        return name;
    }
    return leaf::GuidToString(clsid);
}

std::string TakeTitle(PROPPAGEINFO& info) {
    std::string title = info.pszTitle ? leaf::Utf16ToUtf8(info.pszTitle) : std::string();
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
    return title;
}

}  // namespace

HRESULT ShowPropertyFrame(const PropertyFrameParams& params) {
    PropertyPageFactory factory = params.factory;
    if (!factory) {
        factory = [](REFCLSID clsid, IPropertyPage** page) {
            return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, reinterpret_cast<void**>(page));
        };
    }
    std::vector<PageEntry> pages;
    for (const CLSID& clsid : params.pages) {
        PageEntry entry;
        HRESULT hr = factory(clsid, entry.page.Receive());
        // A class whose object does not answer IPropertyPage has no option page to show:
        // it is left out quietly. Only a page that fails to load is worth a message.
        if (hr == E_NOINTERFACE || (SUCCEEDED(hr) && !entry.page)) continue;
        if (SUCCEEDED(hr)) {
            entry.site = new FrameSite(nullptr, params.lcid);
            hr = entry.page->SetPageSite(entry.site.Get());
        }
        if (FAILED(hr)) {
            CString message;
            message.Format("The options page \"%s\" could not be loaded (error 0x%08X). The other pages are shown without it.",
                           DescribeClass(clsid).c_str(), static_cast<unsigned>(hr));
            AfxMessageBox(message.c_str(), MB_OK | MB_ICONEXCLAMATION);
            if (entry.page && entry.site) entry.page->SetPageSite(nullptr);
            continue;
        }
        if (!params.objects.empty()) {
            std::vector<IUnknown*> objects = params.objects;
            entry.page->SetObjects(static_cast<ULONG>(objects.size()), objects.data());   // pages may not take objects
        }
        PROPPAGEINFO info{};
        info.cb = sizeof(info);
        if (SUCCEEDED(entry.page->GetPageInfo(&info))) {
            entry.title = TakeTitle(info);
            entry.size = info.size;
        }
        if (entry.size.cx <= 0 || entry.size.cy <= 0) entry.size = {200, 200};
        pages.push_back(std::move(entry));
    }
    if (pages.empty()) return E_INVALIDARG;
    // The sites made above learn their frame now; before it exists they report nothing.
    Frame frame(std::move(pages));
    return frame.Run(params) >= 0 ? S_OK : E_FAIL;
}

}  // namespace leaf::ui

HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG objectCount, IUnknown** objects,
                               ULONG pageCount, const CLSID* pages, DWORD lcid, DWORD, void*) {
    if (pageCount > 0 && !pages) return E_POINTER;
    if (objectCount > 0 && !objects) return E_POINTER;
    leaf::ui::PropertyFrameParams params;
    params.owner = owner;
    params.x = static_cast<int>(x);
    params.y = static_cast<int>(y);
    if (caption) params.caption = leaf::Utf16ToUtf8(caption);
    params.objects.assign(objects, objects + objectCount);
    params.pages.assign(pages, pages + pageCount);
    params.lcid = lcid;
    return leaf::ui::ShowPropertyFrame(params);
}
