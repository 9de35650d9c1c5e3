#pragma once

// The HTML document object of the browser stand-in: the page's title and address,
// createStyleSheet, and the ondragstart and onselectstart handler properties. It belongs
// to one page; when the browser moves to another page or goes away, the object is
// disconnected and createStyleSheet fails with E_FAIL.

#include <string>

#include "platform/com/DispatchTable.h"

namespace leaf::ui {

// What the document asks of the browser that shows it.
class HtmlDocumentHost {
public:
    virtual ~HtmlDocumentHost() = default;
    // Inserts style sheet text before the style sheet at `index` (at the end when the
    // index is negative or past the end) and shows the page again.
    virtual void InsertStyleSheet(const std::string& css, int index) = 0;
    // The text a style sheet address names; false when it cannot be read.
    virtual bool ReadAddress(const std::string& address, std::string& content) = 0;
};

class HtmlDocumentObject final : public leaf::DispatchImpl<HtmlDocumentObject> {
public:
    HtmlDocumentObject(HtmlDocumentHost* host, std::string address, std::string title);

    static const leaf::DispatchTable<HtmlDocumentObject>& GetDispatchTable();
    leaf::Variant Title(const leaf::DispatchArguments&);
    leaf::Variant Url(const leaf::DispatchArguments&);
    leaf::Variant CreateStyleSheet(const leaf::DispatchArguments&);
    leaf::Variant GetOnDragStart(const leaf::DispatchArguments&);
    leaf::Variant PutOnDragStart(const leaf::DispatchArguments&);
    leaf::Variant GetOnSelectStart(const leaf::DispatchArguments&);
    leaf::Variant PutOnSelectStart(const leaf::DispatchArguments&);

    // Asks the handler of ondragstart or onselectstart: false when it answers FALSE
    // (the action is cancelled); true when there is no handler or it cannot be asked.
    bool AllowsDragStart() const { return Allows(m_onDragStart); }
    bool AllowsSelectStart() const { return Allows(m_onSelectStart); }

    void Disconnect() { m_host = nullptr; }

private:
    static bool Allows(const leaf::Variant& handler);

    HtmlDocumentHost* m_host;
    std::string m_address;
    std::string m_title;
    leaf::Variant m_onDragStart;
    leaf::Variant m_onSelectStart;
};

// A style sheet made by createStyleSheet: its address and text.
class StyleSheetObject final : public leaf::DispatchImpl<StyleSheetObject> {
public:
    StyleSheetObject(std::string address, std::string cssText)
        : m_address(std::move(address)), m_cssText(std::move(cssText)) {}

    static const leaf::DispatchTable<StyleSheetObject>& GetDispatchTable();
    leaf::Variant Href(const leaf::DispatchArguments&) { return leaf::Variant(m_address); }
    leaf::Variant CssText(const leaf::DispatchArguments&) { return leaf::Variant(m_cssText); }

private:
    std::string m_address;
    std::string m_cssText;
};

}  // namespace leaf::ui
