// CLeafcraftSDKControl: the font step of a build, which lets the font-embedding
// component look at the converted items, lets the client choose the fonts through its
// SelectEmbeddedFonts call-back, and embeds them into the work folder.

#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftSDKControl.h"

namespace {

// Ends a font run on every way out of the step, once it has begun.
class CFontRunEnd {
public:
    CFontRunEnd(CFontEmbedderClient& embedder, IFilterHost* host) : m_embedder(embedder), m_host(host) {}
    ~CFontRunEnd() {
        try {
            m_embedder.End(m_host);
        } catch (...) {
            // Ending is best effort; the step's result stands.
        }
    }
    CFontRunEnd(const CFontRunEnd&) = delete;
    CFontRunEnd& operator=(const CFontRunEnd&) = delete;

private:
    CFontEmbedderClient& m_embedder;
    IFilterHost* m_host;
};

}  // namespace

IDispatch* CLeafcraftSDKControl::ClientFromVariant(const VARIANT& value) {
    if (value.vt == VT_DISPATCH)
        return value.pdispVal;  // may be null: no client
    if (value.vt == (VT_DISPATCH | VT_BYREF) && value.ppdispVal != nullptr)
        return *value.ppdispVal;
    return nullptr;
}

// The step runs inside BuildEBook after the conversion pass, when fonts are to be
// embedded. Continue: go on with the package; Cancelled: the client answered 0 (abort
// requested, LCERR_ABORTED); Failed: the error is set. The caller queues the work folder
// and ends the build in the last two cases. The embedder's run is ended on every way out.
CLeafcraftSDKControl::FontStepResult CLeafcraftSDKControl::RunFontStep(const CString& workFolder,
                                                                       IDispatch* client) {
    if (!m_fontEmbedder.IsAvailable())
        return FontStepResult::Continue;
    IFilterHost* host = m_host.get();
    try {
        m_fontEmbedder.Begin(host);
        CFontRunEnd end(m_fontEmbedder, host);

        // The bound is read again each time: the embedder reports through the host, whose
        // events let the client change the package.
        for (int i = 0; i < m_package.GetManifestCount(); ++i) {
            CManifestItem* item = m_package.GetManifestItem(i);
            if (item == nullptr)
                break;
            CString workPath = item->m_strWorkPath;
            m_fontEmbedder.AddFile(workPath, host);
        }

        if (!m_fontEmbedder.Analyse(host)) {
            // The embedder also stops when the client asked for an abort meanwhile.
            if (m_abortRequested) {
                SetError(LCERR_ABORTED);
                return FontStepResult::Failed;
            }
            return FontStepResult::Continue;  // nothing to embed; the build goes on
        }

        if (client != nullptr) {
            BOOL called = FALSE;
            leaf::ComPtr<IDispatch> fontList = m_fontEmbedder.GetFontList(host);
            LONG answer = CFontEmbedderClient::CallSelectEmbeddedFonts(client, fontList.Get(), called);
            if (!called) {
                SetError(LCERR_UNEXPECTED);
                return FontStepResult::Failed;
            }
            if (answer == 0) {
                AbortBuild();
                m_errorCode = LCERR_ABORTED;
                return FontStepResult::Cancelled;
            }
        }

        if (!m_fontEmbedder.Embed(workFolder, host)) {
            // An embedder that stopped because the client asked for it ends the build as
            // aborted. Otherwise the details name the work folder whose fonts were to be
            // embedded, with the embedder's own text (through the host) when it gave one.
            if (m_abortRequested) {
                SetError(LCERR_ABORTED);
            } else {
                const CString said = m_errorDetails;
                SetError(LCERR_UNEXPECTED,
                         workFolder + ": " + (said.IsEmpty() ? CString("the fonts could not be embedded") : said));
            }
            return FontStepResult::Failed;
        }
        return FontStepResult::Continue;
    } catch (...) {
        SetError(LCERR_UNEXPECTED);
        return FontStepResult::Failed;
    }
}
