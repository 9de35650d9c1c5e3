#include "sdk/control/FilterHost.h"

#include "platform/base/TextEncoding.h"
#include "platform/com/ExceptionBarrier.h"
#include "sdk/control/LeafcraftSDKControl.h"

namespace {

// UTF-16 from a filter, as the control's 8-bit text; null reads as empty.
CString FromWide(LPCOLESTR text) {
    if (text == nullptr)
        return CString();
    return CString(leaf::Utf16ToUtf8(std::u16string_view(text)));
}

}  // namespace

HRESULT CFilterHost::QueryInterface(REFIID, void** object) {
    if (object != nullptr)
        *object = nullptr;
    return E_NOTIMPL;
}

HRESULT CFilterHost::SetErrorDetails(LPCOLESTR text) {
    return leaf::CallWithoutThrowing([&] {
        m_control.SetErrorDetailsText(FromWide(text));
        return S_OK;
    }, E_UNEXPECTED);
}

HRESULT CFilterHost::AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) {
    return leaf::CallWithoutThrowing([&] {
        // A file without a name is no file: nothing to enter, and the caller cannot tell.
        const CString file = FromWide(path);
        if (!file.IsEmpty())
            m_control.AddDependencyItem(file, FromWide(mappedPath));
        return S_OK;
    }, E_UNEXPECTED);
}

HRESULT CFilterHost::GetSourceFolder(BSTR* folder) {
    if (folder == nullptr)
        return E_POINTER;
    return leaf::CallWithoutThrowing([&] {
        *folder = leaf::Bstr::FromUtf8(m_control.GetSourceFolder().str()).Detach();
        return S_OK;
    }, E_UNEXPECTED);
}

HRESULT CFilterHost::StepProgress(LONG units) {
    return leaf::CallWithoutThrowing([&] { return m_control.StepProgress(units); }, E_UNEXPECTED);
}

HRESULT CFilterHost::UpdateProgress(LONG percent, LONG step, LPCOLESTR details) {
    return leaf::CallWithoutThrowing([&] {
        m_control.FireUpdateProgress(percent, step, FromWide(details));
        return m_control.IsAbortRequested() ? E_ABORT : S_OK;
    }, E_UNEXPECTED);
}

HRESULT CFilterHost::AddOutputFile(LPCOLESTR path) {
    return leaf::CallWithoutThrowing([&] {
        // A file without a name adds nothing, as a known one does.
        const CString file = FromWide(path);
        return !file.IsEmpty() && m_control.AddOutputItem(file) ? S_OK : S_FALSE;
    }, E_UNEXPECTED);
}

HRESULT CFilterHost::Message(LONG, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath, LONG line) {
    return leaf::CallWithoutThrowing([&] {
        m_control.FireLITGenMessage(type, code, FromWide(text), FromWide(filePath), line);
        return S_OK;
    }, E_UNEXPECTED);
}
