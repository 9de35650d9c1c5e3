#pragma once

// CFontEmbedderClient: the control's side of the outside font-embedding component
// ("Leafcraft.FontEmbedder"). It creates the component when the control is constructed
// (a missing or unusable component leaves it absent, unreported), forwards the steps of
// a font run with the control's host object, and calls the client's SelectEmbeddedFonts
// (dispatch id 1 of the client object) with the component's font list.

#include "common/InputFilter.h"
#include "platform/base/CString.h"
#include "platform/com/Dispatch.h"
#include "sdk/control/FontEmbedder.h"

class CFontEmbedderClient {
public:
    CFontEmbedderClient();
    ~CFontEmbedderClient() = default;

    CFontEmbedderClient(const CFontEmbedderClient&) = delete;
    CFontEmbedderClient& operator=(const CFontEmbedderClient&) = delete;

    BOOL IsAvailable() const { return m_embedder ? TRUE : FALSE; }

    // The steps of a font run, in this order; End once Begin was called. Begin empties
    // the style sheet to link.
    void Begin(IFilterHost* host);
    void AddFile(const CString& workPath, IFilterHost* host);
    BOOL Analyse(IFilterHost* host);
    // The font list (the caller owns the reference); null when the component gives none.
    leaf::ComPtr<IDispatch> GetFontList(IFilterHost* host);
    BOOL Embed(const CString& workFolder, IFilterHost* host);
    void End(IFilterHost* host);

    // Calls dispatch id 1 of the client as a method with the font list; the answer as a
    // 32-bit integer. A failed call, or an answer that is not a number, reports FALSE
    // through `succeeded` and returns 0.
    static LONG CallSelectEmbeddedFonts(IDispatch* client, IDispatch* fontList, BOOL& succeeded);

    // The style sheet a holder of the host added last through AddOutputFile; linked into
    // every HTML item of the build.
    const CString& GetStyleSheetToLink() const { return m_styleSheetToLink; }
    void SetStyleSheetToLink(const CString& path) { m_styleSheetToLink = path; }

private:
    leaf::ComPtr<IFontEmbedder> m_embedder;
    CString m_styleSheetToLink;
};
