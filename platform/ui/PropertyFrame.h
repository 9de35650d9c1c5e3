#pragma once

// The property frame: foreign option pages (IPropertyPage objects created by class id
// from their modules) shown as tabs of one modal dialog with OK, Cancel and Apply. The
// frame is each page's IPropertyPageSite. A page's window is made by the page itself:
// Activate(parent, rectangle, modal) receives the tab's container widget as its parent
// handle (leaf::ui::WidgetFromHandle gives the QWidget) and creates its dialog inside it.
//
// Pages are activated when their tab is first shown and hidden (never deactivated) when
// another tab comes to the front, so Apply always reads a page's live controls. Before
// OK or Apply the frame activates every page not shown yet (hidden), so a page never
// applies from a window it does not have. A page that cannot be created is left out with
// a message and the others work; a class whose object offers no IPropertyPage has no page
// and is left out without one. Pages are deactivated when the frame closes.

#include <functional>
#include <vector>

#include "platform/com/Guid.h"
#include "platform/com/PropertyPage.h"
#include "platform/ui/WinDefs.h"

namespace leaf::ui {

// Creates the page object of a class; the default is CoCreateInstance (in-process).
using PropertyPageFactory = std::function<HRESULT(REFCLSID clsid, IPropertyPage** page)>;

struct PropertyFrameParams {
    HWND owner = nullptr;
    int x = 0;   // not used: the frame opens centred on its owner, inside the work area
    int y = 0;
    std::string caption;   // empty: "Properties"
    std::vector<IUnknown*> objects;
    std::vector<CLSID> pages;
    DWORD lcid = 1033;
    PropertyPageFactory factory;   // empty: CoCreateInstance
};

// Shows the frame modally. S_OK after OK or Cancel (also when pages were left out);
// E_INVALIDARG when no page could be created (after the messages).
HRESULT ShowPropertyFrame(const PropertyFrameParams& params);

}  // namespace leaf::ui

// The platform's entry point with its argument list.
HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG objectCount, IUnknown** objects,
                               ULONG pageCount, const CLSID* pages, DWORD lcid, DWORD reserved, void* reserved2);
