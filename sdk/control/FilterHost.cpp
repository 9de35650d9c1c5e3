#include "sdk/control/FilterHost.h"

#include <exception>
#include <new>

#include "platform/base/TextEncoding.h"
#include "sdk/control/LeafcraftSDKControl.h"

namespace {

// UTF-16 from a filter, as the control's 8-bit text; null reads as empty.
CString FromWide(LPCOLESTR text) {
    if (text == nullptr)
        return CString();
    return CString(leaf::Utf16ToUtf8(std::u16string_view(text)));
}

// Runs one host operation so that no C++ exception crosses the interface.
template <class Operation>
HRESULT Guarded(Operation operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace

HRESULT CFilterHost::QueryInterface(REFIID, void** object) {
    if (object != nullptr)
        *object = nullptr;
    return E_NOTIMPL;
}

HRESULT CFilterHost::SetErrorDetails(LPCOLESTR text) {
    return Guarded([&] {
        m_control.SetErrorDetailsText(FromWide(text));
        return S_OK;
    });
}

HRESULT CFilterHost::AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) {
    return Guarded([&] {
        m_control.AddDependencyItem(FromWide(path), FromWide(mappedPath));
        return S_OK;
    });
}

HRESULT CFilterHost::GetSourceFolder(BSTR* folder) {
    if (folder == nullptr)
        return E_POINTER;
    return Guarded([&] {
        *folder = leaf::Bstr::FromUtf8(m_control.GetSourceFolder().str()).Detach();
        return S_OK;
    });
}

HRESULT CFilterHost::StepProgress(LONG units) {
    return Guarded([&] { return m_control.StepProgress(units); });
}

HRESULT CFilterHost::UpdateProgress(LONG percent, LONG step, LPCOLESTR details) {
    return Guarded([&] {
        m_control.FireUpdateProgress(percent, step, FromWide(details));
        return m_control.IsAbortRequested() ? E_ABORT : S_OK;
    });
}

HRESULT CFilterHost::AddOutputFile(LPCOLESTR path) {
    return Guarded([&] { return m_control.AddOutputItem(FromWide(path)) ? S_OK : S_FALSE; });
}

HRESULT CFilterHost::Message(LONG, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath, LONG line) {
    return Guarded([&] {
        m_control.FireLITGenMessage(type, code, FromWide(text), FromWide(filePath), line);
        return S_OK;
    });
}
