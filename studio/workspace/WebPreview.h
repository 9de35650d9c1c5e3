#pragma once

// A preview in a view or dialog page: a browser that takes the place of a placeholder
// static control, shows pages only when the owner asks (links clicked inside go nowhere)
// and finishes each page: the reader's default style sheet first where asked, and text
// selection and dragging switched off.
//
// The owner forwards the browser's two events from its event sink map:
//     MapEvent(id, 250, [this](DISPPARAMS* p) { return m_preview.OnBeforeNavigate2(p); });
//     MapEvent(id, 252, [this](DISPPARAMS* p) { return m_preview.OnNavigateComplete2(p); });

#include "platform/ui/Wnd.h"
#include "studio/workspace/WebCtrl.h"

struct DISPPARAMS;

class CWebPreview {
public:
    // Replaces the placeholder `id` of `parent` by a browser with the same place and id,
    // visible, with the client edge; the placeholder is destroyed. When the browser cannot
    // be created the placeholder stays and the preview is off for good. Returns whether
    // the preview is on.
    BOOL Create(CWnd* parent, UINT id);
    BOOL IsEnabled() const { return m_enabled; }
    CWebCtrl& Browser() { return m_web; }

    // Shows a page: arms the one-shot permission, optionally switches redrawing off, and
    // navigates. `defaultStyle` asks for the reader's default style sheet under the page.
    void Show(const char* address, BOOL defaultStyle, BOOL redrawOff = TRUE);

    // BeforeNavigate2: cancels every navigation not armed by Show, and disarms.
    BOOL OnBeforeNavigate2(DISPPARAMS* params);
    // NavigateComplete2: finishes the page (FinishPage).
    BOOL OnNavigateComplete2(DISPPARAMS* params);

    // Finishing a page: the default style sheet "res://<program>/ReaderDefault.css" at
    // index 0 when asked, redrawing back on; then a CCancelWebEvent as the document's
    // onselectstart and ondragstart handler. Failures are ignored.
    void FinishPage(BOOL defaultStyle);

    // The address of one of the program's built-in pages.
    static CString ResourceAddress(const char* name);

private:
    CWebCtrl m_web;
    BOOL m_enabled = FALSE;
    BOOL m_permitted = FALSE;
    BOOL m_defaultStyle = FALSE;
};
