#pragma once

// CAnchorHook: keeps the child controls of a resizable window anchored to its edges.
// Each control id has anchor flags saying which of its edges follow the parent's right
// and bottom edges when the parent's client area grows or shrinks by dx, dy:
//   ANCHOR_LEFT 0x0001 (left edge moves by dx), ANCHOR_RIGHT 0x0010 (right edge by dx),
//   ANCHOR_TOP 0x0100 (top edge by dy), ANCHOR_BOTTOM 0x1000 (bottom edge by dy).
// So 0x0011 moves a control with the right edge, 0x0010 stretches it, 0x1010 stretches
// it both ways. A minimise moves nothing; the next size is measured from the last normal
// one. Children that the parent's Qt layout places (directly or inside one of its nested
// rows and columns) are left to the layout, so that each control is placed once.

#include <map>

#include "platform/ui/WndHook.h"

class CAnchorHook : public CWndHook {
public:
    static constexpr WORD ANCHOR_LEFT = 0x0001;
    static constexpr WORD ANCHOR_RIGHT = 0x0010;
    static constexpr WORD ANCHOR_TOP = 0x0100;
    static constexpr WORD ANCHOR_BOTTOM = 0x1000;

    // Hooks `parent`; the recorded size is `initialSize` (the form's design size) or, when
    // null, the parent's current client size. FALSE for a null parent or when hooking fails.
    BOOL Install(CWnd* parent, const SIZE* initialSize = nullptr);
    void SetAnchor(UINT controlId, WORD flags);
    WORD GetAnchor(UINT controlId) const;
    // The size the next change is measured from.
    SIZE GetRecordedSize() const { return m_lastSize; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnSize(UINT type, int cx, int cy);
    // The parent's client width and height.
    virtual SIZE GetClientSize() const;

private:
    std::map<UINT, WORD> m_anchors;
    CWnd* m_parent = nullptr;
    SIZE m_lastSize;
};
