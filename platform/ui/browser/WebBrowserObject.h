#pragma once

// The automation face of one browser stand-in: Navigate, Document and LocationURL, and
// the connection point of its events (WebBrowser.h). It acts on its view while the view
// exists; once the view is gone, Navigate fails with E_FAIL.

#include <string>

#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchTable.h"

namespace leaf::ui {

class WebBrowserView;

class WebBrowserObject final
    : public leaf::DispatchImpl<WebBrowserObject, IDispatch, leaf::ConnectionPointContainerImpl> {
public:
    explicit WebBrowserObject(WebBrowserView* view);

    static const leaf::DispatchTable<WebBrowserObject>& GetDispatchTable();
    leaf::Variant Navigate(const leaf::DispatchArguments&);
    leaf::Variant Document(const leaf::DispatchArguments&);
    leaf::Variant LocationUrl(const leaf::DispatchArguments&);

    // A navigation: asks the handlers of BeforeNavigate2 (any may cancel it), shows the
    // page, then fires NavigateComplete2 and DocumentComplete. Returns whether the page
    // was shown.
    bool NavigateTo(const std::string& address);

    void Disconnect() { m_view = nullptr; }

private:
    WebBrowserView* m_view;
};

}  // namespace leaf::ui
