#include "sdk/control/FontEmbedderClient.h"

#include "platform/com/ComRuntime.h"
#include "sdk/LeafcraftSDK.h"

CFontEmbedderClient::CFontEmbedderClient() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(kFontEmbedderProgId, &clsid)))
        return;
    leaf::ComPtr<IFontEmbedder> embedder;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IFontEmbedder, embedder.ReceiveVoid())) ||
        !embedder)
        return;
    if (embedder->CheckAvailable() != 0)
        return;  // released here: the component cannot work on this machine
    m_embedder = std::move(embedder);
}

void CFontEmbedderClient::Begin(IFilterHost* host) {
    m_styleSheetToLink.Empty();
    if (m_embedder)
        m_embedder->Begin(host);
}

void CFontEmbedderClient::AddFile(const CString& workPath, IFilterHost* host) {
    if (m_embedder)
        m_embedder->AddFile(leaf::Bstr::FromUtf8(workPath.str()), host);
}

BOOL CFontEmbedderClient::Analyse(IFilterHost* host) {
    return m_embedder && SUCCEEDED(m_embedder->Analyse(host)) ? TRUE : FALSE;
}

leaf::ComPtr<IDispatch> CFontEmbedderClient::GetFontList(IFilterHost* host) {
    leaf::ComPtr<IDispatch> list;
    if (m_embedder)
        list.Attach(m_embedder->GetFontList(host));
    return list;
}

BOOL CFontEmbedderClient::Embed(const CString& workFolder, IFilterHost* host) {
    return m_embedder && SUCCEEDED(m_embedder->Embed(leaf::Bstr::FromUtf8(workFolder.str()), host)) ? TRUE : FALSE;
}

void CFontEmbedderClient::End(IFilterHost* host) {
    if (m_embedder)
        m_embedder->End(host);
}

LONG CFontEmbedderClient::CallSelectEmbeddedFonts(IDispatch* client, IDispatch* fontList, BOOL& succeeded) {
    succeeded = FALSE;
    if (client == nullptr)
        return 0;
    leaf::Variant argument(fontList);
    DISPPARAMS params{&argument, nullptr, 1, 0};
    leaf::Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    HRESULT hr = client->Invoke(kSelectEmbeddedFontsDispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                &result, &exception, &argumentError);
    leaf::ClearExcepInfo(&exception);
    if (FAILED(hr))
        return 0;
    if (FAILED(result.ChangeType(VT_I4)))
        return 0;
    succeeded = TRUE;
    return result.lVal;
}
