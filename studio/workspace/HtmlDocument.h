#pragma once

// CHtmlDocument: a dispatch wrapper of the HTML document a browser shows. It holds the
// document's IDispatch and releases it when it goes. The calls throw leaf::DispatchError
// when the document refuses them.

#include "platform/com/DispatchDriver.h"

class CHtmlDocument : public COleDispatchDriver {
public:
    CHtmlDocument() = default;
    // Takes over the caller's reference.
    explicit CHtmlDocument(IDispatch* document);

    // createStyleSheet (1071): the style sheet at `address`, inserted among the
    // document's style sheets at `index`. Returns its IDispatch (a reference the caller
    // releases).
    IDispatch* CreateStyleSheet(const char* address, LONG index);
    // The handler objects of the document's ondragstart (0x80011793) and onselectstart
    // (0x80011795) events.
    void SetOnDragStart(const VARIANT& handler);
    void SetOnSelectStart(const VARIANT& handler);
};
