#pragma once

// The web-browser control's stand-in: a QTextBrowser that answers the automation calls
// and fires the events the program's previews use.
//
// Automation (the browser's IDispatch): Navigate (104: address, then four optional
// arguments: flags, target frame, post data, headers), Document (203, the HTML document
// object of the page shown), LocationURL (211). Events (the event interface through the
// connection point): BeforeNavigate2 (250: browser, address, flags, target frame, post
// data, headers, and a VARIANT_BOOL reference that cancels the navigation when a handler
// sets it), NavigateComplete2 (252: browser, address), DocumentComplete (259: browser,
// address). Navigation runs synchronously: when Navigate returns, the page is shown and
// both completion events have fired. A link clicked in the page is a navigation of its
// own and goes through BeforeNavigate2 the same way.
//
// The HTML document (HtmlDocumentObject.h) answers createStyleSheet (1071) and the
// properties ondragstart (0x80011793) and onselectstart (0x80011795): a handler object
// set there is invoked (its default member) when the person starts to drag or to select,
// and a FALSE answer cancels the action.
//
// Addresses: "res://<program file>/<NAME>" is served from the pages registered with
// RegisterWebResource (names compare without regard to case); "file:" addresses and
// absolute paths are read from the file system; "about:blank" is an empty page. Any other
// address shows an empty page.

#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"

class QWidget;
struct IDocHostUIHandler;

namespace leaf::ui {

inline constexpr CLSID CLSID_WebBrowser = leaf::MakeGuid("{8856F961-340A-11D0-A96B-00C04FD705A2}");
inline constexpr IID DIID_WebBrowserEvents = leaf::MakeGuid("{393A724B-709A-48E5-B56A-43D0BE8DEA3F}");
inline constexpr IID IID_WebBrowser = leaf::MakeGuid("{CFA61706-52AB-4B5A-A804-2C966C8428EA}");
inline constexpr IID IID_HtmlDocument = leaf::MakeGuid("{65C803D1-AFB7-406A-B564-14BD5904DC2F}");
inline constexpr IID IID_HtmlStyleSheet = leaf::MakeGuid("{F148D4F5-4B6E-4F2C-8BDD-055E2CCCBE67}");

// The browser's members.
inline constexpr DISPID DISPID_WEB_NAVIGATE = 104;
inline constexpr DISPID DISPID_WEB_DOCUMENT = 203;
inline constexpr DISPID DISPID_WEB_LOCATIONURL = 211;
// Its events.
inline constexpr DISPID DISPID_BEFORENAVIGATE2 = 250;
inline constexpr DISPID DISPID_NAVIGATECOMPLETE2 = 252;
inline constexpr DISPID DISPID_DOCUMENTCOMPLETE = 259;
// The document's members.
inline constexpr DISPID DISPID_DOC_TITLE = 1012;
inline constexpr DISPID DISPID_DOC_URL = 1025;
inline constexpr DISPID DISPID_DOC_CREATESTYLESHEET = 1071;
inline constexpr DISPID DISPID_DOC_ONDRAGSTART = static_cast<DISPID>(0x80011793u);
inline constexpr DISPID DISPID_DOC_ONSELECTSTART = static_cast<DISPID>(0x80011795u);
// A style sheet's members.
inline constexpr DISPID DISPID_STYLESHEET_HREF = 1001;
inline constexpr DISPID DISPID_STYLESHEET_CSSTEXT = 1002;

// Creates a browser as a child of `parent` (hidden until shown). `host` answers the
// browser's host questions (context menu, border, keys); it may be null, and the
// browser keeps a reference to it.
QWidget* CreateWebBrowser(QWidget* parent, IDocHostUIHandler* host = nullptr);
// The browser's IDispatch (no reference added); null when the widget is not a browser.
IDispatch* WebBrowserDispatch(QWidget* widget);
// The address shown, and the text of the page as the browser renders it (for tests and
// for people who look at a preview).
std::string WebBrowserLocation(QWidget* widget);
std::string WebBrowserPlainText(QWidget* widget);
// The style sheet text the page gets before its own style sheets.
std::string WebBrowserAddedStyle(QWidget* widget);

// The program's built-in pages for "res:" addresses. A page registered under a name
// already present replaces it.
void RegisterWebResource(const std::string& name, std::string content);
// The content of a "res:" address, when the address names this program and a page
// registered with that name. The program is named by its file's path; an address whose
// path is not this program's finds nothing.
bool FindWebResource(const std::string& address, std::string& content);
// "res://<this program's path>/<name>".
std::string WebResourceAddress(const std::string& name);

}  // namespace leaf::ui
