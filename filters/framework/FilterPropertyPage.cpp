#include "filters/framework/FilterPropertyPage.h"

#include <cstring>
#include <string>

#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Resources.h"

// The dialog of a page. Every message goes to the page it was made for; the measuring
// instance of GetPageInfo has no page and answers TRUE to everything.
class CFilterPageDialog : public CDialog {
public:
    explicit CFilterPageDialog(CFilterPropertyPage* page) : m_page(page) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (m_page == nullptr)
            return TRUE;
        return m_page->OnPageMessage(*this, message, wParam, lParam);
    }

private:
    CFilterPropertyPage* m_page;
};

namespace {

// A copy of the text in memory the caller frees with CoTaskMemFree; null when short.
LPOLESTR CopyToTaskMemory(const std::u16string& text) {
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (copy != nullptr)
        std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(OLECHAR));
    return copy;
}

}  // namespace

CFilterPropertyPage::CFilterPropertyPage(IUnknown* owner, UINT dialogId) : m_owner(owner), m_dialogId(dialogId) {}

CFilterPropertyPage::~CFilterPropertyPage() {
    if (m_dialog)
        m_dialog->DestroyWindow();
    if (m_site != nullptr)
        m_site->Release();
}

HRESULT CFilterPropertyPage::QueryInterface(REFIID riid, void** object) { return m_owner->QueryInterface(riid, object); }

ULONG CFilterPropertyPage::AddRef() { return m_owner->AddRef(); }

ULONG CFilterPropertyPage::Release() { return m_owner->Release(); }

HRESULT CFilterPropertyPage::SetPageSite(IPropertyPageSite* site) {
    if (site != nullptr) {
        if (m_site != nullptr)
            return E_UNEXPECTED;
        m_site = site;
        m_site->AddRef();
    } else if (m_site != nullptr) {
        IPropertyPageSite* previous = m_site;
        m_site = nullptr;
        previous->Release();
    }
    return S_OK;
}

HRESULT CFilterPropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (rect == nullptr)
        return E_POINTER;
    if (m_dialog)
        return E_UNEXPECTED;
    auto dialog = std::make_unique<CFilterPageDialog>(this);
    if (!dialog->Create(m_dialogId, CWnd::FromHandle(parent)))
        return E_OUTOFMEMORY;
    m_dialog = std::move(dialog);
    m_dialog->MoveWindow(rect);
    m_loading = true;
    LoadControls(*m_dialog);
    m_loading = false;
    m_active = TRUE;
    return Show(SW_SHOWNORMAL);
}

HRESULT CFilterPropertyPage::Deactivate() {
    if (!m_dialog)
        return E_UNEXPECTED;
    // What a changed page held stays to be applied after its window is gone.
    if (m_dirty)
        HoldControls(*m_dialog);
    m_dialog->DestroyWindow();
    m_dialog.reset();
    return S_OK;
}

HRESULT CFilterPropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr)
        return E_POINTER;
    SIZE size{200, 200};
    {
        CFilterPageDialog measure(nullptr);
        if (measure.Create(m_dialogId, nullptr)) {
            RECT rect;
            measure.GetWindowRect(&rect);
            size = {rect.Width(), rect.Height()};
        }   // the measuring window goes with its object
    }
    LPOLESTR title = CopyToTaskMemory(leaf::Utf8ToUtf16(leaf::ui::LoadResString(m_dialogId).str()));
    if (title == nullptr)
        return E_OUTOFMEMORY;
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = title;
    info->size = size;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

HRESULT CFilterPropertyPage::SetObjects(ULONG, IUnknown**) { return E_NOTIMPL; }

HRESULT CFilterPropertyPage::Show(UINT command) {
    if (!m_dialog)
        return E_UNEXPECTED;
    if (command != static_cast<UINT>(SW_HIDE) && command != static_cast<UINT>(SW_SHOWNORMAL) &&
        command != static_cast<UINT>(SW_SHOW))
        return E_INVALIDARG;
    m_dialog->ShowWindow(static_cast<int>(command));
    m_dialog->Invalidate(TRUE);
    return S_OK;
}

HRESULT CFilterPropertyPage::Move(LPCRECT rect) {
    if (rect == nullptr)
        return E_POINTER;
    if (!m_dialog)
        return E_UNEXPECTED;
    m_dialog->MoveWindow(rect, TRUE);
    return S_OK;
}

HRESULT CFilterPropertyPage::IsPageDirty() { return m_dirty ? S_OK : S_FALSE; }

HRESULT CFilterPropertyPage::Apply() {
    if (m_site == nullptr)
        return E_UNEXPECTED;
    if (m_dirty) {
        if (m_dialog)
            SaveControls(*m_dialog);
        else
            SaveHeld();
    }
    return S_OK;
}

HRESULT CFilterPropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

HRESULT CFilterPropertyPage::TranslateAccelerator(LPMSG) { return E_NOTIMPL; }

void CFilterPropertyPage::SetDirty(BOOL dirty) {
    if (!m_active || m_loading)
        return;
    m_dirty = dirty;
    if (m_site != nullptr)
        m_site->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

LRESULT CFilterPropertyPage::OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefPageMessage(page, message, wParam, lParam);
}

void CFilterPropertyPage::LoadControls(CDialog&) {}

void CFilterPropertyPage::SaveControls(CDialog& page) {
    HoldControls(page);
    SaveHeld();
}

void CFilterPropertyPage::HoldControls(CDialog&) {}

void CFilterPropertyPage::SaveHeld() {}

LRESULT CFilterPropertyPage::DefPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) {
    return page.CDialog::WindowProc(message, wParam, lParam);
}
